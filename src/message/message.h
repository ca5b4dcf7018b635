// The message window: typed text in fixed cells, speaker labels, the
// renamable girl, and the framed translucent panel.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assets/game_words.h"
#include "graphics/scene.h"
#include "graphics/screen.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/text.h"
#include "platform/window.h"

namespace vm {

struct MessageState {
  int16_t Msg_Busy = 0;
  int16_t Line_No = 0;
  int16_t Cell_Size = 18;
  int16_t Shown_Speaker = 0;
  int16_t Choice_Armed = 0;
  std::array<std::string, 6> Name_Table;  // UTF-8; 1 and 2 are the girl's names
  // The game's own cast and rename dialog (game.ini); none for a folder
  // that names no words of its own. Shared, never changed once read.
  std::shared_ptr<const GameWords> words;
  // Message window rectangle on the game screen.
  int left = 195, top = 355, width = 432, height = 108;
};

// A moment of the story keeps the whole message window's state: the line it
// stands on, the speaker shown, the names typed and the window's place all
// decide how the messages after it are drawn.
using MessageSnapshot = MessageState;
inline MessageSnapshot snapshot(const MessageState& m) {
  return m;
}
inline void restore(MessageState& m, const MessageSnapshot& k) {
  m = k;
}

// A page of the window: four lines of 23 characters.
constexpr size_t kLineChars = 23;
constexpr int kPageLines = 4;

// Large text for low vision: the window's text one size up (15 points in
// cells of 21 pixels).
constexpr int kLargeTextPoints = 15;
constexpr int kLargeTextCell = 21;
constexpr size_t kLargeLineChars = 19;

// The window's font; its cells are five pixels wider than its size.
inline const Font kMessageFont{"ＭＳ ゴシック", 13, true};
inline int cell_size(const Font& f) {
  return f.points + 5;
}
// The font a speaker's label is drawn in, and how many pixels of it a line
// of the window shows (the rest falls past the window's edge).
Font label_font(bool large_text);
int line_room(bool large_text);

constexpr uint32_t kNarrationColour = 0x953C8C;
constexpr uint32_t kShadowColour = 0xC0C0C0;

// What the message window draws with: the services that draw text, present
// and pace its typing and the player's settings it follows, its own state,
// the screen's surfaces (its layers are ScreenState::Waku), and the options'
// window density.
struct MessageWindow {
  Window& window;
  Clock& clock;
  Text& text;
  SettingsStore& settings;
  MessageState& msg;
  ScreenState& screen;
  const float& density;
};

// Draws a message of speaker (its label first when the speaker changes),
// typed character by character when `typed`, else each line at once.
// Returns the number of characters, which the click wait after it counts;
// -1 when a message is being drawn already (nothing drawn, nothing to wait for).
// With large text a long message can fill the page before it ends:
// page_full then runs (the click wait) before the rest goes on a fresh page.
int draw_message(MessageWindow mw, const std::string& label, const std::string& text,
                 uint32_t colour, int speaker, bool typed,
                 const std::function<void()>& page_full = {});
// Clears the window once a page is full (or more than full).
void page_check(MessageWindow mw);
// One typed character: its shadow, then the character, in cell index of the
// line Line_No (no repaint).
void draw_cell(const MessageWindow& mw, int index, const std::string& ch, uint32_t colour);

// The frame from the texture sheet and the tinted panel over the scene.
void build_window_frame(MessageWindow mw);
void clear_message_window(MessageWindow mw);
// With the scene under the window already copied into Waku(0): blends the
// tint layer over its inner area at the window density, lays the border on
// and keeps the result in Waku(4) as the blank panel.
void tint_window_panel(MessageWindow mw);
// Recomposes the panel over the scene now under the window, with the sprite
// standing there (slot_code: the row's text, which names the slot a new
// sprite took), after a scene change reported that the backdrop changed.
void rebuild_window_back(MessageWindow mw, const SceneState& scene, const std::string& slot_code);

// The g4 rename dialog.
void Change_Name(MessageState& m, Dialogs& dialogs);

// Speaker label for a code ("" for narration and unknown codes): the game's
// own cast where it names the code, else the engine's six.
std::string speaker_label(const MessageState& m, int code);
uint32_t speaker_colour(const MessageState& m, int code);

}  // namespace vm
