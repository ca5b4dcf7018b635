// Every picture file of a data folder: its number, how it is stored at rest,
// its format and the size the game draws it at. The asset check restores the
// disguised ones in this order and the shutdown disguises them again in the
// same order; the data tool writes, checks and converts from the same table.
#pragma once

#include <string>
#include <vector>

namespace vm {

struct PictureEntry {
  int number;      // NN of NN.dat
  bool disguised;  // first two bytes "JF" at rest, restored at start-up
  char kind;       // 'B' bitmap, 'J' JPEG
  // The size the game draws from; 0 means any. max_h bounds backgrounds that
  // may be short (the wall strip completes them below row 345).
  int w, h, max_h;
  const char* role;
  // Shown only when a script row names its place; nothing else opens it.
  bool place_only;
};

// The disguised pictures in start-up order, then the two plain ones.
const std::vector<PictureEntry>& picture_entries();
const PictureEntry* find_picture_entry(int number);

// The first two bytes of a picture: its real ones by kind ("BM" for B or b,
// FF D8 for J or j; empty for any other kind), and "JF" at rest.
std::string real_magic(char kind);
inline const std::string kRestMagic = "JF";

// "NN.dat" for a file number: 7 -> "07.dat", 70 -> "70.dat".
std::string dat_name(int number);

}  // namespace vm
