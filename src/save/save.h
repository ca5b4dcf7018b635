// Saved games: the fixed-width state text, the five slot files 00.dat..04.dat
// in the data folder, and the slot window File_Window in which the player
// saves, loads and deletes them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/surface.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_log.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/window.h"
#include "script/story.h"
#include "sound/sound.h"

namespace vm {

class DataFolder;
struct ScriptTables;

constexpr int kSlotCount = 5;
constexpr int kStateTextLength = 32;

struct SaveState {
  // 0: the state text (45 blanks until the first save), 1 and 2: the girl's
  // family and given name.
  std::array<std::string, 3> Save_Slots{std::string(45, ' '), "", ""};
  int16_t Slot_Mode = 0;  // 1 save, 2 load, 3 loaded, 0 closed
  // The slot window while it is open.
  std::unique_ptr<Form> File_Window;
  int16_t Selected_Slot = -1;
  uint8_t Confirm_Answer = 0;  // 0 none yet, 1 "Yes", 2 "No"
  // The background a load brought back while Place_No waits at -1 for the
  // scene's own place row; a save before that row records it.
  int16_t Loaded_Place = -1;
  // The ending's counter hap as it stood when the saved scene began (the
  // load plays the scene again from there), as the last save gathered it or
  // the slot the player chose to load holds it (a slot from before: 0).
  int16_t Saved_Hap = 0;
  // The row a long story resumes at when it lies beyond what the state
  // text's four characters hold (SEQ over 9999); -1 when the text holds it.
  int32_t Saved_Seq = -1;
};

// The game as the state text records it.
struct SavedRecord {
  int kou = 0, pap = 0, rub = 0, place = 0, num = 0, density = 80;
  int music = 0, sound = 0, text_mode = 3, pos = 0, track = 0;
};

// A number in a field of the given width: its shortest text, "0" put in
// front, only the last width characters kept (-5 in 3 gives "0-5").
std::string state_field(long value, int width);
std::string make_state_text(const SavedRecord& r);
// Reads the 32 characters back; a field such as "0-5" is the negative number
// it stands for. The reason for anything else.
Result<SavedRecord> parse_state_text(const std::string& text);

// The highest SEQ the state text holds; a row beyond it travels in its own
// line of the slot file.
constexpr int32_t kStateTextLastSeq = 9999;
// The saved game's record: the state text, with the row beyond it when the
// story is that long.
Result<SavedRecord> saved_record(const SaveState& save);
// Keeps r as the record to save or to load.
void keep_record(SaveState& save, const SavedRecord& r);

// A slot file as read.
struct SlotFile {
  std::string saved_at;  // "yyyy/mm/dd hh:mm"
  std::string title;     // Save_Title when saved
  std::array<std::string, 3> record;
  SavedRecord state;  // record[0] as read
  int16_t hap = 0;    // the line after the end mark; 0 in a slot without it
  int32_t seq = -1;   // the "seq=" line after it (the row, beyond 9999); -1 without
};
// "00.dat".."04.dat".
std::string slot_file_name(int slot);
// Reads and checks a slot file of the data folder (CP932 text, CR LF lines).
// The reason when it cannot be read, is missing lines, cut short or holds a
// non-numeric field.
Result<SlotFile> read_slot_file(const DataFolder& data, int slot);
// The same check on the bytes of a slot file already read.
Result<SlotFile> parse_slot_file(const std::string& bytes);
// Whether a record can be played by this story: every field within the
// range the game keeps it in, and the row it resumes at a row of the script
// before its end. The reason otherwise.
Result<void> record_fits_story(const SavedRecord& r, const ScriptTables& t);
// The six lines of a slot file and, after its end mark, the hap line
// ("hap=1") and, for a row beyond the state text's reach, the seq line
// ("seq=12345"), CP932.
std::string slot_file_text(const std::string& saved_at, const std::string& title,
                           const std::array<std::string, 3>& record, int16_t hap = 0,
                           int32_t seq = -1);
// "yyyy/mm/dd hh:mm".
std::string format_date(const DateTime& t);

// Gathers the story into Save_Slots just before the slot window opens to save.
void save_state(SaveState& save, const Story& st);
// Whether the rows a resumed scene plays first bring a background of their
// own before any message is shown.
bool scene_opens_with_place(const ScriptTables& t, int32_t from);

// What the slot window works with: the saves, the services it reads and
// writes the slot files, asks, logs, opens its form and paces with, the
// speakers that click, the texture its background is tiled from, the folder and the
// story whose slots it shows, the title a save is stored under, and the
// moment the main window takes clicks again.
struct SlotWindow {
  SaveState& save;
  Window& window;
  Clock& clock;
  Dialogs& dialogs;
  Files& files;
  Forms& forms;
  EventLog& log;
  Audio audio;
  const Image& texture;
  const std::string& data_dir;
  const ScriptTables& tables;
  const std::string& save_title;
  uint32_t& back_at;
};

// The slot window: Slot_Mode set by the caller; returns when the player has
// closed it (Slot_Mode 0) or loaded a slot (Slot_Mode 3), the window closed.
void open_slot_window(SlotWindow g);
// Redraws the five slot rows from the slot files.
void refresh_slots(const SlotWindow& g);

// The quick slot beside the five: written whole from Save_Slots (gathered by
// the caller), false after naming a failure to the player. quick_load names
// a damaged quick slot at once with the slot window's words and asks
// nothing; a readable one it asks about, then takes its record as the one to
// resume (the caller resumes it).
bool quick_save(const SlotWindow& g);
bool quick_load(const SlotWindow& g);
// Whether the quick slot holds a record this story can resume.
bool quick_slot_loadable(const SlotWindow& g);

}  // namespace vm
