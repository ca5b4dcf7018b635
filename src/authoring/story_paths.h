// The story map: every path of a scenario explored as the interpreter runs
// it, with the counters, choice menus and jumps exactly as the game reads
// them; the input files that play each path in velmora-play; the findings an
// author wants before a player finds them.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "assets/data_folder.h"
#include "script/tables.h"

namespace vm::datatool {

// The script of a data folder as the game loads it, with the names that the
// text substitutes (Name_Table from the system file).
struct Story {
  ScriptTables tables;
  std::array<std::string, 6> names;
};
// Throws a DataError: for malformed rows, naming the file, line and field.
Story read_story(const DataFolder& folder);

// How a run of the story stops.
enum class PathEnd : uint8_t {
  Choice,       // at a choice menu: the path goes on with the player's pick
  Ending,       // the e command, with hap
  Quit,         // the q command
  EndOfScript,  // the end marker: the game stops with nothing more to do
  Stuck,        // a loop that no choice leaves
  Runaway,      // the step bound was reached
  Error,        // the game shows a message box and ends (malformed data, a missing jump
                // target, a face with no sprite)
};

// What the player meets on the way, in order.
struct PathEvent {
  enum Kind : uint8_t { Message, Place } kind = Message;
  int32_t seq = 0;    // the row
  int16_t place = 0;  // Place: the background number
  // Message: virtual milliseconds from the previous click until this message
  // is fully shown and waits (an upper bound, for the input file), and of
  // those the typing at the normal text speed.
  int32_t ms = 0;
  int32_t typing_ms = 0;
};

// A message box a path meets: a row that asks for what is not there.
struct Fault {
  int32_t seq = 0;     // the row
  std::string field;   // "5 (doll)", or empty
  std::string why;     // what is wrong, in the check's words (empty: the box says it)
  std::string dialog;  // the box's text
};

// A run of rows from the start or from a choice to the next choice or an end.
struct Segment {
  std::vector<PathEvent> events;
  int64_t rows = 0;      // rows executed
  int32_t last_seq = 0;  // the row where it stops
  PathEnd end = PathEnd::EndOfScript;
  int next = -1;        // Choice: the menu it stops at (index into nodes)
  int32_t tail_ms = 0;  // from the last click until the menu or the end is there
  int16_t kou = 0, pap = 0, rub = 0, hap = 0;  // counters where it stops
  int16_t place = -1;                          // Place_No where it stops
  std::string error;                           // Error: the game's message
  Fault stop;                                  // Error: the row it stops at, and why
  std::vector<Fault> faults;                   // boxes shown on the way, the game going on
  int sct = -1;                                // the SCT row whose pick begins it (-1: the start)
};

// A choice menu in one game state: the same menu with other counters is
// another node.
struct ChoiceNode {
  int32_t seq = 0;                         // the s row
  int32_t first = 0;                       // its first SCT row
  int count = 0;                           // its boxes
  std::array<int, 3> segment{-1, -1, -1};  // where each pick leads
};

// One complete path: the picks made and the runs between them.
struct StoryPath {
  std::vector<int> segments;               // in order, the first from the start
  std::vector<std::pair<int, int>> picks;  // (node, box index) after segments[i]
  PathEnd end = PathEnd::EndOfScript;      // the last segment's, or Runaway
};

struct ExploreOptions {
  // Rows per path; 0: ten times the script's rows, and at least 100000, so
  // that no path of a long story that ends is taken for a runaway.
  int64_t max_rows = 0;
  size_t max_paths = 10000;  // complete paths listed
  // Every complete path (up to max_paths) rather than a covering set: a few
  // paths that between them run every row the story reaches, take every
  // pick of every menu and reach every end.
  bool all = false;
  // The inputs written are timed for text shown whole (the "instant" text
  // speed): a message waits for no typing.
  bool text_shown_whole = false;
};

// Per row, how the paths met its place field: it showed the row's text as a
// message (the background was already there), or changed the background.
constexpr uint8_t kSamePlace = 1;
constexpr uint8_t kNewPlace = 2;

// What the map finds: an error where a path breaks (a message box, an end
// other than the ending or a quit), a warning where it plays, probably not as
// the author meant.
struct MapFinding {
  bool error = false;
  std::string file;  // "51.dat" or "52.dat"
  int line = 0;      // 0: the whole script
  std::string text;  // "51.dat:12: error: ..."
  // check reports it too: the errors, and the place rows that show their
  // transition code.
  bool in_check = false;
};

struct Exploration {
  std::vector<Segment> segments;  // segments[0] starts at the first row
  std::vector<ChoiceNode> nodes;
  std::vector<StoryPath> paths;     // a covering set, or every path (ExploreOptions::all)
  bool all = false;                 // paths holds every path, not a covering set
  bool paths_cut = false;           // more paths than max_paths were needed
  double path_count = 0;            // every complete path, when the menus form no loop
  bool choice_loops = false;        // some pick leads back to a menu already on the path
  std::vector<bool> reached;        // per row: run on some path
  std::vector<uint8_t> same_place;  // per row: kSamePlace, kNewPlace
  std::vector<MapFinding> findings;
  int64_t max_rows = 0;  // the step bound the paths were explored with
  size_t errors() const;
  bool breaks(const StoryPath& p) const;  // some fault, or an end other than the ending or a quit
  size_t states() const { return nodes.size() + segments.size(); }
};

Exploration explore_story(const Story& story, const ExploreOptions& options = {});

// What one path shows, as the prediction that a play is compared with.
struct PathSummary {
  std::vector<std::string> picks;     // the choice texts taken
  std::vector<std::string> messages;  // "SPEAKER TEXT", as the game logs them
  std::vector<int> places;            // backgrounds in the order shown
  int32_t end_seq = 0;
  PathEnd end = PathEnd::EndOfScript;
  int16_t hap = 0;
  std::string error;
  std::vector<std::string> dialogs;  // the message boxes the game shows, in order
  // Where the path breaks, as the player meets it: "51.dat:12: field 6
  // (face): ...: the game shows "0 doll but face change?" and ends".
  std::vector<std::string> breaks;
};
PathSummary summarize(const Story& story, const Exploration& ex, const StoryPath& path);

// The background a play has on reaching the first row of NUM, on the first
// path that reaches it (-1: none shown yet, or no path reaches it).
int16_t place_on_entry(const Story& story, const Exploration& ex, int16_t num);

// How a path that reaches neither the ending nor a quit ends, as the player
// meets it ("51.dat:12: ..."); empty for those two.
std::string end_text(const ScriptTables& t, const Exploration& ex, const Segment& last,
                     PathEnd end);

// "3 of 6 paths, covering every row, pick and end, 22 states explored", or
// with every path listed "6 of 6 paths, 22 states explored"; then "; 2 paths
// break" when some do
std::string describe_paths(const Exploration& ex);

// "ending (hap 1)", "quit", ...
std::string describe_end(PathEnd end, int16_t hap, const std::string& error);

// The velmora-play input that plays a path from the title to the end button.
// With text_shown_whole, timed for the "instant" text speed.
std::string path_input(const Story& story, const Exploration& ex, const StoryPath& path, size_t id,
                       bool text_shown_whole = false);

// velmora-data paths DIR OUTDIR: path-NNN.txt and paths.tsv; the findings go
// to out. Returns the exploration for verify.
Exploration write_paths(Files& files, const std::string& dir, const std::string& out_dir,
                        std::ostream& out, Story* story_out = nullptr,
                        const ExploreOptions& options = {});

// velmora-data graph DIR OUT: OUT.dot and OUT.svg.
void write_story_graph(Files& files, const std::string& dir, const std::string& out);
// The graph in the dot language.
std::string story_dot(const Story& story, const Exploration& ex);

// velmora-data verify DIR: plays the paths (a covering set, or every path)
// with velmora-play, in parallel, and compares. Returns the exit status: 1
// when a play differs from its prediction or the map finds a path that
// breaks; 128 + the signal when SIGINT or SIGTERM stopped it (the plays it
// started stopped with it, its scratch folder removed).
int verify_folder(const std::string& dir, std::ostream& out, std::ostream& err,
                  const ExploreOptions& options = {});

// Screen points the input files click: the title's start item, a message
// (clear of the choice boxes), choice box i, the end button.
struct ClickPoint {
  int x, y;
};
ClickPoint title_start_point();
ClickPoint message_point();
ClickPoint choice_point(int i);
ClickPoint end_button_point();

}  // namespace vm::datatool
