#include <gtest/gtest.h>

#include "message_rig.h"
#include "test_support.h"

namespace vm::msgtest {
namespace {

using vm::test::events;

struct Rename : ::testing::Test {
  Rig r;
  void SetUp() override {
    r.g.msg.Name_Table[1] = "山田";
    r.g.msg.Name_Table[2] = "花子";
  }
  void answer(const std::string& a) {
    r.hl.answer(0, a);
    Change_Name(r.g.msg, r.g.pf.dialogs);
  }
  std::string family() const { return r.g.msg.Name_Table[1]; }
  std::string given() const { return r.g.msg.Name_Table[2]; }
};

TEST_F(Rename, DialogTextsAndInputMethod) {
  answer("佐藤　桜");
  const std::vector<std::string> mine = events(r.hl).of({LogKind::Ime, LogKind::InputBox}).lines();
  ASSERT_EQ(mine.size(), 3u);
  EXPECT_EQ(mine[0], "ime open");
  EXPECT_EQ(mine[1],
            "input \"なまえの変更\" \"【女の子】の名前を変更できます。\\n"
            "好きな名前を入力して「OK」ボタンをクリックしてください。\" preset \"山田　花子\" -> "
            "\"佐藤　桜\"");
  EXPECT_EQ(mine[2], "ime close");
  EXPECT_EQ(family(), "佐藤");
  EXPECT_EQ(given(), "桜");
  EXPECT_EQ(speaker_label(r.g.msg, 3), "【桜】");
}

TEST_F(Rename, SevenCharactersAcceptedEightRefused) {
  answer("ABC DEF");
  EXPECT_EQ(family(), "ABC");
  EXPECT_EQ(given(), "DEF");
  answer("あいう　えおか");  // 7 characters, 21 + 3 bytes
  EXPECT_EQ(family(), "あいう");
  EXPECT_EQ(given(), "えおか");
  answer("あいう　えおかき");
  EXPECT_EQ(family(), "あいう");
  EXPECT_EQ(given(), "えおか");
}

TEST_F(Rename, RefusedAnswersKeepTheName) {
  // A comma or a double quote could not be kept in a saved game.
  for (const char* a : {"", "ひとり", "末尾　", "末尾 ", "佐,藤　桜", "佐藤　\"桜\""}) {
    answer(a);
    EXPECT_EQ(family(), "山田") << a;
    EXPECT_EQ(given(), "花子") << a;
  }
}

TEST_F(Rename, SpaceFirstAndBothKindsOfSpace) {
  answer("　ナナ");
  EXPECT_EQ(family(), "");
  EXPECT_EQ(given(), "ナナ");
  answer("A B　C");
  EXPECT_EQ(family(), "A B");
  EXPECT_EQ(given(), "C");
}

TEST_F(Rename, CancelledDialogStillClosesTheInputMethod) {
  answer("");
  EXPECT_EQ(events(r.hl).last_line(), "ime close");
}

}  // namespace
}  // namespace vm::msgtest
