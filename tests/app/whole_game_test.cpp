// The whole game on the demo data, as a player plays it: from the title to
// each ending along two branch paths, then the gallery after a restart. The
// data folder ends each run in its at-rest form.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/game.h"
#include "app/main_form.h"
#include "assets/assets.h"
#include "gallery/gallery.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::read_bytes;
using test::TempDir;

// Points on the screen a player clicks.
constexpr int kChoiceX = 230;
constexpr int kFirstChoiceY = 400;   // also on the message window: advances the text
constexpr int kSecondChoiceY = 418;  // likewise
constexpr int kEndButtonX = 590, kEndButtonY = 455;
constexpr uint32_t kClickEvery = 1500;
// The title menu's first item; the others follow 35 pixels apart.
constexpr int kTitleItemX = 300, kTitleItemY = 255;

std::string line6(const std::string& dir) {
  std::istringstream in(read_bytes(dir + "50.dat"));
  std::string line;
  for (int i = 0; i < 6; ++i) std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

class WholeGame : public ::testing::Test {
 protected:
  TempDir dir;
  std::map<std::string, std::string> at_rest;  // the demo folder as written

  void SetUp() override {
    std::filesystem::copy(test::build_dir() + "/data", dir.path(),
                          std::filesystem::copy_options::recursive);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      at_rest[e.path().filename().string()] = read_bytes(e.path().string());
  }

  struct Run {
    int code = -1;
    std::vector<std::string> log;
    uint32_t end_button_at = 0;
    bool seen(const std::string& part) const {
      for (const auto& l : log)
        if (l.find(part) != std::string::npos) return true;
      return false;
    }
  };

  // Plays one run: clicks on the story at kClickEvery, the first `second`
  // of them on the second choice row, then on the first; once the end
  // button shows, it is pressed. (The closing message of each path is
  // checked by the story map's verify.)
  Run play_to_ending(int second, int clicks) {
    Headless hl;
    Run run;
    uint32_t t = start_story(hl);
    for (int i = 0; i < clicks; ++i, t += kClickEvery)
      hl.click(t, kChoiceX, i < second ? kSecondChoiceY : kFirstChoiceY);
    hl.log().echo = [&](const std::string& line) {
      if (line.find("end button shown") == std::string::npos) return;
      run.end_button_at = hl.now();
      hl.click(hl.now() + 500, kEndButtonX, kEndButtonY);
    };
    // Nothing should be left to close by then; the close box is the safety.
    hl.close(t + 200000);
    run.code = run_game(hl.platform(), dir.path());
    run.log = hl.log().lines();
    return run;
  }

  // The title menu is ready about five seconds after the start; its start
  // item begins the story. Returns when the story's first page is up.
  uint32_t start_story(Headless& hl) {
    hl.click(5500, kTitleItemX, kTitleItemY);
    return 7000;
  }

  // A fresh start on the folder, the title's gallery item, a look at the
  // thumbnails, the exit back to the title, the close box.
  Image gallery_after_restart(Headless& hl) {
    Image shown;
    hl.click(5500, kTitleItemX, kTitleItemY + 2 * 35);
    hl.at(6500, [&] { shown = hl.last_frame(); });
    hl.click(7000, 560, 395);
    hl.close(8000);
    EXPECT_EQ(run_game(hl.platform(), dir.path()), 0);
    return shown;
  }

  // Every file of the folder as the demo wrote it, but 50.dat, whose sixth
  // line alone may differ.
  void expect_at_rest(const std::string& want_line6) {
    // Beside the demo's files only the player's read log, which is kept.
    EXPECT_TRUE(std::filesystem::exists(dir / kReadLogFile));
    for (const auto& [name, bytes] : at_rest) {
      const std::string now = read_bytes(dir / name);
      if (name != "50.dat") {
        EXPECT_EQ(now, bytes) << name;
        continue;
      }
      std::string a = bytes, b = now;
      const size_t pa = a.find("023456"), pb = b.find(want_line6);
      ASSERT_NE(pa, std::string::npos);
      ASSERT_NE(pb, std::string::npos) << "line 6 is \"" << line6(dir.path()) << "\"";
      EXPECT_EQ(a.replace(pa, 6, want_line6), b);
    }
    EXPECT_EQ(line6(dir.path()), want_line6);
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename() != kReadLogFile) ++files;
    EXPECT_EQ(files, at_rest.size());
  }
};

TEST_F(WholeGame, BothEndingsThenTheGalleryAfterARestart) {
  // The beach, showing her the town, the fireworks: a quiet farewell, hap 0.
  Run farewell = play_to_ending(0, 60);
  ASSERT_EQ(farewell.code, 0);
  EXPECT_TRUE(farewell.seen("caption \"Velmora\""));
  EXPECT_TRUE(farewell.seen("text 0 港町ヴェルモラの夏は、潮の香りと一緒にやってくる。"));
  // The meeting scene, the rename dialog and the name used afterwards.
  EXPECT_TRUE(farewell.seen("わたし、夏のあいだだけ、おばあちゃんの家に来ているの。"));
  EXPECT_TRUE(farewell.seen("input \"なまえの変更\""));
  EXPECT_TRUE(farewell.seen("ソラノくん、この夏、ありがとう。"));
  EXPECT_FALSE(farewell.seen("夜空にひときわ大きな花火が開いて"));
  EXPECT_TRUE(farewell.seen("music open \"" + dir.path() + "velloria.mid\""));
  ASSERT_NE(farewell.end_button_at, 0u);
  EXPECT_TRUE(farewell.seen("file written 50.dat"));
  // Seen: the beach (0), the fireworks (1) and the shop (3).
  expect_at_rest("000406");

  // The hill, showing her the town, the fireworks: the true ending, hap 1.
  Run promise = play_to_ending(21, 60);
  ASSERT_EQ(promise.code, 0);
  EXPECT_TRUE(promise.seen("夜空にひときわ大きな花火が開いて"));
  ASSERT_NE(promise.end_button_at, 0u);
  // Added to what the first run saw: every picture now.
  expect_at_rest("000000");

  // A new start: the gallery offers all five pictures.
  Headless hl;
  Image shown = gallery_after_restart(hl);
  TempDir plain;  // the pictures with their real first bytes, to compare with
  for (int k = 0; k < kGalleryPictures; ++k) {
    std::string bytes = read_bytes(dir / gallery_file(k));
    bytes.replace(0, 2, "\xFF\xD8");
    test::write_bytes(plain / gallery_file(k), bytes);
    Image pic;
    std::string error;
    ASSERT_TRUE(hl.platform().pictures.load_picture(plain / gallery_file(k), pic, error)) << error;
    EXPECT_EQ(shown.at(thumb_x(k) + 20, thumb_y(k) + 30), pic.at(5 * 20 + 2, 5 * 30 + 2)) << k;
  }
}

}  // namespace
}  // namespace vm
