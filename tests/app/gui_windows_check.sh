#!/bin/sh
# Plays the real game in a virtual X display through its secondary windows:
# the title menu's load item opens the slot window and "Close" closes it; in
# the story a save and a load each show their notice on screen during the
# second they stand (the window keeps painting while the game waits); a
# close request while a message box is open ends the game in order.
# usage: gui_windows_check.sh BUILD_DIR
set -eu
build=$1
. "$(dirname "$0")/gui_lib.sh"
game_copy "$build"
cp "$build/wm-close" "$work/"
rm -f "$work"/data/0?.dat
cat > "$work/run.sh" <<'INNER'
#!/bin/sh
. "$2/gui_lib.sh"
cd "$1"
./velmora > game.log 2>&1 &
pid=$!
: > result.txt
# From the loading picture to the title menu: the panel dissolves in steps
# with pauses between them, and shots taken meanwhile show its stages.
(for n in $(seq 10 40); do import -window root "title$n.png"; sleep 0.2; done) &
shots=$!
# Y: picks the ゲーム menu's item at Y.
game_menu() {
  xdotool mousemove $((wx + 20)) $((wy + 12)) click 1
  sleep 0.7
  xdotool mousemove $((wx + 50)) $((wy + $1)) click 1
}
# [TRIES]: the slot window, at $sx $sy; X Y: a click there in it.
slot_window() { window 'ゲームデータ' "${1:-20}" && sx=$X && sy=$Y; }
slot() { xdotool mousemove $((sx + $1)) $((sy + $2)) click 1; }
window '^Velmora$' 100 || { echo "no window" >> result.txt; exit 0; }
main=$w
wx=$X
wy=$Y
gx=$X
gy=$((Y + HEIGHT - 480))
wait $shots
# Until the menu takes presses (some seconds after start), press "load".
i=0
until xdotool mousemove $((gx + 300)) $((gy + 290)) click 1 && slot_window 5; do
  i=$((i + 1))
  [ $i -lt 30 ] || { echo "the slot window did not open" >> result.txt; exit 0; }
done
import -window root slots.png
slot 334 171  # "Close"
sleep 1.5
if [ -n "$(xdotool search --onlyvisible --name 'ゲームデータ' 2>/dev/null || true)" ] ||
   ! kill -0 $pid 2>/dev/null; then
  echo "the slot window did not close" >> result.txt
fi
# Into the story; once its first message stands, ゲーム > セーブ.
xdotool mousemove $((gx + 300)) $((gy + 255)) click 1
sleep 7
game_menu 36
slot_window || { echo "no slot window to save in" >> result.txt; exit 0; }
slot 94 20  # slot 1
sleep 0.5
slot 334 69  # "Save": an empty slot, at once
sleep 0.4
import -window root saved.png
sleep 1.5
slot 334 171  # "Close"
sleep 1
game_menu 60  # ゲーム > ロード
slot_window || { echo "no slot window to load from" >> result.txt; exit 0; }
slot 94 20
sleep 0.5
slot 334 103  # "Load"
sleep 0.4
import -window root loaded.png
echo "$sx $sy" > slot_place.txt
sleep 3
# ゲーム > 終了 asks first; the close box meanwhile ends the game in order.
game_menu 180
sleep 1
xwininfo -root -tree > asked.txt
./wm-close "$main"
i=0
while [ $i -lt 20 ] && kill -0 $pid 2>/dev/null; do
  sleep 0.1
  i=$((i + 1))
done
if kill -0 $pid 2>/dev/null; then
  echo "a close during the quit question did not end the game" >> result.txt
  kill $pid 2>/dev/null || true
fi
status=0
wait $pid || status=$?
echo "$status" > status.txt
INNER
chmod +x "$work/run.sh"
XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$work" "$(cd "$(dirname "$0")" && pwd)"
fail() {
  echo "$1"
  cat "$work/game.log"
  exit 1
}
[ ! -s "$work/result.txt" ] || fail "$(cat "$work/result.txt")"
count() {  # SHOT COLOUR W H X Y
  convert "$1" -crop "$3x$4+$5+$6" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:round(mean*w*h)]' info:
}
read sx sy < "$work/slot_place.txt"
pink=$(count "$work/saved.png" '#FFC0C0' 384 192 "$sx" "$sy")
green=$(count "$work/loaded.png" '#C0FFC0' 384 192 "$sx" "$sy")
echo "notice pixels: saved $pink, loaded $green"
[ "$pink" -gt 2000 ] || fail "the \"saved\" notice was not on screen during its second"
[ "$green" -gt 2000 ] || fail "the \"loaded\" notice was not on screen during its second"
distinct=$(for f in "$work"/title*.png; do convert "$f" -format '%#\n' info:; done | sort -u | wc -l)
echo "distinct frames from start to title: $distinct"
[ "$distinct" -ge 3 ] || fail "the title's dissolve did not paint during its pauses"
grep -q '終了しますか' "$work/asked.txt" || grep -q 'Velmora' "$work/asked.txt" ||
  fail "no quit question was open"
[ "$(cat "$work/status.txt")" = 0 ] || fail "exit status $(cat "$work/status.txt")"
disguised "$work/data" || fail "a picture was left undisguised"
[ -f "$work/data/00.dat" ] || fail "the save wrote no 00.dat"
echo "1 passed, 0 failed"
