#include "dev/dev_run.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/main_form.h"
#include "app/read_log.h"
#include "assets/assets.h"
#include "assets/data_folder.h"
#include "authoring/check.h"
#include "dev/dev_session.h"
#include "platform/errors.h"

namespace vm::dev {

namespace {

// FNV-1a: two folders of one name get shadows of their own, and a folder
// gets the same one on every run.
std::string short_hash(const std::string& s) {
  uint32_t h = 2166136261u;
  for (const unsigned char c : s) h = (h ^ c) * 16777619u;
  char out[9];
  std::snprintf(out, sizeof out, "%08x", h);
  return out;
}

// What a shadow keeps across packs: what the game wrote there itself.
bool kept_in_shadow(const std::string& name) {
  for (int slot = 0; slot <= kQuickSlot; ++slot)
    if (name == DataFolder::slot_name(slot)) return true;
  return name == kReadLogFile;
}

// Line 6 of the shadow's system file, the gallery progress; empty when
// there is none to keep.
std::string gallery_line(const DataFolder& shadow) {
  if (!shadow.has("50.dat")) return "";
  try {
    return shadow.read_system()[6];
  } catch (const std::exception&) {
    return "";  // a damaged one is packed anew
  }
}

}  // namespace

DevFolders dev_folders(const std::string& edit_dir, const std::string& cache_dir) {
  namespace fs = std::filesystem;
  std::string abs = fs::absolute(fs::path(edit_dir)).lexically_normal().string();
  while (abs.size() > 1 && abs.back() == '/') abs.pop_back();
  DevFolders f;
  f.edit = abs + "/";
  f.name = fs::path(abs).filename().string();
  if (f.name.empty()) f.name = "root";
  f.shadow = cache_dir + "velmora/dev/" + f.name + "-" + short_hash(abs) + "/";
  return f;
}

void prepare_shadow(Files& files, const DevFolders& f) {
  if (!files.is_folder(f.edit)) throw DataError("", 0, "", f.edit + " is not a folder");
  files.make_folder(f.shadow).value_or_throw();
  const DataFolder shadow(files, f.shadow);
  const std::string progress = gallery_line(shadow);
  for (const std::string& n : shadow.file_names())
    if (!kept_in_shadow(n)) shadow.remove(n).value_or_throw();
  datatool::pack_folder(files, f.edit, f.shadow);
  if (progress.empty() || !shadow.has("50.dat")) return;
  std::array<std::string, 26> lines = shadow.read_system();
  lines[6] = progress;
  shadow.write_system(lines).value_or_throw();
}

DevRun::DevRun(Platform& pf, FileMonitor& monitor, const std::string& edit_dir,
               const std::string& cache_dir)
    : pf_(pf), monitor_(monitor), folders_(dev_folders(edit_dir, cache_dir)) {}

int DevRun::run() {
  try {
    prepare_shadow(pf_.files, folders_);
  } catch (const std::exception& e) {
    pf_.log.record(LogEvent::error(e.what()));
    message_box(pf_, "開発用のフォルダを用意できません。\r\n" + std::string(e.what()));
    return 1;
  }
  // A folder the game could not load is told as check tells it.
  std::string errors;
  std::vector<std::string> warnings;
  for (const datatool::Finding& f : datatool::check_folder(pf_.files, folders_.shadow, &pf_.text)) {
    const std::string line = edited_name(f.line, pf_.files, folders_.edit);
    const bool blocks = blocks_dev_run(f);
    pf_.log.record(blocks ? LogEvent::error(line) : LogEvent::warning(line));
    if (blocks) errors += line + "\r\n";
    if (!blocks) warnings.push_back(line);
  }
  if (!errors.empty()) {
    message_box(pf_, folders_.edit + " にエラーがあります。\r\n" + errors);
    return 1;
  }
  if (const Result<void> watched = monitor_.watch(folders_.edit); !watched)
    pf_.log.record(LogEvent::warning("cannot watch " + folders_.edit + ": " +
                                     watched.error().what() + "; 開発 > 再読み込み reloads it"));
  const int code = run_game(pf_, folders_.shadow, [this, &warnings](const DevView& view) {
    auto s = std::make_unique<DevSession>(view, folders_, warnings);
    session_ = s.get();
    // What the input asked for before the game stood: once it has loaded.
    s->ask_early(early_jump_, early_counters_);
    return s;
  });
  session_ = nullptr;
  return code;
}

const DevView* DevRun::view() const {
  return session_ ? &session_->view() : nullptr;
}

Result<void> DevRun::jump(int num) {
  if (!session_) {
    early_jump_ = num;  // the game is starting: the story begins there
    return {};
  }
  return session_->jump(num, session_->counters());
}

Result<void> DevRun::set_counter(const std::string& assignment) {
  const Result<Counters> c = parse_counters(
      assignment, session_ ? session_->counters() : early_counters_.value_or(Counters{}));
  if (!c) return c.failure();
  if (!session_) {
    early_counters_ = c.value();
    return {};
  }
  session_->set_counters(c.value());
  session_->start_with_counters();
  return {};
}

}  // namespace vm::dev
