// One file of an editable folder in its at-rest form: the rule pack_folder
// follows for each file, for whoever packs a single file again (the game's
// dev run, when the author saves one).
#pragma once

#include <string>

namespace vm::datatool {

// The at-rest bytes of the editable file named n, and in name the file it
// becomes (system.txt -> 50.dat, NN.bmp -> NN.dat, other files as they are).
// Throws std::runtime_error naming the file when it cannot be packed.
std::string pack_file(const std::string& n, const std::string& bytes, std::string& name);

}  // namespace vm::datatool
