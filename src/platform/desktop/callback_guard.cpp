#include "platform/desktop/callback_guard.h"

#include <cstdio>
#include <string>

namespace vm {

void CallbackFailures::failed(const char* where, const char* what) noexcept {
  // Standard error takes the account even when the log cannot (the memory
  // run out), and the game still ends in order when the account is lost.
  try {
    log_.record(LogEvent::error(std::string(where) + ": " + what));
  } catch (...) {
    std::fprintf(stderr, "velmora: %s: %s\n", where, what);
  }
  try {
    if (end_in_order_) end_in_order_();
  } catch (...) {
    std::fprintf(stderr, "velmora: %s: the game cannot be asked to end\n", where);
  }
}

}  // namespace vm
