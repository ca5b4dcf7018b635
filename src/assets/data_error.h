// Malformed game data: a file that is missing a line, a field that should be a
// number and is not, a table bound exceeded. Reported once, naming the file,
// the 1-based line and the field, then the program ends in order.
#pragma once

#include <stdexcept>
#include <string>

namespace vm {

struct DataError : std::runtime_error {
  std::string file;
  int line = 0;
  std::string field;
  DataError(std::string f, int l, std::string fld, const std::string& what)
      : std::runtime_error(what), file(std::move(f)), line(l), field(std::move(fld)) {}
  // "51.dat line 12, field 10 (value): not a number"
  std::string describe() const;
};

// Asks for the orderly shutdown from below the main window (the script's
// quit, a story that cannot go on, a failed start-up check, a close request
// noticed inside a loop that runs no events). The main loop catches it and
// unloads the main window; failure makes the program's exit status 1.
struct ShutdownRequest {
  bool failure = false;
};

}  // namespace vm
