// Desktop audio: the MIDI sequencer, wave effects and the game's own master
// volume, on SDL2_mixer (audio subsystem only) with FluidSynth for MIDI.
#pragma once

#include <memory>

#include "platform/services.h"

namespace vm {

struct DesktopAudio {
  std::unique_ptr<Music> music;
  std::unique_ptr<Effects> effects;
  std::unique_ptr<Volume> volume;
};

// Problems that leave the game silent (no SoundFont, no audio device) are
// told once on standard error and in the log.
DesktopAudio make_desktop_audio(EventLog& log);

}  // namespace vm
