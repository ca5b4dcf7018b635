// The sound effects' output.
#pragma once

#include <cstdint>
#include <vector>

namespace vm {

class Effects {
 public:
  virtual ~Effects() = default;
  // Plays an in-memory RIFF/WAVE image and returns when it has finished.
  virtual void play_wave(const std::vector<uint8_t>& riff) = 0;
};

}  // namespace vm
