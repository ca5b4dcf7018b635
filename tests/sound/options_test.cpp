// The options window played through the real game: what it shows when it
// opens and what each control changes, on "OK" only.
#include <gtest/gtest.h>

#include "app/session.h"

namespace vm {
namespace {

using test::count;
using test::events;

using test::kMenuReadyMs;
using test::Session;
using test::TempDir;

class Options : public ::testing::Test {
 protected:
  TempDir dir;
  Session s;
  Game& g = s.g;
  void SetUp() override { test::copy_demo(dir); }
  const ControlSpec& control(const std::string& name) {
    const HeadlessFormState* f = s.hl.form("Option_Window");
    EXPECT_NE(f, nullptr);
    static ControlSpec none;
    const ControlSpec* c = f ? f->find(name) : nullptr;
    return c ? *c : none;
  }
};

TEST_F(Options, OpensShowingTheCurrentSettings) {
  const uint32_t t = kMenuReadyMs + 100;
  s.hl.at(t, [&] {
    g.input.Text_Mode = 1;
    g.options.Window_Density = 0.8f;
    g.sound.Sound_On = 0;
  });
  s.hl.menu(t, "opt_menu");
  s.hl.at(t + 100, [&] {
    EXPECT_FALSE(s.hl.main_enabled());
    EXPECT_TRUE(s.hl.form("Option_Window")->spec.topmost);
    EXPECT_EQ(control("Option2").value, 1);  // ｽｸﾛｰﾙなし
    for (const char* o : {"Option1", "Option3", "Option4"}) EXPECT_EQ(control(o).value, 0) << o;
    EXPECT_EQ(control("HScroll1").value, 80);
    EXPECT_EQ(control("Label4").caption, "80");
    EXPECT_EQ(control("Check1").value, 1);
    EXPECT_EQ(control("Check2").value, 0);
    EXPECT_EQ(control("Check3").value, 0);
  });
  s.hl.menu(t + 200, "prog_end");  // the main window takes no input meanwhile
  // The scroll bar's number follows at once; the density waits for "OK".
  s.hl.scroll(t + 300, 35);
  s.hl.at(t + 400, [&] {
    EXPECT_EQ(control("Label4").caption, "35");
    EXPECT_FLOAT_EQ(g.options.Window_Density, 0.8f);
  });
  s.hl.press(t + 500, "Cancel");  // changes nothing
  s.hl.at(t + 600, [&] {
    EXPECT_EQ(s.hl.form("Option_Window"), nullptr);
    EXPECT_TRUE(s.hl.main_enabled());
    EXPECT_FLOAT_EQ(g.options.Window_Density, 0.8f);
    EXPECT_EQ(g.input.Text_Mode, 1);
  });
  s.hl.menu(t + 700, "opt_menu");
  s.hl.scroll(t + 800, 35);
  s.hl.choose(t + 800, "1文字ずつ表示");
  s.hl.check(t + 800, "ﾒｯｼｭで表示", true);
  s.hl.check(t + 800, "効果音", true);
  s.hl.press(t + 900, "OK");
  s.hl.at(t + 1000, [&] {
    EXPECT_FLOAT_EQ(g.options.Window_Density, 0.35f);
    EXPECT_EQ(g.input.Text_Mode, 3);
    EXPECT_NE(g.options.Mesh_On, 0);
    EXPECT_NE(g.sound.Sound_On, 0);
  });
  // The mesh switch is remembered; the close box acts as "Cancel".
  s.hl.menu(t + 1100, "opt_menu");
  s.hl.at(t + 1200, [&] { EXPECT_EQ(control("Check3").value, 1); });
  s.hl.check(t + 1200, "ﾒｯｼｭで表示", false);
  s.hl.close_box(t + 1300);
  s.quit(t + 1400);
  s.run(dir.path());
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_NE(g.options.Mesh_On, 0);
  EXPECT_EQ(events(s.hl, LogKind::Ignored).where(&LogEvent::action, "menu prog_end").count(), 1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog).where(&LogEvent::text, "終了しますか？").count(), 1);
}

// Both during the story's first click wait: the music switch, then skipping.
TEST_F(Options, MusicSwitchStopsTheTuneAtOnceAndSkipChosenGoesOnAtOnce) {
  bool checked = false;
  int texts_before = 0;
  // Where the first press of the window's OK stands in the log.
  const auto ok_pressed = [&] {
    return events(s.hl, LogKind::FormControl)
        .where(&LogEvent::form, "Option_Window")
        .where(&LogEvent::control, "Command1")
        .where(&LogEvent::action, "acted on")
        .first();
  };
  s.at_first_wait([&](uint32_t t) {
    s.hl.menu(t, "opt_menu");
    s.hl.check(t + 100, "ＢＧＭ", false);
    s.hl.press(t + 200, "OK");
    s.hl.at(t + 300, [&, t] {
      EXPECT_EQ(g.sound.Music_On, 0);
      const int stop = events(s.hl)
                           .from(ok_pressed())
                           .of(LogKind::Music)
                           .where(&LogEvent::action, "stop")
                           .first();
      EXPECT_GE(stop, 0);
      EXPECT_EQ(events(s.hl)[static_cast<size_t>(stop)].at, t + 200);
    });
    s.hl.menu(t + 400, "opt_menu");
    s.hl.check(t + 500, "ＢＧＭ", true);
    s.hl.press(t + 600, "OK");
    s.hl.at(t + 2000, [&] {
      EXPECT_NE(g.sound.Music_On, 0);
      // The device was closed: nothing opens a tune again until the script does.
      EXPECT_EQ(events(s.hl)
                    .from(ok_pressed())
                    .of(LogKind::Music)
                    .where(&LogEvent::action, "open")
                    .first(),
                -1);
      texts_before = count(s.hl, LogKind::Text);
    });
    s.hl.menu(t + 2100, "opt_menu");
    s.hl.choose(t + 2200, "選択までｽｷｯﾌﾟ");
    s.hl.press(t + 2300, "OK");
    // No click: the story runs on by itself up to the first choice.
    s.when(
        t + 2400,
        [&] { return g.msg.Choice_Armed != 0 || count(s.hl, LogKind::Text) > texts_before + 5; },
        [&] {
          checked = true;
          EXPECT_EQ(g.input.Text_Mode, 0);
          EXPECT_EQ(s.hl.menu_caption("speedup"), "スキップ停止");
          s.quit(s.hl.now() + 100);
        });
  });
  s.run(dir.path());
  EXPECT_TRUE(checked);
  EXPECT_GT(count(s.hl, LogKind::Text), texts_before + 3);
}

}  // namespace
}  // namespace vm
