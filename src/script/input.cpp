#include "script/input.h"

#include <algorithm>

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

bool fast_forwarding(const Game& g) {
  return g.input.Ctrl_Held && !g.input.Wnd_Hidden;
}

int auto_delay_ms(const Game& g, int n) {
  const PlayerSettings s = g.pf.settings.settings();
  return s.auto_delay_ms + s.auto_delay_per_char_ms * std::max(0, n);
}

void wait_click(Game& g, int message_chars) {
  g.input.Click_Wait = -1;
  set_clicker(g, true);
  // Auto-forward counts from the moment it can act: it starts again whenever
  // it is off or the player has hidden the window to look at the picture.
  uint32_t since = tick_count(g);
  while (g.input.Click_Wait) {
    sleep_ms(g, 10);
    do_events(g);
    if (!g.input.Click_Wait) break;
    const uint32_t now = tick_count(g);
    if (fast_forwarding(g)) {
      g.input.Click_Wait = 0;
    } else if (!g.input.Auto_On || g.input.Wnd_Hidden || g.options.Option_Window ||
               g.save.File_Window) {
      // Off, or the player is looking at the picture or busy in another
      // window: the delay starts over when they come back.
      since = now;
    } else if (g.input.back_at != 0 && static_cast<int32_t>(g.input.back_at - since) > 0) {
      since = g.input.back_at;  // back from another window: a fresh delay
    } else if (static_cast<int64_t>(now - since) >= auto_delay_ms(g, message_chars)) {
      g.input.Click_Wait = 0;
    }
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
  if (key == kKeyControl) in.Ctrl_Held = -1;
  if (in.Wnd_Hidden) return;
  if ((key == kKeyReturn || key == kKeySpace) && in.Click_Wait) in.Click_Wait = 0;
}

void on_key_up(Game& g, int key) {
  if (key == kKeyControl) g.input.Ctrl_Held = 0;
}

void on_auto(Game& g) {
  g.input.Auto_On = g.input.Auto_On ? 0 : -1;
  g.pf.window.set_menu_checked("auto", g.input.Auto_On != 0);
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
