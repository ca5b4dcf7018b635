// Text drawn on the game's pictures.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image.h"

namespace vm {

struct Font {
  std::string family = "IPAGothic";
  int points = 13;
  bool bold = false;
};

class Text {
 public:
  virtual ~Text() = default;
  // Draws UTF-8 text with its top-left corner at (x, y) on a transparent
  // background; only the glyphs' pixels change.
  virtual void draw_text(Image& dst, int x, int y, const std::string& utf8, uint32_t rgb,
                         const Font& font) = 0;
  // Width in pixels of the text as drawn.
  virtual int text_width(const std::string& utf8, const Font& font) = 0;
  // How many of its letters no font on this machine can draw: each shows as
  // a box.
  virtual int missing_letters(const std::string& utf8, const Font& font) = 0;
};

}  // namespace vm
