// The quick save and quick load (F5, F9 and their menu items), and the short
// notice in the screen's corner that says a quick save was made.
#pragma once

#include <string>

#include "menu/main_menu.h"
#include "save/save.h"
#include "script/story.h"

namespace vm {

struct ScreenState;
struct Surface;
class Window;

// The notice: its layer and timer, the screen it shows on, the text it is
// written with and the window that presents it and runs its timer.
struct NoticeBoard {
  Surface& notice;
  const int& timer;
  ScreenState& screen;
  Text& text;
  Window& window;
};

// What the quick keys work with: the slots, the story they save or resume,
// the menu bar whose items they follow and grey, and the notice.
struct QuickSlot {
  SlotWindow slots;
  Story story;
  MainMenu& menu;
  NoticeBoard notice;
};

// Registers the notice among the main window's layers (topmost).
void layout_notice(Surface& notice, ScreenState& screen);
// The timer that hides the notice a second after it shows.
int create_notice_timer(Window& w);
// The notice shows for a second; the notice timer hides it.
void show_notice(NoticeBoard b, const std::string& text);
void on_notice_timer(NoticeBoard b);

// Saves into the quick slot whenever the game menu's save is allowed.
void on_quick_save(QuickSlot q);
// Asks, then resumes the quick slot whenever the game menu's load is allowed
// (throws LoadRequest, as a load chosen in the slot window does); a quick
// slot that cannot be loaded is named at once and its item greyed.
void on_quick_load(QuickSlot q);

}  // namespace vm
