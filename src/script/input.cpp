#include "script/input.h"

#include <algorithm>

#include "script/story.h"

namespace vm {

namespace {

// The message window or anything laid inside it (the blinking mark, the
// choice boxes) counts as the window.
bool is_message_window(const ScreenState& screen, const Surface* target) {
  for (const Surface& w : screen.Waku)
    if (target == &w) return true;
  for (const Surface* p = target->parent; p; p = p->parent)
    if (p == &screen.Waku[0]) return true;
  return false;
}

// The game screen itself, or one of the sprite surfaces standing on it.
bool is_scene(const ScreenState& screen, const Surface* target) {
  if (target == &screen.Pic_Main) return true;
  for (const Surface& d : screen.Doll_Disp)
    if (target == &d) return true;
  return false;
}

void set_clicker(const InputState& in, Window& window, bool enabled) {
  if (in.Clicker >= 0) window.set_timer_enabled(in.Clicker, enabled);
}

// Hiding the window shows the whole scene and stops skipping; the pending
// wait, if any, keeps waiting.
void hide_window(Story st) {
  st.screen.Waku[0].visible = false;
  st.input.Wnd_Hidden = -1;
  if (st.input.Text_Mode == 0) set_text_mode(st.input, st.hooks, 1);
  st.hooks.window_hidden_changed(true);
  st.refresh();
}

void show_window(Story st) {
  st.input.Wnd_Hidden = 0;
  st.screen.Waku[0].visible = true;
  st.hooks.window_hidden_changed(false);
  st.refresh();
}

}  // namespace

bool fast_forwarding(const InputState& in) {
  return in.Ctrl_Held && !in.Wnd_Hidden;
}

int auto_delay_ms(const PlayerSettings& s, int n) {
  return s.auto_delay_ms + s.auto_delay_per_char_ms * std::max(0, n);
}

void wait_click(Story st, int message_chars) {
  st.input.Click_Wait = -1;
  set_clicker(st.input, st.window, true);
  // Auto-forward counts from the moment it can act: it starts again whenever
  // it is off or the player has hidden the window to look at the picture.
  uint32_t since = st.clock.tick_count();
  while (st.input.Click_Wait) {
    st.clock.sleep(10);
    st.window.do_events();
    if (!st.input.Click_Wait) break;
    const uint32_t now = st.clock.tick_count();
    if (fast_forwarding(st.input)) {
      st.input.Click_Wait = 0;
    } else if (!st.input.Auto_On || st.input.Wnd_Hidden || st.hooks.story_held()) {
      // Off, or the player is looking at the picture or busy in another
      // window: the delay starts over when they come back.
      since = now;
    } else if (st.input.back_at != 0 && static_cast<int32_t>(st.input.back_at - since) > 0) {
      since = st.input.back_at;  // back from another window: a fresh delay
    } else if (static_cast<int64_t>(now - since) >=
               auto_delay_ms(st.settings.settings(), message_chars)) {
      st.input.Click_Wait = 0;
    }
  }
  const bool was_shown = st.screen.Blinker.visible;
  st.screen.Blinker.visible = false;
  set_clicker(st.input, st.window, false);
  if (was_shown) st.refresh();
}

void on_mouse_down(Story st, const Surface* target, int button) {
  if (!target) return;
  InputState& in = st.input;
  // A choice box has no handler of its own: only its label picks, and a click
  // beside the label neither picks nor hides the window.
  for (const Surface& box : st.screen.SelBox)
    if (target == &box) return;
  if (is_message_window(st.screen, target)) {
    if (button == kLeftButton) {
      if (in.Click_Wait) in.Click_Wait = 0;
    } else if (button == kRightButton) {
      hide_window(st);
    }
    return;
  }
  if (!is_scene(st.screen, target)) return;
  if (button == kLeftButton) {
    if (!in.Wnd_Hidden && in.Click_Wait) in.Click_Wait = 0;
  } else if (button == kRightButton) {
    if (in.Wnd_Hidden) show_window(st);
  }
}

void on_key_down(Story st, int key) {
  InputState& in = st.input;
  if (key == kKeyControl) in.Ctrl_Held = -1;
  // H (and Escape, the pad's back button) hides the window as a right click
  // on it does, and brings it back as a right click on the scene does.
  if (key == kKeyHide || key == kKeyEscape) {
    if (in.Wnd_Hidden)
      show_window(st);
    else if (st.screen.Waku[0].visible)
      hide_window(st);
    return;
  }
  if (in.Wnd_Hidden) return;
  if ((key == kKeyReturn || key == kKeySpace) && in.Click_Wait) in.Click_Wait = 0;
}

void on_key_up(InputState& in, int key) {
  if (key == kKeyControl) in.Ctrl_Held = 0;
}

void on_auto(InputState& in, StoryHooks& hooks) {
  in.Auto_On = in.Auto_On ? 0 : -1;
  hooks.auto_changed(in.Auto_On != 0);
}

void on_clicker_tick(ScreenState& screen, Window& window) {
  screen.Blinker.visible = !screen.Blinker.visible;
  present_screen(screen, window);
}

void on_speedup(InputState& in, StoryHooks& hooks) {
  if (in.Text_Mode != 0) {
    set_text_mode(in, hooks, 0);
    in.read_only_skip = true;
    in.Click_Wait = 0;
  } else {
    set_text_mode(in, hooks, 1);
    in.Click_Wait = -1;
  }
}

void set_text_mode(InputState& in, StoryHooks& hooks, int16_t mode) {
  in.Text_Mode = mode;
  in.read_only_skip = false;
  hooks.text_mode_changed(mode);
}

}  // namespace vm
