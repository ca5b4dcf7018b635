#include "app/read_log.h"

#include <algorithm>
#include <map>

#include "platform/errors.h"

namespace vm {

namespace {

constexpr const char* kHeader = "VELMORA READ 1";
// Written whole after this many newly read messages, so that a game killed
// on the way loses at most these; a long script's log, a longer file, is
// written after one new mark in every thousand rows, so that what is written
// over a reading grows with the story rather than with its square.
constexpr int kMarksPerWrite = 8;
constexpr size_t kRowsPerMark = 1000;

size_t marks_per_write(const ReadLog& log) {
  return std::max<size_t>(kMarksPerWrite, log.read.size() / kRowsPerMark);
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string read_log_text(const ReadLog& log) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out = std::string(kHeader) + "\n" + std::to_string(log.read.size()) + "\n";
  for (size_t i = 0; i < log.read.size(); i += 4) {
    int v = 0;
    for (size_t b = 0; b < 4 && i + b < log.read.size(); ++b)
      if (log.read[i + b]) v |= 1 << b;
    out += kDigits[v];
  }
  out += "\n";
  return out;
}

bool parse_read_log(const std::string& text, size_t rows, ReadLog& out) {
  const std::string head = std::string(kHeader) + "\n" + std::to_string(rows) + "\n";
  const size_t digits = (rows + 3) / 4;
  if (text.size() != head.size() + digits + 1 || text.compare(0, head.size(), head) != 0 ||
      text.back() != '\n')
    return false;
  std::vector<bool> read(rows, false);
  for (size_t d = 0; d < digits; ++d) {
    const int v = hex_value(text[head.size() + d]);
    if (v < 0) return false;
    for (size_t b = 0; b < 4; ++b)
      if (v & (1 << b)) {
        if (d * 4 + b >= rows) return false;
        read[d * 4 + b] = true;
      }
  }
  out.read = std::move(read);
  out.unsaved = 0;
  return true;
}

ReadLog carry_read_marks(const ReadLog& old_log, const std::vector<std::string>& old_texts,
                         const std::vector<std::string>& new_texts) {
  // For each text, whether its first, second ... row was read.
  std::map<std::string, std::vector<bool>> read_by_text;
  for (size_t row = 0; row < old_texts.size(); ++row)
    if (!old_texts[row].empty())
      read_by_text[old_texts[row]].push_back(was_read(old_log, static_cast<int>(row)));
  ReadLog out;
  out.read.assign(new_texts.size(), false);
  std::map<std::string, size_t> seen;
  for (size_t row = 0; row < new_texts.size(); ++row) {
    if (new_texts[row].empty()) continue;
    const auto it = read_by_text.find(new_texts[row]);
    const size_t k = seen[new_texts[row]]++;
    if (it != read_by_text.end() && k < it->second.size()) out.read[row] = it->second[k];
  }
  out.unsaved = 0;
  return out;
}

void load_read_log(ReadLog& log, Files& files, EventLog& events, const std::string& data_dir,
                   size_t rows) {
  log.read.assign(rows, false);
  log.unsaved = 0;
  const std::string path = data_dir + kReadLogFile;
  if (files.length(path) < 0) return;
  const Result<std::string> bytes = files.read_whole(path);
  if (!bytes) {
    events.record(
        LogEvent::warning(bytes.error().describe() + ": the messages read are counted afresh"));
    return;
  }
  if (parse_read_log(bytes.value(), rows, log)) return;
  std::string damaged = kReadLogFile;
  damaged += " is damaged or belongs to another script: the messages read are counted afresh";
  events.record(LogEvent::warning(damaged));
}

bool was_read(const ReadLog& log, int row) {
  return row >= 0 && static_cast<size_t>(row) < log.read.size() &&
         log.read[static_cast<size_t>(row)];
}

void mark_read(ReadLog& log, Files& files, EventLog& events, const std::string& data_dir, int row) {
  if (row < 0 || static_cast<size_t>(row) >= log.read.size() || log.read[static_cast<size_t>(row)])
    return;
  log.read[static_cast<size_t>(row)] = true;
  if (static_cast<size_t>(++log.unsaved) >= marks_per_write(log))
    save_read_log(log, files, events, data_dir);
}

void save_read_log(ReadLog& log, Files& files, EventLog& events, const std::string& data_dir) {
  if (log.unsaved == 0 || log.read.empty()) return;
  // A folder that cannot be written keeps the log for this run only.
  if (const Result<void> r = files.replace_whole(data_dir + kReadLogFile, read_log_text(log)); !r)
    events.record(LogEvent::warning(r.error().describe()));
  log.unsaved = 0;
}

}  // namespace vm
