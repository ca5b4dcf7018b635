#!/bin/sh
# clang-tidy on src with the checks of .clang-tidy, compared with the
# findings recorded in .ci/tidy-baseline.txt: a finding that is not recorded
# fails; the recorded ones are the ones still to clear.
#
#   scripts/check_tidy.sh [BUILD_DIR]            check (BUILD_DIR: build)
#   scripts/check_tidy.sh [BUILD_DIR] --update   record today's findings
#
# BUILD_DIR must be configured (cmake -S . -B build). The build compiles
# files in units, so each file's own flags come from a tree configured
# without them, in a scratch folder. Runs two files at a time.
# A finding is recorded as its file, check and message, without its line, so
# edits elsewhere in a file do not disturb it.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
baseline=.ci/tidy-baseline.txt
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check_tidy: no $build/compile_commands.json; configure $build first" >&2
  exit 2
fi
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
tree="$logs/tree"
if ! cmake -S . -B "$tree" -DCMAKE_UNITY_BUILD=OFF >"$logs/configure.log" 2>&1; then
  cat "$logs/configure.log" >&2
  echo "check_tidy: cannot configure a tree file by file" >&2
  exit 2
fi
# The build's precompiled headers are the compiler's own and clang cannot
# read them: clang-tidy reads the same headers as text instead, from copies
# of them that have no precompiled form beside them.
db="$logs/db"
mkdir -p "$db/pch"
for h in $(grep -o -- '-include [^ "]*cmake_pch\.hxx' "$tree/compile_commands.json" | sort -u |
  sed 's/^-include //'); do
  cp "$h" "$db/pch/$(basename "$(dirname "$h")").hxx"
done
sed -E "s#-include [^ \"]*/([^/ \"]+)/cmake_pch\.hxx#-include $db/pch/\1.hxx#g" \
  "$tree/compile_commands.json" >"$db/compile_commands.json"
# The build's warning flags are GCC's; clang-tidy's own compiler does not know
# every one of them.
find src -name '*.cpp' | LC_ALL=C sort |
  xargs -P2 -I{} sh -c 'log="$3/$(echo "$2" | tr / _).log"
    clang-tidy -p "$1" --quiet --extra-arg=-Wno-unknown-warning-option "$2" >"$log" 2>&1 ||
      echo "$2" >>"$3/failed"' sh "$db" {} "$logs"
if [ -f "$logs/failed" ]; then
  echo "check_tidy: clang-tidy could not read:" >&2
  for f in $(cat "$logs/failed"); do
    echo "--- $f" >&2
    grep -E ': (error|fatal error):' "$logs/$(echo "$f" | tr / _).log" >&2 || true
  done
  exit 1
fi
# FILE:LINE:COL: warning: MESSAGE [CHECK], once per place (a header's
# findings come from every file that includes it), then without the place.
top="$(pwd)/"
current="$logs/current"
cat "$logs"/*.log |
  grep -E '^[^ ].*:[0-9]+:[0-9]+: warning: .* \[[a-z0-9.,-]+\]$' |
  sed "s|^$top||" | LC_ALL=C sort -u |
  sed -E 's/^([^:]+):[0-9]+:[0-9]+: warning: (.*) \[([^]]+)\]$/\1: [\3] \2/' |
  LC_ALL=C sort >"$current"
if [ "$2" = "--update" ]; then
  cp "$current" "$baseline"
  echo "check_tidy: recorded $(wc -l <"$baseline") findings in $baseline"
  exit 0
fi
touch "$logs/recorded"
[ -f "$baseline" ] && LC_ALL=C sort "$baseline" >"$logs/recorded"
new=$(LC_ALL=C comm -13 "$logs/recorded" "$current")
gone=$(LC_ALL=C comm -23 "$logs/recorded" "$current" | wc -l)
echo "check_tidy: $(wc -l <"$current") findings, $(wc -l <"$logs/recorded") recorded"
if [ "$gone" -gt 0 ]; then
  echo "check_tidy: $gone recorded findings are gone; scripts/check_tidy.sh $build --update records that"
fi
if [ -n "$new" ]; then
  echo "check_tidy: new findings (fix them, or mark a deliberate one with NOLINT and a reason):"
  echo "$new"
  grep -F -h -A3 -e "$(echo "$new" | sed -E 's/^[^]]*\] //' | head -20)" "$logs"/*.log | head -80
  exit 1
fi
