// Explores every path of a scenario with the interpreter's own row reading,
// command table, lookups and choice menus, and the sprites' bookkeeping of
// the scene changes, so that what is predicted here is what the game does:
// every message, every message box, and where each path ends.
#include "authoring/story_paths.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "assets/picture_table.h"
#include "assets/text_helpers.h"
#include "authoring/layout.h"
#include "authoring/sprite_table.h"
#include "choices/choices.h"
#include "graphics/transitions.h"
#include "message/message.h"
#include "platform/errors.h"
#include "runner/script.h"
#include "script/commands.h"
#include "script/interp.h"

namespace vm::datatool {

namespace {

// ------------------------------------------------------------- timing ---
// Upper bounds, in virtual milliseconds, of what the game spends between two
// clicks. A click that came too early would be lost, one that comes late only
// waits, so every figure errs on the long side.
constexpr int32_t kTitleMs = 7000;        // start-up, title, panel dissolve, pause
constexpr int32_t kClickMs = 1500;        // click sound, page clear and slack
constexpr int32_t kChoicePressMs = 2000;  // the chime and the pressed pause
constexpr int32_t kSpriteHideMs = 3500;   // the slowest wipe (a wide sprite on R)
constexpr int32_t kSpriteShowMs = 300;
constexpr int32_t kFaceMs = 1000;       // the face dissolve
constexpr int32_t kSoundMs = 1500;      // an effect played to its end, or a fade
constexpr int32_t kEndingMs = 150000;   // fade, dissolve, staff roll, closing message
constexpr int32_t kAfterEndMs = 60000;  // the close comes this long after the end button

int32_t place_ms(const std::string& text) {
  const TransitionInfo t = transition_info(text.substr(0, 2));
  return t.steps * t.budget_ms * 5 / 4 + 500;
}

int32_t typing_ms(const std::string& text) {
  const auto n = static_cast<int32_t>(utf8_length(text));
  return (n <= 23 ? 40 * n : 10 * n) + 200;
}

// ------------------------------------------------------------- states ---
// Everything the course of the story depends on: where it is, the counters,
// the background shown (a place row equal to it shows its message instead),
// the sprites standing (a face needs its sprite), the menu that a choice row
// without its own SCT rows falls back on, and whether the row runs without
// the end test (after a jump or a pick).
struct Key {
  int32_t pos;
  int16_t kou, pap, rub, hap, place;
  uint8_t doll, pose;
  SpriteTable sprites;
  int32_t sel_first;
  bool no_end_test;
  bool operator==(const Key&) const = default;
};

struct KeyHash {
  size_t operator()(const Key& k) const {
    uint64_t h = static_cast<uint32_t>(k.pos);
    auto mix = [&h](int v) { h = (h ^ static_cast<uint16_t>(v)) * 0x100000001B3ull + (h >> 29); };
    for (int v : {int(k.kou), int(k.pap), int(k.rub), int(k.hap), int(k.place), int(k.doll),
                  int(k.pose), int(k.sel_first), int(k.no_end_test)})
      mix(v);
    for (const auto& row : k.sprites.shown)
      for (int16_t pose : row) mix(pose);
    return static_cast<size_t>(h);
  }
};

Key key_of(const InterpState& s, const SpriteTable& sprites, int32_t sel_first, bool no_end_test) {
  return {s.Script_Pos, s.kou,      s.pap,   s.rub,     s.hap,      s.Place_No,
          s.Cur_Doll,   s.Cur_Pose, sprites, sel_first, no_end_test};
}

std::string counters_text(int16_t kou, int16_t pap, int16_t rub, int16_t hap) {
  return "kou " + std::to_string(kou) + ", pap " + std::to_string(pap) + ", rub " +
         std::to_string(rub) + ", hap " + std::to_string(hap);
}

class Explorer {
 public:
  Explorer(const Story& story, const ExploreOptions& options, Exploration& ex)
      : st_(story), t_(story.tables), opt_(options), ex_(ex) {
    ex_.reached.assign(t_.Script_Table.size(), false);
    ex_.same_place.assign(t_.Script_Table.size(), 0);
  }

  void run() {
    InterpState start;  // as start-up leaves it: row 0, counters 0, no background
    start.Place_No = -1;
    ex_.segments.emplace_back();
    work_.push_back({0, start, SpriteTable{}, t_.Sel_First, false, -1});
    while (!work_.empty()) {
      Job j = std::move(work_.back());
      work_.pop_back();
      run_segment(j);
    }
  }

 private:
  struct Job {
    int segment;
    InterpState s;
    SpriteTable sprites;
    int32_t sel_first;
    bool no_end_test;
    int sct;  // the SCT row whose pick begins it, -1 at the start
  };

  const Story& st_;
  const ScriptTables& t_;
  const ExploreOptions& opt_;
  Exploration& ex_;
  std::vector<Job> work_;
  std::unordered_map<Key, int, KeyHash> node_of_;     // choice states
  std::unordered_map<Key, int, KeyHash> segment_of_;  // states just after a pick
  std::vector<Job> node_state_;                       // the state at each menu

  // The segment that starts after picking box i of a node.
  int segment_after_pick(int node, int i) {
    Job j = node_state_[static_cast<size_t>(node)];
    const ChoiceNode& n = ex_.nodes[static_cast<size_t>(node)];
    j.sct = n.first + i;
    j.s.Script_Pos = t_.SCT[static_cast<size_t>(j.sct)].target;
    j.no_end_test = true;
    const Key k = key_of(j.s, j.sprites, j.sel_first, true);
    auto [it, fresh] = segment_of_.emplace(k, static_cast<int>(ex_.segments.size()));
    if (fresh) {
      ex_.segments.emplace_back();
      j.segment = it->second;
      work_.push_back(std::move(j));
    }
    return it->second;
  }

  int node_for(const Job& at, int count) {
    const Key k = key_of(at.s, at.sprites, at.sel_first, false);
    auto [it, fresh] = node_of_.emplace(k, static_cast<int>(ex_.nodes.size()));
    if (!fresh) return it->second;
    const int id = it->second;
    ChoiceNode n;
    n.seq = at.s.Script_Pos;
    n.first = at.sel_first;
    n.count = count;
    ex_.nodes.push_back(n);
    node_state_.push_back(at);
    for (int i = 0; i < count; ++i) {
      const int seg = segment_after_pick(id, i);
      ex_.nodes[static_cast<size_t>(id)].segment[static_cast<size_t>(i)] = seg;
    }
    return id;
  }

  // What one segment's run carries from row to row.
  struct Run {
    Job& j;
    Segment seg;
    bool test = true;
    int32_t pending = 0;                      // time since the last message
    std::unordered_set<Key, KeyHash> jumped;  // states right after a jump
    void finish(PathEnd end) {
      seg.end = end;
      seg.tail_ms = pending;
      seg.kou = j.s.kou;
      seg.pap = j.s.pap;
      seg.rub = j.s.rub;
      seg.hap = j.s.hap;
      seg.place = j.s.Place_No;
    }
    // A message box the row makes the game show; one that ends the game ends
    // the run.
    void fault(int32_t pos, const std::string& field, const std::string& why,
               const std::string& dialog, bool ends) {
      Fault f{pos, field, why, dialog};
      if (!ends) {
        seg.faults.push_back(std::move(f));
        return;
      }
      seg.error = dialog;
      seg.stop = std::move(f);
      finish(PathEnd::Error);
    }
  };
  // How the run goes on after a row's command.
  enum class Next { Row, Stop, Stored };

  // The row's scene changes: their time, the sprites they leave, the boxes
  // they show; what the row shows then. False when the game ends on them.
  bool row_changes(Run& r, const RowChanges& ch, int32_t pos, int& result) {
    const InterpState& s = r.j.s;
    result = kShowMessage;
    if (ch.place) {
      result = kNothingToShow;
      ex_.same_place[static_cast<size_t>(pos)] |= kNewPlace;
      const std::string file = std::to_string(s.Place_No + 70) + ".dat";
      if (find_picture_entry(s.Place_No + 70)) {
        r.seg.events.push_back({PathEvent::Place, pos, s.Place_No, 0});
        r.pending += place_ms(s.Cur_Text);
        place_changed(r.j.sprites);
      } else {
        // The game has no such picture: the scene stays as it is.
        r.fault(pos, "4 (place)", "there is no background picture " + file,
                "Background " + std::to_string(s.Place_No) + " (" + file + ") cannot be shown",
                false);
      }
    }
    if (ch.doll) {
      result = kNothingToShow;
      r.pending += s.Cur_Pose == 0 ? kSpriteHideMs : kSpriteShowMs;
      if (const auto f = doll_changed(r.j.sprites, s.Cur_Doll, s.Cur_Pose, s.Cur_Text))
        r.fault(pos, f->field, f->why, f->dialog, f->ends);
    }
    if (ch.face) {
      result = kShowMessage;
      r.pending += kFaceMs;
      if (const auto f = face_changed(r.j.sprites, s.Cur_Doll, s.Cur_Pose, s.Cur_Face)) {
        r.fault(pos, f->field, f->why, f->dialog, f->ends);
        if (f->ends) return false;
      }
    }
    return true;
  }

  // A g0, or an i1 whose test held.
  Next jump(Run& r, int32_t pos, int& result) {
    InterpState& s = r.j.s;
    const int32_t to = find_num(t_, s.Cur_Jump);
    if (to < 0) {
      r.fault(pos, "3 (jump)", "NUM " + num4(s.Cur_Jump) + " is not in the script",
              "Not found NUM to SEQ", true);
      return Next::Stop;
    }
    s.Script_Pos = to;
    if (!r.jumped.insert(key_of(s, r.j.sprites, r.j.sel_first, true)).second) {
      r.seg.last_seq = pos;
      r.finish(PathEnd::Stuck);
      return Next::Stop;
    }
    result = kPositionSet;
    return Next::Row;
  }

  // An s row: the menu the game shows, or its refusal.
  Next choice(Run& r, int32_t pos, int& result) {
    InterpState& s = r.j.s;
    const int32_t found = find_sct_row(t_, s.Cur_Num);
    if (found >= 0) {
      r.j.sel_first = found;
    } else {
      // The rows the last menu began at are offered (the first ones before any).
      const int32_t first = r.j.sel_first;
      std::string why = "52.dat has no row with key " + num4(s.Cur_Num);
      if (first >= 0 && first < static_cast<int32_t>(t_.SCT.size()))
        why += ", and the menu offers those from its line " +
               std::to_string(t_.SCT[static_cast<size_t>(first)].line) + " on";
      r.fault(pos, "9 (text)", why, "SCT not found.", false);
    }
    const int count = menu_size(t_, r.j.sel_first, s.Cur_Text);
    result = kPositionSet;
    if (count == 0) {
      r.fault(pos, "9 (text)", "the menu cannot be offered", "error(s?)", false);
      s.Script_Pos += 1;  // the story goes on with the next row
      return Next::Row;
    }
    r.finish(PathEnd::Choice);
    // Stored before the menu is made: making it adds segments.
    ex_.segments[static_cast<size_t>(r.j.segment)] = std::move(r.seg);
    const int node = node_for(r.j, count);
    ex_.segments[static_cast<size_t>(r.j.segment)].next = node;
    return Next::Stored;
  }

  // The row's command as the game decides it (the command table): its time,
  // its message box, a jump, a menu, an end.
  Next run_command(Run& r, int32_t pos, int& result) {
    InterpState& s = r.j.s;
    const Decision d = decide_command(s);
    const CommandInfo& c = *d.command;
    if (c.dialog) r.fault(pos, "2 (cmd)", "\"" + s.Cur_Cmd + "\" " + c.does, c.dialog, false);
    result = d.result(result);
    switch (c.command) {
      case Command::Sound:
        r.pending += kSoundMs;
        break;
      case Command::Wait:
        r.pending += static_cast<int32_t>(
                         std::clamp<long>(wait_duration(s.cur_line, s.Cur_Text), 0, 1L << 29)) +
                     100;
        break;
      case Command::Choice:
        return choice(r, pos, result);
      case Command::Ending:
        r.finish(PathEnd::Ending);
        return Next::Stop;
      case Command::Quit:
        r.finish(PathEnd::Quit);
        return Next::Stop;
      default:
        break;
    }
    return d.jump ? jump(r, pos, result) : Next::Row;
  }

  // One row of the loop; false when the run ends on it.
  Next run_row(Run& r) {
    InterpState& s = r.j.s;
    ++r.seg.rows;
    const int32_t pos = s.Script_Pos;
    r.seg.last_seq = pos;
    if (pos >= 0 && pos <= t_.Script_Last) ex_.reached[static_cast<size_t>(pos)] = true;
    const RowChanges ch = load_row(s, t_, st_.names);
    int result = kShowMessage;
    if (!row_changes(r, ch, pos, result)) return Next::Stop;
    const Next next = run_command(r, pos, result);
    if (next != Next::Row) return next;
    if (result == kPositionSet) {
      r.test = false;
      return Next::Row;
    }
    if (result == kShowMessage && !s.Cur_Text.empty()) {
      const int32_t typing = typing_ms(s.Cur_Text);
      r.seg.events.push_back({PathEvent::Message, pos, 0, r.pending + typing, typing});
      r.pending = 0;
      // A place field naming the background on the screen: its transition
      // code is this message.
      if (!ch.place && !trim_blanks(t_.Script_Table[static_cast<size_t>(pos)].place).empty())
        ex_.same_place[static_cast<size_t>(pos)] |= kSamePlace;
    }
    ++s.Script_Pos;
    r.test = true;
    return Next::Row;
  }

  // The interpreter's loop (run_script and script_step) from one state, with
  // the game's own row reading and command table; the scene changes keep
  // their account of the sprites, and the waits only count their time.
  void run_segment(Job& j) {
    Run r{j, Segment{}, !j.no_end_test};
    r.seg.sct = j.sct;
    InterpState& s = j.s;
    try {
      for (;;) {
        if (r.test && s.Script_Pos >= t_.Script_Last) {
          // The end marker is never run; the game stops with its last picture.
          r.seg.last_seq = std::max<int32_t>(0, s.Script_Pos - 1);
          r.finish(PathEnd::EndOfScript);
          break;
        }
        if (r.seg.rows >= opt_.max_rows) {
          r.seg.last_seq = s.Script_Pos;
          r.finish(PathEnd::Runaway);
          break;
        }
        const Next next = run_row(r);
        if (next == Next::Stored) return;
        if (next == Next::Stop) break;
      }
    } catch (const DataError& e) {
      // The game shows the account and ends.
      const int32_t pos = r.seg.last_seq;
      if ((pos < 0 || pos > t_.Script_Last) && j.sct >= 0) {
        const ChoiceRow& c = t_.SCT[static_cast<size_t>(j.sct)];
        r.fault(pos, "3 (target)",
                "NUM " + num4(c.target_num) + " is not in 51.dat: picking \"" +
                    trim_blanks(c.label) + "\" goes to row " + std::to_string(pos) +
                    ", outside the script",
                e.describe(), true);
      } else {
        r.fault(pos, "", "", e.describe(), true);
      }
    }
    ex_.segments[static_cast<size_t>(j.segment)] = std::move(r.seg);
  }
};

// ------------------------------------------------------------- paths ---

// Every complete path, in the order of the picks, up to max_paths. The walk
// keeps its own stack of menus: a story may hold more menus one after the
// other than the program's stack holds calls.
void list_every_path(const ExploreOptions& opt, Exploration& ex) {
  std::vector<bool> on_path(ex.nodes.size(), false);
  StoryPath path;
  int64_t rows = 0;
  struct Open {
    int node, next_box, seg_in;  // the menu, its next pick, the run that led to it
  };
  std::vector<Open> open;
  auto leave = [&](int seg_id) {
    rows -= ex.segments[static_cast<size_t>(seg_id)].rows;
    path.segments.pop_back();
  };
  // Takes the run seg_id; true when it stops at a menu now open.
  auto enter = [&](int seg_id) {
    const Segment& seg = ex.segments[static_cast<size_t>(seg_id)];
    path.segments.push_back(seg_id);
    rows += seg.rows;
    if (rows > opt.max_rows || seg.end != PathEnd::Choice) {
      if (ex.paths.size() >= opt.max_paths) {
        ex.paths_cut = true;
      } else {
        StoryPath done = path;
        done.end = rows > opt.max_rows ? PathEnd::Runaway : seg.end;
        ex.paths.push_back(std::move(done));
      }
    } else if (!on_path[static_cast<size_t>(seg.next)]) {
      on_path[static_cast<size_t>(seg.next)] = true;
      open.push_back({seg.next, 0, seg_id});
      return true;
    } else {
      // A pick that leads back to a menu already on this path starts a loop
      // the player may go round; the path through it is the one without it.
      ex.choice_loops = true;
    }
    leave(seg_id);
    return false;
  };
  enter(0);
  while (!open.empty() && !ex.paths_cut) {
    Open& o = open.back();
    const ChoiceNode& n = ex.nodes[static_cast<size_t>(o.node)];
    if (o.next_box < n.count) {
      const int box = o.next_box++;
      path.picks.emplace_back(o.node, box);
      if (!enter(n.segment[static_cast<size_t>(box)])) path.picks.pop_back();
      continue;
    }
    on_path[static_cast<size_t>(o.node)] = false;
    const int seg_in = o.seg_in;
    open.pop_back();
    leave(seg_in);
    if (!open.empty()) path.picks.pop_back();
  }
}

// A covering set: paths added one at a time, each taking something no path
// before it took (a run of rows, a pick of a menu), until nothing is left
// that a path without loops can take. Each path prefers what is still new,
// so a story whose menus all meet again is covered by as many paths as its
// widest menu has picks. Where a menu offers picks alike, a path that has
// taken longer runs than its menus offered takes a shorter one next, and
// the other way round: the paths come out of like lengths, and verify,
// playing them side by side, waits the less for the longest.
class Cover {
 public:
  Cover(const ExploreOptions& opt, Exploration& ex)
      : opt_(opt),
        ex_(ex),
        seg_done_(ex.segments.size(), false),
        picks_done_(ex.nodes.size()),
        stopping_at_(ex.nodes.size()),
        picked_into_(ex.segments.size()) {
    for (size_t k = 0; k < ex.nodes.size(); ++k) {
      const ChoiceNode& n = ex.nodes[k];
      picks_done_[k].assign(static_cast<size_t>(n.count), false);
      for (int i = 0; i < n.count; ++i)
        picked_into_[static_cast<size_t>(n.segment[static_cast<size_t>(i)])].push_back(k);
    }
    for (size_t s = 0; s < ex.segments.size(); ++s) {
      const Segment& seg = ex.segments[s];
      if (seg.end == PathEnd::Choice) stopping_at_[static_cast<size_t>(seg.next)].push_back(s);
    }
  }

  void run() {
    while (true) {
      find_needy();
      if (!needy_seg_[0]) break;
      if (ex_.paths.size() >= opt_.max_paths) {
        ex_.paths_cut = true;
        break;
      }
      path_ = StoryPath{};
      rows_ = 0;
      lean_ = 0;
      on_path_.assign(ex_.nodes.size(), false);
      no_gain_.assign(ex_.nodes.size(), false);
      no_end_.assign(ex_.nodes.size(), false);
      if (!extend(0, true)) break;  // what is left lies only round loops
      for (int s : path_.segments) seg_done_[static_cast<size_t>(s)] = true;
      for (const auto& [node, box] : path_.picks)
        picks_done_[static_cast<size_t>(node)][static_cast<size_t>(box)] = true;
      ex_.paths.push_back(path_);
    }
  }

 private:
  const ExploreOptions& opt_;
  Exploration& ex_;
  std::vector<bool> seg_done_;
  std::vector<std::vector<bool>> picks_done_;
  std::vector<std::vector<size_t>> stopping_at_;  // per menu, the segments that stop at it
  std::vector<std::vector<size_t>> picked_into_;  // per segment, the menus a pick of leads to it
  std::vector<bool> needy_seg_, needy_node_;      // something new lies on it or after it
  std::vector<bool> on_path_;
  std::vector<bool> no_gain_, no_end_;  // nothing new after the menu, no end after it
  StoryPath path_;
  int64_t rows_ = 0;
  int64_t lean_ = 0;  // rows taken beyond the menus' average picks, times their counts

  // Backwards from what no path took yet to every segment and menu before it.
  void find_needy() {
    needy_seg_.assign(ex_.segments.size(), false);
    needy_node_.assign(ex_.nodes.size(), false);
    std::vector<std::pair<bool, size_t>> todo;  // (is a node, index)
    for (size_t s = 0; s < ex_.segments.size(); ++s)
      if (!seg_done_[s]) todo.emplace_back(false, s);
    for (size_t k = 0; k < ex_.nodes.size(); ++k)
      for (bool done : picks_done_[k])
        if (!done) {
          todo.emplace_back(true, k);
          break;
        }
    while (!todo.empty()) {
      const auto [is_node, i] = todo.back();
      todo.pop_back();
      if (is_node) {
        if (needy_node_[i]) continue;
        needy_node_[i] = true;
        for (size_t s : stopping_at_[i]) todo.emplace_back(false, s);
      } else {
        if (needy_seg_[i]) continue;
        needy_seg_[i] = true;
        for (size_t k : picked_into_[i]) todo.emplace_back(true, k);
      }
    }
  }

  // A menu open on the path being built: the pick last tried (its rank r,
  // its place i in the order the boxes are tried), the run that led to it,
  // and what its pick added to the path's lean.
  struct Open {
    int node;
    bool want;
    int r = 0, i = -1;
    int seg_in;
    std::array<int, 3> order{0, 1, 2};
    int64_t lean = 0;
  };
  std::vector<Open> open_;

  int64_t seg_rows(const ChoiceNode& n, int box) const {
    return ex_.segments[static_cast<size_t>(n.segment[static_cast<size_t>(box)])].rows;
  }

  // A menu opened on the path, its boxes ordered longer run first while the
  // path has leant to the short ones, shorter first otherwise.
  Open opened(int node, bool want, int seg_in) const {
    Open o{.node = node, .want = want, .seg_in = seg_in};
    const ChoiceNode& n = ex_.nodes[static_cast<size_t>(node)];
    const bool longer_first = lean_ <= 0;
    std::stable_sort(o.order.begin(), o.order.begin() + n.count, [&](int a, int b) {
      return longer_first ? seg_rows(n, a) > seg_rows(n, b) : seg_rows(n, a) < seg_rows(n, b);
    });
    return o;
  }

  int box(const Open& o) const { return o.order[static_cast<size_t>(o.i)]; }

  // Takes the pick tried at o onto the path.
  void pick(Open& o) {
    const ChoiceNode& n = ex_.nodes[static_cast<size_t>(o.node)];
    int64_t all = 0;
    for (int b = 0; b < n.count; ++b) all += seg_rows(n, b);
    o.lean = seg_rows(n, box(o)) * n.count - all;
    lean_ += o.lean;
    path_.picks.emplace_back(o.node, box(o));
  }

  void unpick(const Open& o) {
    lean_ -= o.lean;
    path_.picks.pop_back();
  }

  // 0 for a pick no path took, 1 for one before something new, 2 for any.
  int rank(const Open& o) const {
    const auto k = static_cast<size_t>(o.node);
    const auto i = static_cast<size_t>(box(o));
    if (!picks_done_[k][i]) return 0;
    const ChoiceNode& n = ex_.nodes[k];
    return needy_seg_[static_cast<size_t>(n.segment[i])] ? 1 : 2;
  }

  // The menu's next pick to try, a new one first, then one before something
  // new, then (unless only something new will do) any; false when none is
  // left.
  bool next_pick(Open& o) const {
    const int count = ex_.nodes[static_cast<size_t>(o.node)].count;
    for (;;) {
      if (++o.i >= count) {
        o.i = -1;
        if (++o.r >= 3 || (o.want && o.r == 2)) return false;
        continue;
      }
      if (rank(o) == o.r) return true;
    }
  }

  void leave(int s) {
    rows_ -= ex_.segments[static_cast<size_t>(s)].rows;
    path_.segments.pop_back();
  }

  enum class Entered { End, Menu, No };

  // Takes the path into segment s. With want, only an end with something new
  // on the way will do: an end reached without is no end (No). A menu worth
  // trying is opened (Menu); a menu already on the path is a loop.
  Entered enter(int s, bool want) {
    const Segment& seg = ex_.segments[static_cast<size_t>(s)];
    path_.segments.push_back(s);
    rows_ += seg.rows;
    want = want && seg_done_[static_cast<size_t>(s)];
    if (rows_ > opt_.max_rows || seg.end != PathEnd::Choice) {
      if (!want) {
        path_.end = rows_ > opt_.max_rows ? PathEnd::Runaway : seg.end;
        return Entered::End;
      }
    } else {
      const auto k = static_cast<size_t>(seg.next);
      if (!on_path_[k] && !(want ? no_gain_[k] || !needy_node_[k] : no_end_[k])) {
        on_path_[k] = true;
        open_.push_back(opened(seg.next, want, s));
        return Entered::Menu;
      }
    }
    leave(s);
    return Entered::No;
  }

  // Takes the path on from segment s to an end, trying the picks of each
  // menu in turn; false when none can be reached. The menus tried are kept
  // on a stack of their own: a story may hold more of them one after the
  // other than the program's stack holds calls.
  bool extend(int s, bool want) {
    open_.clear();
    if (enter(s, want) == Entered::End) return true;
    while (!open_.empty()) {
      Open& o = open_.back();
      if (next_pick(o)) {
        const ChoiceNode& n = ex_.nodes[static_cast<size_t>(o.node)];
        pick(o);
        const bool want_new = o.want && o.r > 0;
        const Entered e = enter(n.segment[static_cast<size_t>(box(o))], want_new);
        if (e == Entered::End) {
          for (const Open& done : open_) on_path_[static_cast<size_t>(done.node)] = false;
          open_.clear();
          return true;
        }
        // enter may have opened a menu and moved the stack: o is read again.
        if (e == Entered::No) unpick(open_.back());
        continue;
      }
      // No pick of this menu leads on to an end.
      const auto k = static_cast<size_t>(o.node);
      on_path_[k] = false;
      (o.want ? no_gain_ : no_end_)[k] = true;
      const int seg_in = o.seg_in;
      open_.pop_back();
      leave(seg_in);
      if (!open_.empty()) unpick(open_.back());
    }
    return false;
  }
};

// All complete paths, counted per menu, when no pick leads back; the menus
// counted are kept on a stack of their own, however many follow each other.
void count_paths(Exploration& ex) {
  std::vector<double> count(ex.nodes.size(), -1);
  std::vector<int> state(ex.nodes.size(), 0);  // 0 new, 1 open, 2 done
  struct Open {
    int node, next_box;
    double sum;
  };
  std::vector<Open> open;
  // The paths from a run on, or -1 when its menu is now open to be counted.
  auto from_segment = [&](int seg_id) -> double {
    const Segment& seg = ex.segments[static_cast<size_t>(seg_id)];
    if (seg.end != PathEnd::Choice) return 1.0;
    const auto k = static_cast<size_t>(seg.next);
    if (state[k] == 1) {
      ex.choice_loops = true;
      return 0;
    }
    if (state[k] == 2) return count[k];
    state[k] = 1;
    open.push_back({seg.next, 0, 0});
    return -1;
  };
  double total = std::max(0.0, from_segment(0));
  while (!open.empty()) {
    Open& o = open.back();
    const ChoiceNode& n = ex.nodes[static_cast<size_t>(o.node)];
    if (o.next_box < n.count) {
      const double v = from_segment(n.segment[static_cast<size_t>(o.next_box++)]);
      if (v >= 0) open.back().sum += v;
      continue;
    }
    const auto k = static_cast<size_t>(o.node);
    state[k] = 2;
    count[k] = o.sum;
    open.pop_back();
    (open.empty() ? total : open.back().sum) += count[k];
  }
  ex.path_count = total;
}

// ----------------------------------------------------------- findings ---

// The text row seq shows, as the game substitutes it, and its speaker.
std::string row_message(const Story& story, int32_t seq, int16_t& speaker);

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

// The file and line of a row the story reaches; a row outside the script was
// reached by picking the SCT row sct, whose target it is.
std::pair<std::string, int> place_of(const ScriptTables& t, int32_t seq, int sct) {
  if (seq >= 0 && seq < static_cast<int32_t>(t.Script_Table.size()))
    return {"51.dat", t.Script_Table[static_cast<size_t>(seq)].line};
  if (sct >= 0 && sct < static_cast<int>(t.SCT.size()))
    return {"52.dat", t.SCT[static_cast<size_t>(sct)].line};
  return {"51.dat", 0};
}

// What the player meets at a fault: "field 5 (doll): why: the game shows "..."".
std::string fault_text(const Fault& f, bool ends) {
  std::string s;
  if (!f.field.empty()) s += "field " + f.field + ": ";
  if (!f.why.empty()) s += f.why + ": ";
  return s + "the game shows " + quoted(f.dialog) + (ends ? " and ends" : "");
}

std::string location(const std::pair<std::string, int>& at) {
  return at.second > 0 ? at.first + ":" + std::to_string(at.second) : at.first;
}

struct Findings {
  const ScriptTables& t;
  std::set<std::pair<std::string, std::string>> seen;            // one finding per text and place
  std::vector<std::pair<std::pair<int, int>, MapFinding>> list;  // ((file, line), finding)

  void add(bool error, const std::pair<std::string, int>& at, const std::string& what,
           bool in_check = false) {
    const std::string where = location(at);
    if (!seen.emplace(what, where).second) return;
    list.emplace_back(
        std::make_pair(at.first == "52.dat" ? 1 : 0, at.second),
        MapFinding{error, at.first, at.second, where + (error ? ": error: " : ": warning: ") + what,
                   error || in_check});
  }
  void add(bool error, int line, const std::string& what) { add(error, {"51.dat", line}, what); }
  int line_of(int32_t seq) const { return place_of(t, seq, -1).second; }
};

namespace {

void find_unreached_rows(Findings& f, const Exploration& ex, const ScriptTables& t) {
  // Rows that no path runs, one warning per stretch (the end marker aside).
  const auto rows = static_cast<int32_t>(t.Script_Table.size());
  for (int32_t i = 0; i < rows - 1;) {
    if (ex.reached[static_cast<size_t>(i)]) {
      ++i;
      continue;
    }
    int32_t j = i;
    while (j + 1 < rows - 1 && !ex.reached[static_cast<size_t>(j) + 1]) ++j;
    const ScriptRow& a = t.Script_Table[static_cast<size_t>(i)];
    const ScriptRow& b = t.Script_Table[static_cast<size_t>(j)];
    std::string what = i == j ? "row " + std::to_string(i) + " (NUM " + num4(a.num) + ")"
                              : "rows " + std::to_string(i) + ".." + std::to_string(j) + " (NUM " +
                                    num4(a.num) + (a.num != b.num ? ".." + num4(b.num) : "") + ")";
    f.add(false, a.line, what + (i == j ? " is" : " are") + " reached by no path");
    i = j + 1;
  }
}

void find_unoffered_choices(Findings& f, const Exploration& ex, const ScriptTables& t) {
  // Menus, and whether some end can be reached from each.
  std::vector<bool> offered(t.SCT.size(), false);
  for (const ChoiceNode& n : ex.nodes)
    for (int i = 0; i < n.count; ++i)
      offered[static_cast<size_t>(n.first) + static_cast<size_t>(i)] = true;
  for (size_t i = 0; i < t.SCT.size(); ++i)
    if (!offered[i])
      f.add(false, {"52.dat", t.SCT[i].line},
            "the choice \"" + t.SCT[i].label + "\" (key " + num4(t.SCT[i].key) +
                ") is offered on no path");
}

void find_endless_menus(Findings& f, const Exploration& ex, const ScriptTables& t) {
  // Menus from which every pick keeps the player going round (no end, quit or
  // end of script behind any of them).
  std::vector<bool> leaves(ex.nodes.size(), false);
  for (bool changed = true; changed;) {
    changed = false;
    for (size_t k = 0; k < ex.nodes.size(); ++k) {
      if (leaves[k]) continue;
      const ChoiceNode& n = ex.nodes[k];
      for (int i = 0; i < n.count && !leaves[k]; ++i) {
        const Segment& s = ex.segments[static_cast<size_t>(n.segment[static_cast<size_t>(i)])];
        if ((s.end == PathEnd::Choice && leaves[static_cast<size_t>(s.next)]) ||
            (s.end != PathEnd::Choice && s.end != PathEnd::Stuck))
          leaves[k] = changed = true;
      }
    }
  }
  for (size_t k = 0; k < ex.nodes.size(); ++k)
    if (!leaves[k]) {
      const ChoiceNode& n = ex.nodes[k];
      f.add(true, f.line_of(n.seq),
            "no choice of this menu (NUM " + num4(t.Script_Table[static_cast<size_t>(n.seq)].num) +
                ") leads to an end: the player goes round a loop for ever");
    }
}

// How each path ends, where that end is a problem, and the message boxes met
// on the way.
void find_bad_ends(Findings& f, const ExploreOptions& opt, const Exploration& ex) {
  for (const Segment& s : ex.segments) {
    for (const Fault& x : s.faults) f.add(true, place_of(f.t, x.seq, s.sct), fault_text(x, false));
    const int line = f.line_of(s.last_seq);
    switch (s.end) {
      case PathEnd::Stuck:
        f.add(true, line,
              "the story loops for ever here with " + counters_text(s.kou, s.pap, s.rub, s.hap) +
                  ", and no choice leads out: the player can only close the window");
        break;
      case PathEnd::Ending:
        if (s.hap != 0 && s.hap != 1)
          f.add(false, line,
                "the ending is reached with hap " + std::to_string(s.hap) +
                    "; the closing message exists only for hap 0 and 1");
        break;
      case PathEnd::EndOfScript:
        f.add(true, line,
              "a path runs into the end marker after this row: the game stops on its last "
              "picture without an ending");
        break;
      case PathEnd::Runaway:
        f.add(true, line,
              "a path runs more than " + std::to_string(opt.max_rows) +
                  " rows without a choice and was stopped here, before any ending");
        break;
      case PathEnd::Error:
        f.add(true, place_of(f.t, s.stop.seq, s.sct), fault_text(s.stop, true));
        break;
      default:
        break;
    }
  }
}

// Place rows that name the background already on the screen: the game shows
// their transition code as a message.
void find_same_places(Findings& f, const Story& story, const Exploration& ex) {
  for (size_t i = 0; i < ex.same_place.size(); ++i) {
    const uint8_t met = ex.same_place[i];
    if (!(met & kSamePlace)) continue;
    int16_t speaker = 0;
    const std::string text = row_message(story, static_cast<int32_t>(i), speaker);
    const ScriptRow& r = story.tables.Script_Table[i];
    f.add(false, {"51.dat", r.line},
          "field 4 (place): background " + trim_blanks(r.place) + " is already on the screen " +
              (met & kNewPlace ? "on some paths that reach" : "on every path that reaches") +
              " this row: the game shows " + quoted(text) + " as a message",
          true);
  }
}

}  // namespace

void find_problems(const Story& story, const ExploreOptions& opt, Exploration& ex) {
  const ScriptTables& t = story.tables;
  Findings f{t, {}, {}};
  find_unreached_rows(f, ex, t);
  find_unoffered_choices(f, ex, t);
  find_endless_menus(f, ex, t);
  find_bad_ends(f, opt, ex);
  find_same_places(f, story, ex);
  if (ex.paths_cut)
    f.add(false, 0,
          "more than " + std::to_string(opt.max_paths) + " paths" +
              (ex.all ? "" : " are needed to take every row, pick and end") + "; only the first " +
              std::to_string(opt.max_paths) + " are listed");

  std::stable_sort(f.list.begin(), f.list.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [where, finding] : f.list) ex.findings.push_back(std::move(finding));
}

std::string row_message(const Story& story, int32_t seq, int16_t& speaker) {
  InterpState s;
  s.Script_Pos = seq;
  load_row(s, story.tables, story.names);
  speaker = s.Cur_Speaker;
  return s.Cur_Text;
}

std::string tsv_field(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return s;
}

std::string join(const std::vector<std::string>& items, const char* sep) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) out += (i ? sep : "") + items[i];
  return out;
}

std::string path_name(size_t id) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "path-%03zu", id);
  return buf;
}

// The NUM of a row, or where a row outside the script lies.
std::string num_at(const ScriptTables& t, int32_t seq) {
  if (seq >= 0 && seq < static_cast<int32_t>(t.Script_Table.size()))
    return "NUM " + num4(t.Script_Table[static_cast<size_t>(seq)].num);
  return "no NUM (outside the script)";
}

}  // namespace

// How a path that does not reach the ending or a quit ends, as the player
// meets it: "51.dat:12: ..."; empty for an ending or a quit.
std::string end_text(const ScriptTables& t, const Exploration& ex, const Segment& last,
                     PathEnd end) {
  const std::string at = location(place_of(t, last.last_seq, -1)) + ": ";
  switch (end) {
    case PathEnd::Error:
      return location(place_of(t, last.stop.seq, last.sct)) + ": " + fault_text(last.stop, true);
    case PathEnd::EndOfScript:
      return at +
             "the story runs into the end marker after this row: the game stops on its last "
             "picture without an ending, and the player can only close the window";
    case PathEnd::Stuck:
      return at + "the story loops for ever here with " +
             counters_text(last.kou, last.pap, last.rub, last.hap) +
             ", and no choice leads out: the player can only close the window";
    case PathEnd::Runaway:
      return at + "the path runs more than " + std::to_string(ex.max_rows) +
             " rows without a choice and was stopped here, before any ending";
    default:
      return "";
  }
}

// --------------------------------------------------------------- public ---

Story read_story(const DataFolder& folder) {
  Story story;
  const std::string script = folder.read_script();
  const std::string choices = folder.read_choices();
  load_tables(story.tables, script, choices);
  // Names 1..5 are the system file's first five lines.
  const std::array<std::string, 26> lines = folder.read_system();
  for (size_t i = 1; i <= 5; ++i) story.names[i] = cp932_to_utf8(lines[i]);
  return story;
}

Exploration explore_story(const Story& story, const ExploreOptions& options) {
  ExploreOptions opt = options;
  if (opt.max_rows <= 0)
    opt.max_rows =
        std::max<int64_t>(100000, 10 * static_cast<int64_t>(story.tables.Script_Table.size()));
  Exploration ex;
  ex.max_rows = opt.max_rows;
  if (story.tables.Script_Table.empty()) return ex;
  Explorer(story, opt, ex).run();
  ex.all = opt.all;
  if (opt.all)
    list_every_path(opt, ex);
  else
    Cover(opt, ex).run();
  count_paths(ex);
  find_problems(story, opt, ex);
  return ex;
}

std::string describe_paths(const Exploration& ex) {
  // Two-way choices double the count with each menu: past what a double
  // holds, the count is only a bound.
  char count[48];
  if (!std::isfinite(ex.path_count))
    std::snprintf(count, sizeof count, "more than 1e+308");
  else
    std::snprintf(count, sizeof count, ex.path_count < 1e15 ? "%.0f" : "%.3g", ex.path_count);
  std::string out = std::to_string(ex.paths.size()) + " of " + count + " paths";
  if (!ex.all)
    out += ex.paths_cut ? ", too few to take every row, pick and end"
                        : ", covering every row, pick and end";
  if (ex.choice_loops) out += " (choices lead round loops, each path goes round none)";
  out += ", " + std::to_string(ex.states()) + " states explored";
  size_t broken = 0;
  for (const StoryPath& p : ex.paths) broken += ex.breaks(p);
  if (broken > 0)
    out += "; " + std::to_string(broken) + (broken == 1 ? " path breaks" : " paths break");
  return out;
}

std::string describe_end(PathEnd end, int16_t hap, const std::string& error) {
  switch (end) {
    case PathEnd::Ending:
      return "ending (hap " + std::to_string(hap) + ")";
    case PathEnd::Quit:
      return "quit";
    case PathEnd::EndOfScript:
      return "end of script";
    case PathEnd::Stuck:
      return "loops for ever";
    case PathEnd::Runaway:
      return "stopped by the step bound";
    case PathEnd::Error:
      return "error: " + error;
    case PathEnd::Choice:
      break;
  }
  return "choice";
}

PathSummary summarize(const Story& story, const Exploration& ex, const StoryPath& path) {
  PathSummary sum;
  for (size_t k = 0; k < path.segments.size(); ++k) {
    const Segment& seg = ex.segments[static_cast<size_t>(path.segments[k])];
    for (const PathEvent& e : seg.events) {
      if (e.kind == PathEvent::Place) {
        sum.places.push_back(e.place);
      } else {
        int16_t speaker = 0;
        const std::string text = row_message(story, e.seq, speaker);
        sum.messages.push_back(std::to_string(speaker) + " " + text);
      }
    }
    if (k < path.picks.size()) {
      const auto [node, box] = path.picks[k];
      const ChoiceNode& n = ex.nodes[static_cast<size_t>(node)];
      std::string label =
          story.tables.SCT[static_cast<size_t>(n.first) + static_cast<size_t>(box)].label;
      while (!label.empty() && label.front() == ' ') label.erase(label.begin());
      while (!label.empty() && label.back() == ' ') label.pop_back();
      sum.picks.push_back(label);
    }
    for (const Fault& f : seg.faults) {
      sum.dialogs.push_back(f.dialog);
      sum.breaks.push_back(location(place_of(story.tables, f.seq, seg.sct)) + ": " +
                           fault_text(f, false));
    }
    sum.end_seq = seg.last_seq;
    sum.hap = seg.hap;
    sum.error = seg.error;
  }
  sum.end = path.end;
  if (!path.segments.empty()) {
    const Segment& last = ex.segments[static_cast<size_t>(path.segments.back())];
    if (path.end == PathEnd::Error) sum.dialogs.push_back(last.stop.dialog);
    const std::string end = end_text(story.tables, ex, last, path.end);
    if (!end.empty()) sum.breaks.push_back(end);
  }
  return sum;
}

int16_t place_on_entry(const Story& story, const Exploration& ex, int16_t num) {
  const ScriptRows& rows = story.tables.Script_Table;
  const auto num_at = [&rows](int32_t seq) {
    return seq >= 0 && static_cast<size_t>(seq) < rows.size() ? rows[static_cast<size_t>(seq)].num
                                                              : int16_t{-1};
  };
  for (const StoryPath& path : ex.paths) {
    int16_t place = -1;
    for (const int s : path.segments) {
      const Segment& seg = ex.segments[static_cast<size_t>(s)];
      for (const PathEvent& e : seg.events) {
        // The background as the scene's first row finds it: before the
        // scene's own place row, if it has one.
        if (num_at(e.seq) == num) return place;
        if (e.kind == PathEvent::Place) place = e.place;
      }
      if (seg.end == PathEnd::Choice && num_at(seg.last_seq) == num) return place;
    }
  }
  return -1;
}

size_t Exploration::errors() const {
  return static_cast<size_t>(
      std::count_if(findings.begin(), findings.end(), [](const MapFinding& f) { return f.error; }));
}

bool Exploration::breaks(const StoryPath& p) const {
  if (p.end != PathEnd::Ending && p.end != PathEnd::Quit) return true;
  for (int seg : p.segments)
    if (!segments[static_cast<size_t>(seg)].faults.empty()) return true;
  return false;
}

ClickPoint title_start_point() {
  // The start item of the title menu: 110 x 35 at (265, 245).
  return {265 + 55, 245 + 17};
}

ClickPoint message_point() {
  // The top line of the message window near its right end: never a choice
  // box (they stand on lines 3 to 5 from the left edge) nor the "▼" mark.
  const MessageState m;
  return {m.left + m.width - 60, m.top + m.Cell_Size / 2};
}

ClickPoint choice_point(int i) {
  // A little inside the label of box i, which starts 8 pixels into the box.
  const MessageState m;
  return {m.left + 11 + kChoiceLabelX + 4,
          m.top + m.Cell_Size * (i + 2) + 2 + kChoiceLabelHeight / 2};
}

ClickPoint end_button_point() {
  // END_btn: 65 x 33 at (560, 440).
  return {560 + 32, 440 + 16};
}

std::string path_input(const Story& story, const Exploration& ex, const StoryPath& path, size_t id,
                       bool text_shown_whole) {
  const PathSummary sum = summarize(story, ex, path);
  std::string out = "# " + path_name(id) + ": " +
                    (sum.picks.empty() ? std::string("no choices") : join(sum.picks, " / ")) +
                    "\n# ends: " + describe_end(sum.end, sum.hap, sum.error) + " at " +
                    num_at(story.tables, sum.end_seq) + " (row " + std::to_string(sum.end_seq) +
                    ")\n";
  auto click = [&](ClickPoint p) { out += runner::line_of(runner::click_step(p.x, p.y)) + "\n"; };
  auto wait = [&](long ms) { out += runner::line_of(runner::wait_step(ms)) + "\n"; };
  out += "# the title menu's start item\n";
  wait(kTitleMs);
  click(title_start_point());
  bool after_pick = false;
  for (size_t k = 0; k < path.segments.size(); ++k) {
    const Segment& seg = ex.segments[static_cast<size_t>(path.segments[k])];
    int32_t extra = after_pick ? kChoicePressMs : 0;
    for (const PathEvent& e : seg.events) {
      if (e.kind != PathEvent::Message) continue;
      int16_t speaker = 0;
      const std::string text = row_message(story, e.seq, speaker);
      const auto chars = split_chars(text);
      std::string start;
      for (size_t c = 0; c < chars.size() && c < 16; ++c) start += chars[c];
      out += "# " + num4(story.tables.Script_Table[static_cast<size_t>(e.seq)].num) + " " + start +
             (chars.size() > 16 ? "…" : "") + "\n";
      wait(e.ms - (text_shown_whole ? e.typing_ms : 0) + extra + kClickMs);
      click(message_point());
      extra = 0;
    }
    const int32_t tail = seg.tail_ms + extra + kClickMs;
    if (k < path.picks.size()) {
      out += "# choice: " + sum.picks[k] + "\n";
      wait(tail);
      click(choice_point(path.picks[k].second));
      after_pick = true;
    } else if (path.end == PathEnd::Ending) {
      out +=
          "# the ending, then its end button; only its frames are painted (the picture\n"
          "# of its end is compared, the rest of the play by its log)\n";
      out += runner::line_of(runner::Step{.verb = runner::Step::Paint}) + "\n";
      wait(tail + kEndingMs);
      runner::Step shot;
      shot.verb = runner::Step::Shot;
      shot.text = "ending.png";
      out += runner::line_of(shot) + "\n";
      click(end_button_point());
      wait(kAfterEndMs);
    } else {
      wait(tail + 5000);
    }
  }
  return out;
}

namespace {

// The files the game's start-up looks for before any row runs (the pictures
// it restores, the tunes the system file names): one missing, and no path
// is played at all.
std::vector<MapFinding> start_up_findings(const DataFolder& folder) {
  std::vector<std::string> missing;
  for (const PictureEntry& p : picture_entries())
    if (p.disguised && !folder.has(dat_name(p.number))) missing.push_back(dat_name(p.number));
  const std::array<std::string, 26> lines = folder.read_system();
  for (size_t i = 7; i <= 24; ++i) {
    const std::string file = tune_file_name(lines[i]);
    if (!lines[i].empty() && (file.empty() || !folder.has(file)))
      missing.push_back(file.empty() ? cp932_to_utf8(lines[i]) : file);
  }
  std::vector<MapFinding> out;
  out.reserve(missing.size());
  for (const std::string& m : missing)
    out.push_back({true, m, 0,
                   m + ": error: missing: the game does not start (it shows "
                       "\"実行に必要なﾌｧｲﾙがありません. file\" and the file)"});
  return out;
}

}  // namespace

Exploration write_paths(Files& files, const std::string& dir, const std::string& out_dir,
                        std::ostream& out, Story* story_out, const ExploreOptions& options) {
  const DataFolder folder(files, dir);
  Story story = read_story(folder);
  Exploration ex = explore_story(story, options);
  std::vector<MapFinding> start = start_up_findings(folder);
  ex.findings.insert(ex.findings.begin(), start.begin(), start.end());
  files.make_folder(out_dir).value_or_throw();
  const DataFolder to(files, out_dir);
  std::string tsv = "path\tchoices\tend_num\tend_seq\tends\tbackgrounds\tgallery\tlast_message\n";
  for (size_t i = 0; i < ex.paths.size(); ++i) {
    const size_t id = i + 1;
    const StoryPath& p = ex.paths[i];
    to.replace(path_name(id) + ".txt", path_input(story, ex, p, id, options.text_shown_whole))
        .value_or_throw();
    const PathSummary sum = summarize(story, ex, p);
    std::vector<std::string> places, gallery;
    for (size_t k = 0; k < sum.places.size(); ++k) {
      places.push_back(std::to_string(sum.places[k]));
      // Places 5 to 9 are the gallery's event pictures.
      if (sum.places[k] >= 5 && sum.places[k] <= 9 &&
          std::find(gallery.begin(), gallery.end(), std::to_string(sum.places[k])) == gallery.end())
        gallery.push_back(std::to_string(sum.places[k]));
    }
    tsv += path_name(id) + "\t" + tsv_field(join(sum.picks, " / ")) + "\t" +
           (sum.end_seq < static_cast<int32_t>(story.tables.Script_Table.size())
                ? num4(story.tables.Script_Table[static_cast<size_t>(sum.end_seq)].num)
                : std::string()) +
           "\t" + std::to_string(sum.end_seq) + "\t" +
           tsv_field(describe_end(sum.end, sum.hap, sum.error)) + "\t" + join(places, ",") + "\t" +
           join(gallery, ",") + "\t" + tsv_field(sum.messages.empty() ? "" : sum.messages.back()) +
           "\n";
  }
  to.replace("paths.tsv", tsv).value_or_throw();
  for (const MapFinding& f : ex.findings) out << f.text << "\n";
  if (story_out) *story_out = std::move(story);
  return ex;
}

}  // namespace vm::datatool
