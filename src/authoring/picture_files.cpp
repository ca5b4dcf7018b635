#include <cstdint>

#include "authoring/pictures.h"

namespace vm::datatool {

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
      const size_t at = 3 * static_cast<size_t>(x);
      line[at] = static_cast<char>(blue_of(c));
      line[at + 1] = static_cast<char>(green_of(c));
      line[at + 2] = static_cast<char>(red_of(c));
    }
    out += line;
  }
  return out;
}

}  // namespace vm::datatool
