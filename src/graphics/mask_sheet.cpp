// The dither mask sheet of the dissolves. It is part of the program, not a
// data file: ten 8 x 8 cells, each holding every new-picture pixel of the one
// before, so a dissolve never takes back a pixel it has shown.
#include "graphics/mask_sheet.h"

#include <algorithm>

#include "graphics/screen.h"

namespace vm {

namespace {

constexpr std::array<std::array<const char*, 8>, 10> kCells = {{
    {"#...#...", "........", "..#.....", "........", "#...#...", "........", "......#.",
     "........"},
    {"#.#.#.#.", "........", "#.#...#.", "........", "#.#.#.#.", "........", "..#...#.",
     "........"},
    {"#.#.#.#.", ".#...#..", "#.#.#.#.", "........", "#.#.#.#.", "........", "#.#.#.#.",
     "........"},
    {"#.#.#.#.", ".#.#.#..", "#.#.#.#.", "...#...#", "#.#.#.#.", ".#...#.#", "#.#.#.#.",
     "...#...#"},
    {"###.###.", ".#.#.#.#", "#.###.##", ".#.#.#.#", "###.###.", ".#.#.#.#", "#.#.#.##",
     ".#.#.#.#"},
    {"########", ".#.#.#.#", "#####.##", ".#.#.#.#", "########", ".#.#.#.#", "#.###.##",
     ".#.#.#.#"},
    {"########", "##.###.#", "########", ".#.#.#.#", "########", "##.###.#", "########",
     ".#.#.#.#"},
    {"########", "######.#", "########", ".###.###", "########", "##.#####", "########",
     ".###.###"},
    {"########", "########", "########", "####.###", "########", "########", "########",
     ".###.###"},
    {"########", "########", "########", "########", "########", "########", "########",
     "########"},
}};

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

}  // namespace

const std::array<const char*, 8>& mask_cell(int k) {
  return kCells.at(static_cast<size_t>(k));
}

void load_mask_sheet(Surface& mesh1) {
  mesh1.place(mesh1.left, mesh1.top, kMaskSheetW, kMaskSheetH);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < kMaskSheetW; ++x) {
      const bool fresh =
          kCells[static_cast<size_t>(x / 32)][static_cast<size_t>(y % 8)][x % 8] == '#';
      mesh1.img.at(x, y + 32) = fresh ? kWhite : kBlack;  // new picture shows
      mesh1.img.at(x, y) = fresh ? kBlack : kWhite;       // old picture stays
    }
  }
}

void ensure_mask_sheet(ScreenState& screen) {
  Surface& m = screen.Mesh1;
  // Another screen may have sized Mesh1 without filling it: look at a few
  // pixels whose value every correct sheet has.
  if (m.width() == kMaskSheetW && m.height() == kMaskSheetH && m.img.at(0, 32) == kWhite &&
      m.img.at(1, 32) == kBlack && m.img.at(0, 0) == kBlack && m.img.at(319, 63) == kWhite &&
      m.img.at(319, 31) == kBlack)
    return;
  load_mask_sheet(m);
}

}  // namespace vm

namespace vm {

void dither_step(ScreenState& screen, Surface& dst, int dx, int dy, int w, int h,
                 const Surface& src, int sx, int sy, int k) {
  Surface& tile = screen.Mesh2;
  const Surface& sheet = screen.Mesh1;
  for (int x = 0; x < w; x += 32) {
    const int tw = std::min(32, w - x);
    for (int y = 0; y < h; y += 32) {
      const int th = std::min(32, h - y);
      // The new pixels of this step on black, the old ones cleared where
      // they go, then the two laid together.
      bit_blt(tile, 0, 0, tw, th, src, sx + x, sy + y, SRCCOPY);
      bit_blt(tile, 0, 0, tw, th, sheet, 32 * k, 32, SRCAND);
      bit_blt(dst, dx + x, dy + y, tw, th, sheet, 32 * k, 0, SRCAND);
      bit_blt(dst, dx + x, dy + y, tw, th, tile, 0, 0, SRCINVERT);
    }
  }
}

}  // namespace vm
