// The choice menu played through the interpreter on the headless platform:
// boxes shown in the message window, hover ticks, picking with the mouse,
// skip mode stopping at the menu, and the story continuing at the target.

#include "choices/choices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/main_form.h"
#include "assets/cp932.h"
#include "platform/errors.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::count;
using test::Events;
using test::events;

using Sink = MainFormEvents;

// A point on the label of box i: the message window stands at (195, 355),
// box i at (11, 18 * (i + 2) + 2) inside it, its label 8 pixels in.
constexpr int kLabelX = 195 + 11 + 20;
int label_y(int i) {
  return 355 + 18 * (i + 2) + 2 + 6;
}

class Choices : public ::testing::Test {
 protected:
  Headless hl;
  Game g{hl.platform()};
  Sink sink{g};
  test::TempDir dir;

  void SetUp() override {
    test::write_bytes(dir / "61.dat", "");  // an empty texture sheet is not loaded
    g.assets.Data_Dir = dir.path();
    hl.platform().window.set_sink(&sink);
    g.menu.build();
    g.menu.enter(MenuPhase::Story);
    layout_screen(g);
    g.screen.Waku[0].visible = true;
    g.input.Text_Mode = 0;  // messages run straight through until the menu
  }
  void TearDown() override { hl.platform().window.set_sink(nullptr); }

  // A message, then a menu of `count` choices leading to rows that each add
  // to one counter and jump to the end.
  void load(const std::string& count) {
    const std::string script =
        "0010,,,,,,,,分かれ道に出た。,,,,\r\n"
        "0020,s,,,,,,," +
        count +
        ",,,,\r\n"
        "0030,p2,,,,,,,kou,1,,,\r\n"
        "0030,g0,0090,,,,,,,,,,\r\n"
        "0040,p2,,,,,,,pap,1,,,\r\n"
        "0040,g0,0090,,,,,,,,,,\r\n"
        "0050,p2,,,,,,,rub,1,,,\r\n"
        "0050,g0,0090,,,,,,,,,,\r\n"
        "0090,,,,,,,,,,,,\r\n";
    const std::string choices =
        "0020,  左の道  ,0030\r\n"
        "0020,まっすぐ行く道,0040\r\n"
        "0020,右,0050\r\n";
    load_tables(g.tables, utf8_to_cp932(script), utf8_to_cp932(choices));
  }
  int counters() const { return g.interp.kou * 1 + g.interp.pap * 2 + g.interp.rub * 3; }

  // Effects by their image sizes: 101 is 182 bytes, 102 is 2692 bytes.
  Events effects(int id) const {
    return events(hl, LogKind::Effect)
        .where(&LogEvent::number, static_cast<int>(effect_wave(id).size()));
  }
};

// Skipping stops at the menu, and the item offers to skip again.
TEST_F(Choices, PickingTheSecondOfTwoContinuesAtItsTargetAndSkippingStopsThere) {
  load("2");
  hl.player_settings.skip_unread = true;  // the message before the menu was never read
  g.input.Text_Mode = 3;
  on_speedup(g.input, *g.hooks);  // from character-by-character to skipping
  ASSERT_EQ(hl.menu_caption("speedup"), "スキップ停止");
  bool checked = false;
  // The right button, and a point on the box left of its label, pick nothing.
  hl.click(50, kLabelX, label_y(0), kRightButton);
  hl.click(80, 195 + 11 + 3, label_y(0));
  hl.at(100, [&] {
    checked = true;
    EXPECT_TRUE(g.screen.Waku[0].visible);
    EXPECT_TRUE(g.screen.SelBox[0].visible);
    EXPECT_TRUE(g.screen.SelBox[1].visible);
    EXPECT_FALSE(g.screen.SelBox[2].visible);
    EXPECT_EQ(g.choice.Sel_Choice, -1);
    for (const char* item : {"prog_load", "prog_save", "speedup"})
      EXPECT_FALSE(hl.menu_enabled(item)) << item;
  });
  hl.click(200, kLabelX, label_y(1));
  run_script(g.story());
  EXPECT_TRUE(checked);
  EXPECT_EQ(counters(), 2);  // pap: the second choice's row
  EXPECT_EQ(g.choice.Sel_Choice, 1);
  for (const Surface& box : g.screen.SelBox) EXPECT_FALSE(box.visible);
  for (const char* item : {"prog_load", "prog_save", "speedup"})
    EXPECT_TRUE(hl.menu_enabled(item)) << item;
  // The chime plays, then the pressed colour stays a second without events.
  ASSERT_EQ(effects(kEffectSelect).size(), 1u);
  EXPECT_EQ(effects(kEffectSelect)[0].at, 200u);
  EXPECT_GE(hl.now(), 200u + 61u + 1000u);
  EXPECT_EQ(g.msg.Choice_Armed, 0);
  EXPECT_EQ(g.msg.Shown_Speaker, 0);
  EXPECT_EQ(g.input.Text_Mode, 1);
  EXPECT_EQ(hl.menu_caption("speedup"), "次の選択まで進む");
}

// With sound effects off the menu is silent.
TEST_F(Choices, AllBoxesAreAsWideAsTheWidestTrimmedLabelPlusTenAndSilentWithEffectsOff) {
  load("3");
  g.sound.Sound_On = 0;
  Font font = g.screen.Waku[0].font;
  font.bold = true;
  const int widest =
      std::max({g.pf.text.text_width("左の道", font), g.pf.text.text_width("まっすぐ行く道", font),
                g.pf.text.text_width("右", font)});
  hl.at(100, [&] {
    for (const Surface& box : g.screen.SelBox) {
      EXPECT_TRUE(box.visible);
      EXPECT_EQ(box.width(), widest + 10);
      EXPECT_EQ(box.height(), 18);
    }
    EXPECT_EQ(g.choice.Choice_Rows[0].label, "左の道");
    EXPECT_EQ(g.screen.SelBox[2].top, 18 * 4 + 2);
    // White boxes with the label drawn in the normal colour.
    const Image& frame = hl.last_frame();
    EXPECT_EQ(frame.at(195 + 11 + 2, 355 + 38 + 2), 0xFFFFFFu);
    const std::vector<uint32_t>& box = g.screen.SelBox[1].img.px;
    EXPECT_NE(std::count(box.begin(), box.end(), kChoiceTextNormal), 0);
  });
  hl.move(150, kLabelX, label_y(1));
  hl.click(200, kLabelX, label_y(2));
  run_script(g.story());
  EXPECT_EQ(counters(), 3);  // rub: the third choice
  EXPECT_EQ(hl.effects_played, 0);
}

// Hovering highlights one choice with a tick, but not the item highlighted
// last (here or at the title) until another was; after the press, moves
// change nothing until the next message.
TEST_F(Choices, HoveringHighlightsOneChoiceWithATickButNotTheLastOneAgain) {
  load("3");
  g.app.Menu_Hover = 0;  // left so by an earlier menu or the title
  hl.move(100, kLabelX, label_y(0));
  hl.at(150, [&] {
    EXPECT_EQ(g.choice.text_colour[0], kChoiceTextNormal);
    EXPECT_TRUE(effects(kEffectHover).empty());
  });
  hl.move(200, kLabelX, label_y(1));
  hl.move(210, kLabelX, label_y(1) + 3);  // still on the same choice: nothing
  hl.at(250, [&] {
    EXPECT_EQ(g.app.Menu_Hover, 1);
    EXPECT_EQ(g.choice.text_colour[1], kChoiceTextHover);
    EXPECT_EQ(g.screen.SelBox[1].img.at(2, 2), kChoiceBoxHover);
    EXPECT_EQ(g.screen.SelBox[0].img.at(2, 2), kChoiceBoxNormal);
  });
  hl.move(300, kLabelX, label_y(0));
  hl.at(350, [&] {
    EXPECT_EQ(g.app.Menu_Hover, 0);
    EXPECT_EQ(g.choice.text_colour[0], kChoiceTextHover);
    EXPECT_EQ(g.choice.text_colour[1], kChoiceTextNormal);
    EXPECT_EQ(g.screen.SelBox[1].img.at(2, 2), kChoiceBoxNormal);
    EXPECT_EQ(hl.last_frame().at(195 + 11 + 2, 355 + 38 + 2), kChoiceBoxHover);
  });
  hl.click(400, kLabelX, label_y(0));
  hl.move(900, kLabelX, label_y(1));  // arrives after the pause, as the menu closes
  run_script(g.story());
  const Events ticks = effects(kEffectHover);
  ASSERT_EQ(ticks.size(), 2u);
  for (uint32_t i = 0; i < 2; ++i)  // at the menu's next poll
    EXPECT_TRUE(test::within(ticks[i].at, 200 + 100 * i, 250 + 100 * i)) << i;
  EXPECT_EQ(counters(), 1);
  EXPECT_EQ(g.choice.text_colour[1], kChoiceTextNormal);
  EXPECT_EQ(g.choice.text_colour[0], kChoiceTextPressed);
}

// Enter with nothing lit lights the first choice and only the next Enter
// picks it, even where the pointer could light nothing: on the item it lit
// last, or at a menu that follows a pick with no message between.
TEST_F(Choices, EnterLightsTheFirstChoiceBeforeItPicks) {
  load("1");
  g.app.Menu_Hover = 0;
  hl.at(90, [&] { g.msg.Choice_Armed = 0; });
  hl.key(100, kKeyReturn);
  hl.at(150, [&] {
    EXPECT_EQ(g.choice.Sel_Choice, -1);
    EXPECT_EQ(g.choice.text_colour[0], kChoiceTextHover);
    EXPECT_EQ(g.screen.SelBox[0].img.at(2, 2), kChoiceBoxHover);
  });
  hl.key(200, kKeyReturn);
  run_script(g.story());
  EXPECT_EQ(counters(), 1);
  EXPECT_EQ(effects(kEffectSelect).size(), 1u);
  EXPECT_TRUE(test::within(effects(kEffectSelect)[0].at, 200, 250));
}

// High contrast darkens every label until it reads at 4.5 : 1 on its box,
// normal, lit and pressed; large text draws the labels one size up in boxes
// that still end inside the panel, and the pointer finds them there.
TEST_F(Choices, HighContrastAndLargeTextLabelsStayReadable) {
  load("3");
  hl.player_settings.high_contrast = true;
  hl.player_settings.large_text = true;
  // The label's own colour: the commonest pixel on the box that is not its
  // background.
  auto label_colour = [](const Surface& box) {
    std::map<uint32_t, int> seen;
    for (uint32_t p : box.img.px)
      if (p != box.img.px[0]) ++seen[p];
    uint32_t best = 0;
    int most = 0;
    for (const auto& [colour, n] : seen)
      if (n > most) best = colour, most = n;
    return best;
  };
  std::vector<double> ratios;
  auto look = [&](int k) {
    const Surface& box = g.screen.SelBox[static_cast<size_t>(k)];
    ratios.push_back(test::contrast(label_colour(box), box.img.px[0]));
  };
  Font large = g.screen.Waku[0].font;
  large.bold = true;
  large.points = kLargeTextPoints;
  hl.at(100, [&] {
    for (int k = 0; k < 3; ++k) look(k);
    for (int k = 0; k < 3; ++k) {
      const Surface& box = g.screen.SelBox[static_cast<size_t>(k)];
      EXPECT_EQ(box.height(), kLargeTextCell);
      EXPECT_EQ(box.top, 100 - kLargeTextCell * (3 - k));
    }
    EXPECT_EQ(g.screen.SelBox[0].width(), g.pf.text.text_width("まっすぐ行く道", large) + 10);
  });
  const int y1 = 355 + 100 - kLargeTextCell * 2 + 15;  // low on the second label
  hl.move(150, kLabelX, y1);
  hl.at(200, [&] { look(1); });
  hl.click(250, kLabelX, y1);
  hl.at(300, [&] { look(1); });
  run_script(g.story());
  EXPECT_EQ(counters(), 2);
  ASSERT_EQ(ratios.size(), 5u);
  for (double r : ratios) EXPECT_GE(r, 4.5);
}

TEST_F(Choices, AMenuWithoutItsRowsReusesTheRowsOfThePreviousMenu) {
  const std::string script =
      "0020,s,,,,,,,1,,,,\r\n"
      "0030,p2,,,,,,,kou,1,,,\r\n"
      "0060,s,,,,,,,1,,,,\r\n"
      "0090,,,,,,,,,,,,\r\n";
  load_tables(g.tables, utf8_to_cp932(script), utf8_to_cp932("0020,先へ,0030\r\n"));
  hl.click(100, kLabelX, label_y(0));
  hl.click(1500, kLabelX, label_y(0));
  hl.close(3000);  // the third time round the menu waits until the window closes
  EXPECT_THROW(run_script(g.story()), ShutdownRequest);
  EXPECT_EQ(g.interp.kou, 2);  // 0060 led back to 0030 twice
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, "SCT not found.").count(), 2);
}

TEST_F(Choices, ACountTheMenuCannotShowIsRefusedAndTheStoryGoesOn) {
  for (const char* count : {"0", "4", ""}) {
    SCOPED_TRACE(count);
    load(count);
    g.interp.Script_Pos = 0;
    g.interp.kou = 0;
    run_script(g.story());
    EXPECT_EQ(counters(), 1);  // the next row ran
  }
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, "error(s?)").count(), 3);
}

}  // namespace
}  // namespace vm
