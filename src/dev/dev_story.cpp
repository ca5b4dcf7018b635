// Where a dev run starts the story: the scene it was in again after a
// reload, a NUM the author jumps to, with the counters the author gives.
#include <sstream>

#include "app/flows.h"
#include "authoring/story_paths.h"
#include "dev/dev_session.h"
#include "gallery/gallery.h"
#include "graphics/screen.h"
#include "save/save.h"
#include "title/title.h"

namespace vm::dev {

namespace {

// The NUM itself when the script still has it, else the nearest earlier one
// it has, else its first.
int16_t nearest_num(const ScriptTables& t, int16_t num) {
  int16_t best = t.Script_Table.empty() ? int16_t{0} : t.Script_Table.front().num;
  bool found = false;
  for (int32_t i = 0; i < t.Scene_Count && i < static_cast<int32_t>(t.Scene_Index.size()); ++i) {
    const int16_t key = t.Scene_Index[static_cast<size_t>(i)].key;
    if (key <= num && (!found || key > best)) {
      best = key;
      found = true;
    }
  }
  return best;
}

int16_t* counter_named(InterpState& s, const std::string& name) {
  if (name == "kou") return &s.kou;
  if (name == "pap") return &s.pap;
  if (name == "rub") return &s.rub;
  if (name == "hap") return &s.hap;
  return nullptr;
}

}  // namespace

Result<Counters> parse_counters(const std::string& text, Counters c) {
  std::istringstream in(text);
  std::string item;
  while (in >> item) {
    const size_t eq = item.find('=');
    const std::string name = item.substr(0, eq == std::string::npos ? item.size() : eq);
    int* slot = name == "kou"   ? &c.kou
                : name == "pap" ? &c.pap
                : name == "rub" ? &c.rub
                : name == "hap" ? &c.hap
                                : nullptr;
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    size_t used = 0;
    int v = 0;
    try {
      v = std::stoi(value, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (!slot || value.empty() || used != value.size() || v < -99 || v > 999)
      return failure("\"" + item + "\": kou, pap, rub or hap = a number from -99 to 999");
    *slot = v;
  }
  return c;
}

std::string counters_text(const Counters& c) {
  return "kou=" + std::to_string(c.kou) + " pap=" + std::to_string(c.pap) +
         " rub=" + std::to_string(c.rub) + " hap=" + std::to_string(c.hap);
}

Counters DevSession::counters() const {
  const InterpState& s = story_.interp;
  return {s.kou, s.pap, s.rub, s.hap};
}

void DevSession::set_counters(const Counters& c) {
  InterpState& s = story_.interp;
  // A start still waiting (a jump during the opening) takes them too.
  waiting_record_.kou = c.kou;
  waiting_record_.pap = c.pap;
  waiting_record_.rub = c.rub;
  waiting_hap_ = static_cast<int16_t>(c.hap);
  for (const auto& [name, v] : {std::pair<const char*, int>{"kou", c.kou},
                                {"pap", c.pap},
                                {"rub", c.rub},
                                {"hap", c.hap}}) {
    int16_t* slot = counter_named(s, name);
    if (*slot != v) story_.log.record(LogEvent::dev_set(name, v));
    *slot = static_cast<int16_t>(v);
  }
}

bool DevSession::can_start_now() const {
  // As a quick load: the story waits for a click or a choice, and no other
  // window holds it.
  const MenuPhase p = v_.play.menu.phase();
  if (story_.hooks.story_held()) return false;
  if (p == MenuPhase::Title) return true;
  return (p == MenuPhase::Story && story_.input.Click_Wait != 0) || p == MenuPhase::Choosing;
}

void DevSession::restart_scene() {
  const MenuPhase p = v_.play.menu.phase();
  if (p != MenuPhase::Story && p != MenuPhase::Choosing) return;  // the title takes the new script
  save_state(v_.play.save, story_);
  Result<SavedRecord> read = saved_record(v_.play.save);
  if (!read) return;
  SavedRecord& r = read.value();
  r.num = nearest_num(story_.tables, story_.interp.Cur_Num);
  r.pos = std::max<int32_t>(0, find_num(story_.tables, static_cast<int16_t>(r.num)));
  r.place = entry_place(static_cast<int16_t>(r.num));
  start_at(r, story_.interp.Scene_Hap);
}

bool DevSession::story_running() const {
  const MenuPhase p = v_.play.menu.phase();
  return p == MenuPhase::Story || p == MenuPhase::Choosing || p == MenuPhase::Restoring ||
         p == MenuPhase::Ending;
}

void DevSession::start_with_counters() {
  if (restart_waiting_ || story_running()) return;
  // Counters set on the title or while it opens: the story starts with them.
  const Counters c = counters();
  const int16_t first =
      story_.tables.Script_Table.empty() ? int16_t{0} : story_.tables.Script_Table.front().num;
  (void)jump(first, c, true);  // the script's first NUM is always one to start at
}

void DevSession::start_at(const SavedRecord& r, int16_t hap, bool defer) {
  restart_waiting_ = false;
  if (defer || !can_start_now()) {
    // Mid-transition or behind a window: as soon as the story waits again.
    restart_waiting_ = true;
    waiting_record_ = r;
    waiting_hap_ = hap;
    story_.window.set_timer_enabled(retry_timer_, true);
    return;
  }
  keep_record(v_.play.save, r);
  v_.play.save.Saved_Hap = hap;
  story_.log.record(LogEvent::dev_start(r.num));
  if (v_.play.menu.phase() == MenuPhase::Title) {
    if (v_.gallery.gallery.CG_exit.visible) leave_gallery(v_.gallery);
    leave_title(v_.title);
    play_story(v_.play, true);
    return;
  }
  // The choice boxes of a menu left unanswered go with it.
  for (Surface& box : story_.screen.SelBox) box.visible = false;
  v_.choice.shown = 0;
  throw LoadRequest{};
}

int16_t DevSession::entry_place(int16_t num) const {
  // The background the scene's first rows stand on in a fresh play: a scene
  // that brings in its own replaces it with its own transition.
  datatool::Story story;
  story.tables = story_.tables;
  return datatool::place_on_entry(story, datatool::explore_story(story), num);
}

Result<void> DevSession::jump(int num, const Counters& c, bool defer) {
  if (num < 0 || num > 9999 || find_num(story_.tables, static_cast<int16_t>(num)) < 0)
    return failure("the script has no NUM " + std::to_string(num));
  if (v_.play.menu.phase() == MenuPhase::Ending) return failure("no story can start here");
  // On the title, while it opens or mid-transition: the story starts there
  // as soon as it can.
  save_state(v_.play.save, story_);
  Result<SavedRecord> read = saved_record(v_.play.save);
  if (!read) return read.failure();
  SavedRecord& r = read.value();
  r.num = num;
  r.pos = find_num(story_.tables, static_cast<int16_t>(num));
  r.kou = c.kou;
  r.pap = c.pap;
  r.rub = c.rub;
  r.place = entry_place(static_cast<int16_t>(num));
  start_at(r, static_cast<int16_t>(c.hap), defer);
  return {};
}

}  // namespace vm::dev
