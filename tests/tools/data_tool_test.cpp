// The data tool against real folders: the demo it writes, the check's
// reports on broken data, and the unpack/pack round trip.
#include "data/data_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/session.h"
#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "authoring/layout.h"
#include "authoring/midi.h"
#include "authoring/pictures.h"
#include "platform/common/disk_files.h"
#include "platform/common/pixbuf_pictures.h"
#include "script/tables.h"

namespace vm::datatool {
namespace {

using test::read_bytes;
using test::snapshot;
using test::write_bytes;

namespace fs = std::filesystem;

DiskFiles disk;

class DataToolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    demo_ = new test::TempDir;
    write_demo(disk, demo_->path());
  }
  static void TearDownTestSuite() { delete demo_; }

  // Scratch folders, removed after the test; the first a copy of the demo to break.
  test::TempDir tmp;
  std::string copy_of_demo() {
    fs::copy(demo_->path(), tmp / "copy");
    return tmp / "copy";
  }

  // The decoded script of a folder.
  static std::string script_of(const std::string& dir) {
    return cp932_to_utf8(invert_bytes(read_bytes(join_path(dir, "51.dat"))));
  }

  static std::string demo() { return demo_->path(); }
  static test::TempDir* demo_;
};

test::TempDir* DataToolTest::demo_ = nullptr;

TEST_F(DataToolTest, DemoIsByteIdenticalOnEveryRunCompleteAndPassesTheCheck) {
  std::ostringstream out, err;
  ASSERT_EQ(data_tool_main({"demo", tmp / "again"}, out, err), 0) << err.str();
  EXPECT_TRUE(snapshot(demo()) == snapshot(tmp / "again"));

  std::vector<std::string> expected = {"50.dat", "51.dat", "52.dat"};
  for (const PictureEntry& s : picture_entries()) expected.push_back(dat_name(s.number));
  for (const std::string& t : demo_tune_names()) expected.push_back(t);
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> names;
  for (const auto& [name, bytes] : snapshot(demo())) names.push_back(name);
  EXPECT_EQ(names, expected);
  test::expect_at_rest(demo());

  // The system file has twenty-five lines in the code page.
  const std::string bytes = read_bytes(join_path(demo(), "50.dat"));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 25);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 25);
  const std::string text = cp932_to_utf8(bytes);
  EXPECT_EQ(text.rfind("春野\r\nひより\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n023456\r\ntitle.mid\r\ntown.mid\r\n"), std::string::npos);
  // The script starts with its heading line and ends with the end marker.
  const std::string script = script_of(demo());
  EXPECT_EQ(script.rfind("num,", 0), 0u);
  EXPECT_TRUE(script.ends_with("\r\n9999,,,,,,,,END,,,,\r\n"));

  // The check passes on it without warnings.
  EXPECT_EQ(check_folder(disk, demo()), std::vector<Finding>{});
  out.str("");
  EXPECT_EQ(data_tool_main({"check", "--strict", demo()}, out, err), 0);
  EXPECT_EQ(out.str(), "ok\n");

  // Usage errors.
  EXPECT_EQ(data_tool_main({}, out, err), 2);
  EXPECT_EQ(data_tool_main({"frobnicate", "x"}, out, err), 2);
  EXPECT_NE(err.str().find("unknown command \"frobnicate\""), std::string::npos);
  EXPECT_EQ(data_tool_main({"check"}, out, err), 2);
  EXPECT_EQ(data_tool_main({"unpack", "/nonexistent/velmora", tmp / "x"}, out, err), 1);
}

// The lines of a check as printed.
std::vector<std::string> lines_of(const std::vector<Finding>& found) {
  std::vector<std::string> out;
  for (const Finding& f : found) out.push_back(f.line);
  return out;
}

// What no single row shows: files missing or never named, and the count the
// command prints. Each row's rules, by line and field: data_rules_test.
TEST_F(DataToolTest, CheckNamesMissingAndUnnamedFilesAndPassesWarningsUnlessStrict) {
  const std::string dir = copy_of_demo();
  fs::remove(join_path(dir, "77.dat"));
  std::string sys = read_bytes(join_path(dir, "50.dat"));
  sys.replace(sys.find("sad.mid"), 7, "sob.mid");
  write_bytes(join_path(dir, "50.dat"), sys);
  const std::string script = script_of(dir);
  const auto place7 = std::ranges::count(script.substr(0, script.find("\n0200,,,7,")), '\n') + 2;
  const std::vector<std::string> expected = {
      "50.dat:11: error: names \"sob.mid\", which is not in the folder",
      "51.dat:" + std::to_string(place7) +
          ": error: field 4 (place): background 7 needs 77.dat, which is not in the folder",
      "77.dat: error: missing",
      "sad.mid: warning: not named in 50.dat: the game never plays it",
  };
  EXPECT_EQ(lines_of(check_folder(disk, dir)), expected);
  std::ostringstream out, err;
  EXPECT_EQ(data_tool_main({"check", dir}, out, err), 1);
  EXPECT_NE(out.str().find("the game never plays it\n3 errors, 1 warning\n"), std::string::npos)
      << out.str();

  // Warnings alone pass, unless strict.
  write_bytes(join_path(dir, "77.dat"), read_bytes(join_path(demo(), "77.dat")));
  write_bytes(join_path(dir, "sob.mid"), read_bytes(join_path(dir, "sad.mid")));
  write_bytes(join_path(dir, "50.dat"), sys.replace(sys.find("023456"), 6, "023457"));
  out.str("");
  EXPECT_EQ(data_tool_main({"check", dir}, out, err), 0);
  EXPECT_NE(out.str().find("0 errors, 2 warnings"), std::string::npos) << out.str();
  EXPECT_EQ(data_tool_main({"check", "--strict", dir}, out, err), 1);
}

TEST_F(DataToolTest, CheckRejectsPicturesThatDoNotDecodeAndBrokenMusicAndWarnsOfSmallOnes) {
  const std::string dir = copy_of_demo();
  std::string face = read_bytes(join_path(dir, "60.dat"));
  write_bytes(join_path(dir, "60.dat"), face.substr(0, 40));
  write_bytes(join_path(dir, "61.dat"), encode_bmp(Image(100, 100)));
  const std::string tune = read_bytes(join_path(dir, "velloria.mid"));
  write_bytes(join_path(dir, "velloria.mid"), tune.substr(0, tune.size() - 4));
  // A sprite whose header claims 20000 x 20000 (the game would need gigabytes).
  std::string bomb = encode_bmp(Image(16, 16));
  for (size_t at : {18u, 22u}) bomb.replace(at, 2, "\x20\x4E");
  write_bytes(join_path(dir, "11.dat"), "JF" + bomb.substr(2));
  const std::vector<std::string> problems = lines_of(check_folder(disk, dir));
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_EQ(problems[0],
            "11.dat: error: not a picture: the picture claims 20000 x 20000 pixels, more than the "
            "4096 x 4096 a picture may have");
  EXPECT_EQ(problems[1].rfind("60.dat: error: not a picture: ", 0), 0u) << problems[1];
  EXPECT_EQ(problems[2],
            "61.dat: warning: texture sheet is 100x100, expected 280x370; the rest stays undrawn");
  EXPECT_EQ(problems[3].rfind("velloria.mid: error: not a MIDI file: ", 0), 0u) << problems[3];
}

// The demo with one line of its script replaced ("" drops it); the line it
// was on, in `line`.
std::string edited_demo(const std::string& copy, const std::string& from, const std::string& to,
                        int& line) {
  const std::string file = join_path(copy, "51.dat");
  std::string script = cp932_to_utf8(invert_bytes(read_bytes(file)));
  const size_t at = script.find("\n" + from) + 1;
  EXPECT_NE(at, 0u) << from;
  line =
      static_cast<int>(std::count(script.begin(), script.begin() + static_cast<long>(at), '\n')) +
      1;
  script.replace(at, script.find('\n', at) + 1 - at, to.empty() ? "" : to + "\r\n");
  write_bytes(file, invert_bytes(utf8_to_cp932(script)));
  return copy;
}

// The line of the script row that starts with `start`.
int line_of(const std::string& copy, const std::string& start) {
  const std::string script = cp932_to_utf8(invert_bytes(read_bytes(join_path(copy, "51.dat"))));
  const size_t at = script.find("\n" + start);
  return at == std::string::npos
             ? 0
             : static_cast<int>(
                   std::count(script.begin(), script.begin() + static_cast<long>(at), '\n')) +
                   2;
}

bool has_line(const std::vector<Finding>& found, const std::string& line) {
  return std::ranges::find(found, Finding{line.find(": error: ") != std::string::npos, line}) !=
         found.end();
}

// What no row shows by itself but the paths the game takes do: a face whose
// sprite a background change took away, a story that runs into the end
// marker, a place row whose background is already on the screen, a NUM out
// of order that makes jumps elsewhere miss. Each is told at its row as the
// player meets it; the rows themselves are all legal.
TEST_F(DataToolTest, CheckFollowsThePathsTheGameTakes) {
  int line = 0;
  // The beach scene's sprite row gone: its face rows find no sprite.
  std::string dir = edited_demo(copy_of_demo(), "0100,,,,22,,,,R,", "", line);
  const int face = line_of(dir, "0100,,,,,3,,2,");
  std::vector<Finding> found = check_folder(disk, dir);
  EXPECT_TRUE(has_line(found, "51.dat:" + std::to_string(face) +
                                  ": error: field 6 (face): a face, and no sprite since the "
                                  "background changed: the game shows \"0 doll but face change?\" "
                                  "and ends"))
      << lines_of(found).front();
  EXPECT_EQ(std::ranges::count_if(found, [](const Finding& f) { return f.error; }), 1);

  // No ending: the last row before the end marker is where it runs out.
  fs::remove_all(tmp / "copy");
  dir = edited_demo(copy_of_demo(), "0990,e,", "", line);
  EXPECT_EQ(lines_of(check_folder(disk, dir)),
            std::vector<std::string>{"51.dat:" + std::to_string(line - 1) +
                                     ": error: a path runs into the end marker after this row: "
                                     "the game stops on its last picture without an ending"});

  // The hill road on the town's background: its transition code is shown.
  fs::remove_all(tmp / "copy");
  dir = edited_demo(copy_of_demo(), "0200,,,11,,,,,HB,", "0200,,,0,,,,,HB,,,,", line);
  found = check_folder(disk, dir);
  EXPECT_TRUE(has_line(found, "51.dat:" + std::to_string(line) +
                                  ": warning: field 4 (place): background 0 is already on the "
                                  "screen on every path that reaches this row: the game shows "
                                  "\"HB\" as a message"))
      << lines_of(found).front();

  // A NUM lower than the demo's last one, before the end marker: the binary
  // search that jumps take misses the closing scene.
  fs::remove_all(tmp / "copy");
  dir = edited_demo(copy_of_demo(), "9999,", "0005,,,,,,,,あ,,,,\r\n9999,,,,,,,,END,,,,", line);
  found = check_folder(disk, dir);
  EXPECT_TRUE(has_line(found, "51.dat:" + std::to_string(line) +
                                  ": error: field 1 (num): NUM 0005 after NUM 0990: NUMs must "
                                  "ascend and the rows of one NUM stand together, or jumps miss "
                                  "them"));
  EXPECT_GE(std::ranges::count_if(found,
                                  [](const Finding& f) {
                                    return f.line.find(
                                               "field 3 (jump): NUM 0990 is not in the "
                                               "script: the game shows \"Not found NUM "
                                               "to SEQ\" and ends") != std::string::npos;
                                  }),
            1);
}

TEST_F(DataToolTest, UnpackThenPackGivesTheSameFolderAndRefusesWhatWouldNotComeBack) {
  const std::string open = tmp / "open", packed = tmp / "packed";
  std::ostringstream out, err;
  ASSERT_EQ(data_tool_main({"unpack", demo(), open}, out, err), 0) << err.str();
  ASSERT_EQ(data_tool_main({"pack", open, packed}, out, err), 0) << err.str() << out.str();
  EXPECT_TRUE(snapshot(demo()) == snapshot(packed));

  // The editable forms: UTF-8 text and pictures with their real magic.
  const std::string script = read_bytes(join_path(open, "script.csv"));
  EXPECT_EQ(script.rfind("num,cmd,jump,", 0), 0u);
  EXPECT_NE(script.find("港町ヴェルモラの夏は"), std::string::npos);
  EXPECT_EQ(read_bytes(join_path(open, "system.txt")).rfind("春野\r\n", 0), 0u);
  EXPECT_EQ(read_bytes(join_path(open, "11.bmp")).substr(0, 2), "BM");
  EXPECT_EQ(read_bytes(join_path(open, "70.jpg")).substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(read_bytes(join_path(open, "72.jpg")), read_bytes(join_path(demo(), "72.dat")));
  EXPECT_EQ(read_bytes(join_path(open, "61.bmp")), read_bytes(join_path(demo(), "61.dat")));
  EXPECT_EQ(read_bytes(join_path(open, "town.mid")), read_bytes(join_path(demo(), "town.mid")));

  // Refused on packing: a character the game's code page cannot hold...
  const std::string refused = tmp / "refused";
  std::string sea = script;
  sea.replace(sea.find("港町"), 6, "港\xF0\x9F\x8C\x8A");
  write_bytes(join_path(open, "script.csv"), sea);
  err.str("");
  EXPECT_EQ(data_tool_main({"pack", open, refused}, out, err), 1);
  EXPECT_NE(err.str().find("script.csv"), std::string::npos) << err.str();
  write_bytes(join_path(open, "script.csv"), script);
  // ...and a JPEG offered for a sprite.
  fs::rename(join_path(open, "70.jpg"), join_path(open, "12.jpg"));
  fs::remove(join_path(open, "12.bmp"));
  EXPECT_THROW(pack_folder(disk, open, refused), DataError);

  // A folder in its running form, left so when the game stopped without
  // tidying up, reads the same to the game: it packs into its at-rest form.
  const std::string running = copy_of_demo();
  ASSERT_TRUE(DataFolder(disk, running).restore_magic(11, 'B'));
  unpack_folder(disk, running, tmp / "reopened");
  pack_folder(disk, tmp / "reopened", tmp / "rested");
  EXPECT_TRUE(snapshot(demo()) == snapshot(tmp / "rested"));
}

// check, paths and the rest read the editable folder as the dev run packs
// it and name the files the author edits; pack converts a picture saved in
// another form, or names it when it cannot.
TEST_F(DataToolTest, TheStoryToolsTakeTheEditableFolderAndNameItsFiles) {
  const std::string open = tmp / "open";
  std::ostringstream out, err;
  ASSERT_EQ(data_tool_main({"unpack", demo(), open}, out, err), 0) << err.str();
  out.str("");
  EXPECT_EQ(data_tool_main({"check", "--strict", open}, out, err), 0) << out.str() << err.str();
  EXPECT_EQ(out.str(), "ok\n");
  out.str("");
  EXPECT_EQ(data_tool_main({"paths", open, tmp / "paths"}, out, err), 0) << out.str() << err.str();

  // A broken row, named by its line in script.csv.
  const std::string script = read_bytes(join_path(open, "script.csv"));
  std::string broken = script;
  broken.replace(broken.find("0100,g0,0300,"), 13, "0100,g0,0333,");
  write_bytes(join_path(open, "script.csv"), broken);
  out.str("");
  EXPECT_EQ(data_tool_main({"check", open}, out, err), 1);
  EXPECT_NE(out.str().find("script.csv:"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find(".dat"), std::string::npos) << out.str();
  write_bytes(join_path(open, "script.csv"), script);

  // A background saved as PNG: converted to the JPEG the game reads.
  const std::string jpg = read_bytes(join_path(open, "76.jpg"));
  const Result<Image> bell = decode_picture(std::vector<uint8_t>(jpg.begin(), jpg.end()));
  ASSERT_TRUE(bell);
  ASSERT_TRUE(save_png(bell.value(), join_path(open, "76.png")));
  fs::remove(join_path(open, "76.jpg"));
  out.str("");
  ASSERT_EQ(data_tool_main({"pack", open, tmp / "packed"}, out, err), 0) << err.str();
  EXPECT_NE(out.str().find("converted 76.png to a JPEG"), std::string::npos) << out.str();
  const std::string packed = read_bytes(join_path(tmp / "packed", "76.dat"));
  EXPECT_EQ(packed.substr(0, 2), "JF");
  out.str("");
  EXPECT_EQ(data_tool_main({"check", "--strict", open}, out, err), 0) << out.str();
  // One it cannot read stops it, named.
  write_bytes(join_path(open, "76.png"), "not a picture");
  err.str("");
  EXPECT_EQ(data_tool_main({"pack", open, tmp / "refused"}, out, err), 1);
  EXPECT_NE(err.str().find("76.png"), std::string::npos) << err.str();
  err.str("");
  EXPECT_EQ(data_tool_main({"check", open}, out, err), 1);
  EXPECT_NE(err.str().find("76.png"), std::string::npos) << err.str();
}

TEST_F(DataToolTest, SpritesAndFacesHaveTheirPiecesInPlace) {
  // Sprites: transparent black around the figure, the face area filled.
  for (int key : {11, 12, 21, 22, 31, 32, 41, 42}) {
    const Image img = paint_sprite(key / 10, key % 10);
    EXPECT_EQ(img.w, kSpriteW);
    EXPECT_EQ(img.h, kSpriteH);
    EXPECT_EQ(img.at(0, 0), 0u) << key;
    EXPECT_EQ(img.at(kSpriteW - 1, 0), 0u) << key;
    const FaceArea fa = face_area(key);
    EXPECT_NE(img.at((fa.x1 + fa.x2) / 2, (fa.y1 + fa.y2) / 2), 0u) << key;
    int feet = 0;  // stands on the bottom edge
    for (int x = 0; x < kSpriteW; ++x) feet += img.at(x, kSpriteH - 1) != 0;
    EXPECT_GT(feet, 40) << key;
  }
  EXPECT_NE(paint_sprite(1, 1).px, paint_sprite(1, 2).px);

  // Face sheet: every face drawn in its column, all of them different.
  const Image sheet = paint_face_sheet();
  for (int key : {11, 12, 21, 22, 31, 32, 41}) {
    const FaceArea fa = face_area(key);
    std::vector<std::vector<uint32_t>> faces;
    for (int f = 0; f < kFacesPerColumn; ++f) {
      EXPECT_EQ(sheet.at(fa.sheet_x, f * fa.h()), 0u);  // corner outside the oval
      std::vector<uint32_t> px;
      for (int y = 0; y < fa.h(); ++y)
        for (int x = 0; x < fa.w(); ++x) px.push_back(sheet.at(fa.sheet_x + x, f * fa.h() + y));
      EXPECT_NE(px[fa.h() / 2 * fa.w() + fa.w() / 2], 0u);
      for (const auto& other : faces) EXPECT_NE(px, other) << key << " face " << f + 1;
      faces.push_back(px);
    }
  }
}

TEST_F(DataToolTest, MusicFilesAreStandardMidiOfTheirLength) {
  for (const std::string& name : demo_tune_names()) {
    // The looping tunes last 20 to 60 seconds; the ending tune is played
    // once and outlasts the staff roll (87.4 s) into the closing message.
    const bool ending = name == "velloria.mid";
    const std::string bytes = read_bytes(join_path(demo(), name));
    const Result<MidiInfo> read = read_midi(bytes);
    ASSERT_TRUE(read) << name << ": " << read.error().what();
    const MidiInfo& info = read.value();
    EXPECT_EQ(info.format, 1) << name;
    EXPECT_GE(info.tracks, 4) << name;
    EXPECT_EQ(info.division, 480) << name;
    EXPECT_GE(info.seconds, ending ? 88.0 : 20.0) << name;
    EXPECT_LE(info.seconds, ending ? 100.0 : 60.0) << name;
    EXPECT_GT(info.notes, 100) << name;
  }
  EXPECT_NE(compose_tune("title.mid"), compose_tune("town.mid"));

  EXPECT_FALSE(read_midi("MThd"));
  const std::vector<std::vector<MidiEvent>> one = {{{0, {0x90, 60, 100}}, {480, {0x80, 60, 64}}}};
  const Result<MidiInfo> read = read_midi(write_midi(one, 960));
  ASSERT_TRUE(read) << read.error().what();
  const MidiInfo& info = read.value();
  EXPECT_EQ(info.last_tick, 960u);
  EXPECT_DOUBLE_EQ(info.seconds, 1.0);  // 120 per minute without a tempo event
  EXPECT_EQ(info.notes, 1);
}

}  // namespace
}  // namespace vm::datatool
