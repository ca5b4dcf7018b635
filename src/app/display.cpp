#include "app/display.h"

#include <algorithm>

#include "app/game.h"

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
  // A window taller or wider than the screen would hide part of the game
  // where nobody can reach it: such sizes are offered on a larger screen
  // only, and a chosen one shows as the largest that fits (the choice is
  // kept for that larger screen).
  const int fits = std::max(1, w.largest_window_scale());
  const int scale = std::min(s.scale, fits);
  w.set_view(scale, s.full_screen);
  for (int k = 1; k <= 3; ++k) {
    w.set_menu_enabled("scale_" + std::to_string(k), k <= fits);
    w.set_menu_checked("scale_" + std::to_string(k), !s.full_screen && scale == k);
  }
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
