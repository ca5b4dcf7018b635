// The program's command line: what an author or a launcher passes.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vm {
namespace {

TEST(CommandLine, EveryOptionAndEveryMistake) {
  CommandLine cl = parse_command_line({});
  EXPECT_EQ(cl.scale, 0);
  EXPECT_FALSE(cl.full_screen || cl.help || cl.version);
  EXPECT_TRUE(cl.data_dir.empty());
  EXPECT_TRUE(cl.error.empty());

  cl = parse_command_line({"--scale", "3", "--fullscreen", "/games/mine"});
  EXPECT_EQ(cl.scale, 3);
  EXPECT_TRUE(cl.full_screen);
  EXPECT_EQ(cl.data_dir, "/games/mine");
  EXPECT_TRUE(cl.error.empty());

  cl = parse_command_line({"relative/data", "--scale=2"});
  EXPECT_EQ(cl.scale, 2);
  EXPECT_EQ(cl.data_dir, "relative/data");

  // A folder whose name starts with a dash, after "--".
  cl = parse_command_line({"--", "-odd"});
  EXPECT_EQ(cl.data_dir, "-odd");
  EXPECT_TRUE(cl.error.empty());

  EXPECT_TRUE(parse_command_line({"--help"}).help);
  EXPECT_TRUE(parse_command_line({"-h"}).help);
  EXPECT_TRUE(parse_command_line({"--version"}).version);
  EXPECT_EQ(version_text(), "velmora 1.10\n");
  EXPECT_EQ(usage_text().rfind("Usage: velmora [--scale N] [--fullscreen] [DATA_DIR]\n", 0), 0u);

  // Mistakes are named.
  EXPECT_NE(parse_command_line({"--scale"}).error.find("--scale"), std::string::npos);
  EXPECT_NE(parse_command_line({"--scale", "4"}).error.find("1, 2 or 3"), std::string::npos);
  EXPECT_NE(parse_command_line({"--scale", "x"}).error.find("1, 2 or 3"), std::string::npos);
  EXPECT_NE(parse_command_line({"--zoom"}).error.find("--zoom"), std::string::npos);
  EXPECT_NE(parse_command_line({"a", "b"}).error.find("only one data folder"), std::string::npos);
}

}  // namespace
}  // namespace vm
