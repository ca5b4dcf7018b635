#include "app/flows.h"

#include "app/game.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "save/save.h"
#include "title/title.h"

namespace vm {

namespace {

// The record's counters, settings and names into the game.
void apply_record(StoryPlay p, const SavedRecord& r) {
  const Story& st = p.story;
  InterpState& s = st.interp;
  s.kou = static_cast<int16_t>(r.kou);
  s.pap = static_cast<int16_t>(r.pap);
  s.rub = static_cast<int16_t>(r.rub);
  // The ending follows the slot, whatever was played before the load.
  s.hap = p.save.Saved_Hap;
  s.Cur_Num = static_cast<int16_t>(r.num);
  p.density = static_cast<float>(r.density) / 100.0f;
  st.sound.Music_On = r.music != 0 ? -1 : 0;
  st.sound.Sound_On = r.sound != 0 ? -1 : 0;
  // A game saved while skipping goes on skipping, and the menu says so.
  set_text_mode(st.input, st.hooks, static_cast<int16_t>(r.text_mode));
  s.Script_Pos = r.pos;
  st.msg.Name_Table[1] = p.save.Save_Slots[1];
  st.msg.Name_Table[2] = p.save.Save_Slots[2];
}

// The story's own controls go out for good: the click wait, the hidden
// window, the history window and auto-forward (a modal list opened here
// would hold the staff roll while its tune plays on).
void lock_the_story(Story st, MainMenu& menu) {
  if (st.input.Clicker >= 0) st.window.set_timer_enabled(st.input.Clicker, false);
  st.screen.Blinker.visible = false;
  st.input.Click_Wait = 0;
  st.input.Wnd_Hidden = 0;
  menu.enter(MenuPhase::Ending);
}

}  // namespace

void show_title(const TitleScreen& title, MainMenu& menu) {
  if (const Result<void> shown = title_steps(title); !shown) {
    title.stage.dialogs.message_box(shown.error().what(), Buttons::Ok);
    throw ShutdownRequest{true};
  }
  menu.enter(MenuPhase::Title);
}

TitleAction on_title_press(Game& g, int i) {
  static const char* const kItems[4] = {"start", "load", "gallery", "quit"};
  if (i >= 0 && i < 4) g.pf.log.record(LogEvent::title_chosen(kItems[i]));
  play_effect(g.audio(), kEffectPress);
  switch (i) {
    case 0:
      leave_title(g.title_screen());
      g.menu.enter(MenuPhase::Story);
      play_story(g.story_play(), false);
      break;
    case 1:
      g.save.Slot_Mode = 2;
      open_slot_window(g.slot_window());
      if (g.save.Slot_Mode == 3) {
        leave_title(g.title_screen());
        play_story(g.story_play(), true);
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

void load_state(StoryPlay p) {
  const Story& st = p.story;
  // The record is read before anything is locked, so an unreadable one
  // leaves the game as it was. (The slot window checked the file already;
  // nothing else fills the record.)
  const Result<SavedRecord> read = saved_record(p.save);
  const Result<void> fits = read ? record_fits_story(read.value(), st.tables) : read.failure();
  if (!fits) {
    st.dialogs.message_box(
        std::string("セーブデータを読み込めませんでした。\r\n") + fits.error().what(), Buttons::Ok);
    return;
  }
  const SavedRecord& r = read.value();
  Window& w = st.window;
  p.menu.enter(MenuPhase::Restoring);
  st.screen.Blinker.visible = false;
  if (st.input.Clicker >= 0) w.set_timer_enabled(st.input.Clicker, false);

  InterpState& s = st.interp;
  const int16_t saved_place = static_cast<int16_t>(r.place);
  apply_record(p, r);

  stop_music(st.audio());
  clear_sprites(st.stage());
  s.Cur_Doll = 0;
  s.Cur_Face = 0;
  st.msg.Line_No = 0;
  st.msg.Shown_Speaker = 0;
  s.Place_No = -1;
  st.sound.Cur_Track = 0;  // silent until the script selects a tune
  st.screen.Waku[0].visible = false;

  p.menu.enter(MenuPhase::Story);
  st.screen.Blinker.visible = true;
  if (st.input.Clicker >= 0) w.set_timer_enabled(st.input.Clicker, true);

  jump_to_num(st.tables, s.Script_Pos, s.Cur_Num, st.dialogs);  // a missing NUM keeps the SEQ
  st.input.Click_Wait = 0;

  // The saved background comes back at once when the scene's first rows
  // name no place of their own: their messages would otherwise run over
  // whatever the screen showed (the title). A scene that does name its place
  // brings it in with its own transition, as in a fresh play.
  if (saved_place >= 0 && !scene_opens_with_place(st.tables, s.Script_Pos)) {
    s.Place_No = saved_place;
    s.Cur_Text.clear();
    enter_place(p.story);
    // The scene's own place field still takes effect when it comes.
    s.Place_No = -1;
  }
  p.save.Loaded_Place = saved_place;
  st.refresh();
  run_script(p.story);
}

void play_story(StoryPlay p, bool loaded) {
  for (;;) {
    try {
      if (loaded)
        load_state(p);
      else
        run_script(p.story);
      return;
    } catch (const LoadRequest&) {
      loaded = true;  // the slot window has read the record to resume
    }
  }
}

void on_prog_save(SlotWindow slots, const Story& st) {
  if (!st.input.Click_Wait) return;
  save_state(slots.save, st);
  slots.save.Slot_Mode = 1;
  open_slot_window(slots);
}

void on_prog_load(SlotWindow slots, const InputState& input) {
  if (!input.Click_Wait) return;
  slots.save.Slot_Mode = 2;
  open_slot_window(slots);
  // The story that waited for this click gives way to the loaded one.
  if (slots.save.Slot_Mode == 3) throw LoadRequest{};
}

void run_ending(Story st, EndingState& ending, MainMenu& menu) {
  ending.running = true;
  lock_the_story(st, menu);
  play_ending({ending, st.stage(), st.audio(), st.interp.hap, st.text, st.speech});
}

}  // namespace vm
