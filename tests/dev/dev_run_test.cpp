// velmora --dev through the headless platform: the demo unpacked into an
// editable folder, played, edited while it plays, jumped about in.
#include "dev/dev_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "app/dev_hooks.h"
#include "app/session.h"
#include "authoring/story_paths.h"
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
    EXPECT_EQ(events(p.hl, LogKind::Error)
                  .where(&LogEvent::text, Part{"script.csv:8: error: field 8"})
                  .count(),
              1)
        << events(p.hl).of(LogKind::Error).last_line();
    // The old script went on: the next message is its own, the band stays.
    EXPECT_NE(p.shown(kMenuReady + 5100).find("坂の上から見下ろす"), std::string::npos);
    EXPECT_EQ(after_click.at(1, 348), kBandBack);
    // The good save takes it away and plays the scene again, edited.
    EXPECT_NE(mended.at(1, 348), kBandBack);
    EXPECT_NE(p.shown(kMenuReady + 8100).find(kEdited), std::string::npos) << p.shown(0);
    EXPECT_EQ(count(p.hl, LogKind::DevReloaded), 1);
    EXPECT_EQ(events(p.hl, LogKind::DevStart).where(&LogEvent::number, 10).count(), 1);
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

// Runs each time the game waits on the player (a message or a choice menu)
// until at returns false; at does the player's part (a click, a jump).
// The dev run waits on the player: on a message, or on a choice menu.
bool waits_on_player(const DevView& v) {
  const Story& st = v.play.story;
  if (v.play.menu.phase() == MenuPhase::Choosing) return choice_pending(v.choice);
  return v.play.menu.phase() == MenuPhase::Story && st.input.Click_Wait != 0 && !st.msg.Msg_Busy;
}

void at_each_stop(DevPlay& p, uint32_t from, std::function<bool(const DevView&)> at) {
  p.hl.at(from, [&p, at] {
    const DevView* v = p.dev->view();
    if (v && waits_on_player(*v)) {
      if (at(*v)) at_each_stop(p, p.hl.now() + 200, at);
      return;
    }
    at_each_stop(p, p.hl.now() + 50, at);
  });
}

// What the player has at a stop: the screen, the background, the message or
// the menu's labels.
constexpr int kSkyRows = 80;
struct Stop {
  std::vector<uint32_t> px;
  std::string said;  // "SPEAKER TEXT", or the menu's labels
  // The scene brought in its own background before the stop: nothing on the
  // screen is left from the scene before.
  bool own_place = false;
};
Stop stop_of(const DevView& v) {
  const Story& g = v.play.story;
  // The screen less the blinking arrow, as shown() gives it for a game.
  ScreenState& screen = g.screen;
  const bool blink = screen.Blinker.visible;
  screen.Blinker.visible = false;
  Stop s{compose_screen(screen).px, "", false};
  screen.Blinker.visible = blink;
  if (v.choice.shown > 0) {
    for (int i = 0; i < v.choice.shown; ++i)
      s.said += v.choice.Choice_Rows[static_cast<size_t>(i)].label + "/";
  } else {
    s.said = std::to_string(g.interp.Cur_Speaker) + " " + g.interp.Cur_Text;
  }
  const ScriptRows& rows = g.tables.Script_Table;
  for (int32_t i = std::max(0, find_num(g.tables, g.interp.Cur_Num)); i <= g.interp.Script_Pos; ++i)
    s.own_place = s.own_place || !rows[static_cast<size_t>(i)].place.empty();
  return s;
}

// Fresh plays from the title along the story map's paths, in its order,
// until every scene a path reaches has been met: the first stop in each NUM
// on the first path that reaches it, as the dev run starts a scene.
using Stops = std::map<int, Stop>;
Stops fresh_stops(const std::string& script, const std::string& choices, size_t scenes) {
  Stops first;
  TempDir packed;
  std::vector<datatool::StoryPath> paths;
  {
    DevPlay p(script, choices);
    DiskFiles files;
    datatool::pack_folder(files, p.edit, packed.path());
    paths = datatool::explore_story(datatool::read_story(DataFolder(files, packed.path()))).paths;
  }
  for (const datatool::StoryPath& path : paths) {
    if (first.size() == scenes) break;
    DevPlay p(script, choices);
    size_t picks = 0;
    p.hl.click(kMenuReady, 300, 255);  // はじめから
    at_each_stop(p, kMenuReady + 100, [&](const DevView& v) {
      if (v.play.menu.phase() == MenuPhase::Ending) return false;
      first.try_emplace(v.play.story.interp.Cur_Num, stop_of(v));
      const int row =
          v.choice.shown > 0 && picks < path.picks.size() ? path.picks[picks++].second : 0;
      p.hl.click(p.hl.now(), kWindowX, kFirstChoiceY + row * (kSecondChoiceY - kFirstChoiceY));
      return true;
    });
    p.play(kMenuReady + 1'000'000);
  }
  return first;
}

// Every scene started twice in one dev run: once by a jump from another
// scene, once again from itself (what a reload or a jump to the scene the
// story is in does, with a choice menu up where the scene opens with one).
// Both times the player has what a fresh play reaching the scene has there:
// its first message or its menu over the same background, never the bare
// background; the same screen to the pixel where the scene brings in its own
// background (the sprites and lines of the scene before are not carried).
void expect_every_scene_restarts(const std::string& script, const std::string& choices) {
  DevPlay p(script, choices);
  const std::vector<int> nums = scene_nums(read_bytes(p.edit + "/script.csv"));
  ASSERT_GT(nums.size(), 5u);
  Stops fresh = fresh_stops(script, choices, nums.size());
  std::vector<std::pair<int, Stop>> started;
  size_t asked = 0;
  const auto starts = [&p] { return events(p.hl, LogKind::DevStart).size(); };
  p.hl.click(kMenuReady, 300, 255);
  at_each_stop(p, kMenuReady + 100, [&](const DevView& v) {
    if (starts() < asked) return true;  // the start asked for is still to come
    if (asked > 0) started.emplace_back(nums[(asked - 1) / 2], stop_of(v));
    if (asked == 2 * nums.size()) return false;
    // A start leaves the scene from inside the jump: it comes on its own.
    p.hl.at(p.hl.now() + 10, [&p, n = nums[asked / 2]] {
      const Result<void> jumped = p.dev->jump(n);
      EXPECT_TRUE(jumped) << n << ": " << (jumped ? "" : jumped.error().what());
    });
    ++asked;
    return true;
  });
  p.play(kMenuReady + 1'000'000);
  ASSERT_EQ(started.size(), 2 * nums.size());
  size_t exact = 0;
  for (size_t i = 0; i < started.size(); ++i) {
    const auto& [num, stop] = started[i];
    const char* how = i % 2 ? " started again" : " jumped to";
    if (!fresh.count(num)) continue;  // no path reaches it: only a jump does
    const Stop& want = fresh[num];
    // The background: above the sprites' heads, the top of the screen.
    EXPECT_TRUE(std::equal(want.px.begin(), want.px.begin() + 640 * kSkyRows, stop.px.begin()))
        << "NUM " << num << how << " stands on another background";
    EXPECT_EQ(stop.said, want.said) << "NUM " << num << how;
    if (!want.own_place) continue;
    ++exact;
    EXPECT_TRUE(stop.px == want.px) << "NUM " << num << how << " differs from a fresh play";
  }
  EXPECT_GT(exact, started.size() / 3);
  EXPECT_EQ(count(p.hl, LogKind::Error), 0) << events(p.hl).of(LogKind::Error).last_line();
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
    EXPECT_EQ(events(p.hl, LogKind::DevStart).where(&LogEvent::number, 200).count(), 1);
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
    EXPECT_EQ(events(p.hl, LogKind::DevStart).where(&LogEvent::number, 10).count(), 1);
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
  const Events rows = events(p.hl, LogKind::FormControl)
                          .where(&LogEvent::control, "NumList")
                          .where(&LogEvent::action, "row");
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
    EXPECT_EQ(rows.event(i).number, static_cast<int>(i)) << rows.line(i);
    EXPECT_EQ(rows.event(i).text, want[i]);
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
  EXPECT_EQ(count(p.hl, LogKind::DevReloaded), 1);
  ASSERT_EQ(first.w, 640);
  constexpr uint32_t kWarningBack = rgb(104, 80, 8);
  // Above the message window (its top at 352), not over its text.
  EXPECT_EQ(first.at(1, 340), kWarningBack);
  EXPECT_NE(first.at(1, 470), kWarningBack);
  ASSERT_EQ(again.w, 640);
  EXPECT_NE(again.at(1, 340), kWarningBack) << "the same warning shown again on a reload";
}

// game.ini saved while the game plays: the scene starts again and its cast
// speaks with the labels just given; a line the game cannot read is said as
// check says it, and keeps the engine's words there. Removed, the engine's
// own words come back with the scene started again.
TEST(DevRun, TheGamesWordsSavedWhileItPlaysSpeakFromTheSceneStartedAgain) {
  constexpr uint32_t kSaved = kMenuReady + 3000, kRemoved = kMenuReady + 14000;
  DevPlay p;
  p.hl.player_settings.self_voicing = true;
  p.hl.click(kMenuReady, 300, 255);  // はじめから
  for (uint32_t t = kMenuReady + 2000; t < kMenuReady + 30000; t += 2500) p.hl.click(t, 320, 240);
  p.hl.at(kSaved, [&] {
    write_bytes(p.edit + "/game.ini", "[cast]\n1=【ハル】\nno key here\n");
    p.before = snapshot(p.edit);
    p.hl.file_changed(p.hl.now(), "game.ini");
  });
  // A script saved while game.ini has a line the game cannot read is
  // taken all the same: the game plays on with its own words there.
  p.hl.at(kSaved + 5000, [&] { edit_file(p.edit + "/script.csv", kFirst, kEdited); });
  p.save(kSaved + 5100, "script.csv", kEdited, kEdited);
  p.hl.at(kRemoved, [&] {
    std::filesystem::remove(p.edit + "/game.ini");
    p.before = snapshot(p.edit);
    p.hl.file_changed(p.hl.now(), "game.ini");
  });
  p.play(kMenuReady + 32000);
  EXPECT_EQ(p.code, 0);
  auto spoken = [&](const char* text, uint32_t from, uint32_t to) {
    int n = 0;
    for (const LoggedEvent& e : p.hl.log().events())
      if (e.at >= from && e.at < to && e.event.kind == LogKind::Speak &&
          e.event.text.find(text) != std::string::npos)
        ++n;
    return n;
  };
  const char* const kOwn = "ハル、さて";
  const char* const kEngines = "ソラノ、さて";
  EXPECT_EQ(spoken(kOwn, 0, kSaved), 0);
  EXPECT_GT(spoken(kOwn, kSaved, kRemoved), 0) << p.shown(0);
  EXPECT_EQ(spoken(kEngines, kSaved, kRemoved), 0);
  EXPECT_GT(spoken(kEngines, kRemoved, kMenuReady + 32000), 0) << p.shown(kRemoved);
  // Said once for its own save, and again with the script's check.
  EXPECT_EQ(
      events(p.hl, LogKind::Warning).where(&LogEvent::text, Part{"game.ini:3: error: "}).count(), 2)
      << events(p.hl).of(LogKind::Warning).last_line();
  EXPECT_EQ(events(p.hl, LogKind::DevPacked).where(&LogEvent::file, "game.ini").count(), 1);
  EXPECT_EQ(count(p.hl, LogKind::DevReloaded), 1) << events(p.hl).of(LogKind::Error).last_line();
  EXPECT_NE(p.shown(kSaved + 5100).find(kEdited), std::string::npos) << p.shown(kSaved);
}

}  // namespace
}  // namespace vm::test
