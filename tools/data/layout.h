// What a data folder holds besides its pictures (whose table is the game's
// own): the system file, the ending tune, and whole-file helpers.
#pragma once

#include <string>
#include <vector>

#include "assets/picture_table.h"

namespace vm::datatool {

constexpr const char* kEndingTune = "velloria.mid";
constexpr int kSystemLines = 25;

// Whole-file helpers. read_bytes throws std::runtime_error naming the path.
std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& data);
bool is_file(const std::string& path);
std::string join_path(const std::string& dir, const std::string& name);

// A NUM as the script writes it: four digits, leading zeros.
std::string num4(int n);

// Text between the game's code page and UTF-8, only when it converts back to
// the very same bytes; otherwise throws std::runtime_error naming the file.
std::string convert_exact(const std::string& in, bool to_utf8, const std::string& file);

}  // namespace vm::datatool
