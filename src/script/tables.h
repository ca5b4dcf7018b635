// The script and choice tables read from 51.dat and 52.dat, and the two
// lookups the rest of the program makes on them. NUM: a scene number written
// in the script; SEQ: a row's index in Script_Table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace vm {

struct AssetState;
class Dialogs;

constexpr int kMaxScriptRows = 1000000;
constexpr int kMaxSceneEntries = 100000;
constexpr int kMaxChoiceRows = 100000;

struct ScriptRow {
  int16_t num = 0;
  std::string cmd, place, doll, face, spare7, speaker, text, value, spare11, subst;  // UTF-8
  int16_t jump = 0;
  int line = 0;    // 1-based line in 51.dat, for messages
  int fields = 0;  // fields the line held (13 by the format; only 12 are read)
};

struct SceneEntry {
  int16_t key = 0;
  int32_t seq = 0;
};

struct ChoiceRow {
  int16_t key = 0;
  std::string label;       // UTF-8
  int32_t target = 0;      // NUM on reading, SEQ once resolved
  int16_t target_num = 0;  // the NUM as read
  bool resolved = false;   // whether target became a SEQ
  int line = 0;
};

struct ScriptTables {
  std::vector<ScriptRow> Script_Table;
  int32_t Script_Last = -1;
  std::vector<SceneEntry> Scene_Index;
  int32_t Scene_Count = 0;
  std::vector<ChoiceRow> SCT;
  int32_t Sel_Last = -1;
  int32_t Sel_First = 0;
};

// One CSV line split into fields: double-quoted fields may hold commas; the
// quotes are not part of the value. Lines end in CR LF (a bare LF is accepted).
struct CsvLine {
  int line = 0;  // 1-based
  std::vector<std::string> fields;
};
std::vector<CsvLine> parse_csv(std::string_view text);

// What loading found wrong with the data. Errors are rows the game cannot
// load; warnings are rows it loads otherwise than they look (a NUM of fewer
// than four characters).
struct LoadReport {
  std::vector<DataError> errors;
  std::vector<DataError> warnings;
};

// Builds the tables from the decoded texts of 51.dat and 52.dat (CP932).
// Without a report, the first malformed row throws DataError naming the file,
// line and field, as the game stops on it. With one, every malformed row is
// listed there and left out, so that a check can name them all.
void load_tables(ScriptTables& t, const std::string& script_cp932, const std::string& choice_cp932,
                 LoadReport* report = nullptr);

// Start-up's load_script: builds the tables from the texts decoded in memory
// by the asset check, then drops those texts.
void load_script(ScriptTables& t, AssetState& assets);

// Binary search of Scene_Index with a half rounded to the even neighbour.
// Returns the SEQ, or -1 when the NUM is not there.
int32_t find_num(const ScriptTables& t, int16_t num);

// The interpreter's lookup: sets pos (Script_Pos) to the NUM's SEQ; shows
// "Not found NUM to SEQ" and returns false when the NUM is missing.
bool jump_to_num(const ScriptTables& t, int32_t& pos, int16_t num, Dialogs& dialogs);

// The first SCT row with this key, -1 when there is none.
int32_t find_sct_row(const ScriptTables& t, int16_t num);

// First SCT row with this key into Sel_First; "SCT not found." otherwise.
bool find_sct(ScriptTables& t, int16_t num, Dialogs& dialogs);

}  // namespace vm
