// Pacing of the animated effects: a loop of steps, each held to its budget.
#pragma once

#include <cstdint>

namespace vm {

class Clock;
class Window;

// Paces a loop of steps of budget_ms each. The budget of step i is counted
// on a schedule fixed when the loop starts (step i may end no earlier than
// start + (i + 1) x budget), so the few tenths of a millisecond that every
// sleep oversleeps do not add up over a long effect. When presenting a frame
// costs more than a step's budget, the steps in between are still drawn but
// not presented until the loop is back on time: the effect keeps its speed
// and the last frame always shows.
class StepPacer {
 public:
  StepPacer(Clock& clock, Window& window, int budget_ms, bool events);
  // Whether step i, just drawn, should be presented.
  bool should_present(int i, bool last);
  // Sleeps until step i's time is up, then lets pending events run when
  // the loop allows them. last marks the loop's final step.
  void finish_step(int i, bool last = false);

 private:
  Clock& clock_;
  Window& window_;
  int budget_;
  bool events_;
  uint32_t start_;
  uint32_t slept_ = 0;
};

}  // namespace vm
