// The demo pictures, drawn by code: sprites, the face sheet, backgrounds and
// event pictures, the title picture and the texture sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/faces.h"
#include "platform/image.h"

namespace vm::datatool {

constexpr int kSpriteW = 240;
constexpr int kSpriteH = 440;
// Tint colour of the message window: pixel (24, 24) of the texture sheet. A
// warm ivory, so that the black speech and the purple narration stand out on
// the panel over every scene, even the night ones.
constexpr uint32_t kWindowTint = 0xFFF9EC;

Image paint_sprite(int character, int pose);
Image paint_face_sheet();
// Backgrounds, gallery backdrop, event and staff-roll pictures: 70..85 but 72.
Image paint_background(int number);
Image paint_title();
Image paint_texture_sheet();
// The program's icon, size x size, with its opacity per pixel in alpha.
Image paint_icon(int size, std::vector<uint8_t>& alpha);

// 24-bit bottom-up bitmap file with a BITMAPINFOHEADER.
std::string encode_bmp(const Image& img);

}  // namespace vm::datatool
