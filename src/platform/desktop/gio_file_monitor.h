// The desktop's file monitor: GLib's own monitor of a folder (inotify on
// Linux), whose notices are posted to the main window's queue.
#pragma once

#include <memory>

#include "platform/files.h"

namespace vm {

class GtkMainWindow;

std::unique_ptr<FileMonitor> make_gio_file_monitor(GtkMainWindow& window);

}  // namespace vm
