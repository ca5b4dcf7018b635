#include "app/quick_slot.h"

#include "graphics/screen.h"
#include "graphics/surface.h"
#include "save/save.h"

namespace vm {

namespace {

constexpr int kNoticeMargin = 8;
constexpr int kNoticePad = 10;
constexpr int kNoticeH = 26;
constexpr int kNoticeMs = 1000;
constexpr uint32_t kNoticeBack = rgb(40, 28, 56);
constexpr uint32_t kNoticeEdge = rgb(196, 176, 220);
constexpr uint32_t kNoticeText = rgb(255, 255, 255);
const Font kNoticeFont{"ＭＳ ゴシック", 13, true};

// A quick key or item counts only where the game menu's own would: in the
// story, waiting for a click, no other window holding it.
bool allowed(const QuickSlot& q, MenuItem item) {
  return q.menu.enabled(item) && q.story.input.Click_Wait != 0 && !q.story.hooks.story_held();
}

}  // namespace

void layout_notice(Surface& n, ScreenState& screen) {
  n.visible = false;
  screen.layers.push_back(&n);
}

int create_notice_timer(Window& w) {
  return w.create_timer(kNoticeMs);
}

void show_notice(NoticeBoard b, const std::string& text) {
  Surface& n = b.notice;
  const int w = b.text.text_width(text, kNoticeFont) + 2 * kNoticePad;
  n.place(kScreenW - kNoticeMargin - w, kNoticeMargin, w, kNoticeH);
  fill_rect(n, 0, 0, w, kNoticeH, kNoticeEdge);
  fill_rect(n, 1, 1, w - 2, kNoticeH - 2, kNoticeBack);
  b.text.draw_text(n.img, kNoticePad, (kNoticeH - kNoticeFont.points) / 2 - 1, text, kNoticeText,
                   kNoticeFont);
  n.visible = true;
  present_screen(b.screen, b.window);
  b.window.set_timer_enabled(b.timer, false);  // a second from now, not from before
  b.window.set_timer_enabled(b.timer, true);
}

void on_notice_timer(NoticeBoard b) {
  b.window.set_timer_enabled(b.timer, false);
  if (!b.notice.visible) return;
  b.notice.visible = false;
  present_screen(b.screen, b.window);
}

void on_quick_save(QuickSlot q) {
  if (!allowed(q, MenuItem::QuickSave)) return;
  save_state(q.slots.save, q.story);
  if (!quick_save(q.slots)) return;
  q.menu.set_quick_slot(true);
  show_notice(q.notice, "クイックセーブしました");
}

void on_quick_load(QuickSlot q) {
  // The item is greyed while the quick slot cannot be loaded, but F9 still
  // says why wherever a load would be allowed.
  if (!allowed(q, MenuItem::ProgLoad)) return;
  const bool loaded = quick_load(q.slots);
  q.menu.set_quick_slot(quick_slot_loadable(q.slots));
  // The key or click that answered the question is not a click on the story.
  q.story.input.back_at = q.story.clock.tick_count();
  if (loaded) throw LoadRequest{};
}

}  // namespace vm
