// Large text on the whole demo: every character of every message lands
// inside the window's tinted area.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/session.h"
#include "message/message.h"

namespace vm {
namespace {

constexpr int kInset = 6;

// The demo played to its end with large text, the message window clicked,
// every frame the window is shown in looked at.
TEST(LowVision, LargeTextKeepsEveryCharacterInsideTheWindow) {
  PlayerSettings settings;
  settings.large_text = true;
  test::TempDir dir;
  test::copy_demo(dir);
  test::Session s;
  s.hl.platform().settings.save_settings(settings);
  int frames = 0, outside = 0, lowest = 0;
  s.hl.on_present = [&](const Image&, uint32_t) {
    const Game& g = s.g;
    const Surface& shown = g.screen.Waku[kWakuShown];
    const Surface& blank = g.screen.Waku[kWakuBlank];
    if (!shown.visible || shown.img.px.size() != blank.img.px.size()) return;
    ++frames;
    for (int y = 0; y < shown.img.h; ++y)
      for (int x = 0; x < shown.img.w; ++x) {
        if (shown.img.at(x, y) == blank.img.at(x, y)) continue;
        if (x < kInset || y < kInset || x >= shown.img.w - kInset || y >= shown.img.h - kInset)
          ++outside;
        lowest = std::max(lowest, y);
      }
    EXPECT_LE(g.msg.Line_No, kPageLines);
  };
  s.click_through(
      test::kMenuReadyMs + 1500, [&] { return s.g.ending.running; }, test::kFirstChoiceY);
  s.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(0));
  s.hl.close(300000);
  s.run(dir.path());
  s.hl.on_present = nullptr;
  EXPECT_GT(frames, 100);
  EXPECT_EQ(outside, 0) << "text drawn over the border or beyond the window";
  // The fourth line of the larger cells reaches further down than the
  // fourth line of the normal ones ever does (its foot at 90).
  EXPECT_GT(lowest, 92);
  EXPECT_EQ(test::count(s.hl, LogKind::EndButton), 1) << "the whole story was played";
}

}  // namespace
}  // namespace vm
