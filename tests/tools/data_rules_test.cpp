// The rules that make a field of the data files legal, one case each: the
// game's own readers, `check` and the unpack/pack round trip must agree on
// every one. A legal form loads and reads as the case says, `check` finds no
// error on it (a warning where the game reads it otherwise than it looks),
// and the converters give it back byte for byte; a malformed form is refused
// by the game's readers (or, loaded, misleads the game as the case says), is
// an error of `check`, named by its line and field, and still converts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "authoring/layout.h"
#include "choices/choices.h"
#include "data/data_tool.h"
#include "platform/common/disk_files.h"
#include "platform/errors.h"
#include "script/commands.h"
#include "script/interp.h"
#include "script/tables.h"
#include "test_support.h"

namespace vm::datatool {
namespace {

using test::read_bytes;
using test::write_bytes;

namespace fs = std::filesystem;

// What the game made of the case's rows: the tables and the first added row.
struct Read {
  ScriptTables t;
  std::optional<ScriptRow> row;  // none when the loader left it out
  bool refused = false;          // whether loading as the game does stopped
  std::array<std::string, 26> sys;
};

struct Rule {
  const char* name;
  // What `check` says of it, the whole line, or "" for a clean form; "@"
  // stands for the first line the case added to the file named before it
  // ("@+2" for the third).
  std::string finding;
  std::vector<std::string> rows;  // script rows added before the end marker (UTF-8)
  // How the game reads it (legal forms), or that it refuses it (malformed).
  std::function<void(const Read&)> game;
  std::vector<std::string> choices = {};  // choice rows appended
  std::string line6 = "";                 // replaces line 6 of 50.dat when not empty
};

void reads_row(const Read& r) {
  read_row(*r.row);
}
void refuses_row(const Read& r) {
  EXPECT_THROW(read_row(*r.row), DataError);
}

const std::vector<Rule>& rules() {
  static const std::vector<Rule> list = {
      // NUM forms: the first character and the last three.
      {"four-digit NUM with empty jump and scene fields",
       "",
       {"9000,,,,,,,,あ,,,,"},
       [](const Read& r) {
         EXPECT_EQ(r.row->num, 9000);
         EXPECT_EQ(r.row->jump, 0);
         const RowFields f = read_row(*r.row);
         EXPECT_FALSE(f.has_place || f.has_doll || f.has_face || f.has_speaker);
       }},
      {"NUM with a point after its first digit",
       "",
       {"9.050,,,,,,,,あ,,,,"},
       [](const Read& r) { EXPECT_EQ(r.row->num, 9050); }},
      {"NUM with a dash after its first digit",
       "",
       {"9-100,,,,,,,,あ,,,,"},
       [](const Read& r) { EXPECT_EQ(r.row->num, 9100); }},
      {"three-character NUM",
       "51.dat:@: warning: field 1 (num): \"999\" reads as NUM 9999; write NUMs with four digits",
       {"999,,,,,,,,あ,,,,"},
       [](const Read& r) { EXPECT_EQ(r.row->num, 9999); }},
      {"NUM that is no number",
       "51.dat:@: error: field 1 (num): \"90x0\" is not a scene number",
       {"90x0,,,,,,,,あ,,,,"},
       [](const Read& r) { EXPECT_TRUE(r.refused && !r.row); }},
      // (One below the demo's own NUMs makes its jumps miss too: data_tool_test.)
      {"NUM below the one before it",
       "51.dat:@+1: error: field 1 (num): NUM 5000 after NUM 9000: NUMs must ascend and the rows "
       "of one NUM stand together, or jumps miss them",
       {"9000,,,,,,,,あ,,,,", "5000,,,,,,,,あ,,,,"},
       [](const Read& r) {
         EXPECT_LT(find_num(r.t, 5000), 0) << "jumps miss it";
         EXPECT_GE(find_num(r.t, 990), 0);
       }},
      // Heading lines, quoted commas, blanks, empty fields, field counts.
      {"heading line among the rows",
       "",
       {"num,cmd,jump,place,doll,face,spare,speaker,text,value,spare,subst,note",
        "9000,,,,,,,,あ,,,,"},
       [](const Read& r) { EXPECT_EQ(r.row->text, "あ"); }},
      {"quoted text with commas",
       "",
       {"9000,,,,,,,2,\"はい、そう,です\",,,,"},
       [](const Read& r) { EXPECT_EQ(r.row->text, "はい、そう,です"); }},
      {"blanks around the fields",
       "",
       {"9000,\" p2 \",,,,,,\" 2 \",\" kou \",\" -3 \",,,"},
       [](const Read& r) {
         const RowFields f = read_row(*r.row);
         EXPECT_EQ(f.cmd, "p2");
         EXPECT_EQ(f.speaker, 2);
         EXPECT_EQ(counter_operand(r.row->line, f.value), -3);
       }},
      {"row of twelve fields",
       "51.dat:@: warning: 12 fields; a row has 13 (the last one, a note, may be empty)",
       {"9000,,,,,,,,あ,,,"},
       [](const Read& r) { EXPECT_EQ(r.row->text, "あ"); }},
      {"row of eleven fields",
       "51.dat:@: error: field 12 (subst): the row has 11 fields, 13 expected",
       {"9000,,,,,,,,あ,,"},
       [](const Read& r) { EXPECT_TRUE(r.refused && !r.row); }},
      // Numbers the interpreter reads.
      {"speaker 32767", "", {"9000,,,,,,,32767,あ,,,,"}, reads_row},
      {"speaker 32768",
       "51.dat:@: error: field 8 (speaker): 32768 is out of range (-32768 to 32767)",
       {"9000,,,,,,,32768,あ,,,,"},
       refuses_row},
      {"face that is no number",
       "51.dat:@: error: field 6 (face): \"0x\" is not a number",
       {"9000,,,,,x,,,あ,,,,"},
       refuses_row},
      {"place that is no number",
       "51.dat:@: error: field 4 (place): \"x3\" is not a number",
       {"9000,,,x3,,,,,あ,,,,"},
       refuses_row},
      {"p2 amount that is no number",
       "51.dat:@: error: field 10 (value): \"one\" is not a number",
       {"9000,p2,,,,,,,pap,one,,,"},
       [](const Read& r) { EXPECT_THROW(counter_operand(r.row->line, "one"), DataError); }},
      {"p2 amount 40000",
       "51.dat:@: error: field 10 (value): 40000 is out of range (-32768 to 32767)",
       {"9000,p2,,,,,,,kou,40000,,,"},
       [](const Read& r) { EXPECT_THROW(counter_operand(r.row->line, "40000"), DataError); }},
      // Commands, texts and scenes the game takes otherwise than they look.
      // A command the game does not know: the row runs as if it had none.
      {"unknown command",
       "51.dat:@: warning: unknown command \"x1\": the row does nothing",
       {"9000,x1,,,,,,,,,,,"},
       [](const Read& r) {
         EXPECT_EQ(command_info(read_row(*r.row).cmd).command, Command::Unknown);
       }},
      {"unknown command with a text",
       "51.dat:@: warning: unknown command \"W\": the game shows \"1500\" as a message",
       {"9000,W,,,,,,,1500,,,,"},
       [](const Read& r) { EXPECT_EQ(command_info(read_row(*r.row).cmd).shows, Shows::AsScene); }},
      {"unknown command with a sprite",
       "51.dat:@: warning: unknown command \"x\": the game does only the row's scene change",
       {"9000,x,,,11,,,,L,,,,"},
       reads_row},
      {"g with a letter for its digit",
       "51.dat:@: warning: unknown command \"go\": the row does nothing (did you mean \"g0\"?)",
       {"9000,go,9000,,,,,,,,,,"},
       [](const Read& r) { EXPECT_EQ(command_info(read_row(*r.row).cmd).shows, Shows::Nothing); }},
      {"p with another digit",
       "51.dat:@: error: field 2 (cmd): \"p3\" is not p2 or p8 (the game shows \"error(p?)\")",
       {"9000,p3,,,,,,,,,,,"},
       [](const Read& r) { EXPECT_STREQ(command_info(read_row(*r.row).cmd).dialog, "error(p?)"); }},
      {"command told by its first letter, written longer",
       "51.dat:@: warning: field 2 (cmd): \"wait\" is read as \"w\", which waits the "
       "milliseconds of its text: the game reads only its first letter",
       {"9000,wait,,,,,,,100,,,,"},
       [](const Read& r) { EXPECT_EQ(command_info(read_row(*r.row).cmd).command, Command::Wait); }},
      {"text longer than a page",
       "51.dat:@: warning: field 9 (text): 100 characters, more than one page of the window (4 "
       "lines of 23); the rest types on below the window",
       {"9000,,,,,,,3," + std::string(100, 'a') + ",,,,"},
       reads_row},
      // It loads; the game goes round in it (see the shutdown test).
      {"scene that goes round for ever counting and showing nothing",
       "51.dat:@+2: error: the story goes round from NUM 0995 to here for ever, showing nothing "
       "and waiting for nothing: the game cannot go on",
       {"0995,p2,,,,,,,kou,1,,,", "0995,p8,,,,,,,見出し,,,,", "0995,g0,0995,,,,,,,,,,"},
       [](const Read& r) { EXPECT_FALSE(r.refused); }},
      // Counter names.
      {"p2 on each counter",
       "",
       {"9000,p2,,,,,,,hap,1,,,", "9000,p2,,,,,,,rubber,1,,,"},
       [](const Read& r) {
         InterpState s;
         EXPECT_EQ(counter(s, read_row(*r.row).text, true), &s.hap);
         EXPECT_EQ(counter(s, "rubber", true), &s.rub);
       }},
      {"p2 on a name the game ignores",
       "51.dat:@: warning: field 9 (text): \"xyz\" names no counter (kou, pap, rub, hap): the row "
       "changes nothing",
       {"9000,p2,,,,,,,xyz,1,,,"},
       [](const Read& r) {
         InterpState s;
         EXPECT_EQ(counter(s, read_row(*r.row).text, true), nullptr);
       }},
      {"i1 on hap, which never jumps",
       "51.dat:@: warning: field 9 (text): \"hap\" names no counter i1 can test (kou, pap, rub): "
       "the row never jumps",
       {"9000,i1,0010,,,,,,hap,0,,,"},
       [](const Read& r) {
         InterpState s;
         EXPECT_EQ(counter(s, read_row(*r.row).text, false), nullptr);
       }},
      {"i1 to a NUM not in the script",
       "51.dat:@: error: field 3 (jump): NUM 0555 is not in the script",
       {"9000,i1,0555,,,,,,kou,0,,,"},
       [](const Read& r) { EXPECT_LT(find_num(r.t, 555), 0); }},
      // Line 6 of the system file.
      {"line 6 as the game writes it",
       "",
       {},
       [](const Read& r) {
         AssetState a;
         a.Sys_Lines = r.sys;
         read_line6(a);
         EXPECT_EQ(a.Keep_Flag, -1);
         EXPECT_EQ(a.CG_Seen, (std::array<int16_t, 5>{-1, 0, 0, 0, -1}));
       },
       {},
       "103450"},
      {"line 6 with other characters",
       "50.dat:6: warning: \"0x0??9\" is not a flag line as the game writes it: \"0\" or \"1\", "
       "then \"0\" (seen) or the digits 2..6 in their places",
       {},
       [](const Read& r) {
         AssetState a;
         a.Sys_Lines = r.sys;
         read_line6(a);
         EXPECT_EQ(a.CG_Seen, (std::array<int16_t, 5>{0, -1, 0, 0, 0}));
       },
       {},
       "0x0??9"},
      // Choice rows.
      {"choice menu of its own rows",
       "",
       {"9000,s,,,,,,,2,,,,"},
       [](const Read& r) {
         EXPECT_EQ(choice_count(read_row(*r.row).text), 2);
         EXPECT_EQ(r.t.SCT[r.t.SCT.size() - 1].label, "いいえ、まだ");
       },
       {"9000,はい,0010", "9000,\"いいえ、まだ\",0020"}},
      {"choice count reading into the next key",
       "51.dat:@: warning: field 9 (text): 3 choices, but 52.dat has 2 rows with key 9000: the "
       "menu reads on into the rows of key 9100",
       {"9000,s,,,,,,,3,,,,"},
       [](const Read& r) { EXPECT_EQ(choice_count(read_row(*r.row).text), 3); },
       {"9000,はい,0010", "9000,いいえ,0020", "9100,もう一度,0010"}},
      {"choice count that is no number",
       "51.dat:@: error: field 9 (text): a choice row's text is the number of choices, 1..3, not "
       "\"2x\"",
       {"9000,s,,,,,,,2x,,,,"},
       [](const Read& r) { EXPECT_EQ(choice_count(read_row(*r.row).text), 0); },
       {"9000,はい,0010"}},
      {"choice row without rows of its key",
       "51.dat:@: error: field 9 (text): 52.dat has no row with key 9000 (the game shows \"SCT not "
       "found.\")",
       {"9000,s,,,,,,,1,,,,"},
       [](const Read& r) {
         for (const ChoiceRow& c : r.t.SCT) EXPECT_NE(c.key, 9000);
       }},
      {"choice target not in the script",
       "52.dat:@: error: field 3 (target): NUM 0150 is not in 51.dat; picking it would go to row "
       "150",
       {"9000,s,,,,,,,1,,,,"},
       [](const Read& r) { EXPECT_FALSE(r.t.SCT.back().resolved); },
       {"9000,どこへ,0150"}},
  };
  return list;
}

class DataRules : public ::testing::TestWithParam<size_t> {
 protected:
  void TearDown() override {
    for (const char* d : {"case", "open", "packed"}) fs::remove_all(dir(d));
  }
  static std::string dir(const char* what) {
    return fs::temp_directory_path() / ("velmora-rules-" + std::to_string(getpid()) + "-" + what);
  }

  // The demo with the rule's rows added: pictures and tunes linked, the text
  // files written anew.
  static std::string make_case(const Rule& rule, int& first_line, int& choice_line) {
    const std::string demo = test::build_dir() + "/data";  // only read
    const std::string d = dir("case");
    fs::create_directories(d);
    for (const auto& e : fs::directory_iterator(demo))
      fs::create_symlink(e.path(), d / e.path().filename());
    auto text_of = [&](const char* file, bool inverted) {
      std::string b = read_bytes(join_path(demo, file));
      return cp932_to_utf8(inverted ? invert_bytes(b) : b);
    };
    std::string script = text_of("51.dat", true);
    const size_t end = script.rfind("9999,");
    first_line = static_cast<int>(std::count(script.begin(), script.begin() + end, '\n')) + 1;
    std::string added;
    for (const std::string& r : rule.rows) added += r + "\r\n";
    script.insert(end, added);
    // The heading case adds its first row one line further down.
    if (!rule.rows.empty() && rule.rows[0].rfind("num,", 0) == 0) ++first_line;
    std::string choices = text_of("52.dat", true);
    choice_line = static_cast<int>(std::count(choices.begin(), choices.end(), '\n')) + 1;
    for (const std::string& c : rule.choices) choices += c + "\r\n";
    std::string sys = text_of("50.dat", false);
    if (!rule.line6.empty()) sys.replace(sys.find("023456"), 6, rule.line6);
    auto put = [&](const char* file, const std::string& text, bool inverted) {
      fs::remove(join_path(d, file));
      const std::string cp = utf8_to_cp932(text);
      write_bytes(join_path(d, file), inverted ? invert_bytes(cp) : cp);
    };
    put("51.dat", script, true);
    put("52.dat", choices, true);
    put("50.dat", sys, false);
    return d;
  }
};

TEST_P(DataRules, GameCheckAndConvertersAgree) {
  const Rule& rule = rules()[GetParam()];
  SCOPED_TRACE(rule.name);
  int line = 0, choice_line = 0;
  const std::string d = make_case(rule, line, choice_line);

  // The game: start-up's readers, strict as the game is.
  Read read;
  const std::string script = invert_bytes(read_bytes(join_path(d, "51.dat")));
  const std::string choices = invert_bytes(read_bytes(join_path(d, "52.dat")));
  read.sys = read_system_lines(read_bytes(join_path(d, "50.dat")));
  try {
    load_tables(read.t, script, choices);
  } catch (const DataError&) {
    read.refused = true;
    LoadReport report;  // the rest of the tables, for the case to look at
    load_tables(read.t, script, choices, &report);
  }
  const bool malformed = rule.finding.find(": error: ") != std::string::npos;
  if (!malformed) EXPECT_FALSE(read.refused);
  for (const ScriptRow& r : read.t.Script_Table)
    if (r.line == line) read.row = r;
  rule.game(read);

  // The check: an error exactly for the malformed forms, a warning where the
  // game reads a legal form otherwise than it looks; one finding at most.
  DiskFiles disk;
  std::vector<std::string> found;
  for (const Finding& f : check_folder(disk, d)) found.push_back(f.line);
  std::string want = rule.finding;
  if (const size_t at = want.find('@'); at != std::string::npos) {
    const bool later = want[at + 1] == '+';
    const int n =
        (want.rfind("52.dat", 0) == 0 ? choice_line : line) + (later ? want[at + 2] - '0' : 0);
    want.replace(at, later ? 3 : 1, std::to_string(n));
  }
  EXPECT_EQ(found, want.empty() ? std::vector<std::string>{} : std::vector<std::string>{want});

  // The converters take every form and give it back byte for byte.
  unpack_folder(disk, d, dir("open"));
  pack_folder(disk, dir("open"), dir("packed"));
  for (const char* f : {"50.dat", "51.dat", "52.dat"})
    EXPECT_TRUE(read_bytes(join_path(d, f)) == read_bytes(join_path(dir("packed"), f))) << f;
}

// Each case named after its rule: "NUM with a dash after its first digit"
// runs as NUMWithADashAfterItsFirstDigit.
std::string rule_name(const ::testing::TestParamInfo<size_t>& info) {
  std::string out;
  bool up = true;
  for (const char c : std::string(rules()[info.param].name)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) {
      up = true;
      continue;
    }
    out += up ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    up = false;
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(EachRule, DataRules, ::testing::Range<size_t>(0, rules().size()),
                         rule_name);

}  // namespace
}  // namespace vm::datatool
