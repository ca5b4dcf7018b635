// The surface primitives the screen is drawn with.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "graphics/scene_fixture.h"
#include "graphics/surface.h"

namespace vm {
namespace {

Surface make(int w, int h, uint32_t fill = 0) {
  Surface s{"s"};
  s.img.resize(w, h, fill);
  return s;
}

// Every pixel different, no pixel black.
Surface pattern(int w, int h) {
  Surface s = make(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      s.img.at(x, y) = rgb(static_cast<uint8_t>(x + 1), static_cast<uint8_t>(y + 1), 7);
  return s;
}

// Copies clipped to both surfaces, and overlapping within one surface (the
// raster operations are the sprites' and the window frame's, pixel for pixel).
TEST(SurfaceCopy, ClippingAndOverlap) {
  Surface pic = pattern(10, 10);
  Surface clipped = make(6, 6, 0xABCDEF);
  // Reaches out on every side: only the overlapping part is copied.
  bit_blt(clipped, -2, -3, 20, 20, pic, 1, 1, SRCCOPY);
  EXPECT_EQ(clipped.img.at(0, 0), pic.img.at(3, 4));
  EXPECT_EQ(clipped.img.at(5, 5), pic.img.at(8, 9));
  // Source starting left of its picture moves the destination over.
  Surface dst2 = make(6, 6, 0xABCDEF);
  bit_blt(dst2, 0, 0, 4, 4, pic, -2, -1, SRCCOPY);
  EXPECT_EQ(dst2.img.at(0, 0), 0xABCDEFu);
  EXPECT_EQ(dst2.img.at(1, 0), 0xABCDEFu);
  EXPECT_EQ(dst2.img.at(2, 1), pic.img.at(0, 0));
  EXPECT_EQ(dst2.img.at(3, 3), pic.img.at(1, 2));
  // Wholly outside, or empty: nothing.
  Surface dst3 = make(6, 6, 0xABCDEF);
  bit_blt(dst3, 6, 0, 4, 4, pic, 0, 0, SRCCOPY);
  bit_blt(dst3, 0, 0, 0, 4, pic, 0, 0, SRCCOPY);
  bit_blt(dst3, 0, 0, -3, 4, pic, 0, 0, SRCCOPY);
  for (uint32_t p : dst3.img.px) EXPECT_EQ(p, 0xABCDEFu);
  // Overlapping copies within one surface.
  Surface s = pattern(8, 8);
  const Surface before = s;
  bit_blt(s, 1, 1, 6, 6, s, 0, 0, SRCCOPY);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(s.img.at(x + 1, y + 1), before.img.at(x, y));
  Surface t = pattern(8, 8);
  bit_blt(t, 0, 0, 6, 6, t, 2, 1, SRCINVERT);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(t.img.at(x, y), before.img.at(x, y) ^ before.img.at(x + 2, y + 1));
}

TEST(SurfaceMask, OnlyExactBlackIsTransparentInTheRegionAskedFor) {
  Surface pic = make(3, 1, 0);
  pic.back_color = 0xFFFFFF;
  pic.img.at(1, 0) = rgb(1, 1, 1);
  pic.img.at(2, 0) = rgb(0, 0, 1);
  Surface mask = make(3, 1, 0x777777);
  mask.back_color = 0xFFFFFF;
  mask.fore_color = 0x000000;
  make_mask(mask, pic, 0, 0, 3, 1);
  EXPECT_EQ(mask.img.at(0, 0), 0xFFFFFFu);
  EXPECT_EQ(mask.img.at(1, 0), 0x000000u);
  EXPECT_EQ(mask.img.at(2, 0), 0x000000u);
  // The maker leaves the source's background colour black.
  EXPECT_EQ(pic.back_color, 0u);
  // It uses the destination's colours and only the region asked for.
  Surface pat = pattern(6, 6);
  pat.img.at(3, 2) = 0;
  Surface region = make(4, 4, 0x555555);
  region.back_color = 0x00FF00;
  region.fore_color = 0x0000FF;
  make_mask(region, pat, 2, 1, 3, 3);
  EXPECT_EQ(region.img.at(1, 1), 0x00FF00u);  // pat (3, 2)
  EXPECT_EQ(region.img.at(0, 0), 0x0000FFu);
  EXPECT_EQ(region.img.at(3, 3), 0x555555u);  // outside the 3 x 3 mask
}

TEST(SurfacePixels, ReadIsBottomUpWithNoReservedByteWriteItsInverseAndFailuresChangeNothing) {
  Surface s = make(640, 480, 0x101010);
  s.img.at(0, 479) = 0xA1B2C3;  // bottom-left
  s.img.at(5, 0) = 0x010203;    // top row
  std::vector<uint32_t> px{1, 2, 3};
  EXPECT_EQ(read_pixels(s, px), 307200);
  ASSERT_EQ(px.size(), 307201u);
  EXPECT_EQ(px[0], 0xA1B2C3u);
  EXPECT_EQ(px[479 * 640 + 5], 0x010203u);
  EXPECT_EQ(px[640], 0x101010u);
  // The reserved byte reads as zero.
  Surface r = make(2, 2, 0xFF123456);
  ASSERT_EQ(read_pixels(r, px), 4);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(px[k], 0x123456u);
  // Writing is the inverse of reading.
  s = pattern(7, 5);
  const Surface before = s;
  ASSERT_EQ(read_pixels(s, px), 35);
  for (auto& p : px) p ^= 0x00FFFFFF;
  ASSERT_EQ(write_pixels(s, px), 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(s.img.at(x, y), before.img.at(x, y) ^ 0xFFFFFFu);
  // Failed transfers change nothing.
  const Surface written = s;
  std::vector<uint32_t> short_array(34, 0);
  EXPECT_EQ(write_pixels(s, short_array), -1);
  EXPECT_EQ(s.img.px, written.img.px);
  Surface empty{"empty"};
  std::vector<uint32_t> none;
  EXPECT_EQ(read_pixels(empty, none), -1);
  EXPECT_EQ(write_pixels(empty, none), -1);
}

TEST(SurfaceFill, ClipsToThePicture) {
  Surface s = make(5, 5, 0);
  fill_rect(s, -2, 3, 4, 10, 0xFFFFFF);  // off the left and bottom edges
  fill_rect(s, 3, -1, 10, 2, 0xFFFFFF);  // off the top and right edges
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(s.img.at(x, y), (x < 2 && y >= 3) || (x >= 3 && y == 0) ? 0xFFFFFFu : 0u)
          << x << "," << y;
}

TEST(SurfaceStretch, EachPixelTakesTheSourcePixelUnderItsCentre) {
  Surface src{"src"}, dst{"dst"};
  src.img.resize(640, 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      src.img.at(x, y) = rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7);
  // Halving 640 x 345 into 320 x 173 at an offset, clipped at the edge (the
  // gallery's thumbnails check a 5 : 1 reduction).
  dst.img.resize(400, 200, 0);
  stretch_blt(dst, 160, 130, 320, 173, src, 0, 0, 640, 345);
  EXPECT_EQ(dst.img.at(160, 130), src.img.at(1, 0));
  EXPECT_EQ(dst.img.at(399, 199), src.img.at(479, 138));
  EXPECT_EQ(dst.img.at(159, 130), 0u);
}

TEST(SurfaceLine, LeavesItsEndPointForTheNextLine) {
  Surface s{"s"};
  s.img.resize(20, 20, 0);
  draw_line(s, 0, 5, 10, 5, 0xFF);
  EXPECT_EQ(s.img.at(0, 5), 0xFFu);
  EXPECT_EQ(s.img.at(9, 5), 0xFFu);
  EXPECT_EQ(s.img.at(10, 5), 0u);
  draw_line(s, 3, 3, 3, 3, 0xAA);  // no length, no pixel
  EXPECT_EQ(s.img.at(3, 3), 0u);
  // A diagonal reaching off the picture is clipped.
  draw_line(s, 15, 15, 30, 30, 0xCC);
  EXPECT_EQ(s.img.at(19, 19), 0xCCu);
  int lit = 0;
  for (uint32_t p : s.img.px) lit += p == 0xCC;
  EXPECT_EQ(lit, 5);
  // A shallow slope steps down where the error says, a pixel at a time.
  Surface t = make(5, 3, 0);
  draw_line(t, 0, 0, 4, 2, 0xEE);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool on =
          (x == 0 && y == 0) || (x == 1 && y == 1) || (x == 2 && y == 1) || (x == 3 && y == 2);
      EXPECT_EQ(t.img.at(x, y), on ? 0xEEu : 0u) << x << "," << y;
    }
}

TEST(SurfacePlace, KeepingThePictureWhileGrowingAndShrinking) {
  Surface s{"s"};
  s.back_color = rgb(64, 0, 64);
  s.img.resize(640, 50, 0);
  s.img.at(300, 20) = 0xFFFFFF;
  s.place_keeping(0, 200, 640, 280);
  EXPECT_EQ(s.top, 200);
  EXPECT_EQ(s.img.at(300, 20), 0xFFFFFFu);
  EXPECT_EQ(s.img.at(300, 20 + 50), rgb(64, 0, 64));
  EXPECT_EQ(s.img.at(639, 279), rgb(64, 0, 64));  // the new area reaches the last row
  EXPECT_EQ(s.img.at(639, 49), 0u);
  s.place_keeping(0, 0, 310, 30);
  EXPECT_EQ(s.img.at(300, 20), 0xFFFFFFu);
  EXPECT_EQ(s.width(), 310);
}

// ---------------------------------------------------------------- blend ---

// The blend rule, where a keyed blend leaves the destination under pure black.
uint32_t reference_pixel(uint32_t d, uint32_t s, float alpha, bool keyed) {
  return keyed && (s & 0xFFFFFF) == 0 ? d : test::mix(d, s, alpha);
}

// Runs each test with the vector kernels and with the portable one.
class Blend : public ::testing::TestWithParam<BlendKernel> {
 protected:
  void SetUp() override { set_blend_kernel(GetParam()); }
  void TearDown() override { set_blend_kernel(BlendKernel::Auto); }
};

const float kAlphas[] = {0.0f,        0.1f,       0.25f,      0.5f,        0.8f,  1.0f,
                         0.7f,        0.333333f,  0.9999999f, 0.50000006f, 1e-8f, 0.0039215f,
                         0.49999997f, 0.6180339f, 0.05f,      0.95f};

// Blends the w x h region of src at (sx, sy) onto a copy of dst0 at (x, y)
// and checks every pixel: the rule where the region lies on both pictures,
// the old pixel everywhere else.
void expect_blend(const Surface& dst0, int x, int y, int w, int h, const Surface& src, int sx,
                  int sy, float alpha, int16_t keyed) {
  Surface dst = dst0;
  blend_region(dst, x, y, w, h, src, sx, sy, alpha, keyed);
  int bad = 0;
  for (int py = 0; py < dst.height(); ++py)
    for (int px = 0; px < dst.width(); ++px) {
      const int qx = px - x + sx, qy = py - y + sy;
      const bool inside =
          px >= x && px < x + w && py >= y && py < y + h && qx < src.width() && qy < src.height();
      const uint32_t old = dst0.img.at(px, py);
      const uint32_t want =
          inside ? reference_pixel(old, src.img.at(qx, qy), alpha, keyed != 0) : old;
      if (dst.img.at(px, py) != want && ++bad <= 5)
        ADD_FAILURE() << "alpha " << alpha << " keyed " << keyed << " region " << x << "," << y
                      << " " << w << "x" << h << " at " << px << "," << py << ": got " << std::hex
                      << dst.img.at(px, py) << " want " << want;
    }
}

// Every (dest, src) channel pair (blue runs dest x over src y, green the
// other way round, red a third mixture), where ties go to the even
// neighbour; then random pictures at odd widths and offsets, and a region
// reaching off the destination.
TEST_P(Blend, AllChannelPairsOddWidthsAndClippedRegionsMatchTheRule) {
  Surface dst0 = make(256, 256), src = make(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      dst0.img.at(x, y) =
          rgb(static_cast<uint8_t>(x * 7 + y), static_cast<uint8_t>(y), static_cast<uint8_t>(x));
      src.img.at(x, y) =
          rgb(static_cast<uint8_t>(255 - x), static_cast<uint8_t>(x), static_cast<uint8_t>(y));
    }
  for (float alpha : kAlphas)
    for (int16_t keyed : {int16_t{0}, int16_t{-1}})
      expect_blend(dst0, 0, 0, 256, 256, src, 0, 0, alpha, keyed);

  std::mt19937 rng(12345);
  for (int w : {1, 3, 7, 65, 285, 330, 420}) {
    Surface pic = make(w + 5, 40), under = make(w + 9, 50);
    for (auto& p : pic.img.px) p = rng() & 0xFFFFFF;
    for (auto& p : under.img.px) p = rng() & 0xFFFFFF;
    for (int k = 0; k < 40; k += 3) pic.img.px[k * 11 % pic.img.px.size()] = 0;
    for (float alpha : {0.8f, 0.3f, 0.5f, 0.999f})
      for (int16_t keyed : {int16_t{0}, int16_t{1}})
        expect_blend(under, 4, 6, w, 33, pic, 2, 3, alpha, keyed);
  }
  expect_blend(make(10, 10, 0x808080), 6, -3, 12, 8, make(20, 20, 0xFFFFFF), 0, 0, 0.5f, 0);
}

// An alpha outside the range draws nothing; a blend onto its own surface
// reads each pixel before it is blended.
TEST_P(Blend, AlphaOutsideTheRangeDrawsNothingAndOntoItsOwnSurface) {
  Surface dst = make(8, 8, 0x102030), src = make(8, 8, 0xFFFFFF);
  for (float alpha : {1.5f, -0.1f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), 1.0000001f}) {
    blend_region(dst, 0, 0, 8, 8, src, 0, 0, alpha, 0);
    for (uint32_t p : dst.img.px) ASSERT_EQ(p, 0x102030u) << alpha;
  }
  Surface s = make(16, 4);
  for (int x = 0; x < 16; ++x)
    for (int y = 0; y < 4; ++y) s.img.at(x, y) = rgb(static_cast<uint8_t>(x * 16), 0, 0);
  const Surface before = s;
  blend_region(s, 1, 0, 15, 4, s, 0, 0, 0.8f, 0);
  for (int x = 1; x < 16; ++x)
    EXPECT_EQ(s.img.at(x, 2),
              reference_pixel(before.img.at(x, 2), before.img.at(x - 1, 2), 0.8f, false));
}

INSTANTIATE_TEST_SUITE_P(Kernels, Blend,
                         ::testing::Values(BlendKernel::Auto, BlendKernel::Portable),
                         [](const auto& info) {
                           return info.param == BlendKernel::Auto ? "Vector" : "Portable";
                         });

}  // namespace
}  // namespace vm
