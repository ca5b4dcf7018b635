#include "save/save.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "graphics/scene.h"
#include "message/message.h"
#include "script/input.h"
#include "script/interp.h"
#include "script/tables.h"
#include "sound/sound.h"

namespace vm {

namespace {

// The fields of the state text, left to right.
struct FieldDef {
  int width;
  int SavedRecord::*member;
  const char* what;
};
constexpr FieldDef kFields[] = {
    {3, &SavedRecord::kou, "kou"},         {3, &SavedRecord::pap, "pap"},
    {3, &SavedRecord::rub, "rub"},         {3, &SavedRecord::place, "place"},
    {4, &SavedRecord::num, "NUM"},         {4, &SavedRecord::density, "density"},
    {2, &SavedRecord::music, "music"},     {2, &SavedRecord::sound, "sound"},
    {2, &SavedRecord::text_mode, "speed"}, {4, &SavedRecord::pos, "SEQ"},
    {2, &SavedRecord::track, "tune"},
};

// Leading "0" padding, then an optional minus sign, then digits: the text
// state_field writes for any value that fits.
bool field_value(const std::string& f, int& out) {
  size_t i = 0;
  while (i < f.size() && f[i] == '0') ++i;
  if (i == f.size()) {
    out = 0;
    return true;
  }
  bool negative = false;
  if (f[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == f.size()) return false;
  long v = 0;
  for (; i < f.size(); ++i) {
    if (f[i] < '0' || f[i] > '9') return false;
    v = v * 10 + (f[i] - '0');
  }
  out = static_cast<int>(negative ? -v : v);
  return true;
}

// The lines after a slot's end mark that carry hap and a long story's row.
constexpr const char* kHapKey = "hap=";
constexpr const char* kSeqKey = "seq=";

// The value of a "key=N" line after the end mark, within low..high; nullopt
// for a slot without the line, the reason for a line that is not a number
// in range.
Result<std::optional<int>> keyed_line(const std::vector<std::string>& lines, const char* key,
                                      int low, int high) {
  for (size_t i = 6; i < lines.size(); ++i) {
    if (lines[i].rfind(key, 0) != 0) continue;
    const std::string v = lines[i].substr(std::char_traits<char>::length(key));
    int n = 0;
    if (v.empty() || v.size() > 7 || !field_value(v, n) || n < low || n > high)
      return failure(std::to_string(i + 1) +
                     "行目: " + std::string(key, std::char_traits<char>::length(key) - 1) + " \"" +
                     v + "\" が数字ではありません");
    return std::optional<int>(n);
  }
  return std::optional<int>();
}

// A line of a slot file; a line written whole in double quotes by another
// writer reads as its content.
std::string unquote(const std::string& line) {
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
    return line.substr(1, line.size() - 2);
  return line;
}

}  // namespace

// Whether the rows a resumed scene plays first bring a background of their
// own before any message is shown: a place field comes before a message row
// or a command that leaves the scene's straight run.
bool scene_opens_with_place(const ScriptTables& t, int32_t from) {
  if (from < 0 || from >= t.Script_Last) return false;
  const int16_t num = t.Script_Table[static_cast<size_t>(from)].num;
  for (int32_t p = from; p < t.Script_Last; ++p) {
    const ScriptRow& row = t.Script_Table[static_cast<size_t>(p)];
    if (row.num != num) return false;
    try {
      const RowFields f = read_row(row);
      if (f.has_place) return true;
      const bool message = (f.cmd.empty() || f.cmd[0] == 'r') && !f.text.empty();
      const bool carries_on = f.cmd.empty() || f.cmd[0] == 'r' || f.cmd[0] == 'p' ||
                              f.cmd[0] == 'a' || f.cmd[0] == 'w' || f.cmd == "g4";
      if (message || !carries_on) return false;
    } catch (const DataError&) {
      return false;  // the row stops the game when it runs; nothing to plan
    }
  }
  return false;
}

std::string state_field(long value, int width) {
  const std::string s = std::string(static_cast<size_t>(width), '0') + std::to_string(value);
  return s.substr(s.size() - static_cast<size_t>(width));
}

std::string make_state_text(const SavedRecord& r) {
  std::string t;
  for (const FieldDef& f : kFields) t += state_field(r.*f.member, f.width);
  return t;
}

Result<SavedRecord> parse_state_text(const std::string& text) {
  if (text.size() > kStateTextLength)
    return failure("記録が長すぎます (" + std::to_string(text.size()) + "文字)");
  if (text.size() < kStateTextLength)
    return failure("記録が" + std::to_string(text.size()) + "文字しかありません (" +
                   std::to_string(kStateTextLength) + "文字のはずです)");
  size_t at = 0;
  SavedRecord out;
  for (const FieldDef& f : kFields) {
    const std::string field = text.substr(at, static_cast<size_t>(f.width));
    if (!field_value(field, out.*f.member))
      return failure(std::to_string(at + 1) + "文字目からの欄 (" + f.what + ") \"" + field +
                     "\" が数字ではありません");
    at += static_cast<size_t>(f.width);
  }
  return out;
}

std::string slot_file_name(int slot) {
  return DataFolder::slot_name(slot);
}

std::string format_date(const DateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year % 10000, t.month % 100,
                t.day % 100, t.hour % 100, t.minute % 100);
  return buf;
}

std::string slot_file_text(const std::string& saved_at, const std::string& title,
                           const std::array<std::string, 3>& record, int16_t hap, int32_t seq) {
  std::string text;
  for (const std::string* line : {&saved_at, &title, &record[0], &record[1], &record[2]})
    text += *line + "\r\n";
  text += "\\\r\n";
  // hap travels after the end mark, where a reader of the six lines never
  // looks, so slots written before it and after it read the same way.
  text += std::string(kHapKey) + std::to_string(hap) + "\r\n";
  if (seq > kStateTextLastSeq) text += std::string(kSeqKey) + std::to_string(seq) + "\r\n";
  return utf8_to_cp932(text);
}

Result<SlotFile> read_slot_file(const DataFolder& data, int slot) {
  const Result<std::string> bytes = data.read_slot(slot);
  if (!bytes) return failure(bytes.error().what());
  return parse_slot_file(bytes.value());
}

Result<SlotFile> parse_slot_file(const std::string& bytes) {
  const std::string text = cp932_to_utf8(bytes);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(unquote(line));
    start = end + 1;
  }
  // The end mark on line 6 is never read; the first five lines must be there.
  if (lines.size() < 5) return failure("行が足りません (" + std::to_string(lines.size()) + "行)");
  const Result<SavedRecord> r = parse_state_text(lines[2]);
  if (!r) return failure(std::string("3行目: ") + r.error().what());
  int hap = 0;
  if (lines.size() >= 7 && lines[6].rfind(kHapKey, 0) == 0) {
    const std::string v = lines[6].substr(std::char_traits<char>::length(kHapKey));
    if (v.empty() || v.size() > 6 || !field_value(v, hap) || hap < -32768 || hap > 32767)
      return failure("7行目: hap \"" + v + "\" が数字ではありません");
  }
  // A long story's row, beyond the state text's four characters.
  const Result<std::optional<int>> seq =
      keyed_line(lines, kSeqKey, kStateTextLastSeq + 1, kMaxScriptRows - 1);
  if (!seq) return seq.failure();
  SlotFile out;
  out.saved_at = lines[0];
  out.title = lines[1];
  out.record = {lines[2], lines[3], lines[4]};
  out.state = r.value();
  out.hap = static_cast<int16_t>(hap);
  if (seq.value()) {
    out.seq = *seq.value();
    out.state.pos = out.seq;
  }
  return out;
}

Result<SavedRecord> saved_record(const SaveState& save) {
  Result<SavedRecord> r = parse_state_text(save.Save_Slots[0]);
  if (r && save.Saved_Seq >= 0) r.value().pos = save.Saved_Seq;
  return r;
}

void keep_record(SaveState& save, const SavedRecord& r) {
  save.Save_Slots[0] = make_state_text(r);
  save.Saved_Seq = r.pos > kStateTextLastSeq ? r.pos : -1;
}

Result<void> record_fits_story(const SavedRecord& r, const ScriptTables& t) {
  struct Range {
    int value, low, high;
    const char* what;
  };
  // Counters as a three-character field can hold them (negatives as "0-5"),
  // the backgrounds the data folder has (-1: none shown yet), and the rest
  // as the game itself sets them.
  const Range ranges[] = {
      {r.kou, -99, 999, "kou"},     {r.pap, -99, 999, "pap"},
      {r.rub, -99, 999, "rub"},     {r.place, -1, 15, "place"},
      {r.num, 0, 9999, "NUM"},      {r.density, 0, 100, "density"},
      {r.text_mode, 0, 3, "speed"}, {r.pos, 0, kMaxScriptRows - 1, "SEQ"},
      {r.track, 0, 9, "tune"},
  };
  for (const Range& f : ranges)
    if (f.value < f.low || f.value > f.high)
      return failure(std::string("欄 (") + f.what + ") の値 " + std::to_string(f.value) +
                     " が範囲外です (" + std::to_string(f.low) + "〜" + std::to_string(f.high) +
                     ")");
  // The story resumes at the saved scene, or at the saved row when the scene
  // is gone; either must be a row the story can play (the last is its end).
  const int32_t at = find_num(t, static_cast<int16_t>(r.num));
  const int32_t resume = at >= 0 ? at : r.pos;
  if (resume < 0 || resume >= t.Script_Last)
    return failure(at >= 0 ? "場面 " + std::to_string(r.num) + " は物語の終わりです"
                           : "場面 " + std::to_string(r.num) + " も " + std::to_string(r.pos) +
                                 "行目も物語にありません");
  return {};
}

void save_state(SaveState& save, const Story& g) {
  SavedRecord r;
  r.kou = g.interp.kou;
  r.pap = g.interp.pap;
  r.rub = g.interp.rub;
  r.place = g.interp.Place_No >= 0 ? g.interp.Place_No : save.Loaded_Place;
  r.num = g.interp.Cur_Num;
  r.density = static_cast<int>(std::lround(g.density * 100.0f));
  r.music = g.sound.Music_On;
  r.sound = g.sound.Sound_On;
  r.text_mode = g.input.Text_Mode;
  r.pos = g.interp.Script_Pos;
  r.track = g.sound.Cur_Track;
  keep_record(save, r);
  save.Save_Slots[1] = g.msg.Name_Table[1];
  save.Save_Slots[2] = g.msg.Name_Table[2];
  save.Saved_Hap = g.interp.Scene_Hap;
}

}  // namespace vm
