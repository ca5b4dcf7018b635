// A plain 24-bit RGB picture held as one 32-bit word per pixel (0x00RRGGBB),
// rows top to bottom. Every surface of the game is built on this; the platform
// only decodes into it, draws text into it and puts finished frames on screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

struct Image {
  int w = 0;
  int h = 0;
  std::vector<uint32_t> px;  // w * h words, 0x00RRGGBB, row-major from the top

  Image() = default;
  Image(int width, int height, uint32_t fill = 0)
      : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}

  uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  // A new size gives back the old pixels' memory first: a surface shrunk to
  // nothing (the title once left) or to a panel holds no full screen's worth.
  // NOLINTNEXTLINE(bugprone-easily-swappable-parameters): a size, then a colour
  void resize(int width, int height, uint32_t fill = 0) {
    const size_t n = static_cast<size_t>(width) * height;
    w = width;
    h = height;
    if (n != px.size()) std::vector<uint32_t>().swap(px);
    px.assign(n, fill);
  }
};

constexpr uint32_t rgb(uint8_t r, uint8_t g, uint8_t b) {
  return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}
constexpr uint8_t red_of(uint32_t c) {
  return static_cast<uint8_t>(c >> 16);
}
constexpr uint8_t green_of(uint32_t c) {
  return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t blue_of(uint32_t c) {
  return static_cast<uint8_t>(c);
}

}  // namespace vm
