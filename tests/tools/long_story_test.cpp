// The long story the tests and the benchmark generate (a folder the game
// loads and the check passes, of exactly the rows and choices asked for),
// and the story map's paths and verify on it: a covering set by default,
// every path on request, a verify that can be stopped.
#include "data/long_story.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "assets/data_folder.h"
#include "authoring/check.h"
#include "authoring/story_paths.h"
#include "platform/common/disk_files.h"
#include "script/tables.h"
#include "test_support.h"

namespace vm::datatool {
namespace {

TEST(LongStory, HoldsTheRowsAndChoicesAskedForAndEveryTargetResolves) {
  for (const LongStoryShape shape : {LongStoryShape{2879, 100}, LongStoryShape{40, 1},
                                     LongStoryShape{30, 2}, LongStoryShape{100000, 5000}}) {
    const LongStoryText text = long_story_text(shape);
    ScriptTables t;
    LoadReport report;
    load_tables(t, text.script, text.choices, &report);
    EXPECT_TRUE(report.errors.empty()) << report.errors.front().describe();
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(t.Script_Table.size(), static_cast<size_t>(shape.rows));
    EXPECT_EQ(t.SCT.size(), static_cast<size_t>(2 * shape.choices));
    std::set<int> keys;
    for (const ChoiceRow& c : t.SCT) {
      EXPECT_TRUE(c.resolved) << c.target_num;
      keys.insert(c.key);
    }
    EXPECT_EQ(keys.size(), static_cast<size_t>(shape.choices));
    // Every scene's NUM is above the one before: the index search finds them.
    for (int32_t k = 1; k < t.Scene_Count; ++k)
      EXPECT_LT(t.Scene_Index[k - 1].key, t.Scene_Index[k].key);
    for (int32_t i = 0; i < t.Script_Last; ++i) {
      const ScriptRow& r = t.Script_Table[static_cast<size_t>(i)];
      if (r.cmd == "g0" || r.cmd == "i1") EXPECT_GE(find_num(t, r.jump), 0) << r.line;
    }
  }
  EXPECT_THROW(long_story_text({100, 5001}), std::invalid_argument);
  EXPECT_THROW(long_story_text({100, 100}), std::invalid_argument);
}

TEST(LongStory, TheWrittenFolderPassesTheCheck) {
  test::TempDir dir;
  DiskFiles disk;
  write_long_story(disk, dir / "long", {2879, 100});
  const std::vector<Finding> found = check_folder(disk, dir / "long");
  for (const Finding& f : found) ADD_FAILURE() << f.line;
}

// What a set of paths took between them.
struct Taken {
  std::set<int32_t> message_rows;
  std::set<std::pair<int, int>> picks;  // (menu, box)
  std::set<int> segments;
  std::set<std::string> ends;
};

Taken taken(const Story& st, const Exploration& ex) {
  Taken t;
  for (const StoryPath& p : ex.paths) {
    for (int s : p.segments) {
      t.segments.insert(s);
      for (const PathEvent& e : ex.segments[static_cast<size_t>(s)].events)
        if (e.kind == PathEvent::Message) t.message_rows.insert(e.seq);
    }
    t.picks.insert(p.picks.begin(), p.picks.end());
    const PathSummary sum = summarize(st, ex, p);
    t.ends.insert(describe_end(sum.end, sum.hap, sum.error));
  }
  return t;
}

// Every row of the script that shows a message (no command, no place).
std::set<int32_t> message_rows(const ScriptTables& t) {
  std::set<int32_t> rows;
  for (int32_t i = 0; i < t.Script_Last; ++i) {
    const ScriptRow& r = t.Script_Table[static_cast<size_t>(i)];
    if (r.cmd.empty() && r.place.empty() && !r.text.empty()) rows.insert(i);
  }
  return rows;
}

// Two paths cover a story whose menus all meet again: each takes one pick of
// every menu, the other takes the other, and each reaches one ending. Every
// row runs on one of them, every pick of every menu is taken, and the two
// read alike lengths though the first picks lead on through longer scenes:
// verify, playing them side by side, is done when the longer is.
TEST(LongStory, TwoPathsCoverEveryRowPickAndEndingAndAllStillEnumerates) {
  const LongStoryText text = long_story_text({2879, 100});
  Story st;
  load_tables(st.tables, text.script, text.choices);
  const Exploration ex = explore_story(st);
  ASSERT_EQ(ex.paths.size(), 2u);
  EXPECT_FALSE(ex.paths_cut);
  EXPECT_TRUE(ex.findings.empty()) << ex.findings.front().text;
  for (size_t r = 0; r + 1 < st.tables.Script_Table.size(); ++r) EXPECT_TRUE(ex.reached[r]) << r;
  const Taken t = taken(st, ex);
  EXPECT_EQ(t.message_rows, message_rows(st.tables));
  EXPECT_EQ(t.segments.size(), ex.segments.size());
  std::set<std::pair<int, int>> every_pick;
  for (size_t k = 0; k < ex.nodes.size(); ++k)
    for (int i = 0; i < ex.nodes[k].count; ++i) every_pick.emplace(static_cast<int>(k), i);
  EXPECT_EQ(t.picks, every_pick);
  EXPECT_EQ(every_pick.size(), 200u);
  EXPECT_EQ(t.ends, (std::set<std::string>{"ending (hap 0)", "ending (hap 1)"}));
  EXPECT_EQ(describe_paths(ex), "2 of 1.27e+30 paths, covering every row, pick and end, " +
                                    std::to_string(ex.states()) + " states explored");
  const size_t first = summarize(st, ex, ex.paths[0]).messages.size();
  const size_t second = summarize(st, ex, ex.paths[1]).messages.size();
  EXPECT_LT(std::max(first, second) - std::min(first, second), (first + second) / 20)
      << first << " and " << second << " messages";

  // Every path on request, up to its own bound, in the order of the picks.
  ExploreOptions every;
  every.all = true;
  every.max_paths = 30;
  const Exploration all = explore_story(st, every);
  EXPECT_EQ(all.paths.size(), 30u);
  EXPECT_TRUE(all.paths_cut);
  EXPECT_EQ(describe_paths(all),
            "30 of 1.27e+30 paths, " + std::to_string(all.states()) + " states explored");
  std::set<std::vector<std::pair<int, int>>> distinct;
  for (const StoryPath& p : all.paths) distinct.insert(p.picks);
  EXPECT_EQ(distinct.size(), 30u);
}

TEST(LongStory, PathsWritesTheCoveringSetAndAllOfThemOnRequest) {
  test::TempDir dir;
  DiskFiles disk;
  write_long_story(disk, dir / "long", {2879, 100});
  const std::string tool = test::build_dir() + "/velmora-data ";
  std::string out;
  ASSERT_EQ(test::run_command(tool + "paths " + (dir / "long") + " " + (dir / "p"), out), 0) << out;
  EXPECT_NE(out.find("2 of 1.27e+30 paths, covering every row, pick and end"), std::string::npos)
      << out;
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir / "p"))
    files.push_back(e.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"path-001.txt", "path-002.txt", "paths.tsv"}));
  const std::string tsv = test::read_bytes(dir / "p/paths.tsv");
  EXPECT_NE(tsv.find("\tending (hap 1)\t"), std::string::npos);
  EXPECT_NE(tsv.find("\tending (hap 0)\t"), std::string::npos);

  ASSERT_EQ(test::run_command(
                tool + "paths --all --max-paths 12 " + (dir / "long") + " " + (dir / "q"), out),
            0)
      << out;
  EXPECT_NE(out.find("warning: more than 12 paths; only the first 12 are listed"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("12 of 1.27e+30 paths, "), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists(dir / "q/path-012.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / "q/path-013.txt"));
  EXPECT_EQ(
      test::run_command(tool + "paths --max-paths x " + (dir / "long") + " " + (dir / "r"), out),
      2);
  EXPECT_NE(out.find("--max-paths takes a number of paths, not \"x\""), std::string::npos) << out;
}

// The velmora-play processes whose command line names this folder.
int plays_naming(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(e.path() / "cmdline", std::ios::binary);
    std::string cmd((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (cmd.find("velmora-play") != std::string::npos && cmd.find(folder) != std::string::npos) ++n;
  }
  return n;
}

// A verify told to stop stops the plays it started and leaves no scratch
// folder behind, whichever signal it was.
TEST(LongStory, VerifyStoppedBySignalStopsItsPlaysAndRemovesItsScratchFolder) {
  test::TempDir dir;
  DiskFiles disk;
  write_long_story(disk, dir / "long", {2879, 100});
  for (const int sig : {SIGTERM, SIGINT}) {
    const std::string tmp = dir / ("tmp-" + std::to_string(sig));
    std::filesystem::create_directories(tmp);
    const std::string tool = test::build_dir() + "/velmora-data";
    const std::string data = dir / "long";
    const pid_t pid = fork();
    if (pid == 0) {
      setenv("TMPDIR", tmp.c_str(), 1);
      if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
      execl(tool.c_str(), tool.c_str(), "verify", data.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Until the first play runs (a bound only so that a broken verify does
    // not hang the tests).
    for (int i = 0; i < 6000 && plays_naming(tmp) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GT(plays_naming(tmp), 0);
    kill(pid, sig);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    EXPECT_EQ(plays_naming(tmp), 0);
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
  }
}

// A story of 100,000 rows and 5,000 choices loads, passes the check, and
// two paths of the map cover it, the longer one not cut by the step bound.
TEST(LongStory, AHundredThousandRowsLoadCheckAndAreCovered) {
  test::TempDir dir;
  DiskFiles disk;
  write_long_story(disk, dir / "long", {100000, 5000});
  const std::vector<Finding> found = check_folder(disk, dir / "long");
  for (const Finding& f : found) ADD_FAILURE() << f.line;
  std::ostringstream out;
  Story st;
  const Exploration ex = write_paths(disk, dir / "long", dir / "p", out, &st);
  EXPECT_EQ(st.tables.Script_Table.size(), 100000u);
  EXPECT_EQ(st.tables.Scene_Count, 10000);
  EXPECT_EQ(st.tables.SCT.size(), 10000u);
  ASSERT_EQ(ex.paths.size(), 2u) << out.str();
  EXPECT_TRUE(ex.findings.empty()) << out.str();
  const Taken t = taken(st, ex);
  EXPECT_EQ(t.message_rows, message_rows(st.tables));
  EXPECT_EQ(t.ends, (std::set<std::string>{"ending (hap 0)", "ending (hap 1)"}));
  EXPECT_EQ(t.picks.size(), 10000u);
  const std::string tsv = test::read_bytes(dir / "p/paths.tsv");
  EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 3);
  EXPECT_EQ(tsv.find("stopped by the step bound"), std::string::npos);
}

}  // namespace
}  // namespace vm::datatool
