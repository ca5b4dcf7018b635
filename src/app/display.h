// The 表示 menu: the game screen magnified by a whole number in a window of
// that size, or full screen, kept in the player's settings.
#pragma once

#include "menu/main_menu.h"
#include "platform/services.h"

namespace vm {

// Shows the view the settings ask for and ticks the matching menu items.
void apply_view_settings(Platform& pf, MainMenu& menu);

// The scale and full-screen items; false for any other.
bool on_view_menu(Platform& pf, MainMenu& menu, MenuItem item);

// F11 switches full screen on and off, Escape leaves it; false for any other
// key (and Escape in a window), which then goes to the story as usual.
bool on_view_key(Platform& pf, MainMenu& menu, int key);

}  // namespace vm
