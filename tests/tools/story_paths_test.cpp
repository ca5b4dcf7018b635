// The story map: paths predicted with the interpreter's rules, the findings
// an author gets, and the prediction checked against real plays of the game.
#include "authoring/story_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/text_helpers.h"
#include "authoring/layout.h"
#include "data/data_tool.h"
#include "data/scenario.h"
#include "platform/common/disk_files.h"
#include "script/commands.h"
#include "test_support.h"

namespace vm::datatool {
namespace {

using test::read_bytes;
using test::write_bytes;

using test::Row;

std::string script_text(const std::vector<Row>& rows) {
  return "num,cmd,jump,place,doll,face,spare,speaker,text,value,spare,subst,note\r\n" +
         test::script_rows(rows);
}

std::string choice_text(const std::vector<std::array<std::string, 3>>& rows) {
  std::string s;
  for (const auto& r : rows) s += r[0] + "," + r[1] + "," + r[2] + "\r\n";
  return s;
}

Story story_of(const std::vector<Row>& rows, const std::vector<std::array<std::string, 3>>& sct) {
  Story st;
  load_tables(st.tables, utf8_to_cp932(script_text(rows)), utf8_to_cp932(choice_text(sct)));
  st.names = {"", "春野", "ひより", "ソラノ", "ミツ", "ヴェルモラ"};
  return st;
}

// What each complete path showed and how it ended, as "end | messages".
std::vector<std::string> outcomes(const Story& st, const Exploration& ex) {
  std::vector<std::string> out;
  for (const StoryPath& p : ex.paths) {
    const PathSummary s = summarize(st, ex, p);
    std::string line = describe_end(s.end, s.hap, s.error) + " |";
    for (const std::string& m : s.messages) line += " " + m.substr(m.find(' ') + 1);
    out.push_back(line);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool has_finding(const Exploration& ex, const std::string& start, const std::string& part) {
  for (const MapFinding& f : ex.findings)
    if (f.text.rfind(start, 0) == 0 && f.text.find(part) != std::string::npos) return true;
  return false;
}

// A small story with most of what a path can meet: counters set by choices
// and tested later (one of them negative), a pick that leads back to its own
// menu, a choice whose target NUM is not in the script (the game then takes
// the raw number as a row), a background change and two endings.
const std::vector<Row> kStory = {
    /* 0 */ {"0010", "", "", "", "", "", "", "はじめ"},
    /* 1 */ {"0020", "s", "", "", "", "", "", "3"},
    /* 2 */ {"0030", "p2", "", "", "", "", "", "kou", "-2"},
    /* 3 */ {"0030", "", "", "", "", "", "1", "みぎ"},
    /* 4 */ {"0030", "g0", "0050"},
    /* 5 */ {"0040", "p2", "", "", "", "", "", "kou", "1"},
    /* 6 */ {"0040", "", "", "", "", "", "2", "ひだり"},
    /* 7 */ {"0050", "", "", "", "", "", "", "あわせ"},
    /* 8 */ {"0050", "i1", "0070", "", "", "", "", "kou", "-2"},
    /* 9 */ {"0060", "", "", "", "", "", "", "ふつう"},
    /* 10 */ {"0060", "e"},
    /* 11 */ {"0070", "", "", "3", "", "", "", "DI"},
    /* 12 */ {"0070", "p2", "", "", "", "", "", "hap", "1"},
    /* 13 */ {"0070", "", "", "", "", "", "3", "&2の番", "", "1"},
    /* 14 */ {"0070", "s", "", "", "", "", "", "2"},
    /* 15 */ {"0080", "", "", "", "", "", "", "おわり"},
    /* 16 */ {"0080", "e"},
    /* 17 */ {"0080", "", "", "", "", "", "", "よりみち"},
    /* 18 */ {"0080", "g0", "0080"},
    /* 19 */ {"9999", "", "", "", "", "", "", "END"},
};
const std::vector<std::array<std::string, 3>> kChoices = {
    {"0020", "みぎへ", "0030"}, {"0020", "ひだりへ", "0040"}, {"0020", "もういちど", "0010"},
    {"0070", "寄り道", "0017"},  // no NUM 0017: the game goes to row 17, inside 0080
    {"0070", "おわる", "0080"},
};

TEST(StoryPaths, CountersChoicesAndRawTargetsFollowTheInterpreterIntoInputFilesAndTheGraph) {
  const Story st = story_of(kStory, kChoices);
  const Exploration ex = explore_story(st);
  // kou -2 passes the i1 test; kou 1 does not. The raw target 0017 lands on
  // row 17; "もういちど" goes round to the same menu in the same state, so
  // no complete path takes it.
  EXPECT_EQ(outcomes(st, ex), (std::vector<std::string>{
                                  "ending (hap 0) | はじめ ひだり あわせ ふつう",
                                  "ending (hap 1) | はじめ みぎ あわせ ひよりの番 おわり",
                                  "ending (hap 1) | はじめ みぎ あわせ ひよりの番 よりみち おわり",
                              }));
  EXPECT_TRUE(ex.choice_loops);
  EXPECT_TRUE(ex.findings.empty()) << ex.findings.front().text;
  // The input file of each path starts at the title and clicks every
  // message and choice of it, then the end button.
  for (size_t i = 0; i < ex.paths.size(); ++i) {
    const PathSummary s = summarize(st, ex, ex.paths[i]);
    if (s.hap == 1) EXPECT_EQ(s.places, std::vector<int>{3});
    EXPECT_EQ(s.messages.front(), "0 はじめ");
    const std::string in = path_input(st, ex, ex.paths[i], i + 1);
    auto clicks = [&](ClickPoint p) {
      const std::string line = "click " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n";
      size_t n = 0;
      for (size_t at = in.find(line); at != std::string::npos; at = in.find(line, at + 1)) ++n;
      return n;
    };
    EXPECT_LT(in.find("click " + std::to_string(title_start_point().x)),
              in.find("click " + std::to_string(message_point().x)));
    EXPECT_EQ(clicks(message_point()), s.messages.size());
    EXPECT_EQ(clicks(choice_point(0)) + clicks(choice_point(1)) + clicks(choice_point(2)),
              s.picks.size());
    EXPECT_EQ(clicks(end_button_point()), 1u);
  }
  // The graph: scenes, the edges with their marks, the legend.
  const std::string dot = story_dot(st, ex);
  EXPECT_NE(dot.find("label=\"kou = -2\""), std::string::npos);
  EXPECT_NE(dot.find("label=\"寄り道 (no NUM 0017: row 17)\""), std::string::npos);  // a raw target
  EXPECT_NE(dot.find("label=\"もういちど\""), std::string::npos);
  EXPECT_NE(dot.find("ending (hap 1)"), std::string::npos);
  EXPECT_NE(dot.find("ending (hap 0)"), std::string::npos);
  EXPECT_NE(dot.find("cluster_legend"), std::string::npos);
}

TEST(StoryPaths, SameStateIsExploredOnceAndCountersKeepPathsApart) {
  // Two menus of two picks, "kou +1" or "pap +1"; kou 2 and pap 2 end the
  // story, kou 1 pap 1 (reached by two orders of picks) leads to a third
  // menu, which is explored once for both.
  std::vector<Row> rows = {
      {"0010", "s", "", "", "", "", "", "2"},
      {"0020", "p2", "", "", "", "", "", "kou", "1"},
      {"0020", "g0", "0040"},
      {"0030", "p2", "", "", "", "", "", "pap", "1"},
      {"0040", "s", "", "", "", "", "", "2"},
      {"0050", "p2", "", "", "", "", "", "kou", "1"},
      {"0050", "g0", "0070"},
      {"0060", "p2", "", "", "", "", "", "pap", "1"},
      {"0070", "i1", "0090", "", "", "", "", "kou", "2"},
      {"0070", "i1", "0100", "", "", "", "", "pap", "2"},
      {"0080", "", "", "", "", "", "", "half"},
      {"0080", "s", "", "", "", "", "", "2"},
      {"0090", "", "", "", "", "", "", "kou two"},
      {"0090", "e"},
      {"0100", "", "", "", "", "", "", "pap two"},
      {"0100", "e"},
      {"0110", "", "", "", "", "", "", "left"},
      {"0110", "q"},
      {"0120", "", "", "", "", "", "", "right"},
      {"0120", "q"},
      {"9999"},
  };
  const Story st = story_of(rows, {{"0010", "a", "0020"},
                                   {"0010", "b", "0030"},
                                   {"0040", "c", "0050"},
                                   {"0040", "d", "0060"},
                                   {"0080", "e", "0110"},
                                   {"0080", "f", "0120"}});
  ExploreOptions every;
  every.all = true;
  const Exploration ex = explore_story(st, every);
  EXPECT_EQ(outcomes(st, ex),
            (std::vector<std::string>{"ending (hap 0) | kou two", "ending (hap 0) | pap two",
                                      "quit | half left", "quit | half left", "quit | half right",
                                      "quit | half right"}));
  EXPECT_EQ(ex.path_count, 6);
  // Menus: the first, the second with kou 1 and with pap 1, and the third
  // once, with kou 1 pap 1.
  EXPECT_EQ(ex.nodes.size(), 4u);
  const auto& p = ex.paths;
  int shared = 0;
  for (size_t a = 0; a < p.size(); ++a)
    for (size_t b = a + 1; b < p.size(); ++b)
      if (p[a].segments.back() == p[b].segments.back()) ++shared;
  EXPECT_EQ(shared, 2);

  // The covering set takes each of the six picks and reaches each of the
  // four ends: the third menu's two picks need only one way to it.
  const Exploration cover = explore_story(st);
  EXPECT_EQ(outcomes(st, cover),
            (std::vector<std::string>{"ending (hap 0) | kou two", "ending (hap 0) | pap two",
                                      "quit | half left", "quit | half right"}));
  std::set<std::string> picks;
  for (const StoryPath& path : cover.paths)
    for (const std::string& pick : summarize(st, cover, path).picks) picks.insert(pick);
  EXPECT_EQ(picks, (std::set<std::string>{"a", "b", "c", "d", "e", "f"}));
  EXPECT_EQ(describe_paths(cover), "4 of 6 paths, covering every row, pick and end, " +
                                       std::to_string(cover.states()) + " states explored");
}

TEST(StoryPaths, LoopsWithoutAWayOutAreFound) {
  // A jump back with a message: the player clicks for ever.
  {
    const Story st =
        story_of({{"0010", "", "", "", "", "", "", "again"}, {"0010", "g0", "0010"}, {"9999"}}, {});
    const Exploration ex = explore_story(st);
    ASSERT_EQ(ex.paths.size(), 1u);
    EXPECT_EQ(ex.paths[0].end, PathEnd::Stuck);
    EXPECT_TRUE(has_finding(ex, "51.dat:3: error:", "loops for ever")) << ex.findings.size();
  }
  // A menu whose every pick comes back to it.
  {
    const Story st = story_of({{"0010", "", "", "", "", "", "", "where?"},
                               {"0020", "s", "", "", "", "", "", "2"},
                               {"0030", "g0", "0010"},
                               {"9999"}},
                              {{"0020", "left", "0010"}, {"0020", "right", "0030"}});
    const Exploration ex = explore_story(st);
    EXPECT_TRUE(ex.paths.empty());
    EXPECT_TRUE(has_finding(ex, "51.dat:3: error:", "no choice of this menu (NUM 0020)"));
  }
  // A loop that counts up and leaves when the counter is high enough is no
  // finding; one that counts for ever is stopped by the step bound.
  {
    std::vector<Row> rows = {{"0010", "p2", "", "", "", "", "", "rub", "1"},
                             {"0010", "i1", "0030", "", "", "", "", "rub", "50"},
                             {"0020", "g0", "0010"},
                             {"0030", "", "", "", "", "", "", "out"},
                             {"0030", "e"},
                             {"9999"}};
    Exploration ex = explore_story(story_of(rows, {}));
    EXPECT_TRUE(ex.findings.empty());
    rows[1].value = "-50";
    ex = explore_story(story_of(rows, {}), {1000, 100});
    ASSERT_EQ(ex.paths.size(), 1u);
    EXPECT_EQ(ex.paths[0].end, PathEnd::Runaway);
    EXPECT_TRUE(has_finding(ex, "51.dat:", "error: a path runs more than 1000 rows"));
  }
}

TEST(StoryPaths, UnreachedRowsUnofferedChoicesOddEndingsAndErrorsAreReported) {
  const Story st = story_of({{"0010", "", "", "", "", "", "", "start"},
                             {"0010", "p2", "", "", "", "", "", "hap", "2"},
                             {"0010", "g0", "0030"},
                             {"0020", "", "", "", "", "", "", "never"},
                             {"0020", "s", "", "", "", "", "", "1"},
                             {"0030", "e"},
                             {"0040", "g0", "0050"},
                             {"9999"}},
                            {{"0020", "unseen", "0030"}});
  const Exploration ex = explore_story(st);
  EXPECT_TRUE(has_finding(ex, "51.dat:5: warning:", "rows 3..4 (NUM 0020) are reached by no path"));
  EXPECT_TRUE(has_finding(ex, "51.dat:8: warning:", "row 6 (NUM 0040) is reached by no path"));
  EXPECT_TRUE(has_finding(ex, "52.dat:1: warning:", "\"unseen\" (key 0020) is offered on no path"));
  EXPECT_TRUE(has_finding(ex, "51.dat:7: warning:", "ending is reached with hap 2"));

  // A jump to a NUM that is not there stops the game with its message.
  const Story broken = story_of({{"0010", "g0", "0077"}, {"9999"}}, {});
  const Exploration bx = explore_story(broken);
  ASSERT_EQ(bx.paths.size(), 1u);
  EXPECT_EQ(bx.paths[0].end, PathEnd::Error);
  EXPECT_TRUE(has_finding(bx, "51.dat:2: error: field 3 (jump): NUM 0077 is not in the script",
                          "the game shows \"Not found NUM to SEQ\" and ends"));
}

TEST(StoryPaths, CommandsWriteTheGraphInputFilesAndTable) {
  test::TempDir dir;
  const std::string tool = test::build_dir() + "/velmora-data ";
  const std::string data = test::build_dir() + "/data ";
  std::string out;
  ASSERT_EQ(test::run_command(tool + "graph " + data + (dir / "story"), out), 0) << out;
  const std::string svg = read_bytes(dir / "story.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("ミツと海へ行く"), std::string::npos);
  EXPECT_NE(read_bytes(dir / "story.dot").find("digraph story"), std::string::npos);

  ASSERT_EQ(test::run_command(tool + "paths --all " + data + (dir / "p"), out), 0) << out;
  EXPECT_NE(out.find("6 of 6 paths, "), std::string::npos) << out;
  const std::string tsv = read_bytes(dir / "p/paths.tsv");
  EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 7);
  EXPECT_NE(tsv.find("path-004\tひとりで丘へ登る / 町を案内する / 花火を見上げる\t0990\t"),
            std::string::npos)
      << tsv;
  EXPECT_NE(tsv.find("ending (hap 1)"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "p/path-006.txt"));

  // A tight step bound stops the one path before its first choice, before
  // any ending: a path the map cannot see end well fails.
  ASSERT_EQ(test::run_command(tool + "paths " + data + (dir / "q") + " --max-rows 5", out), 1)
      << out;
  EXPECT_NE(out.find("51.dat:7: error: a path runs more than 5 rows"), std::string::npos) << out;
  EXPECT_NE(read_bytes(dir / "q/paths.tsv").find("stopped by the step bound"), std::string::npos);

  // A script the game cannot load is named by row and field.
  std::filesystem::copy(test::build_dir() + "/data", dir / "bad");
  write_bytes(dir / "bad/51.dat",
              invert_bytes(utf8_to_cp932(script_text({{"0010"}, {"00x0"}, {"9999"}}))));
  EXPECT_EQ(test::run_command(tool + "paths " + (dir / "bad") + " " + (dir / "r"), out), 1);
  EXPECT_NE(out.find("51.dat line 3, field 1 (num)"), std::string::npos) << out;
}

// ------------------------------------------------ the map against plays ---

// A copy of the built demo whose script has its lines edited: the line that
// starts with each first is replaced by the second ("" drops it; several
// lines may stand in it, each ending in CR LF but the last).
std::string demo_with(const test::TempDir& dir, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& edits) {
  const std::string copy = dir / name;
  std::filesystem::copy(test::build_dir() + "/data", copy);
  std::string script = cp932_to_utf8(invert_bytes(read_bytes(copy + "/51.dat")));
  for (const auto& [start, lines] : edits) {
    const size_t at = script.find("\n" + start) + 1;
    EXPECT_NE(at, 0u) << start;
    script.replace(at, script.find('\n', at) + 1 - at, lines.empty() ? "" : lines + "\r\n");
  }
  write_bytes(copy + "/51.dat", invert_bytes(utf8_to_cp932(script)));
  return copy;
}

// The lines velmora-data printed for the paths ("path-001 ok: ...").
std::vector<std::string> path_lines(const std::string& out) {
  std::vector<std::string> lines;
  for (size_t at = out.find("path-"); at != std::string::npos; at = out.find("\npath-", at + 1)) {
    if (out[at] == '\n') ++at;
    lines.push_back(out.substr(at, out.find('\n', at) - at));
  }
  return lines;
}

// A story that breaks fails verify and paths however faithfully the game
// plays it, and each path says where and what the player meets there.
TEST(StoryPaths, VerifyAndPathsFailOnAStoryThatBreaks) {
  test::TempDir dir;
  const std::string tool = test::build_dir() + "/velmora-data ";
  std::string out;

  // The ending row gone: every path runs into the end marker.
  std::string data = demo_with(dir, "no-ending", {{"0990,e,", ""}});
  EXPECT_EQ(test::run_command(tool + "paths " + data + " " + (dir / "p1"), out), 1) << out;
  EXPECT_NE(out.find(": error: a path runs into the end marker after this row"), std::string::npos)
      << out;
  EXPECT_EQ(test::run_command(tool + "verify " + data, out), 1) << out;
  std::vector<std::string> lines = path_lines(out);
  ASSERT_EQ(lines.size(), 6u) << out;
  for (const std::string& l : lines) {
    EXPECT_NE(l.find(" BREAKS: 51.dat:"), std::string::npos) << l;
    EXPECT_NE(l.find("the story runs into the end marker after this row: the game stops on its "
                     "last picture without an ending"),
              std::string::npos)
        << l;
    EXPECT_NE(l.find("(played as predicted: "), std::string::npos) << l;
  }
  EXPECT_NE(out.find("6 of 6 paths played as predicted; 6 paths break\n"), std::string::npos)
      << out;

  // The beach scene's sprite row gone: the face after it ends the game on
  // the path that goes there, at the message the map stops at (the hill's
  // three paths play on to their endings).
  data = demo_with(dir, "no-sprite", {{"0100,,,,22,,,,R,", ""}});
  EXPECT_EQ(test::run_command(tool + "verify " + data, out), 1) << out;
  const std::string face =
      "field 6 (face): a face, and no sprite since the background changed: the game shows \"0 "
      "doll but face change?\" and ends (played as predicted: ";
  lines = path_lines(out);
  ASSERT_EQ(lines.size(), 4u) << out;
  int broken = 0;
  for (const std::string& l : lines) {
    if (l.find(" BREAKS: 51.dat:") == std::string::npos) {
      EXPECT_NE(l.find(" ok: "), std::string::npos) << l;
      continue;
    }
    ++broken;
    EXPECT_NE(l.find(face), std::string::npos) << l;
  }
  EXPECT_EQ(broken, 1) << out;
  EXPECT_NE(out.find("4 of 4 paths played as predicted; 1 path breaks\n"), std::string::npos);

  // A jump to a NUM the script does not have.
  data = demo_with(dir, "no-num", {{"0100,g0,0300,", "0100,g0,0333,,,,,,,,,,"}});
  EXPECT_EQ(test::run_command(tool + "paths " + data + " " + (dir / "p3"), out), 1) << out;
  EXPECT_NE(out.find(": error: field 3 (jump): NUM 0333 is not in the script: the game shows "
                     "\"Not found NUM to SEQ\" and ends"),
            std::string::npos)
      << out;
  EXPECT_EQ(test::run_command(tool + "verify " + data, out), 1) << out;
  EXPECT_NE(out.find("BREAKS: 51.dat:"), std::string::npos) << out;
  EXPECT_NE(out.find("4 of 4 paths played as predicted; 1 path breaks\n"), std::string::npos)
      << out;
}

// The message boxes of sprite, face and counter rows the game goes on after,
// predicted in order: a hide of a character on no slot, a new sprite with
// no position, a face the sheet does not hold, a p and an i of no sub-code
// the game knows, no character, a sprite and a background the game has no
// picture of (the sprites then stay). verify holds the game to them.
TEST(StoryPaths, TheMessageBoxesOfAPathAreThoseTheGameShows) {
  test::TempDir dir;
  const std::string data =
      demo_with(dir, "boxes",
                {{"0010,,,,11,,,,L,",
                  "0010,,,,11,,,,L,,,,\r\n0010,,,,30,,,,,,,,\r\n0010,,,,41,,,,X,,,,\r\n"
                  "0010,,,,11,,,,L,,,,\r\n0010,,,,,9,,1,九番の顔,,,,\r\n0010,p3,,,,,,,,,,,\r\n"
                  "0010,i5,,,,,,,,,,,\r\n0010,,,,90,,,,L,,,,\r\n0010,,,,13,,,,C,,,,\r\n"
                  "0010,,,20,,,,,DI,,,,"}});
  std::string out;
  EXPECT_EQ(test::run_command(test::build_dir() + "/velmora-data verify " + data, out), 1) << out;
  const std::vector<std::string> lines = path_lines(out);
  ASSERT_EQ(lines.size(), 6u) << out;
  for (const std::string& l : lines) {
    size_t at = 0;
    for (const char* box :
         {"Doll not hide.", "Doll disp position ignore.", "Face 9 of doll 11 is not in 60.dat.",
          "error(p?)", "error(i?)", "Doll 90 is no character.", "Doll 13 (13.dat) cannot be shown",
          "Background 20 (90.dat) cannot be shown"}) {
      at = l.find("the game shows \"" + std::string(box) + "\"", at);
      EXPECT_NE(at, std::string::npos) << box << " in " << l;
    }
    EXPECT_NE(l.find("(played as predicted: "), std::string::npos) << l;
  }
  // check names each row, the hide by what the paths meet.
  std::vector<std::string> found;
  DiskFiles disk;
  for (const Finding& f : check_folder(disk, data)) found.push_back(f.line);
  EXPECT_EQ(std::ranges::count_if(found,
                                  [](const std::string& f) {
                                    return f.find(
                                               ": error: field 5 (doll): character 3 stands in "
                                               "no slot to be hidden: the game shows \"Doll "
                                               "not hide.\"") != std::string::npos;
                                  }),
            1)
      << found.size();
  EXPECT_EQ(
      std::ranges::count_if(
          found, [](const std::string& f) { return f.find(": error: ") != std::string::npos; }),
      8);
}

// Every command of the table, played by the game and predicted by the map
// from the same rows: the messages shown and hidden, the jumps, the boxes,
// the quit.
TEST(StoryPaths, EveryCommandOfTheTablePlaysAsTheMapPredicts) {
  const std::vector<std::string> rows = {
      "0005,,,,,,,,ふつうの文,,,,", "0005,g1,,,,,,,g1の文,,,,",     "0005,g4,,,,,,,,,,,",
      "0005,go,,,,,,,goの文,,,,",   "0005,a0,,,,,,,,,,,",           "0005,p2,,,,,,,kou,0,,,",
      "0005,p8,,,,,,,題,,,,",       "0005,p3,,,,,,,p3の文,,,,",     "0005,i1,0006,,,,,,kou,5,,,",
      "0005,i4,,,,,,,,,,,",         "0005,r,,,,,,,消してから,,,,",  "0005,w,,,,,,,10,,,,",
      "0005,W,,,,,,,1500,,,,",      "0005,i1,0006,,,,,,kou,0,,,",   "0005,,,,,,,,とばされる,,,,",
      "0006,g0,0010,,,,,,,,,,",     "0006,,,,,,,,とばされる二,,,,",
  };
  // Every row of the table has its row here, or in the demo (s, e) and the
  // quit put in below.
  std::set<Command> covered = {Command::Choice, Command::Ending, Command::Quit};
  std::string scene;
  for (const std::string& r : rows) {
    covered.insert(command_info(r.substr(5, r.find(',', 5) - 5)).command);
    scene += r + "\r\n";
  }
  for (const CommandInfo& c : command_table())
    EXPECT_TRUE(covered.count(c.command)) << "no row plays \"" << c.letters << "\"";

  test::TempDir dir;
  const std::string data = demo_with(
      dir, "every",
      {{"0010,ab,", scene + "0010,ab,,,,,,,,,,,"}, {"0850,g0,0990,", "0850,q,,,,,,,,,,,"}});
  DiskFiles disk;
  const Story st = read_story(DataFolder(disk, data));
  const Exploration ex = explore_story(st);
  const PathSummary first = summarize(st, ex, ex.paths.front());
  EXPECT_EQ(std::vector<std::string>(first.messages.begin(), first.messages.begin() + 3),
            (std::vector<std::string>{"0 ふつうの文", "0 消してから", "0 1500"}));
  EXPECT_EQ(first.dialogs.front(), "error(p?)");
  std::string out;
  EXPECT_EQ(test::run_command(test::build_dir() + "/velmora-data verify " + data, out), 1) << out;
  const std::vector<std::string> lines = path_lines(out);
  ASSERT_EQ(lines.size(), 6u) << out;
  for (const std::string& l : lines) EXPECT_NE(l.find(" BREAKS: 51.dat:"), std::string::npos) << l;
  EXPECT_EQ(std::ranges::count_if(lines,
                                  [](const std::string& l) {
                                    return l.find("(played as predicted: ") != std::string::npos;
                                  }),
            6)
      << out;
  EXPECT_NE(out.find(", quit)"), std::string::npos) << out;
}

}  // namespace
}  // namespace vm::datatool
