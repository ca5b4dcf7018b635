// The picture gallery: the five event pictures already met in play, as
// thumbnails over a backdrop, each viewable at full size.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "graphics/scene.h"
#include "graphics/surface.h"
#include "platform/speech.h"
#include "platform/text.h"
#include "sound/sound.h"

namespace vm {

constexpr int kGalleryPictures = 5;
constexpr int kThumbW = 128;
constexpr int kThumbH = 96;
inline constexpr const char* kGalleryExitCaption = "もどる";

struct GalleryState {
  // False: the thumbnails are built on the next visit.
  int16_t Thumbs_Ready = 0;
  // The full-size viewer, also the scratch surface pictures are loaded into.
  Surface Thumb1{"Thumb1"};
  // The reduced pictures; never shown themselves.
  std::array<Surface, 5> Thumb2{Surface{"Thumb2_0"}, Surface{"Thumb2_1"}, Surface{"Thumb2_2"},
                                Surface{"Thumb2_3"}, Surface{"Thumb2_4"}};
  std::array<Surface, 5> CG_btn{Surface{"CG_btn0"}, Surface{"CG_btn1"}, Surface{"CG_btn2"},
                                Surface{"CG_btn3"}, Surface{"CG_btn4"}};
  std::array<bool, 5> btn_enabled{};
  // Which buttons carry their thumbnail.
  std::array<bool, 5> btn_picture{};
  Surface CG_exit{"CG_exit"};
  // The keyboard focus: a thumbnail 0..4, or kGalleryExit (もどる, where the
  // gallery puts it when it opens). Its frame shows once the player has
  // moved it with the arrow keys during this visit.
  int focus = 5;
  bool focus_shown = false;
  int viewing = -1;  // the picture shown at full size, -1 none
};
constexpr int kGalleryExit = kGalleryPictures;

// What the gallery works with: its own screens, the stage it draws on, the
// speakers that click, the text its button is written with and the voice
// that names its pictures.
struct GalleryRoom {
  GalleryState& gallery;
  Stage stage;
  Audio audio;
  Text& text;
  Speech& speech;
};

// Top-left corner of thumbnail button k.
int thumb_x(int k);
int thumb_y(int k);
// The picture file of gallery picture k: 75.dat to 79.dat.
std::string gallery_file(int k);

// Registers the gallery's surfaces among the main window's child areas.
void layout_gallery(GalleryRoom g);

// Builds the thumbnails when needed and shows the gallery screen.
void open_gallery(GalleryRoom g);
// The title menu's gallery item.
inline void show_gallery(const GalleryRoom& g) {
  open_gallery(g);
}

// The gallery's own controls; each returns whether the press was its.
bool on_gallery_press(GalleryRoom g, const Surface* target, int button);
bool on_gallery_key(GalleryRoom g, int key);

// Leaving the gallery for the title screen (the exit button's action).
void leave_gallery(GalleryRoom g);
// Picture k at full size (a thumbnail button's action).
void view_picture(GalleryRoom g, int k);
// Back from the full-size view to the thumbnails.
void close_viewer(GalleryRoom g);

}  // namespace vm
