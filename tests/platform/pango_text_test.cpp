// Text drawn with Pango into our own pictures: monochrome glyphs in exactly
// the given colour, only inside the text's box, the same on every run.
#include "platform/common/pango_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vm {
namespace {

constexpr uint32_t kBack = 0x102030;

Font message_font() {
  Font f;
  f.family = "ＭＳ ゴシック";
  f.points = 13;
  f.bold = true;
  return f;
}

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  int count = 0;
};

// The bounding box of the pixels that differ from kBack.
Box changed_box(const Image& img) {
  Box b;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x)
      if (img.at(x, y) != kBack) {
        ++b.count;
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

TEST(PangoText, DrawsOnlyTheExactColourInsideTheTextBox) {
  PangoText text;
  Image img(200, 60, kBack);
  const uint32_t colour = 0xFF8040;
  const std::string s = "あいうABC";
  text.draw_text(img, 20, 10, s, colour, message_font());
  const Box b = changed_box(img);
  ASSERT_GT(b.count, 50);
  for (uint32_t p : img.px) EXPECT_TRUE(p == kBack || p == colour) << "antialiased pixel " << p;
  const int w = text.text_width(s, message_font());
  // Glyphs stay within the text cell that starts at (20, 10), a 17 px font,
  // and fill most of it.
  EXPECT_TRUE(b.left >= 20 && b.left <= 22) << b.left;
  EXPECT_TRUE(b.right >= 20 + w - 4 && b.right <= 20 + w) << b.right << " of " << w;
  EXPECT_TRUE(b.top >= 10 && b.top <= 14) << b.top;
  EXPECT_TRUE(b.bottom >= 10 + 14 && b.bottom <= 10 + 24) << b.bottom;
}

// Full-width characters advance about a cell, half-width ones half of it.
TEST(PangoText, FullWidthAdvance) {
  PangoText text;
  const Font f = message_font();
  const int one = text.text_width("あ", f);
  EXPECT_TRUE(one >= 15 && one <= 19) << one;
  EXPECT_NEAR(text.text_width("あい", f), 2 * one, 1);
  EXPECT_NEAR(text.text_width("A", f) * 2, one, 2);
  EXPECT_EQ(text.text_width("", f), 0);
}

// The same text draws the same pixels whatever was drawn in between; the
// gothic answers to all its names, the Mincho stands in for "ＭＳ 明朝" and
// Liberation Sans for "Arial" (on a desktop without the named fonts, as here).
TEST(PangoText, SameInputSameOutputAndEachFamilyItsOwnFace) {
  PangoText text;
  auto draw = [&](const std::string& family, const std::string& s, int points = 20,
                  bool bold = false) {
    Image img(300, 40, kBack);
    text.draw_text(img, 3, 4, s, 0xFFFFFF, Font{family, points, bold});
    return img.px;
  };
  const auto first = draw("ＭＳ ゴシック", "今日はいい天気ですね。▼", 13, true);
  draw("ＭＳ ゴシック", "別の文字", 13, false);  // the cache changes in between
  EXPECT_EQ(draw("ＭＳ ゴシック", "今日はいい天気ですね。▼", 13, true), first);
  EXPECT_EQ(draw("MS Gothic", "漢字", 13, true), draw("IPAGothic", "漢字", 13, true));
  EXPECT_EQ(draw("IPAGothic", "漢字", 13, true), draw("ＭＳ ゴシック", "漢字", 13, true));
  EXPECT_EQ(draw("ＭＳ 明朝", "This is true end."), draw("IPAMincho", "This is true end."));
  EXPECT_NE(draw("ＭＳ 明朝", "This is true end."), draw("ＭＳ ゴシック", "This is true end."));
  EXPECT_EQ(draw("ＭＳ 明朝", "明朝体"), draw("MS Mincho", "明朝体"));
  EXPECT_EQ(draw("Arial", "Congratulations!"), draw("Liberation Sans", "Congratulations!"));
  EXPECT_NE(draw("Arial", "Congratulations!"), draw("ＭＳ ゴシック", "Congratulations!"));
  EXPECT_NE(draw("Arial", "Congratulations!"), draw("ＭＳ 明朝", "Congratulations!"));
}

// Text over the picture's edges is clipped; invalid UTF-8 is drawn, not refused.
TEST(PangoText, ClipsAtTheEdgesAndDrawsInvalidUtf8) {
  PangoText text;
  Image img(30, 10, kBack);
  text.draw_text(img, -8, -6, "あいうえお", 0xFFFFFF, message_font());
  text.draw_text(img, 25, 5, "あいうえお", 0xFFFFFF, message_font());
  text.draw_text(img, 500, 500, "あ", 0xFFFFFF, message_font());
  for (uint32_t p : img.px) EXPECT_TRUE(p == kBack || p == 0xFFFFFF);
  EXPECT_GT(changed_box(img).count, 0);
  Image bad(100, 30, kBack);
  text.draw_text(bad, 0, 0, std::string("A\xff") + "B", 0xFFFFFF, message_font());
  EXPECT_GT(changed_box(bad).count, 0);
}

}  // namespace
}  // namespace vm
