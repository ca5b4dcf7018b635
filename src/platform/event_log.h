// The log of what the game did, for the headless runner and standard error.
#pragma once

#include "platform/log_event.h"

namespace vm {

// Observable events (dialogs, captions, sounds, files written) for the
// headless runner; the desktop discards them, except what a player needs to
// know on standard error.
class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual void record(const LogEvent& event) = 0;
};

}  // namespace vm
