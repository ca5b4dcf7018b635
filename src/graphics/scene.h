// What the scene changes keep between rows (backgrounds with their
// transitions, character sprites and faces, each in its own header, included
// here for the code that drives them all). Each change returns the
// interpreter's step result.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "graphics/faces.h"
#include "graphics/mask_sheet.h"
#include "graphics/pacing.h"
#include "graphics/screen.h"
#include "graphics/sprites.h"
#include "graphics/surface.h"
#include "graphics/transitions.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_log.h"
#include "platform/pictures.h"
#include "platform/window.h"

namespace vm {

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
  // The face area of each sprite key's row (face_row); rows 0..6 used.
  std::array<FaceArea, 8> Face_Rect{};

  std::string Trans_Code;
  std::vector<uint32_t> Pixel_Buf;
  int32_t Pixel_Count = 0;

  Pinned pinned;
};

// What a moment of the story keeps of the scene: the sprite slots' looks and
// geometry, who was shown where, the faces' looks and the transition's code.
// Left as they are (kSceneFieldsLeftAsIs): the slots' fixed places, the face
// areas read from the data, the transition's pixel scratch and its count, and
// the pin.
struct SceneSnapshot {
  std::array<SurfaceLook, 3> Doll_Body, Doll_Mask, Doll_Back;
  std::array<int32_t, 5> Doll_X{}, Doll_Y{}, Doll_W{}, Doll_H{};
  std::array<std::array<int16_t, 4>, kCharacters> Doll_Shown{};
  SurfaceLook Face_Load, Face_Mask;
  std::array<SurfaceLook, 3> Face_Disp;
  std::string Trans_Code;
  bool operator==(const SceneSnapshot&) const = default;
};
constexpr size_t kSceneFieldsLeftAsIs = 5;
SceneSnapshot snapshot(const SceneState& s);
void restore(SceneState& s, const SceneSnapshot& k);

// What the scene changes work with: the services that show, pace and load
// them and name a fault, the screen's surfaces, the scene's own state, the
// data folder they load pictures from (and whose gallery marks a background
// change sets), and the 51.dat line of the row being played, which their
// faults name.
struct Stage {
  Window& window;
  Clock& clock;
  Dialogs& dialogs;
  Pictures& pictures;
  EventLog& log;
  ScreenState& screen;
  SceneState& scene;
  AssetState& assets;
  const int& row_line;
};

// The stage as a moment of the story keeps it: the rows played again from
// that moment redraw the pictures where these looks put them.
struct StageSnapshot {
  ScreenSnapshot screen;
  SceneSnapshot scene;
};
StageSnapshot snapshot(const Stage& st);
void restore(const Stage& st, const StageSnapshot& k);

// Composes the screen and presents it.
inline void refresh(const Stage& st) {
  present_screen(st.screen, st.window);
}

// Reports a script row that asks for something the data does not hold,
// naming the row in 51.dat.
void scene_fault(const Stage& st, const std::string& what);
// Loads a picture of the data folder by file name ("71.dat"); the reader's
// account when it cannot.
Result<Image> load_data_picture(Pictures& pictures, const std::string& data_dir,
                                const std::string& file);
inline Result<Image> load_data_picture(const Stage& st, const std::string& file) {
  return load_data_picture(st.pictures, st.assets.Data_Dir, file);
}

}  // namespace vm
