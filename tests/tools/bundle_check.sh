#!/bin/sh
# The demo bundled, its tarball unpacked into a folder with spaces and its
# launcher started from elsewhere under a virtual X display: the game's
# window (named after the game, for the desktop's menus) shows the title, and
# the player's copy, lock and settings are the game's own, never velmora's.
# usage: bundle_check.sh BUILD_DIR
set -eu
build=$1
app=$(dirname "$0")/../app
. "$app/gui_lib.sh"
scratch
fail() { echo "FAIL: $*"; exit 1; }
"$build/velmora-data" demo "$work/demo" > /dev/null
"$build/velmora-data" bundle "$work/demo" --name "Shore Test" --id org.example.shoretest \
  "$work/out" > "$work/bundle.log" 2>&1 || { cat "$work/bundle.log"; fail "bundle"; }
unpacked="$work/my games"
mkdir -p "$unpacked" "$work/again"
tar xzf "$work/out/shoretest-1.0-linux-x86_64.tar.gz" -C "$unpacked"
tar xzf "$work/out/shoretest-1.0-linux-x86_64.tar.gz" -C "$work/again"
desktop-file-validate "$unpacked/shoretest-1.0/shoretest.desktop" || fail "desktop entry"

mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share"
launched "$work" '"Velmora": ("shoretest" "Shoretest")  640x' / "$unpacked/shoretest-1.0/shoretest" ||
  fail "no game window of shoretest"
[ -f "$work/share/shoretest/11.dat" ] || fail "no player's copy in \$XDG_DATA_HOME/shoretest"
[ -e "$work/run/shoretest.lock" ] && [ ! -e "$work/run/velmora.lock" ] || fail "the lock is not the game's"
[ ! -e "$work/share/velmora" ] && [ ! -e "$work/config/velmora" ] || fail "velmora's folders were used"
diff -r "$unpacked/shoretest-1.0" "$work/again/shoretest-1.0" || fail "playing changed the unpacked folder"
echo "1 passed, 0 failed"
