// Backgrounds and their transition effects.
#pragma once

#include <string>

namespace vm {

struct Stage;

// The background of place `place`, brought in with the effect named by the
// first two characters of trans_text; the blinking mark's timer stops. True
// when it was drawn: the caller then starts the message window afresh over
// it. A background the data does not hold leaves the scene as it is.
[[nodiscard]] bool change_place(Stage st, int place, const std::string& trans_text,
                                int blink_timer);

// Draws Pic_Back onto Pic_Main with the effect named by Trans_Code.
void run_transition(Stage st);

// The transition steps, also timed by the benchmark.
struct TransitionInfo {
  int steps = 1;        // presents of the effect (IC: its two phases)
  int budget_ms = 0;    // per-step pace; 0 when the effect is not paced
  bool events = false;  // whether pending window events run between steps
};
TransitionInfo transition_info(const std::string& code);
// Draws step i of the effect from Pic_Back onto Pic_Main, without presenting.
void transition_step(const Stage& st, const std::string& code, int i);

}  // namespace vm
