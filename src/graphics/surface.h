// Picture surfaces and the pixel operations everything on screen is drawn
// with: rectangle copies with three raster operations, the black-keyed mask,
// whole-surface pixel transfer and alpha blending.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/text.h"

namespace vm {

// A named off-screen bitmap that may also be shown as a child area of the main
// window (or of another surface) at (left, top).
struct Surface {
  std::string name;
  Image img;
  uint32_t back_color = rgb(255, 255, 255);
  uint32_t fore_color = rgb(0, 0, 0);
  Font font;

  // Child-area attributes, used when the screen is composed.
  int left = 0;
  int top = 0;
  bool visible = false;
  Surface* parent = nullptr;  // nullptr: a child of the main window
  bool keyed = false;         // pure black shows what lies beneath (text labels)

  int width() const { return img.w; }
  int height() const { return img.h; }
  void place(int l, int t, int w, int h) {
    left = l;
    top = t;
    if (w != img.w || h != img.h) img.resize(w, h, back_color);
  }
  void clear() { img.px.assign(img.px.size(), back_color); }
  // Moves and resizes keeping the picture: what still fits stays where it
  // was, new area takes the back colour (a picture box growing or shrinking).
  void place_keeping(int l, int t, int w, int h);
};

// Where and how big a surface stands on screen, and whether it is shown: what
// a moment of the story keeps of it. Its picture is not kept: the rows played
// again from that moment draw it anew.
struct SurfaceLook {
  int left = 0, top = 0;
  bool visible = false;
  bool operator==(const SurfaceLook&) const = default;
};
// The fields of Surface a look leaves as they are: its name, picture, colours,
// font, parent and keying, which the rows that draw it set.
constexpr size_t kSurfaceFieldsNotLooked = 7;
inline SurfaceLook look(const Surface& s) {
  return {s.left, s.top, s.visible};
}
inline void restore(Surface& s, const SurfaceLook& k) {
  s.left = k.left;
  s.top = k.top;
  s.visible = k.visible;
}

template <size_t N>
std::array<SurfaceLook, N> look(const std::array<Surface, N>& surfaces) {
  std::array<SurfaceLook, N> out;
  for (size_t i = 0; i < N; ++i) out[i] = look(surfaces[i]);
  return out;
}
template <size_t N>
void restore(std::array<Surface, N>& surfaces, const std::array<SurfaceLook, N>& k) {
  for (size_t i = 0; i < N; ++i) restore(surfaces[i], k[i]);
}

// Held by the screen and the scene, whose surfaces their layer list and
// their parents point into: they are never copied, only their looks are.
struct Pinned {
  Pinned() = default;
  Pinned(const Pinned&) = delete;
  Pinned& operator=(const Pinned&) = delete;
};

// Raster operation codes of the rectangle copy.
enum Rop : uint32_t {
  SRCCOPY = 0xCC0020,
  SRCAND = 0x8800C6,
  SRCINVERT = 0x660046,
};

// Copies the w x h region of src at (sx, sy) onto dst at (dx, dy), clipped to
// both surfaces.
void bit_blt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy,
             Rop rop);

// Fills a rectangle (clipped) with one colour.
void fill_rect(Surface& dst, int x, int y, int w, int h, uint32_t colour);

// Writes into dest at (0, 0) a w x h mask of the src region at (x, y): dest's
// back colour where src is exactly black, dest's fore colour elsewhere. Sets
// src's back colour to black, as the classic maker does.
void make_mask(Surface& dest, Surface& src, int x, int y, int w, int h);

// Whole-surface transfer as 32-bit 0x00RRGGBB words, rows bottom-up, with one
// spare element at the end (W * H + 1 elements). read returns W * H, or -1.
int32_t read_pixels(const Surface& surface, std::vector<uint32_t>& pixels);
// Writes the array back into the surface; returns 0, or -1 when the array is
// too short. The caller presents the surface.
int32_t write_pixels(Surface& surface, const std::vector<uint32_t>& pixels);

// Draws the w x h region of src at (sx, sy) onto dest at (dx, dy) with opacity
// alpha; keyed skips source pixels that are exactly black. Alpha outside
// [0, 1] (or NaN) draws nothing.
void blend_region(Surface& dest, int dx, int dy, int w, int h, const Surface& src, int sx, int sy,
                  float alpha, int16_t keyed);

// Copies the sw x sh region of src at (sx, sy) onto the dw x dh region of dst
// at (dx, dy), scaled without smoothing: each destination pixel takes the
// source pixel under its centre. Clipped to dst.
void stretch_blt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                 int sw, int sh);

// A one-pixel line from (x0, y0) to (x1, y1), the end point itself not drawn
// (so joined lines never draw a corner twice). Clipped to dst.
void draw_line(Surface& dst, int x0, int y0, int x1, int y1, uint32_t colour);

// Which blend kernel runs: the vector kernels when the processor has them
// (Auto), or the portable one. Both give the same pixels; tests run each.
enum class BlendKernel { Auto, Portable };
void set_blend_kernel(BlendKernel kernel);

}  // namespace vm
