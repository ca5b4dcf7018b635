#include <gtest/gtest.h>

#include "graphics/scene_fixture.h"
#include "script/interp.h"
#include "script/tables.h"

namespace vm::test {
namespace {

// A pending wait ends at a left click on the window or on the scene, Enter,
// Space or a held Ctrl, whatever keys and buttons came before.
TEST(InputWait, LeftClicksEnterSpaceAndCtrlReleaseOtherInputDoesNot) {
  const std::vector<std::function<void(Rig&)>> releases = {
      [](Rig& r) { r.click_window(400); }, [](Rig& r) { r.click_scene(400); },
      [](Rig& r) { r.hl.key(400, kKeyReturn); }, [](Rig& r) { r.hl.key(400, kKeySpace); },
      [](Rig& r) { r.hl.key(400, kKeyControl); }};
  for (size_t i = 0; i < releases.size(); ++i) {
    Rig r;
    r.hl.key(100, kKeyEscape);
    r.hl.key(150, 'A');
    r.hl.click(160, 320, 100, kMiddleButton);
    releases[i](r);
    r.click_window(5000);  // ends the wait anyway, for a failure rather than a hang
    wait_click(r.g.story());
    EXPECT_EQ(r.g.input.Click_Wait, 0);
    EXPECT_TRUE(within(r.hl.now(), 400, 420)) << i;
  }
  // With no wait pending they change nothing.
  Rig r;
  r.hl.key(0, kKeyReturn);
  r.hl.key(0, kKeySpace);
  do_events(r.g.pf);
  EXPECT_EQ(r.g.input.Click_Wait, 0);
  EXPECT_EQ(r.g.input.Text_Mode, 3);
  EXPECT_EQ(r.g.input.Wnd_Hidden, 0);
  EXPECT_EQ(r.g.msg.Line_No, 0);
  // With the window hidden the story stays where it is, Ctrl or not, until
  // the window is shown again.
  Rig h;
  h.g.screen.Waku[0].visible = true;
  h.click_window(100, kRightButton);
  h.hl.key(200, kKeyControl);
  h.click_scene(3000, kRightButton);
  wait_click(h.g.story());
  EXPECT_TRUE(within(h.hl.now(), 3000, 3020));
}

TEST(InputWait, MarkBlinksOnceASecondFromHalfASecondInItsColour) {
  Rig r(true);
  r.g.screen.Waku[0].visible = true;
  std::vector<std::pair<uint32_t, bool>> seen;
  for (uint32_t t : {490u, 510u, 990u, 1010u, 1490u, 1510u, 1690u})
    r.hl.at(t, [&, t] { seen.emplace_back(t, r.g.screen.Blinker.visible); });
  bool coloured = false;  // on screen while it shows
  r.hl.at(600, [&] {
    const Image& f = r.hl.last_frame();
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 18; ++x) coloured |= f.at(195 + 407 + x, 355 + 83 + y) == 0x1993D0u;
  });
  r.click_window(1700);
  wait_click(r.g.story());
  const std::vector<std::pair<uint32_t, bool>> want = {{490, false},  {510, true},   {990, true},
                                                       {1010, false}, {1490, false}, {1510, true},
                                                       {1690, true}};
  EXPECT_EQ(seen, want);
  EXPECT_TRUE(coloured);
  // Hidden once the wait ends, although it was showing at the click.
  EXPECT_FALSE(r.g.screen.Blinker.visible);
  // And on screen: the mark's pixels no longer differ from the panel.
  const int bx = r.g.screen.Blinker.left, by = r.g.screen.Blinker.top;
  for (int y = 0; y < r.g.screen.Blinker.height(); ++y)
    for (int x = 0; x < r.g.screen.Blinker.width(); ++x)
      ASSERT_EQ(r.shown(bx + x, by + y), r.g.screen.Waku[0].img.at(bx + x, by + y));
  // The timer is off: nothing ticks any more.
  r.hl.at(5000, [] {});
  EXPECT_THROW(
      {
        for (;;) r.pf.window.wait_events();
      },
      HeadlessIdle);
  EXPECT_FALSE(r.g.screen.Blinker.visible);
}

TEST(InputWait, RightClickHidesAndShowsKeepingTheWaitOnTheMarkTooButNotOnTheScene) {
  Rig r;
  r.g.screen.Waku[0].visible = true;
  r.pf.window.set_menu_enabled("opt_menu", true);
  bool hidden_ok = false, shown_ok = false;
  r.click_window(100, kRightButton);
  r.hl.at(150, [&] {
    hidden_ok = !r.g.screen.Waku[0].visible && r.g.input.Wnd_Hidden == -1 &&
                !r.hl.menu_enabled("opt_menu") &&
                r.hl.last_frame().at(400, 400) == scene_pixel(400, 400);
  });
  // While hidden, left clicks and keys do nothing.
  r.click_scene(200);
  r.hl.key(250, kKeyReturn);
  r.click_scene(300, kRightButton);
  r.hl.at(350, [&] {
    shown_ok = r.g.screen.Waku[0].visible && r.g.input.Wnd_Hidden == 0 &&
               r.hl.menu_enabled("opt_menu") && r.g.input.Click_Wait == -1 &&
               r.hl.last_frame().at(400, 400) == r.g.screen.Waku[0].img.at(205, 45);
  });
  r.click_scene(800);
  wait_click(r.g.story());
  EXPECT_TRUE(hidden_ok);
  EXPECT_TRUE(shown_ok);
  EXPECT_TRUE(within(r.hl.now(), 800, 820));
  // A right click on the scene while the window is shown does nothing; on
  // the mark it counts as the window.
  r.click_scene(r.hl.now(), kRightButton);
  do_events(r.g.pf);
  EXPECT_TRUE(r.g.screen.Waku[0].visible);
  EXPECT_EQ(r.g.input.Wnd_Hidden, 0);
  r.g.screen.Blinker.visible = true;
  on_mouse_down(r.g.story(), &r.g.screen.Blinker, kRightButton);
  EXPECT_EQ(r.g.input.Wnd_Hidden, -1);
  EXPECT_FALSE(r.g.screen.Waku[0].visible);
  on_mouse_down(r.g.story(), &r.g.screen.Doll_Disp[1], kRightButton);
  EXPECT_EQ(r.g.input.Wnd_Hidden, 0);
  // A choice box has no handler: beside its label a click neither advances
  // nor hides the window (the label itself picks the choice).
  r.g.input.Click_Wait = -1;
  on_mouse_down(r.g.story(), &r.g.screen.SelBox[2], kLeftButton);
  EXPECT_EQ(r.g.input.Click_Wait, -1);
  on_mouse_down(r.g.story(), &r.g.screen.SelBox[2], kRightButton);
  EXPECT_EQ(r.g.input.Wnd_Hidden, 0);
  EXPECT_TRUE(r.g.screen.Waku[0].visible);
  // Other surfaces (the title picture) are not the game screen.
  on_mouse_down(r.g.story(), &r.g.screen.Title, kLeftButton);
  EXPECT_EQ(r.g.input.Click_Wait, -1);
}

// A small story played by the interpreter: message rows, a timed wait in the
// middle, then more messages and the end marker.
struct Story : ::testing::Test {
  Rig r;
  // These stories are about how skipping runs, not about what was read.
  void SetUp() override { r.hl.player_settings.skip_unread = true; }

  void row(const std::string& cmd, const std::string& text) {
    ScriptRow row;
    row.num = static_cast<int16_t>(r.g.tables.Script_Table.size() + 1);
    row.cmd = cmd;
    row.text = text;
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

// Skipping draws whole messages until the menu item is chosen again, or a
// right click on the window stops it.
TEST_F(Story, SkipDrawsWholeMessagesUntilSpeedupAgainOrARightClick) {
  row("", "一つ目");
  row("", "二つ目");
  row("", "三つ目");
  row("w", "200");
  row("", "四つ目");
  row("", "五つ目");
  row("w", "200");
  row("", "六つ目");
  r.hl.menu(300, "speedup");  // during the first wait (typing ends at 120)
  r.hl.at(350, [&] {
    EXPECT_EQ(r.g.input.Text_Mode, 0);
    EXPECT_EQ(r.hl.menu_caption("speedup"), "スキップ停止");
  });
  r.hl.menu(400, "speedup");  // during the timed wait: skipping stops
  r.click_window(2000);
  r.hl.menu(3000, "speedup");          // skips the fifth's wait
  r.click_window(3100, kRightButton);  // during the second timed wait
  r.hl.at(3150, [&] { EXPECT_EQ(r.g.input.Text_Mode, 1); });
  r.click_scene(4000, kRightButton);  // shows it again
  r.click_scene(4500);
  run();
  const auto t = text_times();
  ASSERT_EQ(t.size(), 6u);
  // The second and third follow at once, drawn whole; the fourth comes after
  // the full timed wait and waits for its click in mode 1.
  EXPECT_EQ(t[1], t[2]);
  EXPECT_GE(t[3], t[2] + 200);
  EXPECT_GE(t[4], 2000u);
  EXPECT_GE(t[5], 3200u);
  EXPECT_GE(r.hl.now(), 4500u);
  EXPECT_EQ(r.g.input.Text_Mode, 1);
  EXPECT_EQ(r.g.input.Wnd_Hidden, 0);
  // The item offers to skip again rather than to stop a skip that is over.
  EXPECT_EQ(r.hl.menu_caption("speedup"), "次の選択まで進む");
}

// ------------------------------------------------ auto-forward and Ctrl ---
// A finished message stands for its delay and goes on by itself; the
// player's click still goes on at once; Ctrl runs through messages while it
// is held.

// A one-line message of n characters, typed at 40 ms each.
std::string chars(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "あ";
  return s;
}

TEST(AutoForward, GoesOnAfterTheDelayOfTheSettingsWhichHidingReadingBackOrSavingRestarts) {
  Rig r;
  // Off: nothing but the click ends the wait.
  r.click_window(20000);
  r.say(1, chars(5));
  EXPECT_GE(r.hl.now(), 20000u);
  on_auto(r.g.input, *r.g.hooks);
  EXPECT_TRUE(r.hl.menu_checked("auto"));
  // Typing, then 1.5 s and 80 ms per character, with no input at all; more
  // than a line is typed at 10 ms a character.
  for (int n : {1, 10, 23, 30}) {
    const uint32_t t0 = r.hl.now();
    r.say(1, chars(n));
    EXPECT_EQ(r.hl.now() - t0, static_cast<uint32_t>((n > 23 ? 10 : 40) * n + 1500 + 80 * n)) << n;
    EXPECT_EQ(r.g.input.Click_Wait, 0);
  }
  // The window hidden by the player 1 s into the delay and shown again 5 s
  // later: the full delay runs again from then.
  const uint32_t typed = r.hl.now() + 200;
  r.click_window(typed + 1000, kRightButton);
  r.click_scene(typed + 6000, kRightButton);
  r.say(1, chars(5));
  EXPECT_TRUE(within(r.hl.now(), typed + 6000 + 1890, typed + 6000 + 1920));

  // Reading back in the history 1 s into the delay starts it over when the
  // player returns; the rest of the same wheel turn opens nothing again.
  const uint32_t shown = r.hl.now() + 200;
  r.hl.wheel(shown + 1000, 320, 200, -1);
  r.hl.wheel(shown + 1100, 320, 200, -1);
  r.say(1, chars(5));
  EXPECT_TRUE(within(r.hl.now(), shown + 1000 + 1890, shown + 1000 + 1920));
  EXPECT_EQ(events(r.hl, LogKind::History).where(&LogEvent::action, "open").count(), 1);

  // Saving in the slot window 1 s into the delay, closed 4 s later: the
  // full delay runs again from the close.
  const uint32_t standing = r.hl.now() + 200;
  r.hl.menu(standing + 1000, "prog_save");
  r.hl.click_control(standing + 1200, "Label1(0)");
  r.hl.press(standing + 1400, "Save");
  r.hl.press(standing + 5000, "Close");
  r.say(1, chars(5));
  EXPECT_TRUE(std::filesystem::exists(r.dir / "00.dat"));
  // The window takes its close at its next turn.
  EXPECT_TRUE(within(r.hl.now(), standing + 5000 + 1890, standing + 5000 + 2300));

  // The delay the settings give.
  r.hl.player_settings.auto_delay_ms = 700;
  r.hl.player_settings.auto_delay_per_char_ms = 20;
  uint32_t t0 = r.hl.now();
  r.say(1, chars(5));
  EXPECT_EQ(r.hl.now() - t0, 200u + 700u + 100u);
  // A click 300 ms after the message is typed ends the wait there.
  t0 = r.hl.now();
  r.click_window(t0 + 200 + 300);
  r.say(1, chars(5));
  EXPECT_TRUE(within(r.hl.now() - t0, 500, 520));

  // Turned off while a message stands: it waits for the click again.
  const uint32_t start = r.hl.now();
  r.hl.menu(start + 500, "auto");
  r.click_window(start + 30000);
  r.say(1, chars(5));
  EXPECT_FALSE(r.hl.menu_checked("auto"));
  EXPECT_GE(r.hl.now(), start + 30000);
}

TEST(CtrlFastForward, RunsWhileHeldAndStopsWhenReleased) {
  Rig r;
  r.hl.player_settings.skip_unread = true;  // none of these lines was read before
  r.hl.key(0, kKeyControl);
  do_events(r.g.pf);
  const int presents = r.hl.present_count();
  uint32_t t0 = r.hl.now();
  for (int i = 0; i < 6; ++i) r.say(1, chars(23));
  // Drawn whole, no typing pauses, each wait over at its first look.
  EXPECT_LE(r.hl.now() - t0, 6u * 10u);
  EXPECT_LT(r.hl.present_count() - presents, 6 * 23);
  EXPECT_EQ(r.g.input.Text_Mode, 3);  // the pacing the player chose is untouched

  // Released: typing and the click wait are back.
  r.hl.key_up(r.hl.now(), kKeyControl);
  do_events(r.g.pf);
  t0 = r.hl.now();
  r.click_window(t0 + 5000);
  r.say(1, chars(10));
  EXPECT_GE(r.hl.now() - t0, 5000u);
}

}  // namespace
}  // namespace vm::test
