// Plays the demo through the headless runner binary, as an author would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "assets/assets.h"
#include "test_support.h"

namespace vm {
namespace {

using test::read_bytes;

TEST(PlayDemo, FromTheStartDeepIntoTheStory) {
  test::TempDir dir;
  std::filesystem::copy(test::build_dir() + "/data", dir / "data",
                        std::filesystem::copy_options::recursive);
  std::string script_before = read_bytes(dir / "data/51.dat");
  {
    std::ofstream in(dir / "input.txt");
    in << "wait 5500\nshot title.png\nclick 300 255\nwait 2000\nshot start.png\n";
    // Clicks on the first choice box, which also lie on the message window,
    // so they both advance the text and pick the first item of each menu.
    for (int i = 0; i < 90; ++i) in << "click 230 400\nwait 1500\n";
    in << "shot deep.png\n";
  }
  std::string out;
  int code = test::run_command(test::build_dir() + "/velmora-play " + dir.path() + "data " +
                                   dir.path() + "input.txt " + dir.path(),
                               out);
  ASSERT_EQ(code, 0) << out;
  auto seen = [&](const std::string& s) { return out.find(s) != std::string::npos; };
  EXPECT_TRUE(seen("caption \"Velmora\""));
  EXPECT_TRUE(seen("text 0 港町ヴェルモラの夏は、潮の香りと一緒にやってくる。"));
  // The meeting scene, the rename dialog and the name used afterwards.
  EXPECT_TRUE(seen("わたし、夏のあいだだけ、おばあちゃんの家に来ているの。"));
  EXPECT_TRUE(seen("input \"なまえの変更\""));
  EXPECT_TRUE(seen("music open"));
  EXPECT_TRUE(seen("shot " + dir.path() + "deep.png"));
  EXPECT_TRUE(seen("file written 50.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir / "deep.png"));
  // At rest again: scripts untouched, pictures disguised.
  EXPECT_EQ(read_bytes(dir / "data/51.dat"), script_before);
  for (int n : managed_pictures_exit_order())
    EXPECT_EQ(read_bytes(dir / ("data/" + std::to_string(n) + ".dat")).substr(0, 2), "JF") << n;
}

// An author's unattended save and load: the runner's verbs drive the options
// window and the slot window, and the log shows what they showed.
TEST(PlayDemo, SaveAndLoadWithTheRunnersVerbs) {
  test::TempDir dir;
  std::filesystem::copy(test::build_dir() + "/data", dir / "data",
                        std::filesystem::copy_options::recursive);
  const std::string play = test::build_dir() + "/velmora-play " + dir.path() + "data ";
  std::ofstream(dir / "save.txt") << "wait 5500\nmenu opt_menu\nwait 100\nchoose 1行ずつ表示\n"
                                     "check 効果音 off\nscroll 60\npress OK\nwait 200\n"
                                     "click 300 255\nwait 8000\nmenu prog_save\nwait 200\n"
                                     "slot 3\npress Save\nwait 2000\npress Close\nwait 500\n"
                                     "menu prog_end\nanswer yes\n";
  std::string out;
  ASSERT_EQ(test::run_command(play + dir.path() + "save.txt " + dir.path(), out), 0) << out;
  auto seen = [&](const std::string& s) { return out.find(s) != std::string::npos; };
  EXPECT_TRUE(seen("form Option_Window open \"オプション設定\" topmost"));
  EXPECT_TRUE(seen("form Option_Window Label4 \"60\""));
  EXPECT_TRUE(seen("form File_Window open \"ゲームデータ\""));
  EXPECT_TRUE(seen("form File_Window Label1(3) \"データなし\""));
  EXPECT_TRUE(seen("file written 03.dat"));
  EXPECT_TRUE(seen("form File_Window shows Label2 \"セーブしました\""));
  EXPECT_TRUE(seen("form File_Window Label1(3) \"夏休みの始まり\\r\\n07/20 10:00\""));

  std::ofstream(dir / "load.txt") << "wait 5500\nclick 300 290\nwait 300\nslot 3\npress Load\n"
                                     "wait 4000\nmenu prog_end\nanswer yes\n";
  ASSERT_EQ(test::run_command(play + dir.path() + "load.txt " + dir.path(), out), 0) << out;
  EXPECT_TRUE(seen("form File_Window fBtn(3) \"Save\" disabled"));
  EXPECT_TRUE(seen("form File_Window shows Label2 \"ロードしました\""));
  const size_t read = out.find("file read 03.dat");
  ASSERT_NE(read, std::string::npos) << out;
  EXPECT_NE(out.find("text 0 港町ヴェルモラの夏は", read), std::string::npos) << out;
}

TEST(PlayDemo, BadInputLineIsReported) {
  test::TempDir dir;
  std::ofstream(dir / "input.txt") << "wait 10\nfly 3\n";
  std::string out;
  int code = test::run_command(test::build_dir() + "/velmora-play " + test::build_dir() + "/data " +
                                   dir.path() + "input.txt",
                               out);
  EXPECT_EQ(code, 2);
  EXPECT_NE(out.find("input.txt:2"), std::string::npos);
}

TEST(PlayDemo, TheOutputFolderIsMadeAndAFailedShotIsAFailure) {
  test::TempDir dir;
  std::filesystem::copy(test::build_dir() + "/data", dir / "data",
                        std::filesystem::copy_options::recursive);
  std::ofstream(dir / "input.txt") << "wait 3000\nshot a.png\nshot no/such/b.png\n";
  std::string out;
  int code = test::run_command(test::build_dir() + "/velmora-play " + dir.path() + "data " +
                                   dir.path() + "input.txt " + dir.path() + "new/out",
                               out);
  EXPECT_TRUE(std::filesystem::exists(dir / "new/out/a.png")) << out;
  EXPECT_NE(out.find("shot failed"), std::string::npos);
  EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace vm
