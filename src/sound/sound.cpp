// Background music on the sequencer service, the script's sound rows, the
// interface sounds and the master-volume fades.

#include "sound/sound.h"

#include <cctype>

#include "assets/assets.h"
#include "assets/text_helpers.h"

namespace vm {

namespace {

constexpr int kFadeLevelMs = 100;  // each fade level is held a little over this
constexpr int kFadePollMs = 10;

bool music_on(const Audio& a) {
  return a.state.Music_On != 0;
}
bool sound_on(const Audio& a) {
  return a.state.Sound_On != 0;
}

int send(const Audio& a, const std::string& command, std::string* reply = nullptr) {
  return a.music.send_command(command, reply);
}

// Holds a level until more than 100 ms have passed since it was set, letting
// the window work meanwhile (BGMLoop and input run inside a fade).
void hold_level(const Audio& a, uint32_t since) {
  while (a.clock.tick_count() - since <= static_cast<uint32_t>(kFadeLevelMs)) {
    a.window.do_events();
    a.clock.sleep(kFadePollMs);
  }
}

// Reads the master volume into Saved_Volume when the read works; returns the
// value read (0 when it failed), which decides whether a fade is worth running.
// While the music is faded out ("J") the level read is the faded one: the
// level to return to stays the one remembered before the fade.
uint32_t remember_volume(Audio a) {
  uint32_t level = 0;
  if (get_volume(a, level) && !a.state.faded_out) a.state.Saved_Volume = level;
  return level;
}

// Back at the level a fade returns to.
void restore_volume(Audio a) {
  set_volume(a, a.state.Saved_Volume);
  a.state.faded_out = false;
}

}  // namespace

std::string music_open_command(const std::string& path) {
  return "open \"" + path + "\" type sequencer alias midifile";
}

// ------------------------------------------------------------------ mixer ---

void open_mixer(Audio a) {
  if (!a.volume.open_mixer()) {
    // No audio output at all: the game runs silent until the player switches
    // the sounds on again in the options.
    a.state.mixer_open = false;
    a.state.Music_On = 0;
    a.state.Sound_On = 0;
    return;
  }
  a.state.mixer_open = true;
  // The player's own levels from the last run sit over the game's volume.
  const PlayerSettings s = a.settings.settings();
  a.volume.set_player_levels(s.music_volume, s.effects_volume);
  uint32_t level = 0;
  if (get_volume(a, level)) a.state.Start_Volume = level;
  a.state.Saved_Volume = a.state.Start_Volume;
}

bool get_volume(const Audio& a, uint32_t& level) {
  return a.volume.get_volume(level);
}

void set_volume(const Audio& a, uint32_t level) {
  a.volume.set_volume(level);
}

void fade_out(const Audio& a, uint32_t level) {
  const uint32_t step = level / 8;
  if (step == 0) return;  // below 8 there is nothing to step through
  for (int64_t v = level; v >= 0; v -= step) {
    const uint32_t since = a.clock.tick_count();
    set_volume(a, static_cast<uint32_t>(v));
    hold_level(a, since);
  }
}

void fade_in(const Audio& a, uint32_t level) {
  const uint32_t step = level / 8;
  if (step == 0) {
    // Too small a target to step towards: reach it at once rather than never.
    set_volume(a, level);
    return;
  }
  for (uint64_t v = 0; v <= level; v += step) {
    const uint32_t since = a.clock.tick_count();
    set_volume(a, static_cast<uint32_t>(v));
    hold_level(a, since);
  }
}

// ------------------------------------------------------------------ music ---

void play_music(Audio a, const std::string& path) {
  int result = send(a, music_open_command(path));
  if (result == 0) result = send(a, kMusicPlayCommand);
  // A tune that cannot be played turns music off quietly; the player can
  // switch it on again in the options.
  if (result != 0) a.state.Music_On = 0;
}

void stop_music(const Audio& a) {
  send(a, kMusicStopCommand);
  send(a, kMusicCloseCommand);
}

void restart_music(const Audio& a) {
  send(a, kMusicStopCommand);
  send(a, kMusicPlayCommand);
}

std::string music_mode(const Audio& a) {
  std::string reply;
  send(a, kMusicStatusCommand, &reply);
  // The answer fits a 15-character buffer and ends at its first NUL.
  if (reply.size() > 15) reply.resize(15);
  if (size_t nul = reply.find('\0'); nul != std::string::npos) reply.resize(nul);
  for (char& c : reply) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return reply;
}

void on_bgmloop_tick(const Audio& a) {
  if (music_mode(a) != "PLAYING" && a.state.Cur_Track != 0) restart_music(a);
}

std::string tune_path(const AssetState& assets, int m) {
  const std::string file = tune_file_name(assets.Track_Files[static_cast<size_t>(m)]);
  return file.empty() ? "" : assets.Data_Dir + file;
}

void sound_command(Audio a, const std::string& row_cmd, const AssetState& assets) {
  // The operand is the one character after the "a"; a bare "a" names nothing.
  const std::string cmd = trim_blanks(row_cmd);
  if (cmd.size() < 2) return;
  if (!music_on(a) && !sound_on(a)) return;

  const int d = static_cast<unsigned char>(cmd[1]) - '0';

  if (d == 0) {  // stop the music, leaving the speakers at their level
    a.state.Cur_Track = 0;
    if (remember_volume(a) != 0) fade_out(a, a.state.Saved_Volume);
    stop_music(a);
    restore_volume(a);
    return;
  }
  if (d < 10 && sound_on(a)) {
    play_effect(a, d);  // ids 1..9 are not carried: skipped
    return;
  }

  int m = d - 16;
  if (m > 32 && music_on(a)) m -= 32;  // lower-case letters act like capitals
  if (m < 1 || !music_on(a)) return;

  if (m == 10) {  // "J": fade out; the tune keeps playing silently
    if (remember_volume(a) != 0) {
      fade_out(a, a.state.Saved_Volume);
      a.state.faded_out = true;
    }
    return;
  }
  if (m == 11) {  // "K": fade back in
    if (a.state.Saved_Volume != 0) fade_in(a, a.state.Saved_Volume);
    a.state.faded_out = false;
    return;
  }
  if (m > 9) return;  // letters after "K" name nothing

  const std::string path = tune_path(assets, m);
  if (path.empty()) return;
  if (a.state.Cur_Track == m) return;  // the selected tune goes on undisturbed

  const uint32_t level = remember_volume(a);
  if (music_mode(a) == "PLAYING") {
    if (level != 0) fade_out(a, a.state.Saved_Volume);
    a.window.do_events();
    stop_music(a);
    restore_volume(a);
  } else if (a.state.faded_out) {
    restore_volume(a);  // the new tune starts at the level a fade returns to
  }
  a.state.Cur_Track = static_cast<int16_t>(m);
  play_music(a, path);
  a.window.do_events();
}

// ---------------------------------------------------------------- effects ---

void play_effect(const Audio& a, int id) {
  const std::vector<uint8_t>& wave = effect_wave(id);
  if (wave.empty()) return;
  a.effects.play_wave(wave);
}

}  // namespace vm
