// The title screen: the title picture, the panel dissolving into the panel
// texture, and the four-item menu (start, load, gallery, quit).
#pragma once

#include <cstdint>
#include <string>

#include "graphics/scene.h"
#include "platform/files.h"
#include "platform/result.h"
#include "platform/speech.h"
#include "sound/sound.h"

namespace vm {

struct TitleState {
  uint32_t Title_Start = 0;
};

// What the title screen works with: its clock mark, the stage, the speakers
// that tick, the hover mark it shares with the choice menu, the files its
// picture is read from and the voice that says its items.
struct TitleScreen {
  TitleState& title;
  Stage stage;
  Audio audio;
  int16_t& menu_hover;
  Files& files;
  Speech& speech;
};

// The title's opening, the last step of start-up: returns when the menu is
// ready, or with what the player is told when it cannot be shown.
Result<void> title_steps(TitleScreen g);

// The title's items read aloud, as when the menu first appears (and again
// whenever the player comes back to it).
void announce_title(const TitleScreen& g);

// The title leaves the screen for good (start, or a loaded game).
void leave_title(TitleScreen g);

// The menu item a surface is (0..3), or -1.
int title_item(const ScreenState& screen, const Surface* target);
// Pointer over item i.
void on_title_hover(TitleScreen g, int i);
// The keyboard on the title menu once it is ready: Up and Down move the
// highlight as the pointer does (the same tick); Enter or Space returns the
// highlighted item to press, or -1. Other keys, or a title not showing its
// menu, return -1 and are left to the others.
int on_title_key(const TitleScreen& g, int key);

}  // namespace vm
