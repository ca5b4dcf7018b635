// The bookkeeping of change_place, change_doll and change_face without their
// drawing; tests/tools/story_paths_test.cpp plays the same rows through the
// game and holds the two to the same message boxes.
#include "authoring/sprite_table.h"

#include "assets/picture_table.h"
#include "graphics/faces.h"
#include "graphics/sprites.h"

namespace vm::datatool {

namespace {

std::string doll_key(int doll, int pose) {
  return std::to_string(doll) + std::to_string(pose);
}

}  // namespace

void place_changed(SpriteTable& t) {
  for (int r = 0; r < 7; ++r)
    for (int j = 0; j < 3; ++j) t.shown[static_cast<size_t>(r)][static_cast<size_t>(j)] = 0;
}

std::optional<SceneFault> doll_changed(SpriteTable& t, int doll, int pose,
                                       const std::string& slot_code) {
  if (doll < 1 || doll > kCharacters)
    return SceneFault{"5 (doll)", "there is no character " + std::to_string(doll),
                      "Doll " + doll_key(doll, pose) + " is no character."};
  auto& row = t.shown[static_cast<size_t>(doll - 1)];
  std::optional<SceneFault> fault;
  int j = kSlotNone;
  if (pose == 0) {
    for (int k = 0; k < 3 && j == kSlotNone; ++k)
      if (row[static_cast<size_t>(k)] != 0) j = k;
    if (j == kSlotNone)
      fault = SceneFault{"5 (doll)",
                         "character " + std::to_string(doll) + " stands in no slot to be hidden",
                         "Doll not hide."};
    row[static_cast<size_t>(j)] = 0;
    return fault;
  }
  for (int k = 0; k < 3 && j == kSlotNone; ++k)
    if (row[static_cast<size_t>(k)] == pose) j = k;
  if (j == kSlotNone) {
    j = slot_of_code(slot_code);
    if (j == kSlotNone)
      fault = SceneFault{
          "9 (text)",
          "a new sprite's position is \"" + slot_code + "\", not L, R or C: no sprite is shown",
          "Doll disp position ignore."};
  }
  if (row[static_cast<size_t>(j)] == pose) return fault;  // standing so already
  // The slots take only the sprite pictures the game has (the start-up check
  // makes sure of those); another is not shown and not noted.
  if (j != kSlotNone && !find_picture_entry(doll * 10 + pose))
    return SceneFault{
        "5 (doll)", "there is no sprite picture " + dat_name(doll * 10 + pose),
        "Doll " + doll_key(doll, pose) + " (" + doll_key(doll, pose) + ".dat) cannot be shown"};
  row[static_cast<size_t>(j)] = static_cast<int16_t>(pose);
  return fault;
}

std::optional<SceneFault> face_changed(const SpriteTable& t, int doll, int pose, int face) {
  bool stands = false;
  if (doll >= 1 && doll <= kCharacters && pose != 0)
    for (int k = 0; k < 3; ++k)
      stands = stands || t.shown[static_cast<size_t>(doll - 1)][static_cast<size_t>(k)] == pose;
  if (!stands) {
    std::string why;
    if (doll == 0)
      why = "a face, and no sprite since the background changed";
    else if (pose == 0)
      why = "a face for character " + std::to_string(doll) + ", which the last sprite row hid";
    else
      why = "a face for sprite " + doll_key(doll, pose) + ", which stands in no slot";
    return SceneFault{"6 (face)", why, "0 doll but face change?", true};
  }
  if (face < 1 || face * face_area(doll * 10 + pose).h() > kFaceSheetH)
    return SceneFault{
        "6 (face)",
        "sprite " + doll_key(doll, pose) + " has no face " + std::to_string(face) + " in 60.dat",
        "Face " + std::to_string(face) + " of doll " + doll_key(doll, pose) + " is not in 60.dat."};
  return std::nullopt;
}

}  // namespace vm::datatool
