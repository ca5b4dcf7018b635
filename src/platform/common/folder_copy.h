// The first start from an installed game that the player cannot write to:
// its data is copied to the player's own data folder, since the game keeps
// the saves and the gallery progress there.
#pragma once

#include <string>

#include "platform/result.h"

namespace vm {

// Copies the folder from into the new folder to, whole or not at all: into a
// folder beside to first (one left there by a copy that was killed is thrown
// away), every file checked to be complete, then renamed to to. Copied files
// are the player's to write. A FileError Copying when it cannot be, with what
// went wrong and the system's reason; to is then left as it was.
Result<void> copy_folder_whole(const std::string& from, const std::string& to);

}  // namespace vm
