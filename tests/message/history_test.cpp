// The message history as the interpreter fills it: what was shown, in order,
// at most 200 messages, and a fresh one whenever the story is entered anew
// (a new game or a loaded one).
#include "message/history.h"

#include <gtest/gtest.h>

#include "app/game.h"
#include "assets/cp932.h"
#include "platform/headless/headless.h"
#include "script/interp.h"
#include "script/tables.h"

namespace vm {
namespace {

std::string row(const std::string& num, const std::string& speaker, const std::string& text,
                const std::string& subst = "") {
  return num + ",,,,,,," + speaker + "," + text + ",,," + subst + ",\r\n";
}

class History : public ::testing::Test {
 protected:
  Headless hl;
  Game g{hl.platform()};
  void load(const std::string& csv) {
    load_tables(g.tables, utf8_to_cp932(csv), "");
    g.input.Text_Mode = 0;  // messages run straight through
  }
  std::vector<std::string> shown() const {
    std::vector<std::string> out;
    for (const HistoryEntry& e : g.history.entries)
      out.push_back((e.speaker.empty() ? "-" : e.speaker) + " " + e.text);
    return out;
  }
};

TEST_F(History, HoldsLabelsAndNamesAsShownAndStartsAfreshWithEachRun) {
  g.msg.Name_Table[2] = "ナギ";
  load(row("0010", "", "浜辺に着いた。") + row("0010", "1", "やあ。") + row("0010", "1", "元気？") +
       row("0010", "3", "&2です。", "1") + row("9999", "", ""));
  run_script(g.story());
  const std::vector<std::string> want = {"- 浜辺に着いた。", "【ソラノ】 やあ。",
                                         "【ソラノ】 元気？", "【ナギ】 ナギです。"};
  EXPECT_EQ(shown(), want);
  // A later rename does not rewrite what was shown.
  g.msg.Name_Table[2] = "ミナ";
  EXPECT_EQ(shown(), want);

  // Entering the story again (a loaded game resumes this way) starts over.
  g.interp.Script_Pos = 2;
  run_script(g.story());
  EXPECT_EQ(shown(), (std::vector<std::string>{"【ソラノ】 元気？", "【ミナ】 ミナです。"}));
}

TEST_F(History, KeepsTheLast200MessagesAndTheChoicesAmongThem) {
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
