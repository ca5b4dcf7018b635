#include "assets/data_error.h"

namespace vm {

std::string DataError::describe() const {
  std::string s = file;
  if (line > 0) s += " line " + std::to_string(line);
  if (!field.empty()) s += ", field " + field;
  s += ": ";
  s += what();
  return s;
}

}  // namespace vm
