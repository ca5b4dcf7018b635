// A message window on the headless platform for tests: a fresh game laid out
// over a known scene and frame sheet, with the main window's event handling
// attached. Text is drawn either by the real text service or by a stand-in
// that paints each character as a solid block, so that cell positions and
// colours can be checked pixel for pixel.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/main_form.h"
#include "assets/text_helpers.h"
#include "graphics/scene_fixture.h"
#include "graphics/surface.h"
#include "message/message.h"
#include "platform/headless/headless.h"
#include "script/input.h"

namespace vm::msgtest {

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
};

using Sink = MainFormEvents;

// The scene under everything: every pixel different.
inline uint32_t scene_pixel(int x, int y) {
  return rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + y));
}

// The frame sheet: pieces in the 48 x 48 corner, black on a diagonal pattern
// (transparent there), the tint colour at (24, 24).
constexpr uint32_t kTint = 0x283C78;
inline uint32_t sheet_pixel(int x, int y) {
  if (x == 24 && y == 24) return kTint;
  if ((x + y) % 5 == 0) return 0;
  return rgb(static_cast<uint8_t>(100 + x), static_cast<uint8_t>(50 + 3 * y), 200);
}

struct Rig {
  Headless hl;
  BlockText blocks;
  Platform pf;
  Game g;
  Sink sink{g};
  test::TempDir dir;
  std::vector<std::pair<uint32_t, Image>> frames;  // every present with its time

  explicit Rig(bool real_text = false)
      : pf{hl.platform().window,
           hl.platform().clock,
           hl.platform().dialogs,
           hl.platform().pictures,
           real_text ? hl.platform().text : blocks,
           hl.platform().music,
           hl.platform().effects,
           hl.platform().volume,
           hl.platform().single_copy,
           hl.platform().shell,
           hl.platform().log,
           hl.platform().forms,
           hl.platform().settings,
           hl.platform().files,
           hl.platform().speech},
        g(pf) {
    test::write_bytes(dir / "61.dat", "");  // empty: the sheet is painted below
    g.assets.Data_Dir = dir.path();
    g.menu.build();
    g.menu.enter(MenuPhase::Story);
    layout_screen(g);
    g.input.Clicker = pf.window.create_timer(500);
    pf.window.set_sink(&sink);
    for (int y = 0; y < kScreenH; ++y)
      for (int x = 0; x < kScreenW; ++x) g.screen.Pic_Main.img.at(x, y) = scene_pixel(x, y);
    for (int y = 0; y < g.screen.Texture.height(); ++y)
      for (int x = 0; x < g.screen.Texture.width(); ++x)
        g.screen.Texture.img.at(x, y) = sheet_pixel(x, y);
    build_window_frame(g.message_window());
    blocks.calls.clear();  // the layout's own mark
    hl.on_present = [this](const Image& f, uint32_t t) { frames.emplace_back(t, f); };
  }
  ~Rig() { pf.window.set_sink(nullptr); }

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

}  // namespace vm::msgtest
