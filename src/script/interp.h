// The interpreter: runs the script row by row, its command set and counters.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "script/commands.h"

namespace vm {

class Clock;
class Window;
struct Story;
struct ScriptRow;
struct ScriptTables;

// What the game that runs the story makes of a row about to be played or a
// message that stands whole (its StoryHooks answer): the story goes on, or it
// stops there, because an earlier moment played again has reached the
// message asked for, or because it gave up looking for it (the story went
// another way). A story stopped leaves its loop as it stands, the row not
// moved past.
enum class ReplayVerdict { GoOn, Reached, GaveUp };

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
  // hap as it stood when the first row of the current scene ran: a load
  // plays the scene again from that row, so this is the hap a save keeps.
  int16_t Scene_Hap = 0;
  std::string Save_Title;
  int16_t Place_No = -1;
  int cur_line = 0;  // 51.dat line of the current row, for messages
};

// A moment of the story keeps the whole interpreter's state: the position,
// the current row's registers, the counters and the title all decide what
// the rows after it do.
using InterpSnapshot = InterpState;
inline InterpSnapshot snapshot(const InterpState& s) {
  return s;
}
inline void restore(InterpState& s, const InterpSnapshot& k) {
  s = k;
}

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

// The scene changes a row asks for.
struct RowChanges {
  bool place = false, doll = false, face = false;
};
// The first part of a step: the row at Script_Pos into the current-row
// registers, its place, doll and face fields applied to Place_No, Cur_Doll,
// Cur_Pose and Cur_Face, and the names substituted into its text. Throws
// DataError for a position outside the script or a field the game cannot
// read. The story map runs the script through this and decide_command too.
RowChanges load_row(InterpState& s, const ScriptTables& t, const std::array<std::string, 6>& names);

// The current row's command as the game runs it: its row of the command
// table (script/commands.h), its effect on the game-state variables done (the
// p2 counter, the p8 title, the i1 test), and whether it jumps to Cur_Jump.
struct Decision {
  const CommandInfo* command;
  bool jump = false;  // a g0, or an i1 whose counter holds the value
  // The step result, given what the row's scene changes left.
  int result(int scene_result) const { return command_result(*command, jump, scene_result); }
};
// Throws DataError for a sub-code that is not a digit or a counter that
// leaves its range.
Decision decide_command(InterpState& s);

// Runs from Script_Pos until Script_Last (the end marker) is reached.
void run_script(Story st);
// The same loop without entering the story afresh: the history and what the
// hooks keep of the run stay (an earlier moment played again). It ends at
// the end marker (GoOn) or where the hooks stop it (their verdict).
ReplayVerdict run_rows(Story st);

// The background of Place_No with the transition the row's text names, and
// a fresh message window over it.
void enter_place(Story st);

// One step of the loop; returns the step result.
int script_step(Story st);

// The current row's message: its speaker's label, into the history, drawn,
// then the click wait (unless skipping) and the page check. When the hooks
// stop the story at the message standing whole, it returns their verdict
// before the wait.
ReplayVerdict show_message(Story st);

// The current row's message as it is read aloud: the speaker's name from
// its label (without the brackets), then the text.
std::string spoken_message(const InterpState& s, const std::string& label);

// Replaces each "&d" of the script's own text by names[d], once: what a name
// brings in is never searched again. A "&" without a digit 0..5 after it
// throws DataError for the row's line.
std::string substitute_names(const std::array<std::string, 6>& names, const std::string& text,
                             int line);

// The w command: at least the given milliseconds, in 50 ms steps that let
// events run.
void timed_wait(const InterpState& s, Window& window, Clock& clock);

}  // namespace vm
