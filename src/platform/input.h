// The input the game's handlers receive: key codes, mouse buttons and the
// events do_events hands to a sink, from the main window and the secondary
// windows alike.
#pragma once

#include <functional>
#include <string>

namespace vm {

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

}  // namespace vm
