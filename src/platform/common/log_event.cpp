#include "platform/log_event.h"

#include <utility>

namespace vm {

namespace {

// The word each kind's line starts with.
const char* kind_word(LogKind kind) {
  static const std::pair<LogKind, const char*> kWords[] = {
      {LogKind::Text, "text"},
      {LogKind::Place, "place"},
      {LogKind::Dialog, "dialog"},
      {LogKind::InputBox, "input"},
      {LogKind::Ime, "ime"},
      {LogKind::History, "history"},
      {LogKind::Music, "music"},
      {LogKind::Effect, "effect"},
      {LogKind::Volume, "volume"},
      {LogKind::Levels, "levels"},
      {LogKind::FileWritten, "file written"},
      {LogKind::FileRead, "file read"},
      {LogKind::FileRemoved, "file removed"},
      {LogKind::FormOpened, "form"},
      {LogKind::FormControl, "form"},
      {LogKind::FormClosed, "form"},
      {LogKind::MainWindow, "main window"},
      {LogKind::Menu, "menu"},
      {LogKind::View, "view"},
      {LogKind::Caption, "caption"},
      {LogKind::Shell, "open"},
      {LogKind::Title, "title"},
      {LogKind::Rollback, "rollback"},
      {LogKind::Speak, "speak"},
      {LogKind::Warning, "warning:"},
      {LogKind::Error, "error:"},
  };
  for (const auto& [k, word] : kWords)
    if (k == kind) return word;
  return "";  // Ignored, Hush, Other: the line as it is
}

}  // namespace

std::string log_line(const LogEvent& e) {
  const std::string word = kind_word(e.kind);
  return word.empty() ? e.body : word + " " + e.body;
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

LogEvent LogEvent::dialog(const std::string& text, const std::string& answer, bool defaulted) {
  return of(LogKind::Dialog, text,
            log_quoted(text) + " -> " + answer + (defaulted ? " (default)" : ""));
}

LogEvent LogEvent::input_box(const std::string& title, const std::string& prompt,
                             const std::string& preset, const std::string& result, bool defaulted) {
  return of(LogKind::InputBox, title,
            log_quoted(title) + " " + log_quoted(prompt) + " preset " + log_quoted(preset) +
                " -> " + log_quoted(result) + (defaulted ? " (default)" : ""));
}

LogEvent LogEvent::speak(const std::string& text) {
  return of(LogKind::Speak, text, text);
}

LogEvent LogEvent::hush() {
  return of(LogKind::Hush, "", "hush");
}

LogEvent LogEvent::ime(bool open) {
  return of(LogKind::Ime, "", open ? "open" : "close");
}

LogEvent LogEvent::history_open(size_t lines) {
  return of(LogKind::History, "", "open, " + std::to_string(lines) + " lines");
}

// The speaker as the window shows it, then the text: the order of the line.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
LogEvent LogEvent::history_line(const std::string& speaker, const std::string& text) {
  const std::string who = speaker.empty() ? "-" : speaker;
  return of(LogKind::History, who, who + " " + text);
}

LogEvent LogEvent::history_close() {
  return of(LogKind::History, "", "close");
}

// The subject is the command's first word: open, play, stop.
LogEvent LogEvent::music(const std::string& what) {
  return of(LogKind::Music, what.substr(0, what.find(' ')), what);
}

LogEvent LogEvent::effect(size_t bytes, uint32_t ms) {
  return of(LogKind::Effect, "", std::to_string(bytes) + " bytes, " + std::to_string(ms) + " ms");
}

LogEvent LogEvent::volume(uint32_t level) {
  return of(LogKind::Volume, std::to_string(level), std::to_string(level));
}

LogEvent LogEvent::levels(int music_percent, int effects_percent) {
  return of(
      LogKind::Levels, "",
      "music " + std::to_string(music_percent) + " effects " + std::to_string(effects_percent));
}

LogEvent LogEvent::form_opened(const std::string& form, const std::string& caption, bool topmost) {
  return of(LogKind::FormOpened, form,
            form + " open " + log_quoted(caption) + (topmost ? " topmost" : ""));
}

LogEvent LogEvent::form_control(const std::string& form, const std::string& what) {
  return of(LogKind::FormControl, form, form + " " + what);
}

LogEvent LogEvent::form_closed(const std::string& form) {
  return of(LogKind::FormClosed, form, form + " closed");
}

LogEvent LogEvent::main_window(bool enabled) {
  return of(LogKind::MainWindow, "", enabled ? "enabled" : "disabled");
}

LogEvent LogEvent::menu_chosen(const std::string& item) {
  return of(LogKind::Menu, item, item);
}

LogEvent LogEvent::menu_caption(const std::string& item, const std::string& caption) {
  return of(LogKind::Menu, item, "caption " + item + " " + log_quoted(caption));
}

LogEvent LogEvent::menu_check(const std::string& item, bool on) {
  return of(LogKind::Menu, item, "check " + item + (on ? " on" : " off"));
}

LogEvent LogEvent::view(int scale, bool full_screen) {
  return of(LogKind::View, "", full_screen ? "full screen" : "scale " + std::to_string(scale));
}

LogEvent LogEvent::caption(const std::string& caption) {
  return of(LogKind::Caption, caption, log_quoted(caption));
}

LogEvent LogEvent::shell(const std::string& target) {
  return of(LogKind::Shell, target, log_quoted(target));
}

LogEvent LogEvent::ignored(const std::string& what) {
  return of(LogKind::Ignored, "", what);
}

}  // namespace vm
