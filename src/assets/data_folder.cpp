#include "assets/data_folder.h"

#include "assets/assets.h"
#include "assets/picture_table.h"

namespace vm {

DataFolder::DataFolder(Files& files, const std::string& dir) : files_(files), dir_(dir) {
  if (!dir_.empty() && dir_.back() != '/') dir_ += '/';
}

void DataFolder::replace(const std::string& name, const std::string& bytes) const {
  files_.replace_whole(path(name), bytes);
}

std::vector<std::string> DataFolder::file_names() const {
  std::vector<std::string> names;
  for (const FolderEntry& e : files_.list(dir_.empty() ? "." : dir_))
    if (!e.folder) names.push_back(e.name);
  return names;
}

std::string DataFolder::read_script() const {
  return invert_bytes(read("51.dat"));
}

std::string DataFolder::read_choices() const {
  return invert_bytes(read("52.dat"));
}

std::array<std::string, 26> DataFolder::read_system() const {
  return read_system_lines(read("50.dat"));
}

void DataFolder::write_system(const std::array<std::string, 26>& lines) const {
  std::string text;
  for (int i = 1; i <= 25; ++i) text += lines[static_cast<size_t>(i)] + "\r\n";
  replace("50.dat", text);
}

void DataFolder::restore_magic(int number, char kind) const {
  const std::string magic = real_magic(kind);
  if (!magic.empty()) files_.write_at(path(dat_name(number)), 0, magic);
}

void DataFolder::blank_magic(int number) const {
  files_.write_at(path(dat_name(number)), 0, kRestMagic);
}

std::string DataFolder::slot_name(int slot) {
  return "0" + std::to_string(slot) + ".dat";
}

void DataFolder::remove_stale_temporaries() const {
  for (int slot = 0; slot <= kQuickSlot; ++slot) remove(slot_name(slot) + ".tmp");
  remove("50.dat.tmp");
  remove("read.dat.tmp");  // the messages read, written beside the saves
}

}  // namespace vm
