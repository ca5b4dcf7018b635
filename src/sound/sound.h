// MIDI music through the sequencer service, the built-in interface sounds,
// the master volume and its fades.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vm {

struct Game;

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

struct OptionState {
  int16_t Mesh_On = 0;
  float Window_Density = 0.8f;
  // The options window while it is open, and what receives its events.
  std::unique_ptr<Form> Option_Window;
  std::unique_ptr<EventSink> option_events;
};

// The options window (opt_menu): opens it, not modal, kept on top; the main
// window takes no input until "OK" or "Cancel" closes it.
void open_option_window(Game& g);

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

void open_mixer(Game& g);     // Start_Volume, Saved_Volume; no mixer: sounds off
void sound_command(Game& g);  // the "a" rows (last character of Cur_Cmd)
void play_music(Game& g, const std::string& path);
void stop_music(Game& g);
void restart_music(Game& g);
std::string music_mode(Game& g);
void on_bgmloop_tick(Game& g);
void play_effect(Game& g, int id);
bool get_volume(Game& g, uint32_t& level);
void set_volume(Game& g, uint32_t level);
void fade_out(Game& g, uint32_t level);
void fade_in(Game& g, uint32_t level);

// The RIFF/WAVE image of a built-in sound; empty for an id the program does
// not carry. Built once, the same bytes on every run.
const std::vector<uint8_t>& effect_wave(int id);

}  // namespace vm
