// The dev run inside the running game: what it adds to the main window (the
// caption, the 開発 menu, Ctrl+R, the error band) and what it does when a file
// of the author's folder is saved.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/dev_hooks.h"
#include "authoring/check.h"
#include "dev/dev_run.h"
#include "graphics/surface.h"
#include "save/save.h"

namespace vm::dev {

// The counters as the author types them: "kou=2 pap=1". Names not given
// keep their value in c. The reason for anything else.
Result<Counters> parse_counters(const std::string& text, Counters c);
std::string counters_text(const Counters& c);

// check's findings as the author reads them: the packed files' names
// (51.dat, 76.dat) replaced by the ones edited (script.csv, 76.jpg).
std::string edited_name(const std::string& finding, Files& files, const std::string& edit_dir);

// What stops a dev run from taking the folder: the rows and files the game
// cannot load or that break it. Breaks found only by following the paths (a
// path that runs into the end marker of a story still being written) are
// warnings here: the author plays up to them; so are the lines of game.ini
// the game reads past, keeping its own words there.
bool blocks_dev_run(const datatool::Finding& f);

class DevSession : public DevHooks {
 public:
  // warnings: what check found when the folder was first packed, shown in
  // the band once the title stands.
  DevSession(const DevView& view, const DevFolders& folders,
             std::vector<std::string> warnings = {});
  ~DevSession() override;
  DevSession(const DevSession&) = delete;
  DevSession& operator=(const DevSession&) = delete;

  std::string caption(const std::string& game_caption) override;
  void layout() override;
  void on_menu(MenuItem item) override;
  bool on_key(int key) override;
  void on_file_changed(const std::string& name) override;
  bool on_timer(int id) override;

  // The story from the first row of NUM with these counters (from the title
  // too); the reason when the script has no such NUM or the game
  // is where no story can start.
  // defer: start at the next tick rather than from inside the caller.
  Result<void> jump(int num, const Counters& c, bool defer = false);
  Counters counters() const;
  void set_counters(const Counters& c);
  // After counters were set with no story running: the story starts from
  // its first NUM with them (a jump given meanwhile goes first).
  void start_with_counters();
  // A jump (-1: none) and counters given before the game stood, taken once
  // the script is loaded.
  void ask_early(int num, const std::optional<Counters>& c) {
    early_jump_ = num;
    early_counters_ = c;
  }
  // The game as the dev run sees it: for the runner's checks of what the
  // player has in front of them.
  const DevView& view() const { return v_; }
  // The background a fresh play has on reaching NUM's first row (-1: none).
  int16_t entry_place(int16_t num) const;

 private:
  // Everything saved since the last look, taken together.
  void take_changes();
  // The text files again: false when they have errors (the old ones stay,
  // the band shows them).
  bool reload_texts(const std::set<std::string>& names);
  void apply_texts(const std::set<std::string>& packed);
  void repack(const std::string& name);
  // game.ini again, as the game reads it at start-up: the labels, the name
  // dialog, the closing lines and the credits from now on; what it cannot
  // read is shown and keeps the engine's words.
  void reload_words();
  // The scene the story is in, from its NUM's first row, as a load does.
  void restart_scene();
  void start_at(const SavedRecord& r, int16_t hap, bool defer = false);
  bool can_start_now() const;
  bool story_running() const;
  void show_band(const std::vector<std::string>& lines, bool errors);
  void hide_band();
  void open_jump_dialog();
  void open_counters_dialog();

  DevView v_;
  Story& story_;  // v_'s
  DevFolders f_;
  Surface band_{"Dev_Band"};
  bool band_errors_ = false;
  int settle_timer_ = -1;   // lets an editor finish its save
  int warning_timer_ = -1;  // how long warnings show
  int retry_timer_ = -1;    // a restart waiting for the story to wait
  std::set<std::string> changed_;
  // The warnings last shown: a reload that finds the same ones again does
  // not show them again.
  std::vector<std::string> warnings_;
  bool warnings_pending_ = false;
  bool menu_named_ = false;
  int early_jump_ = -1;
  std::optional<Counters> early_counters_;
  void take_early();
  bool restart_waiting_ = false;
  SavedRecord waiting_record_;
  int16_t waiting_hap_ = 0;
};

}  // namespace vm::dev
