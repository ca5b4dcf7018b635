#include "platform/desktop/desktop.h"

#include <fcntl.h>
#include <glib.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "platform/common/disk_files.h"
#include "platform/common/folder_lock.h"
#include "platform/common/pango_text.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/common/settings_file.h"
#include "platform/desktop/audio.h"
#include "platform/desktop/gio_file_monitor.h"
#include "platform/desktop/gtk_forms.h"
#include "platform/desktop/gtk_window.h"
#include "platform/desktop/sdl_pad.h"
#include "platform/desktop/spd_speech.h"

namespace vm {

namespace {

class DesktopClock : public Clock {
 public:
  uint32_t tick_count() override {
    return static_cast<uint32_t>(static_cast<uint64_t>(g_get_monotonic_time() / 1000));
  }
  // The game's waits (a notice's second, the pause between dissolve steps)
  // keep the window painting and collecting input: the toolkit runs until
  // the time is up. Its handlers only queue what arrives; the game takes it
  // at its next do_events, as before.
  void sleep(int ms) override {
    if (ms <= 0) return;
    bool due = false;
    g_timeout_add_full(
        G_PRIORITY_HIGH, static_cast<guint>(ms),
        [](gpointer flag) -> gboolean {
          *static_cast<bool*>(flag) = true;
          return G_SOURCE_REMOVE;
        },
        &due, nullptr);
    while (!due) g_main_context_iteration(nullptr, TRUE);
  }
  DateTime local_time() override {
    GDateTime* now = g_date_time_new_now_local();
    DateTime t{g_date_time_get_year(now), g_date_time_get_month(now),
               g_date_time_get_day_of_month(now), g_date_time_get_hour(now),
               g_date_time_get_minute(now)};
    g_date_time_unref(now);
    return t;
  }
};

// An advisory lock held for the life of the process.
class FileLockSingleCopy : public SingleCopy {
 public:
  ~FileLockSingleCopy() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool other_copy_running() override {
    if (checked_) return other_;
    checked_ = true;
    const std::string path = lock_path();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      // No lock to be had: better to start than to refuse for ever.
      std::cerr << "velmora: warning: cannot open " << path << ": " << std::strerror(errno) << "\n";
      return other_ = false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return other_ = false;
    other_ = (errno == EWOULDBLOCK);
    ::close(fd_);
    fd_ = -1;
    return other_;
  }
  // Another user's copy, or one started with another runtime folder, has a
  // lock of its own: the data folder is held as well.
  std::unique_ptr<FolderHold> hold_data_folder(const std::string& data_dir) override {
    return FolderLock::take(data_dir);
  }

 private:
  static std::string lock_path() {
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && g_file_test(runtime, G_FILE_TEST_IS_DIR)) {
      return std::string(runtime) + "/" + game_folder_name() + ".lock";
    }
    return "/tmp/" + game_folder_name() + "-" + std::to_string(::getuid()) + ".lock";
  }

  bool checked_ = false;
  bool other_ = false;
  int fd_ = -1;
};

class XdgShell : public Shell {
 public:
  explicit XdgShell(EventLog& log) : log_(log) {}
  void open_with_shell(const std::string& target) override {
    std::string t = target;
    // A bare mail address goes to the mail program.
    if (t.find('@') != std::string::npos && t.find(':') == std::string::npos) t = "mailto:" + t;
    gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(t.c_str()), nullptr};
    GError* err = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib reaps the child itself.
    if (!g_spawn_async(nullptr, argv, nullptr,
                       static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL),
                       nullptr, nullptr, nullptr, &err)) {
      log_.record(LogEvent::warning("cannot open " + t + ": " +
                                    (err && err->message ? err->message : "xdg-open failed")));
      if (err) g_error_free(err);
    }
  }

 private:
  EventLog& log_;
};

// The desktop keeps no log; warnings and the details behind an error
// message are for the player, on standard error.
class StderrLog : public EventLog {
 public:
  void record(const LogEvent& e) override {
    if (e.kind == LogKind::Warning || e.kind == LogKind::Error)
      std::cerr << "velmora: " << log_line(e) << std::endl;
  }
};

}  // namespace

struct Desktop::Impl {
  StderrLog log;
  GtkMainWindow window{log};
  GtkDialogs dialogs{window};
  GtkForms forms{window};
  DesktopClock clock;
  DiskFiles files;
  PixbufPictures pictures{files};
  PangoText text;
  DesktopAudio audio;
  FileLockSingleCopy single_copy;
  XdgShell shell{log};
  FileSettingsStore settings{default_settings_path(game_folder_name()), log};
  std::unique_ptr<Speech> speech = make_spd_speech(log);
  std::unique_ptr<Platform> platform;
  std::unique_ptr<FileMonitor> monitor = make_gio_file_monitor(window);
  SdlPad pad{window, log};  // closed first, before the audio's SDL goes

  Impl() : audio(make_desktop_audio(log)) {
    dialogs.set_settings(&settings);
    window.set_settings(&settings);
    platform.reset(new Platform{.window = window,
                                .clock = clock,
                                .dialogs = dialogs,
                                .pictures = pictures,
                                .text = text,
                                .music = *audio.music,
                                .effects = *audio.effects,
                                .volume = *audio.volume,
                                .single_copy = single_copy,
                                .shell = shell,
                                .log = log,
                                .forms = forms,
                                .settings = settings,
                                .files = files,
                                .speech = *speech});
  }
};

namespace {

// gtk_init_check before any widget exists; a missing display is an error the
// caller reports, not an exit inside GTK.
//
// Nothing of the game draws with OpenGL (it presents through cairo and
// shared-memory images), yet GTK would load the desktop's OpenGL driver at
// start-up only to choose a visual for it: megabytes of private memory and a
// slower first window for nothing. A player's own GDK_GL is left in force;
// ours is taken back once GTK has read it, so nothing the game starts (the
// browser for a link) inherits it.
int* init_gtk(int* argc, char*** argv) {
  const bool own_gl_choice = g_getenv("GDK_GL") != nullptr;
  if (!own_gl_choice) g_setenv("GDK_GL", "disable", TRUE);
  const bool ok = gtk_init_check(argc, argv);
  if (!own_gl_choice) g_unsetenv("GDK_GL");
  if (!ok) {
    throw DataError("", 0, "", "cannot open the display (is DISPLAY set?)");
  }
  return argc;
}

}  // namespace

Desktop::Desktop(int* argc, char*** argv) {
#ifdef __GLIBC__
  // Screen-sized pictures come and go with every scene. The allocator would
  // otherwise raise its own bar for mapping blocks apart each time one is
  // freed and then keep the next ones in its heap, where they stay resident
  // long after the scene is gone; at a fixed bar each goes back to the
  // system as it is freed.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
  // A shipped game's windows carry its own name (WM_CLASS), so the desktop
  // matches them to its desktop entry and icon.
  if (game_folder_name() != "velmora") g_set_prgname(game_folder_name().c_str());
  init_gtk(argc, argv);
  impl_ = std::make_unique<Impl>();
}

Desktop::~Desktop() = default;

Platform& Desktop::platform() {
  return *impl_->platform;
}

FileMonitor& Desktop::file_monitor() {
  return *impl_->monitor;
}

void Desktop::override_settings(const PlayerSettings& s) {
  impl_->settings.override_for_run(s);
}

std::string program_dir() {
  char buf[PATH_MAX + 1];
  const ssize_t n = ::readlink("/proc/self/exe", buf, PATH_MAX);
  std::string path;
  if (n > 0) {
    path.assign(buf, static_cast<size_t>(n));
  } else {
    gchar* cwd = g_get_current_dir();
    path = std::string(cwd) + "/velmora";
    g_free(cwd);
  }
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string game_folder_name() {
  // Only a plain folder name: anything else is velmora's own.
  const char* given = g_getenv("VELMORA_GAME");
  const std::string name = given ? given : "";
  const bool plain =
      !name.empty() && name[0] != '.' &&
      name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.+-_") == std::string::npos;
  return plain ? name : "velmora";
}

DataPlaces data_places() {
  const std::string program = program_dir();
  const std::string game = game_folder_name();
  const char* shipped = g_getenv("VELMORA_GAME_DATA");
  if (game != "velmora" && shipped && *shipped) {
    std::string data = shipped;
    if (data.back() != '/') data += '/';
    return {program, data, std::string(g_get_user_data_dir()) + "/" + game + "/", true};
  }
  return {program, program + VELMORA_INSTALLED_DATA "/",
          std::string(g_get_user_data_dir()) + "/velmora/data/"};
}

}  // namespace vm
