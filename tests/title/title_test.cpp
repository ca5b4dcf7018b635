// The title screen as the player meets it: the panel dissolve, the menu's
// highlight and ticks, and what each item leads to.
#include "title/title.h"

#include <gtest/gtest.h>

#include <set>

#include "app/session.h"
#include "authoring/pictures.h"
#include "sound/sound.h"

namespace vm {
namespace {

using test::count;
using test::events;
using test::Part;

using test::item_y;
using test::kItemX;

// What an effect's sound takes, as its log event counts it.
int wave_bytes(int effect) {
  return static_cast<int>(effect_wave(effect).size());
}
using test::kMenuReadyMs;
using test::Session;

std::vector<uint32_t> crop(const Image& img, int x, int y, int w, int h) {
  std::vector<uint32_t> out;
  for (int yy = y; yy < y + h; ++yy)
    for (int xx = x; xx < x + w; ++xx) out.push_back(img.at(xx, yy));
  return out;
}

using Title = test::DemoSession;

// A press before the menu shows does nothing.
TEST_F(Title, PanelDissolvesInNineStepsOntoThePanelTexture) {
  std::vector<std::pair<uint32_t, std::vector<uint32_t>>> panels;
  s.hl.click(3000, kItemX, item_y(0));
  s.hl.on_present = [&](const Image& frame, uint32_t at) {
    panels.emplace_back(at, crop(frame, 180, 65, 280, 150));
  };
  s.quit(kMenuReadyMs + 100);
  s.run(dir.path());
  EXPECT_EQ(s.exit_code, 0);
  const auto texture = crop(s.g.screen.Texture.img, 0, 70, 280, 150);
  const auto picture =
      crop(s.g.screen.Title.img.w ? s.g.screen.Title.img : Image(640, 480), 180, 65, 280, 150);
  // What the panel showed over time, each change once.
  std::vector<std::pair<uint32_t, std::vector<uint32_t>>> changes;
  for (const auto& p : panels)
    if (changes.empty() || changes.back().second != p.second) changes.push_back(p);
  ASSERT_GE(changes.size(), 10u);
  size_t first = 0;
  while (first < changes.size() && changes[first].first < 1500) ++first;
  ASSERT_LT(first, changes.size());
  // The title picture for a second and a half, then nine steps, the last
  // one the exact panel texture; nothing changes after it.
  EXPECT_EQ(changes[first - 1].second, picture);
  EXPECT_EQ(changes.size() - first, 10u);  // nine steps, then the texture itself
  EXPECT_EQ(changes.back().second, texture);
  for (size_t i = first + 1; i < changes.size(); ++i)
    EXPECT_GE(changes[i].first - changes[i - 1].first, 100u) << "step " << i - first;
  // All four items show their pieces as soon as the menu is up, before any
  // hover redraws them.
  const Image& shown = s.hl.last_frame();
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(crop(shown, 265, 245 + 35 * k, 110, 30),
              crop(s.g.screen.Texture.img, 0, 230 + 35 * k, 110, 30))
        << "item " << k;
  EXPECT_EQ(events(s.hl, LogKind::Title).where(&LogEvent::action, "ready").times(),
            std::vector<uint32_t>{kMenuReadyMs});
  EXPECT_EQ(count(s.hl, LogKind::Text), 0);
}

// The menu ticks once per change of item, with effects switched off too;
// the start item (any button) enters the story and leaves the title. Nothing
// is there to look back on or skip at the title: the wheel opens no history.
TEST_F(Title, HoverTicksOncePerChangeAndStartEntersTheStory) {
  EXPECT_FALSE(s.hl.menu_enabled("prog_save"));
  s.hl.at(kMenuReadyMs, [&] {
    for (const char* m : {"history", "speedup"}) EXPECT_FALSE(s.hl.menu_enabled(m)) << m;
  });
  s.hl.wheel(kMenuReadyMs + 50, 320, 100, -1);
  const uint32_t t = kMenuReadyMs + 100;
  s.hl.move(t, kItemX, item_y(0));
  s.hl.move(t + 100, kItemX + 20, item_y(0) + 5);  // the same item
  s.hl.move(t + 200, kItemX, item_y(1));
  s.hl.move(t + 300, kItemX, item_y(2));
  s.hl.move(t + 400, kItemX, item_y(1));
  s.hl.move(t + 500, 20, 20);  // off the menu: the highlight stays
  s.hl.move(t + 600, kItemX, item_y(1));
  Image frame;
  s.hl.at(t + 700, [&] { frame = s.hl.last_frame(); });
  s.hl.menu(t + 800, "opt_menu");
  s.hl.check(t + 900, "効果音", false);
  s.hl.press(t + 1000, "OK");
  s.hl.move(t + 1100, kItemX, item_y(3));
  s.hl.at(t + 1200, [&] {
    EXPECT_EQ(s.g.sound.Sound_On, 0);
    EXPECT_EQ(
        events(s.hl, LogKind::Effect).where(&LogEvent::number, wave_bytes(kEffectHover)).count(),
        5);
    EXPECT_EQ(s.g.app.Menu_Hover, 3);
  });
  s.hl.click(t + 1300, kItemX, item_y(0), kRightButton);
  s.hl.at(t + 5300, [&] {
    EXPECT_FALSE(s.g.screen.Title.visible);
    EXPECT_FALSE(s.g.screen.End_Pic.visible);
    for (const char* m : {"prog_save", "prog_load", "speedup", "opt_menu", "history"})
      EXPECT_TRUE(s.hl.menu_enabled(m)) << m;
  });
  s.quit(t + 5400);
  s.run(dir.path());
  EXPECT_EQ(s.exit_code, 0);
  // Item 1 showed its highlighted piece, the others their normal ones.
  const Image& tex = s.g.screen.Texture.img;
  for (int k = 0; k < 4; ++k) {
    const int src_x = k == 1 ? 120 : 0;
    EXPECT_EQ(crop(frame, 265, 245 + 35 * k, 110, 30), crop(tex, src_x, 230 + 35 * k, 110, 30))
        << "item " << k;
  }
  EXPECT_EQ(
      events(s.hl, LogKind::Effect).where(&LogEvent::number, wave_bytes(kEffectPress)).count(), 1);
  EXPECT_EQ(events(s.hl, LogKind::Text)
                .where(&LogEvent::speaker, "0")
                .where(&LogEvent::text, Part{"港町ヴェルモラの夏は"})
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::History).where(&LogEvent::action, "open").count(), 0);
}

// The title picture, shown from the start as the loading picture: a small
// one covers what it can, an empty one is skipped; the menu comes either way.
TEST_F(Title, ASmallOrAnEmptyTitlePictureAndTheMenuComes) {
  for (const std::string& bytes :
       {datatool::encode_bmp(Image(320, 240, rgb(10, 120, 200))), std::string()}) {
    test::write_bytes(dir / "72.dat", bytes);
    Session run;
    run.quit(kMenuReadyMs + 100);
    run.run(dir.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(events(run.hl, LogKind::Title).where(&LogEvent::action, "ready").count(), 1);
    EXPECT_EQ(count(run.hl, LogKind::Dialog), 1);  // only the quit question
    if (!bytes.empty()) EXPECT_EQ(run.g.screen.Title.img.at(319, 239), rgb(10, 120, 200));
    EXPECT_EQ(test::read_bytes(dir / "72.dat"), bytes);
  }
}

// The quit asks first, from the title's item as from the menu, and ends in
// order: the system file written, the folder at rest.
TEST_F(Title, GalleryAndARefusedQuitComeBackToTheTitle) {
  Image before;
  s.hl.at(kMenuReadyMs + 50, [&] { before = s.hl.last_frame(); });
  // The gallery opens once the item's click has sounded (100 ms).
  s.hl.click(kMenuReadyMs + 100, kItemX, item_y(2));
  s.hl.at(kMenuReadyMs + 400, [&] {
    EXPECT_FALSE(s.g.screen.Title.visible);
    EXPECT_TRUE(s.g.gallery.CG_exit.visible);
  });
  s.hl.click(kMenuReadyMs + 500, 560, 395);  // the gallery's exit button
  s.hl.click(kMenuReadyMs + 800, kItemX, item_y(3));
  s.hl.answer(kMenuReadyMs + 800, "no");
  s.hl.at(kMenuReadyMs + 1000, [&] {
    EXPECT_TRUE(s.g.screen.Title.visible);
    EXPECT_EQ(s.hl.last_frame().px, before.px);
  });
  s.quit(kMenuReadyMs + 1100);
  s.run(dir.path());
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, "終了しますか？")
                .where(&LogEvent::answer, "no")
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, "終了しますか？")
                .where(&LogEvent::answer, "yes")
                .count(),
            1);
  EXPECT_EQ(
      events(s.hl, LogKind::Caption).where(&LogEvent::caption, "Velmora - loading now...").count(),
      1);
  EXPECT_EQ(events(s.hl, LogKind::Caption).where(&LogEvent::caption, "Velmora").count(), 1);
  EXPECT_EQ(events(s.hl, LogKind::FileWritten).where(&LogEvent::file, "50.dat").count(), 1);
  test::expect_at_rest(dir.path());
}

}  // namespace
}  // namespace vm
