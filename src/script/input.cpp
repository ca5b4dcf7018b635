#include "script/input.h"

#include "game/game.h"

namespace vm {

namespace {

constexpr const char* kSpeedupIdle = "次の選択まで進む";
constexpr const char* kSpeedupRunning = "スキップ停止";

// The message window or anything laid inside it (the blinking mark, the
// choice boxes) counts as the window.
bool is_message_window(const Game& g, const Surface* target) {
  for (const Surface& w : g.screen.Waku)
    if (target == &w) return true;
  for (const Surface* p = target->parent; p; p = p->parent)
    if (p == &g.screen.Waku[0]) return true;
  return false;
}

// The game screen itself, or one of the sprite surfaces standing on it.
bool is_scene(const Game& g, const Surface* target) {
  if (target == &g.screen.Pic_Main) return true;
  for (const Surface& d : g.screen.Doll_Disp)
    if (target == &d) return true;
  return false;
}

void set_clicker(Game& g, bool enabled) {
  if (g.input.Clicker >= 0) g.pf.window.set_timer_enabled(g.input.Clicker, enabled);
}

}  // namespace

void wait_click(Game& g) {
  g.input.Click_Wait = -1;
  set_clicker(g, true);
  while (g.input.Click_Wait) {
    sleep_ms(g, 10);
    do_events(g);
  }
  const bool was_shown = g.screen.Blinker.visible;
  g.screen.Blinker.visible = false;
  set_clicker(g, false);
  if (was_shown) refresh(g);
}

void on_mouse_down(Game& g, const Surface* target, int button) {
  if (!target) return;
  InputState& in = g.input;
  // A choice box has no handler of its own: only its label picks, and a click
  // beside the label neither picks nor hides the window.
  for (const Surface& box : g.screen.SelBox)
    if (target == &box) return;
  if (is_message_window(g, target)) {
    if (button == kLeftButton) {
      if (in.Click_Wait) in.Click_Wait = 0;
    } else if (button == kRightButton) {
      // Hiding the window shows the whole scene and stops skipping; the
      // pending wait, if any, keeps waiting.
      g.screen.Waku[0].visible = false;
      in.Wnd_Hidden = -1;
      if (in.Text_Mode == 0) set_text_mode(g, 1);
      g.pf.window.set_menu_enabled("opt_menu", false);
      refresh(g);
    }
    return;
  }
  if (!is_scene(g, target)) return;
  if (button == kLeftButton) {
    if (!in.Wnd_Hidden && in.Click_Wait) in.Click_Wait = 0;
  } else if (button == kRightButton) {
    if (in.Wnd_Hidden) {
      in.Wnd_Hidden = 0;
      g.screen.Waku[0].visible = true;
      g.pf.window.set_menu_enabled("opt_menu", true);
      refresh(g);
    }
  }
}

void on_key_down(Game& g, int key) {
  InputState& in = g.input;
  if (in.Wnd_Hidden) return;
  if ((key == kKeyReturn || key == kKeySpace) && in.Click_Wait) in.Click_Wait = 0;
}

void on_clicker_tick(Game& g) {
  g.screen.Blinker.visible = !g.screen.Blinker.visible;
  refresh(g);
}

void on_speedup(Game& g) {
  InputState& in = g.input;
  if (in.Text_Mode != 0) {
    set_text_mode(g, 0);
    in.Click_Wait = 0;
  } else {
    set_text_mode(g, 1);
    in.Click_Wait = -1;
  }
}

void set_text_mode(Game& g, int16_t mode) {
  g.input.Text_Mode = mode;
  g.pf.window.set_menu_caption("speedup", mode == 0 ? kSpeedupRunning : kSpeedupIdle);
}

}  // namespace vm
