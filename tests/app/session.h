// One run of the real game on the headless platform, over a copy of the demo
// folder, with the game's state open to the test after (and during) the run.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "app/flows.h"
#include "app/game.h"
#include "app/main_form.h"
#include "assets/assets.h"
#include "graphics/screen.h"
#include "platform/errors.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "test_support.h"

namespace vm::test {

// The title menu's items on screen, and where the message window's lines
// and choice boxes lie.
constexpr int kItemX = 300;
inline int item_y(int i) {
  return 255 + 35 * i;
}
constexpr uint32_t kMenuReadyMs = 5400;  // start-up, title, dissolve, pause
constexpr int kWindowX = 240, kFirstChoiceY = 401, kSecondChoiceY = 419;

struct Session {
  Session() = default;
  // A run over files the test keeps (a folder held in memory).
  explicit Session(Files& files) : hl(files) {}

  Headless hl;
  Game g{hl.platform()};
  MainFormEvents form{g};
  int exit_code = -1;
  bool went_idle = false;

  // Runs start-up and the event loop until the game ends.
  void run(const std::string& dir) {
    hl.platform().window.set_sink(&form);
    try {
      // As the start routine does: a shutdown asked for from below ends in
      // the main window's unload.
      try {
        form_load(g, dir);
        for (;;) hl.platform().window.wait_events();
      } catch (const ShutdownRequest& r) {
        unload_main_form(g, r.failure);
      }
    } catch (const EndProcess& e) {
      exit_code = e.code;
    } catch (const HeadlessIdle&) {
      went_idle = true;
    }
    hl.platform().window.set_sink(nullptr);
  }

  // Checks cond every 100 ms from at_ms on and runs then once it holds.
  void when(uint32_t at_ms, std::function<bool()> cond, std::function<void()> then) {
    hl.at(at_ms, [this, at_ms, cond, then] {
      if (cond())
        then();
      else
        when(hl.now() + 100 > at_ms ? hl.now() + 100 : at_ms + 100, cond, then);
    });
  }

  // Clicks the message window every 1500 ms from at_ms until stop() holds:
  // on the second choice box, so that choices take their second item.
  void click_through(uint32_t at_ms, std::function<bool()> stop, int y = kSecondChoiceY) {
    hl.at(at_ms, [this, stop, y] {
      if (stop()) return;
      hl.click(hl.now(), kWindowX, y);
      click_through(hl.now() + 1500, stop, y);
    });
  }

  // Starts the story from the title and runs then at its first click wait,
  // with the time it came.
  void at_first_wait(std::function<void(uint32_t)> then) {
    hl.click(kMenuReadyMs + 100, kItemX, item_y(0));
    when(
        kMenuReadyMs + 200, [this] { return g.input.Click_Wait != 0; },
        [this, then] { then(hl.now()); });
  }

  // Quits through the menu, answering yes.
  void quit(uint32_t at_ms) {
    hl.menu(at_ms, "prog_end");
    hl.answer(at_ms, "yes");
  }
};

// The screen as the player sees it, less the blinking arrow (which blinks on
// its own clock).
inline Image shown(Game& g) {
  const bool blink = g.screen.Blinker.visible;
  g.screen.Blinker.visible = false;
  Image frame = compose_screen(g.screen);
  g.screen.Blinker.visible = blink;
  return frame;
}

// The game waits on the player again: on a message, or on a choice menu.
inline bool waits_on_player(const Game& g) {
  if (g.menu.phase() == MenuPhase::Choosing) return choice_pending(g.choice);
  return g.menu.phase() == MenuPhase::Story && g.input.Click_Wait != 0 && !g.msg.Msg_Busy;
}

// A copy of the build's demo folder.
inline void copy_demo(const TempDir& dir) {
  std::filesystem::copy(build_dir() + "/data", dir.path(),
                        std::filesystem::copy_options::recursive);
}

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    out[e.path().filename().string()] = read_bytes(e.path().string());
  return out;
}

// The file with its first `from` replaced by `to`: an author's edit.
inline void edit_file(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = read_bytes(path);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  write_bytes(path, text.replace(at, from.size(), to));
}

// A copy of the demo and a headless platform to run the game on it.
class DemoRun : public ::testing::Test {
 protected:
  TempDir dir;
  Headless hl;
  void SetUp() override { copy_demo(dir); }
  // The game through its start routine, as velmora runs it.
  int run() { return run_game(hl.platform(), dir.path()); }
};

// A session over a copy of the demo, for the test to script and run.
class DemoSession : public ::testing::Test {
 protected:
  TempDir dir;
  Session s;
  void SetUp() override { copy_demo(dir); }
};

// The game over the demo as start-up leaves it, before the title: a test
// drives its rooms directly, without the event loop.
inline void ready_on_demo(Game& g, const std::string& dir) {
  g.assets.Data_Dir = dir;
  layout_screen(g);
  check_assets(g.assets, g.msg.Name_Table, g.pf.files, g.pf.dialogs);
  open_mixer(g.audio());
}

class DemoRoom : public DemoRun {
 protected:
  Game g{hl.platform()};
  MainFormEvents form{g};
  void SetUp() override {
    DemoRun::SetUp();
    hl.platform().window.set_sink(&form);
    ready_on_demo(g, dir.path());
  }
};

}  // namespace vm::test
