// Saving, quitting, starting again and loading, played through the real game
// on the headless platform; the slot files as they lie on disk.
#include "save/save.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <stdexcept>
#include <tuple>

#include "app/session.h"
#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/picture_table.h"
#include "ending/ending.h"
#include "platform/headless/memory_files.h"
#include "script/tables.h"

namespace vm {
namespace {

using test::count;
using test::events;
using test::Events;
using test::Part;

using test::Session;
using test::TempDir;

TEST(StateText, FieldsAsTheRecordWritesThem) {
  SavedRecord r{.kou = 5, .pap = 12, .place = 7, .num = 1205, .music = -1, .pos = 417, .track = 3};
  EXPECT_EQ(make_state_text(r), "00501200000712050080-10003041703");

  // Too wide keeps the last digits; a negative counter keeps its sign.
  EXPECT_EQ(state_field(1234, 3) + state_field(-5, 3) + state_field(-1, 2) + state_field(0, 2),
            "2340-5-100");

  // Every record the game writes reads back as it was, negatives included.
  r.kou = -5;
  r.rub = -12;
  const Result<SavedRecord> read = parse_state_text(make_state_text(r));
  ASSERT_TRUE(read) << read.error().what();
  const SavedRecord& back = read.value();
  EXPECT_EQ(std::tie(back.kou, back.rub, back.music, back.pos),
            std::tie(r.kou, r.rub, r.music, r.pos));

  // A hap line too long for any counter is refused, not read past its range.
  EXPECT_FALSE(
      parse_slot_file("a\r\nb\r\n00501200000712050080-10003041703\r\nc\r\nd\r\n\\\r\n"
                      "hap=000000126796553535613806970\r\n"));
  std::string error;
  // A record of any other shape is refused with the field named (the last:
  // the tune).
  for (const char* bad : {"0050120000071205008", "00501200000712050080-10003041703X",
                          "0-50120000071205008-0-0003041703", "005 1200000712050080-10003041703",
                          "00501200000712050080-1000304170X"}) {
    const Result<SavedRecord> refused = parse_state_text(bad);
    ASSERT_FALSE(refused) << bad;
    error = refused.error().what();
    EXPECT_FALSE(error.empty());
  }
  EXPECT_NE(error.find("(tune)"), std::string::npos) << error;

  // A row beyond the state text's four characters travels in a line of its
  // own after hap; a row the text holds writes none, as before.
  const std::string state = make_state_text(r);
  EXPECT_EQ(slot_file_text("d", "t", {state, "", ""}, 1, 9999),
            slot_file_text("d", "t", {state, "", ""}, 1));
  const Result<SlotFile> long_slot =
      parse_slot_file(slot_file_text("d", "t", {state, "", ""}, 1, 123456));
  ASSERT_TRUE(long_slot) << long_slot.error().what();
  EXPECT_EQ(std::tie(long_slot.value().seq, long_slot.value().state.pos, long_slot.value().hap),
            std::make_tuple(123456, 123456, int16_t{1}));
  EXPECT_EQ(parse_slot_file(slot_file_text("d", "t", {state, "", ""})).value().seq, -1);
  for (const char* bad : {"seq=", "seq=12x45", "seq=9999", "seq=-12345", "seq=99999999"}) {
    const Result<SlotFile> refused =
        parse_slot_file("a\r\nb\r\n" + state + "\r\nc\r\nd\r\n\\\r\nhap=0\r\n" + bad + "\r\n");
    ASSERT_FALSE(refused) << bad;
    EXPECT_EQ(std::string(refused.error().what()).rfind("8行目: seq", 0), 0u)
        << refused.error().what();
  }
}

// A slot file as the game writes it, and one as it lies on the disk.
std::string slot_text(const std::string& title, const std::string& state) {
  return slot_file_text("2026/07/01 09:30", title, {state, "山田", "花子"});
}
std::vector<std::string> slot_lines(const std::string& path) {
  const std::string text = cp932_to_utf8(test::read_bytes(path));
  std::vector<std::string> out;
  size_t start = 0, end;
  for (; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return out;
}

// From t on: the slot window from the menu item (none when it is open
// already), the slot picked, the button pressed.
void in_slot_window(Session& s, uint32_t t, const char* menu, int slot, const char* button) {
  if (menu) s.hl.menu(t, menu);
  s.hl.click_control(t + 200, "Label1(" + std::to_string(slot) + ")");
  s.hl.press(t + 300, button);
}

// Saves in the middle of the story with changed options and a new name,
// quits, starts again and loads: the same scene, counters, names and
// options come back; hap and the caption of the run that loads stay.
TEST(SaveAndLoad, RoundTripThroughQuitAndStart) {
  TempDir dir;
  test::copy_demo(dir);
  struct Snapshot {
    int kou, pap, rub, num, pos;
  } saved{};
  bool done = false;
  {
    Session a;
    a.hl.menu(test::kMenuReadyMs + 100, "opt_menu");
    a.hl.choose(test::kMenuReadyMs + 200, "1行ずつ表示");
    a.hl.check(test::kMenuReadyMs + 300, "効果音", false);
    a.hl.scroll(test::kMenuReadyMs + 400, 55);
    a.hl.press(test::kMenuReadyMs + 500, "OK");
    a.hl.click(test::kMenuReadyMs + 700, test::kItemX, test::item_y(0));
    a.hl.answer(0, "森野　詩");
    a.click_through(test::kMenuReadyMs + 3000, [&] { return done; });
    Game& g = a.g;
    a.when(
        test::kMenuReadyMs + 3000,
        [&] { return g.interp.Cur_Num == 500 && g.interp.pap == 1 && g.input.Click_Wait; },
        [&] {
          done = true;
          saved = {g.interp.kou, g.interp.pap, g.interp.rub, g.interp.Cur_Num, g.interp.Script_Pos};
          const uint32_t t = a.hl.now();
          in_slot_window(a, t, "prog_save", 2, "Save");
          a.hl.press(t + 3000, "Close");
          a.quit(t + 4000);
        });
    a.run(dir.path());
    ASSERT_TRUE(done);
    EXPECT_EQ(a.exit_code, 0);
    EXPECT_EQ(events(a.hl, LogKind::FileWritten).where(&LogEvent::file, "02.dat").count(), 1);
    EXPECT_EQ(events(a.hl, LogKind::FormControl)
                  .where(&LogEvent::form, "File_Window")
                  .where(&LogEvent::control, "Label1(2)")
                  .where(&LogEvent::caption, Part{"三人の浜辺\r\n07/20 10:"})
                  .count(),
              1);
  }

  const std::vector<std::string> lines = slot_lines(dir / "02.dat");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(2026/07/20 10:\d\d)"))) << lines[0];
  // The names after the record, hap after the end mark.
  EXPECT_EQ(lines, (std::vector<std::string>{lines[0], "三人の浜辺", lines[2], "森野", "詩", "\\",
                                             "hap=0"}));
  const Result<SavedRecord> record = parse_state_text(lines[2]);
  ASSERT_TRUE(record) << lines[2] << ": " << record.error().what();
  const SavedRecord& r = record.value();
  EXPECT_EQ(lines[2].substr(0, 9), "001001000");  // the hill, then Mitsu invited along
  EXPECT_EQ(r.num, 500);
  EXPECT_EQ(r.pos, saved.pos);
  EXPECT_EQ(lines[2].substr(16, 10), "0055-10002");  // density, music on, effects off, line by line

  Session b;
  Game& g = b.g;
  bool resumed = false;
  b.hl.at(100, [&] { g.interp.hap = 1; });
  b.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(1));
  in_slot_window(b, test::kMenuReadyMs + 100, nullptr, 2, "Load");
  b.when(
      test::kMenuReadyMs + 600, [&] { return g.input.Click_Wait != 0; },
      [&] {
        resumed = true;
        EXPECT_EQ(std::tie(g.interp.kou, g.interp.pap, g.interp.rub, g.interp.Cur_Num),
                  std::tie(saved.kou, saved.pap, saved.rub, saved.num));
        EXPECT_EQ(g.msg.Name_Table[1], "森野");
        EXPECT_EQ(g.msg.Name_Table[2], "詩");
        EXPECT_NE(g.sound.Music_On, 0);
        EXPECT_FLOAT_EQ(g.options.Window_Density, 0.55f);
        // Line by line, no effects; hap the slot's, whatever this run played before.
        EXPECT_EQ(std::tie(g.input.Text_Mode, g.sound.Sound_On, g.interp.hap, g.sound.Cur_Track),
                  std::make_tuple(2, 0, 0, 0));
        EXPECT_FALSE(g.screen.Title.visible);
        EXPECT_TRUE(b.hl.menu_enabled("prog_save"));
        // F5 writes the quick slot beside the five and shows its notice for a
        // second; F9 asks, and "yes" resumes the slot. A damaged quick slot
        // is refused at once with the slot window's words, nothing asked,
        // nothing loaded, and its item greyed.
        EXPECT_FALSE(b.hl.menu_enabled("quick_load"));  // no quick slot yet
        const uint32_t t = b.hl.now();
        b.hl.key(t, kKeyF5);
        b.hl.at(t + 100, [&] {
          EXPECT_TRUE(std::filesystem::exists(dir / "05.dat"));
          EXPECT_TRUE(g.app.Notice.visible);
          EXPECT_TRUE(b.hl.menu_enabled("quick_load"));
        });
        b.hl.at(t + 1200, [&] { EXPECT_FALSE(g.app.Notice.visible); });
        b.hl.key(t + 1500, kKeyF9);
        b.hl.answer(t + 1500, "yes");
        b.hl.at(t + 3000, [&] {
          EXPECT_EQ(events(b.hl, LogKind::FileRead).where(&LogEvent::file, "05.dat").count(), 1);
          test::write_bytes(dir / "05.dat", "壊れた");
        });
        b.hl.key(t + 3100, kKeyF9);
        b.hl.at(t + 3300, [&] {
          EXPECT_EQ(events(b.hl, LogKind::FileRead).where(&LogEvent::file, "05.dat").count(), 1);
          EXPECT_EQ(events(b.hl, LogKind::Dialog)
                        .where(&LogEvent::text, Part{"クイックロードしますか"})
                        .count(),
                    1);
          EXPECT_EQ(events(b.hl, LogKind::Dialog)
                        .where(&LogEvent::text,
                               Part{"クイックスロット (05.dat) のデータを読み込めません。"})
                        .count(),
                    1);
          EXPECT_FALSE(b.hl.menu_enabled("quick_load"));
        });
        b.quit(t + 3500);
      });
  b.run(dir.path());
  ASSERT_TRUE(resumed);
  EXPECT_EQ(b.exit_code, 0);
  const int read = events(b.hl, LogKind::FileRead).where(&LogEvent::file, "02.dat").first();
  ASSERT_GE(read, 0);
  // The story picks up at the first row of the saved scene, with no tune.
  const Events after = events(b.hl).from(read);
  const Events texts = after.of(LogKind::Text);
  ASSERT_FALSE(texts.empty());
  EXPECT_LT(after.of(LogKind::FormClosed).where(&LogEvent::form, "File_Window").first(),
            texts.first());
  EXPECT_EQ(texts.event(0).text.rfind("よし、三人でビーチバレーしよう", 0), 0u)
      << texts.event(0).text;
  EXPECT_EQ(after.of(LogKind::Music).where(&LogEvent::action, "play").first(), -1);
}

// Loading leaves the caption as it was, and a record saved while skipping
// with the music off goes on so.
TEST(LoadState, KeepsTheCaptionTheSkipAndTheSilenceAndFitsOnlyWhatTheStoryPlays) {
  Headless hl;
  Game g(hl.platform());
  const std::string script =
      "0010,p2,,,,,,,kou,1,,,\r\n"
      "0020,p2,,,,,,,pap,1,,,\r\n"
      "0020,p2,,,,,,,pap,1,,,\r\n"
      "9999,,,,,,,,END,,,,\r\n";
  load_tables(g.tables, script, "");
  g.interp.Save_Title = "この回の見出し";
  // NUM 20 saved at its second row (SEQ 2), place -1, music off, skipping
  // (mode "00"), tune 4 playing.
  g.save.Save_Slots = {"0040000000-100200080000000000204", "森野", "詩"};
  load_state(g.story_play());
  EXPECT_EQ(g.interp.Save_Title, "この回の見出し");
  EXPECT_EQ(g.sound.Music_On, 0);
  EXPECT_EQ(g.input.Text_Mode, 0);  // the menu offers to stop
  EXPECT_EQ(hl.menu_caption("speedup"), "スキップ停止");
  // A record is resumed only at a scene, or a row, the story can play, with
  // the speeds and densities the game sets.
  // {NUM, SEQ, text mode, density, whether it fits}
  for (const auto& [num, pos, mode, density, ok] :
       std::vector<std::array<int, 5>>{{1234, 1, 1, 80, 1},
                                       {9999, 0, 1, 80, 0},
                                       {1234, -5, 1, 80, 0},
                                       {1234, 9000, 1, 80, 0},
                                       {10, 0, 4, 80, 0},
                                       {10, 0, 1, 101, 0}}) {
    SavedRecord r;
    r.num = num, r.pos = pos, r.text_mode = mode, r.density = density;
    EXPECT_EQ(record_fits_story(r, g.tables).ok(), ok != 0) << num << " " << pos;
  }
}

// Overwriting asks first, deleting asks first, an empty slot has nothing to
// load or delete, the window opened from the title goes without a trace, and
// a close request while it waits ends the game in order.
TEST(SlotWindow, OverwriteDeleteEmptySlotsAndCloseWhileItWaits) {
  TempDir dir;
  test::copy_demo(dir);
  const std::string record = "00100100000305000080-1-103000802";
  test::write_bytes(dir / "00.dat", slot_text("浜辺にて", record));
  test::write_bytes(dir / "01.dat", slot_text("町の案内", record));
  const std::string old0 = test::read_bytes(dir / "00.dat");

  Session s;
  Game& g = s.g;
  Image title_before, title_after;
  uint32_t asked = 0;
  const uint32_t t0 = test::kMenuReadyMs + 100;
  s.hl.at(t0 - 50, [&] { title_before = s.hl.last_frame(); });
  s.hl.click(t0, test::kItemX, test::item_y(1));
  s.hl.at(t0 + 100, [&] {
    const HeadlessFormState* f = s.hl.form("File_Window");
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(s.hl.main_enabled());
    std::vector<bool> enabled;
    for (int i = 0; i < 4; ++i)
      enabled.push_back(f->find("fBtn(" + std::to_string(i) + ")")->enabled);
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, true, false}));  // load: no delete, no save
    EXPECT_EQ(f->find("Label1(0)")->caption, "浜辺にて\r\n07/01 09:30");
    EXPECT_EQ(f->find("Label1(0)")->fore, 0x000080u);
    EXPECT_EQ(f->find("Label1(4)")->caption, "データなし");
    EXPECT_EQ(f->find("Label1(4)")->fore, 0x808080u);
  });
  s.hl.click_control(t0 + 200, "Label1(4)");
  s.hl.press(t0 + 300, "Load");  // empty: only deselects
  s.hl.at(t0 + 600, [&] {
    EXPECT_EQ(g.save.Selected_Slot, -1);
    EXPECT_NE(s.hl.form("File_Window"), nullptr);
  });
  s.hl.close_box(t0 + 700);  // the close box is the "Close" button
  s.hl.at(t0 + 1200, [&] { title_after = s.hl.last_frame(); });

  // Into the story, then the save window.
  s.hl.click(t0 + 1300, test::kItemX, test::item_y(0));
  bool saved = false;
  s.when(
      t0 + 1400, [&] { return g.input.Click_Wait != 0 && g.interp.Save_Title == "夏休みの始まり"; },
      [&] {
        const uint32_t t = s.hl.now();
        s.hl.menu(t, "prog_save");
        s.hl.at(t + 100, [&] {
          EXPECT_FALSE(s.hl.form("File_Window")->find("fBtn(2)")->enabled);  // no load
        });
        in_slot_window(s, t, nullptr, 0, "Save");
        s.hl.press(t + 500, "No");  // keeps the old file
        s.hl.at(t + 700, [&] { EXPECT_EQ(test::read_bytes(dir / "00.dat"), old0); });
        s.hl.press(t + 800, "Save");  // the slot is still selected: asks again
        s.hl.press(t + 1000, "Yes");
        s.hl.click_control(t + 3000, "Label1(1)");
        s.hl.press(t + 3100, "Delete");
        s.hl.press(t + 3500, "No");
        s.hl.at(t + 3700, [&] { EXPECT_TRUE(std::filesystem::exists(dir / "01.dat")); });
        s.hl.press(t + 3800, "Delete");
        s.hl.press(t + 4100, "Yes");
        s.hl.at(t + 6000, [&] {
          EXPECT_EQ(s.hl.form("File_Window")->find("Label1(1)")->caption, "データなし");
          saved = true;
        });
        // Closed while it asks whether to delete: nothing is deleted (and
        // the game, confused, would not end at the request below).
        s.hl.click_control(t + 6100, "Label1(0)");
        s.hl.press(t + 6200, "Delete");
        s.hl.press(t + 6500, "Close");
        s.hl.at(t + 6900, [&] {
          if (!std::filesystem::exists(dir / "00.dat"))
            throw std::runtime_error("deleted after the window was closed");
        });
        s.hl.menu(t + 7000, "prog_save");
        // A close request while the window waits ends the game in order.
        asked = t + 7500;
        s.hl.close(asked);
      });
  s.run(dir.path());
  ASSERT_TRUE(saved);
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_LT(s.hl.now(), asked + 1000);
  const int removed = events(s.hl, LogKind::FileRemoved).where(&LogEvent::file, "01.dat").first();
  const int closed = events(s.hl)
                         .from(removed)
                         .of(LogKind::FormClosed)
                         .where(&LogEvent::form, "File_Window")
                         .first();
  ASSERT_GE(closed, 0);
  EXPECT_GT(events(s.hl, LogKind::FileWritten).where(&LogEvent::file, "50.dat").first(), closed);
  EXPECT_EQ(title_after.px, title_before.px);
  const Events shown = events(s.hl, LogKind::FormControl)
                           .where(&LogEvent::form, "File_Window")
                           .where(&LogEvent::action, "shows");
  EXPECT_EQ(shown.where(&LogEvent::control, "Label4")
                .where(&LogEvent::caption, "上書きしますか？")
                .count(),
            2);
  EXPECT_EQ(
      shown.where(&LogEvent::control, "Label4").where(&LogEvent::caption, "消去しますか？").count(),
      3);
  EXPECT_EQ(events(s.hl, LogKind::FileWritten).where(&LogEvent::file, "00.dat").count(), 1);
  EXPECT_EQ(
      shown.where(&LogEvent::control, "Label2").where(&LogEvent::caption, "セーブしました").count(),
      1);
  EXPECT_EQ(
      shown.where(&LogEvent::control, "Label2").where(&LogEvent::caption, "消去しました").count(),
      1);
  EXPECT_FALSE(std::filesystem::exists(dir / "01.dat"));
  EXPECT_EQ(slot_lines(dir / "00.dat").at(1), "夏休みの始まり");
}

// Broken slot files and records this story cannot resume are named and
// refused, the file left as it was, while the game goes on: too few lines, a
// field that is no number, a place without a picture, the end marker's scene.
// A slot written before hap was kept, with negative counters, music "01" and
// a scene missing from the script, loads at the saved row with hap 0; saved
// again before any place row, it keeps the loaded background.
TEST(SlotWindow, BrokenAndOutOfRangeRecordsAreRefusedAndOldSlotsLoad) {
  TempDir dir;
  test::copy_demo(dir);
  test::write_bytes(dir / "00.dat", utf8_to_cp932("2026/07/01 09:30\r\n見出し\r\n"));
  test::write_bytes(dir / "01.dat", slot_text("文字", "001001000003050000x0-1-103000802"));
  test::write_bytes(dir / "02.dat",
                    slot_text("絵", make_state_text({.place = 50, .num = 10, .pos = 8})));
  test::write_bytes(dir / "03.dat", slot_text("終", make_state_text({.num = 9999})));
  // Six lines, as slots were written before: kou -5, pap 2, rub -1, place
  // 13, NUM 1234 (no scene of the story), density 70, music "01", line by
  // line; SEQ 6 is the hero's first line.
  test::write_bytes(dir / "04.dat", utf8_to_cp932("2026/07/01 09:30\r\n昔の\r\n"
                                                  "0-50020-101312340070010003000600\r\n"
                                                  "山田\r\n花子\r\n\\\r\n"));
  Session s;
  Game& g = s.g;
  const uint32_t t0 = test::kMenuReadyMs + 100;
  s.hl.at(100, [&] { g.interp.hap = 1; });
  s.hl.click(t0, test::kItemX, test::item_y(1));
  s.hl.at(t0 + 100, [&] {
    const HeadlessFormState* f = s.hl.form("File_Window");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(f->find("Label1(" + std::to_string(i) + ")")->caption, "読み込めないデータ") << i;
    EXPECT_EQ(f->find("Label1(4)")->caption, "昔の\r\n07/01 09:30");
  });
  for (int i : {0, 1, 2, 4}) {
    s.hl.click_control(t0 + 200 + 400 * i, "Label1(" + std::to_string(i) + ")");
    s.hl.press(t0 + 300 + 400 * i, "Load");
  }
  bool loaded = false;
  s.when(
      t0 + 2000, [&] { return g.input.Click_Wait != 0 && g.interp.Cur_Num == 10; },
      [&] {
        loaded = true;
        EXPECT_EQ(std::tie(g.interp.kou, g.interp.pap, g.interp.rub, g.interp.hap),
                  std::make_tuple(-5, 2, -1, 0));
        EXPECT_NE(g.sound.Music_On, 0);
        EXPECT_FLOAT_EQ(g.options.Window_Density, 0.7f);
        const uint32_t u = s.hl.now();
        in_slot_window(s, u, "prog_save", 1, "Save");
        s.hl.press(u + 500, "Yes");
        s.hl.press(u + 2500, "Close");
        s.quit(u + 3000);
      });
  s.run(dir.path());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text,
                       Part{"スロット1 (00.dat) のデータを読み込めません。\r\n行が足りません"})
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, Part{"スロット2 (01.dat) のデータを読み込めません。"})
                .count(),
            1);
  EXPECT_EQ(
      events(s.hl, LogKind::Dialog).where(&LogEvent::text, Part{"数字ではありません"}).count(), 1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, Part{"スロット3 (02.dat) のデータを読み込めません。"})
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, Part{"(place) の値 50 が範囲外です"})
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog).where(&LogEvent::text, "Not found NUM to SEQ").count(),
            1);
  // The bad place is named in the dialog only, never as a background shown.
  EXPECT_EQ(events(s.hl).with_line_part("Background 50").count(), 0);
  EXPECT_EQ(events(s.hl, LogKind::FileRead).where(&LogEvent::file, "02.dat").count(), 0);
  const Events texts =
      events(s.hl)
          .from(events(s.hl, LogKind::FileRead).where(&LogEvent::file, "04.dat").first())
          .of(LogKind::Text);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.event(0).text.rfind("さて、今年の夏休みは", 0), 0u) << texts.event(0).text;
  EXPECT_EQ(slot_lines(dir / "01.dat").at(2).substr(9, 3), "013");
  EXPECT_EQ(test::read_bytes(dir / "00.dat"), utf8_to_cp932("2026/07/01 09:30\r\n見出し\r\n"));
}

// Loads from the game menu, one after another, run in one loop: the stack
// and the memory stay where they were after the first.
TEST(SaveAndLoad, TwoThousandLoadsKeepTheStackAndMemoryFlat) {
  TempDir dir;
  test::copy_demo(dir);
  // Line by line: the test's time goes to loading.
  test::write_bytes(dir / "00.dat",
                    slot_text("何度でも", make_state_text({.num = 10, .text_mode = 2})));
  auto resident_kb = [] {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
      std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
  };
  Session s;
  Game& g = s.g;
  // The game's memory is measured, not the test's record of two thousand
  // loads' events.
  s.hl.log().keep = false;
#ifdef __SANITIZE_ADDRESS__
  // The sanitizer keeps freed memory aside and runs ten times slower: the
  // stack is still measured, over fewer loads.
  constexpr int kLoads = 200;
  constexpr long kMoreKb = 1L << 30;
#else
  constexpr int kLoads = 2000;
  constexpr long kMoreKb = 8 * 1024;
#endif
  int loads = 0;
  uintptr_t first_frame = 0, deepest_frame = 0;
  long first_kb = 0, last_kb = 0;
  std::function<void()> load_again = [&] {
    s.when(
        s.hl.now() + 10, [&] { return g.input.Click_Wait != 0; },
        [&] {
          const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
          if (loads == 1) {
            first_frame = deepest_frame = frame;
            first_kb = resident_kb();
          }
          deepest_frame = std::min(deepest_frame, frame);
          if (loads++ == kLoads) {
            last_kb = resident_kb();
            s.quit(s.hl.now());
            return;
          }
          const uint32_t t = s.hl.now();
          s.hl.menu(t, "prog_load");
          s.hl.click_control(t + 10, "Label1(0)");
          s.hl.press(t + 20, "Load");
          s.hl.at(t + 1100, load_again);
        });
  };
  s.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(1));
  s.hl.click_control(test::kMenuReadyMs + 200, "Label1(0)");
  s.hl.press(test::kMenuReadyMs + 300, "Load");
  s.hl.at(test::kMenuReadyMs + 1400, load_again);
  s.run(dir.path());
  EXPECT_EQ(s.exit_code, 0);
  ASSERT_EQ(loads, kLoads + 1);
  EXPECT_LT(first_frame - deepest_frame, 4096u) << "each load nests in the last";
  EXPECT_LT(last_kb - first_kb, kMoreKb) << "kB more after " << kLoads << " loads";
}

// A slot that cannot be written says so, nothing is written and the story
// goes on: in a folder the player may not change, whoever runs the game (the
// superuser too, since it is held in memory), a save and a delete are refused
// with the reason, every slot stays as it was, and so does the system file
// at the end: a kill or a full disk would leave it empty if it were cut short
// and rewritten where it stands, so the player is told why instead.
TEST(SlotWindow, SavesThatCannotBeWrittenAreReportedAndEverySlotIsKept) {
  const std::string refused = "ゲームをセーブできませんでした。\r\nスロット1 (00.dat)";
  MemoryFiles files;
  const std::string dir = "/velmora-memory/data/";
  files.seed_from_disk(test::build_dir() + "/data", dir);
  const std::string old1 = slot_text("町の案内", "00100100000305000080-1-103000802");
  files.put(dir + "01.dat", old1);
  const std::string sys_before = *files.find(dir + "50.dat");
  files.set_read_only(dir);
  Session s(files);
  bool went_on = false;
  s.at_first_wait([&](uint32_t t) {
    in_slot_window(s, t, "prog_save", 0, "Save");
    in_slot_window(s, t + 1300, nullptr, 1, "Delete");
    s.hl.press(t + 2000, "Yes");
    s.hl.press(t + 3500, "Close");
    const auto pos = s.g.interp.Script_Pos;
    s.hl.click(t + 4000, test::kWindowX, 380);
    s.when(
        t + 4100, [&, pos] { return s.g.interp.Script_Pos > pos && s.g.input.Click_Wait != 0; },
        [&] {
          went_on = true;
          s.quit(s.hl.now());
        });
  });
  s.run(dir);
  EXPECT_TRUE(went_on);
  EXPECT_EQ(s.exit_code, 1);  // the system file could not be written either
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, refused + "\r\n" + dir +
                                            "00.dat: not written, the old file is kept (no new "
                                            "copy can be made beside it: Permission denied)")
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::Dialog)
                .where(&LogEvent::text, "データを消去できませんでした。\r\nスロット2 (01.dat)")
                .count(),
            1);
  EXPECT_EQ(events(s.hl, LogKind::FileWritten).where(&LogEvent::file, "00.dat").count(), 0);
  // The slot window's word for a save done, in no window and no message.
  EXPECT_EQ(events(s.hl).with_line_part("セーブしました").count(), 0);
  EXPECT_EQ(events(s.hl, LogKind::FileRemoved).where(&LogEvent::file, "01.dat").count(), 0);
  EXPECT_EQ(files.find(dir + "00.dat"), nullptr);
  EXPECT_EQ(*files.find(dir + "01.dat"), old1);
  EXPECT_EQ(*files.find(dir + "50.dat"), sys_before);
  EXPECT_EQ(events(s.hl)
                .where(&LogEvent::text, Part{dir + "50.dat: not written, the old file is kept"})
                .count(),
            1);
  // Only the pictures' first bytes were written, and given back.
  for (const std::string& path : files.written()) {
    const PictureEntry* p = find_picture_entry(std::atoi(path.substr(dir.size()).c_str()));
    EXPECT_TRUE(p && p->disguised) << path;
  }
  for (int n : managed_pictures_exit_order())
    EXPECT_EQ(files.find(dir + dat_name(n))->substr(0, 2), "JF") << n;
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// A story of 100,000 rows: an opening line, a jump over twelve thousand
// rows to scene 5000, whose lines begin at SEQ 12345, and more scenes on to
// the end. Every line says its own row, "行SEQ". With moved_scene, scene
// 5000 is numbered 5005 instead, as an author's renumbering leaves a slot
// saved in it.
std::string long_script(bool moved_scene) {
  std::string s = utf8_to_cp932("0010,,,,,,,,はじまり,,,,\r\n") + "0010,g0,5000,,,,,,,,,,\r\n";
  char num[16];
  for (int seq = 2; seq < 99999; ++seq) {
    const int n = seq < 12345   ? 20 + seq / 4
                  : seq < 12400 ? (moved_scene ? 5005 : 5000)
                                : 5010 + (seq - 12400) / 20;
    std::snprintf(num, sizeof num, "%04d", n);
    s += std::string(num) + ",,,,,,,," + utf8_to_cp932("行" + std::to_string(seq)) + ",,,,\r\n";
  }
  return s + "9999,,,,,,,,,,,,\r\n";
}

// Saved at a row beyond 9999 of a long story, the slot keeps the row whole
// (seq=) and a new run resumes there: at the scene's first row, and at the
// very row when the scene is gone.
TEST(SaveAndLoad, ALongStorySavedBeyondRow9999ResumesAtItsRow) {
  TempDir dir;
  test::copy_demo(dir);
  test::write_bytes(dir / "51.dat", invert_bytes(long_script(false)));
  bool saved = false;
  {
    Session a;
    Game& g = a.g;
    a.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(0));
    a.click_through(test::kMenuReadyMs + 1000, [&] { return saved; });
    a.when(
        test::kMenuReadyMs + 1000,
        [&] { return g.interp.Script_Pos == 12346 && g.input.Click_Wait != 0; },
        [&] {
          saved = true;
          const uint32_t t = a.hl.now();
          in_slot_window(a, t, "prog_save", 3, "Save");
          a.hl.press(t + 3000, "Close");
          a.quit(t + 4000);
        });
    a.run(dir.path());
    ASSERT_TRUE(saved);
    EXPECT_EQ(a.exit_code, 0);
  }
  const std::vector<std::string> lines = slot_lines(dir / "03.dat");
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7], "seq=12346");
  EXPECT_EQ(lines[2].substr(26, 4), "2346");  // the state text keeps what it can

  for (const bool moved : {false, true}) {
    SCOPED_TRACE(moved ? "scene renumbered" : "scene as saved");
    test::write_bytes(dir / "51.dat", invert_bytes(long_script(moved)));
    Session b;
    Game& g = b.g;
    bool resumed = false;
    b.hl.click(test::kMenuReadyMs + 100, test::kItemX, test::item_y(1));
    in_slot_window(b, test::kMenuReadyMs + 100, nullptr, 3, "Load");
    b.when(
        test::kMenuReadyMs + 600, [&] { return g.input.Click_Wait != 0; },
        [&] {
          resumed = true;
          EXPECT_EQ(g.interp.Script_Pos, moved ? 12346 : 12345);
          b.quit(b.hl.now() + 100);
        });
    b.run(dir.path());
    ASSERT_TRUE(resumed);
    const Events texts =
        events(b.hl)
            .from(events(b.hl, LogKind::FileRead).where(&LogEvent::file, "03.dat").first())
            .of(LogKind::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.event(0).text, moved ? "行12346" : "行12345");
    EXPECT_EQ(events(b.hl, LogKind::Dialog).where(&LogEvent::text, "Not found NUM to SEQ").count(),
              moved ? 1 : 0);
  }
}

}  // namespace
}  // namespace vm
