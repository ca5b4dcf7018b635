// Timing of the story map: every path of the demo, and of a generated story
// of 3001 rows, 501 runs of one NUM and 201 choice rows.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/cp932.h"
#include "authoring/story_paths.h"
#include "bench_clock.h"
#include "platform/common/disk_files.h"
#include "script/tables.h"

namespace {

// A generated story: an opening, 67 chapters of a three-way menu whose picks
// raise, lower or keep kou and meet again, counter tests that lead to side
// scenes, and 29 endings chosen by kou at the close. Padded with messages to
// exactly 3001 rows, the bound the script once had.
struct Generated {
  std::string script, choices;
  int rows = 0, runs = 0, choice_rows = 0;
};

constexpr size_t kRows = 3001;

Generated generate_story() {
  struct Line {
    std::string cmd, jump, place, text, value;
  };
  std::vector<std::vector<Line>> runs;
  std::vector<bool> paddable;
  std::vector<std::array<std::string, 3>> sct;  // key, label, target
  auto num = [](size_t run) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04zu", 10 + 10 * run);
    return std::string(buf);
  };
  auto msg = [](const std::string& t) { return Line{"", "", "", t, ""}; };
  const int chapters = 67, first_end = -14, last_end = 14;
  const size_t chapter0 = 1;  // run 0 is the opening
  const size_t close = chapter0 + 7 * chapters;
  const size_t ending0 = close + 1;
  auto ending_run = [&](int k) { return ending0 + static_cast<size_t>(k - first_end); };

  runs.push_back({msg("夏が来た。"), msg("港町の朝。")});
  paddable.push_back(false);
  for (int c = 0; c < chapters; ++c) {
    const size_t a = chapter0 + 7 * static_cast<size_t>(c);
    const std::string next = num(c + 1 < chapters ? a + 7 : close);
    const std::string ch = std::to_string(c + 1);
    // A: the menu, on a background of its own.
    runs.push_back({{"", "", std::to_string(c % 16), "DI", ""},
                    msg("第" + ch + "章"),
                    {"s", "", "", "3", ""}});
    paddable.push_back(false);
    for (int i = 0; i < 3; ++i)
      sct.push_back({num(a), "道" + ch + "-" + std::to_string(i), num(a + 1 + i)});
    // B0, B1: kou up or down, then to C; B2 keeps kou and falls through.
    runs.push_back({msg("右の道。"),
                    {"p2", "", "", "kou", "1"},
                    msg("歩く。"),
                    {"g0", num(a + 4), "", "", ""}});
    runs.push_back({msg("左の道。"),
                    {"p2", "", "", "kou", "-1"},
                    msg("走る。"),
                    {"g0", num(a + 4), "", "", ""}});
    runs.push_back({msg("まっすぐ。"), msg("立ち止まる。")});
    // C: tests send some states to side scenes.
    runs.push_back({msg("合流。"),
                    {"i1", num(a + 5), "", "kou", std::to_string(c % 5)},
                    {"i1", num(a + 6), "", "kou", std::to_string(-(c % 3) - 1)},
                    msg("先へ。"),
                    {"g0", next, "", "", ""}});
    runs.push_back({msg("寄り道。"), {"g0", next, "", "", ""}});
    runs.push_back({{"w", "", "", "200", ""}, msg("休む。"), {"g0", next, "", "", ""}});
    for (int k = 0; k < 6; ++k) paddable.push_back(k < 4);
  }
  // The close: kou picks the ending; any other value takes the first.
  std::vector<Line> close_run = {msg("夏の終わり。")};
  for (int k = first_end; k <= last_end; ++k)
    close_run.push_back({"i1", num(ending_run(k)), "", "kou", std::to_string(k)});
  close_run.push_back({"g0", num(ending_run(first_end)), "", "", ""});
  runs.push_back(close_run);
  paddable.push_back(false);
  for (int k = first_end; k <= last_end; ++k) {
    runs.push_back({msg("おわり " + std::to_string(k)),
                    {"p2", "", "", "hap", k >= 10 ? "1" : "0"},
                    {"e", "", "", "", ""}});
    paddable.push_back(false);
  }

  size_t total = 1;  // the end marker
  for (const auto& r : runs) total += r.size();
  for (size_t i = 0; total < kRows; i = (i + 1) % runs.size()) {
    if (!paddable[i]) continue;
    runs[i].insert(runs[i].begin() + 1, msg("波の音がする。"));
    ++total;
  }

  Generated g;
  g.script = "num,cmd,jump,place,doll,face,spare,speaker,text,value,spare,subst,note\r\n";
  for (size_t r = 0; r < runs.size(); ++r)
    for (const Line& l : runs[r]) {
      g.script += num(r) + "," + l.cmd + "," + l.jump + "," + l.place + ",,,,," + l.text + "," +
                  l.value + ",,,\r\n";
      ++g.rows;
    }
  g.script += "9999,,,,,,,,END,,,,\r\n";
  ++g.rows;
  g.runs = static_cast<int>(runs.size()) + 1;
  for (const auto& c : sct) g.choices += c[0] + "," + c[1] + "," + c[2] + "\r\n";
  g.choice_rows = static_cast<int>(sct.size());
  g.script = vm::utf8_to_cp932(g.script);
  g.choices = vm::utf8_to_cp932(g.choices);
  return g;
}

}  // namespace

void bench_paths(const std::string& demo_dir) {
  using namespace vm::datatool;
  using vm::bench::best_ms;
  // Every path, as the figures have always been taken.
  ExploreOptions every;
  every.all = true;
  try {
    vm::DiskFiles disk;
    const Story demo = read_story(vm::DataFolder(disk, demo_dir));
    size_t paths = 0;
    const double ms = best_ms([&] {
      const Exploration ex = explore_story(demo, every);
      for (size_t i = 0; i < ex.paths.size(); ++i) path_input(demo, ex, ex.paths[i], i + 1);
      paths = ex.paths.size();
    });
    std::printf("paths_demo %.3f ms\n", ms);
    std::printf("paths_demo_paths %zu count\n", paths);
  } catch (const std::exception& e) {
    std::printf("paths_demo: %s\n", e.what());
  }

  const Generated g = generate_story();
  Story bounds;
  vm::load_tables(bounds.tables, g.script, g.choices);
  std::printf("paths_bounds_rows %d count\n", g.rows);
  std::printf("paths_bounds_runs %d count\n", g.runs);
  std::printf("paths_bounds_choice_rows %d count\n", g.choice_rows);
  Exploration ex;
  const double ms = best_ms([&] { ex = explore_story(bounds, every); }, 3);
  std::printf("paths_bounds %.1f ms\n", ms);
  std::printf("paths_bounds_states %zu count\n", ex.states());
  std::printf("paths_bounds_listed %zu count\n", ex.paths.size());
  std::printf("paths_bounds_paths %.3g count\n", ex.path_count);
  std::fflush(stdout);
}
