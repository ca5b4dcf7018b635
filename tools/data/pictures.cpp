#include "data/pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/draw.h"
#include "graphics/scene.h"

namespace vm::datatool {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Dark ink for outlines and eyes; never pure black, which the game treats as
// transparent in sprites and faces.
constexpr uint32_t kInk = 0x1E1626;
constexpr uint32_t kWhite = 0xFFFFFF;

using Pts = std::vector<std::pair<double, double>>;

// ------------------------------------------------------------ characters ---

struct Look {
  uint32_t hair, skin, top, top_dark, bottom, iris;
  enum Hair { Short, Ponytail, Long, Grey } style;
  enum Body { Boy, Girl, Dress, Man } body;
};

Look look_of(int character) {
  switch (character) {
    case 1:  // Sorano: brown hair, sky-blue open shirt, navy trousers
      return {0x5A3A24, 0xF8DCC2, 0x5A9ADC, 0x3A6AAA, 0x2A3460, 0x6E4628, Look::Short, Look::Boy};
    case 2:  // Mitsu: chestnut ponytail, coral top, beige shorts
      return {0xA85A28, 0xF6D6B8, 0xEC6E50,       0xB44A36,
              0xD8C090, 0x3C8246, Look::Ponytail, Look::Girl};
    case 3:  // the visiting girl: long dark hair, white summer dress
      return {0x2E2A48, 0xFAE4D4, 0xF6F6FA, 0xC8CCDC, 0xF6F6FA, 0x3C5AAA, Look::Long, Look::Dress};
    default:  // Sorano's father: grey hair, green polo shirt
      return {0x8A8A90, 0xE8C4A0, 0x508250, 0x34583A, 0x4A4036, 0x3C3228, Look::Grey, Look::Man};
  }
}

void outlined_ellipse(Image& img, double cx, double cy, double rx, double ry, uint32_t c) {
  fill_ellipse(img, cx, cy, rx + 2, ry + 2, kInk);
  fill_ellipse(img, cx, cy, rx, ry, c);
}

void outlined_polygon(Image& img, const Pts& pts, uint32_t c) {
  for (size_t i = 0; i < pts.size(); ++i) {
    const auto& a = pts[i];
    const auto& b = pts[(i + 1) % pts.size()];
    draw_line(img, a.first, a.second, b.first, b.second, 4, kInk);
  }
  fill_polygon(img, pts, c);
}

void outlined_limb(Image& img, double x0, double y0, double x1, double y1, double width,
                   uint32_t c) {
  draw_line(img, x0, y0, x1, y1, width + 4, kInk);
  draw_line(img, x0, y0, x1, y1, width, c);
}

// An arm from the shoulder through the elbow to the hand: sleeve, forearm, hand.
void arm(Image& img, const Look& lk, double sx, double sy, double ex, double ey, double hx,
         double hy, bool long_sleeve) {
  outlined_limb(img, sx, sy, ex, ey, 18, lk.top);
  outlined_limb(img, ex, ey, hx, hy, 14, long_sleeve ? lk.top : lk.skin);
  outlined_ellipse(img, hx, hy, 8, 8, lk.skin);
}

}  // namespace

FaceArea face_area(int key) {
  // The engine's own table, so the pictures always fit what it cuts.
  const int* a = vm::kFaceAreas[vm::face_row(key)];
  return {a[0], a[1], a[2], a[3], a[4]};
}

namespace {

// One face into the rectangle (x, y, w, h): skin oval, fringe, eyes, brows and
// mouth for the given expression (1..8); the corners outside the oval are left
// as they are, so on the face sheet they stay black (transparent).
void draw_face(Image& img, int x, int y, int w, int h, int character, int expression) {
  const Look lk = look_of(character);
  const double cx = x + w / 2.0, cy = y + h / 2.0;
  const double rx = w / 2.0 - 1, ry = h / 2.0 - 1;
  fill_ellipse(img, cx, cy, rx, ry, kInk);
  fill_ellipse(img, cx, cy, rx - 2, ry - 2, lk.skin);

  // Fringe: hair over the top of the oval down to a zig-zag line of bangs.
  const double fringe = (lk.style == Look::Grey) ? 0.20 : (lk.style == Look::Long ? 0.34 : 0.30);
  for (int yy = y; yy < y + h; ++yy) {
    for (int xx = x; xx < x + w; ++xx) {
      const double dx = (xx + 0.5 - cx) / (rx - 2), dy = (yy + 0.5 - cy) / (ry - 2);
      if (dx * dx + dy * dy > 1.0) continue;
      const double phase = std::fmod(std::abs(xx - cx) + 200.0, 14.0) / 14.0;
      const double zig = (lk.style == Look::Grey) ? 0 : 6.0 * std::abs(phase - 0.5);
      if (yy < y + h * fringe + zig) img.at(xx, yy) = lk.hair;
    }
  }

  const double ey = y + h * 0.56;
  const double ex = w * 0.21;
  const double erx = (lk.body == Look::Man) ? 4.0 : (lk.body == Look::Boy ? 5.0 : 6.0);
  const double ery = (lk.body == Look::Man) ? 4.5 : (lk.body == Look::Boy ? 7.0 : 8.0);
  const double my = y + h * 0.80;
  const uint32_t blush = 0xF4A0A0;
  const uint32_t mouth_in = 0xA03040;

  auto brows = [&](double inner, double outer) {  // offsets from the eye line
    for (int s = -1; s <= 1; s += 2) {
      draw_line(img, cx + s * (ex - 8), ey - ery - 5 + inner, cx + s * (ex + 8),
                ey - ery - 5 + outer, 2.5, shade(lk.hair, 0.7));
    }
  };
  auto open_eyes = [&](double scale, double look_x) {
    for (int s = -1; s <= 1; s += 2) {
      const double px = cx + s * ex;
      fill_ellipse(img, px, ey, erx * scale + 1, ery * scale + 1, kInk);
      fill_ellipse(img, px, ey, erx * scale - 0.5, ery * scale - 0.5, kWhite);
      fill_ellipse(img, px + look_x, ey + 1, erx * scale * 0.75, ery * scale * 0.8, lk.iris);
      fill_ellipse(img, px + look_x, ey + 1.5, erx * scale * 0.35, ery * scale * 0.4, kInk);
      fill_ellipse(img, px + look_x - 2, ey - 2.5, 1.6, 1.8, kWhite);
    }
  };
  auto arc_eyes = [&](bool happy) {
    for (int s = -1; s <= 1; s += 2) {
      const double px = cx + s * ex;
      if (happy)
        draw_arc(img, px, ey + 2, erx + 1, ery * 0.6, kPi, 2 * kPi, 2.5, kInk);
      else
        draw_arc(img, px, ey - 2, erx + 1, ery * 0.5, 0, kPi, 2.5, kInk);
    }
  };
  auto cheeks = [&](double alpha) {
    for (int s = -1; s <= 1; s += 2) {
      const double px = cx + s * (ex + 4);
      for (int yy = static_cast<int>(ey + ery); yy < ey + ery + 5; ++yy)
        for (int xx = static_cast<int>(px - 8); xx < px + 8; ++xx)
          if (img.contains(xx, yy)) img.at(xx, yy) = mix(img.at(xx, yy), blush, alpha);
    }
  };

  switch (expression) {
    case 2:  // smile
      brows(0, 1);
      open_eyes(1.0, 0);
      fill_ellipse_band(img, cx, my - 3, 8, 7, static_cast<int>(my - 3), y + h, mouth_in);
      cheeks(0.35);
      break;
    case 3:  // surprised
      brows(-4, -3);
      open_eyes(1.25, 0);
      fill_ellipse(img, cx, my, 4, 5, mouth_in);
      break;
    case 4:  // sad
      brows(-3, 2);
      open_eyes(0.9, 0);
      fill_rect(img, static_cast<int>(cx - ex - erx - 2), static_cast<int>(ey - ery - 2),
                static_cast<int>(2 * ex + 2 * erx + 5), static_cast<int>(ery * 0.6), lk.skin);
      draw_arc(img, cx, my + 4, 6, 4, kPi, 2 * kPi, 2, kInk);
      break;
    case 5:  // angry
      brows(4, -3);
      open_eyes(0.85, 0);
      draw_line(img, cx - 6, my, cx + 6, my - 1, 2.5, kInk);
      break;
    case 6:  // laughing, eyes closed
      brows(-1, 0);
      arc_eyes(true);
      fill_ellipse_band(img, cx, my - 4, 9, 8, static_cast<int>(my - 4), y + h, mouth_in);
      cheeks(0.5);
      break;
    case 7:  // embarrassed, looking aside
      brows(-2, 1);
      open_eyes(0.95, 2.5);
      cheeks(0.7);
      draw_arc(img, cx - 3, my, 3, 2, kPi, 2 * kPi, 2, kInk);
      draw_arc(img, cx + 3, my, 3, 2, 0, kPi, 2, kInk);
      break;
    case 8:  // crying
      brows(-3, 2);
      arc_eyes(false);
      for (int s = -1; s <= 1; s += 2) {
        fill_ellipse(img, cx + s * ex, ey + 7, 2.5, 4, 0x78B4F0);
        fill_ellipse(img, cx + s * (ex + 2), ey + 15, 2, 3.5, 0x78B4F0);
      }
      draw_arc(img, cx, my + 4, 5, 4, kPi, 2 * kPi, 2, kInk);
      break;
    default:  // 1: calm
      brows(0, 0);
      open_eyes(1.0, 0);
      draw_arc(img, cx, my - 3, 5, 3, 0.2, kPi - 0.2, 2, kInk);
      break;
  }
  if (lk.body == Look::Man) {  // moustache
    draw_line(img, cx - 8, my - 7, cx - 1, my - 8, 3, shade(lk.hair, 0.6));
    draw_line(img, cx + 1, my - 8, cx + 8, my - 7, 3, shade(lk.hair, 0.6));
  }
}

}  // namespace

Image paint_sprite(int character, int pose) {
  Image img(kSpriteW, kSpriteH, 0);
  const Look lk = look_of(character);
  const FaceArea fa = face_area(character * 10 + pose);
  const double cx = (fa.x1 + fa.x2) / 2.0;
  const double fy = (fa.y1 + fa.y2) / 2.0;
  const double hw = fa.w() / 2.0, hh = fa.h() / 2.0;
  const double neck = fa.y2 + 4;
  const double shoulder_y = fa.y2 + 22;
  const double sw = lk.body == Look::Man ? 62 : (lk.body == Look::Boy ? 54 : 48);
  const double waist_y = shoulder_y + (lk.body == Look::Man ? 150 : 135);
  const double ww = sw - 10;

  // Hair behind the head and body.
  if (lk.style == Look::Long) {
    outlined_polygon(img,
                     {{cx - hw - 10, fy - 10},
                      {cx + hw + 10, fy - 10},
                      {cx + hw + 18, shoulder_y + 95},
                      {cx + hw - 4, shoulder_y + 110},
                      {cx - hw + 4, shoulder_y + 110},
                      {cx - hw - 18, shoulder_y + 95}},
                     lk.hair);
  }
  if (lk.style == Look::Ponytail) {
    outlined_ellipse(img, cx + hw + 14, fy - hh * 0.1, 14, 40, lk.hair);
    outlined_ellipse(img, cx + hw + 4, fy - hh * 0.75, 9, 8, 0xF0D040);  // hair tie
  }

  // Legs, then the lower garment.
  const double hip = waist_y - 4;
  const double leg_dx = ww * 0.45;
  const uint32_t legs = (lk.body == Look::Dress || lk.body == Look::Girl) ? lk.skin : lk.bottom;
  outlined_limb(img, cx - leg_dx, hip, cx - leg_dx - 6, kSpriteH + 10, 28, legs);
  outlined_limb(img, cx + leg_dx, hip, cx + leg_dx + 6, kSpriteH + 10, 28, legs);
  if (lk.body == Look::Girl) {  // shorts
    outlined_polygon(img,
                     {{cx - ww, waist_y - 10},
                      {cx + ww, waist_y - 10},
                      {cx + ww + 8, waist_y + 70},
                      {cx + 2, waist_y + 70},
                      {cx, waist_y + 40},
                      {cx - 2, waist_y + 70},
                      {cx - ww - 8, waist_y + 70}},
                     lk.bottom);
  }
  if (lk.body == Look::Dress) {  // the skirt of the dress
    outlined_polygon(img,
                     {{cx - ww + 4, waist_y - 20},
                      {cx + ww - 4, waist_y - 20},
                      {cx + ww + 34, waist_y + 150},
                      {cx - ww - 34, waist_y + 150}},
                     lk.top);
    draw_line(img, cx - ww - 30, waist_y + 140, cx + ww + 30, waist_y + 140, 3, 0x9AB4E6);
  }

  // Torso.
  outlined_polygon(img,
                   {{cx - sw, shoulder_y + 6},
                    {cx - sw + 14, shoulder_y - 6},
                    {cx + sw - 14, shoulder_y - 6},
                    {cx + sw, shoulder_y + 6},
                    {cx + ww, waist_y},
                    {cx - ww, waist_y}},
                   lk.top);
  if (lk.body == Look::Boy) {  // open shirt over a white T-shirt
    fill_polygon(img,
                 {{cx - 16, shoulder_y - 4},
                  {cx + 16, shoulder_y - 4},
                  {cx + 12, waist_y},
                  {cx - 12, waist_y}},
                 0xF4F4F0);
    draw_line(img, cx - 16, shoulder_y - 4, cx - 12, waist_y, 3, lk.top_dark);
    draw_line(img, cx + 16, shoulder_y - 4, cx + 12, waist_y, 3, lk.top_dark);
  } else if (lk.body == Look::Man) {  // polo collar and buttons
    fill_polygon(img, {{cx - 18, shoulder_y - 6}, {cx, shoulder_y + 14}, {cx + 18, shoulder_y - 6}},
                 lk.top_dark);
    for (int i = 0; i < 2; ++i) fill_ellipse(img, cx, shoulder_y + 22 + 12 * i, 2.5, 2.5, kWhite);
  } else if (lk.body == Look::Girl) {  // a stripe across the top
    fill_rect(img, static_cast<int>(cx - sw + 8), static_cast<int>(shoulder_y + 40),
              static_cast<int>(2 * sw - 16), 8, 0xFFF0C8);
  } else {  // dress: a ribbon at the waist
    fill_rect(img, static_cast<int>(cx - ww), static_cast<int>(waist_y - 26),
              static_cast<int>(2 * ww), 8, 0x7896D2);
    fill_ellipse(img, cx, waist_y - 22, 9, 6, 0x7896D2);
  }
  if (character == 4 && pose == 2) {  // apron for the festival stall
    outlined_polygon(img,
                     {{cx - 30, shoulder_y + 30},
                      {cx + 30, shoulder_y + 30},
                      {cx + ww + 4, kSpriteH + 10},
                      {cx - ww - 4, kSpriteH + 10}},
                     0x2A3C78);
    fill_rect(img, static_cast<int>(cx - 16), static_cast<int>(shoulder_y + 70), 32, 24, 0x3A4C8C);
  }

  // Arms by pose.
  const double sl = cx - sw + 6, sr = cx + sw - 6, sy = shoulder_y + 6;
  const bool long_sleeve = (lk.body == Look::Boy);
  switch (character * 10 + pose) {
    case 12:  // waving
      arm(img, lk, sl, sy, sl - 18, sy + 70, sl - 14, sy + 140, long_sleeve);
      arm(img, lk, sr, sy, sr + 36, sy - 30, sr + 30, fa.y1 - 10, long_sleeve);
      break;
    case 22:  // hands on hips
      arm(img, lk, sl, sy, sl - 34, sy + 60, cx - ww + 2, waist_y - 14, false);
      arm(img, lk, sr, sy, sr + 34, sy + 60, cx + ww - 2, waist_y - 14, false);
      break;
    case 31:  // hands clasped in front
      arm(img, lk, sl, sy, sl - 6, sy + 80, cx - 4, waist_y + 6, false);
      arm(img, lk, sr, sy, sr + 6, sy + 80, cx + 4, waist_y + 6, false);
      break;
    case 32:  // one hand at the hat brim
      arm(img, lk, sl, sy, sl - 8, sy + 80, sl - 4, sy + 150, false);
      arm(img, lk, sr, sy, sr + 30, sy - 20, cx + hw + 6, fa.y1 - 6, false);
      break;
    case 42:  // arms folded
      arm(img, lk, sl, sy, sl - 8, sy + 70, cx + 30, sy + 64, false);
      arm(img, lk, sr, sy, sr + 8, sy + 70, cx - 30, sy + 58, false);
      break;
    default:  // standing, arms down
      arm(img, lk, sl, sy, sl - 10, sy + 75, sl - 8, sy + 150, long_sleeve);
      arm(img, lk, sr, sy, sr + 10, sy + 75, sr + 8, sy + 150, long_sleeve);
      break;
  }

  // Neck, ears, hair behind the face, then the face.
  outlined_limb(img, cx, neck - 6, cx, shoulder_y, 20, lk.skin);
  outlined_ellipse(img, cx, fy - hh * 0.35, hw + 9, hh + 4, lk.hair);
  outlined_ellipse(img, cx - hw - 1, fy + 4, 6, 9, lk.skin);
  outlined_ellipse(img, cx + hw + 1, fy + 4, 6, 9, lk.skin);
  if (lk.style == Look::Long) {  // side locks framing the face
    outlined_limb(img, cx - hw - 4, fy - 4, cx - hw - 2, fa.y2 + 26, 12, lk.hair);
    outlined_limb(img, cx + hw + 4, fy - 4, cx + hw + 2, fa.y2 + 26, 12, lk.hair);
  }
  draw_face(img, fa.x1, fa.y1, fa.w(), fa.h(), character, 1);

  // Head wear drawn over the hair, above the face area.
  if (character == 3 && pose == 2) {  // straw hat
    outlined_ellipse(img, cx, fa.y1 - 26, hw + 4, 17, 0xF0D890);
    outlined_ellipse(img, cx, fa.y1 - 12, hw + 40, 9, 0xF0D890);
    fill_rect(img, static_cast<int>(cx - hw - 2), fa.y1 - 26, static_cast<int>(2 * hw + 4), 6,
              0xD04050);
  }
  if (character == 4 && pose == 2) {  // twisted towel headband
    outlined_limb(img, cx - hw - 8, fa.y1 - 2, cx + hw + 8, fa.y1 - 4, 10, 0xF4F4F4);
  }
  return img;
}

Image paint_face_sheet() {
  Image img(kFaceSheetW, kFaceSheetH, 0);
  const int keys[] = {11, 12, 21, 22, 31, 32, 41};
  for (int key : keys) {
    const FaceArea fa = face_area(key);
    for (int f = 1; f <= kFacesPerColumn; ++f)
      draw_face(img, fa.sheet_x, (f - 1) * fa.h(), fa.w(), fa.h(), key / 10, f);
  }
  return img;
}

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

// Sea from the horizon down to y1, with glittering wave strokes.
void sea(Image& img, int horizon, int y1, uint32_t far, uint32_t near, uint64_t seed) {
  for (int y = horizon; y < std::min(y1, img.h); ++y) {
    const uint32_t c = mix(far, near, static_cast<double>(y - horizon) / std::max(1, y1 - horizon));
    for (int x = 0; x < img.w; ++x) img.at(x, y) = c;
  }
  Prng rng(seed);
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

void stars(Image& img, int y1, int count, uint64_t seed) {
  Prng rng(seed);
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

void house(Image& img, int x, int base, int w, int h, uint32_t wall, uint32_t roof,
           bool lit = false) {
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

void firework(Image& img, double x, double y, double r, uint32_t c, int rays, uint64_t seed) {
  Prng rng(seed);
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

void shore_town(Image& img, int base, bool night, uint64_t seed) {
  Prng rng(seed);
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

Image paint_beach(int h, uint64_t seed) {  // 73 and the base of 75
  Image img(640, h);
  const int horizon = h * 42 / 100;
  vertical_gradient(img, 0, horizon, 0x3C86E6, 0xC4E6FC);
  cloud(img, 150, horizon * 0.35, 1.4, kWhite);
  cloud(img, 520, horizon * 0.5, 1.0, kWhite);
  sea(img, horizon, h * 72 / 100, 0x2A6CC0, 0x48B4D8, seed);
  // Surf line and sand.
  const int shore = h * 72 / 100;
  fill_rect(img, 0, shore, 640, h - shore, 0xEEDCAE);
  for (int x = 0; x < 640; x += 4) {
    const int y = shore + static_cast<int>(3 * std::sin(x * 0.05));
    fill_rect(img, x, y - 2, 4, 4, kWhite);
  }
  Prng rng(seed + 1);
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

namespace {

// The title as it stands on the title picture and on the panel: the same
// position, so the panel dissolve dresses the letters up without moving them.
constexpr int kPanelX = 180, kPanelY = 65, kPanelW = 280, kPanelH = 150;
constexpr const char* kTitleWord = "VELMORA";
constexpr int kTitleScale = 6;

void title_word(Image& img, int ox, int oy, uint32_t c, uint32_t shadow) {
  const int w = pixel_text_width(kTitleWord, kTitleScale);
  draw_pixel_text_shadow(img, ox + (kPanelW - w) / 2, oy + 38, kTitleWord, kTitleScale, c, shadow);
}

}  // namespace

Image paint_title() {
  Image img(640, 480);
  vertical_gradient(img, 0, 300, 0x141848, 0xF0A0B0);
  stars(img, 160, 150, 72);
  sea(img, 300, 480, 0x6A5C9C, 0x1E2050, 720);
  for (int y = 306; y < 470; y += 5)  // the moon's path on the water
    fill_rect(img, 110 - (y - 300) / 8, y, (y - 300) / 4 + 4, 2, 0xE8E0C0);
  fill_polygon(img, {{430, 300}, {640, 270}, {640, 480}, {560, 480}}, 0x1A1830);
  lighthouse(img, 580, 282, 1.3, true);
  fill_ellipse(img, 110, 70, 26, 26, 0xFCF4D0);
  title_word(img, kPanelX, kPanelY, 0xF8E0A0, 0x2A1A3A);
  const char* sub = "A SUMMER BY THE SEA";
  draw_pixel_text(img, kPanelX + (kPanelW - pixel_text_width(sub, 2)) / 2, kPanelY + 100, sub, 2,
                  0xF4F0FF);
  return img;
}

namespace {

// Distance from the outer edge of a framed box, with rounded corners of
// radius 8: the profile of every frame piece.
double frame_depth(int x, int y, int w, int h) {
  const double r = 8.0;
  const double px = x + 0.5, py = y + 0.5;
  const double dx = std::min(px, w - px), dy = std::min(py, h - py);
  if (dx < r && dy < r) return r - std::hypot(r - dx, r - dy);
  return std::min(dx, dy);
}

// The frame colour at a depth: a dark-gold outer line, a bright gold line, a
// gap, an ivory inner line; black (transparent) elsewhere.
uint32_t frame_colour(double d) {
  if (d < 0.6) return 0;
  if (d < 1.6) return 0x8C6420;
  if (d < 3.0) return 0xE6BE5A;
  if (d < 4.0) return 0;
  if (d < 5.2) return 0xFAF0D2;
  return 0;
}

void menu_item(Image& img, int x, int y, const char* label, bool hot) {
  const uint32_t top = hot ? 0xFAE096 : 0x2C2A66, bottom = hot ? 0xDCA850 : 0x18163C;
  for (int yy = 0; yy < 35; ++yy) fill_rect(img, x, y + yy, 110, 1, mix(top, bottom, yy / 34.0));
  frame_rect(img, x + 1, y + 1, 108, 33, 1, hot ? 0xFFF8E0 : 0xC8A050);
  const int tw = pixel_text_width(label, 2);
  const uint32_t ink = hot ? 0x1C1A48 : 0xFAF0D2;
  if (!hot) draw_pixel_text(img, x + (110 - tw) / 2 + 1, y + 10, label, 2, 0x0C0A20);
  draw_pixel_text(img, x + (110 - tw) / 2, y + 9, label, 2, ink);
}

}  // namespace

Image paint_texture_sheet() {
  Image img(280, 370, 0);
  // Frame pieces: one 48 x 48 framed box holds every corner and edge at the
  // places the window frame cuts them from.
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) img.at(x, y) = frame_colour(frame_depth(x, y, 48, 48));
  fill_rect(img, 16, 16, 16, 16, kWindowTint);

  // Wall tile (also the slot window's background): navy with a gold lattice.
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int a = (x + y) % 32, b = (x - y + 64) % 32;
      uint32_t c = mix(0x22204A, 0x2E2A5E, (y % 16) / 15.0);
      if (a == 0 || b == 0) c = 0x6A5A3A;
      img.at(96 + x, y) = c;
    }
  for (int i = 0; i < 4; ++i)
    fill_ellipse(img, 96 + 16 + (i % 2) * 32, 16 + (i / 2) * 32, 2, 2, 0xE6BE5A);

  // Title panel: a dark plate with a double frame around the title word.
  for (int y = 0; y < kPanelH; ++y)
    for (int x = 0; x < kPanelW; ++x) {
      const double d = frame_depth(x, y, kPanelW, kPanelH);
      uint32_t c = mix(0x221E54, 0x120E30, y / double(kPanelH));
      const uint32_t fc = frame_colour(d);
      if (d < 6) c = fc ? fc : 0x0E0C26;
      img.at(x, 70 + y) = c;
    }
  title_word(img, 0, 70, 0xF8E0A0, 0x5A3A20);
  const char* sub = "A SUMMER BY THE SEA";
  draw_pixel_text(img, (kPanelW - pixel_text_width(sub, 2)) / 2, 70 + 100, sub, 2, 0xC8C0F0);
  for (int s = -1; s <= 1; s += 2) {  // ornaments beside the subtitle
    const int x = kPanelW / 2 + s * 124;
    fill_polygon(img, {{x - 5.0, 177.0}, {x + 0.0, 172.0}, {x + 5.0, 177.0}, {x + 0.0, 182.0}},
                 0xE6BE5A);
  }

  const char* labels[4] = {"START", "LOAD", "GALLERY", "EXIT"};
  for (int i = 0; i < 4; ++i) {
    menu_item(img, 0, 230 + 35 * i, labels[i], false);
    menu_item(img, 120, 230 + 35 * i, labels[i], true);
  }
  return img;
}

std::string encode_bmp(const Image& img) {
  const uint32_t row = (static_cast<uint32_t>(img.w) * 3 + 3) & ~3u;
  const uint32_t data = row * static_cast<uint32_t>(img.h);
  std::string out;
  auto u16 = [&out](uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  out += "BM";
  u32(14 + 40 + data);
  u32(0);
  u32(14 + 40);
  u32(40);
  u32(static_cast<uint32_t>(img.w));
  u32(static_cast<uint32_t>(img.h));  // positive: rows stored bottom-up
  u16(1);
  u16(24);
  u32(0);  // BI_RGB
  u32(data);
  u32(2835);  // 72 dpi
  u32(2835);
  u32(0);
  u32(0);
  std::string line(row, '\0');
  for (int y = img.h - 1; y >= 0; --y) {
    for (int x = 0; x < img.w; ++x) {
      const uint32_t c = img.at(x, y);
      line[3 * x] = static_cast<char>(blue_of(c));
      line[3 * x + 1] = static_cast<char>(green_of(c));
      line[3 * x + 2] = static_cast<char>(red_of(c));
    }
    out += line;
  }
  return out;
}

}  // namespace vm::datatool
