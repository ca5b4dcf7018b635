// Where the magnified game screen lies in the window, and the way back from a
// pointer position to the game pixel: every device pixel of a game pixel's
// square, at every magnification and in full screen, must land on that game
// pixel, and the black border on none.
#include "platform/common/view_geometry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vm {
namespace {

// Scale, place and size, to compare at once.
auto placed(const ViewGeometry& v) {
  return std::make_tuple(v.scale, v.x, v.y, v.w, v.h);
}

// Every logical pointer position (in steps of a device pixel) inside the
// square of game pixel (gx, gy) maps back to it.
void expect_square_maps_back(const ViewGeometry& v, int f, int gx, int gy) {
  for (int dy = 0; dy < v.scale; ++dy)
    for (int dx = 0; dx < v.scale; ++dx) {
      const double lx = (v.x + gx * v.scale + dx) / static_cast<double>(f);
      const double ly = (v.y + gy * v.scale + dy) / static_cast<double>(f);
      int x = -1, y = -1;
      ASSERT_TRUE(view_to_game(v, f, lx, ly, x, y)) << lx << "," << ly;
      EXPECT_EQ(x, gx) << "scale " << v.scale << " at " << lx << "," << ly;
      EXPECT_EQ(y, gy) << "scale " << v.scale << " at " << lx << "," << ly;
    }
}

void expect_edges_map_back(const ViewGeometry& v, int f) {
  // The corners, the middle, and the two pixels either side of the message
  // window's left and top edges (195, 355), where a pixel off means the
  // wrong surface takes the click.
  const int points[][2] = {{0, 0},     {639, 0},   {0, 479},   {639, 479}, {320, 240},
                           {194, 354}, {195, 355}, {626, 462}, {627, 463}};
  for (const auto& p : points) expect_square_maps_back(v, f, p[0], p[1]);
}

TEST(ViewGeometry, WindowedScalesMapEveryDevicePixelBack) {
  for (int scale = 1; scale <= 3; ++scale) {
    const ViewGeometry v = fit_view(640 * scale, 480 * scale, scale);
    EXPECT_EQ(placed(v), std::make_tuple(scale, 0, 0, 640 * scale, 480 * scale));
    expect_edges_map_back(v, 1);
    // Fractional pointer positions (some pointers report them) stay in the
    // pixel they are in.
    int x = 0, y = 0;
    ASSERT_TRUE(view_to_game(v, 1, 3.0 * scale - 0.01, 2.0 * scale + 0.99, x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(2, 2));
  }
}

TEST(ViewGeometry, FullScreenTakesTheLargestWholeScaleCentredOnBlack) {
  // 1920 x 1080 with a menu bar above the picture: 2x, centred.
  const ViewGeometry v = fit_view(1920, 1080 - 27, 0);
  EXPECT_EQ(placed(v), std::make_tuple(2, 320, (1053 - 960) / 2, 1280, 960));
  expect_edges_map_back(v, 1);
  int x = 0, y = 0;
  EXPECT_FALSE(view_to_game(v, 1, 319.9, 500, x, y));  // left border
  EXPECT_FALSE(view_to_game(v, 1, 1600, 500, x, y));   // right border
  EXPECT_FALSE(view_to_game(v, 1, 900, v.y - 1, x, y));
  EXPECT_FALSE(view_to_game(v, 1, 900, v.y + 960, x, y));
  // 4K: 4x; a screen smaller than the game still shows it at 1x.
  EXPECT_EQ(fit_view(3840, 2160, 0).scale, 4);
  EXPECT_EQ(fit_view(1919, 1439, 0).scale, 2);
  EXPECT_EQ(fit_view(1920, 1440, 0).scale, 3);
  EXPECT_EQ(placed(fit_view(600, 400, 0)), std::make_tuple(1, 0, 0, 640, 480));
}

TEST(ViewGeometry, ScaledDisplayKeepsWholeDevicePixels) {
  // GDK_SCALE=2: a 2x window is 1280 x 960 logical, 2560 x 1920 device
  // pixels, four device pixels per game pixel; pointer positions arrive in
  // logical pixels, halves included.
  const int f = 2;
  const ViewGeometry v = fit_view(1280 * f, 960 * f, 2 * f);
  EXPECT_EQ(v.scale, 4);
  expect_edges_map_back(v, f);
  // Full screen on a 3840 x 2160 panel at GDK_SCALE=2: 4 device pixels each.
  const ViewGeometry full = fit_view(1920 * f, 1080 * f, 0);
  EXPECT_EQ(std::make_pair(full.scale, full.x), std::make_pair(4, (3840 - 2560) / 2));
  expect_edges_map_back(full, f);
}

TEST(ViewGeometry, RepaintRectangleCoversTheChangedGamePixels) {
  const ViewGeometry v = fit_view(1920, 1053, 0);  // 2x, offset (320, 46)
  const ViewRect r = game_to_view(v, 1, 195, 355, 432, 108);
  EXPECT_EQ(std::tie(r.x, r.y, r.w, r.h), std::make_tuple(320 + 390, 46 + 710, 864, 216));
  // Device scale 3 on a factor-2 display: logical edges round outwards.
  const ViewGeometry odd = fit_view(1920 * 2, 1440 * 2, 3);
  const ViewRect q = game_to_view(odd, 2, 1, 1, 1, 1);
  EXPECT_LE(q.x * 2, odd.x + 3);
  EXPECT_GE((q.x + q.w) * 2, odd.x + 6);
}

}  // namespace
}  // namespace vm
