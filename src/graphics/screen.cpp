#include "graphics/screen.h"

#include <algorithm>

namespace vm {

void absolute_origin(const Surface& s, int& x, int& y) {
  x = s.left;
  y = s.top;
  for (const Surface* p = s.parent; p; p = p->parent) {
    x += p->left;
    y += p->top;
  }
}

bool shown_on_screen(const Surface& s) {
  for (const Surface* p = &s; p; p = p->parent)
    if (!p->visible) return false;
  return true;
}

namespace {

// The visible rectangle of a child area on the screen: its own, cut by every
// parent's.
bool visible_rect(const Surface& s, int& x0, int& y0, int& x1, int& y1) {
  absolute_origin(s, x0, y0);
  x1 = x0 + s.img.w;
  y1 = y0 + s.img.h;
  for (const Surface* p = s.parent; p; p = p->parent) {
    int px, py;
    absolute_origin(*p, px, py);
    x0 = std::max(x0, px);
    y0 = std::max(y0, py);
    x1 = std::min(x1, px + p->img.w);
    y1 = std::min(y1, py + p->img.h);
  }
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, kScreenW);
  y1 = std::min(y1, kScreenH);
  return x0 < x1 && y0 < y1;
}

// A full-screen picture laid from the top-left corner, as much of it as the
// screen holds.
void lay(Image& frame, const Image& im) {
  for (int y = 0; y < std::min(im.h, kScreenH); ++y)
    std::copy(&im.px[static_cast<size_t>(y) * im.w],
              &im.px[static_cast<size_t>(y) * im.w + std::min(im.w, kScreenW)],
              &frame.px[static_cast<size_t>(y) * kScreenW]);
}

bool covers_screen(const Image& im) {
  return im.w >= kScreenW && im.h >= kScreenH;
}

void lay_area(Image& frame, const Surface& s) {
  int x0, y0, x1, y1;
  if (!visible_rect(s, x0, y0, x1, y1)) return;
  int ox, oy;
  absolute_origin(s, ox, oy);
  for (int y = y0; y < y1; ++y) {
    const uint32_t* src = &s.img.px[static_cast<size_t>(y - oy) * s.img.w + (x0 - ox)];
    uint32_t* dst = &frame.px[static_cast<size_t>(y) * kScreenW + x0];
    if (s.keyed) {
      for (int x = 0; x < x1 - x0; ++x)
        if (src[x] != 0) dst[x] = src[x];
    } else {
      std::copy(src, src + (x1 - x0), dst);
    }
  }
}

}  // namespace

void compose_screen(const ScreenState& screen, Image& frame) {
  if (frame.w != kScreenW || frame.h != kScreenH) frame.resize(kScreenW, kScreenH);
  // A shown Pic_Main that fills the screen hides the window's own colour and
  // surface: it alone is the picture's ground.
  if (screen.Pic_Main.visible && covers_screen(screen.Pic_Main.img)) {
    lay(frame, screen.Pic_Main.img);
  } else {
    if (!covers_screen(screen.Form_Canvas.img))
      std::fill(frame.px.begin(), frame.px.end(), screen.Form_Canvas.back_color);
    lay(frame, screen.Form_Canvas.img);
    if (screen.Pic_Main.visible) lay(frame, screen.Pic_Main.img);
  }
  for (const Surface* s : screen.layers)
    if (shown_on_screen(*s)) lay_area(frame, *s);
}

Image compose_screen(const ScreenState& screen) {
  Image frame;
  compose_screen(screen, frame);
  return frame;
}

void present_screen(const ScreenState& screen, Window& window) {
  if (!window.shows_frames()) return;
  // One frame's room, used again for every frame: the window hands back the
  // room of the one it showed before.
  static Image frame;
  if (window.pixels_seen()) compose_screen(screen, frame);
  window.present(frame);
}

const Surface* surface_at(const ScreenState& screen, int x, int y) {
  for (auto it = screen.layers.rbegin(); it != screen.layers.rend(); ++it) {
    const Surface* s = *it;
    if (!shown_on_screen(*s) || s->keyed) continue;
    int x0, y0, x1, y1;
    if (visible_rect(*s, x0, y0, x1, y1) && x >= x0 && x < x1 && y >= y0 && y < y1) return s;
  }
  return &screen.Pic_Main;
}

ScreenSnapshot snapshot(const ScreenState& s) {
  return {.Form_Canvas = look(s.Form_Canvas),
          .Pic_Main = look(s.Pic_Main),
          .Pic_Back = look(s.Pic_Back),
          .Form_Back = look(s.Form_Back),
          .Place_Back = look(s.Place_Back),
          .Place_Load = look(s.Place_Load),
          .Wall_Back = look(s.Wall_Back),
          .Waku = look(s.Waku),
          .Blinker = look(s.Blinker),
          .SelBox = look(s.SelBox),
          .Doll_Disp = look(s.Doll_Disp)};
}

void restore(ScreenState& s, const ScreenSnapshot& k) {
  restore(s.Form_Canvas, k.Form_Canvas);
  restore(s.Pic_Main, k.Pic_Main);
  restore(s.Pic_Back, k.Pic_Back);
  restore(s.Form_Back, k.Form_Back);
  restore(s.Place_Back, k.Place_Back);
  restore(s.Place_Load, k.Place_Load);
  restore(s.Wall_Back, k.Wall_Back);
  restore(s.Waku, k.Waku);
  restore(s.Blinker, k.Blinker);
  restore(s.SelBox, k.SelBox);
  restore(s.Doll_Disp, k.Doll_Disp);
}

}  // namespace vm
