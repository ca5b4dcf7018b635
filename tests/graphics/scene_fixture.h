// Headless games on a temporary data folder with the main window's event
// handling attached. Scene pictures are chosen so that old and new pixels
// never coincide; text is drawn by the real text service or by a stand-in
// painting each character as a solid block, exact to the pixel.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../test_support.h"
#include "app/game.h"
#include "app/main_form.h"
#include "assets/text_helpers.h"
#include "authoring/pictures.h"
#include "graphics/scene.h"
#include "graphics/surface.h"
#include "message/message.h"
#include "platform/headless/headless.h"
#include "script/input.h"

namespace vm::test {

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

// Whether every pixel of got is want's; otherwise how many differ, the first
// of them described.
inline ::testing::AssertionResult shows(const Image& got,
                                        const std::function<uint32_t(int, int)>& want) {
  int bad = 0;
  char first[96] = "";
  for (int y = 0; y < got.h; ++y)
    for (int x = 0; x < got.w; ++x)
      if (got.at(x, y) != want(x, y) && bad++ == 0)
        std::snprintf(first, sizeof first, "(%d, %d): got %06X want %06X", x, y, got.at(x, y),
                      want(x, y));
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels differ, the first at " << first;
}

// The blend rule in its plainest form: float alpha and beta, the two
// products and their sum in double precision, rounded to nearest with ties
// to even.
inline uint32_t mix(uint32_t d, uint32_t s, float alpha) {
  const float beta = 1.0f - alpha;
  uint32_t out = 0;
  for (int sh = 0; sh <= 16; sh += 8) {
    const double v = static_cast<double>((d >> sh) & 0xFF) * static_cast<double>(beta) +
                     static_cast<double>((s >> sh) & 0xFF) * static_cast<double>(alpha);
    out |= static_cast<uint32_t>(std::nearbyint(v)) << sh;
  }
  return out;
}

// Each character a 12 x 13 block, 2 pixels in from the string's corner and 18
// pixels apart; every call is recorded.
class BlockText : public Text {
 public:
  struct Call {
    int x, y;
    std::string text;
    uint32_t colour;
    Font font;
  };
  std::vector<Call> calls;

  void draw_text(Image& dst, int x, int y, const std::string& utf8, uint32_t colour,
                 const Font& font) override {
    calls.push_back({x, y, utf8, colour, font});
    const size_t n = split_chars(utf8).size();
    for (size_t k = 0; k < n; ++k)
      for (int yy = y + 2; yy < y + 15; ++yy)
        for (int xx = x + static_cast<int>(k) * 18 + 2; xx < x + static_cast<int>(k) * 18 + 14;
             ++xx)
          if (dst.contains(xx, yy)) dst.at(xx, yy) = colour;
  }
  int text_width(const std::string& utf8, const Font&) override {
    return static_cast<int>(split_chars(utf8).size()) * 18;
  }
  int missing_letters(const std::string&, const Font&) override { return 0; }
};

// The scene under everything: every pixel different.
inline uint32_t scene_pixel(int x, int y) {
  return rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + y));
}

// The frame sheet: pieces in the 48 x 48 corner, black on a diagonal pattern
// (transparent there), the tint colour at (24, 24).
constexpr uint32_t kSheetTint = 0x283C78;
inline uint32_t sheet_pixel(int x, int y) {
  if (x == 24 && y == 24) return kSheetTint;
  if ((x + y) % 5 == 0) return 0;
  return rgb(static_cast<uint8_t>(100 + x), static_cast<uint8_t>(50 + 3 * y), 200);
}

// The platform's services with another text service in place of its own.
inline Platform with_text(Platform& p, Text& text) {
  auto& [w, c, d, pi, own_text, m, e, v, s, sh, l, f, st, fi, sp] = p;
  return {w, c, d, pi, text, m, e, v, s, sh, l, f, st, fi, sp};
}

// The game itself, on the headless platform.
struct ScreenRig {
  Headless hl;
  BlockText blocks;
  Platform pf;
  Game g{pf};
  MainFormEvents sink{g};
  TempDir dir;

  explicit ScreenRig(bool real_text)
      : pf{with_text(hl.platform(), real_text ? hl.platform().text : blocks)} {
    g.assets.Data_Dir = dir.path();
    pf.window.set_sink(&sink);
  }
  ~ScreenRig() { pf.window.set_sink(nullptr); }
};

// The scene tests' game: the texture sheet and backgrounds 0 and 1 in the
// folder, the screen laid out.
class SceneTest : public ::testing::Test, protected ScreenRig {
 protected:
  SceneTest() : ScreenRig(true) {}

  void SetUp() override {
    write_picture("61.dat", texture_sheet());
    write_picture("70.dat", make_image(640, 480, old_px));
    write_picture("71.dat", make_image(640, 480, new_px));
    layout_screen(g);
    build_window_frame(g.message_window());
  }
  void write_picture(const std::string& name, const Image& img) {
    write_bytes(dir / name, datatool::encode_bmp(img));  // the data tool's own writer
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

// The message window's game: a fresh story laid out over the painted scene
// and frame sheet, the menu built, every present kept with its time.
struct Rig : ScreenRig {
  std::vector<std::pair<uint32_t, Image>> frames;

  explicit Rig(bool real_text = false) : ScreenRig(real_text) {
    write_bytes(dir / "61.dat", "");  // empty: the sheet is painted below
    g.menu.build();
    g.menu.enter(MenuPhase::Story);
    layout_screen(g);
    g.input.Clicker = pf.window.create_timer(500);
    g.screen.Pic_Main.img = make_image(kScreenW, kScreenH, scene_pixel);
    g.screen.Texture.img =
        make_image(g.screen.Texture.width(), g.screen.Texture.height(), sheet_pixel);
    build_window_frame(g.message_window());
    blocks.calls.clear();  // the layout's own mark
    hl.on_present = [this](const Image& f, uint32_t t) { frames.emplace_back(t, f); };
  }
  // A pixel of the message window as last presented.
  uint32_t shown(int x, int y) const { return hl.last_frame().at(g.msg.left + x, g.msg.top + y); }
  // A point inside the message window and one on the scene above it.
  void click_window(uint32_t at, int button = kLeftButton) {
    hl.click(at, g.msg.left + 200, g.msg.top + 50, button);
  }
  void click_scene(uint32_t at, int button = kLeftButton) { hl.click(at, 320, 100, button); }

  // Shows a message as the interpreter does.
  void say(int speaker, const std::string& text) {
    g.interp.Cur_Speaker = static_cast<int16_t>(speaker);
    g.interp.Cur_Text = text;
    show_message(g.story());
  }
};

}  // namespace vm::test
