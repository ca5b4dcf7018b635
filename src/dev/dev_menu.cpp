// The 開発 menu of a dev run: jump to a scene, look at and change the
// counters, reload the author's files.
#include <cstdio>

#include "assets/text_helpers.h"
#include "dev/dev_session.h"
#include "platform/errors.h"
#include "script/commands.h"
#include "script/interp.h"

namespace vm::dev {

namespace {

constexpr const char* kJumpForm = "Dev_Jump";
constexpr const char* kNumList = "NumList";
constexpr int kFormW = 480;
constexpr int kFormH = 360;

std::string num4(int n) {
  char s[16];
  std::snprintf(s, sizeof s, "%04d", n);
  return s;
}

// The labels of the choice a NUM offers, as the menu shows them.
std::string choice_labels(const ScriptTables& t, int16_t key) {
  std::string labels;
  for (const ChoiceRow& c : t.SCT)
    if (c.key == key && !c.label.empty()) labels += (labels.empty() ? "" : " / ") + c.label;
  return "[選択] " + (labels.empty() ? std::string("(choices.csv に項目なし)") : labels);
}

// What a row the scene runs shows the player, or "" for one that shows
// nothing: a place or sprite row's text is its transition or slot, not a
// message.
std::string shown_by(const ScriptTables& t, const ScriptRow& r) {
  RowFields f;
  try {
    f = read_row(r);
  } catch (const DataError&) {
    return "";
  }
  const CommandInfo& c = command_info(f.cmd);
  if (c.command == Command::Choice) return choice_labels(t, r.num);
  if (f.text.empty() || c.shows == Shows::Nothing) return "";
  const bool scene_changed = (f.has_place || f.has_doll) && !f.has_face;
  return c.shows == Shows::AsScene && scene_changed ? "" : f.text;
}

// A scene as the jump list shows it: its NUM and its first message (or the
// choice it offers); a scene that shows neither says where it leads.
std::string scene_line(const ScriptTables& t, int16_t key, int32_t seq) {
  std::string what, then;
  for (int32_t i = seq; i < t.Script_Last; ++i) {
    const ScriptRow& r = t.Script_Table[static_cast<size_t>(i)];
    if (r.num != key) break;
    what = shown_by(t, r);
    if (!what.empty()) break;
    const CommandInfo& c = command_info(trim_blanks(r.cmd));
    if (!then.empty()) continue;
    if (c.goes == Goes::Jump || c.goes == Goes::JumpIf) then = "[→ " + num4(r.jump) + "]";
    if (c.command == Command::Ending) then = "[エンディング]";
    if (c.command == Command::Quit) then = "[終了]";
  }
  if (what.empty()) what = then.empty() ? "(メッセージなし)" : then;
  return num4(key) + "  " + what;
}

FormSpec jump_form() {
  FormSpec f;
  f.name = kJumpForm;
  f.caption = "ジャンプ";
  f.width = kFormW;
  f.height = kFormH;
  f.controls.push_back(ControlSpec::at(ControlSpec::List, kNumList, 10, 10, kFormW - 20, 290));
  f.controls.push_back(
      ControlSpec::at(ControlSpec::Button, "cmdOK", kFormW - 200, 315, 90, 30, "OK"));
  f.controls.push_back(
      ControlSpec::at(ControlSpec::Button, "cmdCancel", kFormW - 100, 315, 90, 30, "Cancel"));
  f.controls.front().value = -1;
  return f;
}

// The jump window's answer: the row chosen, once OK or a close ends it.
struct JumpEvents : EventSink {
  int row = -1;
  bool done = false, ok = false;
  void on_event(const InputEvent& ev) override {
    if (ev.kind == InputEvent::FormClose) done = true;
    if (ev.kind != InputEvent::Control) return;
    if (ev.name == kNumList) row = ev.value;
    if (ev.name == "cmdOK") ok = done = true;
    if (ev.name == "cmdCancel") done = true;
  }
};

// The main window takes input again however the window ends (a close
// request unwinds through here).
struct MainDisabled {
  explicit MainDisabled(Forms& f) : forms(f) { forms.set_main_enabled(false); }
  ~MainDisabled() { forms.set_main_enabled(true); }
  MainDisabled(const MainDisabled&) = delete;
  MainDisabled& operator=(const MainDisabled&) = delete;
  Forms& forms;
};

}  // namespace

void DevSession::on_menu(MenuItem item) {
  switch (item) {
    case MenuItem::DevJump:
      return open_jump_dialog();
    case MenuItem::DevCounters:
      return open_counters_dialog();
    case MenuItem::DevReload:
      // Everything the author may have saved unseen; the scene starts again.
      changed_.insert({"script.csv", "choices.csv", "system.txt"});
      return take_changes();
    default:
      return;
  }
}

void DevSession::open_jump_dialog() {
  const ScriptTables& t = story_.tables;
  std::vector<std::string> rows;
  std::vector<int16_t> nums;
  for (int32_t i = 0; i < t.Scene_Count && i < static_cast<int32_t>(t.Scene_Index.size()); ++i) {
    const SceneEntry& e = t.Scene_Index[static_cast<size_t>(i)];
    if (e.seq >= t.Script_Last) continue;  // the end marker: nothing to play there
    rows.push_back(scene_line(t, e.key, e.seq));
    nums.push_back(e.key);
  }
  JumpEvents events;
  {
    const MainDisabled held(story_.forms);
    std::unique_ptr<Form> form = story_.forms.open(jump_form());
    form->set_sink(&events);
    form->set_rows(kNumList, rows);
    while (!events.done) {
      story_.clock.sleep(20);
      story_.window.do_events();
    }
  }
  if (!events.ok || events.row < 0 || events.row >= static_cast<int>(nums.size())) return;
  const std::string typed =
      story_.dialogs.input_box("カウンタ (例: kou=2 pap=1、空欄はすべて 0)", "ジャンプ", "");
  const Result<Counters> c = parse_counters(typed, Counters{});
  const Result<void> jumped =
      c ? jump(nums[static_cast<size_t>(events.row)], c.value()) : c.failure();
  if (!jumped) story_.dialogs.message_box(jumped.error().what(), Buttons::Ok);
}

void DevSession::open_counters_dialog() {
  const InterpState& s = story_.interp;
  std::string names;
  for (int i = 1; i <= 5; ++i) names += " " + story_.msg.Name_Table[static_cast<size_t>(i)];
  const std::string prompt = "NUM " + num4(s.Cur_Num) + "  SEQ " + std::to_string(s.Script_Pos) +
                             "\r\n名前:" + names + "\r\nカウンタ (NAME=VALUE):";
  const Counters now = counters();
  const std::string typed = story_.dialogs.input_box(prompt, "カウンタ", counters_text(now));
  if (typed.empty()) return;  // cancelled
  const Result<Counters> c = parse_counters(typed, now);
  if (!c) {
    story_.dialogs.message_box(c.error().what(), Buttons::Ok);
    return;
  }
  set_counters(c.value());
}

}  // namespace vm::dev
