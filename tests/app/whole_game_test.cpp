// The whole game on the demo data, played without the pointer: the quiet
// farewell by the pad alone, the true ending by the keyboard alone (saved and
// loaded on the way), then the gallery by the arrows after a restart. The
// game's window gets no pointer event (the story map's verify plays every
// path by the mouse). The data folder ends each run in its at-rest form.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>

#include "app/session.h"
#include "assets/assets.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "graphics/button.h"
#include "platform/common/pad_map.h"
#include "script/input.h"

namespace vm {
namespace {

using test::count;
using test::events;
using test::kMenuReadyMs;
using test::read_bytes;
using test::TempDir;

constexpr uint32_t kStepEvery = 1500;

class WholeGame : public ::testing::Test {
 protected:
  TempDir dir;
  std::map<std::string, std::string> at_rest;  // the demo folder as written

  void SetUp() override {
    test::copy_demo(dir);
    at_rest = test::snapshot(dir.path());
  }

  // Runs the game until the end button ends it, keeping the screen as the
  // button shows; then the button is pressed by press_end.
  Image run_to_end(test::Session& s, const std::function<void()>& press_end) {
    Image closing;
    s.hl.log().echo = [&](const LoggedEvent& e) {
      if (e.event.kind != LogKind::EndButton) return;
      closing = s.hl.last_frame();
      press_end();
    };
    s.hl.close(400000);  // the safety: the end button ends the run first
    s.run(dir.path());
    s.hl.log().echo = nullptr;
    EXPECT_EQ(s.exit_code, 0);
    EXPECT_EQ(count(s.hl, LogKind::EndButton), 1);
    return closing;
  }

  // Down and A on the title, A on every message, at a choice the d-pad down
  // to the item wanted and A, A on the end button. picks gives the item of
  // each choice in turn (0 the first).
  Image play_by_pad(test::Session& s, const std::vector<int>& picks) {
    Game& g = s.g;
    auto press = [&s](uint32_t at, PadButton b) {
      s.hl.pad(at, b, true);
      s.hl.pad(at + 50, b, false);
    };
    press(kMenuReadyMs + 100, PadButton::Down);
    s.hl.pad(kMenuReadyMs + 300, PadButton::A, true);
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
      if (!g.ending.running) s.hl.at(t + kStepEvery, step);
    };
    s.hl.at(7000, step);
    const Image closing = run_to_end(s, [&] { press(s.hl.now() + 500, PadButton::A); });
    EXPECT_EQ(choice, picks.size()) << "every choice made by the pad";
    return closing;
  }

  // Down and Enter on the title, Enter on every message, a choice by its
  // digit and Enter: the first `second` steps that meet a choice take its
  // second item. Once, on a message, H hides the window, Enter is then no
  // click, and Escape brings the window back to the same wait. The story is
  // saved to slot 1 at the first wait after hap was added to in scene 900,
  // and that slot loaded in the same run.
  Image play_by_keys(test::Session& s, int second) {
    Game& g = s.g;
    int steps = 0;
    bool hid = false, paused = false;
    std::function<void()> step = [&] {
      const uint32_t t = s.hl.now();
      if (paused) {
      } else if (g.choice.shown > 0 && g.choice.Sel_Choice < 0) {
        s.hl.key(t, steps < second ? '2' : '1');
        s.hl.key(t + 200, kKeyReturn);
      } else if (!hid && g.input.Click_Wait && g.screen.Waku[0].visible) {
        hid = true;
        s.hl.key(t, kKeyHide);
        s.hl.at(t + 100, [&] { EXPECT_TRUE(g.input.Wnd_Hidden && !g.screen.Waku[0].visible); });
        s.hl.key(t + 200, kKeyReturn);
        s.hl.key(t + 300, kKeyEscape);
        s.hl.at(t + 400, [&] { EXPECT_TRUE(g.input.Click_Wait && g.screen.Waku[0].visible); });
      } else {
        s.hl.key(t, kKeyReturn);  // a message, or the end button once it shows
      }
      ++steps;
      if (!g.ending.end_button_enabled) s.hl.at(t + kStepEvery, step);
    };
    s.hl.key(kMenuReadyMs + 100, kKeyDown);
    s.hl.at(kMenuReadyMs + 200, [&] { EXPECT_EQ(g.app.Menu_Hover, 0); });
    s.hl.key(kMenuReadyMs + 300, kKeyReturn);
    s.hl.at(kMenuReadyMs + 1500, step);
    s.when(
        7000, [&] { return g.interp.Cur_Num == 900 && g.interp.hap == 1 && g.input.Click_Wait; },
        [&] {
          paused = true;
          const uint32_t t = s.hl.now();
          s.hl.menu(t, "prog_save");
          s.hl.click_control(t + 200, "Label1(0)");
          s.hl.press(t + 400, "Save");
          s.hl.press(t + 2000, "Close");
          s.hl.menu(t + 2200, "prog_load");
          s.hl.click_control(t + 2400, "Label1(0)");
          s.hl.press(t + 2600, "Load");
          s.when(
              t + 2700, [&] { return g.input.Click_Wait != 0; },
              [&] {
                EXPECT_EQ(g.interp.hap, 1) << "the slot carries hap";
                paused = false;
              });
        });
    const Image closing = run_to_end(s, [] {});  // the next step's Enter presses it
    EXPECT_TRUE(hid);
    return closing;
  }

  // Every file of the folder as the demo wrote it, but 50.dat, whose sixth
  // line alone may differ.
  void expect_at_rest(const std::string& want_line6) {
    // Beside the demo's files only the player's read log, which is kept.
    EXPECT_TRUE(std::filesystem::exists(dir / kReadLogFile));
    for (const auto& [name, bytes] : at_rest) {
      const std::string now = read_bytes(dir / name);
      if (name != "50.dat") {
        EXPECT_EQ(now, bytes) << name;
        continue;
      }
      std::string a = bytes, b = now;
      const size_t pa = a.find("023456"), pb = b.find(want_line6);
      ASSERT_NE(pa, std::string::npos);
      ASSERT_NE(pb, std::string::npos) << now;
      EXPECT_EQ(a.replace(pa, 6, want_line6), b);
    }
    EXPECT_EQ(test::snapshot(dir.path()).size(), at_rest.size() + 1);
  }
};

TEST_F(WholeGame, BothEndingsThenTheGalleryAfterARestart) {
  // The beach, showing her the town, the fireworks: a quiet farewell, hap 0.
  test::Session farewell;
  const Image other = play_by_pad(farewell, {0, 0, 0});
  auto seen = [](const test::Session& s, const std::string& part) {
    return !events(s.hl, LogKind::Text).where(&LogEvent::text, test::Part{part}).empty();
  };
  // The meeting scene, the rename dialog and the name used afterwards.
  EXPECT_TRUE(seen(farewell, "わたし、夏のあいだだけ、おばあちゃんの家に来ているの。"));
  EXPECT_EQ(
      events(farewell.hl, LogKind::InputBox).where(&LogEvent::caption, "なまえの変更").count(), 1);
  EXPECT_TRUE(seen(farewell, "ソラノくん、この夏、ありがとう。"));
  EXPECT_FALSE(seen(farewell, "夜空にひときわ大きな花火が開いて"));
  EXPECT_EQ(events(farewell.hl, LogKind::Music)
                .where(&LogEvent::file, dir.path() + "velloria.mid")
                .count(),
            1);
  // Seen: the beach (0), the fireworks (1) and the shop (3).
  expect_at_rest("000406");

  // The hill, showing her the town, the fireworks: the true ending, hap 1,
  // though the story was saved and loaded after hap was added to. The scene
  // loaded brings its own background in with its transition, once.
  test::Session promise;
  const Image true_end = play_by_keys(promise, 21);
  EXPECT_TRUE(seen(promise, "夜空にひときわ大きな花火が開いて"));
  EXPECT_GT(std::count(true_end.px.begin(), true_end.px.end(), kEndColourTrue), 100);
  EXPECT_EQ(std::count(other.px.begin(), other.px.end(), kEndColourTrue), 0);
  const int read = events(promise.hl, LogKind::FileRead).where(&LogEvent::file, "00.dat").first();
  const auto place_9 = [&](int from) {
    return events(promise.hl).from(from).of(LogKind::Place).where(&LogEvent::number, 9).first();
  };
  const int place = place_9(read);
  ASSERT_GE(read, 0);
  ASSERT_GE(place, 0);
  EXPECT_EQ(place_9(place + 1), -1) << "once";
  EXPECT_TRUE(std::filesystem::remove(dir / "00.dat"));
  // Added to what the first run saw: every picture now.
  expect_at_rest("000000");

  // A new start: Down thrice to the gallery's item, Enter; it offers all five
  // pictures. From もどる, Left, Up and Left reach the first picture
  // (framed), Enter for the full view, Escape back, Escape to the title.
  test::Session s;
  Headless& hl = s.hl;
  const uint32_t t = kMenuReadyMs + 100;
  for (int i = 0; i < 3; ++i) hl.key(t + 100 * i, kKeyDown);
  hl.key(t + 400, kKeyReturn);
  hl.key(t + 1500, kKeyLeft);
  hl.key(t + 1520, kKeyUp);
  hl.key(t + 1540, kKeyLeft);
  Image framed, full;
  hl.at(t + 1600, [&] {
    framed = hl.last_frame();
    EXPECT_EQ(s.g.gallery.btn_enabled, (std::array<bool, 5>{true, true, true, true, true}));
  });
  hl.key(t + 1700, kKeyReturn);
  hl.at(t + 2500, [&] { full = hl.last_frame(); });
  hl.key(t + 2600, kKeyEscape);
  hl.at(t + 3000, [&] {
    EXPECT_EQ(s.g.gallery.focus, 0) << "back on the picture just seen";
    EXPECT_TRUE(s.g.gallery.CG_exit.visible);
  });
  hl.key(t + 3100, kKeyEscape);
  hl.at(t + 3500, [&] { EXPECT_TRUE(s.g.screen.Title.visible); });
  hl.close(t + 4000);
  s.run(dir.path());
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(framed.at(thumb_x(0) + 1, thumb_y(0) + 1), kFocusFrame);
  EXPECT_NE(framed.at(thumb_x(1) + 1, thumb_y(1) + 1), kFocusFrame);
  EXPECT_NE(full.at(thumb_x(0) + 1, thumb_y(0) + 1), kFocusFrame) << "the full view";
}

}  // namespace
}  // namespace vm
