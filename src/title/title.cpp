#include "title/title.h"

#include "game/game.h"
#include "script/interp.h"

namespace vm {

// Until the title menu exists, start-up goes straight into the story, doing
// what its start item does: the loading picture goes, the story's menu items
// come on, and the story begins at its first row.
void show_title(Game& g) {
  g.screen.Title.visible = false;
  g.screen.End_Pic.visible = false;
  for (const char* item : {"prog_load", "prog_save", "speedup"})
    g.pf.window.set_menu_enabled(item, true);
  refresh(g);
  run_script(g);
}

}  // namespace vm
