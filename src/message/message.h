// The message window: typed text in fixed cells, speaker labels, the
// renamable girl, and the framed translucent panel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vm {

struct Game;

struct MessageState {
  int16_t Msg_Busy = 0;
  int16_t Line_No = 0;
  int16_t Cell_Size = 18;
  int16_t Shown_Speaker = 0;
  int16_t Choice_Armed = 0;
  std::array<std::string, 6> Name_Table;  // UTF-8; 1 and 2 are the girl's names
  // Message window rectangle on the game screen.
  int left = 195, top = 355, width = 432, height = 108;
};

// A page of the window: four lines of 23 characters.
constexpr size_t kLineChars = 23;
constexpr int kPageLines = 4;

constexpr uint32_t kNarrationColour = 0x953C8C;
constexpr uint32_t kShadowColour = 0xC0C0C0;

// Label and colour for the current speaker, then draw_message.
void show_message(Game& g);
void draw_message(Game& g, const std::string& label, const std::string& text, uint32_t colour);
// Clears the window once a page is full (or more than full).
void page_check(Game& g);
// One typed character: its shadow, then the character, in cell index of the
// line Line_No (no repaint).
void draw_cell(Game& g, int index, const std::string& ch, uint32_t colour);

// The frame from the texture sheet and the tinted panel over the scene.
void build_window_frame(Game& g);
void clear_message_window(Game& g);
// With the scene under the window already copied into Waku(0): blends the
// tint layer over its inner area at Window_Density, lays the border on and
// keeps the result in Waku(4) as the blank panel. Used by build_window_frame
// and by whoever recomposes the backdrop after a scene change.
void tint_window_panel(Game& g);

// The g4 rename dialog.
void Change_Name(Game& g);

// Speaker label for a code ("" for narration and unknown codes).
std::string speaker_label(const Game& g, int code);
uint32_t speaker_colour(int code);

}  // namespace vm
