// A slot file from any bytes, as the slot window reads it, and its third line
// as the loader reads the state text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "save/save.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const vm::Result<vm::SlotFile> file = vm::parse_slot_file(bytes);
  if (file && !vm::parse_state_text(file.value().record[0])) __builtin_trap();  // checked already
  (void)vm::parse_state_text(bytes);
  return 0;
}
