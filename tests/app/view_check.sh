#!/bin/sh
# The real window under a virtual X display, magnified and in full screen:
# - at 2x the game screen is 1280 x 960 and every 2 x 2 block is one colour
#   (nearest-neighbour, never blurred);
# - in full screen on 1920 x 1080 it is 2x, centred on black;
# - at 3x and in full screen a right click one game pixel outside the message
#   window leaves it alone, and one on its corner pixel hides it: the pointer
#   lands on the same game pixel as at 1x.
# usage: view_check.sh BUILD_DIR [SHOT_DIR]   (SHOT_DIR keeps the screenshots)
set -eu
build=$1
keep=${2:-}
work=$(mktemp -d)
trap 'if [ -n "$keep" ]; then mkdir -p "$keep"; cp "$work"/*.png "$keep"/ 2>/dev/null || true; fi; rm -rf "$work"' EXIT
cp -r "$build/data" "$work/data"
cat > "$work/inner.sh" <<'INNER'
#!/bin/sh
# inner.sh WORK SHOT ARGS...: starts the game, waits, finds the game screen,
# writes SHOT.png and SHOT.geo ("X Y W H" of the window).
set -eu
work=$1; shot=$2; shift 2
"$VELMORA" "$@" "$work/data" > "$work/$shot.log" 2>&1 &
pid=$!
sleep 10
eval "$(xwininfo -name Velmora | awk '/Absolute upper-left X/ {print "x=" $4}
  /Absolute upper-left Y/ {print "y=" $4} /Width:/ {print "w=" $2} /Height:/ {print "h=" $2}')"
echo "$x $y $w $h" > "$work/$shot.geo"
import -window root "$work/$shot.png"
if [ -n "${CLICKS:-}" ]; then
  # CLICKS: "gx,gy" game pixels, right-clicked in order with a shot after
  # each ("Lgx,gy" a left click, given time for what it starts); the game
  # screen's origin and scale come from ORIGIN, "X Y SCALE", or "SCALE" for
  # the window's own, just found.
  set -- $ORIGIN
  if [ $# = 1 ]; then s=$1; ox=$x; oy=$((y + h - 480 * s)); else ox=$1; oy=$2; s=$3; fi
  n=0
  for p in $CLICKS; do
    case $p in *,*) ;; *) continue ;; esac
    button=3; pause=1.5
    case $p in L*) button=1; pause=6; p=${p#L} ;; esac
    gx=${p%,*}; gy=${p#*,}
    # The middle of the game pixel's square on the real screen.
    xdotool mousemove $((ox + gx * s + s / 2)) $((oy + gy * s + s / 2)) click $button
    sleep $pause
    n=$((n + 1))
    import -window root "$work/$shot-click$n.png"
  done
fi
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
INNER
export VELMORA="$build/velmora" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
export SDL_AUDIODRIVER=dummy
run() {  # run SCREEN SHOT ARGS...
  screen=$1; shift
  xvfb-run -a -s "-screen 0 ${screen}x24" sh "$work/inner.sh" "$work" "$@"
}
fail() { echo "FAIL: $*"; cat "$work"/*.log; exit 1; }
# A game-screen crop is crisp when shrinking it by its scale and growing it
# back gives it again pixel for pixel.
crisp() {  # crisp IMAGE SCALE
  pct=$((100 / $2))
  convert "$1" -sample "$pct%" -sample "$(($2 * 100))%" "$work/back.png"
  ae=$(compare -metric AE "$1" "$work/back.png" null: 2>&1 || true)
  [ "$ae" = 0 ] || fail "$1 is not whole ${2}x${2} blocks ($ae pixels differ)"
}
passed=0

# 2x in a window.
run 1920x1080 x2 --scale 2
set -- $(cat "$work/x2.geo")
[ "$3" -eq 1280 ] || fail "2x window is $3 wide"
[ "$4" -gt 960 ] || fail "2x window is $4 high"
convert "$work/x2.png" -crop "1280x960+$1+$(($2 + $4 - 960))" +repage "$work/x2-game.png"
crisp "$work/x2-game.png" 2
sd=$(convert "$work/x2-game.png" -colorspace gray -format '%[fx:standard_deviation]' info:)
awk "BEGIN { exit !($sd > 0.05) }" || fail "the 2x screen is blank"
passed=$((passed + 1))

# Full screen on 1920 x 1080: the largest whole scale, 2, centred on black.
# The black border is looked for below the menu bar.
CLICKS="" run 1920x1080 full --fullscreen
set -- $(cat "$work/full.geo")
[ "$3" -eq 1920 ] && [ "$4" -eq 1080 ] || fail "full screen window is $3 x $4"
convert "$work/full.png" -crop 1920x1050+0+30 +repage -trim -format '%w %h %X %Y' info: > "$work/full.trim"
set -- $(sed 's/+//g' "$work/full.trim")
[ "$1" -eq 1280 ] && [ "$2" -eq 960 ] && [ "$3" -eq 320 ] ||
  fail "full screen picture is $1 x $2 at x $3 (want 1280 x 960 at 320)"
top=$(($4 + 30))
# Centred in the area below the menu bar: as much black below as above it.
below=$((1080 - top - 960))
menu=$((top - below))
[ $menu -ge 0 ] && [ $menu -le 60 ] || fail "full screen picture at y $top is not centred"
convert "$work/full.png" -crop "1280x960+320+$top" +repage "$work/full-game.png"
crisp "$work/full-game.png" 2
passed=$((passed + 1))

# After the title menu's start item (a left click on (300, 255)), right
# clicks at 3x and in full screen: (194, 400) and (300, 354) lie on the scene
# just outside the message window (195, 355, 432 x 108) and change nothing;
# (195, 355) is its corner pixel and hides it.
clicks_check() {  # clicks_check SHOT OX OY SCALE
  shot=$1
  # The window's left border strip, clear of text and the blinking mark.
  strip="$(($4 * 4))x$(($4 * 80))+$(($2 + 196 * $4))+$(($3 + 370 * $4))"
  for n in 1 3 4; do
    convert "$work/$shot-click$n.png" -crop "$strip" +repage "$work/s$n.png"
  done
  same=$(compare -metric AE "$work/s1.png" "$work/s3.png" null: 2>&1 || true)
  [ "$same" = 0 ] || fail "$shot: a click outside the message window changed it ($same)"
  gone=$(compare -metric AE "$work/s3.png" "$work/s4.png" null: 2>&1 || true)
  [ "$gone" != 0 ] || fail "$shot: a right click on the window's corner pixel did not hide it"
}
ORIGIN=3 CLICKS="L300,255 194,400 300,354 195,355" run 2048x1600 x3 --scale 3
set -- $(cat "$work/x3.geo")
clicks_check x3 "$1" $(($2 + $4 - 1440)) 3
passed=$((passed + 1))
ORIGIN="320 $top 2" CLICKS="L300,255 194,400 300,354 195,355" run 1920x1080 full --fullscreen
clicks_check full 320 "$top" 2
passed=$((passed + 1))

echo "$passed passed, 0 failed"
