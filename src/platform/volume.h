// The master volume and the player's own levels.
#pragma once

#include <cstdint>

namespace vm {

// The game's own master volume (0..65535) over music and effects.
class Volume {
 public:
  virtual ~Volume() = default;
  virtual bool open_mixer() = 0;  // false when there is no audio output at all
  virtual bool get_volume(uint32_t& level) = 0;
  virtual bool set_volume(uint32_t level) = 0;
  // The player's own levels (0..100 %) over music and effects, applied on
  // top of the game's master volume and its fades, which they never change.
  virtual void set_player_levels(int music_percent, int effects_percent) = 0;
};

}  // namespace vm
