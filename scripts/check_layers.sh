#!/bin/sh
# Holds the built game libraries to the layers CMakeLists.txt gives them
# (build/layers.txt): every game symbol a layer's library takes from another
# must come from a layer it lists, so that a fuzzer or a tool linking only
# the lower layers still links; and every header a layer's files include
# from another folder of src must be of a folder it lists (the build's
# include roots refuse the others too; this names them all at once).
#
#   scripts/check_layers.sh [BUILD]     (default: build)
set -u
build=${1:-build}
[ -f "$build/layers.txt" ] || { echo "check_layers: no $build/layers.txt (configure first)" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
layers=$(cut -d: -f1 "$build/layers.txt")
for l in $layers; do
  nm -C --defined-only "$build/libvelmora_$l.a" 2>/dev/null | grep -E ' [TWVBDR] vm::' |
    sed 's/^[0-9a-f]* . //' | sort -u >"$tmp/def_$l"
  nm -C --undefined-only "$build/libvelmora_$l.a" 2>/dev/null | grep -E ' U vm::' |
    sed 's/^ *U //' | sort -u >"$tmp/und_$l"
done
status=0
while IFS=: read -r l uses; do
  cat "$tmp/def_$l" >"$tmp/allowed"
  for u in $uses; do cat "$tmp/def_$u" >>"$tmp/allowed"; done
  for m in $layers; do
    [ "$m" = "$l" ] && continue
    grep -Fxf "$tmp/def_$m" "$tmp/und_$l" | grep -vFxf "$tmp/allowed" >"$tmp/bad" || true
    if [ -s "$tmp/bad" ]; then
      status=1
      echo "check_layers: $l calls $m, which it does not list:"
      sed 's/^/  /' "$tmp/bad"
    fi
  done
done <"$build/layers.txt"
while IFS=: read -r l uses; do
  for f in src/"$l"/*.h src/"$l"/*.cpp; do
    # The program's own main sits above every library and puts them together.
    [ -f "$f" ] && [ "$f" != src/app/main.cpp ] || continue
    for seen in $(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$f" | sort -u); do
      [ "$seen" = "$l" ] || [ "$seen" = platform ] && continue
      case " $uses " in *" $seen "*) continue ;; esac
      status=1
      echo "check_layers: $f includes $seen/, which $l does not list"
    done
  done
done <"$build/layers.txt"
[ $status -eq 0 ] && echo "check_layers: every layer calls only what it lists ($(echo $layers | wc -w) layers)"
exit $status
