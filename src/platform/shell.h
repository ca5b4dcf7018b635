// Opening a link or a file with the desktop's own program for it.
#pragma once

#include <string>

namespace vm {

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void open_with_shell(const std::string& target) = 0;
};

}  // namespace vm
