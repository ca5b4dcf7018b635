#!/bin/sh
# Run by the GUI checks under xvfb-run: starts a program from a folder of its
# own, gives it 8 s to show its window, keeps the window tree and a shot of
# the screen, then ends it.
# usage: launch_and_shoot.sh START_DIR OUT_DIR PROGRAM [ARGUMENT...]
cd "$1" || exit 1
out=$2
shift 2
"$@" > "$out/game.log" 2>&1 &
pid=$!
sleep 8
xwininfo -root -tree > "$out/tree.txt"
import -window root "$out/shot.png"
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
