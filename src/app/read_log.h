// The messages the player has read, kept across runs in the data folder
// (read.dat, beside the saves), so that skipping can stop at the first one
// they have not seen. One bit per script row; the file names the script's
// row count, and a log written for another script is not used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/event_log.h"
#include "platform/files.h"

namespace vm {

inline constexpr const char* kReadLogFile = "read.dat";

struct ReadLog {
  std::vector<bool> read;  // by script row
  int unsaved = 0;         // rows marked since the file was last written
};

// Reads the log for a script of `rows` rows. A missing file is an empty log;
// a damaged one too, and the player is told on standard error (the file
// stays until the log is next written).
void load_read_log(ReadLog& log, Files& files, EventLog& events, const std::string& data_dir,
                   size_t rows);
bool was_read(const ReadLog& log, int row);
// Marks the row read; the file is written whole now and then.
void mark_read(ReadLog& log, Files& files, EventLog& events, const std::string& data_dir, int row);
// Writes what is not in the file yet (at a choice, a save, the end).
void save_read_log(ReadLog& log, Files& files, EventLog& events, const std::string& data_dir);

// The file's text for a log, and a log from it (false: not a read log of a
// script of that many rows).
std::string read_log_text(const ReadLog& log);
bool parse_read_log(const std::string& text, size_t rows, ReadLog& out);

// The marks of a log kept for a script whose rows showed old_texts, moved to
// a new version of the script whose rows show new_texts (a row that shows
// nothing has an empty text). A row is found again by its text: the k-th row
// of a text in the new script is read when the k-th row of that text was read
// in the old one, wherever either stands. Text that is new or changed is
// never marked read.
ReadLog carry_read_marks(const ReadLog& old_log, const std::vector<std::string>& old_texts,
                         const std::vector<std::string>& new_texts);

}  // namespace vm
