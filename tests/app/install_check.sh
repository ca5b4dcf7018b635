#!/bin/sh
# cmake --install into a scratch prefix: the program, its data, the desktop
# entry (valid) and the icons land where the desktop looks, and the installed
# program starts on its installed data under a virtual X display.
# usage: install_check.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
prefix="$work/prefix with space"
fail() { echo "FAIL: $*"; exit 1; }
app=$(dirname "$0")
. "$app/gui_lib.sh"
cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install"; }
[ -x "$prefix/bin/velmora" ] || fail "no bin/velmora"
[ -f "$prefix/share/velmora/data/11.dat" ] || fail "no installed data"
desktop="$prefix/share/applications/velmora.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -q '^Categories=Game;' "$desktop" || fail "the desktop entry is not a game"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
for size in 48 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/velmora.png"
  [ -f "$icon" ] || fail "no $size px icon"
  got=$(identify -format '%w %h %[channels]' "$icon")
  case $got in "$size $size srgba"*|"$size $size rgba"*) ;; *) fail "$icon is $got" ;; esac
done
passed=1

# The installed program, started from elsewhere, finds its installed data
# (no "data" beside it) and shows the game; it writes nothing outside the
# prefix and the player's folders.
# The game's own window (a message box would carry the same title).
export XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share"
window='"Velmora": ("velmora" "Velmora")  640x'
launched "$work" "$window" / "$prefix/bin/velmora" || fail "the installed game shows nothing"
passed=$((passed + 1))

# Installed where the player cannot write (a system prefix): the game plays
# a copy in the player's own data folder, made once. (Root writes anywhere,
# so this is seen only as an ordinary user.)
if [ "$(id -u)" != 0 ]; then
  chmod -R a-w "$prefix/share/velmora/data"
  launched "$work" "$window" / "$prefix/bin/velmora" || fail "no game from a read-only install"
  [ -f "$work/share/velmora/data/11.dat" ] || fail "no copy in the player's data folder"
  passed=$((passed + 1))
else
  echo "note: running as root, the read-only install is not tried"
fi

# --help and --version need no display.
"$prefix/bin/velmora" --version | grep -q '^velmora 1.10$' || fail "--version"
"$prefix/bin/velmora" --help | grep -q '^Usage: velmora \[--scale N\] \[--fullscreen\] \[DATA_DIR\]' ||
  fail "--help"
passed=$((passed + 1))
echo "$passed passed, 0 failed"
