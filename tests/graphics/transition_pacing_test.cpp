// Pacing on the virtual clock: the effect keeps its speed when presenting is
// slower than a step, and a loop held up by an event carries on instead of
// rushing. (With free presents each effect's budget is checked along with its
// frames.)
#include "scene_fixture.h"

namespace vm::test {
namespace {

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

TEST_F(PacingTest, SlowPresentsDropInBetweenFramesButKeepTheSpeedAndTheLastFrame) {
  place(0, "");
  g.screen.Pic_Back.img = make_image(640, 480, new_px);
  int presents = 0;
  slow_presents(9, &presents);
  g.scene.Trans_Code = "VB";
  const uint32_t t0 = hl.now();
  run_transition(g.stage());
  hl.on_present = nullptr;
  const uint32_t took = hl.now() - t0;
  EXPECT_GE(took, 805u);
  EXPECT_LE(took, 805u + 9u);
  // Roughly every other step is shown; never all 161.
  EXPECT_GT(presents, 60);
  EXPECT_LT(presents, 120);
  EXPECT_EQ(count_mismatches(hl.last_frame(), new_px), 0);
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
  EXPECT_GE(hl.now() - t0, 450u + 20u);
  EXPECT_LE(hl.now() - t0, 450u + 20u + 1u);
}

TEST_F(PacingTest, ALoopHeldUpByAnEventCarriesOnAtItsOwnPace) {
  place(0, "");
  // A handler that keeps the program for two seconds (a modal dialog).
  hl.at(hl.now() + 100, [this] { hl.platform().clock.sleep(2000); });
  int presents = 0;
  hl.on_present = [&](const Image&, uint32_t) { ++presents; };
  g.scene.Trans_Code = "HC";
  const uint32_t t0 = hl.now();
  run_transition(g.stage());
  hl.on_present = nullptr;
  EXPECT_EQ(presents, 43);
  EXPECT_GE(hl.now() - t0, 2150u + 2000u);
  EXPECT_LE(hl.now() - t0, 2150u + 2000u + 1u);
}

}  // namespace
}  // namespace vm::test
