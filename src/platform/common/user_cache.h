// The player's cache folder: $XDG_CACHE_HOME, else ~/.cache.
#pragma once

#include <string>

namespace vm {

// Ends in '/'.
std::string user_cache_dir();

}  // namespace vm
