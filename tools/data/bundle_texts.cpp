#include <cctype>
#include <sstream>

#include "data/bundle.h"

namespace vm::datatool {

const char* const kGameDepends = "fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-liberation2";
const char* const kGameRecommends = "timgm6mb-soundfont, xdg-utils";

namespace {

// A desktop entry's string value: a backslash is written doubled.
std::string desktop_value(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// Text for a manual page line: backslashes and hyphens escaped, no request
// read from a leading dot or quote.
std::string roff(const std::string& s) {
  std::string out = s.empty() || (s[0] != '.' && s[0] != '\'') ? "" : "\\&";
  for (char c : s) {
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
  }
  return out;
}

// Text for XML content and attribute values.
std::string xml_text(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string game_of_id(const std::string& id) {
  std::vector<std::string> parts;
  std::istringstream in(id);
  for (std::string p; std::getline(in, p, '.');) parts.push_back(p);
  if (parts.size() < 2 || id.back() == '.') return "";
  for (const std::string& p : parts) {
    if (p.empty() || std::isdigit(static_cast<unsigned char>(p[0])) || p[0] == '-' || p[0] == '_')
      return "";
    for (char c : p)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return "";
  }
  std::string game;
  for (char c : parts.back())
    game += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return game.size() < 2 ? "" : game;
}

std::string launcher_text(const Bundle& b, bool tarball) {
  std::ostringstream s;
  s << "#!/bin/sh\n"
    << "# Plays " << b.name << ": the Velmora program on the game's own data. The\n"
    << "# player's saves, gallery and settings are kept under the name " << b.game << ".\n"
    << "# Options (--scale N, --fullscreen) go to the program.\n";
  if (tarball) {
    s << "here=$(dirname \"$(readlink -f \"$0\")\")\n"
      << "VELMORA_GAME=" << b.game << "\n"
      << "VELMORA_GAME_DATA=$here/data\n"
      << "export VELMORA_GAME VELMORA_GAME_DATA\n"
      << "exec \"$here/bin/velmora\" \"$@\"\n";
  } else {
    s << "VELMORA_GAME=" << b.game << "\n"
      << "VELMORA_GAME_DATA=/usr/share/games/" << b.game << "\n"
      << "export VELMORA_GAME VELMORA_GAME_DATA\n"
      << "exec /usr/lib/games/" << b.game << "/velmora \"$@\"\n";
  }
  return s.str();
}

std::string desktop_entry(const Bundle& b, const std::string& exec) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" +
         desktop_value(b.name) +
         "\n"
         "GenericName=Visual Novel\n"
         "Comment=" +
         desktop_value(b.name) +
         ", a visual novel\n"
         "Exec=" +
         exec +
         "\n"
         "Icon=" +
         b.game +
         "\n"
         "Terminal=false\n"
         "Categories=Game;AdventureGame;\n"
         "Keywords=visual novel;adventure;\n"
         // The file is named after the id; the window is named after the game.
         "StartupWMClass=" +
         b.game + "\n";
}

std::string desktop_file_name(const Bundle& b) {
  return b.id + ".desktop";
}

std::string metainfo_text(const Bundle& b, const std::string& date) {
  std::ostringstream s;
  s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<component type=\"desktop-application\">\n"
    << "  <id>" << xml_text(b.id) << "</id>\n"
    << "  <metadata_license>FSFAP</metadata_license>\n"
    << "  <project_license>" << xml_text(b.license) << "</project_license>\n"
    << "  <name>" << xml_text(b.name) << "</name>\n"
    << "  <summary>" << xml_text(b.summary) << "</summary>\n"
    << "  <description>\n"
    << "    <p>" << xml_text(b.name)
    << " is a visual novel: its story is told in a message window over pictures, with music "
       "and choices that lead to its endings.</p>\n"
    << "  </description>\n";
  if (!b.developer.empty())
    s << "  <developer_name>" << xml_text(b.developer) << "</developer_name>\n";
  if (!b.home.empty()) s << "  <url type=\"homepage\">" << xml_text(b.home) << "</url>\n";
  s << "  <launchable type=\"desktop-id\">" << xml_text(desktop_file_name(b)) << "</launchable>\n"
    << "  <icon type=\"stock\">" << b.game << "</icon>\n"
    << "  <categories>\n    <category>Game</category>\n"
    << "    <category>AdventureGame</category>\n  </categories>\n"
    << "  <provides>\n    <binary>" << b.game << "</binary>\n  </provides>\n"
    << "  <content_rating type=\"oars-1.1\"/>\n"
    << "  <releases>\n"
    << "    <release version=\"" << xml_text(b.version) << "\" date=\"" << date << "\"/>\n"
    << "  </releases>\n"
    << "</component>\n";
  return s.str();
}

std::string player_readme(const Bundle& b, const std::vector<std::string>& packages) {
  std::ostringstream s;
  const std::string folder = b.game + "-" + b.version;
  s << b.name << " " << b.version << "\n\n"
    << "A visual novel, played with the Velmora engine.\n\n"
    << "PLAYING\n\n"
    << "Unpack the archive anywhere and start the launcher " << b.game << " in the\n"
    << "folder " << folder << " (double-click it, or in a terminal: ./" << b.game << ").\n"
    << "It plays from any folder, and a path with spaces is fine.\n\n"
    << "  ./" << b.game << " --scale 2       the window twice as large (1, 2 or 3)\n"
    << "  ./" << b.game << " --fullscreen    full screen (F11 switches, Escape leaves)\n\n"
    << "WHAT IT NEEDS\n\n"
    << "A Debian 12 desktop (or one with the same libraries) on a 64-bit PC. The\n"
    << "program uses the system's own libraries, fonts and SoundFont; install\n"
    << "them with:\n\n"
    << "  sudo apt-get install";
  size_t column = 22;
  for (const std::string& p : packages) {
    if (column + p.size() > 72) {
      s << " \\\n   ";
      column = 3;
    }
    s << " " << p;
    column += p.size() + 1;
  }
  s << "\n\n"
    << "SAVES, GALLERY AND SETTINGS\n\n"
    << "The first start copies the game's data (the folder data/ here) to\n"
    << "~/.local/share/" << b.game << "/ ($XDG_DATA_HOME/" << b.game << "/) and plays that copy:\n"
    << "saved games (00.dat to 04.dat) and the gallery pictures you have seen\n"
    << "are kept there, so this folder is never written and can be moved.\n"
    << "A newer version of the game, unpacked or installed in its place, is\n"
    << "picked up at the next start: the copy gets the new game's files and\n"
    << "keeps your saves (00.dat to 04.dat, the quick slot 05.dat), the gallery\n"
    << "pictures seen and the messages read whose text did not change.\n"
    << "The window size and sound levels are kept in\n"
    << "~/.config/" << b.game << "/settings.ini.\n\n"
    << "IN THE DESKTOP'S MENU\n\n"
    << "From this folder, in a terminal:\n\n"
    << "  mkdir -p ~/.local/share/applications ~/.local/share/icons\n"
    << "  cp -r icons/hicolor ~/.local/share/icons/\n"
    << "  sed \"s|^Exec=.*|Exec=\\\"$PWD/" << b.game << "\\\"|\" " << desktop_file_name(b)
    << " \\\n    > ~/.local/share/applications/" << desktop_file_name(b) << "\n";
  return s.str();
}

std::string control_text(const Bundle& b, const std::string& arch, const std::string& depends,
                         long installed_kib) {
  std::ostringstream s;
  s << "Package: " << b.game << "\n"
    << "Version: " << b.version << "\n"
    << "Architecture: " << arch << "\n"
    << "Maintainer: " << b.maintainer << "\n"
    << "Installed-Size: " << installed_kib << "\n"
    << "Depends: " << (depends.empty() ? "" : depends + ", ") << kGameDepends << "\n"
    << "Recommends: " << kGameRecommends << "\n"
    << "Section: games\n"
    << "Priority: optional\n"
    << "Description: " << b.name << ", a visual novel\n"
    << " " << b.name << " is a visual novel: its story is told in a message window\n"
    << " over pictures, with music and choices that lead to its endings. It is\n"
    << " played with the Velmora engine.\n";
  return s.str();
}

std::string copyright_text(const Bundle& b, const std::string& year) {
  return b.name + " " + b.version +
         ", made with the Velmora visual-novel engine.\n\n"
         "Copyright " +
         year + " " + b.maintainer +
         "\n\n"
         "The story, pictures and music are the work of the game's authors;\n"
         "ask them before you share or change them.\n";
}

std::string changelog_text(const Bundle& b, const std::string& date) {
  return b.game + " (" + b.version + ") unstable; urgency=medium\n\n  * " + b.name + " " +
         b.version + ".\n\n -- " + b.maintainer + "  " + date + "\n";
}

std::string man_page(const Bundle& b) {
  std::ostringstream s;
  s << ".TH " << upper(b.game) << " 6 \"\" \"" << roff(b.version) << "\" \"Games\"\n"
    << ".SH NAME\n"
    << roff(b.game) << " \\- play " << roff(b.name) << ", a visual novel\n"
    << ".SH SYNOPSIS\n"
    << ".B " << roff(b.game) << "\n"
    << "[\\fB\\-\\-scale\\fR \\fIN\\fR] [\\fB\\-\\-fullscreen\\fR]\n"
    << ".SH DESCRIPTION\n"
    << roff(b.name) << " is a visual novel played with the Velmora engine.\n"
    << "Click, Enter or Space goes on; the menu bar saves, loads and sets the options.\n"
    << ".TP\n"
    << "\\fB\\-\\-scale\\fR \\fIN\\fR\n"
    << "shows the 640 x 480 screen N times larger (1, 2 or 3)\n"
    << ".TP\n"
    << "\\fB\\-\\-fullscreen\\fR\n"
    << "starts in full screen (F11 switches, Escape leaves)\n"
    << ".SH FILES\n"
    << ".TP\n"
    << "\\fI/usr/share/games/" << roff(b.game) << "/\\fR\n"
    << "the game's data, copied once to the player's own folder\n"
    << ".TP\n"
    << "\\fI$XDG_DATA_HOME/" << roff(b.game) << "/\\fR (\\fI~/.local/share/" << roff(b.game)
    << "/\\fR)\n"
    << "the player's copy: saved games and the gallery pictures seen\n"
    << ".TP\n"
    << "\\fI$XDG_CONFIG_HOME/" << roff(b.game) << "/settings.ini\\fR\n"
    << "the window size, sound levels and text speed\n";
  return s.str();
}

}  // namespace vm::datatool
