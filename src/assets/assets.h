// The data folder and its numbered files: disguised picture headers, the
// inverted script files, and the 25-line system file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/game_words.h"
#include "platform/dialogs.h"
#include "platform/event_log.h"
#include "platform/files.h"
#include "platform/result.h"

namespace vm {

struct AssetState {
  std::string Data_Dir;                   // ends in '/'
  std::array<std::string, 26> Sys_Lines;  // 1..25, raw CP932 bytes
  bool sys_lines_read = false;
  std::vector<int> restored;  // managed pictures whose real magic is written now
  int16_t Keep_Flag = 0;
  std::array<int16_t, 5> CG_Seen{};
  std::array<std::string, 10> Track_Files;  // 1..9, raw bytes as written in 50.dat
  std::array<std::string, 10> Extra_Files;  // the second list, 1..9
  std::string script_text;                  // 51.dat decoded in memory
  std::string choice_text;                  // 52.dat decoded in memory
  // The game's own words (game.ini), read first of all; empty words when
  // the folder has none.
  std::shared_ptr<const GameWords> words = std::make_shared<const GameWords>();
};

// Byte inversion of the script files (255 - b for every byte).
std::string invert_bytes(const std::string& bytes);
void invert_in_place(std::string& bytes);

// The start-up sequence on the folder a.Data_Dir: presence checks, picture
// restore, script decoding (in memory), system file; the names 1..5 of the
// system file go to names. On failure shows the message and asks for the
// shutdown (ShutdownRequest, a failure).
void check_assets(AssetState& a, std::array<std::string, 6>& names, Files& files, Dialogs& dialogs);

// The file name of a tune from its bytes in 50.dat (CP932) as the desktop
// names files (UTF-8): the one conversion used by the check, by playing and by
// the data tool. Empty when it is not a plain file name of the data folder (a
// path separator, "." or ".."), so no tune reaches outside the folder.
std::string tune_file_name(const std::string& cp932_name);

// Line 6 from Keep_Flag and CG_Seen, then 50.dat written whole (the
// FileError when it cannot be; a write that went through is logged).
void rebuild_line6(AssetState& a);
Result<void> write_system_file(const AssetState& a, Files& files, EventLog& log);

// The system file as the game reads it: lines 1..25 (entry 0 stays empty),
// each without its line end; lines after the 25th are not read. Throws
// DataError naming the first missing line when there are fewer.
std::array<std::string, 26> read_system_lines(const std::string& bytes);

// Disguises again every picture that start-up restored, in the exit order.
// Returns what could not be written (empty when all went well).
std::string disguise_restored_pictures(AssetState& a, Files& files);

// Applies line 6 to Keep_Flag and CG_Seen.
void read_line6(AssetState& a);

// The managed pictures in the order they are disguised at exit.
const std::vector<int>& managed_pictures_exit_order();

}  // namespace vm
