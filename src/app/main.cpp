// The velmora program: the desktop platform around the game's start routine.
// velmora [--scale N] [--fullscreen] [DATA_DIR | --dev EDIT_DIR]; --help and
// --version answer without a display.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/main_form.h"
#include "authoring/packing.h"
#include "dev/dev_run.h"
#include "platform/common/user_cache.h"
#include "platform/desktop/desktop.h"

int main(int argc, char** argv) {
  // Help and version first: they need no display.
  const std::vector<std::string> all(argv + 1, argv + argc);
  for (const std::string& a : all) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      std::cout << vm::usage_text();
      return 0;
    }
    if (a == "--version" || a == "-V") {
      std::cout << vm::version_text();
      return 0;
    }
  }
  vm::hold_termination_signals();
  try {
    // The toolkit takes its own options (--display ...) out of argv first.
    vm::Desktop desktop(&argc, &argv);
    const vm::CommandLine cl = vm::parse_command_line({argv + 1, argv + argc});
    if (!cl.error.empty()) {
      std::cerr << "velmora: " << cl.error << "\n" << vm::usage_text();
      return 2;
    }
    vm::PlayerSettings s = desktop.platform().settings.settings();
    if (cl.scale > 0) {
      s.scale = cl.scale;
      s.full_screen = false;
    }
    if (cl.full_screen) s.full_screen = true;
    desktop.override_settings(s);
    vm::Platform& pf = desktop.platform();
    // An editable folder (what velmora-data unpack writes) is played as the
    // dev run plays it: the game cannot read it as it stands.
    const bool edit_folder =
        !cl.dev && !cl.data_dir.empty() && vm::datatool::is_edit_folder(pf.files, cl.data_dir);
    if (edit_folder)
      std::cerr << "velmora: " << cl.data_dir
                << " is an editable folder; playing it as velmora --dev does\n";
    if (cl.dev || edit_folder) {
      vm::dev::DevRun dev(pf, desktop.file_monitor(), cl.data_dir, vm::user_cache_dir());
      return dev.run();
    }
    const std::string data_dir =
        cl.data_dir.empty() ? vm::find_game_data(pf.files, vm::data_places(), pf.log) : cl.data_dir;
    return vm::run_game(pf, data_dir);
  } catch (vm::EndProcess& e) {
    return e.code;
  } catch (std::exception& e) {
    std::cerr << "velmora: " << e.what() << std::endl;
    return 1;
  }
}
