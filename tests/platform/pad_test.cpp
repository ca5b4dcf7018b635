// The gamepad: its one table and the stick and repeat rules, the runner's
// verbs, and plays of both demo endings by the pad alone through the headless
// platform.
#include <gtest/gtest.h>

#include <fstream>

#include "app/session.h"
#include "ending/ending.h"
#include "platform/common/pad_map.h"
#include "runner/script.h"

namespace vm {
namespace {

using test::count;

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

// One play by the pad alone: down and A on the title, A on every message, at
// a choice the d-pad down to the item wanted and A, A on the end button.
// picks gives the item of each choice in turn (0 the first).
void play_by_pad(test::Session& s, const std::string& dir, std::vector<int> picks) {
  Game& g = s.g;
  s.hl.pad(test::kMenuReadyMs + 100, PadButton::Down, true);
  s.hl.pad(test::kMenuReadyMs + 150, PadButton::Down, false);
  s.hl.pad(test::kMenuReadyMs + 300, PadButton::A, true);
  auto press = [&s](uint32_t at, PadButton b) {
    s.hl.pad(at, b, true);
    s.hl.pad(at + 50, b, false);
  };
  size_t choice = 0;
  std::function<void()> step = [&] {
    const uint32_t t = s.hl.now();
    if (g.choice.shown > 0 && g.choice.Sel_Choice < 0 && choice < picks.size()) {
      for (int k = 0; k <= picks[choice]; ++k) press(t + 100 * k, PadButton::Down);
      press(t + 100 * (picks[choice] + 1), PadButton::A);
      ++choice;
    } else {
      press(t, PadButton::A);
    }
    if (!g.ending.running) s.hl.at(t + 1500, step);
  };
  s.hl.at(7000, step);
  s.hl.log().echo = [&](const std::string& line) {
    if (line.find("end button shown") != std::string::npos) press(s.hl.now() + 500, PadButton::A);
  };
  s.hl.close(400000);
  s.run(dir);
  s.hl.log().echo = nullptr;
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(choice, picks.size()) << "every choice made by the pad";
  EXPECT_EQ(count(s.hl, "end button shown"), 1);
}

TEST(PadPlay, BothEndingsByThePadAlone) {
  test::TempDir dir;
  test::copy_demo(dir);
  {
    test::Session farewell;
    play_by_pad(farewell, dir.path(), {0, 0, 0});
    EXPECT_EQ(count(farewell.hl, "夜空にひときわ大きな花火が開いて"), 0);
  }
  test::Session promise;
  play_by_pad(promise, dir.path(), {1, 0, 0});
  EXPECT_GT(count(promise.hl, "夜空にひときわ大きな花火が開いて"), 0) << "the true ending";
}

// The other buttons, each by what the game did with it (B: the message
// window hidden as a right click hides it, and back).
TEST(PadPlay, HideHistoryQuickSaveRollbackFastForwardAutoAndTheMenuBar) {
  test::TempDir dir;
  test::copy_demo(dir);
  test::Session s;
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
  EXPECT_GT(count(s.hl, "rollback 1"), 0);
  EXPECT_GT(count(s.hl, "menu history"), 0);
  EXPECT_GT(count(s.hl, "history open"), 0);
  EXPECT_GT(count(s.hl, "file written 05.dat"), 0) << "the quick slot";
  EXPECT_NE(ctrl_while_held, 0);
  EXPECT_EQ(s.g.input.Ctrl_Held, 0) << "RB let go";
  EXPECT_GT(count(s.hl, "check auto on"), 0);
  EXPECT_EQ(count(s.hl, "menu bar opened"), 1);
}

}  // namespace
}  // namespace vm
