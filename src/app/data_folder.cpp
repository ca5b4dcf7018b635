#include "app/data_folder.h"

#include <algorithm>

#include "app/read_log.h"
#include "assets/assets.h"
#include "assets/data_folder.h"
#include "platform/errors.h"
#include "script/tables.h"

namespace vm {

namespace {

// Written last into the new game beside the copy, once it is whole with the
// player's files in it: from then on it is put in place, however often the
// game is killed on the way. It holds the line told to the player.
constexpr const char* kReadyMark = "update.ready";

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

// What belongs to the player in the copy: the slots, the system file (the
// gallery pictures seen are kept there) and the messages read.
bool players_file(const std::string& name) {
  for (int slot = 0; slot <= kQuickSlot; ++slot)
    if (name == DataFolder::slot_name(slot)) return true;
  return name == "50.dat" || name == kReadLogFile;
}

std::string read_or_empty(const DataFolder& d, const std::string& name) {
  if (!d.has(name)) return "";
  Result<std::string> bytes = d.read(name);
  return bytes ? std::move(bytes).value_or_throw() : "";
}

// The "version V" line of a stamp, else what stands for it.
std::string version_of(const std::string& stamp, const std::string& otherwise) {
  const std::string key = "version ";
  for (size_t at = 0; at < stamp.size();) {
    const size_t end = std::min(stamp.find('\n', at), stamp.size());
    if (stamp.compare(at, key.size(), key) == 0 && end > at + key.size())
      return stamp.substr(at + key.size(), end - at - key.size());
    at = end + 1;
  }
  return otherwise;
}

bool game_changed(const DataFolder& installed, const DataFolder& own) {
  const std::string stamp = read_or_empty(installed, kGameStampFile);
  if (!stamp.empty()) return stamp != read_or_empty(own, kGameStampFile);
  // A game installed without a stamp: its script, and the lengths of the
  // files that are the game's alone (50.dat holds the gallery too).
  if (own.has(kGameStampFile)) return true;
  for (const std::string& n : installed.file_names())
    if (!players_file(n) && installed.length(n) != own.length(n)) return true;
  return read_or_empty(installed, "51.dat") != read_or_empty(own, "51.dat") ||
         read_or_empty(installed, "52.dat") != read_or_empty(own, "52.dat");
}

// Each script row's text as the player reads it (speaker and message), empty
// for a row that shows none.
std::vector<std::string> row_texts(const DataFolder& d) {
  ScriptTables t;
  LoadReport report;
  load_tables(t, d.read_script(), d.read_choices(), &report);
  std::vector<std::string> texts;
  texts.reserve(t.Script_Table.size());
  for (const ScriptRow& r : t.Script_Table)
    texts.push_back(r.text.empty() ? "" : std::string(r.speaker) + "\n" + std::string(r.text));
  return texts;
}

// The messages read in the old script, marked in the new one where their text
// is still there. A log that cannot be carried is dropped: the messages read
// are then counted afresh, never new text taken for read.
void carry_read_log(const DataFolder& own, const DataFolder& next) {
  (void)next.remove(kReadLogFile);  // the author's own reading never counts
  if (!own.has(kReadLogFile)) return;
  try {
    const std::vector<std::string> old_texts = row_texts(own);
    ReadLog old;
    if (!parse_read_log(own.read(kReadLogFile).value_or_throw(), old_texts.size(), old)) return;
    const std::vector<std::string> new_texts = row_texts(next);
    next.replace(kReadLogFile, read_log_text(carry_read_marks(old, old_texts, new_texts)))
        .value_or_throw();
  } catch (const DataError&) {
    // An old script that no longer reads, or a log that cannot be read or
    // written: nothing to carry.
  }
}

// The new game's 50.dat (its names, tunes and flags) with the pictures the
// player has seen marked.
void carry_gallery(const DataFolder& own, const DataFolder& next) {
  AssetState old, now;
  try {
    old.Sys_Lines = own.read_system();
  } catch (const DataError&) {
    return;  // a damaged system file has no progress to carry
  }
  read_line6(old);
  now.Sys_Lines = next.read_system();
  read_line6(now);
  for (size_t i = 0; i < now.CG_Seen.size(); ++i)
    if (old.CG_Seen[i]) now.CG_Seen[i] = -1;
  rebuild_line6(now);
  next.write_system(now.Sys_Lines).value_or_throw();
}

void carry_player_files(const DataFolder& own, const DataFolder& next) {
  for (int slot = 0; slot <= kQuickSlot; ++slot) {
    if (own.has_slot(slot))
      next.write_slot(slot, own.read_slot(slot).value_or_throw()).value_or_throw();
    else
      (void)next.remove_slot(slot);  // there is none: the copy has none either
  }
  carry_gallery(own, next);
  carry_read_log(own, next);
}

void empty_folder(const DataFolder& d) {
  // A file that stays is replaced whole when the copy is made again.
  (void)d.remove(kReadyMark);  // first: a folder without it is never put in place
  for (const std::string& n : d.file_names()) (void)d.remove(n);
}

// The new game in next put in place of the old one in own, each file
// replaced whole; what the new game has not is removed. Throws FileError.
void put_in_place(const DataFolder& next, const DataFolder& own) {
  std::vector<std::string> names = next.file_names();
  names.erase(std::remove(names.begin(), names.end(), kReadyMark), names.end());
  for (const std::string& n : names) own.replace(n, next.read(n).value_or_throw()).value_or_throw();
  for (const std::string& n : own.file_names())
    if (std::find(names.begin(), names.end(), n) == names.end()) (void)own.remove(n);
  empty_folder(next);
}

// The new game made whole in next with the player's files: the line to tell,
// or "" when the copy needs nothing. Throws DataError.
std::string prepare_update(Files& files, const DataFolder& installed, const DataFolder& own,
                           const DataFolder& next) {
  empty_folder(next);  // what a killed update left before it was whole
  if (!game_changed(installed, own)) return "";
  files.copy_folder_whole(installed.dir(), next.dir()).value_or_throw();
  carry_player_files(own, next);
  std::string line = "the game was updated: " +
                     version_of(read_or_empty(own, kGameStampFile), "the earlier version") +
                     " replaced by " +
                     version_of(read_or_empty(next, kGameStampFile), "the installed one") + " in " +
                     own.dir() + "; saves kept";
  next.replace(kReadyMark, line).value_or_throw();
  return line;
}

}  // namespace

std::string find_data_dir(Files& files, const std::string& program_dir) {
  std::string base = program_dir;
  if (base.empty() || base.back() != '/') base += '/';
  if (files.is_folder(base + "data")) return base + "data/";
  return base;
}

std::string update_own_copy(Files& files, const std::string& installed, const std::string& own,
                            EventLog& log) {
  std::string beside = own;
  while (beside.size() > 1 && beside.back() == '/') beside.pop_back();
  const DataFolder from(files, installed), copy(files, own), next(files, beside + ".update");
  std::string line;
  try {
    line = read_or_empty(next, kReadyMark);
    if (line.empty()) line = prepare_update(files, from, copy, next);
  } catch (const DataError& e) {
    empty_folder(next);
    log.record(LogEvent::warning(e.describe() + ": the earlier version of the game is played"));
    return own;
  }
  if (line.empty()) return own;
  try {
    put_in_place(next, copy);
  } catch (const DataError& e) {
    // The new game is whole beside the copy; the next start puts it in place.
    log.record(LogEvent::warning(e.describe() + ": the new version is played from " + next.dir()));
    return next.dir();
  }
  // The desktop tells the player its warnings alone: this is one they
  // should hear, since the game they play has changed under them.
  log.record(LogEvent::warning(line));
  return own;
}

std::string find_game_data(Files& files, const DataPlaces& places, EventLog& log) {
  const std::string& program = places.program_dir;
  std::string usual = find_data_dir(files, program);
  if (usual != program || holds_game(files, usual)) return usual;
  const std::string& installed = places.installed_dir;
  if (!holds_game(files, installed)) return usual;
  if (!places.always_copy && writable_folder(files, installed)) return installed;
  const std::string& own = places.own_dir;
  if (holds_game(files, own)) return update_own_copy(files, installed, own, log);
  if (const Result<void> copied = files.copy_folder_whole(installed, own); !copied) {
    log.record(LogEvent::warning(copied.error().what()));
    return installed;
  }
  return own;
}

}  // namespace vm
