// The game's MIDI tunes through FluidSynth. Each tune gets a synthesizer of
// its own, with the SoundFont read into it afresh, as under SDL_mixer: one
// kept from tune to tune carries the last tune's reverb, voices and dither
// into the next, which then sounds different. Only the instruments a tune
// selects have their samples in memory, and only one tune's synthesizer
// lives at a time. It renders into SDL_mixer's music hook, so the effects
// keep their mixer channels, and it plays a tune exactly as SDL_mixer's own
// MIDI player did (the same synthesizer settings, the same gain for the
// music volume, the same blocks and end of a tune).
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vm {

class MidiSynth {
 public:
  // A synthesizer for the open mixer's output (block_frames its buffer size),
  // with the SoundFont loaded and the mixer's music hook taken; the reason
  // when the SoundFont cannot be used.
  static Result<std::unique_ptr<MidiSynth>> create(const std::string& soundfont, int block_frames);
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // Opens a tune in place of any open one; the reason when its file cannot
  // be read.
  Result<void> open(const std::string& path);
  void close();
  bool is_open();
  // From the start, once; a tune playing is stopped first.
  void play();
  void stop();
  // True from play until stop or the tune's end.
  bool playing();
  // The music volume, 0..MIX_MAX_VOLUME.
  void set_volume(int volume);

 private:
  MidiSynth() = default;
  // SDL_mixer's music hook, on SDL's audio thread.
  static void SDLCALL mix(void* self, Uint8* stream, int len);
  void render(Uint8* stream, int len);
  Result<fluid_synth_t*> fresh_synth();
  Result<void> start_tune(const std::vector<char>& bytes);
  // Takes the tune's synthesizer out of the hook's reach (under the lock);
  // the caller deletes it.
  fluid_synth_t* detach_synth();
  void apply_gain();
  void halt();

  std::mutex mutex_;  // the hook against the game's commands
  fluid_settings_t* settings_ = nullptr;
  std::string soundfont_;
  fluid_synth_t* synth_ = nullptr;  // the open tune's, or one waiting for the first tune
  bool synth_used_ = false;         // a tune has been opened on synth_
  fluid_player_t* player_ = nullptr;
  SDL_AudioStream* stream_ = nullptr;  // the synthesizer's blocks to the device's format
  std::unique_ptr<Sint16[]> block_;
  int block_frames_ = 0;
  bool playing_ = false;
  int volume_ = MIX_MAX_VOLUME;
};

}  // namespace vm
