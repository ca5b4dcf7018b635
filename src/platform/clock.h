// The game's one clock: ticks, sleeps and the local date.
#pragma once

#include <cstdint>

namespace vm {

// The wall-clock date and time, local.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t tick_count() = 0;  // milliseconds, wraps at 2^32
  virtual void sleep(int ms) = 0;     // blocks; no events run meanwhile
  virtual DateTime local_time() = 0;
};

}  // namespace vm
