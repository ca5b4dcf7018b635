// The main window: its menu bar, its caption, the frames it shows, its
// event pump and its timers.
#pragma once

#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/input.h"

namespace vm {

// The engine's own name: what the windows and message boxes of a game that
// does not name itself are titled.
inline constexpr const char* kAppTitle = "Velmora";

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
  // The name the game goes by (kAppTitle until it names itself): the title
  // of its message boxes, of the window before a caption is set, and the
  // name the desktop gives the program.
  virtual void set_app_name(const std::string& name) = 0;
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
  // The window may keep the frame's pixels and hand back, in their place, a
  // picture whose contents the caller overwrites: typing puts a frame on
  // screen for every character, and no frame need be copied whole.
  virtual void present(Image& frame) = 0;
  // False while frames would not be seen (the game rebuilding an earlier
  // moment behind the scenes): the frame need not even be composed.
  virtual bool shows_frames() { return true; }
  // False while frames are shown but nobody looks at their pixels (a play
  // that compares what the game does and pictures only its end): each frame
  // is still presented at its moment, unpainted.
  virtual bool pixels_seen() { return true; }
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

}  // namespace vm
