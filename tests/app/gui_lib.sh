# Sourced by the GUI checks and by the scripts they run under the virtual
# display.

# A scratch folder, $work, removed when the check ends (kept with KEEP_WORK).
scratch() {
  work=$(mktemp -d)
  trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
}
# BUILD: a scratch folder holding a copy of the game and its demo data.
game_copy() {
  scratch
  cp "$1/velmora" "$work/"
  cp -r "$1/data" "$work/data"
}
# NAME TRIES: waits up to TRIES x 0.2 s for a visible window so named; $X
# and $Y its place.
window() {
  w=""
  i=0
  while [ $i -lt "$2" ] && [ -z "$w" ]; do
    sleep 0.2
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    i=$((i + 1))
  done
  [ -n "$w" ] && eval "$(xdotool getwindowgeometry --shell "$w")"
}
# The game screen's top left on the display, $x and $top (the menu bar is
# above it).
game_origin() {
  eval "$(xwininfo -name Velmora | awk '/Absolute upper-left X/ {print "x=" $4}
    /Absolute upper-left Y/ {print "y=" $4} /Height:/ {print "h=" $2}')"
  top=$((y + h - 480))
}
# PID: asks the game to end (SIGTERM) and gives it five seconds; says
# "ended" or "still running", and kills what is left. Called by the shell
# that started the game (not in a $(...)), which alone sees it gone.
stop_game() {
  kill -TERM "$1" 2>/dev/null || true
  n=0
  while kill -0 "$1" 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
  if kill -0 "$1" 2>/dev/null; then echo "still running"; else echo "ended"; fi
  kill -KILL "$1" 2>/dev/null || true
}
# SHOT [CROP]: the game screen holds a picture, not one flat colour (by
# default the 640 x 480 window in the middle of a 1024 x 768 display).
shows_picture() {
  sd=$(convert "$1" -crop "${2:-640x480+192+156}" -colorspace gray -format '%[fx:standard_deviation]' info:)
  echo "screen deviation $sd"
  awk "BEGIN { exit !($sd > 0.05) }"
}
# OUT WINDOW START PROGRAM [ARGUMENT...]: PROGRAM, started from START under
# a virtual display, shows a window whose line of the window tree holds
# WINDOW, and a picture in it. $app is this folder.
launched() {
  out=$1 window=$2 start=$3
  shift 3
  SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
    sh "$app/launch_and_shoot.sh" "$start" "$out" "$@"
  grep -qF "$window" "$out/tree.txt" || { cat "$out/tree.txt" "$out/game.log"; return 1; }
  shows_picture "$out/shot.png" || { cat "$out/game.log"; return 1; }
}
# DIR: every picture the game disguises begins with "JF" again.
disguised() {
  for n in 11 12 21 22 31 32 41 42 60 70 71 73 74 75 76 77 78 79 80 81 82 83 84 85; do
    [ "$(head -c 2 "$1/$n.dat")" = JF ] || { echo "$n.dat left undisguised"; return 1; }
  done
}
# DIR: a speech service for this check alone, in DIR: its own configuration,
# socket and log, the espeak-ng voices writing to no sound device; stopped
# by stop_speech. Returns 77 (the check is skipped) when speech-dispatcher
# or its espeak-ng module is not installed. The game reaches it through
# SPEECHD_ADDRESS=unix_socket:DIR/speechd.sock; what it was given to say is
# in DIR/speechd-log/speech-dispatcher.log (see said_texts).
start_speech() {
  command -v speech-dispatcher > /dev/null || { echo "speech-dispatcher not installed"; return 77; }
  [ -x /usr/lib/speech-dispatcher-modules/sd_espeak-ng ] || { echo "no espeak-ng module"; return 77; }
  mkdir -p "$1/speechd/modules" "$1/speechd-log"
  cp /etc/speech-dispatcher/modules/espeak-ng.conf "$1/speechd/modules/"
  cat > "$1/speechd/speechd.conf" <<CONF
LogLevel 5
DefaultLanguage "ja"
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF
  speech-dispatcher -s -l 5 -L "$1/speechd-log" -c unix_socket -S "$1/speechd.sock" \
    -C "$1/speechd" -P "$1/speechd.pid" -t 60 > "$1/speechd.out" 2>&1 &
  n=0
  while [ ! -S "$1/speechd.sock" ] && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
  [ -S "$1/speechd.sock" ] || { echo "the speech service did not start"; cat "$1/speechd.out"; return 1; }
}
# DIR: stops the service start_speech started there.
stop_speech() {
  [ -f "$1/speechd.pid" ] && kill "$(cat "$1/speechd.pid")" 2>/dev/null || true
}
# LOG: the texts a speech service's log (start_speech) shows it was given to
# say, one a line, in order.
said_texts() {
  sed -n 's/.*speechd: *[0-9]*:DATA:|//p' "$1" | tr -d '\r' |
    awk '$0 == "speak" { on = 1; next } $0 == "." { on = 0 } on'
}
