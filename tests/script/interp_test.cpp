// The script as the interpreter plays it: the tables read from the script
// and choice files, the scene lookups, the rows run, and the message history
// they fill.
#include "script/interp.h"

#include <gtest/gtest.h>

#include "assets/cp932.h"
#include "graphics/scene_fixture.h"
#include "message/history.h"
#include "platform/errors.h"
#include "script/commands.h"
#include "script/tables.h"

namespace vm {
namespace {

using test::count;
using test::events;

using test::Row;
using test::script_rows;
// The messages shown: who spoke (the speaker's number) and what.
using Said = std::vector<std::pair<std::string, std::string>>;

class Interp : public ::testing::Test, protected test::ScreenRig {
 protected:
  Interp() : ScreenRig(true) {}
  void load(const std::vector<Row>& rows) {
    load_tables(g.tables, utf8_to_cp932(script_rows(rows)), "");
    g.input.Text_Mode = 0;  // no click waits: messages run straight through
  }
};

// One scene of most rows: counters added to and tested (an i1 on hap never
// jumps, a p2 on "hapx" adds to hap, other names to nothing), the place
// already shown (no change, so its message shows), a clear, sound and g1
// rows that show nothing, unknown sub-codes named, the caption, and a jump
// to the last row, the end marker, which then runs and stops the story.
TEST_F(Interp, ACounterPlaceCaptionAndJumpScene) {
  g.interp.Place_No = 3;
  load({{"0010", "p2", "", "", "", "", "", "kou", "-3"},
        {"0010", "i1", "0040", "", "", "", "", "kou", "0"},
        {"0020", "p2", "", "", "", "", "", "kou", "3"},
        {"0020", "i1", "0040", "", "", "", "", "kou", "0"},
        {"0030", "", "", "", "", "", "", "not reached"},
        {"0040", "i1", "0030", "", "", "", "", "hap", "0"},
        {"0040", "p2", "", "", "", "", "", "hapx", "7"},
        {"0040", "p2", "", "", "", "", "", "xyz", "7"},
        {"0040", "", "", "3", "", "", "", "same place shows text"},
        {"0040", "r", "", "", "", "", "1", "cleared"},
        {"0040", "a0", "", "", "", "", "", "a sound row shows nothing"},
        {"0040", "g1", "", "", "", "", "", "nor does g1"},
        {"0040", "p3"},
        {"0040", "i2"},
        {"0040", "p8", "", "", "", "", "", "第一章"},
        {"0040", "g0", "0090"},
        {"0050", "", "", "", "", "", "", "skipped"},
        {"0090", "p2", "", "", "", "", "", "rub", "5"}});
  run_script(g.story());
  EXPECT_EQ(std::tie(g.interp.kou, g.interp.hap, g.interp.rub, g.interp.Script_Pos),
            std::make_tuple(0, 7, 5, 18));
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, "error(p?)").count(), 1);
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, "error(i?)").count(), 1);
  EXPECT_EQ(g.interp.Save_Title, "第一章");
  EXPECT_EQ(g.interp.Place_No, 3);
  EXPECT_EQ(events(hl).of(LogKind::Text).messages(),
            (Said{{"0", "same place shows text"}, {"1", "cleared"}}));
}

// Letters the game does not know run the row as if it had no command, so its
// text is shown when no scene change took it; a g with any other letters
// does nothing at all. A place field naming the background on the screen
// changes nothing, and its transition code is the message. The command
// table says the same of every row played here.
TEST_F(Interp, UnknownCommandsAndTheSamePlaceShowTheirTextAsTheTableSays) {
  g.interp.Place_No = 3;
  const std::vector<Row> rows = {
      {"0010", "W", "", "", "", "", "", "1500"},
      {"0010", "go", "0010", "", "", "", "", "go のテキスト"},
      {"0010", "g1", "", "", "", "", "", "g1 のテキスト"},
      {"0010", "", "", "3", "", "", "", "MS"},
      {"0010", "Z", "", "3", "", "", "2", "DI"},
      {"0010", "x", "", "", "", "", "", ""},
      {"0010", "w", "", "", "", "", "", "10"},
      {"0010", "r", "", "", "", "", "1", "消した"},
      {"0010", "p8", "", "", "", "", "", "見出し"},
      {"9999"},
  };
  load(rows);
  run_script(g.story());
  EXPECT_EQ(events(hl).of(LogKind::Text).messages(),
            (Said{{"0", "1500"}, {"0", "MS"}, {"2", "DI"}, {"1", "消した"}}));
  EXPECT_EQ(g.interp.Place_No, 3);
  EXPECT_EQ(count(hl, LogKind::Dialog), 0);

  const std::pair<const char*, Shows> table[] = {
      {"W", Shows::AsScene}, {"go", Shows::Nothing}, {"g1", Shows::Nothing}, {"", Shows::AsScene},
      {"Z", Shows::AsScene}, {"w", Shows::Nothing},  {"r", Shows::Message},  {"p8", Shows::Nothing},
  };
  for (const auto& [cmd, shows] : table) {
    EXPECT_EQ(command_info(cmd).shows, shows) << cmd;
    EXPECT_EQ(command_info(cmd).known,
              std::string(cmd) != "W" && std::string(cmd) != "go" && std::string(cmd) != "Z")
        << cmd;
  }
  // Step results: as the scene left it, the command's own, a jump.
  g.interp.Script_Pos = 0;
  EXPECT_EQ(script_step(g.story()), kShowMessage);
  g.interp.Script_Pos = 1;
  EXPECT_EQ(script_step(g.story()), kNothingToShow);
  EXPECT_EQ(command_result(command_info("g0"), false, kShowMessage), kPositionSet);
  EXPECT_EQ(command_result(command_info("i1"), false, kShowMessage), kNothingToShow);
  EXPECT_EQ(command_result(command_info("i1"), true, kShowMessage), kPositionSet);
  EXPECT_EQ(command_result(command_info("?"), false, kNothingToShow), kNothingToShow);
}

// Hooks that stop the story: at the n-th message standing whole, or at the
// n-th row about to be played.
class StoppingHooks : public StoryHooks {
 public:
  int stop_at_message = 0, give_up_at_row = 0;
  int messages = 0, rows = 0;
  void choose() override {}
  [[noreturn]] void ending() override { throw ShutdownRequest{}; }
  bool story_held() override { return false; }
  void text_mode_changed(int16_t) override {}
  void window_hidden_changed(bool) override {}
  void auto_changed(bool) override {}
  ReplayVerdict row_starting() override {
    return ++rows == give_up_at_row ? ReplayVerdict::GaveUp : ReplayVerdict::GoOn;
  }
  ReplayVerdict message_finished() override {
    return ++messages == stop_at_message ? ReplayVerdict::Reached : ReplayVerdict::GoOn;
  }
};

// The loop stops where its hooks say, as it stands: at a message standing
// whole, before its page is checked and its row passed; at a row, before it
// is played (a scene that jumps to itself, given up on).
TEST_F(Interp, TheLoopStopsWhereItsHooksSayWithoutMovingOn) {
  StoppingHooks hooks;
  Story st = g.story();
  const Story stopping{st.window,  st.clock,  st.dialogs, st.pictures, st.text,     st.music,
                       st.effects, st.volume, st.log,     st.forms,    st.settings, st.speech,
                       st.interp,  st.tables, st.input,   st.msg,      st.screen,   st.scene,
                       st.sound,   st.assets, st.history, st.density,  hooks};
  load({{"0010", "", "", "", "", "", "", "one"},
        {"0010", "", "", "", "", "", "", "two"},
        {"0010", "", "", "", "", "", "", "three"}});
  hooks.stop_at_message = 2;
  EXPECT_EQ(run_rows(stopping), ReplayVerdict::Reached);
  EXPECT_EQ(g.interp.Script_Pos, 1);
  EXPECT_EQ(g.interp.Cur_Text, "two");
  EXPECT_EQ(g.history.messages, 2);
  EXPECT_EQ(count(hl, LogKind::Text), 2);

  load({{"0010", "g0", "0010"}, {"0020", "", "", "", "", "", "", "after"}, {"0030"}});
  g.interp.Script_Pos = 0;
  hooks.give_up_at_row = hooks.rows + 5000;  // past the rows that let events run
  EXPECT_EQ(run_rows(stopping), ReplayVerdict::GaveUp);
  EXPECT_EQ(g.interp.Script_Pos, 0);
  EXPECT_EQ(count(hl, LogKind::Text), 2);

  hooks.give_up_at_row = 0;
  g.interp.Script_Pos = 1;
  EXPECT_EQ(run_rows(stopping), ReplayVerdict::GoOn);  // the end marker
  EXPECT_EQ(g.interp.Cur_Text, "after");
  EXPECT_EQ(count(hl, LogKind::Text), 3);
}

TEST_F(Interp, TimedWaitUsesTheVirtualClock) {
  load({{"0010", "w"},
        {"0010", "w", "", "", "", "", "", "0"},
        {"0010", "w", "", "", "", "", "", "120"},
        {"0010", "w", "", "", "", "", "", "-200"},
        {"9999"}});
  // More than 1000 ms with no value, in 50 ms steps; "0" still sleeps once;
  // a negative wait is no wait.
  const std::pair<int, uint32_t> steps[] = {{0, 1050}, {1, 1100}, {2, 1250}, {3, 1250}};
  for (const auto& [pos, at] : steps) {
    g.interp.Script_Pos = pos;
    EXPECT_EQ(script_step(g.story()), kNothingToShow);
    EXPECT_EQ(hl.now(), at) << pos;
  }
}

TEST_F(Interp, NameSubstitutionAndANameIsNeverReadAsScript) {
  g.msg.Name_Table[1] = "春野";
  g.msg.Name_Table[2] = "ひより";
  load({{"0010", "", "", "", "", "", "3", "&1は&2", "", "1"},
        {"0010", "", "", "", "", "", "", "&1は&2"},
        {"9999"}});
  run_script(g.story());
  EXPECT_EQ(events(hl).of(LogKind::Text).messages(),
            (Said{{"3", "春野はひより"}, {"0", "&1は&2"}}));
  // Names typed by the player may hold "&": they are shown as typed, once,
  // and never searched for markers again (which used to loop for ever).
  g.msg.Name_Table[1] = "&1";
  g.msg.Name_Table[2] = "&x";
  load({{"0010", "", "", "", "", "", "3", "&1と&2", "", "1"}, {"9999"}});
  g.interp.Script_Pos = 0;
  run_script(g.story());
  EXPECT_EQ(events(hl).of(LogKind::Text).messages().back(), Said::value_type("3", "&1と&x"));
  EXPECT_EQ(count(hl, LogKind::Text), 3);
}

// A malformed field stops the story with its row named; a missing jump
// target is reported once, then the game ends.
TEST_F(Interp, MalformedFieldsAndMissingJumpTargetsStopTheStory) {
  load({{"0010", "p2", "", "", "", "", "", "kou", "abc"}, {"9999"}});
  try {
    run_script(g.story());
    FAIL();
  } catch (const DataError& e) {
    EXPECT_EQ(e.line, 1);
    EXPECT_EQ(e.field, "10 (value)");
  }
  load({{"0010", "g0", "0050"}, {"9999"}});
  g.interp.Script_Pos = 0;
  EXPECT_THROW(run_script(g.story()), ShutdownRequest);
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, "Not found NUM to SEQ").count(), 1);
}

// --------------------------------------------------------------- tables ---

// A script row with the given NUM, command, jump and text; other fields empty.
std::string row(const std::string& num, const std::string& cmd = "", const std::string& jump = "",
                const std::string& text = "") {
  return script_rows({{num, cmd, jump, "", "", "", "", text}});
}

// A NUM is its first character and its last three: a shorter field reads
// its first character, then all of itself (longer forms: data_rules_test).
TEST(NumField, ShortFieldsReadTheirFirstCharacterThenTheRest) {
  int16_t v = -1;
  ASSERT_TRUE(decode_num("12", v));
  EXPECT_EQ(v, 112);
  ASSERT_TRUE(decode_num("5", v));
  EXPECT_EQ(v, 55);
  EXPECT_FALSE(decode_num("", v));
  EXPECT_FALSE(decode_num("4x", v));
}

TEST(LoadTables, QuotedFieldsHeadingLinesAndIndexRuns) {
  // Quoted fields keep their commas; lines are numbered as in the file.
  auto lines = parse_csv("a,\"b,c\",d\r\n\r\n1, 2 ,3\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].fields, (std::vector<std::string>{"a", "b,c", "d"}));
  EXPECT_EQ(lines[1].line, 3);
  EXPECT_EQ(lines[1].fields, (std::vector<std::string>{"1", "2", "3"}));
  ScriptTables t;
  std::string s = "num,cmd,jump,place,doll,face,x,speaker,text,value,x,subst,x\r\n" + row("0010") +
                  row("0010") + "NUM,,,,,,,,,,,,\r\n" + row("0020") + row("0020") +
                  "num,,,,,,,,,,,,\r\n" + row("0010", "g0", "0020");
  // "NUM" is not a heading: the row fails as a scene number.
  EXPECT_THROW(load_tables(t, s, ""), DataError);

  // Text comes in the game's code page, half-width kana included.
  s = "num,cmd,jump,place,doll,face,x,speaker,text,value,x,subst,x\r\n" +
      row("0010", "", "", utf8_to_cp932("ｱｲｳ「こんにちは」")) + row("0010") + row("0020") +
      row("0020") + "num,,,,,,,,,,,,\r\n" + row("0010", "g0", "0020");
  load_tables(t, s, utf8_to_cp932("0010,\"はい、そうです\",0020\r\n0010,いいえ,0777\r\n"));
  EXPECT_EQ(t.Script_Last, 4);
  EXPECT_EQ(t.Scene_Count, 3);
  std::vector<std::pair<int, int>> runs;  // NUM and first SEQ
  for (const auto& s : t.Scene_Index) runs.emplace_back(s.key, s.seq);
  EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{10, 0}, {20, 2}, {10, 4}}));
  EXPECT_EQ(t.Script_Table[0].text, "ｱｲｳ「こんにちは」");
  EXPECT_EQ(t.Script_Table[0].jump, 0);
  EXPECT_EQ(t.Script_Table[4].jump, 20);
  ASSERT_EQ(t.Sel_Last, 1);
  EXPECT_EQ(t.SCT[0].label, "はい、そうです");
  EXPECT_EQ(t.SCT[0].target, 2);    // resolved to the SEQ
  EXPECT_EQ(t.SCT[1].target, 777);  // unknown NUM kept as written
}

// Malformed rows, named by file, line and field: data_rules_test.
// A long story: thousands of scenes and choice rows load whole, each row
// reading back its own texts, a row of more text than most included.
TEST(LoadTables, LongStoriesLoadWholeAndEachRowKeepsItsTexts) {
  ScriptTables t;
  std::string many;
  const std::string long_text(70000, 'x');
  for (int i = 0; i < 12000; ++i) {
    char num[16];
    std::snprintf(num, sizeof num, "%04d", i / 2);
    many += row(num, "", "", i == 777 ? long_text : utf8_to_cp932("行" + std::to_string(i)));
  }
  std::string choices;
  for (int i = 0; i < 300; ++i) choices += "0010,x" + std::to_string(i) + ",5990\r\n";
  load_tables(t, many, choices);
  ASSERT_EQ(t.Script_Last, 11999);
  ASSERT_EQ(t.Scene_Count, 6000);
  ASSERT_EQ(t.Sel_Last, 299);
  EXPECT_EQ(find_num(t, 5999), 11998);
  EXPECT_EQ(t.SCT[299].label, "x299");
  EXPECT_EQ(t.SCT[299].target, 11980);  // resolved to the SEQ
  for (int i : {0, 776, 778, 9999, 11999})
    EXPECT_EQ(t.Script_Table[static_cast<size_t>(i)].text, "行" + std::to_string(i)) << i;
  EXPECT_EQ(t.Script_Table[777].text, long_text);
  EXPECT_EQ(t.Script_Table[777].num, 388);
  EXPECT_EQ(t.Script_Table[11999].line, 12000);

  // A row changed in place (the author's reload) keeps its neighbours.
  t.Script_Table.replace(776, t.Script_Table[777]);
  EXPECT_EQ(t.Script_Table[776].text, long_text);
  EXPECT_EQ(t.Script_Table[778].text, "行778");
}

// Past its bound a table is refused as the game stops on it, naming the row.
TEST(LoadTables, MoreSceneRunsThanTheIndexHoldsAreRefused) {
  ScriptTables t;
  std::string many;
  for (int i = 0; i <= kMaxSceneEntries; ++i) many += row(i % 2 ? "0020" : "0010");
  try {
    load_tables(t, many, "");
    ADD_FAILURE() << "loaded";
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find("more than 100000 scene runs"), std::string::npos)
        << e.what();
  }
}

TEST_F(Interp, BinarySearchFindsEveryKeyAndChoiceRowsAndRefusesOthers) {
  std::string rows;
  for (const char* n : {"0010", "0020", "0030", "0040", "0050", "0060"}) rows += row(n);
  load_tables(g.tables, rows, "0030,a,0050\r\n0030,b,0060\r\n");
  for (int i = 0; i < 6; ++i) {
    g.interp.Script_Pos = -5;
    EXPECT_TRUE(jump_to_num(g.tables, g.interp.Script_Pos, static_cast<int16_t>(10 * (i + 1)),
                            g.pf.dialogs));
    EXPECT_EQ(g.interp.Script_Pos, i);
  }
  for (int16_t missing : {5, 15, 65, -1}) {
    g.interp.Script_Pos = 3;
    EXPECT_FALSE(jump_to_num(g.tables, g.interp.Script_Pos, missing, g.pf.dialogs));
    EXPECT_EQ(g.interp.Script_Pos, 3);
  }
  ASSERT_EQ(events(hl).size(), 4u);
  EXPECT_EQ(events(hl).event(0).text, "Not found NUM to SEQ");

  // The choice table: a key is found, a missing one leaves the first row.
  EXPECT_TRUE(find_sct(g.tables, 30, g.pf.dialogs));
  EXPECT_EQ(g.tables.Sel_First, 0);
  g.tables.Sel_First = 1;
  EXPECT_FALSE(find_sct(g.tables, 40, g.pf.dialogs));
  EXPECT_EQ(g.tables.Sel_First, 1);
  EXPECT_EQ(events(hl).last().text, "SCT not found.");

  // Out of order, the probes decide what is found: a midpoint rounded half
  // to even finds 20, 30 and 40 here; rounding down would find 50 instead
  // of 40, rounding up 10 instead of 20.
  std::string s;
  for (const char* n : {"0020", "0010", "0030", "0050", "0040"}) s += row(n);
  load_tables(g.tables, s, "");
  for (int16_t num : {10, 20, 30, 40, 50})
    EXPECT_EQ(find_num(g.tables, num) >= 0, num == 20 || num == 30 || num == 40) << num;
}

// -------------------------------------------------------------- history ---
// What was shown, in order, at most 200 messages, and a fresh history whenever
// the story is entered anew (a new game or a loaded one).

std::vector<std::string> shown(const HistoryState& h) {
  std::vector<std::string> out;
  for (const HistoryEntry& e : h.entries)
    out.push_back((e.speaker.empty() ? "-" : e.speaker) + " " + e.text);
  return out;
}

TEST_F(Interp, HistoryHoldsLabelsAndNamesAsShownAndStartsAfreshWithEachRun) {
  g.msg.Name_Table[2] = "ナギ";
  load({{"0010", "", "", "", "", "", "", "浜辺に着いた。"},
        {"0010", "", "", "", "", "", "1", "やあ。"},
        {"0010", "", "", "", "", "", "1", "元気？"},
        {"0010", "", "", "", "", "", "3", "&2です。", "", "1"},
        {"9999"}});
  run_script(g.story());
  const std::vector<std::string> want = {"- 浜辺に着いた。", "【ソラノ】 やあ。",
                                         "【ソラノ】 元気？", "【ナギ】 ナギです。"};
  EXPECT_EQ(shown(g.history), want);
  // A later rename does not rewrite what was shown.
  g.msg.Name_Table[2] = "ミナ";
  EXPECT_EQ(shown(g.history), want);

  // Entering the story again (a loaded game resumes this way) starts over.
  g.interp.Script_Pos = 2;
  run_script(g.story());
  EXPECT_EQ(shown(g.history),
            (std::vector<std::string>{"【ソラノ】 元気？", "【ミナ】 ミナです。"}));
}

TEST_F(Interp, HistoryKeepsTheLast200MessagesAndTheChoicesAmongThem) {
  history_add_choice(g.history, "はじめの選択");
  for (int i = 0; i < 150; ++i) history_add_message(g.history, "", "a" + std::to_string(i));
  history_add_choice(g.history, "まんなかの選択");
  for (int i = 150; i < 205; ++i)
    history_add_message(g.history, "【ミツ】", "a" + std::to_string(i));
  ASSERT_EQ(g.history.messages, 200);
  ASSERT_EQ(g.history.entries.size(), 201u);
  EXPECT_EQ(g.history.entries.front().text, "a5");
  EXPECT_EQ(g.history.entries[145].text, "→ まんなかの選択");
  EXPECT_TRUE(g.history.entries[145].choice);
  EXPECT_EQ(g.history.entries.back().text, "a204");
  // The choice goes with the message before it once that is dropped.
  for (int i = 0; i < 145; ++i) history_add_message(g.history, "", "b");
  EXPECT_FALSE(g.history.entries.front().choice);
  EXPECT_EQ(g.history.entries.front().text, "a150");
}

}  // namespace
}  // namespace vm
