#include "assets/game_words.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "assets/data_folder.h"
#include "assets/text_helpers.h"

namespace vm {

namespace {

// The key file's escapes; an unknown one is a problem of its line.
std::optional<std::string> unescape(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\') {
      out += v[i];
      continue;
    }
    if (++i == v.size()) return std::nullopt;
    switch (v[i]) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 's':
        out += ' ';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        return std::nullopt;
    }
  }
  return out;
}

std::optional<uint32_t> colour_of(const std::string& v) {
  if (v.size() != 7 || v[0] != '#') return std::nullopt;
  uint32_t c = 0;
  for (size_t i = 1; i < 7; ++i) {
    const unsigned char ch = static_cast<unsigned char>(v[i]);
    if (!std::isxdigit(ch)) return std::nullopt;
    c = c * 16 + static_cast<uint32_t>(std::isdigit(ch) ? ch - '0' : std::tolower(ch) - 'a' + 10);
  }
  return c;
}

// A whole number first..last written in plain digits.
std::optional<int> number_of(const std::string& v, int first, int last) {
  if (v.empty() || v.size() > 3) return std::nullopt;
  int n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n < first || n > last) return std::nullopt;
  return n;
}

std::vector<std::string> cells_of(const std::string& v) {
  std::vector<std::string> out(1);
  for (char c : v) {
    if (c == '|')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

// "&" followed by anything but 1..5 would be shown as typed, which is
// never what an author means.
bool names_well_formed(const std::string& v) {
  for (size_t p = v.find('&'); p != std::string::npos; p = v.find('&', p + 2))
    if (p + 1 >= v.size() || v[p + 1] < '1' || v[p + 1] > '5') return false;
  return true;
}

// One key=value line of a section.
struct Entry {
  const std::string& key;
  const std::string& value;
};

// A key as the game tells keys apart: "7" for 7= and 07= alike (a number's
// leading zeros name the same speaker or row).
std::string words_key(const std::string& key) {
  std::string id;
  for (size_t i = 0; i < key.size();) {
    size_t end = i;
    while (end < key.size() && std::isdigit(static_cast<unsigned char>(key[end])) != 0) ++end;
    if (end == i) {
      id += key[i++];
      continue;
    }
    const size_t from = std::min(key.find_first_not_of('0', i), end - 1);
    id.append(key, from, end - from);
    i = end;
  }
  return id;
}

class Reader {
 public:
  explicit Reader(WordsReading& r) : r_(r) {}

  void line(int no, const std::string& raw) {
    no_ = no;
    if (!is_utf8(raw))
      return problem("the line is not UTF-8 text (saved as Shift_JIS?): save game.ini as UTF-8");
    const std::string l = trim_blanks(raw);
    if (l.empty() || l[0] == '#') return;
    if (l[0] == '[') {
      if (l.back() != ']') return problem("a section line ends in \"]\"");
      section_ = l.substr(1, l.size() - 2);
      if (section_ != "game" && section_ != "cast" && section_ != "rename" &&
          section_ != "ending" && section_ != "credits")
        problem("unknown section [" + section_ +
                "] (the sections are game, cast, rename, ending and credits)");
      return;
    }
    const size_t eq = l.find('=');
    if (eq == std::string::npos) return problem("not a KEY=VALUE line: \"" + l + "\"");
    const std::string key = trim_blanks(l.substr(0, eq));
    const std::optional<std::string> value = unescape(trim_blanks(l.substr(eq + 1)));
    if (!value) return problem("key " + key + ": a backslash starts \\n, \\t, \\r, \\s or \\\\");
    if (section_.empty()) return problem("key " + key + " stands before any section");
    const size_t before = r_.problems.size();
    if (section_ == "game") game(key, *value);
    if (section_ == "cast") cast(key, *value);
    if (section_ == "rename") rename(key, *value);
    if (section_ == "ending") ending(key, *value);
    if (section_ == "credits") credits({key, *value});
    // A line the game took (even with a word of warning) may be given again.
    if (std::none_of(r_.problems.begin() + static_cast<std::ptrdiff_t>(before), r_.problems.end(),
                     [](const WordsProblem& p) { return !p.taken; }))
      taken(key);
  }

 private:
  void problem(const std::string& text) { r_.problems.push_back({no_, text}); }

  // A key read a second time in its section (7 and 07 are one speaker, and
  // [cast] may stand twice): the later line's value is the one the game uses.
  void taken(const std::string& key) {
    const std::string id = section_ + "]" + words_key(key);
    const auto [at, fresh] = r_.key_lines.emplace(id, no_);
    if (fresh) return;
    r_.problems.push_back({no_,
                           "key " + key + " in [" + section_ + "] was given on line " +
                               std::to_string(at->second) + " already; the game takes this line's",
                           true});
    at->second = no_;
  }
  void unknown(const std::string& key, const std::string& keys) {
    problem("unknown key " + key + " in [" + section_ + "] (the keys are " + keys + ")");
  }
  bool colour(const std::string& key, const std::string& v, std::optional<uint32_t>& to) {
    to = colour_of(v);
    if (!to) problem("key " + key + ": \"" + v + "\" is not a colour #RRGGBB");
    return to.has_value();
  }
  bool names(const Entry& e) {
    if (names_well_formed(e.value)) return true;
    problem("key " + e.key + ": \"&\" must be followed by a name number 1 to 5");
    return false;
  }

  void game(const std::string& key, const std::string& v) {
    GameWords& w = r_.words;
    std::optional<std::string>* to = key == "title"     ? &w.title
                                     : key == "version" ? &w.version
                                     : key == "notice"  ? &w.notice
                                     : key == "mail"    ? &w.mail
                                     : key == "home"    ? &w.home
                                     : key == "summary" ? &w.summary
                                                        : nullptr;
    if (!to) return unknown(key, "title, version, notice, mail, home and summary");
    if (key == "title" && v.empty()) return problem("key title: the game's name is empty");
    *to = v;
    const auto lines = std::count(v.begin(), v.end(), '\n') + 1;
    if (key == "notice" && lines > 3)
      r_.problems.push_back({no_,
                             "key notice: " + std::to_string(lines) +
                                 " lines; the About box has room for three, and the rest runs "
                                 "over its links",
                             true});
  }

  void cast(const std::string& key, const std::string& v) {
    const size_t dot = key.find('.');
    const std::optional<int> code = number_of(key.substr(0, dot), 1, kMaxCastCode);
    const std::string field = dot == std::string::npos ? "" : key.substr(dot + 1);
    if (!code || (dot != std::string::npos && field != "colour"))
      return problem("unknown key " + key +
                     " in [cast] (the keys are N and N.colour for a speaker code N from 1 to 99)");
    CastMember& m = r_.words.cast[*code];
    if (field == "colour") {
      colour(key, v, m.colour);
      return;
    }
    if (names({key, v})) m.label = v;
  }

  void rename(const std::string& key, const std::string& v) {
    GameWords& w = r_.words;
    if (key == "title")
      w.rename_title = v;
    else if (key == "prompt")
      w.rename_prompt = v;
    else if (key == "preset") {
      if (names({key, v})) w.rename_preset = v;
    } else
      unknown(key, "title, prompt and preset");
  }

  void ending(const std::string& key, const std::string& v) {
    const size_t dot = key.find('.');
    const std::string which = key.substr(0, dot);
    const std::string field = dot == std::string::npos ? "" : key.substr(dot + 1);
    ClosingWords* to = which == "true"    ? &r_.words.true_end
                       : which == "other" ? &r_.words.other_end
                                          : nullptr;
    if (!to || (dot != std::string::npos && field != "colour"))
      return unknown(key, "true, other, true.colour and other.colour");
    if (field == "colour") {
      colour(key, v, to->colour);
      return;
    }
    const std::vector<std::string> lines = cells_of(v);
    if (lines.size() != 3)
      return problem("key " + key +
                     ": the closing message is three lines separated by \"|\", not " +
                     std::to_string(lines.size()));
    to->lines = std::array<std::string, 3>{lines[0], lines[1], lines[2]};
  }

  void credits(const Entry& e) {
    const std::string& key = e.key;
    const std::optional<int> row =
        key.rfind("row.", 0) == 0 ? number_of(key.substr(4), 0, kCreditRows - 1) : std::nullopt;
    if (!row) return unknown(key, "row.0 to row.10");
    std::vector<std::string> cells = cells_of(e.value);
    if (cells.size() > static_cast<size_t>(kCreditCells))
      return problem("key " + key + ": a row of the staff roll has at most 5 cells, not " +
                     std::to_string(cells.size()));
    r_.words.credit_rows[*row] = std::move(cells);
  }

  WordsReading& r_;
  std::string section_;
  int no_ = 0;
};

}  // namespace

WordsReading read_game_words(const std::string& text) {
  WordsReading r;
  Reader reader(r);
  size_t start = 0;
  // A byte-order mark some editors write is not part of the first line.
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) start = 3;
  int no = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(start, end - start);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    reader.line(++no, l);
    if (end == text.size()) break;
    start = end + 1;
  }
  return r;
}

WordsReading load_game_words(const DataFolder& folder) {
  if (!folder.has(kGameWordsFile)) return {};
  const Result<std::string> text = folder.read(kGameWordsFile);
  if (!text) return {{}, {{0, std::string("cannot read it: ") + text.error().what()}}};
  return read_game_words(text.value());
}

std::string fill_names(const std::array<std::string, 6>& names, const std::string& text) {
  std::string out;
  for (size_t p = 0; p < text.size(); ++p) {
    const char d = p + 1 < text.size() ? text[p + 1] : '\0';
    if (text[p] == '&' && d >= '1' && d <= '5') {
      out += names[static_cast<size_t>(d - '0')];
      ++p;
    } else {
      out += text[p];
    }
  }
  return out;
}

int WordsReading::line_of(const std::string& section, const std::string& key) const {
  const auto it = key_lines.find(section + "]" + words_key(key));
  return it == key_lines.end() ? 0 : it->second;
}

std::string words_problem_reason(const WordsProblem& p) {
  return p.taken ? p.text : p.text + "; the game keeps its own words there";
}

std::string game_title(const GameWords& w) {
  return w.title.value_or("Velmora");
}

}  // namespace vm
