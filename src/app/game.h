// The composition root: all state of one running game, grouped by
// subsystem, and the platform services it runs on. Only the flows that
// orchestrate (start-up and shutdown, the main window's routing, the title,
// gallery and ending, saving and loading) see it whole; every subsystem below
// them receives the view it works with (stage, message window, audio, story).
// Tests create a fresh one on the headless platform.
#pragma once

#include "about/about.h"
#include "app/dev_hooks.h"
#include "app/preferences.h"
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

inline constexpr const char* kAppTitle = "Velmora";

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
  GalleryRoom gallery_room() { return {gallery, stage(), audio()}; }
  ChoiceMenu choice_menu() { return {choice, story(), app.Menu_Hover}; }
  TitleScreen title_screen() { return {app.title, stage(), audio(), app.Menu_Hover}; }
  SlotWindow slot_window() {
    return {
        save,         pf, audio(), screen.Texture.img, assets.Data_Dir, tables, interp.Save_Title,
        input.back_at};
  }
  Finale finale() { return {ending, stage(), audio(), interp.hap}; }
  Story story() {
    return {pf,
            interp,
            tables,
            input,
            msg,
            screen,
            scene,
            sound,
            assets,
            history,
            options.Window_Density,
            *hooks};
  }

  // What the story asks of the game above the script.
  std::unique_ptr<StoryHooks> hooks;
  // What a dev run adds (velmora --dev); none in a player's game.
  std::unique_ptr<DevHooks> dev;
};

// Shorthands used everywhere.
inline void do_events(Game& g) {
  do_events(g.pf);
}
inline void sleep_ms(Game& g, int ms) {
  sleep_ms(g.pf, ms);
}
inline uint32_t tick_count(Game& g) {
  return tick_count(g.pf);
}
inline Answer message_box(Game& g, const std::string& text, Buttons buttons = Buttons::Ok) {
  return message_box(g.pf, text, buttons);
}
// Composes the screen and presents it.
inline void refresh(Game& g) {
  present_screen(g.screen, g.pf.window);
}

}  // namespace vm
