// Rollback figures for velmora-bench: the demo played on the headless
// platform to the last message of its first branch, then every message
// stepped back to and forward again; the time of one step (real time: the
// rebuild's work, with no waits in it) and the memory the journals hold,
// scaled to 200 messages.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/main_form.h"
#include "platform/errors.h"
#include "platform/headless/headless.h"

namespace {

// The processor time the game's thread spent, which a busy machine does not
// stretch as it does the real time.
double thread_cpu_ms() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

void bench_rollback(const std::string& demo) {
  if (!std::filesystem::exists(demo + "51.dat")) {
    std::printf("rollback skipped (no demo folder at %s)\n", demo.c_str());
    return;
  }
  const auto copy = std::filesystem::temp_directory_path() / "velmora_bench_rollback";
  std::filesystem::remove_all(copy);
  std::filesystem::copy(demo, copy, std::filesystem::copy_options::recursive);
  vm::Headless hl;
  vm::Game g(hl.platform());
  vm::MainFormEvents form(g);
  hl.platform().window.set_sink(&form);
  std::vector<double> times, cpu;
  size_t messages = 0, bytes = 0, kept = 0;
  hl.click(5500, 300, 255);
  bool held = false;
  // A click every 1500 ms until the message before the first choice; there
  // every message is gone back to and forward again, and the game closes.
  std::function<void()> tick = [&] {
    if (held) return;
    hl.click(hl.now(), 240, 401);
    hl.at(hl.now() + 1500, tick);
  };
  hl.at(7000, tick);
  hl.log().echo = [&](const vm::LoggedEvent& e) {
    if (held || e.event.kind != vm::LogKind::Text || e.event.text != "さて、どうしようか。") return;
    held = true;
    hl.at(hl.now() + 1000, [&] {
      messages = g.rollback.checkpoints.size();
      bytes = vm::rollback_bytes(g.rollback);
      for (int dir = 0; dir < 2; ++dir)
        while (dir == 0 ? vm::rollback_room(g.rollback) > 0 : g.rollback.depth > 0) {
          const auto t0 = std::chrono::steady_clock::now();
          const double c0 = thread_cpu_ms();
          if (!(dir == 0 ? vm::roll_back(g.rollback_view(), 1)
                         : vm::roll_forward(g.rollback_view())))
            return;
          const double ms =
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                  .count();
          times.push_back(ms);
          cpu.push_back(thread_cpu_ms() - c0);
        }
      kept = g.quiet.kept_picture_bytes();
      hl.close(hl.now() + 100);
    });
  };
  try {
    vm::form_load(g, copy.string() + "/");
    for (;;) hl.platform().window.wait_events();
  } catch (const vm::GameThrow&) {
    // The run's close, the idle game or a failure: the times so far tell.
  }
  hl.platform().window.set_sink(nullptr);
  std::filesystem::remove_all(copy);
  if (times.empty() || messages == 0) {
    std::printf("rollback skipped (the demo's first choice was not reached)\n");
    return;
  }
  std::sort(times.begin(), times.end());
  double total = 0;
  for (const double t : times) total += t;
  std::printf("rollback_step_mean %.2f ms\n", total / static_cast<double>(times.size()));
  std::printf("rollback_step_median %.2f ms\n", times[times.size() / 2]);
  std::printf("rollback_step_worst %.2f ms\n", times.back());
  std::sort(cpu.begin(), cpu.end());
  std::printf("rollback_step_cpu_median %.2f ms\n", cpu[cpu.size() / 2]);
  std::printf("rollback_step_cpu_worst %.2f ms\n", cpu.back());
  std::printf("rollback_step_vs_frame %.2f ratio\n", times.back() / 16.0);
  std::printf("rollback_memory_%zu_messages %.1f KB\n", messages, bytes / 1024.0);
  std::printf("rollback_memory_per_200_messages %.1f KB\n",
              static_cast<double>(bytes) / static_cast<double>(messages) * 200 / 1024.0);
  // The decoded pictures kept for the next step back, a bounded few.
  std::printf("rollback_pictures_kept %.1f KB\n", static_cast<double>(kept) / 1024.0);
}
