#include "assets/picture_table.h"

#include <cstdio>

namespace vm {

const std::vector<PictureEntry>& picture_entries() {
  // The gallery shows 74..79, the staff roll 81..85; the other backgrounds
  // appear only where the script names their place.
  static const std::vector<PictureEntry> entries = {
      {11, true, 'B', 0, 0, 480, "sprite", false},
      {21, true, 'B', 0, 0, 480, "sprite", false},
      {31, true, 'B', 0, 0, 480, "sprite", false},
      {41, true, 'B', 0, 0, 480, "sprite", false},
      {12, true, 'B', 0, 0, 480, "sprite", false},
      {22, true, 'B', 0, 0, 480, "sprite", false},
      {32, true, 'B', 0, 0, 480, "sprite", false},
      {42, true, 'B', 0, 0, 480, "sprite", false},
      {60, true, 'B', 580, 585, 0, "face sheet", false},
      {70, true, 'J', 640, 0, 480, "background", true},
      {71, true, 'J', 640, 0, 480, "background", true},
      {73, true, 'J', 640, 0, 480, "background", true},
      {74, true, 'J', 640, 480, 0, "gallery backdrop", false},
      {75, true, 'J', 640, 480, 0, "event picture", false},
      {76, true, 'J', 640, 480, 0, "event picture", false},
      {77, true, 'J', 640, 480, 0, "event picture", false},
      {78, true, 'J', 640, 480, 0, "event picture", false},
      {79, true, 'J', 640, 480, 0, "event picture", false},
      {80, true, 'J', 640, 0, 480, "background", true},
      {81, true, 'J', 640, 0, 480, "background", false},
      {82, true, 'J', 640, 0, 480, "background", false},
      {83, true, 'J', 640, 0, 480, "background", false},
      {84, true, 'J', 640, 0, 480, "background", false},
      {85, true, 'J', 640, 0, 480, "background", false},
      {61, false, 'B', 280, 370, 0, "texture sheet", false},
      {72, false, 'J', 640, 480, 0, "title picture", false},
  };
  return entries;
}

const PictureEntry* find_picture_entry(int number) {
  for (const PictureEntry& s : picture_entries())
    if (s.number == number) return &s;
  return nullptr;
}

std::string real_magic(char kind) {
  if (kind == 'B' || kind == 'b') return "BM";
  if (kind == 'J' || kind == 'j') return "\xFF\xD8";
  return "";
}

std::string dat_name(int number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.dat", number);
  return buf;
}

}  // namespace vm
