// The folder check. It reads the folder through the game's own readers (the
// system-file reader, the tables loader, the interpreter's row reading and
// command table, the picture decoder) and follows the story's paths with the
// story map, so what it calls an error is what the game cannot load, stops
// on or breaks on (a message box, a path without an ending), and what it
// lets pass the game plays. Warnings are what the game accepts but reads
// otherwise than an author probably meant.
#include "authoring/check.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "assets/game_words.h"
#include "assets/text_helpers.h"
#include "authoring/layout.h"
#include "authoring/midi.h"
#include "authoring/pictures.h"
#include "authoring/story_paths.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "graphics/scene.h"
#include "message/message.h"
#include "platform/common/pixbuf_pictures.h"
#include "script/commands.h"
#include "script/interp.h"
#include "script/tables.h"

namespace vm::datatool {

namespace {

std::string in_quotes(const std::string& s) {
  return "\"" + s + "\"";
}

struct Checker {
  DataFolder data;
  std::vector<Finding> found;
  std::set<std::pair<std::string, int>> error_rows;  // lines of the text files named in an error

  std::string path(const std::string& name) const { return data.path(name); }
  bool is_file(const std::string& p) const { return data.files().exists(p); }

  // "FILE:LINE: error: field N (name): what", without the parts not given.
  void add(bool error, const std::string& file, int line, const std::string& field,
           const std::string& what) {
    if (error && line > 0) error_rows.insert({file, line});
    std::string s = file + ":";
    if (line > 0) s += std::to_string(line) + ":";
    s += error ? " error: " : " warning: ";
    if (!field.empty()) s += "field " + field + ": ";
    found.push_back({error, s + what});
  }
  void add(bool error, const DataError& e) { add(error, e.file, e.line, e.field, e.what()); }
  void file_error(const std::string& file, const std::string& what) {
    add(true, file, 0, "", what);
  }

  // Reads a file that must be there; reports it missing otherwise.
  bool load(const std::string& name, std::string& bytes) {
    if (!is_file(path(name))) {
      file_error(name, "missing");
      return false;
    }
    Result<std::string> read = data.read(name);
    if (!read) {
      file_error(name, read.error().what());
      return false;
    }
    bytes = std::move(read).value_or_throw();
    return true;
  }

  // ------------------------------------------------------------ 50.dat ---
  // The tunes 50.dat names and the folder holds, by line.
  std::map<int, std::string> tunes;
  std::array<std::string, 6> names;  // what "&1" ... "&5" stand for

  void check_system() {
    std::string bytes;
    if (!load("50.dat", bytes)) return;
    std::array<std::string, 26> lines;
    try {
      lines = read_system_lines(bytes);
    } catch (const DataError& e) {
      add(true, e);
      return;
    }
    for (size_t i = 1; i <= 5; ++i) names[i] = cp932_to_utf8(lines[i]);
    const size_t count = split_lines(bytes).size();
    if (count > 25)
      add(false, "50.dat", 26, "",
          std::to_string(count) + " lines; the game reads 25 and writes only those back");
    // Line 6: what the game writes there is "0" or "1", then per picture "0"
    // (seen) or its digit 2..6 (not seen); anything else reads as not seen.
    const std::string& f = lines[6];
    bool usual = f.size() == 6 && (f[0] == '0' || f[0] == '1');
    for (size_t i = 1; usual && i < 6; ++i)
      usual = f[i] == '0' || f[i] == static_cast<char>('1' + i);
    if (!usual)
      add(false, "50.dat", 6, "",
          in_quotes(cp932_to_utf8(f)) +
              " is not a flag line as the game writes it: \"0\" or \"1\", then \"0\" (seen) or "
              "the digits 2..6 in their places");
    for (int i = 7; i <= 24; ++i) {
      const std::string& name = lines[static_cast<size_t>(i)];
      if (name.empty()) continue;
      // The same file name the game opens: one conversion from the code page.
      const std::string file = tune_file_name(name);
      const std::string shown = in_quotes(cp932_to_utf8(name));
      if (file.empty())
        add(true, "50.dat", i, "",
            shown +
                " is not a file name of the folder (a path separator, "
                "\".\" or \"..\"); the game refuses to start");
      else if (!is_file(path(file)))
        add(true, "50.dat", i, "", "names " + shown + ", which is not in the folder");
      else
        tunes[i] = file;
    }
  }

  // ------------------------------------------------------ 51.dat, 52.dat ---
  ScriptTables t;
  bool have_script = false, have_choices = false;
  std::set<int> places_shown;
  std::set<int> tracks_played;

  bool decode_text(const std::string& name, std::string& text) {
    std::string bytes;
    if (!load(name, bytes)) return false;
    text = invert_bytes(bytes);
    return true;
  }

  void check_script() {
    std::string script, choices;
    have_script = decode_text("51.dat", script);
    have_choices = decode_text("52.dat", choices);
    LoadReport report;
    load_tables(t, script, choices, &report);
    for (const DataError& e : report.errors) add(true, e);
    for (const DataError& e : report.warnings) add(false, e);
    if (have_script && t.Script_Table.empty()) file_error("51.dat", "no script rows");
    tables_whole = have_script && have_choices && report.errors.empty() && !t.Script_Table.empty();

    std::set<int> nums;
    int prev = -32769;
    for (const ScriptRow& r : t.Script_Table) {
      if (r.num < prev)
        add(true, "51.dat", r.line, "1 (num)",
            "NUM " + num4(r.num) + " after NUM " + num4(prev) +
                ": NUMs must ascend and the rows of one NUM stand together, or jumps miss them");
      prev = r.num;
      nums.insert(r.num);
    }
    for (const ChoiceRow& c : t.SCT) {
      if (!c.resolved && have_script)
        add(true, "52.dat", c.line, "3 (target)",
            "NUM " + num4(c.target_num) + " is not in 51.dat; picking it would go to row " +
                std::to_string(c.target_num));
      if (trim_blanks(c.label).empty()) add(false, "52.dat", c.line, "2 (label)", "empty label");
    }
    // The last row is the end marker: the game never runs it.
    for (int32_t i = 0; i < t.Script_Last; ++i) {
      try {
        check_row(t.Script_Table[static_cast<size_t>(i)], nums);
      } catch (const DataError& e) {
        add(true, e);
      }
    }
    check_quiet_cycles();
  }

  // The row after row p when the game runs it without showing or waiting
  // for anything (a counter, a caption, a plain jump, a row whose message is
  // empty): -1 for any row that shows, waits, tests, asks, ends or changes
  // the scene, or cannot be read.
  int32_t quiet_next(int32_t p) const {
    const ScriptRow& r = t.Script_Table[static_cast<size_t>(p)];
    try {
      const RowFields f = read_row(r);
      if (f.has_place || f.has_doll || f.has_face) return -1;
      const CommandInfo& c = command_info(f.cmd);
      if (c.waits != Waits::No || c.dialog || (c.shows != Shows::Nothing && !f.text.empty()))
        return -1;
      if (c.reads & kReadsSubCode) sub_code(r.line, f.cmd);
      if (c.goes == Goes::Jump) return find_num(t, r.jump);
      if (c.goes == Goes::On) return p + 1;
    } catch (const DataError&) {
    }
    return -1;
  }

  // Rows that go round for ever showing nothing and waiting for nothing:
  // the game spins there and the player can only close it. Each such round
  // is named once, at the jump that closes it.
  void check_quiet_cycles() {
    enum Mark : uint8_t { Unknown, OnWalk, LeadsOut, Spins };
    std::vector<uint8_t> mark(static_cast<size_t>(std::max(0, t.Script_Last)), Unknown);
    for (int32_t start = 0; start < t.Script_Last; ++start) {
      if (mark[static_cast<size_t>(start)] != Unknown) continue;
      std::vector<int32_t> walk;
      int32_t p = start, from = -1;
      while (p >= 0 && p < t.Script_Last && mark[static_cast<size_t>(p)] == Unknown) {
        mark[static_cast<size_t>(p)] = OnWalk;
        walk.push_back(p);
        from = p;
        p = quiet_next(p);
      }
      Mark outcome = LeadsOut;
      if (p >= 0 && p < t.Script_Last) {
        if (mark[static_cast<size_t>(p)] == OnWalk) {
          const ScriptRow& r = t.Script_Table[static_cast<size_t>(from)];
          add(true, "51.dat", r.line, "",
              "the story goes round from NUM " + num4(t.Script_Table[static_cast<size_t>(p)].num) +
                  " to here for ever, showing nothing and waiting for nothing: the game "
                  "cannot go on");
          outcome = Spins;
        } else {
          outcome = static_cast<Mark>(mark[static_cast<size_t>(p)]);
        }
      }
      for (int32_t q : walk) mark[static_cast<size_t>(q)] = outcome;
    }
  }

  // ------------------------------------------------------------- paths ---
  // What the story map finds on the paths the game can take: where a path
  // breaks (a message box, an end other than the ending or a quit) and the
  // place rows that show their transition code. A row already named in an
  // error is left to that error.
  bool tables_whole = false;

  void check_paths() {
    if (!tables_whole) return;
    const Exploration ex = explore_story(Story{t, names});
    for (const MapFinding& m : ex.findings)
      if (m.in_check && !error_rows.count({m.file, m.line}))
        found.push_back({m.error, m.text, true});
  }

  void row_error(int line, const char* field, const std::string& what) {
    add(true, "51.dat", line, field, what);
  }
  void row_warning(int line, const char* field, const std::string& what) {
    add(false, "51.dat", line, field, what);
  }

  // One row the game may run, field by field, in the order of its fields.
  void check_row(const ScriptRow& r, const std::set<int>& nums) {
    if (r.fields > 13)
      row_warning(r.line, "",
                  std::to_string(r.fields) + " fields; the game reads 13 and drops the rest");
    else if (r.fields == 12)
      row_warning(r.line, "", "12 fields; a row has 13 (the last one, a note, may be empty)");

    RowFields f = read_row(r);  // a field the game cannot read throws
    if (f.subst == "1") substitute_names({}, f.text, r.line);
    check_place(r, f);
    check_doll(r, f);
    if (f.has_face && (f.face < 1 || f.face > 8))
      row_error(r.line, "6 (face)", in_quotes(trim_blanks(r.face)) + " is not a face number 1..8");
    check_page(r, f);
    check_jump(r, f, nums);
    check_command(r, f);
  }

  // The background a row shows.
  void check_place(const ScriptRow& r, const RowFields& f) {
    if (!f.has_place) return;
    const std::string file = dat_name(70 + f.place);
    const PictureEntry* e = find_picture_entry(70 + f.place);
    const bool scene = e && e->kind == 'J' && e->disguised;
    if (f.place < 0 || f.place > 29 || !is_file(path(file)))
      row_error(r.line, "4 (place)",
                "background " + std::to_string(f.place) + " needs " + file +
                    ", which is not in the folder");
    else if (!scene)
      row_warning(r.line, "4 (place)",
                  "background " + std::to_string(f.place) + " shows " + file +
                      ", which is not a background");
    places_shown.insert(f.place);
  }

  // The sprite a row shows, and where: a sprite row's text is its position.
  void check_doll(const ScriptRow& r, const RowFields& f) {
    if (!f.has_doll) return;
    const std::string doll = trim_blanks(r.doll);
    if (f.doll < 1 || f.doll > kCharacters) {
      row_error(r.line, "5 (doll)",
                in_quotes(doll) + " is not a character digit 1..8 followed by a pose digit");
    } else if (f.pose != 0) {
      const int key = f.doll * 10 + f.pose;
      if (!find_picture_entry(key) || !is_file(path(dat_name(key))))
        row_error(r.line, "5 (doll)", "no sprite picture " + dat_name(key));
      if (!f.has_place && f.text != "L" && f.text != "R" && f.text != "C")
        row_error(r.line, "9 (text)",
                  "a sprite row's text is its position, L, R or C, not " + in_quotes(f.text));
    }
    if (doll.size() > 2)
      row_warning(r.line, "5 (doll)",
                  in_quotes(doll) + " reads as character " + std::to_string(f.doll) + ", pose " +
                      std::to_string(f.pose));
  }

  // What the step shows: a plain row, a face change, an "r" row; a text
  // longer than the window's page types on below it.
  void check_page(const ScriptRow& r, const RowFields& f) {
    const Shows shows = command_info(f.cmd).shows;
    const bool scene_shows = (!f.has_place && !f.has_doll) || f.has_face;
    if (shows == Shows::Nothing || (shows == Shows::AsScene && !scene_shows)) return;
    const size_t chars = utf8_length(f.text);
    // As the window types it: lines of 23, a line more when the count is a
    // multiple of 23 past the first, and the speaker's label above.
    const bool label = f.has_speaker && f.speaker >= 1 && f.speaker <= 6;
    const size_t lines = (chars <= kLineChars ? 1 : chars / kLineChars + 1) + (label ? 1 : 0);
    if (lines > static_cast<size_t>(kPageLines))
      row_warning(r.line, "9 (text)",
                  std::to_string(chars) +
                      " characters, more than one page of the window (4 lines of 23); "
                      "the rest types on below the window");
  }

  void check_jump(const ScriptRow& r, const RowFields& f, const std::set<int>& nums) {
    const bool jumps = command_info(f.cmd).reads & kReadsJump;
    if (jumps && !nums.count(r.jump))
      row_error(r.line, "3 (jump)", "NUM " + num4(r.jump) + " is not in the script");
    else if (!jumps && r.jump != 0 && !nums.count(r.jump))
      row_warning(r.line, "3 (jump)",
                  "NUM " + num4(r.jump) + " is not in the script (the row does not jump)");
  }

  void check_command(const ScriptRow& r, const RowFields& f) {
    const int L = r.line;
    const CommandInfo& c = command_info(f.cmd);
    if (!c.known) {
      row_warning(L, "", unknown_command(f));
      return;
    }
    switch (c.command) {
      case Command::Sound:
        check_sound(L, f);
        break;
      case Command::Choice:
        check_choice(r, f);
        break;
      case Command::Add:
      case Command::Title:
      case Command::BadP:
        check_counter_change(L, f);
        break;
      case Command::Test:
      case Command::BadI:
        check_counter_test(L, f);
        break;
      case Command::Wait:
        wait_duration(L, f.text);
        break;
      default:
        break;
    }
    // s, e, q, r and w are told by their first letter; the rest is not read.
    if (std::string_view(c.letters).size() == 1 && c.command != Command::Sound && f.cmd.size() > 1)
      row_warning(L, "2 (cmd)",
                  in_quotes(f.cmd) + " is read as " + in_quotes(c.letters) + ", which " + c.does +
                      ": the game reads only its first letter");
  }

  // What the game makes of letters that are no command: the row runs as if
  // it had none (a g row does nothing at all).
  static std::string unknown_command(const RowFields& f) {
    const CommandInfo& c = command_info(f.cmd);
    const bool scene = f.has_place || f.has_doll;
    std::string what = "unknown command " + in_quotes(f.cmd) + ": ";
    if (c.shows == Shows::AsScene && (!scene || f.has_face) && !f.text.empty())
      what += "the game shows " + in_quotes(f.text) + " as a message";
    else if (scene || f.has_face)
      what += "the game does only the row's scene change";
    else
      what += "the row does nothing";
    // A letter typed for a digit.
    std::string typed = f.cmd;
    for (char& ch : typed)
      if (ch == 'o' || ch == 'O')
        ch = '0';
      else if (ch == 'l' || ch == 'I')
        ch = '1';
    for (const CommandInfo& k : command_table())
      if (typed != f.cmd && k.known && typed == k.letters)
        what += " (did you mean " + in_quotes(typed) + "?)";
    return what;
  }

  // A sound command; the tracks it plays are noted for the music check.
  void check_sound(int L, const RowFields& f) {
    // The game reads the one character after the "a".
    const char c = f.cmd.size() >= 2 ? f.cmd[1] : '\0';
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'A' && c <= 'K') || (c >= 'a' && c <= 'k');
    if ((!digit && !letter) || f.cmd.size() != 2)
      row_warning(L, "2 (cmd)",
                  in_quotes(f.cmd) + " is not a sound command (a0..a9, aA..aK, aa..ak)");
    if (letter) {
      const int track = (c & ~0x20) - 'A' + 1;
      if (track <= 9) tracks_played.insert(track);
    }
  }

  // p2 adds to a counter, p8 does nothing the check can see.
  void check_counter_change(int L, const RowFields& f) {
    InterpState counters;
    const int sub = sub_code(L, f.cmd);
    if (sub == 2) {
      if (counter(counters, f.text, true))
        counter_operand(L, f.value);
      else
        row_warning(
            L, "9 (text)",
            in_quotes(f.text) + " names no counter (kou, pap, rub, hap): the row changes nothing");
    } else if (sub != 8) {
      row_error(L, "2 (cmd)",
                in_quotes(f.cmd) + " is not p2 or p8 (the game shows " +
                    in_quotes(command_info(f.cmd).dialog) + ")");
    }
  }

  // i1 jumps when a counter holds a value.
  void check_counter_test(int L, const RowFields& f) {
    InterpState counters;
    if (sub_code(L, f.cmd) != 1) {
      row_error(L, "2 (cmd)",
                in_quotes(f.cmd) + " is not i1 (the game shows " +
                    in_quotes(command_info(f.cmd).dialog) + ")");
    } else if (counter(counters, f.text, false)) {
      counter_operand(L, f.value);
    } else {
      row_warning(
          L, "9 (text)",
          in_quotes(f.text) + " names no counter i1 can test (kou, pap, rub): the row never jumps");
    }
  }

  // A choice row: the menu is the rows of 52.dat from the first with this
  // row's NUM, as many as the text asks for.
  void check_choice(const ScriptRow& r, const RowFields& f) {
    const int count = choice_count(f.text);
    if (count < 1 || count > kChoiceSlots) {
      add(true, "51.dat", r.line, "9 (text)",
          "a choice row's text is the number of choices, 1..3, not " + in_quotes(f.text));
      return;
    }
    if (!have_choices) return;
    int first = -1;
    for (size_t i = 0; i < t.SCT.size() && first < 0; ++i)
      if (t.SCT[i].key == r.num) first = static_cast<int>(i);
    if (first < 0) {
      add(true, "51.dat", r.line, "9 (text)",
          "52.dat has no row with key " + num4(r.num) + " (the game shows \"SCT not found.\")");
      return;
    }
    if (first + count > static_cast<int>(t.SCT.size())) {
      add(true, "51.dat", r.line, "9 (text)",
          std::to_string(count) + " choices, but 52.dat ends after " +
              std::to_string(static_cast<int>(t.SCT.size()) - first) + " rows from key " +
              num4(r.num));
      return;
    }
    int own = 0;
    for (size_t i = static_cast<size_t>(first); i < t.SCT.size() && t.SCT[i].key == r.num; ++i)
      ++own;
    if (own < count)
      add(false, "51.dat", r.line, "9 (text)",
          std::to_string(count) + " choices, but 52.dat has " + std::to_string(own) +
              " rows with key " + num4(r.num) + ": the menu reads on into the rows of key " +
              num4(t.SCT[static_cast<size_t>(first) + static_cast<size_t>(own)].key));
    else if (own > count)
      add(false, "51.dat", r.line, "9 (text)",
          std::to_string(count) + " choices, but 52.dat has " + std::to_string(own) +
              " rows with key " + num4(r.num) + ": the last are never offered");
  }

  // ------------------------------------------------------------ pictures ---
  void check_pictures() {
    for (const PictureEntry& s : picture_entries()) {
      const std::string name = dat_name(s.number);
      std::string bytes;
      if (!load(name, bytes)) continue;
      if (bytes.size() < 2) {
        file_error(name, "too short to be a picture");
        continue;
      }
      // The game restores the real first bytes before it decodes.
      if (s.disguised) bytes.replace(0, 2, real_magic(s.kind));
      const Result<Image> decoded =
          decode_picture(std::vector<uint8_t>(bytes.begin(), bytes.end()));
      if (!decoded) {
        file_error(name, std::string("not a picture: ") + decoded.error().what());
        continue;
      }
      const Image& img = decoded.value();
      // Smaller than what the game draws from leaves part of the screen
      // undrawn, larger is only cut: the game plays both, so both warn.
      const std::string size = std::to_string(img.w) + "x" + std::to_string(img.h);
      std::string want = s.w ? std::to_string(s.w) : std::string("any");
      want += "x";
      want += s.h ? std::to_string(s.h) : "at most " + std::to_string(s.max_h);
      if ((s.w && img.w < s.w) || (s.h && img.h < s.h))
        add(false, name, 0, "",
            std::string(s.role)
                .append(" is ")
                .append(size)
                .append(", expected ")
                .append(want)
                .append("; the rest stays undrawn"));
      else if ((s.w && img.w > s.w) || (s.h && img.h > s.h) || (s.max_h && img.h > s.max_h))
        add(false, name, 0, "",
            std::string(s.role)
                .append(" is ")
                .append(size)
                .append(", expected ")
                .append(want)
                .append("; the rest is cut"));
      if (s.number < 60 && s.number != 42) {
        const FaceArea& fa = face_area(s.number);
        if (img.w < fa.x2 || img.h < fa.y2)
          file_error(name, "sprite " + size + " does not contain its face area");
      }
      if (s.place_only && have_script && !places_shown.count(s.number - 70))
        add(false, name, 0, "", "no script row shows background " + std::to_string(s.number - 70));
    }
  }

  // --------------------------------------------------------------- music ---
  // The game's own words: a line the game cannot read is an error of the
  // author's, though the game plays on with its own text there.
  // ---------------------------------------------------------- game.ini ---
  Text* text = nullptr;  // measures the words as the game draws them; none: not measured

  void check_words() {
    const WordsReading r = load_game_words(data);
    for (const WordsProblem& p : r.problems) {
      add(!p.taken, kGameWordsFile, p.line, "", words_problem_reason(p));
      found.back().plays_on = true;
    }
    if (!text) return;
    for (const auto& [code, member] : r.words.cast)
      if (member.label) check_label(r, code);
    check_credits(r);
    for (const auto& [key, end] :
         {std::pair{"true", &r.words.true_end}, {"other", &r.words.other_end}})
      if (end->lines)
        for (const std::string& l : *end->lines)
          letters(r.line_of("ending", key), key, l, closing_font());
  }

  // A letter no font here has shows as a box.
  void letters(int line, const std::string& key, const std::string& words, const Font& font) {
    if (const int n = text->missing_letters(words, font); n > 0)
      add(false, kGameWordsFile, line, "",
          "key " + key + ": " + in_quotes(words) + " holds " + std::to_string(n) +
              (n == 1 ? " letter" : " letters") +
              " no font on this machine can draw; the game shows a box in its place");
  }

  // A label wider than a line of the message window is cut at its edge; the
  // names in it are those of 50.dat (a player's own may be longer).
  void check_label(const WordsReading& r, int code) {
    const std::string key = std::to_string(code);
    const int line = r.line_of("cast", key);
    const std::string shown = fill_names(names, *r.words.cast.at(code).label);
    letters(line, key, shown, label_font(false));
    for (const bool large : {false, true}) {
      const int w = text->text_width(shown, label_font(large)), room = line_room(large);
      if (w <= room) continue;
      add(false, kGameWordsFile, line, "",
          "key " + key + ": the label " + in_quotes(shown) + " is " + std::to_string(w) +
              " pixels wide" + (large ? " in large text" : "") +
              "; a line of the message window shows " + std::to_string(room) +
              ", and the rest of it is cut off");
      return;
    }
  }

  // A card shows so much of each cell of the staff roll's table.
  void check_credits(const WordsReading& r) {
    EndingState e;
    e.words = std::make_shared<const GameWords>(r.words);
    fill_staff_table(e);
    for (const CreditRoom& room : credit_rooms()) {
      const bool given = r.words.credit_rows.count(room.row) != 0;
      const bool title = room.row == 0 && room.cell == 1 && r.words.title;
      if (!given && !title) continue;
      const std::string key = title && !given ? "title" : "row." + std::to_string(room.row);
      const int line = r.line_of(title && !given ? "game" : "credits", key);
      const std::string& cell =
          e.Staff_Table[static_cast<size_t>(room.row)][static_cast<size_t>(room.cell)];
      letters(line, key, cell, room.font);
      const int w = text->text_width(cell, room.font);
      if (w > room.pixels)
        add(false, kGameWordsFile, line, "",
            "key " + key + ": " + in_quotes(cell) + " is " + std::to_string(w) +
                " pixels wide; its card of the staff roll shows the first " +
                std::to_string(room.pixels) + " of it");
    }
  }

  void check_music() {
    std::set<std::string> names;
    for (const auto& [line, name] : tunes) names.insert(name);
    names.insert(kEndingTune);
    for (const std::string& n : names) {
      if (!is_file(path(n))) {
        file_error(n, "missing (the ending tune)");
        continue;
      }
      const Result<MidiInfo> tune = read_midi(data.read(n).value_or_throw());
      if (!tune) file_error(n, std::string("not a MIDI file: ") + tune.error().what());
    }
    if (have_script)
      for (const auto& [line, name] : tunes)
        if (line <= 15 && !tracks_played.count(line - 6) && line != 7)
          add(false, "50.dat", line, "",
              "track " + std::to_string(line - 6) + " (" + name +
                  ") is never played: no row has its sound command");
    // Tunes in the folder that nothing names.
    for (const std::string& n : data.file_names()) {
      if (n.size() > 4 && n.compare(n.size() - 4, 4, ".mid") == 0 && !names.count(n))
        add(false, n, 0, "", "not named in 50.dat: the game never plays it");
    }
  }
};

}  // namespace

std::vector<Finding> check_folder(Files& files, const std::string& dir, Text* text) {
  Checker c{DataFolder(files, dir), {}};
  c.text = text;
  if (!c.data.is_folder()) return {{true, dir + ": error: not a folder"}};
  c.check_system();
  c.check_script();
  c.check_paths();
  c.check_pictures();
  c.check_music();
  c.check_words();
  return c.found;
}

}  // namespace vm::datatool
