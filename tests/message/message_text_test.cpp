// The message window: its frame and panel, typing, labels, pages and the
// player's names.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "authoring/pictures.h"
#include "graphics/scene_fixture.h"

namespace vm::test {
namespace {

TEST(MessageFrame, BorderPiecesFromTheSheet) {
  Rig r;
  const Surface& w0 = r.g.screen.Waku[0];
  const int W = 432, H = 108;
  const auto scene = [&](int x, int y) { return scene_pixel(195 + x, 355 + y); };
  // Corners and edges where the sheet has colour: the border is opaque.
  EXPECT_EQ(w0.img.at(1, 0), sheet_pixel(1, 0));
  EXPECT_EQ(w0.img.at(W - 1, H - 1), sheet_pixel(47, 47));
  EXPECT_EQ(w0.img.at(W - 15, 3), sheet_pixel(33, 3));
  EXPECT_EQ(w0.img.at(2, H - 3), sheet_pixel(2, 45));
  EXPECT_EQ(w0.img.at(100, 1), sheet_pixel(16 + 100 % 16, 1));       // top edge
  EXPECT_EQ(w0.img.at(100, H - 7), sheet_pixel(16 + 100 % 16, 41));  // bottom edge
  EXPECT_EQ(w0.img.at(3, 50), sheet_pixel(3, 16 + 50 % 16));         // left edge
  EXPECT_EQ(w0.img.at(W - 5, 50), sheet_pixel(43, 16 + 50 % 16));    // right edge
  // Where the sheet is black: the scene, untinted outside the inner area...
  EXPECT_EQ(w0.img.at(0, 0), scene(0, 0));
  EXPECT_EQ(w0.img.at(6, 4), scene(6, 4));
  // ...and tinted inside it.
  EXPECT_EQ(w0.img.at(7, 8), test::mix(scene(7, 8), kSheetTint, 0.8f));
  // The open inner area: the scene under the tint at the window density.
  const int open[][2] = {{20, 8}, {8, 50}, {423, 50}, {200, 99}, {65, 50}, {415, 90}};
  for (const auto& p : open)
    EXPECT_EQ(w0.img.at(p[0], p[1]), test::mix(scene(p[0], p[1]), kSheetTint, 0.8f))
        << p[0] << "," << p[1];
  // The blank panel is kept for clearing.
  EXPECT_EQ(r.g.screen.Waku[4].img.px, w0.img.px);
  r.g.options.Window_Density = 0.5f;
  build_window_frame(r.g.message_window());
  r.g.input.Text_Mode = 0;
  r.say(0, "あ");
  // The shown window: panel at density 0.5 beside the text.
  EXPECT_EQ(r.shown(300, 60), test::mix(scene_pixel(495, 415), kSheetTint, 0.5f));
  EXPECT_EQ(r.shown(13, 20), kNarrationColour);
  EXPECT_EQ(r.hl.last_frame().at(100, 100), scene_pixel(100, 100));
  // High contrast, for low vision, makes the panel the tint colour itself.
  r.hl.player_settings.high_contrast = true;
  build_window_frame(r.g.message_window());
  const Image& blank = r.g.screen.Waku[kWakuBlank].img;
  for (int y = 16; y < blank.h - 16; y += 7)  // inside the frame's corners
    for (int x = 16; x < blank.w - 16; x += 13) EXPECT_EQ(blank.at(x, y), kSheetTint);
}

// The demo's frame sheet: its panel is readable over every scene.
TEST(MessageFrame, TheDemoPanelIsReadableOverEveryScene) {
  Rig r;
  r.g.screen.Texture.img = datatool::paint_texture_sheet();
  for (int n = 70; n <= 85; ++n) {
    if (n == 72) continue;  // the title picture is never a scene
    // The scene as the game lays it: the picture on top, the wall strip of
    // the texture sheet below a short one.
    const Image bg = datatool::paint_background(n);
    const Image& wall = r.g.screen.Texture.img;
    r.g.screen.Pic_Main.img = make_image(kScreenW, kScreenH, [&](int x, int y) {
      return y < bg.h ? bg.at(x, y) : wall.at(96 + x % 64, (y - bg.h) % 64);
    });
    build_window_frame(r.g.message_window());
    std::array<std::vector<int>, 3> ch;
    const Image& w0 = r.g.screen.Waku[0].img;
    for (int y = 8; y < w0.h - 8; ++y)
      for (int x = 8; x < w0.w - 8; ++x) {
        ch[0].push_back(red_of(w0.at(x, y)));
        ch[1].push_back(green_of(w0.at(x, y)));
        ch[2].push_back(blue_of(w0.at(x, y)));
      }
    for (auto& c : ch) std::nth_element(c.begin(), c.begin() + c.size() / 2, c.end());
    const uint32_t median = rgb(static_cast<uint8_t>(ch[0][ch[0].size() / 2]),
                                static_cast<uint8_t>(ch[1][ch[1].size() / 2]),
                                static_cast<uint8_t>(ch[2][ch[2].size() / 2]));
    EXPECT_GE(test::contrast(0x000000, median), 7.0) << n;
    EXPECT_GE(test::contrast(kNarrationColour, median), 3.0) << n;
  }
}

// --------------------------------------------------------------- typing ---

constexpr uint32_t kBlack = 0x000000;

// Blocks of the stand-in text: character i of line l sits in its cell.
int cell_x(int i) {
  return 11 + 18 * i + 2;
}
int line_y(int l) {
  return 18 * l + 18 + 2;
}
// Where a call of the stand-in drew which text, in which colour.
auto drawn(const BlockText::Call& c) {
  return std::tie(c.x, c.y, c.text, c.colour);
}

TEST(MessageText, TypedOneCharacterPerPresent) {
  Rig r;
  r.frames.clear();
  r.click_window(400);  // before the mark first shows
  r.say(0, "あいう");
  // Three presents while typing, 40 ms apart; the click ended the wait.
  ASSERT_EQ(r.frames.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(r.frames[k].first, static_cast<uint32_t>(40 * k));
    const Image& f = r.frames[k].second;
    for (int i = 0; i < 3; ++i) {
      const uint32_t px = f.at(r.g.msg.left + cell_x(i), r.g.msg.top + line_y(0));
      EXPECT_EQ(px == kNarrationColour, i <= k) << "frame " << k << " char " << i;
    }
  }
  EXPECT_GE(r.hl.now(), 400u);
  EXPECT_EQ(r.g.msg.Line_No, 1);
  EXPECT_EQ(r.g.msg.Choice_Armed, -1);
  EXPECT_EQ(r.g.msg.Msg_Busy, 0);
  // Each character's shadow first, one pixel right and down, in the
  // window's font: the gothic face, 13 points, bold.
  ASSERT_GE(r.blocks.calls.size(), 2u);
  EXPECT_EQ(drawn(r.blocks.calls[0]), std::make_tuple(12, 19, "あ", kShadowColour));
  EXPECT_EQ(drawn(r.blocks.calls[1]), std::make_tuple(11, 18, "あ", kNarrationColour));
  const Font& font = r.blocks.calls[1].font;
  EXPECT_EQ(std::tie(font.family, font.points, font.bold),
            std::make_tuple("ＭＳ ゴシック", 13, true));
  EXPECT_EQ(r.shown(13, 20), kNarrationColour);
  EXPECT_EQ(r.shown(25, 33), kShadowColour);
  // An empty text shows nothing, and a message asked for while another is
  // being shown returns at once.
  r.frames.clear();
  r.click_window(r.hl.now() + 5000);  // ends a wait that should not be: a failure, not a hang
  r.say(4, "");
  r.g.msg.Msg_Busy = -1;
  r.say(0, "い");
  EXPECT_TRUE(r.frames.empty());
  EXPECT_EQ(std::tie(r.g.msg.Line_No, r.g.msg.Shown_Speaker), std::make_tuple(1, 0));
}

// The text speed the player picks in the preferences window: slow doubles
// the typing pauses, fast halves them, instant types without any and leaves
// exactly the pixels typing leaves; more than a line types at 10 ms a
// character. The story is held while the window is open.
TEST(MessageText, TextSpeedChosenInThePreferencesWindow) {
  Rig r;
  r.hl.menu(0, "preferences");
  r.pf.window.do_events();
  EXPECT_TRUE(r.g.hooks->story_held());
  r.hl.choose(0, "遅い");
  r.hl.press(0, "OK");
  r.pf.window.do_events();
  EXPECT_FALSE(r.g.hooks->story_held());
  ASSERT_EQ(r.hl.player_settings.text_speed, TextSpeed::Slow);
  auto times = [](const Rig& k) {
    std::vector<uint32_t> t;
    for (const auto& f : k.frames) t.push_back(f.first - k.frames.front().first);
    return t;
  };
  r.frames.clear();
  r.click_window(r.hl.now() + 50);  // during the typing: no mark is drawn
  r.say(0, "あいう");
  EXPECT_EQ(times(r), (std::vector<uint32_t>{0, 80, 160}));

  std::string text;  // two lines: the long text's pace, glyphs that overlap
  for (int i = 0; i < 25; ++i) text += i % 2 ? "ア" : "漢";
  auto typed = [&](TextSpeed speed, std::vector<uint32_t>& at) {
    Rig k(true);
    k.hl.player_settings.text_speed = speed;
    k.frames.clear();
    k.click_window(100);
    k.say(0, text);
    at = times(k);
    return k.hl.last_frame().px;
  };
  std::vector<uint32_t> normal_at, fast_at, instant_at;
  const std::vector<uint32_t> normal = typed(TextSpeed::Normal, normal_at);
  EXPECT_EQ(typed(TextSpeed::Fast, fast_at), normal);
  EXPECT_EQ(typed(TextSpeed::Instant, instant_at), normal);
  ASSERT_EQ(normal_at.size(), 25u);
  EXPECT_EQ(normal_at.back(), 240u);
  ASSERT_EQ(fast_at.size(), 25u);
  EXPECT_EQ(fast_at.back(), 120u);
  EXPECT_EQ(instant_at, (std::vector<uint32_t>{0, 0}));  // one present a line
}

TEST(MessageText, WholeLinesWithoutTypingInModes1And2) {
  for (int16_t mode : {int16_t{1}, int16_t{2}}) {
    Rig r;
    r.g.input.Text_Mode = mode;
    r.frames.clear();
    r.click_window(300);
    r.say(0, "かきくけこ");
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].first, 0u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.shown(cell_x(i), line_y(0)), kNarrationColour);
  }
  // Real glyphs: each character draws something of the narration colour
  // inside its own cell and nothing outside the line.
  Rig r(true);
  r.g.input.Text_Mode = 1;
  r.click_window(100);
  r.say(0, "漢ｶナ、▼！");
  const Image& f = r.hl.last_frame();
  const int ox = r.g.msg.left, oy = r.g.msg.top;
  for (int i = 0; i < 6; ++i) {
    int hits = 0;
    for (int y = 18; y < 18 + 18; ++y)
      for (int x = 11 + 18 * i; x < 11 + 18 * i + 18; ++x)
        if (f.at(ox + x, oy + y) == kNarrationColour) ++hits;
    EXPECT_GT(hits, 3) << "char " << i;
  }
  for (int y = 40; y < 100; ++y)
    for (int x = 0; x < 432; ++x) ASSERT_NE(f.at(ox + x, oy + y), kNarrationColour);
  EXPECT_EQ(r.g.msg.Line_No, 1);
  // Lines break after 23 characters, not bytes; 46 make two full lines and
  // an empty third.
  std::string text;
  for (int i = 0; i < 23; ++i) text += (i % 2) ? "ｶ" : "、";
  r.g.msg.Line_No = 0;
  r.click_window(200);
  r.say(0, text);
  EXPECT_EQ(r.g.msg.Line_No, 1);
  r.g.msg.Line_No = 0;
  r.click_window(300);
  r.say(0, text + text);
  EXPECT_EQ(r.g.msg.Line_No, 3);
}

TEST(MessageText, SpeakerLabelOnItsOwnLineUntilNarrationClearsIt) {
  Rig r;
  r.click_window(100);
  r.say(1, "こんにちは");
  EXPECT_EQ(drawn(r.blocks.calls[0]), std::make_tuple(12, 16, "【ソラノ】", kShadowColour));
  EXPECT_EQ(drawn(r.blocks.calls[1]), std::make_tuple(11, 15, "【ソラノ】", kBlack));
  EXPECT_EQ(r.shown(13, 17), kBlack);
  EXPECT_EQ(r.shown(cell_x(0), line_y(1)), kBlack);
  EXPECT_EQ(r.g.msg.Line_No, 2);
  EXPECT_EQ(r.g.msg.Shown_Speaker, 1);
  // The same speaker goes on without a label, on the next line.
  r.blocks.calls.clear();
  r.click_window(2000);
  r.say(1, "はい");
  EXPECT_EQ(drawn(r.blocks.calls[0]), std::make_tuple(12, 18 * 2 + 19, "は", kShadowColour));
  EXPECT_EQ(r.g.msg.Line_No, 3);
  // Narration after a speaker clears the window: the panel shows again
  // where the label and lines were.
  r.click_window(4000);
  r.say(0, "風が吹いた。");
  EXPECT_EQ(r.shown(cell_x(0), line_y(0)), kNarrationColour);
  EXPECT_EQ(r.shown(cell_x(0), line_y(1)), r.g.screen.Waku[4].img.at(cell_x(0), line_y(1)));
  EXPECT_EQ(r.g.msg.Line_No, 1);
}

// A full page is cleared after the click, back to the blank panel. Two lines that would start on
// the fourth, or four that would start on the third, would run over the bottom border: they start a
// fresh page.
TEST(MessageText, PagesOfFourLines) {
  Rig r;
  r.g.input.Text_Mode = 1;
  r.g.msg.Line_No = 3;
  r.hl.at(50, [&] { EXPECT_EQ(r.shown(cell_x(0), line_y(3)), kNarrationColour); });
  r.click_window(100);
  r.say(0, "おわり");
  EXPECT_EQ(r.g.msg.Line_No, 0);
  EXPECT_EQ(r.g.screen.Waku[0].img.px, r.g.screen.Waku[4].img.px);
  // A clear forgets the speaker: the next words of 3 have their label again.
  r.click_window(200);
  r.say(3, "ねえ");
  clear_message_window(r.g.message_window());
  EXPECT_EQ(r.g.msg.Shown_Speaker, 0);
  r.g.msg.Line_No = 3;
  std::string text;
  for (int i = 0; i < 30; ++i) text += "ン";
  r.hl.at(250, [&] {
    EXPECT_EQ(r.shown(cell_x(0), line_y(0)), kNarrationColour);
    EXPECT_EQ(r.shown(cell_x(0), line_y(1)), kNarrationColour);
    EXPECT_NE(r.shown(cell_x(0), line_y(4)), kNarrationColour);
  });
  r.click_window(300);
  r.say(0, text);
  EXPECT_EQ(r.g.msg.Line_No, 2);

  text.clear();
  for (int i = 0; i < 70; ++i) text += "長";  // four lines: 2..5 would not fit
  r.hl.at(350, [&] {
    EXPECT_EQ(r.shown(cell_x(0), line_y(0)), kNarrationColour);
    EXPECT_EQ(r.shown(cell_x(0), line_y(3)), kNarrationColour);
  });
  r.click_window(400);
  r.say(0, text);
  EXPECT_EQ(r.g.msg.Line_No, 0);
}

// ---------------------------------------------------------------- names ---

TEST(Rename, DialogTextsInputMethodAndWhatIsAccepted) {
  Rig r;
  std::string& family = r.g.msg.Name_Table[1];
  std::string& given = r.g.msg.Name_Table[2];
  family = "山田";
  given = "花子";
  auto answer = [&](const std::string& a) {
    r.hl.answer(0, a);
    Change_Name(r.g.msg, r.g.pf.dialogs);
  };
  answer("佐藤　桜");
  const std::vector<std::string> mine = events(r.hl).of({LogKind::Ime, LogKind::InputBox}).lines();
  EXPECT_EQ(mine, (std::vector<std::string>{
                      "ime open",
                      "input \"なまえの変更\" \"【女の子】の名前を変更できます。\\n"
                      "好きな名前を入力して「OK」ボタンをクリックしてください。\" preset "
                      "\"山田　花子\" -> \"佐藤　桜\"",
                      "ime close"}));
  EXPECT_EQ(std::tie(family, given), std::make_tuple("佐藤", "桜"));
  EXPECT_EQ(speaker_label(r.g.msg, 3), "【桜】");
  // Counted in characters, at most seven with the space; the first space of
  // either kind parts the names. An answer without a space, ending in one,
  // too long, empty (cancelled) or with a comma or double quote, which a
  // saved game could not keep, leaves the names as they were.
  const std::vector<std::array<const char*, 3>> cases = {
      {"ABC DEF", "ABC", "DEF"},
      {"あいう　えおか", "あいう", "えおか"},  // 7 characters, 21 + 3 bytes
      {"あいう　えおかき", "あいう", "えおか"},
      {"　ナナ", "", "ナナ"},
      {"A B　C", "A B", "C"},
  };
  for (const auto& [a, f, gv] : cases) {
    answer(a);
    EXPECT_EQ(std::tie(family, given), std::tie(f, gv)) << a;
  }
  for (const char* a : {"ひとり", "末尾　", "末尾 ", "佐,藤　桜", "佐藤　\"桜\"", ""}) {
    answer(a);
    EXPECT_EQ(std::tie(family, given), std::make_tuple("A B", "C")) << a;
  }
  EXPECT_EQ(events(r.hl).last_line(), "ime close");  // also after a cancelled dialog
}

}  // namespace
}  // namespace vm::test
