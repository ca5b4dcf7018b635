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

}  // namespace vm::datatool
