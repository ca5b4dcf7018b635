// The dither mask sheet of the dissolves (the surface Mesh1) and the one
// dither step that the "MS" transition and the face change both draw with.
#pragma once

#include <array>

namespace vm {

struct ScreenState;
struct Surface;

constexpr int kMaskSheetW = 320;
constexpr int kMaskSheetH = 64;
// The 8 x 8 cell of dissolve step k (0..9): "#" where the new picture shows.
const std::array<const char*, 8>& mask_cell(int k);
// Fills a surface with the 320 x 64 mask sheet: lower band white where the
// new picture shows at step k (tile at x = 32k), upper band its complement.
void load_mask_sheet(Surface& mesh1);
// Loads the sheet into Mesh1 unless it is already there.
void ensure_mask_sheet(ScreenState& screen);

// Dissolve step k over the w x h area of dst at (dx, dy): in 32 x 32 tiles,
// the new picture from src at (sx, sy) shows where tile k of the sheet's
// lower band is white, dst stays where its upper band is. Mesh2 is the
// scratch tile.
void dither_step(ScreenState& screen, Surface& dst, int dx, int dy, int w, int h,
                 const Surface& src, int sx, int sy, int k);

}  // namespace vm
