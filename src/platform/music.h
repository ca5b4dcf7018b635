// The MIDI sequencer the music plays on.
#pragma once

#include <string>

namespace vm {

// The MIDI sequencer driven by command texts ("open \"path\" type sequencer
// alias midifile", "play midifile from 0", "stop midifile ", "close midifile",
// "status midifile mode"). Returns 0 on success; a status reply goes to reply.
class Music {
 public:
  virtual ~Music() = default;
  virtual int send_command(const std::string& command, std::string* reply) = 0;
};

}  // namespace vm
