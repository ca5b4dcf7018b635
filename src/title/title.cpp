#include "title/title.h"

#include <string>

#include "assets/assets.h"
#include "graphics/surface.h"
#include "platform/errors.h"
#include "sound/sound.h"

namespace vm {

namespace {

constexpr int kPanelX = 180, kPanelY = 65, kPanelW = 280, kPanelH = 150;
constexpr int kDissolveSteps = 9;

// Puts the title picture on Title; a failure is what the player is told
// when it cannot be read.
Result<void> load_title_picture(TitleScreen g) {
  const std::string path = g.stage.assets.Data_Dir + "72.dat";
  const long long length = g.files.length(path);
  if (length < 0) return failure("実行に必要なﾌｧｲﾙがありません. file:title");
  if (length == 0) return {};  // the loading picture stays
  Surface& t = g.stage.screen.Title;
  t.place(0, 0, kScreenW, kScreenH);
  const Result<Image> img = g.stage.pictures.load_picture(path);
  if (!img)
    return failure("実行に必要なﾌｧｲﾙが異常です.(72.dat: " + std::string(img.error().what()) + ")");
  // A smaller picture covers what it can; the rest keeps Title's colour.
  bit_blt(t, 0, 0, kScreenW, kScreenH, Surface{"", img.value()}, 0, 0, SRCCOPY);
  return {};
}

// The items as they are read aloud (their pictures carry the words).
constexpr const char* kSpokenItems[4] = {"はじめから", "つづきから", "ギャラリー", "おわる"};

void refresh(const TitleScreen& g) {
  refresh(g.stage);
}
void do_events(const TitleScreen& g) {
  g.stage.window.do_events();
}
void sleep_ms(const TitleScreen& g, int ms) {
  g.stage.clock.sleep(ms);
}
uint32_t tick_count(const TitleScreen& g) {
  return g.stage.clock.tick_count();
}

}  // namespace

// The title's opening; a failure is what the player is told when it cannot
// be shown.
Result<void> title_steps(TitleScreen g) {
  ScreenState& sc = g.stage.screen;
  g.title.Title_Start = tick_count(g);
  if (Result<void> loaded = load_title_picture(g); !loaded) return loaded;

  sc.End_Pic.place(kPanelX, kPanelY, kPanelW, kPanelH);
  bit_blt(sc.End_Pic, 0, 0, kPanelW, kPanelH, sc.Title, kPanelX, kPanelY, SRCCOPY);
  sc.End_Pic.visible = true;
  sc.Form_Back.place(0, 0, kPanelW, kPanelH);
  bit_blt(sc.Form_Back, 0, 0, kPanelW, kPanelH, sc.Texture, 0, 70, SRCCOPY);

  // The game screen under the title: what the story's first transition
  // starts from.
  bit_blt(sc.Pic_Main, 0, 0, kScreenW, kScreenH, sc.Title, 0, 0, SRCCOPY);
  bit_blt(sc.Pic_Main, kPanelX, kPanelY, kPanelW, kPanelH, sc.Form_Back, 0, 0, SRCCOPY);
  for (int i = 0; i < 4; ++i)
    bit_blt(sc.Pic_Main, 265, 245 + 35 * i, 110, i < 3 ? 35 : 30, sc.Smenu[i], 0, 0, SRCCOPY);
  sc.Title.visible = true;
  refresh(g);

  while (tick_count(g) - g.title.Title_Start <= 1500) {
    do_events(g);
    sleep_ms(g, 100);
  }

  sc.Mesh2.place(sc.Mesh2.left, sc.Mesh2.top, 32, 32);
  for (int k = 0; k < kDissolveSteps; ++k) {
    g.title.Title_Start = tick_count(g);
    for (int x = 0; x <= 288; x += 32)
      for (int y = 0; y <= 160; y += 32) {
        bit_blt(sc.Mesh2, 0, 0, 32, 32, sc.Form_Back, x, y, SRCCOPY);
        bit_blt(sc.Mesh2, 0, 0, 32, 32, sc.Mesh1, 32 * k, 32, SRCAND);
        bit_blt(sc.End_Pic, x, y, 32, 32, sc.Mesh1, 32 * k, 0, SRCAND);
        bit_blt(sc.End_Pic, x, y, 32, 32, sc.Mesh2, 0, 0, SRCINVERT);
      }
    refresh(g);
    do_events(g);
    while (tick_count(g) - g.title.Title_Start <= 100) {
      sleep_ms(g, 100);
      do_events(g);
      sleep_ms(g, 100);
    }
  }
  bit_blt(sc.End_Pic, 0, 0, kPanelW, kPanelH, sc.Form_Back, 0, 0, SRCCOPY);
  refresh(g);

  for (int i = 0; i < 20; ++i) {
    do_events(g);
    sleep_ms(g, 100);
  }
  for (Surface& item : sc.Smenu) item.visible = true;
  sc.End_Pic.visible = true;
  refresh(g);
  g.stage.log.record(LogEvent::title_ready());
  announce_title(g);
  g.stage.dialogs.set_ime_open(false);
  return {};
}

void announce_title(const TitleScreen& g) {
  std::string said = "タイトル。";
  for (int i = 0; i < 4; ++i) said.append(i ? "、" : "").append(kSpokenItems[i]);
  g.speech.say(said);
}

void leave_title(TitleScreen g) {
  ScreenState& sc = g.stage.screen;
  sc.Title.visible = false;
  sc.Title.clear();
  sc.Title.place(0, 0, 0, 0);
  sc.End_Pic.visible = false;
  sc.Pic_Main.visible = true;
  refresh(g);
}

int title_item(const ScreenState& screen, const Surface* target) {
  for (int i = 0; i < 4; ++i)
    if (target == &screen.Smenu[i]) return i;
  return -1;
}

void on_title_hover(TitleScreen g, int i) {
  if (i == g.menu_hover) return;
  g.menu_hover = static_cast<int16_t>(i);
  if (i >= 0 && i < 4) g.speech.say(kSpokenItems[i]);
  ScreenState& sc = g.stage.screen;
  for (int k = 0; k < 4; ++k)
    bit_blt(sc.Smenu[k], 0, 0, 110, 35, sc.Texture, k == i ? 120 : 0, 230 + 35 * k, SRCCOPY);
  refresh(g);
  play_effect(g.audio, kEffectHover);  // the menu ticks even with effects off
}

int on_title_key(const TitleScreen& g, int key) {
  const ScreenState& sc = g.stage.screen;
  if (!shown_on_screen(sc.Smenu[0])) return -1;
  const int at = g.menu_hover >= 0 && g.menu_hover < 4 ? g.menu_hover : -1;
  if (key == kKeyReturn || key == kKeySpace) return at;
  if (key == kKeyDown) on_title_hover(g, at < 0 ? 0 : (at + 1) % 4);
  if (key == kKeyUp) on_title_hover(g, at < 0 ? 3 : (at + 3) % 4);
  return -1;
}

}  // namespace vm
