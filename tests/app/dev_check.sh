#!/bin/sh
# velmora --dev in the real window: the caption names the author's folder,
# and the folder comes out of a kill -9 and of a close while loading byte for
# byte as it went in (everything the game writes goes to the shadow folder).
# usage: dev_check.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
. "$(dirname "$0")/gui_lib.sh"
scratch
"$build/velmora-data" unpack "$build/data" "$work/edit" > /dev/null
listing() { (cd "$work/edit" && find . -exec ls -ld --time-style=+%s.%N {} + | sort -k7); }
sums() { (cd "$work/edit" && find . -type f -exec sha256sum {} + | sort -k2); }
listing > "$work/before.ls"
sums > "$work/before.sha"
cat > "$work/run.sh" <<'INNER'
#!/bin/sh
cd "$1"
"$2/velmora" --dev edit > game.log 2>&1 &
pid=$!
i=0
while [ $i -lt 600 ] && ! xwininfo -root -tree | grep -q '"edit (dev)"'; do
  sleep 0.1
  i=$((i + 1))
done
xwininfo -root -tree > tree.txt
sleep 1
kill -9 $pid
wait $pid || true
# A close request while the loading picture is up.
"$3/close_early.sh" status2.txt game2.log "$2/velmora" --dev edit
INNER
chmod +x "$work/run.sh"
XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy \
  xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$work" "$build" "$(cd "$(dirname "$0")" && pwd)"
grep -q '"edit (dev)"' "$work/tree.txt" || { echo "no window captioned \"edit (dev)\""; cat "$work/game.log"; exit 1; }
[ "$(cat "$work/status2.txt")" = 0 ] || { echo "close while loading: exit status $(cat "$work/status2.txt")"; cat "$work/game2.log"; exit 1; }
ls "$work"/cache/velmora/dev/edit-*/51.dat > /dev/null || { echo "no shadow folder"; exit 1; }
sums | cmp -s - "$work/before.sha" || { echo "the author's files changed"; sums | diff "$work/before.sha" -; exit 1; }
listing | cmp -s - "$work/before.ls" || { echo "the author's folder changed"; listing | diff "$work/before.ls" -; exit 1; }
echo "1 passed, 0 failed"
