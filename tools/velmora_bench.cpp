// Timing of the message window's hot paths on the desktop platform: the
// translucent panel blend, presenting a frame, and one typed character.
// Prints one figure per line as "name value unit". Needs a display (run it
// under Xvfb on a machine without one).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/main_form.h"
#include "graphics/scene.h"
#include "graphics/surface.h"
#include "message/message.h"
#include "platform/desktop/desktop.h"

void bench_transitions(vm::Platform& pf, const char* suffix);
void bench_staff_roll(vm::Platform& pf, const std::string& demo);
void bench_paths(const std::string& demo_dir);
void bench_rows();
void bench_rollback(const std::string& demo);
void bench_game(const std::string& program, const std::string& data_dir);
void bench_rows_game_memory(const std::string& program, const std::string& demo_dir);
void bench_tune_change(const std::string& data_dir);

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the optimiser from dropping work whose result is never read.
void keep(void* p) {
  asm volatile("" : : "g"(p) : "memory");
}

// Seconds per call: the best of several batches, each long enough to time.
double per_call(const std::function<void()>& fn, int batch, int batches = 7) {
  fn();  // warm caches and lazy set-up
  double best = 1e30;
  for (int b = 0; b < batches; ++b) {
    const auto t0 = Clock::now();
    for (int i = 0; i < batch; ++i) fn();
    const double s = std::chrono::duration<double>(Clock::now() - t0).count() / batch;
    best = std::min(best, s);
  }
  return best;
}

vm::Surface filled(int w, int h, uint32_t rng_start) {
  vm::Surface s{"bench"};
  s.img.resize(w, h);
  uint32_t x = rng_start;
  for (auto& p : s.img.px) {
    x = x * 1664525u + 1013904223u;
    p = (x >> 8) & 0xFFFFFF;
  }
  return s;
}

// Blend of a w x h region against a memcpy of the same bytes.
double blend_ratio(int w, int h, int batch, double* blend_seconds) {
  vm::Surface dst = filled(w, h, 1), src = filled(w, h, 2);
  const double blend =
      per_call([&] { vm::blend_region(dst, 0, 0, w, h, src, 0, 0, 0.8f, 0); }, batch);
  std::vector<uint32_t> a(static_cast<size_t>(w) * h, 1), b(a.size(), 2);
  const double copy = per_call(
      [&] {
        std::memcpy(b.data(), a.data(), a.size() * sizeof(uint32_t));
        keep(b.data());
      },
      batch * 20);
  if (blend_seconds) *blend_seconds = blend;
  return blend / copy;
}

// A data folder for the layout: the demo one beside the program when it is
// there, else an empty sheet in a scratch folder.
std::string data_folder() {
  const std::string beside = vm::program_dir() + "data/";
  if (std::filesystem::exists(beside + "61.dat")) return beside;
  const auto dir = std::filesystem::temp_directory_path() / "velmora_bench";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "61.dat").close();
  return dir.string() + "/";
}

}  // namespace

namespace {

// Full presents at 1x, 2x and 3x, and how they compare with the shortest
// step of a paced effect.
void bench_presents(vm::Platform& pf, vm::Game& g) {
  auto& main = g.screen.Pic_Main.img;
  // Every pixel changes between two presents, so the whole screen is sent.
  const double present = per_call(
      [&] {
        for (uint32_t& p : main.px) p ^= 0x00FFFFFF;
        g.story().refresh();
      },
      30);
  std::printf("present_640x480 %.3f ms\n", present * 1e3);

  // The same full present with the screen magnified: the shortest step of a
  // paced effect has to leave room for drawing besides the present.
  int shortest_budget = 1 << 30;
  for (const char* code : {"DI", "VB", "HB", "HC", "BC", "IC", "DK", "MS"}) {
    const vm::TransitionInfo t = vm::transition_info(code);
    if (t.budget_ms > 0) shortest_budget = std::min(shortest_budget, t.budget_ms);
  }
  for (int scale : {2, 3}) {
    pf.window.set_view(scale, false);
    const auto resized = Clock::now();
    while (Clock::now() - resized < std::chrono::milliseconds(300)) {
      pf.window.do_events();
      pf.clock.sleep(10);
    }
    const double scaled = per_call(
        [&] {
          for (uint32_t& p : main.px) p ^= 0x00FFFFFF;
          g.story().refresh();
        },
        30);
    std::printf("present_640x480_at_%dx %.3f ms\n", scale, scaled * 1e3);
    std::printf("present_at_%dx_vs_shortest_budget %.4f ratio\n", scale,
                scaled * 1e3 / shortest_budget);
    std::fflush(stdout);
  }
}

}  // namespace

constexpr const char* kUsage =
    "usage: velmora-bench [rollback | game | rows]\n"
    "Prints one figure per line as \"name value unit\".\n"
    "  (none)    every figure: the game's start-up and memory, the tune change, the story map,\n"
    "            the panel blend, presenting, typing, transitions, the staff roll, rollback,\n"
    "            the 100,000-row story\n"
    "  rollback  only the rollback figures (no display needed)\n"
    "  game      only the real game's start-up, memory and tune change\n"
    "  rows      only a generated 100,000-row story's load, check, paths and verify (no\n"
    "            display needed)\n"
    "Every figure but rollback's needs a display: run it under xvfb-run on a machine without "
    "one.\n";

bool has_display() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

int bench_main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--help" || mode == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc > 2 || (!mode.empty() && mode != "rollback" && mode != "game" && mode != "rows")) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // `velmora-bench rollback`: only the rollback figures, which need no window.
  if (mode == "rollback") {
    bench_rollback(vm::program_dir() + "data/");
    return 0;
  }
  // `velmora-bench rows`: only the long story's figures, which need no window.
  if (mode == "rows") {
    bench_rows();
    return 0;
  }
  if (!has_display()) {
    std::fputs(
        "velmora-bench: no display (DISPLAY is not set): run it under xvfb-run, or run "
        "\"velmora-bench rollback\" for the figures that need none\n",
        stderr);
    return 1;
  }
  // `velmora-bench game`: only the real game's memory and start-up figures
  // and the tune change (a display needed, no sound card).
  const bool game_only = mode == "game";
  if (game_only || argc == 1) {
    bench_game(vm::program_dir() + "velmora", vm::program_dir() + "data/");
    bench_tune_change(vm::program_dir() + "data/");
    bench_rows_game_memory(vm::program_dir() + "velmora", vm::program_dir() + "data/");
    if (game_only) return 0;
  }
  bench_paths(data_folder());
  double blend_420 = 0;
  const double ratio_420 = blend_ratio(420, 96, 200, &blend_420);
  const double ratio_640 = blend_ratio(640, 480, 40, nullptr);
  std::printf("blend_420x96 %.1f us\n", blend_420 * 1e6);
  std::printf("blend_420x96_vs_memcpy %.2f ratio\n", ratio_420);
  std::printf("blend_640x480_vs_memcpy %.2f ratio\n", ratio_640);
  std::fflush(stdout);

  vm::Desktop desktop(&argc, &argv);
  vm::Platform& pf = desktop.platform();
  vm::Game g(pf);
  g.assets.Data_Dir = data_folder();
  g.menu.build();
  g.menu.enter(vm::MenuPhase::Story);
  vm::layout_screen(g);
  auto& main = g.screen.Pic_Main.img;
  for (int y = 0; y < main.h; ++y)
    for (int x = 0; x < main.w; ++x)
      main.at(x, y) = vm::rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 90);
  vm::build_window_frame(g.message_window());
  g.screen.Waku[0].visible = true;
  pf.window.show();
  // Let the window map before timing presents.
  const auto shown = Clock::now();
  while (Clock::now() - shown < std::chrono::milliseconds(300)) {
    pf.window.do_events();
    pf.clock.sleep(10);
  }

  bench_presents(pf, g);
  pf.window.set_view(1, false);

  // One typing step: shadow and character into the window, then the frame.
  static const char* const kChars[] = {"あ", "漢", "ｶ", "、", "▼", "字"};
  int i = 0;
  const double step = per_call(
      [&] {
        vm::draw_cell(g.message_window(), i % 23, kChars[i % 6], 0x953C8C);
        g.story().refresh();
        ++i;
      },
      30);
  std::printf("typing_step_vs_budget %.3f ratio\n", step / 0.010);
  bench_transitions(pf, "");
  bench_staff_roll(pf, vm::program_dir() + "data/");
  bench_rollback(vm::program_dir() + "data/");
  // The paced effects keep their pace on a magnified screen too.
  pf.window.set_view(3, false);
  bench_transitions(pf, "_at_3x");
  bench_rows();
  return 0;
}

int main(int argc, char** argv) {
  try {
    return bench_main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora-bench: %s\n", e.what());
    return 1;
  }
}
