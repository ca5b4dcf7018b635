#include "app/main_form.h"

#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "about/about.h"
#include "app/display.h"
#include "app/flows.h"
#include "app/game.h"
#include "app/preferences.h"
#include "app/quick_slot.h"
#include "app/read_aloud.h"
#include "assets/assets.h"
#include "assets/data_folder.h"
#include "assets/game_words.h"
#include "choices/choices.h"
#include "ending/ending.h"
#include "gallery/gallery.h"
#include "graphics/scene.h"
#include "graphics/texture_sheet.h"
#include "menu/main_menu.h"
#include "message/history.h"
#include "message/message.h"
#include "platform/errors.h"
#include "save/save.h"
#include "script/input.h"
#include "script/interp.h"
#include "script/tables.h"
#include "sound/sound.h"
#include "title/title.h"

namespace vm {

namespace {

// Loads one of the two pictures read before the asset check ("61", "72").
// An empty file is no picture (false); a missing or broken one is named in
// the game's own words and the program ends, nothing having been changed
// yet. The decoder's own account is for whoever reads standard error.
bool load_early_picture(Platform& pf, const std::string& data_dir, const std::string& number,
                        Surface& s) {
  const std::string path = data_dir + number + ".dat";
  const long long length = pf.files.length(path);
  if (length == 0) return false;
  if (length < 0) {
    pf.log.record(LogEvent::error(path + ": missing"));
    message_box(pf, "起動に必要なファイルがありません。\r\n" + path);
    throw EndProcess{1};
  }
  Result<Image> picture = pf.pictures.load_picture(path);
  if (!picture) {
    pf.log.record(LogEvent::error(picture.error().what()));  // the reader's account names the file
    message_box(pf, "起動に必要なファイルが壊れています。\r\n" + path);
    throw EndProcess{1};
  }
  s.img = std::move(picture).value_or_throw();
  return true;
}

void add_layer(ScreenState& sc, Surface& s, Surface* parent, bool visible) {
  s.parent = parent;
  s.visible = visible;
  sc.layers.push_back(&s);
}

}  // namespace

namespace {

// The message window, its layers, the click-wait mark and the choice boxes;
// the window's font sets the cell size.
void layout_message_window(ScreenState& sc, MessageState& m, Text& text) {
  for (Surface& w : sc.Waku) {
    w.back_color = 0;
    w.place(m.left, m.top, m.width, m.height);
    w.font = kMessageFont;
    w.fore_color = rgb(255, 255, 255);
  }
  m.Cell_Size = static_cast<int16_t>(cell_size(sc.Waku[0].font));

  for (int i = 0; i < 3; ++i) add_layer(sc, sc.Doll_Disp[i], nullptr, false);
  add_layer(sc, sc.Waku[0], nullptr, false);

  // The click-wait mark: a small label near the window's bottom-right corner.
  sc.Blinker.back_color = 0;
  sc.Blinker.place(m.width - 25, m.height - 25, 18, 18);
  sc.Blinker.clear();
  sc.Blinker.keyed = true;
  sc.Blinker.font = Font{"ＭＳ ゴシック", 12, false};
  text.draw_text(sc.Blinker.img, 0, 0, "▼", 0x1993D0, sc.Blinker.font);
  add_layer(sc, sc.Blinker, &sc.Waku[0], false);

  for (int i = 0; i < 3; ++i) {
    sc.SelBox[i].back_color = 0;
    sc.SelBox[i].place(11, choice_box_top(m.Cell_Size, i), 200, m.Cell_Size);
    sc.SelBox[i].font = sc.Waku[0].font;
    add_layer(sc, sc.SelBox[i], &sc.Waku[0], false);
  }
}

// The title menu's items and the wall strip, cut from the texture sheet.
void layout_texture_pieces(ScreenState& sc, Platform& pf, const std::string& data_dir) {
  sc.Texture.place(0, 0, kTextureW, kTextureH);
  if (load_early_picture(pf, data_dir, "61", sc.Texture)) {
    // Title-menu items and the wall strip are cut from the texture sheet.
    // The last item is 5 pixels shorter; it takes that size before its piece
    // is cut, since a resize clears the picture.
    for (int i = 0; i < 4; ++i) {
      const int h = i < 3 ? kMenuItemH : kMenuItemH - 5;
      sc.Smenu[i].place(265, 245 + 35 * i, kMenuItemW, h);
      bit_blt(sc.Smenu[i], 0, 0, kMenuItemW, h, sc.Texture, kMenuItemX, kMenuItemY + kMenuItemH * i,
              SRCCOPY);
    }
    for (int col = 0; col < 10; ++col)
      for (int row = 0; row < 4; ++row)
        bit_blt(sc.Wall_Back, col * kWallTileSize, row * kWallTileSize, kWallTileSize,
                kWallTileSize, sc.Texture, kWallTileX, kWallTileY, SRCCOPY);
  }
}

}  // namespace

void layout_screen(Game& g) {
  ScreenState& sc = g.screen;
  sc.layers.clear();
  sc.Pic_Main.place(0, 0, kScreenW, kScreenH);
  sc.Pic_Main.back_color = 0;
  sc.Pic_Main.clear();
  sc.Pic_Main.visible = true;
  sc.Pic_Back.place(0, 0, kScreenW, kScreenH);
  sc.Form_Back.place(0, 0, 0, 0);
  sc.Place_Back.place(0, 0, kScreenW, kScreenH);
  sc.Place_Load.place(0, 0, 640, 345);
  sc.Wall_Back.place(0, 0, 640, 135);
  sc.Mesh2.place(0, 0, 32, 32);
  load_mask_sheet(sc.Mesh1);

  layout_message_window(sc, g.msg, g.pf.text);
  layout_texture_pieces(sc, g.pf, g.assets.Data_Dir);
  sc.Title.place(0, 0, kScreenW, kScreenH);
  add_layer(sc, sc.Title, nullptr, false);
  for (int i = 0; i < 4; ++i) add_layer(sc, sc.Smenu[i], &sc.Title, false);
  sc.End_Pic.place(0, 0, kScreenW, kScreenH);
  add_layer(sc, sc.End_Pic, nullptr, false);
  layout_gallery(g.gallery_room());
  layout_ending(g.finale());
  layout_notice(g.app.Notice, sc);
  if (g.dev) g.dev->layout();
}

namespace {

// A dev run names the author's folder in the caption.
void set_caption(Window& w, DevHooks* dev, const std::string& caption) {
  w.set_caption(dev ? dev->caption(caption) : caption);
}

}  // namespace

namespace {

// The game's own words, read before anything is shown: the caption is the
// first of them. A line the game cannot read keeps the engine's text and is
// said once (the author's check names it the same way).
std::shared_ptr<const GameWords> read_game_words(Files& files, const std::string& dir,
                                                 EventLog& log) {
  WordsReading r = load_game_words(DataFolder(files, dir));
  for (const WordsProblem& p : r.problems)
    log.record(LogEvent::warning(std::string(kGameWordsFile) + ":" + std::to_string(p.line) + ": " +
                                 words_problem_reason(p)));
  return std::make_shared<const GameWords>(std::move(r.words));
}

}  // namespace

void form_load(Game& g, const std::string& data_dir) {
  Window& w = g.pf.window;
  g.menu.build(g.dev != nullptr);
  apply_view_settings(g.pf, g.menu);
  show_read_aloud_tick(g.pf, g.menu);
  w.set_busy_cursor(true);
  g.assets.Data_Dir = data_dir;
  if (g.assets.Data_Dir.empty() || g.assets.Data_Dir.back() != '/') g.assets.Data_Dir += '/';
  g.assets.words = read_game_words(g.pf.files, g.assets.Data_Dir, g.pf.log);
  g.msg.words = g.ending.words = g.about.words = g.assets.words;
  const std::string title = game_title(*g.assets.words);
  w.set_app_name(title);
  set_caption(w, g.dev.get(), title + " - loading now...");

  if (!g.pf.files.exists(g.assets.Data_Dir + "11.dat")) {
    message_box(g.pf, "フォルダの内容が不正です.\r\n" + g.assets.Data_Dir);
    throw EndProcess{1};
  }

  g.input.Text_Mode = 3;
  g.msg.Line_No = 0;
  g.interp.Script_Pos = 0;
  g.sound.Music_On = -1;
  g.sound.Sound_On = -1;
  g.options.Mesh_On = 0;
  g.app.Menu_Hover = 5;
  g.options.Window_Density = 0.8f;
  g.interp.Place_No = -1;

  layout_screen(g);
  g.input.Clicker = w.create_timer(500);
  g.sound.BGMLoop = w.create_timer(500);
  g.app.notice_timer = create_notice_timer(w);

  if (load_early_picture(g.pf, g.assets.Data_Dir, "72", g.screen.Title))
    g.screen.Title.visible = true;
  w.show();
  g.story().refresh();
  do_events(g.pf);

  check_assets(g.assets, g.msg.Name_Table, g.pf.files, g.pf.dialogs);
  open_mixer(g.audio());
  w.set_timer_enabled(g.sound.BGMLoop, true);
  g.interp.Cur_Cmd = "aa";
  sound_command(g.audio(), g.interp.Cur_Cmd, g.assets);
  build_window_frame(g.message_window());
  load_script(g.tables, g.assets);
  load_read_log(g.read_log, g.pf.files, g.pf.log, g.assets.Data_Dir, g.tables.Script_Table.size());
  load_faces(g.stage());
  g.menu.set_quick_slot(quick_slot_loadable(g.slot_window()));
  w.set_busy_cursor(false);
  set_caption(w, g.dev.get(), title);
  do_events(g.pf);
  show_title(g.title_screen(), g.menu);
}

namespace {

void open_options(OptionState& options, Story st) {
  open_option_window(options, st.audio(), st.input.Text_Mode,
                     [&in = st.input, &hooks = st.hooks](int16_t mode) {
                       set_text_mode(in, hooks, mode);    // the skip item's caption follows
                       if (mode == 0) in.Click_Wait = 0;  // skipping starts at once
                     });
}

// The history window, from the menu or the wheel; the click that closes it
// does not count as a click on the story.
// A double click on one of its lines goes back to that message, when the
// run still reaches it.
void open_history_window(RollbackView v, bool by_wheel) {
  HistoryState& h = v.story.history;
  const int back = by_wheel ? open_history_by_wheel(h, v.story.dialogs, v.story.clock)
                            : open_history(h, v.story.dialogs, v.story.clock);
  if (back == -2) return;
  v.story.input.back_at = h.closed_at;
  if (back >= 0) roll_back_to_line(v, back);
}

// A press or key the gallery takes; when it takes the player back to the
// title, the title's items are read aloud again.
template <class Handler>
bool gallery_takes(const GalleryRoom& room, const TitleScreen& title, Handler&& handler) {
  const bool open = room.gallery.Thumbs_Ready != 0;
  const bool taken = handler(room);
  if (open && room.gallery.Thumbs_Ready == 0) announce_title(title);
  return taken;
}

void on_main_mouse_down(Game& g, const InputEvent& ev) {
  // A choice label takes its own clicks; they never reach the window.
  if (choice_at(g.choice_menu(), ev.x, ev.y) >= 0)
    return on_choice_mouse_down(g.choice_menu(), ev.x, ev.y, ev.button);
  const Surface* target = surface_at(g.screen, ev.x, ev.y);
  // Rolled back, a click steps forward again.
  if (ev.button == kLeftButton && on_rollback_click(g.rollback_view())) return;
  // The title menu's items, the gallery's and the ending's buttons take
  // their own presses.
  if (const int item = title_item(g.screen, target); item >= 0) {
    if (on_title_press(g, item) == TitleAction::Quit) on_prog_end(g);
  } else if (!gallery_takes(g.gallery_room(), g.title_screen(),
                            [&](const GalleryRoom& room) {
                              return on_gallery_press(room, target, ev.button);
                            }) &&
             !on_end_button_press(g.finale(), target, ev.button)) {
    on_mouse_down(g.story(), target, ev.button);
  }
}

void on_main_key_down(Game& g, int key) {
  if (g.dev && g.dev->on_key(key)) return;
  if (key == kKeyF5) return on_quick_save(g.quick_slot());
  if (key == kKeyF9) return on_quick_load(g.quick_slot());
  if (key == 'V') return toggle_read_aloud(g.pf, g.menu);
  if (on_rollback_key(g.rollback_view(), key)) return;
  // The title's and the choice menu's own keys move their highlight.
  if (const int item = on_title_key(g.title_screen(), key); item >= 0) {
    if (on_title_press(g, item) == TitleAction::Quit) on_prog_end(g);
    return;
  }
  if (on_choice_key(g.choice_menu(), key)) return;
  if (!on_view_key(g.pf, g.menu, key) &&
      !gallery_takes(g.gallery_room(), g.title_screen(),
                     [key](const GalleryRoom& room) { return on_gallery_key(room, key); }) &&
      !on_end_button_key(g.finale(), key))
    on_key_down(g.story(), key);
}

void on_main_menu(Game& g, const std::string& name) {
  const std::optional<MenuItem> item = menu_item_named(name);
  if (!item) return;
  switch (*item) {
    case MenuItem::ProgEnd:
      return on_prog_end(g);
    case MenuItem::Speedup:
      return on_speedup(g.input, *g.hooks);
    case MenuItem::ProgSave:
      return on_prog_save(g.slot_window(), g.story());
    case MenuItem::ProgLoad:
      return on_prog_load(g.slot_window(), g.input);
    case MenuItem::QuickSave:
      return on_quick_save(g.quick_slot());
    case MenuItem::QuickLoad:
      return on_quick_load(g.quick_slot());
    case MenuItem::Rollback:
      roll_back(g.rollback_view(), 1);
      return;
    case MenuItem::Preferences:
      return open_preferences(g.prefs, g.pf, g.menu);
    case MenuItem::OptMenu:
      return open_options(g.options, g.story());
    case MenuItem::Vvrr:
      return open_about(g.about, g.pf.forms, g.pf.text, g.pf.shell);
    case MenuItem::Auto:
      return on_auto(g.input, *g.hooks);
    case MenuItem::History:
      return open_history_window(g.rollback_view(), false);
    case MenuItem::Scale1:
    case MenuItem::Scale2:
    case MenuItem::Scale3:
    case MenuItem::FullScreen:
      on_view_menu(g.pf, g.menu, *item);
      return;
    case MenuItem::SelfVoicing:
      return toggle_read_aloud(g.pf, g.menu);
    case MenuItem::DevJump:
    case MenuItem::DevCounters:
    case MenuItem::DevReload:
      if (g.dev) g.dev->on_menu(*item);
      return;
  }
}

}  // namespace

void handle_event(Game& g, const InputEvent& ev) {
  switch (ev.kind) {
    case InputEvent::MouseDown:
      // A click cuts off what is still being read, whatever it goes on to do.
      g.pf.speech.stop();
      on_main_mouse_down(g, ev);
      break;
    case InputEvent::MouseMove: {
      const int item = title_item(g.screen, surface_at(g.screen, ev.x, ev.y));
      if (item >= 0) on_title_hover(g.title_screen(), item);
      on_choice_mouse_move(g.choice_menu(), ev.x, ev.y);
      break;
    }
    case InputEvent::KeyDown:
      if (ev.key == kKeyReturn || ev.key == kKeySpace) g.pf.speech.stop();  // as a click
      on_main_key_down(g, ev.key);
      break;
    case InputEvent::KeyUp:
      on_key_up(g.input, ev.key);
      break;
    case InputEvent::Wheel:
      // Turning the wheel up over the game looks back, as players expect.
      if (ev.wheel < 0 && !g.ending.running) open_history_window(g.rollback_view(), true);
      break;
    case InputEvent::Menu:
      on_main_menu(g, ev.name);
      break;
    case InputEvent::Close:
      throw ShutdownRequest{};
    case InputEvent::Timer:
      if (ev.timer == g.input.Clicker)
        on_clicker_tick(g.screen, g.pf.window);
      else if (ev.timer == g.sound.BGMLoop)
        on_bgmloop_tick(g.audio());
      else if (ev.timer == g.app.notice_timer)
        on_notice_timer(g.notice_board());
      else if (g.dev)
        g.dev->on_timer(ev.timer);
      break;
    case InputEvent::FileChanged:
      if (g.dev) g.dev->on_file_changed(ev.name);
      break;
    case InputEvent::Hook:     // the headless runner's own actions; never sent here
    case InputEvent::Control:  // secondary windows have sinks of their own
    case InputEvent::Focus:
    case InputEvent::FormClose:
      break;
  }
}

void on_prog_end(Game& g) {
  if (message_box(g.pf, "終了しますか？", Buttons::YesNo) != Answer::No) unload_main_form(g);
}

void unload_main_form(Game& g, bool failure) {
  const int code = failure ? 1 : 0;
  if (g.app.unloading) throw EndProcess{code};
  g.app.unloading = true;
  if (g.sound.Saved_Volume != 0) set_volume(g.audio(), g.sound.Saved_Volume);
  stop_music(g.audio());
  save_read_log(g.read_log, g.pf.files, g.pf.log, g.assets.Data_Dir);
  // A system file that was never read is never written: a close during the
  // loading picture must not replace the names and tunes with empty lines.
  std::string problems;
  if (g.assets.sys_lines_read) {
    rebuild_line6(g.assets);
    if (const Result<void> r = write_system_file(g.assets, g.pf.files, g.pf.log); !r)
      problems += std::string(r.error().what()) + "\r\n";
  }
  // Whatever ends the game, the folder goes back to rest.
  problems += disguise_restored_pictures(g.assets, g.pf.files);
  if (!problems.empty()) {
    message_box(g.pf, "終了処理でファイルを書き込めませんでした。\r\n" + problems);
    throw EndProcess{1};
  }
  throw EndProcess{code};
}

int run_game(Platform& pf, const std::string& data_dir, const DevStart& dev) {
  // The data folder is held before anything in it is touched, until the
  // game has ended.
  std::unique_ptr<FolderHold> folder;
  if (!pf.single_copy.other_copy_running()) folder = pf.single_copy.hold_data_folder(data_dir);
  if (!folder) {
    // The refusal is titled with the name of the game the player started.
    pf.window.set_app_name(game_title(*read_game_words(pf.files, data_dir, pf.log)));
    pf.dialogs.message_box("既に起動しています。", Buttons::Ok);
    return 1;
  }
  Game g(pf);
  if (dev) g.dev = dev(g.dev_view());
  MainFormEvents form(g);
  pf.window.set_sink(&form);
  try {
    try {
      form_load(g, data_dir);
      for (;;) pf.window.wait_events();
    } catch (const DataError& e) {
      message_box(g.pf, e.describe());
      unload_main_form(g, true);
    } catch (const ShutdownRequest& r) {
      unload_main_form(g, r.failure);
    } catch (const std::exception& e) {
      // Whatever stopped the game (memory run out, a fault of its own), the
      // player's folder goes back to rest and the gallery progress is kept.
      const std::string reason = dynamic_cast<const std::bad_alloc*>(&e)
                                     ? std::string("out of memory (") + e.what() + ")"
                                     : std::string(e.what());
      g.pf.log.record(LogEvent::warning("the game stopped: " + reason));
      message_box(g.pf, reason);
      unload_main_form(g, true);
    }
  } catch (const EndProcess& e) {
    pf.window.set_sink(nullptr);
    return e.code;
  } catch (...) {
    pf.window.set_sink(nullptr);
    throw;
  }
}

}  // namespace vm
