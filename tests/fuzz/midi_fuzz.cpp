// A MIDI file from any bytes, as the folder check measures it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "authoring/midi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const vm::Result<vm::datatool::MidiInfo> info = vm::datatool::read_midi(bytes);
  if (info && !(info.value().seconds >= 0)) __builtin_trap();
  return 0;
}
