// Push buttons drawn on the game screen (the gallery's and the ending's): a
// raised grey face with its caption, greyed when disabled, or a picture.
#pragma once

#include <string>

#include "graphics/surface.h"
#include "platform/text.h"

namespace vm {

constexpr uint32_t kButtonFace = rgb(212, 208, 200);

// Paints the whole surface as a button with the caption centred on it.
void paint_button(Text& text, Surface& button, const std::string& caption, bool enabled);

// Paints a picture button: the picture over the whole face when there is one
// (picture non-empty), else an empty face.
void paint_picture_button(Surface& button, const Surface* picture);

// The keyboard focus on a button drawn on the game screen: a 3-pixel navy
// frame between two white lines along its edge, so that one of them stands
// out from whatever lies around it, a light frame or a dark backdrop, and
// from the picture inside.
constexpr uint32_t kFocusFrame = rgb(11, 26, 64);
constexpr uint32_t kFocusLine = rgb(255, 255, 255);
constexpr int kFocusFrameWidth = 3;
void draw_focus_frame(Surface& button);

}  // namespace vm
