// The secondary windows by their keys alone: Tab in reading order, Space on
// a box, Enter as OK; in the slot window the rows first, Escape as Close.
// (The story, its endings and the gallery by the keys: whole_game_test.)
#include <gtest/gtest.h>

#include "app/session.h"
#include "script/input.h"

namespace vm {
namespace {

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
