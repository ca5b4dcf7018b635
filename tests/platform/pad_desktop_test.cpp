// SDL's virtual controller plugged into the real desktop window while it
// runs (under a display only: pad_check runs it under Xvfb).
#include <gtest/gtest.h>

#include <functional>

#include "platform/desktop/sdl_pad.h"
#include "platform/headless/headless.h"

namespace vm {
namespace {

struct Recorder : EventSink {
  std::vector<InputEvent> got;
  void on_event(const InputEvent& ev) override { got.push_back(ev); }
  bool has(InputEvent::Kind kind, int key, const std::string& name = "") const {
    for (const InputEvent& e : got)
      if (e.kind == kind && e.key == key && e.name == name) return true;
    return false;
  }
};

// A controller plugged in after the window is up, its presses through SDL's
// game-controller events, the GDK keys made of them and the window's queue.
TEST(DesktopPad, AControllerPluggedInWhileTheGameRunsTypesIntoTheMainWindow) {
  if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  LineLog log([] { return 0U; });
  GtkMainWindow w(log);
  Recorder rec;
  w.set_sink(&rec);
  w.set_menu({{"history", "履歴", "ゲーム"}, {"auto", "オート", "ゲーム", true}});
  w.show();
  SdlPad pad(w, log);
  // Waits on the toolkit (the pad's poll wakes it) until cond holds, or gives up.
  auto until = [&](const std::function<bool()>& cond) {
    for (int i = 0; i < 400 && !cond(); ++i) {
      g_main_context_iteration(nullptr, TRUE);
      w.do_events();
    }
    return cond();
  };
  for (int i = 0; i < 3; ++i) g_main_context_iteration(nullptr, TRUE);  // nothing plugged in
  SDL_VirtualJoystickDesc desc{SDL_VIRTUAL_JOYSTICK_DESC_VERSION, SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                               SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX};
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(until([&] { return pad.open_count() == 1; })) << "picked up while running";
  SDL_Joystick* joy = SDL_JoystickOpen(index);
  // Holds a button until the window got what it makes, then lets it go.
  auto press = [&](SDL_GameControllerButton b, InputEvent::Kind kind, int key, const char* name) {
    SDL_JoystickSetVirtualButton(joy, b, 1);
    EXPECT_TRUE(until([&] { return rec.has(kind, key, name); })) << key << name;
    SDL_JoystickSetVirtualButton(joy, b, 0);
  };
  press(SDL_CONTROLLER_BUTTON_A, InputEvent::KeyDown, kKeyReturn, "");
  press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, InputEvent::KeyDown, kKeyDown, "");
  press(SDL_CONTROLLER_BUTTON_X, InputEvent::Menu, 0, "history");
  SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_LEFTY, -30000);
  EXPECT_TRUE(until([&] { return rec.has(InputEvent::KeyDown, kKeyUp); })) << "the stick";
  SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_LEFTY, 0);
  // A modal question over the window: the d-pad moves the focus from いいえ
  // (the default) to はい on its right and A answers, through GTK's own keys.
  static const SDL_GameControllerButton answer[] = {SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                                                    SDL_CONTROLLER_BUTTON_A};
  static int step = 0;
  const guint source = g_timeout_add(
      100,
      [](gpointer j) -> gboolean {
        const int k = step++;
        if (k < 4)
          SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(j), answer[k / 2], k % 2 == 0);
        return G_SOURCE_CONTINUE;
      },
      joy);
  EXPECT_EQ(GtkDialogs(w).message_box("つづけますか?", Buttons::YesNo), Answer::Yes);
  g_source_remove(source);
  // Unplugged with RB held: fast-forward ends with it.
  SDL_JoystickSetVirtualButton(joy, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1);
  EXPECT_TRUE(until([&] { return rec.has(InputEvent::KeyDown, kKeyControl); }));
  SDL_JoystickClose(joy);
  SDL_JoystickDetachVirtual(index);
  EXPECT_TRUE(until([&] { return pad.open_count() == 0; }));
  EXPECT_TRUE(until([&] { return rec.has(InputEvent::KeyUp, kKeyControl); }));
}

}  // namespace
}  // namespace vm
