#include "platform/common/settings_file.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string_view>

namespace vm {

namespace {

constexpr const char* kView = "view";
constexpr const char* kAuto = "auto_forward";
constexpr const char* kSound = "sound";
constexpr const char* kText = "text";
constexpr const char* kReading = "reading";
constexpr const char* kSight = "sight";

// The text speeds as the file writes them.
constexpr const char* kSpeedNames[] = {"slow", "normal", "fast", "instant"};

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
Result<void> read_int(GKeyFile* kf, const char* group, const char* key, int lo, int hi, int& out) {
  if (!g_key_file_has_key(kf, group, key, nullptr)) return {};
  GError* err = nullptr;
  const gint v = g_key_file_get_integer(kf, group, key, &err);
  if (err) return failure(std::string("[") + group + "] " + key + ": " + take_message(err));
  if (v < lo || v > hi)
    return failure(std::string("[") + group + "] " + key + "=" + std::to_string(v) +
                   " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
  out = v;
  return {};
}

Result<void> read_bool(GKeyFile* kf, const char* group, const char* key, bool& out) {
  if (!g_key_file_has_key(kf, group, key, nullptr)) return {};
  GError* err = nullptr;
  const gboolean v = g_key_file_get_boolean(kf, group, key, &err);
  if (err) return failure(std::string("[") + group + "] " + key + ": " + take_message(err));
  out = v != FALSE;
  return {};
}

// The text speed: absent keeps the default; present it must be one of its
// names.
Result<void> read_speed(GKeyFile* kf, TextSpeed& out) {
  if (!g_key_file_has_key(kf, kText, "speed", nullptr)) return {};
  gchar* v = g_key_file_get_string(kf, kText, "speed", nullptr);
  const std::string name = v ? v : "";
  g_free(v);
  for (size_t i = 0; i < std::size(kSpeedNames); ++i)
    if (name == kSpeedNames[i]) {
      out = static_cast<TextSpeed>(i);
      return {};
    }
  return failure(std::string("[") + kText + "] speed=" + name +
                 " is none of slow, normal, fast, instant");
}

// Every key the file may hold; the first damaged one's account.
Result<PlayerSettings> read_keys(GKeyFile* kf) {
  PlayerSettings s;
  for (const Result<void>& r : {
           read_int(kf, kView, "scale", 1, 3, s.scale),
           read_bool(kf, kView, "full_screen", s.full_screen),
           read_int(kf, kAuto, "delay_ms", 0, 60000, s.auto_delay_ms),
           read_int(kf, kAuto, "delay_per_char_ms", 0, 10000, s.auto_delay_per_char_ms),
           read_int(kf, kSound, "music_volume", 0, 100, s.music_volume),
           read_int(kf, kSound, "effects_volume", 0, 100, s.effects_volume),
           read_speed(kf, s.text_speed),
           read_bool(kf, kText, "skip_unread", s.skip_unread),
           read_bool(kf, kReading, "self_voicing", s.self_voicing),
           read_bool(kf, kSight, "large_text", s.large_text),
           read_bool(kf, kSight, "high_contrast", s.high_contrast),
       })
    if (!r) return r.failure();
  return s;
}

// The file a settings path stands for: a link is followed to what it points
// at, so that the player's own arrangement (a link into a synced folder)
// survives every save.
std::string followed(const std::string& path) {
  std::string p = path;
  for (int depth = 0; depth < 16 && g_file_test(p.c_str(), G_FILE_TEST_IS_SYMLINK); ++depth) {
    gchar* target = g_file_read_link(p.c_str(), nullptr);
    if (!target) break;
    if (g_path_is_absolute(target)) {
      p = target;
    } else {
      gchar* dir = g_path_get_dirname(p.c_str());
      gchar* joined = g_build_filename(dir, target, nullptr);
      p = joined;
      g_free(joined);
      g_free(dir);
    }
    g_free(target);
  }
  return p;
}

// A name nothing holds yet for a damaged file: settings.ini.bad, then
// settings.ini.bad.1, .2 ..., so that no earlier one is ever lost.
std::string free_aside_name(const std::string& path) {
  std::string aside = path + ".bad";
  for (int n = 1; g_file_test(aside.c_str(), G_FILE_TEST_EXISTS) ||
                  g_file_test(aside.c_str(), G_FILE_TEST_IS_SYMLINK);
       ++n)
    aside = path + ".bad." + std::to_string(n);
  return aside;
}

// The temporary files of saves that a kill cut short ("settings.ini.XXXXXX"
// beside the file), once they are old enough that no copy is still writing.
void remove_stale_temporaries(const std::string& path) {
  gchar* dir = g_path_get_dirname(path.c_str());
  gchar* base = g_path_get_basename(path.c_str());
  const std::string prefix = std::string(base) + ".";
  if (GDir* d = g_dir_open(dir, 0, nullptr)) {
    const gint64 now = g_get_real_time() / G_USEC_PER_SEC;
    while (const gchar* name = g_dir_read_name(d)) {
      const std::string n = name;
      if (n.size() != prefix.size() + 6 || n.compare(0, prefix.size(), prefix) != 0) continue;
      bool temporary = true;
      for (size_t i = prefix.size(); i < n.size(); ++i)
        temporary = temporary && g_ascii_isalnum(n[i]);
      gchar* full = g_build_filename(dir, name, nullptr);
      GStatBuf st;
      if (temporary && g_lstat(full, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > 60)
        g_remove(full);
      g_free(full);
    }
    g_dir_close(d);
  }
  g_free(base);
  g_free(dir);
}

}  // namespace

std::string default_settings_path(const std::string& game) {
  return std::string(g_get_user_config_dir()) + "/" + game + "/settings.ini";
}

namespace {

// The file's settings, or what is wrong with it.
Result<PlayerSettings> parse_settings_file(const std::string& path) {
  KeyFilePtr kf(g_key_file_new());
  GError* err = nullptr;
  gchar* text = nullptr;
  gsize length = 0;
  if (!g_file_get_contents(path.c_str(), &text, &length, &err)) return failure(take_message(err));
  // Editors on some desktops start a UTF-8 file with a byte-order mark.
  const char* start = text;
  if (length >= 3 && std::string_view(text, 3) == "\xEF\xBB\xBF") {
    start += 3;
    length -= 3;
  }
  // The key-file reader stops quietly at a NUL byte and passes bytes that
  // are no text at all: such a file is as damaged as one with a bad line.
  std::string problem;
  if (std::memchr(start, '\0', length) != nullptr)
    problem = "it holds a NUL byte";
  else if (!g_utf8_validate(start, static_cast<gssize>(length), nullptr))
    problem = "it is not UTF-8 text";
  else if (!g_key_file_load_from_data(kf.get(), start, length, G_KEY_FILE_NONE, &err))
    problem = take_message(err);
  g_free(text);
  if (!problem.empty()) return failure(problem);
  return read_keys(kf.get());
}

}  // namespace

PlayerSettings read_settings_file(const std::string& link, std::string* warning) {
  PlayerSettings defaults;
  const std::string path = followed(link);
  remove_stale_temporaries(path);
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return defaults;
  const Result<PlayerSettings> read = parse_settings_file(path);
  if (read) return read.value();
  // Damaged: the defaults stand, and the old file is kept beside the new one
  // for whoever wants to see what was wrong with it.
  const std::string aside = free_aside_name(path);
  const bool kept = g_rename(path.c_str(), aside.c_str()) == 0;
  if (warning)
    *warning = "the settings file " + path + " is damaged (" + read.error().what() +
               "); using the default settings" + (kept ? "; the old file is now " + aside : "");
  return defaults;
}

Result<PlayerSettings> read_settings_for_play(const std::string& path) {
  Result<PlayerSettings> read = parse_settings_file(followed(path));
  if (!read)
    return failure("the settings file " + path + " cannot be used: " + read.error().what());
  return read;
}

Result<void> write_settings_file(const std::string& link, const PlayerSettings& s) {
  const std::string path = followed(link);
  gchar* dir = g_path_get_dirname(path.c_str());
  const int made = g_mkdir_with_parents(dir, 0700);
  g_free(dir);
  if (made != 0) return failure("cannot create the folder of " + path);
  KeyFilePtr kf(g_key_file_new());
  g_key_file_set_integer(kf.get(), kView, "scale", s.scale);
  g_key_file_set_boolean(kf.get(), kView, "full_screen", s.full_screen);
  g_key_file_set_integer(kf.get(), kAuto, "delay_ms", s.auto_delay_ms);
  g_key_file_set_integer(kf.get(), kAuto, "delay_per_char_ms", s.auto_delay_per_char_ms);
  g_key_file_set_comment(kf.get(), kAuto, nullptr,
                         " After a message, auto-forward waits delay_ms plus delay_per_char_ms"
                         " for each of its characters.",
                         nullptr);
  g_key_file_set_integer(kf.get(), kSound, "music_volume", s.music_volume);
  g_key_file_set_integer(kf.get(), kSound, "effects_volume", s.effects_volume);
  g_key_file_set_comment(kf.get(), kSound, nullptr,
                         " The player's levels in percent, over the game's own volume.", nullptr);
  const size_t speed = static_cast<size_t>(s.text_speed);
  g_key_file_set_string(kf.get(), kText, "speed",
                        kSpeedNames[speed < std::size(kSpeedNames) ? speed : 1]);
  g_key_file_set_boolean(kf.get(), kText, "skip_unread", s.skip_unread);
  g_key_file_set_comment(kf.get(), kText, nullptr,
                         " speed: slow, normal, fast or instant; skip_unread: skipping goes on"
                         " past text not read before.",
                         nullptr);
  g_key_file_set_boolean(kf.get(), kReading, "self_voicing", s.self_voicing);
  g_key_file_set_comment(kf.get(), kReading, nullptr,
                         " self_voicing: the game read aloud through the desktop's speech service.",
                         nullptr);
  g_key_file_set_boolean(kf.get(), kSight, "large_text", s.large_text);
  g_key_file_set_boolean(kf.get(), kSight, "high_contrast", s.high_contrast);
  g_key_file_set_comment(kf.get(), kSight, nullptr,
                         " large_text: the messages one size larger; high_contrast: the message"
                         " window opaque.",
                         nullptr);
  GError* err = nullptr;
  // Written to a temporary file and renamed: a crash never leaves half a file.
  if (!g_key_file_save_to_file(kf.get(), path.c_str(), &err))
    return failure("cannot write " + path + ": " + take_message(err));
  return {};
}

FileSettingsStore::FileSettingsStore(std::string path, EventLog& log)
    : path_(std::move(path)), log_(log) {
  std::string warning;
  current_ = read_settings_file(path_, &warning);
  if (!warning.empty()) {
    log_.record(LogEvent::warning(warning));
    save_settings(current_);
  }
}

void FileSettingsStore::save_settings(const PlayerSettings& s) {
  current_ = s;
  const Result<void> written = write_settings_file(path_, s);
  if (!written) log_.record(LogEvent::warning(written.error().what()));
}

}  // namespace vm
