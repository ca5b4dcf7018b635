// velmora-data: writes the demo data folder, checks a data folder, and turns
// a folder into an editable one and back.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vm::datatool {

// Writes the complete demo folder in its at-rest form (creating the folder,
// overwriting files). Byte-identical on every run. Throws std::runtime_error.
void write_demo(const std::string& dir);

// Validates a data folder without changing it. One line per problem, in the
// form "FILE:LINE: field N (name): problem" for rows of the text files and
// "FILE: problem" for whole files; empty when the folder is fine.
std::vector<std::string> check_folder(const std::string& dir);

// At-rest folder -> editable folder: script.csv, choices.csv, system.txt in
// UTF-8, pictures as NN.bmp / NN.jpg with their real first bytes, every other
// file copied. Throws std::runtime_error when something would not come back
// byte for byte.
void unpack_folder(const std::string& dir, const std::string& out);
// Editable folder -> at-rest folder; the exact inverse of unpack_folder.
void pack_folder(const std::string& src, const std::string& dir);

// The command line: args without the program name. Returns the exit status.
int data_tool_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vm::datatool
