// An author's own game: its game.ini names the game, its cast, the rename
// dialog, the closing lines and the credits, and the game shows, draws and
// speaks those words where the engine's own would stand. The check names
// every line of the file the game cannot read.
#include "assets/game_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "app/session.h"
#include "authoring/check.h"
#include "ending/ending.h"
#include "message/history.h"
#include "message/message.h"
#include "platform/common/disk_files.h"
#include "platform/common/pango_text.h"
#include "script/input.h"

namespace vm {
namespace {

using test::events;
using test::read_bytes;
using test::TempDir;
using test::write_bytes;

// Eight speakers beyond the engine's six, one of them the renamable girl,
// their own rename dialog, closing lines and credits.
constexpr const char* kWords =
    "# 潮騒の鐘\n"
    "[game]\n"
    "title=潮騒の鐘\n"
    "version=Ver. 0.9\n"
    "notice=(C) 2026 Shiosai\\nご感想をお待ちしています。\n"
    "mail=bell@shiosai.example.org\n"
    "home=https://shiosai.example.org/\n"
    "\n"
    "[cast]\n"
    "7=【カイ】\n"
    "8=【ナギ】\n"
    "8.colour=#204080\n"
    "9=【&2】\n"
    "9.colour=#803040\n"
    "10=【灯台守】\n"
    "11=【漁師】\n"
    "12=【少女】\n"
    "13=【カイ（回想）】\n"
    "13.colour=#406020\n"
    "14=【ナギ（回想）】\n"
    "[rename]\n"
    "title=名前の入力\n"
    "prompt=この子の名前は？\\n姓と名をスペースで区切ってください。\n"
    "preset=&1 &2\n"
    "[ending]\n"
    "true=鐘が鳴った。|ふたりの夏は続く。|ありがとう！\n"
    "true.colour=#FFE080\n"
    "other=鐘は鳴らなかった。|また来年の夏に。|もう一度どうぞ。\n"
    "[credits]\n"
    "row.2=Story|Writing|Shiosai\n"
    "row.6=Thanks|Everyone who played\n";

// The demo's story spoken by the new cast: every speaker code c of the
// demo's rows becomes c + 6, and on every other row c + 8 for the two boys,
// so that codes 7 to 14 all speak.
std::string recast(const std::string& script) {
  std::string out;
  size_t start = 0;
  int row = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(start, end - start);
    size_t field = 0, at = 0;
    while (field < 7 && at != std::string::npos) {
      at = line.find(',', at);
      if (at != std::string::npos) ++at;
      ++field;
    }
    if (row++ > 0 && at != std::string::npos && at < line.size() && line[at] >= '1' &&
        line[at] <= '6' && line[at + 1] == ',') {
      int code = line[at] - '0' + 6;
      if (code <= 8 && row % 2 == 0) code += 6;
      line = line.substr(0, at) + std::to_string(code) + line.substr(at + 1);
    }
    out += line + "\n";
    start = end + 1;
  }
  return out;
}

void copy_demo_to(const std::string& dir) {
  std::filesystem::copy(test::build_dir() + "/data", dir, std::filesystem::copy_options::recursive);
}

class GameWordsRun : public ::testing::Test {
 protected:
  TempDir tmp;
  std::string data = tmp / "data";

  void SetUp() override {
    DiskFiles files;
    copy_demo_to(tmp / "demo");
    datatool::unpack_folder(files, tmp / "demo", tmp / "edit");
    write_bytes(tmp / "edit/script.csv", recast(read_bytes(tmp / "edit/script.csv")));
    write_bytes(tmp / "edit/game.ini", kWords);
    datatool::pack_folder(files, tmp / "edit", data);
  }

  // One play from the title to the end button by the keyboard, taking
  // the first choice's item `first` and the first item of every later one
  // (the hill leads to the true ending, the beach to the farewell),
  // renaming the girl on the way.
  void play(test::Session& s, int first) {
    s.hl.player_settings.self_voicing = true;
    s.hl.answer(0, "渚 みお");
    s.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(0));
    choices = 0;
    step = [&s, first, this] {
      Game& g = s.g;
      const uint32_t t = s.hl.now();
      if (g.ending.running) return;
      if (g.choice.shown > 0 && g.choice.Sel_Choice < 0) {
        s.hl.key(t, choices++ == 0 ? '0' + first : '1');
        s.hl.key(t + 200, kKeyReturn);
      } else {
        s.hl.key(t, kKeyReturn);
      }
      s.hl.at(t + 1500, step);
    };
    s.hl.at(test::kMenuReadyMs + 1500, step);
    s.hl.log().echo = [&](const LoggedEvent& e) {
      if (e.event.kind == LogKind::EndButton) s.quit(s.hl.now() + 500);
    };
    s.hl.close(600000);
    s.run(data);
    s.hl.log().echo = nullptr;
  }
  std::function<void()> step;
  int choices = 0;
};

TEST_F(GameWordsRun, TheGameShowsAndSpeaksItsOwnWordsToBothEndings) {
  std::set<int> haps;
  for (const int first : {1, 2}) {
    test::Session s;
    play(s, first);
    Game& g = s.g;
    ASSERT_TRUE(g.ending.running) << "the story reached its ending";
    haps.insert(g.interp.hap);

    // The caption names the game, while it loads and after.
    EXPECT_EQ(events(s.hl, LogKind::Caption)
                  .where(&LogEvent::caption, "潮騒の鐘 - loading now...")
                  .count(),
              1);
    EXPECT_EQ(s.hl.caption(), "潮騒の鐘");

    // The rename dialog asks in the game's words, with the names filled in.
    const auto boxes = events(s.hl, LogKind::InputBox);
    ASSERT_EQ(boxes.count(), 1);
    const LogEvent& box = boxes.event(0);
    EXPECT_EQ(box.caption, "名前の入力");
    EXPECT_EQ(box.text, "この子の名前は？\n姓と名をスペースで区切ってください。");
    EXPECT_EQ(box.preset, "春野 ひより");
    EXPECT_EQ(g.msg.Name_Table[2], "みお");

    // Every label the history holds is one of the game's cast, the girl's
    // with her new name once she has it; each is read aloud by its name.
    std::set<std::string> labels;
    for (const HistoryEntry& h : g.history.entries) labels.insert(h.speaker);
    for (const char* want :
         {"【カイ】", "【ナギ】", "【みお】", "【カイ（回想）】", "【ナギ（回想）】"})
      EXPECT_TRUE(labels.count(want)) << want;
    for (const std::string& l : labels)
      EXPECT_TRUE(l.empty() || l == "【ひより】" ||
                  std::string(kWords).find("=" + l) != std::string::npos || l == "【みお】")
          << l;
    EXPECT_GT(events(s.hl, LogKind::Speak).where(&LogEvent::text, test::Part{"カイ、"}).count(), 0);
    EXPECT_GT(events(s.hl, LogKind::Speak).where(&LogEvent::text, test::Part{"みお、"}).count(), 0);
    EXPECT_EQ(events(s.hl, LogKind::Speak).where(&LogEvent::text, test::Part{"ソラノ、"}).count(),
              0);

    // The closing lines are the game's and are read whole; the credits'
    // rows given replace the engine's, the first card names the game.
    const bool true_end = g.interp.hap == 1;
    const std::string said = true_end ? "鐘が鳴った。 ふたりの夏は続く。 ありがとう！"
                                      : "鐘は鳴らなかった。 また来年の夏に。 もう一度どうぞ。";
    EXPECT_EQ(events(s.hl, LogKind::Speak).where(&LogEvent::text, said).count(), 1);
    const auto& t = g.ending.Staff_Table;
    EXPECT_EQ(t[0][1], "潮騒の鐘");
    EXPECT_EQ(t[2][0], "Story");
    EXPECT_EQ(t[2][2], "Shiosai");
    EXPECT_EQ(t[6][1], "Everyone who played");
    EXPECT_EQ(t[6][2], "");
    EXPECT_EQ(t[3][2], "Aoi") << "a row not given keeps the engine's";
    EXPECT_EQ(closing_colour(g.ending, g.interp.hap), true_end ? 0xFFE080u : kEndColourOther);
  }
  EXPECT_EQ(haps, (std::set<int>{0, 1})) << "both endings played";
}

// The message boxes are titled with the game's name where game.ini gives
// one, from the first of them on, and with the engine's without.
TEST_F(GameWordsRun, MessageBoxesCarryTheGamesNameOrTheEngines) {
  for (const auto& [dir, name] :
       {std::pair{data, "潮騒の鐘"}, std::pair{tmp / "demo", "Velmora"}}) {
    test::Session s;
    s.quit(test::kMenuReadyMs + 100);
    s.run(dir);
    EXPECT_EQ(s.exit_code, 0);
    const auto asked = events(s.hl, LogKind::Dialog).where(&LogEvent::text, "終了しますか？");
    ASSERT_EQ(asked.count(), 1) << dir;
    EXPECT_EQ(asked.event(0).caption, name);
    EXPECT_EQ(s.hl.app_name(), name);
  }
  // A second copy started on the same game is refused in the game's name.
  Headless first, second;
  first.at(test::kMenuReadyMs, [&] {
    second.close(600000);
    EXPECT_EQ(run_game(second.platform(), data), 1);
  });
  first.close(test::kMenuReadyMs + 100);
  EXPECT_EQ(run_game(first.platform(), data), 0);
  const auto refused =
      events(second, LogKind::Dialog).where(&LogEvent::text, "既に起動しています。");
  ASSERT_EQ(refused.count(), 1);
  EXPECT_EQ(refused.event(0).caption, "潮騒の鐘");
  std::filesystem::remove(data + "/11.dat");
  test::Session broken;
  broken.run(data);
  EXPECT_EQ(broken.exit_code, 1);
  const auto said = events(broken.hl, LogKind::Dialog)
                        .where(&LogEvent::text, test::Part{"フォルダの内容が不正です"});
  ASSERT_EQ(said.count(), 1);
  EXPECT_EQ(said.event(0).caption, "潮騒の鐘");
}

TEST(GameWords, SpeakersTakeTheCastsLabelsAndColours) {
  MessageState m;
  m.Name_Table = {"", "春野", "ひより", "ソラノ", "ミツ", "潮見町"};
  EXPECT_EQ(speaker_label(m, 1), "【ソラノ】") << "no words: the engine's six";
  EXPECT_EQ(speaker_label(m, 7), "");
  EXPECT_EQ(speaker_colour(m, 7), kNarrationColour);
  m.words = std::make_shared<const GameWords>(read_game_words(kWords).words);
  EXPECT_EQ(speaker_label(m, 9), "【ひより】");
  EXPECT_EQ(speaker_colour(m, 9), 0x803040u);
  EXPECT_EQ(speaker_colour(m, 7), 0x000000u) << "a cast member without a colour speaks in black";
  EXPECT_EQ(speaker_label(m, 2), "【ミツ】") << "a code the cast leaves out keeps the engine's";
  EXPECT_EQ(speaker_label(m, 15), "");
}

// Each line the game cannot read, as the check reports it; the game plays
// on with its own words there.
TEST(GameWords, TheCheckNamesEveryLineTheGameCannotRead) {
  TempDir tmp;
  copy_demo_to(tmp / "data");
  write_bytes(tmp / "data/game.ini",
              "[game]\n"             // 1
              "titel=潮騒の鐘\n"     // 2 a key [game] does not have
              "[cast]\n"             // 3
              "0=【誰か】\n"         // 4 code out of range
              "100=【誰か】\n"       // 5
              "7.color=#000000\n"    // 6 a misspelt field
              "7.colour=#12345\n"    // 7 a short colour
              "8=【&6】\n"           // 8 no such name
              "[ending]\n"           // 9
              "true=一行だけ\n"      // 10 not three lines
              "other.colour=red\n"   // 11
              "[credits]\n"          // 12
              "row.11=A|B\n"         // 13 past the last row
              "row.1=a|b|c|d|e|f\n"  // 14 six cells
              "[story]\n"            // 15 unknown section
              "just words\n"         // 16 not KEY=VALUE
              "[rename]\n"           // 17
              "prompt=a\\qb\n");     // 18 unknown escape
  DiskFiles files;
  std::vector<int> lines;
  for (const datatool::Finding& f : datatool::check_folder(files, tmp / "data")) {
    if (f.line.rfind("game.ini:", 0) != 0) continue;
    EXPECT_TRUE(f.error) << f.line;
    EXPECT_NE(f.line.find(": error: "), std::string::npos) << f.line;
    lines.push_back(std::stoi(f.line.substr(9)));
  }
  EXPECT_EQ(lines, (std::vector<int>{2, 4, 5, 6, 7, 8, 10, 11, 13, 14, 15, 16, 18}));

  const WordsReading r =
      read_game_words("[ending]\ntrue=|なし|\n[game]\ntitle=x\nsummary=A short story\n");
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.words.title, "x");
  EXPECT_EQ(r.words.summary, "A short story");
}

// Two slips a text editor makes easy: the file saved in the code page the
// rest of a Japanese game uses, and a speaker given twice.
TEST(GameWords, ALineInShiftJisIsRefusedAndAKeyGivenAgainTakesTheLaterLine) {
  const WordsReading r = read_game_words(
      "[cast]\n"
      "7=\x81\x79\x83\x69\x83\x7E\x81\x7A\n"  // 【ナミ】 in Shift_JIS
      "8=【ナミ】\n"
      "08=【波】\n"
      "[credits]\n"
      "row.2=a|b|c\n"
      "[cast]\n"
      "8=【渚】\n"
      "[game]\n"
      "notice=一\\n二\\n三\\n四\n");  // 10: more than the About box holds
  ASSERT_EQ(r.problems.size(), 4u);
  EXPECT_EQ(r.problems[0].line, 2);
  EXPECT_FALSE(r.problems[0].taken);
  EXPECT_NE(words_problem_reason(r.problems[0]).find("not UTF-8"), std::string::npos);
  EXPECT_FALSE(r.words.cast.count(7));
  EXPECT_EQ(r.problems[1].line, 4);
  EXPECT_EQ(words_problem_reason(r.problems[1]),
            "key 08 in [cast] was given on line 3 already; the game takes this line's");
  EXPECT_EQ(r.problems[2].line, 8);
  EXPECT_TRUE(r.problems[2].taken);
  EXPECT_EQ(r.words.cast.at(8).label, "【渚】");
  EXPECT_EQ(r.problems[3].line, 10);
  EXPECT_TRUE(r.problems[3].taken);
  EXPECT_EQ(r.words.notice, "一\n二\n三\n四");

  TempDir tmp;
  copy_demo_to(tmp / "data");
  write_bytes(tmp / "data/game.ini", "[cast]\n7=【波】\n7=【渚】\n");
  DiskFiles files;
  const std::vector<datatool::Finding> found = datatool::check_folder(files, tmp / "data");
  const auto given = std::find_if(found.begin(), found.end(), [](const datatool::Finding& f) {
    return f.line.rfind("game.ini:3: warning: ", 0) == 0;
  });
  ASSERT_NE(given, found.end());
  EXPECT_FALSE(given->error);
}

// What the game would cut or draw as a box is said before a player sees it:
// the widths are the game's own text drawing's, the rooms the window's and
// the cards'.
TEST(GameWords, TheCheckMeasuresTheWordsAsTheGameDrawsThem) {
  TempDir tmp;
  copy_demo_to(tmp / "data");
  write_bytes(tmp / "data/game.ini",
              "[cast]\n"
              "7=【とても長い名前のキャラクターさんですよ本当に長い】\n"  // 2: 26 letters
              "8=【灯台守のおじいさんの孫の友だちの犬さん】\n"  // 3: fits, not in large text
              "9=【ナミ\xF0\x9F\x8C\x8A】\n"                    // 4: an emoji
              "10=【ナミ】\n"
              "[credits]\n"
              "row.2=Story|Writing|Alexandrina\n"  // 7: a name past 65 pixels
              "row.3=Pictures|Drawing|Kai\n");
  DiskFiles files;
  PangoText text;
  std::vector<std::string> said;
  for (const datatool::Finding& f : datatool::check_folder(files, tmp / "data", &text))
    if (f.line.rfind("game.ini:", 0) == 0) {
      EXPECT_FALSE(f.error) << f.line;
      said.push_back(f.line);
    }
  ASSERT_EQ(said.size(), 4u) << testing::PrintToString(said);
  EXPECT_EQ(said[0].rfind("game.ini:2: warning: key 7: the label", 0), 0u) << said[0];
  EXPECT_NE(said[0].find("a line of the message window shows 414"), std::string::npos);
  EXPECT_NE(said[1].find("in large text; a line of the message window shows 399"),
            std::string::npos)
      << said[1];
  EXPECT_EQ(said[2].rfind("game.ini:4: warning: key 9:", 0), 0u) << said[2];
  EXPECT_NE(said[2].find("1 letter no font"), std::string::npos);
  EXPECT_EQ(said[3].rfind("game.ini:7: warning: key row.2: \"Alexandrina\"", 0), 0u) << said[3];
  EXPECT_NE(said[3].find("shows the first 65 of it"), std::string::npos);
  // Without the text service nothing is measured.
  for (const datatool::Finding& f : datatool::check_folder(files, tmp / "data"))
    EXPECT_NE(f.line.rfind("game.ini:", 0), 0u) << f.line;
}

TEST(GameWords, AFolderWithoutTheFileKeepsEveryEngineWord) {
  const WordsReading r = read_game_words("");
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(game_title(r.words), "Velmora");
  EndingState e;
  e.words = std::make_shared<const GameWords>(r.words);
  fill_staff_table(e);
  EndingState plain;
  fill_staff_table(plain);
  EXPECT_EQ(e.Staff_Table, plain.Staff_Table);
  EXPECT_EQ(closing_line(e, 1, 0), end_message(1, 0));
}

}  // namespace
}  // namespace vm
