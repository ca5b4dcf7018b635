#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "graphics/surface.h"

namespace vm {
namespace {

// The blend rule in its plainest form: float alpha and beta, the two products
// and their sum in double precision, rounded to nearest with ties to even.
uint32_t reference_pixel(uint32_t d, uint32_t s, float alpha, bool keyed) {
  if (keyed && (s & 0xFFFFFF) == 0) return d;
  const float beta = 1.0f - alpha;
  uint32_t out = 0;
  for (int sh = 0; sh <= 16; sh += 8) {
    const double v = static_cast<double>((d >> sh) & 0xFF) * static_cast<double>(beta) +
                     static_cast<double>((s >> sh) & 0xFF) * static_cast<double>(alpha);
    const double r = std::nearbyint(v);
    EXPECT_LE(r, 255.0);
    out |= static_cast<uint32_t>(r) << sh;
  }
  return out;
}

Surface make(int w, int h, uint32_t fill = 0) {
  Surface s{"s"};
  s.img.resize(w, h, fill);
  return s;
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

TEST_P(Blend, AlphaOutsideTheRangeDrawsNothing) {
  Surface dst = make(8, 8, 0x102030), src = make(8, 8, 0xFFFFFF);
  for (float alpha : {1.5f, -0.1f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), 1.0000001f}) {
    blend_region(dst, 0, 0, 8, 8, src, 0, 0, alpha, 0);
    for (uint32_t p : dst.img.px) ASSERT_EQ(p, 0x102030u) << alpha;
  }
}

TEST_P(Blend, OntoItsOwnSurface) {
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
