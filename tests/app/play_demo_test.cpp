// The headless runner binary's own failures: a mistake in its input file, a
// picture it cannot write. (Its verbs drive a save and a load in save_test;
// the story is played through in whole_game_test and, path by path, by the
// story map's verify.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace vm {
namespace {

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
