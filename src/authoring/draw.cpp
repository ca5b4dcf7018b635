#include "authoring/draw.h"

#include <algorithm>
#include <cmath>

namespace vm::datatool {

namespace {

uint8_t clamp8(double v) {
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Glyph rows, top first; '#' is ink.
struct Glyph {
  char ch;
  const char* rows[7];
};

constexpr Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'&', {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}},
    {'\'', {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}},
    {'*', {".....", "#.#.#", ".###.", "#####", ".###.", "#.#.#", "....."}},
};

const Glyph* find_glyph(char ch) {
  if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  for (const Glyph& g : kGlyphs)
    if (g.ch == ch) return &g;
  return nullptr;
}

}  // namespace

uint32_t mix(uint32_t a, uint32_t b, double t) {
  auto ch = [t](uint8_t x, uint8_t y) { return clamp8(x + (y - x) * t); };
  return rgb(ch(red_of(a), red_of(b)), ch(green_of(a), green_of(b)), ch(blue_of(a), blue_of(b)));
}

uint32_t shade(uint32_t c, double f) {
  return rgb(clamp8(red_of(c) * f), clamp8(green_of(c) * f), clamp8(blue_of(c) * f));
}

void fill_rect(Image& img, int x, int y, int w, int h, uint32_t c) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, img.w), y1 = std::min(y + h, img.h);
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) img.at(xx, yy) = c;
}

void tint_rect(Image& img, int x, int y, int w, int h, uint32_t c, double alpha) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, img.w), y1 = std::min(y + h, img.h);
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) img.at(xx, yy) = mix(img.at(xx, yy), c, alpha);
}

void frame_rect(Image& img, int x, int y, int w, int h, int t, uint32_t c) {
  fill_rect(img, x, y, w, t, c);
  fill_rect(img, x, y + h - t, w, t, c);
  fill_rect(img, x, y, t, h, c);
  fill_rect(img, x + w - t, y, t, h, c);
}

void fill_ellipse_band(Image& img, double cx, double cy, double rx, double ry, int y0, int y1,
                       uint32_t c) {
  if (rx <= 0 || ry <= 0) return;
  const int top = std::max({static_cast<int>(std::floor(cy - ry)), 0, y0});
  const int bottom = std::min({static_cast<int>(std::ceil(cy + ry)), img.h - 1, y1 - 1});
  for (int y = top; y <= bottom; ++y) {
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1.0) continue;
    const double half = rx * std::sqrt(1.0 - dy * dy);
    const int xa = static_cast<int>(std::ceil(cx - half - 0.5));
    const int xb = static_cast<int>(std::floor(cx + half - 0.5));
    for (int x = std::max(xa, 0); x <= std::min(xb, img.w - 1); ++x) img.at(x, y) = c;
  }
}

void fill_ellipse(Image& img, double cx, double cy, double rx, double ry, uint32_t c) {
  fill_ellipse_band(img, cx, cy, rx, ry, 0, img.h, c);
}

void fill_polygon(Image& img, const std::vector<std::pair<double, double>>& pts, uint32_t c) {
  if (pts.size() < 3) return;
  double ymin = pts[0].second, ymax = pts[0].second;
  for (const auto& p : pts) {
    ymin = std::min(ymin, p.second);
    ymax = std::max(ymax, p.second);
  }
  const int y0 = std::max(static_cast<int>(std::floor(ymin)), 0);
  const int y1 = std::min(static_cast<int>(std::ceil(ymax)), img.h - 1);
  std::vector<double> xs;
  for (int y = y0; y <= y1; ++y) {
    const double sy = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < pts.size(); ++i) {
      const auto& a = pts[i];
      const auto& b = pts[(i + 1) % pts.size()];
      if ((a.second <= sy && b.second > sy) || (b.second <= sy && a.second > sy)) {
        xs.push_back(a.first + (sy - a.second) * (b.first - a.first) / (b.second - a.second));
      }
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int xa = std::max(static_cast<int>(std::ceil(xs[i] - 0.5)), 0);
      const int xb = std::min(static_cast<int>(std::floor(xs[i + 1] - 0.5)), img.w - 1);
      for (int x = xa; x <= xb; ++x) img.at(x, y) = c;
    }
  }
}

void draw_line(Image& img, double x0, double y0, double x1, double y1, double width, uint32_t c) {
  const double r = width / 2.0;
  const int bx0 = std::max(static_cast<int>(std::floor(std::min(x0, x1) - r)), 0);
  const int bx1 = std::min(static_cast<int>(std::ceil(std::max(x0, x1) + r)), img.w - 1);
  const int by0 = std::max(static_cast<int>(std::floor(std::min(y0, y1) - r)), 0);
  const int by1 = std::min(static_cast<int>(std::ceil(std::max(y0, y1) + r)), img.h - 1);
  const double dx = x1 - x0, dy = y1 - y0;
  const double len2 = dx * dx + dy * dy;
  for (int y = by0; y <= by1; ++y) {
    for (int x = bx0; x <= bx1; ++x) {
      const double px = x + 0.5 - x0, py = y + 0.5 - y0;
      double t = len2 > 0 ? (px * dx + py * dy) / len2 : 0.0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey <= r * r) img.at(x, y) = c;
    }
  }
}

void draw_arc(Image& img, double cx, double cy, double rx, double ry, double a0, double a1,
              double width, uint32_t c) {
  const int steps = std::max(8, static_cast<int>(std::abs(a1 - a0) * std::max(rx, ry)));
  double px = cx + rx * std::cos(a0), py = cy + ry * std::sin(a0);
  for (int i = 1; i <= steps; ++i) {
    const double a = a0 + (a1 - a0) * i / steps;
    const double nx = cx + rx * std::cos(a), ny = cy + ry * std::sin(a);
    draw_line(img, px, py, nx, ny, width, c);
    px = nx;
    py = ny;
  }
}

void vertical_gradient(Image& img, int y0, int y1, uint32_t top, uint32_t bottom) {
  const int a = std::max(y0, 0), b = std::min(y1, img.h);
  for (int y = a; y < b; ++y) {
    const double t = (y1 - y0) > 1 ? static_cast<double>(y - y0) / (y1 - y0 - 1) : 0.0;
    const uint32_t c = mix(top, bottom, t);
    for (int x = 0; x < img.w; ++x) img.at(x, y) = c;
  }
}

int pixel_text_width(std::string_view text, int scale) {
  if (text.empty()) return 0;
  return static_cast<int>(text.size()) * 6 * scale - scale;
}

void draw_pixel_text(Image& img, int x, int y, std::string_view text, int scale, uint32_t c) {
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph* g = find_glyph(text[i]);
    if (!g) continue;
    const int gx = x + static_cast<int>(i) * 6 * scale;
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (g->rows[row][col] == '#')
          fill_rect(img, gx + col * scale, y + row * scale, scale, scale, c);
  }
}

void draw_pixel_text_shadow(Image& img, int x, int y, std::string_view text, int scale, uint32_t c,
                            uint32_t shadow) {
  const int off = std::max(1, scale / 2);
  draw_pixel_text(img, x + off, y + off, text, scale, shadow);
  draw_pixel_text(img, x, y, text, scale, c);
}

uint32_t Prng::next() {
  s_ ^= s_ >> 12;
  s_ ^= s_ << 25;
  s_ ^= s_ >> 27;
  return static_cast<uint32_t>((s_ * 0x2545F4914F6CDD1Dull) >> 32);
}

int Prng::range(int lo, int hi) {
  if (hi <= lo) return lo;
  return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1));
}

double Prng::uniform() {
  return next() / 4294967296.0;
}

}  // namespace vm::datatool
