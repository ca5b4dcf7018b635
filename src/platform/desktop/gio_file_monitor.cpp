#include "platform/desktop/gio_file_monitor.h"

#include <gio/gio.h>

#include "platform/desktop/gtk_window.h"

namespace vm {

namespace {

class GioFileMonitor : public FileMonitor {
 public:
  explicit GioFileMonitor(GtkMainWindow& window) : window_(window) {}
  ~GioFileMonitor() override { stop(); }
  GioFileMonitor(const GioFileMonitor&) = delete;
  GioFileMonitor& operator=(const GioFileMonitor&) = delete;

  Result<void> watch(const std::string& dir) override {
    stop();
    GFile* folder = g_file_new_for_path(dir.c_str());
    GError* err = nullptr;
    // Moves are reported as moves, so that an editor that saves by renaming
    // a temporary file over the old one is seen saving the old one's name.
    monitor_ = g_file_monitor_directory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, &err);
    g_object_unref(folder);
    if (!monitor_) {
      const std::string why = err && err->message ? err->message : "cannot watch the folder";
      if (err) g_error_free(err);
      return DataError("", 0, "", why);
    }
    handler_ = g_signal_connect(monitor_, "changed", G_CALLBACK(on_changed), this);
    return {};
  }

 private:
  void stop() {
    if (!monitor_) return;
    g_signal_handler_disconnect(monitor_, handler_);
    g_file_monitor_cancel(monitor_);
    g_object_unref(monitor_);
    monitor_ = nullptr;
  }

  // Only queues the file's name; the game looks at it from do_events. A
  // file being written reports when it is done, not at every block.
  static void on_changed(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event,
                         gpointer self) {
    GFile* named = nullptr;
    switch (event) {
      case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
      case G_FILE_MONITOR_EVENT_DELETED:
      case G_FILE_MONITOR_EVENT_MOVED_IN:
      case G_FILE_MONITOR_EVENT_MOVED_OUT:
        named = file;
        break;
      case G_FILE_MONITOR_EVENT_RENAMED:
        named = other;
        break;
      default:
        return;
    }
    if (!named) return;
    gchar* base = g_file_get_basename(named);
    if (!base) return;
    GtkMainWindow& window = static_cast<GioFileMonitor*>(self)->window_;
    guarded(window.callback_failures(), "the watch of the author's folder", [&] {
      InputEvent ev;
      ev.kind = InputEvent::FileChanged;
      ev.name = base;
      window.post(std::move(ev));
    });
    g_free(base);
  }

  GtkMainWindow& window_;
  GFileMonitor* monitor_ = nullptr;
  gulong handler_ = 0;
};

}  // namespace

std::unique_ptr<FileMonitor> make_gio_file_monitor(GtkMainWindow& window) {
  return std::make_unique<GioFileMonitor>(window);
}

}  // namespace vm
