#include "assets/assets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "assets/cp932.h"
#include "assets/data_error.h"
#include "assets/picture_table.h"
#include "assets/text_helpers.h"
#include "game/game.h"

namespace vm {

namespace {

// A failure of the start-up check. not_found tells the missing-file case
// apart; number is the run-time error number shown otherwise.
struct AssetFailure {
  bool not_found = false;
  std::string name;
  int number = 0;
  std::string detail;
};

// Why a write failed. A write that took nothing leaves no reason of its own
// behind (errno 0), and on a disk file that means the disk is full.
std::string write_failure(const std::string& path, int err) {
  return path + ": cannot write (" + std::strerror(err ? err : ENOSPC) + ")";
}

constexpr int kErrFileNotFound = 53;
constexpr int kErrPastEnd = 62;
constexpr int kErrPathAccess = 75;

void check_present(const std::string& path, const std::string& shown_name) {
  if (file_length(path) < 0) throw AssetFailure{true, shown_name, kErrFileNotFound, ""};
}

// A read or write that fails on a file already found present is reported by
// its error number rather than as a missing file.
template <class Step>
void io_step(Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    throw AssetFailure{false, "", kErrPathAccess, e.what()};
  }
}

void write_two_bytes(const std::string& path, const std::string& magic) {
  // Opened for update so that nothing after the first two bytes changes; a
  // missing file is never created.
  errno = 0;
  FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) {
    int err = errno;
    throw std::runtime_error(path + ": " + std::strerror(err));
  }
  // A full disk shows only when the bytes leave the buffer, at the close.
  errno = 0;
  const size_t n = std::fwrite(magic.data(), 1, 2, f);
  int err = errno;
  const int closed = std::fclose(f);
  if (n == 2 && closed != 0) err = errno;
  if (n != 2 || closed != 0) throw std::runtime_error(write_failure(path, err));
}

// A copy killed between writing a slot or the system file and putting it in
// place leaves its temporary file; the file it was to replace is whole.
void remove_stale_temporaries(const std::string& dir) {
  for (const char* n : {"00", "01", "02", "03", "04", "50"}) {
    const std::string tmp = dir + n + ".dat.tmp";
    struct stat st {};
    if (::lstat(tmp.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(tmp.c_str());
  }
}

void run_check(Game& g) {
  AssetState& a = g.assets;
  const std::string& dir = a.Data_Dir;
  remove_stale_temporaries(dir);
  // The system file and the two script files must be there.
  for (const char* n : {"50", "51", "52"}) check_present(dir + n + ".dat", dir + n);
  // The script, decoded in memory: no decoded copy is ever left beside it.
  io_step([&] {
    a.script_text = invert_bytes(read_file(dir + "51.dat"));
    a.choice_text = invert_bytes(read_file(dir + "52.dat"));
  });
  // Sprites, faces, backgrounds and event pictures get their real first bytes.
  for (const PictureEntry& p : picture_entries()) {
    if (!p.disguised) continue;
    std::string base = dir + std::to_string(p.number);
    check_present(base + ".dat", base);
    io_step([&] { restore_magic(base, p.kind); });
    a.restored.push_back(p.number);
  }
  // The system file, 25 lines.
  std::string sys;
  io_step([&] { sys = read_file(dir + "50.dat"); });
  try {
    a.Sys_Lines = read_system_lines(sys);
  } catch (const DataError& e) {
    throw AssetFailure{false, "", kErrPastEnd, e.describe()};
  }
  a.sys_lines_read = true;
  // Names, gallery flags, and the tunes, which must be in the folder.
  for (int i = 1; i <= 5; ++i) g.msg.Name_Table[i] = cp932_to_utf8(a.Sys_Lines[i]);
  read_line6(a);
  for (int i = 1; i <= 9; ++i) {
    a.Track_Files[i] = a.Sys_Lines[6 + i];
    a.Extra_Files[i] = a.Sys_Lines[15 + i];
    for (const std::string* name : {&a.Track_Files[i], &a.Extra_Files[i]}) {
      if (name->empty()) continue;
      const std::string file = tune_file_name(*name);
      if (file.empty()) throw AssetFailure{true, cp932_to_utf8(*name), kErrFileNotFound, ""};
      check_present(dir + file, cp932_to_utf8(*name));
    }
  }
}

}  // namespace

std::string find_data_dir(const std::string& program_dir) {
  std::string base = program_dir;
  if (base.empty() || base.back() != '/') base += '/';
  struct stat st {};
  if (::stat((base + "data").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return base + "data/";
  return base;
}

std::string invert_bytes(const std::string& bytes) {
  std::string out(bytes.size(), '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    out[i] = static_cast<char>(255 - static_cast<unsigned char>(bytes[i]));
  return out;
}

void restore_magic(const std::string& path_without_dat, char kind) {
  const std::string magic = real_magic(kind);
  if (!magic.empty()) write_two_bytes(path_without_dat + ".dat", magic);
}

void blank_magic(const std::string& path_without_dat) {
  write_two_bytes(path_without_dat + ".dat", kRestMagic);
}

void read_line6(AssetState& a) {
  const std::string& l6 = a.Sys_Lines[6];
  a.Keep_Flag = (!l6.empty() && l6[0] == '1') ? -1 : 0;
  for (int p = 2; p <= 6; ++p)
    a.CG_Seen[p - 2] = (l6.size() >= static_cast<size_t>(p) && l6[p - 1] == '0') ? -1 : 0;
}

void rebuild_line6(Game& g) {
  AssetState& a = g.assets;
  std::string l6 = a.Keep_Flag ? "1" : "0";
  for (int i = 0; i < 5; ++i) l6 += a.CG_Seen[i] ? '0' : static_cast<char>('0' + i + 2);
  a.Sys_Lines[6] = l6;
}

void write_system_file(Game& g) {
  std::string text;
  for (int i = 1; i <= 25; ++i) text += g.assets.Sys_Lines[i] + "\r\n";
  replace_file(g.assets.Data_Dir + "50.dat", text);
  g.pf.log.record(LogEvent::file_written("50.dat"));
}

std::string disguise_restored_pictures(AssetState& a) {
  std::string problems;
  for (int n : managed_pictures_exit_order()) {
    if (std::find(a.restored.begin(), a.restored.end(), n) == a.restored.end()) continue;
    try {
      blank_magic(a.Data_Dir + std::to_string(n));
    } catch (const std::exception& e) {
      problems += std::string(e.what()) + "\r\n";
    }
  }
  a.restored.clear();
  return problems;
}

namespace {

// Writes all of data to fd and flushes it to the disk; false with the reason
// in err.
bool write_all(int fd, const std::string& data, int& err) {
  size_t done = 0;
  while (done < data.size()) {
    errno = 0;
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n == 0 || errno == 0 ? ENOSPC : errno;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) == 0) return true;
  err = errno;
  return false;
}

}  // namespace

void replace_file(const std::string& path, const std::string& data) {
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  const mode_t mode = existed ? (old.st_mode & 07777) : 0644;
  const std::string tmp = path + ".tmp";
  // One left by a copy that was killed before its rename is only in the way.
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    // The new content has nowhere to go but over the old file, and a kill or
    // a full disk part way would leave the player with nothing: the old file
    // stays as it is.
    const int err = errno;
    throw std::runtime_error(path +
                             ": not written, the old file is kept (no new copy can be made " +
                             "beside it: " + std::strerror(err) + ")");
  }
  int err = 0;
  bool ok = write_all(fd, data, err);
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
    throw std::runtime_error(write_failure(path, err));
  }
  // The rename replaces the old file whole, so a crash never leaves it empty
  // or half written.
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmp.c_str());
    throw std::runtime_error(write_failure(path, e));
  }
  // The rename itself is on the disk once the folder is.
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

std::string tune_file_name(const std::string& cp932_name) {
  const std::string name = cp932_to_utf8(cp932_name);
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
    return "";
  return name;
}

const std::vector<int>& managed_pictures_exit_order() {
  static const std::vector<int> order = [] {
    std::vector<int> v;
    for (const PictureEntry& p : picture_entries())
      if (p.disguised) v.push_back(p.number);
    return v;
  }();
  return order;
}

std::array<std::string, 26> read_system_lines(const std::string& bytes) {
  const std::vector<std::string> lines = split_lines(bytes);
  if (lines.size() < 25)
    throw DataError("50.dat", static_cast<int>(lines.size()) + 1, "",
                    "missing (the file must have 25 lines)");
  std::array<std::string, 26> out;
  for (int i = 1; i <= 25; ++i) out[static_cast<size_t>(i)] = lines[static_cast<size_t>(i - 1)];
  return out;
}

void check_assets(Game& g) {
  try {
    run_check(g);
  } catch (const AssetFailure& f) {
    std::string text;
    if (f.not_found) {
      text = "実行に必要なﾌｧｲﾙがありません. file" + f.name;
    } else {
      text = "実行に必要なﾌｧｲﾙが異常です.(" + std::to_string(f.number) + ")";
      if (!f.detail.empty()) text += "\r\n" + f.detail;
    }
    message_box(g, text);
    // The shutdown writes no system file that was never read, and disguises
    // again only the pictures restored so far.
    throw ShutdownRequest{true};
  }
}

bool file_exists(const std::string& path) {
  return file_length(path) >= 0;
}

long long file_length(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

std::string read_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    throw std::runtime_error(path + ": cannot read (" + std::strerror(err) + ")");
  }
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
      throw std::runtime_error(path + ": cannot read (" + std::strerror(err) + ")");
    }
    if (n == 0) break;
    out.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

}  // namespace vm
