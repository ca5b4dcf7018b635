// What the game throws on purpose, in two channels from one base:
//  - DataError: the data or a file let the game down. The player is shown
//    what went wrong, naming the file and, for a table, its line and field.
//  - EndRequest: the game, or the story playing in it, is to end in order.
// Nothing else is thrown from one subsystem to another. An end request is not
// a std::exception on purpose: the guards around a file write, which catch
// every std::exception to report it, must never swallow a request to end.
#pragma once

#include <stdexcept>
#include <string>

namespace vm {

struct GameThrow {
  GameThrow() = default;
  GameThrow(const GameThrow&) = default;
  GameThrow& operator=(const GameThrow&) = default;
  virtual ~GameThrow() = default;
};

// Malformed game data (a file missing a line, a field that should be a number
// and is not, a table bound exceeded) or a file that cannot be read or
// written. Reported once; for the data, the program then ends in order.
struct DataError : std::runtime_error, GameThrow {
  std::string file;
  int line = 0;
  std::string field;
  DataError(std::string f, int l, std::string fld, const std::string& what)
      : std::runtime_error(what), file(std::move(f)), line(l), field(std::move(fld)) {}
  // "51.dat line 12, field 10 (value): not a number"; what() alone when the
  // account names its file itself.
  std::string describe() const {
    if (file.empty()) return what();
    std::string s = file;
    if (line > 0) s += " line " + std::to_string(line);
    if (!field.empty()) s += ", field " + field;
    return s + ": " + what();
  }
};

// Why a file could not be read, written, removed or copied: what() is the account the player
// is shown (the path, then the system's own reason); the parts are for those
// who word it otherwise.
struct FileError : DataError {
  enum Step {
    Opening,   // the file would not open to be read
    Reading,   // it opened, but a read failed part way
    Updating,  // it would not open to have bytes written into it
    Writing,   // a write or the flush to the disk failed
    NoCopy,    // no new copy can be made beside it: the old one is kept
    Removing,  // there was no such file, or it stays
    Making,    // the folder is not there after being made
    Copying,   // a folder could not be copied whole: the target is as it was
  };
  FileError(Step s, std::string p, std::string r)
      : DataError("", 0, "", words(s, p, r)), step(s), path(std::move(p)), reason(std::move(r)) {}
  Step step;
  std::string path;
  std::string reason;  // "No such file or directory"

  static std::string words(Step s, const std::string& p, const std::string& r) {
    switch (s) {
      case Opening:
      case Reading:
        return p + ": cannot read (" + r + ")";
      case Updating:
        return p + ": " + r;
      case Writing:
        return p + ": cannot write (" + r + ")";
      case Removing:
        return p + ": cannot remove (" + r + ")";
      case Making:
        return "cannot create the folder " + p + " (" + r + ")";
      case Copying:
        return "cannot copy the game data to " + p + ": " + r;
      case NoCopy:
        break;
    }
    return p + ": not written, the old file is kept (no new copy can be made beside it: " + r + ")";
  }
};

// The second channel: something ends in order.
struct EndRequest : GameThrow {};

// Asks for the orderly shutdown from below the main window (the script's
// quit, a story that cannot go on, a failed start-up check, a close request
// noticed inside a loop that runs no events). The main loop catches it and
// unloads the main window; failure makes the program's exit status 1.
struct ShutdownRequest : EndRequest {
  explicit ShutdownRequest(bool fails = false) : failure(fails) {}
  bool failure;
};

// Ends the process at once, the unload having run (or nothing having been
// touched yet): every window closes and no further handler runs. Caught only
// by main().
struct EndProcess : EndRequest {
  explicit EndProcess(int exit_code) : code(exit_code) {}
  int code;
};

// Asked for by the game menu's load once the slot window has read a slot:
// the story that is running unwinds to play_story, which resumes the loaded
// game in its one loop, so loads never pile up inside each other.
struct LoadRequest : EndRequest {};

}  // namespace vm
