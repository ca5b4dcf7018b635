#include "platform/common/disk_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/common/folder_copy.h"

namespace vm {

namespace {

// A write that took nothing leaves no reason of its own behind (errno 0),
// and on a disk file that means the disk is full.
std::string write_reason(int err) {
  return std::strerror(err ? err : ENOSPC);
}

// Writes all of data to fd from offset on; false with the reason in err.
bool write_all(int fd, const std::string& data, off_t offset, int& err) {
  size_t done = 0;
  while (done < data.size()) {
    errno = 0;
    const ssize_t n =
        ::pwrite(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n == 0 || errno == 0 ? ENOSPC : errno;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void sync_folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

// The new content in path + ".tmp", flushed, with the given permissions.
Result<void> write_temporary(const std::string& path, const std::string& data, mode_t mode) {
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    // The new content has nowhere to go but over the old file, and a kill or
    // a full disk part way would leave the player with nothing: the old file
    // stays as it is.
    return FileError(FileError::NoCopy, path, std::strerror(errno));
  }
  int err = 0;
  bool ok = write_all(fd, data, 0, err);
  if (ok && ::fsync(fd) != 0) {
    err = errno;
    ok = false;
  }
  if (ok && ::fchmod(fd, mode) != 0) {
    err = errno;
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    err = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    return FileError(FileError::Writing, path, write_reason(err));
  }
  return {};
}

}  // namespace

Result<std::string> DiskFiles::read_whole(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileError(FileError::Opening, path, std::strerror(errno));
  // A read that fails part way is told as such: what came before it is not
  // the whole file.
  std::string out;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return FileError(FileError::Reading, path, std::strerror(err));
    }
    if (n == 0) break;
    out.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

Result<void> DiskFiles::replace_whole(const std::string& path, const std::string& data) {
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  const mode_t mode = existed ? (old.st_mode & 07777) : 0644;
  const std::string tmp = path + ".tmp";
  // One left by a copy that was killed before its rename is only in the way.
  ::unlink(tmp.c_str());
  if (Result<void> written = write_temporary(path, data, mode); !written) return written;
  // The rename replaces the old file whole, so a crash never leaves it empty
  // or half written.
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmp.c_str());
    return FileError(FileError::Writing, path, write_reason(e));
  }
  // The rename itself is on the disk once the folder is.
  sync_folder_of(path);
  return {};
}

Result<void> DiskFiles::write_at(const std::string& path, size_t offset, const std::string& bytes) {
  // Opened for update so that nothing else in the file changes; a missing
  // file is never created.
  errno = 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return FileError(FileError::Updating, path, std::strerror(errno));
  int err = 0;
  bool ok = write_all(fd, bytes, static_cast<off_t>(offset), err);
  if (::close(fd) != 0 && ok) {
    err = errno;
    ok = false;
  }
  if (!ok) return FileError(FileError::Writing, path, write_reason(err));
  return {};
}

Result<void> DiskFiles::remove(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return FileError(FileError::Removing, path, std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return FileError(FileError::Removing, path, std::strerror(EISDIR));
  if (::unlink(path.c_str()) != 0)
    return FileError(FileError::Removing, path, std::strerror(errno));
  return {};
}

std::vector<FolderEntry> DiskFiles::list(const std::string& dir) {
  std::vector<FolderEntry> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    out.push_back({e.path().filename().string(), e.is_directory(ec)});
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return out;
}

bool DiskFiles::is_folder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

long long DiskFiles::length(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

bool DiskFiles::writable(const std::string& path) {
  return ::access(path.c_str(), is_folder(path) ? W_OK | X_OK : W_OK) == 0;
}

Result<void> DiskFiles::make_folder(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (is_folder(dir)) return {};
  return FileError(FileError::Making, dir, ec ? ec.message() : std::strerror(EEXIST));
}

Result<void> DiskFiles::copy_folder_whole(const std::string& from, const std::string& to) {
  return vm::copy_folder_whole(from, to);
}

}  // namespace vm
