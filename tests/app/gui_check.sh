#!/bin/sh
# Starts the real game in a virtual X display, looks at the screen after a few
# seconds and checks that the 640 x 480 game window shows a picture.
# usage: gui_check.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/velmora" "$work/"
cp -r "$build/data" "$work/data"
cat > "$work/run.sh" <<'INNER'
#!/bin/sh
cd "$1"
./velmora > game.log 2>&1 &
pid=$!
sleep 6
xwininfo -root -tree > tree.txt
import -window root shot.png
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
INNER
chmod +x "$work/run.sh"
XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$work"
grep -q '"Velmora"' "$work/tree.txt" || { echo "no Velmora window"; cat "$work/tree.txt"; cat "$work/game.log"; exit 1; }
# The game screen must hold a picture, not one flat colour.
sd=$(convert "$work/shot.png" -crop 640x480+192+156 -colorspace gray -format '%[fx:standard_deviation]' info:)
echo "screen deviation $sd"
awk "BEGIN { exit !($sd > 0.05) }" || { echo "the game screen is blank"; exit 1; }
echo "1 passed, 0 failed"
