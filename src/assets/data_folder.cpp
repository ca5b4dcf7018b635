#include "assets/data_folder.h"

#include "assets/assets.h"
#include "assets/picture_table.h"

namespace vm {

DataFolder::DataFolder(Files& files, const std::string& dir) : files_(files), dir_(dir) {
  if (!dir_.empty() && dir_.back() != '/') dir_ += '/';
}

std::vector<std::string> DataFolder::file_names() const {
  std::vector<std::string> names;
  for (const FolderEntry& e : files_.list(dir_.empty() ? "." : dir_))
    if (!e.folder) names.push_back(e.name);
  return names;
}

std::string DataFolder::read_script() const {
  return invert_bytes(read("51.dat").value_or_throw());
}

std::string DataFolder::read_choices() const {
  return invert_bytes(read("52.dat").value_or_throw());
}

std::array<std::string, 26> DataFolder::read_system() const {
  return read_system_lines(read("50.dat").value_or_throw());
}

Result<void> DataFolder::write_system(const std::array<std::string, 26>& lines) const {
  std::string text;
  for (int i = 1; i <= 25; ++i) text += lines[static_cast<size_t>(i)] + "\r\n";
  return replace("50.dat", text);
}

Result<void> DataFolder::restore_magic(int number, char kind) const {
  const std::string magic = real_magic(kind);
  if (magic.empty()) return {};
  return files_.write_at(path(dat_name(number)), 0, magic);
}

Result<void> DataFolder::blank_magic(int number) const {
  return files_.write_at(path(dat_name(number)), 0, kRestMagic);
}

std::string DataFolder::slot_name(int slot) {
  return "0" + std::to_string(slot) + ".dat";
}

void DataFolder::remove_stale_temporaries() const {
  // One that is not there, or stays, is only in the way of the next write,
  // which clears it itself.
  for (int slot = 0; slot <= kQuickSlot; ++slot) (void)remove(slot_name(slot) + ".tmp");
  (void)remove("50.dat.tmp");
  (void)remove("read.dat.tmp");  // the messages read, written beside the saves
}

}  // namespace vm
