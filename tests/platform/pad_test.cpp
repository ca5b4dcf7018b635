// The gamepad: its one table and the stick and repeat rules, the runner's
// verbs, and its buttons in play through the headless platform (an ending
// by the pad alone: whole_game_test).
#include <gtest/gtest.h>

#include <fstream>

#include "app/session.h"
#include "platform/common/pad_map.h"
#include "runner/script.h"

namespace vm {
namespace {

using test::count;
using test::events;

TEST(PadMap, TheStickLeansPastItsDeadZoneAndAHeldDirectionRepeats) {
  PadState s;
  std::vector<PadChange> out;
  s.stick({PadState::kDeadZone - 1, -(PadState::kDeadZone - 1)}, 0, out);
  EXPECT_TRUE(out.empty()) << "a resting stick";
  s.stick({3000, -20000}, 0, out);
  s.stick({25000, -20000}, 10, out);          // swung round: up let go before right
  s.button(PadButton::Right, true, 20, out);  // the d-pad too: still one press
  s.stick({0, 0}, 30, out);                   // the d-pad still holds it
  const std::vector<PadChange> swung = {
      {PadButton::Up, true}, {PadButton::Up, false}, {PadButton::Right, true}};
  EXPECT_EQ(out, swung);
  out.clear();
  s.tick(10 + PadState::kRepeatDelayMs - 1, out);
  EXPECT_TRUE(out.empty());
  s.tick(10 + PadState::kRepeatDelayMs, out);
  s.tick(10 + PadState::kRepeatDelayMs + PadState::kRepeatMs, out);
  EXPECT_EQ(out.size(), 2U) << "a held direction repeats";
  out.clear();
  s.button(PadButton::RightShoulder, true, 40, out);
  s.release_all(out);
  const std::vector<PadChange> released = {{PadButton::RightShoulder, true},
                                           {PadButton::RightShoulder, false},
                                           {PadButton::Right, false}};
  EXPECT_EQ(out, released) << "a pad unplugged lets everything go";
}

// velmora-play reads pad lines and presses them: X for the history, Start.
TEST(PadMap, TheRunnerPressesPadLines) {
  runner::Step s;
  EXPECT_EQ(runner::parse_line("pad z", s), runner::Parsed::Bad);
  test::TempDir dir;
  test::copy_demo(dir);
  std::ofstream(dir / "input.txt") << "wait 5500\nclick 300 255\nwait 3000\npad x\nwait 500\n"
                                      "pad start\nwait 100\n";
  std::string out;
  test::run_command(
      test::build_dir() + "/velmora-play " + dir.path() + " " + dir.path() + "input.txt", out);
  EXPECT_NE(out.find("history open"), std::string::npos) << out;
  EXPECT_NE(out.find("menu bar opened"), std::string::npos) << out;
}

// The other buttons, each by what the game did with it (B: the message
// window hidden as a right click hides it, and back).
using PadPlay = test::DemoSession;
TEST_F(PadPlay, HideHistoryQuickSaveRollbackFastForwardAutoAndTheMenuBar) {
  int ctrl_while_held = 0, hidden = 0, shown_again = -1;
  s.at_first_wait([&](uint32_t t) {
    s.hl.pad(t + 100, PadButton::B, true);
    s.hl.at(t + 200, [&] { hidden = s.g.input.Wnd_Hidden; });
    s.hl.pad(t + 300, PadButton::B, true);
    s.hl.at(t + 400, [&] { shown_again = s.g.input.Wnd_Hidden; });
    for (PadButton b : {PadButton::A, PadButton::A, PadButton::A}) {
      s.hl.pad(t += 1500, b, true);
      s.hl.pad(t + 50, b, false);
    }
    s.hl.pad(t += 1500, PadButton::LeftShoulder, true);
    s.hl.pad(t += 500, PadButton::A, true);  // live again
    s.hl.pad(t += 500, PadButton::X, true);
    s.hl.pad(t += 500, PadButton::Y, true);
    s.hl.pad(t += 2000, PadButton::RightShoulder, true);
    s.hl.at(t + 300, [&] { ctrl_while_held = s.g.input.Ctrl_Held; });
    s.hl.pad(t += 600, PadButton::RightShoulder, false);
    s.hl.pad(t += 500, PadButton::Back, true);
    s.hl.pad(t += 500, PadButton::Start, true);
    s.quit(t + 500);
  });
  s.run(dir.path());
  EXPECT_NE(hidden, 0);
  EXPECT_EQ(shown_again, 0);
  EXPECT_GT(events(s.hl, LogKind::Rollback).where(&LogEvent::number, 1).count(), 0);
  EXPECT_GT(events(s.hl, LogKind::Menu)
                .where(&LogEvent::item, "history")
                .where(&LogEvent::action, "chosen")
                .count(),
            0);
  EXPECT_GT(events(s.hl, LogKind::History).where(&LogEvent::action, "open").count(), 0);
  EXPECT_GT(events(s.hl, LogKind::FileWritten).where(&LogEvent::file, "05.dat").count(), 0)
      << "the quick slot";
  EXPECT_NE(ctrl_while_held, 0);
  EXPECT_EQ(s.g.input.Ctrl_Held, 0) << "RB let go";
  EXPECT_GT(
      events(s.hl, LogKind::Menu).where(&LogEvent::item, "auto").where(&LogEvent::on, true).count(),
      0);
  EXPECT_EQ(events(s.hl, LogKind::Menu).where(&LogEvent::action, "bar opened").count(), 1);
}

}  // namespace
}  // namespace vm
