// Desktop audio on SDL2_mixer: the "midifile" sequencer commands play MIDI
// through FluidSynth with the TimGM6mb SoundFont (MidiSynth, a synthesizer
// per tune with only its instruments' samples read, in the mixer's music
// hook), wave images play on a mixer channel, and the game's master volume
// scales both, each under the player's own level for it.
// Only SDL's audio subsystem is started; GTK owns the window. What runs on
// SDL's audio thread is the synthesizer's rendering, under its own lock, and
// the bench's probe.

#include "platform/desktop/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>

#include "platform/desktop/midi_synth.h"

namespace vm {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kBufferFrames = 1024;
constexpr uint32_t kFullVolume = 65535;

// MCI-like results: 0 success, anything else a failure the game only tests
// against 0.
constexpr int kOk = 0;
constexpr int kFailed = 1;

// The one SDL audio device shared by the three services; opened on the first
// need (normally open_mixer at start-up) and closed with the last service.
class AudioDevice {
 public:
  AudioDevice(EventLog& log, std::string soundfont) : log_(log), soundfont_(std::move(soundfont)) {}
  ~AudioDevice() { shut_down(); }
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // True when the output device is open. Tried once only: a machine without
  // sound stays silent without asking again.
  bool ensure_open() {
    if (tried_) return open_;
    tried_ = true;
    // Starting audio also starts SDL's event queue, which would otherwise
    // take SIGINT and SIGTERM for itself: nobody reads that queue here, so the
    // game could no longer be interrupted or terminated.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
      warn(std::string("no audio output (") + SDL_GetError() + "); music and sounds are off");
      return false;
    }
    sdl_started_ = true;

    if (Mix_OpenAudio(kRate, AUDIO_S16SYS, kChannels, kBufferFrames) != 0) {
      warn(std::string("no audio output (") + Mix_GetError() + "); music and sounds are off");
      shut_down();
      return false;
    }
    open_ = true;
    if (access(soundfont_.c_str(), R_OK) != 0) {
      midi_problem_ =
          "no SoundFont at " + soundfont_ + " (install timgm6mb-soundfont); music is off";
    } else {
      Result<std::unique_ptr<MidiSynth>> made = MidiSynth::create(soundfont_, kBufferFrames);
      if (made)
        synth_ = std::move(made).value_or_throw();
      else
        midi_problem_ = made.error().what();
    }
    apply_volume();
    if (!midi_problem_.empty()) warn(midi_problem_);
    return true;
  }

  bool is_open() const { return open_; }
  // The synthesizer, while the device is open and the SoundFont usable.
  MidiSynth* synth() { return synth_.get(); }
  EventLog& log() { return log_; }

  uint32_t level() const { return level_; }
  void set_level(uint32_t level) {
    level_ = std::min(level, kFullVolume);
    apply_volume();
  }
  // Kept while no device is open, applied once one is.
  void set_player_levels(int music_percent, int effects_percent) {
    music_percent_ = std::clamp(music_percent, 0, 100);
    effects_percent_ = std::clamp(effects_percent, 0, 100);
    apply_volume();
  }

 private:
  // Said once. The desktop's log shows "warning: " lines to the player on
  // standard error, so this is the only place the reason is written.
  void warn(const std::string& why) {
    if (warned_) return;
    warned_ = true;
    log_.record(LogEvent::warning(why));
  }

  // The game's master level times the player's own: the music's volume for
  // the tune, the mixer's master (which leaves music alone) for the effects.
  void apply_volume() {
    if (!open_) return;
    auto scaled = [this](int percent) {
      const uint64_t full = uint64_t{kFullVolume} * 100;
      return static_cast<int>(
          (uint64_t{level_} * static_cast<uint64_t>(percent) * MIX_MAX_VOLUME + full / 2) / full);
    };
    if (synth_) synth_->set_volume(scaled(music_percent_));
    Mix_MasterVolume(scaled(effects_percent_));
  }

  void shut_down() {
    synth_.reset();
    if (open_) Mix_CloseAudio();
    open_ = false;
    if (sdl_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdl_started_ = false;
  }

  EventLog& log_;
  std::string soundfont_;
  std::unique_ptr<MidiSynth> synth_;
  bool tried_ = false;
  bool open_ = false;
  bool sdl_started_ = false;
  bool warned_ = false;
  std::string midi_problem_;
  uint32_t level_ = kFullVolume;
  int music_percent_ = 100;
  int effects_percent_ = 100;
};

std::string without_trailing_blanks(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

// The sequencer device under its one alias, "midifile".
class SdlMusic : public Music {
 public:
  explicit SdlMusic(std::shared_ptr<AudioDevice> dev) : dev_(std::move(dev)) {}

  int send_command(const std::string& command, std::string* reply) override {
    if (reply) reply->clear();
    const std::string cmd = without_trailing_blanks(command);
    static const std::string kOpen = "open \"";
    static const std::string kOpenTail = "\" type sequencer alias midifile";
    if (cmd.rfind(kOpen, 0) == 0 && cmd.size() > kOpen.size() + kOpenTail.size() &&
        cmd.compare(cmd.size() - kOpenTail.size(), kOpenTail.size(), kOpenTail) == 0) {
      return open(cmd.substr(kOpen.size(), cmd.size() - kOpen.size() - kOpenTail.size()));
    }
    MidiSynth* synth = dev_->synth();
    if (!synth || !synth->is_open()) return kFailed;  // a closed device does nothing
    if (cmd == "play midifile from 0") {
      // Played once: the game's BGMLoop timer restarts a finished tune.
      synth->play();
      return kOk;
    }
    if (cmd == "stop midifile") {
      synth->stop();
      return kOk;
    }
    if (cmd == "close midifile") {
      synth->close();
      return kOk;
    }
    if (cmd == "status midifile mode") {
      if (reply) *reply = synth->playing() ? "playing" : "stopped";
      return kOk;
    }
    return kFailed;
  }

 private:
  // A tune left open is replaced rather than refused, so a new tune never
  // fails merely because the last one ended on its own.
  int open(const std::string& path) {
    if (!dev_->ensure_open() || !dev_->synth()) return kFailed;
    if (const Result<void> opened = dev_->synth()->open(path); !opened) {
      dev_->log().record(LogEvent::music_failed(path, opened.error().what()));
      return kFailed;
    }
    return kOk;
  }

  std::shared_ptr<AudioDevice> dev_;
};

class SdlEffects : public Effects {
 public:
  explicit SdlEffects(std::shared_ptr<AudioDevice> dev) : dev_(std::move(dev)) {}

  void play_wave(const std::vector<uint8_t>& riff) override {
    if (riff.empty() || !dev_->ensure_open()) return;
    SDL_RWops* rw = SDL_RWFromConstMem(riff.data(), static_cast<int>(riff.size()));
    if (!rw) return;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
    if (!chunk) return;
    const int channel = Mix_PlayChannel(-1, chunk, 0);
    if (channel >= 0) {
      // The caller waits for the whole sound, so effects never overlap. The
      // limit only guards against an output that has stopped consuming.
      const uint64_t frames = chunk->alen / (sizeof(int16_t) * kChannels);
      const uint32_t limit = SDL_GetTicks() + static_cast<uint32_t>(frames * 1000 / kRate) + 2000;
      while (Mix_Playing(channel) && static_cast<int32_t>(limit - SDL_GetTicks()) > 0) {
        SDL_Delay(1);
      }
    }
    Mix_FreeChunk(chunk);
  }

 private:
  std::shared_ptr<AudioDevice> dev_;
};

// The game's own master volume over music and effects; the desktop's mixer is
// never touched.
class SdlVolume : public Volume {
 public:
  explicit SdlVolume(std::shared_ptr<AudioDevice> dev) : dev_(std::move(dev)) {}

  bool open_mixer() override { return dev_->ensure_open(); }
  bool get_volume(uint32_t& level) override {
    if (!dev_->is_open()) return false;
    level = dev_->level();
    return true;
  }
  bool set_volume(uint32_t level) override {
    if (!dev_->is_open()) return false;
    dev_->set_level(level);
    return true;
  }
  void set_player_levels(int music_percent, int effects_percent) override {
    dev_->set_player_levels(music_percent, effects_percent);
  }

 private:
  std::shared_ptr<AudioDevice> dev_;
};

std::atomic<long long> g_heard_us{-1};

// Runs on SDL's audio thread after each mix: only an atomic store.
void SDLCALL listen_to_mix(void* /*unused*/, Uint8* stream, int len) {
  if (g_heard_us.load(std::memory_order_relaxed) >= 0) return;
  const auto* s = reinterpret_cast<const int16_t*>(stream);
  for (int i = 0; i < len / 2; ++i) {
    if (s[i] != 0) {
      const auto now = std::chrono::steady_clock::now().time_since_epoch();
      g_heard_us.store(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
      return;
    }
  }
}

}  // namespace

void arm_sound_probe() {
  Mix_SetPostMix(listen_to_mix, nullptr);
  g_heard_us.store(-1);
}

long long sound_probe_heard_us() {
  return g_heard_us.load();
}

DesktopAudio make_desktop_audio(EventLog& log, const std::string& soundfont) {
  auto dev = std::make_shared<AudioDevice>(log, soundfont);
  return {std::make_unique<SdlMusic>(dev), std::make_unique<SdlEffects>(dev),
          std::make_unique<SdlVolume>(dev)};
}

}  // namespace vm
