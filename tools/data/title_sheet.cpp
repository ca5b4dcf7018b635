#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "authoring/draw.h"
#include "authoring/pictures.h"
#include "data/palette.h"
#include "graphics/scene.h"
#include "graphics/texture_sheet.h"
#include "platform/common/pango_text.h"

namespace vm::datatool {

namespace {

// The title as it stands on the title picture and on the panel: the same
// position, so the panel dissolve dresses the letters up without moving them.
constexpr int kPanelX = 180, kPanelY = 65, kPanelW = kTitlePanelW, kPanelH = kTitlePanelH;
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

// A frame's colour at a depth: its lines from the outside in end at 0.6,
// 1.6, 3.0, 4.0 and 5.2 pixels; black (transparent) past the last.
uint32_t frame_line(double d, const std::array<uint32_t, 5>& lines) {
  constexpr double kEnds[5] = {0.6, 1.6, 3.0, 4.0, 5.2};
  for (size_t i = 0; i < lines.size(); ++i)
    if (d < kEnds[i]) return lines[i];
  return 0;
}

// The title panel's frame: a dark-gold outer line, a bright gold line, a
// gap, an ivory inner line.
uint32_t frame_colour(double d) {
  return frame_line(d, {0, 0x8C6420, 0xE6BE5A, 0, 0xFAF0D2});
}

// The message window's frame: a dark outline and a gold line that hold their
// own against bright scenes and the ivory panel, a gap that lets the scene
// through, and a thin sand line just inside.
uint32_t window_frame_colour(double d) {
  return frame_line(d, {0, 0x3A2C48, 0xD4A64E, 0x3A2C48, 0xE8D6B0});
}

// A menu item: a gradient plate in a thin frame with its Japanese label,
// drawn with the game's own text service so it reads like the story's text.
void menu_item(Image& img, int x, int y, const char* label, bool hot) {
  const uint32_t top = hot ? 0xFAE096 : 0x2C2A66, bottom = hot ? 0xDCA850 : 0x18163C;
  for (int yy = 0; yy < 35; ++yy) fill_rect(img, x, y + yy, 110, 1, mix(top, bottom, yy / 34.0));
  frame_rect(img, x + 1, y + 1, 108, 33, 1, hot ? 0xFFF8E0 : 0xC8A050);
  static PangoText text;
  const Font font{"IPAGothic", 13, true};
  Image plate(110, 35);
  for (int yy = 0; yy < 35; ++yy)
    for (int xx = 0; xx < 110; ++xx) plate.at(xx, yy) = img.at(x + xx, y + yy);
  const int tx = (110 - text.text_width(label, font)) / 2;
  const uint32_t ink = hot ? 0x1C1A48 : 0xFAF0D2;
  if (!hot) text.draw_text(plate, tx + 1, 8, label, 0x0C0A20, font);
  text.draw_text(plate, tx, 7, label, ink, font);
  for (int yy = 0; yy < 35; ++yy)
    for (int xx = 0; xx < 110; ++xx) img.at(x + xx, y + yy) = plate.at(xx, yy);
}

}  // namespace

Image paint_texture_sheet() {
  Image img(kTextureW, kTextureH, 0);
  // Frame pieces: one framed box holds every corner and edge at the places
  // the window frame cuts them from, the tint at its centre.
  constexpr int P = kFramePieceSize;
  for (int y = 0; y < P; ++y)
    for (int x = 0; x < P; ++x) img.at(x, y) = window_frame_colour(frame_depth(x, y, P, P));
  fill_rect(img, kFrameCorner, kFrameCorner, P - 2 * kFrameCorner, P - 2 * kFrameCorner,
            kWindowTint);

  // Wall tile (also the slot window's background): navy with a gold lattice.
  for (int y = 0; y < kWallTileSize; ++y)
    for (int x = 0; x < kWallTileSize; ++x) {
      const int a = (x + y) % 32, b = (x - y + 64) % 32;
      uint32_t c = mix(0x22204A, 0x2E2A5E, (y % 16) / 15.0);
      if (a == 0 || b == 0) c = 0x6A5A3A;
      img.at(kWallTileX + x, kWallTileY + y) = c;
    }
  for (int i = 0; i < 4; ++i)
    fill_ellipse(img, kWallTileX + 16 + (i % 2) * 32, kWallTileY + 16 + (i / 2) * 32, 2, 2,
                 0xE6BE5A);

  // Title panel: a dark plate with a double frame around the title word.
  for (int y = 0; y < kPanelH; ++y)
    for (int x = 0; x < kPanelW; ++x) {
      const double d = frame_depth(x, y, kPanelW, kPanelH);
      uint32_t c = mix(0x221E54, 0x120E30, y / double(kPanelH));
      const uint32_t fc = frame_colour(d);
      if (d < 6) c = fc ? fc : 0x0E0C26;
      img.at(kTitlePanelX + x, kTitlePanelY + y) = c;
    }
  title_word(img, kTitlePanelX, kTitlePanelY, 0xF8E0A0, 0x5A3A20);
  const char* sub = "A SUMMER BY THE SEA";
  draw_pixel_text(img, kTitlePanelX + (kPanelW - pixel_text_width(sub, 2)) / 2, kTitlePanelY + 100,
                  sub, 2, 0xC8C0F0);
  for (int s = -1; s <= 1; s += 2) {  // ornaments beside the subtitle
    const int x = kPanelW / 2 + s * 124;
    const double y = kTitlePanelY + 107.0;
    fill_polygon(img, {{x - 5.0, y}, {x + 0.0, y - 5}, {x + 5.0, y}, {x + 0.0, y + 5}}, 0xE6BE5A);
  }

  const char* labels[4] = {"はじめから", "つづきから", "ギャラリー", "おわる"};
  for (int i = 0; i < 4; ++i) {
    menu_item(img, kMenuItemX, kMenuItemY + kMenuItemH * i, labels[i], false);
    menu_item(img, kMenuItemHotX, kMenuItemY + kMenuItemH * i, labels[i], true);
  }
  return img;
}

}  // namespace vm::datatool
