// What a data folder holds: the numbered picture files with their stored form
// and expected size, the script files, the system file and the ending tune.
#pragma once

#include <string>
#include <vector>

namespace vm::datatool {

struct PictureEntry {
  int number;      // NN of NN.dat
  bool disguised;  // first two bytes "JF" at rest
  char kind;       // 'B' bitmap, 'J' JPEG
  // Expected size; 0 means "any". max_h is an upper bound for backgrounds
  // that may be short (completed by the wall strip below row 345).
  int w, h, max_h;
  const char* role;
};

// Every picture of a data folder, in the order start-up checks them, followed
// by the two plain ones.
const std::vector<PictureEntry>& picture_entries();
const PictureEntry* find_picture_entry(int number);

constexpr const char* kEndingTune = "velloria.mid";
constexpr int kSystemLines = 25;

std::string dat_name(int number);  // 7 -> "07.dat", 70 -> "70.dat"

// Whole-file helpers. read_bytes throws std::runtime_error naming the path.
std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& data);
bool is_file(const std::string& path);
std::string join_path(const std::string& dir, const std::string& name);

}  // namespace vm::datatool
