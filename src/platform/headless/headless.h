// The headless platform: a virtual clock that sleep advances, scripted input
// delivered by do_events when its time has come, scripted dialog answers, and
// a record of every dialog, present and sound. Used by the tests and by
// velmora-play; needs no display.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vm {

enum class PadButton : uint8_t;

// One event of the headless log, with the virtual time it happened at and
// the line velmora-play prints for it.
struct LoggedEvent {
  uint32_t at = 0;
  LogEvent event;
  std::string line;  // "   12345 text 0 ...": the time in eight columns, the event
};

// Where the headless services write their observable events.
class LineLog : public EventLog {
 public:
  explicit LineLog(std::function<uint32_t()> now) : now_(std::move(now)) {}
  void record(const LogEvent& event) override;
  const std::vector<LoggedEvent>& events() const { return events_; }
  // The lines as printed, in order.
  std::vector<std::string> lines() const;
  // Also hand every event as it is noted to this callback (velmora-play
  // prints its line).
  std::function<void(const LoggedEvent&)> echo;
  // Whether each event is also kept for events() and lines(): a very long
  // play that nobody asks about afterwards (thousands of loads) need not hold
  // them all; echo still sees every one.
  bool keep = true;

 private:
  std::function<uint32_t()> now_;
  std::vector<LoggedEvent> events_;
};

// What an open secondary window holds now, for the runner and the tests.
struct HeadlessFormState {
  int id = 0;
  FormSpec spec;  // controls with their current text, state, value and colours
  std::map<std::string, std::vector<std::string>> rows;  // List rows
  EventSink* sink = nullptr;
  std::string focused;  // the scroll bar clicked last, which scroll moves
  ControlSpec* find(const std::string& name);
  const ControlSpec* find(const std::string& name) const;
  // The control and every Panel or Frame around it are visible.
  bool shown(const ControlSpec& c) const;
};

class Headless {
 public:
  // The game's files on the disk (tests copy data folders to temporary
  // folders, velmora-play plays one where it lies)...
  Headless();
  // ...or those of a store the caller keeps, such as a MemoryFiles.
  explicit Headless(Files& files);
  ~Headless();
  Headless(const Headless&) = delete;
  Headless& operator=(const Headless&) = delete;

  Platform& platform() { return *platform_; }

  // --- scripting, in virtual milliseconds ---------------------------------
  uint32_t now() const { return now_; }
  // Queues an event for delivery once the clock reaches at_ms.
  void schedule(uint32_t at_ms, InputEvent ev);
  void click(uint32_t at_ms, int x, int y, int button = kLeftButton);
  void move(uint32_t at_ms, int x, int y);
  void key(uint32_t at_ms, int key);
  void key_up(uint32_t at_ms, int key);
  // The mouse wheel at (x, y): -1 turned up, +1 down.
  void wheel(uint32_t at_ms, int x, int y, int delta);
  void menu(uint32_t at_ms, const std::string& name);
  void close(uint32_t at_ms);
  // A gamepad button down or up, as the desktop's controllers press it
  // (platform/common/pad_map.h): its key, menu item or the menu bar.
  void pad(uint32_t at_ms, PadButton button, bool down);
  // Runs fn on the game's thread when the clock reaches at_ms (screenshots).
  void at(uint32_t at_ms, std::function<void()> fn);
  // Answers for dialogs shown at or after at_ms, in order: "ok", "yes", "no"
  // or the text for an input box. An answer the dialog it meets cannot take
  // (an "ok" for a yes-or-no question) is an error, logged with `origin`
  // (the input line it came from) and counted in misfit_answers; the dialog
  // then takes its default.
  void answer(uint32_t at_ms, const std::string& answer, const std::string& origin = "");
  int misfit_answers = 0;
  // Opens the history window at at_ms and double-clicks the message `back`
  // messages before the newest (1: the one before it).
  void history(uint32_t at_ms, int back);
  // The file monitor of a dev run: the folder it was asked to watch, and a
  // change of one of its files (by name) told to the game at at_ms, as the
  // system would tell it once the file has been written.
  FileMonitor& file_monitor() { return *monitor_; }
  const std::string& watched_folder() const { return watched_; }
  void file_changed(uint32_t at_ms, const std::string& name);
  // Pending scheduled events.
  size_t pending() const { return queue_.size(); }

  // --- secondary windows, acting on the one opened last that is still open --
  // Presses the enabled, shown Button or Link with this caption.
  void press(uint32_t at_ms, const std::string& caption);
  // Clicks the control with this code name (a label, a picture, a button).
  void click_control(uint32_t at_ms, const std::string& name);
  // Gives the control with this code name the keyboard focus (as Tab or the
  // pointer would).
  void focus(uint32_t at_ms, const std::string& name);
  // Chooses the option button with this caption.
  void choose(uint32_t at_ms, const std::string& caption);
  // Sets the check box with this caption (an event only when it changes).
  void check(uint32_t at_ms, const std::string& caption, bool on);
  // Moves the window's scroll bar to a position: the one clicked last
  // (click_control, the runner's "control NAME"), else the first.
  void scroll(uint32_t at_ms, int value);
  // Clicks row n of the window's list.
  void row(uint32_t at_ms, int n);
  // The window's close box.
  void close_box(uint32_t at_ms);
  // A key pressed in the open secondary window, as the desktop's windows
  // take it: Tab moves the focus in the window's tab order, Enter and Space
  // act on the focused control (Enter elsewhere presses the window's OK),
  // Escape is the close box.
  void form_key(uint32_t at_ms, int key);

  // --- what happened -------------------------------------------------------
  const Image& last_frame() const { return last_frame_; }
  int present_count() const { return present_count_; }
  // Called with every presented frame and its time.
  std::function<void(const Image&, uint32_t)> on_present;
  LineLog& log() { return log_; }
  const LineLog& log() const { return log_; }
  std::string caption() const { return caption_; }
  // The name the game goes by, the title of its message boxes.
  std::string app_name() const { return app_name_; }
  bool menu_enabled(const std::string& name) const;
  bool menu_checked(const std::string& name) const;
  // The magnification the pretend screen has room for.
  int screen_fits_scale = 3;
  // The view the game asked for (set_view).
  int view_scale() const { return view_scale_; }
  bool view_full_screen() const { return view_full_screen_; }
  // The settings store: what the game reads at start, and every save.
  PlayerSettings player_settings;
  int settings_saves = 0;
  // The line the next history window is double-clicked on (-1: none), or
  // the message so many messages back (-1: none).
  int history_pick = -1;
  int history_back = -1;
  bool main_enabled() const { return main_enabled_; }
  // The open secondary window with this code name, or nullptr.
  const HeadlessFormState* form(const std::string& name) const;
  std::string menu_caption(const std::string& name) const;
  // Music commands sent, as text; the device state.
  const std::vector<std::string>& music_commands() const { return music_cmds_; }
  // Set to make the sequencer refuse to open files.
  bool music_fails = false;
  // Length in ms of the tune the sequencer "plays" before it stops by itself.
  uint32_t tune_length_ms = 30000;
  // Set to have no audio output (open_mixer fails).
  bool no_audio = false;
  uint32_t volume_level = 0xC000;
  // The player's levels over the master volume, in percent.
  int music_level = 100;
  int effects_level = 100;
  int effects_played = 0;
  bool other_copy = false;
  // The wall-clock date at virtual time 0.
  DateTime start_date{2026, 7, 20, 10, 0};
  std::vector<std::string> shell_opened;
  // The speech service: set to have none (the desktop without one); the
  // texts spoken, in order.
  bool no_speech = false;
  std::vector<std::string> spoken;
  // Frames presented before this moment go unpainted (nobody looks at them):
  // the game presents them at the same moments all the same.
  uint32_t paint_from = 0;
  // Whether the last frame presented was painted.
  bool last_frame_painted() const { return last_frame_painted_; }

 private:
  friend class HeadlessWindow;
  friend class HeadlessClock;
  friend class HeadlessDialogs;
  friend class HeadlessMusic;
  friend class HeadlessEffects;
  friend class HeadlessVolume;
  friend class HeadlessSingleCopy;
  friend class HeadlessShell;
  friend class HeadlessSettings;

  friend class HeadlessForms;
  friend class HeadlessForm;
  friend class HeadlessFileMonitor;
  friend class HeadlessSpeech;
  struct Scheduled {
    uint32_t at;
    uint64_t order;
    InputEvent ev;
  };
  struct Timer {
    int interval = 0;
    bool enabled = false;
    uint32_t due = 0;
  };

  explicit Headless(Files* files);  // nullptr: the disk
  void dispatch_due();
  // Input the main window drops while it is disabled, or a menu item that is
  // disabled; notes what it dropped.
  bool dropped(const InputEvent& ev);
  // Runs fn on the top window at its time; logs and drops the action when
  // no window is open.
  void act_on_form(uint32_t at_ms, const std::string& what,
                   std::function<void(HeadlessFormState&)> fn);
  void send_control(HeadlessFormState& f, const ControlSpec& c);
  // The control took the keyboard focus, as the real window tells it.
  static void send_focus(HeadlessFormState& f, const ControlSpec& c);
  bool advance_to_next();

  uint32_t now_ = 0;
  uint64_t order_ = 0;
  std::deque<Scheduled> queue_;
  struct PendingAnswer {
    uint32_t at = 0;
    std::string text, origin;
  };
  std::deque<PendingAnswer> answers_;
  std::vector<Timer> timers_;
  EventSink* sink_ = nullptr;
  Image last_frame_;
  bool last_frame_painted_ = true;
  int present_count_ = 0;
  std::string caption_;
  std::string app_name_ = kAppTitle;
  struct MenuState {
    std::string caption;
    bool enabled = true;
    bool checked = false;
  };
  std::map<std::string, MenuState> menus_;
  std::vector<std::string> music_cmds_;
  bool music_open_ = false;
  bool music_playing_ = false;
  uint32_t music_started_ = 0;
  int view_scale_ = 1;
  bool view_full_screen_ = false;
  bool main_enabled_ = true;
  int next_form_id_ = 1;
  std::vector<std::unique_ptr<HeadlessFormState>> forms_;  // in opening order
  LineLog log_;

  std::unique_ptr<Files> own_files_;  // the disk, unless the caller gave files
  std::unique_ptr<Window> window_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<Dialogs> dialogs_;
  std::unique_ptr<Pictures> pictures_;
  std::unique_ptr<Text> text_;
  std::unique_ptr<Music> music_;
  std::unique_ptr<Effects> effects_;
  std::unique_ptr<Volume> volume_;
  std::unique_ptr<SingleCopy> single_copy_;
  std::unique_ptr<Shell> shell_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<Forms> forms_service_;
  std::unique_ptr<Speech> speech_;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<FileMonitor> monitor_;
  std::string watched_;
};

// Thrown by wait_events when nothing is scheduled any more and no timer runs:
// the game would idle for ever, so it ends here. A request to end like the
// others, it passes every guard that reports a failure; whoever plays the
// headless game (velmora-play, the benchmark, the tests) catches it.
struct HeadlessIdle : EndRequest {};

}  // namespace vm
