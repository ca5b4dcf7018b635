#!/bin/sh
# Plays the real game in a virtual X display far enough to open and close a
# secondary window: the title menu's load item opens the slot window, its
# "Close" button closes it, and the game goes on.
# usage: gui_windows_check.sh BUILD_DIR
set -eu
build=$1
. "$(dirname "$0")/gui_workdir.sh"
cat > "$work/run.sh" <<'INNER'
#!/bin/sh
cd "$1"
./velmora > game.log 2>&1 &
pid=$!
result=fail
main=""
i=0
while [ $i -lt 100 ] && [ -z "$main" ]; do
  main=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | head -1 || true)
  sleep 0.2
  i=$((i + 1))
done
if [ -n "$main" ]; then
  eval "$(xdotool getwindowgeometry --shell "$main")"
  gx=$X
  gy=$((Y + HEIGHT - 480))
  # Until the menu takes presses (some seconds after start), press "load".
  slots=""
  i=0
  while [ $i -lt 30 ] && [ -z "$slots" ]; do
    xdotool mousemove $((gx + 300)) $((gy + 290)) click 1
    sleep 1
    slots=$(xdotool search --onlyvisible --name 'ゲームデータ' 2>/dev/null | head -1 || true)
    i=$((i + 1))
  done
  if [ -n "$slots" ]; then
    import -window root slots.png
    eval "$(xdotool getwindowgeometry --shell "$slots")"
    xdotool mousemove $((X + 334)) $((Y + 171)) click 1  # "Close"
    sleep 1.5
    if [ -z "$(xdotool search --onlyvisible --name 'ゲームデータ' 2>/dev/null || true)" ] &&
       kill -0 $pid 2>/dev/null; then
      result=ok
    fi
  fi
fi
echo "$result" > result.txt
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
INNER
chmod +x "$work/run.sh"
XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$work"
if [ "$(cat "$work/result.txt")" != ok ]; then
  echo "the slot window did not open and close"
  cat "$work/game.log"
  exit 1
fi
echo "1 passed, 0 failed"
