// The interpreter: runs the script row by row, its command set and counters.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "script/tables.h"

namespace vm {

struct Game;

// Step results.
constexpr int kShowMessage = 0;
constexpr int kPositionSet = 1;
constexpr int kNothingToShow = 2;

struct InterpState {
  int32_t Script_Pos = 0;
  int16_t Cur_Num = 0;
  std::string Cur_Cmd;
  int16_t Cur_Jump = 0;
  int16_t Cur_Speaker = 0;
  uint8_t Cur_Doll = 0;
  uint8_t Cur_Pose = 0;
  uint8_t Cur_Face = 0;
  std::string Cur_Text;  // UTF-8
  std::string Cur_Value;
  std::string Cur_Subst;
  int16_t kou = 0, pap = 0, rub = 0, hap = 0;
  std::string Save_Title;
  int16_t Place_No = -1;
  int cur_line = 0;           // 51.dat line of the current row, for messages
  bool missing_jump = false;  // a jump target was not found: the run stops
};

// The scene changes a row asks for.
struct RowChanges {
  bool place = false, doll = false, face = false;
};

// Reads the row at Script_Pos into the current-row registers and applies its
// place, doll and face fields to Place_No, Cur_Doll, Cur_Pose and Cur_Face
// (names are not substituted yet). Throws DataError for a position outside
// the script or a malformed field.
RowChanges read_row(InterpState& s, const ScriptTables& t);

// What the current row's command leaves for the loop to do once its effect on
// the game-state variables (p2 counters, p8 title, the i1 test) is done.
enum class Command {
  Keep,    // no command, or an unknown letter: the scene changes' result stands
  Done,    // nothing more (other g, p2, p8, an i1 that does not jump): result 2
  Jump,    // g0, or an i1 whose counter equals the value: jump to Cur_Jump
  Rename,  // g4
  Sound,   // a
  Choice,  // s
  BadP,    // "error(p?)"
  BadI,    // "error(i?)"
  Ending,  // e
  Quit,    // q
  Clear,   // r: shows the row's message
  Wait,    // w
};
// Throws DataError for a sub-code that is not a digit or a counter that
// leaves its range.
Command decide_command(InterpState& s);

// Runs from Script_Pos until Script_Last (the end marker) is reached.
void run_script(Game& g);

// One step of the loop; returns the step result.
int script_step(Game& g);

// Replaces each "&d" of the script's text by Name_Table entry d, once.
std::string substitute_names(Game& g, const std::string& text);
std::string substitute_names(const std::string& text, const std::array<std::string, 6>& names,
                             int line);

// The w command's duration in milliseconds: Cur_Text, 1000 when empty;
// a negative one waits not at all.
long wait_ms(const InterpState& s);

// The w command: at least the given milliseconds, in 50 ms steps that let
// events run.
void timed_wait(Game& g);

}  // namespace vm
