// The demo story played through on every choice path with the interpreter's
// rules for sprites, faces and counters, so that the data the game ships with
// never trips one of its own error messages.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "assets/cp932.h"
#include "assets/text_helpers.h"
#include "data/scenario.h"

namespace vm::datatool {
namespace {

struct Walk {
  const std::vector<ScenarioRow>& rows = demo_script();
  std::set<size_t> visited;
  std::set<int> places;
  std::set<int> endings;  // hap at "e"
  int paths = 0;
};

struct State {
  size_t pos = 0;
  std::array<int, 4> counters{};  // kou, pap, rub, hap
  std::array<std::array<int, 4>, 8> shown{};
  int doll = 0, pose = 0, place = -1;
};

int counter_index(const std::string& name) {
  const char* names[4] = {"kou", "pap", "rub", "hap"};
  for (int i = 0; i < 4; ++i)
    if (name.rfind(names[i], 0) == 0) return i;
  return -1;
}

size_t first_row_of(const std::vector<ScenarioRow>& rows, const std::string& num) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (num == rows[i].num) return i;
  ADD_FAILURE() << "no row with NUM " << num;
  return rows.size() - 1;
}

void play(Walk& w, State s) {
  const auto& rows = w.rows;
  while (s.pos != rows.size() - 1) {
    const ScenarioRow& r = rows[s.pos];
    const std::string where = std::string("row ") + std::to_string(s.pos) + " (NUM " + r.num + ")";
    w.visited.insert(s.pos);
    const std::string text = r.text, cmd = r.cmd, place = r.place, doll = r.doll;
    if (!place.empty() && std::stoi(place) != s.place) {
      s.place = std::stoi(place);
      w.places.insert(s.place);
      s.doll = 0;
      for (int c = 0; c < 7; ++c)
        for (int j = 0; j < 3; ++j) s.shown[c][j] = 0;
    }
    if (!doll.empty()) {
      s.doll = doll.front() - '0';
      s.pose = doll.back() - '0';
      auto& row = s.shown[s.doll - 1];
      if (s.pose != 0) {
        int j = 0;
        while (j < 3 && row[j] != s.pose) ++j;
        if (j == 3) {
          ASSERT_TRUE(text == "L" || text == "R" || text == "C") << where << ": position";
          j = text == "L" ? 0 : text == "R" ? 1 : 2;
        }
        row[j] = s.pose;
      } else {
        int j = 0;
        while (j < 3 && row[j] == 0) ++j;
        ASSERT_LT(j, 2) << where << ": hides a character that stands nowhere, or in C";
        row[j] = 0;
      }
    }
    if (r.face[0]) {
      ASSERT_GT(s.doll, 0) << where << ": face change without a sprite";
      ASSERT_NE(s.doll * 10 + s.pose, 42) << where;
      const auto& row = s.shown[s.doll - 1];
      ASSERT_TRUE(row[0] == s.pose || row[1] == s.pose || row[2] == s.pose)
          << where << ": face change for a pose not shown";
    }
    if (cmd == "g0") {
      s.pos = first_row_of(rows, r.jump);
      continue;
    }
    if (cmd == "i1") {
      if (s.counters[counter_index(text)] == std::stoi(r.value)) {
        s.pos = first_row_of(rows, r.jump);
        continue;
      }
    } else if (cmd == "p2") {
      s.counters[counter_index(text)] += std::stoi(r.value);
    } else if (cmd == "s") {
      int seen = 0;
      for (const ChoiceEntry& c : demo_choices()) {
        if (std::string(c.key) != r.num) continue;
        ++seen;
        State next = s;
        next.pos = first_row_of(rows, c.target);
        play(w, next);
      }
      EXPECT_EQ(seen, std::stoi(text)) << where;
      return;
    } else if (cmd == "e") {
      w.endings.insert(s.counters[3]);
      ++w.paths;
      EXPECT_TRUE(s.counters[3] == 0 || s.counters[3] == 1) << where << ": hap at the ending";
      return;
    } else {
      ASSERT_NE(cmd, "q") << where << ": the story must not quit";
    }
    ++s.pos;
  }
  ADD_FAILURE() << "a path ran into the end marker instead of the ending";
}

TEST(DemoStoryTest, EveryPathReachesAnEndingWithoutErrorsAndEveryRowIsPlayed) {
  Walk w;
  play(w, State{});
  EXPECT_EQ(w.paths, 6);
  EXPECT_EQ(w.endings, (std::set<int>{0, 1}));
  for (size_t i = 0; i + 1 < w.rows.size(); ++i) EXPECT_TRUE(w.visited.count(i)) << "row " << i;
  for (int gallery = 5; gallery <= 9; ++gallery) EXPECT_TRUE(w.places.count(gallery)) << gallery;
}

TEST(DemoStoryTest, UsesTheWholeCommandSet) {
  std::set<std::string> cmds, codes, speakers, counters, positions, waits;
  std::set<int> choice_sizes;
  size_t longest = 0;
  bool names = false, two_lines = false;
  for (const ScenarioRow& r : demo_script()) {
    const std::string cmd = r.cmd, text = r.text;
    cmds.insert(cmd);
    if (r.place[0]) codes.insert(text);
    if (r.doll[0] && r.doll[1] != '0') positions.insert(text);
    if (!cmd.empty()) {
      if (cmd == "s") choice_sizes.insert(std::stoi(text));
      if (cmd == "p2") counters.insert(text + (r.value[0] == '-' ? "-" : "+"));
      if (cmd == "w") waits.insert(text);
      continue;
    }
    if (r.place[0] || r.doll[0]) continue;
    speakers.insert(r.speaker);
    longest = std::max(longest, utf8_length(text));
    two_lines |= utf8_length(text) > 23 && utf8_length(text) <= 46;
    names |= std::string(r.subst) == "1" && text.find("&1&2") != std::string::npos;
  }
  for (const char* c : {"g0", "g1", "g4", "aa", "ab", "ac", "ad", "ae", "aJ", "aK", "a0", "a1", "s",
                        "p2", "p8", "i1", "w", "r", "e"})
    if (std::string(c) != "aa") EXPECT_TRUE(cmds.count(c)) << c;  // aa: start-up's title tune
  EXPECT_FALSE(cmds.count("q"));
  EXPECT_EQ(codes, (std::set<std::string>{"", "DI", "VB", "HB", "HC", "BC", "IC", "DK", "MS"}));
  EXPECT_EQ(speakers, (std::set<std::string>{"", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(positions, (std::set<std::string>{"L", "R", "C"}));
  EXPECT_EQ(choice_sizes, (std::set<int>{1, 2, 3}));
  for (const char* c : {"kou+", "pap+", "rub+", "hap+", "rub-", "hap-"})
    EXPECT_TRUE(counters.count(c)) << c;
  EXPECT_EQ(waits, (std::set<std::string>{"", "1500", "2000"}));
  EXPECT_GT(longest, 46u);
  EXPECT_LE(longest, 69u);  // three lines at most
  EXPECT_TRUE(two_lines);
  EXPECT_TRUE(names);
  EXPECT_EQ(std::string(demo_script()[demo_script().size() - 2].cmd), "e");
}

}  // namespace
}  // namespace vm::datatool
