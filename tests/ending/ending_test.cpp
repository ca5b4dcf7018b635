// The ending on the demo data: the closing messages as the player sees them,
// the staff roll's pacing and tune, the rose, the end button.
#include "ending/ending.h"

#include <gtest/gtest.h>

#include <map>

#include "app/session.h"

namespace vm {
namespace {

using test::count;
using test::events;
using test::Part;

class EndingTest : public test::DemoRoom {
 protected:
  // fn ends the game as the player asked: the main loop's orderly unload
  // follows, and the program exits with 0.
  void expect_orderly_end(const std::function<void()>& fn, const char* what) {
    try {
      fn();
      ADD_FAILURE() << what << " did not end the program";
    } catch (const ShutdownRequest& r) {
      EXPECT_FALSE(r.failure);
      try {
        unload_main_form(g, r.failure);
      } catch (const EndProcess& e) {
        EXPECT_EQ(e.code, 0);
      }
    }
  }

  // The times of the frames presented while fn runs, and the frames whose
  // index keep() accepts.
  std::vector<uint32_t> record(const std::function<void()>& fn,
                               const std::function<bool(size_t)>& keep,
                               std::map<size_t, Image>& kept) {
    std::vector<uint32_t> times;
    hl.on_present = [&](const Image& f, uint32_t t) {
      if (keep(times.size())) kept[times.size()] = f;
      times.push_back(t);
    };
    fn();
    hl.on_present = nullptr;
    return times;
  }
};

int count_colour(const Image& img, uint32_t colour, int x0 = 0, int y0 = 0, int x1 = 640,
                 int y1 = 480) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (img.at(x, y) == colour) ++n;
  return n;
}

// Leftmost column holding the colour in a band of rows, -1 if none.
int leftmost(const Image& img, uint32_t colour, int y0, int y1) {
  for (int x = 0; x < img.w; ++x)
    for (int y = y0; y < y1; ++y)
      if (img.at(x, y) == colour) return x;
  return -1;
}

// A hap outside the table (-1, 7) shows the other ending, pixel for pixel.
TEST_F(EndingTest, ClosingMessageOfEachEndingWithItsColourPlaceAndButton) {
  Image other;
  for (int16_t hap : {0, 1, -1, 7}) {
    Headless h2;
    Game g2{h2.platform()};
    test::ready_on_demo(g2, dir.path());
    g2.interp.hap = hap;
    run_ending(g2.story(), g2.ending, g2.menu);
    const Image& f = h2.last_frame();
    if (hap != 0 && hap != 1) {
      EXPECT_TRUE(f.px == other.px) << hap;
      continue;
    }
    const uint32_t c = hap ? kEndColourTrue : kEndColourOther;
    // Dark purple all round, the end button at (560, 440).
    EXPECT_EQ(f.at(5, 5), kEndBackground);
    EXPECT_EQ(f.at(5, 470), kEndBackground);
    EXPECT_TRUE(g2.ending.END_btn.visible);
    EXPECT_EQ(f.at(560 + 30, 440), rgb(255, 255, 255));  // the raised top edge
    // Line 0 written by the rose at screen row 210 from x 214, with its
    // shadow; lines 1 and 2 typed at rows 380 and 410.
    EXPECT_GT(count_colour(f, c, 200, 205, 480, 245), 100);
    EXPECT_GT(count_colour(f, kEndShadow, 200, 205, 480, 250), 50);
    EXPECT_EQ(count_colour(f, c, 0, 0, 640, 200), 0);
    const int n1 = static_cast<int>(end_message(hap, 1).size());
    const int first1 = leftmost(f, c, 380, 405);
    EXPECT_GE(first1, end_char_x(hap, 1, n1));
    EXPECT_LT(first1, end_char_x(hap, 1, n1) + 15);
    EXPECT_GT(count_colour(f, c, 0, 410, 640, 440), 60);
    for (const char* m : {"prog_save", "vvrr"}) EXPECT_FALSE(h2.menu_enabled(m)) << m;
    if (hap == 0) other = f;
  }
}

TEST_F(EndingTest, EndButtonAppearsOnlyAfterTheLastCharacterAndCloses) {
  g.interp.hap = 1;
  // As the roll leaves the screen: the overlay shown, the scene gone.
  g.screen.End_Pic.visible = true;
  g.screen.Pic_Main.visible = false;
  uint32_t last_typed = 0;
  int button_frames_before = 0;
  hl.on_present = [&](const Image& f, uint32_t t) {
    if (count_colour(f, kEndColourTrue, 0, 410, 640, 440) > 0) last_typed = t;
    if (g.ending.END_btn.visible && last_typed == 0) ++button_frames_before;
  };
  const uint32_t start = hl.now();
  show_end_message(g.finale());
  hl.on_present = nullptr;
  EXPECT_EQ(button_frames_before, 0);
  EXPECT_TRUE(g.ending.end_button_enabled);
  // The rose writes for 461 frames of 10 ms, the pause is 1 s, and the two
  // typed lines take 50 ms a character.
  const uint32_t typed = 50 * (17 + 19);
  EXPECT_GE(hl.now() - start, 4610u + 1000u + typed);

  // A press elsewhere does nothing; a press on the button ends the program
  // in order (what that leaves in the folder, the whole game's test sees).
  handle_event(g, InputEvent{InputEvent::MouseDown, 100, 100, kLeftButton});
  expect_orderly_end(
      [&] {
        handle_event(g, InputEvent{InputEvent::MouseDown, 570, 450, kLeftButton});
      },
      "the end button");
}

TEST_F(EndingTest, StaffRollTakesExactlyItsWaitsAndPlaysTheTuneOnce) {
  // Music switched off in the options: the ending tune plays all the same.
  g.sound.Music_On = 0;
  g.screen.Pic_Back.font = Font{"Arial", 20, false};
  g.screen.End_Pic.visible = true;
  fill_staff_table(g.ending);
  const Result<Image> loaded81 = hl.platform().pictures.load_picture(dir / "81.dat");
  ASSERT_TRUE(loaded81);
  const Image& pic81 = loaded81.value();
  // A broken card picture is named once and its card goes on without it.
  test::write_bytes(dir / "83.dat", "\xFF\xD8 no longer a picture");
  // The staff cards stand over their pictures reduced to half at (160, 130):
  // some frame shows 81.dat there.
  bool seen81 = false;
  Image last;
  const uint32_t start = hl.now();
  hl.on_present = [&](const Image& f, uint32_t) {
    if (f.at(160 + 10, 130 + 10) == pic81.at(21, 21) &&
        f.at(160 + 300, 130 + 20) == pic81.at(601, 41))
      seen81 = true;
    last = f;
  };
  show_staff_roll(g.finale());
  hl.on_present = nullptr;
  // A: 4 s, 11 x 80 ms, 5 s, the rose 461 x 15 ms, 3 s, three fades of
  // 11 x 50 ms with 1 s, 4 s and 2 s after them. B: 1 s, then four cards of
  // 11 x 50 ms, 300 ms, 21 x 50 ms, 3 s, 11 x 50 ms and 2 s. C: 5 s and 3 s.
  // D: 11 x 50 ms, 6 s, 11 x 50 ms, 2 s. E: 1 s, 11 x 50 ms, 6 s,
  // 11 x 50 ms, 2 s, 1 s.
  const uint32_t a = 4000 + 880 + 5000 + 461 * 15 + 3000 + 3 * 550 + 1000 + 4000 + 2000;
  const uint32_t b = 1000 + 4 * (550 + 300 + 21 * 50 + 3000 + 550 + 2000);
  const uint32_t c = 5000 + 3000;
  const uint32_t d = 550 + 6000 + 550 + 2000;
  const uint32_t e = 1000 + 550 + 6000 + 550 + 2000 + 1000;
  EXPECT_EQ(hl.now() - start, a + b + c + d + e);
  EXPECT_EQ(events(hl, LogKind::Music).where(&LogEvent::file, Part{"velloria.mid"}).count(), 1);
  EXPECT_EQ(events(hl, LogKind::Music).where(&LogEvent::action, "play").size(), 1u);
  // The overlay ends dark purple and full-window.
  EXPECT_EQ(std::make_pair(g.screen.End_Pic.width(), g.screen.End_Pic.height()),
            std::make_pair(640, 480));
  EXPECT_EQ(last.at(320, 240), kEndBackground);
  EXPECT_TRUE(seen81);
  EXPECT_EQ(events(hl, LogKind::Warning)
                .where(&LogEvent::text, Part{"the staff roll goes on without 83.dat"})
                .count(),
            1);
  EXPECT_EQ(count(hl, LogKind::Dialog), 0);
}

TEST_F(EndingTest, RoseFadesInThenTurnsPinkAndMovesAtFrame250) {
  Surface& pic = g.screen.End_Pic;
  pic.visible = true;
  pic.back_color = 0;
  pic.clear();
  std::map<size_t, Image> kept;
  auto times = record([&] { rose_wipe(g.finale()); },
                      [](size_t i) { return i == 124 || i == 125 || i == 460; }, kept);
  ASSERT_EQ(times.size(), 461u);
  // Frame i draws a = 2i; frame 124 is a = 248, frame 125 is a = 250.
  const Image& f248 = kept[124];
  const Image& f250 = kept[125];
  EXPECT_GT(count_colour(f248, rgb(248, 124, 124)), 20);
  EXPECT_EQ(count_colour(f248, rgb(255, 128, 128)), 0);
  EXPECT_GT(count_colour(f250, rgb(255, 128, 128)), 20);
  // The rose crossed the strip: its last frame is the faded (15, 8, 8) rose
  // near x = 160 + 296, and the strip holds nothing else.
  const Image& last = kept[460];
  EXPECT_GT(count_colour(last, rgb(15, 8, 8), 160 + 296 - 16, 210, 160 + 296 + 16, 240), 10);
  EXPECT_EQ(count_colour(last, rgb(255, 128, 128)), 0);
  EXPECT_EQ(pic.left, 0);
  EXPECT_EQ(pic.width(), 640);
}

TEST_F(EndingTest, NameOfTheSecondStaffMemberIsPinkInAnyRow) {
  fill_staff_table(g.ending);
  EndingState& e = g.ending;
  ASSERT_EQ(name_colour_key(e), e.Staff_Table[3][2].substr(0, 3));
  g.screen.Pic_Back.font = Font{"Arial", 20, false};
  e.Card_Split = 200;
  const uint32_t pink = rgb(255, 192, 255), yellow = rgb(255, 255, 192);
  draw_staff_card(g.finale(), 2);
  EXPECT_GT(count_colour(g.screen.Pic_Back.img, yellow, 0, 150, 500, 200), 20);
  EXPECT_EQ(count_colour(g.screen.Pic_Back.img, pink, 0, 150, 500, 200), 0);
  e.Staff_Table[2][2] = name_colour_key(e) + " and friends";
  draw_staff_card(g.finale(), 2);
  EXPECT_GT(count_colour(g.screen.Pic_Back.img, pink, 0, 150, 500, 200), 20);
  // The underline runs from x 0 to Card_Split - 1 at y 68.
  EXPECT_EQ(g.screen.Pic_Back.img.at(0, 68), rgb(0, 0, 255));
  EXPECT_EQ(g.screen.Pic_Back.img.at(199, 68), rgb(0, 0, 255));
  EXPECT_NE(g.screen.Pic_Back.img.at(200, 68), rgb(0, 0, 255));

  const uint32_t before = hl.now();
  wait_seconds(g.finale(), 0);
  wait_seconds(g.finale(), -3);
  EXPECT_EQ(hl.now(), before);
}

TEST_F(EndingTest, MusicFadesAndTheSceneDissolvesToBlack) {
  hl.volume_level = 0x8000;
  g.sound.Cur_Track = 2;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) g.screen.Pic_Main.img.at(x, y) = rgb(200, 100, 50);
  // The last message still stands: the music fades over the bare background.
  g.screen.Waku[0].img = Image(g.screen.Waku[0].width(), g.screen.Waku[0].height(), rgb(1, 2, 3));
  g.screen.Waku[0].visible = true;
  g.story().refresh();
  bool bare_before_fade = false;
  uint32_t fade_done = 0, black_at = 0;
  hl.on_present = [&](const Image& f, uint32_t t) {
    if (count(hl, LogKind::Volume) == 0 && count_colour(f, rgb(1, 2, 3)) == 0 &&
        f.at(320, 240) == rgb(200, 100, 50))
      bare_before_fade = true;
    if (!fade_done && events(hl, LogKind::Volume).where(&LogEvent::number, 0).size() == 1u)
      fade_done = t;
    if (!black_at && f.at(320, 240) == 0 && count_colour(f, rgb(200, 100, 50)) == 0) black_at = t;
  };
  // Close the window once the roll has begun.
  hl.at(12000, [&] {
    EXPECT_EQ(events(hl, LogKind::Music).where(&LogEvent::file, Part{"velloria.mid"}).count(), 1);
  });
  hl.close(12000);
  // The close request leaves the roll's loops for the main loop, which
  // unloads the main window.
  expect_orderly_end([&] { run_ending(g.story(), g.ending, g.menu); }, "the close box");
  hl.on_present = nullptr;
  EXPECT_EQ(g.sound.Cur_Track, 0);
  // Eight steps down to 0, then back at the level for the ending tune.
  EXPECT_EQ(events(hl, LogKind::Volume).where(&LogEvent::number, 28672).size(), 1u);
  EXPECT_EQ(events(hl, LogKind::Volume).where(&LogEvent::number, 0).size(), 1u);
  EXPECT_EQ(events(hl, LogKind::Volume).where(&LogEvent::number, 32768).size(), 1u);
  ASSERT_NE(fade_done, 0u);
  EXPECT_GE(black_at - fade_done, 9u * 150u);
  EXPECT_TRUE(bare_before_fade);
  // Ended in the middle of the roll: nothing of the closing message, the
  // volume restored.
  EXPECT_EQ(count(hl, LogKind::EndButton), 0);
  EXPECT_EQ(hl.volume_level, 0x8000u);
}

TEST_F(EndingTest, TuneAfterAFadeOutPlaysAtTheEarlierLevelAndNothingOpensOverTheRoll) {
  hl.volume_level = 0x8000;
  g.sound.Cur_Track = 2;
  g.interp.Cur_Cmd = "aJ";  // the story fades its music out before the ending
  sound_command(g.audio(), g.interp.Cur_Cmd, g.assets);
  ASSERT_EQ(hl.volume_level, 0u);
  uint32_t level_for_tune = 1;
  // Nothing opens the history over the roll: not the menu, not the wheel.
  hl.wheel(11000, 320, 240, -1);
  hl.at(12000, [&] {
    EXPECT_EQ(events(hl, LogKind::Music).where(&LogEvent::file, Part{"velloria.mid"}).count(), 1);
    level_for_tune = hl.volume_level;
    for (const char* m : {"history", "auto"}) EXPECT_FALSE(hl.menu_enabled(m)) << m;
  });
  hl.close(12000);
  expect_orderly_end([&] { run_ending(g.story(), g.ending, g.menu); }, "the close box");
  EXPECT_EQ(level_for_tune, 0x8000u);
  EXPECT_EQ(events(hl, LogKind::History).where(&LogEvent::action, "open").count(), 0);
}

}  // namespace
}  // namespace vm
