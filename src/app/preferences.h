// The preferences window (環境設定): the player's own levels over the game's
// music and effects, the text speed, the auto-forward pause, skipping unread
// text, the window's size and full screen. Everything it sets is kept in the
// player's settings, outside the game data.
#pragma once

#include <memory>

#include "menu/main_menu.h"
#include "platform/services.h"

namespace vm {

struct PreferencesState {
  // The window while it is open, and what receives its events.
  std::unique_ptr<Form> window;
  std::unique_ptr<EventSink> events;
};

// Opens the window, not modal, showing the settings in force; raises it when
// it is open already. The volume bars are heard at once while they move;
// "OK" keeps everything shown (the view through the menu's own rules),
// "Cancel" and the close box put the levels back and change nothing.
void open_preferences(PreferencesState& p, Platform& pf, MainMenu& menu);

}  // namespace vm
