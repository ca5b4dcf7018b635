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
  for (uint32_t p : img.px) {
    if (p != kBack) {
      EXPECT_EQ(p, colour) << "antialiased pixel";
    }
  }
  const int w = text.text_width(s, message_font());
  // Glyphs stay within the text cell that starts at (20, 10): a 17 px font.
  EXPECT_GE(b.left, 20);
  EXPECT_LE(b.right, 20 + w);
  EXPECT_GE(b.top, 10);
  EXPECT_LE(b.bottom, 10 + 24);
  // And they fill most of it.
  EXPECT_LE(b.left, 22);
  EXPECT_GE(b.right, 20 + w - 4);
  EXPECT_LE(b.top, 14);
  EXPECT_GE(b.bottom, 10 + 14);
}

TEST(PangoText, SameInputSameOutput) {
  PangoText text;
  Image a(300, 40, kBack), b(300, 40, kBack);
  const std::string s = "今日はいい天気ですね。▼";
  text.draw_text(a, 3, 4, s, 0xFFFFFF, message_font());
  Font other = message_font();
  other.bold = false;
  text.draw_text(b, 0, 0, "別の文字", 0x00FF00, other);  // the cache changes in between
  b = Image(300, 40, kBack);
  text.draw_text(b, 3, 4, s, 0xFFFFFF, message_font());
  EXPECT_EQ(a.px, b.px);
}

TEST(PangoText, FullWidthAdvance) {
  PangoText text;
  const Font f = message_font();
  const int one = text.text_width("あ", f);
  const int two = text.text_width("あい", f);
  EXPECT_GE(one, 15);
  EXPECT_LE(one, 19);
  EXPECT_NEAR(two, 2 * one, 1);
  // Half-width is about half.
  const int half = text.text_width("A", f);
  EXPECT_NEAR(half * 2, one, 2);
  EXPECT_EQ(text.text_width("", f), 0);
}

TEST(PangoText, FamilyNamesAllMeanTheGothic) {
  PangoText text;
  Font a = message_font(), b = message_font(), c = message_font();
  a.family = "MS Gothic";
  b.family = "IPAGothic";
  c.family = "ＭＳ ゴシック";
  Image ia(100, 30, kBack), ib(100, 30, kBack), ic(100, 30, kBack);
  text.draw_text(ia, 0, 0, "漢字", 0xFFFFFF, a);
  text.draw_text(ib, 0, 0, "漢字", 0xFFFFFF, b);
  text.draw_text(ic, 0, 0, "漢字", 0xFFFFFF, c);
  EXPECT_EQ(ia.px, ib.px);
  EXPECT_EQ(ib.px, ic.px);
}

// The ending's faces: the Mincho stands in for "ＭＳ 明朝" and Liberation
// Sans for "Arial" (on a desktop without the named fonts, as here).
TEST(PangoText, MinchoAndArialHaveTheirOwnFaces) {
  PangoText text;
  auto draw = [&](const std::string& family, const std::string& s) {
    Image img(300, 40, kBack);
    text.draw_text(img, 0, 0, s, 0xFFFFFF, Font{family, 20, false});
    return img.px;
  };
  EXPECT_EQ(draw("ＭＳ 明朝", "This is true end."), draw("IPAMincho", "This is true end."));
  EXPECT_NE(draw("ＭＳ 明朝", "This is true end."), draw("ＭＳ ゴシック", "This is true end."));
  EXPECT_EQ(draw("ＭＳ 明朝", "明朝体"), draw("MS Mincho", "明朝体"));
  EXPECT_EQ(draw("Arial", "Congratulations!"), draw("Liberation Sans", "Congratulations!"));
  EXPECT_NE(draw("Arial", "Congratulations!"), draw("ＭＳ ゴシック", "Congratulations!"));
  EXPECT_NE(draw("Arial", "Congratulations!"), draw("ＭＳ 明朝", "Congratulations!"));
}

TEST(PangoText, ClipsAtTheEdges) {
  PangoText text;
  Image img(30, 10, kBack);
  text.draw_text(img, -8, -6, "あいうえお", 0xFFFFFF, message_font());
  text.draw_text(img, 25, 5, "あいうえお", 0xFFFFFF, message_font());
  text.draw_text(img, 500, 500, "あ", 0xFFFFFF, message_font());
  for (uint32_t p : img.px) EXPECT_TRUE(p == kBack || p == 0xFFFFFF);
  EXPECT_GT(changed_box(img).count, 0);
}

TEST(PangoText, InvalidUtf8IsDrawnNotRefused) {
  PangoText text;
  Image img(100, 30, kBack);
  text.draw_text(img, 0, 0, std::string("A\xff") + "B", 0xFFFFFF, message_font());
  EXPECT_GT(changed_box(img).count, 0);
}

}  // namespace
}  // namespace vm
