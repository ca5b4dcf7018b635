// Stepping back through the messages of a whole run, as a player does with
// Page Up, and picking again at a choice: the screens come back exactly as
// they were shown, and a path picked again plays as a fresh play of it does.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/session.h"
#include "graphics/screen.h"

namespace vm {
namespace {

using test::Session;
using test::TempDir;

constexpr uint32_t kClickEvery = 1500;

// The screen as the player sees it, less the blinking arrow (which blinks on
// its own clock).
Image shown(Game& g) {
  const bool blink = g.screen.Blinker.visible;
  g.screen.Blinker.visible = false;
  Image frame = compose_screen(g.screen);
  g.screen.Blinker.visible = blink;
  return frame;
}

// One play through the demo from the title: a click on the story every
// kClickEvery, on the choice row `pick(n)` gives for the n-th choice (0 the
// first row, 1 the second). Every message that can be gone back to is kept
// as it stood when it had finished typing, with the story's lines after it.
struct Play {
  TempDir dir;
  Session s;
  std::function<int(int)> pick = [](int) { return 0; };
  // Before each click: true stops the clicking (the test takes over).
  std::function<bool()> hold = [] { return false; };
  std::vector<std::vector<uint32_t>> frames;
  std::vector<std::string> texts;  // the message shown at each frame
  int picks = 0;

  Play() { test::copy_demo(dir); }

  void note_finished_messages() {
    Game& g = s.g;
    if (g.rollback.depth == 0 && !g.rollback.replaying && g.input.Click_Wait != 0 &&
        g.rollback.checkpoints.size() > frames.size()) {
      frames.push_back(shown(g).px);
      texts.push_back(g.interp.Cur_Text);
    }
  }

  void click_on(uint32_t at) {
    s.hl.at(at, [this] {
      Game& g = s.g;
      if (g.ending.running || hold()) return;
      const bool choosing = g.choice.shown > 0;
      const int row = choosing ? pick(picks++) : 0;
      s.hl.click(s.hl.now(), test::kWindowX, row ? test::kSecondChoiceY : test::kFirstChoiceY);
      click_on(s.hl.now() + kClickEvery);
    });
  }

  void watch(uint32_t at) {
    s.hl.at(at, [this] {
      note_finished_messages();
      if (!s.g.ending.running) watch(s.hl.now() + 50);
    });
  }

  // Plays until the ending begins, then closes the game.
  void run() {
    s.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(0));
    click_on(test::kMenuReadyMs + 1600);
    watch(test::kMenuReadyMs + 200);
    s.hl.close(3'000'000);
    s.run(dir.path());
  }
};

// Then, from the beach's path, rolling back to before the first choice and
// picking the hill plays as the fresh play of the hill did.
TEST(Rollback, EveryMessageComesBackAsItWasShownAndPickingAgainPlaysAsAFreshPlay) {
  std::array<Play, 2> plays;
  for (const int second : {0, 1}) {
    SCOPED_TRACE(second ? "the hill's path" : "the beach's path");
    Play& fresh = plays[static_cast<size_t>(second)];
    fresh.pick = [second](int n) { return n == 0 ? second : 0; };
    fresh.run();
    const size_t last = fresh.frames.size();
    ASSERT_TRUE(fresh.s.g.ending.running);
    ASSERT_GT(last, 30u);
    ASSERT_LE(last, kRollbackMessages);

    // The same play, held on its last message; then all the way back with
    // Page Up (Backspace for every other step), and forward with Page Down.
    Play back;
    back.pick = fresh.pick;
    std::vector<int> wrong_back, wrong_forward;
    int menu_greyed_at_oldest = -1;
    back.hold = [&] {
      Game& g = back.s.g;
      if (back.frames.size() < last) return false;
      Headless& hl = back.s.hl;
      uint32_t t = hl.now() + 100;
      for (size_t d = 1; d < last + 2; ++d, t += 100) {
        hl.key(t, d % 2 ? kKeyPrior : kKeyBack);
        hl.at(t + 50, [&, d] {
          const size_t at = last - 1 - std::min(d, last - 1);
          if (shown(g).px != fresh.frames[at]) wrong_back.push_back(static_cast<int>(at));
          if (d == last - 1) menu_greyed_at_oldest = hl.menu_enabled("rollback") ? 0 : 1;
        });
      }
      for (size_t d = last - 1; d-- > 0; t += 100) {
        hl.key(t, kKeyNext);
        hl.at(t + 50, [&, d] {
          if (shown(g).px != fresh.frames[last - 1 - d])
            wrong_forward.push_back(static_cast<int>(last - 1 - d));
        });
      }
      // Live again: the story plays on to its ending.
      hl.at(t + 100, [&] {
        back.hold = [] { return false; };
        back.click_on(hl.now() + 100);
      });
      return true;
    };
    back.run();
    EXPECT_EQ(back.frames.size(), last);
    EXPECT_TRUE(wrong_back.empty()) << "first wrong going back: " << wrong_back.front();
    EXPECT_TRUE(wrong_forward.empty()) << "first wrong going forward: " << wrong_forward.front();
    EXPECT_EQ(menu_greyed_at_oldest, 1);
    EXPECT_EQ(back.s.g.rollback.depth, 0);
    EXPECT_TRUE(back.s.g.ending.running);
    EXPECT_EQ(back.s.g.interp.hap, fresh.s.g.interp.hap);
  }

  // The beach's path, three messages past the first choice; then back to the
  // message before it, forward (the choice asks again), and the hill picked.
  Play again;
  size_t before_choice = 0;
  again.pick = [&](int n) { return n == 0 && again.s.g.rollback.depth == 0 && again.picks > 1; };
  again.hold = [&] {
    Game& g = again.s.g;
    if (g.rollback.picks.empty()) {
      before_choice = g.rollback.checkpoints.size();
      return false;
    }
    if (g.rollback.checkpoints.size() < before_choice + 3) return false;
    Headless& hl = again.s.hl;
    const size_t steps = g.rollback.checkpoints.size() - before_choice;
    uint32_t t = hl.now() + 100;
    for (size_t i = 0; i < steps; ++i, t += 100) hl.key(t, kKeyPrior);
    hl.key(t, kKeyReturn);  // the choice lies ahead: the story goes on live to ask it
    hl.at(t + 300, [&] {
      // What was played past the choice is forgotten; the frames kept from
      // here on are the new path's.
      again.frames.resize(before_choice);
      again.texts.resize(before_choice);
      again.picks = 0;
      again.pick = [](int n) { return n == 0 ? 1 : 0; };
      again.hold = [] { return false; };
      again.click_on(hl.now() + 100);
    });
    return true;
  };
  again.run();
  const Play& hill = plays[1];
  ASSERT_GT(before_choice, 0u);
  EXPECT_EQ(again.texts, hill.texts);
  EXPECT_TRUE(again.frames == hill.frames) << "the hill's screens differ from its fresh play's";
  const InterpState& a = again.s.g.interp;
  const InterpState& h = hill.s.g.interp;
  EXPECT_EQ(std::tie(a.kou, a.pap, a.rub, a.hap), std::tie(h.kou, h.pap, h.rub, h.hap));
  EXPECT_TRUE(again.s.g.ending.running);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// Skipping from the title's start on a second run: through what the first
// run read, to the first message it did not reach.
struct SkipRun {
  std::string stopped_at;  // the message skipping stopped at
  bool notice = false;
  size_t messages_skipped = 0;
};

SkipRun skip_from_start(const std::string& dir, bool skip_unread) {
  Session s;
  s.hl.player_settings.skip_unread = skip_unread;
  SkipRun out;
  s.at_first_wait([&](uint32_t t) {
    s.hl.menu(t + 100, "speedup");
    s.when(
        t + 200,
        [&] {
          const Game& g = s.g;
          return g.choice.shown > 0 || (g.input.Text_Mode != 0 && g.input.Click_Wait != 0);
        },
        [&] {
          out.stopped_at = s.g.choice.shown > 0 ? "" : s.g.interp.Cur_Text;
          out.notice = s.g.app.Notice.visible;
          out.messages_skipped = s.g.rollback.checkpoints.size();
          s.quit(s.hl.now() + 100);
        });
  });
  s.hl.close(3'000'000);
  s.run(dir);
  return out;
}

TEST(ReadSkip, SkippingStopsAtTheFirstUnreadMessageOfASecondRunUnlessAskedNotTo) {
  Play first;
  first.hold = [&] {
    if (first.frames.size() < 5) return false;
    first.s.quit(first.s.hl.now() + 100);
    return true;
  };
  first.run();
  ASSERT_EQ(first.frames.size(), 5u);
  ASSERT_TRUE(std::filesystem::exists(first.dir / kReadLogFile));

  // A later session's first message is the one after the five read; the
  // notice says why skipping stopped there.
  Play all;
  all.hold = [&] { return all.frames.size() >= 7; };
  all.run();
  const SkipRun second = skip_from_start(first.dir.path(), false);
  EXPECT_EQ(second.stopped_at, all.texts[5]);
  EXPECT_TRUE(second.notice);

  // With 未読も飛ばす, skipping runs on to the first choice.
  const SkipRun unread = skip_from_start(first.dir.path(), true);
  EXPECT_EQ(unread.stopped_at, "");
  EXPECT_GT(unread.messages_skipped, 6u);

  // A damaged log is counted afresh: skipping stops at once, nothing else is lost.
  test::write_bytes(first.dir / kReadLogFile, "VELMORA READ 1\n3\nzz\n");
  const SkipRun damaged = skip_from_start(first.dir.path(), false);
  EXPECT_EQ(damaged.stopped_at, all.texts[1]);
  EXPECT_TRUE(std::filesystem::exists(first.dir / "50.dat"));
}

}  // namespace
}  // namespace vm
