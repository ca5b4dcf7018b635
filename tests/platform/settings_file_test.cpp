// The player's settings file: kept between runs, outside the game data, and
// a damaged one never stops the game nor loses what it held.
#include "platform/common/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::read_bytes;
using test::write_bytes;

TEST(SettingsFile, RoundTripAndMissingFile) {
  test::TempDir dir;
  const std::string path = dir / "config/velmora/settings.ini";
  std::string warning;
  const PlayerSettings none = read_settings_file(path, &warning);
  EXPECT_EQ(none.scale, 1);
  EXPECT_FALSE(none.full_screen);
  EXPECT_EQ(none.auto_delay_ms, 1500);
  EXPECT_EQ(none.auto_delay_per_char_ms, 80);
  EXPECT_TRUE(warning.empty());

  PlayerSettings s;
  s.scale = 3;
  s.full_screen = true;
  s.auto_delay_ms = 900;
  s.auto_delay_per_char_ms = 25;
  s.music_volume = 0;
  s.effects_volume = 55;
  s.text_speed = TextSpeed::Instant;
  s.skip_unread = false;
  s.self_voicing = true;
  s.large_text = true;
  s.high_contrast = true;
  std::string error;
  ASSERT_TRUE(write_settings_file(path, s, &error)) << error;
  const PlayerSettings back = read_settings_file(path, &warning);
  EXPECT_TRUE(warning.empty()) << warning;
  EXPECT_EQ(back.scale, 3);
  EXPECT_TRUE(back.full_screen);
  EXPECT_EQ(back.auto_delay_ms, 900);
  EXPECT_EQ(back.auto_delay_per_char_ms, 25);
  EXPECT_EQ(back.music_volume, 0);
  EXPECT_EQ(back.effects_volume, 55);
  EXPECT_EQ(back.text_speed, TextSpeed::Instant);
  EXPECT_FALSE(back.skip_unread);
  EXPECT_TRUE(back.self_voicing);
  EXPECT_TRUE(back.large_text && back.high_contrast);
  // A file written by hand with only some keys keeps the defaults for the rest.
  write_bytes(path, "[auto_forward]\ndelay_per_char_ms=40\n");
  const PlayerSettings some = read_settings_file(path, &warning);
  EXPECT_TRUE(warning.empty()) << warning;
  EXPECT_EQ(some.scale, 1);
  EXPECT_EQ(some.auto_delay_ms, 1500);
  EXPECT_EQ(some.auto_delay_per_char_ms, 40);
  EXPECT_EQ(some.music_volume, 100);
  EXPECT_EQ(some.text_speed, TextSpeed::Normal);
  EXPECT_TRUE(some.skip_unread);
  EXPECT_FALSE(some.self_voicing);
  EXPECT_FALSE(some.large_text || some.high_contrast) << "off unless chosen";
}

TEST(SettingsFile, DamagedFileGivesDefaultsAWarningAndIsKeptAside) {
  test::TempDir dir;
  const std::string path = dir / "settings.ini";
  int n = 0;
  for (const std::string& bad :
       {std::string("[view\nscale=2\n"), std::string("[view]\nscale=7\n"),
        std::string("[view]\nfull_screen=maybe\n"), std::string("[auto_forward]\ndelay_ms=-5\n"),
        std::string("[view]\nscale=2\n[sound]\nmusic_volume=150\n"),
        std::string("[sound]\neffects_volume=loud\n"), std::string("[text]\nspeed=ludicrous\n"),
        std::string("[text]\nspeed=fast\nskip_unread=2\n")}) {
    write_bytes(path, bad);
    const std::string aside = path + ".bad" + (n ? "." + std::to_string(n) : "");
    ++n;
    LineLog log(nullptr);
    FileSettingsStore store(path, log);
    EXPECT_EQ(store.settings().scale, 1) << bad;
    EXPECT_FALSE(store.settings().full_screen) << bad;
    EXPECT_EQ(store.settings().music_volume, 100) << bad;
    EXPECT_EQ(store.settings().effects_volume, 100) << bad;
    EXPECT_EQ(store.settings().text_speed, TextSpeed::Normal) << bad;
    EXPECT_TRUE(store.settings().skip_unread) << bad;
    ASSERT_EQ(log.lines().size(), 1u) << bad;
    EXPECT_NE(log.lines()[0].find("warning: the settings file " + path + " is damaged"),
              std::string::npos)
        << log.lines()[0];
    // What the player had is kept aside, each time under a new name; a clean
    // file of defaults replaces it.
    EXPECT_EQ(read_bytes(aside), bad);
    std::string warning;
    const PlayerSettings again = read_settings_file(path, &warning);
    EXPECT_TRUE(warning.empty()) << warning;
    EXPECT_EQ(again.scale, 1);
  }
}

TEST(SettingsFile, AByteOrderMarkALinkAndLeftoversOfAKilledSave) {
  test::TempDir dir;
  const std::string path = dir / "settings.ini";
  std::filesystem::create_symlink("synced.ini", path);
  write_bytes(dir / "synced.ini", "\xEF\xBB\xBF[view]\nscale=2\n");
  write_bytes(dir / "synced.ini.Ab12Cd", "[view]\nsca");
  std::filesystem::last_write_time(
      dir / "synced.ini.Ab12Cd",
      std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5));
  std::string warning;
  EXPECT_EQ(read_settings_file(path, &warning).scale, 2);
  EXPECT_TRUE(warning.empty()) << warning;
  EXPECT_FALSE(std::filesystem::exists(dir / "synced.ini.Ab12Cd"));
  // Saving writes through the link: it stays a link.
  PlayerSettings s;
  s.scale = 3;
  std::string error;
  ASSERT_TRUE(write_settings_file(path, s, &error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_NE(read_bytes(dir / "synced.ini").find("scale=3"), std::string::npos);
}

TEST(SettingsFile, LivesUnderTheConfigFolder) {
  // The path follows XDG_CONFIG_HOME (read once per process by GLib, so the
  // test only checks the shape of the name).
  const std::string p = default_settings_path();
  EXPECT_NE(p.find("/velmora/settings.ini"), std::string::npos) << p;
  EXPECT_EQ(p.rfind("/velmora/settings.ini"),
            p.size() - std::string("/velmora/settings.ini").size());
}

}  // namespace
}  // namespace vm
