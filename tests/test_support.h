// Shared helpers for tests: temporary data folders and headless games.
#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace testing {
class AssertionResult;
}

namespace vm::test {

// An event log that keeps each event as the line the runner would print,
// for the desktop services that are handed a log of their own.
class LogLines : public EventLog {
 public:
  void record(const LogEvent& e) override { lines.push_back(log_line(e)); }
  std::vector<std::string> lines;
};

// A fresh empty folder under the system's temporary folder, removed with the
// object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }  // ends in '/'
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

void write_bytes(const std::string& path, const std::string& bytes);
std::string read_bytes(const std::string& path);

// A script row by its fields, the spare ones and the note left empty, and
// rows as the script file holds them (UTF-8, each line ending in CR LF).
struct Row {
  std::string num, cmd, jump, place, doll, face, speaker, text, value, subst;
};
std::string script_rows(const std::vector<Row>& rows);

// Writes the demo data folder into dir (the data tool's own writer).
void write_demo_folder(const std::string& dir);

// The build's folder (velmora-play, velmora-data).
std::string build_dir();

// The data folder once the game has ended, however it ended: every picture
// the game disguises begins with "JF" again and no temporary file is left.
void expect_at_rest(const std::string& dir);

// Whether from <= t < to: a time on the clock, or a count.
::testing::AssertionResult within(uint32_t t, uint32_t from, uint32_t to);

// Runs a command, returning its exit code and standard output.
int run_command(const std::string& command, std::string& out);

// What the headless log holds, asked about by kind of event: a selection of
// its events in order, narrowed by kind, by part of the line, or by time.
class Events {
 public:
  explicit Events(const Headless& h);
  Events of(LogKind kind) const;
  Events of(std::initializer_list<LogKind> kinds) const;
  // The events whose line (without its time) holds part.
  Events with(const std::string& part) const;
  // The events about this subject (the file, window, menu item...).
  Events about(const std::string& subject) const;
  // The events at or after this position of the whole log.
  Events from(int index) const;
  size_t size() const { return picked_.size(); }
  bool empty() const { return picked_.empty(); }
  const LoggedEvent& operator[](size_t i) const { return all_->at(picked_.at(i)); }
  // Position in the whole log of the i-th event picked (-1 past the end).
  int index(size_t i) const { return i < picked_.size() ? static_cast<int>(picked_[i]) : -1; }
  // The lines without their times, and the times.
  std::vector<std::string> lines() const;
  // The lines after their kind's word ("0 こんにちは" of "text 0 こんにちは").
  std::vector<std::string> bodies() const;
  std::vector<uint32_t> times() const;
  std::string line(size_t i) const;
  std::string last_line() const { return empty() ? "" : line(size() - 1); }

 private:
  // The events picked that ok takes, given their place in the whole log.
  Events keep(const std::function<bool(size_t, const LogEvent&)>& ok) const;
  const std::vector<LoggedEvent>* all_;  // the log's, which only grows
  std::vector<size_t> picked_;
};

Events events(const Headless& h);
// Events of this kind whose line holds part.
int count(const Headless& h, LogKind kind, const std::string& part = "");
// Events of whatever kind whose line holds part: for what must appear nowhere.
int count(const Headless& h, const std::string& part);
// Position in the whole log of the first event of this kind holding part at
// or after from, or -1.
int first_index(const Headless& h, LogKind kind, const std::string& part = "", int from = 0);

// The contrast of two colours as readability guidelines count it (1 to 21).
double contrast(uint32_t a, uint32_t b);

}  // namespace vm::test
