#include "app/flows.h"

#include "app/game.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "save/save.h"
#include "title/title.h"

namespace vm {

namespace {

// The record's counters, settings and names into the game.
void apply_record(Game& g, const SavedRecord& r) {
  InterpState& s = g.interp;
  s.kou = static_cast<int16_t>(r.kou);
  s.pap = static_cast<int16_t>(r.pap);
  s.rub = static_cast<int16_t>(r.rub);
  // The ending follows the slot, whatever was played before the load.
  s.hap = g.save.Saved_Hap;
  s.Cur_Num = static_cast<int16_t>(r.num);
  g.options.Window_Density = static_cast<float>(r.density) / 100.0f;
  g.sound.Music_On = r.music != 0 ? -1 : 0;
  g.sound.Sound_On = r.sound != 0 ? -1 : 0;
  // A game saved while skipping goes on skipping, and the menu says so.
  set_text_mode(g.story(), static_cast<int16_t>(r.text_mode));
  s.Script_Pos = r.pos;
  g.msg.Name_Table[1] = g.save.Save_Slots[1];
  g.msg.Name_Table[2] = g.save.Save_Slots[2];
}

// The story's own controls go out for good: the click wait, the hidden
// window, the history window and auto-forward (a modal list opened here
// would hold the staff roll while its tune plays on).
void lock_the_story(Game& g) {
  if (g.input.Clicker >= 0) g.pf.window.set_timer_enabled(g.input.Clicker, false);
  g.screen.Blinker.visible = false;
  g.input.Click_Wait = 0;
  g.input.Wnd_Hidden = 0;
  g.menu.enter(MenuPhase::Ending);
}

}  // namespace

void show_title(Game& g) {
  if (const Result<void> shown = title_steps(g.title_screen()); !shown) {
    message_box(g, shown.error().what());
    throw ShutdownRequest{true};
  }
  g.menu.enter(MenuPhase::Title);
}

TitleAction on_title_press(Game& g, int i) {
  static const char* const kItems[4] = {"start", "load", "gallery", "quit"};
  if (i >= 0 && i < 4) g.pf.log.record(LogEvent::title_chosen(kItems[i]));
  play_effect(g.audio(), kEffectPress);
  switch (i) {
    case 0:
      leave_title(g.title_screen());
      g.menu.enter(MenuPhase::Story);
      play_story(g, false);
      break;
    case 1:
      g.save.Slot_Mode = 2;
      open_slot_window(g.slot_window());
      if (g.save.Slot_Mode == 3) {
        leave_title(g.title_screen());
        play_story(g, true);
      }
      break;
    case 2:
      show_gallery(g.gallery_room());
      break;
    case 3:
      return TitleAction::Quit;
    default:
      break;
  }
  return TitleAction::None;
}

void load_state(Game& g) {
  // The record is read before anything is locked, so an unreadable one
  // leaves the game as it was. (The slot window checked the file already;
  // nothing else fills the record.)
  const Result<SavedRecord> read = parse_state_text(g.save.Save_Slots[0]);
  const Result<void> fits = read ? record_fits_story(read.value(), g.tables) : read.failure();
  if (!fits) {
    message_box(g, std::string("セーブデータを読み込めませんでした。\r\n") + fits.error().what());
    return;
  }
  const SavedRecord& r = read.value();
  Window& w = g.pf.window;
  g.menu.enter(MenuPhase::Restoring);
  g.screen.Blinker.visible = false;
  if (g.input.Clicker >= 0) w.set_timer_enabled(g.input.Clicker, false);

  InterpState& s = g.interp;
  const int16_t saved_place = static_cast<int16_t>(r.place);
  apply_record(g, r);

  stop_music(g.audio());
  clear_sprites(g.stage());
  s.Cur_Doll = 0;
  s.Cur_Face = 0;
  g.msg.Line_No = 0;
  g.msg.Shown_Speaker = 0;
  s.Place_No = -1;
  g.sound.Cur_Track = 0;  // silent until the script selects a tune
  g.screen.Waku[0].visible = false;

  g.menu.enter(MenuPhase::Story);
  g.screen.Blinker.visible = true;
  if (g.input.Clicker >= 0) w.set_timer_enabled(g.input.Clicker, true);

  jump_to_num(g.tables, s.Script_Pos, s.Cur_Num, g.pf.dialogs);  // a missing NUM keeps the SEQ
  g.input.Click_Wait = 0;

  // The saved background comes back at once when the scene's first rows
  // name no place of their own: their messages would otherwise run over
  // whatever the screen showed (the title). A scene that does name its place
  // brings it in with its own transition, as in a fresh play.
  if (saved_place >= 0 && !scene_opens_with_place(g.tables, s.Script_Pos)) {
    s.Place_No = saved_place;
    s.Cur_Text.clear();
    enter_place(g.story());
    // The scene's own place field still takes effect when it comes.
    s.Place_No = -1;
  }
  g.save.Loaded_Place = saved_place;
  refresh(g);
  run_script(g.story());
}

void play_story(Game& g, bool loaded) {
  for (;;) {
    try {
      if (loaded)
        load_state(g);
      else
        run_script(g.story());
      return;
    } catch (const LoadRequest&) {
      loaded = true;  // the slot window has read the record to resume
    }
  }
}

void on_prog_save(Game& g) {
  if (!g.input.Click_Wait) return;
  save_state(g.save, g.story());
  g.save.Slot_Mode = 1;
  open_slot_window(g.slot_window());
}

void on_prog_load(Game& g) {
  if (!g.input.Click_Wait) return;
  g.save.Slot_Mode = 2;
  open_slot_window(g.slot_window());
  // The story that waited for this click gives way to the loaded one.
  if (g.save.Slot_Mode == 3) throw LoadRequest{};
}

void run_ending(Game& g) {
  g.ending.running = true;
  lock_the_story(g);
  play_ending(g.finale());
}

}  // namespace vm
