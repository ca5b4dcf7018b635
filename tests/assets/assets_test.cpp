#include "assets/assets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/game.h"
#include "app/main_form.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "platform/common/disk_files.h"
#include "platform/errors.h"
#include "platform/headless/headless.h"
#include "platform/headless/memory_files.h"
#include "sound/sound.h"
#include "test_support.h"

namespace vm {
namespace {

using test::events;

using test::read_bytes;
using test::TempDir;
using test::write_bytes;

std::vector<int> managed() {
  return managed_pictures_exit_order();
}

// A data folder whose pictures are placeholders: the asset check only
// touches their first two bytes.
void make_folder(const TempDir& d, int sys_lines = 25) {
  std::string sys;
  const char* lines[25] = {"春野", "ひより", "ソラノ", "ミツ", "父", "103456", "tune1.mid", "", "",
                           "",     "",       "",       "",     "",   "",       "",          "", "",
                           "",     "",       "",       "",     "",   "",       "keep"};
  for (int i = 0; i < sys_lines; ++i) sys += utf8_to_cp932(lines[i]) + "\r\n";
  write_bytes(d / "50.dat", sys);
  write_bytes(d / "51.dat", invert_bytes("0010,,,,,,,,テスト,,,,\r\n9999,,,,,,,,,,,,\r\n"));
  write_bytes(d / "52.dat", invert_bytes(""));
  for (int n : managed()) write_bytes(d / (std::to_string(n) + ".dat"), "JFpicture");
  write_bytes(d / "72.dat", "title");
  write_bytes(d / "61.dat", "texture");
  write_bytes(d / "tune1.mid", "MThd");
}

class Assets : public ::testing::Test {
 protected:
  TempDir dir;
  Headless hl;
  Game g{hl.platform()};
  void SetUp() override { g.assets.Data_Dir = dir.path(); }
  // The start-up check as the main window runs it.
  static void check(Game& game) {
    check_assets(game.assets, game.msg.Name_Table, game.pf.files, game.pf.dialogs);
  }
  // The check again, by a game that has not started before.
  void check_afresh() {
    Game fresh(hl.platform());
    fresh.assets.Data_Dir = dir.path();
    check(fresh);
  }
  std::string last_dialog() const { return events(hl).of(LogKind::Dialog).last_line(); }
};

TEST(Magic, InvertRestoreAndBlank) {
  EXPECT_EQ(invert_bytes(std::string("\x00\xff\x41", 3)), std::string("\xff\x00\xbe", 3));
  TempDir d;
  DiskFiles disk;
  {
    const DataFolder folder(disk, d.path());
    ASSERT_TRUE(folder.replace("11.dat", ""));
    ASSERT_TRUE(folder.restore_magic(11, 'b'));  // an empty picture gets its two bytes
    EXPECT_EQ(folder.read("11.dat").value(), "BM");
    ASSERT_TRUE(folder.replace("70.dat", "JF rest"));
    ASSERT_TRUE(folder.restore_magic(70, 'J'));
    EXPECT_EQ(folder.read("70.dat").value(), "\xff\xd8 rest");
    ASSERT_TRUE(folder.blank_magic(70));
    EXPECT_EQ(folder.read("70.dat").value(), "JF rest");
    const Result<void> missing = folder.blank_magic(71);
    ASSERT_FALSE(missing);
    ASSERT_NE(missing.error_as<FileError>(), nullptr);
    EXPECT_EQ(missing.error_as<FileError>()->step, FileError::Updating);
    EXPECT_FALSE(folder.has("71.dat"));  // never created
  }
}

TEST_F(Assets, StartRestoresPicturesAndReadsTheSystemFileShutdownDisguisesThem) {
  make_folder(dir);
  // Left by a copy killed while it saved: the slot itself is whole.
  write_bytes(dir / "03.dat", "slot");
  write_bytes(dir / "03.dat.tmp", "half a sl");
  write_bytes(dir / "50.dat.tmp", "");
  write_bytes(dir / "read.dat.tmp", "VMRD");
  check(g);
  EXPECT_FALSE(std::filesystem::exists(dir / "read.dat.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "03.dat.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "50.dat.tmp"));
  EXPECT_EQ(read_bytes(dir / "03.dat"), "slot");
  for (int n : managed()) {
    std::string bytes = read_bytes(dir / (std::to_string(n) + ".dat"));
    EXPECT_EQ(bytes.substr(0, 2), n >= 70 ? "\xff\xd8" : "BM") << n;
    EXPECT_EQ(bytes.substr(2), "picture");
  }
  EXPECT_EQ(read_bytes(dir / "72.dat"), "title");
  EXPECT_EQ(read_bytes(dir / "61.dat"), "texture");
  EXPECT_EQ(g.msg.Name_Table[1], "春野");
  EXPECT_EQ(g.msg.Name_Table[2], "ひより");
  EXPECT_EQ(g.msg.Name_Table[0], "");
  EXPECT_EQ(g.assets.Track_Files[1], "tune1.mid");
  EXPECT_EQ(g.assets.Keep_Flag, -1);
  EXPECT_EQ(g.assets.CG_Seen[0], -1);
  EXPECT_FALSE(std::filesystem::exists(dir / "51.cod"));
  // A second start (after a crash) leaves every picture valid.
  check_afresh();
  EXPECT_EQ(read_bytes(dir / "11.dat").substr(0, 2), "BM");

  // Shutting down writes line 6 and disguises the pictures again.
  g.assets.CG_Seen = {0, -1, 0, 0, 0};
  EXPECT_THROW(unload_main_form(g), EndProcess);
  std::string sys = read_bytes(dir / "50.dat");
  EXPECT_EQ(std::count(sys.begin(), sys.end(), '\n'), 25);
  EXPECT_NE(sys.find("\r\n120456\r\n"), std::string::npos);
  EXPECT_NE(sys.find("keep\r\n"), std::string::npos);
  for (int n : managed())
    EXPECT_EQ(read_bytes(dir / (std::to_string(n) + ".dat")).substr(0, 2), "JF") << n;
  EXPECT_EQ(read_bytes(dir / "72.dat"), "title");
  EXPECT_FALSE(std::filesystem::exists(dir / "50.dat.tmp"));
}

// Each missing file, a missing tune or a system file a line short is named
// at start-up; nothing is written, no stub picture made, and the pictures
// already checked stay disguised.
TEST_F(Assets, MissingFileTuneOrSystemLineIsNamedAndNothingIsWritten) {
  struct Case {
    std::string gone;  // the file removed; none: the system file a line short
    std::vector<std::string> said;
  };
  const std::vector<Case> cases = {
      {"52.dat", {"dialog \"実行に必要なﾌｧｲﾙがありません. file" + dir.path() + "52\" -> ok"}},
      {"41.dat", {"file" + dir.path() + "41\""}},
      {"tune1.mid", {"ﾌｧｲﾙがありません. filetune1.mid\""}},
      {"", {"実行に必要なﾌｧｲﾙが異常です.(62)", "50.dat line 25"}},
  };
  for (const Case& c : cases) {
    make_folder(dir, c.gone.empty() ? 24 : 25);
    if (!c.gone.empty()) std::filesystem::remove(dir / c.gone);
    const std::string sys_before = read_bytes(dir / "50.dat");
    EXPECT_THROW(check_afresh(), ShutdownRequest) << c.gone;
    for (const std::string& part : c.said)
      EXPECT_NE(last_dialog().find(part), std::string::npos) << last_dialog();
    EXPECT_EQ(read_bytes(dir / "50.dat"), sys_before) << c.gone;
    if (c.gone == "52.dat") EXPECT_EQ(read_bytes(dir / "11.dat").substr(0, 2), "JF");
    if (c.gone == "41.dat")
      EXPECT_FALSE(std::filesystem::exists(dir / "42.dat") &&
                   read_bytes(dir / "42.dat").size() == 2);  // no stub pictures
  }
}

TEST_F(Assets, ATuneNamedInJapanesePlaysFromItsDesktopName) {
  make_folder(dir);
  std::string sys = read_bytes(dir / "50.dat");
  const std::string cp932 = utf8_to_cp932("夏の歌.mid");
  sys.replace(sys.find("tune1.mid"), 9, cp932);
  write_bytes(dir / "50.dat", sys);
  write_bytes(dir / "夏の歌.mid", "MThd");  // as the desktop names it
  check(g);
  EXPECT_EQ(g.assets.Track_Files[1], cp932);
  g.interp.Cur_Cmd = "aa";
  sound_command(g.audio(), g.interp.Cur_Cmd, g.assets);
  const auto& sent = hl.music_commands();
  EXPECT_NE(std::find(sent.begin(), sent.end(), music_open_command(dir / "夏の歌.mid")),
            sent.end());
}

// A system file that cannot be written is kept and reported; failures of
// the disk are reported with the system's own reason.
TEST_F(Assets, UnwritableSystemFileIsKeptAndDiskFailuresGiveTheSystemsOwnReason) {
  make_folder(dir);
  check(g);
  std::string before = read_bytes(dir / "50.dat");
  // A folder in the way of the temporary file makes the write fail, as a
  // read-only data folder would (also for root).
  std::filesystem::create_directory(dir / "50.dat.tmp");
  EXPECT_THROW(unload_main_form(g), EndProcess);
  EXPECT_EQ(read_bytes(dir / "50.dat"), before);
  EXPECT_NE(last_dialog().find("50.dat"), std::string::npos);
  // 50.dat opens but its first read fails: an error of the disk, not a
  // system file without lines.
  std::filesystem::remove(dir / "50.dat.tmp");
  std::filesystem::remove(dir / "50.dat");
  std::filesystem::create_symlink("/proc/self/mem", dir / "50.dat");
  EXPECT_THROW(check_afresh(), ShutdownRequest);
  EXPECT_NE(last_dialog().find("50.dat: cannot read (Input/output error)"), std::string::npos)
      << last_dialog();
  // A disk that takes nothing more.
  std::filesystem::remove(dir / "11.dat");
  std::filesystem::create_symlink("/dev/full", dir / "11.dat");
  const Result<void> full = DataFolder(g.pf.files, dir.path()).blank_magic(11);
  ASSERT_FALSE(full) << "written to a full disk";
  EXPECT_NE(std::string(full.error().what()).find("cannot write (No space left on device)"),
            std::string::npos)
      << full.error().what();
}

}  // namespace
}  // namespace vm
