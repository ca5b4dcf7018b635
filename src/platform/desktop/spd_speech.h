// The desktop's speech service, reached through speech-dispatcher's client
// library (internal to platform/desktop).
#pragma once

#include <memory>

#include "platform/event_log.h"
#include "platform/speech.h"

namespace vm {

// Connects the first time it is asked to speak or whether it can, never
// before: a player who does not have the game read aloud never talks to
// the speech service. Warnings go to log.
std::unique_ptr<Speech> make_spd_speech(EventLog& log);

}  // namespace vm
