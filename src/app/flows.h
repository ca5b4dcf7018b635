// The story's flows as the game runs them, where one subsystem hands the
// game on to another: the title's opening and its items, a load and the
// story's one loop, the game menu's save and load, and the ending once the
// story is locked. Only the title's items see the whole game (they lead
// everywhere); the others take the views they hand on.
#pragma once

#include <string>

#include "ending/ending.h"
#include "menu/main_menu.h"
#include "save/save.h"
#include "script/story.h"
#include "title/title.h"

namespace vm {

struct Game;

// What the story's one loop and a load work with: the story, the slots a
// record is read from, the menu bar that follows the story's phase, and the
// message window's density a record brings back.
struct StoryPlay {
  Story story;
  SaveState& save;
  MainMenu& menu;
  float& density;
};

// Last step of start-up; returns when the menu is ready.
void show_title(const TitleScreen& title, MainMenu& menu);
// What a press on a title item leaves for the main window to do.
enum class TitleAction { None, Quit };
// Any mouse button pressed on item i; おわる returns Quit (the main window
// asks the player first).
[[nodiscard]] TitleAction on_title_press(Game& g, int i);

// Puts the loaded Save_Slots back into the game and runs the story from the
// first row of the saved scene; returns only when the interpreter does.
void load_state(StoryPlay p);
// Runs the story: a new game from where the interpreter stands, or the
// record just loaded (loaded true). Every load chosen meanwhile from the game
// menu starts the story again from its record in this same loop.
void play_story(StoryPlay p, bool loaded);

// The game menu's セーブ and ロード, while the story waits for a click.
void on_prog_save(SlotWindow slots, const Story& st);
void on_prog_load(SlotWindow slots, const InputState& input);

// The whole ending; called once by the interpreter's ending command. The
// story's own controls go out for good, then the ending plays. Returns when
// the end button is shown.
void run_ending(Story st, EndingState& ending, MainMenu& menu);

}  // namespace vm
