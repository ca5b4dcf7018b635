// Background changes: the wall strip under short pictures, the gallery
// marks, sprites flattened into the old screen, the mask sheet, and a
// background the data does not hold.
#include "scene_fixture.h"

namespace vm::test {
namespace {

TEST_F(SceneTest, ShortBackgroundsStandOnTheWallStripFullHeightOnesDoNot) {
  for (int h : {345, 479, 480}) {
    write_picture("75.dat", make_image(640, h, new_px));
    place(0, "");
    place(5, "");
    const Image& wall = g.screen.Wall_Back.img;
    std::string first;
    EXPECT_EQ(
        count_mismatches(
            g.screen.Pic_Main.img,
            [&](int x, int y) { return y < 345 || h == 480 ? new_px(x, y) : wall.at(x, y - 345); },
            &first),
        0)
        << h << " " << first;
    EXPECT_EQ(wall.at(0, 0), kWallColour);
  }
}

TEST_F(SceneTest, BackgroundsFiveToNineMarkTheGalleryAndAChangeClearsTheWindow) {
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
  EXPECT_FALSE(g.screen.Waku[0].visible);
  EXPECT_FALSE(g.screen.Blinker.visible);
  EXPECT_EQ(g.msg.Line_No, 0);
  EXPECT_EQ(g.msg.Shown_Speaker, 0);
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
      EXPECT_EQ(count_mismatches(frame, [&](int x, int y) { return shown.at(x, y); }), 0);
    }
    if (i == 3) {
      EXPECT_EQ(count_mismatches(frame,
                                 [&](int x, int y) {
                                   return x % 4 < 2 ? (x / 4 <= 1 ? new_px(x, y) : shown.at(x, y))
                                          : (639 - x) / 4 <= 1 ? new_px(x, y)
                                                               : shown.at(x, y);
                                 }),
                0);
    }
  };
  place(1, "VB");
  hl.on_present = nullptr;
  for (const Surface& d : g.screen.Doll_Disp) EXPECT_FALSE(d.visible);
  for (int r = 0; r < 7; ++r)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(g.scene.Doll_Shown[r][j], 0);
  EXPECT_EQ(g.scene.Doll_Shown[7][0], 4);
  EXPECT_EQ(count_mismatches(hl.last_frame(), new_px), 0);
}

TEST_F(SceneTest, MissingBackgroundIsReportedWithItsScriptLineAndChangesNothing) {
  place(0, "");
  g.interp.cur_line = 42;
  const int before = hl.present_count();
  EXPECT_EQ(place(13, "VB"), kNothingToShow);
  EXPECT_EQ(hl.present_count(), before);
  EXPECT_GT(count(hl, LogKind::Dialog, "83.dat"), 0);
  EXPECT_GT(count(hl, LogKind::Dialog, "51.dat line 42"), 0);
  EXPECT_EQ(count_mismatches(g.screen.Pic_Main.img, old_px), 0);
}

TEST_F(SceneTest, MaskSheetIsRestoredWhenMesh1WasSizedButNotFilled) {
  g.screen.Mesh1.place(0, 0, 320, 64);
  g.screen.Mesh1.clear();
  ensure_mask_sheet(g.screen);
  Surface want{"want"};
  load_mask_sheet(want);
  EXPECT_EQ(g.screen.Mesh1.img.px, want.img.px);
}

}  // namespace
}  // namespace vm::test
