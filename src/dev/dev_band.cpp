// The band in which a dev run shows what check found in the author's last
// save: errors until a good save, warnings for a few seconds. Drawn by the
// game into a layer of its own, over everything but the message text: it
// stands just above the message window, so the story can still be read.
#include "dev/dev_session.h"
#include "graphics/screen.h"

namespace vm::dev {

namespace {

constexpr int kMaxLines = 6;
constexpr int kLineH = 17;
constexpr int kPad = 6;
constexpr uint32_t kErrorBack = rgb(120, 16, 24);
constexpr uint32_t kWarningBack = rgb(104, 80, 8);
constexpr uint32_t kEdge = rgb(250, 220, 160);
constexpr uint32_t kInk = rgb(255, 255, 255);
// The message window's face (IPA Gothic), a size smaller.
const Font kBandFont{"ＭＳ ゴシック", 12, false};

// The line cut to the band's width, whole characters, "…" marking the cut.
std::string fitted(Text& text, const std::string& line, int width) {
  if (text.text_width(line, kBandFont) <= width) return line;
  std::string s = line;
  while (!s.empty() && text.text_width(s + "…", kBandFont) > width) {
    s.pop_back();
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  }
  return s + "…";
}

}  // namespace

void DevSession::show_band(const std::vector<std::string>& found, bool errors) {
  std::vector<std::string> lines(
      found.begin(), found.begin() + std::min<std::ptrdiff_t>(kMaxLines, std::ssize(found)));
  if (found.size() > static_cast<size_t>(kMaxLines))
    lines.back() = "... " + std::to_string(found.size() - kMaxLines + 1) + " more";
  const int h = kPad * 2 + kLineH * static_cast<int>(lines.size());
  band_.back_color = errors ? kErrorBack : kWarningBack;
  const Surface& window = story_.screen.Waku[kWakuShown];
  const int bottom = window.height() > 0 && window.top > h ? window.top : kScreenH;
  band_.place(0, bottom - h, kScreenW, h);
  fill_rect(band_, 0, 0, kScreenW, h, kEdge);
  fill_rect(band_, 0, 1, kScreenW, h - 1, band_.back_color);
  for (size_t i = 0; i < lines.size(); ++i)
    story_.text.draw_text(band_.img, kPad, kPad + kLineH * static_cast<int>(i),
                          fitted(story_.text, lines[i], kScreenW - 2 * kPad), kInk, kBandFont);
  band_.visible = true;
  band_errors_ = errors;
  Window& w = story_.window;
  w.set_timer_enabled(warning_timer_, false);
  if (!errors) w.set_timer_enabled(warning_timer_, true);
  story_.refresh();
}

void DevSession::hide_band() {
  band_errors_ = false;
  story_.window.set_timer_enabled(warning_timer_, false);
  if (!band_.visible) return;
  band_.visible = false;
  story_.refresh();
}

}  // namespace vm::dev
