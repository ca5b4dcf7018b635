// The gamepad is a second keyboard: each button stands for a key the game
// already understands, a menu item, or the menu bar. One table, shared by the
// desktop (SDL's game controllers) and the headless runner (`pad BUTTON`), so
// a play scripted headless presses exactly what a player's pad presses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/input.h"

namespace vm {

enum class PadButton : uint8_t {
  A,
  B,
  X,
  Y,
  Back,
  Start,
  LeftShoulder,
  RightShoulder,
  Up,
  Down,
  Left,
  Right,
};
inline constexpr int kPadButtons = 12;

struct PadAction {
  enum Kind : uint8_t {
    Key,      // a key press (KeyDown), repeated while held when `repeats`
    HeldKey,  // a key held as long as the button: KeyDown, then KeyUp on release
    Menu,     // a main-menu item chosen, by its code name
    MenuBar,  // the menu bar opened, as F10 opens it
  };
  PadButton button;
  const char* name;  // as the runner writes it: "a", "lb", "up"...
  Kind kind;
  int key = 0;            // Key, HeldKey: the KeyCode
  const char* menu = "";  // Menu: the item's code name
  bool repeats = false;   // a direction: pressed again while held, as a key repeats
};

// In PadButton order.
inline constexpr std::array<PadAction, kPadButtons> kPadActions = {{
    {PadButton::A, "a", PadAction::Key, kKeyReturn},
    {PadButton::B, "b", PadAction::Key, kKeyEscape},
    {PadButton::X, "x", PadAction::Menu, 0, "history"},
    {PadButton::Y, "y", PadAction::Key, kKeyF5},
    {PadButton::Back, "back", PadAction::Menu, 0, "auto"},
    {PadButton::Start, "start", PadAction::MenuBar},
    {PadButton::LeftShoulder, "lb", PadAction::Key, kKeyPrior},
    {PadButton::RightShoulder, "rb", PadAction::HeldKey, kKeyControl},
    {PadButton::Up, "up", PadAction::Key, kKeyUp, "", true},
    {PadButton::Down, "down", PadAction::Key, kKeyDown, "", true},
    {PadButton::Left, "left", PadAction::Key, kKeyLeft, "", true},
    {PadButton::Right, "right", PadAction::Key, kKeyRight, "", true},
}};

constexpr const PadAction& pad_action(PadButton b) {
  return kPadActions[static_cast<size_t>(b)];
}

// The button a runner line names ("a", "start", "rb"...), none for others.
constexpr std::optional<PadButton> pad_button_named(std::string_view name) {
  for (const PadAction& a : kPadActions)
    if (name == a.name) return a.button;
  return std::nullopt;
}

// The main window's events for a button going down or up; the menu bar is
// the platform's own to open (nothing is returned for it).
std::vector<InputEvent> pad_events(PadButton b, bool down);

// A button changing, as the pad's state machine reports it.
struct PadChange {
  PadButton button;
  bool down;
  bool operator==(const PadChange&) const = default;
};

// Where the left stick leans (SDL's axes: -32768..32767, y down positive).
struct StickPosition {
  int x = 0;
  int y = 0;
};

// What one controller holds: the d-pad and the left stick both move the
// highlight, the stick only past its dead zone, and a held direction presses
// again at a key's repeat pace. Times are the caller's milliseconds.
class PadState {
 public:
  static constexpr int kDeadZone = 12000;  // of 32767: a resting stick drifts
  static constexpr uint32_t kRepeatDelayMs = 400;
  static constexpr uint32_t kRepeatMs = 120;

  // A button went down or up.
  void button(PadButton b, bool down, uint32_t now, std::vector<PadChange>& out);
  // The left stick now.
  void stick(StickPosition at, uint32_t now, std::vector<PadChange>& out);
  // The repeats of a held direction that are due.
  void tick(uint32_t now, std::vector<PadChange>& out);
  // Everything released (the controller went away): a held RB must not keep
  // the game fast-forwarding.
  void release_all(std::vector<PadChange>& out);

 private:
  void set(PadButton b, bool down, uint32_t now, std::vector<PadChange>& out);

  std::array<bool, kPadButtons> held_{};        // as the game sees it
  std::array<bool, kPadButtons> from_pad_{};    // the button itself
  std::array<bool, kPadButtons> from_stick_{};  // the stick leaning that way
  std::array<uint32_t, kPadButtons> due_{};     // next repeat of a held direction
};

}  // namespace vm
