#include "graphics/scene.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/window.h"

namespace vm {

namespace {

// Falling this far behind means the loop was held up (a modal dialog opened
// from an event, a stopped process): carry on from here instead of rushing
// through the remaining steps unseen.
constexpr uint32_t kHeldUpMs = 250;

}  // namespace

StepPacer::StepPacer(Clock& clock, Window& window, int budget_ms, bool events)
    : clock_(clock),
      window_(window),
      budget_(budget_ms),
      events_(events),
      start_(clock.tick_count()) {}

bool StepPacer::should_present(int i, bool last) {
  // Unsigned differences stay correct across the tick counter's wrap.
  const uint32_t begun = static_cast<uint32_t>(budget_) * static_cast<uint32_t>(i);
  const uint32_t due = begun + static_cast<uint32_t>(budget_);
  const uint32_t elapsed = clock_.tick_count() - start_;
  if (elapsed > due && elapsed - due > kHeldUpMs) {
    start_ = clock_.tick_count() - begun;  // this step begins now, with its whole budget
    return true;
  }
  return last || elapsed < due;
}

void StepPacer::finish_step(int i, bool last) {
  const uint32_t due = static_cast<uint32_t>(budget_) * static_cast<uint32_t>(i + 1);
  const uint32_t elapsed = clock_.tick_count() - start_;
  if (elapsed < due) {
    clock_.sleep(static_cast<int>(due - elapsed));
    slept_ += due - elapsed;
  }
  // The loop started somewhere inside the tick it read, so ending on the
  // tick that completes the budget may be up to a millisecond early. On a
  // clock that moves by itself (the ticks passed exceed the sleeps), one
  // more millisecond makes sure the effect is never shorter than its budget.
  if (last && clock_.tick_count() - start_ == due && clock_.tick_count() - start_ > slept_) {
    clock_.sleep(1);
  }
  if (events_)
    window_.do_events();
  else if (window_.close_requested())
    throw ShutdownRequest{};  // steps that run no events still heed a close
}

void scene_fault(const Stage& st, const std::string& what) {
  st.dialogs.message_box(what + "\r\n(51.dat line " + std::to_string(st.row_line) + ")",
                         Buttons::Ok);
}

Result<Image> load_data_picture(Pictures& pictures, const std::string& data_dir,
                                const std::string& file) {
  Result<Image> img = pictures.load_picture(data_dir + file);
  if (img && (img.value().w <= 0 || img.value().h <= 0)) return failure(file + ": empty picture");
  return img;
}

void clear_sprites(Stage st) {
  for (Surface& d : st.screen.Doll_Disp) d.visible = false;
  for (int r = 0; r < 7; ++r)
    for (int j = 0; j < 3; ++j) st.scene.Doll_Shown[r][j] = 0;
}

SceneSnapshot snapshot(const SceneState& s) {
  return {.Doll_Body = look(s.Doll_Body),
          .Doll_Mask = look(s.Doll_Mask),
          .Doll_Back = look(s.Doll_Back),
          .Doll_X = s.Doll_X,
          .Doll_Y = s.Doll_Y,
          .Doll_W = s.Doll_W,
          .Doll_H = s.Doll_H,
          .Doll_Shown = s.Doll_Shown,
          .Face_Load = look(s.Face_Load),
          .Face_Mask = look(s.Face_Mask),
          .Face_Disp = look(s.Face_Disp),
          .Trans_Code = s.Trans_Code};
}

void restore(SceneState& s, const SceneSnapshot& k) {
  restore(s.Doll_Body, k.Doll_Body);
  restore(s.Doll_Mask, k.Doll_Mask);
  restore(s.Doll_Back, k.Doll_Back);
  s.Doll_X = k.Doll_X;
  s.Doll_Y = k.Doll_Y;
  s.Doll_W = k.Doll_W;
  s.Doll_H = k.Doll_H;
  s.Doll_Shown = k.Doll_Shown;
  restore(s.Face_Load, k.Face_Load);
  restore(s.Face_Mask, k.Face_Mask);
  restore(s.Face_Disp, k.Face_Disp);
  s.Trans_Code = k.Trans_Code;
}

StageSnapshot snapshot(const Stage& st) {
  return {snapshot(st.screen), snapshot(st.scene)};
}

void restore(const Stage& st, const StageSnapshot& k) {
  restore(st.screen, k.screen);
  restore(st.scene, k.scene);
}

}  // namespace vm
