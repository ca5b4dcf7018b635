#include <gtest/gtest.h>

#include "../message/message_rig.h"
#include "script/interp.h"
#include "script/tables.h"
#include "test_support.h"

namespace vm::msgtest {
namespace {

using vm::test::events;

// A small story played by the interpreter: message rows, a timed wait in the
// middle, then more messages and the end marker.
struct Story : ::testing::Test {
  Rig r;
  std::vector<std::string> said;  // texts in the order they were completed

  void row(const std::string& cmd, const std::string& text, const std::string& speaker = "") {
    ScriptRow row;
    row.num = static_cast<int16_t>(r.g.tables.Script_Table.size() + 1);
    row.cmd = cmd;
    row.text = text;
    row.speaker = speaker;
    r.g.tables.Script_Table.push_back(row);
  }
  void run() {
    row("", "");  // the end marker
    r.g.tables.Script_Last = static_cast<int32_t>(r.g.tables.Script_Table.size()) - 1;
    r.g.interp.Script_Pos = 0;
    run_script(r.g.story());
  }
  // When each text row was shown, from the interpreter's log.
  std::vector<uint32_t> text_times() const { return events(r.hl).of(LogKind::Text).times(); }
};

TEST_F(Story, SkipDrawsWholeMessagesUntilSpeedupAgain) {
  row("", "一つ目");
  row("", "二つ目");
  row("", "三つ目");
  row("w", "200");
  row("", "四つ目");
  row("", "五つ目");
  r.hl.menu(300, "speedup");  // during the first wait (typing ends at 120)
  r.hl.menu(400, "speedup");  // during the timed wait: skipping stops
  r.click_window(2000);
  r.click_window(3000);
  run();
  const auto t = text_times();
  ASSERT_EQ(t.size(), 5u);
  // The second and third follow at once, drawn whole; the fourth comes after
  // the full timed wait and waits for its click in mode 1.
  EXPECT_EQ(t[1], t[2]);
  EXPECT_GE(t[3], t[2] + 200);
  EXPECT_GE(t[4], 2000u);
  EXPECT_EQ(r.g.input.Text_Mode, 1);
  EXPECT_EQ(r.hl.menu_caption("speedup"), "次の選択まで進む");
}

TEST_F(Story, RightClickOnTheWindowStopsSkipping) {
  row("", "一つ目");
  row("", "二つ目");
  row("w", "200");
  row("", "三つ目");
  r.hl.menu(300, "speedup");
  r.click_window(400, kRightButton);  // during the timed wait
  r.click_scene(1000, kRightButton);  // shows it again
  r.click_scene(1500);
  run();
  const auto t = text_times();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_GE(t[2], 300u);
  EXPECT_GE(r.hl.now(), 1500u);
  EXPECT_EQ(r.g.input.Text_Mode, 1);
  EXPECT_EQ(r.g.input.Wnd_Hidden, 0);
  // The item offers to skip again rather than to stop a skip that is over.
  EXPECT_EQ(r.hl.menu_caption("speedup"), "次の選択まで進む");
}

TEST_F(Story, SkipModeShowsEveryMessageWhole) {
  r.g.input.Text_Mode = 0;
  row("", "あいうえお");
  row("", "かきくけこ", "1");
  row("", "さしすせそ", "1");
  r.frames.clear();
  run();
  EXPECT_EQ(r.hl.now(), 0u);  // no waits, no typing delays
  EXPECT_EQ(r.g.msg.Line_No, 3);
  EXPECT_EQ(r.g.msg.Shown_Speaker, 1);
  // Label, then two lines of speaker text on the last frame.
  EXPECT_EQ(r.shown(13, 17), 0x000000u);
  EXPECT_EQ(r.shown(11 + 2, 18 + 18 + 2), 0x000000u);
  EXPECT_EQ(r.shown(11 + 4 * 18 + 2, 18 + 36 + 2), 0x000000u);
}

}  // namespace
}  // namespace vm::msgtest
