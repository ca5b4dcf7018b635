#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "assets/data_folder.h"
#include "authoring/packing.h"
#include "authoring/pictures.h"
#include "authoring/story_paths.h"
#include "data/data_tool.h"
#include "platform/common/disk_files.h"
#include "platform/common/pango_text.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/errors.h"

namespace vm::datatool {

namespace {

constexpr const char* kUsage =
    "usage: velmora-data demo DIR        write the demo data folder\n"
    "       velmora-data check [--strict] DIR\n"
    "                                    check a data folder (--strict: warnings fail too)\n"
    "       velmora-data unpack DIR OUT  data folder -> editable folder\n"
    "       velmora-data pack SRC DIR    editable folder -> data folder\n"
    "       velmora-data icon SIZE FILE  the program's icon as a PNG file\n"
    "       velmora-data graph DIR OUT   the story as OUT.dot and OUT.svg\n"
    "       velmora-data paths DIR OUT [--all] [--max-paths N] [--max-rows N]\n"
    "                                    paths that between them run every row, take every\n"
    "                                    choice and reach every end: OUT/path-NNN.txt for\n"
    "                                    velmora-play, paths.tsv; fails when a path breaks\n"
    "                                    --all: every path, up to N of them (10000)\n"
    "                                    --max-rows: a path is stopped after N rows (ten\n"
    "                                    times the script's rows, at least 100000)\n"
    "       velmora-data verify DIR [--all] [--max-paths N] [--max-rows N]\n"
    "                                    play those paths and compare with the prediction;\n"
    "                                    fails when a play differs or a path breaks\n"
    "       velmora-data bundle DATA_OR_EDIT_DIR [--name NAME] --id ID [--icon PNG]\n"
    "                           [--version V] OUT_DIR\n"
    "                                    the game for players: a tarball and a Debian "
    "package\n";

// Exit status 1 with any error (or, strict, any warning), else 0.
int report(const std::vector<Finding>& found, bool strict, std::ostream& out) {
  size_t errors = 0;
  for (const Finding& f : found) {
    out << f.line << "\n";
    errors += f.error;
  }
  const size_t warnings = found.size() - errors;
  if (found.empty())
    out << "ok\n";
  else
    out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
        << (warnings == 1 ? " warning\n" : " warnings\n");
  return errors > 0 || (strict && warnings > 0) ? 1 : 0;
}

}  // namespace

namespace {

// velmora-data icon SIZE FILE.
int write_icon(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::string& size_text = args[1];
  const int size = size_text.size() <= 4 && !size_text.empty() &&
                           size_text.find_first_not_of("0123456789") == std::string::npos
                       ? std::stoi(size_text)
                       : 0;
  if (size < 16 || size > 1024) {
    err << "velmora-data: the icon size is a number from 16 to 1024, not \"" << size_text << "\"\n";
    return 2;
  }
  std::vector<uint8_t> alpha;
  const Image icon = paint_icon(size, alpha);
  save_png_alpha(icon, alpha, args[2]).value_or_throw();
  out << "wrote the " << size << " x " << size << " icon " << args[2] << "\n";
  return 0;
}

// paths and verify take how the story is explored as options: --max-rows N
// (the step bound), --all (every path rather than a covering set) and
// --max-paths N. False (and a message) for a bound that is no number.
bool take_explore_options(std::vector<std::string>& args, ExploreOptions& explore,
                          std::ostream& err) {
  for (size_t i = 1; i < args.size();) {
    if (args[i] == "--all") {
      explore.all = true;
      args.erase(args.begin() + static_cast<long>(i));
      continue;
    }
    if ((args[i] != "--max-rows" && args[i] != "--max-paths") || i + 1 == args.size()) {
      ++i;
      continue;
    }
    char* end = nullptr;
    const long long n = std::strtoll(args[i + 1].c_str(), &end, 10);
    const bool rows = args[i] == "--max-rows";
    if (*end != '\0' || n < 1) {
      err << "velmora-data: " << args[i] << " takes a number of " << (rows ? "rows" : "paths")
          << ", not \"" << args[i + 1] << "\"\n";
      return false;
    }
    if (rows)
      explore.max_rows = n;
    else
      explore.max_paths = static_cast<size_t>(n);
    args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
  }
  return true;
}

}  // namespace

namespace {

// The readers of a story (check, graph, paths, verify) take the editable
// folder too: it is packed, as the dev run packs it, into a scratch folder
// they read, and what they print names the files the author edits.
class EditedFolder {
 public:
  EditedFolder(Files& files, const std::string& edit) : edit_(edit) {
    names_ = DataFolder(files, edit).file_names();
    std::string tmpl = (std::filesystem::temp_directory_path() / "velmora-edit-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a scratch folder");
    packed_ = tmpl + "/data";
    pack_folder(files, edit, packed_, &converted_);
  }
  ~EditedFolder() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(packed_).parent_path(), ec);
  }
  EditedFolder(const EditedFolder&) = delete;
  EditedFolder& operator=(const EditedFolder&) = delete;

  const std::string& packed() const { return packed_; }
  const std::vector<std::string>& converted() const { return converted_; }
  // The scratch folder's name and its packed files' as the author knows them.
  std::string told(std::string text) const {
    for (size_t p = text.find(packed_); p != std::string::npos; p = text.find(packed_, p))
      text.replace(p, packed_.size(), edit_);
    return edited_names(text, names_);
  }

 private:
  std::string edit_, packed_;
  std::vector<std::string> names_, converted_;
};

bool reads_story(const std::string& cmd) {
  return cmd == "check" || cmd == "graph" || cmd == "paths" || cmd == "verify";
}

// Where a story reader's folder stands among its arguments (after the
// options), or 0.
size_t folder_index(const std::vector<std::string>& args) {
  if (args.empty() || !reads_story(args[0])) return 0;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--strict" || args[i] == "--all") continue;
    if (args[i] == "--max-rows" || args[i] == "--max-paths") {
      ++i;
      continue;
    }
    return i;
  }
  return 0;
}

// A story reader on an editable folder: the same command on its packed form.
int read_edited(std::vector<std::string> args, size_t at, std::ostream& out, std::ostream& err) {
  DiskFiles files;
  std::unique_ptr<EditedFolder> edited;
  try {
    edited = std::make_unique<EditedFolder>(files, args[at]);
  } catch (const std::exception& e) {
    err << "velmora-data: " << e.what() << "\n";
    return 1;
  }
  for (const std::string& c : edited->converted()) out << c << "\n";
  args[at] = edited->packed();
  std::ostringstream o, e;
  const int code = data_tool_main(args, o, e);
  out << edited->told(o.str());
  err << edited->told(e.str());
  return code;
}

}  // namespace

int data_tool_main(const std::vector<std::string>& given, std::ostream& out, std::ostream& err) {
  if (const size_t at = folder_index(given); at > 0) {
    DiskFiles files;
    if (is_edit_folder(files, given[at])) return read_edited(given, at, out, err);
  }
  std::vector<std::string> args = given;
  const std::string cmd = args.empty() ? "" : args[0];
  if (cmd == "bundle") return bundle_command(args, out, err);
  bool strict = false;
  if (cmd == "check" && args.size() > 1 && args[1] == "--strict") {
    strict = true;
    args.erase(args.begin() + 1);
  }
  ExploreOptions explore;
  if ((cmd == "paths" || cmd == "verify") && !take_explore_options(args, explore, err)) return 2;
  const size_t want =
      (cmd == "demo" || cmd == "check" || cmd == "verify")                                      ? 2
      : (cmd == "unpack" || cmd == "pack" || cmd == "graph" || cmd == "paths" || cmd == "icon") ? 3
                                                                                                : 0;
  if (want == 0 || args.size() != want) {
    if (!cmd.empty() && cmd != "help" && cmd != "--help" && want == 0)
      err << "velmora-data: unknown command \"" << cmd << "\"\n";
    err << kUsage;
    return 2;
  }
  try {
    DiskFiles files;
    if (cmd == "demo") {
      write_demo(files, args[1]);
      out << "wrote the demo data folder " << args[1] << "\n";
      return 0;
    }
    if (cmd == "check") {
      // The game's own words are measured with the game's own text drawing.
      PangoText text;
      return report(check_folder(files, args[1], &text), strict, out);
    }
    if (cmd == "icon") return write_icon(args, out, err);
    if (cmd == "graph") {
      write_story_graph(files, args[1], args[2]);
      out << "wrote " << args[2] << ".dot and " << args[2] << ".svg\n";
      return 0;
    }
    if (cmd == "paths") {
      const Exploration ex = write_paths(files, args[1], args[2], out, nullptr, explore);
      out << describe_paths(ex) << "; written to " << args[2] << "\n";
      // A path that breaks (a message box, no ending) fails, as check does.
      return ex.errors() > 0 ? 1 : 0;
    }
    if (cmd == "verify") return verify_folder(args[1], out, err, explore);
    if (cmd == "unpack") {
      unpack_folder(files, args[1], args[2]);
      out << "unpacked " << args[1] << " into " << args[2] << "\n";
      return 0;
    }
    std::vector<std::string> converted;
    pack_folder(files, args[1], args[2], &converted);
    for (const std::string& c : converted) out << c << "\n";
    out << "packed " << args[1] << " into " << args[2] << "\n";
    return 0;
  } catch (const DataError& e) {
    // A script the game could not load: name the row and field.
    err << "velmora-data: " << e.describe() << "\n";
    return 1;
  } catch (const std::exception& e) {
    err << "velmora-data: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vm::datatool
