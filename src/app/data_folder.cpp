#include "app/data_folder.h"

namespace vm {

namespace {

bool holds_game(Files& files, const std::string& dir) {
  return files.exists(dir + "11.dat");
}

// The game rewrites its pictures' first bytes and the system file: the whole
// folder must be writable.
bool writable_folder(Files& files, const std::string& dir) {
  if (!files.writable(dir)) return false;
  for (const FolderEntry& e : files.list(dir))
    if (!e.folder && !files.writable(dir + e.name)) return false;
  return true;
}

}  // namespace

std::string find_data_dir(Files& files, const std::string& program_dir) {
  std::string base = program_dir;
  if (base.empty() || base.back() != '/') base += '/';
  if (files.is_folder(base + "data")) return base + "data/";
  return base;
}

std::string find_game_data(Files& files, const DataPlaces& places, EventLog& log) {
  const std::string& program = places.program_dir;
  std::string usual = find_data_dir(files, program);
  if (usual != program || holds_game(files, usual)) return usual;
  const std::string& installed = places.installed_dir;
  if (!holds_game(files, installed)) return usual;
  if (!places.always_copy && writable_folder(files, installed)) return installed;
  const std::string& own = places.own_dir;
  if (!holds_game(files, own)) {
    const std::string error = files.copy_folder_whole(installed, own);
    if (!error.empty()) {
      log.record(LogEvent::warning(error));
      return installed;
    }
  }
  return own;
}

}  // namespace vm
