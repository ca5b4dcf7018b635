// The choice menu at branch points.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "script/story.h"
#include "script/tables.h"

namespace vm {

constexpr int kChoiceSlots = 3;

// Colours of a choice label and its box.
constexpr uint32_t kChoiceTextNormal = 0x84C0E3;
constexpr uint32_t kChoiceTextHover = 0x1993D0;
constexpr uint32_t kChoiceTextPressed = 0xDF3F63;
constexpr uint32_t kChoiceBoxNormal = 0xFFFFFF;
constexpr uint32_t kChoiceBoxHover = 0xDBF8FF;

// High contrast: the labels' colours darkened until each reads at 4.5 : 1
// or more on its box (the boxes keep their colours).
constexpr uint32_t kChoiceTextNormalContrast = 0x1A5A8A;
constexpr uint32_t kChoiceTextHoverContrast = 0x0B3C66;
constexpr uint32_t kChoiceTextPressedContrast = 0xB0123C;

// The label inside a box: 8 pixels from its left edge, at its top.
constexpr int kChoiceLabelX = 8;
constexpr int kChoiceLabelHeight = 17;

// Box i stands on the third to fifth lines of the message window, whose
// lines are `cell` pixels apart.
constexpr int choice_box_top(int cell, int i) {
  return cell * (i + 2) + 2;
}

// One shown choice: its index, label text and target row (SEQ).
struct ChoiceRowEntry {
  int16_t index = 0;
  std::string label;  // UTF-8, trimmed
  int32_t target = 0;
};

struct ChoiceState {
  int16_t Sel_Choice = -1;
  std::array<ChoiceRowEntry, kChoiceSlots> Choice_Rows;  // rows 0..shown-1 are valid
  int shown = 0;  // boxes of the open menu; 0 while no menu is open
  // What each label (SelTxt) currently looks like.
  std::array<uint32_t, kChoiceSlots> text_colour{kChoiceTextNormal, kChoiceTextNormal,
                                                 kChoiceTextNormal};
  std::array<uint32_t, kChoiceSlots> box_colour{kChoiceBoxNormal, kChoiceBoxNormal,
                                                kChoiceBoxNormal};
  // The player stepped back from the open menu: it closes without a pick.
  bool withdrawn = false;
};

// A moment of the story keeps the whole choice state: the menu open at it
// (none, at a place change), its pick and the labels' colours.
using ChoiceSnapshot = ChoiceState;
inline ChoiceSnapshot snapshot(const ChoiceState& c) {
  return c;
}
inline void restore(ChoiceState& c, const ChoiceSnapshot& k) {
  c = k;
}

// What the choice menu works with: its boxes, the story it branches (whose
// message window it borrows), and the hover mark it shares with the title
// menu (an item highlighted last is not highlighted again).
struct ChoiceMenu {
  ChoiceState& choice;
  Story story;
  int16_t& menu_hover;
};

// Shows the choices of the current row and sets Script_Pos to the target of
// the one picked. A row asking for fewer than one or more than three choices
// is refused with "error(s?)" and the story goes on with the next row. The
// choice `lit` (one picked here before, when the player comes back to the
// menu) opens highlighted. A menu withdrawn instead of answered hides its
// boxes and changes nothing else.
enum class ChoiceOutcome { Picked, Refused, Withdrawn };
ChoiceOutcome show_choices(ChoiceMenu g, int lit = -1);
// The open menu waits for its pick: nothing pressed yet, not withdrawn.
bool choice_pending(const ChoiceState& c);
// The number of boxes a choice row's text asks for; 0 when it is no number.
int choice_count(const std::string& text);

// The number of boxes a choice row opens when its menu starts at SCT row
// first: the row's text read as a number; 0 when the row is refused (fewer
// than one, more than three, or a menu reaching past SCT's last row).
int menu_size(const ScriptTables& t, int32_t first, const std::string& count_text);

// Main-window handlers for the choice labels, in game-screen coordinates.
// Each finds the label under the point itself and ignores points that are not
// on the label of a shown choice box.
void on_choice_mouse_move(const ChoiceMenu& g, int x, int y);
void on_choice_mouse_down(const ChoiceMenu& g, int x, int y, int button);
// Choice index highlighted (the pointer over it, or the keyboard), with the
// tick; and choice index picked.
void on_choice_hover(const ChoiceMenu& g, int index);
// Lights choice index as the pointer would, whatever the pointer's marks say
// (the keys' way to a choice).
void light_choice(ChoiceMenu g, int index);
void press_choice(ChoiceMenu g, int index);
// The keyboard on an open menu: Up and Down, or the digits 1..3, move the
// highlight; Enter or Space picks the highlighted choice, or with none lit
// lights the first. Whether the key was the menu's.
bool on_choice_key(const ChoiceMenu& g, int key);
// Menu_Hover naming no item.
constexpr int16_t kNoMenuHover = 5;

// The index of the shown choice label under a game-screen point, or -1.
int choice_at(const ChoiceMenu& g, int x, int y);

}  // namespace vm
