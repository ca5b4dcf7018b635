// Reading the game aloud.
#pragma once

#include <string>

namespace vm {

// The desktop's speech service, for players who have the game read aloud.
// Nothing here waits for speech to finish: a call hands the text over and
// returns.
class Speech {
 public:
  virtual ~Speech() = default;
  // Whether there is a service to speak through (the desktop connects to it
  // the first time it is asked, not before).
  virtual bool available() = 0;
  // Speaks UTF-8 text, cutting off whatever is still being spoken.
  virtual void say(const std::string& text) = 0;
  // Stops what is being spoken, if anything.
  virtual void stop() = 0;
};

}  // namespace vm
