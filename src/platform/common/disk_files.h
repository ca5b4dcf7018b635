// The game's files on the real disk, for the desktop, velmora-play and the
// data tool.
#pragma once

#include "platform/files.h"
#include "platform/result.h"

namespace vm {

class DiskFiles : public Files {
 public:
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
};

}  // namespace vm
