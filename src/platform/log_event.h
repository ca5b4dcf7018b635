// What the game and the headless services note down as it happens: a message
// shown, a dialog answered, a sound, a file written, a secondary window opened
// or acted on... Each kind has its own small constructor, and one function
// (log_line) writes every kind as the line the headless runner prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

enum class LogKind {
  Text,         // a message shown: the speaker's number, the text
  Place,        // the scene moved to a place
  Dialog,       // a message box and its answer
  InputBox,     // a text input box and its answer
  Ime,          // the input method opened or closed
  History,      // the history window: opened, a line of it, closed
  Music,        // the sequencer opened a tune, played, stopped
  Effect,       // a sound effect played
  Volume,       // the master volume changed
  Levels,       // the player's music and effects levels changed
  FileWritten,  // a file of the data folder written, read, removed
  FileRead,
  FileRemoved,
  FormOpened,   // a secondary window opened (its name is the subject)
  FormControl,  // something in an open secondary window changed or was acted on
  FormClosed,
  MainWindow,  // the main window enabled or disabled for input
  Menu,        // a menu item chosen, its caption or its tick changed
  View,        // the window's magnification or full screen
  Caption,     // the main window's title
  Shell,       // a page or a mail address handed to the desktop
  Title,       // the title menu ready, one of its items chosen
  Rollback,    // how many messages back the screen stands (0: live again)
  Speak,       // a text handed to the speech service
  Hush,        // the speech service told to stop
  Ignored,     // input that arrived where nothing took it
  Warning,     // for the player to know (standard error on the desktop)
  Error,
  Other,  // anything else, the line as it is
};

struct LogEvent {
  LogKind kind = LogKind::Other;
  std::string subject;  // what the event is about: the file, window, menu item, speaker
  std::string body;     // the line after the kind's own word

  static LogEvent of(LogKind kind, std::string subject, std::string body) {
    LogEvent e;
    e.kind = kind;
    e.subject = std::move(subject);
    e.body = std::move(body);
    return e;
  }

  // --- what the game itself notes ---
  static LogEvent text_shown(int speaker, const std::string& text) {
    return of(LogKind::Text, std::to_string(speaker), std::to_string(speaker) + " " + text);
  }
  static LogEvent place(int n) { return of(LogKind::Place, std::to_string(n), std::to_string(n)); }
  static LogEvent file_written(const std::string& name) {
    return of(LogKind::FileWritten, name, name);
  }
  static LogEvent file_read(const std::string& name) { return of(LogKind::FileRead, name, name); }
  static LogEvent file_removed(const std::string& name) {
    return of(LogKind::FileRemoved, name, name);
  }
  static LogEvent title(const std::string& what) { return of(LogKind::Title, what, what); }
  static LogEvent rollback(int depth) {
    return of(LogKind::Rollback, std::to_string(depth), std::to_string(depth));
  }
  static LogEvent warning(const std::string& what) { return of(LogKind::Warning, "", what); }
  static LogEvent error(const std::string& what) { return of(LogKind::Error, "", what); }
  static LogEvent other(const std::string& line) { return of(LogKind::Other, "", line); }

  // --- what the headless services note ---
  static LogEvent dialog(const std::string& text, const std::string& answer, bool defaulted);
  static LogEvent input_box(const std::string& title, const std::string& prompt,
                            const std::string& preset, const std::string& result, bool defaulted);
  static LogEvent ime(bool open);
  static LogEvent history_open(size_t lines);
  static LogEvent history_line(const std::string& speaker, const std::string& text);
  static LogEvent history_close();
  static LogEvent music(const std::string& what);
  static LogEvent effect(size_t bytes, uint32_t ms);
  static LogEvent volume(uint32_t level);
  static LogEvent levels(int music_percent, int effects_percent);
  static LogEvent form_opened(const std::string& form, const std::string& caption, bool topmost);
  // what: the control and its state, or what befell the window ("raised")
  static LogEvent form_control(const std::string& form, const std::string& what);
  static LogEvent form_closed(const std::string& form);
  static LogEvent main_window(bool enabled);
  static LogEvent menu_chosen(const std::string& item);
  static LogEvent menu_caption(const std::string& item, const std::string& caption);
  static LogEvent menu_check(const std::string& item, bool on);
  static LogEvent view(int scale, bool full_screen);
  static LogEvent caption(const std::string& caption);
  static LogEvent shell(const std::string& target);
  static LogEvent ignored(const std::string& what);
  static LogEvent speak(const std::string& text);
  static LogEvent hush();
};

// The event as one line (without the time the headless log puts before it).
std::string log_line(const LogEvent& e);

// Text in double quotes with its line breaks written as \r and \n, as the
// log shows captions, dialog texts and list rows.
std::string log_quoted(const std::string& s);

}  // namespace vm
