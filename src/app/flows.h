// The story's flows as the game runs them, where one subsystem hands the
// game on to another: the title's opening and its items, a load and the
// story's one loop, the game menu's save and load, and the ending once the
// story is locked. They see the whole game; the screens they lead to take
// their own views.
#pragma once

#include <string>

namespace vm {

struct Game;

// Last step of start-up; returns when the menu is ready.
void show_title(Game& g);
// What a press on a title item leaves for the main window to do.
enum class TitleAction { None, Quit };
// Any mouse button pressed on item i; おわる returns Quit (the main window
// asks the player first).
[[nodiscard]] TitleAction on_title_press(Game& g, int i);

// Puts the loaded Save_Slots back into the game and runs the story from the
// first row of the saved scene; returns only when the interpreter does.
void load_state(Game& g);
// Runs the story: a new game from where the interpreter stands, or the
// record just loaded (loaded true). Every load chosen meanwhile from the game
// menu starts the story again from its record in this same loop.
void play_story(Game& g, bool loaded);

// The game menu's セーブ and ロード, while the story waits for a click.
void on_prog_save(Game& g);
void on_prog_load(Game& g);

// The whole ending; called once by the interpreter's ending command. The
// story's own controls go out for good, then the ending plays. Returns when
// the end button is shown.
void run_ending(Game& g);

}  // namespace vm
