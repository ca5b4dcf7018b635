#include "platform/common/settings_file.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <memory>

namespace vm {

namespace {

constexpr const char* kView = "view";
constexpr const char* kAuto = "auto_forward";

struct KeyFileDeleter {
  void operator()(GKeyFile* k) const { g_key_file_free(k); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileDeleter>;

std::string take_message(GError* err) {
  std::string m = err && err->message ? err->message : "unknown error";
  if (err) g_error_free(err);
  return m;
}

// One integer key: absent keeps the default; present it must be a whole
// number within [lo, hi].
bool read_int(GKeyFile* kf, const char* group, const char* key, int lo, int hi, int& out,
              std::string& problem) {
  if (!g_key_file_has_key(kf, group, key, nullptr)) return true;
  GError* err = nullptr;
  const gint v = g_key_file_get_integer(kf, group, key, &err);
  if (err) {
    problem = std::string("[") + group + "] " + key + ": " + take_message(err);
    return false;
  }
  if (v < lo || v > hi) {
    problem = std::string("[") + group + "] " + key + "=" + std::to_string(v) + " is outside " +
              std::to_string(lo) + ".." + std::to_string(hi);
    return false;
  }
  out = v;
  return true;
}

bool read_bool(GKeyFile* kf, const char* group, const char* key, bool& out, std::string& problem) {
  if (!g_key_file_has_key(kf, group, key, nullptr)) return true;
  GError* err = nullptr;
  const gboolean v = g_key_file_get_boolean(kf, group, key, &err);
  if (err) {
    problem = std::string("[") + group + "] " + key + ": " + take_message(err);
    return false;
  }
  out = v != FALSE;
  return true;
}

}  // namespace

std::string default_settings_path() {
  return std::string(g_get_user_config_dir()) + "/velmora/settings.ini";
}

PlayerSettings read_settings_file(const std::string& path, std::string* warning) {
  PlayerSettings defaults;
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return defaults;
  KeyFilePtr kf(g_key_file_new());
  GError* err = nullptr;
  std::string problem;
  PlayerSettings s;
  if (!g_key_file_load_from_file(kf.get(), path.c_str(), G_KEY_FILE_NONE, &err)) {
    problem = take_message(err);
  } else if (read_int(kf.get(), kView, "scale", 1, 3, s.scale, problem) &&
             read_bool(kf.get(), kView, "full_screen", s.full_screen, problem) &&
             read_int(kf.get(), kAuto, "delay_ms", 0, 60000, s.auto_delay_ms, problem) &&
             read_int(kf.get(), kAuto, "delay_per_char_ms", 0, 10000, s.auto_delay_per_char_ms,
                      problem)) {
    return s;
  }
  // Damaged: the defaults stand, and the old file is kept beside the new one
  // for whoever wants to see what was wrong with it.
  const std::string aside = path + ".bad";
  g_remove(aside.c_str());
  const bool kept = g_rename(path.c_str(), aside.c_str()) == 0;
  if (warning)
    *warning = "the settings file " + path + " is damaged (" + problem +
               "); using the default settings" + (kept ? "; the old file is now " + aside : "");
  return defaults;
}

bool write_settings_file(const std::string& path, const PlayerSettings& s, std::string* error) {
  gchar* dir = g_path_get_dirname(path.c_str());
  const int made = g_mkdir_with_parents(dir, 0700);
  g_free(dir);
  if (made != 0) {
    if (error) *error = "cannot create the folder of " + path;
    return false;
  }
  KeyFilePtr kf(g_key_file_new());
  g_key_file_set_integer(kf.get(), kView, "scale", s.scale);
  g_key_file_set_boolean(kf.get(), kView, "full_screen", s.full_screen);
  g_key_file_set_integer(kf.get(), kAuto, "delay_ms", s.auto_delay_ms);
  g_key_file_set_integer(kf.get(), kAuto, "delay_per_char_ms", s.auto_delay_per_char_ms);
  g_key_file_set_comment(kf.get(), kAuto, nullptr,
                         " After a message, auto-forward waits delay_ms plus delay_per_char_ms"
                         " for each of its characters.",
                         nullptr);
  GError* err = nullptr;
  // Written to a temporary file and renamed: a crash never leaves half a file.
  if (!g_key_file_save_to_file(kf.get(), path.c_str(), &err)) {
    if (error) *error = "cannot write " + path + ": " + take_message(err);
    return false;
  }
  return true;
}

FileSettingsStore::FileSettingsStore(std::string path, EventLog& log)
    : path_(std::move(path)), log_(log) {
  std::string warning;
  current_ = read_settings_file(path_, &warning);
  if (!warning.empty()) {
    log_.log("warning: " + warning);
    save_settings(current_);
  }
}

void FileSettingsStore::save_settings(const PlayerSettings& s) {
  current_ = s;
  std::string error;
  if (!write_settings_file(path_, s, &error)) log_.log("warning: " + error);
}

}  // namespace vm
