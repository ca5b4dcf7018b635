// The player's settings file: a GLib key file (settings.ini) in the user's
// configuration folder, never in the game's data folder.
#pragma once

#include <string>

#include "platform/event_log.h"
#include "platform/result.h"
#include "platform/settings.h"

namespace vm {

// $XDG_CONFIG_HOME/GAME/settings.ini (~/.config when the variable is unset);
// GAME is velmora, or the name of a game shipped on its own.
std::string default_settings_path(const std::string& game = "velmora");

// Reads the settings file. A missing file gives the defaults quietly; a
// damaged one (unreadable syntax or a value out of range) gives the defaults,
// a warning for the player in *warning, and is set aside as settings.ini.bad
// (.bad.1, .bad.2 ... when earlier ones are there) so that the next save
// writes a clean file without losing what was there. A leading byte-order
// mark is no damage; a link is read and written through to its target.
PlayerSettings read_settings_file(const std::string& path, std::string* warning);

// Reads a settings file given for one play (the runner's --settings) and
// changes nothing on the disk: the reason when it is missing or damaged.
Result<PlayerSettings> read_settings_for_play(const std::string& path);

// Writes the settings file, creating its folder; the reason on failure (the
// game goes on with the settings in memory).
Result<void> write_settings_file(const std::string& path, const PlayerSettings& s);

// The settings store of the desktop: the file, with overrides for this run.
class FileSettingsStore : public SettingsStore {
 public:
  FileSettingsStore(std::string path, EventLog& log);
  PlayerSettings settings() override { return current_; }
  void save_settings(const PlayerSettings& s) override;
  // Settings for this run only (the command line), not written back until
  // the player changes something.
  void override_for_run(const PlayerSettings& s) { current_ = s; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  EventLog& log_;
  PlayerSettings current_;
};

}  // namespace vm
