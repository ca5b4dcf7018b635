// velmora --dev EDIT_DIR: an author plays an editable folder (what
// velmora-data unpack writes) as it stands, in the real window. The folder is
// packed into a shadow folder of the player's cache, which the game plays and
// which takes the saves, the read log and the gallery progress; the author's
// folder is only ever read. A file saved there is taken at once: the script,
// the choices and the system file are checked and reloaded and the scene the
// game was in starts again; a picture or tune is packed again and shown or
// played from then on.
#pragma once

#include <optional>
#include <string>

#include "platform/files.h"

namespace vm {
struct DevView;
struct Platform;
}  // namespace vm

namespace vm::dev {

class DevSession;

// The counters an author sets: kou, pap, rub, hap.
struct Counters {
  int kou = 0, pap = 0, rub = 0, hap = 0;
};

// The folder's name and where its shadow lies:
// CACHE/velmora/dev/<name>-<8 hex digits of its absolute path>/.
struct DevFolders {
  std::string edit;    // ends in '/'
  std::string shadow;  // ends in '/'
  std::string name;    // the edit folder's own name
};
DevFolders dev_folders(const std::string& edit_dir, const std::string& cache_dir);

// Makes the shadow a packed copy of the edit folder: the saves (00.dat..,
// the quick slot), read.dat and the gallery progress of 50.dat stay from
// earlier runs, every other file is packed anew. Throws a DataError
// (a FileError for a file) naming what could not be read or written.
void prepare_shadow(Files& files, const DevFolders& f);

class DevRun {
 public:
  DevRun(Platform& pf, FileMonitor& monitor, const std::string& edit_dir,
         const std::string& cache_dir);

  // Packs, checks and plays the folder; the exit status. A folder that
  // cannot be packed or has errors is reported and not played (status 1).
  int run();

  // The headless runner's verbs. jump: the story starts at the first row of
  // NUM with the counters as they stand; set: one counter (kou, pap, rub,
  // hap) takes a value. Given on the title or before it stands, either
  // starts the story (set: from its first NUM, with that counter) as soon
  // as it can. The reason when it cannot.
  Result<void> jump(int num);
  Result<void> set_counter(const std::string& assignment);

  const DevFolders& folders() const { return folders_; }
  // The game as it stands while it runs (nullptr before and after): for the
  // runner's checks of what the player has in front of them.
  const DevView* view() const;

 private:
  Platform& pf_;
  FileMonitor& monitor_;
  DevFolders folders_;
  DevSession* session_ = nullptr;  // while the game runs
  // Asked for before the game stood.
  int early_jump_ = -1;
  std::optional<Counters> early_counters_;
};

}  // namespace vm::dev
