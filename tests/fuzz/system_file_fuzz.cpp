// The system file 50.dat from any bytes, as start-up reads it: the 25 lines,
// the names, line 6 (the gallery flags) and the tune names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  vm::AssetState a;
  try {
    a.Sys_Lines = vm::read_system_lines(bytes);
  } catch (const vm::DataError& e) {
    (void)e.describe();
    return 0;
  }
  for (int i = 1; i <= 5; ++i) (void)vm::cp932_to_utf8(a.Sys_Lines[i]);
  vm::read_line6(a);
  for (int i = 7; i <= 24; ++i) (void)vm::tune_file_name(a.Sys_Lines[i]);
  return 0;
}
