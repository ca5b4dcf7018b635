#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "data/data_tool.h"
#include "data/layout.h"
#include "data/midi.h"
#include "data/pictures.h"
#include "platform/common/pixbuf_pictures.h"
#include "script/tables.h"

namespace vm::datatool {

namespace {

constexpr const char* kScriptFields[13] = {"num",     "cmd",    "jump",    "place", "doll",
                                           "face",    "spare7", "speaker", "text",  "value",
                                           "spare11", "subst",  "note"};
constexpr const char* kChoiceFields[3] = {"key", "label", "target"};

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool parse_int(const std::string& s, long& out) {
  const std::string t = trim(s);
  if (t.empty()) return false;
  size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == t.size()) return false;
  for (size_t k = i; k < t.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(t[k]))) return false;
  if (t.size() > 9) return false;
  out = std::stol(t);
  return true;
}

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

std::string num4(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", n);
  return buf;
}

struct Checker {
  std::string dir;
  std::vector<std::string> problems;

  std::string path(const std::string& name) const { return join_path(dir, name); }

  void file_problem(const std::string& file, const std::string& what) {
    problems.push_back(file + ": " + what);
  }
  void line_problem(const std::string& file, int line, const std::string& what) {
    problems.push_back(file + ":" + std::to_string(line) + ": " + what);
  }
  void field_problem(const std::string& file, int line, int field, const char* name,
                     const std::string& what) {
    line_problem(file, line, "field " + std::to_string(field) + " (" + name + "): " + what);
  }

  // Reads a file that must be there; reports it missing otherwise.
  bool load(const std::string& name, std::string& bytes) {
    if (!is_file(path(name))) {
      file_problem(name, "missing");
      return false;
    }
    try {
      bytes = read_bytes(path(name));
    } catch (const std::exception& e) {
      file_problem(name, e.what());
      return false;
    }
    return true;
  }

  // ------------------------------------------------------------ 50.dat ---
  std::vector<std::string> music_names;

  void check_system() {
    std::string bytes;
    if (!load("50.dat", bytes)) return;
    std::vector<std::string> lines;
    size_t p = 0;
    int line_no = 0;
    while (p < bytes.size()) {
      ++line_no;
      const size_t lf = bytes.find('\n', p);
      if (lf == std::string::npos) {
        line_problem("50.dat", line_no, "the last line has no CR LF");
        lines.push_back(bytes.substr(p));
        break;
      }
      std::string l = bytes.substr(p, lf - p);
      if (l.empty() || l.back() != '\r')
        line_problem("50.dat", line_no, "line ends in LF without CR");
      else
        l.pop_back();
      lines.push_back(l);
      p = lf + 1;
    }
    if (static_cast<int>(lines.size()) != kSystemLines) {
      file_problem("50.dat", std::to_string(lines.size()) + " lines, expected " +
                                 std::to_string(kSystemLines));
    }
    if (lines.size() >= 6) {
      const std::string& f = lines[5];
      bool ok = f.size() == 6 && (f[0] == '0' || f[0] == '1');
      for (size_t i = 1; ok && i < 6; ++i) ok = f[i] == '0' || f[i] == static_cast<char>('1' + i);
      if (!ok)
        line_problem("50.dat", 6,
                     quoted(f) +
                         " is not a flag line: \"0\" or \"1\", then \"0\" (seen) or "
                         "the digits 2..6 in their places");
    }
    for (size_t i = 6; i < std::min<size_t>(lines.size(), 24); ++i) {
      if (lines[i].empty()) continue;
      music_names.push_back(lines[i]);
      if (!is_file(path(lines[i])))
        line_problem("50.dat", static_cast<int>(i + 1),
                     "names " + quoted(cp932_to_utf8(lines[i])) + ", which is not in the folder");
    }
  }

  // ------------------------------------------------------ 51.dat, 52.dat ---
  struct Row {
    int line;
    int16_t num;
    std::vector<std::string> f;  // 13 fields
  };

  bool decode_text(const std::string& name, std::string& text) {
    std::string bytes;
    if (!load(name, bytes)) return false;
    try {
      text = cp932_to_utf8(invert_bytes(bytes));
    } catch (const std::exception& e) {
      file_problem(name, std::string("not decodable: ") + e.what());
      return false;
    }
    return true;
  }

  void check_script() {
    std::string script, choices;
    const bool have_script = decode_text("51.dat", script);
    const bool have_choices = decode_text("52.dat", choices);

    std::vector<Row> rows;
    std::set<int> nums;
    int scene_entries = 0;
    int prev = -32769;
    if (have_script) {
      for (const CsvLine& l : parse_csv(script)) {
        if (!l.fields.empty() && l.fields[0] == "num") continue;
        if (l.fields.size() != 13) {
          line_problem("51.dat", l.line, std::to_string(l.fields.size()) + " fields, expected 13");
          continue;
        }
        Row r{l.line, 0, l.fields};
        if (!check_num("51.dat", l.line, 1, "num", r.f[0], r.num)) continue;
        if (r.num < prev) {
          field_problem("51.dat", l.line, 1, "num",
                        "NUM " + num4(r.num) + " after NUM " + num4(prev) +
                            ": NUMs must ascend and the rows of one NUM stand together");
        }
        if (r.num != prev) ++scene_entries;
        prev = r.num;
        nums.insert(r.num);
        rows.push_back(r);
      }
      if (rows.size() > static_cast<size_t>(kMaxScriptRows))
        file_problem("51.dat", std::to_string(rows.size()) + " rows, at most " +
                                   std::to_string(kMaxScriptRows));
      if (scene_entries > kMaxSceneEntries)
        file_problem("51.dat", std::to_string(scene_entries) + " runs of NUMs, at most " +
                                   std::to_string(kMaxSceneEntries));
      if (rows.empty()) file_problem("51.dat", "no script rows");
    }

    // The choice table: key -> its rows in order.
    struct Choice {
      int line;
      int16_t key, target;
    };
    std::vector<Choice> table;
    if (have_choices) {
      for (const CsvLine& l : parse_csv(choices)) {
        if (l.fields.size() != 3) {
          line_problem("52.dat", l.line, std::to_string(l.fields.size()) + " fields, expected 3");
          continue;
        }
        Choice c{l.line, 0, 0};
        const bool k = check_num("52.dat", l.line, 1, kChoiceFields[0], l.fields[0], c.key);
        const bool t = check_num("52.dat", l.line, 3, kChoiceFields[2], l.fields[2], c.target);
        if (trim(l.fields[1]).empty())
          field_problem("52.dat", l.line, 2, kChoiceFields[1], "empty label");
        if (t && have_script && !nums.count(c.target))
          field_problem("52.dat", l.line, 3, kChoiceFields[2],
                        "NUM " + num4(c.target) + " is not in 51.dat");
        if (k && t) table.push_back(c);
      }
      if (table.size() > static_cast<size_t>(kMaxChoiceRows))
        file_problem("52.dat", std::to_string(table.size()) + " rows, at most " +
                                   std::to_string(kMaxChoiceRows));
    }

    for (const Row& r : rows)
      check_row(r, nums, have_choices, table.size(), [&](int16_t key) {
        // Rows of the menu: from the first row with the key, as long as the key stays.
        int count = 0;
        bool started = false;
        for (const Choice& c : table) {
          if (c.key == key) {
            started = true;
            ++count;
          } else if (started) {
            break;
          }
        }
        return count;
      });
  }

  bool check_num(const char* file, int line, int field, const char* name, const std::string& s,
                 int16_t& out) {
    if (!decode_num(s, out)) {
      field_problem(file, line, field, name, quoted(s) + " is not a NUM");
      return false;
    }
    for (char c : s)
      if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-') {
        field_problem(file, line, field, name, quoted(s) + " is not a NUM");
        return false;
      }
    if (s.size() < 4) {
      field_problem(
          file, line, field, name,
          quoted(s) + " reads as " + std::to_string(out) + "; write NUMs with four digits");
      return false;
    }
    return true;
  }

  template <typename CountFn>
  void check_row(const Row& r, const std::set<int>& nums, bool have_choices, size_t,
                 CountFn choice_count) {
    const char* F = "51.dat";
    const int L = r.line;
    const std::string cmd = trim(r.f[1]);
    const std::string text = trim(r.f[8]);
    const std::string value = trim(r.f[9]);
    auto bad = [&](int field, const std::string& what) {
      field_problem(F, L, field, kScriptFields[field - 1], what);
    };
    long v = 0;

    // Jump target.
    const std::string jump = trim(r.f[2]);
    const bool jumps = cmd == "g0" || (!cmd.empty() && cmd[0] == 'i');
    if (!jump.empty()) {
      int16_t target = 0;
      if (check_num(F, L, 3, "jump", r.f[2], target) && !nums.count(target))
        bad(3, "NUM " + num4(target) + " is not in the script");
    } else if (jumps) {
      bad(3, "\"" + cmd + "\" needs a jump NUM");
    }

    // Scene fields.
    const std::string place = trim(r.f[3]);
    if (!place.empty()) {
      if (!parse_int(place, v) || v < 0 || v > 15)
        bad(4, quoted(place) + " is not a background number 0..15");
      else if (!is_file(path(dat_name(70 + static_cast<int>(v)))))
        bad(4, "background " + place + " needs " + dat_name(70 + static_cast<int>(v)));
    }
    const std::string doll = trim(r.f[4]);
    if (!doll.empty()) {
      const bool digits = doll.size() <= 2 && std::all_of(doll.begin(), doll.end(), [](char c) {
                            return std::isdigit(static_cast<unsigned char>(c));
                          });
      if (!digits || doll[0] < '1' || doll[0] > '8') {
        bad(5, quoted(doll) + " is not a character digit 1..8 followed by a pose digit");
      } else if (doll.back() != '0') {
        const int key = (doll[0] - '0') * 10 + (doll.back() - '0');
        if (!find_picture_entry(key) || !is_file(path(dat_name(key))))
          bad(5, "no sprite picture " + dat_name(key));
        if (place.empty() && text != "L" && text != "R" && text != "C")
          bad(9, "a sprite row's text is its position, L, R or C, not " + quoted(text));
      }
    }
    const std::string face = trim(r.f[5]);
    if (!face.empty() && (!parse_int(face, v) || v < 1 || v > 8))
      bad(6, quoted(face) + " is not a face number 1..8");
    const std::string speaker = trim(r.f[7]);
    if (!speaker.empty() && !parse_int(speaker, v)) bad(8, quoted(speaker) + " is not a number");

    // Name substitution.
    if (trim(r.f[11]) == "1") {
      for (size_t p = r.f[8].find('&'); p != std::string::npos; p = r.f[8].find('&', p + 1)) {
        if (p + 1 >= r.f[8].size() || r.f[8][p + 1] < '0' || r.f[8][p + 1] > '5')
          bad(9, "\"&\" must be followed by a name digit 0..5");
      }
    }

    // The command.
    if (cmd.empty()) return;
    switch (cmd[0]) {
      case 'g':
      case 'e':
      case 'q':
      case 'r':
        break;
      case 'a':
        if (cmd.size() != 2 ||
            !(std::isdigit(static_cast<unsigned char>(cmd[1])) ||
              (cmd[1] >= 'A' && cmd[1] <= 'K') || (cmd[1] >= 'a' && cmd[1] <= 'k')))
          bad(2, quoted(cmd) + " is not a sound command (a0..a9, aA..aK, aa..ak)");
        break;
      case 's':
        if (!parse_int(text, v) || v < 1 || v > 3) {
          bad(9, "a choice row's text is the number of choices, 1..3, not " + quoted(text));
        } else if (have_choices) {
          const int n = choice_count(r.num);
          if (n != v)
            bad(9, std::to_string(v) + " choices, but 52.dat has " + std::to_string(n) +
                       " rows with key " + num4(r.num));
        }
        break;
      case 'p':
        if (cmd.back() == '2') {
          const std::string name = text.substr(0, 3);
          if (name != "kou" && name != "pap" && name != "rub" && name != "hap")
            bad(9, quoted(text) + " is no counter (kou, pap, rub, hap)");
          if (!parse_int(value, v)) bad(10, quoted(value) + " is not a number");
        } else if (cmd.back() != '8') {
          bad(2, quoted(cmd) + " is not p2 or p8");
        }
        break;
      case 'i':
        if (cmd.back() != '1') {
          bad(2, quoted(cmd) + " is not i1");
        } else {
          const std::string name = text.substr(0, 3);
          if (name != "kou" && name != "pap" && name != "rub")
            bad(9, quoted(text) + " is no counter i1 can test (kou, pap, rub)");
          if (!parse_int(value, v)) bad(10, quoted(value) + " is not a number");
        }
        break;
      case 'w':
        if (!text.empty() && (!parse_int(text, v) || v < 0))
          bad(9, quoted(text) + " is not a wait in milliseconds");
        break;
      default:
        bad(2, "unknown command " + quoted(cmd));
    }
  }

  // ------------------------------------------------------------ pictures ---
  void check_pictures() {
    for (const PictureEntry& s : picture_entries()) {
      const std::string name = dat_name(s.number);
      std::string bytes;
      if (!load(name, bytes)) continue;
      if (bytes.size() < 2) {
        file_problem(name, "too short to be a picture");
        continue;
      }
      if (s.disguised)
        bytes.replace(0, 2, s.kind == 'B' ? std::string("BM") : std::string("\xFF\xD8"));
      Image img;
      std::string error;
      if (!decode_picture(std::vector<uint8_t>(bytes.begin(), bytes.end()), img, error)) {
        file_problem(name, "not a picture: " + error);
        continue;
      }
      const std::string size = std::to_string(img.w) + "x" + std::to_string(img.h);
      if ((s.w && img.w != s.w) || (s.h && img.h != s.h) || (s.max_h && img.h > s.max_h)) {
        std::string want = s.w ? std::to_string(s.w) : std::string("any");
        want += "x";
        want += s.h ? std::to_string(s.h) : "at most " + std::to_string(s.max_h);
        file_problem(name, std::string(s.role) + " is " + size + ", expected " + want);
      }
      if (s.number < 60 && s.number != 42) {
        const FaceArea fa = face_area(s.number);
        if (img.w < fa.x2 || img.h < fa.y2)
          file_problem(name, "sprite " + size + " does not contain its face area");
      }
    }
  }

  void check_music() {
    std::vector<std::string> names = music_names;
    names.push_back(kEndingTune);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& n : names) {
      if (!is_file(path(n))) {
        if (n == kEndingTune) file_problem(n, "missing (the ending tune)");
        continue;  // a named one missing is reported against 50.dat
      }
      MidiInfo info;
      std::string error;
      if (!read_midi(read_bytes(path(n)), info, error))
        file_problem(cp932_to_utf8(n), "not a MIDI file: " + error);
    }
  }
};

}  // namespace

std::vector<std::string> check_folder(const std::string& dir) {
  Checker c{dir, {}, {}};
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return {dir + ": not a folder"};
  c.check_system();
  c.check_script();
  c.check_pictures();
  c.check_music();
  return c.problems;
}

}  // namespace vm::datatool
