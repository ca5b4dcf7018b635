// Stepping back through the messages of a whole run, as a player does with
// Page Up, from a message or from an open choice menu, and forward again onto
// a choice: the screens come back exactly as they were shown and are read
// aloud as they were, a choice comes back with its pick highlighted, and a
// path picked again plays as a fresh play of it does.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/session.h"
#include "graphics/screen.h"
#include "platform/common/pad_map.h"

namespace vm {
namespace {

using test::Session;
using test::shown;
using test::TempDir;
using test::waits_on_player;

constexpr uint32_t kClickEvery = 1500;
constexpr uint32_t kCloseAt = 3'000'000;  // long after the ending has come

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
  // Where in the log and when each click that picked a choice came.
  std::vector<size_t> pick_log;
  std::vector<uint32_t> pick_time;

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
      if (choosing) {
        pick_log.push_back(s.hl.log().events().size());
        pick_time.push_back(s.hl.now());
      }
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
    s.hl.close(kCloseAt);
    s.run(dir.path());
  }
};

// The player acts (act schedules it at the time it is given); then runs
// once the game waits on the player again.
void after(Session& s, const std::function<void(uint32_t)>& act, std::function<void()> then) {
  const uint32_t t = s.hl.now() + 100;
  act(t);
  s.when(
      t + 50, [&s] { return waits_on_player(s.g); }, std::move(then));
}
std::function<void(uint32_t)> press(Session& s, int key) {
  return [&s, key](uint32_t t) { s.hl.key(t, key); };
}

// The open menu's boxes stand highlighted only at `lit`.
bool lit_only(const ChoiceState& c, int lit) {
  for (int i = 0; i < c.shown; ++i) {
    const bool on = c.box_colour[static_cast<size_t>(i)] == kChoiceBoxHover;
    if (on != (i == lit)) return false;
  }
  return c.shown > 0;
}

// Each path played through once from the title, for the plays that step
// back in it to be held against.
class Rollback : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const int second : {0, 1}) {
      auto& play = fresh_[static_cast<size_t>(second)];
      play = std::make_unique<Play>();
      play->pick = [second](int n) { return n == 0 ? second : 0; };
      play->run();
    }
  }
  static void TearDownTestSuite() {
    for (auto& play : fresh_) play.reset();
  }
  static Play& fresh(int second) { return *fresh_[static_cast<size_t>(second)]; }

 private:
  static std::array<std::unique_ptr<Play>, 2> fresh_;
};
std::array<std::unique_ptr<Play>, 2> Rollback::fresh_;

// Page Up (Backspace for every other step) all the way back from the last
// message, then Page Down all the way forward: at each choice the menu comes
// back with the pick made before highlighted, and Page Down picks it again.
TEST_F(Rollback, EveryMessageComesBackAsItWasShownBackAndForthThroughEveryChoice) {
  for (const int second : {0, 1}) {
    SCOPED_TRACE(second ? "the hill's path" : "the beach's path");
    const Play& path = fresh(second);
    const size_t last = path.frames.size();
    ASSERT_TRUE(path.s.g.ending.running);
    ASSERT_GT(last, 30u);
    ASSERT_LE(last, kRollbackMessages);

    Play back;
    back.pick = path.pick;
    std::vector<int> wrong_back, wrong_forward, wrong_menu;
    int menu_greyed_at_oldest = -1, menus = 0;
    Game& g = back.s.g;
    std::function<void(size_t)> step_back, step_forward;
    // The message d back from the last; then, at the oldest, forward again.
    step_back = [&](size_t d) {
      if (shown(g).px != path.frames[last - 1 - d]) wrong_back.push_back(static_cast<int>(d));
      if (d + 1 == last) {
        menu_greyed_at_oldest = back.s.hl.menu_enabled("rollback") ? 0 : 1;
        return step_forward(0);
      }
      after(back.s, press(back.s, d % 2 ? kKeyBack : kKeyPrior), [&, d] { step_back(d + 1); });
    };
    // Standing at message `at`; a menu on the way is its own step.
    step_forward = [&](size_t at) {
      after(back.s, press(back.s, kKeyNext), [&, at] {
        if (g.choice.shown > 0) {
          ++menus;
          if (!lit_only(g.choice, back.pick(menus - 1))) wrong_menu.push_back(menus);
          return step_forward(at);
        }
        if (shown(g).px != path.frames[at + 1]) wrong_forward.push_back(static_cast<int>(at + 1));
        if (at + 2 < last) return step_forward(at + 1);
        // Live again: the story plays on to its ending.
        back.hold = [] { return false; };
        back.click_on(back.s.hl.now() + 100);
      });
    };
    back.hold = [&] {
      if (back.frames.size() < last) return false;
      after(back.s, press(back.s, kKeyPrior), [&] { step_back(1); });
      return true;
    };
    back.run();
    EXPECT_EQ(back.frames.size(), last);
    EXPECT_TRUE(wrong_back.empty()) << "first wrong going back: " << wrong_back.front();
    EXPECT_TRUE(wrong_forward.empty()) << "first wrong going forward: " << wrong_forward.front();
    EXPECT_TRUE(wrong_menu.empty()) << "menu without its pick lit: " << wrong_menu.front();
    EXPECT_EQ(menus, path.picks);
    EXPECT_EQ(menu_greyed_at_oldest, 1);
    EXPECT_EQ(back.s.g.rollback.depth, 0);
    EXPECT_TRUE(back.s.g.ending.running);
    EXPECT_EQ(back.s.g.interp.hap, path.s.g.interp.hap);
  }
}

// The log from the pick'th choice picked on, each line with its time
// counted from that click, until the game is closed. A tune that ends starts
// again from its beginning (stop, play): when depends on when it began, which
// for a tune put back by a step back is the step.
std::vector<std::pair<uint32_t, std::string>> log_after_pick(const Play& p, size_t pick) {
  std::vector<std::pair<uint32_t, std::string>> out;
  const std::vector<LoggedEvent>& all = p.s.hl.log().events();
  for (size_t i = p.pick_log.at(pick); i < all.size() && all[i].at < kCloseAt; ++i) {
    const auto music = [&](size_t k, const char* action) {
      return all[k].event.kind == LogKind::Music && all[k].event.action == action;
    };
    const bool replayed = i + 1 < all.size() && music(i, "stop") && music(i + 1, "play");
    if (replayed) {
      ++i;
      continue;
    }
    std::string line = log_line(all[i].event);
    if (const size_t at = line.find(p.dir.path()); at != std::string::npos)
      line.replace(at, p.dir.path().size(), "DATA");  // each play has a folder of its own
    out.emplace_back(all[i].at - p.pick_time.at(pick), line);
  }
  return out;
}

// The beach's path, three messages past the first choice, back to the
// message before it. Page Down, the pad's A and a click all ask the choice
// again with the beach highlighted; the beach picked again (Page Down, Enter)
// goes on through what followed, still rolled back; the hill picked plays as
// its fresh play.
TEST_F(Rollback, GoingForwardOntoAChoiceAsksItAgainAndEitherPickPlaysOnAsItShould) {
  Play again;
  Game& g = again.s.g;
  size_t before_choice = 0;                    // messages up to the one before the choice
  std::vector<std::vector<uint32_t>> menu_by;  // the menu as each way forward brought it
  std::vector<int> depth_after_same;
  const auto back_to_choice = [&](int steps, std::function<void()> then) {
    // The step holds itself only weakly; each pending press holds it
    // strongly, so it lives while a press is due and is freed after the last.
    std::shared_ptr<std::function<void(int)>> go = std::make_shared<std::function<void(int)>>();
    *go = [&, self = std::weak_ptr(go), then](int left) {
      if (left == 0) return then();
      after(again.s, press(again.s, kKeyPrior), [next = self.lock(), left] { (*next)(left - 1); });
    };
    (*go)(steps);
  };
  // Forward onto the menu by `way`; checks it; then picks by `pick`.
  const auto ask = [&](const std::function<void(uint32_t)>& way,
                       const std::function<void(uint32_t)>& pick, std::function<void()> then) {
    after(again.s, way, [&, pick, then] {
      EXPECT_TRUE(lit_only(g.choice, 0));
      menu_by.push_back(shown(g).px);
      after(again.s, pick, [&, then] {
        depth_after_same.push_back(g.rollback.depth);
        EXPECT_TRUE(shown(g).px == fresh(0).frames[before_choice]);
        back_to_choice(1, then);
      });
    });
  };
  again.hold = [&] {
    if (g.rollback.picks.empty()) {
      before_choice = g.rollback.checkpoints.size();
      return false;
    }
    if (g.rollback.checkpoints.size() < before_choice + 3) return false;
    back_to_choice(3, [&] {
      EXPECT_TRUE(shown(g).px == fresh(0).frames[before_choice - 1]);
      const auto pad_a = [&](uint32_t t) {
        again.s.hl.pad(t, PadButton::A, true);
        again.s.hl.pad(t + 20, PadButton::A, false);
      };
      ask(press(again.s, kKeyNext), press(again.s, kKeyNext), [&, pad_a] {
        ask(pad_a, press(again.s, kKeyReturn), [&] {
          const auto click = [&](int y) {
            return [&, y](uint32_t t) { again.s.hl.click(t, test::kWindowX, y); };
          };
          after(again.s, click(test::kFirstChoiceY - 30), [&] {
            EXPECT_TRUE(lit_only(g.choice, 0));
            menu_by.push_back(shown(g).px);
            // The hill: the story goes on live, clicked on as the fresh play was.
            again.frames.resize(before_choice);
            again.texts.resize(before_choice);
            again.picks = 0;
            again.pick = [](int n) { return n == 0 ? 1 : 0; };
            again.hold = [] { return false; };
            again.click_on(again.s.hl.now());
          });
        });
      });
    });
    return true;
  };
  again.run();

  const Play& hill = fresh(1);
  ASSERT_GT(before_choice, 0u);
  ASSERT_EQ(menu_by.size(), 3u);
  EXPECT_TRUE(menu_by[1] == menu_by[0] && menu_by[2] == menu_by[0]);
  // Picked the same, the screen still stands two messages back.
  EXPECT_EQ(depth_after_same, (std::vector<int>{2, 2}));
  EXPECT_EQ(again.texts, hill.texts);
  EXPECT_TRUE(again.frames == hill.frames) << "the hill's screens differ from its fresh play's";
  const InterpState& a = g.interp;
  const InterpState& h = hill.s.g.interp;
  EXPECT_EQ(std::tie(a.kou, a.pap, a.rub, a.hap), std::tie(h.kou, h.pap, h.rub, h.hap));
  EXPECT_TRUE(g.ending.running);
  // From the pick on, what was heard and shown happened as in the fresh play,
  // at the same times after it.
  ASSERT_EQ(again.pick_log.size(), hill.pick_log.size() + 1);  // the beach first
  const auto heard = log_after_pick(again, 1), fresh_heard = log_after_pick(hill, 0);
  EXPECT_GT(heard.size(), 50u);
  EXPECT_EQ(heard, fresh_heard);
}

// Read aloud, played to the first choice. Page Up, Backspace and the menu's
// 戻る step back from the open menu through the messages before it, each
// shown as it was and read as it was; forward again, Page Down brings the
// same menu back, and Enter after a step back from it does too. The rows
// played to rebuild a message say nothing.
TEST_F(Rollback, AtAChoiceTheMessagesBeforeItCanBeReadAndHeardAgain) {
  Play at;
  at.s.hl.player_settings.self_voicing = true;
  Game& g = at.s.g;
  Headless& hl = at.s.hl;
  std::vector<uint32_t> menu;
  bool item_at_menu = false;
  size_t said_before = 0;
  std::vector<int> wrong;  // the steps whose screen was not the one expected
  // The steps, each with the message it shows (counted back from the one
  // before the menu), or -1 for the menu.
  const std::vector<std::pair<std::function<void(uint32_t)>, int>> steps = {
      {press(at.s, kKeyPrior), 0},
      {press(at.s, kKeyBack), 1},
      {[&](uint32_t t) { hl.menu(t, "rollback"); }, 2},
      {press(at.s, kKeyNext), 1},
      {press(at.s, kKeyNext), 0},
      {press(at.s, kKeyNext), -1},
      {press(at.s, kKeyPrior), 0},
      {press(at.s, kKeyReturn), -1},
  };
  const auto expected = [&](int back) {
    return back < 0 ? menu : at.frames[at.frames.size() - 1 - static_cast<size_t>(back)];
  };
  std::function<void(size_t)> step = [&](size_t i) {
    if (i == steps.size()) return at.s.quit(hl.now() + 100);
    after(at.s, steps[i].first, [&, i] {
      if (shown(g).px != expected(steps[i].second)) wrong.push_back(static_cast<int>(i));
      step(i + 1);
    });
  };
  at.hold = [&] {
    if (g.choice.shown == 0) return false;
    menu = shown(g).px;
    item_at_menu = hl.menu_enabled("rollback");
    said_before = hl.spoken.size();
    step(0);
    return true;
  };
  at.run();
  ASSERT_GE(at.frames.size(), 3u);
  EXPECT_TRUE(item_at_menu);
  EXPECT_TRUE(wrong.empty()) << "first wrong step: " << wrong.front();
  // Nothing at all was disabled on the way: no window, control or menu item.
  EXPECT_EQ(test::events(hl).with_line_part("disabled").count(), 0);
  EXPECT_EQ(test::events(hl, LogKind::Rollback).where(&LogEvent::number, 3).count(), 1);

  // Each message as it was said when it was first shown, and the menu.
  std::vector<std::string> first_said;
  const test::Events all = test::events(hl);
  const test::Events texts = all.of(LogKind::Text);
  for (size_t i = 0; i < texts.size(); ++i)
    first_said.push_back(all.event(static_cast<size_t>(texts.index(i)) + 1).text);
  ASSERT_GE(first_said.size(), 3u);
  ASSERT_GT(said_before, 0u);
  const auto message = [&](size_t back) { return first_said[first_said.size() - 1 - back]; };
  const std::string menu_said = hl.spoken[said_before - 1];
  EXPECT_EQ(menu_said.rfind("選択肢。", 0), 0u);
  const std::vector<std::string> heard(hl.spoken.begin() + static_cast<std::ptrdiff_t>(said_before),
                                       hl.spoken.end());
  EXPECT_EQ(heard, (std::vector<std::string>{message(0), message(1), message(2), message(1),
                                             message(0), menu_said, message(0), menu_said}));
}

// How many messages back from the newest the latest one shown over an
// earlier place stands, or 0 while every message so far is the newest place's.
int back_to_an_earlier_place(const RollbackState& r) {
  const size_t n = r.checkpoints.size();
  for (size_t back = 1; back < n; ++back)
    if (r.checkpoints[n - 1 - back].keyframe < r.checkpoints.back().keyframe)
      return static_cast<int>(back);
  return 0;
}

// The story changed under the running game, as the author's reload changes
// it: the row after the place row now jumps to itself, so the rows played
// again from that place go round without a message.
void loop_after_place(ScriptTables& t, int32_t place_row) {
  constexpr int16_t kLoop = 32000;  // above every scene's number: the index stays in order
  const auto at = static_cast<size_t>(place_row + 1);
  const ScriptRow was = t.Script_Table[at];
  t.Script_Table.replace(
      at,
      ScriptRow{.num = kLoop, .cmd = "g0", .jump = kLoop, .line = was.line, .fields = was.fields});
  t.Scene_Index.insert(t.Scene_Index.begin() + t.Scene_Count, SceneEntry{kLoop, place_row + 1});
  ++t.Scene_Count;
}

// A step back whose message the rows played again never reach gives up at
// its row limit: it says so, does not count as a step, and the player stays
// at the message shown, which goes on to the next as a fresh play does.
TEST_F(Rollback, AStepBackThatCannotFindItsMessageAgainLeavesThePlayerWhereTheyStood) {
  Play play;
  Game& g = play.s.g;
  Headless& hl = play.s.hl;
  size_t at = 0;  // messages finished when the step back was tried
  bool stepped = true, stayed = false;
  play.hold = [&] {
    if (at > 0) {
      if (play.frames.size() <= at) return false;
      play.s.quit(hl.now() + 100);
      return true;
    }
    const RollbackState& r = g.rollback;
    const int back = back_to_an_earlier_place(r);
    if (back == 0 || !waits_on_player(g) || g.menu.phase() != MenuPhase::Story) return false;
    at = r.checkpoints.size();
    const size_t keyframe = r.checkpoints[at - 1 - static_cast<size_t>(back)].keyframe;
    loop_after_place(g.tables, r.keyframes[keyframe - r.dropped_keyframes].interp.Script_Pos);
    const std::vector<uint32_t> before = shown(g).px;
    const InterpState interp = g.interp;
    const int steps = test::count(hl, LogKind::Rollback);
    stepped = roll_back(g.rollback_view(), back);
    stayed = shown(g).px == before && g.interp.Script_Pos == interp.Script_Pos &&
             g.interp.Cur_Text == interp.Cur_Text && g.rollback.depth == 0 && waits_on_player(g) &&
             test::count(hl, LogKind::Rollback) == steps;
    return false;  // the click goes on from the message shown
  };
  play.run();
  ASSERT_GT(at, 0u);
  EXPECT_FALSE(stepped);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(test::events(hl, LogKind::Warning)
                .where(&LogEvent::text, test::Part{"could not be found again"})
                .count(),
            1);
  ASSERT_GT(play.frames.size(), at);
  ASSERT_GT(fresh(0).frames.size(), at);
  EXPECT_EQ(play.texts[at], fresh(0).texts[at]);
  EXPECT_TRUE(play.frames[at] == fresh(0).frames[at]);
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
