#!/bin/sh
# Reading aloud in the real desktop under a virtual X display, through a real
# speech service started for this check alone: its own configuration, socket
# and log in the check's folder, the espeak-ng voices writing to no sound
# device. The V key turns reading on at the title; the title's items and the
# first message reach the service (its log shows the texts), and the setting
# is kept in settings.ini. Skipped when speech-dispatcher is not installed.
# usage: speech_check.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui_lib.sh"
scratch
trap 'stop_speech "$work"; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
cp -r "$build/data" "$work/data"
start_speech "$work" || exit $?
cat > "$work/inner.sh" <<'INNER'
#!/bin/sh
set -u
work=$1
. "$2/gui_lib.sh"
"$VELMORA" "$work/data" > "$work/game.log" 2>&1 &
pid=$!
sleep 8
game_origin
# Reading on, then the pointer over つづきから, then the story started.
xdotool mousemove $((x + 20)) $((top + 20)) click 1 key v; sleep 1
xdotool mousemove $((x + 300)) $((top + 290)); sleep 1
xdotool mousemove $((x + 300)) $((top + 255)) click 1; sleep 6
stop_game $pid > /dev/null
wait $pid 2>/dev/null || true
INNER
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy VELMORA="$build/velmora" \
  SPEECHD_ADDRESS="unix_socket:$work/speechd.sock" \
  xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/inner.sh" "$work" "$here"
said="$work/speechd-log/speech-dispatcher.log"
fail=0
for text in "読み上げをオンにしました" "つづきから" "港町ヴェルモラの夏は、潮の香りと一緒にやってくる。"; do
  grep -aqF "$text" "$said" || { echo "FAIL: the speech service never got \"$text\""; fail=1; }
done
grep -q "self_voicing=true" "$work/config/velmora/settings.ini" ||
  { echo "FAIL: settings.ini does not keep reading aloud"; fail=1; }
if [ $fail -ne 0 ]; then cat "$work/game.log"; exit 1; fi
echo "the speech service got the title's item and the first message"
