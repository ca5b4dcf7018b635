// The narrow services through which the game reaches the desktop. Every
// subsystem sees only these interfaces; the desktop (GTK, SDL) and headless
// (virtual clock, scripted input) implementations live under platform/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/image.h"
#include "platform/log_event.h"
#include "platform/result.h"

namespace vm {

// ---------------------------------------------------------------- window ---

// Key codes follow the classic virtual-key numbering the game logic tests.
enum KeyCode : int {
  kKeyBack = 8,
  kKeyTab = 9,
  kKeyReturn = 13,
  kKeyControl = 17,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPrior = 33,  // Page Up
  kKeyNext = 34,   // Page Down
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyF5 = 116,
  kKeyF9 = 120,
  kKeyF11 = 122,
};

// Mouse buttons as the game's handlers number them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

struct InputEvent {
  enum Kind {
    MouseDown,
    MouseMove,
    KeyDown,
    Menu,
    Close,
    Timer,
    Hook,
    Control,
    FormClose,
    KeyUp,
    Wheel,
    FileChanged,  // a file of a watched folder changed (FileMonitor)
    Focus         // a control of a secondary window got the keyboard focus or the pointer
  };
  Kind kind = MouseDown;
  int x = 0, y = 0;            // game-screen pixels (MouseDown, MouseMove, Wheel)
  int button = 0;              // MouseButton (MouseDown)
  int key = 0;                 // KeyCode (KeyDown, KeyUp: only Control is reported released)
  int wheel = 0;               // Wheel: -1 turned up (away from the player), +1 down
  std::string name;            // menu item code name (Menu); file name (FileChanged)
  int timer = 0;               // timer id (Timer)
  std::function<void()> hook;  // headless only: a runner action run in turn
  // Control, FormClose, Focus: the secondary window (its id) and, for Control
  // and Focus, the control (name); for Control its value afterwards (value).
  int form = 0;
  int value = 0;
};

// Receives the events that do_events dispatches. Handlers run on the one
// thread, from inside do_events/wait_events, never from a toolkit callback, so
// they may throw (the exception travels to whoever called do_events).
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void on_event(const InputEvent& ev) = 0;
};

// Menu items of the main window, by code name.
struct MenuEntry {
  std::string name;     // e.g. "prog_save"
  std::string caption;  // shown text
  std::string group;    // the menu it hangs in
  bool check = false;   // shows a tick that the game sets (set_menu_checked)
  bool radio = false;   // a tick that is one of several alternatives (drawn round)
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void set_sink(EventSink* sink) = 0;
  // Builds the menu bar (called once, before show).
  virtual void set_menu(const std::vector<MenuEntry>& items) = 0;
  virtual void set_menu_enabled(const std::string& name, bool enabled) = 0;
  virtual void set_menu_caption(const std::string& name, const std::string& caption) = 0;
  // The tick of a check item; only the game changes it (a click only reports).
  virtual void set_menu_checked(const std::string& name, bool checked) = 0;
  // The note shown while the pointer rests on an item ("" none): why a
  // greyed item cannot be chosen. A window without notes shows none.
  // NOLINTNEXTLINE(bugprone-easily-swappable-parameters): name, then text, as every menu call
  virtual void set_menu_note(const std::string& name, const std::string& note) {
    (void)name;
    (void)note;
  }
  virtual void set_caption(const std::string& caption) = 0;
  virtual void set_busy_cursor(bool busy) = 0;
  virtual void show() = 0;
  // How the 640 x 480 screen is shown: magnified by a whole number with hard
  // pixel edges in a window of that size, or full screen at the largest whole
  // magnification that fits, centred on black. Input positions stay in
  // game-screen pixels whatever the view.
  virtual void set_view(int scale, bool full_screen) = 0;
  // The largest whole magnification whose window, menu bar included, fits
  // on the screen the window is on (at least 1).
  virtual int largest_window_scale() = 0;
  // Puts a finished 640 x 480 frame on screen at once, running no other event.
  virtual void present(const Image& frame) = 0;
  // False while frames would not be seen (the game rebuilding an earlier
  // moment behind the scenes): the frame need not even be composed.
  virtual bool shows_frames() { return true; }
  // Runs every pending event, then returns without blocking.
  virtual void do_events() = 0;
  // The idle state: blocks until at least one event has been dispatched.
  virtual void wait_events() = 0;
  // For loops that must not run events (typing, some transition steps): lets
  // the toolkit collect input without running any handler, and tells whether
  // a close request (close box, termination signal) is waiting.
  virtual bool close_requested() = 0;
  // Timers tick only while events run; a tick arrives as a Timer event.
  virtual int create_timer(int interval_ms) = 0;
  virtual void set_timer_enabled(int id, bool enabled) = 0;
};

// ------------------------------------------------------ secondary windows ---
// Small tool windows beside the main window (the slot window, the options
// window, the About box, the message history): a fixed layout of controls
// named by code name. Whatever the player does in one arrives as an
// InputEvent (Control, or FormClose for its close box) through the same queue
// as the main window's events and is handed to the window's own sink from
// do_events/wait_events, never from inside a toolkit callback.

struct ControlSpec {
  enum Kind {
    Label,    // text; clickable (Control, value 0); back colour paints its box
    Button,   // push button (Control, value 0)
    Option,   // option button; those sharing a group exclude each other
              // (Control when chosen, value 1)
    Check,    // check box (Control, value 0 or 1 after the change)
    Scroll,   // horizontal scroll bar min..max (Control, value the position)
    List,     // scrolling list of text rows (Control, value the row clicked)
    Picture,  // an Image shown as it is; clickable (Control, value 0)
    Link,     // text looking like a link; the game decides what it opens
    Panel,    // a plain box (back colour) holding the controls that name it
    Frame,    // a captioned group box holding the controls that name it
  };
  Kind kind = Label;
  std::string name;                // code name, unique in its window: "fBtn(3)", "Label4"
  std::string caption;             // text of a Label, Button, Option, Check, Link, Frame
  int x = 0, y = 0, w = 0, h = 0;  // in pixels, relative to the parent
  std::string parent;              // name of the Panel or Frame it lies in; "" the window
  std::string group;               // Option: the group it belongs to
  int value = 0;                   // Option/Check 0 or 1, Scroll position, List row (-1)
  int font_points = 0;             // text size; 0 the desktop's
  int min = 0, max = 100;          // Scroll range
  bool enabled = true;
  bool visible = true;
  uint32_t fore = kDefaultColour;  // text colour, 0x00RRGGBB
  uint32_t back = kDefaultColour;  // box colour (Label, Panel)
  Image picture;                   // Picture
  // Read aloud before the control's caption (a slot row's number), "" none.
  std::string spoken_prefix;

  static constexpr uint32_t kDefaultColour = 0xFFFFFFFFu;  // the desktop's own

  // A control of a kind, name and place; the rest is set on the result.
  static ControlSpec at(Kind kind, std::string name, int x, int y, int w, int h,
                        std::string caption = "", std::string parent = "") {
    ControlSpec c;
    c.kind = kind;
    c.name = std::move(name);
    c.caption = std::move(caption);
    c.x = x;
    c.y = y;
    c.w = w;
    c.h = h;
    c.parent = std::move(parent);
    return c;
  }
};

struct FormSpec {
  std::string name;     // code name: "File_Window"
  std::string caption;  // title bar
  int width = 0, height = 0;
  bool topmost = false;               // kept above every other window
  std::vector<ControlSpec> controls;  // a parent before its children; later ones lie on top
  // The keyboard, the same in every window: Tab visits the controls named
  // here in this order (reading order), or when there are none the buttons,
  // boxes, bars, lists and links in the order listed; a label named here is
  // reached too and acts as a click. Enter activates the focused button or
  // label, and elsewhere presses enter_button (the window's OK); Escape is
  // the close box (Close or Cancel).
  std::vector<std::string> tab_order;
  std::string enter_button;
};

// One open secondary window; destroying the object closes it.
class Form {
 public:
  virtual ~Form() = default;
  virtual int id() const = 0;
  // Receives this window's Control and FormClose events (nullptr: dropped).
  virtual void set_sink(EventSink* sink) = 0;
  virtual void set_text(const std::string& control, const std::string& text) = 0;
  virtual void set_colours(const std::string& control, uint32_t fore, uint32_t back) = 0;
  virtual void set_enabled(const std::string& control, bool enabled) = 0;
  virtual void set_visible(const std::string& control, bool visible) = 0;
  // Option/Check 0 or 1, Scroll position, List selected row (-1 none; the
  // row is scrolled into view). Sends no event.
  virtual void set_value(const std::string& control, int value) = 0;
  virtual int value(const std::string& control) const = 0;
  virtual void set_picture(const std::string& control, const Image& picture) = 0;
  virtual void set_rows(const std::string& control, const std::vector<std::string>& rows) = 0;
  // Brings the window in front of the others (one chosen again while open).
  virtual void raise() = 0;
};

class Forms {
 public:
  virtual ~Forms() = default;
  // Builds the window and shows it (not modal).
  virtual std::unique_ptr<Form> open(const FormSpec& spec) = 0;
  // While disabled the main window takes no mouse, key or menu input (what
  // arrives is dropped); a close request still reaches the game.
  virtual void set_main_enabled(bool enabled) = 0;
};

// ----------------------------------------------------------------- clock ---

// The wall-clock date and time, local.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t tick_count() = 0;  // milliseconds, wraps at 2^32
  virtual void sleep(int ms) = 0;     // blocks; no events run meanwhile
  virtual DateTime local_time() = 0;
};

// --------------------------------------------------------------- dialogs ---

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// One line of the history window.
struct HistoryLine {
  std::string speaker;  // label as shown, empty for narration and choices
  std::string text;
  bool choice = false;  // a choice picked ("→ label")
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal; the title is the application's.
  virtual Answer message_box(const std::string& text, Buttons buttons) = 0;
  // Modal text input; returns the text, empty on Cancel.
  virtual std::string input_box(const std::string& prompt, const std::string& title,
                                const std::string& preset) = 0;
  // Opens or closes the input method of the main window (Japanese input).
  virtual void set_ime_open(bool open) = 0;
  // The history window over the game: the lines in a scrolling list opened
  // at the newest one. Returns when the player closes it (Escape, a click
  // outside the list, the wheel turned down past the end); input meant for
  // the game meanwhile is dropped. Returns the line the player asked to go
  // back to (a double click on it), or -1.
  virtual int show_history(const std::vector<HistoryLine>& lines) = 0;
};

// ----------------------------------------------------------------- files ---

// One name in a folder.
struct FolderEntry {
  std::string name;
  bool folder = false;
  bool operator==(const FolderEntry&) const = default;
};

// The game's files: the data folder, its saves, the player's copy of it.
// Paths are plain strings joined with '/'.
class Files {
 public:
  virtual ~Files() = default;
  // Every step that can fail hands back the FileError as a Result: the
  // caller decides whether the failure ends anything (value_or_throw).

  // The whole file. FileError: Opening, Reading.
  virtual Result<std::string> read_whole(const std::string& path) = 0;
  // Replaces a file whole or not at all: a temporary file beside it (path +
  // ".tmp"), flushed to the disk, renamed over it, with the old file's
  // permissions. A folder that refuses the temporary file leaves the old
  // file as it is. FileError: NoCopy, Writing.
  virtual Result<void> replace_whole(const std::string& path, const std::string& data) = 0;
  // Writes bytes into an existing file at offset, leaving the rest of it as
  // it is; a missing file is never created. FileError: Updating, Writing.
  virtual Result<void> write_at(const std::string& path, size_t offset,
                                const std::string& bytes) = 0;
  // Removes a file (never a folder). FileError Removing when there was none
  // or it stays.
  virtual Result<void> remove(const std::string& path) = 0;
  // The names in a folder, sorted; empty when it is no folder.
  virtual std::vector<FolderEntry> list(const std::string& dir) = 0;
  virtual bool is_folder(const std::string& path) = 0;
  // Length of a file, -1 when there is none (a folder is none).
  virtual long long length(const std::string& path) = 0;
  bool exists(const std::string& path) { return length(path) >= 0; }
  // Whether this copy of the game may change it: a file's content, a
  // folder's names (a file made, replaced or removed in it).
  virtual bool writable(const std::string& path) = 0;
  // Makes a folder and those above it. FileError Making when it is not
  // there after.
  virtual Result<void> make_folder(const std::string& dir) = 0;
  // Copies the folder from into the new folder to, whole or not at all;
  // copied files are the player's to write. FileError Copying, with what
  // went wrong and the system's reason; to is then left as it was.
  virtual Result<void> copy_folder_whole(const std::string& from, const std::string& to) = 0;
};

// Tells when the files of a folder change: an author's editor saving a file
// the game plays. The system notices the change (nothing reads the folder
// over and over); it arrives as a FileChanged event naming the file (its name
// in the folder) from do_events, like any other input, and reaches the main
// window whatever window is open.
class FileMonitor {
 public:
  virtual ~FileMonitor() = default;
  // Watches the folder from now on (one folder; a second call replaces the
  // first). The system's reason when it cannot be watched.
  virtual Result<void> watch(const std::string& dir) = 0;
};

// Where the desktop looks for the game's data when no folder is named: the
// running program's own folder, the data installed with it, and the
// player's own copy of that. Each ends in '/'.
struct DataPlaces {
  std::string program_dir;
  std::string installed_dir;
  std::string own_dir;
  // A shipped game plays the player's copy even where the installed data
  // could be written (the superuser; a folder the player unpacked), so its
  // saves never land among the installed files.
  bool always_copy = false;
};

// -------------------------------------------------------------- pictures ---

class Pictures {
 public:
  virtual ~Pictures() = default;
  // Decodes a BMP or JPEG file, read through the game's Files. The reason,
  // naming the path, when the file is missing or cannot be decoded.
  virtual Result<Image> load_picture(const std::string& path) = 0;
};

// ------------------------------------------------------------------ text ---

struct Font {
  std::string family = "IPAGothic";
  int points = 13;
  bool bold = false;
};

class Text {
 public:
  virtual ~Text() = default;
  // Draws UTF-8 text with its top-left corner at (x, y) on a transparent
  // background; only the glyphs' pixels change.
  virtual void draw_text(Image& dst, int x, int y, const std::string& utf8, uint32_t rgb,
                         const Font& font) = 0;
  // Width in pixels of the text as drawn.
  virtual int text_width(const std::string& utf8, const Font& font) = 0;
};

// ----------------------------------------------------------------- music ---

// The MIDI sequencer driven by command texts ("open \"path\" type sequencer
// alias midifile", "play midifile from 0", "stop midifile ", "close midifile",
// "status midifile mode"). Returns 0 on success; a status reply goes to reply.
class Music {
 public:
  virtual ~Music() = default;
  virtual int send_command(const std::string& command, std::string* reply) = 0;
};

// --------------------------------------------------------------- effects ---

class Effects {
 public:
  virtual ~Effects() = default;
  // Plays an in-memory RIFF/WAVE image and returns when it has finished.
  virtual void play_wave(const std::vector<uint8_t>& riff) = 0;
};

// ---------------------------------------------------------------- volume ---

// The game's own master volume (0..65535) over music and effects.
class Volume {
 public:
  virtual ~Volume() = default;
  virtual bool open_mixer() = 0;  // false when there is no audio output at all
  virtual bool get_volume(uint32_t& level) = 0;
  virtual bool set_volume(uint32_t level) = 0;
  // The player's own levels (0..100 %) over music and effects, applied on
  // top of the game's master volume and its fades, which they never change.
  virtual void set_player_levels(int music_percent, int effects_percent) = 0;
};

// ------------------------------------------------------- single copy, shell --

// A data folder held by this copy of the game until the object goes.
class FolderHold {
 public:
  virtual ~FolderHold() = default;
};

class SingleCopy {
 public:
  virtual ~SingleCopy() = default;
  virtual bool other_copy_running() = 0;
  // Holds the data folder while the result lives; nullptr when another copy
  // plays from it already, whatever lock that one took besides.
  virtual std::unique_ptr<FolderHold> hold_data_folder(const std::string& data_dir) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void open_with_shell(const std::string& target) = 0;
};

// -------------------------------------------------------------- settings ---

// How fast a message is typed: Normal is the game's own pace, Slow twice its
// pauses, Fast half of them, Instant none.
enum class TextSpeed : uint8_t { Slow, Normal, Fast, Instant };

// The player's own preferences, kept outside the game data.
struct PlayerSettings {
  int scale = 1;  // 1..3, the window's magnification
  bool full_screen = false;
  int auto_delay_ms = 1500;         // auto-forward: the pause after a message...
  int auto_delay_per_char_ms = 80;  // ...plus this much per character of it
  int music_volume = 100;           // the player's levels, 0..100 %
  int effects_volume = 100;
  TextSpeed text_speed = TextSpeed::Normal;
  // Skipping goes on past text not read before. Cleared, as it starts, the
  // game menu's 次の選択まで進む and Ctrl stop at the first unread message; the
  // options window's skip mode is the player's own choice and always skips.
  bool skip_unread = false;
  // The game read aloud through the desktop's speech service (読み上げ).
  bool self_voicing = false;
  // For low vision: the message text one size larger, and the history in a
  // larger font (large_text); the message panel opaque (high_contrast).
  bool large_text = false;
  bool high_contrast = false;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The settings in force for this run (read at start, with any overrides from
  // the command line).
  virtual PlayerSettings settings() = 0;
  // Makes s the settings in force and keeps them for the next run.
  virtual void save_settings(const PlayerSettings& s) = 0;
};

// ---------------------------------------------------------------- speech ---

// The desktop's speech service, for players who have the game read aloud.
// Nothing here waits for speech to finish: a call hands the text over and
// returns.
class Speech {
 public:
  virtual ~Speech() = default;
  // Whether there is a service to speak through (the desktop connects to it
  // the first time it is asked, not before).
  virtual bool available() = 0;
  // Speaks UTF-8 text, cutting off whatever is still being spoken.
  virtual void say(const std::string& text) = 0;
  // Stops what is being spoken, if anything.
  virtual void stop() = 0;
};

// ------------------------------------------------------------------- log ---

// Observable events (dialogs, captions, sounds, files written) for the
// headless runner; the desktop discards them, except what a player needs to
// know on standard error.
class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual void record(const LogEvent& event) = 0;
};

// Everything a subsystem may need, handed down from the start routine.
struct Platform {
  Window& window;
  Clock& clock;
  Dialogs& dialogs;
  Pictures& pictures;
  Text& text;
  Music& music;
  Effects& effects;
  Volume& volume;
  SingleCopy& single_copy;
  Shell& shell;
  EventLog& log;
  Forms& forms;
  SettingsStore& settings;
  Files& files;
  Speech& speech;
};

// The game's own message box, with "OK" unless other buttons are asked for.
inline Answer message_box(Platform& pf, const std::string& text, Buttons buttons = Buttons::Ok) {
  return pf.dialogs.message_box(text, buttons);
}
// Shorthands for the window's event pump and the clock.
inline void do_events(Platform& pf) {
  pf.window.do_events();
}
inline void sleep_ms(Platform& pf, int ms) {
  pf.clock.sleep(ms);
}
inline uint32_t tick_count(Platform& pf) {
  return pf.clock.tick_count();
}

}  // namespace vm
