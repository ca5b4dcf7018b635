#include "script/interp.h"

#include "assets/data_error.h"
#include "assets/text_helpers.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "game/game.h"
#include "graphics/scene.h"
#include "message/history.h"
#include "message/message.h"
#include "sound/sound.h"

namespace vm {

namespace {

constexpr int kQuietRowsBetweenEvents = 1000;

// A jump that finds no target cannot go on: the same row would run again for
// ever. The message has been shown once; the program ends in order.
void jump_or_stop(Game& g) {
  if (!jump_to_num(g, g.interp.Cur_Jump)) throw ShutdownRequest{true};
}

int run_command(Game& g, int result) {
  switch (decide_command(g.interp)) {
    case Command::Keep:
      return result;
    case Command::Done:
      return kNothingToShow;
    case Command::Jump:
      jump_or_stop(g);
      return kPositionSet;
    case Command::Rename:
      Change_Name(g);
      return kNothingToShow;
    case Command::Sound:
      sound_command(g);
      return kNothingToShow;
    case Command::Choice:
      show_choices(g);
      return kPositionSet;
    case Command::BadP:
      message_box(g, "error(p?)");
      return kNothingToShow;
    case Command::BadI:
      message_box(g, "error(i?)");
      return kNothingToShow;
    case Command::Ending:
      if (g.sound.BGMLoop >= 0) g.pf.window.set_timer_enabled(g.sound.BGMLoop, false);
      if (g.input.Clicker >= 0) g.pf.window.set_timer_enabled(g.input.Clicker, false);
      run_ending(g);
      for (;;) {
        do_events(g);
        sleep_ms(g, 100);
      }
    case Command::Quit:
      for (int i = 0; i < 2; ++i) {
        do_events(g);
        sleep_ms(g, 50);
      }
      throw ShutdownRequest{};
    case Command::Clear:
      clear_message_window(g);
      return kShowMessage;
    case Command::Wait:
      timed_wait(g);
      return kNothingToShow;
  }
  return result;
}

}  // namespace

int16_t* counter(InterpState& s, const std::string& text, bool allow_hap) {
  const std::string name = text.substr(0, 3);
  if (name == "kou") return &s.kou;
  if (name == "pap") return &s.pap;
  if (name == "rub") return &s.rub;
  if (allow_hap && name == "hap") return &s.hap;
  return nullptr;
}

Command decide_command(InterpState& s) {
  const std::string& cmd = s.Cur_Cmd;
  if (cmd.empty()) return Command::Keep;
  switch (cmd[0]) {
    case 'g':
      if (cmd == "g0") return Command::Jump;
      return cmd == "g4" ? Command::Rename : Command::Done;
    case 'a':
      return Command::Sound;
    case 's':
      return Command::Choice;
    case 'p': {
      const int sub = sub_code(s.cur_line, s.Cur_Cmd);
      if (sub == 2) {
        if (int16_t* c = counter(s, s.Cur_Text, true)) {
          long v = counter_operand(s.cur_line, s.Cur_Value) + *c;
          if (v < -32768 || v > 32767)
            throw DataError("51.dat", s.cur_line, "10 (value)",
                            "the counter " + s.Cur_Text.substr(0, 3) + " leaves its range");
          *c = static_cast<int16_t>(v);
        }
        return Command::Done;
      }
      if (sub == 8) {
        s.Save_Title = s.Cur_Text;
        return Command::Done;
      }
      return Command::BadP;
    }
    case 'i': {
      if (sub_code(s.cur_line, s.Cur_Cmd) != 1) return Command::BadI;
      if (int16_t* c = counter(s, s.Cur_Text, false))
        if (*c == counter_operand(s.cur_line, s.Cur_Value)) return Command::Jump;
      return Command::Done;
    }
    case 'e':
      return Command::Ending;
    case 'q':
      return Command::Quit;
    case 'r':
      return Command::Clear;
    case 'w':
      return Command::Wait;
    default:
      return Command::Keep;
  }
}

int sub_code(int line, const std::string& cmd) {
  const char c = cmd.empty() ? '\0' : cmd.back();
  if (c < '0' || c > '9')
    throw DataError("51.dat", line, "2 (cmd)", "\"" + cmd + "\" has no numeric sub-code");
  return c - '0';
}

int16_t counter_operand(int line, const std::string& value) {
  return static_cast<int16_t>(script_number(line, value, 10, "value", -32768, 32767));
}

long wait_duration(int line, const std::string& text) {
  // A negative duration is no wait at all; only a field that is not a
  // number is an error of the script.
  return text.empty() ? 1000 : script_number(line, text, 9, "text", -0x80000000L, 0x7FFFFFFF);
}

std::string substitute_names(const std::array<std::string, 6>& names, const std::string& text,
                             int line) {
  // One pass over the script's own text: a name is the player's data ("&2"
  // or "&x" typed into the rename box stays as typed).
  std::string out;
  out.reserve(text.size());
  for (size_t p = 0; p < text.size(); ++p) {
    if (text[p] != '&') {
      out += text[p];
      continue;
    }
    const char d = p + 1 < text.size() ? text[p + 1] : '\0';
    if (d < '0' || d > '5')
      throw DataError("51.dat", line, "9 (text)", "\"&\" must be followed by a name number 0 to 5");
    out += names[static_cast<size_t>(d - '0')];
    ++p;
  }
  return out;
}

RowFields read_row(const ScriptRow& r) {
  RowFields f;
  f.cmd = trim_blanks(r.cmd);
  f.text = trim_blanks(r.text);
  f.value = trim_blanks(r.value);
  f.subst = trim_blanks(r.subst);
  const std::string place = trim_blanks(r.place), doll = trim_blanks(r.doll),
                    face = trim_blanks(r.face), speaker = trim_blanks(r.speaker);
  if ((f.has_speaker = !speaker.empty()))
    f.speaker = static_cast<int16_t>(script_number(r.line, speaker, 8, "speaker", -32768, 32767));
  if ((f.has_place = !place.empty()))
    f.place = static_cast<int16_t>(script_number(r.line, place, 4, "place", -32768, 32767));
  if ((f.has_doll = !doll.empty())) {
    // The first digit picks the character, the last the pose; a one-digit
    // field gives the same digit to both.
    f.doll = static_cast<uint8_t>(script_number(r.line, doll.substr(0, 1), 5, "doll", 0, 9));
    f.pose =
        static_cast<uint8_t>(script_number(r.line, doll.substr(doll.size() - 1), 5, "doll", 0, 9));
  }
  if ((f.has_face = !face.empty()))
    f.face = static_cast<uint8_t>(script_number(r.line, "0" + face, 6, "face", 0, 255));
  return f;
}

RowChanges load_row(InterpState& s, const ScriptTables& t,
                    const std::array<std::string, 6>& names) {
  if (s.Script_Pos < 0 || s.Script_Pos > t.Script_Last)
    throw DataError("51.dat", 0, "",
                    "the story reached row " + std::to_string(s.Script_Pos) +
                        ", which is outside the script (a choice target missing?)");
  RowChanges ch;
  s.Cur_Speaker = 0;

  const ScriptRow& r = t.Script_Table[static_cast<size_t>(s.Script_Pos)];
  if (s.Script_Pos == 0 || t.Script_Table[static_cast<size_t>(s.Script_Pos - 1)].num != r.num)
    s.Scene_Hap = s.hap;
  s.cur_line = r.line;
  s.Cur_Num = r.num;
  s.Cur_Jump = r.jump;
  RowFields f = read_row(r);
  s.Cur_Cmd = std::move(f.cmd);
  s.Cur_Text = std::move(f.text);
  s.Cur_Value = std::move(f.value);
  s.Cur_Subst = std::move(f.subst);

  if (f.has_speaker) s.Cur_Speaker = f.speaker;
  if (f.has_place && f.place != s.Place_No) {
    s.Place_No = f.place;
    ch.place = true;
    s.Cur_Doll = 0;
  }
  if (f.has_doll) {
    s.Cur_Doll = f.doll;
    s.Cur_Pose = f.pose;
    ch.doll = true;
  }
  if (f.has_face) {
    s.Cur_Face = f.face;
    ch.face = true;
  }
  if (s.Cur_Subst == "1") s.Cur_Text = substitute_names(names, s.Cur_Text, s.cur_line);
  return ch;
}

int script_step(Game& g) {
  const RowChanges ch = load_row(g.interp, g.tables, g.msg.Name_Table);
  int result = kShowMessage;
  if (ch.place) result = change_place(g);
  if (ch.doll) result = change_doll(g);
  if (ch.face) result = change_face(g);
  return run_command(g, result);
}

void run_script(Game& g) {
  InterpState& s = g.interp;
  // The story is entered only to begin it or to resume a loaded game: either
  // way the messages of what was played before are no longer this story's.
  clear_history(g);
  // The last row is the end marker and never runs. A jump may land on it (a
  // jump skips this test); the loop then stops after it instead of running
  // past the table's end.
  int quiet_rows = 0;
  while (s.Script_Pos < g.tables.Script_Last) {
    int result;
    do {
      result = script_step(g);
      // Rows that show nothing and wait for nothing, going round and round (a
      // scene that jumps to itself), would hold the window for ever: now and
      // then the window runs, so a close still ends the game in order.
      if (++quiet_rows >= kQuietRowsBetweenEvents) {
        quiet_rows = 0;
        do_events(g);
        sleep_ms(g, 10);
      }
    } while (result == kPositionSet);
    if (result == kShowMessage) {
      if (!s.Cur_Text.empty()) g.pf.log.record(LogEvent::text_shown(s.Cur_Speaker, s.Cur_Text));
      show_message(g);
      quiet_rows = 0;
    }
    ++s.Script_Pos;
  }
}

void timed_wait(Game& g) {
  const long duration = wait_duration(g.interp.cur_line, g.interp.Cur_Text);
  if (duration < 0) return;
  uint32_t start = tick_count(g);
  if (static_cast<long>(tick_count(g) - start) > duration) return;
  uint32_t now;
  do {
    do_events(g);
    sleep_ms(g, 50);
    now = tick_count(g);
  } while (static_cast<long>(now - start) <= duration);
}

}  // namespace vm
