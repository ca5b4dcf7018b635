// Backgrounds with their transitions, character sprites and faces. Each
// change returns the interpreter's step result.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/surface.h"

namespace vm {

struct Game;

// Sprite slots: L, R, C. Column 3 of Doll_Shown is the spare one that only
// the fault paths write; it has no surfaces.
constexpr int kSlotL = 0;
constexpr int kSlotR = 1;
constexpr int kSlotC = 2;
constexpr int kSlotNone = 3;
constexpr int kCharacters = 8;

// Everything the scene changes keep between rows: the sprite slots with
// their pictures and geometry, the face sheet, and the transition's scratch.
struct SceneState {
  // Per slot: the picture as loaded, its mask, the screen under it. What the
  // player sees is ScreenState::Doll_Disp.
  std::array<Surface, 3> Doll_Body{Surface{"Doll_Body0"}, Surface{"Doll_Body1"},
                                   Surface{"Doll_Body2"}};
  std::array<Surface, 3> Doll_Mask{Surface{"Doll_Mask0"}, Surface{"Doll_Mask1"},
                                   Surface{"Doll_Mask2"}};
  std::array<Surface, 3> Doll_Back{Surface{"Doll_Back0"}, Surface{"Doll_Back1"},
                                   Surface{"Doll_Back2"}};
  std::array<int32_t, 5> Doll_X{}, Doll_Y{}, Doll_W{}, Doll_H{};
  std::array<int32_t, 3> Doll_Base_X{0, 350, 200};
  // Pose shown by character r + 1 in slot j, 0 when not shown there. Records
  // what was shown: another character taking the slot does not clear it.
  std::array<std::array<int16_t, 4>, kCharacters> Doll_Shown{};

  // The face sheet (60.dat), its mask and the per-slot work surfaces.
  Surface Face_Load{"Face_Load"};
  Surface Face_Mask{"Face_Mask"};
  std::array<Surface, 3> Face_Disp{Surface{"Face_Disp0"}, Surface{"Face_Disp1"},
                                   Surface{"Face_Disp2"}};
  // x1, y1, x2, y2 (face area on the sprite), w, h, sheet-x; rows 0..6 used.
  std::array<std::array<int32_t, 7>, 8> Face_Rect{};

  std::string Trans_Code;
  std::vector<uint32_t> Pixel_Buf;
  int32_t Pixel_Count = 0;

  SceneState() = default;
  SceneState(const SceneState&) = delete;
  SceneState& operator=(const SceneState&) = delete;
};

int change_place(Game& g);  // background of place Place_No; returns 2
int change_doll(Game& g);   // sprite Cur_Doll/Cur_Pose at Cur_Text's slot; returns 2
int change_face(Game& g);   // face Cur_Face on the shown sprite; returns 0
// The face area of each sprite picture with a face column: x1, y1, x2, y2 on
// the sprite and the column's left edge in the face sheet, for the sprites
// 11, 12, 21, 22, 31, 32, 41; face_row maps a sprite key to its row (0 for
// any other key).
extern const int kFaceAreas[7][5];
int face_row(int key);

void load_faces(Game& g);  // the face sheet, once at start-up
void rebuild_window_back(Game& g);

// Draws Pic_Back onto Pic_Main with the effect named by Trans_Code.
void run_transition(Game& g);

// Sprite slot operations used by change_doll.
void load_doll(Game& g, int slot, const Image& picture);
void wipe_doll(Game& g, int slot);

// Hides the three sprite surfaces and forgets what stood in the slots
// (characters 1..7), as a background change or a loaded game does.
void clear_sprites(Game& g);

// --- the dither mask sheet --------------------------------------------------

constexpr int kMaskSheetW = 320;
constexpr int kMaskSheetH = 64;
// The 8 x 8 cell of dissolve step k (0..9): "#" where the new picture shows.
const std::array<const char*, 8>& mask_cell(int k);
// Fills a surface with the 320 x 64 mask sheet: lower band white where the
// new picture shows at step k (tile at x = 32k), upper band its complement.
void load_mask_sheet(Surface& mesh1);
// One dither step k (0..8) over the whole screen: Pic_Main keeps the old
// picture where the upper band of Mesh1 is white and takes Pic_Back's where
// the lower band is. Does not present.
void dither_step(Game& g, int k);
// Loads the sheet into Mesh1 unless it is already there.
void ensure_mask_sheet(Game& g);

// --- transition steps, also timed by the benchmark --------------------------

struct TransitionInfo {
  int steps = 1;        // presents of the effect (IC: its two phases)
  int budget_ms = 0;    // per-step pace; 0 when the effect is not paced
  bool events = false;  // whether pending window events run between steps
};
TransitionInfo transition_info(const std::string& code);
// Draws step i of the effect from Pic_Back onto Pic_Main, without presenting.
void transition_step(Game& g, const std::string& code, int i);

// --- helpers shared by the scene changes -----------------------------------

// Paces a loop of steps of budget_ms each. The budget of step i is counted
// on a schedule fixed when the loop starts (step i may end no earlier than
// start + (i + 1) x budget), so the few tenths of a millisecond that every
// sleep oversleeps do not add up over a long effect. When presenting a frame
// costs more than a step's budget, the steps in between are still drawn but
// not presented until the loop is back on time: the effect keeps its speed
// and the last frame always shows.
class StepPacer {
 public:
  StepPacer(Game& g, int budget_ms, bool events);
  // Whether step i, just drawn, should be presented.
  bool should_present(int i, bool last);
  // Sleeps until step i's time is up, then lets pending events run when
  // the loop allows them. last marks the loop's final step.
  void finish_step(int i, bool last = false);

 private:
  Game& g_;
  int budget_;
  bool events_;
  uint32_t start_;
  uint32_t slept_ = 0;
};

// Reports a script row that asks for something the data does not hold,
// naming the row in 51.dat.
void scene_fault(Game& g, const std::string& what);
// Loads a picture of the data folder by file name ("71.dat").
bool load_data_picture(Game& g, const std::string& file, Image& out, std::string& error);

}  // namespace vm
