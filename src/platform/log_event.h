// What the game and the headless services note down as it happens: a message
// shown, a dialog answered, a sound, a file written, a secondary window opened
// or acted on... Each kind has its own small constructor, which sets the
// fields that kind has, and one function (log_line) writes every kind as the
// line the headless runner prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
  MusicFailed,  // the desktop's sequencer could not open a tune
  Effect,       // a sound effect played
  Volume,       // the master volume changed
  Levels,       // the player's music and effects levels changed
  FileWritten,  // a file of the data folder written, read, removed
  FileRead,
  FileRemoved,
  FormOpened,   // a secondary window opened
  FormControl,  // something in an open secondary window changed or was acted on
  FormClosed,
  MainWindow,   // the main window enabled or disabled for input
  Menu,         // a menu item chosen, its caption or its tick changed
  View,         // the window's magnification or full screen
  Caption,      // the main window's title
  Shell,        // a page or a mail address handed to the desktop
  Title,        // the title menu ready, one of its items chosen
  EndButton,    // the ending's last screen offers its button
  Rollback,     // how many messages back the screen stands (0: live again)
  Speak,        // a text handed to the speech service
  Hush,         // the speech service told to stop
  Ignored,      // input that arrived where nothing took it
  Watching,     // the dev run watches the author's folder for saves
  DevStart,     // the dev run started the story at a scene
  DevSet,       // the dev run set a counter
  DevPacked,    // the dev run packed an edited file into its shadow folder
  DevReloaded,  // the dev run reloaded the scene it stands in
  Shot,         // the runner saved a picture of the screen
  ShotFailed,   // ... or could not
  Exit,         // the game ended with its exit status
  Idle,         // the game stopped, waiting for input the runner had no more of
  Warning,      // for the player to know (standard error on the desktop)
  Error,
};

// One event: its kind and the fields that kind has (the others stay empty).
struct LogEvent {
  LogKind kind = LogKind::Warning;
  std::string form;     // a secondary window: FormOpened, FormControl, FormClosed
  std::string control;  // the control of the window the event is about
  std::string item;     // a menu item, the title's item chosen, a counter (DevSet)
  std::string file;     // a file, a tune, a picture taken, a folder watched
  std::string action;   // what befell the subject, as its line words it
  std::string speaker;  // as the line names them: a message's number, the history's label
  std::string text;     // a message, a dialog's text or an input box's prompt, a reason...
  std::optional<std::string> caption;  // a window's or menu item's caption, a control's text
  std::string answer;                  // the dialog's answer, the input box's result
  std::string preset;                  // the input box's preset
  int number = 0;               // place, depth, level, percent, count, bytes, scale, row, status...
  int second = 0;               // an effect's length in ms, the effects' level
  std::optional<int> value;     // a control's value, where the control has one
  bool on = false;              // open, ticked, checked, topmost, full screen
  bool enabled = true;          // the main window or a control takes input
  bool defaulted = false;       // a dialog answered by its default, no answer being given
  bool by_main_window = false;  // Ignored: an input of the main window, not a secondary one's

  // --- what the game itself notes ---
  static LogEvent text_shown(int speaker, const std::string& text);
  static LogEvent place(int n);
  static LogEvent file_written(const std::string& name);
  static LogEvent file_read(const std::string& name);
  static LogEvent file_removed(const std::string& name);
  static LogEvent title_ready();
  static LogEvent title_chosen(const std::string& item);
  static LogEvent end_button_shown();
  static LogEvent rollback(int depth);
  static LogEvent warning(const std::string& what);
  static LogEvent error(const std::string& what);
  static LogEvent watching(const std::string& dir);
  static LogEvent dev_start(int num);
  static LogEvent dev_set(const std::string& counter, int value);
  static LogEvent dev_packed(const std::string& name);
  static LogEvent dev_reloaded();

  // --- what the services note ---
  // title: the box's, the game's name (not in the line: it is the same for
  // every box of a run).
  // NOLINTNEXTLINE(bugprone-easily-swappable-parameters): named as input_box's are
  static LogEvent dialog(const std::string& title, const std::string& text,
                         const std::string& answer, bool defaulted);
  static LogEvent input_box(const std::string& title, const std::string& prompt,
                            const std::string& preset, const std::string& result, bool defaulted);
  static LogEvent ime(bool open);
  static LogEvent history_open(size_t lines);
  static LogEvent history_line(const std::string& speaker, const std::string& text);
  static LogEvent history_close();
  // The sequencer's open command: the tune, and the command's words after it.
  static LogEvent music_open(const std::string& tune, const std::string& rest);
  static LogEvent music_play();
  static LogEvent music_stop();
  static LogEvent music_failed(const std::string& tune, const std::string& why);
  static LogEvent effect(size_t bytes, uint32_t ms);
  static LogEvent volume(uint32_t level);
  static LogEvent levels(int music_percent, int effects_percent);
  static LogEvent form_opened(const std::string& form, const std::string& caption, bool topmost);
  // A control as the player sees it: its text (for one that shows a text),
  // its box checked, its value (for one that has a value), enabled or not.
  // `action` is "" when the control's text changed or the window opened,
  // "shows" when it came into view.
  struct ControlState {
    std::string name;
    std::optional<std::string> caption;
    bool checked = false;
    std::optional<int> value;
    bool enabled = true;
  };
  static LogEvent form_control(const std::string& form, const ControlState& c,
                               const std::string& action = "");
  // What befell the window itself: "raised", "close box".
  static LogEvent form_action(const std::string& form, const std::string& action);
  // What befell a control: "enabled", "disabled", "hidden", "focus".
  static LogEvent control_action(const std::string& form, const std::string& control,
                                 const std::string& action);
  static LogEvent control_acted_on(const std::string& form, const std::string& control,
                                   std::optional<int> value);
  static LogEvent list_row(const std::string& form, const std::string& control, int row,
                           const std::string& text);
  static LogEvent form_closed(const std::string& form);
  static LogEvent main_window(bool enabled);
  static LogEvent menu_chosen(const std::string& item);
  static LogEvent menu_caption(const std::string& item, const std::string& caption);
  static LogEvent menu_check(const std::string& item, bool on);
  static LogEvent menu_bar_opened();
  static LogEvent view(int scale, bool full_screen);
  static LogEvent caption_set(const std::string& caption);
  static LogEvent shell(const std::string& target);
  // input: what arrived, as the runner words it ("menu prog_end", "press
  // \"OK\""); why: what kept it from being taken.
  static LogEvent ignored(const std::string& input, const std::string& why);
  static LogEvent ignored_by_main_window(const std::string& input, const std::string& why);
  static LogEvent speak(const std::string& text);
  static LogEvent hush();

  // --- what the headless runner notes ---
  static LogEvent shot(const std::string& path);
  static LogEvent shot_failed(const std::string& why);
  static LogEvent exited(int status);
  static LogEvent idle();
};

// The event as one line (without the time the headless log puts before it).
std::string log_line(const LogEvent& e);

// Text in double quotes with its line breaks written as \r and \n, as the
// log shows captions, dialog texts and list rows.
std::string log_quoted(const std::string& s);

}  // namespace vm
