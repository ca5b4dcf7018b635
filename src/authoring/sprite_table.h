// The sprites on the screen as the game keeps account of them (Doll_Shown:
// the pose each character shows in each slot), for the story map: what a
// row's background, sprite and face changes do to that account, and the
// message boxes the game shows when a row asks for what is not there.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "graphics/sprites.h"

namespace vm::datatool {

struct SpriteTable {
  // [character - 1][slot L, R, C, the spare one]: the pose shown, 0 for none.
  std::array<std::array<int16_t, 4>, kCharacters> shown{};
  bool operator==(const SpriteTable&) const = default;
};

// A message box a scene change makes the game show.
struct SceneFault {
  const char* field;   // "5 (doll)"
  std::string why;     // in the check's words
  std::string dialog;  // the box's text (what follows it, "(51.dat line N)", left out)
  bool ends = false;   // the game ends at once after it
};

// A new background: characters 1 to 7 leave the three slots.
void place_changed(SpriteTable& t);

// A doll field: character doll in pose (0 hides it), a new sprite in the slot
// named by slot_code. The fault the game shows, if any.
std::optional<SceneFault> doll_changed(SpriteTable& t, int doll, int pose,
                                       const std::string& slot_code);

// A face field: the face of character doll in pose, which must stand in a
// slot. A fault that ends the game when it does not.
std::optional<SceneFault> face_changed(const SpriteTable& t, int doll, int pose, int face);

}  // namespace vm::datatool
