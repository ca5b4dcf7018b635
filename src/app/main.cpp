// The velmora program: the desktop platform around the game's start routine.
#include <exception>
#include <iostream>

#include "app/main_form.h"
#include "assets/assets.h"
#include "platform/desktop/desktop.h"

int main(int argc, char** argv) {
  vm::hold_termination_signals();
  try {
    vm::Desktop desktop(&argc, &argv);
    return vm::run_game(desktop.platform(), vm::find_data_dir(vm::program_dir()));
  } catch (vm::EndProcess& e) {
    return e.code;
  } catch (std::exception& e) {
    std::cerr << "velmora: " << e.what() << std::endl;
    return 1;
  }
}
