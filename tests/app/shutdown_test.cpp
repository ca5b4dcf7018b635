// Every way the game ends: a close request from inside each kind of long
// loop, a close while the loading picture is up, memory running out. Each
// must leave the data folder at rest and report a failure as one. (A folder
// that cannot be written is played in the slot window's test, the data's
// failures in the start-up refusals.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <new>

#include "app/session.h"
#include "assets/cp932.h"

namespace vm {
namespace {

using test::count;
using test::events;

class Shutdown : public test::DemoRun {
 protected:
  // Replaces the story with the given rows (UTF-8, one per line); the title
  // menu's start item is pressed as soon as the menu shows.
  void story(const std::string& rows) {
    test::write_bytes(dir / "51.dat", invert_bytes(utf8_to_cp932(rows + "9999,,,,,,,,,,,,\r\n")));
    hl.log().echo = [this](const LoggedEvent& e) { on_event(e.event); };
  }
  // Closes the window ms after the story has begun; asked is when that was.
  uint32_t asked = 0;
  uint32_t close_after = 0;
  void close_after_start(uint32_t ms) { close_after = ms; }
  void on_event(const LogEvent& e) {
    if (e.kind != LogKind::Title || e.action != "ready") return;
    hl.click(hl.now(), 300, 255);
    if (close_after == 0) return;
    asked = hl.now() + close_after;
    hl.close(asked);
  }
  void expect_at_rest() { test::expect_at_rest(dir.path()); }
};

struct Place {
  const char* what;
  const char* rows;
  uint32_t close_after;
};

class CloseFrom : public Shutdown, public ::testing::WithParamInterface<Place> {};

TEST_P(CloseFrom, EndsInOrderWithinASecond) {
  std::string rows = GetParam().rows;
  if (size_t at = rows.find('@'); at != std::string::npos) {
    std::string long_text;
    for (int i = 0; i < 15; ++i) long_text += "潮風の吹く坂道を上っていく。";
    rows.replace(at, 1, long_text);
  }
  story(rows);
  close_after_start(GetParam().close_after);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(events(hl, LogKind::Title).where(&LogEvent::item, "start").count(), 1)
      << "the story never began";
  EXPECT_LT(hl.now() - asked, 1000u) << GetParam().what;
  EXPECT_EQ(events(hl, LogKind::FileWritten).where(&LogEvent::file, "50.dat").count(), 1);
  expect_at_rest();
}

INSTANTIATE_TEST_SUITE_P(
    EveryLongLoop, CloseFrom,
    ::testing::Values(Place{"transition", "0010,,,0,,,,,MS,,,,\r\n0010,,,,,,,,海,,,,\r\n", 100},
                      // Longer than a page: typing alone takes well over a second.
                      Place{"typing", "0010,,,,,,,,@,,,,\r\n", 100},
                      Place{"click wait", "0010,,,,,,,,海,,,,\r\n", 5000},
                      Place{"timed wait", "0010,w,,,,,,,600000,,,,\r\n", 3000},
                      Place{"fade", "0010,aJ,,,,,,,,,,,\r\n0010,,,,,,,,海,,,,\r\n", 300},
                      Place{"choice", "0010,s,,,,,,,2,,,,\r\n", 2000},
                      // A scene that jumps to itself shows and waits for nothing.
                      Place{"spinning scene",
                            "0020,p2,,,,,,,kou,0,,,\r\n0020,g0,0020,,,,,,,,,,\r\n", 1500}),
    [](const auto& info) {
      std::string n = info.param.what;
      for (char& c : n)
        if (c == ' ') c = '_';
      return n;
    });

TEST_F(Shutdown, CloseDuringTheLoadingPictureWritesNothing) {
  hl.close(0);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(count(hl, LogKind::FileWritten), 0);  // names, tunes, gallery kept
  expect_at_rest();
}

// The system file is written over in order even then, its permissions kept.
TEST_F(Shutdown, MemoryRunningOutMidStoryStillEndsInOrder) {
  ASSERT_EQ(::chmod((dir / "50.dat").c_str(), 0640), 0);
  story("0010,,,,,,,,海,,,,\r\n");
  close_after_start(600000);
  hl.at(9000, [] { throw std::bad_alloc(); });
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(events(hl, LogKind::Title).where(&LogEvent::item, "start").count(), 1);
  EXPECT_EQ(events(hl, LogKind::Warning)
                .where(&LogEvent::text, "the game stopped: out of memory (std::bad_alloc)")
                .count(),
            1);
  EXPECT_EQ(events(hl, LogKind::FileWritten).where(&LogEvent::file, "50.dat").count(), 1);
  expect_at_rest();
  struct stat st {};
  ASSERT_EQ(::stat((dir / "50.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace vm
