// velmora-data: writes the demo data folder, checks a data folder, and turns
// a folder into an editable one and back.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "authoring/check.h"
#include "platform/services.h"

namespace vm::datatool {

// Writes the complete demo folder in its at-rest form (creating the folder,
// overwriting files). Byte-identical on every run. Throws std::runtime_error.
void write_demo(Files& files, const std::string& dir);

// velmora-data bundle: the game as a tarball and a Debian package for
// players. Returns the exit status.
int bundle_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The folder holding this program (velmora, velmora-play stand beside it),
// ending in '/'.
std::string tools_dir();

// The command line: args without the program name. Returns the exit status.
int data_tool_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vm::datatool
