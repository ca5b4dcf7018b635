// Faces: the sheet's layout, the dither dissolve over the sprite on screen,
// skip mode, and the fatal request for a face on no sprite.
#include "platform/errors.h"
#include "scene_fixture.h"

namespace vm::test {
namespace {

const char* const kCell3[8] = {"#.#.#.#.", ".#.#.#..", "#.#.#.#.", "...#...#",
                               "#.#.#.#.", ".#...#.#", "#.#.#.#.", "...#...#"};

// The face sheet: every face a colour of its own, with black specks the face
// leaves transparent.
uint32_t sheet_px(int x, int y) {
  if ((x * 3 + y * 7) % 11 == 0) return 0;
  return rgb(static_cast<uint8_t>(40 + (y / 8) % 200), static_cast<uint8_t>(60 + x % 190),
             static_cast<uint8_t>(5 + (x + y) % 240));
}

class FaceTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    write_picture("60.dat", make_image(580, 585, sheet_px));
    write_picture("11.dat", sprite_picture(180, 300, 240));
    write_picture("12.dat", sprite_picture(160, 320, 220));
    write_picture("22.dat", sprite_picture(150, 350, 180));
    write_picture("42.dat", sprite_picture(190, 310, 140));
    load_faces(g.stage());
    place(0, "");
  }
  int face(int f) {
    g.interp.Cur_Face = static_cast<uint8_t>(f);
    change_face(g.stage(), g.interp.Cur_Doll, g.interp.Cur_Pose, f, g.input.Text_Mode != 0);
    return kShowMessage;
  }
};

TEST_F(FaceTest, FaceDissolvesInOverNineStepsOfFiftyMilliseconds) {
  doll(1, 1, "L");
  const Image before = hl.last_frame();
  const int x1 = 77, y1 = 180 + 69, w = 84, h = 68, sy = 2 * 68;
  auto fresh = [&](int x, int y) {
    const uint32_t f = sheet_px(x - x1, sy + y - y1);
    return f ? f : before.at(x, y);
  };
  auto in_area = [&](int x, int y) { return x >= x1 && x < x1 + w && y >= y1 && y < y1 + h; };
  int index = 0;
  const uint32_t t0 = hl.now();
  hl.on_present = [&](const Image& frame, uint32_t now) {
    const int k = index++;
    if (k == 3) {
      std::string first;
      EXPECT_EQ(count_mismatches(
                    frame,
                    [&](int x, int y) {
                      if (!in_area(x, y)) return before.at(x, y);
                      return kCell3[(y - y1) % 8][(x - x1) % 8] == '#' ? fresh(x, y)
                                                                       : before.at(x, y);
                    },
                    &first),
                0)
          << first;
      EXPECT_EQ(now - t0, 150u);
    }
  };
  EXPECT_EQ(face(3), kShowMessage);
  hl.on_present = nullptr;
  EXPECT_EQ(index, 10);
  EXPECT_EQ(hl.now() - t0, 450u);
  EXPECT_EQ(
      count_mismatches(hl.last_frame(),
                       [&](int x, int y) { return in_area(x, y) ? fresh(x, y) : before.at(x, y); }),
      0);
  // The picture keeps its own face: a pose shown again brings it back.
  EXPECT_EQ(g.scene.Doll_Body[0].img.px, sprite_picture(180, 300, 240).px);
}

TEST_F(FaceTest, SkippingChangesTheFaceAtOnceAndSpritesWithoutAColumnUseTheFirstRow) {
  doll(1, 1, "L");
  g.input.Text_Mode = 0;
  const int before = hl.present_count();
  const uint32_t t0 = hl.now();
  face(1);
  EXPECT_EQ(hl.present_count() - before, 1);
  EXPECT_EQ(hl.now(), t0);
  EXPECT_EQ(hl.last_frame().at(77 + 1, 249 + 1), sheet_px(1, 1));
  // Sprites without a column of their own use the first row.
  doll(4, 2, "L");
  face(2);
  EXPECT_EQ(g.screen.Doll_Disp[0].img.at(77 + 5, 69 + 5), sheet_px(5, 68 + 5));
}

TEST_F(FaceTest, RightSlotFaceComesFromItsOwnColumn) {
  doll(2, 2, "R");
  face(1);
  const Surface& d = g.screen.Doll_Disp[1];
  const Image s22 = sprite_picture(150, 350, 180);
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 88; ++x) {
      const uint32_t f = sheet_px(253 + x, y);
      // Outside the picture (x >= 150) the slot is clipped, nothing drawn.
      if (40 + x >= d.width()) continue;
      const uint32_t under =
          s22.at(40 + x, 58 + y) ? s22.at(40 + x, 58 + y) : old_px(350 + 40 + x, 130 + 58 + y);
      ASSERT_EQ(d.img.at(40 + x, 58 + y), f ? f : under) << x << "," << y;
    }
}

TEST_F(FaceTest, FaceOnNoShownPoseEndsTheProgramAfterTheMessage) {
  auto messages = [&] { return count(hl, LogKind::Dialog, "\"0 doll but face change?\""); };
  // No sprite at all.
  g.interp.Cur_Doll = 0;
  EXPECT_THROW(face(1), ShutdownRequest);
  EXPECT_EQ(messages(), 1);
  // A pose that is not shown.
  doll(1, 1, "L");
  g.interp.Cur_Pose = 2;
  EXPECT_THROW(face(1), ShutdownRequest);
  EXPECT_EQ(messages(), 2);
  // After a hide, rather than paint an empty slot.
  doll(1, 0, "");
  g.interp.Cur_Pose = 1;
  EXPECT_THROW(face(1), ShutdownRequest);
  EXPECT_EQ(messages(), 3);
}

TEST_F(FaceTest, FaceNumberOutsideTheSheetIsReportedAndDrawsNothing) {
  doll(1, 1, "L");
  g.interp.cur_line = 31;
  const Image before = g.screen.Doll_Disp[0].img;
  EXPECT_EQ(face(9), kShowMessage);
  EXPECT_EQ(face(0), kShowMessage);
  EXPECT_GT(count(hl, LogKind::Dialog, "51.dat line 31"), 0);
  EXPECT_EQ(g.screen.Doll_Disp[0].img.px, before.px);
}

}  // namespace
}  // namespace vm::test
