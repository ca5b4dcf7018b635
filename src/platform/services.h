// The narrow services through which the game reaches the desktop. Every
// subsystem sees only these interfaces; the desktop (GTK, SDL) and headless
// (virtual clock, scripted input) implementations live under platform/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"

namespace vm {

// ---------------------------------------------------------------- window ---

// Key codes follow the classic virtual-key numbering the game logic tests.
enum KeyCode : int {
  kKeyBack = 8,
  kKeyTab = 9,
  kKeyReturn = 13,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
};

// Mouse buttons as the game's handlers number them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

struct InputEvent {
  enum Kind { MouseDown, MouseMove, KeyDown, Menu, Close, Timer, Hook };
  Kind kind = MouseDown;
  int x = 0, y = 0;            // game-screen pixels (MouseDown, MouseMove)
  int button = 0;              // MouseButton (MouseDown)
  int key = 0;                 // KeyCode (KeyDown)
  std::string name;            // menu item code name (Menu)
  int timer = 0;               // timer id (Timer)
  std::function<void()> hook;  // headless only: a runner action run in turn
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
struct MenuItemSpec {
  std::string name;     // e.g. "prog_save"
  std::string caption;  // shown text
  std::string group;    // the menu it hangs in
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void set_sink(EventSink* sink) = 0;
  // Builds the menu bar (called once, before show).
  virtual void set_menu(const std::vector<MenuItemSpec>& items) = 0;
  virtual void set_menu_enabled(const std::string& name, bool enabled) = 0;
  virtual void set_menu_caption(const std::string& name, const std::string& caption) = 0;
  virtual void set_caption(const std::string& caption) = 0;
  virtual void set_busy_cursor(bool busy) = 0;
  virtual void show() = 0;
  // Puts a finished 640 x 480 frame on screen at once, running no other event.
  virtual void present(const Image& frame) = 0;
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

// ----------------------------------------------------------------- clock ---

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t tick_count() = 0;  // milliseconds, wraps at 2^32
  virtual void sleep(int ms) = 0;     // blocks; no events run meanwhile
};

// --------------------------------------------------------------- dialogs ---

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

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
};

// -------------------------------------------------------------- pictures ---

class Pictures {
 public:
  virtual ~Pictures() = default;
  // Decodes a BMP or JPEG file. Returns false with a reason when the file is
  // missing or cannot be decoded.
  virtual bool load_picture(const std::string& path, Image& out, std::string& error) = 0;
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
};

// ------------------------------------------------------- single copy, shell --

class SingleCopy {
 public:
  virtual ~SingleCopy() = default;
  virtual bool other_copy_running() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void open_with_shell(const std::string& target) = 0;
};

// ------------------------------------------------------------------- log ---

// Observable events (dialogs, captions, sounds, files written) for the
// headless runner; the desktop discards them, except what a player needs to
// know on standard error.
class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual void log(const std::string& line) = 0;
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
};

// Thrown to end the process at once: every window closes and no further
// handler runs. Caught only by main().
struct EndProcess {
  int code = 0;
};

}  // namespace vm
