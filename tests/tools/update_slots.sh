#!/bin/sh
# Run by the update checks under xvfb-run: starts an updated game from a
# folder of its own, presses the title's load item until the slot window
# opens, keeps its window tree and a shot of the screen with the slots the
# player kept, then ends the game.
# usage: update_slots.sh START_DIR OUT_DIR PROGRAM [ARGUMENT...]
. "$(cd "$(dirname "$0")/../app" && pwd)/gui_lib.sh"
cd "$1" || exit 1
out=$2
shift 2
"$@" > "$out/game.log" 2>&1 &
pid=$!
: > "$out/result.txt"
if window '^Velmora$' 100; then
  gx=$X
  gy=$((Y + HEIGHT - 480))
  i=0
  until xdotool mousemove $((gx + 300)) $((gy + 290)) click 1 && window 'ゲームデータ' 5; do
    i=$((i + 1))
    [ $i -lt 40 ] || { echo "the slot window did not open" >> "$out/result.txt"; break; }
  done
  sleep 1
  xwininfo -root -tree > "$out/tree.txt"
  import -window root "$out/slots.png"
else
  echo "no window" >> "$out/result.txt"
fi
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
