#!/bin/sh
# The demo bundled, its tarball unpacked into a folder with spaces and its
# launcher started from elsewhere under a virtual X display: the game's
# window (named after the game, for the desktop's menus) shows the title, and
# the player's copy, lock and settings are the game's own, never velmora's.
# Then the game is played and saved, and version 1.0 (a message reworded) is
# unpacked beside 0.9 and started: the player's copy is brought up to date,
# keeping the save, and the slot window shows it. KEEP_SHOT=FILE keeps that
# screenshot.
# usage: bundle_check.sh BUILD_DIR
set -eu
build=$1
app=$(dirname "$0")/../app
. "$app/gui_lib.sh"
scratch
fail() { echo "FAIL: $*"; exit 1; }
"$build/velmora-data" demo "$work/demo" > /dev/null
"$build/velmora-data" bundle "$work/demo" --name "Shore Test" --id org.example.shoretest \
  --version 0.9 "$work/out" > "$work/bundle.log" 2>&1 || { cat "$work/bundle.log"; fail "bundle"; }
unpacked="$work/my games"
mkdir -p "$unpacked" "$work/again"
tar xzf "$work/out/shoretest-0.9-linux-x86_64.tar.gz" -C "$unpacked"
tar xzf "$work/out/shoretest-0.9-linux-x86_64.tar.gz" -C "$work/again"
desktop-file-validate "$unpacked/shoretest-0.9/org.example.shoretest.desktop" || fail "desktop entry"

mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share"
launched "$work" '"Velmora": ("shoretest" "Shoretest")  640x' / "$unpacked/shoretest-0.9/shoretest" ||
  fail "no game window of shoretest"
[ -f "$work/share/shoretest/11.dat" ] || fail "no player's copy in \$XDG_DATA_HOME/shoretest"
[ -e "$work/run/shoretest.lock" ] && [ ! -e "$work/run/velmora.lock" ] || fail "the lock is not the game's"
[ ! -e "$work/share/velmora" ] && [ ! -e "$work/config/velmora" ] || fail "velmora's folders were used"
diff -r "$unpacked/shoretest-0.9" "$work/again/shoretest-0.9" || fail "playing changed the unpacked folder"

# Played and saved in slot 1, then 1.0 with a message reworded.
. "$(dirname "$0")/update_lib.sh"
play_and_save "$build" "$work/share/shoretest"
"$build/velmora-data" unpack "$work/demo" "$work/edit" > /dev/null
reword "$work/edit/script.csv"
"$build/velmora-data" bundle "$work/edit" --name "Shore Test" --id org.example.shoretest \
  --version 1.0 "$work/out" > "$work/bundle.log" 2>&1 || { cat "$work/bundle.log"; fail "bundle 1.0"; }
tar xzf "$work/out/shoretest-1.0-linux-x86_64.tar.gz" -C "$unpacked"
mkdir "$work/update"
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  sh "$(dirname "$0")/update_slots.sh" / "$work/update" "$unpacked/shoretest-1.0/shoretest"
updated "$work/update" "$work/share/shoretest/" 0.9 1.0 "$unpacked/shoretest-1.0/data" ||
  fail "the update"
[ -z "${KEEP_SHOT:-}" ] || cp "$work/update/slots.png" "$KEEP_SHOT"
echo "1 passed, 0 failed"
