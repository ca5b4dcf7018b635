// Character sprites in their three stage slots.
#pragma once

namespace vm {

struct Game;
struct Image;

// Sprite slots: L, R, C. Column 3 of Doll_Shown is the spare one that only
// the fault paths write; it has no surfaces.
constexpr int kSlotL = 0;
constexpr int kSlotR = 1;
constexpr int kSlotC = 2;
constexpr int kSlotNone = 3;
constexpr int kCharacters = 8;

int change_doll(Game& g);  // sprite Cur_Doll/Cur_Pose at Cur_Text's slot; returns 2

// Sprite slot operations used by change_doll.
void load_doll(Game& g, int slot, const Image& picture);
void wipe_doll(Game& g, int slot);

// Hides the three sprite surfaces and forgets what stood in the slots
// (characters 1..7), as a background change or a loaded game does.
void clear_sprites(Game& g);

// Recomposes the message window's panel over the scene now under it, with
// the sprite standing there.
void rebuild_window_back(Game& g);

}  // namespace vm
