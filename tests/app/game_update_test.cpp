// A new version of an installed game reaching the player's copy of it: the
// game's files are the new ones; the saves, the gallery pictures seen and the
// messages read (where their text is unchanged) stay the player's.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <sstream>

#include "app/data_folder.h"
#include "app/read_log.h"
#include "app/session.h"
#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "platform/headless/memory_files.h"
#include "script/tables.h"

namespace vm {
namespace {

using test::count;
using test::read_bytes;
using test::TempDir;
using test::write_bytes;

ScriptTables tables_of(Files& files, const std::string& dir) {
  const DataFolder d(files, dir);
  ScriptTables t;
  load_tables(t, d.read_script(), d.read_choices());
  return t;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l + "\n");
  return out;
}

// The script of dir with the message of row `changed` reworded and a new
// message put before row `before`: the next version of the game.
void write_next_script(Files& files, const std::string& dir, int changed, int before) {
  const DataFolder d(files, dir);
  const ScriptTables t = tables_of(files, dir);
  std::vector<std::string> lines = lines_of(d.read_script());
  const ScriptRow& c = t.Script_Table.at(static_cast<size_t>(changed));
  std::string& line = lines.at(static_cast<size_t>(c.line - 1));
  const std::string text = utf8_to_cp932(std::string(c.text));
  ASSERT_NE(line.find(text), std::string::npos);
  line.replace(line.find(text), text.size(), utf8_to_cp932(std::string(c.text) + "（改）"));
  const ScriptRow& b = t.Script_Table.at(static_cast<size_t>(before));
  std::string added = lines.at(static_cast<size_t>(b.line - 1));
  const std::string old_text = utf8_to_cp932(std::string(b.text));
  added.replace(added.find(old_text), old_text.size(), utf8_to_cp932("新しい台詞です"));
  lines.insert(lines.begin() + (b.line - 1), added);
  std::string script;
  for (const std::string& l : lines) script += l;
  d.replace("51.dat", invert_bytes(script)).value_or_throw();
}

void stamp(Files& files, const std::string& dir, const std::string& version) {
  DataFolder(files, dir)
      .replace(kGameStampFile, "version " + version + "\ndata " + version + "\n")
      .value_or_throw();
}

// The player's 50.dat with these gallery pictures seen.
void mark_seen(Files& files, const std::string& dir, std::initializer_list<size_t> pictures) {
  const DataFolder d(files, dir);
  AssetState a;
  a.Sys_Lines = d.read_system();
  read_line6(a);
  for (size_t p : pictures) a.CG_Seen.at(p) = -1;
  rebuild_line6(a);
  d.write_system(a.Sys_Lines).value_or_throw();
}

void in_slot_window(test::Session& s, uint32_t t, const char* menu, int slot, const char* button) {
  if (menu) s.hl.menu(t, menu);
  s.hl.click_control(t + 200, "Label1(" + std::to_string(slot) + ")");
  s.hl.press(t + 300, button);
}

// Starts the story, reads six messages, saves in slot 1 and quits.
void play_and_save(const std::string& dir) {
  test::Session s;
  bool saved = false;
  s.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(0));
  s.click_through(test::kMenuReadyMs + 3000, [&] { return saved; });
  s.when(
      test::kMenuReadyMs + 3000,
      [&] { return count(s.hl, LogKind::Text) >= 6 && s.g.input.Click_Wait != 0; },
      [&] {
        saved = true;
        const uint32_t t = s.hl.now();
        in_slot_window(s, t, "prog_save", 1, "Save");
        s.hl.press(t + 3000, "Close");
        s.quit(t + 4000);
      });
  s.run(dir);
  ASSERT_TRUE(saved);
  EXPECT_EQ(s.exit_code, 0);
}

// 0.9 installed, played and saved; 1.0 installed over it (one message
// reworded, one added, a setting of 50.dat changed): the next start plays
// 1.0 with the save, the gallery and the messages read that did not change.
TEST(GameUpdate, ANewVersionIsPlayedWithTheSavesGalleryAndReadMessagesKept) {
  TempDir root;
  const DataPlaces places{root / "bin/", root / "share/velmora/data/", root / "home/velmora/data/",
                          true};
  const std::string &installed = places.installed_dir, &own = places.own_dir;
  std::filesystem::create_directories(places.program_dir);
  std::filesystem::create_directories(installed);
  std::filesystem::copy(test::build_dir() + "/data", installed);
  Headless hl;
  Files& files = hl.platform().files;
  stamp(files, installed, "0.9");
  test::LogLines log;
  ASSERT_EQ(find_game_data(files, places, log), own);
  play_and_save(own);
  mark_seen(files, own, {0, 3});
  const std::string save = read_bytes(own + "01.dat");
  const ScriptTables old_tables = tables_of(files, own);
  ReadLog old;
  ASSERT_TRUE(parse_read_log(read_bytes(own + kReadLogFile), old_tables.Script_Table.size(), old));
  std::vector<int> read_rows;
  for (size_t i = 0; i < old.read.size(); ++i)
    if (old.read[i]) read_rows.push_back(static_cast<int>(i));
  ASSERT_GE(read_rows.size(), 5u);

  // Version 1.0 over it.
  write_next_script(files, installed, read_rows[1], read_rows[3]);
  std::array<std::string, 26> system = DataFolder(files, installed).read_system();
  system[25] = "1.0";
  ASSERT_TRUE(DataFolder(files, installed).write_system(system));
  stamp(files, installed, "1.0");
  ASSERT_EQ(find_game_data(files, places, log), own);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0],
            "warning: the game was updated: 0.9 replaced by 1.0 in " + own + "; saves kept");

  for (const char* game_file : {"51.dat", "52.dat", "11.dat", "70.dat", kGameStampFile})
    EXPECT_EQ(read_bytes(own + game_file), read_bytes(installed + game_file)) << game_file;
  EXPECT_EQ(read_bytes(own + "01.dat"), save);
  EXPECT_FALSE(std::filesystem::exists(own + "00.dat"));
  const std::array<std::string, 26> now = DataFolder(files, own).read_system();
  EXPECT_EQ(now[25], "1.0");
  EXPECT_EQ(now[6].substr(1), "03406");  // pictures 0 and 3 seen
  EXPECT_TRUE(DataFolder(files, root / "home/velmora/data.update").file_names().empty());

  // Marks by text: the reworded message and the added one are unread, every
  // other message read is read still, nothing else is.
  const ScriptTables t = tables_of(files, own);
  ReadLog carried;
  ASSERT_TRUE(parse_read_log(read_bytes(own + kReadLogFile), t.Script_Table.size(), carried));
  std::vector<std::string> read_now;
  for (size_t i = 0; i < carried.read.size(); ++i)
    if (carried.read[i]) read_now.emplace_back(t.Script_Table[i].text);
  std::vector<std::string> expected;
  for (int r : read_rows)
    if (r != read_rows[1])
      expected.emplace_back(old_tables.Script_Table[static_cast<size_t>(r)].text);
  EXPECT_EQ(read_now, expected);

  // The slot plays on in the new version; a second start changes nothing.
  test::Session s;
  bool resumed = false;
  s.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(1));
  in_slot_window(s, test::kMenuReadyMs + 100, nullptr, 1, "Load");
  s.when(
      test::kMenuReadyMs + 600, [&] { return s.g.input.Click_Wait != 0; },
      [&] {
        resumed = true;
        s.quit(s.hl.now() + 100);
      });
  s.run(own);
  EXPECT_TRUE(resumed);
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(find_game_data(files, places, log), own);
  EXPECT_EQ(log.lines.size(), 1u);
}

// A kill stops the game after n changes to the files, for every n: the saves
// stay whole, the copy holds the old game or the new one is whole beside it,
// and the next start ends with the copy the update makes when nothing stops it.
struct Killed {};
class KilledFiles : public Files {
 public:
  KilledFiles(MemoryFiles& f, int kill_at) : f_(f), left_(kill_at) {}
  Result<std::string> read_whole(const std::string& p) override { return f_.read_whole(p); }
  Result<void> replace_whole(const std::string& p, const std::string& d) override {
    step();
    return f_.replace_whole(p, d);
  }
  Result<void> write_at(const std::string& p, size_t o, const std::string& b) override {
    step();
    return f_.write_at(p, o, b);
  }
  Result<void> remove(const std::string& p) override {
    if (!f_.exists(p)) return f_.remove(p);  // nothing changes: no step
    step();
    return f_.remove(p);
  }
  std::vector<FolderEntry> list(const std::string& d) override { return f_.list(d); }
  bool is_folder(const std::string& p) override { return f_.is_folder(p); }
  long long length(const std::string& p) override { return f_.length(p); }
  bool writable(const std::string& p) override { return f_.writable(p); }
  Result<void> make_folder(const std::string& d) override {
    step();
    return f_.make_folder(d);
  }
  Result<void> copy_folder_whole(const std::string& from, const std::string& to) override {
    step();
    return f_.copy_folder_whole(from, to);
  }

 private:
  void step() {
    if (left_-- == 0) throw Killed{};
  }
  MemoryFiles& f_;
  int left_;
};

std::map<std::string, std::string> files_in(MemoryFiles& f, const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const FolderEntry& e : f.list(dir))
    if (!e.folder) out[e.name] = *f.find(dir + e.name);
  return out;
}

TEST(GameUpdate, AKillAtAnyMomentLeavesOneGameWholeAndTheNextStartFinishesTheUpdate) {
  const DataPlaces places{"/m/bin/", "/m/share/velmora/data/", "/m/home/velmora/data/", true};
  const std::string &installed = places.installed_dir, &own = places.own_dir;
  const std::string next = "/m/home/velmora/data.update/";
  MemoryFiles before;
  ASSERT_TRUE(before.make_folder(places.program_dir));
  before.seed_from_disk(test::build_dir() + "/data", installed);
  stamp(before, installed, "0.9");
  before.put(installed + "old.mid", "a tune 1.0 no longer has");
  ASSERT_TRUE(before.copy_folder_whole(installed, own));
  before.put(own + "01.dat", "the player's save");
  before.put(own + "05.dat", "the quick slot");
  before.put(own + "12.dat", "BM restored by a game that was killed");
  const std::map<std::string, std::string> old_game = files_in(before, own);
  ASSERT_TRUE(before.remove(installed + "old.mid"));
  write_next_script(before, installed, 3, 5);
  before.put(installed + "new.mid", "a tune of 1.0");
  stamp(before, installed, "1.0");

  test::LogLines log;
  MemoryFiles whole = before;
  ASSERT_EQ(find_game_data(whole, places, log), own);
  const std::map<std::string, std::string> updated = files_in(whole, own);
  EXPECT_EQ(updated.at("new.mid"), "a tune of 1.0");
  EXPECT_EQ(updated.count("old.mid"), 0u);
  EXPECT_EQ(updated.at("12.dat"), *whole.find(installed + "12.dat"));
  EXPECT_EQ(updated.at("05.dat"), "the quick slot");

  bool finished = false;
  for (int n = 0; !finished; ++n) {
    MemoryFiles f = before;
    KilledFiles killed(f, n);
    try {
      find_game_data(killed, places, log);
      finished = true;
    } catch (const Killed&) {
    }
    const std::map<std::string, std::string> left = files_in(f, own);
    EXPECT_EQ(left.at("01.dat"), "the player's save") << n;
    EXPECT_EQ(left.at("05.dat"), "the quick slot") << n;
    EXPECT_TRUE(left == old_game || left == updated || f.exists(next + "update.ready")) << n;
    if (f.exists(next + "update.ready")) {
      std::map<std::string, std::string> ready = files_in(f, next);
      ready.erase("update.ready");
      EXPECT_TRUE(ready == updated) << n;
    }
    EXPECT_EQ(find_game_data(f, places, log), own) << n;
    EXPECT_TRUE(files_in(f, own) == updated) << n;
    EXPECT_TRUE(files_in(f, next).empty()) << n;
    // Up to date now: a start changes nothing.
    const size_t written = f.written().size();
    EXPECT_EQ(find_game_data(f, places, log), own);
    EXPECT_EQ(f.written().size(), written) << n;
  }
}

// Rows found again by their text, the k-th row of a text for the k-th.
TEST(GameUpdate, ReadMarksFollowTheirTextNeverMarkingNewText) {
  ReadLog old;
  old.read = {true, false, true, true, false};
  const ReadLog carried =
      carry_read_marks(old, {"a", "b", "a", "", "c"}, {"new", "a", "", "b", "a", "a", "c2"});
  EXPECT_EQ(carried.read, (std::vector<bool>{false, true, false, false, true, false, false}));
}

}  // namespace
}  // namespace vm
