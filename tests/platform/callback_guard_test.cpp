// What becomes of a failure inside a toolkit callback of the desktop: never
// swallowed, never let through the toolkit's C code, but told and the game
// ended in order.
#include "platform/desktop/callback_guard.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/desktop/gtk_window.h"
#include "platform/headless/headless.h"

namespace vm {
namespace {

TEST(CallbackGuard, AFailedCallbackIsToldAndAsksTheGameToEndInOrder) {
  LineLog log([] { return 0U; });
  int end_requests = 0;
  CallbackFailures failures(log, [&] { ++end_requests; });

  // A callback that goes through hands the toolkit its own answer.
  EXPECT_EQ(guarded(failures, "the menu", FALSE, [] { return TRUE; }), TRUE);
  EXPECT_TRUE(log.events().empty());
  EXPECT_EQ(end_requests, 0);

  // One that fails: where and what, as the log's error; the toolkit gets the
  // answer given for a failure; the game is asked to end once.
  EXPECT_EQ(guarded(failures, "the main window's key press", 7,
                    []() -> int {
                      throw FileError(FileError::Writing, "/d/50.dat", "No space left on device");
                    }),
            7);
  ASSERT_EQ(log.events().size(), 1U);
  EXPECT_EQ(log.events()[0].event.kind, LogKind::Error);
  EXPECT_EQ(log.events()[0].event.text,
            "the main window's key press: /d/50.dat: cannot write (No space left on device)");
  EXPECT_EQ(end_requests, 1);

  // Whatever is thrown, a std::exception or not, from a callback that
  // answers the toolkit nothing.
  guarded(failures, "a window's button", [] { throw ShutdownRequest{}; });
  guarded(failures, "a timer's tick", [] { throw std::bad_alloc(); });
  ASSERT_EQ(log.events().size(), 3U);
  EXPECT_EQ(log.events()[1].event.kind, LogKind::Error);
  EXPECT_EQ(log.events()[1].event.text.rfind("a window's button: ", 0), 0U);
  EXPECT_EQ(log.events()[2].event.text.rfind("a timer's tick: ", 0), 0U);
  EXPECT_EQ(end_requests, 3);
}

// On the real window the request to end is its close, which the game's loops
// take as the close box's.
TEST(CallbackGuard, OnTheDesktopAFailedCallbackIsTheMainWindowsClose) {
  if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  LineLog log([] { return 0U; });
  GtkMainWindow w(log);
  EXPECT_FALSE(w.close_requested());
  guarded(w.callback_failures(), "a timer's tick", [] { throw std::bad_alloc(); });
  EXPECT_TRUE(w.close_requested());
  ASSERT_EQ(log.events().size(), 1U);
  EXPECT_EQ(log.events()[0].event.kind, LogKind::Error);
}

}  // namespace
}  // namespace vm
