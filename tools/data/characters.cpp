#include <algorithm>
#include <cmath>
#include <vector>

#include "authoring/draw.h"
#include "authoring/pictures.h"
#include "data/palette.h"
#include "graphics/scene.h"

namespace vm::datatool {

namespace {

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

// One face being drawn: its oval, eye line and mouth, and the strokes every
// expression is made of.
struct FacePainter {
  Image& img;
  Look lk;
  int y, h;
  double cx, cy, rx, ry;
  double ey, ex;    // the eye line, and each eye's distance from the middle
  double erx, ery;  // an eye's half width and height
  double my;        // the mouth line

  FacePainter(Image& image, int x, int y0, int w, int h0, int character)
      : img(image),
        lk(look_of(character)),
        y(y0),
        h(h0),
        cx(x + w / 2.0),
        cy(y0 + h0 / 2.0),
        rx(w / 2.0 - 1),
        ry(h0 / 2.0 - 1),
        ey(y0 + h0 * 0.56),
        ex(w * 0.21),
        erx((lk.body == Look::Man) ? 4.0 : (lk.body == Look::Boy ? 5.0 : 6.0)),
        ery((lk.body == Look::Man) ? 4.5 : (lk.body == Look::Boy ? 7.0 : 8.0)),
        my(y0 + h0 * 0.80) {}

  // Skin oval, then hair over the top of it down to a zig-zag line of bangs.
  void oval_and_fringe(int x, int w) {
    fill_ellipse(img, cx, cy, rx, ry, kInk);
    fill_ellipse(img, cx, cy, rx - 2, ry - 2, lk.skin);
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
  }

  void brows(double inner, double outer) {  // offsets from the eye line
    for (int s = -1; s <= 1; s += 2) {
      draw_line(img, cx + s * (ex - 8), ey - ery - 5 + inner, cx + s * (ex + 8),
                ey - ery - 5 + outer, 2.5, shade(lk.hair, 0.7));
    }
  }
  void open_eyes(double scale, double look_x) {
    for (int s = -1; s <= 1; s += 2) {
      const double px = cx + s * ex;
      fill_ellipse(img, px, ey, erx * scale + 1, ery * scale + 1, kInk);
      fill_ellipse(img, px, ey, erx * scale - 0.5, ery * scale - 0.5, kWhite);
      fill_ellipse(img, px + look_x, ey + 1, erx * scale * 0.75, ery * scale * 0.8, lk.iris);
      fill_ellipse(img, px + look_x, ey + 1.5, erx * scale * 0.35, ery * scale * 0.4, kInk);
      fill_ellipse(img, px + look_x - 2, ey - 2.5, 1.6, 1.8, kWhite);
    }
  }
  void arc_eyes(bool happy) {
    for (int s = -1; s <= 1; s += 2) {
      const double px = cx + s * ex;
      if (happy)
        draw_arc(img, px, ey + 2, erx + 1, ery * 0.6, kPi, 2 * kPi, 2.5, kInk);
      else
        draw_arc(img, px, ey - 2, erx + 1, ery * 0.5, 0, kPi, 2.5, kInk);
    }
  }
  void cheeks(double alpha) {
    const uint32_t blush = 0xF4A0A0;
    for (int s = -1; s <= 1; s += 2) {
      const double px = cx + s * (ex + 4);
      for (int yy = static_cast<int>(ey + ery); yy < ey + ery + 5; ++yy)
        for (int xx = static_cast<int>(px - 8); xx < px + 8; ++xx)
          if (img.contains(xx, yy)) img.at(xx, yy) = mix(img.at(xx, yy), blush, alpha);
    }
  }
  // An open mouth, its top at my - lift.
  void open_mouth(double lift, double mrx, double mry) {
    fill_ellipse_band(img, cx, my - lift, mrx, mry, static_cast<int>(my - lift), y + h, 0xA03040);
  }

  // Brows, eyes and mouth for the expression (1..8).
  void expression(int which) {
    switch (which) {
      case 2:  // smile
        brows(0, 1);
        open_eyes(1.0, 0);
        open_mouth(3, 8, 7);
        cheeks(0.35);
        break;
      case 3:  // surprised
        brows(-4, -3);
        open_eyes(1.25, 0);
        fill_ellipse(img, cx, my, 4, 5, 0xA03040);
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
        open_mouth(4, 9, 8);
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
  }
};

// One face into the rectangle (x, y, w, h): skin oval, fringe, eyes, brows and
// mouth for the given expression (1..8); the corners outside the oval are left
// as they are, so on the face sheet they stay black (transparent).
void draw_face(Image& img, int x, int y, int w, int h, int character, int expression) {
  FacePainter face(img, x, y, w, h, character);
  face.oval_and_fringe(x, w);
  face.expression(expression);
  if (face.lk.body == Look::Man) {  // moustache
    const double cx = face.cx, my = face.my;
    draw_line(img, cx - 8, my - 7, cx - 1, my - 8, 3, shade(face.lk.hair, 0.6));
    draw_line(img, cx + 1, my - 8, cx + 8, my - 7, 3, shade(face.lk.hair, 0.6));
  }
}

// Where the parts of a sprite stand, from its face area down.
struct Figure {
  Look lk;
  int character, pose;
  FaceArea fa;
  double cx, fy;  // centre of the face area
  double hw, hh;  // half its width and height
  double neck, shoulder_y, waist_y;
  double sw, ww;  // half the width at the shoulders and at the waist
};

Figure figure_of(int character, int pose) {
  Figure f{};
  f.lk = look_of(character);
  f.character = character;
  f.pose = pose;
  f.fa = face_area(character * 10 + pose);
  f.cx = (f.fa.x1 + f.fa.x2) / 2.0;
  f.fy = (f.fa.y1 + f.fa.y2) / 2.0;
  f.hw = f.fa.w() / 2.0;
  f.hh = f.fa.h() / 2.0;
  f.neck = f.fa.y2 + 4;
  f.shoulder_y = f.fa.y2 + 22;
  f.sw = f.lk.body == Look::Man ? 62 : (f.lk.body == Look::Boy ? 54 : 48);
  f.waist_y = f.shoulder_y + (f.lk.body == Look::Man ? 150 : 135);
  f.ww = f.sw - 10;
  return f;
}

// Hair behind the head and body.
void back_hair(Image& img, const Figure& f) {
  const double cx = f.cx, fy = f.fy, hw = f.hw, shoulder_y = f.shoulder_y;
  if (f.lk.style == Look::Long) {
    outlined_polygon(img,
                     {{cx - hw - 10, fy - 10},
                      {cx + hw + 10, fy - 10},
                      {cx + hw + 18, shoulder_y + 95},
                      {cx + hw - 4, shoulder_y + 110},
                      {cx - hw + 4, shoulder_y + 110},
                      {cx - hw - 18, shoulder_y + 95}},
                     f.lk.hair);
  }
  if (f.lk.style == Look::Ponytail) {
    outlined_ellipse(img, cx + hw + 14, fy - f.hh * 0.1, 14, 40, f.lk.hair);
    outlined_ellipse(img, cx + hw + 4, fy - f.hh * 0.75, 9, 8, 0xF0D040);  // hair tie
  }
}

// Legs, then the lower garment.
void legs(Image& img, const Figure& f) {
  const Look& lk = f.lk;
  const double cx = f.cx, ww = f.ww, waist_y = f.waist_y;
  const double hip = waist_y - 4;
  const double leg_dx = ww * 0.45;
  const uint32_t legwear = (lk.body == Look::Dress || lk.body == Look::Girl) ? lk.skin : lk.bottom;
  outlined_limb(img, cx - leg_dx, hip, cx - leg_dx - 6, kSpriteH + 10, 28, legwear);
  outlined_limb(img, cx + leg_dx, hip, cx + leg_dx + 6, kSpriteH + 10, 28, legwear);
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
}

// The torso, with what marks each top: shirt, collar, stripe or ribbon, and
// the father's apron at the festival.
void torso(Image& img, const Figure& f) {
  const Look& lk = f.lk;
  const double cx = f.cx, sw = f.sw, ww = f.ww, shoulder_y = f.shoulder_y, waist_y = f.waist_y;
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
  if (f.character == 4 && f.pose == 2) {  // apron for the festival stall
    outlined_polygon(img,
                     {{cx - 30, shoulder_y + 30},
                      {cx + 30, shoulder_y + 30},
                      {cx + ww + 4, kSpriteH + 10},
                      {cx - ww - 4, kSpriteH + 10}},
                     0x2A3C78);
    fill_rect(img, static_cast<int>(cx - 16), static_cast<int>(shoulder_y + 70), 32, 24, 0x3A4C8C);
  }
}

// Arms by pose.
void arms(Image& img, const Figure& f) {
  const Look& lk = f.lk;
  const double cx = f.cx, ww = f.ww, waist_y = f.waist_y;
  const double sl = cx - f.sw + 6, sr = cx + f.sw - 6, sy = f.shoulder_y + 6;
  const bool long_sleeve = (lk.body == Look::Boy);
  switch (f.character * 10 + f.pose) {
    case 12:  // waving
      arm(img, lk, sl, sy, sl - 18, sy + 70, sl - 14, sy + 140, long_sleeve);
      arm(img, lk, sr, sy, sr + 36, sy - 30, sr + 30, f.fa.y1 - 10, long_sleeve);
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
      arm(img, lk, sr, sy, sr + 30, sy - 20, cx + f.hw + 6, f.fa.y1 - 6, false);
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
}

// Neck, ears, hair behind the face, the face, then head wear drawn over the
// hair, above the face area.
void head(Image& img, const Figure& f) {
  const Look& lk = f.lk;
  const FaceArea& fa = f.fa;
  const double cx = f.cx, fy = f.fy, hw = f.hw, hh = f.hh;
  outlined_limb(img, cx, f.neck - 6, cx, f.shoulder_y, 20, lk.skin);
  outlined_ellipse(img, cx, fy - hh * 0.35, hw + 9, hh + 4, lk.hair);
  outlined_ellipse(img, cx - hw - 1, fy + 4, 6, 9, lk.skin);
  outlined_ellipse(img, cx + hw + 1, fy + 4, 6, 9, lk.skin);
  if (lk.style == Look::Long) {  // side locks framing the face
    outlined_limb(img, cx - hw - 4, fy - 4, cx - hw - 2, fa.y2 + 26, 12, lk.hair);
    outlined_limb(img, cx + hw + 4, fy - 4, cx + hw + 2, fa.y2 + 26, 12, lk.hair);
  }
  draw_face(img, fa.x1, fa.y1, fa.w(), fa.h(), f.character, 1);
  if (f.character == 3 && f.pose == 2) {  // straw hat
    outlined_ellipse(img, cx, fa.y1 - 26, hw + 4, 17, 0xF0D890);
    outlined_ellipse(img, cx, fa.y1 - 12, hw + 40, 9, 0xF0D890);
    fill_rect(img, static_cast<int>(cx - hw - 2), fa.y1 - 26, static_cast<int>(2 * hw + 4), 6,
              0xD04050);
  }
  if (f.character == 4 && f.pose == 2) {  // twisted towel headband
    outlined_limb(img, cx - hw - 8, fa.y1 - 2, cx + hw + 8, fa.y1 - 4, 10, 0xF4F4F4);
  }
}

}  // namespace

// Back to front: hair behind, legs, torso, arms, then the head over them.
Image paint_sprite(int character, int pose) {
  Image img(kSpriteW, kSpriteH, 0);
  const Figure f = figure_of(character, pose);
  back_hair(img, f);
  legs(img, f);
  torso(img, f);
  arms(img, f);
  head(img, f);
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

}  // namespace vm::datatool
