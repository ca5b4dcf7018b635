// The surfaces of the main window and how they are composed into the frame
// the player sees: Pic_Main at the bottom, then every visible child area in
// stacking order, each clipped to its parent.
#pragma once

#include <array>
#include <vector>

#include "graphics/surface.h"
#include "platform/window.h"

namespace vm {

constexpr int kScreenW = 640;
constexpr int kScreenH = 480;

// The layers of the message window (Waku): the panel the player sees, with
// the text typed into it; the flat tint; the border picture on black; the
// border's mask; and the blank panel that clearing copies back.
enum WakuLayer : size_t {
  kWakuShown = 0,
  kWakuTint = 1,
  kWakuBorder = 2,
  kWakuBorderMask = 3,
  kWakuBlank = 4,
};

struct ScreenState {
  // The main window's own drawing surface: its background colour or picture,
  // seen wherever no child area covers it (the gallery's backdrop, the
  // ending's dark purple).
  Surface Form_Canvas{"Form_Canvas", {}, 0};
  Surface Pic_Main{"Pic_Main"};
  Surface Pic_Back{"Pic_Back"};
  Surface Form_Back{"Form_Back"};
  Surface Place_Back{"Place_Back"};
  Surface Place_Load{"Place_Load"};
  Surface Wall_Back{"Wall_Back"};
  Surface Mesh1{"Mesh1"};
  Surface Mesh2{"Mesh2"};
  Surface Texture{"Texture"};
  Surface Title{"Title"};
  Surface End_Pic{"End_Pic"};
  // The message window's layers, by index: see WakuLayer.
  std::array<Surface, 5> Waku{Surface{"Waku0"}, Surface{"Waku1"}, Surface{"Waku2"},
                              Surface{"Waku3"}, Surface{"Waku4"}};
  Surface Blinker{"Blinker"};
  std::array<Surface, 3> SelBox{Surface{"SelBox0"}, Surface{"SelBox1"}, Surface{"SelBox2"}};
  std::array<Surface, 3> Doll_Disp{Surface{"Doll_Disp0"}, Surface{"Doll_Disp1"},
                                   Surface{"Doll_Disp2"}};
  std::array<Surface, 4> Smenu{Surface{"Smenu0"}, Surface{"Smenu1"}, Surface{"Smenu2"},
                               Surface{"Smenu3"}};

  // Child areas in stacking order, bottom first (Pic_Main is always below).
  std::vector<Surface*> layers;

  Pinned pinned;
};

// What a moment of the story keeps of the screen: the look of every surface a
// script row shows, moves or hides. Left as they are (kScreenFieldsLeftAsIs):
// the mesh and texture sheets, the title, ending and save-menu pictures, which
// no row places, the layer list, which never changes during the story, and the
// pin.
struct ScreenSnapshot {
  SurfaceLook Form_Canvas, Pic_Main, Pic_Back, Form_Back, Place_Back, Place_Load, Wall_Back;
  std::array<SurfaceLook, 5> Waku;
  SurfaceLook Blinker;
  std::array<SurfaceLook, 3> SelBox, Doll_Disp;
  bool operator==(const ScreenSnapshot&) const = default;
};
constexpr size_t kScreenFieldsLeftAsIs = 8;
ScreenSnapshot snapshot(const ScreenState& s);
void restore(ScreenState& s, const ScreenSnapshot& k);

// Composes the main window's own surface, Pic_Main (when shown) and the
// visible child areas into one 640 x 480 frame; into `frame` rewrites every
// pixel of it, whatever it held.
Image compose_screen(const ScreenState& screen);
void compose_screen(const ScreenState& screen, Image& frame);

// Composes and puts the frame on screen at once.
void present_screen(const ScreenState& screen, Window& window);

// The top-most visible child area under a game-screen point (Pic_Main when
// no child covers it).
const Surface* surface_at(const ScreenState& screen, int x, int y);

// Absolute game-screen position of a surface's top-left corner.
void absolute_origin(const Surface& s, int& x, int& y);

// A surface and all its parents are visible.
bool shown_on_screen(const Surface& s);

}  // namespace vm
