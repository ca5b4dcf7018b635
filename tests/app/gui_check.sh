#!/bin/sh
# Starts the real game in a virtual X display, looks at the screen after a few
# seconds and checks that the 640 x 480 game window shows a picture.
# usage: gui_check.sh BUILD_DIR
set -eu
build=$1
. "$(dirname "$0")/gui_workdir.sh"
cat > "$work/run.sh" <<'INNER'
#!/bin/sh
cd "$1"
./velmora > game.log 2>&1 &
pid=$!
sleep 6
# Nothing draws with OpenGL, so the desktop's OpenGL driver stays out.
grep -c 'libGLX\|libLLVM' /proc/$pid/maps > gl.txt
xwininfo -root -tree > tree.txt
import -window root shot.png
kill $pid 2>/dev/null || true
status=0
wait $pid || status=$?
echo "$status" > status.txt
# A termination request just after launch (as soon as the program holds such
# requests, while the toolkit starts and the loading picture is up) must leave
# the system file exactly as it was.
cp data/50.dat sys-before.dat
"$2/close_early.sh" status2.txt game2.log ./velmora
INNER
chmod +x "$work/run.sh"
XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$work" "$(cd "$(dirname "$0")" && pwd)"
grep -q '"Velmora"' "$work/tree.txt" || { echo "no Velmora window"; cat "$work/tree.txt"; cat "$work/game.log"; exit 1; }
[ "$(cat "$work/gl.txt")" = 0 ] || { echo "the game loaded an OpenGL driver"; exit 1; }
# The game screen must hold a picture, not one flat colour.
sd=$(convert "$work/shot.png" -crop 640x480+192+156 -colorspace gray -format '%[fx:standard_deviation]' info:)
echo "screen deviation $sd"
awk "BEGIN { exit !($sd > 0.05) }" || { echo "the game screen is blank"; exit 1; }
# Both terminations went through the orderly shutdown: exit status 0, every
# picture disguised again, the system file whole.
for f in status.txt status2.txt; do
  [ "$(cat "$work/$f")" = 0 ] || { echo "$f: exit status $(cat "$work/$f")"; cat "$work"/game*.log; exit 1; }
done
for n in 11 12 21 22 31 32 41 42 60 70 71 73 74 75 76 77 78 79 80 81 82 83 84 85; do
  [ "$(head -c 2 "$work/data/$n.dat")" = JF ] || { echo "$n.dat left undisguised"; exit 1; }
done
[ "$(wc -l < "$work/data/50.dat")" = 25 ] || { echo "50.dat is not 25 lines"; exit 1; }
cmp -s "$work/sys-before.dat" "$work/data/50.dat" || { echo "an early close changed 50.dat"; exit 1; }
echo "1 passed, 0 failed"
