// A headless game with a temporary data folder of small BMP pictures, for the
// background, sprite and face tests. Pictures are BMP so that every pixel is
// exact; their colours are chosen so that old and new never coincide.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "../test_support.h"
#include "app/game.h"
#include "app/main_form.h"
#include "data/pictures.h"
#include "graphics/scene.h"
#include "message/message.h"
#include "platform/headless/headless.h"

namespace vm::test {

// Pictures are written by the data tool's own BMP writer.
inline std::string bmp_bytes(const Image& img) {
  return datatool::encode_bmp(img);
}

inline Image make_image(int w, int h, const std::function<uint32_t(int, int)>& f) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.at(x, y) = f(x, y);
  return img;
}

// The two test backgrounds: red 20..79 for the old one, 150..249 for the new.
inline uint32_t old_px(int x, int y) {
  return rgb(static_cast<uint8_t>(20 + (x * 7 + y * 3) % 60),
             static_cast<uint8_t>((x + 2 * y) % 256), static_cast<uint8_t>((3 * x + y) % 256));
}
inline uint32_t new_px(int x, int y) {
  return rgb(static_cast<uint8_t>(150 + (x * 5 + y * 11) % 100),
             static_cast<uint8_t>((x * 3 + y) % 256), static_cast<uint8_t>((x + y * 5) % 256));
}

constexpr uint32_t kTint = rgb(30, 50, 160);
constexpr uint32_t kFrameColour = rgb(200, 180, 90);
constexpr uint32_t kWallColour = rgb(90, 70, 50);

// Texture sheet: frame pieces in the top-left 48 x 48 (with some black
// pixels, which the frame leaves transparent), the tint at (24, 24), the wall
// square at (96, 0).
inline Image texture_sheet() {
  return make_image(280, 370, [](int x, int y) -> uint32_t {
    if (x < 48 && y < 48) {
      if (x == 24 && y == 24) return kTint;
      const bool ring = x < 8 || y < 8 || x >= 40 || y >= 40;
      if (!ring) return 0;
      return (x + y) % 5 == 0 ? 0 : kFrameColour;
    }
    if (x >= 96 && x < 160 && y < 64) return kWallColour + static_cast<uint32_t>((x - 96) + y);
    return rgb(128, 128, 128);
  });
}

// A sprite: an opaque ellipse on pure black, with one (1, 1, 1) pixel in the
// middle that must stay opaque.
inline Image sprite_picture(int w, int h, uint8_t tag) {
  return make_image(w, h, [=](int x, int y) -> uint32_t {
    const double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
    if (dx * dx + dy * dy > 1.0) return 0;
    if (x == w / 2 && y == h / 2) return rgb(1, 1, 1);
    return rgb(tag, static_cast<uint8_t>(x % 256), static_cast<uint8_t>(1 + y % 200));
  });
}

class SceneTest : public ::testing::Test {
 protected:
  Headless hl;
  Game g{hl.platform()};
  TempDir dir;

  void SetUp() override {
    g.assets.Data_Dir = dir.path();
    write_picture("61.dat", texture_sheet());
    write_picture("70.dat", make_image(640, 480, old_px));
    write_picture("71.dat", make_image(640, 480, new_px));
    layout_screen(g);
    build_window_frame(g.message_window());
  }

  void write_picture(const std::string& name, const Image& img) {
    write_bytes(dir / name, bmp_bytes(img));
  }

  // Shows background n with a transition code, as a script row would.
  int place(int n, const std::string& code) {
    g.interp.Place_No = static_cast<int16_t>(n);
    g.interp.Cur_Text = code;
    enter_place(g.story());
    return kNothingToShow;
  }

  int doll(int character, int pose, const std::string& text) {
    g.interp.Cur_Doll = static_cast<uint8_t>(character);
    g.interp.Cur_Pose = static_cast<uint8_t>(pose);
    g.interp.Cur_Text = text;
    if (change_doll(g.stage(), character, pose, text))
      rebuild_window_back(g.message_window(), g.scene, text);
    return kNothingToShow;
  }
};

// Number of pixels that differ, with the first one described.
inline int count_mismatches(const Image& got, const std::function<uint32_t(int, int)>& want,
                            std::string* first = nullptr) {
  int bad = 0;
  for (int y = 0; y < got.h; ++y)
    for (int x = 0; x < got.w; ++x)
      if (got.at(x, y) != want(x, y)) {
        if (bad == 0 && first) {
          char buf[96];
          std::snprintf(buf, sizeof buf, "(%d, %d): got %06X want %06X", x, y, got.at(x, y),
                        want(x, y));
          *first = buf;
        }
        ++bad;
      }
  return bad;
}

// Plain translucent mix of one pixel, rounded half to even.
inline uint32_t mix(uint32_t d, uint32_t s, float alpha) {
  const float beta = 1.0f - alpha;
  uint32_t out = 0;
  for (int sh = 0; sh <= 16; sh += 8) {
    const double v = static_cast<double>((d >> sh) & 0xFF) * beta +
                     static_cast<double>((s >> sh) & 0xFF) * alpha;
    double r = std::nearbyint(v);
    out |= static_cast<uint32_t>(r) << sh;
  }
  return out;
}

}  // namespace vm::test
