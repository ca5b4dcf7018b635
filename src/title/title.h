// The title screen and its menu.
#pragma once

namespace vm {

struct Game;

// Last step of start-up.
void show_title(Game& g);

}  // namespace vm
