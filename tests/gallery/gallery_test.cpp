// The picture gallery on the demo pictures: thumbnails of what was seen,
// full-size viewing, the exit, broken files.
#include "gallery/gallery.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "app/session.h"
#include "graphics/button.h"

namespace vm {
namespace {

using test::count;
using test::events;
using test::Part;

class GalleryTest : public test::DemoRoom {
 protected:
  void SetUp() override {
    DemoRoom::SetUp();
    g.screen.Title.visible = true;
  }

  Image picture(int k) { return picture(gallery_file(k)); }
  Image picture(const std::string& file) {
    const Result<Image> img = hl.platform().pictures.load_picture(dir / file);
    EXPECT_TRUE(img) << img.error().what();
    return img ? img.value() : Image();
  }

  void press(int x, int y) {
    handle_event(g, InputEvent{InputEvent::MouseDown, x, y, kLeftButton});
  }
};

// The frame shows picture k reduced 5 : 1 on its button: each thumbnail
// pixel is the picture's pixel under its centre.
bool shows_thumbnail(const Image& frame, const Image& pic, int k) {
  for (int y = 0; y < kThumbH; y += 7)
    for (int x = 0; x < kThumbW; x += 5)
      if (frame.at(thumb_x(k) + x, thumb_y(k) + y) != pic.at(5 * x + 2, 5 * y + 2)) return false;
  return true;
}

TEST_F(GalleryTest, ThumbnailsOfSeenPicturesOverTheBackdrop) {
  g.assets.CG_Seen = {-1, 0, -1, 0, -1};
  open_gallery(g.gallery_room());
  const Image& f = hl.last_frame();
  for (int k : {0, 2, 4}) EXPECT_TRUE(shows_thumbnail(f, picture(k), k)) << k;
  // Not seen: an empty, disabled button in its place.
  EXPECT_EQ(g.gallery.btn_enabled, (std::array<bool, 5>{true, false, true, false, true}));
  for (int k : {1, 3}) {
    EXPECT_TRUE(g.gallery.CG_btn[static_cast<size_t>(k)].visible);
    EXPECT_EQ(f.at(thumb_x(k) + 64, thumb_y(k) + 48), kButtonFace);
  }
  EXPECT_EQ(thumb_x(1), 253);
  EXPECT_EQ(thumb_x(4), 338);
  EXPECT_EQ(thumb_y(3), 330);
  // The backdrop 74.dat behind, the exit at (520, 380).
  const Image backdrop = picture("74.dat");
  EXPECT_EQ(f.at(10, 10), backdrop.at(10, 10));
  EXPECT_EQ(f.at(630, 470), backdrop.at(630, 470));
  EXPECT_EQ(f.at(520 + 50, 380), rgb(255, 255, 255));

  // A press on a button not seen does nothing.
  const int presents = hl.present_count();
  press(thumb_x(1) + 10, thumb_y(1) + 10);
  EXPECT_EQ(hl.present_count(), presents);
  EXPECT_FALSE(g.gallery.Thumb1.visible);
}

TEST_F(GalleryTest, FullSizeViewAndBackWithoutReloading) {
  g.assets.CG_Seen = {-1, -1, -1, -1, -1};
  g.sound.Sound_On = 0;
  open_gallery(g.gallery_room());
  press(thumb_x(2) + 5, thumb_y(2) + 5);
  EXPECT_TRUE(g.gallery.Thumb1.visible);
  EXPECT_TRUE(hl.last_frame().px == picture(2).px);
  EXPECT_EQ(hl.effects_played, 0);  // sounds switched off
  // The thumbnails are not made again on the way back: pictures that went
  // away meanwhile are not missed.
  std::filesystem::remove(dir / gallery_file(4));
  press(300, 300);
  EXPECT_FALSE(g.gallery.Thumb1.visible);
  EXPECT_EQ(count(hl, LogKind::Dialog), 0);
  EXPECT_TRUE(shows_thumbnail(hl.last_frame(), picture(0), 0));
  EXPECT_TRUE(g.gallery.CG_exit.visible);
  // Picture 4 cannot be viewed any more: one message, back to the others.
  press(thumb_x(4) + 5, thumb_y(4) + 5);
  EXPECT_EQ(count(hl, LogKind::Dialog), 1);
  EXPECT_FALSE(g.gallery.Thumb1.visible);
  EXPECT_FALSE(g.gallery.btn_enabled[4]);
  EXPECT_TRUE(g.gallery.CG_btn[0].visible);
}

TEST_F(GalleryTest, ExitReturnsToTheTitleAndTheNextVisitShowsNewPictures) {
  g.assets.CG_Seen = {0, 0, 0, 0, 0};
  g.sound.Sound_On = 0;
  open_gallery(g.gallery_room());
  EXPECT_EQ(g.gallery.btn_enabled, (std::array<bool, kGalleryPictures>{}));
  // The exit has the keyboard focus; it clicks even with sounds off.
  handle_event(g, InputEvent{InputEvent::KeyDown, 0, 0, 0, kKeyReturn});
  EXPECT_TRUE(g.screen.Title.visible);
  EXPECT_TRUE(g.screen.Pic_Main.visible);
  EXPECT_FALSE(g.gallery.CG_exit.visible);
  EXPECT_EQ(g.gallery.Thumbs_Ready, 0);
  EXPECT_EQ(hl.effects_played, 1);

  // Seen in play after the visit: shown on the next one.
  g.assets.CG_Seen[3] = -1;
  g.screen.Title.visible = false;
  open_gallery(g.gallery_room());
  EXPECT_TRUE(g.gallery.btn_enabled[3]);
  EXPECT_TRUE(shows_thumbnail(hl.last_frame(), picture(3), 3));
  press(560, 390);
  EXPECT_TRUE(g.screen.Title.visible);
}

// The arrows move the focus to the button that way on the grid, passing
// pictures not seen, and stay where nothing lies that way. The frame is
// three pixels of navy that stand out from the backdrop's frame around the
// thumbnail, with a white line between it and the picture.
TEST_F(GalleryTest, ArrowsMoveByPlaceAndTheFocusFrameStandsOut) {
  g.assets.CG_Seen = {-1, -1, -1, 0, -1};
  g.sound.Sound_On = 0;
  open_gallery(g.gallery_room());
  const Image before = hl.last_frame();
  std::vector<int> reached;
  for (int key : {kKeyRight, kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyLeft, kKeyLeft, kKeyDown,
                  kKeyRight}) {
    handle_event(g, InputEvent{InputEvent::KeyDown, 0, 0, 0, key});
    reached.push_back(g.gallery.focus);
  }
  // もどる stays on Right; Left to the picture beside it (4), Up to the one
  // above (1), Right to 2, Down from 2 to もどる, Left to 4; Left again
  // passes 3, not seen, to 0; nothing seen lies below 0; Right to 1.
  EXPECT_EQ(reached, (std::vector<int>{kGalleryExit, 4, 1, 2, kGalleryExit, 4, 0, 0, 1}));
  const Image& f = hl.last_frame();
  const int x = thumb_x(1), y = thumb_y(1);
  for (int d = 1; d <= kFocusFrameWidth; ++d) {
    EXPECT_EQ(f.at(x + d, y + 40), kFocusFrame) << d;
    EXPECT_EQ(f.at(x + kThumbW - 1 - d, y + 40), kFocusFrame) << d;
    EXPECT_EQ(f.at(x + 60, y + d), kFocusFrame) << d;
    EXPECT_EQ(f.at(x + 60, y + kThumbH - 1 - d), kFocusFrame) << d;
  }
  EXPECT_EQ(f.at(x, y + 40), kFocusLine);
  EXPECT_EQ(f.at(x + kFocusFrameWidth + 1, y + 40), kFocusLine);
  // Around the button and on the picture inside, one of the frame's colours
  // reads at 3 : 1 or more.
  auto stands_out = [](uint32_t next_to) {
    return std::max(test::contrast(kFocusFrame, next_to), test::contrast(kFocusLine, next_to));
  };
  for (const auto& [ox, oy] : std::vector<std::pair<int, int>>{
           {-1, 40}, {kThumbW, 40}, {60, -1}, {60, kThumbH}, {10, 10}}) {
    if (ox >= 0 && ox < kThumbW && oy >= 0 && oy < kThumbH)
      EXPECT_EQ(f.at(x + ox, y + oy), before.at(x + ox, y + oy));  // the picture untouched
    EXPECT_GE(stands_out(f.at(x + ox, y + oy)), 3.0) << ox << "," << oy;
  }
  EXPECT_GE(test::contrast(kFocusFrame, kFocusLine), 3.0);
  EXPECT_GE(test::contrast(kFocusFrame, kButtonFace), 3.0);  // on もどる
}

TEST_F(GalleryTest, BrokenPictureGivesAnEmptyButtonAndOneMessage) {
  g.assets.CG_Seen = {-1, -1, -1, -1, -1};
  test::write_bytes(dir / gallery_file(1), "not a picture at all");
  std::filesystem::remove(dir / gallery_file(3));
  open_gallery(g.gallery_room());
  EXPECT_EQ(count(hl, LogKind::Dialog), 2);
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"76.dat"}).count(), 1);
  EXPECT_EQ(events(hl, LogKind::Dialog).where(&LogEvent::text, Part{"78.dat"}).count(), 1);
  EXPECT_EQ(g.gallery.btn_enabled, (std::array<bool, 5>{true, false, true, false, true}));
  EXPECT_EQ(hl.last_frame().at(thumb_x(1) + 64, thumb_y(1) + 48), kButtonFace);
  // The rest of the gallery works.
  EXPECT_TRUE(shows_thumbnail(hl.last_frame(), picture(2), 2));
  press(thumb_x(2) + 5, thumb_y(2) + 5);
  EXPECT_TRUE(g.gallery.Thumb1.visible);
  press(10, 10);
  press(560, 390);
  EXPECT_TRUE(g.screen.Title.visible);
  EXPECT_EQ(count(hl, LogKind::Dialog), 2);
}

}  // namespace
}  // namespace vm
