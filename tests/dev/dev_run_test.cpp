// velmora --dev through the headless platform: the demo unpacked into an
// editable folder, played, edited while it plays, jumped about in.
#include "dev/dev_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

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

  // script and choices: the folder's own instead of the demo's.
  explicit DevPlay(const std::string& script = "", const std::string& choices = "") {
    write_demo_folder(tmp / "data");
    DiskFiles files;
    datatool::unpack_folder(files, tmp / "data", edit);
    if (!script.empty()) write_bytes(edit + "/script.csv", script);
    if (!choices.empty()) write_bytes(edit + "/choices.csv", choices);
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
    // The band above the message window (its top at 352), and the error in
    // check's words.
    ASSERT_EQ(band.w, 640);
    EXPECT_EQ(band.at(1, 348), kBandBack);
    EXPECT_EQ(band.at(638, 330), kBandBack);
    EXPECT_NE(band.at(1, 470), kBandBack);
    EXPECT_EQ(count(p.hl, LogKind::Error, "script.csv:8: error: field 8"), 1)
        << events(p.hl).of(LogKind::Error).last_line();
    // The old script went on: the next message is its own, the band stays.
    EXPECT_NE(p.shown(kMenuReady + 5100).find("坂の上から見下ろす"), std::string::npos);
    EXPECT_EQ(after_click.at(1, 348), kBandBack);
    // The good save takes it away and plays the scene again, edited.
    EXPECT_NE(mended.at(1, 348), kBandBack);
    EXPECT_NE(p.shown(kMenuReady + 8100).find(kEdited), std::string::npos) << p.shown(0);
    EXPECT_EQ(count(p.hl, "dev reloaded"), 1);
    EXPECT_EQ(count(p.hl, "dev start 10"), 1);
    EXPECT_EQ(p.hl.caption(), "edit (dev)");
  }
  {
    DevPlay p;
    edit_file(p.edit + "/script.csv", kFirst, kEdited);
    p.before = snapshot(p.edit);
    p.hl.at(kMenuReady, [&] { EXPECT_TRUE(p.dev->jump(10)); });
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
    EXPECT_TRUE(p.dev->set_counter("kou=2"));
    EXPECT_FALSE(p.dev->set_counter("luck=1"));
    EXPECT_FALSE(p.dev->jump(11)) << "NUM 0011 is no scene";
    EXPECT_TRUE(p.dev->jump(200));
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

// The sample game of the author's guide (docs/authoring.md, sections 3 and 4).
constexpr const char* kGuideScript =
    R"(num,cmd,jump,place,doll,face,spare,speaker,text,value,spare,subst,note
0010,ab,,,,,,,,,,,town tune
0010,p8,,,,,,,鐘の鳴る朝,,,,
0010,,,0,,,,,DI,,,,
0010,,,,,,,,&5の港に、朝の鐘が鳴りひびいた。,,,1,
0010,,,,11,,,,L,,,,
0010,,,,,,,1,今日こそ、あの鐘の音の正体を確かめよう。,,,,
0010,,,,21,,,,R,,,,
0010,,,,,2,,2,ソラノ、また鐘の話？　朝ごはんが先だよ！,,,,
0010,,,,20,,,,,,,,Mitsu leaves
0010,w,,,,,,,800,,,,
0010,r,,,,,,,ミツは笑いながら、坂の下へ駆けていった。,,,,
0020,,,,,,,,さて、どこへ行こう。,,,,
0090,s,,,,,,,2,,,,
0100,ac,,,,,,,,,,,sea tune
0100,,,3,,,,,VB,,,,
0100,,,,,,,,浜辺では、白い帽子の女の子が鐘楼を見上げていた。,,,,
0100,p2,,,,,,,kou,1,,,
0100,g0,0300,,,,,,,,,,
0200,,,1,,,,,HB,,,,
0200,,,,,,,,丘の上の鐘楼は、しんと静まりかえっていた。,,,,
0200,p2,,,,,,,rub,1,,,
0300,,,,31,,,,C,,,,
0300,,,,,,,6,あの鐘、毎朝だれが鳴らしているの？,,,,
0300,g4,,,,,,,,,,,
0300,,,,,2,,3,わたしは&1&2。鐘の音が好きなの。,,,1,
0300,i1,0500,,,,,,kou,1,,,
0400,,,,,,,3,また明日、鐘の下で会おうね。,,,,
0400,g0,0900,,,,,,,,,,
0500,,,5,,,,,MS,,,,gallery picture 0
0500,p2,,,,,,,hap,1,,,
0500,,,,,,,,&2が綱を引くと、澄んだ鐘の音が海へ広がった。,,,1,
0900,a0,,,,,,,,,,,
0900,,,,,,,,こうして、ぼくの夏の一日は終わった。,,,,
0900,e,,,,,,,,,,,
9999,,,,,,,,END,,,,
)";
constexpr const char* kGuideChoices = R"(0090,浜辺へ行く,0100
0090,丘の鐘楼へ登る,0200
)";

// The NUMs a story plays: every scene but the end marker.
std::vector<int> scene_nums(const std::string& script) {
  std::vector<int> nums;
  std::istringstream in(script);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 5 || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
    const int n = std::stoi(line.substr(0, 4));
    if (nums.empty() || nums.back() != n) nums.push_back(n);
  }
  if (!nums.empty()) nums.pop_back();  // the end marker
  return nums;
}

// Every scene started twice: once by a jump from another scene, once again
// from itself (what a reload or a jump to the scene the story is in does,
// with a choice menu up where the scene opens with one). Both times the
// message window stands with what the scene shows first (its message or
// its menu), as a fresh play reaching the row shows it, never the bare
// background.
void expect_every_scene_restarts(const std::string& script, const std::string& choices) {
  DevPlay p(script, choices);
  const std::vector<int> nums = scene_nums(read_bytes(p.edit + "/script.csv"));
  ASSERT_GT(nums.size(), 5u);
  Image fresh;
  p.hl.click(kMenuReady, 300, 255);  // はじめから: the first message stands
  p.hl.at(kMenuReady + 3000, [&] { fresh = p.hl.last_frame(); });
  constexpr uint32_t kStep = 7000;  // the longest opening: a fade, a cut, a wait
  std::vector<Image> entered(nums.size()), restarted(nums.size());
  uint32_t t = kMenuReady + 3100;
  for (size_t i = 0; i < nums.size(); ++i, t += 2 * kStep) {
    for (const uint32_t at : {t, t + kStep})
      p.hl.at(at, [&p, n = nums[i]] { EXPECT_TRUE(p.dev->jump(n)) << n; });
    p.hl.at(t + kStep - 10, [&p, &entered, i] { entered[i] = p.hl.last_frame(); });
    p.hl.at(t + 2 * kStep - 10, [&p, &restarted, i] { restarted[i] = p.hl.last_frame(); });
  }
  p.play(t);
  ASSERT_EQ(fresh.w, 640);
  // The message window's frame, the same over any background.
  const uint32_t edge = fresh.at(197, 400), inner = fresh.at(199, 400);
  for (size_t i = 0; i < nums.size(); ++i) {
    ASSERT_EQ(restarted[i].w, 640);
    for (const Image* shot : {&entered[i], &restarted[i]}) {
      EXPECT_EQ(shot->at(197, 400), edge)
          << "NUM " << nums[i] << (shot == &entered[i] ? " entered" : " again");
      EXPECT_EQ(shot->at(199, 400), inner) << "NUM " << nums[i];
    }
    const std::vector<std::string> lines = events(p.hl).of(LogKind::Other).lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "dev start " + std::to_string(nums[i])), 2)
        << nums[i];
  }
  // What each start showed first is what the other showed: the same row.
  EXPECT_EQ(count(p.hl, LogKind::Error, ""), 0) << events(p.hl).of(LogKind::Error).last_line();
}

TEST(DevRun, EverySceneStartedAgainShowsWhatAFreshPlayShowsThere) {
  expect_every_scene_restarts("", "");
  expect_every_scene_restarts(kGuideScript, kGuideChoices);
}

// The runner's verbs given as the title is left (the guide's example): the
// story starts there, with the counter set, instead of the verbs going
// unheard.
TEST(DevRun, AJumpOrSetBeforeTheStoryStartsItThere) {
  {
    DevPlay p;
    p.hl.click(kMenuReady, 300, 255);
    p.hl.at(kMenuReady + 50, [&] {  // as the opening starts
      EXPECT_TRUE(p.dev->jump(200));
      EXPECT_TRUE(p.dev->set_counter("kou=1"));
    });
    p.hl.menu(kMenuReady + 4000, "dev_counters");
    p.hl.answer(kMenuReady + 4000, "");
    p.play(kMenuReady + 5000);
    EXPECT_EQ(count(p.hl, "dev start 200"), 1);
    EXPECT_NE(p.shown(0).find("丘の上の灯台までは、歩いて二十分ほどだ。"), std::string::npos)
        << p.shown(0);
    const std::vector<std::string> boxes = events(p.hl).of(LogKind::InputBox).lines();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("preset \"kou=1 "), std::string::npos) << boxes[0];
  }
  {
    // Before the game stands at all, and a set on the title alone.
    DevPlay p;
    EXPECT_TRUE(p.dev->set_counter("rub=2"));
    p.play(kMenuReady + 4000);
    EXPECT_EQ(count(p.hl, "dev start 10"), 1);
    EXPECT_NE(p.shown(0).find(kFirst), std::string::npos) << p.shown(0);
  }
}

// The jump window names each scene by what the player meets there; the
// reload item says its key.
TEST(DevRun, TheJumpListShowsEachScenesMessageOrChoice) {
  DevPlay p(kGuideScript, kGuideChoices);
  p.hl.menu(kMenuReady, "dev_jump");
  p.hl.press(kMenuReady + 100, "Cancel");
  p.play(kMenuReady + 1000);
  const std::vector<std::string> rows = events(p.hl).with("NumList row ").lines();
  const std::vector<std::string> want = {
      "0010  &5の港に、朝の鐘が鳴りひびいた。",
      "0020  さて、どこへ行こう。",
      "0090  [選択] 浜辺へ行く / 丘の鐘楼へ登る",
      "0100  浜辺では、白い帽子の女の子が鐘楼を見上げていた。",
      "0200  丘の上の鐘楼は、しんと静まりかえっていた。",
      "0300  あの鐘、毎朝だれが鳴らしているの？",
      "0400  また明日、鐘の下で会おうね。",
      "0500  &2が綱を引くと、澄んだ鐘の音が海へ広がった。",
      "0900  こうして、ぼくの夏の一日は終わった。",
  };
  ASSERT_EQ(rows.size(), want.size()) << "the end marker is no scene to jump to";
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NE(rows[i].find("NumList row " + std::to_string(i) + " "), std::string::npos) << rows[i];
    EXPECT_NE(rows[i].find(want[i]), std::string::npos) << rows[i] << "\n  wanted " << want[i];
  }
  EXPECT_EQ(p.hl.menu_caption("dev_reload"), "再読み込み (Ctrl+R)");
}

// A story still being written (its last scene has no ending yet) plays:
// the break is a warning, shown once above the message window, and not
// again on a reload that finds it unchanged; a bad row still blocks.
TEST(DevRun, APathBreakIsAWarningShownOnceAboveTheMessageWindow) {
  std::string script = kGuideScript;
  script.replace(script.find("0900,e,,,,,,,,,,,\n"), 18, "");
  DevPlay p(script, kGuideChoices);
  Image first, again;
  p.hl.at(kMenuReady + 500, [&] { first = p.hl.last_frame(); });
  p.hl.click(kMenuReady + 6000, 300, 255);
  p.save(kMenuReady + 9000, "script.csv", "鐘の鳴る朝", "鐘の鳴る朝に");
  p.hl.at(kMenuReady + 10000, [&] { again = p.hl.last_frame(); });
  p.play(kMenuReady + 11000);
  EXPECT_EQ(p.code, 0);
  EXPECT_EQ(count(p.hl, "dev reloaded"), 1);
  ASSERT_EQ(first.w, 640);
  constexpr uint32_t kWarningBack = rgb(104, 80, 8);
  // Above the message window (its top at 352), not over its text.
  EXPECT_EQ(first.at(1, 340), kWarningBack);
  EXPECT_NE(first.at(1, 470), kWarningBack);
  ASSERT_EQ(again.w, 640);
  EXPECT_NE(again.at(1, 340), kWarningBack) << "the same warning shown again on a reload";
}

}  // namespace
}  // namespace vm::test
