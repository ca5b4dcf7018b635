#include "platform/common/user_cache.h"

#include <glib.h>

namespace vm {

std::string user_cache_dir() {
  std::string dir = g_get_user_cache_dir();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace vm
