// Music rows, the tune loop, fades and the interface sounds, played on the
// headless platform's virtual clock and recording sequencer.

#include "sound/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/scene_fixture.h"

namespace vm {
namespace {

using test::count;
using test::Events;
using test::events;

class Sound : public ::testing::Test, protected test::ScreenRig {
 protected:
  Sound() : ScreenRig(true) {}
  void SetUp() override {
    for (const char* name : {"title.mid", "town.mid"}) test::write_bytes(dir / name, "MThd");
    g.assets.Track_Files[1] = "title.mid";
    g.assets.Track_Files[2] = "town.mid";
    g.assets.Track_Files[4] = "missing.mid";
    g.sound.BGMLoop = pf.window.create_timer(500);
    pf.window.set_timer_enabled(g.sound.BGMLoop, true);
  }

  void row(const std::string& cmd) {
    g.interp.Cur_Cmd = cmd;
    sound_command(g.audio(), g.interp.Cur_Cmd, g.assets);
  }
  std::string open_of(const std::string& file) const {
    return music_open_command(g.assets.Data_Dir + file);
  }
  // Lets the virtual clock run to at_ms with the window working, as the
  // game's waits do.
  void run_until(uint32_t at_ms) {
    while (hl.now() < at_ms) {
      sleep_ms(g.pf, 10);
      do_events(g.pf);
    }
  }
  std::vector<uint32_t> volumes() const {
    std::vector<uint32_t> out;
    for (int level : events(hl, LogKind::Volume).values(&LogEvent::number))
      out.push_back(static_cast<uint32_t>(level));
    return out;
  }
  size_t commands_sent() const { return hl.music_commands().size(); }
};

// Start-up selects tune one; a row naming the tune already playing, a digit
// (an effect the program does not carry), a bare "a", an empty track name or a
// letter past "k" plays nothing, and no dialog is shown.
TEST_F(Sound, RowsSelectTunesByLetterAndOtherRowsPlayNothing) {
  hl.volume_level = 40000;
  open_mixer(g.audio());
  EXPECT_EQ(std::tie(g.sound.mixer_open, g.sound.Start_Volume, g.sound.Saved_Volume),
            std::make_tuple(true, 40000u, 40000u));
  EXPECT_TRUE(g.sound.Music_On && g.sound.Sound_On);
  for (const char* r : {"a", "a1", "a5", "a9"}) row(r);
  EXPECT_EQ(commands_sent(), 0u);
  row("aA");  // capital and small letters select the same tune
  EXPECT_EQ(g.sound.Cur_Track, 1);
  EXPECT_EQ(hl.music_commands(),
            (std::vector<std::string>{"status midifile mode", open_of("title.mid"),
                                      "play midifile from 0"}));
  EXPECT_EQ(music_mode(g.audio()), "PLAYING");
  const size_t sent = commands_sent();
  for (const char* r : {"aa", "  aA  ", "ac", "aL", "a"}) row(r);
  EXPECT_EQ(commands_sent(), sent);  // the tune goes on: no stop, no fade
  EXPECT_TRUE(volumes().empty());
  EXPECT_EQ(g.sound.Cur_Track, 1);
  row("ab1");  // tune 2; the trailing character is no effect number
  EXPECT_EQ(std::count(hl.music_commands().begin(), hl.music_commands().end(), open_of("town.mid")),
            1);
  EXPECT_EQ(hl.effects_played, 0);
  EXPECT_EQ(count(hl, LogKind::Dialog), 0);
  hl.tune_length_ms = 0;
  EXPECT_EQ(music_mode(g.audio()), "STOPPED");  // the answer is upper-cased
}

TEST_F(Sound, WithoutAudioOutputMusicAndSoundsAreOffAndRowsDoNothing) {
  hl.no_audio = true;
  open_mixer(g.audio());
  EXPECT_EQ(std::tie(g.sound.mixer_open, g.sound.Music_On, g.sound.Sound_On),
            std::make_tuple(false, 0, 0));
  for (const char* r : {"aa", "a0", "aj"}) row(r);
  EXPECT_EQ(commands_sent(), 0u);
  EXPECT_EQ(g.sound.Cur_Track, 0);
  uint32_t level = 123;
  EXPECT_FALSE(get_volume(g.audio(), level));
}

// A new tune fades the old one out in eight steps of an eighth (the first
// level is the one already set), then starts at the level before the fade; a
// stop row does the same and closes the device, and skips the fade at level 0.
TEST_F(Sound, ANewTuneOrAStopFadesTheOldOneOutAndRestoresTheLevel) {
  hl.volume_level = 49152;
  open_mixer(g.audio());
  row("aa");
  row("aB");
  EXPECT_EQ(g.sound.Cur_Track, 2);
  std::vector<uint32_t> expected;
  for (int k = 1; k <= 8; ++k) expected.push_back(49152 - 6144 * k);
  expected.push_back(49152);
  EXPECT_EQ(volumes(), expected);
  const std::vector<std::string>& c = hl.music_commands();
  ASSERT_GE(c.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(c.end() - 4, c.end()),
            (std::vector<std::string>{"stop midifile ", "close midifile", open_of("town.mid"),
                                      "play midifile from 0"}));

  row("a0");
  EXPECT_EQ(g.sound.Cur_Track, 0);
  expected.insert(expected.end(), expected.begin(), expected.begin() + 9);
  EXPECT_EQ(volumes(), expected);
  EXPECT_EQ(std::vector<std::string>(c.end() - 2, c.end()),
            (std::vector<std::string>{"stop midifile ", "close midifile"}));
  EXPECT_EQ(music_mode(g.audio()), "");
  row("aa");
  hl.volume_level = 0;
  const uint32_t start = hl.now();
  row("a0");
  EXPECT_EQ(hl.now(), start);
  EXPECT_EQ(volumes(), expected);
  EXPECT_EQ(hl.music_commands().back(), "close midifile");
  EXPECT_EQ(g.sound.Cur_Track, 0);
}

// Music off ignores tune rows (sound off does not), both off not even a
// stop; a missing tune or a refusing sequencer switches the music off
// without a word.
TEST_F(Sound, MusicOffIgnoresTuneRowsAndAMissingOrRefusedTuneSwitchesItOff) {
  open_mixer(g.audio());
  g.sound.Music_On = 0;
  for (const char* r : {"aa", "aj", "ak"}) row(r);
  EXPECT_EQ(g.sound.Cur_Track, 0);
  EXPECT_EQ(commands_sent(), 0u);
  EXPECT_TRUE(volumes().empty());
  g.sound.Music_On = -1;
  g.sound.Sound_On = 0;
  row("a3");
  EXPECT_EQ(commands_sent(), 0u);
  row("ab");
  EXPECT_EQ(g.sound.Cur_Track, 2);
  g.sound.Music_On = 0;
  size_t sent = commands_sent();
  row("a0");
  row("aa");
  EXPECT_EQ(commands_sent(), sent);
  EXPECT_EQ(g.sound.Cur_Track, 2);

  g.sound.Music_On = -1;
  row("ad");
  EXPECT_EQ(g.sound.Music_On, 0);
  EXPECT_EQ(g.sound.Cur_Track, 4);
  sent = commands_sent();
  row("ab");
  EXPECT_EQ(commands_sent(), sent);
  EXPECT_EQ(count(hl, LogKind::Dialog), 0);
  g.sound.Music_On = -1;
  hl.music_fails = true;
  row("aa");
  EXPECT_EQ(g.sound.Music_On, 0);
}

// Each fade level is held just over 100 ms, a fade too small to step arrives
// at once; fading out then in returns to the saved level, and the next tune
// is heard at it.
TEST_F(Sound, FadesStepEvery100MillisecondsAndReturnToTheSavedLevel) {
  hl.volume_level = 0xC000;
  open_mixer(g.audio());
  hl.volume_level = 65535;
  uint32_t start = hl.now();
  fade_out(g.audio(), 65535);
  const Events steps = events(hl).of(LogKind::Volume);
  ASSERT_EQ(steps.size(), 8u);  // 65535 itself was already set
  for (size_t i = 1; i < steps.size(); ++i) EXPECT_GT(steps[i].at - steps[i - 1].at, 100u);
  EXPECT_EQ(hl.volume_level, 7u);  // 65535 - 8 * 8191: not quite silent
  EXPECT_GT(hl.now() - start, 900u);
  hl.volume_level = 5;
  fade_out(g.audio(), 5);
  EXPECT_EQ(hl.volume_level, 5u);
  hl.volume_level = 0;
  start = hl.now();
  fade_in(g.audio(), 6);
  EXPECT_EQ(hl.volume_level, 6u);
  EXPECT_EQ(hl.now(), start);

  hl.volume_level = 0xC000;
  row("aa");
  const size_t sent = commands_sent(), levels = volumes().size();
  row("aJ");
  EXPECT_EQ(hl.volume_level, 0u);
  EXPECT_EQ(g.sound.Saved_Volume, 0xC000u);
  // The tune keeps playing silently: only the state queries of BGMLoop.
  for (size_t i = sent; i < commands_sent(); ++i)
    EXPECT_EQ(hl.music_commands()[i], "status midifile mode");
  row("ak");
  EXPECT_EQ(hl.volume_level, g.sound.Saved_Volume);
  // Eight changes down and eight back up: each fade starts at the level
  // already set.
  EXPECT_EQ(volumes().size() - levels, 16u);
  row("aJ");
  ASSERT_EQ(hl.volume_level, 0u);
  row("ab");  // a new tune starts at the level the fade returns to
  EXPECT_EQ(hl.volume_level, 0xC000u);
  EXPECT_EQ(g.sound.Saved_Volume, 0xC000u);
  row("aJ");
  row("a0");  // a stop after a fade-out also puts the speakers back
  EXPECT_EQ(hl.volume_level, 0xC000u);
  row("aJ");
  row("aJ");  // a second fade-out finds nothing to fade and keeps the level to return to
  row("aK");
  EXPECT_EQ(hl.volume_level, 0xC000u);
}

TEST_F(Sound, BGMLoopRestartsAFinishedTuneWithin500MillisecondsButNeverAPlayingOrStoppedOne) {
  hl.tune_length_ms = 2000;
  open_mixer(g.audio());
  row("aa");
  const uint32_t started = hl.now();
  run_until(started + 5000);
  const Events plays = events(hl, LogKind::Music).where(&LogEvent::action, "play");
  ASSERT_GE(plays.size(), 3u);
  for (size_t i = 1; i < plays.size(); ++i)
    EXPECT_TRUE(test::within(plays[i].at - plays[i - 1].at, 2000, 2500 + 1));
  // With no tune selected the loop leaves the music alone.
  row("a0");
  const size_t stopped = events(hl, LogKind::Music).where(&LogEvent::action, "play").size();
  run_until(hl.now() + 3000);
  EXPECT_EQ(events(hl, LogKind::Music).where(&LogEvent::action, "play").size(), stopped);
  // A tick during a fade finds a long tune playing and does nothing.
  hl.tune_length_ms = 60000;
  row("aa");
  row("aj");  // runs the window for about a second
  EXPECT_EQ(events(hl, LogKind::Music).where(&LogEvent::action, "play").size(), stopped + 1);
}

// --------------------------------------------------------------- effects ---

TEST(Effects, TheThreeSoundsAreWholeAudibleWavesEndingAtRest) {
  for (int id : {100, 101, 102}) {
    SCOPED_TRACE(id);
    const std::vector<uint8_t>& w = effect_wave(id);
    ASSERT_GE(w.size(), 44u);
    auto u16 = [&](size_t o) { return static_cast<uint16_t>(w[o] | w[o + 1] << 8); };
    auto u32 = [&](size_t o) { return uint32_t{u16(o)} | uint32_t{u16(o + 2)} << 16; };
    EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(std::string(w.begin() + 36, w.begin() + 40), "data");
    EXPECT_EQ(u16(20), 1);  // PCM
    EXPECT_EQ(u16(22), 1);  // one channel
    const size_t bits = u16(34);
    ASSERT_TRUE(bits == 8 || bits == 16);
    EXPECT_EQ(w.size(), 44u + u32(40));
    EXPECT_EQ(u32(4), w.size() - 8);
    // Audible, and ending at rest so it stops without a pop.
    int peak = 0, last = 0;
    for (size_t o = 44; o + bits / 8 <= w.size(); o += bits / 8) {
      const int s = bits == 8 ? (w[o] - 128) * 256 : static_cast<int16_t>(w[o] | w[o + 1] << 8);
      peak = std::max(peak, std::abs(s));
      last = s;
    }
    EXPECT_GT(peak, 4000);
    EXPECT_LT(std::abs(last), 300);
  }
  EXPECT_TRUE(effect_wave(1).empty());
  EXPECT_TRUE(effect_wave(103).empty());
}

}  // namespace
}  // namespace vm
