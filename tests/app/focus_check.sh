#!/bin/sh
# The keyboard in the real game's secondary windows, under a virtual X
# display: in 環境設定, オプション設定, the version box and the slot window,
# Tab visits every control in reading order and comes round to the first
# again, Shift+Tab goes the same way back, and a focused bar moves with the
# arrow, page and Home/End keys. The read-aloud layer says each control the
# focus reaches, so a speech service started for this check alone keeps the
# record of where the focus went. In the rename dialog (the toolkit's own)
# Tab and Shift+Tab leave the focus on OK, which the space then presses: the
# name typed is the one the story says next. Skipped when speech-dispatcher
# is not installed.
# usage: focus_check.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui_lib.sh"
scratch
trap 'stop_speech "$work"; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
cp -r "$build/data" "$work/data"
# The check skips to the first choice through text this player never read.
mkdir -p "$work/config/velmora"
printf '[text]\nskip_unread=true\n' > "$work/config/velmora/settings.ini"
start_speech "$work" || exit $?
cat > "$work/inner.sh" <<'INNER'
#!/bin/sh
set -u
work=$1
. "$2/gui_lib.sh"
"$VELMORA" --scale 1 "$work/data" > "$work/game.log" 2>&1 &
pid=$!
sleep 8
game_origin
# Reading on (V at the title), the pointer then on the menu bar, away from
# the title's items.
xdotool mousemove $((x + 20)) $((top + 20)) click 1 key v; sleep 1
# MENU_X ITEM_Y: picks an item of the menu bar's menu at MENU_X.
pick() {
  xdotool mousemove $((x + $1)) $((y + 12)) click 1; sleep 0.8
  xdotool mousemove $((x + $1 + 20)) $((y + $2)) click 1; sleep 1.5
}
# CAPTION: the pointer on an empty corner of the window so named, where the
# keys go (there is no window manager to give it the focus).
enter() {
  w=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
  [ -n "$w" ] || { echo "no window $1" >> "$work/result"; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$w")"
  xdotool mousemove $((X + 2)) $((Y + HEIGHT - 3)); sleep 0.8
}
# KEY N: presses KEY N times, as a player would.
press() {
  i=0
  while [ $i -lt "$2" ]; do xdotool key "$1"; sleep 0.3; i=$((i + 1)); done
}
# 表示 > 環境設定...: 16 stops (2倍 and 3倍 are greyed on this screen).
pick 75 161
if enter 環境設定; then
  press Tab 15
  press shift+Tab 15
  press Tab 1
  press Left 1; press Page_Down 1; press Page_Up 1; press Right 1; press Home 1; press End 1
  xdotool key Escape; sleep 1
fi
# ゲーム > 設定: 10 stops.
pick 20 228
if enter オプション設定; then
  press Tab 11
  press shift+Tab 11
  press shift+Tab 3
  press Left 1; press Page_Up 1
  xdotool key Escape; sleep 1
fi
# ヘルプ > バージョン: the two links and OK.
pick 120 36
if enter ﾊﾞｰｼﾞｮﾝ情報; then
  press Tab 4
  press shift+Tab 4
  xdotool key Escape; sleep 1
fi
# The title's つづきから by the keys, with the pointer on the menu bar: the
# slot window to load from.
xdotool mousemove $((x + 300)) $((y + 12)) key Down Down Return; sleep 2
if enter ゲームデータ; then
  press Tab 20
  press shift+Tab 20
  xdotool key Escape; sleep 1
fi
# Into the story, on to the first choice (the skip of the ゲーム menu), the
# first answer by the keys, and click by click on to the rename dialog: a new
# name typed, then Tab round the entry, Cancel and OK and back; the space
# presses the button reached, OK.
xdotool mousemove $((x + 300)) $((top + 255)) click 1; sleep 6
pick 20 156; sleep 6
xdotool mousemove $((x + 300)) $((y + 12)) key Down Return; sleep 3
i=0
while [ $i -lt 30 ] && [ -z "$(xdotool search --onlyvisible --name なまえの変更)" ]; do
  xdotool mousemove $((x + 450)) $((top + 420)) click 1; sleep 1.5
  i=$((i + 1))
done
if enter なまえの変更; then
  xdotool type "Aa Bb"; sleep 0.5
  press Tab 3
  press shift+Tab 2
  press Tab 1
  xdotool key space; sleep 3
fi
stop_game $pid > /dev/null
wait $pid 2>/dev/null || true
INNER
: > "$work/result"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy VELMORA="$build/velmora" \
  SPEECHD_ADDRESS="unix_socket:$work/speechd.sock" \
  xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/inner.sh" "$work" "$here"
said_texts "$work/speechd-log/speech-dispatcher.log" > "$work/said.txt"
fail() { echo "FAIL: $*"; cat "$work/game.log"; exit 1; }
[ ! -s "$work/result" ] || fail "$(cat "$work/result")"
all="|$(tr '\n' '|' < "$work/said.txt")"
# WHAT: the lines on standard input were said one after another.
said_in_turn() {
  run="|$(tr '\n' '|')"
  case "$all" in
    *"$run"*) echo "$1: as expected" ;;
    *) echo "FAIL: $1: not said in turn:"; echo "$run" | tr '|' '\n'; echo "said:"
       cat "$work/said.txt"; exit 1 ;;
  esac
}
# 環境設定 opens on the first volume; Tab goes round the fourteen stops and
# on, Shift+Tab all the way back; the effects volume then moves by a step,
# a page, a page, a step and to both ends.
said_in_turn "環境設定" <<'SAID'
環境設定
音楽の音量 100 %
効果音の音量 100 %
遅い
普通 選択中
速い
瞬間
オートの間隔 1.5 秒
未読も飛ばす オン
等倍 選択中
全画面表示 オフ
大きな文字 オフ
高コントラスト オフ
OK
Cancel
音楽の音量 100 %
効果音の音量 100 %
音楽の音量 100 %
Cancel
OK
高コントラスト オフ
大きな文字 オフ
全画面表示 オフ
等倍 選択中
未読も飛ばす オン
オートの間隔 1.5 秒
瞬間
速い
普通 選択中
遅い
効果音の音量 100 %
音楽の音量 100 %
効果音の音量 100 %
効果音の音量 99 %
効果音の音量 89 %
効果音の音量 99 %
効果音の音量 100 %
効果音の音量 0 %
効果音の音量 100 %
SAID
said_in_turn "オプション設定" <<'SAID'
オプション設定
選択までｽｷｯﾌﾟ
ｽｸﾛｰﾙなし
1行ずつ表示
1文字ずつ表示 選択中
ＢＧＭ オン
効果音 オン
ﾒｯｼｭで表示 オフ
ｳｨﾝﾄﾞｳの濃さ 80 Low High
OK
Cancel
選択までｽｷｯﾌﾟ
ｽｸﾛｰﾙなし
選択までｽｷｯﾌﾟ
Cancel
OK
ｳｨﾝﾄﾞｳの濃さ 80 Low High
ﾒｯｼｭで表示 オフ
効果音 オン
ＢＧＭ オン
1文字ずつ表示 選択中
1行ずつ表示
ｽｸﾛｰﾙなし
選択までｽｷｯﾌﾟ
Cancel
OK
ｳｨﾝﾄﾞｳの濃さ 80 Low High
ｳｨﾝﾄﾞｳの濃さ 79 Low High
ｳｨﾝﾄﾞｳの濃さ 89 Low High
SAID
said_in_turn "ﾊﾞｰｼﾞｮﾝ情報" <<'SAID'
ﾊﾞｰｼﾞｮﾝ情報
mailto:staff@velmora.example.org
https://velmora.example.org/
OK
mailto:staff@velmora.example.org
https://velmora.example.org/
mailto:staff@velmora.example.org
OK
https://velmora.example.org/
mailto:staff@velmora.example.org
SAID
# The five slots (none saved yet), each with its number, then Load and
# Close; Save and Delete are greyed at the title. Shift+Tab reads them in
# the other order.
slots="スロット1、データなし
スロット2、データなし
スロット3、データなし
スロット4、データなし
スロット5、データなし"
back=$(printf '%s\n' "$slots" | tac)
said_in_turn "ゲームデータ" <<SAID
ゲームデータ
$slots
Load
Close
$slots
Load
Close
$slots
Load
Close
Load
$back
Close
Load
$back
Close
Load
$back
SAID
# Tab from the entry went Cancel, OK, entry; Shift+Tab OK, Cancel; Tab OK:
# the name typed is the one she says.
grep -qF "AaBbです。よろしくね、ソラノくん。" "$work/said.txt" ||
  fail "the rename dialog's OK was not where Tab and Shift+Tab should have left the focus"
echo "なまえの変更: as expected"
echo "1 passed, 0 failed"
