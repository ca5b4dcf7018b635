// The 表示 menu: the game screen magnified by a whole number in a window of
// that size, or full screen, kept in the player's settings.
#pragma once

#include <string>

namespace vm {

struct Game;

// Shows the view the settings ask for and ticks the matching menu items.
void apply_view_settings(Game& g);

// Menu items scale_1, scale_2, scale_3 and full_screen; false for any other.
bool on_view_menu(Game& g, const std::string& name);

// F11 switches full screen on and off, Escape leaves it; false for any other
// key (and Escape in a window), which then goes to the story as usual.
bool on_view_key(Game& g, int key);

}  // namespace vm
