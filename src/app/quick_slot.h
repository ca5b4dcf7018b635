// The quick save and quick load (F5, F9 and their menu items), and the short
// notice in the screen's corner that says a quick save was made.
#pragma once

#include <string>

namespace vm {

struct Game;
struct ScreenState;
struct Surface;
class Window;

// Registers the notice among the main window's layers (topmost).
void layout_notice(Surface& notice, ScreenState& screen);
// The timer that hides the notice a second after it shows.
int create_notice_timer(Window& w);
// The notice shows for a second; the notice timer hides it.
void show_notice(Game& g, const std::string& text);
void on_notice_timer(Game& g);

// Saves into the quick slot whenever the game menu's save is allowed.
void on_quick_save(Game& g);
// Asks, then resumes the quick slot whenever the game menu's load is allowed
// (throws LoadRequest, as a load chosen in the slot window does); a quick
// slot that cannot be loaded is named at once and its item greyed.
void on_quick_load(Game& g);

}  // namespace vm
