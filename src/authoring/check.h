// What the author's tools and the game's dev run share: the check of a data
// folder (with the story map it follows the paths by), and the packing of an
// editable folder into the form the game reads and back.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace vm::datatool {

// One finding of the check, as printed: "FILE:LINE: error: field N (name):
// problem" for rows of the text files, "FILE: warning: problem" for whole
// files. An error is what the game cannot load or what stops or breaks it; a
// warning is what it plays but probably not as the author meant.
struct Finding {
  bool error;
  std::string line;
  // Found by following the story's paths (a path that ends without an
  // ending, a message box on the way) rather than in a row or a file: a
  // story still being written plays up to it.
  bool on_path = false;
  // The game plays on with its own text there (a line of game.ini it cannot
  // read): an error of the author's that stops nothing.
  bool plays_on = false;
  // The same finding, however it was found.
  bool operator==(const Finding& o) const { return error == o.error && line == o.line; }
};

// Checks a data folder without changing it; empty when nothing was found.
// With a text service, the game's own words are also measured as the game
// draws them: a label or a credit wider than the room it is shown in, a
// letter no font can draw.
std::vector<Finding> check_folder(Files& files, const std::string& dir, Text* text = nullptr);

// At-rest folder -> editable folder: script.csv, choices.csv, system.txt in
// UTF-8, pictures as NN.bmp / NN.jpg with their real first bytes, every other
// file copied. Converts every folder the game reads, whatever its story
// holds; throws a DataError naming the file only when one cannot be
// converted so that it comes back byte for byte.
void unpack_folder(Files& files, const std::string& dir, const std::string& out);
// Editable folder -> at-rest folder; the exact inverse of unpack_folder,
// but for a picture saved in a form the game does not read for its number
// (76.png), which is converted (converted, when given, tells which) or
// refused with an error naming it.
void pack_folder(Files& files, const std::string& src, const std::string& dir,
                 std::vector<std::string>* converted = nullptr);

}  // namespace vm::datatool
