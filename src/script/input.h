// The click wait with its blinking mark, the mouse and key handlers of the
// main window, hiding the message window, and skip mode.
#pragma once

#include <cstdint>

namespace vm {

struct Story;
struct Surface;
struct ScreenState;
struct PlayerSettings;
class StoryHooks;
class Window;

struct InputState {
  int16_t Click_Wait = 0;
  int16_t Text_Mode = 3;
  int16_t Wnd_Hidden = 0;
  int Clicker = -1;       // timer id
  int16_t Auto_On = 0;    // auto-forward: a finished message goes on by itself
  int16_t Ctrl_Held = 0;  // Ctrl is down: messages fast-forward
  // Skipping was started from the game menu (次の選択まで進む): it passes
  // only messages already read, as Ctrl does. The options window's skip
  // mode passes everything.
  bool read_only_skip = false;
  // Tick count when the player last came back from a window that held the
  // story (the slot window, the history); 0 never.
  uint32_t back_at = 0;
};

// Waits until a click, Enter or Space clears Click_Wait. With auto-forward on
// the wait also ends by itself, later for a longer message (message_chars
// characters); while Ctrl is held it ends at once.
void wait_click(Story st, int message_chars = 0);

// Ctrl is held and the message window is shown: messages are drawn whole and
// their waits end at once, without touching Text_Mode.
bool fast_forwarding(const InputState& in);

// How long auto-forward lets a finished message of n characters stand, by
// the player's settings.
int auto_delay_ms(const PlayerSettings& s, int n);

// Main-window handlers; target is the child area under the pointer.
void on_mouse_down(Story st, const Surface* target, int button);
void on_key_down(Story st, int key);
// The key that hides and shows the message window.
constexpr int kKeyHide = 'H';
void on_key_up(InputState& in, int key);
// The auto menu item: turns auto-forward on or off.
void on_auto(InputState& in, StoryHooks& hooks);
// The click-wait mark blinks.
void on_clicker_tick(ScreenState& screen, Window& window);
void on_speedup(InputState& in, StoryHooks& hooks);

// Sets the message pacing and keeps the skip item's caption in step with it:
// "スキップ停止" while skipping (mode 0), "次の選択まで進む" otherwise.
void set_text_mode(InputState& in, StoryHooks& hooks, int16_t mode);

}  // namespace vm
