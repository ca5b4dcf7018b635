#include "authoring/layout.h"

namespace vm::datatool {

std::string join_path(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::string num4(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", n);
  return buf;
}

}  // namespace vm::datatool
