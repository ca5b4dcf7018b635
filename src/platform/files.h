// The game's files, the watch on a folder, and where the desktop looks for
// the game's data.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/result.h"

namespace vm {

// One name in a folder.
struct FolderEntry {
  std::string name;
  bool folder = false;
  bool operator==(const FolderEntry&) const = default;
};

// The game's files: the data folder, its saves, the player's copy of it.
// Paths are plain strings joined with '/'.
class Files {
 public:
  virtual ~Files() = default;
  // Every step that can fail hands back the FileError as a Result: the
  // caller decides whether the failure ends anything (value_or_throw).

  // The whole file. FileError: Opening, Reading.
  virtual Result<std::string> read_whole(const std::string& path) = 0;
  // Replaces a file whole or not at all: a temporary file beside it (path +
  // ".tmp"), flushed to the disk, renamed over it, with the old file's
  // permissions. A folder that refuses the temporary file leaves the old
  // file as it is. FileError: NoCopy, Writing.
  virtual Result<void> replace_whole(const std::string& path, const std::string& data) = 0;
  // Writes bytes into an existing file at offset, leaving the rest of it as
  // it is; a missing file is never created. FileError: Updating, Writing.
  virtual Result<void> write_at(const std::string& path, size_t offset,
                                const std::string& bytes) = 0;
  // Removes a file (never a folder). FileError Removing when there was none
  // or it stays.
  virtual Result<void> remove(const std::string& path) = 0;
  // The names in a folder, sorted; empty when it is no folder.
  virtual std::vector<FolderEntry> list(const std::string& dir) = 0;
  virtual bool is_folder(const std::string& path) = 0;
  // Length of a file, -1 when there is none (a folder is none).
  virtual long long length(const std::string& path) = 0;
  bool exists(const std::string& path) { return length(path) >= 0; }
  // Whether this copy of the game may change it: a file's content, a
  // folder's names (a file made, replaced or removed in it).
  virtual bool writable(const std::string& path) = 0;
  // Makes a folder and those above it. FileError Making when it is not
  // there after.
  virtual Result<void> make_folder(const std::string& dir) = 0;
  // Copies the folder from into the new folder to, whole or not at all;
  // copied files are the player's to write. FileError Copying, with what
  // went wrong and the system's reason; to is then left as it was.
  virtual Result<void> copy_folder_whole(const std::string& from, const std::string& to) = 0;
};

// Tells when the files of a folder change: an author's editor saving a file
// the game plays. The system notices the change (nothing reads the folder
// over and over); it arrives as a FileChanged event naming the file (its name
// in the folder) from do_events, like any other input, and reaches the main
// window whatever window is open.
class FileMonitor {
 public:
  virtual ~FileMonitor() = default;
  // Watches the folder from now on (one folder; a second call replaces the
  // first). The system's reason when it cannot be watched.
  virtual Result<void> watch(const std::string& dir) = 0;
};

// Where the desktop looks for the game's data when no folder is named: the
// running program's own folder, the data installed with it, and the
// player's own copy of that. Each ends in '/'.
struct DataPlaces {
  std::string program_dir;
  std::string installed_dir;
  std::string own_dir;
  // A shipped game plays the player's copy even where the installed data
  // could be written (the superuser; a folder the player unpacked), so its
  // saves never land among the installed files.
  bool always_copy = false;
};

}  // namespace vm
