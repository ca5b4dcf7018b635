#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>

#include "data/pictures.h"
#include "graphics/scene_fixture.h"

namespace vm::test {
namespace {

TEST(MessageFrame, BorderPiecesFromTheSheet) {
  Rig r;
  const Surface& w0 = r.g.screen.Waku[0];
  const int W = 432, H = 108;
  const auto scene = [&](int x, int y) { return scene_pixel(195 + x, 355 + y); };
  // Corners and edges where the sheet has colour: the border is opaque.
  EXPECT_EQ(w0.img.at(1, 0), sheet_pixel(1, 0));
  EXPECT_EQ(w0.img.at(W - 1, H - 1), sheet_pixel(47, 47));
  EXPECT_EQ(w0.img.at(W - 15, 3), sheet_pixel(33, 3));
  EXPECT_EQ(w0.img.at(2, H - 3), sheet_pixel(2, 45));
  EXPECT_EQ(w0.img.at(100, 1), sheet_pixel(16 + 100 % 16, 1));       // top edge
  EXPECT_EQ(w0.img.at(100, H - 7), sheet_pixel(16 + 100 % 16, 41));  // bottom edge
  EXPECT_EQ(w0.img.at(3, 50), sheet_pixel(3, 16 + 50 % 16));         // left edge
  EXPECT_EQ(w0.img.at(W - 5, 50), sheet_pixel(43, 16 + 50 % 16));    // right edge
  // Where the sheet is black: the scene, untinted outside the inner area...
  EXPECT_EQ(w0.img.at(0, 0), scene(0, 0));
  EXPECT_EQ(w0.img.at(6, 4), scene(6, 4));
  // ...and tinted inside it.
  EXPECT_EQ(w0.img.at(7, 8), test::mix(scene(7, 8), kSheetTint, 0.8f));
  // The open inner area: the scene under the tint at the window density.
  const int open[][2] = {{20, 8}, {8, 50}, {423, 50}, {200, 99}, {65, 50}, {415, 90}};
  for (const auto& p : open)
    EXPECT_EQ(w0.img.at(p[0], p[1]), test::mix(scene(p[0], p[1]), kSheetTint, 0.8f))
        << p[0] << "," << p[1];
  // The blank panel is kept for clearing.
  EXPECT_EQ(r.g.screen.Waku[4].img.px, w0.img.px);
  r.g.options.Window_Density = 0.5f;
  build_window_frame(r.g.message_window());
  r.g.input.Text_Mode = 0;
  r.say(0, "あ");
  // The shown window: panel at density 0.5 beside the text.
  EXPECT_EQ(r.shown(300, 60), test::mix(scene_pixel(495, 415), kSheetTint, 0.5f));
  EXPECT_EQ(r.shown(13, 20), kNarrationColour);
  EXPECT_EQ(r.hl.last_frame().at(100, 100), scene_pixel(100, 100));
}

// WCAG contrast of two colours.
double luminance(uint32_t c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(red_of(c)) + 0.7152 * lin(green_of(c)) + 0.0722 * lin(blue_of(c));
}
double contrast(uint32_t a, uint32_t b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The demo's frame sheet: wherever a corner piece has colour the window shows
// it exactly, and its panel is readable over every scene.
TEST(MessageFrame, TheDemoBorderIsOpaqueAndThePanelReadableOverEveryScene) {
  Rig r;
  r.g.screen.Texture.img = datatool::paint_texture_sheet();
  const Image& tex = r.g.screen.Texture.img;
  double worst_black = 100, worst_purple = 100;
  for (int n = 70; n <= 85; ++n) {
    if (n == 72) continue;  // the title picture is never a scene
    // The scene as the game lays it: the picture on top, the wall strip of
    // the texture sheet below a short one.
    const Image bg = datatool::paint_background(n);
    for (int y = 0; y < kScreenH; ++y)
      for (int x = 0; x < kScreenW; ++x)
        r.g.screen.Pic_Main.img.at(x, y) =
            y < bg.h ? bg.at(x, y) : r.g.screen.Texture.img.at(96 + x % 64, (y - bg.h) % 64);
    build_window_frame(r.g.message_window());
    std::array<std::vector<int>, 3> ch;
    const Image& w0 = r.g.screen.Waku[0].img;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        if (tex.at(x, y) & 0xFFFFFF) ASSERT_EQ(w0.at(x, y), tex.at(x, y) & 0xFFFFFF) << n;
        if (tex.at(32 + x, 32 + y) & 0xFFFFFF)
          ASSERT_EQ(w0.at(416 + x, 92 + y), tex.at(32 + x, 32 + y) & 0xFFFFFF) << n;
      }
    for (int y = 8; y < w0.h - 8; ++y)
      for (int x = 8; x < w0.w - 8; ++x) {
        ch[0].push_back(red_of(w0.at(x, y)));
        ch[1].push_back(green_of(w0.at(x, y)));
        ch[2].push_back(blue_of(w0.at(x, y)));
      }
    for (auto& c : ch) std::nth_element(c.begin(), c.begin() + c.size() / 2, c.end());
    const uint32_t median = rgb(static_cast<uint8_t>(ch[0][ch[0].size() / 2]),
                                static_cast<uint8_t>(ch[1][ch[1].size() / 2]),
                                static_cast<uint8_t>(ch[2][ch[2].size() / 2]));
    worst_black = std::min(worst_black, contrast(0x000000, median));
    worst_purple = std::min(worst_purple, contrast(kNarrationColour, median));
    EXPECT_GE(contrast(0x000000, median), 7.0) << n;
    EXPECT_GE(contrast(kNarrationColour, median), 3.0) << n;
  }
  std::cout << "lowest contrast: black " << worst_black << ":1, narration " << worst_purple
            << ":1\n";
}

}  // namespace
}  // namespace vm::test
