// Background changes. Every transition is checked frame by frame against
// pixels computed here from the effect's geometry: which columns, rows,
// squares or dither cells show the new picture after step i.
#include <map>
#include <set>

#include "scene_fixture.h"

namespace vm::test {
namespace {

// A pixel as the darkened cut shows it: every channel 100 darker.
uint32_t darker(uint32_t c) {
  auto d = [](uint8_t v) { return static_cast<uint8_t>(v > 100 ? v - 100 : 0); };
  return rgb(d(red_of(c)), d(green_of(c)), d(blue_of(c)));
}

// Short backgrounds stand on the wall strip, full-height ones do not; the
// darkened cut shows every channel 100 darker, the strip too.
TEST_F(SceneTest, ShortBackgroundsStandOnTheWallStripFullHeightOnesDoNot) {
  for (const std::string code : {"", "DK"})
    for (int h : {345, 479, 480}) {
      write_picture("75.dat", make_image(640, h, new_px));
      place(0, "");
      place(5, code);
      const Image& wall = g.screen.Wall_Back.img;
      EXPECT_TRUE(shows(g.screen.Pic_Main.img,
                        [&](int x, int y) {
                          const uint32_t p =
                              y < 345 || h == 480 ? new_px(x, y) : wall.at(x, y - 345);
                          return code.empty() ? p : darker(p);
                        }))
          << code << " " << h;
      EXPECT_EQ(wall.at(0, 0), kWallColour);
    }
}

TEST_F(SceneTest, GalleryMarksAClearedWindowAndAMissingBackgroundThatChangesNothing) {
  for (int n : {4, 7, 10})
    write_picture(std::to_string(70 + n) + ".dat", make_image(640, 480, new_px));
  place(4, "");
  place(10, "");
  EXPECT_EQ(g.assets.CG_Seen, (std::array<int16_t, 5>{0, 0, 0, 0, 0}));
  // A change also hides the window and the click mark and resets the lines.
  g.screen.Waku[0].visible = true;
  g.screen.Blinker.visible = true;
  g.msg.Line_No = 3;
  g.msg.Shown_Speaker = 2;
  EXPECT_EQ(place(7, "HB"), kNothingToShow);
  EXPECT_EQ(g.assets.CG_Seen, (std::array<int16_t, 5>{0, 0, -1, 0, 0}));
  EXPECT_EQ(std::tie(g.screen.Waku[0].visible, g.screen.Blinker.visible, g.msg.Line_No,
                     g.msg.Shown_Speaker),
            std::make_tuple(false, false, 0, 0));
  // A background the data does not hold is reported with its script line.
  g.interp.cur_line = 42;
  const int before = hl.present_count();
  EXPECT_EQ(place(13, "VB"), kNothingToShow);
  EXPECT_EQ(hl.present_count(), before);
  EXPECT_GT(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"83.dat"}).count(), 0);
  EXPECT_GT(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"51.dat line 42"}).count(), 0);
  EXPECT_TRUE(shows(g.screen.Pic_Main.img, new_px));
}

TEST_F(SceneTest, SpritesAreFlattenedIntoTheOldScreenThenCoveredByTheNew) {
  write_picture("11.dat", sprite_picture(180, 300, 240));
  write_picture("21.dat", sprite_picture(220, 400, 230));
  place(0, "");
  doll(1, 1, "L");
  doll(2, 1, "R");
  g.scene.Doll_Shown[7][0] = 4;  // character 8 is not forgotten by a change
  const Image shown = hl.last_frame();
  int index = 0;
  hl.on_present = [&](const Image& frame, uint32_t) {
    // Stamping each sprite into the screen changes nothing the player sees;
    // the first frames of the effect still show both sprites around the bars.
    const int i = index++;
    if (i < 2) {
      EXPECT_TRUE(shows(frame, [&](int x, int y) { return shown.at(x, y); }));
    }
    if (i == 3) {
      EXPECT_TRUE(shows(frame, [&](int x, int y) {
        return x % 4 < 2            ? (x / 4 <= 1 ? new_px(x, y) : shown.at(x, y))
               : (639 - x) / 4 <= 1 ? new_px(x, y)
                                    : shown.at(x, y);
      }));
    }
  };
  place(1, "VB");
  hl.on_present = nullptr;
  for (const Surface& d : g.screen.Doll_Disp) EXPECT_FALSE(d.visible);
  for (int r = 0; r < 7; ++r)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(g.scene.Doll_Shown[r][j], 0);
  EXPECT_EQ(g.scene.Doll_Shown[7][0], 4);
  EXPECT_TRUE(shows(hl.last_frame(), new_px));
}

TEST_F(SceneTest, MaskSheetIsRestoredWhenMesh1WasSizedButNotFilled) {
  g.screen.Mesh1.place(0, 0, 320, 64);
  g.screen.Mesh1.clear();
  ensure_mask_sheet(g.screen);
  Surface want{"want"};
  load_mask_sheet(want);
  EXPECT_EQ(g.screen.Mesh1.img.px, want.img.px);
}

// ---------------------------------------------------------- transitions ---

using NewAt = std::function<bool(int x, int y, int step)>;

struct Case {
  std::string name, code;
  int steps;          // presents of the effect itself
  uint32_t duration;  // virtual milliseconds the effect takes
  std::set<int> checked;
  NewAt fresh;
  // Whether events run between its steps: only the effects paced on the
  // clock let them.
  bool paced = false;
};

// Test names show the code rather than the bytes of the case.
void PrintTo(const Case& c, std::ostream* os) {
  *os << '"' << c.code << '"';
}

bool dissolved(int x, int, int i) {
  return x % 50 <= i;
}

// Only the first two characters name the effect, and case matters.
std::vector<Case> cases() {
  return {
      {"DIssolve", "DIssolve please", 50, 0, {0, 1, 17, 49}, dissolved},
      {"VB",
       "VB",
       161,
       805,
       {0, 1, 40, 80, 159, 160},
       [](int x, int, int i) { return x % 4 < 2 ? x / 4 <= i : (639 - x) / 4 <= i; },
       true},
      {"HB",
       "HB",
       121,
       0,
       {0, 3, 60, 119, 120},
       [](int, int y, int i) { return y % 4 < 2 ? y / 4 <= i : (479 - y) / 4 <= i; }},
      {"HC",
       "HC",
       43,
       2150,
       {0, 1, 7, 20, 41, 42},
       [](int x, int, int i) {
         const int band = x / 15, off = x % 15;
         return band <= i || off < 15 - (band - i);
       },
       true},
      {"BC",
       "BC",
       10,
       400,
       {0, 4, 9},
       [](int x, int y, int i) { return x % 20 < 2 * (i + 1) && y % 20 < 2 * (i + 1); },
       true},
      {"IC",
       "IC",
       2,
       100,
       {0, 1},
       [](int x, int y, int i) { return i == 1 || ((x % 4 < 2) == (y % 4 < 2)); },
       true},
      {"MS",
       "MS",
       10,
       810,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
       // The dissolve's cells are the mask sheet's own, checked where the
       // sheet is; here, that step i shows exactly cell i of it.
       [](int x, int y, int i) { return i == 9 || mask_cell(i)[y % 8][x % 8] == '#'; },
       true},
      {"Cut", "", 1, 0, {0}, [](int, int, int) { return true; }},
      {"Unknown", "XY", 1, 0, {0}, [](int, int, int) { return true; }},
      {"SmallLetters", "di", 1, 0, {0}, [](int, int, int) { return true; }},
      {"OneLetter", "D", 1, 0, {0}, [](int, int, int) { return true; }},
  };
}

class TransitionGolden : public SceneTest, public ::testing::WithParamInterface<Case> {};

TEST_P(TransitionGolden, EveryCheckedStepShowsExactlyTheNewPixelsOfThatStep) {
  const Case c = GetParam();
  place(0, "");  // the old picture, with a cut
  ASSERT_TRUE(shows(hl.last_frame(), old_px));

  int index = 0;
  int checked = 0;
  const uint32_t t0 = hl.now();
  uint32_t effect_end = 0;
  // A hook scheduled for now runs at the first chance the game gives pending
  // events: between the steps of a paced effect, after the others are over.
  int before_hook = -1;
  hl.at(hl.now(), [&] { before_hook = index; });
  hl.on_present = [&](const Image& frame, uint32_t now) {
    const int i = index++;
    if (i == c.steps) effect_end = now;  // the backdrop, once the effect is over
    if (!c.checked.count(i)) return;
    ++checked;
    EXPECT_TRUE(
        shows(frame, [&](int x, int y) { return c.fresh(x, y, i) ? new_px(x, y) : old_px(x, y); }))
        << c.code << " step " << i;
  };
  EXPECT_EQ(place(1, c.code), kNothingToShow);
  hl.on_present = nullptr;
  EXPECT_EQ(checked, static_cast<int>(c.checked.size()));
  // The effect's presents, then the message window's recomposition.
  EXPECT_EQ(index, c.steps + 1) << c.code;
  EXPECT_EQ(effect_end - t0, c.duration) << c.code;
  EXPECT_TRUE(shows(g.screen.Pic_Main.img, new_px));
  EXPECT_EQ(g.scene.Trans_Code, c.code.substr(0, 2));
  // Every frame of an unpaced effect and the backdrop's present came first.
  EXPECT_EQ(before_hook, c.paced ? 1 : c.steps + 1) << c.code;
}

INSTANTIATE_TEST_SUITE_P(AllCodes, TransitionGolden, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& p) { return p.param.name; });

TEST_F(SceneTest, DarkenedCutIsShownAtOnceWithTheBackdropBeforeEventsRun) {
  place(0, "");
  const int before = hl.present_count();
  const uint32_t t0 = hl.now();
  int before_hook = -1;  // events run only once the cut and backdrop are shown
  hl.at(hl.now(), [&] { before_hook = hl.present_count() - before; });
  place(1, "DK");
  EXPECT_EQ(before_hook, 2);
  EXPECT_EQ(hl.present_count() - before, 2);  // the cut, then the window backdrop
  EXPECT_EQ(hl.now(), t0);
}

// --------------------------------------------------------------- pacing ---

class PacingTest : public SceneTest {
 protected:
  // Makes every present cost ms of (virtual) time, as a slow screen would.
  void slow_presents(int ms, int* count) {
    hl.on_present = [this, ms, count](const Image&, uint32_t) {
      ++*count;
      hl.platform().clock.sleep(ms);
    };
  }
};

TEST_F(PacingTest, SlowPresentsDropFramesButKeepTheSpeedAndAHeldUpLoopKeepsItsPace) {
  place(0, "");
  g.screen.Pic_Back.img = make_image(640, 480, new_px);
  int presents = 0;
  slow_presents(9, &presents);
  g.scene.Trans_Code = "VB";
  const uint32_t t0 = hl.now();
  run_transition(g.stage());
  hl.on_present = nullptr;
  const uint32_t took = hl.now() - t0;
  EXPECT_TRUE(within(took, 805, 805 + 9 + 1));
  // Roughly every other step is shown; never all 161.
  EXPECT_TRUE(within(presents, 61, 120));
  EXPECT_TRUE(shows(hl.last_frame(), new_px));
  // A handler that keeps the program for two seconds (a modal dialog): the
  // loop carries on at its own pace rather than rushing to catch up.
  hl.at(hl.now() + 100, [this] { hl.platform().clock.sleep(2000); });
  presents = 0;
  hl.on_present = [&](const Image&, uint32_t) { ++presents; };
  g.scene.Trans_Code = "HC";
  const uint32_t t1 = hl.now();
  run_transition(g.stage());
  hl.on_present = nullptr;
  EXPECT_EQ(presents, 43);
  EXPECT_TRUE(within(hl.now() - t1, 2150 + 2000, 2150 + 2000 + 2));
}

TEST_F(PacingTest, PresentsSlowerThanTheBudgetOfAFaceStepStillShowEveryStep) {
  write_picture("60.dat", make_image(580, 585, new_px));
  write_picture("11.dat", sprite_picture(180, 300, 240));
  load_faces(g.stage());
  place(0, "");
  doll(1, 1, "L");
  int presents = 0;
  slow_presents(20, &presents);
  g.interp.Cur_Face = 2;
  const uint32_t t0 = hl.now();
  change_face(g.stage(), 1, 1, 2, g.input.Text_Mode != 0);
  hl.on_present = nullptr;
  EXPECT_EQ(presents, 10);  // 20 ms of 50: nothing to drop
  // The last present, and at most the millisecond that guards against a
  // start inside a tick.
  EXPECT_TRUE(within(hl.now() - t0, 450 + 20, 450 + 20 + 2));
}

}  // namespace
}  // namespace vm::test
