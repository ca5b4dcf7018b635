#include "graphics/button.h"

#include <algorithm>

namespace vm {

namespace {

constexpr uint32_t kLight = rgb(255, 255, 255);
constexpr uint32_t kShadow = rgb(128, 128, 128);
constexpr uint32_t kDark = rgb(64, 64, 64);

// The raised face: light top and left edges, dark bottom and right ones.
void paint_face(Surface& b) {
  const int w = b.width(), h = b.height();
  fill_rect(b, 0, 0, w, h, kButtonFace);
  fill_rect(b, 0, 0, w, 1, kLight);
  fill_rect(b, 0, 0, 1, h, kLight);
  fill_rect(b, 0, h - 1, w, 1, kDark);
  fill_rect(b, w - 1, 0, 1, h, kDark);
  fill_rect(b, 1, h - 2, w - 2, 1, kShadow);
  fill_rect(b, w - 2, 1, 1, h - 2, kShadow);
}

}  // namespace

void paint_button(Text& text, Surface& button, const std::string& caption, bool enabled) {
  if (button.width() <= 0 || button.height() <= 0) return;
  paint_face(button);
  const Font font{"ＭＳ ゴシック", 10, false};
  const int tw = text.text_width(caption, font);
  const int th = (font.points * 96 + 36) / 72;
  const int x = std::max(0, (button.width() - tw) / 2);
  const int y = std::max(0, (button.height() - th) / 2 - 1);
  if (enabled) {
    text.draw_text(button.img, x, y, caption, rgb(0, 0, 0), font);
  } else {
    // Greyed as the desktop does: an etched caption.
    text.draw_text(button.img, x + 1, y + 1, caption, kLight, font);
    text.draw_text(button.img, x, y, caption, kShadow, font);
  }
}

void paint_picture_button(Surface& button, const Surface* picture) {
  if (button.width() <= 0 || button.height() <= 0) return;
  paint_face(button);
  if (picture && picture->width() > 0)
    bit_blt(button, 0, 0, button.width(), button.height(), *picture, 0, 0, SRCCOPY);
}

namespace {

// A ring `width` pixels wide, `inset` pixels inside the surface's edge.
void ring(Surface& s, int inset, int width, uint32_t colour) {
  const int w = s.width() - 2 * inset, h = s.height() - 2 * inset;
  fill_rect(s, inset, inset, w, width, colour);
  fill_rect(s, inset, inset + h - width, w, width, colour);
  fill_rect(s, inset, inset, width, h, colour);
  fill_rect(s, inset + w - width, inset, width, h, colour);
}

}  // namespace

void draw_focus_frame(Surface& button) {
  if (button.width() < 4 * kFocusFrameWidth || button.height() < 4 * kFocusFrameWidth) return;
  ring(button, 0, 1, kFocusLine);
  ring(button, 1, kFocusFrameWidth, kFocusFrame);
  ring(button, 1 + kFocusFrameWidth, 1, kFocusLine);
}

}  // namespace vm
