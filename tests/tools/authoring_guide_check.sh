#!/bin/sh
# Runs the author's guide: its ```sh blocks, in order, as one script in a
# scratch folder with the built tools first on PATH, so every command it
# shows works as written. Blocks fenced otherwise (```console, ```text) are
# illustrations or open the game's window, and are not run.
# usage: authoring_guide_check.sh GUIDE.md BUILD_DIR
set -eu
guide=$1
build=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk '/^```sh$/ { inside = 1; n++; print "echo \"--- block " n " (line " NR + 1 ")\""; next }
     /^```/ { inside = 0; next }
     inside' "$guide" > "$work/guide.sh"
[ -s "$work/guide.sh" ] || { echo "FAIL: no sh blocks in $guide"; exit 1; }
mkdir "$work/scratch"
cd "$work/scratch"
# The dev run's shadow folders go to the scratch cache, not the user's.
XDG_CACHE_HOME="$work/cache" PATH="$build:$PATH" sh -eu "$work/guide.sh" > "$work/guide.log" 2>&1 ||
  { cat "$work/guide.log"; echo "FAIL: the guide stopped (the last block named above)"; exit 1; }
echo "1 passed, 0 failed ($(grep -c '^--- block' "$work/guide.log") blocks)"
