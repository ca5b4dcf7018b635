#!/bin/sh
# The real game in a virtual X display: its window shows a picture without
# loading an OpenGL driver, and the history window opens and closes every
# way a player would: the wheel turned up over the game opens it; Escape, a
# click on the game screen (outside the list) and the wheel turned down at
# the end of the list each close it; the game screen is the same before and
# after; Enter on a line lit by the arrow keys, or a double click on a line,
# goes back to that message. A termination request while it is open, and one
# just after launch (while the toolkit starts and the loading picture is up),
# each end the game in order.
# usage: history_check.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui_lib.sh"
scratch
cp -r "$build/data" "$work/data"
cat > "$work/inner.sh" <<'INNER'
#!/bin/sh
set -u
work=$1
. "$2/gui_lib.sh"
"$VELMORA" "$work/data" > "$work/game.log" 2>&1 &
pid=$!
sleep 8
# Nothing draws with OpenGL, so the desktop's OpenGL driver stays out.
grep -c 'libGLX\|libLLVM' /proc/$pid/maps > "$work/gl.txt"
game_origin
echo "$x $top" > "$work/origin"
# The title menu's start item, then a few messages on: clicks on the
# message window.
xdotool mousemove $((x + 300)) $((top + 255)) click 1; sleep 6
import -window root "$work/first.png"
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
eval "$(xwininfo -name 履歴 | awk '/upper-left X/ {print "hx=" $4} /upper-left Y/ {print "hy=" $4}')"
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
# A double click on the oldest line, at the list's top, goes back to the
# first message; Page Down comes forward again.
wheel_up
xdotool mousemove $((hx + 100)) $((hy + 30)) click --repeat 2 --delay 80 1; sleep 1.5
echo "double click on a line: $(state)" >> "$work/result"
import -window root "$work/oldest.png"
xdotool mousemove $((x + 320)) $((top + 200)) key Next; sleep 1.5
wheel_up
printf 'sigterm while open: ' >> "$work/result"
stop_game $pid >> "$work/result"
status=0
wait $pid || status=$?
echo "$status" > "$work/status.txt"
cp "$work/data/50.dat" "$work/sys-before.dat"
"$2/close_early.sh" "$work/status2.txt" "$work/game2.log" "$VELMORA" "$work/data"
INNER
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy VELMORA="$build/velmora" \
  xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/inner.sh" "$work" "$here"
fail() { echo "FAIL: $*"; cat "$work"/game*.log; exit 1; }
want="wheel up: open
escape: closed
wheel up: open
click outside: closed
wheel up: open
wheel down at the end: closed
enter on a line: closed
double click on a line: closed
sigterm while open: ended"
got=$(cat "$work/result")
[ "$got" = "$want" ] || fail "got
$got"
[ "$(cat "$work/gl.txt")" = 0 ] || fail "the game loaded an OpenGL driver"
set -- $(cat "$work/origin")
shows_picture "$work/before.png" "640x480+$1+$2" || fail "the game screen is blank"
# Nothing in the game moved while the history was open (but for the click
# mark, which blinks on while the game waits).
mark="rectangle $(($1 + 600)),$(($2 + 436)) $(($1 + 622)),$(($2 + 458))"
convert "$work/before.png" -fill black -draw "$mark" "$work/b.png"
differ() {
  convert "$work/$1.png" -fill black -draw "$mark" "$work/x.png"
  compare -metric AE "$work/b.png" "$work/x.png" null: 2>&1 || true
}
ae=$(differ after)
[ "$ae" = 0 ] || fail "the game screen changed ($ae pixels)"
ae=$(differ back)
[ "$ae" != 0 ] || fail "Enter on an earlier line did not go back"
ae=$(differ forward)
[ "$ae" = 0 ] || fail "Page Down did not come back to the newest message ($ae pixels)"
convert "$work/first.png" -fill black -draw "$mark" "$work/b.png"
ae=$(differ oldest)
[ "$ae" = 0 ] || fail "a double click on the oldest line did not go back to the first message ($ae pixels)"
# Both terminations went through the orderly shutdown: exit status 0, every
# picture disguised again, the system file whole and, after the early one,
# exactly as it was.
for f in status.txt status2.txt; do
  [ "$(cat "$work/$f")" = 0 ] || fail "$f: exit status $(cat "$work/$f")"
done
disguised "$work/data" || fail "a picture was left undisguised"
[ "$(wc -l < "$work/data/50.dat")" = 25 ] || fail "50.dat is not 25 lines"
cmp -s "$work/sys-before.dat" "$work/data/50.dat" || fail "an early close changed 50.dat"
echo "1 passed, 0 failed"
