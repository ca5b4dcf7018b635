// Auto-forward and the held Ctrl on the virtual clock: a finished message
// stands for its delay and goes on by itself; the player's click still goes
// on at once; Ctrl runs through messages while it is held.
#include <gtest/gtest.h>

#include "../message/message_rig.h"
#include "test_support.h"

namespace vm::msgtest {
namespace {

using vm::test::count;

// A one-line message of n characters, typed at 40 ms each.
std::string chars(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "あ";
  return s;
}

TEST(AutoForward, FinishedMessageGoesOnAfterItsDelay) {
  Rig r;
  on_auto(r.g.story());
  EXPECT_TRUE(r.hl.menu_checked("auto"));
  for (int n : {1, 10, 23}) {
    const uint32_t t0 = r.hl.now();
    r.say(1, chars(n));
    // Typing, then 1.5 s and 80 ms per character, with no input at all.
    EXPECT_EQ(r.hl.now() - t0, static_cast<uint32_t>(40 * n + 1500 + 80 * n)) << n;
    EXPECT_EQ(r.g.input.Click_Wait, 0);
  }
  // A longer message: typed at 10 ms a character, and waits longer.
  const uint32_t t0 = r.hl.now();
  r.say(1, chars(30));
  EXPECT_EQ(r.hl.now() - t0, static_cast<uint32_t>(10 * 30 + 1500 + 80 * 30));
}

TEST(AutoForward, DelayComesFromTheSettingsAndAClickStillGoesOnAtOnce) {
  Rig r;
  r.hl.player_settings.auto_delay_ms = 700;
  r.hl.player_settings.auto_delay_per_char_ms = 20;
  on_auto(r.g.story());
  uint32_t t0 = r.hl.now();
  r.say(1, chars(5));
  EXPECT_EQ(r.hl.now() - t0, 200u + 700u + 100u);
  // A click 300 ms after the message is typed ends the wait there.
  t0 = r.hl.now();
  r.click_window(t0 + 200 + 300);
  r.say(1, chars(5));
  EXPECT_GE(r.hl.now() - t0, 500u);
  EXPECT_LT(r.hl.now() - t0, 520u);
}

TEST(AutoForward, OffWaitsForTheClickAndHidingTheWindowReadingBackOrSavingRestartsTheDelay) {
  Rig r;
  // Off: nothing but the click ends the wait.
  r.click_window(20000);
  r.say(1, chars(5));
  EXPECT_GE(r.hl.now(), 20000u);

  // On, with the window hidden by the player 1 s into the delay and shown
  // again 5 s later: the full delay runs again from then.
  on_auto(r.g.story());
  const uint32_t typed = r.hl.now() + 200;
  r.click_window(typed + 1000, kRightButton);
  r.click_scene(typed + 6000, kRightButton);
  r.say(1, chars(5));
  EXPECT_GE(r.hl.now(), typed + 6000 + 1890);
  EXPECT_LT(r.hl.now(), typed + 6000 + 1920);

  // Reading back in the history 1 s into the delay starts it over when the
  // player returns; the rest of the same wheel turn opens nothing again.
  const uint32_t shown = r.hl.now() + 200;
  r.hl.wheel(shown + 1000, 320, 200, -1);
  r.hl.wheel(shown + 1100, 320, 200, -1);
  r.say(1, chars(5));
  EXPECT_GE(r.hl.now(), shown + 1000 + 1890);
  EXPECT_LT(r.hl.now(), shown + 1000 + 1920);
  EXPECT_EQ(count(r.hl, LogKind::History, "history open"), 1);

  // Saving in the slot window 1 s into the delay, closed 4 s later: the
  // full delay runs again from the close.
  const uint32_t standing = r.hl.now() + 200;
  r.hl.menu(standing + 1000, "prog_save");
  r.hl.click_control(standing + 1200, "Label1(0)");
  r.hl.press(standing + 1400, "Save");
  r.hl.press(standing + 5000, "Close");
  r.say(1, chars(5));
  EXPECT_TRUE(std::filesystem::exists(r.dir / "00.dat"));
  EXPECT_GE(r.hl.now(), standing + 5000 + 1890);
  EXPECT_LT(r.hl.now(), standing + 5000 + 2300);  // the window takes its close at its next turn

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
  r.hl.key(0, kKeyControl);
  do_events(r.g);
  const int presents = r.hl.present_count();
  uint32_t t0 = r.hl.now();
  for (int i = 0; i < 6; ++i) r.say(1, chars(23));
  // Drawn whole, no typing pauses, each wait over at its first look.
  EXPECT_LE(r.hl.now() - t0, 6u * 10u);
  EXPECT_LT(r.hl.present_count() - presents, 6 * 23);
  EXPECT_EQ(r.g.input.Text_Mode, 3);  // the pacing the player chose is untouched

  // Released: typing and the click wait are back.
  r.hl.key_up(r.hl.now(), kKeyControl);
  do_events(r.g);
  t0 = r.hl.now();
  r.click_window(t0 + 5000);
  r.say(1, chars(10));
  EXPECT_GE(r.hl.now() - t0, 5000u);
}

TEST(CtrlFastForward, HeldCtrlReleasesAPendingWaitButNotAHiddenWindow) {
  Rig r;
  r.hl.key(300, kKeyControl);
  wait_click(r.g.story());
  EXPECT_GE(r.hl.now(), 300u);
  EXPECT_LT(r.hl.now(), 320u);

  // With the window hidden the story stays where it is, Ctrl or not.
  Rig h;
  h.g.screen.Waku[0].visible = true;
  h.click_window(100, kRightButton);
  h.hl.key(200, kKeyControl);
  h.click_scene(3000, kRightButton);  // shown again: now Ctrl goes on
  wait_click(h.g.story());
  EXPECT_GE(h.hl.now(), 3000u);
  EXPECT_LT(h.hl.now(), 3020u);
}

}  // namespace
}  // namespace vm::msgtest
