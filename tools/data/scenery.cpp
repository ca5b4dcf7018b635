#include <algorithm>
#include <cmath>
#include <vector>

#include "authoring/draw.h"
#include "authoring/pictures.h"
#include "data/palette.h"
#include "graphics/scene.h"

namespace vm::datatool {

// ------------------------------------------------------------ scenery ---

namespace {

void sun(Image& img, double x, double y, double r, uint32_t c, uint32_t glow) {
  fill_ellipse(img, x, y, r * 1.8, r * 1.8, mix(glow, c, 0.2));
  fill_ellipse(img, x, y, r * 1.35, r * 1.35, mix(glow, c, 0.55));
  fill_ellipse(img, x, y, r, r, c);
}

void cloud(Image& img, double x, double y, double s, uint32_t c) {
  const uint32_t under = shade(c, 0.9);
  fill_ellipse(img, x, y + 4 * s, 46 * s, 14 * s, under);
  fill_ellipse(img, x - 24 * s, y, 20 * s, 14 * s, c);
  fill_ellipse(img, x + 2 * s, y - 8 * s, 24 * s, 18 * s, c);
  fill_ellipse(img, x + 26 * s, y + 1 * s, 18 * s, 12 * s, c);
}

}  // namespace

// Sea from the horizon down to y1, with glittering wave strokes.
void sea(Image& img, int horizon, int y1, uint32_t far, uint32_t near, uint64_t rng_start) {
  for (int y = horizon; y < std::min(y1, img.h); ++y) {
    const uint32_t c = mix(far, near, static_cast<double>(y - horizon) / std::max(1, y1 - horizon));
    for (int x = 0; x < img.w; ++x) img.at(x, y) = c;
  }
  Prng rng(rng_start);
  const int n = (y1 - horizon) * 3;
  for (int i = 0; i < n; ++i) {
    const int y = rng.range(horizon + 2, y1 - 2);
    const double depth = static_cast<double>(y - horizon) / std::max(1, y1 - horizon);
    const int len = 4 + static_cast<int>(depth * 26) + rng.range(0, 6);
    const int x = rng.range(-10, img.w);
    fill_rect(
        img, x, y, len, 1 + static_cast<int>(depth * 1.5),
        mix(img.contains(std::clamp(x, 0, img.w - 1), y) ? img.at(std::clamp(x, 0, img.w - 1), y)
                                                         : near,
            kWhite, 0.35 + 0.2 * rng.uniform()));
  }
}

void stars(Image& img, int y1, int count, uint64_t rng_start) {
  Prng rng(rng_start);
  for (int i = 0; i < count; ++i) {
    const int x = rng.range(0, img.w - 1), y = rng.range(0, y1);
    const uint32_t c = mix(0xB0B8FF, kWhite, rng.uniform());
    if (rng.range(0, 9) == 0) {
      fill_rect(img, x - 1, y, 3, 1, c);
      fill_rect(img, x, y - 1, 1, 3, c);
    } else {
      fill_rect(img, x, y, 1, 1, c);
    }
  }
}

void house(Image& img, int x, int base, int w, int h, uint32_t wall, uint32_t roof, bool lit) {
  fill_rect(img, x, base - h, w, h, wall);
  fill_rect(img, x, base - h, 2, h, shade(wall, 0.8));
  fill_polygon(img,
               {{x - 6.0, base - h + 1.0},
                {x + w / 2.0, base - h - w * 0.45},
                {x + w + 6.0, base - h + 1.0}},
               roof);
  const uint32_t win = lit ? 0xFFD87A : 0x6E9AC8;
  for (int wx = x + 6; wx + 10 <= x + w - 4; wx += 16)
    for (int wy = base - h + 8; wy + 10 <= base - 6; wy += 18) fill_rect(img, wx, wy, 9, 10, win);
}

void tree(Image& img, double x, double base, double s, uint32_t leaf) {
  fill_rect(img, static_cast<int>(x - 3 * s), static_cast<int>(base - 26 * s),
            static_cast<int>(6 * s), static_cast<int>(26 * s), 0x6A4A2C);
  fill_ellipse(img, x, base - 40 * s, 20 * s, 22 * s, shade(leaf, 0.8));
  fill_ellipse(img, x - 8 * s, base - 44 * s, 12 * s, 13 * s, leaf);
  fill_ellipse(img, x + 7 * s, base - 36 * s, 11 * s, 11 * s, mix(leaf, kWhite, 0.15));
}

void lighthouse(Image& img, double x, double base, double s, bool lamp_on) {
  fill_polygon(img,
               {{x - 14 * s, base},
                {x + 14 * s, base},
                {x + 9 * s, base - 90 * s},
                {x - 9 * s, base - 90 * s}},
               0xF4F2EC);
  for (int band = 0; band < 2; ++band) {
    const double y0 = base - (25 + 35 * band) * s, y1 = y0 - 14 * s;
    const double k0 = (base - y0) / (90 * s), k1 = (base - y1) / (90 * s);
    fill_polygon(img,
                 {{x - (14 - 5 * k0) * s, y0},
                  {x + (14 - 5 * k0) * s, y0},
                  {x + (14 - 5 * k1) * s, y1},
                  {x - (14 - 5 * k1) * s, y1}},
                 0xD03C3C);
  }
  fill_rect(img, static_cast<int>(x - 8 * s), static_cast<int>(base - 104 * s),
            static_cast<int>(16 * s), static_cast<int>(14 * s), lamp_on ? 0xFFF0A0 : 0x9CC8E8);
  fill_polygon(img,
               {{x - 11 * s, base - 104 * s}, {x, base - 116 * s}, {x + 11 * s, base - 104 * s}},
               0xB03030);
}

namespace {

// A small figure seen from behind or far away, drawn as one colour.
void figure(Image& img, double x, double base, double s, uint32_t body, uint32_t hair,
            bool hat = false) {
  fill_polygon(img,
               {{x - 11 * s, base - 8 * s},
                {x + 11 * s, base - 8 * s},
                {x + 7 * s, base - 50 * s},
                {x - 7 * s, base - 50 * s}},
               body);
  fill_rect(img, static_cast<int>(x - 6 * s), static_cast<int>(base - 8 * s),
            static_cast<int>(4 * s), static_cast<int>(8 * s), shade(body, 0.7));
  fill_rect(img, static_cast<int>(x + 2 * s), static_cast<int>(base - 8 * s),
            static_cast<int>(4 * s), static_cast<int>(8 * s), shade(body, 0.7));
  fill_ellipse(img, x, base - 58 * s, 8 * s, 9 * s, hair);
  if (hat) {
    fill_ellipse(img, x, base - 64 * s, 15 * s, 3.5 * s, 0xF0D890);
    fill_ellipse(img, x, base - 68 * s, 8 * s, 5 * s, 0xF0D890);
  }
}

void firework(Image& img, double x, double y, double r, uint32_t c, int rays, uint64_t rng_start) {
  Prng rng(rng_start);
  for (int i = 0; i < rays; ++i) {
    const double a = 2 * kPi * i / rays + rng.uniform() * 0.05;
    const double r0 = r * 0.25, r1 = r * (0.85 + 0.15 * rng.uniform());
    draw_line(img, x + r0 * std::cos(a), y + r0 * std::sin(a), x + r1 * std::cos(a),
              y + r1 * std::sin(a), 2, c);
    fill_ellipse(img, x + r1 * std::cos(a), y + r1 * std::sin(a), 2.2, 2.2, mix(c, kWhite, 0.6));
  }
  fill_ellipse(img, x, y, r * 0.12, r * 0.12, mix(c, kWhite, 0.7));
}

void lantern_string(Image& img, double x0, double y0, double x1, double y1, int count) {
  draw_line(img, x0, y0, x1, y1, 1.5, 0x3A2A20);
  for (int i = 0; i < count; ++i) {
    const double t = (i + 0.5) / count;
    const double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t + 8 * std::sin(t * kPi);
    fill_ellipse(img, x, y + 12, 13, 13, 0xFFB45A);
    fill_ellipse(img, x, y + 12, 9, 11, 0xE8463C);
    fill_ellipse(img, x, y + 12, 4, 5, 0xFFE6A0);
  }
}

void shore_town(Image& img, int base, bool night, uint64_t rng_start) {
  Prng rng(rng_start);
  const uint32_t walls[] = {0xF2E6D0, 0xE8D2B4, 0xDCE8F0, 0xF6DCCA, 0xE6EAD8};
  const uint32_t roofs[] = {0x3C6EA8, 0xB04A3C, 0x3C8A6A, 0x8A5A9A, 0xC8783C};
  int x = -10;
  while (x < img.w) {
    const int w = rng.range(46, 80), h = rng.range(34, 62);
    uint32_t wall = walls[rng.range(0, 4)], roof = roofs[rng.range(0, 4)];
    if (night) {
      wall = shade(wall, 0.28);
      roof = shade(roof, 0.3);
    }
    house(img, x, base - rng.range(0, 14), w, h, wall, roof, night);
    x += w + rng.range(6, 20);
  }
}

Image paint_town_day() {  // 70
  Image img(640, 345);
  vertical_gradient(img, 0, 140, 0x4A8CE0, 0xBEE0FA);
  cloud(img, 120, 50, 1.2, kWhite);
  cloud(img, 470, 34, 0.9, kWhite);
  sea(img, 140, 190, 0x3A78C0, 0x5AA0DC, 70);
  // The slope of the town falls from the left to the harbour on the right.
  fill_polygon(img, {{0, 160}, {640, 200}, {640, 345}, {0, 345}}, 0x7EB46A);
  shore_town(img, 240, false, 701);
  fill_polygon(img, {{0, 250}, {640, 236}, {640, 345}, {0, 345}}, 0xD8CCB0);
  fill_polygon(img, {{250, 345}, {390, 345}, {340, 236}, {300, 236}}, 0xA8A4A0);
  for (int i = 0; i < 6; ++i) fill_rect(img, 318, 248 + i * 16, 4, 8, 0xF4F4F0);
  tree(img, 60, 272, 1.3, 0x3C9A46);
  tree(img, 590, 262, 1.1, 0x3C9A46);
  draw_line(img, 470, 140, 470, 262, 5, 0x6A5A4A);  // telegraph pole
  draw_line(img, 456, 150, 484, 150, 3, 0x6A5A4A);
  draw_line(img, 470, 150, 640, 170, 1, 0x403830);
  draw_line(img, 470, 150, 0, 130, 1, 0x403830);
  return img;
}

Image paint_room() {  // 71
  Image img(640, 345);
  vertical_gradient(img, 0, 250, 0xE8D8BC, 0xD6C09C);
  for (int x = 0; x < 640; x += 32) fill_rect(img, x, 0, 2, 250, 0xDCC8A6);
  fill_rect(img, 0, 250, 640, 95, 0xA8744A);
  for (int y = 256; y < 345; y += 14) fill_rect(img, 0, y, 640, 2, 0x8C5E3C);
  // Window with the evening sea.
  fill_rect(img, 360, 50, 200, 130, 0xF4F0E4);
  Image view(188, 118);
  vertical_gradient(view, 0, 70, 0xF4A060, 0xFCD8A0);
  sun(view, 120, 66, 12, 0xFFF0C0, 0xF4A060);
  sea(view, 70, 118, 0x4A5E9A, 0x6A78B0, 71);
  for (int y = 0; y < view.h; ++y)
    for (int x = 0; x < view.w; ++x) img.at(366 + x, 56 + y) = view.at(x, y);
  fill_rect(img, 457, 56, 6, 118, 0xF4F0E4);
  fill_polygon(img, {{350, 40}, {380, 40}, {372, 200}, {342, 200}}, 0x6E9ACC);  // curtains
  fill_polygon(img, {{540, 40}, {570, 40}, {578, 200}, {548, 200}}, 0x6E9ACC);
  // Bed, desk with lamp, bookshelf, poster.
  fill_rect(img, 20, 200, 250, 70, 0xF0F0F4);
  fill_rect(img, 20, 190, 70, 30, kWhite);
  fill_rect(img, 90, 206, 180, 60, 0x5A8AC8);
  fill_rect(img, 20, 266, 250, 14, 0x7A5434);
  fill_rect(img, 440, 220, 180, 12, 0x8A603A);
  fill_rect(img, 450, 232, 10, 70, 0x7A5434);
  fill_rect(img, 600, 232, 10, 70, 0x7A5434);
  draw_line(img, 580, 220, 570, 170, 3, 0x505050);
  fill_polygon(img, {{552, 176}, {588, 176}, {580, 150}, {560, 150}}, 0xF0C850);
  fill_rect(img, 140, 40, 110, 140, 0x8A603A);
  const uint32_t books[] = {0xC84A3C, 0x3C6EA8, 0xE8C040, 0x4A9A5A, 0x8A5A9A};
  for (int shelf = 0; shelf < 3; ++shelf) {
    fill_rect(img, 146, 80 + shelf * 44, 98, 4, 0x5A3C22);
    for (int b = 0; b < 8; ++b)
      fill_rect(img, 150 + b * 11, 50 + shelf * 44, 9, 30, books[(b + shelf) % 5]);
  }
  fill_rect(img, 30, 40, 80, 104, 0x2A4A7A);
  sun(img, 70, 80, 14, 0xF4D060, 0x2A4A7A);
  draw_pixel_text(img, 40, 124, "SUMMER", 2, 0xF4F0E4);
  return img;
}

Image paint_beach(int h, uint64_t rng_start) {  // 73 and the base of 75
  Image img(640, h);
  const int horizon = h * 42 / 100;
  vertical_gradient(img, 0, horizon, 0x3C86E6, 0xC4E6FC);
  cloud(img, 150, horizon * 0.35, 1.4, kWhite);
  cloud(img, 520, horizon * 0.5, 1.0, kWhite);
  sea(img, horizon, h * 72 / 100, 0x2A6CC0, 0x48B4D8, rng_start);
  // Surf line and sand.
  const int shore = h * 72 / 100;
  fill_rect(img, 0, shore, 640, h - shore, 0xEEDCAE);
  for (int x = 0; x < 640; x += 4) {
    const int y = shore + static_cast<int>(3 * std::sin(x * 0.05));
    fill_rect(img, x, y - 2, 4, 4, kWhite);
  }
  Prng rng(rng_start + 1);
  for (int i = 0; i < 300; ++i)
    fill_rect(img, rng.range(0, 639), rng.range(shore + 6, h - 1), 2, 1, 0xD8C492);
  return img;
}

Image paint_gallery_backdrop() {  // 74
  Image img(640, 480);
  vertical_gradient(img, 0, 480, 0x1C1848, 0x46306E);
  stars(img, 480, 220, 74);
  const char* title = "GALLERY";
  draw_pixel_text_shadow(img, (640 - pixel_text_width(title, 6)) / 2, 70, title, 6, 0xF4DC96,
                         0x141030);
  draw_pixel_text(img, (640 - pixel_text_width("MEMORIES OF THE SUMMER", 2)) / 2, 140,
                  "MEMORIES OF THE SUMMER", 2, 0xC8C0F0);
  const int pos[5][2] = {{75, 200}, {253, 200}, {431, 200}, {160, 330}, {338, 330}};
  for (const auto& p : pos) {
    frame_rect(img, p[0] - 6, p[1] - 6, 140, 108, 2, 0xE6C878);
    frame_rect(img, p[0] - 3, p[1] - 3, 134, 102, 1, 0xFFF4D0);
    fill_rect(img, p[0], p[1], 128, 96, 0x2A2450);
  }
  return img;
}

Image paint_event_beach() {  // 75: the girl by the water
  Image img = paint_beach(480, 75);
  sun(img, 500, 70, 26, 0xFFF8D8, 0xC4E6FC);
  figure(img, 330, 420, 2.6, 0xF8F8FC, 0x2E2A48);
  for (int i = 0; i < 3; ++i) {  // gulls
    const double x = 160 + i * 60, y = 70 + (i % 2) * 20;
    draw_arc(img, x - 8, y, 8, 5, kPi, 2 * kPi, 2, 0x50607A);
    draw_arc(img, x + 8, y, 8, 5, kPi, 2 * kPi, 2, 0x50607A);
  }
  return img;
}

Image paint_event_fireworks() {  // 76
  Image img(640, 480);
  vertical_gradient(img, 0, 480, 0x0C0C2C, 0x2C1E4C);
  stars(img, 300, 120, 76);
  firework(img, 180, 130, 90, 0xFF7A8A, 36, 761);
  firework(img, 440, 100, 110, 0x8AD8FF, 44, 762);
  firework(img, 320, 220, 60, 0xFFE07A, 28, 763);
  fill_rect(img, 0, 360, 640, 120, 0x10101E);
  shore_town(img, 400, true, 764);
  fill_rect(img, 0, 400, 640, 80, 0x141226);
  figure(img, 280, 478, 2.2, 0x2A3460, 0x5A3A24);
  figure(img, 350, 478, 2.1, 0xE8E8F0, 0x2E2A48);
  return img;
}

Image paint_event_lighthouse() {  // 77
  Image img(640, 480);
  vertical_gradient(img, 0, 220, 0x5A9CEC, 0xD4ECFC);
  cloud(img, 500, 70, 1.3, kWhite);
  sea(img, 220, 480, 0x3070C0, 0x2A5CA8, 77);
  fill_polygon(img, {{0, 260}, {260, 240}, {380, 300}, {460, 480}, {0, 480}}, 0x5AA050);
  fill_polygon(img, {{380, 300}, {460, 480}, {420, 480}, {360, 320}}, 0x8A7A64);
  lighthouse(img, 170, 260, 2.0, false);
  figure(img, 280, 300, 1.5, 0xF8F8FC, 0x2E2A48, true);
  return img;
}

Image paint_event_shop() {  // 78: shaved ice at the shop front
  Image img(640, 480);
  fill_rect(img, 0, 0, 640, 480, 0xE8DCC4);
  for (int x = 0; x < 640; x += 64) {  // awning
    fill_polygon(img,
                 {{x + 0.0, 40}, {x + 32.0, 40}, {x + 32.0, 120}, {x + 16.0, 134}, {x + 0.0, 120}},
                 0xD84A4A);
    fill_polygon(
        img, {{x + 32.0, 40}, {x + 64.0, 40}, {x + 64.0, 120}, {x + 48.0, 134}, {x + 32.0, 120}},
        0xF4F4F0);
  }
  fill_rect(img, 0, 0, 640, 40, 0x6A4A30);
  draw_pixel_text_shadow(img, (640 - pixel_text_width("ICE", 5)) / 2, 4, "ICE", 5, 0xF4F0E4,
                         0x3A2A1A);
  fill_rect(img, 0, 330, 640, 150, 0x9A6A40);  // counter
  fill_rect(img, 0, 330, 640, 10, 0x7A5030);
  const uint32_t syrup[] = {0x4AA0F0, 0xF05A6A};
  for (int i = 0; i < 2; ++i) {
    const double x = 240 + i * 170;
    fill_polygon(img, {{x - 40, 250}, {x + 40, 250}, {x + 24, 330}, {x - 24, 330}}, 0xDCEEFA);
    fill_ellipse(img, x, 230, 56, 44, kWhite);
    fill_ellipse_band(img, x, 230, 56, 44, 186, 236, syrup[i]);
    draw_line(img, x + 20, 200, x + 50, 150, 4, 0xF0C850);  // spoon
  }
  fill_ellipse(img, 90, 250, 50, 60, 0x3C9A46);  // potted plant
  fill_rect(img, 70, 300, 40, 30, 0xB46A3C);
  return img;
}

Image paint_event_promise() {  // 79: the two of them under the fireworks
  Image img(640, 480);
  vertical_gradient(img, 0, 300, 0x080826, 0x2A2060);
  stars(img, 300, 260, 79);
  for (int i = 0; i < 200; ++i) {  // a band of the milky way
    Prng rng(790 + i);
    const double t = rng.uniform();
    const int x = static_cast<int>(t * 640),
              y = static_cast<int>(40 + t * 160 + rng.range(-30, 30));
    fill_rect(img, x, y, 2, 2, 0x8A8ACC);
  }
  firework(img, 330, 120, 100, 0xFFC07A, 48, 791);
  sea(img, 300, 480, 0x1A1A48, 0x2A2458, 792);
  for (int y = 310; y < 470; y += 6)  // the reflection of the burst
    fill_rect(img, 300 + (y % 12), y, 60 - (y - 310) / 4, 2, 0xC8A060);
  fill_polygon(img, {{0, 420}, {640, 440}, {640, 480}, {0, 480}}, 0x1C1830);
  figure(img, 300, 470, 2.3, 0x202848, 0x3A2A1E);
  figure(img, 344, 470, 2.2, 0xD8D8E8, 0x2A2642);
  draw_line(img, 312, 420, 333, 420, 4, 0xE8C4A0);  // holding hands
  return img;
}

Image paint_festival() {  // 80
  Image img(640, 345);
  vertical_gradient(img, 0, 200, 0x0A0A26, 0x2C2250);
  stars(img, 160, 80, 80);
  fill_ellipse(img, 540, 60, 22, 22, 0xF8F0C8);
  fill_ellipse(img, 530, 54, 20, 20, 0x141232);
  shore_town(img, 230, true, 801);
  fill_rect(img, 0, 230, 640, 115, 0x3A3040);
  for (int i = 0; i < 3; ++i) {  // stalls
    const int x = 40 + i * 210;
    fill_rect(img, x, 200, 160, 70, 0x5A3A2A);
    fill_rect(img, x + 6, 214, 148, 50, 0xFFD890);
    for (int s = 0; s < 160; s += 20)
      fill_rect(img, x + s, 188, 10, 14, (s / 20) % 2 ? kWhite : 0xD84A4A);
  }
  lantern_string(img, 0, 100, 640, 120, 9);
  lantern_string(img, 0, 150, 640, 140, 7);
  return img;
}

Image paint_hill_road() {  // 81
  Image img(640, 345);
  vertical_gradient(img, 0, 180, 0x58A0F0, 0xD6F0FC);
  cloud(img, 200, 60, 1.5, kWhite);
  fill_polygon(img, {{0, 200}, {200, 150}, {420, 140}, {640, 180}, {640, 345}, {0, 345}}, 0x6AB45A);
  lighthouse(img, 470, 150, 0.8, false);
  fill_polygon(img, {{0, 260}, {320, 200}, {640, 240}, {640, 345}, {0, 345}}, 0x58A04A);
  fill_polygon(img, {{250, 345}, {420, 345}, {360, 240}, {420, 180}, {400, 176}, {330, 240}},
               0xD8C8A0);
  Prng rng(81);
  for (int i = 0; i < 400; ++i) {
    const int x = rng.range(0, 639), y = rng.range(250, 344);
    draw_line(img, x, y, x + rng.range(-2, 2), y - rng.range(4, 9), 1, 0x3C8A3C);
  }
  tree(img, 80, 280, 1.6, 0x3C8A46);
  tree(img, 580, 260, 1.3, 0x3C8A46);
  return img;
}

Image paint_shrine() {  // 82
  Image img(640, 345);
  vertical_gradient(img, 0, 220, 0xF0A070, 0xFCE0B0);
  for (int i = 0; i < 9; ++i) tree(img, 20 + i * 78, 230 - (i % 2) * 10, 2.4, 0x2E6A3A);
  fill_rect(img, 0, 230, 640, 115, 0xB4A890);
  for (int i = 0; i < 5; ++i)  // stone steps
    fill_rect(img, 220 - i * 20, 260 + i * 17, 200 + i * 40, 12, 0xA09A8E);
  // The gate.
  fill_rect(img, 210, 90, 16, 170, 0xD0402E);
  fill_rect(img, 414, 90, 16, 170, 0xD0402E);
  fill_polygon(img, {{170, 78}, {470, 78}, {480, 64}, {160, 64}}, 0x2A2220);
  fill_rect(img, 180, 78, 280, 12, 0xD0402E);
  fill_rect(img, 196, 112, 248, 10, 0xD0402E);
  fill_rect(img, 306, 90, 28, 22, 0x2A2220);
  return img;
}

Image paint_harbour() {  // 83
  Image img(640, 345);
  vertical_gradient(img, 0, 150, 0x78B4F0, 0xE6F4FC);
  sun(img, 120, 60, 20, 0xFFF8E0, 0xE6F4FC);
  sea(img, 150, 345, 0x3A7CC4, 0x2A64A8, 83);
  fill_rect(img, 430, 110, 210, 50, 0xC8C0B0);  // warehouses
  fill_rect(img, 450, 96, 90, 20, 0xA8543C);
  fill_rect(img, 545, 100, 90, 16, 0x4A6E98);
  fill_polygon(img, {{360, 345}, {640, 345}, {640, 250}, {470, 250}}, 0xA89C88);  // pier
  for (int x = 480; x < 640; x += 40) fill_rect(img, x, 250, 6, 95, 0x7A6A56);
  for (int i = 0; i < 2; ++i) {  // boats
    const double x = 130 + i * 170, y = 230 + i * 30;
    fill_polygon(img, {{x - 60, y}, {x + 60, y}, {x + 44, y + 22}, {x - 44, y + 22}},
                 i ? 0xD84A3C : kWhite);
    fill_rect(img, static_cast<int>(x - 20), static_cast<int>(y - 24), 40, 24, 0xF4F0E4);
    draw_line(img, x + 30, y, x + 30, y - 80, 3, 0x6A5A4A);
  }
  for (int i = 0; i < 4; ++i) {
    const double x = 250 + i * 50, y = 50 + (i % 2) * 16;
    draw_arc(img, x - 7, y, 7, 4, kPi, 2 * kPi, 2, 0x50607A);
    draw_arc(img, x + 7, y, 7, 4, kPi, 2 * kPi, 2, 0x50607A);
  }
  return img;
}

Image paint_lighthouse_dusk() {  // 84
  Image img(640, 345);
  vertical_gradient(img, 0, 200, 0x3A2A6A, 0xF49A6A);
  stars(img, 80, 40, 84);
  sea(img, 200, 345, 0x3A3868, 0x1E1E44, 84);
  fill_polygon(img, {{300, 345}, {380, 200}, {520, 190}, {640, 230}, {640, 345}}, 0x2A2430);
  // The beam sweeping over the sea.
  for (int y = 0; y < 345; ++y)
    for (int x = 0; x < 440; ++x) {
      const double t = (440.0 - x) / 440.0;
      const double top = 118 - 70 * t, bot = 130 + 10 * t;
      if (y >= top && y <= bot) img.at(x, y) = mix(img.at(x, y), 0xFFF0B0, 0.35 * (1 - t) + 0.1);
    }
  lighthouse(img, 450, 200, 1.0, true);
  return img;
}

Image paint_summer_sky() {  // 85
  Image img(640, 345);
  vertical_gradient(img, 0, 345, 0x2E74E0, 0xAEDCFA);
  fill_ellipse(img, 320, 240, 260, 90, 0xF8FAFF);  // cumulus tower
  fill_ellipse(img, 250, 180, 110, 80, kWhite);
  fill_ellipse(img, 380, 150, 120, 100, kWhite);
  fill_ellipse(img, 320, 100, 80, 70, kWhite);
  fill_ellipse_band(img, 320, 240, 260, 90, 260, 345, 0xDCE6F4);
  for (int i = 0; i < 7; ++i) {  // sunflowers
    const double x = 40 + i * 95, y = 300 - (i % 2) * 18;
    draw_line(img, x, y, x, 345, 5, 0x3C8A3C);
    for (int p = 0; p < 12; ++p) {
      const double a = 2 * kPi * p / 12;
      fill_ellipse(img, x + 17 * std::cos(a), y + 17 * std::sin(a), 7, 7, 0xF8C828);
    }
    fill_ellipse(img, x, y, 11, 11, 0x6A4A22);
  }
  return img;
}

}  // namespace

Image paint_background(int number) {
  switch (number) {
    case 70:
      return paint_town_day();
    case 71:
      return paint_room();
    case 73:
      return paint_beach(345, 73);
    case 74:
      return paint_gallery_backdrop();
    case 75:
      return paint_event_beach();
    case 76:
      return paint_event_fireworks();
    case 77:
      return paint_event_lighthouse();
    case 78:
      return paint_event_shop();
    case 79:
      return paint_event_promise();
    case 80:
      return paint_festival();
    case 81:
      return paint_hill_road();
    case 82:
      return paint_shrine();
    case 83:
      return paint_harbour();
    case 84:
      return paint_lighthouse_dusk();
    default:
      return paint_summer_sky();
  }
}

}  // namespace vm::datatool
