#include "app/display.h"

#include "game/game.h"

namespace vm {

namespace {

void set_view(Game& g, int scale, bool full_screen) {
  PlayerSettings s = g.pf.settings.settings();
  s.scale = scale;
  s.full_screen = full_screen;
  g.pf.settings.save_settings(s);
  apply_view_settings(g);
}

}  // namespace

void apply_view_settings(Game& g) {
  const PlayerSettings s = g.pf.settings.settings();
  Window& w = g.pf.window;
  w.set_view(s.scale, s.full_screen);
  for (int k = 1; k <= 3; ++k)
    w.set_menu_checked("scale_" + std::to_string(k), !s.full_screen && s.scale == k);
  w.set_menu_checked("full_screen", s.full_screen);
}

bool on_view_menu(Game& g, const std::string& name) {
  const PlayerSettings s = g.pf.settings.settings();
  if (name == "full_screen") {
    set_view(g, s.scale, !s.full_screen);
    return true;
  }
  for (int k = 1; k <= 3; ++k) {
    if (name == "scale_" + std::to_string(k)) {
      // A window size is a window: choosing one leaves full screen.
      set_view(g, k, false);
      return true;
    }
  }
  return false;
}

bool on_view_key(Game& g, int key) {
  const PlayerSettings s = g.pf.settings.settings();
  if (key == kKeyF11) {
    set_view(g, s.scale, !s.full_screen);
    return true;
  }
  if (key == kKeyEscape && s.full_screen) {
    set_view(g, s.scale, false);
    return true;
  }
  return false;
}

}  // namespace vm
