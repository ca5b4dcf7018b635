#include "app/rollback.h"

#include <algorithm>

#include "app/game.h"

namespace vm {

namespace {

// Rows played quietly past the journal without reaching the message: the
// rebuild gives up rather than run for ever on a story that went another way.
constexpr int kReplayRowLimit = 200000;

Keyframe take_keyframe(Game& g) {
  const RollbackState& r = g.rollback;
  return {snapshot(g.interp),  snapshot(g.msg),   snapshot(g.choice),
          snapshot(g.history), snapshot(g.sound), snapshot(g.stage()),
          r.rows.size(),       r.picks.size(),    r.names.size()};
}

void put_keyframe(Game& g, const Keyframe& k) {
  restore(g.interp, k.interp);
  restore(g.msg, k.msg);
  restore(g.choice, k.choice);
  restore(g.history, k.history);
  restore(g.sound, k.sound);
  restore(g.stage(), k.stage);
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
ReplayVerdict rebuild(Game& g, const Checkpoint& c) {
  RollbackState& r = g.rollback;
  const Keyframe& k = r.keyframes[c.keyframe - r.dropped_keyframes];
  put_keyframe(g, k);
  r.replaying = true;
  r.replay_target = c.ordinal;
  r.replay_seen = 0;
  r.replay_row = k.rows_at;
  r.replay_pick = k.picks_at;
  g.quiet.names_to_give.assign(r.names.begin() + static_cast<std::ptrdiff_t>(k.names_at),
                               r.names.end());
  g.quiet.on_quiet_events = [&g] { feed_quiet_play(g.rollback, g.choice, g.input); };
  g.quiet.set_quiet(true);
  ReplayVerdict verdict = ReplayVerdict::GoOn;
  try {
    verdict = run_rows(g.story());
  } catch (...) {
    g.quiet.set_quiet(false);
    r.replaying = false;
    throw;
  }
  g.quiet.set_quiet(false);
  g.quiet.names_to_give.clear();
  r.replaying = false;
  return verdict;
}

// After a rebuild the game stands in the click wait of the message shown:
// no skipping, no auto-forward, the window shown, the tune of that moment.
void settle_in_wait(Game& g, int16_t track_before) {
  InputState& in = g.input;
  if (in.Text_Mode == 0) {
    in.Text_Mode = 1;
    g.hooks->text_mode_changed(1);
  }
  if (in.Auto_On) {
    in.Auto_On = 0;
    g.hooks->auto_changed(false);
  }
  if (in.Wnd_Hidden) {
    in.Wnd_Hidden = 0;
    g.hooks->window_hidden_changed(false);
  }
  in.Click_Wait = -1;
  g.screen.Blinker.visible = false;
  if (in.Clicker >= 0) g.pf.window.set_timer_enabled(in.Clicker, true);
  const int16_t track = g.sound.Cur_Track;
  if (track != track_before) {
    const Audio a = g.audio();
    if (track <= 0) {
      stop_music(a);
    } else {
      const std::string path = tune_path(g.assets, track);
      if (!path.empty()) play_music(a, path);
    }
  }
  refresh(g);
}

const Checkpoint& checkpoint_at(const RollbackState& r, int depth) {
  return r.checkpoints[r.checkpoints.size() - 1 - static_cast<size_t>(depth)];
}

// The message asked for could not be rebuilt, and the quiet play has left
// the story wherever it stopped: the message the player stood at is rebuilt
// in its place, so the screen and the story stay as they were.
void stay_where_the_player_stood(Game& g, ReplayVerdict why, int16_t track_before) {
  RollbackState& r = g.rollback;
  g.pf.log.record(LogEvent::warning(why == ReplayVerdict::GaveUp
                                        ? "the earlier message could not be found again"
                                        : "the earlier message could not be rebuilt"));
  if (rebuild(g, checkpoint_at(r, r.depth)) != ReplayVerdict::Reached) return;
  settle_in_wait(g, track_before);
  show_menu_room(g.menu, r);
}

// Shows the message `depth` messages back from the newest.
bool show_depth(Game& g, int depth) {
  RollbackState& r = g.rollback;
  const int16_t track_before = g.sound.Cur_Track;
  if (const ReplayVerdict v = rebuild(g, checkpoint_at(r, depth)); v != ReplayVerdict::Reached) {
    stay_where_the_player_stood(g, v, track_before);
    return false;
  }
  r.depth = depth;
  settle_in_wait(g, track_before);
  // Counted from where the live story stood: a menu stepped back from is one.
  g.pf.log.record(LogEvent::rollback(depth + (r.menu_ahead ? 1 : 0)));
  show_menu_room(g.menu, g.rollback);
  // Read as a message shown is read; the rows that rebuilt it said nothing.
  g.pf.speech.say(spoken_message(g.interp, speaker_label(g.msg, g.interp.Cur_Speaker)));
  return true;
}

// Waiting on a message the player reads (not one still being drawn).
bool waiting_on_message(const Game& g) {
  return g.menu.phase() == MenuPhase::Story && g.input.Click_Wait != 0 && !g.msg.Msg_Busy &&
         !g.hooks->story_held() && !g.rollback.replaying;
}

// The live story's choice menu waits for its pick.
bool menu_waiting(const Game& g) {
  return g.menu.phase() == MenuPhase::Choosing && g.rollback.menu_open &&
         choice_pending(g.choice) && !g.hooks->story_held() && !g.rollback.replaying;
}

// From the choice row's hook: the story stands in the click wait of the
// message `depth` back, rebuilt, and then goes on as the story's loop goes
// on after any message (the page checked, the next row).
void stand_at(Game& g, int depth) {
  show_depth(g, depth);
  wait_click(g.story());
  page_check(g.message_window());
  ++g.interp.Script_Pos;
}

}  // namespace

void rollback_story_started(Game& g) {
  if (g.rollback.replaying) return;
  g.rollback = RollbackState{};
  show_menu_room(g.menu, g.rollback);
}

ReplayVerdict rollback_row_starting(Game& g) {
  RollbackState& r = g.rollback;
  InputState& in = g.input;
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
    g.pf.log.record(LogEvent::rollback(0));
  }
  if (row_changes_place(g.interp, g.tables)) {
    r.keyframes.push_back(take_keyframe(g));
    r.since_keyframe = 0;
  }
  r.rows.push_back({in.Text_Mode, in.Ctrl_Held, in.Wnd_Hidden});
  return ReplayVerdict::GoOn;
}

ReplayVerdict rollback_message_finished(Game& g) {
  RollbackState& r = g.rollback;
  if (r.replaying)
    return ++r.replay_seen >= r.replay_target ? ReplayVerdict::Reached : ReplayVerdict::GoOn;
  r.aside = Aside{};  // the story went on without the choice that was ahead
  // Nothing to rebuild it from before the first place.
  if (r.keyframes.empty()) return ReplayVerdict::GoOn;
  ++r.since_keyframe;
  r.checkpoints.push_back({r.dropped_keyframes + r.keyframes.size() - 1, r.since_keyframe,
                           r.rows.size(), r.picks.size(), r.names.size()});
  forget_oldest(r);
  show_menu_room(g.menu, g.rollback);
  return ReplayVerdict::GoOn;
}

int rollback_menu_opening(Game& g) {
  RollbackState& r = g.rollback;
  r.menu_open = true;
  show_menu_room(g.menu, r);
  return r.aside.held ? r.aside.pick : -1;
}

void rollback_menu_closed(Game& g, ChoiceOutcome how) {
  RollbackState& r = g.rollback;
  r.menu_open = false;
  if (how == ChoiceOutcome::Withdrawn) {
    // Back to the message before the menu, or further; forward again, the
    // menu comes back.
    int base = 0;
    if (r.aside.held)
      base = take_back_aside(r);
    else
      r.menu_ahead = true;
    return stand_at(g, base + r.withdraw_to);
  }
  if (how == ChoiceOutcome::Picked) {
    const int16_t picked = g.choice.Sel_Choice;
    // The same as before: on through what followed, as a step forward.
    if (r.aside.held && picked == r.aside.pick) return stand_at(g, take_back_aside(r) - 1);
    r.aside = Aside{};
    r.picks.push_back(picked);
  }
  show_menu_room(g.menu, r);
}

void rollback_name_typed(Game& g, const std::string& name) {
  if (!g.rollback.replaying) g.rollback.names.push_back(name);
}

int rollback_room(const RollbackState& r) {
  return std::max(0, static_cast<int>(r.checkpoints.size()) - 1 - r.depth + (r.menu_open ? 1 : 0));
}

bool roll_back(Game& g, int n) {
  RollbackState& r = g.rollback;
  const int steps = std::min(n, rollback_room(r));
  if (steps <= 0) return false;
  if (menu_waiting(g)) {
    // The menu closes; its hook then stands at the message asked for.
    r.withdraw_to = steps - 1;
    g.choice.withdrawn = true;
    return true;
  }
  return waiting_on_message(g) && show_depth(g, r.depth + steps);
}

bool roll_back_to_line(Game& g, int back) {
  // From a menu, its newest line is the message before it: already a step.
  const int n = back + (menu_waiting(g) ? 1 : 0);
  return n > 0 && n <= rollback_room(g.rollback) && roll_back(g, n);
}

bool roll_forward(Game& g) {
  RollbackState& r = g.rollback;
  if (!waiting_on_message(g)) return false;
  if (r.depth == 0) {
    if (!r.menu_ahead) return false;
    g.input.Click_Wait = 0;  // the story goes on to the menu stepped back from
    return true;
  }
  const Checkpoint& here = checkpoint_at(r, r.depth);
  const Checkpoint& next = checkpoint_at(r, r.depth - 1);
  if (next.picks_at != here.picks_at) {
    // A choice lies ahead: the story goes on live from here, to ask it again.
    g.input.Click_Wait = 0;
    return true;
  }
  return show_depth(g, r.depth - 1);
}

bool on_rollback_key(Game& g, int key) {
  const bool back = key == kKeyPrior || key == kKeyBack;
  if (menu_waiting(g)) {
    if (back) roll_back(g, 1);
    if (key != kKeyNext) return back;
    // Forward through the history: the choice picked here before.
    const Aside& a = g.rollback.aside;
    if (a.held && g.msg.Choice_Armed) press_choice(g.choice_menu(), a.pick);
    return true;
  }
  if (!waiting_on_message(g)) return false;
  if (back) {
    roll_back(g, 1);
    return true;
  }
  // Rolled back, every forward key is the same step.
  if (key == kKeyNext || (g.rollback.depth > 0 && (key == kKeyReturn || key == kKeySpace))) {
    roll_forward(g);
    return true;
  }
  return false;
}

bool on_rollback_click(Game& g) {
  if (!waiting_on_message(g) || g.rollback.depth <= 0) return false;
  roll_forward(g);
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
