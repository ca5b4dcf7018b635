#include "game/game.h"

namespace vm {

Answer message_box(Game& g, const std::string& text, Buttons buttons) {
  return g.pf.dialogs.message_box(text, buttons);
}

void refresh(Game& g) {
  present_screen(g.screen, g.pf.window);
}

}  // namespace vm
