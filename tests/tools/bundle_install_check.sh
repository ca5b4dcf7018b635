#!/bin/sh
# The demo's package installed with apt-get, started from its desktop entry's
# command under a virtual X display as a player would, and removed: the game
# shows its title, plays the player's copy in $XDG_DATA_HOME/GAME/ and
# changes nothing of its installed files. Played and saved, version 1.0 (a
# message reworded) is installed over 0.9 and started: the player's copy is
# brought up to date with the save kept, shown in the slot window. Removing
# leaves nothing behind. Installing needs the superuser and apt: without them
# the check is skipped (status 77). KEEP_SHOT=FILE keeps the title's
# screenshot, KEEP_UPDATE_SHOT=FILE the slot window's after the update.
# usage: bundle_install_check.sh BUILD_DIR
set -eu
build=$1
game=velmorabundlecheck
if [ "$(id -u)" != 0 ] || ! command -v apt-get > /dev/null; then
  echo "skipped: installing a package needs root and apt-get"
  exit 77
fi
work=$(mktemp -d)
trap 'apt-get remove --purge -y -q $game > /dev/null 2>&1 || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
app=$(dirname "$0")/../app
. "$app/gui_lib.sh"
"$build/velmora-data" demo "$work/demo" > /dev/null
"$build/velmora-data" bundle "$work/demo" --name "Bundle Check" --id org.velmora.$game \
  --version 0.9 "$work/out" > "$work/bundle.log" 2>&1 || { cat "$work/bundle.log"; fail "bundle"; }
deb="$work/out/${game}_0.9_$(dpkg --print-architecture).deb"
lintian "$deb" > "$work/lintian.txt" 2>&1 || true
grep -E '^(E|W):' "$work/lintian.txt" && fail "lintian"
apt-get install -y -q "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install"; }
desktop=/usr/share/applications/org.velmora.$game.desktop
metainfo=/usr/share/metainfo/org.velmora.$game.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo"
desktop-file-validate "$desktop" || fail "desktop entry"
command=$(sed -n 's/^Exec=//p' "$desktop")

mkdir -p "$work/home"
mkdir -m 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
launched "$work" "(\"$game\" " "$HOME" $command || fail "no game window showing the game"
[ -z "${KEEP_SHOT:-}" ] || cp "$work/shot.png" "$KEEP_SHOT"
[ -f "$XDG_DATA_HOME/$game/50.dat" ] || fail "no player's copy in \$XDG_DATA_HOME/$game"
changed=$(dpkg --verify $game) || true
[ -z "$changed" ] || fail "the installed files changed: $changed"

# Played and saved in slot 1, then 1.0 with a message reworded installed over it.
. "$(dirname "$0")/update_lib.sh"
play_and_save "$build" "$XDG_DATA_HOME/$game"
"$build/velmora-data" unpack "$work/demo" "$work/edit" > /dev/null
reword "$work/edit/script.csv"
"$build/velmora-data" bundle "$work/edit" --name "Bundle Check" --id org.velmora.$game \
  --version 1.0 "$work/out" > "$work/bundle.log" 2>&1 || { cat "$work/bundle.log"; fail "bundle 1.0"; }
apt-get install -y -q "$work/out/${game}_1.0_$(dpkg --print-architecture).deb" > "$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get install 1.0"; }
mkdir "$work/update"
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  sh "$(dirname "$0")/update_slots.sh" "$HOME" "$work/update" $command
updated "$work/update" "$XDG_DATA_HOME/$game/" 0.9 1.0 /usr/share/games/$game || fail "the update"
[ -z "${KEEP_UPDATE_SHOT:-}" ] || cp "$work/update/slots.png" "$KEEP_UPDATE_SHOT"
changed=$(dpkg --verify $game) || true
[ -z "$changed" ] || fail "the installed files changed: $changed"

apt-get remove --purge -y -q $game > "$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "remove"; }
for p in /usr/games/$game /usr/lib/games/$game /usr/share/games/$game "$desktop" "$metainfo" \
  /usr/share/icons/hicolor/48x48/apps/$game.png /usr/share/doc/$game; do
  [ ! -e "$p" ] || fail "$p is left after removal"
done
echo "1 passed, 0 failed"
