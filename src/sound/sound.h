// MIDI music through the sequencer service, the built-in interface sounds,
// the master volume and its fades.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/effects.h"
#include "platform/forms.h"
#include "platform/music.h"
#include "platform/settings.h"
#include "platform/volume.h"
#include "platform/window.h"

namespace vm {

struct AssetState;

struct SoundState {
  int16_t Music_On = -1;
  int16_t Sound_On = -1;
  int16_t Cur_Track = 0;
  uint32_t Start_Volume = 0;
  uint32_t Saved_Volume = 0;
  bool faded_out = false;  // "J" has faded the music out and no restore followed
  bool mixer_open = false;
  int BGMLoop = -1;  // timer id
};

// What a moment of the story keeps of the sound: the tune playing, whether it
// had been faded out, and the volume a restore goes back to. Left as they are
// (kSoundFieldsLeftAsIs): the player's music and sound switches, the volume
// found at start, the mixer and the loop's timer.
struct SoundSnapshot {
  int16_t Cur_Track = 0;
  bool faded_out = false;
  uint32_t Saved_Volume = 0;
};
constexpr size_t kSoundFieldsLeftAsIs = 5;
inline SoundSnapshot snapshot(const SoundState& s) {
  return {s.Cur_Track, s.faded_out, s.Saved_Volume};
}
inline void restore(SoundState& s, const SoundSnapshot& k) {
  s.Cur_Track = k.Cur_Track;
  s.faded_out = k.faded_out;
  s.Saved_Volume = k.Saved_Volume;
}

struct OptionState {
  int16_t Mesh_On = 0;
  float Window_Density = 0.8f;
  // The options window while it is open, and what receives its events.
  std::unique_ptr<Form> Option_Window;
  std::unique_ptr<EventSink> option_events;
};

// The music and effects with the services they play through, the clock and
// window that pace the fades, the player's levels and the options window's
// forms.
struct Audio {
  Music& music;
  Effects& effects;
  Volume& volume;
  Clock& clock;
  Window& window;
  SettingsStore& settings;
  Forms& forms;
  SoundState& state;
};

// The options window (opt_menu): opens it, not modal, kept on top; the main
// window takes no input until "OK" or "Cancel" closes it. It shows the text
// mode given; "OK" applies the switches and the density and hands the mode
// chosen to set_text_mode.
void open_option_window(OptionState& o, const Audio& a, int16_t text_mode,
                        std::function<void(int16_t)> set_text_mode);

// The built-in interface sounds.
constexpr int kEffectPress = 100;   // button press click
constexpr int kEffectHover = 101;   // hover tick
constexpr int kEffectSelect = 102;  // selection chime

// Sequencer command texts (the device alias is always "midifile").
std::string music_open_command(const std::string& path);
inline constexpr const char* kMusicPlayCommand = "play midifile from 0";
inline constexpr const char* kMusicStopCommand = "stop midifile ";
inline constexpr const char* kMusicCloseCommand = "close midifile";
inline constexpr const char* kMusicStatusCommand = "status midifile mode";

void open_mixer(Audio a);  // Start_Volume, Saved_Volume; no mixer: sounds off
// The "a" rows: cmd is the row's command; its tunes are those of the assets.
void sound_command(Audio a, const std::string& cmd, const AssetState& assets);
void play_music(Audio a, const std::string& path);
// The file of tune m (1..9) in the data folder; "" when the folder names none.
std::string tune_path(const AssetState& assets, int m);
void stop_music(const Audio& a);
void restart_music(const Audio& a);
std::string music_mode(const Audio& a);
void on_bgmloop_tick(const Audio& a);
void play_effect(const Audio& a, int id);
bool get_volume(const Audio& a, uint32_t& level);
void set_volume(const Audio& a, uint32_t level);
void fade_out(const Audio& a, uint32_t level);
void fade_in(const Audio& a, uint32_t level);

// The RIFF/WAVE image of a built-in sound; empty for an id the program does
// not carry. Built once, the same bytes on every run.
const std::vector<uint8_t>& effect_wave(int id);

}  // namespace vm
