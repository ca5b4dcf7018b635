// What the story's interpreter and its click wait work with: the state of the
// subsystems a script row drives, the services, and the hooks through which
// the game that runs the story does what lies above the script (the choice
// menu, the ending, the main window's menu).
#pragma once

#include <cstdint>

#include "assets/assets.h"
#include "graphics/scene.h"
#include "message/history.h"
#include "message/message.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/effects.h"
#include "platform/event_log.h"
#include "platform/forms.h"
#include "platform/music.h"
#include "platform/pictures.h"
#include "platform/settings.h"
#include "platform/speech.h"
#include "platform/text.h"
#include "platform/volume.h"
#include "platform/window.h"
#include "script/input.h"
#include "script/interp.h"
#include "script/tables.h"
#include "sound/sound.h"

namespace vm {

class StoryHooks {
 public:
  virtual ~StoryHooks() = default;
  // An "s" row: shows the choices of the current row and sets Script_Pos to
  // the target of the one picked.
  virtual void choose() = 0;
  // An "e" row: the ending; it never returns (the game ends from it).
  [[noreturn]] virtual void ending() = 0;
  // Another window holds the story (the slot window, the options window):
  // auto-forward waits until it closes.
  virtual bool story_held() = 0;
  // The main window's menu follows the text mode, the hidden message window
  // and auto-forward.
  virtual void text_mode_changed(int16_t mode) = 0;
  virtual void window_hidden_changed(bool hidden) = 0;
  virtual void auto_changed(bool on) = 0;
  // The story is entered afresh (begun, or resumed from a save).
  virtual void story_started() {}
  // A row is about to be played (Script_Pos names it).
  virtual ReplayVerdict row_starting() { return ReplayVerdict::GoOn; }
  // The current row's message stands whole on screen; its click wait (if
  // any) comes next.
  virtual ReplayVerdict message_finished() { return ReplayVerdict::GoOn; }
  // Skipping may pass the current row's message (false: it has not been
  // read, and skipping stops there).
  virtual bool may_skip_message() { return true; }
};

// The view is a handle on the states, as a span is on its elements: a
// function that only reads them takes it as const Story&, one that changes
// them takes it by value, and a leaf that needs one state takes that state.
// The services are those the interpreter and the click wait call (the
// window, the clock, the dialogs, the log, the settings, the voice) and those
// of the stage, the message window and the audio it cuts from it.
struct Story {
  Window& window;
  Clock& clock;
  Dialogs& dialogs;
  Pictures& pictures;
  Text& text;
  Music& music;
  Effects& effects;
  Volume& volume;
  EventLog& log;
  Forms& forms;
  SettingsStore& settings;
  Speech& speech;
  InterpState& interp;
  ScriptTables& tables;
  InputState& input;
  MessageState& msg;
  ScreenState& screen;
  SceneState& scene;
  SoundState& sound;
  AssetState& assets;
  HistoryState& history;
  const float& density;
  StoryHooks& hooks;

  Stage stage() const {
    return {window, clock, dialogs, pictures, log, screen, scene, assets, interp.cur_line};
  }
  MessageWindow message_window() const {
    return {window, clock, text, settings, msg, screen, density};
  }
  Audio audio() const { return {music, effects, volume, clock, window, settings, forms, sound}; }
  void refresh() const { present_screen(screen, window); }
};

}  // namespace vm
