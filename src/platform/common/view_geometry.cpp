#include "platform/common/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace vm {

ViewGeometry fit_view(int area_w, int area_h, int scale, int screen_w, int screen_h) {
  ViewGeometry v;
  if (scale <= 0) scale = std::max(1, std::min(area_w / screen_w, area_h / screen_h));
  v.scale = scale;
  v.w = screen_w * scale;
  v.h = screen_h * scale;
  // A view larger than its area (a window not yet grown) keeps its top-left
  // corner in place rather than hiding the screen's upper left.
  v.x = std::max(0, (area_w - v.w) / 2);
  v.y = std::max(0, (area_h - v.h) / 2);
  return v;
}

bool view_to_game(const ViewGeometry& v, int device_factor, double x, double y, int& game_x,
                  int& game_y) {
  const double f = std::max(1, device_factor);
  const double dx = std::floor(x * f) - v.x, dy = std::floor(y * f) - v.y;
  if (dx < 0 || dy < 0 || dx >= v.w || dy >= v.h) return false;
  game_x = static_cast<int>(dx) / v.scale;
  game_y = static_cast<int>(dy) / v.scale;
  return true;
}

ViewRect game_to_view(const ViewGeometry& v, int device_factor, int gx, int gy, int gw, int gh) {
  const int f = std::max(1, device_factor);
  const int x0 = v.x + gx * v.scale, y0 = v.y + gy * v.scale;
  const int x1 = x0 + gw * v.scale, y1 = y0 + gh * v.scale;
  ViewRect r;
  r.x = x0 / f;
  r.y = y0 / f;
  r.w = (x1 + f - 1) / f - r.x;
  r.h = (y1 + f - 1) / f - r.y;
  return r;
}

}  // namespace vm
