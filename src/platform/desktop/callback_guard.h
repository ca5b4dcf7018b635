// Every toolkit callback of the desktop runs its C++ through guarded(): an
// exception must never travel through the toolkit's C code, and one that
// stopped a callback is no press lost in silence either. The account goes to
// the log as an Error event (which the desktop writes on standard error) and
// the game is asked to end in order, as by its close box, so it writes its
// system file and disguises its pictures rather than playing on with a
// window that dropped what the player did.
#pragma once

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

#include "platform/event_log.h"

namespace vm {

class CallbackFailures {
 public:
  // end_in_order queues the request to end (the main window's close).
  CallbackFailures(EventLog& log, std::function<void()> end_in_order)
      : log_(log), end_in_order_(std::move(end_in_order)) {}
  // where: the callback ("the main window's key press").
  void failed(const char* where, const char* what) noexcept;

 private:
  EventLog& log_;
  std::function<void()> end_in_order_;
};

// Runs fn; when it throws, the failure is reported and on_failure is what the
// toolkit gets back.
template <class R, class F>
R guarded(CallbackFailures& failures, const char* where, R on_failure, F&& fn) noexcept {
  try {
    return std::forward<F>(fn)();
  } catch (const std::exception& e) {
    failures.failed(where, e.what());
  } catch (...) {
    failures.failed(where, "a failure that is no std::exception");
  }
  return on_failure;
}

template <class F>
requires std::is_void_v<std::invoke_result_t<F>>
void guarded(CallbackFailures& failures, const char* where, F&& fn) noexcept {
  try {
    std::forward<F>(fn)();
  } catch (const std::exception& e) {
    failures.failed(where, e.what());
  } catch (...) {
    failures.failed(where, "a failure that is no std::exception");
  }
}

}  // namespace vm
