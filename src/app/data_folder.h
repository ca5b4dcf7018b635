// Which folder the game plays from when the command line names none.
#pragma once

#include <string>

#include "platform/services.h"

namespace vm {

// The data folder for a program folder: "data/" beside it, else the folder
// itself. The result ends in '/'.
std::string find_data_dir(Files& files, const std::string& program_dir);

// "data" beside the program, else the program's own folder when it holds the
// game, else the installed data (copied once to the player's own data folder
// when the installed one cannot be written or places.always_copy, since the
// game keeps its saves and the gallery progress there), else the program's
// folder. A copy that
// fails is told as a warning, and the installed data is played as it is.
std::string find_game_data(Files& files, const DataPlaces& places, EventLog& log);

}  // namespace vm
