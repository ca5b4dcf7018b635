// Background music on the sequencer service, the script's sound rows, the
// interface sounds and the master-volume fades.

#include "sound/sound.h"

#include <cctype>

#include "assets/text_helpers.h"
#include "game/game.h"

namespace vm {

namespace {

constexpr int kFadeLevelMs = 100;  // each fade level is held a little over this
constexpr int kFadePollMs = 10;

bool music_on(const Game& g) {
  return g.sound.Music_On != 0;
}
bool sound_on(const Game& g) {
  return g.sound.Sound_On != 0;
}

int send(Game& g, const std::string& command, std::string* reply = nullptr) {
  return g.pf.music.send_command(command, reply);
}

// Holds a level until more than 100 ms have passed since it was set, letting
// the window work meanwhile (BGMLoop and input run inside a fade).
void hold_level(Game& g, uint32_t since) {
  while (tick_count(g) - since <= static_cast<uint32_t>(kFadeLevelMs)) {
    do_events(g);
    sleep_ms(g, kFadePollMs);
  }
}

// Reads the master volume into Saved_Volume when the read works; returns the
// value read (0 when it failed), which decides whether a fade is worth running.
// While the music is faded out ("J") the level read is the faded one: the
// level to return to stays the one remembered before the fade.
uint32_t remember_volume(Game& g) {
  uint32_t level = 0;
  if (get_volume(g, level) && !g.sound.faded_out) g.sound.Saved_Volume = level;
  return level;
}

// Back at the level a fade returns to.
void restore_volume(Game& g) {
  set_volume(g, g.sound.Saved_Volume);
  g.sound.faded_out = false;
}

}  // namespace

std::string music_open_command(const std::string& path) {
  return "open \"" + path + "\" type sequencer alias midifile";
}

// ------------------------------------------------------------------ mixer ---

void open_mixer(Game& g) {
  if (!g.pf.volume.open_mixer()) {
    // No audio output at all: the game runs silent until the player switches
    // the sounds on again in the options.
    g.sound.mixer_open = false;
    g.sound.Music_On = 0;
    g.sound.Sound_On = 0;
    return;
  }
  g.sound.mixer_open = true;
  uint32_t level = 0;
  if (get_volume(g, level)) g.sound.Start_Volume = level;
  g.sound.Saved_Volume = g.sound.Start_Volume;
}

bool get_volume(Game& g, uint32_t& level) {
  return g.pf.volume.get_volume(level);
}

void set_volume(Game& g, uint32_t level) {
  g.pf.volume.set_volume(level);
}

void fade_out(Game& g, uint32_t level) {
  const uint32_t step = level / 8;
  if (step == 0) return;  // below 8 there is nothing to step through
  for (int64_t v = level; v >= 0; v -= step) {
    const uint32_t since = tick_count(g);
    set_volume(g, static_cast<uint32_t>(v));
    hold_level(g, since);
  }
}

void fade_in(Game& g, uint32_t level) {
  const uint32_t step = level / 8;
  if (step == 0) {
    // Too small a target to step towards: reach it at once rather than never.
    set_volume(g, level);
    return;
  }
  for (uint64_t v = 0; v <= level; v += step) {
    const uint32_t since = tick_count(g);
    set_volume(g, static_cast<uint32_t>(v));
    hold_level(g, since);
  }
}

// ------------------------------------------------------------------ music ---

void play_music(Game& g, const std::string& path) {
  int result = send(g, music_open_command(path));
  if (result == 0) result = send(g, kMusicPlayCommand);
  // A tune that cannot be played turns music off quietly; the player can
  // switch it on again in the options.
  if (result != 0) g.sound.Music_On = 0;
}

void stop_music(Game& g) {
  send(g, kMusicStopCommand);
  send(g, kMusicCloseCommand);
}

void restart_music(Game& g) {
  send(g, kMusicStopCommand);
  send(g, kMusicPlayCommand);
}

std::string music_mode(Game& g) {
  std::string reply;
  send(g, kMusicStatusCommand, &reply);
  // The answer fits a 15-character buffer and ends at its first NUL.
  if (reply.size() > 15) reply.resize(15);
  if (size_t nul = reply.find('\0'); nul != std::string::npos) reply.resize(nul);
  for (char& c : reply) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return reply;
}

void on_bgmloop_tick(Game& g) {
  if (music_mode(g) != "PLAYING" && g.sound.Cur_Track != 0) restart_music(g);
}

void sound_command(Game& g) {
  // The operand is the one character after the "a"; a bare "a" names nothing.
  const std::string cmd = trim_blanks(g.interp.Cur_Cmd);
  if (cmd.size() < 2) return;
  if (!music_on(g) && !sound_on(g)) return;

  const int d = static_cast<unsigned char>(cmd[1]) - '0';

  if (d == 0) {  // stop the music, leaving the speakers at their level
    g.sound.Cur_Track = 0;
    if (remember_volume(g) != 0) fade_out(g, g.sound.Saved_Volume);
    stop_music(g);
    restore_volume(g);
    return;
  }
  if (d < 10 && sound_on(g)) {
    play_effect(g, d);  // ids 1..9 are not carried: skipped
    return;
  }

  int m = d - 16;
  if (m > 32 && music_on(g)) m -= 32;  // lower-case letters act like capitals
  if (m < 1 || !music_on(g)) return;

  if (m == 10) {  // "J": fade out; the tune keeps playing silently
    if (remember_volume(g) != 0) {
      fade_out(g, g.sound.Saved_Volume);
      g.sound.faded_out = true;
    }
    return;
  }
  if (m == 11) {  // "K": fade back in
    if (g.sound.Saved_Volume != 0) fade_in(g, g.sound.Saved_Volume);
    g.sound.faded_out = false;
    return;
  }
  if (m > 9) return;  // letters after "K" name nothing

  const std::string file = tune_file_name(g.assets.Track_Files[static_cast<size_t>(m)]);
  if (file.empty()) return;
  if (g.sound.Cur_Track == m) return;  // the selected tune goes on undisturbed

  const uint32_t level = remember_volume(g);
  if (music_mode(g) == "PLAYING") {
    if (level != 0) fade_out(g, g.sound.Saved_Volume);
    do_events(g);
    stop_music(g);
    restore_volume(g);
  } else if (g.sound.faded_out) {
    restore_volume(g);  // the new tune starts at the level a fade returns to
  }
  g.sound.Cur_Track = static_cast<int16_t>(m);
  play_music(g, g.assets.Data_Dir + file);
  do_events(g);
}

// ---------------------------------------------------------------- effects ---

void play_effect(Game& g, int id) {
  const std::vector<uint8_t>& wave = effect_wave(id);
  if (wave.empty()) return;
  g.pf.effects.play_wave(wave);
}

}  // namespace vm
