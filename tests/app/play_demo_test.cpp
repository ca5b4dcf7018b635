// The headless runner binary: its verbs, a picture it cannot write, a
// mistake in its input file. (The story is played through in whole_game_test
// and, path by path, by the story map's verify.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace vm {
namespace {

// An author's unattended save: the runner's verbs drive the options window
// and the slot window, and the log shows what they showed; the shots go to
// an output folder made for them, and a shot that cannot be written makes
// the run a failure.
TEST(PlayDemo, TheRunnersVerbsSaveAndShootAndAFailedShotIsAFailure) {
  test::TempDir dir;
  std::filesystem::copy(test::build_dir() + "/data", dir / "data",
                        std::filesystem::copy_options::recursive);
  std::ofstream(dir / "input.txt") << "wait 3000\nshot a.png\nwait 2500\nmenu opt_menu\nwait 100\n"
                                      "choose 1行ずつ表示\ncheck 効果音 off\nscroll 60\npress OK\n"
                                      "wait 200\nclick 300 255\nwait 8000\nmenu prog_save\n"
                                      "wait 200\nslot 3\npress Save\nwait 2000\npress Close\n"
                                      "wait 500\nshot no/such/b.png\nmenu prog_end\nanswer yes\n";
  std::string out;
  int code = test::run_command(test::build_dir() + "/velmora-play " + dir.path() + "data " +
                                   dir.path() + "input.txt " + dir.path() + "new/out",
                               out);
  EXPECT_TRUE(std::filesystem::exists(dir / "new/out/a.png")) << out;
  EXPECT_NE(out.find("shot failed"), std::string::npos);
  EXPECT_EQ(code, 1);
  for (const char* seen :
       {"form Option_Window open \"オプション設定\" topmost", "form Option_Window Label4 \"60\"",
        "form File_Window open \"ゲームデータ\"", "form File_Window Label1(3) \"データなし\"",
        "file written 03.dat", "form File_Window shows Label2 \"セーブしました\"",
        "form File_Window Label1(3) \"夏休みの始まり\\r\\n07/20 10:00\""})
    EXPECT_NE(out.find(seen), std::string::npos) << seen;

  // A line the runner cannot read is named by its number.
  std::ofstream(dir / "bad.txt") << "wait 10\nfly 3\n";
  EXPECT_EQ(test::run_command(test::build_dir() + "/velmora-play " + dir.path() + "data " +
                                  dir.path() + "bad.txt",
                              out),
            2);
  EXPECT_NE(out.find("bad.txt:2"), std::string::npos);
}

// verify pictures only a path's end: an input with a paint line plays the
// same (the same log, frame for frame) and paints from that line on, so the
// picture after it is the one a fully painted play takes; a picture of a
// moment before it is refused, never an empty screen passed off as the game's.
TEST(PlayDemo, APaintLineLeavesOnlyTheFramesBeforeItUnpainted) {
  test::TempDir dir;
  std::filesystem::copy(test::build_dir() + "/data", dir / "data",
                        std::filesystem::copy_options::recursive);
  const auto play = [&](const std::string& name, const std::string& input, std::string& out) {
    std::ofstream(dir / (name + ".txt")) << input;
    return test::run_command(test::build_dir() + "/velmora-play --no-speech " + dir.path() +
                                 "data " + dir.path() + name + ".txt " + dir.path() + name,
                             out);
  };
  std::string whole, painted, early;
  EXPECT_EQ(play("whole", "wait 5500\nclick 300 255\nwait 3000\nshot end.png\n", whole), 0);
  EXPECT_EQ(play("painted", "wait 5500\nclick 300 255\npaint\nwait 3000\nshot end.png\n", painted),
            0);
  EXPECT_EQ(test::read_bytes(dir / "painted/end.png"), test::read_bytes(dir / "whole/end.png"));
  const auto without_shots = [](std::string log) {
    for (size_t at; (at = log.find("/end.png")) != std::string::npos;)
      log.erase(log.rfind(' ', at), log.find('\n', at) - log.rfind(' ', at));
    return log;
  };
  EXPECT_EQ(without_shots(painted), without_shots(whole));

  EXPECT_EQ(play("early", "wait 3000\nshot title.png\nwait 100\npaint\nwait 100\n", early), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "early/title.png"));
  EXPECT_NE(early.find("title.png: the screen is not painted yet"), std::string::npos) << early;
}

// The runner as a tester's tool: it plays with a settings file given to it
// (and leaves the file alone), a scroll acts on the control that has the
// focus, a history line rolls back to a message, and an answer that does not
// fit the dialog it meets is an error naming its line, never read as "no".
TEST(PlayDemo, SettingsFocusedScrollsHistoryAndAMisfitAnswer) {
  test::TempDir dir;
  std::filesystem::copy(test::build_dir() + "/data", dir / "data",
                        std::filesystem::copy_options::recursive);
  const std::string settings = "[sound]\nmusic_volume=30\n[text]\nspeed=instant\n";
  test::write_bytes(dir / "settings.ini", settings);
  std::ofstream(dir / "input.txt") << "wait 5500\nmenu preferences\nwait 100\n"
                                      "focus EffectsVolume\nscroll 40\nformkey Tab\n"
                                      "scroll 2500\npress OK\nwait 200\nclick 300 255\n"
                                      "wait 6000\nclick 450 420\nwait 1500\nclick 450 420\n"
                                      "wait 1500\nhistory 2\nwait 500\nmenu prog_end\n"
                                      "answer ok\n";
  std::string out;
  const int code =
      test::run_command(test::build_dir() + "/velmora-play --settings " + dir.path() +
                            "settings.ini " + dir.path() + "data " + dir.path() + "input.txt",
                        out);
  EXPECT_EQ(code, 2) << out;
  EXPECT_EQ(test::read_bytes(dir / "settings.ini"), settings);
  for (const char* seen : {"levels music 30 effects 100", "levels music 30 effects 40",
                           "rollback 2", "input.txt:19: answer \"ok\" does not fit the dialog"})
    EXPECT_NE(out.find(seen), std::string::npos) << seen << "\n" << out;
  EXPECT_EQ(out.find("MusicVolume acted on"), std::string::npos);

  // A settings file that cannot be read stops the run before it starts.
  test::write_bytes(dir / "settings.ini", std::string("\0[view]\n", 8));
  EXPECT_EQ(test::run_command(test::build_dir() + "/velmora-play --settings " + dir.path() +
                                  "settings.ini " + dir.path() + "data " + dir.path() + "input.txt",
                              out),
            2);
  EXPECT_NE(out.find("cannot be used: it holds a NUL byte"), std::string::npos) << out;
}

}  // namespace
}  // namespace vm
