# Sourced by the bundle checks: a player's copy played and saved, a new
# version made, and what its first start must leave. Uses $work and fail.

# BUILD DIR: the story started in the player's copy DIR and saved in slot 1
# (by the headless runner); the save kept as $work/saved-01.dat.
play_and_save() {
  printf '%s\n' "wait 5500" "click 300 255" "wait 8000" "menu prog_save" "wait 200" "slot 1" \
    "press Save" "wait 2000" "press Close" "wait 500" "menu prog_end" "answer yes" \
    > "$work/save-input.txt"
  "$1/velmora-play" "$2" "$work/save-input.txt" "$work/save-out" > "$work/save.log" 2>&1 ||
    { cat "$work/save.log"; fail "playing and saving"; }
  grep -q "file written 01.dat" "$work/save.log" || { cat "$work/save.log"; fail "no save"; }
  cp "$2/01.dat" "$work/saved-01.dat"
}

# SCRIPT_CSV: the story's first message reworded, as a new version would.
reword() {
  sed -i 's/潮の香りと一緒に/今年も潮の香りと一緒に/' "$1"
  grep -q '今年も潮の香り' "$1" || fail "no message to reword"
}

# OUT COPY OLD NEW DATA: the start of version NEW (its log and shots in OUT)
# said it replaced OLD in the player's copy COPY, which now plays the new
# script of DATA with the save kept, shown in the slot window.
updated() {
  cat "$1/result.txt"
  [ ! -s "$1/result.txt" ] || return 1
  grep -qF "velmora: warning: the game was updated: $3 replaced by $4 in $2; saves kept" "$1/game.log" ||
    { cat "$1/game.log"; return 1; }
  cmp "$work/saved-01.dat" "$2/01.dat" || { echo "the save was not kept"; return 1; }
  cmp "$5/51.dat" "$2/51.dat" || { echo "the copy plays the old script"; return 1; }
  grep -q 'ゲームデータ' "$1/tree.txt" || { cat "$1/tree.txt"; return 1; }
  shows_picture "$1/slots.png"
}
