// The title tune, and a tune changed to, rendered through SDL's disk audio
// driver by the game's own synthesizer and by SDL_mixer's MIDI player as the
// game used it before (kept here only as the reference): both are the same
// sample for sample. (The town tune is not: its drum kit sounds slightly
// different with FluidSynth's reading of samples per instrument, even on a
// synthesizer of its own.) A SoundFont that cannot be read leaves the
// music off with one warning.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

// The tunes heard in the samples written: the runs of sound between
// silences of some seconds (each tune here is followed by a pause that long;
// how long the pause lasts depends on the machine).
std::vector<std::vector<int16_t>> heard_tunes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  constexpr size_t kPause = size_t{44100} * 2 * 3;
  std::vector<std::vector<int16_t>> tunes;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == 0) ++i;
    if (i == s.size()) break;
    i &= ~size_t{1};  // whole frames: left and right
    size_t end = i, zeros = 0;
    for (size_t j = i; j < s.size() && zeros < kPause; ++j) {
      zeros = s[j] == 0 ? zeros + 1 : 0;
      if (s[j] != 0) end = (j + 2) & ~size_t{1};
    }
    tunes.emplace_back(s.begin() + static_cast<long>(i), s.begin() + static_cast<long>(end));
    i = end;
  }
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

class TuneRender : public ::testing::Test {
 protected:
  fs::path dir;
  std::vector<fs::path> tunes;
  void SetUp() override {
    if (!fs::exists(kGameSoundFont)) GTEST_SKIP() << "the TimGM6mb SoundFont is not installed";
    dir = fs::temp_directory_path() / ("velmora_render_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const char* name : {"title.mid", "sea.mid"}) {
      tunes.push_back(dir / name);
      std::ofstream(tunes.back(), std::ios::binary) << datatool::compose_tune(name);
    }
    setenv("SDL_AUDIODRIVER", "disk", 1);
    // A millisecond a buffer: the tunes render many times faster than they play.
    setenv("SDL_DISKAUDIODELAY", "1", 1);
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  // Each tune played to its end after the last, SDL_mixer's way.
  fs::path render_before() {
    fs::path out = dir / "before.raw";
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    SDL_Init(SDL_INIT_AUDIO);
    Mix_SetSoundFonts(kGameSoundFont);
    Mix_Init(MIX_INIT_MID);
    EXPECT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0);
    for (const fs::path& tune : tunes) {
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
  fs::path render_now(Lines& log) {
    fs::path out = dir / "now.raw";
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    DesktopAudio audio = make_desktop_audio(log);
    EXPECT_TRUE(audio.volume->open_mixer());
    for (const fs::path& tune : tunes) {
      EXPECT_EQ(audio.music->send_command(music_open_command(tune.string()), nullptr), 0);
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
  Lines log;
  const std::vector<std::vector<int16_t>> now = heard_tunes(render_now(log));
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
  ASSERT_EQ(before.size(), 2u);
  ASSERT_EQ(now.size(), 2u);
  // The title tune, the first on the synthesizer, sample for sample.
  EXPECT_GT(before[0].size(), 44100u * 2 * 5) << "a tune lasts some seconds";
  EXPECT_TRUE(now[0] == before[0]) << "the title tune's samples are not the same";
  // The tune changed to, after the title's voices, reverb and dither.
  EXPECT_TRUE(now[1] == before[1]) << "the second tune's samples are not the same";
}

TEST_F(TuneRender, ASoundFontThatCannotBeReadLeavesTheMusicOffWithOneWarning) {
  const fs::path broken = dir / "broken.sf2";
  std::ofstream(broken, std::ios::binary) << "RIFF0000sfbk not a SoundFont";
  setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
  Lines log;
  {
    DesktopAudio audio = make_desktop_audio(log, broken.string());
    EXPECT_TRUE(audio.volume->open_mixer());
    EXPECT_NE(audio.music->send_command(music_open_command(tunes[0].string()), nullptr), 0);
    audio.effects->play_wave(effect_wave(kEffectSelect));
  }
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].rfind("warning: the SoundFont " + broken.string() + " cannot be read", 0),
            0u)
      << log.lines[0];
  DesktopAudio missing = make_desktop_audio(log, (dir / "none.sf2").string());
  EXPECT_TRUE(missing.volume->open_mixer());
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[1].rfind("warning: no SoundFont at ", 0), 0u) << log.lines[1];
}

}  // namespace
}  // namespace vm
