#include "platform/common/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vm {

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::held_elsewhere(const std::string& dir) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return false;
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return false;
  const bool taken = errno == EWOULDBLOCK;
  ::close(fd_);
  fd_ = -1;
  return taken;
}

}  // namespace vm
