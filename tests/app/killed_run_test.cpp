// A run killed outright (kill -9, a crash, the power) at any moment leaves
// the player's read log and quick slot whole: each is the file as it was
// before the write or as it is after it, never a part of one.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "app/read_log.h"
#include "app/session.h"
#include "save/save.h"

namespace vm {
namespace {

using test::Session;
using test::TempDir;

// In the child: the story played on with a click and a quick save on every
// message, so both files are written over and over, until the parent kills it.
// It says on `progress` when the first message is up and after each quick
// save, so the kills fall by how far the run got, however fast it runs.
[[noreturn]] void play_and_save(const std::string& dir, int progress) {
  Session s;
  const char step = 1;
  s.hl.log().echo = [&](const LoggedEvent& e) {
    if (e.event.kind == LogKind::FileWritten && e.event.file == "05.dat")
      (void)!::write(progress, &step, 1);
  };
  s.at_first_wait([&](uint32_t t) {
    (void)!::write(progress, &step, 1);
    for (uint32_t at = t; at < t + 600'000; at += 700) {
      s.hl.key(at, kKeyF5);
      s.hl.click(at + 350, test::kWindowX, test::kFirstChoiceY);
    }
  });
  s.run(dir);
  _exit(0);
}

TEST(KilledRun, LeavesTheReadLogAndTheQuickSlotWhole) {
  TempDir dir;
  test::copy_demo(dir);
  const size_t rows = [&] {
    Session probe;
    probe.at_first_wait([&](uint32_t t) { probe.quit(t); });
    probe.run(dir.path());
    return probe.g.tables.Script_Table.size();
  }();
  std::mt19937 random(20261209);
  int both_seen = 0;
  for (int kill_no = 0; kill_no < 20; ++kill_no) {
    // A log from nothing each time, so that every run writes it again.
    std::filesystem::remove(dir / kReadLogFile);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) play_and_save(dir.path(), ready[1]);
    ::close(ready[1]);
    // Past the start-up and 0 to 20 quick saves (the read log is first
    // written after 8 messages), then anywhere in the next few milliseconds.
    const int saves = std::uniform_int_distribution<int>(0, 20)(random);
    for (int got = 0; got <= saves; ++got) {
      // A run that stops saving (at the ending, say) is killed where it is.
      pollfd wait{ready[0], POLLIN, 0};
      char step = 0;
      if (::poll(&wait, 1, 5000) != 1 || ::read(ready[0], &step, 1) != 1) break;
    }
    ::close(ready[0]);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<long>(0, 20'000)(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    SCOPED_TRACE("kill " + std::to_string(kill_no));
    const bool has_log = std::filesystem::exists(dir / kReadLogFile);
    const bool has_slot = std::filesystem::exists(dir / "05.dat");
    if (has_log) {
      ReadLog log;
      EXPECT_TRUE(parse_read_log(test::read_bytes(dir / kReadLogFile), rows, log));
    }
    if (has_slot) {
      const Result<SlotFile> slot = parse_slot_file(test::read_bytes(dir / "05.dat"));
      EXPECT_TRUE(slot) << slot.error().what();
    }
    both_seen += has_log && has_slot;
  }
  // Some kills came after both files were there.
  EXPECT_GT(both_seen, 0);
}

}  // namespace
}  // namespace vm
