// Small software painter for the demo pictures: filled shapes, gradients, thick
// lines and a 5x7 pixel font. Everything is integer- or double-based and
// deterministic, so the same call always produces the same pixels.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/image.h"

namespace vm::datatool {

// Mixes two colours: t = 0 gives a, t = 1 gives b.
uint32_t mix(uint32_t a, uint32_t b, double t);
// Multiplies every channel by f (clamped to 0..255).
uint32_t shade(uint32_t c, double f);

void fill_rect(Image& img, int x, int y, int w, int h, uint32_t c);
// Translucent fill: the rectangle moves towards c by alpha.
void tint_rect(Image& img, int x, int y, int w, int h, uint32_t c, double alpha);
void frame_rect(Image& img, int x, int y, int w, int h, int thickness, uint32_t c);
void fill_ellipse(Image& img, double cx, double cy, double rx, double ry, uint32_t c);
// Only the pixels inside the ellipse that also lie within [y0, y1).
void fill_ellipse_band(Image& img, double cx, double cy, double rx, double ry, int y0, int y1,
                       uint32_t c);
void fill_polygon(Image& img, const std::vector<std::pair<double, double>>& pts, uint32_t c);
// A line with round ends and the given width.
void draw_line(Image& img, double x0, double y0, double x1, double y1, double width, uint32_t c);
// An elliptic arc from angle a0 to a1 (radians, 0 = right, clockwise on screen
// because y grows downwards).
void draw_arc(Image& img, double cx, double cy, double rx, double ry, double a0, double a1,
              double width, uint32_t c);
void vertical_gradient(Image& img, int y0, int y1, uint32_t top, uint32_t bottom);

// 5x7 pixel font: upper-case letters, digits and a few marks; lower-case text
// is drawn in capitals. Each character advances 6 cells.
int pixel_text_width(std::string_view text, int scale);
void draw_pixel_text(Image& img, int x, int y, std::string_view text, int scale, uint32_t c);
// The same with a one-cell drop shadow down and right.
void draw_pixel_text_shadow(Image& img, int x, int y, std::string_view text, int scale, uint32_t c,
                            uint32_t shadow);

// xorshift64* generator: the only randomness of the demo data, always started
// from a fixed value.
class Prng {
 public:
  explicit Prng(uint64_t rng_start) : s_(rng_start ? rng_start : 0x9E3779B97F4A7C15ull) {}
  uint32_t next();
  // Uniform integer in [lo, hi].
  int range(int lo, int hi);
  // Uniform real in [0, 1).
  double uniform();

 private:
  uint64_t s_;
};

}  // namespace vm::datatool
