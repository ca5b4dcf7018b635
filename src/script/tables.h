// The script and choice tables read from 51.dat and 52.dat, and the two
// lookups the rest of the program makes on them. NUM: a scene number written
// in the script; SEQ: a row's index in Script_Table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace vm {

struct AssetState;
class Dialogs;

// The tables grow as far as a story needs; these bounds only keep a broken
// file (a runaway generator, a binary file read as text) from filling the
// memory.
constexpr int kMaxScriptRows = 1000000;
constexpr int kMaxSceneEntries = 100000;
constexpr int kMaxChoiceRows = 100000;

// A row of Script_Table as the game reads it. Its texts are views of the
// table's own buffer: they stay valid while the table lives and is not
// changed.
struct ScriptRow {
  int16_t num = 0;
  std::string_view cmd, place, doll, face, spare7, speaker, text, value, spare11, subst;  // UTF-8
  int16_t jump = 0;
  int line = 0;    // 1-based line in 51.dat, for messages
  int fields = 0;  // fields the line held (13 by the format; only 12 are read)
};

// Script_Table: the rows kept compact, a long story costing little more
// than its text. Every row's ten texts sit one after another in one buffer;
// a row keeps where its texts start and where each ends.
class ScriptRows {
 public:
  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  ScriptRow operator[](size_t i) const;
  ScriptRow at(size_t i) const;  // throws std::out_of_range past the end
  ScriptRow front() const { return (*this)[0]; }
  ScriptRow back() const { return (*this)[size() - 1]; }
  void push_back(const ScriptRow& row);
  // Replaces row i; its old texts stay in the buffer unused.
  void replace(size_t i, const ScriptRow& row);
  // Room for the rows of a script (its CP932 text), taken at once.
  void reserve_for(std::string_view script_cp932);

  class const_iterator {
   public:
    using value_type = ScriptRow;
    using difference_type = std::ptrdiff_t;
    const_iterator(const ScriptRows* rows, size_t i) : rows_(rows), i_(i) {}
    ScriptRow operator*() const { return (*rows_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }

   private:
    const ScriptRows* rows_;
    size_t i_;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  // The row's ten texts, in the order of the row's fields.
  static constexpr size_t kTexts = 10;

 private:
  struct Packed {
    int32_t line = 0;
    uint32_t start = 0;  // where the texts begin in text_
    // Where each text ends, from start; a row whose texts run past 65,535
    // bytes keeps its ends in long_ends_ instead (from index ends[0]).
    std::array<uint16_t, kTexts> ends{};
    int16_t num = 0, jump = 0;
    uint16_t fields = 0;
    bool long_row = false;
  };
  Packed pack(const ScriptRow& row);
  std::vector<Packed> rows_;
  std::string text_;
  std::vector<uint32_t> long_ends_;
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
  ScriptRows Script_Table;
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
// The same lines handed over one at a time, none of them kept.
void for_each_csv_line(std::string_view text, const std::function<void(const CsvLine&)>& take);

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
