#include "dev/dev_session.h"

#include <algorithm>
#include <sstream>

#include "app/read_log.h"
#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "assets/game_words.h"
#include "assets/picture_table.h"
#include "authoring/check.h"
#include "authoring/packing.h"
#include "graphics/faces.h"
#include "graphics/screen.h"

namespace vm::dev {

namespace {

constexpr const char* kScriptCsv = "script.csv";
constexpr const char* kChoicesCsv = "choices.csv";
constexpr const char* kSystemText = "system.txt";
// An editor's save is a few writes and a rename in a row; they are taken
// together once it has been quiet this long.
constexpr int kSettleMs = 100;
constexpr int kWarningMs = 5000;
constexpr int kRetryMs = 100;
constexpr int kKeyR = 'R';
constexpr const char* kReloadCaption = "再読み込み (Ctrl+R)";

bool is_text(const std::string& name) {
  return name == kScriptCsv || name == kChoicesCsv || name == kSystemText;
}

// The picture number of an editable picture "NN.bmp" / "NN.jpg", or -1.
int picture_of(const std::string& name) {
  if (name.size() != 6 || (name.compare(2, 4, ".bmp") != 0 && name.compare(2, 4, ".jpg") != 0))
    return -1;
  if (!std::isdigit(static_cast<unsigned char>(name[0])) ||
      !std::isdigit(static_cast<unsigned char>(name[1])))
    return -1;
  const int n = (name[0] - '0') * 10 + (name[1] - '0');
  return find_picture_entry(n) ? n : -1;
}

bool is_words(const std::string& name) {
  return name == kGameWordsFile;
}

bool is_tune(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".mid") == 0;
}

}  // namespace

std::string edited_name(const std::string& finding, Files& files, const std::string& edit_dir) {
  return datatool::edited_names(finding, DataFolder(files, edit_dir).file_names());
}

bool blocks_dev_run(const datatool::Finding& f) {
  return f.error && !f.on_path && !f.plays_on;
}

DevSession::DevSession(const DevView& view, const DevFolders& folders,
                       std::vector<std::string> warnings)
    : v_(view), story_(v_.play.story), f_(folders), warnings_(std::move(warnings)) {
  warnings_pending_ = !warnings_.empty();
  Window& w = story_.window;
  settle_timer_ = w.create_timer(kSettleMs);
  warning_timer_ = w.create_timer(kWarningMs);
  retry_timer_ = w.create_timer(kRetryMs);
}

DevSession::~DevSession() = default;

std::string DevSession::caption(const std::string& game_caption) {
  // "TITLE - loading now..." becomes "NAME (dev) - loading now...", and the
  // game's own name "NAME (dev)".
  const std::string loading = " - loading now...";
  const size_t at = game_caption.rfind(loading);
  const bool ends_loading = at != std::string::npos && at + loading.size() == game_caption.size();
  return f_.name + " (dev)" + (ends_loading ? loading : "");
}

void DevSession::layout() {
  band_.visible = false;
  story_.screen.layers.push_back(&band_);
  // The menu's caption and the first pack's warnings, once the title stands.
  story_.window.set_timer_enabled(settle_timer_, true);
}

bool DevSession::on_key(int key) {
  if (key != kKeyR || story_.input.Ctrl_Held == 0) return false;
  on_menu(MenuItem::DevReload);
  return true;
}

void DevSession::on_file_changed(const std::string& name) {
  if (!is_text(name) && picture_of(name) < 0 && !is_tune(name) && !is_words(name)) return;
  changed_.insert(name);
  // From now: the last of a save's notices starts the wait.
  story_.window.set_timer_enabled(settle_timer_, false);
  story_.window.set_timer_enabled(settle_timer_, true);
}

bool DevSession::on_timer(int id) {
  Window& w = story_.window;
  if (id == settle_timer_) {
    w.set_timer_enabled(settle_timer_, false);
    take_changes();
  } else if (id == warning_timer_) {
    w.set_timer_enabled(warning_timer_, false);
    if (!band_errors_) hide_band();
  } else if (id == retry_timer_) {
    if (!restart_waiting_) {
      w.set_timer_enabled(retry_timer_, false);
    } else if (can_start_now()) {
      w.set_timer_enabled(retry_timer_, false);
      restart_waiting_ = false;
      start_at(waiting_record_, waiting_hap_);
    }
  } else {
    return false;
  }
  return true;
}

void DevSession::take_changes() {
  // Start-up reads the folder itself; what was saved meanwhile waits.
  if (v_.play.menu.phase() == MenuPhase::Loading) {
    story_.window.set_timer_enabled(settle_timer_, true);
    return;
  }
  if (!menu_named_) {
    // The menu bar is built after the layers: the item says its key here.
    menu_named_ = true;
    story_.window.set_menu_caption("dev_reload", kReloadCaption);
  }
  if (warnings_pending_) {
    warnings_pending_ = false;
    show_band(warnings_, false);
  }
  take_early();
  std::set<std::string> texts;
  bool redraw = false;
  for (const std::string& n : changed_) {
    if (is_text(n)) {
      texts.insert(n);
      continue;
    }
    repack(n);
    if (is_words(n)) {
      reload_words();
      redraw = true;  // the message shown speaks with the new words
      continue;
    }
    const int pic = picture_of(n);
    if (pic == 60) load_faces(story_.stage());
    // A background or a character now on screen is drawn again, by playing
    // the scene again.
    const bool dolls = std::any_of(story_.screen.Doll_Disp.begin(), story_.screen.Doll_Disp.end(),
                                   [](const Surface& d) { return d.visible; });
    redraw = redraw || (pic >= 0 && (pic == 70 + story_.interp.Place_No || (pic < 70 && dolls)));
  }
  changed_.clear();
  if (!texts.empty() && !reload_texts(texts)) return;
  if (!texts.empty() || redraw) restart_scene();
}

void DevSession::take_early() {
  if (early_counters_) {
    set_counters(*early_counters_);
    early_counters_.reset();
    if (early_jump_ < 0) start_with_counters();
  }
  if (early_jump_ < 0) return;
  if (const Result<void> jumped = jump(early_jump_, counters(), true); !jumped)
    story_.log.record(
        LogEvent::warning("jump " + std::to_string(early_jump_) + ": " + jumped.error().what()));
  early_jump_ = -1;
}

void DevSession::repack(const std::string& name) {
  const DataFolder edit(v_.files, f_.edit);
  const DataFolder shadow(v_.files, f_.shadow);
  try {
    if (!edit.has(name)) {
      // The game's words gone: the engine's own from now. Any other file
      // removed: the packed one stays until the next run.
      if (is_words(name) && shadow.has(name)) shadow.remove(name).value_or_throw();
      return;
    }
    std::string packed;
    const std::string bytes = datatool::pack_file(name, edit.read(name).value_or_throw(), packed);
    shadow.replace(packed, bytes).value_or_throw();
    // A picture the game holds restored gets its real first bytes again.
    const int pic = picture_of(name);
    const bool restored = std::find(story_.assets.restored.begin(), story_.assets.restored.end(),
                                    pic) != story_.assets.restored.end();
    if (pic >= 0 && restored)
      shadow.restore_magic(pic, find_picture_entry(pic)->kind).value_or_throw();
    story_.log.record(LogEvent::dev_packed(name));
  } catch (const std::exception& e) {
    show_band({name + ": error: " + e.what()}, true);
  }
}

void DevSession::reload_words() {
  WordsReading r = load_game_words(DataFolder(v_.files, f_.shadow));
  std::vector<std::string> said;
  for (const WordsProblem& p : r.problems) {
    said.push_back(std::string(kGameWordsFile) + ":" + std::to_string(p.line) +
                   (p.taken ? ": warning: " : ": error: ") + words_problem_reason(p));
    story_.log.record(LogEvent::warning(said.back()));
  }
  const auto words = std::make_shared<const GameWords>(std::move(r.words));
  story_.assets.words = story_.msg.words = v_.ending_words = v_.about_words = words;
  story_.window.set_app_name(game_title(*words));
  if (!said.empty()) show_band(said, false);
}

bool DevSession::reload_texts(const std::set<std::string>& names) {
  const DataFolder edit(v_.files, f_.edit);
  const DataFolder shadow(v_.files, f_.shadow);
  // The packed files the game plays now, to put back if the new ones fail.
  std::vector<std::pair<std::string, std::string>> good;
  std::set<std::string> packed;
  std::vector<std::string> errors;
  for (const std::string& n : names) {
    std::string to;
    try {
      const std::string bytes = datatool::pack_file(n, edit.read(n).value_or_throw(), to);
      good.emplace_back(to, shadow.read(to).value_or_throw());
      shadow.replace(to, bytes).value_or_throw();
      packed.insert(to);
    } catch (const std::exception& e) {
      errors.push_back(n + ": error: " + e.what());
    }
  }
  std::vector<std::string> warnings;
  if (errors.empty())
    for (const datatool::Finding& f : datatool::check_folder(v_.files, f_.shadow, &story_.text))
      (blocks_dev_run(f) ? errors : warnings).push_back(edited_name(f.line, v_.files, f_.edit));
  if (!errors.empty()) {
    for (const auto& [name, bytes] : good) shadow.replace(name, bytes).value_or_throw();
    for (const std::string& e : errors) story_.log.record(LogEvent::error(e));
    show_band(errors, true);
    return false;
  }
  apply_texts(packed);
  if (warnings.empty() || warnings == warnings_) {
    // Warnings already shown once stay away while they are the same.
    hide_band();
  } else {
    for (const std::string& w : warnings) story_.log.record(LogEvent::warning(w));
    show_band(warnings, false);
  }
  warnings_ = warnings;
  return true;
}

void DevSession::apply_texts(const std::set<std::string>& packed) {
  const DataFolder shadow(v_.files, f_.shadow);
  AssetState& a = story_.assets;
  if (packed.count("51.dat") || packed.count("52.dat")) {
    ScriptTables fresh;
    load_tables(fresh, shadow.read_script(), shadow.read_choices());
    story_.tables = std::move(fresh);
    // The read log belongs to the script it was written for.
    save_read_log(v_.read_log, v_.files, story_.log, a.Data_Dir);
    load_read_log(v_.read_log, v_.files, story_.log, a.Data_Dir, story_.tables.Script_Table.size());
  }
  if (packed.count("50.dat")) {
    // The author's names and tunes; the gallery progress stays the game's.
    std::array<std::string, 26> lines = shadow.read_system();
    lines[6] = a.Sys_Lines[6];
    a.Sys_Lines = lines;
    for (int i = 1; i <= 5; ++i)
      story_.msg.Name_Table[static_cast<size_t>(i)] = cp932_to_utf8(lines[i]);
    for (int i = 1; i <= 9; ++i) {
      a.Track_Files[i] = lines[6 + i];
      a.Extra_Files[i] = lines[15 + i];
    }
  }
  story_.log.record(LogEvent::dev_reloaded());
}

}  // namespace vm::dev
