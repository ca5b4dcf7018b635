// The game's own words: what an author's game.ini says in place of the
// engine's own texts (the game's name, its cast and their colours, the
// rename dialog, the closing lines and the credits). Every key is optional;
// what a folder does not say keeps the engine's own text, and a folder
// without game.ini plays exactly as one with an empty file.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vm {

class DataFolder;

inline constexpr const char* kGameWordsFile = "game.ini";

struct CastMember {
  std::optional<std::string> label;  // as written, "&1".."&5" filled on use
  std::optional<uint32_t> colour;    // 0xRRGGBB
};

// One ending's closing message: three lines and their colour.
struct ClosingWords {
  std::optional<std::array<std::string, 3>> lines;
  std::optional<uint32_t> colour;
};

struct GameWords {
  // [game]; summary: the line software centres show under the name
  std::optional<std::string> title, version, notice, mail, home, summary;
  // [cast]: speaker codes 1..99
  std::map<int, CastMember> cast;
  // [rename]
  std::optional<std::string> rename_title, rename_prompt, rename_preset;
  // [ending]
  ClosingWords true_end, other_end;
  // [credits]: row N of the staff roll's table, its cells
  std::map<int, std::vector<std::string>> credit_rows;
};

// What the game and the author's check learn from a game.ini: the words
// (every line that could be read) and a problem for every line that could
// not, numbered from 1 as an editor numbers them.
struct WordsProblem {
  int line = 0;
  std::string text;
  // The game takes the line all the same (a key given again: the later
  // line's value stands), rather than keeping its own words there.
  bool taken = false;
};
struct WordsReading {
  GameWords words;
  std::vector<WordsProblem> problems;
  // The line each key the game took was read from (the later one of a key
  // given twice), for whoever says more of it.
  std::map<std::string, int> key_lines;
  // "cast", "7" -> its line; 0 when the file does not give the key.
  int line_of(const std::string& section, const std::string& key) const;
};

constexpr int kMaxCastCode = 99;
constexpr int kCreditRows = 11;
constexpr int kCreditCells = 5;

// Reads the text of a game.ini (UTF-8, key-file syntax: [section],
// key=value, # comments, the escapes \n \t \r \s \\).
WordsReading read_game_words(const std::string& text);

// game.ini of the data folder, or no words when the folder has none; a file
// that cannot be read counts as one problem (line 0).
WordsReading load_game_words(const DataFolder& folder);

// "&1".."&5" of an author's text replaced by the names (the player's names
// are data: what they bring in is not searched again).
std::string fill_names(const std::array<std::string, 6>& names, const std::string& text);

// The game's name: game.ini's title, else the engine's own.
std::string game_title(const GameWords& w);

// What a line the game cannot read means for the player, as the check, the
// start-up log and the dev run say it.
std::string words_problem_reason(const WordsProblem& p);

}  // namespace vm
