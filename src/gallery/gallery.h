// The picture gallery: thumbnails and full-screen viewing of the event
// pictures already seen.
#pragma once

namespace vm {

struct Game;

// Opened from the title menu; returns to the title when the player leaves.
void show_gallery(Game& g);

}  // namespace vm
