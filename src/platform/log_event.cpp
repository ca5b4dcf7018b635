#include "platform/log_event.h"

#include <utility>

namespace vm {

namespace {

LogEvent of(LogKind kind) {
  LogEvent e;
  e.kind = kind;
  return e;
}

LogEvent with_text(LogKind kind, std::string text) {
  LogEvent e = of(kind);
  e.text = std::move(text);
  return e;
}

LogEvent with_file(LogKind kind, std::string file) {
  LogEvent e = of(kind);
  e.file = std::move(file);
  return e;
}

LogEvent with_number(LogKind kind, int n) {
  LogEvent e = of(kind);
  e.number = n;
  return e;
}

LogEvent with_form(LogKind kind, std::string form) {
  LogEvent e = of(kind);
  e.form = std::move(form);
  return e;
}

LogEvent with_menu_item(std::string action, std::string item) {
  LogEvent e = of(LogKind::Menu);
  e.action = std::move(action);
  e.item = std::move(item);
  return e;
}

std::string n(int v) {
  return std::to_string(v);
}

const std::string& caption_of(const LogEvent& e) {
  static const std::string kNone;
  return e.caption ? *e.caption : kNone;
}

std::string defaulted(const LogEvent& e) {
  return e.defaulted ? " (default)" : "";
}

// A control as the player sees it: "Scale3 \"3倍\" disabled".
std::string control_state(const LogEvent& e) {
  std::string d = e.control;
  if (e.caption) d += " " + log_quoted(*e.caption);
  if (e.on) d += " [x]";
  if (e.value) d += " value " + n(*e.value);
  if (!e.enabled) d += " disabled";
  return d;
}

// What follows "form NAME " for what befell a window or its control.
std::string form_control_line(const LogEvent& e) {
  if (e.action.empty()) return control_state(e);
  if (e.action == "shows") return "shows " + control_state(e);
  if (e.action == "focus") return "focus " + e.control;
  if (e.action == "row") return e.control + " row " + n(e.number) + " " + log_quoted(e.text);
  if (e.action == "acted on")
    return e.control + " acted on" + (e.value ? ", value " + n(*e.value) : "");
  if (e.control.empty()) return e.action;  // raised, close box
  return e.control + " " + e.action;       // enabled, disabled, hidden
}

std::string form_line(const LogEvent& e) {
  switch (e.kind) {
    case LogKind::FormOpened:
      return e.form + " open " + log_quoted(caption_of(e)) + (e.on ? " topmost" : "");
    case LogKind::FormClosed:
      return e.form + " closed";
    default:
      return e.form + " " + form_control_line(e);
  }
}

std::string menu_line(const LogEvent& e) {
  if (e.action == "caption") return "caption " + e.item + " " + log_quoted(caption_of(e));
  if (e.action == "check") return "check " + e.item + (e.on ? " on" : " off");
  if (e.action == "bar opened") return e.action;
  return e.item;  // chosen
}

std::string history_line(const LogEvent& e) {
  if (e.action == "open") return "open, " + n(e.number) + " lines";
  if (e.action == "close") return "close";
  return (e.speaker.empty() ? "-" : e.speaker) + " " + e.text;
}

std::string music_line(const LogEvent& e) {
  return e.action == "open" ? "open \"" + e.file + "\"" + e.text : e.action;
}

// The lines of the sound, the files and the windows.
std::string service_line(const LogEvent& e) {
  switch (e.kind) {
    case LogKind::Dialog:
      return "dialog " + log_quoted(e.text) + " -> " + e.answer + defaulted(e);
    case LogKind::InputBox:
      return "input " + log_quoted(caption_of(e)) + " " + log_quoted(e.text) + " preset " +
             log_quoted(e.preset) + " -> " + log_quoted(e.answer) + defaulted(e);
    case LogKind::Ime:
      return e.on ? "ime open" : "ime close";
    case LogKind::History:
      return "history " + history_line(e);
    case LogKind::Music:
      return "music " + music_line(e);
    case LogKind::MusicFailed:
      return "music: cannot open " + e.file + ": " + e.text;
    case LogKind::Effect:
      return "effect " + n(e.number) + " bytes, " + n(e.second) + " ms";
    case LogKind::Volume:
      return "volume " + n(e.number);
    case LogKind::Levels:
      return "levels music " + n(e.number) + " effects " + n(e.second);
    case LogKind::FileWritten:
      return "file written " + e.file;
    case LogKind::FileRead:
      return "file read " + e.file;
    case LogKind::FileRemoved:
      return "file removed " + e.file;
    case LogKind::FormOpened:
    case LogKind::FormControl:
    case LogKind::FormClosed:
      return "form " + form_line(e);
    case LogKind::MainWindow:
      return e.enabled ? "main window enabled" : "main window disabled";
    case LogKind::Menu:
      return "menu " + menu_line(e);
    case LogKind::View:
      return e.on ? "view full screen" : "view scale " + n(e.number);
    case LogKind::Caption:
      return "caption " + log_quoted(caption_of(e));
    case LogKind::Shell:
      return "open " + log_quoted(e.text);
    case LogKind::Ignored:
      return e.by_main_window ? e.action + " (" + e.text + ", ignored)"
                              : e.action + ": " + e.text + ", ignored";
    case LogKind::Speak:
      return "speak " + e.text;
    case LogKind::Hush:
      return "hush";
    default:  // the game's and the runner's own, in log_line
      return "";
  }
}

}  // namespace

std::string log_line(const LogEvent& e) {
  switch (e.kind) {
    case LogKind::Text:
      return "text " + e.speaker + " " + e.text;
    case LogKind::Place:
      return "place " + n(e.number);
    case LogKind::Title:
      return "title " + (e.action == "ready" ? std::string("menu ready") : e.item);
    case LogKind::EndButton:
      return "end button shown";
    case LogKind::Rollback:
      return "rollback " + n(e.number);
    case LogKind::Watching:
      return "watching " + e.file;
    case LogKind::DevStart:
      return "dev start " + n(e.number);
    case LogKind::DevSet:
      return "dev set " + e.item + "=" + n(e.number);
    case LogKind::DevPacked:
      return "dev packed " + e.file;
    case LogKind::DevReloaded:
      return "dev reloaded";
    case LogKind::Shot:
      return "shot " + e.file;
    case LogKind::ShotFailed:
      return "shot failed: " + e.text;
    case LogKind::Exit:
      return "exit " + n(e.number);
    case LogKind::Idle:
      return "exit: the game stopped with nothing left to do";
    case LogKind::Warning:
      return "warning: " + e.text;
    case LogKind::Error:
      return "error: " + e.text;
    default:
      return service_line(e);
  }
}

std::string log_quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out + "\"";
}

// --- what the game itself notes ---

LogEvent LogEvent::text_shown(int speaker, const std::string& text) {
  LogEvent e = with_text(LogKind::Text, text);
  e.speaker = n(speaker);
  return e;
}

LogEvent LogEvent::place(int num) {
  return with_number(LogKind::Place, num);
}

LogEvent LogEvent::file_written(const std::string& name) {
  return with_file(LogKind::FileWritten, name);
}

LogEvent LogEvent::file_read(const std::string& name) {
  return with_file(LogKind::FileRead, name);
}

LogEvent LogEvent::file_removed(const std::string& name) {
  return with_file(LogKind::FileRemoved, name);
}

LogEvent LogEvent::title_ready() {
  LogEvent e = of(LogKind::Title);
  e.action = "ready";
  return e;
}

LogEvent LogEvent::title_chosen(const std::string& item) {
  LogEvent e = of(LogKind::Title);
  e.action = "chosen";
  e.item = item;
  return e;
}

LogEvent LogEvent::end_button_shown() {
  return of(LogKind::EndButton);
}

LogEvent LogEvent::rollback(int depth) {
  return with_number(LogKind::Rollback, depth);
}

LogEvent LogEvent::warning(const std::string& what) {
  return with_text(LogKind::Warning, what);
}

LogEvent LogEvent::error(const std::string& what) {
  return with_text(LogKind::Error, what);
}

LogEvent LogEvent::watching(const std::string& dir) {
  return with_file(LogKind::Watching, dir);
}

LogEvent LogEvent::dev_start(int num) {
  return with_number(LogKind::DevStart, num);
}

LogEvent LogEvent::dev_set(const std::string& counter, int value) {
  LogEvent e = with_number(LogKind::DevSet, value);
  e.item = counter;
  return e;
}

LogEvent LogEvent::dev_packed(const std::string& name) {
  return with_file(LogKind::DevPacked, name);
}

LogEvent LogEvent::dev_reloaded() {
  return of(LogKind::DevReloaded);
}

// --- what the services note ---

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): named as input_box's are
LogEvent LogEvent::dialog(const std::string& title, const std::string& text,
                          const std::string& answer, bool defaulted) {
  LogEvent e = with_text(LogKind::Dialog, text);
  e.caption = title;
  e.answer = answer;
  e.defaulted = defaulted;
  return e;
}

LogEvent LogEvent::input_box(const std::string& title, const std::string& prompt,
                             const std::string& preset, const std::string& result, bool defaulted) {
  LogEvent e = with_text(LogKind::InputBox, prompt);
  e.caption = title;
  e.preset = preset;
  e.answer = result;
  e.defaulted = defaulted;
  return e;
}

LogEvent LogEvent::ime(bool open) {
  LogEvent e = of(LogKind::Ime);
  e.on = open;
  return e;
}

LogEvent LogEvent::history_open(size_t lines) {
  LogEvent e = with_number(LogKind::History, static_cast<int>(lines));
  e.action = "open";
  return e;
}

// The speaker as the window shows it, then the text: the order of the line.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
LogEvent LogEvent::history_line(const std::string& speaker, const std::string& text) {
  LogEvent e = with_text(LogKind::History, text);
  e.action = "line";
  e.speaker = speaker;
  return e;
}

LogEvent LogEvent::history_close() {
  LogEvent e = of(LogKind::History);
  e.action = "close";
  return e;
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
LogEvent LogEvent::music_open(const std::string& tune, const std::string& rest) {
  LogEvent e = with_file(LogKind::Music, tune);
  e.action = "open";
  e.text = rest;
  return e;
}

LogEvent LogEvent::music_play() {
  LogEvent e = of(LogKind::Music);
  e.action = "play";
  return e;
}

LogEvent LogEvent::music_stop() {
  LogEvent e = of(LogKind::Music);
  e.action = "stop";
  return e;
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
LogEvent LogEvent::music_failed(const std::string& tune, const std::string& why) {
  LogEvent e = with_file(LogKind::MusicFailed, tune);
  e.text = why;
  return e;
}

LogEvent LogEvent::effect(size_t bytes, uint32_t ms) {
  LogEvent e = with_number(LogKind::Effect, static_cast<int>(bytes));
  e.second = static_cast<int>(ms);
  return e;
}

LogEvent LogEvent::volume(uint32_t level) {
  return with_number(LogKind::Volume, static_cast<int>(level));
}

LogEvent LogEvent::levels(int music_percent, int effects_percent) {
  LogEvent e = with_number(LogKind::Levels, music_percent);
  e.second = effects_percent;
  return e;
}

LogEvent LogEvent::form_opened(const std::string& form, const std::string& caption, bool topmost) {
  LogEvent e = with_form(LogKind::FormOpened, form);
  e.caption = caption;
  e.on = topmost;
  return e;
}

LogEvent LogEvent::form_control(const std::string& form, const ControlState& c,
                                const std::string& action) {
  LogEvent e = control_action(form, c.name, action);
  e.caption = c.caption;
  e.on = c.checked;
  e.value = c.value;
  e.enabled = c.enabled;
  return e;
}

LogEvent LogEvent::form_action(const std::string& form, const std::string& action) {
  return control_action(form, "", action);
}

LogEvent LogEvent::control_action(const std::string& form, const std::string& control,
                                  const std::string& action) {
  LogEvent e = with_form(LogKind::FormControl, form);
  e.control = control;
  e.action = action;
  return e;
}

LogEvent LogEvent::control_acted_on(const std::string& form, const std::string& control,
                                    std::optional<int> value) {
  LogEvent e = control_action(form, control, "acted on");
  e.value = value;
  return e;
}

LogEvent LogEvent::list_row(const std::string& form, const std::string& control, int row,
                            const std::string& text) {
  LogEvent e = control_action(form, control, "row");
  e.number = row;
  e.text = text;
  return e;
}

LogEvent LogEvent::form_closed(const std::string& form) {
  return with_form(LogKind::FormClosed, form);
}

LogEvent LogEvent::main_window(bool enabled) {
  LogEvent e = of(LogKind::MainWindow);
  e.enabled = enabled;
  return e;
}

LogEvent LogEvent::menu_chosen(const std::string& item) {
  return with_menu_item("chosen", item);
}

LogEvent LogEvent::menu_caption(const std::string& item, const std::string& caption) {
  LogEvent e = with_menu_item("caption", item);
  e.caption = caption;
  return e;
}

LogEvent LogEvent::menu_check(const std::string& item, bool on) {
  LogEvent e = with_menu_item("check", item);
  e.on = on;
  return e;
}

LogEvent LogEvent::menu_bar_opened() {
  return with_menu_item("bar opened", "");
}

LogEvent LogEvent::view(int scale, bool full_screen) {
  LogEvent e = with_number(LogKind::View, scale);
  e.on = full_screen;
  return e;
}

LogEvent LogEvent::caption_set(const std::string& caption) {
  LogEvent e = of(LogKind::Caption);
  e.caption = caption;
  return e;
}

LogEvent LogEvent::shell(const std::string& target) {
  return with_text(LogKind::Shell, target);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
LogEvent LogEvent::ignored(const std::string& input, const std::string& why) {
  LogEvent e = with_text(LogKind::Ignored, why);
  e.action = input;
  return e;
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
LogEvent LogEvent::ignored_by_main_window(const std::string& input, const std::string& why) {
  LogEvent e = ignored(input, why);
  e.by_main_window = true;
  return e;
}

LogEvent LogEvent::speak(const std::string& text) {
  return with_text(LogKind::Speak, text);
}

LogEvent LogEvent::hush() {
  return of(LogKind::Hush);
}

// --- what the headless runner notes ---

LogEvent LogEvent::shot(const std::string& path) {
  return with_file(LogKind::Shot, path);
}

LogEvent LogEvent::shot_failed(const std::string& why) {
  return with_text(LogKind::ShotFailed, why);
}

LogEvent LogEvent::exited(int status) {
  return with_number(LogKind::Exit, status);
}

LogEvent LogEvent::idle() {
  return of(LogKind::Idle);
}

}  // namespace vm
