// What a dev run (velmora --dev, an author playing an editable folder) adds
// to the main window: its caption, the 開発 menu's items, the files it
// watches, its timers and the band it draws over the screen. The game holds
// none outside a dev run, and then nothing of it exists.
#pragma once

#include <memory>
#include <string>

#include "app/flows.h"
#include "app/read_log.h"
#include "assets/game_words.h"
#include "choices/choices.h"
#include "gallery/gallery.h"
#include "menu/main_menu.h"
#include "title/title.h"

namespace vm {

// What a dev run works with, handed to it by the game: the story's loop
// (which it starts at a scene of its choosing), the read log that belongs to
// the script it reloads, the choice menu it clears, the gallery and the
// title it leaves to start the story, and where the ending and the About box
// keep the game's words it reads again (the story's own are in its state).
struct DevView {
  StoryPlay play;
  ReadLog& read_log;
  ChoiceState& choice;
  GalleryRoom gallery;
  TitleScreen title;
  Files& files;
  std::shared_ptr<const GameWords>& ending_words;
  std::shared_ptr<const GameWords>& about_words;
};

class DevHooks {
 public:
  virtual ~DevHooks() = default;
  // The caption the window shows for the one the game would show.
  virtual std::string caption(const std::string& game_caption) = 0;
  // Adds its own layers once the screen's are laid out (above them all).
  virtual void layout() = 0;
  // The items of the 開発 menu.
  virtual void on_menu(MenuItem item) = 0;
  // A key pressed; true when it was the dev run's own (Ctrl+R).
  virtual bool on_key(int key) = 0;
  // A file of the watched folder changed.
  virtual void on_file_changed(const std::string& name) = 0;
  // A tick of a timer the game does not know; false when it is not ours.
  virtual bool on_timer(int id) = 0;
};

}  // namespace vm
