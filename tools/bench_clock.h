// The benchmark's clocks: processor time for work done in this thread, so
// that a figure does not depend on what else the machine is busy with.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>

namespace vm::bench {

// Milliseconds of this thread's processor time.
inline double cpu_ms() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Wall-clock milliseconds since t0, for what other processes do.
inline double ms_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Best of a few runs, in milliseconds of computation.
template <typename Fn>
double best_ms(Fn fn, int runs = 5) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const double t0 = cpu_ms();
    fn();
    best = std::min(best, cpu_ms() - t0);
  }
  return best;
}

}  // namespace vm::bench
