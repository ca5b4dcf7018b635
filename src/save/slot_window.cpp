// File_Window: five slot rows, Close / Delete / Load / Save, a notice box
// after each action and a Yes/No box before overwriting or deleting.
#include <string>

#include "assets/assets.h"
#include "assets/data_folder.h"
#include "save/save.h"
#include "sound/sound.h"

namespace vm {

namespace {

constexpr const char* kEmptySlot = "データなし";
constexpr const char* kUnreadableSlot = "読み込めないデータ";
constexpr uint32_t kIconBack = 0xE0E0E0;
constexpr uint32_t kIconSelected = 0xFF8080;
constexpr uint32_t kUsedText = 0x000080;
constexpr uint32_t kEmptyText = 0x808080;
constexpr uint32_t kUnreadableText = 0x900000;
constexpr uint32_t kSavedNotice = 0xFFC0C0;
constexpr uint32_t kLoadedNotice = 0xC0FFC0;
constexpr uint32_t kDeletedNotice = 0xFFFFC0;

constexpr int kTileCols = 6, kTileRows = 3;
constexpr int kWidth = 64 * kTileCols, kHeight = 64 * kTileRows;

std::string icon_name(int i) {
  return "Picture1(" + std::to_string(i) + ")";
}
std::string label_name(int i) {
  return "Label1(" + std::to_string(i) + ")";
}
const char* const kButtons[4] = {"Close", "Delete", "Load", "Save"};
std::string button_name(int i) {
  return "fBtn(" + std::to_string(i) + ")";
}

// fIcon(0) and fIcon(1): a small disk, dark for a normal slot, light for the
// selected one; black is transparent.
Image slot_icon(bool selected) {
  Image img(32, 32, 0);
  const uint32_t body = selected ? 0xA02030 : 0x283878;
  const uint32_t edge = selected ? 0x601018 : 0x101840;
  for (int y = 4; y < 28; ++y)
    for (int x = 4; x < 28; ++x) {
      const bool border = x == 4 || y == 4 || x == 27 || y == 27;
      const bool cut = x >= 24 && y <= 7 && x - 24 > y - 4;  // the clipped corner
      if (!cut) img.at(x, y) = border ? edge : body;
    }
  for (int y = 5; y < 13; ++y)  // shutter
    for (int x = 10; x < 22; ++x) img.at(x, y) = x >= 17 && x < 20 ? body : 0xC8C8D0;
  for (int y = 17; y < 27; ++y)  // label
    for (int x = 8; x < 24; ++x)
      img.at(x, y) = (y == 20 || y == 23) && x > 9 && x < 22 ? 0xA0A0A0 : 0xF8F8F0;
  return img;
}

Image icon_picture(bool selected, uint32_t back) {
  Image out(32, 32, back);
  const Image icon = slot_icon(selected);
  for (size_t i = 0; i < out.px.size(); ++i)
    if (icon.px[i] != 0) out.px[i] = icon.px[i];
  return out;
}

// The background: the texture sheet's 64 x 64 square at (96, 0), tiled.
Image window_back(const SlotWindow& g) {
  Image img(kWidth, kHeight, 0x202040);
  const Image& tex = g.texture;
  if (tex.w < 160 || tex.h < 64) return img;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) img.at(x, y) = tex.at(96 + x % 64, y % 64);
  return img;
}

FormSpec slot_window_spec(const SlotWindow& g) {
  FormSpec f;
  f.name = "File_Window";
  f.caption = "ゲームデータ";
  f.width = kWidth;
  f.height = kHeight;
  auto add = [&](ControlSpec c) -> ControlSpec& { return f.controls.emplace_back(std::move(c)); };
  add(ControlSpec::at(ControlSpec::Picture, "Back", 0, 0, kWidth, kHeight)).picture =
      window_back(g);
  for (int i = 0; i < kSlotCount; ++i) {
    add(ControlSpec::at(ControlSpec::Picture, icon_name(i), 8, 4 + 38 * i, 32, 32)).picture =
        icon_picture(false, kIconBack);
    ControlSpec& label =
        add(ControlSpec::at(ControlSpec::Label, label_name(i), 44, 2 + 38 * i, 190, 36));
    label.back = 0xF4F4F8;
    label.font_points = 9;
    label.spoken_prefix = "スロット" + std::to_string(i + 1);
  }
  for (int i = 0; i < 4; ++i)
    add(ControlSpec::at(ControlSpec::Button, button_name(i), 292, 156 - 34 * i, 84, 30,
                        kButtons[i]));
  // Picture3 and its label Label2: the "saved" notice.
  ControlSpec& notice = add(ControlSpec::at(ControlSpec::Label, "Label2", 244, 8, 132, 40));
  notice.back = kSavedNotice;
  notice.fore = 0x000000;
  notice.visible = false;
  // Picture4: the question with its Yes and No.
  ControlSpec& confirm = add(ControlSpec::at(ControlSpec::Panel, "Picture4", 70, 52, 200, 84));
  confirm.back = 0xF0F0E8;
  confirm.visible = false;
  ControlSpec& question =
      add(ControlSpec::at(ControlSpec::Label, "Label4", 0, 8, 200, 28, "", "Picture4"));
  question.back = 0xF0F0E8;
  question.fore = 0x000000;
  add(ControlSpec::at(ControlSpec::Button, "Command1", 20, 44, 72, 30, "Yes", "Picture4"));
  add(ControlSpec::at(ControlSpec::Button, "Command2", 108, 44, 72, 30, "No", "Picture4"));
  // By the keys: the slots top to bottom, then the buttons top to bottom,
  // then the question's answers; Enter acts on the one reached.
  for (int i = 0; i < kSlotCount; ++i) f.tab_order.push_back(label_name(i));
  for (int i = 3; i >= 0; --i) f.tab_order.push_back(button_name(i));
  f.tab_order.insert(f.tab_order.end(), {"Command1", "Command2"});
  return f;
}

Form& window(const SlotWindow& g) {
  return *g.save.File_Window;
}

void let_events_run(const SlotWindow& g) {
  g.window.do_events();
}

void press_click(const SlotWindow& g) {
  if (g.audio.state.Sound_On) play_effect(g.audio, kEffectPress);
}

void paint_icons(const SlotWindow& g) {
  for (int i = 0; i < kSlotCount; ++i)
    window(g).set_picture(icon_name(i), icon_picture(false, kIconBack));
}

void select_slot(SlotWindow g, int i) {
  if (g.audio.state.Sound_On) play_effect(g.audio, kEffectSelect);
  g.save.Selected_Slot = static_cast<int16_t>(i);
  paint_icons(g);
  window(g).set_picture(icon_name(i), icon_picture(true, kIconSelected));
}

// The notice of what was done stands for a second, the window still live.
void show_notice(const SlotWindow& g, const char* text, uint32_t colour) {
  Form& f = window(g);
  f.set_colours("Label2", 0x000000, colour);
  f.set_text("Label2", text);
  f.set_visible("Label2", true);
  let_events_run(g);
  g.clock.sleep(1000);
}

// Shows the question and waits for "Yes" or "No" (or the window closing).
uint8_t ask(SlotWindow g, const char* question) {
  Form& f = window(g);
  f.set_text("Label4", question);
  f.set_visible("Picture4", true);
  g.save.Confirm_Answer = 0;
  while (g.save.Confirm_Answer == 0 && g.save.Slot_Mode != 0) {
    let_events_run(g);
    g.clock.sleep(30);
  }
  if (g.save.File_Window) f.set_visible("Picture4", false);
  return g.save.Confirm_Answer;
}

// What a slot's file holds, for the label and the actions.
enum class SlotContent { Empty, Used, Unreadable };

// A slot as the window finds it: the record it holds (Used), or why it
// cannot be resumed (Unreadable).
struct SlotLook {
  SlotContent content = SlotContent::Empty;
  SlotFile file;
  std::string why;
};

SlotLook look_at_slot(const SlotWindow& g, int i) {
  const DataFolder data(g.files, g.data_dir);
  if (!data.has_slot(i)) return {};
  // A record this story cannot resume is as unreadable as a cut one: it is
  // never loaded.
  const Result<SlotFile> f = read_slot_file(data, i);
  const Result<void> fits = f ? record_fits_story(f.value().state, g.tables) : f.failure();
  if (!fits) return {SlotContent::Unreadable, {}, fits.error().what()};
  return {SlotContent::Used, f.value(), ""};
}

std::string slot_words(int i) {
  if (i == kQuickSlot) return "クイックスロット (" + slot_file_name(i) + ")";
  return "スロット" + std::to_string(i + 1) + " (" + slot_file_name(i) + ")";
}

// Writes Save_Slots into a slot file whole; a folder that cannot take it is
// named to the player, who plays on.
bool write_slot(const SlotWindow& g, int slot) {
  const Result<void> written =
      DataFolder(g.files, g.data_dir)
          .write_slot(slot, slot_file_text(format_date(g.clock.local_time()), g.save_title,
                                           g.save.Save_Slots, g.save.Saved_Hap, g.save.Saved_Seq));
  if (!written) {
    // The folder may be read-only: the player hears why, and plays on.
    g.dialogs.message_box(
        "ゲームをセーブできませんでした。\r\n" + slot_words(slot) + "\r\n" + written.error().what(),
        Buttons::Ok);
    return false;
  }
  g.log.record(LogEvent::file_written(slot_file_name(slot)));
  return true;
}

// Tells the player a slot cannot be read, and why.
void say_unreadable(const SlotWindow& g, int slot, const std::string& error) {
  g.dialogs.message_box(slot_words(slot) + " のデータを読み込めません。\r\n" + error, Buttons::Ok);
}

// Takes a readable slot's record as the one to resume (Used); an unreadable
// one is named and never loaded.
SlotContent take_slot(SlotWindow g, int slot) {
  const SlotLook look = look_at_slot(g, slot);
  if (look.content == SlotContent::Unreadable) say_unreadable(g, slot, look.why);
  if (look.content != SlotContent::Used) return look.content;
  g.save.Save_Slots = look.file.record;
  g.save.Saved_Hap = look.file.hap;
  g.save.Saved_Seq = look.file.seq;
  g.log.record(LogEvent::file_read(slot_file_name(slot)));
  return look.content;
}

void do_save(const SlotWindow& g, int slot, SlotContent content) {
  if (content != SlotContent::Empty) {
    if (ask(g, "上書きしますか？") != 1) return;
  }
  if (!write_slot(g, slot)) return;
  show_notice(g, "セーブしました", kSavedNotice);
  refresh_slots(g);
  window(g).set_visible("Label2", false);
}

void do_load(SlotWindow g, int slot) {
  switch (take_slot(g, slot)) {
    case SlotContent::Empty:
      g.save.Selected_Slot = -1;
      return;
    case SlotContent::Unreadable:
      refresh_slots(g);
      return;
    case SlotContent::Used:
      break;
  }
  show_notice(g, "ロードしました", kLoadedNotice);
  g.save.Slot_Mode = 3;
}

void do_delete(const SlotWindow& g, int slot) {
  if (ask(g, "消去しますか？") == 2) return;
  if (g.save.Slot_Mode == 0) return;  // the window was closed meanwhile
  if (!DataFolder(g.files, g.data_dir).remove_slot(slot)) {
    g.dialogs.message_box("データを消去できませんでした。\r\n" + slot_words(slot), Buttons::Ok);
    return;
  }
  g.log.record(LogEvent::file_removed(slot_file_name(slot)));
  show_notice(g, "消去しました", kDeletedNotice);
  refresh_slots(g);
  window(g).set_visible("Label2", false);
}

void on_button(SlotWindow g, int button) {
  if (button == 0) {  // Close
    g.save.Slot_Mode = 0;
    press_click(g);
    let_events_run(g);
    return;
  }
  const int slot = g.save.Selected_Slot;
  if (slot < 0) return;
  window(g).set_visible("Label2", false);
  g.save.Confirm_Answer = 0;
  press_click(g);
  let_events_run(g);
  if (!g.save.File_Window || g.save.Slot_Mode == 0) return;
  const SlotContent content = look_at_slot(g, slot).content;
  if (content == SlotContent::Empty && button != 3) {
    g.save.Selected_Slot = -1;  // nothing to load or delete
    return;
  }
  if (button == 2)
    do_load(g, slot);
  else if (button == 3)
    do_save(g, slot, content);
  else
    do_delete(g, slot);
}

class SlotWindowEvents : public EventSink {
 public:
  explicit SlotWindowEvents(const SlotWindow& g) : g_(g) {}
  void on_event(const InputEvent& ev) override {
    if (!g_.save.File_Window) return;
    if (ev.kind == InputEvent::FormClose) {
      on_button(g_, 0);  // the close box is the "Close" button
      return;
    }
    if (ev.kind != InputEvent::Control) return;
    for (int i = 0; i < kSlotCount; ++i)
      if (ev.name == icon_name(i) || ev.name == label_name(i)) return select_slot(g_, i);
    for (int i = 0; i < 4; ++i)
      if (ev.name == button_name(i)) return on_button(g_, i);
    if (ev.name == "Command1") g_.save.Confirm_Answer = 1;
    if (ev.name == "Command2") g_.save.Confirm_Answer = 2;
  }

 private:
  const SlotWindow& g_;
};

}  // namespace

void refresh_slots(const SlotWindow& g) {
  Form& f = window(g);
  for (int i = 0; i < kSlotCount; ++i) {
    f.set_picture(icon_name(i), icon_picture(false, kIconBack));
    const SlotLook look = look_at_slot(g, i);
    const SlotFile& file = look.file;
    switch (look.content) {
      case SlotContent::Empty:
        f.set_colours(label_name(i), kEmptyText, 0xF4F4F8);
        f.set_text(label_name(i), kEmptySlot);
        break;
      case SlotContent::Used: {
        // "yyyy/mm/dd hh:mm" shown as "mm/dd hh:mm".
        const std::string when =
            file.saved_at.size() >= 16 ? file.saved_at.substr(5, 11) : file.saved_at;
        f.set_colours(label_name(i), kUsedText, 0xF4F4F8);
        f.set_text(label_name(i), file.title + "\r\n" + when);
        break;
      }
      case SlotContent::Unreadable:
        f.set_colours(label_name(i), kUnreadableText, 0xF4F4F8);
        f.set_text(label_name(i), kUnreadableSlot);
        break;
    }
  }
}

void open_slot_window(SlotWindow g) {
  SaveState& s = g.save;
  g.forms.set_main_enabled(false);
  s.Selected_Slot = -1;
  s.Confirm_Answer = 0;
  SlotWindowEvents events(g);
  FormSpec spec = slot_window_spec(g);
  for (ControlSpec& c : spec.controls) {
    // Saving offers no "Load"; loading neither "Delete" nor "Save".
    if (s.Slot_Mode == 1 && c.name == button_name(2)) c.enabled = false;
    if (s.Slot_Mode == 2 && (c.name == button_name(1) || c.name == button_name(3)))
      c.enabled = false;
  }
  s.File_Window = g.forms.open(spec);
  s.File_Window->set_sink(&events);
  refresh_slots(g);
  // The window closes and the main window takes input again however the
  // wait ends, the program ending included.
  struct Closer {
    const SlotWindow& g;
    ~Closer() {
      g.save.File_Window.reset();
      g.forms.set_main_enabled(true);
      g.back_at = g.clock.tick_count();
    }
  } closer{g};
  while (s.Slot_Mode != 0 && s.Slot_Mode != 3) {
    let_events_run(g);
    g.clock.sleep(100);
  }
}

bool quick_save(const SlotWindow& g) {
  return write_slot(g, kQuickSlot);
}

bool quick_slot_loadable(const SlotWindow& g) {
  return look_at_slot(g, kQuickSlot).content == SlotContent::Used;
}

bool quick_load(const SlotWindow& g) {
  // A quick slot that cannot be resumed is named at once: asking first would
  // only lead to a refusal.
  const SlotLook look = look_at_slot(g, kQuickSlot);
  switch (look.content) {
    case SlotContent::Empty:
      return false;
    case SlotContent::Unreadable:
      say_unreadable(g, kQuickSlot, look.why);
      return false;
    case SlotContent::Used:
      break;
  }
  if (g.dialogs.message_box("クイックロードしますか？", Buttons::YesNo) != Answer::Yes)
    return false;
  return take_slot(g, kQuickSlot) == SlotContent::Used;
}

}  // namespace vm
