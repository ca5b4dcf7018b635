#!/bin/sh
# The history window in the real desktop under a virtual X display: the wheel
# turned up over the game opens it; Escape, a click on the game screen (outside
# the list) and the wheel turned down at the end of the list each close it;
# the game screen is the same before and after; Enter on a line lit by the
# arrow keys goes back to that message.
# usage: history_check.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/data" "$work/data"
cat > "$work/inner.sh" <<'INNER'
#!/bin/sh
set -u
work=$1
"$VELMORA" "$work/data" > "$work/game.log" 2>&1 &
pid=$!
sleep 8
x=$(xwininfo -name Velmora | awk '/Absolute upper-left X/ {print $4}')
y=$(xwininfo -name Velmora | awk '/Absolute upper-left Y/ {print $4}')
h=$(xwininfo -name Velmora | awk '/Height:/ {print $2}')
top=$((y + h - 480))
echo "$x $top" > "$work/origin"
# The title menu's start item, then a few messages on: clicks on the
# message window.
xdotool mousemove $((x + 300)) $((top + 255)) click 1; sleep 6
for i in 1 2 3 4; do xdotool mousemove $((x + 450)) $((top + 420)) click 1; sleep 2; done
import -window root "$work/before.png"
is_open() { xwininfo -root -tree | grep -q '"履歴"'; }
state() { if is_open; then echo open; else echo closed; fi; }
wheel_up() { xdotool mousemove $((x + 320)) $((top + 200)) click 4; sleep 1.5; }
wheel_up; echo "wheel up: $(state)" >> "$work/result"
xdotool key Escape; sleep 1; echo "escape: $(state)" >> "$work/result"
wheel_up; echo "wheel up: $(state)" >> "$work/result"
xdotool mousemove $((x + 20)) $((top + 20)) click 1; sleep 1
echo "click outside: $(state)" >> "$work/result"
wheel_up; echo "wheel up: $(state)" >> "$work/result"
hx=$(xwininfo -name 履歴 | awk '/Absolute upper-left X/ {print $4}')
hy=$(xwininfo -name 履歴 | awk '/Absolute upper-left Y/ {print $4}')
xdotool mousemove $((hx + 100)) $((hy + 100)) click 5; sleep 1
echo "wheel down at the end: $(state)" >> "$work/result"
import -window root "$work/after.png"
# Up lights the newest line, Up again the one before; Enter goes back to that
# message, and Page Down comes forward again to the screen as it was.
wheel_up
xdotool key Up Up Return; sleep 1.5
echo "enter on a line: $(state)" >> "$work/result"
import -window root "$work/back.png"
xdotool mousemove $((x + 320)) $((top + 200)) key Next; sleep 1.5
import -window root "$work/forward.png"
# A termination request while the history is open ends the game in order.
wheel_up
kill -TERM $pid 2>/dev/null || true
n=0
while kill -0 $pid 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
if kill -0 $pid 2>/dev/null; then echo "sigterm while open: still running" >> "$work/result"
else echo "sigterm while open: ended" >> "$work/result"; fi
kill -KILL $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
INNER
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy VELMORA="$build/velmora" \
  xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/inner.sh" "$work"
want="wheel up: open
escape: closed
wheel up: open
click outside: closed
wheel up: open
wheel down at the end: closed
enter on a line: closed
sigterm while open: ended"
got=$(cat "$work/result")
[ "$got" = "$want" ] || { echo "FAIL: got"; echo "$got"; cat "$work/game.log"; exit 1; }
# Nothing in the game moved while the history was open (but for the click
# mark, which blinks on while the game waits).
set -- $(cat "$work/origin")
mark="rectangle $(($1 + 600)),$(($2 + 436)) $(($1 + 622)),$(($2 + 458))"
convert "$work/before.png" -fill black -draw "$mark" "$work/b.png"
differ() {
  convert "$work/$1.png" -fill black -draw "$mark" "$work/x.png"
  compare -metric AE "$work/b.png" "$work/x.png" null: 2>&1 || true
}
ae=$(differ after)
[ "$ae" = 0 ] || { echo "FAIL: the game screen changed ($ae pixels)"; exit 1; }
ae=$(differ back)
[ "$ae" != 0 ] || { echo "FAIL: Enter on an earlier line did not go back"; exit 1; }
ae=$(differ forward)
[ "$ae" = 0 ] || { echo "FAIL: Page Down did not come back to the newest message ($ae pixels)"; exit 1; }
echo "1 passed, 0 failed"
