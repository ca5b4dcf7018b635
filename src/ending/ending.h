// The ending: the music fades and the last scene dissolves to black, the
// staff roll plays its cards to the ending tune, the closing message chosen
// by hap is written by the rose, and the end button closes the program.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/game_words.h"
#include "graphics/scene.h"
#include "graphics/surface.h"
#include "platform/speech.h"
#include "platform/text.h"
#include "sound/sound.h"

namespace vm {

// The end button's caption and size.
inline constexpr const char* kEndButtonCaption = "おわり";
constexpr int kEndButtonW = 65;
constexpr int kEndButtonH = 33;

// Colours of the ending.
constexpr uint32_t kEndBackground = rgb(64, 0, 64);
constexpr uint32_t kEndShadow = rgb(128, 128, 128);
constexpr uint32_t kEndColourOther = rgb(192, 192, 192);
constexpr uint32_t kEndColourTrue = rgb(255, 192, 255);

struct EndingState {
  // The credits, rows 0..10 by columns 0..4; cells not used stay empty.
  std::array<std::array<std::string, 5>, 11> Staff_Table;
  // Where column 1 of a card starts and the card's underline ends.
  int32_t Card_Split = 240;
  // One blend weight for the whole roll: a split leaves it low, and the later
  // fades use what it left.
  float alpha = 0.1f;
  // End_Pic's pen: the rose's line goes on from where the last one stopped.
  int pen_x = 0;
  int pen_y = 0;
  Surface END_btn{"END_btn"};
  bool end_button_enabled = false;
  bool running = false;  // run_ending has begun; the story's controls stay out
  // The game's own closing lines and credits (game.ini); none for a folder
  // that names no words of its own.
  std::shared_ptr<const GameWords> words;
};

// What the ending works with once the story is locked: its own state, the
// stage it draws on, the speakers, hap, which picks the closing message, the
// text its cards are written with and the voice that reads them.
struct Finale {
  EndingState& ending;
  Stage stage;
  Audio audio;
  int16_t hap;
  Text& text;
  Speech& speech;
};

// The closing message: line l (0..2) of the ending chosen by hap. A hap other
// than 0 or 1 gets the message of 0.
int ending_row(int16_t hap);
const std::string& end_message(int16_t hap, int line);
uint32_t end_message_colour(int16_t hap);
// The same as the game shows them: the game's own closing lines and colour
// where its words give them.
const std::string& closing_line(const EndingState& e, int16_t hap, int line);
uint32_t closing_colour(const EndingState& e, int16_t hap);
// x of character i (1-based) of a typed line of n characters, inside End_Pic.
int end_char_x(int16_t hap, int i, int n);

// The credits of this game: the staff, the music and the tunes; a row the
// game's own words give replaces the engine's row (cells left out empty).
void fill_staff_table(EndingState& e);
// The three letters that mark the second staff member's name (drawn pink).
std::string name_colour_key(const EndingState& e);
// The staff-roll picture of card row r (2..5): 81, 82, 83 and 85.
int staff_picture(int row);

// How much of a cell of Staff_Table its card brings onto the screen: the
// font the cell is drawn in and its first `pixels` pixels (a staff card
// shows 65 of a name). Cells no card shows are not listed.
struct CreditRoom {
  int row;
  int cell;
  Font font;
  int pixels;
};
const std::vector<CreditRoom>& credit_rooms();
// The font the closing lines are written in.
const Font& closing_font();

// Registers END_btn among the main window's child areas (layout).
void layout_ending(Finale g);

// The whole ending once the story is locked: the stage cleared, the music
// faded, the staff roll and the closing message. Returns when the end button
// is shown.
void play_ending(const Finale& f);
void show_end_message(Finale g);
void show_staff_roll(const Finale& g);
void draw_staff_card(Finale g, int16_t row);
// n x 10 steps of: pending events, 100 ms.
void wait_seconds(const Finale& g, int32_t n);
void rose_wipe(const Finale& g);
void rose_writer(Finale g);

// The end button under the pointer: closes the program (raises the shutdown
// request). Returns whether the press was the end button's.
bool on_end_button_press(const Finale& g, const Surface* target, int button);
// Enter or Space while the end button is shown: the same.
bool on_end_button_key(const Finale& g, int key);

}  // namespace vm
