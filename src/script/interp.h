// The interpreter: runs the script row by row, its command set and counters.
#pragma once

#include <cstdint>
#include <string>

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

// Runs from Script_Pos until Script_Last (the end marker) is reached.
void run_script(Game& g);

// One step of the loop; returns the step result.
int script_step(Game& g);

// Replaces each "&d" of the script's text by Name_Table entry d, once.
std::string substitute_names(Game& g, const std::string& text);

// The w command: at least the given milliseconds, in 50 ms steps that let
// events run.
void timed_wait(Game& g);

}  // namespace vm
