// The player's settings file: kept between runs, outside the game data, and
// a damaged one never stops the game nor loses what it held.
#include "platform/common/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::read_bytes;
using test::write_bytes;

// Every setting, to compare two at once.
auto fields(const PlayerSettings& s) {
  return std::tie(s.scale, s.full_screen, s.auto_delay_ms, s.auto_delay_per_char_ms, s.music_volume,
                  s.effects_volume, s.text_speed, s.skip_unread, s.self_voicing, s.large_text,
                  s.high_contrast);
}

TEST(SettingsFile, RoundTripAndMissingFile) {
  test::TempDir dir;
  const std::string path = dir / "config/velmora/settings.ini";
  std::string warning;
  // No file: the game's own defaults.
  EXPECT_EQ(
      fields(read_settings_file(path, &warning)),
      std::make_tuple(1, false, 1500, 80, 100, 100, TextSpeed::Normal, false, false, false, false));
  EXPECT_TRUE(warning.empty());

  // Every setting off its default, in the order above.
  const PlayerSettings s{3, true, 900, 25, 0, 55, TextSpeed::Instant, true, true, true, true};
  const Result<void> written = write_settings_file(path, s);
  ASSERT_TRUE(written) << written.error().what();
  EXPECT_EQ(fields(read_settings_file(path, &warning)), fields(s));
  EXPECT_TRUE(warning.empty()) << warning;
  // A file written by hand with only some keys keeps the defaults for the rest.
  write_bytes(path, "[auto_forward]\ndelay_per_char_ms=40\n");
  EXPECT_EQ(fields(read_settings_file(path, &warning)),
            fields(PlayerSettings{.auto_delay_per_char_ms = 40}));
  EXPECT_TRUE(warning.empty()) << warning;
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
        std::string("[text]\nspeed=fast\nskip_unread=2\n"), std::string("\0[view]\nscale=2\n", 16),
        std::string("[view]\nscale=2\n\0\xff\x01", 18), std::string("\xfe\xff\x93\x80[view]\n")}) {
    write_bytes(path, bad);
    const std::string aside = path + ".bad" + (n ? "." + std::to_string(n) : "");
    ++n;
    LineLog log(nullptr);
    FileSettingsStore store(path, log);
    EXPECT_EQ(fields(store.settings()), fields(PlayerSettings{})) << bad;
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
  const Result<void> written = write_settings_file(path, PlayerSettings{.scale = 3});
  ASSERT_TRUE(written) << written.error().what();
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_NE(read_bytes(dir / "synced.ini").find("scale=3"), std::string::npos);
}

TEST(SettingsFile, LivesUnderTheConfigFolder) {
  // The path follows XDG_CONFIG_HOME (read once per process by GLib, so the
  // test only checks the shape of the name).
  const std::string p = default_settings_path();
  EXPECT_EQ(p.rfind("/velmora/settings.ini"),
            p.size() - std::string("/velmora/settings.ini").size());
}

}  // namespace
}  // namespace vm
