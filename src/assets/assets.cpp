#include "assets/assets.h"

#include <algorithm>

#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "assets/picture_table.h"
#include "assets/text_helpers.h"
#include "platform/errors.h"

namespace vm {

namespace {

// A failure of the start-up check, caught by the check itself: a data error
// whose file is the one named to the player. not_found tells the
// missing-file case apart; number is the run-time error number shown
// otherwise, with the detail (what()) below it.
struct AssetFailure : DataError {
  AssetFailure(bool missing, std::string name, int error_number, const std::string& detail)
      : DataError(std::move(name), 0, "", detail), not_found(missing), number(error_number) {}
  bool not_found;
  int number;
};

constexpr int kErrFileNotFound = 53;
constexpr int kErrPastEnd = 62;
constexpr int kErrPathAccess = 75;

void check_present(const DataFolder& data, const std::string& name, const std::string& shown_name) {
  if (!data.has(name)) throw AssetFailure{true, shown_name, kErrFileNotFound, ""};
}

// A read or write that fails on a file already found present is reported by
// its error number rather than as a missing file.
[[noreturn]] void io_failure(const DataError& e) {
  throw AssetFailure{false, "", kErrPathAccess, e.what()};
}

template <class T>
T io_step(Result<T> r) {
  if (!r) io_failure(r.error());
  return std::move(r).value_or_throw();
}

void io_step(const Result<void>& r) {
  if (!r) io_failure(r.error());
}

void run_check(AssetState& a, std::array<std::string, 6>& names, Files& files) {
  const DataFolder data(files, a.Data_Dir);
  const std::string& dir = data.dir();
  data.remove_stale_temporaries();
  // The system file and the two script files must be there.
  for (const char* n : {"50", "51", "52"}) check_present(data, std::string(n) + ".dat", dir + n);
  // Turned back in place: a long script is held once, not twice.
  a.script_text = io_step(data.read("51.dat"));
  invert_in_place(a.script_text);
  a.choice_text = io_step(data.read("52.dat"));
  invert_in_place(a.choice_text);
  // Sprites, faces, backgrounds and event pictures get their real first bytes.
  for (const PictureEntry& p : picture_entries()) {
    if (!p.disguised) continue;
    check_present(data, dat_name(p.number), dir + std::to_string(p.number));
    io_step(data.restore_magic(p.number, p.kind));
    a.restored.push_back(p.number);
  }
  // The system file, 25 lines.
  const std::string sys = io_step(data.read("50.dat"));
  try {
    a.Sys_Lines = read_system_lines(sys);
  } catch (const DataError& e) {
    throw AssetFailure{false, "", kErrPastEnd, e.describe()};
  }
  a.sys_lines_read = true;
  // Names, gallery flags, and the tunes, which must be in the folder.
  for (int i = 1; i <= 5; ++i) names[static_cast<size_t>(i)] = cp932_to_utf8(a.Sys_Lines[i]);
  read_line6(a);
  for (int i = 1; i <= 9; ++i) {
    a.Track_Files[i] = a.Sys_Lines[6 + i];
    a.Extra_Files[i] = a.Sys_Lines[15 + i];
    for (const std::string* name : {&a.Track_Files[i], &a.Extra_Files[i]}) {
      if (name->empty()) continue;
      const std::string file = tune_file_name(*name);
      if (file.empty()) throw AssetFailure{true, cp932_to_utf8(*name), kErrFileNotFound, ""};
      check_present(data, file, cp932_to_utf8(*name));
    }
  }
}

}  // namespace

void invert_in_place(std::string& bytes) {
  for (char& c : bytes) c = static_cast<char>(255 - static_cast<unsigned char>(c));
}

std::string invert_bytes(const std::string& bytes) {
  std::string out = bytes;
  invert_in_place(out);
  return out;
}

void read_line6(AssetState& a) {
  const std::string& l6 = a.Sys_Lines[6];
  a.Keep_Flag = (!l6.empty() && l6[0] == '1') ? -1 : 0;
  for (int p = 2; p <= 6; ++p)
    a.CG_Seen[p - 2] = (l6.size() >= static_cast<size_t>(p) && l6[p - 1] == '0') ? -1 : 0;
}

void rebuild_line6(AssetState& a) {
  std::string l6 = a.Keep_Flag ? "1" : "0";
  for (int i = 0; i < 5; ++i) l6 += a.CG_Seen[i] ? '0' : static_cast<char>('0' + i + 2);
  a.Sys_Lines[6] = l6;
}

Result<void> write_system_file(const AssetState& a, Files& files, EventLog& log) {
  Result<void> written = DataFolder(files, a.Data_Dir).write_system(a.Sys_Lines);
  if (written) log.record(LogEvent::file_written("50.dat"));
  return written;
}

std::string disguise_restored_pictures(AssetState& a, Files& files) {
  const DataFolder data(files, a.Data_Dir);
  std::string problems;
  for (int n : managed_pictures_exit_order()) {
    if (std::find(a.restored.begin(), a.restored.end(), n) == a.restored.end()) continue;
    if (const Result<void> r = data.blank_magic(n); !r)
      problems += std::string(r.error().what()) + "\r\n";
  }
  a.restored.clear();
  return problems;
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

void check_assets(AssetState& a, std::array<std::string, 6>& names, Files& files,
                  Dialogs& dialogs) {
  try {
    run_check(a, names, files);
  } catch (const AssetFailure& f) {
    std::string text;
    if (f.not_found) {
      text = "実行に必要なﾌｧｲﾙがありません. file" + f.file;
    } else {
      text = "実行に必要なﾌｧｲﾙが異常です.(" + std::to_string(f.number) + ")";
      if (*f.what() != '\0') text += "\r\n" + std::string(f.what());
    }
    dialogs.message_box(text, Buttons::Ok);
    // The shutdown writes no system file that was never read, and disguises
    // again only the pictures restored so far.
    throw ShutdownRequest{true};
  }
}

}  // namespace vm
