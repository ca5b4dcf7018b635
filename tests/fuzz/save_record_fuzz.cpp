// A slot file from any bytes, as the slot window reads it, and its third line
// as the loader reads the state text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "save/save.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  vm::SlotFile file;
  std::string error;
  if (vm::parse_slot_file(bytes, file, error)) {
    vm::SavedRecord r;
    if (!vm::parse_state_text(file.record[0], r, error)) __builtin_trap();  // checked already
  }
  vm::SavedRecord r;
  (void)vm::parse_state_text(bytes, r, error);
  return 0;
}
