#include "script/tables.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/text_helpers.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

namespace vm {

namespace {

const char* const kScriptFieldNames[13] = {"num",     "cmd",    "jump",    "place", "doll",
                                           "face",    "spare7", "speaker", "text",  "value",
                                           "spare11", "subst",  "(end)"};

// A NUM field; one of fewer than four characters is read, but not as written.
int16_t num_field(const CsvLine& l, size_t index, const char* file, const char* name,
                  LoadReport* report) {
  const std::string& text = l.fields[index];
  const std::string field = std::to_string(index + 1) + " (" + name + ")";
  int16_t v = 0;
  if (!decode_num(text, v))
    throw DataError(file, l.line, field, "\"" + cp932_to_utf8(text) + "\" is not a scene number");
  if (report && text.size() < 4) {
    std::string what = "\"";
    what += cp932_to_utf8(text);
    what += "\" reads as NUM " + std::to_string(v) + "; write NUMs with four digits";
    report->warnings.emplace_back(file, l.line, field, what);
  }
  return v;
}

// Without a report the problem stops loading; with one it is listed.
void fail(LoadReport* report, const DataError& e) {
  if (!report) throw e;
  report->errors.push_back(e);
}

// Where a row goes past its table's bound: its file and line, and what the
// table holds ("script rows").
struct PastEnd {
  const char* file;
  int line;
  int bound;
  const char* rows;
};

// Adds a row while the table has room; the first row past its bound is the
// one reported, where the game stops.
template <class Table, class Row>
void append_row(Table& table, Row&& row, const PastEnd& at, bool& full, LoadReport* report) {
  if (static_cast<int>(table.size()) < at.bound) {
    table.push_back(std::forward<Row>(row));
    return;
  }
  if (!full)
    fail(report,
         DataError(at.file, at.line, "", "more than " + std::to_string(at.bound) + " " + at.rows));
  full = true;
}

using RowTexts = std::array<std::string_view, ScriptRows::kTexts>;

// The ten texts of a row, in the order of its fields, and back.
RowTexts texts_of(const ScriptRow& r) {
  return {r.cmd, r.place, r.doll, r.face, r.spare7, r.speaker, r.text, r.value, r.spare11, r.subst};
}
void set_texts(ScriptRow& r, const RowTexts& t) {
  r.cmd = t[0];
  r.place = t[1];
  r.doll = t[2];
  r.face = t[3];
  r.spare7 = t[4];
  r.speaker = t[5];
  r.text = t[6];
  r.value = t[7];
  r.spare11 = t[8];
  r.subst = t[9];
}

}  // namespace

ScriptRows::Packed ScriptRows::pack(const ScriptRow& row) {
  // The texts may be views of this buffer (a row copied within the table):
  // they are gathered first, so that growing the buffer cannot move them.
  std::string joined;
  std::array<uint32_t, kTexts> ends{};
  const RowTexts texts = texts_of(row);
  for (size_t k = 0; k < kTexts; ++k) {
    joined += texts[k];
    ends[k] = static_cast<uint32_t>(joined.size());
  }
  Packed p;
  p.line = row.line;
  p.start = static_cast<uint32_t>(text_.size());
  p.num = row.num;
  p.jump = row.jump;
  p.fields = static_cast<uint16_t>(row.fields);
  p.long_row = joined.size() > UINT16_MAX;
  if (p.long_row) {
    const size_t first = long_ends_.size();
    long_ends_.insert(long_ends_.end(), ends.begin(), ends.end());
    // The index of its first end, in two halves.
    p.ends[0] = static_cast<uint16_t>(first & 0xFFFF);
    p.ends[1] = static_cast<uint16_t>(first >> 16);
  } else {
    for (size_t k = 0; k < kTexts; ++k) p.ends[k] = static_cast<uint16_t>(ends[k]);
  }
  text_ += joined;
  return p;
}

ScriptRow ScriptRows::operator[](size_t i) const {
  const Packed& p = rows_[i];
  std::array<uint32_t, kTexts> ends{};
  if (p.long_row) {
    const size_t first = p.ends[0] | (static_cast<size_t>(p.ends[1]) << 16);
    for (size_t k = 0; k < kTexts; ++k) ends[k] = long_ends_[first + k];
  } else {
    for (size_t k = 0; k < kTexts; ++k) ends[k] = p.ends[k];
  }
  const std::string_view all(text_);
  RowTexts t;
  uint32_t from = 0;
  for (size_t k = 0; k < kTexts; ++k) {
    t[k] = all.substr(p.start + from, ends[k] - from);
    from = ends[k];
  }
  ScriptRow r;
  r.num = p.num;
  r.jump = p.jump;
  r.line = p.line;
  r.fields = p.fields;
  set_texts(r, t);
  return r;
}

ScriptRow ScriptRows::at(size_t i) const {
  if (i >= rows_.size()) throw DataError("51.dat", 0, "", "no script row " + std::to_string(i));
  return (*this)[i];
}

void ScriptRows::push_back(const ScriptRow& row) {
  const Packed p = pack(row);
  rows_.push_back(p);
}

void ScriptRows::replace(size_t i, const ScriptRow& row) {
  const Packed p = pack(row);
  rows_.at(i) = p;
}

void ScriptRows::reserve_for(std::string_view script_cp932) {
  // A row a line at most.
  rows_.reserve(static_cast<size_t>(std::count(script_cp932.begin(), script_cp932.end(), '\n')) +
                1);
  // A byte of the code page decodes to at most three of UTF-8; the room
  // never written is never given pages.
  text_.reserve(script_cp932.size() * 3);
}

void for_each_csv_line(std::string_view text, const std::function<void(const CsvLine&)>& take) {
  size_t pos = 0;
  int line_no = 0;
  // One line's fields, their room kept from line to line.
  CsvLine row;
  while (pos < text.size()) {
    ++line_no;
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view line = text.substr(pos, end - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (blank_trimmed(line).empty()) continue;  // blank lines hold no row
    row.line = line_no;
    size_t count = 0;
    const auto put = [&row, &count](std::string_view field) {
      if (count == row.fields.size()) row.fields.emplace_back();
      row.fields[count++].assign(field);
    };
    size_t i = 0;
    while (true) {
      while (i < line.size() && line[i] == ' ') ++i;
      if (i < line.size() && line[i] == '"') {
        size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) close = line.size();
        put(line.substr(i + 1, close - i - 1));
        i = close + 1;
        // Anything between the closing quote and the next comma is dropped.
        size_t comma = line.find(',', std::min(i, line.size()));
        i = comma == std::string_view::npos ? line.size() : comma;
      } else {
        size_t comma = line.find(',', i);
        size_t stop = comma == std::string_view::npos ? line.size() : comma;
        put(blank_trimmed(line.substr(std::min(i, line.size()), stop - std::min(i, line.size()))));
        i = stop;
      }
      if (i >= line.size()) break;
      ++i;  // past the comma
      if (i == line.size()) {
        put({});  // a trailing comma ends with an empty field
        break;
      }
    }
    row.fields.resize(count);
    take(row);
  }
}

std::vector<CsvLine> parse_csv(std::string_view text) {
  std::vector<CsvLine> out;
  for_each_csv_line(text, [&](const CsvLine& l) { out.push_back(l); });
  return out;
}

namespace {

// The rows of 51.dat into Script_Table, line by line: a long script is never
// held twice over.
void read_script_rows(ScriptTables& t, const std::string& script_cp932, LoadReport* report) {
  const char* sfile = "51.dat";
  bool full = false;
  Cp932Decoder decode;
  // Fields 2, 4..12 of the line: the row's texts.
  constexpr size_t kTextFields[ScriptRows::kTexts] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  std::array<std::string, ScriptRows::kTexts> texts;
  // Room for the whole script at once: grown step by step, a long script's
  // table would leave its old rooms behind as memory the game keeps.
  t.Script_Table.reserve_for(script_cp932);
  for_each_csv_line(script_cp932, [&](const CsvLine& l) {
    if (!l.fields.empty() && l.fields[0] == "num") return;  // column headings
    try {
      if (l.fields.size() < 12)
        throw DataError(
            sfile, l.line,
            std::to_string(l.fields.size() + 1) + " (" + kScriptFieldNames[l.fields.size()] + ")",
            "the row has " + std::to_string(l.fields.size()) + " fields, 13 expected");
      ScriptRow r;
      r.line = l.line;
      r.fields = static_cast<int>(std::min<size_t>(l.fields.size(), UINT16_MAX));
      r.num = num_field(l, 0, sfile, "num", report);
      if (!l.fields[2].empty()) r.jump = num_field(l, 2, sfile, "jump", report);
      RowTexts views;
      for (size_t k = 0; k < ScriptRows::kTexts; ++k) {
        texts[k].clear();
        decode.append(l.fields[kTextFields[k]], texts[k]);
        views[k] = texts[k];
      }
      set_texts(r, views);
      append_row(t.Script_Table, r, {sfile, l.line, kMaxScriptRows, "script rows"}, full, report);
    } catch (DataError& e) {
      fail(report, e);
    }
  });
  t.Script_Last = static_cast<int32_t>(t.Script_Table.size()) - 1;
}

// Scene_Index: the first SEQ of every run of rows with one NUM.
void index_scenes(ScriptTables& t, LoadReport* report) {
  const char* sfile = "51.dat";
  int previous = -1;
  t.Scene_Index.reserve(std::min<size_t>(t.Script_Table.size(), kMaxSceneEntries));
  for (int32_t i = 0; i <= t.Script_Last; ++i) {
    const ScriptRow& r = t.Script_Table[i];
    if (r.num != previous) {
      if (static_cast<int>(t.Scene_Index.size()) >= kMaxSceneEntries) {
        fail(report, DataError(sfile, r.line, "1 (num)",
                               "more than " + std::to_string(kMaxSceneEntries) + " scene runs"));
        break;
      }
      t.Scene_Index.push_back({r.num, i});
      previous = r.num;
    }
  }
  t.Scene_Count = static_cast<int32_t>(t.Scene_Index.size());
}

// The rows of 52.dat into SCT.
void read_choice_rows(ScriptTables& t, const std::string& choice_cp932, LoadReport* report) {
  const char* cfile = "52.dat";
  bool full = false;
  for (const CsvLine& l : parse_csv(choice_cp932)) {
    try {
      if (l.fields.size() < 3)
        throw DataError(cfile, l.line, std::to_string(l.fields.size() + 1),
                        "the row has " + std::to_string(l.fields.size()) + " fields, 3 expected");
      ChoiceRow c;
      c.line = l.line;
      c.key = num_field(l, 0, cfile, "key", report);
      c.label = cp932_to_utf8(l.fields[1]);
      c.target = c.target_num = num_field(l, 2, cfile, "target", report);
      append_row(t.SCT, std::move(c), {cfile, l.line, kMaxChoiceRows, "choice rows"}, full, report);
    } catch (DataError& e) {
      fail(report, e);
    }
  }
  t.Sel_Last = static_cast<int32_t>(t.SCT.size()) - 1;
}

// Each choice's target NUM becomes the SEQ where that scene starts: the
// first run of that NUM in the script, looked up in a table of every NUM's
// first run rather than searched for each choice.
void resolve_targets(ScriptTables& t) {
  std::vector<int32_t> first_run(65536, -1);
  for (int32_t k = t.Scene_Count - 1; k >= 0; --k)
    first_run[static_cast<uint16_t>(t.Scene_Index[k].key)] = t.Scene_Index[k].seq;
  for (ChoiceRow& c : t.SCT) {
    const int32_t seq = first_run[static_cast<uint16_t>(c.target)];
    if (seq < 0) continue;
    c.target = seq;
    c.resolved = true;
  }
}

}  // namespace

void load_tables(ScriptTables& t, const std::string& script_cp932, const std::string& choice_cp932,
                 LoadReport* report) {
  t = ScriptTables{};
  read_script_rows(t, script_cp932, report);
  index_scenes(t, report);
  read_choice_rows(t, choice_cp932, report);
  resolve_targets(t);
}

void load_script(ScriptTables& t, AssetState& assets) {
  load_tables(t, assets.script_text, assets.choice_text);
  // Given back whole: a cleared string keeps its room, and a long script's
  // text would stay held for the whole game.
  std::string().swap(assets.script_text);
  std::string().swap(assets.choice_text);
}

int32_t find_num(const ScriptTables& t, int16_t num) {
  int32_t lo = 0, hi = t.Scene_Count - 1;
  while (lo <= hi) {
    // The midpoint is rounded to nearest with halves going to the even
    // neighbour, which decides the probe order of this search.
    int32_t sum = lo + hi;
    int32_t mid = sum / 2;
    if (sum % 2 != 0 && mid % 2 != 0) ++mid;
    const SceneEntry& e = t.Scene_Index[mid];
    if (e.key == num) return e.seq;
    if (e.key > num)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return -1;
}

bool jump_to_num(const ScriptTables& t, int32_t& pos, int16_t num, Dialogs& dialogs) {
  int32_t seq = find_num(t, num);
  if (seq < 0) {
    dialogs.message_box("Not found NUM to SEQ", Buttons::Ok);
    return false;
  }
  pos = seq;
  return true;
}

int32_t find_sct_row(const ScriptTables& t, int16_t num) {
  for (int32_t i = 0; i <= t.Sel_Last; ++i)
    if (t.SCT[static_cast<size_t>(i)].key == num) return i;
  return -1;
}

bool find_sct(ScriptTables& t, int16_t num, Dialogs& dialogs) {
  const int32_t row = find_sct_row(t, num);
  if (row >= 0) {
    t.Sel_First = row;
    return true;
  }
  dialogs.message_box("SCT not found.", Buttons::Ok);
  return false;
}

}  // namespace vm
