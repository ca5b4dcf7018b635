#include "app/command_line.h"

namespace vm {

namespace {

bool parse_scale(const std::string& text, int& scale) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '3') return false;
  scale = text[0] - '0';
  return true;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CommandLine cl;
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options_done && a == "--") {
      options_done = true;
    } else if (!options_done && (a == "--help" || a == "-h")) {
      cl.help = true;
    } else if (!options_done && (a == "--version" || a == "-V")) {
      cl.version = true;
    } else if (!options_done && a == "--dev") {
      cl.dev = true;
    } else if (!options_done && (a == "--fullscreen" || a == "--full-screen")) {
      cl.full_screen = true;
    } else if (!options_done && (a == "--scale" || a.rfind("--scale=", 0) == 0)) {
      std::string value;
      if (a == "--scale") {
        if (i + 1 >= args.size()) {
          cl.error = "--scale needs a number: 1, 2 or 3";
          return cl;
        }
        value = args[++i];
      } else {
        value = a.substr(8);
      }
      if (!parse_scale(value, cl.scale)) {
        cl.error = "--scale " + value + ": the scale is 1, 2 or 3";
        return cl;
      }
    } else if (!options_done && a.size() > 1 && a[0] == '-') {
      cl.error = "unknown option " + a;
      return cl;
    } else if (cl.data_dir.empty()) {
      if (a.empty()) {
        cl.error = "the data folder name is empty";
        return cl;
      }
      cl.data_dir = a;
    } else {
      cl.error = "only one data folder can be given (" + cl.data_dir + ", " + a + ")";
      return cl;
    }
  }
  if (cl.dev && cl.data_dir.empty()) cl.error = "--dev needs the editable folder to play";
  return cl;
}

std::string usage_text() {
  return "Usage: velmora [--scale N] [--fullscreen] [DATA_DIR]\n"
         "       velmora [--scale N] [--fullscreen] --dev EDIT_DIR\n"
         "Plays the visual novel Velmora.\n"
         "\n"
         "  --scale N      show the 640 x 480 screen N times larger (1, 2 or 3)\n"
         "  --fullscreen   start in full screen (F11 switches, Escape leaves)\n"
         "  DATA_DIR       play this data folder instead of the installed game\n"
         "  --dev EDIT_DIR play an editable folder (velmora-data unpack) as it is:\n"
         "                 a file saved there is played at once; nothing is written\n"
         "                 into it (saves go to $XDG_CACHE_HOME/velmora/dev/)\n"
         "  --help         show this help and exit\n"
         "  --version      show the version and exit\n"
         "\n"
         "Without DATA_DIR the game plays the folder \"data\" beside the program, else\n"
         "the program's own folder when it holds the game, else the installed data.\n"
         "The scale and full screen given here hold for this run; the menu \"表示\"\n"
         "changes them for good (they are kept in $XDG_CONFIG_HOME/velmora/settings.ini).\n";
}

std::string version_text() {
  return "velmora 1.10\n";
}

}  // namespace vm
