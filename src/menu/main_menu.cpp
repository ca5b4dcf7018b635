#include "menu/main_menu.h"

namespace vm {

namespace {

struct ItemDef {
  MenuItem item;
  MenuEntry entry;
};

const std::vector<ItemDef>& item_defs() {
  static const std::vector<ItemDef> defs = {
      {MenuItem::ProgSave, {"prog_save", "セーブ", "ゲーム"}},
      {MenuItem::ProgLoad, {"prog_load", "ロード", "ゲーム"}},
      {MenuItem::QuickSave, {"quick_save", "クイックセーブ", "ゲーム"}},
      {MenuItem::QuickLoad, {"quick_load", "クイックロード", "ゲーム"}},
      {MenuItem::Rollback, {"rollback", "戻る", "ゲーム"}},
      {MenuItem::Speedup, {"speedup", "次の選択まで進む", "ゲーム"}},
      {MenuItem::Auto, {"auto", "オート", "ゲーム", true}},
      {MenuItem::History, {"history", "履歴", "ゲーム"}},
      {MenuItem::OptMenu, {"opt_menu", "設定", "ゲーム"}},
      {MenuItem::ProgEnd, {"prog_end", "終了", "ゲーム"}},
      {MenuItem::Scale1, {"scale_1", "等倍", "表示", true, true}},
      {MenuItem::Scale2, {"scale_2", "2倍", "表示", true, true}},
      {MenuItem::Scale3, {"scale_3", "3倍", "表示", true, true}},
      {MenuItem::FullScreen, {"full_screen", "フルスクリーン", "表示", true}},
      {MenuItem::SelfVoicing, {"self_voicing", "読み上げ", "表示", true}},
      {MenuItem::Preferences, {"preferences", "環境設定...", "表示"}},
      {MenuItem::Vvrr, {"vvrr", "バージョン", "ヘルプ"}},
      {MenuItem::DevJump, {"dev_jump", "ジャンプ...", "開発"}},
      {MenuItem::DevCounters, {"dev_counters", "カウンタ...", "開発"}},
      {MenuItem::DevReload, {"dev_reload", "再読み込み", "開発"}},
  };
  return defs;
}

const std::string& name_of(MenuItem item) {
  for (const ItemDef& d : item_defs())
    if (d.item == item) return d.entry.name;
  static const std::string none;
  return none;
}

bool dev_item(MenuItem item) {
  return item == MenuItem::DevJump || item == MenuItem::DevCounters || item == MenuItem::DevReload;
}

// The game screen, which a scale item magnifies.
constexpr int kGameWidth = 640, kGameHeight = 480;

constexpr const char* kSpeedupIdle = "次の選択まで進む";
constexpr const char* kSpeedupRunning = "スキップ停止";

}  // namespace

std::vector<MenuEntry> main_menu_items(bool dev_run) {
  std::vector<MenuEntry> out;
  for (const ItemDef& d : item_defs()) {
    if (dev_item(d.item) && !dev_run) continue;
    out.push_back(d.entry);
    // The view menu separates the window sizes from full screen.
    if (d.item == MenuItem::Scale3 || d.item == MenuItem::FullScreen)
      out.push_back({"", "-", "表示"});
  }
  return out;
}

std::optional<MenuItem> menu_item_named(const std::string& name) {
  for (const ItemDef& d : item_defs())
    if (d.entry.name == name) return d.item;
  return std::nullopt;
}

MenuItem scale_item(int k) {
  return k <= 1 ? MenuItem::Scale1 : k == 2 ? MenuItem::Scale2 : MenuItem::Scale3;
}

bool MainMenu::enabled(MenuItem item) const {
  const MenuPhase p = phase_;
  const bool in_story = p == MenuPhase::Story;
  const bool playing = in_story || p == MenuPhase::Choosing || p == MenuPhase::Restoring;
  switch (item) {
    case MenuItem::ProgSave:
    case MenuItem::ProgLoad:
    case MenuItem::Speedup:
    case MenuItem::QuickSave:
      return in_story;
    case MenuItem::QuickLoad:
      return in_story && quick_slot_;
    case MenuItem::Rollback:
      // At a choice the player may step back to re-read what led to it.
      return (in_story || p == MenuPhase::Choosing) && can_roll_back_;
    case MenuItem::History:
      // At the title and in the gallery there is nothing to look back on.
      return playing;
    case MenuItem::OptMenu:
      return (p == MenuPhase::Title || playing) && !window_hidden_;
    case MenuItem::Vvrr:
      return p == MenuPhase::Title || playing;
    case MenuItem::Auto:
      return p != MenuPhase::Ending;
    case MenuItem::Scale1:
      return true;
    case MenuItem::Scale2:
      return largest_scale_ >= 2;
    case MenuItem::Scale3:
      return largest_scale_ >= 3;
    case MenuItem::ProgEnd:
    case MenuItem::FullScreen:
    case MenuItem::SelfVoicing:
    case MenuItem::Preferences:
      return true;
    // A jump starts the story from the title or from within it; the
    // counters are those of a story that plays.
    case MenuItem::DevJump:
      return p == MenuPhase::Title || in_story || p == MenuPhase::Choosing;
    case MenuItem::DevCounters:
      return in_story || p == MenuPhase::Choosing;
    case MenuItem::DevReload:
      return p != MenuPhase::Loading && p != MenuPhase::Restoring;
  }
  return true;
}

std::string MainMenu::note(MenuItem item) const {
  if (item != MenuItem::Scale2 && item != MenuItem::Scale3) return "";
  const int k = item == MenuItem::Scale2 ? 2 : 3;
  if (k <= largest_scale_) return "";
  return std::to_string(k) + "倍には " + std::to_string(kGameWidth * k) + " x " +
         std::to_string(kGameHeight * k) + " とメニューバーの入る画面が要ります";
}

void MainMenu::build(bool dev_run) {
  dev_run_ = dev_run;
  window_.set_menu(main_menu_items(dev_run));
  enabled_.fill(true);
  notes_.fill("");
  apply();
}

void MainMenu::enter(MenuPhase phase) {
  phase_ = phase;
  apply();
}

void MainMenu::set_quick_slot(bool present) {
  quick_slot_ = present;
  apply();
}

void MainMenu::set_can_roll_back(bool can) {
  if (can == can_roll_back_) return;
  can_roll_back_ = can;
  apply();
}

void MainMenu::set_window_hidden(bool hidden) {
  window_hidden_ = hidden;
  apply();
}

void MainMenu::set_largest_scale(int fits) {
  largest_scale_ = fits;
  apply();
}

void MainMenu::set_checked(MenuItem item, bool checked) {
  window_.set_menu_checked(name_of(item), checked);
}

void MainMenu::set_skipping(bool running) {
  window_.set_menu_caption(name_of(MenuItem::Speedup), running ? kSpeedupRunning : kSpeedupIdle);
}

// Only the items whose state changes are switched.
void MainMenu::apply() {
  for (const ItemDef& d : item_defs()) {
    if (dev_item(d.item) && !dev_run_) continue;
    const size_t i = static_cast<size_t>(d.item);
    const bool on = enabled(d.item);
    if (on != enabled_[i]) {
      enabled_[i] = on;
      window_.set_menu_enabled(d.entry.name, on);
    }
    std::string why = note(d.item);
    if (why != notes_[i]) {
      notes_[i] = std::move(why);
      window_.set_menu_note(d.entry.name, notes_[i]);
    }
  }
}

}  // namespace vm
