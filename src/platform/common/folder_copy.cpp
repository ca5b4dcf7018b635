#include "platform/common/folder_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vm {

namespace {

namespace fs = std::filesystem;

std::string copy_failure(const std::string& path, int err) {
  return path + ": " + std::strerror(err);
}

// One file, flushed to the disk and as long as the one it copies. A write
// that takes nothing leaves no reason behind; on a disk that means it is full.
std::string copy_file_whole(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return copy_failure(from, errno);
  struct stat st {};
  if (::fstat(in, &st) != 0) {
    const int err = errno;
    ::close(in);
    return copy_failure(from, err);
  }
  const int out =
      ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, (st.st_mode & 0777) | S_IWUSR);
  if (out < 0) {
    const int err = errno;
    ::close(in);
    return copy_failure(to, err);
  }
  std::string error;
  char chunk[65536];
  long long copied = 0;
  while (error.empty()) {
    const ssize_t n = ::read(in, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = copy_failure(from, errno);
    if (n <= 0) break;
    for (ssize_t done = 0; done < n && error.empty();) {
      errno = 0;
      const ssize_t w = ::write(out, chunk + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) error = copy_failure(to, w == 0 || errno == 0 ? ENOSPC : errno);
      if (w > 0) done += w;
    }
    copied += n;
  }
  if (error.empty() && ::fsync(out) != 0) error = copy_failure(to, errno);
  if (::close(out) != 0 && error.empty()) error = copy_failure(to, errno);
  ::close(in);
  if (error.empty() && copied != static_cast<long long>(st.st_size))
    error = from + ": changed while it was copied";
  return error;
}

std::string copy_tree(const std::string& from, const std::string& to) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(from, ec)) {
    const std::string target = (fs::path(to) / e.path().filename()).string();
    std::string error;
    if (e.is_directory(ec)) {
      if (!fs::create_directory(target, ec)) return copy_failure(target, ec.value());
      error = copy_tree(e.path().string(), target);
    } else {
      error = copy_file_whole(e.path().string(), target);
    }
    if (!error.empty()) return error;
  }
  return ec ? copy_failure(from, ec.value()) : "";
}

}  // namespace

Result<void> copy_folder_whole(const std::string& from, const std::string& to) {
  std::string target = to;
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  const std::string part = target + ".copying";
  std::error_code ec;
  fs::remove_all(part, ec);
  fs::create_directories(fs::path(target).parent_path(), ec);
  std::string error;
  if (!fs::create_directory(part, ec)) error = copy_failure(part, ec ? ec.value() : EEXIST);
  if (error.empty()) error = copy_tree(from, part);
  if (error.empty()) {
    // An empty folder where the copy goes (made by hand, or by an older
    // version) gives way to it.
    if (std::rename(part.c_str(), target.c_str()) != 0) error = copy_failure(target, errno);
  }
  if (!error.empty()) {
    fs::remove_all(part, ec);
    return FileError(FileError::Copying, target, error);
  }
  const int dfd =
      ::open(fs::path(target).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return {};
}

}  // namespace vm
