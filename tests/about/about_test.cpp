// The About box through the headless secondary windows.
#include "about/about.h"

#include <gtest/gtest.h>

#include "app/game.h"
#include "app/main_form.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace vm {
namespace {

using test::events;

InputEvent menu_event(const char* name) {
  InputEvent ev;
  ev.kind = InputEvent::Menu;
  ev.name = name;
  return ev;
}

TEST(AboutBox, ShowsItsTextsOpensItsLinksAndClosesWithOk) {
  Headless hl;
  Game g{hl.platform()};
  MainFormEvents form{g};
  hl.platform().window.set_sink(&form);
  g.menu.build();
  g.menu.enter(MenuPhase::Story);

  handle_event(g, menu_event("vvrr"));
  const HeadlessFormState* box = hl.form("frmAbout");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->spec.caption, "ﾊﾞｰｼﾞｮﾝ情報");
  auto caption = [&](const std::string& name) { return box->find(name)->caption; };
  EXPECT_EQ(caption("Label6"), "Ver. 1.10");
  EXPECT_EQ(caption("Label1"),
            "PentiumMMX200MHz以上のCPUと800×600dot×24bit色\r\n"
            "以上(TrueColor)のｸﾞﾗﾌｨｯｸ表示が可能な環境が必要です。");
  EXPECT_EQ(caption("Label2"),
            "Copyright (C) 2026 Minato-ya. このゲームの著作権は\r\n"
            "Minato-yaが保有しています。\r\n"
            "ご意見ご要望等ありましたら、ﾒｰﾙでお知らせください。");
  EXPECT_EQ(caption("Label3").rfind("mailto:", 0), 0u);
  EXPECT_EQ(caption("Label4").rfind("https://", 0), 0u);
  // The game's name is drawn in the Mincho face on the box.
  const Image& name = box->find("Label5")->picture;
  int inked = 0;
  for (uint32_t p : name.px) inked += p == rgb(64, 0, 64);
  EXPECT_GT(inked, 100);

  // The links go to the desktop; the main window goes on meanwhile.
  hl.click_control(hl.now(), "Label3");
  hl.click_control(hl.now(), "Label4");
  hl.menu(hl.now(), "speedup");
  hl.platform().window.do_events();
  EXPECT_EQ(hl.shell_opened, (std::vector<std::string>{caption("Label3"), caption("Label4")}));
  EXPECT_EQ(g.input.Text_Mode, 0);
  EXPECT_TRUE(hl.main_enabled());

  // The menu item again brings the open box forward as it is; OK unloads
  // it, and the next opening builds it afresh.
  handle_event(g, menu_event("vvrr"));
  EXPECT_EQ(hl.form("frmAbout"), box);
  EXPECT_EQ(events(hl).last_line(), "form frmAbout raised");
  hl.press(hl.now(), "OK");
  hl.platform().window.do_events();
  EXPECT_EQ(hl.form("frmAbout"), nullptr);
  handle_event(g, menu_event("vvrr"));
  ASSERT_NE(hl.form("frmAbout"), nullptr);
  hl.close_box(hl.now());
  hl.platform().window.do_events();
  EXPECT_EQ(hl.form("frmAbout"), nullptr);
}

}  // namespace
}  // namespace vm
