// The title screen: the title picture, the panel dissolving into the panel
// texture, and the four-item menu (start, load, gallery, quit).
#pragma once

#include <cstdint>

namespace vm {

struct Game;
struct Surface;

struct TitleState {
  uint32_t Title_Start = 0;
};

// Last step of start-up; returns when the menu is ready.
void show_title(Game& g);

// The menu item a surface is (0..3), or -1.
int title_item(const Game& g, const Surface* target);
// Pointer over item i.
void on_title_hover(Game& g, int i);
// What a press on a title item leaves for the main window to do.
enum class TitleAction { None, Quit };
// Any mouse button pressed on item i; おわる returns Quit (the main window
// asks the player first).
[[nodiscard]] TitleAction on_title_press(Game& g, int i);

}  // namespace vm
