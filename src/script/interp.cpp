#include "script/interp.h"

#include <charconv>

#include "app/game.h"
#include "assets/data_error.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "graphics/scene.h"
#include "message/message.h"
#include "sound/sound.h"

namespace vm {

namespace {

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The integer value of a script field; anything else is an error of the
// script data, reported with the row's line and the field's name.
long field_number(int line, const std::string& text, int field_no, const char* name, long lo,
                  long hi) {
  std::string t = trim(text);
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (b != e && *b == '+') ++b;
  long v = 0;
  auto [p, ec] = std::from_chars(b, e, v);
  if (t.empty() || ec != std::errc() || p != e)
    throw DataError("51.dat", line, std::to_string(field_no) + " (" + name + ")",
                    "\"" + t + "\" is not a number");
  if (v < lo || v > hi)
    throw DataError("51.dat", line, std::to_string(field_no) + " (" + name + ")",
                    std::to_string(v) + " is out of range");
  return v;
}

int16_t* counter(InterpState& s, const std::string& text, bool allow_hap) {
  std::string name = text.substr(0, 3);
  if (name == "kou") return &s.kou;
  if (name == "pap") return &s.pap;
  if (name == "rub") return &s.rub;
  if (allow_hap && name == "hap") return &s.hap;
  return nullptr;
}

// A jump that finds no target cannot go on: the same row would run again for
// ever. The message has been shown once; the program ends in order.
void jump_or_stop(Game& g) {
  if (!jump_to_num(g, g.interp.Cur_Jump)) {
    g.interp.missing_jump = true;
    throw ShutdownRequest{true};
  }
}

// The sub-code of the i and p commands: the command's last character.
int sub_code(const InterpState& s) {
  char c = s.Cur_Cmd.back();
  if (c < '0' || c > '9')
    throw DataError("51.dat", s.cur_line, "2 (cmd)",
                    "\"" + s.Cur_Cmd + "\" has no numeric sub-code");
  return c - '0';
}

int run_command(Game& g, int result) {
  switch (decide_command(g.interp)) {
    case Command::Keep:
      return result;
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
    case Command::Done:
      break;
  }
  return kNothingToShow;
}

}  // namespace

Command decide_command(InterpState& s) {
  const std::string& cmd = s.Cur_Cmd;
  if (cmd.empty()) return Command::Keep;
  switch (cmd[0]) {
    case 'g':
      if (cmd == "g0") return Command::Jump;
      if (cmd == "g4") return Command::Rename;
      return Command::Done;
    case 'a':
      return Command::Sound;
    case 's':
      return Command::Choice;
    case 'p': {
      int sub = sub_code(s);
      if (sub == 2) {
        if (int16_t* c = counter(s, s.Cur_Text, true)) {
          long v = field_number(s.cur_line, s.Cur_Value, 10, "value", -32768, 32767) + *c;
          if (v < -32768 || v > 32767)
            throw DataError("51.dat", s.cur_line, "10 (value)",
                            "the counter " + s.Cur_Text.substr(0, 3) + " leaves its range");
          *c = static_cast<int16_t>(v);
        }
      } else if (sub == 8) {
        s.Save_Title = s.Cur_Text;
      } else {
        return Command::BadP;
      }
      return Command::Done;
    }
    case 'i': {
      if (sub_code(s) != 1) return Command::BadI;
      if (int16_t* c = counter(s, s.Cur_Text, false)) {
        long v = field_number(s.cur_line, s.Cur_Value, 10, "value", -32768, 32767);
        if (*c == v) return Command::Jump;
      }
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

std::string substitute_names(const std::string& text, const std::array<std::string, 6>& names,
                             int line) {
  // One pass over the script's own text: each "&" and its digit is replaced
  // once, and what a name brings in is never searched again. A name is the
  // player's data ("&2" or "&x" typed into the rename box stays as typed).
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

std::string substitute_names(Game& g, const std::string& text) {
  return substitute_names(text, g.msg.Name_Table, g.interp.cur_line);
}

RowChanges read_row(InterpState& s, const ScriptTables& t) {
  if (s.Script_Pos < 0 || s.Script_Pos > t.Script_Last)
    throw DataError("51.dat", 0, "",
                    "the story reached row " + std::to_string(s.Script_Pos) +
                        ", which is outside the script (a choice target missing?)");
  RowChanges ch;
  s.Cur_Speaker = 0;

  const ScriptRow& r = t.Script_Table[static_cast<size_t>(s.Script_Pos)];
  s.cur_line = r.line;
  s.Cur_Num = r.num;
  s.Cur_Cmd = trim(r.cmd);
  s.Cur_Jump = r.jump;
  std::string place = trim(r.place), doll = trim(r.doll), face = trim(r.face),
              speaker = trim(r.speaker);
  s.Cur_Text = trim(r.text);
  s.Cur_Value = trim(r.value);
  s.Cur_Subst = trim(r.subst);
  const int line = s.cur_line;

  if (!speaker.empty())
    s.Cur_Speaker = static_cast<int16_t>(field_number(line, speaker, 8, "speaker", -32768, 32767));
  if (!place.empty()) {
    auto p = static_cast<int16_t>(field_number(line, place, 4, "place", -32768, 32767));
    if (p != s.Place_No) {
      s.Place_No = p;
      ch.place = true;
      s.Cur_Doll = 0;
    }
  }
  if (!doll.empty()) {
    s.Cur_Doll = static_cast<uint8_t>(field_number(line, doll.substr(0, 1), 5, "doll", 0, 9));
    s.Cur_Pose =
        static_cast<uint8_t>(field_number(line, doll.substr(doll.size() - 1), 5, "doll", 0, 9));
    ch.doll = true;
  }
  if (!face.empty()) {
    s.Cur_Face = static_cast<uint8_t>(field_number(line, "0" + face, 6, "face", 0, 255));
    ch.face = true;
  }
  return ch;
}

int script_step(Game& g) {
  InterpState& s = g.interp;
  const RowChanges ch = read_row(s, g.tables);
  if (s.Cur_Subst == "1") s.Cur_Text = substitute_names(g, s.Cur_Text);

  int result = kShowMessage;
  if (ch.place) result = change_place(g);
  if (ch.doll) result = change_doll(g);
  if (ch.face) result = change_face(g);
  return run_command(g, result);
}

void run_script(Game& g) {
  InterpState& s = g.interp;
  // The last row is the end marker and never runs. A jump may land on it (a
  // jump skips this test); the loop then stops after it instead of running
  // past the table's end.
  while (s.Script_Pos < g.tables.Script_Last) {
    int result;
    do {
      result = script_step(g);
    } while (result == kPositionSet);
    if (result == kShowMessage) {
      if (!s.Cur_Text.empty())
        g.pf.log.log("text " + std::to_string(s.Cur_Speaker) + " " + s.Cur_Text);
      show_message(g);
    }
    ++s.Script_Pos;
  }
}

long wait_ms(const InterpState& s) {
  // A negative duration is no wait at all; only a field that is not a number
  // is an error of the script.
  const std::string& text = s.Cur_Text;
  return text.empty() ? 1000 : field_number(s.cur_line, text, 9, "text", -0x80000000L, 0x7FFFFFFF);
}

void timed_wait(Game& g) {
  const long duration = wait_ms(g.interp);
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
