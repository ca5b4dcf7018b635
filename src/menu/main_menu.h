// The main window's menu bar: its items, and which of them the player can use
// in each part of the game. The flows say where the game is (the title, the
// story, a choice, a load, the ending); the menu alone knows what that means
// for each item, so no item is switched by name anywhere else.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace vm {

enum class MenuItem : uint8_t {
  ProgSave,
  ProgLoad,
  QuickSave,
  QuickLoad,
  Rollback,
  Speedup,
  Auto,
  History,
  OptMenu,
  ProgEnd,
  Scale1,
  Scale2,
  Scale3,
  FullScreen,
  SelfVoicing,  // 読み上げ: the game read aloud
  Preferences,
  Vvrr,
  // The 開発 menu, only in a dev run.
  DevJump,
  DevCounters,
  DevReload,
};
inline constexpr size_t kMenuItems = static_cast<size_t>(MenuItem::DevReload) + 1;

// Where the game is, as far as the menu is concerned.
enum class MenuPhase : uint8_t {
  Loading,    // the loading picture and the title's opening
  Title,      // the title menu and the gallery
  Story,      // a message or a scene plays
  Choosing,   // the choice menu waits for a pick
  Restoring,  // a saved game is being put back
  Ending,     // the staff roll and the end button
};

// The window entries in the order the menu bar shows them; the 開発 menu's
// only in a dev run.
std::vector<MenuEntry> main_menu_items(bool dev_run = false);
// The item a menu event names, if it is one of ours.
std::optional<MenuItem> menu_item_named(const std::string& name);
// Scale item of magnification k (1 to 3).
MenuItem scale_item(int k);

class MainMenu {
 public:
  explicit MainMenu(Window& window) : window_(window) { enabled_.fill(true); }

  // Builds the menu bar; every item starts usable, then the phase rules.
  // A dev run's bar has the 開発 menu too.
  void build(bool dev_run = false);
  void enter(MenuPhase phase);
  MenuPhase phase() const { return phase_; }
  // The quick load is offered only while there is a quick slot to load.
  void set_quick_slot(bool present);
  // Stepping back is offered while there is an earlier message to go to.
  void set_can_roll_back(bool can);
  // A hidden message window offers no options until it is shown again.
  void set_window_hidden(bool hidden);
  // The largest magnification the screen can hold; larger ones are greyed,
  // with a note that says what they need.
  void set_largest_scale(int fits);

  void set_checked(MenuItem item, bool checked);
  // The skip item's caption follows whether skipping runs.
  void set_skipping(bool running);

  bool enabled(MenuItem item) const;
  // Why the item is greyed, where the player can do something about it
  // (a larger screen); "" otherwise.
  std::string note(MenuItem item) const;

 private:
  void apply();

  Window& window_;
  MenuPhase phase_ = MenuPhase::Loading;
  bool dev_run_ = false;
  bool window_hidden_ = false;
  bool quick_slot_ = false;
  bool can_roll_back_ = false;
  int largest_scale_ = 3;
  std::array<bool, kMenuItems> enabled_{};       // what the window shows now
  std::array<std::string, kMenuItems> notes_{};  // likewise
};

}  // namespace vm
