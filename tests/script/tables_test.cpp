#include "script/tables.h"

#include <gtest/gtest.h>

#include "app/game.h"
#include "assets/cp932.h"
#include "assets/text_helpers.h"
#include "platform/errors.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::events;

// A script row with the given NUM, command, jump and text; other fields empty.
std::string row(const std::string& num, const std::string& cmd = "", const std::string& jump = "",
                const std::string& text = "") {
  return num + "," + cmd + "," + jump + ",,,,,," + text + ",,,,\r\n";
}

TEST(NumField, DecodesFirstAndLastThreeCharacters) {
  struct Case {
    const char* field;
    int16_t want;
  } cases[] = {{"0010", 10},  {"0-010", 10},   {"9999", 9999}, {"123", 1123}, {"1234", 1234},
               {"0305", 305}, {"1-234", 1234}, {"12", 112},    {"5", 55}};
  for (const auto& c : cases) {
    int16_t v = -1;
    ASSERT_TRUE(decode_num(c.field, v)) << c.field;
    EXPECT_EQ(v, c.want) << c.field;
  }
  int16_t v;
  EXPECT_FALSE(decode_num("", v));
  EXPECT_FALSE(decode_num("abcd", v));
  EXPECT_FALSE(decode_num("4x", v));
}

TEST(Csv, QuotedFieldsKeepCommasAndLinesAreNumbered) {
  auto lines = parse_csv("a,\"b,c\",d\r\n\r\n1, 2 ,3\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].fields, (std::vector<std::string>{"a", "b,c", "d"}));
  EXPECT_EQ(lines[1].line, 3);
  EXPECT_EQ(lines[1].fields, (std::vector<std::string>{"1", "2", "3"}));
}

TEST(LoadTables, HeadingLinesAndIndexRuns) {
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
  ASSERT_EQ(t.Scene_Count, 3);
  EXPECT_EQ(t.Scene_Index[0].key, 10);
  EXPECT_EQ(t.Scene_Index[0].seq, 0);
  EXPECT_EQ(t.Scene_Index[1].key, 20);
  EXPECT_EQ(t.Scene_Index[1].seq, 2);
  EXPECT_EQ(t.Scene_Index[2].key, 10);
  EXPECT_EQ(t.Scene_Index[2].seq, 4);
  EXPECT_EQ(t.Script_Table[0].text, "ｱｲｳ「こんにちは」");
  EXPECT_EQ(t.Script_Table[0].jump, 0);
  EXPECT_EQ(t.Script_Table[4].jump, 20);
  ASSERT_EQ(t.Sel_Last, 1);
  EXPECT_EQ(t.SCT[0].label, "はい、そうです");
  EXPECT_EQ(t.SCT[0].target, 2);    // resolved to the SEQ
  EXPECT_EQ(t.SCT[1].target, 777);  // unknown NUM kept as written
}

TEST(LoadTables, MalformedRowsNameFileLineAndField) {
  ScriptTables t;
  try {
    load_tables(t, row("0010") + row("00x0"), "");
    FAIL();
  } catch (const DataError& e) {
    EXPECT_EQ(e.file, "51.dat");
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.field, "1 (num)");
  }
  try {
    load_tables(t, row("0010") + "0020,,\r\n", "");
    FAIL();
  } catch (const DataError& e) {
    EXPECT_EQ(e.line, 2);
  }
  std::string many;
  for (int i = 0; i < 3002; ++i) many += row("0010");
  EXPECT_THROW(load_tables(t, many, ""), DataError);
  std::string choices;
  for (int i = 0; i < 202; ++i) choices += "0010,x,0010\r\n";
  EXPECT_THROW(load_tables(t, row("0010"), choices), DataError);
}

class Lookup : public ::testing::Test {
 protected:
  Headless hl;
  Game g{hl.platform()};
  void SetUp() override {
    std::string s;
    for (const char* n : {"0010", "0020", "0030", "0040", "0050", "0060"}) s += row(n);
    load_tables(g.tables, s, "0030,a,0050\r\n0030,b,0060\r\n");
  }
};

TEST_F(Lookup, BinarySearchFindsEveryKeyAndChoiceRowsAndRefusesOthers) {
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
  EXPECT_NE(events(hl).line(0).find("dialog \"Not found NUM to SEQ\""), std::string::npos);

  // The choice table: a key is found, a missing one leaves the first row.
  EXPECT_TRUE(find_sct(g.tables, 30, g.pf.dialogs));
  EXPECT_EQ(g.tables.Sel_First, 0);
  g.tables.Sel_First = 1;
  EXPECT_FALSE(find_sct(g.tables, 40, g.pf.dialogs));
  EXPECT_EQ(g.tables.Sel_First, 1);
  EXPECT_NE(events(hl).last_line().find("\"SCT not found.\""), std::string::npos);

  // Out of order, the probes decide what is found: a midpoint rounded half
  // to even finds 20, 30 and 40 here; rounding down would find 50 instead
  // of 40, rounding up 10 instead of 20.
  std::string s;
  for (const char* n : {"0020", "0010", "0030", "0050", "0040"}) s += row(n);
  load_tables(g.tables, s, "");
  for (int16_t num : {10, 20, 30, 40, 50})
    EXPECT_EQ(find_num(g.tables, num) >= 0, num == 20 || num == 30 || num == 40) << num;
}

}  // namespace
}  // namespace vm
