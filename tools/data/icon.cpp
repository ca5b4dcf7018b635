// The program's icon for the desktop's application menu: the lighthouse of the
// title picture under the moon, on a rounded night-sky plate with a gold rim.
// Drawn four times larger and reduced, so its edges are smooth at every size;
// pure black is the transparent outside, as in the game's own pictures.
#include <algorithm>
#include <cmath>

#include "authoring/draw.h"
#include "authoring/pictures.h"
#include "data/palette.h"

namespace vm::datatool {

namespace {

constexpr int kSamples = 4;  // per side of one icon pixel

// Depth inside a rounded square of side s with corner radius r (negative
// outside).
double plate_depth(double x, double y, double s, double r) {
  const double dx = std::min(x, s - x), dy = std::min(y, s - y);
  if (dx < r && dy < r) return r - std::hypot(r - dx, r - dy);
  return std::min(dx, dy);
}

Image paint_large(int s) {
  Image img(s, s, 0);
  const int horizon = s * 64 / 100;
  vertical_gradient(img, 0, horizon, 0x141848, 0xF0A0B0);
  stars(img, horizon / 2, s / 24, 48);
  sea(img, horizon, s, 0x6A5C9C, 0x1E2050, 256);
  fill_ellipse(img, s * 0.30, s * 0.26, s * 0.11, s * 0.11, 0xFCF4D0);
  fill_polygon(img,
               {{s * 0.45, s * 1.0}, {s * 0.55, s * 0.70}, {s * 1.0, s * 0.64}, {s * 1.0, s * 1.0}},
               0x1A1830);
  lighthouse(img, s * 0.72, s * 0.70, s * 0.0048, true);
  // Cut the plate out and lay the rim on: dark gold outside, bright inside.
  const double r = s * 0.19, rim = s * 0.035;
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const double d = plate_depth(x + 0.5, y + 0.5, s, r);
      uint32_t& p = img.at(x, y);
      if (d < 0.5) {
        p = 0;
      } else if (d < rim * 0.45) {
        p = 0x8C6420;
      } else if (d < rim) {
        p = 0xE6BE5A;
      } else if (p == 0) {
        p = 0x010101;  // never the transparent colour inside the plate
      }
    }
  return img;
}

}  // namespace

Image paint_icon(int size, std::vector<uint8_t>& alpha) {
  const Image big = paint_large(size * kSamples);
  Image img(size, size, 0);
  alpha.assign(static_cast<size_t>(size) * size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      int n = 0, r = 0, g = 0, b = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const uint32_t c = big.at(x * kSamples + sx, y * kSamples + sy);
          if (c == 0) continue;
          ++n;
          r += red_of(c);
          g += green_of(c);
          b += blue_of(c);
        }
      alpha[static_cast<size_t>(y) * size + x] =
          static_cast<uint8_t>((n * 255 + kSamples * kSamples / 2) / (kSamples * kSamples));
      if (n > 0)
        img.at(x, y) =
            rgb(static_cast<uint8_t>((r + n / 2) / n), static_cast<uint8_t>((g + n / 2) / n),
                static_cast<uint8_t>((b + n / 2) / n));
    }
  return img;
}

}  // namespace vm::datatool
