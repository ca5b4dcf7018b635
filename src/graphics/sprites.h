// Character sprites in their three stage slots.
#pragma once

#include <string>

namespace vm {

struct Image;
struct Stage;

// Sprite slots: L, R, C. Column 3 of Doll_Shown is the spare one that only
// the fault paths write; it has no surfaces.
constexpr int kSlotL = 0;
constexpr int kSlotR = 1;
constexpr int kSlotC = 2;
constexpr int kSlotNone = 3;

// The slot a new sprite's position code names: "L", "R" or "C", exactly;
// kSlotNone for any other.
int slot_of_code(const std::string& code);
constexpr int kCharacters = 8;

// Shows character doll in pose (0 hides it) in the slot it stands in, or for
// a new sprite the slot named by slot_code ("L", "R", "C"). True when the
// screen under the message window changed: the caller then recomposes the
// window's panel over it.
[[nodiscard]] bool change_doll(Stage st, int doll, int pose, const std::string& slot_code);

// Sprite slot operations used by change_doll; wipe_doll is true when the
// wipe changed the screen under the message window.
void load_doll(Stage st, int slot, const Image& picture);
[[nodiscard]] bool wipe_doll(Stage st, int slot);

// Hides the three sprite surfaces and forgets what stood in the slots
// (characters 1..7), as a background change or a loaded game does.
void clear_sprites(Stage st);

}  // namespace vm
