// The click wait with its blinking mark, the mouse and key handlers of the
// main window, hiding the message window, and skip mode.
#pragma once

#include <cstdint>

namespace vm {

struct Game;
struct Surface;

struct InputState {
  int16_t Click_Wait = 0;
  int16_t Text_Mode = 3;
  int16_t Wnd_Hidden = 0;
  int Clicker = -1;  // timer id
};

// Waits until a click, Enter or Space clears Click_Wait.
void wait_click(Game& g);

// Main-window handlers; target is the child area under the pointer.
void on_mouse_down(Game& g, const Surface* target, int button);
void on_key_down(Game& g, int key);
void on_clicker_tick(Game& g);
void on_speedup(Game& g);

// Sets the message pacing and keeps the skip item's caption in step with it:
// "スキップ停止" while skipping (mode 0), "次の選択まで進む" otherwise.
void set_text_mode(Game& g, int16_t mode);

}  // namespace vm
