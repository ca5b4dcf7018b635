// Faces: one shared sheet (60.dat) with a column per sprite picture, painted
// over the face area of the sprite on screen with a short dither dissolve.
#include <algorithm>

#include "graphics/scene.h"
#include "platform/errors.h"

namespace vm {

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

void load_faces(Stage st) {
  SceneState& s = st.scene;
  ensure_mask_sheet(st.screen);
  s.Face_Load.back_color = 0;
  s.Face_Load.place(0, 0, kFaceSheetW, kFaceSheetH);
  s.Face_Load.clear();
  Result<Image> sheet = load_data_picture(st, "60.dat");
  if (sheet) {
    Surface tmp{"sheet"};
    tmp.img = std::move(sheet).value_or_throw();
    bit_blt(s.Face_Load, 0, 0, kFaceSheetW, kFaceSheetH, tmp, 0, 0, SRCCOPY);
  } else {
    st.dialogs.message_box(std::string("The face sheet cannot be loaded: ") + sheet.error().what(),
                           Buttons::Ok);
  }
  // The mask is made for one face at a time, as it is put on (a whole
  // sheet's would hold well over a megabyte for the one face in use).
  s.Face_Mask.back_color = rgb(255, 255, 255);
  s.Face_Mask.fore_color = 0;
  for (size_t q = 0; q < kFaceAreas.size(); ++q) s.Face_Rect[q] = kFaceAreas[q];
}

void change_face(Stage st, int doll, int pose, int face, bool dissolve) {
  SceneState& s = st.scene;
  ScreenState& sc = st.screen;

  // The sprite must stand in this very pose; a hide (pose 0) is no sprite.
  int j = kSlotNone;
  if (doll >= 1 && doll <= kCharacters && pose != 0)
    for (int k = 0; k < 3; ++k)
      if (s.Doll_Shown[doll - 1][k] == pose) {
        j = k;
        break;
      }
  if (j == kSlotNone) {
    st.dialogs.message_box("0 doll but face change?", Buttons::Ok);
    throw ShutdownRequest{true};
  }

  const FaceArea& r = s.Face_Rect[static_cast<size_t>(face_row(doll * 10 + pose))];
  const int x1 = r.x1, y1 = r.y1, w = r.w(), h = r.h(), sheet_x = r.sheet_x;
  if (face < 1 || face * h > kFaceSheetH) {
    scene_fault(st, "Face " + std::to_string(face) + " of doll " + std::to_string(doll) +
                        std::to_string(pose) + " is not in 60.dat.");
    return;
  }
  const int sy = (face - 1) * h;

  Surface& fd = s.Face_Disp[j];
  Surface& disp = sc.Doll_Disp[j];
  fd.place(0, 0, w, h);
  // The face area as it is on screen, the new face masked over it.
  bit_blt(fd, 0, 0, w, h, disp, x1, y1, SRCCOPY);
  // The mask covers only what lies on the sheet; the rest is left white, so
  // the face area there stays as it is on screen.
  s.Face_Mask.place(0, 0, w, h);
  s.Face_Mask.clear();
  make_mask(s.Face_Mask, s.Face_Load, sheet_x, sy, std::min(w, kFaceSheetW - sheet_x),
            std::min(h, kFaceSheetH - sy));
  bit_blt(fd, 0, 0, w, h, s.Face_Mask, 0, 0, SRCAND);
  bit_blt(fd, 0, 0, w, h, s.Face_Load, sheet_x, sy, SRCINVERT);
  st.window.do_events();

  if (dissolve) {
    ensure_mask_sheet(sc);
    sc.Mesh2.place(sc.Mesh2.left, sc.Mesh2.top, 32, 32);
    StepPacer pacer(st.clock, st.window, 50, true);
    for (int k = 0; k <= 8; ++k) {
      dither_step(sc, disp, x1, y1, w, h, fd, 0, 0, k);
      if (pacer.should_present(k, k == 8)) refresh(st);
      pacer.finish_step(k, k == 8);
    }
  }
  bit_blt(disp, x1, y1, w, h, fd, 0, 0, SRCCOPY);
  refresh(st);
}

}  // namespace vm
