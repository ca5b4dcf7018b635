// The program's command line: velmora [--scale N] [--fullscreen] [DATA_DIR]
// or [--dev EDIT_DIR],
// and the --help and --version answers.
#pragma once

#include <string>
#include <vector>

namespace vm {

struct CommandLine {
  bool help = false;
  bool version = false;
  int scale = 0;             // 0: as the settings say
  bool full_screen = false;  // true: full screen for this run
  bool dev = false;          // --dev: data_dir is an editable folder to play as it is saved
  std::string data_dir;      // empty: the usual search
  std::string error;         // what was wrong, for standard error
};

// Reads the arguments after the program name.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The --help text and the --version line.
std::string usage_text();
std::string version_text();

}  // namespace vm
