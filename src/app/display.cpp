#include "app/display.h"

#include <algorithm>

namespace vm {

namespace {

void set_view(Platform& pf, MainMenu& menu, int scale, bool full_screen) {
  PlayerSettings s = pf.settings.settings();
  s.scale = scale;
  s.full_screen = full_screen;
  pf.settings.save_settings(s);
  apply_view_settings(pf, menu);
}

}  // namespace

void apply_view_settings(Platform& pf, MainMenu& menu) {
  const PlayerSettings s = pf.settings.settings();
  Window& w = pf.window;
  // A window taller or wider than the screen would hide part of the game
  // where nobody can reach it: such sizes are offered on a larger screen
  // only, and a chosen one shows as the largest that fits (the choice is
  // kept for that larger screen).
  const int fits = std::max(1, w.largest_window_scale());
  const int scale = std::min(s.scale, fits);
  w.set_view(scale, s.full_screen);
  menu.set_largest_scale(fits);
  for (int k = 1; k <= 3; ++k) menu.set_checked(scale_item(k), !s.full_screen && scale == k);
  menu.set_checked(MenuItem::FullScreen, s.full_screen);
}

bool on_view_menu(Platform& pf, MainMenu& menu, MenuItem item) {
  const PlayerSettings s = pf.settings.settings();
  switch (item) {
    case MenuItem::FullScreen:
      set_view(pf, menu, s.scale, !s.full_screen);
      return true;
    case MenuItem::Scale1:
    case MenuItem::Scale2:
    case MenuItem::Scale3:
      // A window size is a window: choosing one leaves full screen.
      set_view(pf, menu, static_cast<int>(item) - static_cast<int>(MenuItem::Scale1) + 1, false);
      return true;
    default:
      return false;
  }
}

bool on_view_key(Platform& pf, MainMenu& menu, int key) {
  const PlayerSettings s = pf.settings.settings();
  if (key == kKeyF11) {
    set_view(pf, menu, s.scale, !s.full_screen);
    return true;
  }
  if (key == kKeyEscape && s.full_screen) {
    set_view(pf, menu, s.scale, false);
    return true;
  }
  return false;
}

}  // namespace vm
