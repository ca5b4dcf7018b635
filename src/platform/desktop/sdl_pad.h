// Game controllers on the desktop: SDL's game-controller subsystem alone (the
// audio opens its own; no SDL window ever exists), polled from a GLib timeout
// on the game's one thread. A controller is a second keyboard: its presses
// reach the main window as its keys do, and any other window of ours that
// holds the focus (a dialog, the history, a menu that is open) as the keys
// GTK itself handles there.
#pragma once

#include <SDL.h>
#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "platform/common/pad_map.h"
#include "platform/desktop/gtk_window.h"

namespace vm {

class SdlPad {
 public:
  SdlPad(GtkMainWindow& window, EventLog& log);
  ~SdlPad();
  SdlPad(const SdlPad&) = delete;
  SdlPad& operator=(const SdlPad&) = delete;

  // The controllers open now (plugged in before or while the game runs).
  int open_count() const { return static_cast<int>(pads_.size()); }

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    PadState state;
  };

  static gboolean on_poll(gpointer self);
  // Takes SDL's events; false when the timeout must be set again at a new pace.
  bool poll();
  void take(const SDL_Event& e, uint32_t now);
  void open(int device_index);
  void close(SDL_JoystickID id);
  Pad* find(SDL_JoystickID id);
  void act(const std::vector<PadChange>& changes);
  // Polled often while a controller is open, seldom while the game waits for one.
  guint pace() const;
  void schedule();

  GtkMainWindow& window_;
  bool started_ = false;
  guint source_ = 0;
  guint interval_ = 0;
  std::vector<std::unique_ptr<Pad>> pads_;
};

}  // namespace vm
