#!/bin/sh
# The game's message boxes under a virtual X display: titled with the name
# the folder's game.ini gives the game, from the very first box on, and
# "Velmora" for a folder without one. The game is started on a folder it
# cannot play (no 11.dat), whose box comes before the main window.
# usage: named_boxes_check.sh BUILD_DIR
set -eu
build=$1
. "$(dirname "$0")/gui_lib.sh"
game_copy "$build"
rm "$work/data/11.dat"
cat > "$work/run.sh" <<'INNER'
#!/bin/sh
. "$2/gui_lib.sh"
cd "$1"
: > seen.txt
for title in Velmora "Tide Bell"; do
  [ "$title" = Velmora ] || printf '[game]\ntitle=%s\n' "$title" > data/game.ini
  ./velmora > game.log 2>&1 &
  pid=$!
  if window "^$title\$" 50; then echo "$title" >> seen.txt; fi
  xwininfo -root -tree >> tree.txt
  stop_game $pid > /dev/null
done
INNER
chmod +x "$work/run.sh"
XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  "$work/run.sh" "$work" "$(cd "$(dirname "$0")" && pwd)"
printf 'Velmora\nTide Bell\n' | cmp -s - "$work/seen.txt" || {
  echo "FAIL: the boxes seen were titled:"
  cat "$work/seen.txt" "$work/tree.txt" "$work/game.log"
  exit 1
}
echo "1 passed, 0 failed"
