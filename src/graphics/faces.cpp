// Faces: one shared sheet (60.dat) with a column per sprite picture, painted
// over the face area of the sprite on screen with a short dither dissolve.
#include "game/game.h"
#include "assets/data_error.h"
#include "graphics/scene.h"

namespace vm {

namespace {

constexpr int kSheetW = 580;
constexpr int kSheetH = 585;

}  // namespace

// x1, y1, x2, y2 on the sprite picture and the column's left edge in the
// sheet, per sprite 11, 12, 21, 22, 31, 32, 41.

const int kFaceAreas[7][5] = {
    {77, 69, 161, 137, 0},   {62, 68, 140, 138, 84},  {55, 64, 140, 134, 168},
    {40, 58, 128, 130, 253}, {69, 68, 150, 141, 341}, {70, 63, 148, 133, 422},
    {79, 62, 159, 130, 500},
};

// Face_Rect row of a sprite; pictures without a column of their own use row 0.
int face_row(int key) {
  switch (key) {
    case 11:
      return 0;
    case 12:
      return 1;
    case 21:
      return 2;
    case 22:
      return 3;
    case 31:
      return 4;
    case 32:
      return 5;
    case 41:
      return 6;
    default:
      return 0;
  }
}

void load_faces(Game& g) {
  SceneState& s = g.scene;
  ensure_mask_sheet(g);
  s.Face_Load.back_color = 0;
  s.Face_Load.place(0, 0, kSheetW, kSheetH);
  s.Face_Load.clear();
  Image sheet;
  std::string error;
  if (load_data_picture(g, "60.dat", sheet, error)) {
    Surface tmp{"sheet"};
    tmp.img = std::move(sheet);
    bit_blt(s.Face_Load, 0, 0, kSheetW, kSheetH, tmp, 0, 0, SRCCOPY);
  } else {
    message_box(g, "The face sheet cannot be loaded: " + error);
  }
  s.Face_Mask.back_color = rgb(255, 255, 255);
  s.Face_Mask.fore_color = 0;
  s.Face_Mask.place(0, 0, kSheetW, kSheetH);
  make_mask(s.Face_Mask, s.Face_Load, 0, 0, kSheetW, kSheetH);
  for (int q = 0; q < 7; ++q) {
    auto& r = s.Face_Rect[q];
    for (int f = 0; f < 4; ++f) r[f] = kFaceAreas[q][f];
    r[6] = kFaceAreas[q][4];
    r[4] = r[2] - r[0];
    r[5] = r[3] - r[1];
  }
}

int change_face(Game& g) {
  SceneState& s = g.scene;
  ScreenState& sc = g.screen;
  const int doll = g.interp.Cur_Doll;
  const int pose = g.interp.Cur_Pose;
  const int face = g.interp.Cur_Face;

  // The sprite must stand in this very pose; a hide (pose 0) is no sprite.
  int j = kSlotNone;
  if (doll >= 1 && doll <= kCharacters && pose != 0)
    for (int k = 0; k < 3; ++k)
      if (s.Doll_Shown[doll - 1][k] == pose) {
        j = k;
        break;
      }
  if (j == kSlotNone) {
    message_box(g, "0 doll but face change?");
    throw ShutdownRequest{true};
  }

  const auto& r = s.Face_Rect[face_row(doll * 10 + pose)];
  const int x1 = r[0], y1 = r[1], w = r[4], h = r[5], sheet_x = r[6];
  if (face < 1 || face * h > kSheetH) {
    scene_fault(g, "Face " + std::to_string(face) + " of doll " + std::to_string(doll) +
                       std::to_string(pose) + " is not in 60.dat.");
    return kShowMessage;
  }
  const int sy = (face - 1) * h;

  Surface& fd = s.Face_Disp[j];
  Surface& disp = sc.Doll_Disp[j];
  fd.place(0, 0, w, h);
  // The face area as it is on screen, the new face masked over it.
  bit_blt(fd, 0, 0, w, h, disp, x1, y1, SRCCOPY);
  bit_blt(fd, 0, 0, w, h, s.Face_Mask, sheet_x, sy, SRCAND);
  bit_blt(fd, 0, 0, w, h, s.Face_Load, sheet_x, sy, SRCINVERT);
  do_events(g);

  if (g.input.Text_Mode != 0) {
    ensure_mask_sheet(g);
    Surface& mesh2 = sc.Mesh2;
    mesh2.place(mesh2.left, mesh2.top, 32, 32);
    const Surface& sheet = sc.Mesh1;
    StepPacer pacer(g, 50, true);
    for (int k = 0; k <= 8; ++k) {
      for (int x = 0; x <= w; x += 32) {
        const int tw = x + 32 > w ? w - x : 32;
        for (int y = 0; y <= h; y += 32) {
          const int th = y + 32 > h ? h - y : 32;
          bit_blt(mesh2, 0, 0, tw, th, fd, x, y, SRCCOPY);
          bit_blt(mesh2, 0, 0, tw, th, sheet, 32 * k, 32, SRCAND);
          bit_blt(disp, x1 + x, y1 + y, tw, th, sheet, 32 * k, 0, SRCAND);
          bit_blt(disp, x1 + x, y1 + y, tw, th, mesh2, 0, 0, SRCINVERT);
        }
      }
      if (pacer.should_present(k, k == 8)) refresh(g);
      pacer.finish_step(k, k == 8);
    }
  }
  bit_blt(disp, x1, y1, w, h, fd, 0, 0, SRCCOPY);
  refresh(g);
  return kShowMessage;
}

}  // namespace vm
