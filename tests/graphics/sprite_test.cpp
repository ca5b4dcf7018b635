// Character sprites and their faces, on exact pixels.
#include "platform/errors.h"
#include "scene_fixture.h"

namespace vm::test {
namespace {

class SpriteTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    write_picture("11.dat", sprite_picture(180, 300, 240));
    write_picture("12.dat", sprite_picture(160, 320, 220));
    write_picture("21.dat", sprite_picture(220, 400, 200));
    write_picture("22.dat", sprite_picture(150, 350, 180));
    place(0, "");
  }

  // The screen with a sprite picture standing at x on the bottom edge.
  static uint32_t over(const Image& sprite, int sx, int x, int y, uint32_t under) {
    const int sy = 480 - sprite.h;
    if (x < sx || x >= sx + sprite.w || y < sy) return under;
    const uint32_t p = sprite.at(x - sx, y - sy);
    return p == 0 ? under : p;
  }
  // Whether row or column p of a sprite size long lies in a bar the wipe has
  // swept by step s: bars of width rows or columns every 4 from both edges.
  static bool swept(int p, int size, int s, int width) {
    for (int m = 0; m <= s; ++m)
      if ((p >= 4 * m && p < 4 * m + width) || (p >= size - 4 * m && p < size - 4 * m + width))
        return true;
    return false;
  }
  // The message window's backdrop over the screen under(x, y): the tint
  // blended inside the frame, then the frame masked in.
  std::function<uint32_t(int, int)> backdrop(std::function<uint32_t(int, int)> under,
                                             float density) {
    return [this, under, density](int x, int y) {
      uint32_t v = under(195 + x, 355 + y);
      if (x >= 6 && x < 426 && y >= 6 && y < 102) v = mix(v, kTint, density);
      return (v & g.screen.Waku[3].img.at(x, y)) ^ g.screen.Waku[2].img.at(x, y);
    };
  }
};

// A sprite stands on the bottom edge with black transparent; the same pose
// again changes nothing, another pose or character takes the slot at once.
TEST_F(SpriteTest, LeftSpriteStandsOnTheBottomEdgeAndAnotherPoseTakesTheSlotAtOnce) {
  const Image s11 = sprite_picture(180, 300, 240);
  EXPECT_EQ(doll(1, 1, "L"), kNothingToShow);
  EXPECT_EQ(g.scene.Doll_Shown[0][0], 1);
  EXPECT_TRUE(
      shows(hl.last_frame(), [&](int x, int y) { return over(s11, 0, x, y, old_px(x, y)); }));
  const int before = hl.present_count();
  doll(1, 1, "L");
  doll(1, 1, "R");  // the same pose again, whatever the position
  EXPECT_EQ(hl.present_count(), before);
  EXPECT_FALSE(g.screen.Doll_Disp[1].visible);
  EXPECT_EQ(g.scene.Doll_Shown[0], (std::array<int16_t, 4>{1, 0, 0, 0}));
  // Another pose replaces the picture in the slot at once.
  const uint32_t t0 = hl.now();
  doll(1, 2, "L");
  EXPECT_EQ(hl.now(), t0);
  EXPECT_EQ(g.scene.Doll_Shown[0][0], 2);
  const Image s12 = sprite_picture(160, 320, 220);
  EXPECT_TRUE(
      shows(hl.last_frame(), [&](int x, int y) { return over(s12, 0, x, y, old_px(x, y)); }));
  // Another character takes the slot and the table remembers both; hiding
  // character 1 wipes slot L, which shows character 2.
  doll(2, 1, "L");
  EXPECT_EQ(g.scene.Doll_Shown[0][0], 2);
  EXPECT_EQ(g.scene.Doll_Shown[1][0], 1);
  doll(1, 0, "");
  EXPECT_FALSE(g.screen.Doll_Disp[0].visible);
  EXPECT_EQ(g.scene.Doll_Shown[0][0], 0);
  EXPECT_EQ(g.scene.Doll_Shown[1][0], 1);
}

TEST_F(SpriteTest, RightAndCentreSlotsStandAtTheirBaseColumnsCentreHidesAtOnceAndRIsClipped) {
  const Image s21 = sprite_picture(220, 400, 200), s12 = sprite_picture(160, 320, 220);
  doll(2, 1, "R");
  doll(1, 2, "C");
  // C lies above R in the stacking order, and each slot's box holds the
  // screen as it was under it, so C's box covers R where they overlap.
  EXPECT_TRUE(shows(hl.last_frame(), [&](int x, int y) {
    const bool in_c = x >= 200 && x < 360 && y >= 160;
    return in_c ? over(s12, 200, x, y, old_px(x, y)) : over(s21, 350, x, y, old_px(x, y));
  }));
  // The centre slot is hidden at once, giving back what it covered.
  const uint32_t t0 = hl.now();
  doll(1, 0, "");
  EXPECT_EQ(hl.now(), t0);
  EXPECT_EQ(g.scene.Doll_Shown[0][2], 0);
  EXPECT_TRUE(
      shows(hl.last_frame(), [&](int x, int y) { return over(s21, 350, x, y, old_px(x, y)); }));
  // Another character takes slot R; one taller than the screen is clipped.
  write_picture("41.dat", sprite_picture(400, 520, 120));
  doll(4, 1, "R");
  const Image s41 = sprite_picture(400, 520, 120);
  EXPECT_TRUE(
      shows(hl.last_frame(), [&](int x, int y) { return over(s41, 350, x, y, old_px(x, y)); }));
}

TEST_F(SpriteTest, LeftWipeSweepsTwoRowBarsFromTopAndBottom) {
  const Image s11 = sprite_picture(180, 300, 240);
  doll(1, 1, "L");
  const int h = 300;
  int index = 0;
  const uint32_t t0 = hl.now();
  hl.on_present = [&](const Image& frame, uint32_t) {
    const int s = index++;
    if (s != 10 && s != 74) return;
    EXPECT_TRUE(shows(frame,
                      [&](int x, int y) {
                        return swept(y - 180, h, s, 2) ? old_px(x, y)
                                                       : over(s11, 0, x, y, old_px(x, y));
                      }))
        << "step " << s;
  };
  g.interp.Cur_Text = "";
  doll(1, 0, "");
  hl.on_present = nullptr;
  EXPECT_EQ(index, h / 2 + 1 + 1);  // the steps, then the hidden surface
  EXPECT_EQ(hl.now() - t0, 8u * (h / 2 + 1));
  EXPECT_FALSE(g.screen.Doll_Disp[0].visible);
  EXPECT_TRUE(shows(hl.last_frame(), old_px));
}

// The window's backdrop blends the tint over a sprite at R; the wipe of R
// hides the window, sweeps three-column bars and recomposes the backdrop.
TEST_F(SpriteTest, BackdropOverTheRightSpriteAndItsWipe) {
  const Image s21 = sprite_picture(220, 400, 200);
  g.options.Window_Density = 0.65f;
  doll(2, 1, "R");
  g.screen.Waku[0].visible = true;
  g.story().refresh();
  const auto want =
      backdrop([&](int x, int y) { return over(s21, 350, x, y, old_px(x, y)); }, 0.65f);
  EXPECT_TRUE(shows(g.screen.Waku[4].img, want));
  EXPECT_EQ(g.screen.Waku[0].img.px, g.screen.Waku[4].img.px);
  EXPECT_EQ(hl.last_frame().at(195 + 250, 355 + 50), want(250, 50));  // the window over the sprite
  EXPECT_EQ(g.msg.Shown_Speaker, 0);

  const int w = 220;
  int index = 0;
  const uint32_t t0 = hl.now();
  hl.on_present = [&](const Image& frame, uint32_t) {
    const int s = index++;
    if (s != 0 && s != 30) return;
    EXPECT_TRUE(shows(frame,
                      [&](int x, int y) {
                        return swept(x - 350, w, s, 3) ? old_px(x, y)
                                                       : over(s21, 350, x, y, old_px(x, y));
                      }))
        << "step " << s;
  };
  doll(2, 0, "");
  hl.on_present = nullptr;
  EXPECT_FALSE(g.screen.Waku[0].visible);
  EXPECT_FALSE(g.screen.Doll_Disp[1].visible);
  EXPECT_EQ(g.scene.Doll_Shown[1][1], 0);
  EXPECT_EQ(hl.now() - t0, 10u * (w / 2 + 1));
  // The backdrop no longer holds the sprite.
  g.screen.Waku[0].visible = true;
  g.story().refresh();
  EXPECT_TRUE(shows(g.screen.Waku[4].img, backdrop(old_px, 0.65f)));
}

TEST_F(SpriteTest, BackdropTakesSlotLeftUnlessTheTextAsksForRightAndForgetsHiddenSlots) {
  // A wide sprite at L reaches under the window.
  write_picture("31.dat", sprite_picture(400, 300, 160));
  const Image s31 = sprite_picture(400, 300, 160);
  doll(3, 1, "L");
  // "L" with nobody at R: the screen alone.
  auto base = [&](bool with_l, int x, int y) {
    return with_l ? over(s31, 0, 195 + x, 355 + y, old_px(195 + x, 355 + y))
                  : old_px(195 + x, 355 + y);
  };
  EXPECT_EQ(g.screen.Waku[4].img.at(250, 50), mix(base(false, 250, 50), kTint, 0.8f));
  // Any other text (here a centre sprite) takes slot L.
  doll(2, 2, "C");
  EXPECT_EQ(g.screen.Waku[4].img.at(100, 50), mix(base(true, 100, 50), kTint, 0.8f));
  EXPECT_NE(base(true, 100, 50), base(false, 100, 50));
  // After a background change the slot is hidden and leaves no trace of the
  // earlier scene in the new backdrop.
  place(1, "");
  EXPECT_TRUE(shows(g.screen.Waku[4].img, backdrop(new_px, 0.8f)));
}

TEST_F(SpriteTest, BadSpriteRowsAreReportedWithTheirScriptLineAndDrawNothing) {
  const int before = hl.present_count();
  // Hiding someone shown nowhere.
  doll(3, 0, "");
  EXPECT_GT(events(hl, LogKind::Dialog)
                .where(&LogEvent::text, Part{"Doll not hide.\r\n(51.dat line"})
                .count(),
            0);
  EXPECT_EQ(g.scene.Doll_Shown[2][3], 0);
  // A position code other than L, R and C.
  doll(1, 1, "l");
  EXPECT_GT(events(hl, LogKind::Dialog)
                .where(&LogEvent::text, Part{"Doll disp position ignore.\r\n(51.dat line"})
                .count(),
            0);
  EXPECT_EQ(g.scene.Doll_Shown[0][3], 1);
  // A sprite picture missing from the folder.
  g.interp.cur_line = 77;
  EXPECT_EQ(doll(4, 2, "R"), kNothingToShow);
  EXPECT_GT(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"42.dat"}).count(), 0);
  EXPECT_GT(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"51.dat line 77"}).count(), 0);
  EXPECT_EQ(g.scene.Doll_Shown[3][1], 0);
  // A character outside the table.
  g.interp.cur_line = 9;
  EXPECT_EQ(doll(9, 1, "L"), kNothingToShow);
  EXPECT_EQ(doll(0, 0, ""), kNothingToShow);
  EXPECT_GT(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"51.dat line 9"}).count(), 0);
  EXPECT_EQ(hl.present_count(), before);
  for (const Surface& d : g.screen.Doll_Disp) EXPECT_FALSE(d.visible);
}

// ---------------------------------------------------------------- faces ---

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
      EXPECT_TRUE(shows(frame, [&](int x, int y) {
        if (!in_area(x, y)) return before.at(x, y);
        return kCell3[(y - y1) % 8][(x - x1) % 8] == '#' ? fresh(x, y) : before.at(x, y);
      }));
      EXPECT_EQ(now - t0, 150u);
    }
  };
  EXPECT_EQ(face(3), kShowMessage);
  hl.on_present = nullptr;
  EXPECT_EQ(index, 10);
  EXPECT_EQ(hl.now() - t0, 450u);
  EXPECT_TRUE(shows(hl.last_frame(),
                    [&](int x, int y) { return in_area(x, y) ? fresh(x, y) : before.at(x, y); }));
  // The picture keeps its own face: a pose shown again brings it back.
  EXPECT_EQ(g.scene.Doll_Body[0].img.px, sprite_picture(180, 300, 240).px);
}

TEST_F(FaceTest, SkippingChangesTheFaceAtOnceAndEachSpriteTakesItsOwnColumnOrTheFirstRow) {
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
  // At R the face comes from the sprite's own column.
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

// A face number outside the sheet is reported and draws nothing; a face on no
// shown pose ends the program after its message.
TEST_F(FaceTest, FaceOutsideTheSheetIsReportedAndOnNoShownPoseEndsTheProgram) {
  doll(1, 1, "L");
  g.interp.cur_line = 31;
  const Image before = g.screen.Doll_Disp[0].img;
  EXPECT_EQ(face(9), kShowMessage);
  EXPECT_EQ(face(0), kShowMessage);
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"51.dat line 31"}).count(),
            2);  // both reported
  EXPECT_EQ(g.screen.Doll_Disp[0].img.px, before.px);

  auto messages = [&] {
    return events(hl, LogKind::Dialog).where(&LogEvent::text, "0 doll but face change?").count();
  };
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

}  // namespace
}  // namespace vm::test
