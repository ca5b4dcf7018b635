#include "app/rollback.h"

#include <algorithm>

#include "assets/assets.h"
#include "script/input.h"

namespace vm {

namespace {

// Rows played quietly past the journal without reaching the message: the
// rebuild gives up rather than run for ever on a story that went another way.
constexpr int kReplayRowLimit = 200000;

Keyframe take_keyframe(const Story& st, const ChoiceState& choice, const RollbackState& r) {
  return {snapshot(st.interp),  snapshot(st.msg),   snapshot(choice),
          snapshot(st.history), snapshot(st.sound), snapshot(st.stage()),
          r.rows.size(),        r.picks.size(),     r.names.size()};
}

void put_keyframe(Story st, ChoiceState& choice, const Keyframe& k) {
  restore(st.interp, k.interp);
  restore(st.msg, k.msg);
  restore(choice, k.choice);
  restore(st.history, k.history);
  restore(st.sound, k.sound);
  restore(st.stage(), k.stage);
}

// The row at Script_Pos brings in another background: the scene is then
// built from nothing but that row and what follows it.
bool row_changes_place(const InterpState& s, const ScriptTables& t) {
  if (s.Script_Pos < 0 || s.Script_Pos >= t.Script_Last) return false;
  try {
    const RowFields f = read_row(t.Script_Table[static_cast<size_t>(s.Script_Pos)]);
    return f.has_place && f.place != s.Place_No;
  } catch (const DataError&) {
    return false;  // the row stops the game when it plays
  }
}

// The waits of the quiet play: the picks made the first time, and every
// click wait released at once.
void feed_quiet_play(RollbackState& r, ChoiceState& choice, InputState& input) {
  if (choice.shown > 0 && choice.Sel_Choice < 0) {
    choice.Sel_Choice = r.replay_pick < r.picks.size() ? r.picks[r.replay_pick++] : int16_t{0};
    return;
  }
  if (input.Click_Wait) input.Click_Wait = 0;
}

void forget_oldest(RollbackState& r) {
  while (r.checkpoints.size() > kRollbackMessages) r.checkpoints.pop_front();
  const size_t needed = r.checkpoints.empty() ? r.dropped_keyframes + r.keyframes.size() - 1
                                              : r.checkpoints.front().keyframe;
  while (!r.keyframes.empty() && r.dropped_keyframes < needed) {
    r.keyframes.pop_front();
    ++r.dropped_keyframes;
  }
}

template <typename Out, typename In>
void append(Out& out, const In& in, size_t from) {
  out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(from), in.end());
}

// What followed the checkpoint at `at`, whose next message comes after a
// choice.
Aside set_aside(const RollbackState& r, size_t at) {
  const Checkpoint& here = r.checkpoints[at];
  Aside a;
  a.held = true;
  a.from = here;
  a.pick = r.picks[here.picks_at];
  append(a.checkpoints, r.checkpoints, at + 1);
  append(a.keyframes, r.keyframes, here.keyframe + 1 - r.dropped_keyframes);
  append(a.rows, r.rows, here.rows_at);
  append(a.picks, r.picks, here.picks_at);
  append(a.names, r.names, here.names_at);
  a.since_keyframe = r.since_keyframe;
  a.menu_ahead = r.menu_ahead;
  return a;
}

// The choice was picked as before: what followed it is the run's again, in
// place of the rows played since. How many messages it holds.
int take_back_aside(RollbackState& r) {
  Aside a = std::move(r.aside);
  r.aside = Aside{};
  r.rows.resize(a.from.rows_at);
  r.picks.resize(a.from.picks_at);
  r.names.resize(a.from.names_at);
  while (r.dropped_keyframes + r.keyframes.size() > a.from.keyframe + 1) r.keyframes.pop_back();
  append(r.checkpoints, a.checkpoints, 0);
  append(r.keyframes, a.keyframes, 0);
  append(r.rows, a.rows, 0);
  append(r.picks, a.picks, 0);
  append(r.names, a.names, 0);
  r.since_keyframe = a.since_keyframe;
  r.menu_ahead = a.menu_ahead;
  return static_cast<int>(a.checkpoints.size());
}

// The story goes on live from the message shown: what followed it is no
// longer this run's, but when the next thing that followed was a choice, it
// is kept aside until that choice is asked.
void go_live_here(RollbackState& r) {
  const size_t at = r.checkpoints.size() - 1 - static_cast<size_t>(r.depth);
  const Checkpoint here = r.checkpoints[at];
  Aside aside;
  if (r.depth > 0 && r.checkpoints[at + 1].picks_at != here.picks_at) aside = set_aside(r, at);
  r.checkpoints.resize(at + 1);
  r.rows.resize(here.rows_at);
  r.picks.resize(here.picks_at);
  r.names.resize(here.names_at);
  while (r.dropped_keyframes + r.keyframes.size() > here.keyframe + 1) r.keyframes.pop_back();
  r.since_keyframe = here.ordinal;
  r.depth = 0;
  r.menu_ahead = false;
  r.aside = std::move(aside);
}

void show_menu_room(MainMenu& menu, const RollbackState& r) {
  menu.set_can_roll_back(rollback_room(r) > 0);
}

// Plays the story quietly from the checkpoint's keyframe until its message
// stands whole (Reached); GoOn when the story ran to its end instead, GaveUp
// when it went on too long without it.
ReplayVerdict rebuild(RollbackView v, const Checkpoint& c) {
  RollbackState& r = v.rollback;
  QuietPlatform& quiet = v.quiet;
  const Keyframe& k = r.keyframes[c.keyframe - r.dropped_keyframes];
  put_keyframe(v.story, v.choices.choice, k);
  r.replaying = true;
  r.replay_target = c.ordinal;
  r.replay_seen = 0;
  r.replay_row = k.rows_at;
  r.replay_pick = k.picks_at;
  quiet.names_to_give.assign(r.names.begin() + static_cast<std::ptrdiff_t>(k.names_at),
                             r.names.end());
  quiet.on_quiet_events = [&r, &choice = v.choices.choice, &input = v.story.input] {
    feed_quiet_play(r, choice, input);
  };
  quiet.set_quiet(true);
  ReplayVerdict verdict = ReplayVerdict::GoOn;
  try {
    verdict = run_rows(v.story);
  } catch (...) {
    quiet.set_quiet(false);
    r.replaying = false;
    throw;
  }
  quiet.set_quiet(false);
  quiet.names_to_give.clear();
  r.replaying = false;
  return verdict;
}

// After a rebuild the game stands in the click wait of the message shown:
// no skipping, no auto-forward, the window shown, the tune of that moment.
void settle_in_wait(Story st, int16_t track_before) {
  InputState& in = st.input;
  if (in.Text_Mode == 0) {
    in.Text_Mode = 1;
    st.hooks.text_mode_changed(1);
  }
  if (in.Auto_On) {
    in.Auto_On = 0;
    st.hooks.auto_changed(false);
  }
  if (in.Wnd_Hidden) {
    in.Wnd_Hidden = 0;
    st.hooks.window_hidden_changed(false);
  }
  in.Click_Wait = -1;
  st.screen.Blinker.visible = false;
  if (in.Clicker >= 0) st.window.set_timer_enabled(in.Clicker, true);
  const int16_t track = st.sound.Cur_Track;
  if (track != track_before) {
    const Audio a = st.audio();
    if (track <= 0) {
      stop_music(a);
    } else {
      const std::string path = tune_path(st.assets, track);
      if (!path.empty()) play_music(a, path);
    }
  }
  st.refresh();
}

const Checkpoint& checkpoint_at(const RollbackState& r, int depth) {
  return r.checkpoints[r.checkpoints.size() - 1 - static_cast<size_t>(depth)];
}

// The message asked for could not be rebuilt, and the quiet play has left
// the story wherever it stopped: the message the player stood at is rebuilt
// in its place, so the screen and the story stay as they were.
void stay_where_the_player_stood(RollbackView v, ReplayVerdict why, int16_t track_before) {
  RollbackState& r = v.rollback;
  v.story.log.record(LogEvent::warning(why == ReplayVerdict::GaveUp
                                           ? "the earlier message could not be found again"
                                           : "the earlier message could not be rebuilt"));
  if (rebuild(v, checkpoint_at(r, r.depth)) != ReplayVerdict::Reached) return;
  settle_in_wait(v.story, track_before);
  show_menu_room(v.menu, r);
}

// Shows the message `depth` messages back from the newest.
bool show_depth(RollbackView v, int depth) {
  RollbackState& r = v.rollback;
  const Story& st = v.story;
  const int16_t track_before = st.sound.Cur_Track;
  if (const ReplayVerdict why = rebuild(v, checkpoint_at(r, depth));
      why != ReplayVerdict::Reached) {
    stay_where_the_player_stood(v, why, track_before);
    return false;
  }
  r.depth = depth;
  settle_in_wait(v.story, track_before);
  // Counted from where the live story stood: a menu stepped back from is one.
  st.log.record(LogEvent::rollback(depth + (r.menu_ahead ? 1 : 0)));
  show_menu_room(v.menu, r);
  // Read as a message shown is read; the rows that rebuilt it said nothing.
  st.speech.say(spoken_message(st.interp, speaker_label(st.msg, st.interp.Cur_Speaker)));
  return true;
}

// Waiting on a message the player reads (not one still being drawn).
bool waiting_on_message(const RollbackView& v) {
  const Story& st = v.story;
  return v.menu.phase() == MenuPhase::Story && st.input.Click_Wait != 0 && !st.msg.Msg_Busy &&
         !st.hooks.story_held() && !v.rollback.replaying;
}

// The live story's choice menu waits for its pick.
bool menu_waiting(const RollbackView& v) {
  return v.menu.phase() == MenuPhase::Choosing && v.rollback.menu_open &&
         choice_pending(v.choices.choice) && !v.story.hooks.story_held() && !v.rollback.replaying;
}

// From the choice row's hook: the story stands in the click wait of the
// message `depth` back, rebuilt, and then goes on as the story's loop goes
// on after any message (the page checked, the next row).
void stand_at(RollbackView v, int depth) {
  show_depth(v, depth);
  wait_click(v.story);
  page_check(v.story.message_window());
  ++v.story.interp.Script_Pos;
}

}  // namespace

void rollback_story_started(RollbackView v) {
  if (v.rollback.replaying) return;
  v.rollback = RollbackState{};
  show_menu_room(v.menu, v.rollback);
}

ReplayVerdict rollback_row_starting(RollbackView v) {
  RollbackState& r = v.rollback;
  InputState& in = v.story.input;
  if (r.replaying) {
    if (r.replay_row < r.rows.size()) {
      const RowInput& ri = r.rows[r.replay_row];
      in.Text_Mode = ri.text_mode;
      in.Ctrl_Held = ri.ctrl_held;
      in.Wnd_Hidden = ri.wnd_hidden;
    }
    ++r.replay_row;
    return r.replay_row > r.rows.size() + kReplayRowLimit ? ReplayVerdict::GaveUp
                                                          : ReplayVerdict::GoOn;
  }
  if (r.depth > 0 || r.menu_ahead) {
    go_live_here(r);
    v.story.log.record(LogEvent::rollback(0));
  }
  if (row_changes_place(v.story.interp, v.story.tables)) {
    r.keyframes.push_back(take_keyframe(v.story, v.choices.choice, r));
    r.since_keyframe = 0;
  }
  r.rows.push_back({in.Text_Mode, in.Ctrl_Held, in.Wnd_Hidden});
  return ReplayVerdict::GoOn;
}

ReplayVerdict rollback_message_finished(RollbackView v) {
  RollbackState& r = v.rollback;
  if (r.replaying)
    return ++r.replay_seen >= r.replay_target ? ReplayVerdict::Reached : ReplayVerdict::GoOn;
  r.aside = Aside{};  // the story went on without the choice that was ahead
  // Nothing to rebuild it from before the first place.
  if (r.keyframes.empty()) return ReplayVerdict::GoOn;
  ++r.since_keyframe;
  r.checkpoints.push_back({r.dropped_keyframes + r.keyframes.size() - 1, r.since_keyframe,
                           r.rows.size(), r.picks.size(), r.names.size()});
  forget_oldest(r);
  show_menu_room(v.menu, v.rollback);
  return ReplayVerdict::GoOn;
}

int rollback_menu_opening(RollbackView v) {
  RollbackState& r = v.rollback;
  r.menu_open = true;
  show_menu_room(v.menu, r);
  return r.aside.held ? r.aside.pick : -1;
}

void rollback_menu_closed(RollbackView v, ChoiceOutcome how) {
  RollbackState& r = v.rollback;
  r.menu_open = false;
  if (how == ChoiceOutcome::Withdrawn) {
    // Back to the message before the menu, or further; forward again, the
    // menu comes back.
    int base = 0;
    if (r.aside.held)
      base = take_back_aside(r);
    else
      r.menu_ahead = true;
    return stand_at(v, base + r.withdraw_to);
  }
  if (how == ChoiceOutcome::Picked) {
    const int16_t picked = v.choices.choice.Sel_Choice;
    // The same as before: on through what followed, as a step forward.
    if (r.aside.held && picked == r.aside.pick) return stand_at(v, take_back_aside(r) - 1);
    r.aside = Aside{};
    r.picks.push_back(picked);
  }
  show_menu_room(v.menu, r);
}

void rollback_name_typed(RollbackState& r, const std::string& name) {
  if (!r.replaying) r.names.push_back(name);
}

int rollback_room(const RollbackState& r) {
  return std::max(0, static_cast<int>(r.checkpoints.size()) - 1 - r.depth + (r.menu_open ? 1 : 0));
}

bool roll_back(RollbackView v, int n) {
  RollbackState& r = v.rollback;
  const int steps = std::min(n, rollback_room(r));
  if (steps <= 0) return false;
  if (menu_waiting(v)) {
    // The menu closes; its hook then stands at the message asked for.
    r.withdraw_to = steps - 1;
    v.choices.choice.withdrawn = true;
    return true;
  }
  return waiting_on_message(v) && show_depth(v, r.depth + steps);
}

bool roll_back_to_line(RollbackView v, int back) {
  // From a menu, its newest line is the message before it: already a step.
  const int n = back + (menu_waiting(v) ? 1 : 0);
  return n > 0 && n <= rollback_room(v.rollback) && roll_back(v, n);
}

bool roll_forward(RollbackView v) {
  RollbackState& r = v.rollback;
  if (!waiting_on_message(v)) return false;
  if (r.depth == 0) {
    if (!r.menu_ahead) return false;
    v.story.input.Click_Wait = 0;  // the story goes on to the menu stepped back from
    return true;
  }
  const Checkpoint& here = checkpoint_at(r, r.depth);
  const Checkpoint& next = checkpoint_at(r, r.depth - 1);
  if (next.picks_at != here.picks_at) {
    // A choice lies ahead: the story goes on live from here, to ask it again.
    v.story.input.Click_Wait = 0;
    return true;
  }
  return show_depth(v, r.depth - 1);
}

bool on_rollback_key(RollbackView v, int key) {
  const bool back = key == kKeyPrior || key == kKeyBack;
  if (menu_waiting(v)) {
    if (back) roll_back(v, 1);
    if (key != kKeyNext) return back;
    // Forward through the history: the choice picked here before.
    const Aside& a = v.rollback.aside;
    if (a.held && v.story.msg.Choice_Armed) press_choice(v.choices, a.pick);
    return true;
  }
  if (!waiting_on_message(v)) return false;
  if (back) {
    roll_back(v, 1);
    return true;
  }
  // Rolled back, every forward key is the same step.
  if (key == kKeyNext || (v.rollback.depth > 0 && (key == kKeyReturn || key == kKeySpace))) {
    roll_forward(v);
    return true;
  }
  return false;
}

bool on_rollback_click(RollbackView v) {
  if (!waiting_on_message(v) || v.rollback.depth <= 0) return false;
  roll_forward(v);
  return true;
}

size_t rollback_bytes(const RollbackState& r) {
  size_t n = sizeof(RollbackState) + r.rows.capacity() * sizeof(RowInput) +
             r.picks.capacity() * sizeof(int16_t) + r.checkpoints.size() * sizeof(Checkpoint);
  for (const std::string& s : r.names) n += sizeof(std::string) + s.capacity();
  for (const Keyframe& k : r.keyframes) {
    n += sizeof k;
    for (const HistoryEntry& e : k.history.entries)
      n += sizeof e + e.speaker.capacity() + e.text.capacity();
    n += k.interp.Cur_Text.capacity() + k.interp.Cur_Cmd.capacity() +
         k.interp.Save_Title.capacity() + k.interp.Cur_Value.capacity() +
         k.interp.Cur_Subst.capacity();
    for (const std::string& s : k.msg.Name_Table) n += s.capacity();
  }
  return n;
}

}  // namespace vm
