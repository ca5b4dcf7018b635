// Transition figures for velmora-bench: each paced effect's whole duration
// against its minimum (steps x budget), and the cost of drawing and
// presenting one step against that step's budget. Runs on the platform it is
// given, so on the desktop the presents are real window paints.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/game.h"
#include "bench_clock.h"
#include "graphics/scene.h"

namespace {

using vm::bench::ms_since;

using Clock = std::chrono::steady_clock;

// The screen surfaces a transition touches, laid out as at start-up.
void prepare_screen(vm::Game& g) {
  vm::ScreenState& sc = g.screen;
  sc.layers.clear();
  sc.Pic_Main.place(0, 0, vm::kScreenW, vm::kScreenH);
  sc.Pic_Main.visible = true;
  sc.Pic_Back.place(0, 0, vm::kScreenW, vm::kScreenH);
  sc.Mesh2.place(0, 0, 32, 32);
  for (vm::Surface& d : sc.Doll_Disp) {
    d.visible = false;
    sc.layers.push_back(&d);
  }
  sc.Waku[0].place(g.msg.left, g.msg.top, g.msg.width, g.msg.height);
  sc.Waku[0].visible = false;
  sc.layers.push_back(&sc.Waku[0]);
  vm::ensure_mask_sheet(g.screen);
}

// Two different full-screen pictures: the old one on screen, the next behind.
void prepare_pictures(vm::Game& g, int round) {
  vm::Image& main = g.screen.Pic_Main.img;
  vm::Image& back = g.screen.Pic_Back.img;
  for (int y = 0; y < vm::kScreenH; ++y)
    for (int x = 0; x < vm::kScreenW; ++x) {
      main.at(x, y) = vm::rgb(static_cast<uint8_t>(x + round), static_cast<uint8_t>(y), 40);
      back.at(x, y) = vm::rgb(200, static_cast<uint8_t>(x ^ y), static_cast<uint8_t>(y + round));
    }
}

}  // namespace

void bench_transitions(vm::Platform& pf, const char* suffix) {
  vm::Game g(pf);
  prepare_screen(g);
  pf.window.show();
  // Give the window time to be mapped, so that presents are real paints.
  for (int i = 0; i < 30; ++i) {
    pf.window.do_events();
    pf.clock.sleep(10);
  }

  const char* const codes[] = {"VB", "HC", "BC", "MS"};
  int round = 0;
  for (const char* code : codes) {
    const vm::TransitionInfo t = vm::transition_info(code);
    const double minimum = static_cast<double>(t.steps) * t.budget_ms;
    prepare_pictures(g, ++round);
    g.scene.Trans_Code = code;
    const Clock::time_point t0 = Clock::now();
    vm::run_transition(g.stage());
    const double took = ms_since(t0);
    std::printf("transition_%s_vs_minimum%s %.4f ratio\n", code, suffix, took / minimum);
    std::fflush(stdout);
  }
  for (const char* code : codes) {
    const vm::TransitionInfo t = vm::transition_info(code);
    prepare_pictures(g, ++round);
    double total = 0;
    for (int i = 0; i < t.steps; ++i) {
      const Clock::time_point t0 = Clock::now();
      vm::transition_step(g.stage(), code, i);
      g.story().refresh();
      total += ms_since(t0);
    }
    std::printf("transition_%s_step_vs_budget%s %.4f ratio\n", code, suffix,
                total / t.steps / static_cast<double>(t.budget_ms));
    std::fflush(stdout);
  }
}
