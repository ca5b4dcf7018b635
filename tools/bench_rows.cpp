// Timing of a long story: a generated folder of 100,000 rows and 5,000
// two-way choices, read into its tables, checked, mapped and verified.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "assets/data_folder.h"
#include "authoring/check.h"
#include "authoring/story_paths.h"
#include "bench_clock.h"
#include "data/long_story.h"
#include "platform/common/disk_files.h"
#include "script/tables.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder that goes with the benchmark.
struct Scratch {
  std::string dir;
  Scratch() {
    std::string tmpl = (fs::temp_directory_path() / "velmora-bench-rows-XXXXXX").string();
    if (mkdtemp(tmpl.data())) dir = tmpl + "/";
  }
  ~Scratch() {
    std::error_code ec;
    if (!dir.empty()) fs::remove_all(dir, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
};

}  // namespace

void bench_rows_memory(const std::string& program, const std::string& demo_dir,
                       const std::string& long_dir);

namespace {

// The benchmark's long story.
constexpr vm::datatool::LongStoryShape kRowsShape{100000, 5000};

}  // namespace

// The real game's memory at its title on the long story, written for the run
// into a scratch folder.
void bench_rows_game_memory(const std::string& program, const std::string& demo_dir) {
  const Scratch scratch;
  if (scratch.dir.empty()) return;
  try {
    vm::DiskFiles disk;
    vm::datatool::write_long_story(disk, scratch.dir + "data", kRowsShape);
    bench_rows_memory(program, demo_dir, scratch.dir + "data/");
  } catch (const std::exception& e) {
    std::printf("rows_100k: %s\n", e.what());
  }
}

void bench_rows() {
  using namespace vm::datatool;
  using vm::bench::best_ms;
  const Scratch scratch;
  if (scratch.dir.empty()) {
    std::printf("rows_100k: no scratch folder\n");
    return;
  }
  try {
    vm::DiskFiles disk;
    const std::string data = scratch.dir + "data";
    write_long_story(disk, data, kRowsShape);
    const vm::DataFolder folder(disk, data);
    const std::string script = folder.read_script();
    const std::string choices = folder.read_choices();
    vm::ScriptTables tables;
    const double load = best_ms([&] { vm::load_tables(tables, script, choices); }, 3);
    std::printf("rows_100k_rows %zu count\n", tables.Script_Table.size());
    std::printf("rows_100k_choice_rows %zu count\n", tables.SCT.size());
    std::printf("rows_100k_load_ms %.1f ms\n", load);
    size_t found = 0;
    const double check = best_ms([&] { found = check_folder(disk, data).size(); }, 3);
    std::printf("rows_100k_check_ms %.1f ms\n", check);
    std::printf("rows_100k_check_findings %zu count\n", found);
    std::ostringstream sink;
    const double paths = best_ms([&] { write_paths(disk, data, scratch.dir + "paths", sink); }, 1);
    std::printf("rows_100k_paths_ms %.1f ms\n", paths);
    std::fflush(stdout);
    // The plays run in processes of their own: wall-clock time.
    std::ostringstream out, err;
    const auto t0 = std::chrono::steady_clock::now();
    const int status = verify_folder(data, out, err);
    const double verify =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("rows_100k_verify_ms %.0f ms\n", verify);
    std::printf("rows_100k_verify_status %d code\n", status);
    if (status != 0) std::fprintf(stderr, "%s%s", out.str().c_str(), err.str().c_str());
  } catch (const std::exception& e) {
    std::printf("rows_100k: %s\n", e.what());
  }
  std::fflush(stdout);
}
