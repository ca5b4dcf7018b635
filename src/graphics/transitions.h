// Backgrounds and their transition effects.
#pragma once

#include <string>

namespace vm {

struct Game;

int change_place(Game& g);  // background of place Place_No; returns 2

// Draws Pic_Back onto Pic_Main with the effect named by Trans_Code.
void run_transition(Game& g);

// The transition steps, also timed by the benchmark.
struct TransitionInfo {
  int steps = 1;        // presents of the effect (IC: its two phases)
  int budget_ms = 0;    // per-step pace; 0 when the effect is not paced
  bool events = false;  // whether pending window events run between steps
};
TransitionInfo transition_info(const std::string& code);
// Draws step i of the effect from Pic_Back onto Pic_Main, without presenting.
void transition_step(Game& g, const std::string& code, int i);

}  // namespace vm
