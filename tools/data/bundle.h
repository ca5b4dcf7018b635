// velmora-data bundle: a game made ready for its players, as a folder to
// unpack anywhere (a tarball) and as a Debian package. The texts that travel
// with it (launchers, desktop entry, README, package files) are written here
// from what the author gave on the command line.
#pragma once

#include <string>
#include <vector>

namespace vm::datatool {

struct Bundle {
  std::string source;  // a data folder at rest or an edit folder
  std::string name;    // what players call the game: "My Game"
  std::string id;      // reverse-DNS: org.example.mygame
  std::string icon;    // a square PNG, or empty for the drawn one
  std::string version = "1.0";
  std::string out;         // where the tarball and the package go
  std::string game;        // the id's last part: files, folders, package
  std::string maintainer;  // "Name <mail>" for the package
  // What software centres show of the game: the line under its name
  // (game.ini's summary), its licence (an SPDX expression), its makers
  // (DEBFULLNAME, "" unknown) and home page (game.ini's home, "" none).
  std::string summary = "A visual novel";
  std::string license = "LicenseRef-proprietary";
  std::string developer;
  std::string home;
};

// The game's short name from its id ("" when the id is not reverse-DNS
// made of letters, digits, '-' and '_', or its last part is no package name).
std::string game_of_id(const std::string& id);

// The launcher: the program on the game's data, with the player's folders
// named after the game. tarball: found beside the launcher, wherever it was
// unpacked; else the package's fixed places.
std::string launcher_text(const Bundle& b, bool tarball);
// The desktop entry, as the file ID.desktop (the name software centres
// find it by).
std::string desktop_entry(const Bundle& b, const std::string& exec);
std::string desktop_file_name(const Bundle& b);
// The AppStream metainfo of the package, /usr/share/metainfo/ID.metainfo.xml:
// what software centres list the game by. date: the release's, YYYY-MM-DD.
std::string metainfo_text(const Bundle& b, const std::string& date);
// packages: the Debian packages the program needs, for the README's one
// install command.
std::string player_readme(const Bundle& b, const std::vector<std::string>& packages);

// The package's own files.
std::string control_text(const Bundle& b, const std::string& arch, const std::string& depends,
                         long installed_kib);
std::string copyright_text(const Bundle& b, const std::string& year);
// date in the form of RFC 5322 ("Wed, 09 Dec 2026 00:33:27 +0000").
std::string changelog_text(const Bundle& b, const std::string& date);
std::string man_page(const Bundle& b);

// The packages the game needs besides the libraries the program links: its
// fonts; and those it is better with: the SoundFont its music plays through,
// the desktop's opener for the About box's links.
extern const char* const kGameDepends;
extern const char* const kGameRecommends;

}  // namespace vm::datatool
