#include "platform/desktop/midi_synth.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace vm {

namespace {

// SDL_mixer's MIDI player gave the music volume this gain at its full level
// (FluidSynth's own default is 0.2).
constexpr double kGainAtFullVolume = 1.2;

// FluidSynth's complaints while the SoundFont loads: kept for the one
// warning the game gives, never printed on their own.
std::string g_fluid_error;
void keep_fluid_error(int /*level*/, const char* message, void* /*data*/) {
  g_fluid_error = message ? message : "";
}

}  // namespace

Result<std::unique_ptr<MidiSynth>> MidiSynth::create(const std::string& soundfont,
                                                     int block_frames) {
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (Mix_QuerySpec(&rate, &format, &channels) == 0)
    return failure("no audio output; music is off");
  std::unique_ptr<MidiSynth> s(new MidiSynth);
  s->settings_ = new_fluid_settings();
  // SDL_mixer's settings: the device's rate, the rest FluidSynth's defaults;
  // besides, an instrument's samples are read only while a tune uses it.
  fluid_settings_setnum(s->settings_, "synth.sample-rate", static_cast<double>(rate));
  fluid_settings_setint(s->settings_, "synth.dynamic-sample-loading", 1);
  double synth_rate = rate;
  fluid_settings_getnum(s->settings_, "synth.sample-rate", &synth_rate);
  // The first tune's synthesizer, made now so that a SoundFont that cannot
  // be read is known (and said) when the music starts, not at the first tune.
  s->soundfont_ = soundfont;
  const Result<fluid_synth_t*> first = s->fresh_synth();
  if (!first) return failure(std::string(first.error().what()) + "; music is off");
  s->synth_ = first.value();
  // SDL_mixer rendered a block of the device's buffer size at a time and
  // passed it on through an audio stream to the device's format.
  s->block_frames_ = block_frames;
  s->block_ = std::make_unique<Sint16[]>(static_cast<size_t>(s->block_frames_) * 2);
  s->stream_ = SDL_NewAudioStream(AUDIO_S16SYS, 2, static_cast<int>(synth_rate), format,
                                  static_cast<Uint8>(channels), rate);
  if (!s->stream_)
    return failure(std::string("the music cannot be converted (") + SDL_GetError() +
                   "); music is off");
  Mix_HookMusic(&MidiSynth::mix, s.get());
  return s;
}

// A synthesizer with the SoundFont read into it; no instrument is selected
// yet beyond the default ones, so few of its samples are read.
Result<fluid_synth_t*> MidiSynth::fresh_synth() {
  fluid_synth_t* synth = new_fluid_synth(settings_);
  if (!synth) return failure("the MIDI synthesizer cannot start");
  g_fluid_error.clear();
  fluid_set_log_function(FLUID_PANIC, keep_fluid_error, nullptr);
  fluid_set_log_function(FLUID_ERR, keep_fluid_error, nullptr);
  const int id = fluid_synth_sfload(synth, soundfont_.c_str(), 1);
  fluid_set_log_function(FLUID_PANIC, fluid_default_log_function, nullptr);
  fluid_set_log_function(FLUID_ERR, fluid_default_log_function, nullptr);
  if (id == FLUID_FAILED) {
    delete_fluid_synth(synth);
    return failure("the SoundFont " + soundfont_ + " cannot be read" +
                   (g_fluid_error.empty() ? "" : " (" + g_fluid_error + ")"));
  }
  return synth;
}

MidiSynth::~MidiSynth() {
  if (stream_) Mix_HookMusic(nullptr, nullptr);
  close();
  if (settings_) delete_fluid_settings(settings_);
  if (stream_) SDL_FreeAudioStream(stream_);
}

// The last tune's synthesizer goes before the new one reads the SoundFont,
// so only one is ever in memory; both are dealt with outside the lock, so
// the effects go on meanwhile (the music is silent between two tunes).
Result<void> MidiSynth::open(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return failure("Couldn't open " + path);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  // A synthesizer no tune has used yet (the one made at start-up) serves as
  // it is. Only the game's thread changes synth_, so it is read here
  // without the lock.
  if (synth_used_) close();
  fluid_synth_t* fresh = nullptr;
  if (!synth_) {
    const Result<fluid_synth_t*> made = fresh_synth();
    if (!made) return made.failure();
    fresh = made.value();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (fresh) synth_ = fresh;
  return start_tune(bytes);
}

Result<void> MidiSynth::start_tune(const std::vector<char>& bytes) {
  synth_used_ = true;
  SDL_AudioStreamClear(stream_);
  player_ = new_fluid_player(synth_);
  if (!player_ || fluid_player_add_mem(player_, bytes.data(), bytes.size()) != FLUID_OK) {
    if (player_) delete_fluid_player(player_);
    player_ = nullptr;
    return failure("FluidSynth failed to load in-memory song");
  }
  return {};
}

fluid_synth_t* MidiSynth::detach_synth() {
  halt();
  if (player_) delete_fluid_player(player_);
  player_ = nullptr;
  fluid_synth_t* synth = synth_;
  synth_ = nullptr;
  synth_used_ = false;
  return synth;
}

void MidiSynth::close() {
  fluid_synth_t* last = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    last = detach_synth();
  }
  if (last) delete_fluid_synth(last);
}

bool MidiSynth::is_open() {
  std::lock_guard<std::mutex> lock(mutex_);
  return player_ != nullptr;
}

void MidiSynth::play() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!player_) return;
  halt();
  playing_ = true;
  apply_gain();
  fluid_player_set_loop(player_, 1);
  fluid_player_play(player_);
}

void MidiSynth::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  halt();
}

bool MidiSynth::playing() {
  std::lock_guard<std::mutex> lock(mutex_);
  return playing_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING;
}

void MidiSynth::set_volume(int volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  volume_ = volume;
  if (playing_) apply_gain();
}

void MidiSynth::apply_gain() {
  if (synth_)
    fluid_synth_set_gain(synth_, static_cast<float>(volume_ * kGainAtFullVolume / MIX_MAX_VOLUME));
}

// The player stops where it is; a later play goes on from the player's own
// idea of where that is, as with SDL_mixer.
void MidiSynth::halt() {
  if (!playing_) return;
  playing_ = false;
  fluid_player_stop(player_);
}

void SDLCALL MidiSynth::mix(void* self, Uint8* stream, int len) {
  static_cast<MidiSynth*>(self)->render(stream, len);
}

// Fills the whole buffer from the synthesizer's blocks and then looks whether
// the tune has ended, after which nothing more of it is heard: SDL_mixer's
// own order, so a tune ends on the same sample.
void MidiSynth::render(Uint8* stream, int len) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!playing_) return;
  const int block_bytes = block_frames_ * 2 * static_cast<int>(sizeof(Sint16));
  int zero_rounds = 0;
  while (len > 0 && zero_rounds <= 10) {
    const int got = SDL_AudioStreamGet(stream_, stream, len);
    if (got > 0) {
      stream += got;
      len -= got;
      zero_rounds = 0;
      continue;
    }
    ++zero_rounds;
    if (got < 0 ||
        fluid_synth_write_s16(synth_, block_frames_, block_.get(), 0, 2, block_.get(), 1, 2) !=
            FLUID_OK ||
        SDL_AudioStreamPut(stream_, block_.get(), block_bytes) < 0)
      break;
  }
  if (fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) halt();
}

}  // namespace vm
