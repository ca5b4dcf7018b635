// The game read aloud, played through the real start routine on the headless
// platform: what is said and in what order for the demo's opening, a click
// cutting a message off, nothing said while it is off, the silent game when
// there is no speech service, and the secondary windows and the gallery.
#include "app/read_aloud.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session.h"

namespace vm {
namespace {

using test::events;
using test::item_y;
using test::kItemX;
using test::kMenuReadyMs;
using test::Part;

// The demo from its title to the first choice, the second choice
// highlighted, then picked; with reading aloud on or off.
struct Opening : test::Session {
  test::TempDir dir;
  bool noticed = false;  // a frame showed the notice
  explicit Opening(bool on, bool service = true) {
    test::copy_demo(dir);
    hl.player_settings.self_voicing = on;
    hl.no_speech = !service;
    hl.on_present = [this](const Image&, uint32_t) { noticed = noticed || g.app.Notice.visible; };
    hl.move(kMenuReadyMs + 100, kItemX, item_y(1));
    hl.move(kMenuReadyMs + 200, kItemX, item_y(0));
    hl.click(kMenuReadyMs + 300, kItemX, item_y(0));
    click_through(kMenuReadyMs + 1500, [this] { return g.choice.shown > 0; });
    when(
        kMenuReadyMs + 1500, [this] { return g.choice.shown > 0; },
        [this] {
          hl.move(hl.now() + 100, test::kWindowX, test::kSecondChoiceY);
          hl.click(hl.now() + 200, test::kWindowX, test::kSecondChoiceY);
          quit(hl.now() + 5000);
        });
    run(dir.path());
  }
};

using ReadAloud = test::DemoSession;

// Off, it says nothing; without a speech service the game says so once, in
// the log and by its notice for a second, and goes on silent. Speech never holds the game up: the
// same messages at the same times either way.
TEST_F(ReadAloud, TheOpeningIsSpokenInOrderAClickCutsAMessageOffAndNothingWaitsForIt) {
  Opening run(true), off(false), silent(true, false);
  EXPECT_EQ(events(off.hl).of({LogKind::Speak, LogKind::Hush}).size(), 0u);
  EXPECT_EQ(silent.exit_code, 0);
  EXPECT_TRUE(silent.hl.spoken.empty());
  EXPECT_EQ(
      events(silent.hl, LogKind::Warning).where(&LogEvent::text, Part{"no speech service"}).count(),
      1);
  EXPECT_TRUE(silent.noticed);
  EXPECT_FALSE(silent.g.app.Notice.visible);
  for (const Opening* other : {&off, &silent}) {
    EXPECT_EQ(events(other->hl).of(LogKind::Text).lines(),
              events(run.hl).of(LogKind::Text).lines());
    EXPECT_EQ(events(other->hl).of(LogKind::Text).times(),
              events(run.hl).of(LogKind::Text).times());
  }
  ASSERT_EQ(run.exit_code, 0);
  const std::vector<std::string>& said = run.hl.spoken;
  const std::vector<std::string> opening = {
      "タイトル。はじめから、つづきから、ギャラリー、おわる",
      "つづきから",
      "はじめから",
      "港町ヴェルモラの夏は、潮の香りと一緒にやってくる。",
      "坂の上から見下ろすヴェルモラの海は、今日もまぶしいくらいに青く光っていた。"
      "待ちに待った夏休みの、最初の朝だ。",
      "ソラノ、さて、今年の夏休みは何をしようかな……。",
      "ミツ、ソラノ！　また朝からぼーっとしてる。",
  };
  ASSERT_GE(said.size(), opening.size());
  EXPECT_EQ(std::vector<std::string>(said.begin(), said.begin() + opening.size()), opening);

  // Every message is said as it starts typing, at its own time, and the
  // click that ended the one before cut that one off first.
  const test::Events all = events(run.hl);
  const test::Events texts = all.of(LogKind::Text);
  ASSERT_GE(texts.size(), 5u);
  for (size_t i = 0; i < texts.size(); ++i) {
    const LoggedEvent& next = all[static_cast<size_t>(texts.index(i)) + 1];
    EXPECT_EQ(next.event.kind, LogKind::Speak) << texts.line(i);
    EXPECT_TRUE(next.event.text.ends_with(texts.event(i).text)) << next.event.text;
    if (i == 0) continue;
    const LoggedEvent& before = all[static_cast<size_t>(texts.index(i)) - 1];
    if (before.event.kind == LogKind::Hush) continue;
    // A scene change between them: the hush came at the click, earlier.
    EXPECT_GE(all.of(LogKind::Hush).from(texts.index(i - 1)).size(), 1u) << texts.line(i);
  }
  // The choices as the menu opens, then the one highlighted; the last
  // utterance before the pick.
  const auto menu =
      std::find(said.begin(), said.end(), "選択肢。1 ミツと海へ行く、2 ひとりで丘へ登る");
  ASSERT_NE(menu, said.end());
  ASSERT_NE(menu + 1, said.end());
  EXPECT_EQ(*(menu + 1), "ひとりで丘へ登る");
}

TEST_F(ReadAloud, TheKeyAndTheItemToggleItAndTheSettingsKeepIt) {
  bool ticked = false;
  s.hl.key(kMenuReadyMs, 'V');
  s.hl.at(kMenuReadyMs + 10, [&] { ticked = s.hl.menu_checked("self_voicing"); });
  s.hl.menu(kMenuReadyMs + 1000, "self_voicing");
  s.hl.move(kMenuReadyMs + 1100, kItemX, item_y(2));  // off: not said
  s.quit(kMenuReadyMs + 2000);
  s.run(dir.path());
  EXPECT_TRUE(ticked);
  EXPECT_FALSE(s.hl.menu_checked("self_voicing"));
  EXPECT_FALSE(s.hl.player_settings.self_voicing);
  EXPECT_EQ(s.hl.settings_saves, 2);
  EXPECT_EQ(s.hl.spoken, std::vector<std::string>{kReadAloudOn});
  EXPECT_EQ(events(s.hl).of(LogKind::Hush).size(), 1u);  // turned off mid-sentence
}

TEST_F(ReadAloud, WindowsSayTheirTitleAndTheControlInFocusAndTheGalleryCountsPictures) {
  s.hl.player_settings.self_voicing = true;
  const uint32_t t = kMenuReadyMs + 100;
  s.hl.menu(t, "opt_menu");
  s.hl.focus(t + 100, "Check1");
  s.hl.focus(t + 200, "HScroll1");
  s.hl.scroll(t + 300, 40);
  s.hl.press(t + 400, "Cancel");
  s.hl.menu(t + 500, "preferences");
  s.hl.focus(t + 600, "EffectsVolume");
  s.hl.focus(t + 700, "SpeedNormal");
  s.hl.press(t + 800, "Cancel");
  s.hl.at(t + 850, [&] {
    test::write_bytes(dir / "01.dat",
                      slot_file_text("2026/12/08 10:12", "夏休みの始まり",
                                     {"00100100000305000080-1-103000802", "山田", "花子"}));
  });
  s.hl.click(t + 900, kItemX, item_y(1));  // load: the slot window
  s.hl.focus(t + 1000, "Label1(0)");
  s.hl.form_key(t + 1050, kKeyTab);  // the keys say where they go too
  s.hl.close_box(t + 1100);
  // One picture seen: the gallery offers it and counts it.
  s.hl.at(t + 1200, [&] { s.g.assets.CG_Seen[1] = -1; });
  s.hl.click(t + 1300, kItemX, item_y(2));
  // The keys move the focus to it and back to もどる, open it, close it and
  // go back to the title, which reads its items again.
  s.hl.key(t + 2500, kKeyLeft);
  s.hl.key(t + 2600, kKeyRight);
  s.hl.key(t + 2700, kKeyLeft);
  s.hl.key(t + 2800, kKeyReturn);
  s.hl.key(t + 3500, kKeyEscape);
  s.hl.key(t + 3700, kKeyEscape);
  s.quit(t + 5000);
  s.run(dir.path());
  const std::vector<std::string>& said = s.hl.spoken;
  // A box says how it stands, a bar is read back as it changes, the slot
  // window's rows say their number and what they hold.
  for (const char* u :
       {"オプション設定", "ＢＧＭ オン", "ｳｨﾝﾄﾞｳの濃さ 80 Low High", "ｳｨﾝﾄﾞｳの濃さ 40 Low High",
        "環境設定", "効果音の音量 100 %", "ゲームデータ", "スロット1、データなし",
        "ギャラリー。5枚中1枚を見られます", "もどる", "普通 選択中"})
    EXPECT_NE(std::find(said.begin(), said.end(), u), said.end()) << u;
  EXPECT_EQ(std::count(said.begin(), said.end(), "スロット2、夏休みの始まり、12/08 10:12"), 1);
  EXPECT_EQ(std::count(said.begin(), said.end(), "5枚中2枚目"), 3);  // twice focused, once shown
  EXPECT_EQ(
      std::count(said.begin(), said.end(), "タイトル。はじめから、つづきから、ギャラリー、おわる"),
      2);
}

TEST_F(ReadAloud, ControlsSayWhatTheyAreAndHowTheyStand) {
  FormSpec f;
  // A bar with its name and value on its row, the next row's name below.
  f.controls = {ControlSpec::at(ControlSpec::Frame, "F", 0, 0, 10, 10, "音量"),
                ControlSpec::at(ControlSpec::Label, "L", 0, 0, 10, 10, "音楽", "F"),
                ControlSpec::at(ControlSpec::Scroll, "S", 20, 0, 10, 10, "", "F"),
                ControlSpec::at(ControlSpec::Label, "P", 40, 0, 10, 10, "50%", "F"),
                ControlSpec::at(ControlSpec::Label, "N", 0, 28, 10, 10, "効果音", "F"),
                ControlSpec::at(ControlSpec::Check, "C", 0, 0, 10, 10, "全画面"),
                ControlSpec::at(ControlSpec::Option, "O", 0, 0, 10, 10, "速い"),
                ControlSpec::at(ControlSpec::Picture, "I", 0, 0, 10, 10)};
  f.controls[5].value = 1;
  EXPECT_EQ(spoken_control(f, "S"), "音楽 50%");
  EXPECT_EQ(spoken_control(f, "C"), "全画面 オン");
  EXPECT_EQ(spoken_control(f, "O"), "速い");
  EXPECT_EQ(spoken_control(f, "I"), "");
  EXPECT_EQ(spoken_control(f, "missing"), "");
}

}  // namespace
}  // namespace vm
