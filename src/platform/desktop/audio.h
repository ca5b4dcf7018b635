// Desktop audio: the MIDI sequencer, wave effects and the game's own master
// volume, on SDL2_mixer (audio subsystem only) with FluidSynth for MIDI.
#pragma once

#include <memory>
#include <string>

#include "platform/effects.h"
#include "platform/event_log.h"
#include "platform/music.h"
#include "platform/volume.h"

namespace vm {

struct DesktopAudio {
  std::unique_ptr<Music> music;
  std::unique_ptr<Effects> effects;
  std::unique_ptr<Volume> volume;
};

// The SoundFont the game's tunes are played with.
inline constexpr const char* kGameSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Problems that leave the game silent (no SoundFont or one that cannot be
// read, no audio device) are told once on standard error and in the log.
DesktopAudio make_desktop_audio(EventLog& log, const std::string& soundfont = kGameSoundFont);

// velmora-bench's ear on the mixed output, for how long a tune change takes:
// arm_sound_probe forgets what was heard; sound_probe_heard_us then tells when
// (microseconds on std::chrono::steady_clock) the mixer first put out a sample
// that is not silence, or -1 while it has put out none. The device must be open.
void arm_sound_probe();
long long sound_probe_heard_us();

}  // namespace vm
