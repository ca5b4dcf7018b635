#include "script/tables.h"

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

// Adds a row while the table has room; the first row past its bound is the
// one reported, where the game stops.
template <class Row>
void append_row(std::vector<Row>& table, Row&& row, int bound, const DataError& past_end,
                bool& full, LoadReport* report) {
  if (static_cast<int>(table.size()) < bound) {
    table.push_back(std::move(row));
    return;
  }
  if (!full) fail(report, past_end);
  full = true;
}

}  // namespace

std::vector<CsvLine> parse_csv(std::string_view text) {
  std::vector<CsvLine> out;
  size_t pos = 0;
  int line_no = 0;
  while (pos < text.size()) {
    ++line_no;
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view line = text.substr(pos, end - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trim_blanks(line).empty()) continue;  // blank lines hold no row
    CsvLine row;
    row.line = line_no;
    size_t i = 0;
    while (true) {
      while (i < line.size() && line[i] == ' ') ++i;
      std::string field;
      if (i < line.size() && line[i] == '"') {
        size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) close = line.size();
        field = std::string(line.substr(i + 1, close - i - 1));
        i = close + 1;
        // Anything between the closing quote and the next comma is dropped.
        size_t comma = line.find(',', std::min(i, line.size()));
        i = comma == std::string_view::npos ? line.size() : comma;
      } else {
        size_t comma = line.find(',', i);
        size_t stop = comma == std::string_view::npos ? line.size() : comma;
        field = trim_blanks(line.substr(std::min(i, line.size()), stop - std::min(i, line.size())));
        i = stop;
      }
      row.fields.push_back(std::move(field));
      if (i >= line.size()) break;
      ++i;  // past the comma
      if (i == line.size()) {
        row.fields.emplace_back();  // a trailing comma ends with an empty field
        break;
      }
    }
    out.push_back(std::move(row));
  }
  return out;
}

namespace {

// The rows of 51.dat into Script_Table.
void read_script_rows(ScriptTables& t, const std::string& script_cp932, LoadReport* report) {
  const char* sfile = "51.dat";
  bool full = false;
  for (const CsvLine& l : parse_csv(script_cp932)) {
    if (!l.fields.empty() && l.fields[0] == "num") continue;  // column headings
    try {
      if (l.fields.size() < 12)
        throw DataError(
            sfile, l.line,
            std::to_string(l.fields.size() + 1) + " (" + kScriptFieldNames[l.fields.size()] + ")",
            "the row has " + std::to_string(l.fields.size()) + " fields, 13 expected");
      ScriptRow r;
      r.line = l.line;
      r.fields = static_cast<int>(l.fields.size());
      r.num = num_field(l, 0, sfile, "num", report);
      r.cmd = cp932_to_utf8(l.fields[1]);
      if (!l.fields[2].empty()) r.jump = num_field(l, 2, sfile, "jump", report);
      r.place = cp932_to_utf8(l.fields[3]);
      r.doll = cp932_to_utf8(l.fields[4]);
      r.face = cp932_to_utf8(l.fields[5]);
      r.spare7 = cp932_to_utf8(l.fields[6]);
      r.speaker = cp932_to_utf8(l.fields[7]);
      r.text = cp932_to_utf8(l.fields[8]);
      r.value = cp932_to_utf8(l.fields[9]);
      r.spare11 = cp932_to_utf8(l.fields[10]);
      r.subst = cp932_to_utf8(l.fields[11]);
      append_row(t.Script_Table, std::move(r), kMaxScriptRows,
                 DataError(sfile, l.line, "", "more than 1000000 script rows"), full, report);
    } catch (DataError& e) {
      fail(report, e);
    }
  }
  t.Script_Last = static_cast<int32_t>(t.Script_Table.size()) - 1;
}

// Scene_Index: the first SEQ of every run of rows with one NUM.
void index_scenes(ScriptTables& t, LoadReport* report) {
  const char* sfile = "51.dat";
  int previous = -1;
  for (int32_t i = 0; i <= t.Script_Last; ++i) {
    const ScriptRow& r = t.Script_Table[i];
    if (r.num != previous) {
      if (static_cast<int>(t.Scene_Index.size()) >= kMaxSceneEntries) {
        fail(report, DataError(sfile, r.line, "1 (num)", "more than 100000 scene runs"));
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
      append_row(t.SCT, std::move(c), kMaxChoiceRows,
                 DataError(cfile, l.line, "", "more than 100000 choice rows"), full, report);
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
  assets.script_text.clear();
  assets.choice_text.clear();
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
