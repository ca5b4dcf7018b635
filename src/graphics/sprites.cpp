// Character sprites in the three slots L, R and C. Each slot's Doll_Disp is
// its own child area over Pic_Main holding the screen under the sprite with
// the sprite masked onto it, so showing and hiding never touch Pic_Main.
#include "graphics/scene.h"

namespace vm {

int slot_of_code(const std::string& code) {
  if (code == "L") return kSlotL;
  if (code == "R") return kSlotR;
  if (code == "C") return kSlotC;
  return kSlotNone;
}

void load_doll(Stage st, int j, const Image& picture) {
  SceneState& s = st.scene;
  Surface& body = s.Doll_Body[j];
  body.img = picture;
  const int w = body.width();
  const int h = body.height();
  s.Doll_W[j] = w;
  s.Doll_H[j] = h;
  s.Doll_X[j] = s.Doll_Base_X[j];
  s.Doll_Y[j] = kScreenH - h;
  Surface& mask = s.Doll_Mask[j];
  mask.back_color = rgb(255, 255, 255);
  mask.fore_color = 0;
  mask.place(0, 0, w, h);
  s.Doll_Back[j].back_color = 0;
  s.Doll_Back[j].place(0, 0, w, h);
  // A sprite reaching past the screen's edge keeps black where no screen is.
  s.Doll_Back[j].clear();
  st.screen.Doll_Disp[j].place(0, 0, w, h);
  make_mask(mask, body, 0, 0, w, h);
}

bool wipe_doll(Stage st, int j) {
  SceneState& s = st.scene;
  ScreenState& sc = st.screen;
  if (j == kSlotL) {
    Surface& disp = sc.Doll_Disp[0];
    const int w = s.Doll_W[0], h = s.Doll_H[0];
    // Two-pixel bars from the top and from the bottom.
    StepPacer pacer(st.clock, st.window, 8, true);
    for (int i = 0, step = 0; i <= h; i += 2, ++step) {
      bit_blt(disp, 0, 2 * i, w, 2, s.Doll_Back[0], 0, 2 * i, SRCCOPY);
      bit_blt(disp, 0, h - 2 * i, w, 2, s.Doll_Back[0], 0, h - 2 * i, SRCCOPY);
      if (pacer.should_present(step, i + 2 > h)) refresh(st);
      pacer.finish_step(step, i + 2 > h);
    }
    disp.visible = false;
    refresh(st);
    return false;
  }
  if (j == kSlotR) {
    Surface& disp = sc.Doll_Disp[1];
    const int w = s.Doll_W[1], h = s.Doll_H[1];
    sc.Waku[0].visible = false;
    // Three-pixel bars from the left and from the right.
    StepPacer pacer(st.clock, st.window, 10, true);
    for (int i = 0, step = 0; i <= w; i += 2, ++step) {
      bit_blt(disp, 2 * i, 0, 3, h, s.Doll_Back[1], 2 * i, 0, SRCCOPY);
      bit_blt(disp, w - 2 * i, 0, 3, h, s.Doll_Back[1], w - 2 * i, 0, SRCCOPY);
      if (pacer.should_present(step, i + 2 > w)) refresh(st);
      pacer.finish_step(step, i + 2 > w);
    }
    // Hidden before the backdrop is recomposed, so that no stripe of the
    // wiped sprite can be taken into the message window (hidden meanwhile).
    disp.visible = false;
    refresh(st);
    return true;
  }
  if (j == kSlotC) {
    // The centre slot has no wipe of its own: it goes at once.
    sc.Doll_Disp[2].visible = false;
    refresh(st);
  }
  return false;
}

namespace {

// The sprite's picture masked onto the screen under its place, shown.
void show_in_slot(Stage st, int j, const Image& picture) {
  SceneState& s = st.scene;
  ScreenState& sc = st.screen;
  if (j > kSlotL) sc.Waku[0].visible = false;
  load_doll(st, j, picture);
  Surface& disp = sc.Doll_Disp[j];
  bit_blt(s.Doll_Back[j], 0, 0, s.Doll_W[j], s.Doll_H[j], sc.Pic_Main, s.Doll_X[j], s.Doll_Y[j],
          SRCCOPY);
  disp.place(s.Doll_X[j], s.Doll_Y[j], s.Doll_W[j], s.Doll_H[j]);
  bit_blt(disp, 0, 0, s.Doll_W[j], s.Doll_H[j], s.Doll_Back[j], 0, 0, SRCCOPY);
  bit_blt(disp, 0, 0, s.Doll_W[j], s.Doll_H[j], s.Doll_Mask[j], 0, 0, SRCAND);
  bit_blt(disp, 0, 0, s.Doll_W[j], s.Doll_H[j], s.Doll_Body[j], 0, 0, SRCINVERT);
  disp.visible = true;
  refresh(st);
  st.window.do_events();
}

}  // namespace

bool change_doll(Stage st, int doll, int pose, const std::string& slot_code) {
  SceneState& s = st.scene;
  if (doll < 1 || doll > kCharacters) {
    scene_fault(st, "Doll " + std::to_string(doll) + std::to_string(pose) + " is no character.");
    return false;
  }
  auto& row = s.Doll_Shown[doll - 1];

  if (pose == 0) {
    int j = kSlotNone;
    for (int k = 0; k < 3; ++k)
      if (row[k] != 0) {
        j = k;
        break;
      }
    if (j == kSlotNone) scene_fault(st, "Doll not hide.");
    const bool backdrop = wipe_doll(st, j);
    row[j] = 0;
    return backdrop;
  }

  int j = kSlotNone;
  for (int k = 0; k < 3; ++k)
    if (row[k] == pose) {
      j = k;
      break;
    }
  if (j == kSlotNone) {
    j = slot_of_code(slot_code);
    if (j == kSlotNone) scene_fault(st, "Doll disp position ignore.");
  }
  if (row[j] == pose) return false;  // already standing in this pose
  if (j == kSlotNone) {
    // The spare column records the request; there is no slot to draw into.
    row[j] = static_cast<int16_t>(pose);
    return false;
  }

  const std::string file = std::to_string(doll) + std::to_string(pose) + ".dat";
  Result<Image> loaded = load_data_picture(st, file);
  if (!loaded) {
    scene_fault(st, "Doll " + std::to_string(doll) + std::to_string(pose) + " (" + file +
                        ") cannot be shown: " + loaded.error().what());
    return false;
  }
  const Image& picture = loaded.value();

  row[j] = static_cast<int16_t>(pose);
  show_in_slot(st, j, picture);
  return true;
}

}  // namespace vm
