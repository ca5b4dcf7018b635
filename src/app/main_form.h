// The start routine, the main window's initialisation and event handling, and
// the one shutdown sequence every orderly end goes through.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vm {

struct Game;
struct DevView;
class DevHooks;

// What a dev run adds to the game, made once the game exists from the view
// the game hands it.
using DevStart = std::function<std::unique_ptr<DevHooks>(const DevView&)>;

// The start routine: single copy, Form_Load, then idles handling events until
// the program ends. Returns the process exit code. A dev run (velmora --dev)
// hands what it adds.
int run_game(Platform& pf, const std::string& data_dir, const DevStart& dev = {});

// Form_Load with the data folder already found.
void form_load(Game& g, const std::string& data_dir);

// Lays out the surfaces of the main window.
void layout_screen(Game& g);

// Dispatches a window event to the main window's handlers.
void handle_event(Game& g, const InputEvent& ev);

// The main window as the platform's event sink.
class MainFormEvents : public EventSink {
 public:
  explicit MainFormEvents(Game& g) : g_(g) {}
  void on_event(const InputEvent& ev) override { handle_event(g_, ev); }

 private:
  Game& g_;
};

// The unload handler: volume, music, the system file (only when it was read),
// every restored picture disguised again; then ends the process (throws
// EndProcess, exit status 1 when failure is set or a file could not be
// written).
[[noreturn]] void unload_main_form(Game& g, bool failure = false);

// The quit menu item.
void on_prog_end(Game& g);

}  // namespace vm
