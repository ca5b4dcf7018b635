// The whole game on the demo data, as a player plays it: from the title to
// each ending along two branch paths, then the gallery after a restart. The
// data folder ends each run in its at-rest form.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/game.h"
#include "app/main_form.h"
#include "app/session.h"
#include "assets/assets.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::count;
using test::first_index;
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

  // Plays one run: clicks on the story at kClickEvery, the first `second`
  // of them on the second choice row, then on the first; once the end
  // button shows, the screen is kept and the button pressed. (The closing
  // message of each path is checked by the story map's verify.) With
  // save_at_hap, the story is saved to slot 1 at the first wait after hap
  // was added to in scene 900, and that slot loaded in the same run.
  Image play_to_ending(test::Session& s, int second, bool save_at_hap = false) {
    Game& g = s.g;
    Image closing;
    bool paused = false;
    int clicks = 0;
    std::function<void()> clicker = [&] {
      if (!paused)
        s.hl.click(s.hl.now(), kChoiceX, clicks++ < second ? kSecondChoiceY : kFirstChoiceY);
      if (!g.ending.running) s.hl.at(s.hl.now() + kClickEvery, clicker);
    };
    s.hl.click(5500, kTitleItemX, kTitleItemY);
    s.hl.at(7000, clicker);
    if (save_at_hap)
      s.when(
          7000, [&] { return g.interp.Cur_Num == 900 && g.interp.hap == 1 && g.input.Click_Wait; },
          [&] {
            paused = true;
            const uint32_t t = s.hl.now();
            s.hl.menu(t, "prog_save");
            s.hl.click_control(t + 200, "Label1(0)");
            s.hl.press(t + 400, "Save");
            s.hl.press(t + 2000, "Close");
            s.hl.menu(t + 2200, "prog_load");
            s.hl.click_control(t + 2400, "Label1(0)");
            s.hl.press(t + 2600, "Load");
            s.when(
                t + 2700, [&] { return g.input.Click_Wait != 0; },
                [&] {
                  EXPECT_EQ(g.interp.hap, 1) << "the slot carries hap";
                  paused = false;
                });
          });
    s.hl.log().echo = [&](const std::string& line) {
      if (line.find("end button shown") == std::string::npos) return;
      closing = s.hl.last_frame();
      s.hl.click(s.hl.now() + 500, kEndButtonX, kEndButtonY);
    };
    // Nothing should be left to close by then; the close box is the safety.
    s.hl.close(300000);
    s.run(dir.path());
    s.hl.log().echo = nullptr;
    EXPECT_EQ(s.exit_code, 0);
    EXPECT_EQ(count(s.hl, "end button shown"), 1);
    return closing;
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
  test::Session farewell;
  const Image other = play_to_ending(farewell, 0);
  auto seen = [](const test::Session& s, const std::string& part) { return count(s.hl, part) > 0; };
  EXPECT_TRUE(seen(farewell, "caption \"Velmora\""));
  EXPECT_TRUE(seen(farewell, "text 0 港町ヴェルモラの夏は、潮の香りと一緒にやってくる。"));
  // The meeting scene, the rename dialog and the name used afterwards.
  EXPECT_TRUE(seen(farewell, "わたし、夏のあいだだけ、おばあちゃんの家に来ているの。"));
  EXPECT_TRUE(seen(farewell, "input \"なまえの変更\""));
  EXPECT_TRUE(seen(farewell, "ソラノくん、この夏、ありがとう。"));
  EXPECT_FALSE(seen(farewell, "夜空にひときわ大きな花火が開いて"));
  EXPECT_TRUE(seen(farewell, "music open \"" + dir.path() + "velloria.mid\""));
  EXPECT_TRUE(seen(farewell, "file written 50.dat"));
  // Seen: the beach (0), the fireworks (1) and the shop (3).
  expect_at_rest("000406");

  // The hill, showing her the town, the fireworks: the true ending, hap 1,
  // though the story was saved and loaded after hap was added to. The scene
  // loaded brings its own background in with its transition, once.
  test::Session promise;
  const Image true_end = play_to_ending(promise, 21, true);
  EXPECT_TRUE(seen(promise, "夜空にひときわ大きな花火が開いて"));
  auto pixels = [](const Image& img, uint32_t colour) {
    return std::count(img.px.begin(), img.px.end(), colour);
  };
  EXPECT_GT(pixels(true_end, kEndColourTrue), 100) << "the true ending's closing message";
  EXPECT_GT(pixels(other, kEndColourOther), 100);
  EXPECT_EQ(pixels(other, kEndColourTrue), 0);
  const int read = first_index(promise.hl, LogKind::FileRead, "00.dat");
  const int place = first_index(promise.hl, LogKind::Place, "place 9", read);
  ASSERT_GE(read, 0);
  ASSERT_GE(place, 0);
  EXPECT_EQ(first_index(promise.hl, LogKind::Place, "place 9", place + 1), -1) << "once";
  EXPECT_TRUE(std::filesystem::remove(dir / "00.dat"));
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
