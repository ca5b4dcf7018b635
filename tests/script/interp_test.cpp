#include "script/interp.h"

#include <gtest/gtest.h>

#include "app/game.h"
#include "assets/cp932.h"
#include "platform/errors.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::count;
using test::events;

struct Row {
  std::string num, cmd, jump, place, doll, face, speaker, text, value, subst;
};

std::string csv(const std::vector<Row>& rows) {
  std::string s;
  for (const Row& r : rows)
    s += r.num + "," + r.cmd + "," + r.jump + "," + r.place + "," + r.doll + "," + r.face + ",," +
         r.speaker + "," + r.text + "," + r.value + ",," + r.subst + ",\r\n";
  return s;
}

class Interp : public ::testing::Test {
 protected:
  Headless hl;
  Game g{hl.platform()};
  test::TempDir dir;  // where an ending game writes its system file
  void SetUp() override { g.assets.Data_Dir = dir.path(); }

  void load(const std::vector<Row>& rows) {
    load_tables(g.tables, utf8_to_cp932(csv(rows)), "");
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
  EXPECT_EQ(g.interp.kou, 0);
  EXPECT_EQ(g.interp.hap, 7);
  EXPECT_EQ(g.interp.rub, 5);
  EXPECT_EQ(g.interp.Script_Pos, 18);
  EXPECT_EQ(count(hl, LogKind::Dialog, "\"error(p?)\""), 1);
  EXPECT_EQ(count(hl, LogKind::Dialog, "\"error(i?)\""), 1);
  EXPECT_EQ(g.interp.Save_Title, "第一章");
  EXPECT_EQ(g.interp.Place_No, 3);
  EXPECT_EQ(events(hl).of(LogKind::Text).bodies(),
            (std::vector<std::string>{"0 same place shows text", "1 cleared"}));
}

TEST_F(Interp, MissingJumpTargetIsReportedOnceThenTheGameEnds) {
  load({{"0010", "g0", "0050"}, {"9999"}});
  EXPECT_THROW(run_script(g.story()), ShutdownRequest);
  EXPECT_EQ(count(hl, LogKind::Dialog, "\"Not found NUM to SEQ\""), 1);
}

TEST_F(Interp, TimedWaitUsesTheVirtualClock) {
  load({{"0010", "w"},
        {"0010", "w", "", "", "", "", "", "0"},
        {"0010", "w", "", "", "", "", "", "120"},
        {"0010", "w", "", "", "", "", "", "-200"},
        {"9999"}});
  g.interp.Script_Pos = 0;
  script_step(g.story());
  EXPECT_EQ(hl.now(), 1050u);  // more than 1000 ms, in 50 ms steps
  g.interp.Script_Pos = 1;
  script_step(g.story());
  EXPECT_EQ(hl.now(), 1100u);  // "0" still sleeps once
  g.interp.Script_Pos = 2;
  script_step(g.story());
  EXPECT_EQ(hl.now(), 1250u);
  g.interp.Script_Pos = 3;
  EXPECT_EQ(script_step(g.story()), kNothingToShow);  // a negative wait is no wait
  EXPECT_EQ(hl.now(), 1250u);
}

TEST_F(Interp, NameSubstitutionAndANameIsNeverReadAsScript) {
  g.msg.Name_Table[1] = "春野";
  g.msg.Name_Table[2] = "ひより";
  load({{"0010", "", "", "", "", "", "3", "&1は&2", "", "1"},
        {"0010", "", "", "", "", "", "", "&1は&2"},
        {"9999"}});
  run_script(g.story());
  EXPECT_EQ(events(hl).of(LogKind::Text).bodies(),
            (std::vector<std::string>{"3 春野はひより", "0 &1は&2"}));
  // Names typed by the player may hold "&": they are shown as typed, once,
  // and never searched for markers again (which used to loop for ever).
  g.msg.Name_Table[1] = "&1";
  g.msg.Name_Table[2] = "&x";
  load({{"0010", "", "", "", "", "", "3", "&1と&2", "", "1"}, {"9999"}});
  g.interp.Script_Pos = 0;
  run_script(g.story());
  EXPECT_EQ(events(hl).of(LogKind::Text).bodies().back(), "3 &1と&x");
  EXPECT_EQ(events(hl).of(LogKind::Text).bodies().size(), 3u);
}

TEST_F(Interp, MalformedFieldsStopWithTheRowNamed) {
  load({{"0010", "p2", "", "", "", "", "", "kou", "abc"}, {"9999"}});
  try {
    run_script(g.story());
    FAIL();
  } catch (const DataError& e) {
    EXPECT_EQ(e.line, 1);
    EXPECT_EQ(e.field, "10 (value)");
  }
}

}  // namespace
}  // namespace vm
