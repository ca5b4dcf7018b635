#include "app/game.h"

#include <optional>

#include "app/flows.h"
#include "app/quick_slot.h"

namespace vm {

namespace {

constexpr const char* kUnreadNotice = "未読のため止まりました";

// What the story's hooks reach above the script: the rollback (with the
// story, its choice menu and the menu bar), the read log, the ending, the
// windows that can hold the story, and the notice.
struct AboveTheStory {
  RollbackView replay;
  ReadLog& read_log;
  EndingState& ending;
  const OptionState& options;
  const SaveState& save;
  const PreferencesState& prefs;
  NoticeBoard notice;
  Files& files;
};

class GameStoryHooks : public StoryHooks {
 public:
  // The views hold the story, which holds these hooks: they are handed over
  // once both exist.
  void attach(const AboveTheStory& up) { up_.emplace(up); }

  void choose() override {
    RollbackView& v = up_->replay;
    if (v.rollback.replaying) {
      show_choices(v.choices);  // answered from the journal
      return;
    }
    v.menu.enter(MenuPhase::Choosing);
    save_read_log(up_->read_log, up_->files, v.story.log, v.story.assets.Data_Dir);
    const int lit = rollback_menu_opening(v);
    const ChoiceOutcome how = show_choices(v.choices, lit);
    v.menu.enter(MenuPhase::Story);
    rollback_menu_closed(v, how);
  }
  [[noreturn]] void ending() override {
    Story& st = up_->replay.story;
    Window& w = st.window;
    if (st.sound.BGMLoop >= 0) w.set_timer_enabled(st.sound.BGMLoop, false);
    if (st.input.Clicker >= 0) w.set_timer_enabled(st.input.Clicker, false);
    run_ending(st, up_->ending, up_->replay.menu);
    // The ending's last screen stays until the player closes the game.
    for (;;) {
      st.window.do_events();
      st.clock.sleep(100);
    }
  }
  bool story_held() override {
    return up_->options.Option_Window || up_->save.File_Window || up_->prefs.window;
  }
  void text_mode_changed(int16_t mode) override {
    if (!replaying()) up_->replay.menu.set_skipping(mode == 0);
  }
  void window_hidden_changed(bool hidden) override {
    if (!replaying()) up_->replay.menu.set_window_hidden(hidden);
  }
  void auto_changed(bool on) override {
    if (!replaying()) up_->replay.menu.set_checked(MenuItem::Auto, on);
  }
  void story_started() override { rollback_story_started(up_->replay); }
  ReplayVerdict row_starting() override { return rollback_row_starting(up_->replay); }
  ReplayVerdict message_finished() override {
    const ReplayVerdict verdict = rollback_message_finished(up_->replay);
    const Story& st = up_->replay.story;
    if (!replaying())
      mark_read(up_->read_log, up_->files, st.log, st.assets.Data_Dir, st.interp.Script_Pos);
    return verdict;
  }
  bool may_skip_message() override {
    const Story& st = up_->replay.story;
    if (replaying() || st.settings.settings().skip_unread ||
        was_read(up_->read_log, st.interp.Script_Pos))
      return true;
    show_notice(up_->notice, kUnreadNotice);
    return false;
  }

 private:
  bool replaying() const { return up_->replay.rollback.replaying; }
  std::optional<AboveTheStory> up_;
};

}  // namespace

Game::Game(Platform& platform) : quiet(platform), pf(quiet.platform()), menu(platform.window) {
  auto story_hooks = std::make_unique<GameStoryHooks>();
  GameStoryHooks& h = *story_hooks;
  hooks = std::move(story_hooks);
  h.attach({rollback_view(), read_log, ending, options, save, prefs, notice_board(), pf.files});
  quiet.on_name_typed = [this](const std::string& name) { rollback_name_typed(rollback, name); };
  quiet.read_aloud().on_missing = [this] { show_notice(notice_board(), kNoSpeechNotice); };
}
Game::~Game() = default;

}  // namespace vm
