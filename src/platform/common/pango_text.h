// Text drawn with Pango and cairo into our own surfaces; IPA Gothic stands for
// the game's Japanese gothic font. Needs no display.
#pragma once

#include "platform/image.h"
#include "platform/text.h"

namespace vm {

class PangoText : public Text {
 public:
  void draw_text(Image& dst, int x, int y, const std::string& utf8, uint32_t rgb,
                 const Font& font) override;
  int text_width(const std::string& utf8, const Font& font) override;
  int missing_letters(const std::string& utf8, const Font& font) override;
};

}  // namespace vm
