#include "app/game.h"

#include "app/flows.h"
#include "app/quick_slot.h"

namespace vm {

namespace {

constexpr const char* kUnreadNotice = "未読のため止まりました";

class GameStoryHooks : public StoryHooks {
 public:
  explicit GameStoryHooks(Game& g) : g_(g) {}
  void choose() override {
    if (g_.rollback.replaying) {
      show_choices(g_.choice_menu());  // answered from the journal
      return;
    }
    g_.menu.enter(MenuPhase::Choosing);
    save_read_log(g_.read_log, g_.pf, g_.assets.Data_Dir);
    const int lit = rollback_menu_opening(g_);
    const ChoiceOutcome how = show_choices(g_.choice_menu(), lit);
    g_.menu.enter(MenuPhase::Story);
    rollback_menu_closed(g_, how);
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
  void text_mode_changed(int16_t mode) override {
    if (!g_.rollback.replaying) g_.menu.set_skipping(mode == 0);
  }
  void window_hidden_changed(bool hidden) override {
    if (!g_.rollback.replaying) g_.menu.set_window_hidden(hidden);
  }
  void auto_changed(bool on) override {
    if (!g_.rollback.replaying) g_.menu.set_checked(MenuItem::Auto, on);
  }
  void story_started() override { rollback_story_started(g_); }
  ReplayVerdict row_starting() override { return rollback_row_starting(g_); }
  ReplayVerdict message_finished() override {
    const ReplayVerdict verdict = rollback_message_finished(g_);
    if (!g_.rollback.replaying)
      mark_read(g_.read_log, g_.pf, g_.assets.Data_Dir, g_.interp.Script_Pos);
    return verdict;
  }
  bool may_skip_message() override {
    if (g_.rollback.replaying || g_.pf.settings.settings().skip_unread ||
        was_read(g_.read_log, g_.interp.Script_Pos))
      return true;
    show_notice(g_, kUnreadNotice);
    return false;
  }

 private:
  Game& g_;
};

}  // namespace

Game::Game(Platform& platform)
    : quiet(platform),
      pf(quiet.platform()),
      menu(platform.window),
      hooks(std::make_unique<GameStoryHooks>(*this)) {
  quiet.on_name_typed = [this](const std::string& name) { rollback_name_typed(*this, name); };
  quiet.read_aloud().on_missing = [this] { show_notice(*this, kNoSpeechNotice); };
}
Game::~Game() = default;

}  // namespace vm
