// The gamepad of the headless runner: the buttons go through the desktop's
// own table, so a scripted press means what a player's press means.
#include "platform/common/pad_map.h"
#include "platform/headless/headless.h"

namespace vm {

void Headless::pad(uint32_t at_ms, PadButton button, bool down) {
  if (pad_action(button).kind == PadAction::MenuBar) {
    // There is no menu bar to open here; the play notes that it was asked.
    if (down) at(at_ms, [this] { log_.record(LogEvent::menu_bar_opened()); });
    return;
  }
  for (InputEvent& ev : pad_events(button, down)) schedule(at_ms, std::move(ev));
}

}  // namespace vm
