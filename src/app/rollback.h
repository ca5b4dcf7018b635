// Stepping back to an earlier message and forward again.
//
// The run keeps no pictures of what was shown. It keeps, for every place
// change, the story's small state as it stood just before that row (a
// keyframe), and for every row what the player had set that changes how it
// is drawn (the text mode, Ctrl, the hidden window), every choice picked and
// every name typed. An earlier message is rebuilt by putting its keyframe's
// state back and playing the rows after it again on the quiet platform, with
// the same picks and names, up to that message: the same code draws the same
// screen, with no sound, frame, dialog or pause on the way.
//
// Stepping back happens inside the click wait of the newest message, or at
// the choice menu after it, which it withdraws: the story then stands in
// the wait of the message before the menu. Going forward re-shows the later
// messages the same way, and the newest one puts the game back as it stood.
// Going forward onto a choice lets the story go on live from the message
// shown, so the menu is asked again, with the pick made before highlighted;
// what followed is kept aside meanwhile. Picking the same again takes it back
// and shows the next message as a step forward does; picking another plays
// the new branch live, and what followed is forgotten. Whenever else the
// wait ends while rolled back (the player skips), the story runs on from the
// message shown and what followed it is forgotten.
//
// A message stepped to is read aloud as a message shown is; the rows played
// to rebuild it say nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/quiet_platform.h"
#include "choices/choices.h"
#include "graphics/scene.h"
#include "menu/main_menu.h"
#include "message/history.h"
#include "message/message.h"
#include "script/interp.h"
#include "script/story.h"
#include "sound/sound.h"

namespace vm {

// How many finished messages can be gone back to at most.
constexpr size_t kRollbackMessages = 250;

// What the player had set when a row was played.
struct RowInput {
  int16_t text_mode = 3;
  int16_t ctrl_held = 0;
  int16_t wnd_hidden = 0;
};

// The story's small state just before a place change, as each subsystem
// keeps a moment of its own.
struct Keyframe {
  InterpSnapshot interp;
  MessageSnapshot msg;
  ChoiceSnapshot choice;
  HistorySnapshot history;
  SoundSnapshot sound;
  StageSnapshot stage;
  size_t rows_at = 0, picks_at = 0, names_at = 0;
};

// One finished message: the keyframe it is rebuilt from, how many messages
// after it that keyframe's row it is, and how much of the journals had been
// used when it stood whole.
struct Checkpoint {
  size_t keyframe = 0;  // absolute number, counted from the run's start
  int ordinal = 0;
  size_t rows_at = 0, picks_at = 0, names_at = 0;
};

// What followed the message the story went on from live towards a choice
// made before, until that choice is picked again.
struct Aside {
  bool held = false;
  Checkpoint from;   // the message gone on from
  int16_t pick = 0;  // the choice picked after it before
  std::deque<Checkpoint> checkpoints;
  std::deque<Keyframe> keyframes;  // those taken after from's own
  std::vector<RowInput> rows;
  std::vector<int16_t> picks;  // from the pick on
  std::vector<std::string> names;
  int since_keyframe = 0;
  bool menu_ahead = false;
};

struct RollbackState {
  std::deque<Keyframe> keyframes;
  size_t dropped_keyframes = 0;        // keyframes already forgotten (their numbers stay)
  std::deque<Checkpoint> checkpoints;  // oldest first; the last is the newest message
  std::vector<RowInput> rows;
  std::vector<int16_t> picks;
  std::vector<std::string> names;
  int since_keyframe = 0;   // messages finished since the newest keyframe
  int depth = 0;            // how many messages back the screen stands (0: live)
  bool menu_open = false;   // the live story's choice menu is open after the newest message
  bool menu_ahead = false;  // that menu was stepped back from: going forward brings it back
  int withdraw_to = 0;      // where the step back from the menu goes (messages before the newest)
  Aside aside;

  // While an earlier message is being rebuilt.
  bool replaying = false;
  int replay_target = 0;
  int replay_seen = 0;
  size_t replay_row = 0, replay_pick = 0;
};

// What stepping back works with: its journals, the story it plays again,
// the choice menu it answers or withdraws, the switch that makes the
// platform quiet while an earlier message is rebuilt, and the menu bar's
// step-back item. Passed by value where it changes what it refers to.
struct RollbackView {
  RollbackState& rollback;
  Story story;
  ChoiceMenu choices;
  QuietPlatform& quiet;
  MainMenu& menu;
};

// The story's side (called from the story hooks). While an earlier message
// is rebuilt, the row and the message hooks stop the quiet play once it
// stands whole (Reached), or when it has gone on too long without it
// (GaveUp); the live story always goes on.
void rollback_story_started(RollbackView v);
ReplayVerdict rollback_row_starting(RollbackView v);
ReplayVerdict rollback_message_finished(RollbackView v);
// The live story opens a choice menu: the choice to show highlighted (the
// one picked there before, when the player came back to it), or -1.
int rollback_menu_opening(RollbackView v);
// The live menu closed (picked, refused, or withdrawn by a step back). A
// menu stepped back from, or a choice picked as it was before, leaves the
// story standing in the wait of the message stepped to, rebuilt, and going
// on from it as from any message (Script_Pos the row after it).
void rollback_menu_closed(RollbackView v, ChoiceOutcome how);
void rollback_name_typed(RollbackState& r, const std::string& name);

// How many messages back the player can still go from where the screen is
// (from an open menu, the message before it counts).
int rollback_room(const RollbackState& r);
// The player's steps: back by n messages (a key: 1), to the message `back`
// before the newest one the history shows (its double click), and forward
// by one (onto a choice, the story goes on live to ask it again). False when
// there was nowhere to go.
bool roll_back(RollbackView v, int n = 1);
bool roll_back_to_line(RollbackView v, int back);
bool roll_forward(RollbackView v);

// The main window's keys and click while the story waits on a message or a
// choice: true when they were a rollback step (or while rolled back, any
// forward key or click), so nothing else acts on them.
bool on_rollback_key(RollbackView v, int key);
bool on_rollback_click(RollbackView v);

// The memory the rollback journals hold, in bytes (for the benchmark).
size_t rollback_bytes(const RollbackState& r);

}  // namespace vm
