#include "platform/common/pad_map.h"

#include <cstdlib>

namespace vm {

std::vector<InputEvent> pad_events(PadButton b, bool down) {
  const PadAction& a = pad_action(b);
  std::vector<InputEvent> out;
  InputEvent e;
  switch (a.kind) {
    case PadAction::Key:
      if (!down) break;  // the game acts on presses only, as for the keyboard
      e.kind = InputEvent::KeyDown;
      e.key = a.key;
      out.push_back(e);
      break;
    case PadAction::HeldKey:
      e.kind = down ? InputEvent::KeyDown : InputEvent::KeyUp;
      e.key = a.key;
      out.push_back(e);
      break;
    case PadAction::Menu:
      if (!down) break;
      e.kind = InputEvent::Menu;
      e.name = a.menu;
      out.push_back(e);
      break;
    case PadAction::MenuBar:
      break;
  }
  return out;
}

void PadState::set(PadButton b, bool down, uint32_t now, std::vector<PadChange>& out) {
  const auto i = static_cast<size_t>(b);
  if (held_[i] == down) return;
  held_[i] = down;
  if (down && pad_action(b).repeats) due_[i] = now + kRepeatDelayMs;
  out.push_back({b, down});
}

void PadState::button(PadButton b, bool down, uint32_t now, std::vector<PadChange>& out) {
  const auto i = static_cast<size_t>(b);
  from_pad_[i] = down;
  set(b, from_pad_[i] || from_stick_[i], now, out);
}

void PadState::stick(StickPosition at, uint32_t now, std::vector<PadChange>& out) {
  const int x = at.x, y = at.y;
  // The stick leans one way at a time: the axis it leans furthest along.
  std::optional<PadButton> way;
  if (std::abs(x) >= kDeadZone || std::abs(y) >= kDeadZone) {
    if (std::abs(x) > std::abs(y))
      way = x < 0 ? PadButton::Left : PadButton::Right;
    else
      way = y < 0 ? PadButton::Up : PadButton::Down;
  }
  // Releases first, so that a stick swung round lets go before it presses.
  for (int pass = 0; pass < 2; ++pass) {
    for (PadButton b : {PadButton::Up, PadButton::Down, PadButton::Left, PadButton::Right}) {
      const auto i = static_cast<size_t>(b);
      const bool leans = way == b;
      if (leans != (pass == 1)) continue;
      from_stick_[i] = leans;
      set(b, from_pad_[i] || from_stick_[i], now, out);
    }
  }
}

void PadState::tick(uint32_t now, std::vector<PadChange>& out) {
  for (const PadAction& a : kPadActions) {
    const auto i = static_cast<size_t>(a.button);
    if (!a.repeats || !held_[i] || static_cast<int32_t>(now - due_[i]) < 0) continue;
    due_[i] = now + kRepeatMs;
    out.push_back({a.button, true});
  }
}

void PadState::release_all(std::vector<PadChange>& out) {
  for (const PadAction& a : kPadActions) {
    const auto i = static_cast<size_t>(a.button);
    from_pad_[i] = false;
    from_stick_[i] = false;
    set(a.button, false, 0, out);
  }
}

}  // namespace vm
