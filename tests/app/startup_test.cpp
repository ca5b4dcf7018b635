#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "app/data_folder.h"
#include "app/session.h"
#include "assets/cp932.h"
#include "platform/common/folder_copy.h"
#include "platform/headless/memory_files.h"

namespace vm {
namespace {

using test::count;
using test::Events;
using test::events;
using test::Part;
using test::read_bytes;
using test::TempDir;

class Startup : public test::DemoRun {
 protected:
  int run() {
    hl.close(hl.now() + 600000);  // as the runner does when its input ends
    return DemoRun::run();
  }
};

TEST_F(Startup, ASecondCopyOnTheSameFolderIsRefusedWhateverItsOwnLock) {
  // Started with another runtime folder, the second copy's own lock is free;
  // the data folder is not.
  Headless second;
  int second_code = -1;
  std::string first_pictures;
  hl.at(8000, [&] {
    second.close(600000);
    second_code = run_game(second.platform(), dir.path());
    first_pictures = read_bytes(dir / "11.dat").substr(0, 2);
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(second_code, 1);
  EXPECT_EQ(events(second, LogKind::Dialog).where(&LogEvent::text, "既に起動しています。").count(),
            1);
  EXPECT_EQ(first_pictures, "BM");  // the first copy's pictures were left alone
  EXPECT_EQ(events(hl, LogKind::FileWritten).where(&LogEvent::file, "50.dat").count(), 1);
}

// Refusals at start, each named once in the game's words, with nothing in
// the folder changed: a second copy, a folder without its marker file, the
// two pictures read before the asset check, missing or damaged (the
// decoder's account goes to the log, standard error on the desktop), a
// sprite sheet missing at the asset check, a tune named outside the folder,
// and, once the story starts, a script row whose speaker is not a number or
// a face put on a sprite that was hidden.
TEST_F(Startup, RefusalsAreNamedInTheGamesWordsAndChangeNothing) {
  const std::string p = dir.path();
  const std::string lost = "起動に必要なファイルがありません。\r\n" + p;
  const std::string broken = "起動に必要なファイルが壊れています。\r\n" + p;
  // Row 3 of the script gets a speaker that is not a number.
  std::string script = invert_bytes(read_bytes(dir / "51.dat"));
  const size_t line3 = script.find('\n', script.find('\n', script.find('\n') + 1) + 1) + 1;
  script.insert(line3, "0010,,,,,,,x,text,,,,\r\n");
  // A tune named by a path that leads back to a file of the folder: still
  // outside what the game may open.
  const std::string outside =
      "../" + std::filesystem::path(p).parent_path().filename().string() + "/title.mid";
  std::string sys = read_bytes(dir / "50.dat");
  sys.replace(sys.find("title.mid"), 9, outside);
  struct Refusal {
    std::string file;   // "" for a second copy
    std::string bytes;  // the file's new bytes, "" for none
    std::string dialog;
  };
  for (const Refusal& r : std::vector<Refusal>{
           {"", "", "既に起動しています。"},
           {"11.dat", "", "フォルダの内容が不正です.\r\n" + p},
           {"72.dat", "", lost + "72.dat"},
           {"72.dat", "BM not a picture", broken + "72.dat"},
           {"61.dat", "", lost + "61.dat"},
           {"61.dat", "BM not a picture", broken + "61.dat"},
           {"60.dat", "", "実行に必要なﾌｧｲﾙがありません. file" + p + "60"},
           {"50.dat", sys, "実行に必要なﾌｧｲﾙがありません. file" + outside},
           {"51.dat", invert_bytes(script),
            "51.dat line 4, field 8 (speaker): \"x\" is not a number"},
           {"51.dat",
            invert_bytes(utf8_to_cp932("0010,,,0,11,,,,L,,,,\r\n0010,,,,10,,,,,,,,\r\n"
                                       "0010,,,,,2,,1,顔,,,,\r\n9999,,,,,,,,,,,,\r\n")),
            "0 doll but face change?"},
       }) {
    SCOPED_TRACE(r.dialog);
    const std::string kept = r.file.empty() ? "" : read_bytes(dir / r.file);
    if (!r.bytes.empty())
      test::write_bytes(dir / r.file, r.bytes);
    else if (!r.file.empty())
      std::filesystem::remove(dir / r.file);
    const std::map<std::string, std::string> before = test::snapshot(p);
    Headless again;
    again.other_copy = r.file.empty();
    again.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(0));
    again.close(600000);  // where a run that was not refused ends
    EXPECT_EQ(run_game(again.platform(), p), 1);
    const Events dialogs = events(again, LogKind::Dialog);
    EXPECT_EQ(dialogs.values(&LogEvent::text), std::vector<std::string>{r.dialog});
    EXPECT_EQ(dialogs.where(&LogEvent::answer, "ok").where(&LogEvent::defaulted, true).count(), 1);
    if (r.file.empty()) EXPECT_EQ(count(again, LogKind::Caption), 0);
    const bool picture = r.file == "72.dat" || r.file == "61.dat";
    EXPECT_EQ(events(again, LogKind::Error).where(&LogEvent::text, Part{p + r.file + ": "}).count(),
              picture ? 1 : 0);
    for (const std::string& text : events(again, LogKind::Error).values(&LogEvent::text))
      EXPECT_EQ(text.find(p, text.find(p) + 1), std::string::npos) << "named twice: " << text;
    EXPECT_TRUE(test::snapshot(p) == before);
    if (!r.file.empty()) test::write_bytes(dir / r.file, kept);
  }
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// A file-size limit for this process while it lives: the disk filling up
// part way through a copy.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    old_signal_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit lower{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_signal_);
  }

 private:
  rlimit old_{};
  void (*old_signal_)(int) = nullptr;
};

TEST(FirstStart, TheGameDataIsCopiedWholeOrNotAtAll) {
  TempDir home;
  const std::string installed = test::build_dir() + "/install-data/";
  const std::string own = home / "velmora/data/";
  // An earlier copy killed half way left its folder behind.
  std::filesystem::create_directories(home / "velmora/data.copying");
  test::write_bytes(home / "velmora/data.copying/61.dat", "half");
  {
    FileSizeLimit disk(100000);
    const Result<void> copied = copy_folder_whole(installed, own);
    ASSERT_FALSE(copied);
    const std::string error = copied.error().what();
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  }
  // Nothing half copied is left to be played.
  EXPECT_FALSE(std::filesystem::exists(own));
  EXPECT_FALSE(std::filesystem::exists(home / "velmora/data.copying"));
  EXPECT_TRUE(copy_folder_whole(installed, own));
  EXPECT_FALSE(std::filesystem::exists(home / "velmora/data.copying"));
  const std::map<std::string, std::string> copied = test::snapshot(own);
  EXPECT_TRUE(copied == test::snapshot(installed));
  EXPECT_GT(copied.size(), 25u);
  for (const auto& [name, bytes] : copied)
    EXPECT_EQ(::access((own + name).c_str(), W_OK), 0) << name;
}

// Where the game plays from when no folder is named, the installed data held
// in memory so that its read-only file is read-only for the superuser too.
TEST(DataDir, TheInstalledDataIsCopiedOnceWhereThePlayerMayWriteIt) {
  const DataPlaces places{"/velmora-memory/bin/", "/velmora-memory/share/velmora/data/",
                          "/velmora-memory/home/velmora/data/"};
  const std::string& installed = places.installed_dir;
  const std::string& own = places.own_dir;
  LineLog log([] { return 0u; });
  MemoryFiles files;
  ASSERT_TRUE(files.make_folder(places.program_dir));
  EXPECT_EQ(find_game_data(files, places, log), places.program_dir);  // no game anywhere
  files.put(installed + "11.dat", "JF");
  files.put(installed + "50.dat", "system");
  EXPECT_EQ(find_game_data(files, places, log), installed);  // the player may write it
  files.set_read_only(installed + "50.dat");
  EXPECT_EQ(find_game_data(files, places, log), own);
  EXPECT_EQ(*files.find(own + "50.dat"), "system");
  EXPECT_TRUE(files.writable(own + "50.dat"));
  // Played from then on, never copied over.
  files.put(own + "50.dat", "played");
  EXPECT_EQ(find_game_data(files, places, log), own);
  EXPECT_EQ(*files.find(own + "50.dat"), "played");
  EXPECT_TRUE(log.lines().empty());
  // A shipped game's data is copied even where the player could write it.
  DataPlaces shipped = places;
  shipped.own_dir = "/velmora-memory/home/mygame/";
  shipped.always_copy = true;
  files.set_read_only(installed + "50.dat", false);
  EXPECT_EQ(find_game_data(files, shipped, log), shipped.own_dir);
  EXPECT_EQ(*files.find(shipped.own_dir + "50.dat"), "system");

  // No copy can be made: the player hears why and plays the installed data.
  MemoryFiles locked;
  locked.put(installed + "11.dat", "JF");
  locked.set_read_only(installed);
  locked.set_read_only("/velmora-memory/home/velmora");
  EXPECT_EQ(find_game_data(locked, places, log), installed);
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_NE(log.lines()[0].find(
                "warning: cannot copy the game data to /velmora-memory/home/velmora/data"),
            std::string::npos)
      << log.lines()[0];
  EXPECT_FALSE(locked.is_folder(own));

  // A game beside the program comes first: in "data", or in its own folder
  // (named with its separator or without, never with two).
  files.put(places.program_dir + "11.dat", "JF");
  EXPECT_EQ(find_game_data(files, places, log), places.program_dir);
  EXPECT_EQ(find_data_dir(files, "/velmora-memory/bin"), places.program_dir);
  ASSERT_TRUE(files.make_folder(places.program_dir + "data"));
  EXPECT_EQ(find_game_data(files, places, log), places.program_dir + "data/");
  EXPECT_EQ(find_data_dir(files, "/velmora-memory/bin"), places.program_dir + "data/");
}

}  // namespace
}  // namespace vm
