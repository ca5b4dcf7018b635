// The data folder as the game, its saves and the data tool read it: its
// numbered files by name, the inverted script files, the system file, the
// pictures' first bytes and the five slot files, all through the platform's
// Files, so a folder on the disk and one held in memory read the same.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/result.h"

namespace vm {

inline constexpr int kQuickSlot = 5;
// Which game and version a folder holds, written beside the game's files by
// the bundle and the install: "version V" and "data HASH" lines. A player's
// copy that holds another stamp than the installed game is of an earlier
// version.
inline constexpr const char* kGameStampFile = "version.txt";

class DataFolder {
 public:
  // dir ends in '/' here whether or not it was given one.
  DataFolder(Files& files, const std::string& dir);

  Files& files() const { return files_; }
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + name; }
  bool is_folder() const { return files_.is_folder(dir_); }

  // A file of the folder (not a folder in it); its length, -1 when none.
  bool has(const std::string& name) const { return length(name) >= 0; }
  long long length(const std::string& name) const { return files_.length(path(name)); }
  // A FileError naming the path when they fail.
  Result<std::string> read(const std::string& name) const { return files_.read_whole(path(name)); }
  Result<void> replace(const std::string& name, const std::string& bytes) const {
    return files_.replace_whole(path(name), bytes);
  }
  Result<void> remove(const std::string& name) const { return files_.remove(path(name)); }
  // The names of its files, sorted; folders in it are left out.
  std::vector<std::string> file_names() const;

  // 51.dat and 52.dat decoded in memory: no decoded copy is ever left beside
  // them. These three throw the FileError, for the tables a story cannot go
  // without.
  std::string read_script() const;
  std::string read_choices() const;
  // 50.dat's 25 lines (entry 0 empty); DataError when it has fewer.
  std::array<std::string, 26> read_system() const;
  // 50.dat written whole: the 25 lines, each with its CR LF.
  Result<void> write_system(const std::array<std::string, 26>& lines) const;

  // The real first bytes of picture NN.dat by its kind ("BM" for B or b,
  // FF D8 for J or j), or its at-rest "JF"; the rest of the file stays.
  Result<void> restore_magic(int number, char kind) const;
  Result<void> blank_magic(int number) const;

  // Slot files 00.dat..04.dat, and the quick slot 05.dat beside them.
  static std::string slot_name(int slot);
  bool has_slot(int slot) const { return has(slot_name(slot)); }
  Result<std::string> read_slot(int slot) const { return read(slot_name(slot)); }
  Result<void> write_slot(int slot, const std::string& bytes) const {
    return replace(slot_name(slot), bytes);
  }
  Result<void> remove_slot(int slot) const { return remove(slot_name(slot)); }

  // A copy killed between writing a slot or the system file and putting it
  // in place leaves its temporary file; the file it was to replace is whole.
  // Those that are not there are no failure.
  void remove_stale_temporaries() const;

 private:
  Files& files_;
  std::string dir_;
};

}  // namespace vm
