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

}  // namespace vm
