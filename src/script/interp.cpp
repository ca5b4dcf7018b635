#include "script/interp.h"

#include "assets/text_helpers.h"
#include "platform/errors.h"
#include "script/story.h"

namespace vm {

namespace {

constexpr int kQuietRowsBetweenEvents = 1000;

// A jump that finds no target cannot go on: the same row would run again for
// ever. The message has been shown once; the program ends in order.
void jump_or_stop(InterpState& s, const ScriptTables& tables, Dialogs& dialogs) {
  if (!jump_to_num(tables, s.Script_Pos, s.Cur_Jump, dialogs)) throw ShutdownRequest{true};
}

// What the row's command does beyond the table's account of it (the dialog,
// the jump and the step result).
int run_command(Story st, int scene_result) {
  const Decision d = decide_command(st.interp);
  switch (d.command->command) {
    case Command::Rename:
      Change_Name(st.msg, st.dialogs);
      break;
    case Command::Sound:
      sound_command(st.audio(), st.interp.Cur_Cmd, st.assets);
      break;
    case Command::Choice:
      st.hooks.choose();
      break;
    case Command::Ending:
      st.hooks.ending();  // never returns
      return kNothingToShow;
    case Command::Quit:
      for (int i = 0; i < 2; ++i) {
        st.window.do_events();
        st.clock.sleep(50);
      }
      throw ShutdownRequest{};
    case Command::Clear:
      clear_message_window(st.message_window());
      break;
    case Command::Wait:
      timed_wait(st.interp, st.window, st.clock);
      break;
    default:
      break;
  }
  if (d.command->dialog) st.dialogs.message_box(d.command->dialog, Buttons::Ok);
  if (d.jump) jump_or_stop(st.interp, st.tables, st.dialogs);
  return d.result(scene_result);
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

Decision decide_command(InterpState& s) {
  Decision d{&command_info(s.Cur_Cmd)};
  if (d.command->reads & kReadsSubCode) sub_code(s.cur_line, s.Cur_Cmd);  // a digit, or it stops
  switch (d.command->command) {
    case Command::Jump:
      d.jump = true;
      break;
    case Command::Add:
      if (int16_t* c = counter(s, s.Cur_Text, true)) {
        long v = counter_operand(s.cur_line, s.Cur_Value) + *c;
        if (v < -32768 || v > 32767)
          throw DataError("51.dat", s.cur_line, "10 (value)",
                          "the counter " + s.Cur_Text.substr(0, 3) + " leaves its range");
        *c = static_cast<int16_t>(v);
      }
      break;
    case Command::Title:
      s.Save_Title = s.Cur_Text;
      break;
    case Command::Test:
      if (int16_t* c = counter(s, s.Cur_Text, false))
        d.jump = *c == counter_operand(s.cur_line, s.Cur_Value);
      break;
    default:
      break;
  }
  return d;
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

void enter_place(Story st) {
  const InterpState& s = st.interp;
  if (!change_place(st.stage(), s.Place_No, s.Cur_Text, st.input.Clicker)) return;
  // A fresh message window over the new background.
  st.msg.Line_No = 0;
  st.msg.Shown_Speaker = 0;
  rebuild_window_back(st.message_window(), st.scene, s.Cur_Text);
}

int script_step(Story st) {
  const RowChanges ch = load_row(st.interp, st.tables, st.msg.Name_Table);
  const InterpState& s = st.interp;
  const MessageWindow mw = st.message_window();
  const Stage stage = st.stage();
  int result = kShowMessage;
  if (ch.place) {
    enter_place(st);
    result = kNothingToShow;
  }
  if (ch.doll) {
    if (change_doll(stage, s.Cur_Doll, s.Cur_Pose, s.Cur_Text))
      rebuild_window_back(mw, st.scene, s.Cur_Text);
    result = kNothingToShow;
  }
  if (ch.face) {
    change_face(stage, s.Cur_Doll, s.Cur_Pose, s.Cur_Face, st.input.Text_Mode != 0);
    result = kShowMessage;
  }
  return run_command(st, result);
}

std::string spoken_message(const InterpState& s, const std::string& label) {
  const std::string& text = s.Cur_Text;
  std::string name = label;
  const std::string open = "【", close = "】";
  if (name.rfind(open, 0) == 0) name.erase(0, open.size());
  if (name.size() >= close.size() &&
      name.compare(name.size() - close.size(), close.size(), close) == 0)
    name.resize(name.size() - close.size());
  return name.empty() ? text : name + "、" + text;
}

ReplayVerdict show_message(Story st) {
  const InterpState& s = st.interp;
  if (s.Cur_Text.empty()) return ReplayVerdict::GoOn;
  st.screen.Waku[kWakuShown].visible = true;
  const std::string label = speaker_label(st.msg, s.Cur_Speaker);
  history_add_message(st.history, label, s.Cur_Text);
  const MessageWindow mw = st.message_window();
  const bool read_only_skip =
      (st.input.Text_Mode == 0 && st.input.read_only_skip) || fast_forwarding(st.input);
  if (read_only_skip && !st.hooks.may_skip_message()) {
    // Skipping stops at text the player has not read yet.
    if (st.input.Text_Mode == 0) set_text_mode(st.input, st.hooks, 1);
    st.input.Ctrl_Held = 0;
  }
  // Read as it starts typing, cutting off the one before; while skipping the
  // messages fly by unread, and the one the skip stops at is read.
  if (st.input.Text_Mode != 0 && !fast_forwarding(st.input))
    st.speech.say(spoken_message(s, label));
  const bool typed = st.input.Text_Mode == 3 && !fast_forwarding(st.input);
  const int chars = draw_message(mw, label, s.Cur_Text, speaker_colour(st.msg, s.Cur_Speaker),
                                 s.Cur_Speaker, typed, [&] {
                                   if (st.input.Text_Mode != 0) wait_click(st);
                                 });
  if (chars < 0) return ReplayVerdict::GoOn;
  if (const ReplayVerdict v = st.hooks.message_finished(); v != ReplayVerdict::GoOn) return v;
  if (st.input.Text_Mode != 0) wait_click(st, chars);
  page_check(mw);
  return ReplayVerdict::GoOn;
}

void run_script(Story st) {
  // The story is entered only to begin it or to resume a loaded game: either
  // way the messages of what was played before are no longer this story's.
  clear_history(st.history);
  st.hooks.story_started();
  run_rows(st);
}

ReplayVerdict run_rows(Story st) {
  InterpState& s = st.interp;
  // The last row is the end marker and never runs. A jump may land on it (a
  // jump skips this test); the loop then stops after it instead of running
  // past the table's end.
  int quiet_rows = 0;
  while (s.Script_Pos < st.tables.Script_Last) {
    int result;
    do {
      if (const ReplayVerdict v = st.hooks.row_starting(); v != ReplayVerdict::GoOn) return v;
      result = script_step(st);
      // Rows that show nothing and wait for nothing, going round and round (a
      // scene that jumps to itself), would hold the window for ever: now and
      // then the window runs, so a close still ends the game in order.
      if (++quiet_rows >= kQuietRowsBetweenEvents) {
        quiet_rows = 0;
        st.window.do_events();
        st.clock.sleep(10);
      }
    } while (result == kPositionSet);
    if (result == kShowMessage) {
      if (!s.Cur_Text.empty()) st.log.record(LogEvent::text_shown(s.Cur_Speaker, s.Cur_Text));
      if (const ReplayVerdict v = show_message(st); v != ReplayVerdict::GoOn) return v;
      quiet_rows = 0;
    }
    ++s.Script_Pos;
  }
  return ReplayVerdict::GoOn;
}

void timed_wait(const InterpState& s, Window& window, Clock& clock) {
  const long duration = wait_duration(s.cur_line, s.Cur_Text);
  if (duration < 0) return;
  uint32_t start = clock.tick_count();
  if (static_cast<long>(clock.tick_count() - start) > duration) return;
  uint32_t now;
  do {
    window.do_events();
    clock.sleep(50);
    now = clock.tick_count();
  } while (static_cast<long>(now - start) <= duration);
}

}  // namespace vm
