#include "graphics/scene.h"

#include "assets/data_error.h"
#include "game/game.h"

namespace vm {

namespace {

// Falling this far behind means the loop was held up (a modal dialog opened
// from an event, a stopped process): carry on from here instead of rushing
// through the remaining steps unseen.
constexpr uint32_t kHeldUpMs = 250;

}  // namespace

StepPacer::StepPacer(Game& g, int budget_ms, bool events)
    : g_(g), budget_(budget_ms), events_(events), start_(tick_count(g)) {}

bool StepPacer::should_present(int i, bool last) {
  // Unsigned differences stay correct across the tick counter's wrap.
  const uint32_t begun = static_cast<uint32_t>(budget_) * static_cast<uint32_t>(i);
  const uint32_t due = begun + static_cast<uint32_t>(budget_);
  const uint32_t elapsed = tick_count(g_) - start_;
  if (elapsed > due && elapsed - due > kHeldUpMs) {
    start_ = tick_count(g_) - begun;  // this step begins now, with its whole budget
    return true;
  }
  return last || elapsed < due;
}

void StepPacer::finish_step(int i, bool last) {
  const uint32_t due = static_cast<uint32_t>(budget_) * static_cast<uint32_t>(i + 1);
  const uint32_t elapsed = tick_count(g_) - start_;
  if (elapsed < due) {
    sleep_ms(g_, static_cast<int>(due - elapsed));
    slept_ += due - elapsed;
  }
  // The loop started somewhere inside the tick it read, so ending on the
  // tick that completes the budget may be up to a millisecond early. On a
  // clock that moves by itself (the ticks passed exceed the sleeps), one
  // more millisecond makes sure the effect is never shorter than its budget.
  if (last && tick_count(g_) - start_ == due && tick_count(g_) - start_ > slept_) {
    sleep_ms(g_, 1);
  }
  if (events_)
    do_events(g_);
  else if (g_.pf.window.close_requested())
    throw ShutdownRequest{};  // steps that run no events still heed a close
}

void scene_fault(Game& g, const std::string& what) {
  message_box(g, what + "\r\n(51.dat line " + std::to_string(g.interp.cur_line) + ")");
}

bool load_data_picture(Game& g, const std::string& file, Image& out, std::string& error) {
  Image img;
  if (!g.pf.pictures.load_picture(g.assets.Data_Dir + file, img, error)) return false;
  if (img.w <= 0 || img.h <= 0) {
    error = file + ": empty picture";
    return false;
  }
  out = std::move(img);
  return true;
}

void clear_sprites(Game& g) {
  for (Surface& d : g.screen.Doll_Disp) d.visible = false;
  for (int r = 0; r < 7; ++r)
    for (int j = 0; j < 3; ++j) g.scene.Doll_Shown[r][j] = 0;
}

}  // namespace vm
