#include "app/quick_slot.h"

#include "app/game.h"
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
bool allowed(Game& g, MenuItem item) {
  return g.menu.enabled(item) && g.input.Click_Wait != 0 && !g.hooks->story_held();
}

}  // namespace

void layout_notice(Surface& n, ScreenState& screen) {
  n.visible = false;
  screen.layers.push_back(&n);
}

int create_notice_timer(Window& w) {
  return w.create_timer(kNoticeMs);
}

void show_notice(Game& g, const std::string& text) {
  Surface& n = g.app.Notice;
  const int w = g.pf.text.text_width(text, kNoticeFont) + 2 * kNoticePad;
  n.place(kScreenW - kNoticeMargin - w, kNoticeMargin, w, kNoticeH);
  fill_rect(n, 0, 0, w, kNoticeH, kNoticeEdge);
  fill_rect(n, 1, 1, w - 2, kNoticeH - 2, kNoticeBack);
  g.pf.text.draw_text(n.img, kNoticePad, (kNoticeH - kNoticeFont.points) / 2 - 1, text, kNoticeText,
                      kNoticeFont);
  n.visible = true;
  refresh(g);
  g.pf.window.set_timer_enabled(g.app.notice_timer, false);  // a second from now, not from before
  g.pf.window.set_timer_enabled(g.app.notice_timer, true);
}

void on_notice_timer(Game& g) {
  g.pf.window.set_timer_enabled(g.app.notice_timer, false);
  if (!g.app.Notice.visible) return;
  g.app.Notice.visible = false;
  refresh(g);
}

void on_quick_save(Game& g) {
  if (!allowed(g, MenuItem::QuickSave)) return;
  save_state(g.save, g.story());
  if (!quick_save(g.slot_window())) return;
  g.menu.set_quick_slot(true);
  show_notice(g, "クイックセーブしました");
}

void on_quick_load(Game& g) {
  // The item is greyed while the quick slot cannot be loaded, but F9 still
  // says why wherever a load would be allowed.
  if (!allowed(g, MenuItem::ProgLoad)) return;
  const bool loaded = quick_load(g.slot_window());
  g.menu.set_quick_slot(quick_slot_loadable(g.slot_window()));
  // The key or click that answered the question is not a click on the story.
  g.input.back_at = tick_count(g);
  if (loaded) throw LoadRequest{};
}

}  // namespace vm
