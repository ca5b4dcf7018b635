// The interpreter: runs the script row by row, its command set and counters.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vm {

struct Game;
struct ScriptRow;

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

// One row's fields as a step reads them: the texts trimmed of blanks, the
// scene fields read as numbers. Throws DataError for a field the game cannot
// read, which stops the program; the data tool's check reads rows through
// this too, so it calls an error exactly what the game stops on.
struct RowFields {
  std::string cmd, text, value, subst;
  bool has_speaker = false, has_place = false, has_doll = false, has_face = false;
  int16_t speaker = 0, place = 0;
  uint8_t doll = 0, pose = 0, face = 0;
};
RowFields read_row(const ScriptRow& r);

// The operands of the commands, read as the commands read them (each throws
// DataError naming the row's line when the game cannot read it):
// the sub-code of i and p rows (the command's last character, a digit),
int sub_code(int line, const std::string& cmd);
// the amount of p2 and the comparison value of i1 (16-bit),
int16_t counter_operand(int line, const std::string& value);
// the milliseconds of w (1000 when the text is empty).
long wait_duration(int line, const std::string& text);

// The counter named by the first three characters of a p2 or i1 row's text:
// kou, pap, rub, and hap when allow_hap (i1 cannot test it); nullptr for any
// other name, which the command then ignores.
int16_t* counter(InterpState& s, const std::string& text, bool allow_hap);

// Runs from Script_Pos until Script_Last (the end marker) is reached.
void run_script(Game& g);

// One step of the loop; returns the step result.
int script_step(Game& g);

// Replaces each "&d" of the script's own text by names[d], once: what a name
// brings in is never searched again. A "&" without a digit 0..5 after it
// throws DataError for the row's line.
std::string substitute_names(const std::array<std::string, 6>& names, const std::string& text,
                             int line);

// The w command: at least the given milliseconds, in 50 ms steps that let
// events run.
void timed_wait(Game& g);

}  // namespace vm
