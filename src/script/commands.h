// The script's commands in one table: the letters that select each, what it
// reads of its row, and what it leaves for the interpreter's loop (a message,
// a wait, a jump, the end). The interpreter runs every row by this table; the
// data tool's check, its story map and verify read the rows by it too, so
// what they say of a command is what the game does with it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vm {

// Each row of the table.
enum class Command : uint8_t {
  Message,  // no command: the row's message
  Jump,     // g0
  Nothing,  // g1, g2, g3: no effect
  Rename,   // g4: the player may rename the girl
  OtherG,   // any other command starting with g: no effect
  Sound,    // a and one character: music and effects
  Choice,   // s: the choice menu
  Add,      // p2: adds to a counter
  Title,    // p8: the title saved games show
  BadP,     // p with any other digit: "error(p?)"
  Test,     // i1: jumps when a counter holds a value
  BadI,     // i with any other digit: "error(i?)"
  Ending,   // e
  Quit,     // q
  Clear,    // r: clears the message window, then the message
  Wait,     // w
  Unknown,  // any other first character: no effect of its own
};

// The fields of the row a command reads besides its letters.
enum CommandReads : uint8_t {
  kReadsJump = 1,       // field 3: the NUM it goes to
  kReadsText = 2,       // field 9: its operand (or the message it shows)
  kReadsValue = 4,      // field 10: a number
  kReadsSubCode = 8,    // the last character of its letters, a digit (else the game stops)
  kReadsSoundCode = 16  // the character after the "a"
};

// What the row shows once its command has run.
enum class Shows : uint8_t {
  AsScene,  // its message, unless the background or a sprite changed (a face shows it)
  Message,  // its message, whatever the scene changes did
  Nothing,
};

// What the command holds the story for, beyond a message's click.
enum class Waits : uint8_t {
  No,
  Time,    // the milliseconds of its text; neither a click nor skipping shortens it
  Sound,   // a fade of the music, or an effect played
  Player,  // a box or a menu the player answers
};

// Where the story goes after it.
enum class Goes : uint8_t {
  On,      // the next row
  Jump,    // the first row of the NUM in its jump field
  JumpIf,  // there when its counter holds the value, else the next row
  Menu,    // where the choice picked leads
  End,     // nowhere: the story ends (the ending, or the game closes)
};

struct CommandInfo {
  Command command;
  const char* letters;  // as the author's guide writes them; "?" stands for any other
  const char* does;     // what the row does, in the check's words
  uint8_t reads;        // CommandReads
  Shows shows;
  Waits waits;
  Goes goes;
  // A command of the script; false for letters the game passes over, which
  // an author most likely mistyped.
  bool known;
  const char* dialog;  // the message box the game shows for the row, or nullptr
};

// Every row, in the order of the author's guide.
std::span<const CommandInfo> command_table();

// The row that selects cmd (trimmed of blanks, as the interpreter reads it):
// by its first character, and for g, p and i by what follows. A p or i row
// whose last character is no digit selects BadP or BadI here; the
// interpreter stops on it (sub_code).
const CommandInfo& command_info(const std::string& cmd);

// The step result of a row whose command is c, given what its scene changes
// left (kShowMessage or kNothingToShow) and, for an i1, whether its test held.
int command_result(const CommandInfo& c, bool test_held, int scene_result);

}  // namespace vm
