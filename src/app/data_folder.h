// Which folder the game plays from when the command line names none.
#pragma once

#include <string>

#include "platform/event_log.h"
#include "platform/files.h"

namespace vm {

// The data folder for a program folder: "data/" beside it, else the folder
// itself. The result ends in '/'.
std::string find_data_dir(Files& files, const std::string& program_dir);

// "data" beside the program, else the program's own folder when it holds the
// game, else the installed data (copied to the player's own data folder
// when the installed one cannot be written or places.always_copy, since the
// game keeps its saves and the gallery progress there), else the program's
// folder. A copy that fails is told as a warning, and the installed data is
// played as it is. A copy of an earlier version of the installed game is
// brought up to date (update_own_copy).
std::string find_game_data(Files& files, const DataPlaces& places, EventLog& log);

// When the installed game is another version than the player's copy in own
// (its stamp, else its script and its files' lengths differ), the copy's
// game files become the installed ones and the player's stay: the slots, the
// gallery pictures seen (into the new 50.dat), and the marks of the messages
// read whose text is still in the script. The new game is made whole beside
// the copy first (own without its '/' + ".update"), then put in place file
// by file; a start after a kill on the way finishes it. Tells the player in
// one line which version replaced which. Returns the folder to play: own, or
// the new game beside it when it could not be put in place.
std::string update_own_copy(Files& files, const std::string& installed, const std::string& own,
                            EventLog& log);

}  // namespace vm
