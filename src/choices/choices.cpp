// The choice menu: up to three boxes on the lower lines of the message window,
// a hover highlight with a tick, a chime on the press, and the jump to the
// picked choice's target.

#include "choices/choices.h"

#include <algorithm>

#include "assets/text_helpers.h"
#include "graphics/scene.h"
#include "message/history.h"
#include "message/message.h"
#include "script/interp.h"
#include "sound/sound.h"

namespace vm {

namespace {

constexpr int kPollMs = 50;            // the menu looks for a pick this often
constexpr int kPressedPauseMs = 1000;  // the pressed colour stays this long

bool large_labels(const ChoiceMenu& g) {
  return g.story.settings.settings().large_text;
}

// The labels use the message window's face, bold; with large text, the
// message text's larger size.
Font label_font(const ChoiceMenu& g) {
  Font f = g.story.screen.Waku[0].font;
  f.bold = true;
  if (large_labels(g)) f.points = kLargeTextPoints;
  return f;
}

// Where box i stands and how tall it is. Large labels get boxes a large
// cell tall, the last one ending inside the panel above the frame's edge.
struct BoxRow {
  int top = 0, height = 0, label_height = 0;
};
BoxRow box_row(const ChoiceMenu& g, int i) {
  if (!large_labels(g)) {
    const int cell = g.story.msg.Cell_Size;
    return {choice_box_top(cell, i), cell, kChoiceLabelHeight};
  }
  constexpr int kPanelBottom = 100;
  return {kPanelBottom - kLargeTextCell * (kChoiceSlots - i), kLargeTextCell, kLargeTextCell - 1};
}

// The colour a label is drawn in: its own, or with high contrast on the
// darker one of its state.
uint32_t shown_text_colour(const ChoiceMenu& g, uint32_t colour) {
  if (!g.story.settings.settings().high_contrast) return colour;
  if (colour == kChoiceTextNormal) return kChoiceTextNormalContrast;
  if (colour == kChoiceTextHover) return kChoiceTextHoverContrast;
  if (colour == kChoiceTextPressed) return kChoiceTextPressedContrast;
  return colour;
}

// Repaints box k with its background and, when it belongs to the open menu,
// its label in the label's current colour.
void paint_box(ChoiceMenu g, int k) {
  Surface& box = g.story.screen.SelBox[static_cast<size_t>(k)];
  box.back_color = g.choice.box_colour[static_cast<size_t>(k)];
  box.clear();
  if (k < g.choice.shown) {
    g.story.text.draw_text(
        box.img, kChoiceLabelX, 0, g.choice.Choice_Rows[static_cast<size_t>(k)].label,
        shown_text_colour(g, g.choice.text_colour[static_cast<size_t>(k)]), label_font(g));
  }
}

// The boxes of the menu from SCT row first, each as wide as the widest
// label plus 10, in their normal colours but for `lit`, which stands
// highlighted as the item highlighted last.
void open_boxes(ChoiceMenu g, int32_t first, int last, int lit) {
  const Font font = label_font(g);
  int width = 0;
  g.choice.shown = last + 1;
  for (int i = 0; i <= last; ++i) {
    const ChoiceRow& row = g.story.tables.SCT[static_cast<size_t>(first) + static_cast<size_t>(i)];
    ChoiceRowEntry& entry = g.choice.Choice_Rows[static_cast<size_t>(i)];
    entry.index = static_cast<int16_t>(i);
    entry.label = trim_blanks(row.label);
    entry.target = row.target;
    g.choice.text_colour[static_cast<size_t>(i)] = i == lit ? kChoiceTextHover : kChoiceTextNormal;
    width = std::max(width, g.story.text.text_width(entry.label, font));
  }
  width += 10;  // every box is as wide as the widest label plus 10
  if (lit >= 0 && lit <= last) g.menu_hover = static_cast<int16_t>(lit);

  for (int i = 0; i <= last; ++i) {
    Surface& box = g.story.screen.SelBox[static_cast<size_t>(i)];
    const BoxRow row = box_row(g, i);
    box.place(box.left, row.top, width, row.height);
    g.choice.box_colour[static_cast<size_t>(i)] = i == lit ? kChoiceBoxHover : kChoiceBoxNormal;
    paint_box(g, i);
    box.visible = true;
  }
}

// The open menu read aloud: its choices in order, numbered.
std::string spoken_menu(const ChoiceState& c) {
  std::string said = "選択肢";
  for (int i = 0; i < c.shown; ++i)
    said += (i ? "、" : "。") + std::to_string(i + 1) + " " +
            c.Choice_Rows[static_cast<size_t>(i)].label;
  return said;
}

}  // namespace

int choice_count(const std::string& text) {
  return static_cast<int>(std::clamp(read_integer(text).value_or(0), -1000L, 1000L));
}

int menu_size(const ScriptTables& t, int32_t first, const std::string& count_text) {
  const int last = choice_count(count_text) - 1;
  // There are three boxes and SCT ends at row 200; a row asking for more (or
  // for none, which could never be answered) is refused.
  const int32_t rows = std::min<int32_t>(static_cast<int32_t>(t.SCT.size()), kMaxChoiceRows);
  if (last < 0 || last >= kChoiceSlots || first < 0 || first + last >= rows) return 0;
  return last + 1;
}

ChoiceOutcome show_choices(ChoiceMenu g, int lit) {
  find_sct(g.story.tables, g.story.interp.Cur_Num,
           g.story.dialogs);  // on failure the previous menu's rows are used
  const int32_t first = g.story.tables.Sel_First;
  const int last = menu_size(g.story.tables, first, g.story.interp.Cur_Text) - 1;
  if (last < 0) {
    // The story goes on with the next row.
    g.story.dialogs.message_box("error(s?)", Buttons::Ok);
    g.story.interp.Script_Pos += 1;
    return ChoiceOutcome::Refused;
  }

  if (g.story.input.Clicker >= 0) g.story.window.set_timer_enabled(g.story.input.Clicker, false);
  g.story.screen.Blinker.visible = false;

  clear_message_window(g.story.message_window());
  // The boxes stand in the message window: a story resumed at its menu (a
  // load, a dev run's restart) has shown no message yet, so the window is
  // brought up as a message would bring it, unless the player hid it.
  if (g.story.input.Wnd_Hidden == 0) g.story.screen.Waku[kWakuShown].visible = true;

  open_boxes(g, first, last, lit);
  g.story.refresh();
  g.story.speech.say(spoken_menu(g.choice));

  g.story.interp.Cur_Jump = 0;

  // The press handler sets Sel_Choice from inside do_events; a step back
  // withdraws the menu.
  g.choice.Sel_Choice = -1;
  g.choice.withdrawn = false;
  while (g.choice.Sel_Choice < 0 && !g.choice.withdrawn) {
    g.story.clock.sleep(kPollMs);
    g.story.window.do_events();
  }

  for (int i = 0; i <= last; ++i) g.story.screen.SelBox[static_cast<size_t>(i)].visible = false;
  const int picked = g.choice.Sel_Choice;
  g.choice.shown = 0;
  if (g.choice.withdrawn) {
    // What the player stepped back to is drawn next; the menu leaves no trace.
    g.choice.withdrawn = false;
    return ChoiceOutcome::Withdrawn;
  }
  g.story.refresh();
  g.story.window.do_events();

  const ChoiceRowEntry& chosen = g.choice.Choice_Rows[static_cast<size_t>(std::min(picked, last))];
  history_add_choice(g.story.history, chosen.label);
  g.story.interp.Script_Pos = chosen.target;
  if (g.story.input.Text_Mode == 0)
    set_text_mode(g.story.input, g.story.hooks, 1);  // skipping always stops at a choice
  g.story.msg.Shown_Speaker = 0;
  return ChoiceOutcome::Picked;
}

bool choice_pending(const ChoiceState& c) {
  if (c.shown <= 0 || c.Sel_Choice >= 0 || c.withdrawn) return false;
  // A label in the pressed colour is a pick under way (its pause runs).
  for (int i = 0; i < c.shown && i < kChoiceSlots; ++i)
    if (c.text_colour[static_cast<size_t>(i)] == kChoiceTextPressed) return false;
  return true;
}

int choice_at(const ChoiceMenu& g, int x, int y) {
  for (int i = 0; i < g.choice.shown && i < kChoiceSlots; ++i) {
    const Surface& box = g.story.screen.SelBox[static_cast<size_t>(i)];
    if (!shown_on_screen(box)) continue;
    int ox = 0, oy = 0;
    absolute_origin(box, ox, oy);
    const int rx = x - ox, ry = y - oy;
    // The label starts 8 pixels in and is clipped by its box.
    if (rx >= kChoiceLabelX && rx < box.width() && ry >= 0 &&
        ry < std::min(box_row(g, i).label_height, box.height())) {
      return i;
    }
  }
  return -1;
}

void on_choice_mouse_move(const ChoiceMenu& g, int x, int y) {
  const int index = choice_at(g, x, y);
  if (index >= 0) on_choice_hover(g, index);
}

void on_choice_hover(const ChoiceMenu& g, int index) {
  // No highlight after a press until the next message has been printed, and
  // none for the item that was highlighted last (here or in the title menu).
  if (!g.story.msg.Choice_Armed || index == g.menu_hover) return;
  light_choice(g, index);
}

void light_choice(ChoiceMenu g, int index) {
  g.menu_hover = static_cast<int16_t>(index);
  g.story.speech.say(g.choice.Choice_Rows[static_cast<size_t>(index)].label);
  for (int k = 0; k < kChoiceSlots; ++k) {
    const auto slot = static_cast<size_t>(k);
    if (k == index) {
      g.choice.text_colour[slot] = kChoiceTextHover;
      g.choice.box_colour[slot] = kChoiceBoxHover;
      paint_box(g, k);
      if (g.story.sound.Sound_On) play_effect(g.story.audio(), kEffectHover);
    } else {
      g.choice.text_colour[slot] = kChoiceTextNormal;
      g.choice.box_colour[slot] = kChoiceBoxNormal;
      paint_box(g, k);
    }
    g.story.refresh();
  }
  g.story.window.do_events();
}

void on_choice_mouse_down(const ChoiceMenu& g, int x, int y, int button) {
  const int index = choice_at(g, x, y);
  if (index < 0 || button == kRightButton) return;
  press_choice(g, index);
}

void press_choice(ChoiceMenu g, int index) {
  g.story.msg.Choice_Armed = 0;
  g.choice.text_colour[static_cast<size_t>(index)] = kChoiceTextPressed;
  paint_box(g, index);
  g.story.refresh();
  g.story.window.do_events();
  if (g.story.sound.Sound_On) play_effect(g.story.audio(), kEffectSelect);
  g.story.clock.sleep(kPressedPauseMs);  // no events: a second press cannot land now
  g.choice.Sel_Choice = static_cast<int16_t>(index);
}

bool on_choice_key(const ChoiceMenu& g, int key) {
  const int shown = g.choice.shown;
  // Only an open menu in a window the player can see takes keys.
  if (shown <= 0 || g.choice.Sel_Choice >= 0 || !shown_on_screen(g.story.screen.SelBox[0]))
    return false;
  int at = -1;  // the choice shown highlighted
  for (int k = 0; k < shown; ++k)
    if (g.choice.box_colour[static_cast<size_t>(k)] == kChoiceBoxHover) at = k;
  const bool go = key == kKeyReturn || key == kKeySpace;
  if (go && at >= 0) {
    press_choice(g, at);
    return true;
  }
  // Enter with nothing lit lights the first choice: it never picks blindly.
  int to = go ? 0 : -1;
  if (key == kKeyDown) to = at < 0 ? 0 : (at + 1) % shown;
  if (key == kKeyUp) to = at < 0 ? shown - 1 : (at + shown - 1) % shown;
  if (key >= '1' && key < '1' + shown) to = key - '1';
  if (to < 0) return false;
  // The pointer's marks (the item highlighted last, the pause after a press
  // until the next message) never keep a key from the choice it names.
  if (to != at) light_choice(g, to);
  return true;  // never a click on the story beneath
}

}  // namespace vm
