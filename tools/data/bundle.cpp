// velmora-data bundle DATA_OR_EDIT_DIR [--name NAME] --id ID [--icon PNG]
// [--version V] [--license SPDX] OUT_DIR: the game's data at rest (packed
// from an edit folder, refused on any error of the check), the program,
// launchers, the desktop entry, icons and (in the package) the metainfo
// software centres list the game by, as NAME-V-linux-ARCH.tar.gz and
// NAME_V_ARCH.deb.
#include "data/bundle.h"

#include <fcntl.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "assets/assets.h"
#include "assets/data_folder.h"
#include "assets/game_words.h"
#include "assets/picture_table.h"
#include "authoring/layout.h"
#include "authoring/pictures.h"
#include "data/data_tool.h"
#include "platform/common/disk_files.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/errors.h"

namespace vm::datatool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kBundleUsage =
    "usage: velmora-data bundle DATA_OR_EDIT_DIR [--name NAME] --id ID [--icon PNG]\n"
    "                           [--version V] [--license SPDX] OUT_DIR\n";
// The sizes of the drawn icon; a given one keeps its own.
constexpr int kIconSizes[] = {48, 128, 256};
// The sizes the desktop's icon theme has folders for.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// The option's value after args[i], or false.
bool take_value(const std::vector<std::string>& args, size_t& i, std::string& value) {
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

bool parse_bundle(const std::vector<std::string>& args, Bundle& b, std::ostream& err) {
  std::vector<std::string> plain;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* to = a == "--name"      ? &b.name
                      : a == "--id"      ? &b.id
                      : a == "--icon"    ? &b.icon
                      : a == "--version" ? &b.version
                      : a == "--license" ? &b.license
                                         : nullptr;
    if (to && !take_value(args, i, *to)) {
      err << "velmora-data: " << a << " needs a value\n" << kBundleUsage;
      return false;
    }
    if (!to) plain.push_back(a);
  }
  // A game that names itself in its game.ini ships under that name, and is
  // listed with its summary and home page.
  if (plain.size() == 2) {
    DiskFiles disk;
    const GameWords w = load_game_words(DataFolder(disk, plain[0])).words;
    if (b.name.empty()) b.name = w.title.value_or("");
    b.summary = w.summary.value_or(b.summary);
    b.home = w.home.value_or("");
  }
  if (plain.size() != 2 || b.name.empty() || b.id.empty()) {
    err << kBundleUsage;
    return false;
  }
  b.source = plain[0];
  b.out = plain[1];
  b.game = game_of_id(b.id);
  std::string problem;
  for (char c : b.name + b.summary + b.license)
    if (static_cast<unsigned char>(c) < 0x20)
      problem = "the name, summary and license are one line of text";
  if (b.license.empty())
    problem = "the license is an SPDX expression (MIT, LicenseRef-proprietary)";
  if (b.game.empty())
    problem = "the id is reverse-DNS (org.example.mygame): letters, digits, '-' and '_'";
  else if (b.game == "velmora")
    problem = "the game's own folders cannot be velmora's: give the id another last part";
  if (b.version.empty() || !std::isdigit(static_cast<unsigned char>(b.version[0])) ||
      b.version.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz.+~") != std::string::npos)
    problem = "the version starts with a digit and holds digits, letters, '.', '+' or '~'";
  if (!problem.empty()) err << "velmora-data: " << problem << "\n";
  return problem.empty();
}

// The maintainer of the package: the usual DEBFULLNAME and DEBEMAIL, else
// the game's authors at the id's domain.
std::string maintainer_of(const Bundle& b) {
  const char* full = std::getenv("DEBFULLNAME");
  const char* mail = std::getenv("DEBEMAIL");
  std::string domain;
  std::istringstream in(b.id);
  std::vector<std::string> parts;
  for (std::string p; std::getline(in, p, '.');) parts.push_back(p);
  for (size_t i = parts.size() - 1; i-- > 0;) domain += parts[i] + (i > 0 ? "." : "");
  // A contact's name holds no quotes, commas or angle brackets.
  std::string authors;
  for (char c : b.name)
    if (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-' || c == '.' ||
        static_cast<unsigned char>(c) >= 0x80)
      authors += c;
  authors = (authors.find_first_not_of(' ') == std::string::npos ? b.game : authors) + " authors";
  return std::string(full && *full ? full : authors) + " <" +
         (mail && *mail ? mail : b.game + "@" + domain) + ">";
}

void write_file(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
  if (!f.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const std::string& path) {
  return DiskFiles().read_whole(path).value_or_throw();
}

// Runs a program in cwd; its standard output into *out. Returns its exit
// status; what it printed on standard error is in err_text.
int run(const std::vector<std::string>& argv, const fs::path& cwd, std::string* out,
        std::string& err_text) {
  // What it prints goes beside, never into, the trees being packed.
  const fs::path base =
      fs::temp_directory_path() / ("velmora-bundle-" + std::to_string(::getpid()));
  const fs::path out_file = base.string() + ".out", err_file = base.string() + ".err";
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("cannot start " + argv[0]);
  if (pid == 0) {
    const int o = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::dup2(o, 1);
    ::dup2(e, 2);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  std::error_code ec;
  err_text = fs::exists(err_file, ec) ? read_file(err_file.string()) : "";
  if (out) *out = fs::exists(out_file, ec) ? read_file(out_file.string()) : "";
  fs::remove(out_file, ec);
  fs::remove(err_file, ec);
  if (code == 127) err_text = argv[0] + ": not found (scripts/setup.sh installs it)";
  return code;
}

// run, throwing with what the program said when it fails.
std::string must_run(const std::vector<std::string>& argv, const fs::path& cwd) {
  std::string out, err_text;
  if (run(argv, cwd, &out, err_text) != 0)
    throw std::runtime_error(argv[0] + " failed: " + err_text);
  return out;
}

}  // namespace

namespace {

// A check's line for an edit folder names the file the author edits.
std::string edited_name(std::string line) {
  static const std::map<std::string, std::string> kEdited = {
      {"50.dat", "system.txt"}, {"51.dat", "script.csv"}, {"52.dat", "choices.csv"}};
  for (const auto& [packed, edited] : kEdited)
    if (line.rfind(packed + ":", 0) == 0) return edited + line.substr(packed.size());
  return line;
}

// Players start with an empty gallery, whatever pictures the author met while
// trying the game.
void fresh_gallery(Files& files, const std::string& dir) {
  const DataFolder data(files, dir);
  AssetState a;
  a.Sys_Lines = read_system_lines(data.read("50.dat").value_or_throw());
  read_line6(a);
  a.CG_Seen = {};
  rebuild_line6(a);
  data.write_system(a.Sys_Lines).value_or_throw();
}

// The stamp that tells players' copies of an earlier version from this one:
// the version and a hash of every file of the game at rest, so that a game
// bundled again under the same version is still told apart.
void write_stamp(const Bundle& b, const DataFolder& data) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
  auto mix = [&hash](const std::string& bytes) {
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  };
  for (const std::string& n : data.file_names()) {
    if (n == kGameStampFile) continue;
    const std::string bytes = data.read(n).value_or_throw();
    mix(n + "\n" + std::to_string(bytes.size()) + "\n");
    mix(bytes);
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  data.replace(kGameStampFile, "version " + b.version + "\ndata " + hex + "\n").value_or_throw();
}

// The game's data at rest in dest: the folder as it is, or the edit folder
// packed; never the author's own saved games or gallery progress. False (and the check's lines)
// when the check finds an error.
bool gather_data(const Bundle& b, const fs::path& dest, std::ostream& out, std::ostream& err) {
  DiskFiles files;
  const bool edit = files.exists(join_path(b.source, "script.csv"));
  if (edit) {
    pack_folder(files, b.source, dest.string());
  } else if (files.exists(join_path(b.source, "51.dat"))) {
    if (!files.make_folder(dest.string()))
      throw std::runtime_error("cannot create " + dest.string());
    const DataFolder from(files, b.source), to(files, dest.string());
    for (const std::string& n : from.file_names())
      to.replace(n, from.read(n).value_or_throw()).value_or_throw();
  } else {
    err << "velmora-data: " << b.source
        << " holds neither a data folder (51.dat) nor an edit folder (script.csv)\n";
    return false;
  }
  // The author's saves, quick slot and messages read stay with the author.
  for (int slot = 0; slot <= kQuickSlot; ++slot) fs::remove(dest / dat_name(slot));
  fs::remove(dest / "read.dat");
  size_t errors = 0;
  for (const Finding& f : check_folder(files, dest.string())) {
    (f.error ? err : out) << (edit ? edited_name(f.line) : f.line) << "\n";
    errors += f.error;
  }
  if (errors > 0)
    err << "velmora-data: " << b.source << ": " << errors << (errors == 1 ? " error" : " errors")
        << "; no bundle was made\n";
  if (errors == 0) fresh_gallery(files, dest.string());
  if (errors == 0) write_stamp(b, DataFolder(files, dest.string()));
  return errors == 0;
}

// The width of a square PNG in a size the icon theme has, else 0 and why.
int icon_size(const std::string& bytes, std::string& problem) {
  auto be32 = [&bytes](size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) |
           (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) |
           static_cast<unsigned char>(bytes[at + 3]);
  };
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0 ||
      !decode_picture(std::vector<uint8_t>(bytes.begin(), bytes.end()))) {
    problem = "is not a PNG picture";
    return 0;
  }
  const int w = be32(16), h = be32(20);
  for (int s : kThemeSizes)
    if (w == s && h == s) return s;
  problem = "is " + std::to_string(w) + " x " + std::to_string(h) +
            "; an icon is square, 16, 22, 24, 32, 48, 64, 128, 256 or 512 pixels";
  return 0;
}

// The icons in hicolor/NxN/apps/GAME.png: the one given, or the drawn one at
// the menus' sizes.
void write_icons(const Bundle& b, const fs::path& hicolor) {
  const std::string file = "apps/" + b.game + ".png";
  auto place = [&](int s) {
    const std::string n = std::to_string(s);
    return hicolor / (n + "x" + n) / file;
  };
  if (!b.icon.empty()) {
    const std::string bytes = read_file(b.icon);
    std::string problem;
    const int size = icon_size(bytes, problem);
    if (size == 0) throw std::runtime_error(b.icon + " " + problem);
    write_file(place(size), bytes);
    return;
  }
  for (int s : kIconSizes) {
    std::vector<uint8_t> alpha;
    const Image icon = paint_icon(s, alpha);
    fs::create_directories(place(s).parent_path());
    save_png_alpha(icon, alpha, place(s).string()).value_or_throw();
  }
}

// Folders 0755, files 0644, the listed programs 0755: what players' systems
// and the package's checks expect, whatever the author's umask.
void set_modes(const fs::path& root, const std::vector<fs::path>& programs) {
  const auto dir_mode = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec;
  const auto file_mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                         fs::perms::others_read;
  fs::permissions(root, dir_mode);
  for (const auto& e : fs::recursive_directory_iterator(root))
    fs::permissions(e.path(), e.is_directory() ? dir_mode : file_mode);
  for (const fs::path& p : programs) fs::permissions(p, dir_mode);
}

}  // namespace

namespace {

std::string tar_arch() {
  utsname u{};
  return ::uname(&u) == 0 ? std::string(u.machine) : std::string("unknown");
}

// The date of the package's changelog: SOURCE_DATE_EPOCH for a reproducible
// build, else now. format as strftime's.
std::string package_date(const char* format) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  const std::time_t t =
      epoch && *epoch ? static_cast<std::time_t>(std::atoll(epoch)) : std::time(nullptr);
  std::tm tm{};
  ::gmtime_r(&t, &tm);
  char text[64];
  std::strftime(text, sizeof text, format, &tm);
  return text;
}

// DEBIAN/md5sums: every file of the package, as dpkg checks them.
void write_md5sums(const fs::path& root) {
  std::vector<std::string> argv = {"md5sum"};
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) argv.push_back(fs::relative(e.path(), root).string());
  write_file(root / "DEBIAN/md5sums", must_run(argv, root));
}

// The libraries the program links, as dpkg-shlibdeps finds them in a
// package's layout under work ("libc6 (>= 2.34), ...").
std::string library_depends(const fs::path& work, const Bundle& b, const fs::path& program) {
  write_file(work / "debian/control",
             "Source: " + b.game + "\n\nPackage: " + b.game + "\nArchitecture: any\n");
  const std::string said =
      must_run({"dpkg-shlibdeps", "-O", "-e" + fs::relative(program, work).string()}, work);
  const size_t at = said.find("shlibs:Depends=");
  if (at == std::string::npos) return "";
  std::string deps = said.substr(at + 15);
  while (!deps.empty() && (deps.back() == '\n' || deps.back() == ' ')) deps.pop_back();
  return deps;
}

// "a (>= 1), b | c" -> {a, b}: what the README's install command names.
std::vector<std::string> package_names(const std::string& depends) {
  std::vector<std::string> names;
  std::istringstream in(depends);
  for (std::string item; std::getline(in, item, ',');) {
    const size_t start = item.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    const size_t end = item.find_first_of(" (|", start);
    names.push_back(item.substr(start, end - start));
  }
  return names;
}

long size_kib(const fs::path& root) {
  long kib = 0;
  for (const auto& e : fs::recursive_directory_iterator(root))
    kib += e.is_directory() ? 1 : static_cast<long>((e.file_size() + 1023) / 1024);
  return kib;
}

// What both the package and the player's folder are made of.
struct Parts {
  fs::path data;     // the game's data at rest
  fs::path program;  // velmora, stripped
  fs::path hicolor;  // the icons, as the icon theme lays them out
};

// The Debian package's tree under root (everything but DEBIAN/control).
void lay_out_package(const Bundle& b, const fs::path& root, const Parts& parts) {
  const fs::path share = root / "usr/share";
  write_file(root / "usr/games" / b.game, launcher_text(b, false));
  fs::create_directories(root / "usr/lib/games" / b.game);
  fs::copy_file(parts.program, root / "usr/lib/games" / b.game / "velmora");
  fs::create_directories(share / "games");
  fs::copy(parts.data, share / "games" / b.game, fs::copy_options::recursive);
  write_file(share / "applications" / desktop_file_name(b),
             desktop_entry(b, "/usr/games/" + b.game));
  write_file(share / "metainfo" / (b.id + ".metainfo.xml"),
             metainfo_text(b, package_date("%Y-%m-%d")));
  fs::create_directories(share / "icons");
  fs::copy(parts.hicolor, share / "icons/hicolor", fs::copy_options::recursive);
  const fs::path doc = share / "doc" / b.game;
  write_file(doc / "copyright", copyright_text(b, package_date("%Y")));
  write_file(doc / "changelog", changelog_text(b, package_date("%a, %d %b %Y %H:%M:%S +0000")));
  write_file(share / "man/man6" / (b.game + ".6"), man_page(b));
  must_run({"gzip", "-9nf", (doc / "changelog").string(),
            (share / "man/man6" / (b.game + ".6")).string()},
           root);
  set_modes(root, {root / "usr/games" / b.game, root / "usr/lib/games" / b.game / "velmora"});
}

// The player's folder under root: launcher, README, desktop entry, icons,
// program, data.
void lay_out_folder(const Bundle& b, const fs::path& dir, const Parts& parts,
                    const std::vector<std::string>& packages) {
  write_file(dir / b.game, launcher_text(b, true));
  write_file(dir / "README.txt", player_readme(b, packages));
  write_file(dir / desktop_file_name(b), desktop_entry(b, b.game));
  fs::create_directories(dir / "icons");
  fs::copy(parts.hicolor, dir / "icons/hicolor", fs::copy_options::recursive);
  fs::create_directories(dir / "bin");
  fs::copy_file(parts.program, dir / "bin/velmora");
  fs::copy(parts.data, dir / "data", fs::copy_options::recursive);
  set_modes(dir, {dir / b.game, dir / "bin/velmora"});
}

// Everything made in work; the two files moved into OUT_DIR at the end.
void make_bundle(const Bundle& b, const fs::path& work, std::ostream& out) {
  const Parts parts{work / "data", work / "velmora", work / "hicolor"};
  const std::string velmora = tools_dir() + "velmora";
  if (!fs::exists(velmora))
    throw std::runtime_error("the program " + velmora + " is not beside velmora-data");
  must_run({"strip", "--strip-unneeded", "--remove-section=.comment", "--remove-section=.note",
            "-o", parts.program.string(), velmora},
           work);
  write_icons(b, parts.hicolor);

  const std::string arch = [&] {
    std::string a = must_run({"dpkg", "--print-architecture"}, work);
    while (!a.empty() && a.back() == '\n') a.pop_back();
    return a;
  }();
  const fs::path root = work / "debian" / b.game;
  lay_out_package(b, root, parts);
  const std::string depends = library_depends(work, b, root / "usr/lib/games" / b.game / "velmora");
  write_md5sums(root);
  write_file(root / "DEBIAN/control", control_text(b, arch, depends, size_kib(root)));
  set_modes(root / "DEBIAN", {});
  const std::string deb = b.game + "_" + b.version + "_" + arch + ".deb";
  must_run(
      {"dpkg-deb", "--root-owner-group", "-Zxz", "--build", root.string(), (work / deb).string()},
      work);

  std::vector<std::string> packages =
      package_names(depends + ", " + kGameDepends + ", " + kGameRecommends);
  const std::string folder = b.game + "-" + b.version;
  lay_out_folder(b, work / "tar" / folder, parts, packages);
  const std::string tarball = folder + "-linux-" + tar_arch() + ".tar.gz";
  must_run({"tar", "--sort=name", "--owner=0", "--group=0", "--numeric-owner", "-czf",
            (work / tarball).string(), "-C", (work / "tar").string(), folder},
           work);

  for (const std::string& made : {tarball, deb}) {
    fs::rename(work / made, fs::path(b.out) / made);
    out << "wrote " << (fs::path(b.out) / made).string() << "\n";
  }
}

}  // namespace

int bundle_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Bundle b;
  if (!parse_bundle(args, b, err)) return 2;
  b.maintainer = maintainer_of(b);
  if (const char* full = std::getenv("DEBFULLNAME")) b.developer = full;
  const fs::path work = fs::absolute(fs::path(b.out) / (".bundle-" + b.game));
  std::error_code ec;
  try {
    fs::create_directories(b.out);
    fs::remove_all(work);
    fs::create_directories(work);
    const bool ok = gather_data(b, work / "data", out, err);
    if (ok) make_bundle(b, work, out);
    fs::remove_all(work, ec);
    return ok ? 0 : 1;
  } catch (const DataError& e) {
    fs::remove_all(work, ec);
    err << "velmora-data: " << e.describe() << "\n";
    return 1;
  } catch (const std::exception& e) {
    fs::remove_all(work, ec);
    err << "velmora-data: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vm::datatool
