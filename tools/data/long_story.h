// A story of any length for the tests and the benchmark: a chain of scenes
// with a two-way choice each, every pick leading on to the same next scene,
// and two endings told apart by the last pick.
#pragma once

#include <string>

#include "platform/services.h"

namespace vm::datatool {

struct LongStoryShape {
  int rows = 2879;    // script rows, the end marker included
  int choices = 100;  // two-way menus
};

// The script (51.dat) and the choice table (52.dat) as the game reads them
// once decoded: CP932 text with CR LF line ends.
struct LongStoryText {
  std::string script, choices;
};

// Throws std::invalid_argument when the shape does not fit the four-digit
// NUMs (more than 5000 choices) or holds too few rows for its choices.
LongStoryText long_story_text(const LongStoryShape& shape);

// A complete folder the game plays: the demo's pictures, tunes and system
// file with the long story as its script. Throws std::runtime_error.
void write_long_story(Files& files, const std::string& dir, const LongStoryShape& shape);

}  // namespace vm::datatool
