#include "app/game.h"

namespace vm {

namespace {

class GameStoryHooks : public StoryHooks {
 public:
  explicit GameStoryHooks(Game& g) : g_(g) {}
  void choose() override {
    g_.menu.enter(MenuPhase::Choosing);
    show_choices(g_.choice_menu());
    g_.menu.enter(MenuPhase::Story);
  }
  [[noreturn]] void ending() override {
    Window& w = g_.pf.window;
    if (g_.sound.BGMLoop >= 0) w.set_timer_enabled(g_.sound.BGMLoop, false);
    if (g_.input.Clicker >= 0) w.set_timer_enabled(g_.input.Clicker, false);
    run_ending(g_);
    // The ending's last screen stays until the player closes the game.
    for (;;) {
      do_events(g_);
      sleep_ms(g_, 100);
    }
  }
  bool story_held() override {
    return g_.options.Option_Window || g_.save.File_Window || g_.prefs.window;
  }
  void text_mode_changed(int16_t mode) override { g_.menu.set_skipping(mode == 0); }
  void window_hidden_changed(bool hidden) override { g_.menu.set_window_hidden(hidden); }
  void auto_changed(bool on) override { g_.menu.set_checked(MenuItem::Auto, on); }

 private:
  Game& g_;
};

}  // namespace

Game::Game(Platform& platform)
    : pf(platform), menu(platform.window), hooks(std::make_unique<GameStoryHooks>(*this)) {}
Game::~Game() = default;

}  // namespace vm
