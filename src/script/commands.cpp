#include "script/commands.h"

#include <array>

#include "script/interp.h"

namespace vm {

namespace {

constexpr uint8_t kNoOperand = 0;

// clang-format off
constexpr std::array<CommandInfo, 17> kCommands = {{
  // command           letters       does
  //   reads                                                  shows            waits          goes          known dialog
  {Command::Message,   "",           "shows the row's message",
     kReadsText,                                              Shows::AsScene,  Waits::No,     Goes::On,     true, nullptr},
  {Command::Jump,      "g0",         "jumps to the NUM of its jump field",
     kReadsJump,                                              Shows::Nothing,  Waits::No,     Goes::Jump,   true, nullptr},
  {Command::Nothing,   "g1 g2 g3",   "does nothing",
     kNoOperand,                                              Shows::Nothing,  Waits::No,     Goes::On,     true, nullptr},
  {Command::Rename,    "g4",         "asks the player for the girl's name",
     kNoOperand,                                              Shows::Nothing,  Waits::Player, Goes::On,     true, nullptr},
  {Command::OtherG,    "g?",         "does nothing",
     kNoOperand,                                              Shows::Nothing,  Waits::No,     Goes::On,     false, nullptr},
  {Command::Sound,     "a",          "plays, stops or fades music, or plays an effect",
     kReadsSoundCode,                                         Shows::Nothing,  Waits::Sound,  Goes::On,     true, nullptr},
  {Command::Choice,    "s",          "offers the choices of 52.dat with its NUM",
     kReadsText,                                              Shows::Nothing,  Waits::Player, Goes::Menu,   true, nullptr},
  {Command::Add,       "p2",         "adds its value to a counter",
     kReadsSubCode | kReadsText | kReadsValue,                Shows::Nothing,  Waits::No,     Goes::On,     true, nullptr},
  {Command::Title,     "p8",         "sets the title saved games show",
     kReadsSubCode | kReadsText,                              Shows::Nothing,  Waits::No,     Goes::On,     true, nullptr},
  {Command::BadP,      "p?",         "is no counter command",
     kReadsSubCode,                                           Shows::Nothing,  Waits::Player, Goes::On,     true, "error(p?)"},
  {Command::Test,      "i1",         "jumps when a counter holds its value",
     kReadsSubCode | kReadsText | kReadsValue | kReadsJump,   Shows::Nothing,  Waits::No,     Goes::JumpIf, true, nullptr},
  {Command::BadI,      "i?",         "is no counter test",
     kReadsSubCode,                                           Shows::Nothing,  Waits::Player, Goes::On,     true, "error(i?)"},
  {Command::Ending,    "e",          "plays the ending",
     kNoOperand,                                              Shows::Nothing,  Waits::No,     Goes::End,    true, nullptr},
  {Command::Quit,      "q",          "quits the game",
     kNoOperand,                                              Shows::Nothing,  Waits::No,     Goes::End,    true, nullptr},
  {Command::Clear,     "r",          "clears the message window, then shows the message",
     kReadsText,                                              Shows::Message,  Waits::No,     Goes::On,     true, nullptr},
  {Command::Wait,      "w",          "waits the milliseconds of its text",
     kReadsText,                                              Shows::Nothing,  Waits::Time,   Goes::On,     true, nullptr},
  // Any other first character: the row is run as if it had no command.
  {Command::Unknown,   "?",          "has no command of its own",
     kReadsText,                                              Shows::AsScene,  Waits::No,     Goes::On,     false, nullptr},
}};
// clang-format on

// Command::X is row X of the table.
constexpr bool rows_in_order() {
  for (size_t i = 0; i < kCommands.size(); ++i)
    if (static_cast<size_t>(kCommands[i].command) != i) return false;
  return true;
}
static_assert(rows_in_order());

const CommandInfo& row(Command c) {
  return kCommands[static_cast<size_t>(c)];
}

}  // namespace

std::span<const CommandInfo> command_table() {
  return kCommands;
}

const CommandInfo& command_info(const std::string& cmd) {
  if (cmd.empty()) return row(Command::Message);
  // i and p read their sub-code from the last character, g its whole name;
  // the other commands are told by their first character alone.
  const char last = cmd.back();
  switch (cmd[0]) {
    case 'g':
      if (cmd == "g0") return row(Command::Jump);
      if (cmd == "g4") return row(Command::Rename);
      if (cmd == "g1" || cmd == "g2" || cmd == "g3") return row(Command::Nothing);
      return row(Command::OtherG);
    case 'a':
      return row(Command::Sound);
    case 's':
      return row(Command::Choice);
    case 'p':
      return row(last == '2' ? Command::Add : last == '8' ? Command::Title : Command::BadP);
    case 'i':
      return row(last == '1' ? Command::Test : Command::BadI);
    case 'e':
      return row(Command::Ending);
    case 'q':
      return row(Command::Quit);
    case 'r':
      return row(Command::Clear);
    case 'w':
      return row(Command::Wait);
    default:
      return row(Command::Unknown);
  }
}

int command_result(const CommandInfo& c, bool test_held, int scene_result) {
  switch (c.goes) {
    case Goes::Jump:
    case Goes::Menu:
      return kPositionSet;
    case Goes::JumpIf:
      return test_held ? kPositionSet : kNothingToShow;
    case Goes::End:
      return kNothingToShow;
    case Goes::On:
      break;
  }
  switch (c.shows) {
    case Shows::AsScene:
      return scene_result;
    case Shows::Message:
      return kShowMessage;
    case Shows::Nothing:
      break;
  }
  return kNothingToShow;
}

}  // namespace vm
