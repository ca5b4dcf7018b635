// The real desktop audio service, heard through SDL's disk audio driver (no
// sound card needed). SDL_mixer's MIDI player, as the game used it before, is
// kept here only as the reference the game's own synthesizer must match. (The
// town tune does not: its drum kit sounds slightly different with
// FluidSynth's reading of samples per instrument, even on a synthesizer of
// its own.)

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "authoring/midi.h"
#include "platform/desktop/audio.h"
#include "sound/sound.h"
#include "test_support.h"

namespace vm {
namespace {

using namespace std::chrono_literals;

using Lines = test::LogLines;

// The interleaved stereo 44.1 kHz samples SDL wrote.
std::vector<int16_t> read_samples(const std::string& p) {
  const std::string bytes = test::read_bytes(p);
  std::vector<int16_t> s(bytes.size() / 2);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  return s;
}

// Runs of sound in an interleaved stereo 44.1 kHz stream, in frames: the
// frames reaching the threshold, parted by gaps longer than gap frames.
struct SoundRun {
  size_t first, last;
  int peak;
};
std::vector<SoundRun> sounding_runs(const std::vector<int16_t>& s, int threshold, size_t gap) {
  std::vector<SoundRun> runs;
  for (size_t f = 0; f < s.size() / 2; ++f) {
    const int a = std::max(std::abs(int{s[2 * f]}), std::abs(int{s[2 * f + 1]}));
    if (a < threshold) continue;
    if (runs.empty() || f - runs.back().last > gap) runs.push_back({f, f, 0});
    runs.back().last = f;
    runs.back().peak = std::max(runs.back().peak, a);
  }
  return runs;
}

class DiskAudio : public ::testing::Test {
 protected:
  test::TempDir dir;
  Lines log;
  // SDL's output goes to this file of dir from now on.
  std::string to_disk(const std::string& name) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (dir / name).c_str(), 1);
    return dir / name;
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
  }
};

// One second of a C major arpeggio on the piano at 120 beats a minute (no
// tempo event): each note 240 ticks, 250 ms.
std::string tiny_midi() {
  std::vector<datatool::MidiEvent> track = {{0, {0xC0, 0x00}}};
  uint32_t at = 0;
  for (uint8_t note : {60, 64, 67, 72}) {
    track.push_back({at, {0x90, note, 0x70}});
    at += 240;
    track.push_back({at, {0x80, note, 0x40}});
  }
  return datatool::write_midi({track}, at);
}

TEST_F(DiskAudio, ATuneAndAnEffectReachTheOutput) {
  if (!std::filesystem::exists(kGameSoundFont))
    GTEST_SKIP() << "the TimGM6mb SoundFont is not installed";
  const std::string out = to_disk("out.raw");
  const std::string tune = dir / "tune.mid";
  test::write_bytes(tune, tiny_midi());
  {
    vm::DesktopAudio audio = make_desktop_audio(log);
    ASSERT_TRUE(audio.volume->open_mixer());
    uint32_t level = 0;
    ASSERT_TRUE(audio.volume->get_volume(level));
    EXPECT_EQ(level, 65535u);

    std::string mode;
    ASSERT_EQ(audio.music->send_command(music_open_command(tune), nullptr), 0);
    EXPECT_EQ(audio.music->send_command(kMusicStatusCommand, &mode), 0);
    EXPECT_EQ(mode, "stopped");
    ASSERT_EQ(audio.music->send_command(kMusicPlayCommand, nullptr), 0);
    EXPECT_EQ(audio.music->send_command(kMusicStatusCommand, &mode), 0);
    EXPECT_EQ(mode, "playing");

    // The tune ends by itself after about a second.
    const auto give_up = std::chrono::steady_clock::now() + 15s;
    while (mode == "playing" && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(20ms);
      audio.music->send_command(kMusicStatusCommand, &mode);
    }
    EXPECT_EQ(mode, "stopped");

    // Played again from the start, as the game's loop timer does.
    ASSERT_EQ(audio.music->send_command(kMusicPlayCommand, nullptr), 0);
    std::this_thread::sleep_for(300ms);
    audio.music->send_command(kMusicStatusCommand, &mode);
    EXPECT_EQ(mode, "playing");
    EXPECT_EQ(audio.music->send_command(kMusicStopCommand, nullptr), 0);
    audio.music->send_command(kMusicStatusCommand, &mode);
    EXPECT_EQ(mode, "stopped");
    EXPECT_EQ(audio.music->send_command(kMusicCloseCommand, nullptr), 0);
    EXPECT_NE(audio.music->send_command(kMusicStatusCommand, &mode), 0);
    EXPECT_EQ(mode, "");

    std::this_thread::sleep_for(300ms);
    const auto before = std::chrono::steady_clock::now();
    audio.effects->play_wave(effect_wave(kEffectSelect));
    // It returns only once the whole 60 ms sound has been mixed.
    EXPECT_GE(std::chrono::steady_clock::now() - before, 30ms);
    std::this_thread::sleep_for(200ms);
    // The player's effects level halves the same chime; the music's level
    // leaves the effects alone.
    audio.volume->set_player_levels(0, 50);
    audio.effects->play_wave(effect_wave(kEffectSelect));
    std::this_thread::sleep_for(200ms);
  }
  for (const std::string& l : log.lines) EXPECT_EQ(l.rfind("warning: ", 0), std::string::npos) << l;

  const std::vector<SoundRun> runs = sounding_runs(read_samples(out), 64, 44100 / 20);
  ASSERT_GE(runs.size(), 3u);
  const SoundRun& music = runs.front();
  const SoundRun& effect = runs[runs.size() - 2];
  EXPECT_NEAR(runs.back().peak * 2, effect.peak, effect.peak / 10);
  EXPECT_GT(music.last - music.first, 44100u / 2) << "the tune is about a second long";
  EXPECT_GT(music.peak, 1000);
  EXPECT_GT(effect.peak, 1000);
  EXPECT_LT(effect.last - effect.first, 44100u / 5) << "the chime is about 60 ms long";
}

// Without an output everything is quietly refused with one warning; a
// SoundFont that cannot be read, or none, leaves the music off with one.
TEST_F(DiskAudio, WithoutAnOutputOrASoundFontTheMusicIsOffWithOneWarning) {
  {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    vm::DesktopAudio audio = make_desktop_audio(log);
    EXPECT_FALSE(audio.volume->open_mixer());
    EXPECT_FALSE(audio.volume->open_mixer());
    uint32_t level = 0;
    EXPECT_FALSE(audio.volume->get_volume(level));
    EXPECT_FALSE(audio.volume->set_volume(1000));
    EXPECT_NE(audio.music->send_command(music_open_command(dir / "x.mid"), nullptr), 0);
    std::string mode = "x";
    EXPECT_NE(audio.music->send_command(kMusicStatusCommand, &mode), 0);
    EXPECT_EQ(mode, "");
    audio.effects->play_wave(effect_wave(kEffectPress));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("warning: no audio output", 0), 0u) << log.lines[0];
  }
  const std::string broken = dir / "broken.sf2";
  test::write_bytes(broken, "RIFF0000sfbk not a SoundFont");
  const std::string tune = dir / "title.mid";
  test::write_bytes(tune, datatool::compose_tune("title.mid"));
  to_disk("out.raw");
  {
    DesktopAudio unreadable = make_desktop_audio(log, broken);
    EXPECT_TRUE(unreadable.volume->open_mixer());
    EXPECT_NE(unreadable.music->send_command(music_open_command(tune), nullptr), 0);
    unreadable.effects->play_wave(effect_wave(kEffectSelect));
  }
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[1].rfind("warning: the SoundFont " + broken + " cannot be read", 0), 0u)
      << log.lines[1];
  DesktopAudio missing = make_desktop_audio(log, dir / "none.sf2");
  EXPECT_TRUE(missing.volume->open_mixer());
  ASSERT_EQ(log.lines.size(), 3u);
  EXPECT_EQ(log.lines[2].rfind("warning: no SoundFont at ", 0), 0u) << log.lines[2];
}

// The tunes heard in the samples written, every sample of them: the runs of
// sound between silences of some seconds (each tune here is followed by a
// pause that long; how long the pause lasts depends on the machine).
std::vector<std::vector<int16_t>> heard_tunes(const std::string& p) {
  const std::vector<int16_t> s = read_samples(p);
  std::vector<std::vector<int16_t>> tunes;
  for (const SoundRun& r : sounding_runs(s, 1, 44100 * 3))
    tunes.emplace_back(s.begin() + static_cast<long>(2 * r.first),
                       s.begin() + static_cast<long>(2 * r.last + 2));
  return tunes;
}

// A pause after a tune, many seconds long in the rendered stream.
void pause_after_tune() {
  std::this_thread::sleep_for(400ms);
}

void wait_while(const std::function<bool()>& busy) {
  const auto give_up = std::chrono::steady_clock::now() + 60s;
  while (busy() && std::chrono::steady_clock::now() < give_up) std::this_thread::sleep_for(5ms);
}

class TuneRender : public DiskAudio {
 protected:
  std::vector<std::string> tunes;
  void SetUp() override {
    if (!std::filesystem::exists(kGameSoundFont))
      GTEST_SKIP() << "the TimGM6mb SoundFont is not installed";
    for (const char* name : {"title.mid", "sea.mid"}) {
      tunes.push_back(dir / name);
      test::write_bytes(tunes.back(), datatool::compose_tune(name));
    }
    // A millisecond a buffer: the tunes render many times faster than they play.
    setenv("SDL_DISKAUDIODELAY", "1", 1);
  }

  // Each tune played to its end after the last, SDL_mixer's way.
  std::string render_before() {
    const std::string out = to_disk("before.raw");
    SDL_Init(SDL_INIT_AUDIO);
    Mix_SetSoundFonts(kGameSoundFont);
    Mix_Init(MIX_INIT_MID);
    EXPECT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0);
    for (const std::string& tune : tunes) {
      Mix_Music* m = Mix_LoadMUS(tune.c_str());
      EXPECT_NE(m, nullptr) << Mix_GetError();
      Mix_PlayMusic(m, 0);
      wait_while([] { return Mix_PlayingMusic() != 0; });
      Mix_FreeMusic(m);
      pause_after_tune();
    }
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return out;
  }

  // The same through the game's music commands.
  std::string render_now() {
    const std::string out = to_disk("now.raw");
    DesktopAudio audio = make_desktop_audio(log);
    EXPECT_TRUE(audio.volume->open_mixer());
    for (const std::string& tune : tunes) {
      EXPECT_EQ(audio.music->send_command(music_open_command(tune), nullptr), 0);
      EXPECT_EQ(audio.music->send_command(kMusicPlayCommand, nullptr), 0);
      wait_while([&] {
        std::string mode;
        audio.music->send_command(kMusicStatusCommand, &mode);
        return mode == "playing";
      });
      audio.music->send_command(kMusicCloseCommand, nullptr);
      pause_after_tune();
    }
    return out;
  }
};

TEST_F(TuneRender, TheTitleTuneSoundsAsItDidThroughSdlMixer) {
  const std::vector<std::vector<int16_t>> before = heard_tunes(render_before());
  const std::vector<std::vector<int16_t>> now = heard_tunes(render_now());
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
  ASSERT_EQ(before.size(), 2u);
  ASSERT_EQ(now.size(), 2u);
  // The title tune, the first on the synthesizer, sample for sample.
  EXPECT_GT(before[0].size(), 44100u * 2 * 5) << "a tune lasts some seconds";
  EXPECT_TRUE(now[0] == before[0]) << "the title tune's samples are not the same";
  // The tune changed to, after the title's voices, reverb and dither.
  EXPECT_TRUE(now[1] == before[1]) << "the second tune's samples are not the same";
}

}  // namespace
}  // namespace vm
