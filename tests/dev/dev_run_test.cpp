// velmora --dev through the headless platform: the demo unpacked into an
// editable folder, played, edited while it plays, jumped about in.
#include "dev/dev_run.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/session.h"
#include "data/data_tool.h"
#include "platform/common/disk_files.h"

namespace vm::test {
namespace {

constexpr uint32_t kMenuReady = 5600;
constexpr const char* kFirst = "港町ヴェルモラの夏は、潮の香りと一緒にやってくる。";
constexpr const char* kEdited = "港町ヴェルモラの夏は、坂の上の風と一緒にやってくる。";
constexpr uint32_t kBandBack = rgb(120, 16, 24);

// One dev run of the demo's editable folder; the folder must come out of it
// as it went in.
struct DevPlay {
  TempDir tmp;
  std::string edit = tmp / "edit";
  std::map<std::string, std::string> before;
  Headless hl;
  std::unique_ptr<dev::DevRun> dev;
  int code = -1;

  DevPlay() {
    write_demo_folder(tmp / "data");
    DiskFiles files;
    datatool::unpack_folder(files, tmp / "data", edit);
    before = snapshot(edit);
    dev = std::make_unique<dev::DevRun>(hl.platform(), hl.file_monitor(), edit, tmp / "cache/");
  }
  // The author saves a file at at_ms: written, then the monitor tells.
  void save(uint32_t at_ms, const std::string& name, const std::string& from,
            const std::string& to) {
    hl.at(at_ms, [this, name, from, to] {
      edit_file(edit + "/" + name, from, to);
      before = snapshot(edit);
      hl.file_changed(hl.now(), name);
    });
  }
  void play(uint32_t end_ms) {
    hl.close(end_ms);
    code = dev->run();
    EXPECT_EQ(snapshot(edit), before) << "the dev run wrote into the author's folder";
  }
  std::string shown(uint32_t from_ms) const {
    std::string all;
    for (const LoggedEvent& e : hl.log().events())
      if (e.at >= from_ms && e.event.kind == LogKind::Text) all += e.line + "\n";
    return all;
  }
};

// A broken save keeps the old script playing and shows its errors until a
// good one, which restarts the scene as a fresh play at that NUM shows it.
TEST(DevRun, ABrokenSaveKeepsTheScriptPlayingUntilAGoodOneRestartsItsScene) {
  const std::string good = "0010,,,,,,,1,さて", bad = "0010,,,,,,,x,さて";
  Image band, after_click, mended, reloaded, fresh;
  {
    DevPlay p;
    p.hl.click(kMenuReady, 300, 255);  // はじめから
    p.save(kMenuReady + 4000, "script.csv", good, bad);
    p.hl.at(kMenuReady + 5000, [&] { band = p.hl.last_frame(); });
    p.hl.click(kMenuReady + 5100, 320, 240);
    p.hl.at(kMenuReady + 8000, [&] { after_click = p.hl.last_frame(); });
    // The good save mends the row and edits the scene's first message.
    p.hl.at(kMenuReady + 8050, [&] { edit_file(p.edit + "/script.csv", kFirst, kEdited); });
    p.save(kMenuReady + 8100, "script.csv", bad, good);
    p.hl.at(kMenuReady + 9000, [&] { mended = p.hl.last_frame(); });
    p.hl.at(kMenuReady + 14200, [&] { reloaded = p.hl.last_frame(); });
    p.play(kMenuReady + 15000);
    EXPECT_EQ(p.code, 0);
    // The band over the bottom of the screen, and the error in check's words.
    ASSERT_EQ(band.w, 640);
    EXPECT_EQ(band.at(1, 478), kBandBack);
    EXPECT_EQ(band.at(638, 452), kBandBack);
    EXPECT_EQ(count(p.hl, LogKind::Error, "script.csv:8: error: field 8"), 1)
        << events(p.hl).of(LogKind::Error).last_line();
    // The old script went on: the next message is its own, the band stays.
    EXPECT_NE(p.shown(kMenuReady + 5100).find("坂の上から見下ろす"), std::string::npos);
    EXPECT_EQ(after_click.at(1, 478), kBandBack);
    // The good save takes it away and plays the scene again, edited.
    EXPECT_NE(mended.at(1, 478), kBandBack);
    EXPECT_NE(p.shown(kMenuReady + 8100).find(kEdited), std::string::npos) << p.shown(0);
    EXPECT_EQ(count(p.hl, "dev reloaded"), 1);
    EXPECT_EQ(count(p.hl, "dev start 10"), 1);
    EXPECT_EQ(p.hl.caption(), "edit (dev)");
  }
  {
    DevPlay p;
    edit_file(p.edit + "/script.csv", kFirst, kEdited);
    p.before = snapshot(p.edit);
    p.hl.at(kMenuReady, [&] {
      std::string error;
      EXPECT_TRUE(p.dev->jump(10, error)) << error;
    });
    p.hl.at(kMenuReady + 6000, [&] { fresh = p.hl.last_frame(); });
    p.play(kMenuReady + 7000);
  }
  ASSERT_EQ(reloaded.w, 640);
  EXPECT_TRUE(reloaded.px == fresh.px) << "the reloaded scene differs from a fresh play of it";
}

TEST(DevRun, JumpAndCountersStartAnySceneWithTheCountersGiven) {
  DevPlay p;
  // The runner's verbs: set, then jump from the title.
  p.hl.at(kMenuReady, [&] {
    std::string error;
    EXPECT_TRUE(p.dev->set_counter("kou=2", error)) << error;
    EXPECT_FALSE(p.dev->set_counter("luck=1", error));
    EXPECT_FALSE(p.dev->jump(11, error)) << "NUM 0011 is no scene";
    EXPECT_TRUE(p.dev->jump(200, error)) << error;
  });
  // The counters window shows them, and takes a change.
  p.hl.menu(kMenuReady + 3000, "dev_counters");
  p.hl.answer(kMenuReady + 3000, "pap=5");
  p.hl.menu(kMenuReady + 3500, "dev_counters");
  p.hl.answer(kMenuReady + 3500, "");
  // The jump window: the fourth scene (0100), with counters typed.
  p.hl.menu(kMenuReady + 4000, "dev_jump");
  p.hl.row(kMenuReady + 4100, 3);
  p.hl.press(kMenuReady + 4200, "OK");
  p.hl.answer(kMenuReady + 4200, "rub=3");
  p.hl.menu(kMenuReady + 8000, "dev_counters");
  p.play(kMenuReady + 9000);
  EXPECT_EQ(p.code, 0);
  const std::string shown = p.shown(0);
  EXPECT_NE(shown.find("丘の上の灯台までは、歩いて二十分ほどだ。"), std::string::npos) << shown;
  EXPECT_NE(shown.find("ミツに引っぱられるようにして"), std::string::npos) << shown;
  const std::vector<std::string> boxes = events(p.hl).of(LogKind::InputBox).lines();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_NE(boxes[0].find("NUM 0200"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("preset \"kou=2 pap=0 rub=0 hap=0\""), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[1].find("preset \"kou=2 pap=5 rub=0 hap=0\""), std::string::npos) << boxes[1];
  // The jump window's counters start from 0.
  EXPECT_NE(boxes[3].find("preset \"kou=0 pap=0 rub=3 hap=0\""), std::string::npos) << boxes[3];
  EXPECT_TRUE(p.hl.menu_enabled("dev_reload"));
}

}  // namespace
}  // namespace vm::test
