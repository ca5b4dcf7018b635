// Background changes and the eight transition effects. Every effect copies
// rectangles of Pic_Back (the next screen) onto Pic_Main (the screen) in
// its own order; the paced ones hold each step to a budget so that a fast
// machine shows them at the intended speed.
#include <cstdio>

#include "assets/text_helpers.h"
#include "graphics/scene.h"

namespace vm {

namespace {

// The part of the screen that a step brings over from the next picture.
void copy_back(const Stage& st, int x, int y, int w, int h) {
  bit_blt(st.screen.Pic_Main, x, y, w, h, st.screen.Pic_Back, x, y, SRCCOPY);
}

// Every channel 100 darker, through the whole-surface pixel transfer.
void darken_back(Stage st) {
  SceneState& s = st.scene;
  s.Pixel_Count = read_pixels(st.screen.Pic_Back, s.Pixel_Buf);
  // The count is W x H; element W x H is the spare word, harmless to touch.
  for (int32_t p = 0; p <= s.Pixel_Count && static_cast<size_t>(p) < s.Pixel_Buf.size(); ++p) {
    uint32_t& c = s.Pixel_Buf[static_cast<size_t>(p)];
    auto dim = [](uint8_t v) { return static_cast<uint8_t>(v > 100 ? v - 100 : 0); };
    c = rgb(dim(red_of(c)), dim(green_of(c)), dim(blue_of(c)));
  }
  if (s.Pixel_Count >= 0) write_pixels(st.screen.Pic_Back, s.Pixel_Buf);
}

}  // namespace

TransitionInfo transition_info(const std::string& code) {
  if (code == "DI") return {50, 0, false};
  if (code == "VB") return {161, 5, true};
  if (code == "HB") return {121, 0, false};
  if (code == "HC") return {43, 50, true};
  if (code == "BC") return {10, 40, true};
  if (code == "IC") return {2, 0, true};
  if (code == "DK") return {1, 0, false};
  if (code == "MS") return {9, 90, true};
  return {1, 0, false};
}

void transition_step(const Stage& st, const std::string& code, int i) {
  if (code == "DI") {
    // Column i of every 50-pixel band.
    for (int x = 0; x <= 600; x += 50) copy_back(st, x + i, 0, 1, 480);
  } else if (code == "VB") {
    // Two-pixel bars from both edges; they cross and fill each other's gaps.
    const int a = 4 * i;
    copy_back(st, a, 0, 2, 480);
    copy_back(st, 638 - a, 0, 2, 480);
  } else if (code == "HB") {
    const int b = 4 * i;
    copy_back(st, 0, b, 640, 2);
    copy_back(st, 0, 478 - b, 640, 2);
  } else if (code == "HC") {
    // 15-pixel bands, each one pixel wider than the band to its right.
    const int x0 = 15 * i;
    for (int j = 0; j <= 15; ++j) copy_back(st, x0 + 15 * j, 0, 15 - j, 480);
  } else if (code == "BC") {
    const int s = 2 * (i + 1);
    for (int y = 0; y <= 480; y += 20)
      for (int x = 0; x <= 640; x += 20) copy_back(st, x, y, s, s);
  } else if (code == "IC") {
    if (i == 0) {
      for (int y = 0; y <= 476; y += 4)
        for (int x = 0; x <= 636; x += 4) {
          copy_back(st, x, y, 2, 2);
          copy_back(st, x + 2, y + 2, 2, 2);
        }
    } else {
      for (int y = 0; y <= 480; y += 4)
        for (int x = 2; x <= 638; x += 4) {
          copy_back(st, x, y, 2, 2);
          copy_back(st, x - 2, y - 2, 2, 2);
        }
    }
  } else if (code == "DK") {
    darken_back(st);
    copy_back(st, 0, 0, 640, 480);
  } else if (code == "MS") {
    dither_step(st.screen, st.screen.Pic_Main, 0, 0, 640, 480, st.screen.Pic_Back, 0, 0, i);
  } else {
    copy_back(st, 0, 0, 640, 480);
  }
}

void run_transition(Stage st) {
  const std::string code = st.scene.Trans_Code;
  const TransitionInfo t = transition_info(code);
  if (code == "MS") {
    ensure_mask_sheet(st.screen);
    st.screen.Mesh2.place(st.screen.Mesh2.left, st.screen.Mesh2.top, 32, 32);
  }
  if (!st.window.shows_frames()) {
    // Nobody sees the steps (the story played again out of sight to step
    // back to an earlier message): every effect ends with the whole next
    // picture on the screen, so it goes there at once. The darkening one
    // ends with the darkened picture, which its one step makes.
    if (code == "DK")
      transition_step(st, code, 0);
    else
      copy_back(st, 0, 0, 640, 480);
  } else if (code == "IC") {
    // Half of the 2 x 2 checkerboard, a pause, then the other half.
    transition_step(st, code, 0);
    refresh(st);
    st.window.do_events();
    st.clock.sleep(100);
    transition_step(st, code, 1);
    refresh(st);
    st.window.do_events();
  } else {
    if (t.budget_ms > 0) {
      StepPacer pacer(st.clock, st.window, t.budget_ms, t.events);
      for (int i = 0; i < t.steps; ++i) {
        transition_step(st, code, i);
        if (pacer.should_present(i, i == t.steps - 1)) refresh(st);
        pacer.finish_step(i, i == t.steps - 1);
      }
    } else {
      // Unpaced effects show every step as fast as the screen takes them
      // and hold the program until they are done.
      for (int i = 0; i < t.steps; ++i) {
        transition_step(st, code, i);
        refresh(st);
      }
    }
    if (code == "MS") {
      // The last mask is never drawn: a plain copy completes the picture.
      copy_back(st, 0, 0, 640, 480);
      refresh(st);
    }
  }
  // Pic_Back has served; the next change overwrites it whole.
  Surface& back = st.screen.Pic_Back;
  fill_rect(back, 0, 0, back.width(), 1, 0);
  fill_rect(back, 0, back.height() - 1, back.width(), 1, 0);
  fill_rect(back, 0, 0, 1, back.height(), 0);
  fill_rect(back, back.width() - 1, 0, 1, back.height(), 0);
}

bool change_place(Stage st, int n, const std::string& trans_text, int blink_timer) {
  ScreenState& sc = st.screen;
  SceneState& s = st.scene;
  char file[32];
  std::snprintf(file, sizeof file, "%d.dat", n + 70);

  // Load first: a background the data does not hold leaves the scene as it is.
  Result<Image> loaded = load_data_picture(st, file);
  if (!loaded) {
    scene_fault(st, "Background " + std::to_string(n) + " (" + file +
                        ") cannot be shown: " + loaded.error().what());
    return false;
  }
  Image picture = std::move(loaded).value_or_throw();

  // The screen as the player sees it becomes one picture, sprites included.
  for (int j = 0; j < 3; ++j) {
    Surface& d = sc.Doll_Disp[j];
    if (!d.visible) continue;
    bit_blt(sc.Pic_Main, s.Doll_X[j], s.Doll_Y[j], s.Doll_W[j], s.Doll_H[j], d, 0, 0, SRCCOPY);
    d.visible = false;
    refresh(st);
  }
  sc.Waku[0].visible = false;
  if (n >= 5 && n <= 9) st.assets.CG_Seen[n - 5] = -1;  // the gallery's pictures
  if (blink_timer >= 0) st.window.set_timer_enabled(blink_timer, false);
  sc.Blinker.visible = false;

  Surface& load = sc.Place_Load;
  load.img = std::move(picture);
  bit_blt(sc.Pic_Back, 0, 0, load.width(), load.height(), load, 0, 0, SRCCOPY);
  // Short scenes stand on the tiled wall strip.
  if (load.height() < 480) bit_blt(sc.Pic_Back, 0, 345, 640, 135, sc.Wall_Back, 0, 0, SRCCOPY);
  // Pic_Back holds the scene now; the decoded picture is not kept beside it.
  load.img = Image{};

  s.Trans_Code = utf8_substr(trans_text, 0, 2);
  run_transition(st);
  st.log.record(LogEvent::place(n));
  clear_sprites(st);  // nobody stands on the new background yet
  return true;
}

}  // namespace vm
