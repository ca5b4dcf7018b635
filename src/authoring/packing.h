// One file of an editable folder in its at-rest form: the rule pack_folder
// follows for each file, for whoever packs a single file again (the game's
// dev run, when the author saves one).
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

namespace vm::datatool {

// The at-rest bytes of the editable file named n, and in name the file it
// becomes (system.txt -> 50.dat, NN.bmp -> NN.dat, other files as they are).
// Throws a DataError naming the file when it cannot be packed.
// A picture saved in a form the game does not read for its number (76.png,
// 11.gif) is converted to the one it reads (a JPEG or a 24-bit bitmap): name
// becomes the .dat file and converted (when given) tells so.
std::string pack_file(const std::string& n, const std::string& bytes, std::string& name,
                      std::string* converted = nullptr);

// Whether dir is an editable folder (what unpack writes: a script.csv and no
// 51.dat) rather than one at rest.
bool is_edit_folder(Files& files, const std::string& dir);

// A text about the packed form of an editable folder, with the packed files'
// names (51.dat, 76.dat) as the author edits them (script.csv, 76.jpg);
// edit_names are the editable folder's files.
std::string edited_names(const std::string& text, const std::vector<std::string>& edit_names);

}  // namespace vm::datatool
