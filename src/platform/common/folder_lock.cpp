#include "platform/common/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vm {

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<FolderHold> FolderLock::take(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::unique_ptr<FolderHold>(new FolderLock(-1));
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
    return std::unique_ptr<FolderHold>(new FolderLock(fd));
  ::close(fd);
  return nullptr;
}

}  // namespace vm
