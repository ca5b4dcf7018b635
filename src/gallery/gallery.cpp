#include "gallery/gallery.h"

#include <cstdlib>
#include <utility>

#include "graphics/button.h"
#include "graphics/scene.h"
#include "sound/sound.h"

namespace vm {

namespace {

constexpr int kGap = 50;

// Loads picture file into the 640 x 480 viewer, top-left aligned on black.
// A file that is missing or cannot be decoded is named to the player once,
// and the viewer is left black.
bool load_into_viewer(GalleryRoom g, const std::string& file) {
  Surface& viewer = g.gallery.Thumb1;
  viewer.img = Image(kScreenW, kScreenH, 0);
  Result<Image> picture = load_data_picture(g.stage, file);
  if (!picture) {
    g.stage.dialogs.message_box(
        "ギャラリーの絵を表示できません: " + file + "\r\n" + picture.error().what(), Buttons::Ok);
    return false;
  }
  Surface loaded{"loaded"};
  loaded.img = std::move(picture).value_or_throw();
  bit_blt(viewer, 0, 0, kScreenW, kScreenH, loaded, 0, 0, SRCCOPY);
  return true;
}

void paint_thumb_button(GalleryRoom g, int k) {
  GalleryState& gl = g.gallery;
  const size_t i = static_cast<size_t>(k);
  paint_picture_button(gl.CG_btn[i], gl.btn_picture[i] ? &gl.Thumb2[i] : nullptr);
}

// The buttons' faces again, the focused one framed once the keys moved it.
void paint_focus(GalleryRoom g) {
  GalleryState& gl = g.gallery;
  for (int k = 0; k < kGalleryPictures; ++k) paint_thumb_button(g, k);
  paint_button(g.text, gl.CG_exit, kGalleryExitCaption, true);
  if (!gl.focus_shown) return;
  draw_focus_frame(gl.focus == kGalleryExit ? gl.CG_exit
                                            : gl.CG_btn[static_cast<size_t>(gl.focus)]);
}

// The button the keys reach from the focus going (dx, dy): the nearest one
// that way (within 45 degrees of it), a step straight along it counting less
// than one to the side; a picture not seen is passed, and with nothing that
// way the focus stays.
int focus_toward(const GalleryState& gl, int dx, int dy) {
  auto centre = [&gl](int k) {
    const Surface& b = k == kGalleryExit ? gl.CG_exit : gl.CG_btn[static_cast<size_t>(k)];
    return std::pair{b.left + b.width() / 2, b.top + b.height() / 2};
  };
  const auto [fx, fy] = centre(gl.focus);
  int best = gl.focus;
  long best_cost = 0;
  for (int k = 0; k <= kGalleryExit; ++k) {
    if (k == gl.focus || (k != kGalleryExit && !gl.btn_enabled[static_cast<size_t>(k)])) continue;
    const auto [x, y] = centre(k);
    const long along = static_cast<long>(x - fx) * dx + static_cast<long>(y - fy) * dy;
    const long aside =
        std::labs(static_cast<long>(x - fx) * dy) + std::labs(static_cast<long>(y - fy) * dx);
    if (along <= 0 || aside > along) continue;  // within 45 degrees of the way
    const long cost = along + 2 * aside;
    if (best == gl.focus || cost < best_cost) {
      best = k;
      best_cost = cost;
    }
  }
  return best;
}

void hide_buttons(const GalleryRoom& g) {
  for (Surface& b : g.gallery.CG_btn) b.visible = false;
}

}  // namespace

int thumb_x(int k) {
  return k < 3 ? (kThumbW + kGap) * k + 75 : (kThumbW + kGap) * (k - 3) + 160;
}

int thumb_y(int k) {
  return k < 3 ? 200 : 330;
}

std::string gallery_file(int k) {
  return std::to_string(75 + k) + ".dat";
}

void layout_gallery(GalleryRoom g) {
  GalleryState& gl = g.gallery;
  for (Surface& b : gl.CG_btn) {
    b.visible = false;
    g.stage.screen.layers.push_back(&b);
  }
  gl.CG_exit.visible = false;
  g.stage.screen.layers.push_back(&gl.CG_exit);
  gl.Thumb1.back_color = 0;
  gl.Thumb1.visible = false;
  g.stage.screen.layers.push_back(&gl.Thumb1);
}

namespace {

// The voice tells how many of the pictures can be looked at.
void say_pictures_offered(const GalleryRoom& g) {
  int offered = 0;
  for (const bool on : g.gallery.btn_enabled) offered += on ? 1 : 0;
  g.speech.say("ギャラリー。" + std::to_string(kGalleryPictures) + "枚中" +
               std::to_string(offered) + "枚を見られます");
}

}  // namespace

void open_gallery(GalleryRoom g) {
  ScreenState& sc = g.stage.screen;
  GalleryState& gl = g.gallery;
  sc.Pic_Main.visible = false;
  sc.End_Pic.visible = false;

  // The backdrop becomes the window's own picture.
  Result<Image> backdrop = load_data_picture(g.stage, "74.dat");
  if (backdrop) {
    sc.Form_Canvas.img = Image(kScreenW, kScreenH, sc.Form_Canvas.back_color);
    Surface loaded{"loaded"};
    loaded.img = std::move(backdrop).value_or_throw();
    bit_blt(sc.Form_Canvas, 0, 0, kScreenW, kScreenH, loaded, 0, 0, SRCCOPY);
  } else {
    g.stage.dialogs.message_box(
        std::string("ギャラリーの絵を表示できません: 74.dat\r\n") + backdrop.error().what(),
        Buttons::Ok);
  }
  sc.Title.visible = false;
  refresh(g.stage);
  g.stage.window.do_events();

  gl.Thumb1.place(0, 0, kScreenW, kScreenH);
  for (int k = 0; k < kGalleryPictures; ++k) {
    const size_t i = static_cast<size_t>(k);
    gl.CG_btn[i].visible = false;
    gl.btn_enabled[i] = false;
    gl.Thumb2[i].place(0, 0, kThumbW, kThumbH);
  }

  if (!gl.Thumbs_Ready) {
    for (int k = 0; k < kGalleryPictures; ++k) {
      const size_t i = static_cast<size_t>(k);
      const bool loaded = load_into_viewer(g, gallery_file(k));
      gl.CG_btn[i].place(thumb_x(k), thumb_y(k), kThumbW, kThumbH);
      gl.btn_picture[i] = false;
      if (g.stage.assets.CG_Seen[i] && loaded) {
        stretch_blt(gl.Thumb2[i], 0, 0, kThumbW, kThumbH, gl.Thumb1, 0, 0, kScreenW, kScreenH);
        gl.btn_picture[i] = true;
      }
      paint_thumb_button(g, k);
    }
    gl.Thumbs_Ready = -1;
  }

  // A picture not seen (or not readable) keeps an empty, disabled button.
  for (int k = 0; k < kGalleryPictures; ++k) {
    const size_t i = static_cast<size_t>(k);
    gl.btn_enabled[i] = g.stage.assets.CG_Seen[i] && gl.btn_picture[i];
    gl.CG_btn[i].visible = true;
  }
  gl.CG_exit.place(520, 380, 100, 30);
  gl.focus = kGalleryExit;
  paint_focus(g);
  gl.CG_exit.visible = true;
  refresh(g.stage);
  say_pictures_offered(g);
  g.stage.window.do_events();
}

// How reading aloud names picture k among all of them: "5枚中2枚目".
std::string spoken_picture(int k) {
  return std::to_string(kGalleryPictures) + "枚中" + std::to_string(k + 1) + "枚目";
}

void view_picture(GalleryRoom g, int k) {
  GalleryState& gl = g.gallery;
  hide_buttons(g);
  g.gallery.viewing = k;
  if (g.audio.state.Sound_On) play_effect(g.audio, kEffectPress);
  if (!load_into_viewer(g, gallery_file(k))) {
    // The file went away since the thumbnails were made: back to them, this
    // one no longer offered.
    const size_t i = static_cast<size_t>(k);
    gl.btn_picture[i] = false;
    gl.btn_enabled[i] = false;
    paint_thumb_button(g, k);
    for (Surface& b : gl.CG_btn) b.visible = true;
    refresh(g.stage);
    return;
  }
  gl.Thumb1.visible = true;
  gl.CG_exit.visible = false;
  refresh(g.stage);
  g.speech.say(spoken_picture(k));
  g.stage.window.do_events();
}

void close_viewer(GalleryRoom g) {
  GalleryState& gl = g.gallery;
  gl.Thumb1.visible = false;
  refresh(g.stage);
  g.stage.window.do_events();
  open_gallery(g);
  // Back by the keys, the focus stays on the picture just seen.
  if (gl.focus_shown && gl.viewing >= 0) {
    gl.focus = gl.viewing;
    paint_focus(g);
    refresh(g.stage);
  }
  gl.viewing = -1;
}

void leave_gallery(GalleryRoom g) {
  ScreenState& sc = g.stage.screen;
  GalleryState& gl = g.gallery;
  hide_buttons(g);
  gl.CG_exit.visible = false;
  fill_rect(sc.Form_Canvas, 0, 0, kScreenW, kScreenH, 0);
  fill_rect(gl.Thumb1, 0, 0, kScreenW, kScreenH, 0);
  sc.Title.visible = true;
  sc.Pic_Main.visible = true;
  sc.End_Pic.visible = true;
  gl.Thumbs_Ready = 0;
  gl.focus_shown = false;
  refresh(g.stage);
  play_effect(g.audio, kEffectPress);  // the exit clicks even with sounds off
  g.stage.window.do_events();
}

bool on_gallery_press(GalleryRoom g, const Surface* target, int button) {
  GalleryState& gl = g.gallery;
  for (int k = 0; k < kGalleryPictures; ++k) {
    const size_t i = static_cast<size_t>(k);
    if (target != &gl.CG_btn[i]) continue;
    if (button == kLeftButton && gl.btn_enabled[i]) view_picture(g, k);
    return true;
  }
  if (target == &gl.Thumb1) {
    if (button == kLeftButton) close_viewer(g);
    return true;
  }
  if (target == &gl.CG_exit) {
    if (button == kLeftButton) leave_gallery(g);
    return true;
  }
  return false;
}

bool on_gallery_key(GalleryRoom g, int key) {
  GalleryState& gl = g.gallery;
  const bool go = key == kKeyReturn || key == kKeySpace;
  if (gl.Thumb1.visible) {
    // The full view: any of the keys that back out brings the thumbnails.
    if (!go && key != kKeyEscape) return false;
    close_viewer(g);
    return true;
  }
  // The thumbnails: the focus starts on もどる.
  if (!gl.CG_exit.visible) return false;
  if (key == kKeyEscape || (go && gl.focus == kGalleryExit)) {
    leave_gallery(g);
    return true;
  }
  if (go) {
    view_picture(g, gl.focus);
    return true;
  }
  const int dx = key == kKeyRight ? 1 : key == kKeyLeft ? -1 : 0;
  const int dy = key == kKeyDown ? 1 : key == kKeyUp ? -1 : 0;
  if (dx == 0 && dy == 0) return false;
  gl.focus = focus_toward(gl, dx, dy);
  gl.focus_shown = true;
  paint_focus(g);
  refresh(g.stage);
  // The thumbnail the focus reached, or the way out, as the keys move it.
  g.speech.say(gl.focus == kGalleryExit ? std::string("もどる") : spoken_picture(gl.focus));
  return true;
}

}  // namespace vm
