// The game's files held in memory, for tests that need a folder the player
// cannot write (whoever runs them, the superuser too) or that look at what
// the game wrote without a disk.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/result.h"

namespace vm {

class MemoryFiles : public Files {
 public:
  // Copies a disk folder in (files and the folders below), under the path
  // as, "" for its own. The folders above it are made as well.
  void seed_from_disk(const std::string& disk_dir, const std::string& as = "");
  // Puts a file in, making its folders; no write is counted.
  void put(const std::string& path, const std::string& bytes);
  // The file's bytes, nullptr when there is none.
  const std::string* find(const std::string& path) const;
  // A read-only file keeps its content; in a read-only folder no file is
  // made, replaced or removed. Whoever runs the game.
  void set_read_only(const std::string& path, bool read_only = true);
  // Every path written (replaced, written into, removed), in order.
  const std::vector<std::string>& written() const { return written_; }

  Result<std::string> read_whole(const std::string& path) override;
  Result<void> replace_whole(const std::string& path, const std::string& data) override;
  Result<void> write_at(const std::string& path, size_t offset, const std::string& bytes) override;
  Result<void> remove(const std::string& path) override;
  std::vector<FolderEntry> list(const std::string& dir) override;
  bool is_folder(const std::string& path) override;
  long long length(const std::string& path) override;
  bool writable(const std::string& path) override;
  Result<void> make_folder(const std::string& dir) override;
  Result<void> copy_folder_whole(const std::string& from, const std::string& to) override;

 private:
  bool read_only(const std::string& path) const;
  void add_folders(const std::string& dir);

  std::map<std::string, std::string> files_;  // by path without doubled '/'
  std::set<std::string> folders_;             // without the final '/'
  std::set<std::string> read_only_;
  std::vector<std::string> written_;
};

}  // namespace vm
