// The real desktop audio service, heard through SDL's disk audio driver: a
// tiny MIDI tune through FluidSynth and a built-in effect must put sound
// (not silence) into the written sample stream. Needs no sound card.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "data/midi.h"
#include "platform/desktop/audio.h"
#include "sound/sound.h"
#include "test_support.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using Lines = test::LogLines;

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

std::vector<int16_t> read_samples(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> s(bytes.size() / 2);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  return s;
}

// Runs of sound in an interleaved stereo 44.1 kHz stream, in frames; gaps
// shorter than 50 ms do not split a run.
struct SoundRun {
  size_t first, last;
  int peak;
};
std::vector<SoundRun> sounding_runs(const std::vector<int16_t>& s) {
  constexpr int kThreshold = 64;
  constexpr size_t kGap = 44100 / 20;
  std::vector<SoundRun> runs;
  for (size_t f = 0; f < s.size() / 2; ++f) {
    const int a = std::max(std::abs(int{s[2 * f]}), std::abs(int{s[2 * f + 1]}));
    if (a < kThreshold) continue;
    if (runs.empty() || f - runs.back().last > kGap) runs.push_back({f, f, 0});
    runs.back().last = f;
    runs.back().peak = std::max(runs.back().peak, a);
  }
  return runs;
}

class RealAudio : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("velmora_audio_" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

TEST_F(RealAudio, ATuneAndAnEffectReachTheOutput) {
  if (!fs::exists("/usr/share/sounds/sf2/TimGM6mb.sf2"))
    GTEST_SKIP() << "the TimGM6mb SoundFont is not installed";
  const fs::path out = dir / "out.raw";
  const fs::path tune = dir / "tune.mid";
  std::ofstream(tune, std::ios::binary) << tiny_midi();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);

  Lines log;
  {
    vm::DesktopAudio audio = make_desktop_audio(log);
    ASSERT_TRUE(audio.volume->open_mixer());
    uint32_t level = 0;
    ASSERT_TRUE(audio.volume->get_volume(level));
    EXPECT_EQ(level, 65535u);

    std::string mode;
    ASSERT_EQ(audio.music->send_command(music_open_command(tune.string()), nullptr), 0);
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

  const std::vector<SoundRun> runs = sounding_runs(read_samples(out));
  ASSERT_GE(runs.size(), 3u);
  const SoundRun& music = runs.front();
  const SoundRun& effect = runs[runs.size() - 2];
  EXPECT_NEAR(runs.back().peak * 2, effect.peak, effect.peak / 10);
  EXPECT_GT(music.last - music.first, 44100u / 2) << "the tune is about a second long";
  EXPECT_GT(music.peak, 1000);
  EXPECT_GT(effect.peak, 1000);
  EXPECT_LT(effect.last - effect.first, 44100u / 5) << "the chime is about 60 ms long";
}

TEST_F(RealAudio, WithoutAnOutputEverythingIsQuietlyRefusedWithOneWarning) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  Lines log;
  vm::DesktopAudio audio = make_desktop_audio(log);
  EXPECT_FALSE(audio.volume->open_mixer());
  EXPECT_FALSE(audio.volume->open_mixer());
  uint32_t level = 0;
  EXPECT_FALSE(audio.volume->get_volume(level));
  EXPECT_FALSE(audio.volume->set_volume(1000));
  EXPECT_NE(audio.music->send_command(music_open_command((dir / "x.mid").string()), nullptr), 0);
  std::string mode = "x";
  EXPECT_NE(audio.music->send_command(kMusicStatusCommand, &mode), 0);
  EXPECT_EQ(mode, "");
  audio.effects->play_wave(effect_wave(kEffectPress));
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].rfind("warning: no audio output", 0), 0u) << log.lines[0];
}

}  // namespace
}  // namespace vm
