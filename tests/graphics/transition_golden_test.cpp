// Every transition, frame by frame, against pixels computed here from the
// effect's geometry: which columns, rows, squares or dither cells show the
// new picture after step i.
#include <map>
#include <set>

#include "scene_fixture.h"

namespace vm::test {
namespace {

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
      {"DI", "DI", 50, 0, {0, 1, 17, 49}, dissolved},
      {"DIssolve", "DIssolve please", 50, 0, {0, 49}, dissolved},
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
  ASSERT_EQ(count_mismatches(hl.last_frame(), old_px), 0);

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
    std::string first;
    const int bad = count_mismatches(
        frame, [&](int x, int y) { return c.fresh(x, y, i) ? new_px(x, y) : old_px(x, y); },
        &first);
    EXPECT_EQ(bad, 0) << c.code << " step " << i << " first mismatch " << first;
  };
  EXPECT_EQ(place(1, c.code), kNothingToShow);
  hl.on_present = nullptr;
  EXPECT_EQ(checked, static_cast<int>(c.checked.size()));
  // The effect's presents, then the message window's recomposition.
  EXPECT_EQ(index, c.steps + 1) << c.code;
  EXPECT_EQ(effect_end - t0, c.duration) << c.code;
  EXPECT_EQ(count_mismatches(g.screen.Pic_Main.img, new_px), 0);
  EXPECT_EQ(g.scene.Trans_Code, c.code.substr(0, 2));
  // Every frame of an unpaced effect and the backdrop's present came first.
  EXPECT_EQ(before_hook, c.paced ? 1 : c.steps + 1) << c.code;
}

INSTANTIATE_TEST_SUITE_P(AllCodes, TransitionGolden, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& p) { return p.param.name; });

uint32_t darker(uint32_t c) {
  auto d = [](uint8_t v) { return static_cast<uint8_t>(v > 100 ? v - 100 : 0); };
  return rgb(d(red_of(c)), d(green_of(c)), d(blue_of(c)));
}

TEST_F(SceneTest, DarkenedCutShowsEveryChannelAndTheWallStripOneHundredDarkerAtOnce) {
  place(0, "");
  write_picture("73.dat", make_image(640, 480, [](int x, int y) {
                  return x == 5 && y == 7 ? rgb(120, 90, 250) : new_px(x, y);
                }));
  const int before = hl.present_count();
  const uint32_t t0 = hl.now();
  int before_hook = -1;  // events run only once the cut and backdrop are shown
  hl.at(hl.now(), [&] { before_hook = hl.present_count() - before; });
  place(3, "DK");
  EXPECT_EQ(before_hook, 2);
  EXPECT_EQ(hl.present_count() - before, 2);  // the cut, then the window backdrop
  EXPECT_EQ(hl.now(), t0);
  EXPECT_EQ(g.screen.Pic_Main.img.at(5, 7), rgb(20, 0, 150));
  EXPECT_EQ(count_mismatches(g.screen.Pic_Main.img,
                             [](int x, int y) {
                               return x == 5 && y == 7 ? rgb(20, 0, 150) : darker(new_px(x, y));
                             }),
            0);
  // The wall strip under a short background is darkened too.
  write_picture("74.dat", make_image(640, 345, new_px));
  place(4, "DK");
  const Image& wall = g.screen.Wall_Back.img;
  EXPECT_EQ(count_mismatches(
                g.screen.Pic_Main.img,
                [&](int x, int y) { return darker(y < 345 ? new_px(x, y) : wall.at(x, y - 345)); }),
            0);
}

}  // namespace
}  // namespace vm::test
