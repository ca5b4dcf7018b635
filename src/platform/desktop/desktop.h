// The desktop platform: a GTK 3 main window whose client area below the menu
// bar is exactly 640 x 480, GTK dialogs, GLib timers, SDL2_mixer for MIDI
// (through FluidSynth) and wave effects, a file lock for the single copy,
// xdg-open for links. Events are queued by the toolkit callbacks and handed to
// the game only from do_events/wait_events, so no game code (and no C++
// exception) ever runs inside a toolkit callback.
#pragma once

#include <memory>

#include "platform/services.h"

namespace vm {

class Desktop {
 public:
  Desktop(int* argc, char*** argv);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  Platform& platform();
  // Watches an author's folder in a dev run.
  FileMonitor& file_monitor();
  // The settings for this run in place of those read from the settings file
  // (the command line); saved only when the player changes one.
  void override_settings(const PlayerSettings& s);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Called first thing in main: a termination request that arrives while the
// toolkit is still starting is held until the main window can take it as a
// close request, instead of killing the program half-started.
void hold_termination_signals();

// The folder holding the running program, ending in '/'.
std::string program_dir();

// The name of the player's own folders for this game: "velmora", or the name
// a shipped game's launcher gives in VELMORA_GAME (velmora-data bundle). The
// settings, the single-copy lock and the player's copy of the data go under
// it, so a shipped game shares none of them with velmora or another game.
std::string game_folder_name();

// Where the game's data may lie when no folder is named on the command line.
// A shipped game's launcher names its data in VELMORA_GAME_DATA; the player's
// copy of it is then $XDG_DATA_HOME/NAME/ itself.
DataPlaces data_places();

}  // namespace vm
