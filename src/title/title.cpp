#include "title/title.h"

#include "app/game.h"
#include "script/interp.h"

namespace vm {

// Until the title menu exists, start-up goes straight into the story: the
// loading picture is hidden as the start item will hide it.
void show_title(Game& g) {
  g.screen.Title.visible = false;
  refresh(g);
  run_script(g);
}

}  // namespace vm
