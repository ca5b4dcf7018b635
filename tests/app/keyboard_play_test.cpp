// The demo played by the keyboard alone: the title by Down and Enter, every
// message by Enter, every choice by its digit and Enter, the window hidden
// and shown by H and Escape, the end button by Enter; then the gallery by
// the arrows. Not one pointer event is sent.
#include <gtest/gtest.h>

#include <functional>

#include "app/session.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "graphics/button.h"
#include "script/input.h"

namespace vm {
namespace {

constexpr uint32_t kKeyEvery = 1500;

// Plays from the title to the end button; the first `second` steps that
// meet a choice menu take its second item. Returns whether the true
// ending's fireworks were told.
bool play_by_keys(test::Session& s, const std::string& dir, int second) {
  Game& g = s.g;
  int steps = 0;
  bool hid = false;
  std::function<void()> step = [&] {
    const uint32_t t = s.hl.now();
    if (g.choice.shown > 0 && g.choice.Sel_Choice < 0) {
      s.hl.key(t, steps < second ? '2' : '1');
      s.hl.key(t + 200, kKeyReturn);
    } else if (!hid && g.input.Click_Wait && g.screen.Waku[0].visible) {
      // Once, on a message: H hides the window, Enter is then no click, and
      // Escape brings the window back to the same wait.
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
    if (!g.ending.end_button_enabled) s.hl.at(t + kKeyEvery, step);
  };
  s.hl.key(test::kMenuReadyMs + 100, kKeyDown);
  s.hl.at(test::kMenuReadyMs + 200, [&] { EXPECT_EQ(g.app.Menu_Hover, 0); });
  s.hl.key(test::kMenuReadyMs + 300, kKeyReturn);
  s.hl.at(test::kMenuReadyMs + 1500, step);
  s.hl.close(400000);  // the safety: the end button ends the run first
  s.run(dir);
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(test::count(s.hl, "end button shown"), 1);
  EXPECT_TRUE(hid);
  return test::count(s.hl, "夜空にひときわ大きな花火が開いて") > 0;
}

TEST(KeyboardPlay, BothEndingsAndTheGalleryWithoutThePointer) {
  test::TempDir dir;
  test::copy_demo(dir);
  {
    test::Session farewell;
    EXPECT_FALSE(play_by_keys(farewell, dir.path(), 0));
  }
  {
    test::Session promise;
    EXPECT_TRUE(play_by_keys(promise, dir.path(), 21));
  }

  // The gallery: Down twice to its item, Enter; Right to the first picture
  // (framed), Enter for the full view, Escape back, Escape to the title.
  test::Session s;
  Headless& hl = s.hl;
  const uint32_t t = test::kMenuReadyMs + 100;
  for (int i = 0; i < 3; ++i) hl.key(t + 100 * i, kKeyDown);
  hl.key(t + 400, kKeyReturn);
  hl.key(t + 1500, kKeyRight);
  Image framed, full;
  hl.at(t + 1600, [&] { framed = hl.last_frame(); });
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
  EXPECT_EQ(framed.at(thumb_x(0) + 1, thumb_y(0) + 1), kFocusFrame);
  EXPECT_EQ(framed.at(thumb_x(1) + 1, thumb_y(1) + 1) == kFocusFrame, false);
  EXPECT_NE(full.at(thumb_x(0) + 1, thumb_y(0) + 1), kFocusFrame) << "the full view";
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// The secondary windows by their keys alone: Tab in reading order, Space on
// a box, Enter as OK; in the slot window the rows first, Escape as Close.
TEST(KeyboardPlay, SecondaryWindowsTakeTabEnterAndEscape) {
  test::TempDir dir;
  test::copy_demo(dir);
  test::Session s;
  Headless& hl = s.hl;
  uint32_t t = test::kMenuReadyMs + 100;
  hl.menu(t, "preferences");
  for (int i = 0; i < 13; ++i) hl.form_key(t += 20, kKeyTab);
  hl.form_key(t += 20, kKeySpace);   // 大きな文字, the thirteenth stop
  hl.form_key(t += 20, kKeyReturn);  // on a box: the window's OK
  hl.key(t += 100, kKeyDown);
  hl.key(t += 100, kKeyDown);
  hl.key(t += 100, kKeyReturn);  // the title's load item
  hl.form_key(t += 500, kKeyTab);
  hl.form_key(t += 20, kKeyEscape);
  hl.at(t += 500, [&] { EXPECT_TRUE(s.g.screen.Title.visible) << "the title stays"; });
  hl.close(t += 100);
  s.run(dir.path());
  EXPECT_TRUE(hl.platform().settings.settings().large_text);
  std::string focus;
  for (const std::string& line : hl.log().lines())
    if (const size_t at = line.find(" focus "); at != std::string::npos)
      focus += line.substr(at + 7) + " ";
  EXPECT_EQ(focus,
            "MusicVolume EffectsVolume SpeedSlow SpeedNormal SpeedFast SpeedInstant AutoDelay "
            "SkipUnread Scale1 Scale2 Scale3 FullScreen LargeText "
            "Label1(0) ");
  EXPECT_EQ(test::count(hl, "form File_Window close box"), 1);
  EXPECT_EQ(test::count(hl, "form File_Window closed"), 1);
}

}  // namespace
}  // namespace vm
