// The ending: fade to black, staff roll, closing message.
#pragma once

namespace vm {

struct Game;

void run_ending(Game& g);

}  // namespace vm
