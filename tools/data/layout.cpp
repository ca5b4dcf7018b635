#include "data/layout.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vm::datatool {

const std::vector<PictureEntry>& picture_entries() {
  static const std::vector<PictureEntry> entries = {
      {11, true, 'B', 0, 0, 480, "sprite"},
      {21, true, 'B', 0, 0, 480, "sprite"},
      {31, true, 'B', 0, 0, 480, "sprite"},
      {41, true, 'B', 0, 0, 480, "sprite"},
      {12, true, 'B', 0, 0, 480, "sprite"},
      {22, true, 'B', 0, 0, 480, "sprite"},
      {32, true, 'B', 0, 0, 480, "sprite"},
      {42, true, 'B', 0, 0, 480, "sprite"},
      {60, true, 'B', 580, 585, 0, "face sheet"},
      {70, true, 'J', 640, 0, 480, "background"},
      {71, true, 'J', 640, 0, 480, "background"},
      {73, true, 'J', 640, 0, 480, "background"},
      {74, true, 'J', 640, 480, 0, "gallery backdrop"},
      {75, true, 'J', 640, 480, 0, "event picture"},
      {76, true, 'J', 640, 480, 0, "event picture"},
      {77, true, 'J', 640, 480, 0, "event picture"},
      {78, true, 'J', 640, 480, 0, "event picture"},
      {79, true, 'J', 640, 480, 0, "event picture"},
      {80, true, 'J', 640, 0, 480, "background"},
      {81, true, 'J', 640, 0, 480, "background"},
      {82, true, 'J', 640, 0, 480, "background"},
      {83, true, 'J', 640, 0, 480, "background"},
      {84, true, 'J', 640, 0, 480, "background"},
      {85, true, 'J', 640, 0, 480, "background"},
      {61, false, 'B', 280, 370, 0, "texture sheet"},
      {72, false, 'J', 640, 480, 0, "title picture"},
  };
  return entries;
}

const PictureEntry* find_picture_entry(int number) {
  for (const PictureEntry& s : picture_entries())
    if (s.number == number) return &s;
  return nullptr;
}

std::string dat_name(int number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.dat", number);
  return buf;
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool is_file(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::string join_path(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace vm::datatool
