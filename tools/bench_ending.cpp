// Staff-roll figure for velmora-bench: the whole roll on the desktop against
// the sum of its waits and sleeps. The sum is measured, not restated: the
// same roll runs first on the headless platform, whose clock moves only by
// the roll's own sleeps.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/game.h"
#include "app/main_form.h"
#include "assets/assets.h"
#include "ending/ending.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"

namespace {

// One roll on a platform, from a copy of the demo folder (the roll's
// pictures are read from it, so they are restored there, not in the demo).
double roll_ms(vm::Platform& pf, const std::string& demo, bool real_clock) {
  const auto copy = std::filesystem::temp_directory_path() / "velmora_bench_roll";
  std::filesystem::remove_all(copy);
  std::filesystem::copy(demo, copy, std::filesystem::copy_options::recursive);
  vm::Game g(pf);
  g.assets.Data_Dir = copy.string() + "/";
  g.menu.build();
  g.menu.enter(vm::MenuPhase::Story);
  vm::layout_screen(g);
  vm::check_assets(g.assets, g.msg.Name_Table, pf.files, pf.dialogs);
  vm::open_mixer(g.audio());
  // As the ending leaves the screen for the roll.
  g.screen.Pic_Back.font = vm::Font{"Arial", 20, false};
  g.screen.Pic_Main.visible = false;
  g.screen.End_Pic.back_color = 0;
  g.screen.End_Pic.clear();
  g.screen.End_Pic.visible = true;
  vm::fill_staff_table(g.ending);
  const auto t0 = std::chrono::steady_clock::now();
  const uint32_t tick0 = pf.clock.tick_count();
  vm::show_staff_roll(g.finale());
  vm::stop_music(g.audio());
  const double ms =
      real_clock
          ? std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count()
          : static_cast<double>(pf.clock.tick_count() - tick0);
  std::filesystem::remove_all(copy);
  return ms;
}

}  // namespace

void bench_staff_roll(vm::Platform& pf, const std::string& demo) {
  if (!std::filesystem::exists(demo + "velloria.mid")) {
    std::printf("staff_roll skipped (no demo folder at %s)\n", demo.c_str());
    return;
  }
  vm::Headless hl;
  const double least = roll_ms(hl.platform(), demo, false);
  const double real = roll_ms(pf, demo, true);
  std::printf("staff_roll_min_waits %.3f s\n", least / 1000);
  std::printf("staff_roll %.3f s\n", real / 1000);
  std::printf("staff_roll_vs_min_waits %.4f ratio\n", real / least);
}
