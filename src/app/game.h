// The composition root: all state of one running game, grouped by
// subsystem, and the platform services it runs on. Only start-up and
// shutdown, the main window's routing and the title's items see it whole;
// everything else receives the view it works with (the story, the stage, the
// message window, the rollback, the quick slot, a dev run's). Tests create a
// fresh one on the headless platform.
#pragma once

#include "about/about.h"
#include "app/dev_hooks.h"
#include "app/flows.h"
#include "app/preferences.h"
#include "app/quick_slot.h"
#include "app/quiet_platform.h"
#include "app/read_log.h"
#include "app/rollback.h"
#include "assets/assets.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "graphics/scene.h"
#include "graphics/screen.h"
#include "menu/main_menu.h"
#include "message/history.h"
#include "message/message.h"
#include "platform/services.h"
#include "save/save.h"
#include "script/input.h"
#include "script/interp.h"
#include "script/story.h"
#include "script/tables.h"
#include "sound/sound.h"
#include "title/title.h"

namespace vm {

struct AppState {
  int16_t Menu_Hover = 5;
  bool unloading = false;
  TitleState title;
  // The short notice in the screen's corner (a quick save) and its timer.
  Surface Notice{"Notice"};
  int notice_timer = -1;
};

struct Game {
  explicit Game(Platform& platform);
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The services, through the switch that lets an earlier message be
  // rebuilt unseen; pf is what everything uses.
  QuietPlatform quiet;
  Platform& pf;
  AppState app;
  AssetState assets;
  ScriptTables tables;
  InterpState interp;
  InputState input;
  MessageState msg;
  ScreenState screen;
  SceneState scene;
  SoundState sound;
  OptionState options;
  ChoiceState choice;
  SaveState save;
  GalleryState gallery;
  EndingState ending;
  AboutState about;
  HistoryState history;
  RollbackState rollback;
  ReadLog read_log;
  MainMenu menu;
  PreferencesState prefs;

  // What each subsystem works with, handed to it instead of the whole game.
  // The story's view holds them all; the narrower ones are cut from it.
  Stage stage() { return story().stage(); }
  MessageWindow message_window() { return story().message_window(); }
  Audio audio() { return story().audio(); }
  GalleryRoom gallery_room() { return {gallery, stage(), audio(), pf.text, pf.speech}; }
  ChoiceMenu choice_menu() { return {choice, story(), app.Menu_Hover}; }
  TitleScreen title_screen() {
    return {app.title, stage(), audio(), app.Menu_Hover, pf.files, pf.speech};
  }
  SlotWindow slot_window() {
    return {
        save,         pf.window, pf.clock,           pf.dialogs,      pf.files, pf.forms,
        pf.log,       audio(),   screen.Texture.img, assets.Data_Dir, tables,   interp.Save_Title,
        input.back_at};
  }
  Finale finale() { return {ending, stage(), audio(), interp.hap, pf.text, pf.speech}; }
  StoryPlay story_play() { return {story(), save, menu, options.Window_Density}; }
  RollbackView rollback_view() { return {rollback, story(), choice_menu(), quiet, menu}; }
  NoticeBoard notice_board() { return {app.Notice, app.notice_timer, screen, pf.text, pf.window}; }
  QuickSlot quick_slot() { return {slot_window(), story(), menu, notice_board()}; }
  DevView dev_view() {
    return {story_play(),   read_log, choice,       gallery_room(),
            title_screen(), pf.files, ending.words, about.words};
  }
  Story story() {
    return {pf.window,   pf.clock,
            pf.dialogs,  pf.pictures,
            pf.text,     pf.music,
            pf.effects,  pf.volume,
            pf.log,      pf.forms,
            pf.settings, pf.speech,
            interp,      tables,
            input,       msg,
            screen,      scene,
            sound,       assets,
            history,     options.Window_Density,
            *hooks};
  }

  // What the story asks of the game above the script.
  std::unique_ptr<StoryHooks> hooks;
  // What a dev run adds (velmora --dev); none in a player's game.
  std::unique_ptr<DevHooks> dev;
};

}  // namespace vm
