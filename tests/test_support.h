// Shared helpers for tests: temporary data folders and headless games.
#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
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

// Part of a text field, for a text the game composes around what a test
// knows: where(&LogEvent::text, Part{"51.dat line 77"}).
struct Part {
  std::string part;
};

// Whether an event's field holds what a test asks for.
template <class Field, class Want>
bool matches(const Field& have, const Want& want) {
  return have == want;
}
inline bool matches(const std::string& have, const Part& want) {
  return have.find(want.part) != std::string::npos;
}
inline bool matches(const std::optional<std::string>& have, const Part& want) {
  return have && matches(*have, want);
}

// What the headless log holds, asked about by the events' fields: a selection
// of its events in order, narrowed by kind, by field, or by place.
//   events(hl).of(LogKind::FileWritten).where(&LogEvent::file, "50.dat").size()
class Events {
 public:
  explicit Events(const Headless& h);
  Events of(LogKind kind) const;
  Events of(std::initializer_list<LogKind> kinds) const;
  // The events whose field is want (or, for a Part, holds it).
  template <class Field, class Want>
  Events where(Field LogEvent::*field, const Want& want) const {
    return keep([&](size_t, const LogEvent& e) { return matches(e.*field, want); });
  }
  // The events whose whole line (without its time) holds part: only for a
  // text that must appear nowhere at all, whatever event would carry it.
  Events with_line_part(const std::string& part) const;
  // The events at or after this position of the whole log.
  Events from(int index) const;
  size_t size() const { return picked_.size(); }
  int count() const { return static_cast<int>(size()); }
  bool empty() const { return picked_.empty(); }
  const LoggedEvent& operator[](size_t i) const { return all_->at(picked_.at(i)); }
  const LogEvent& event(size_t i) const { return (*this)[i].event; }
  const LogEvent& last() const { return event(size() - 1); }
  // Position in the whole log of the i-th event picked (-1 past the end).
  int index(size_t i) const { return i < picked_.size() ? static_cast<int>(picked_[i]) : -1; }
  int first() const { return index(0); }
  // One field of each event picked, in order.
  template <class Field>
  std::vector<Field> values(Field LogEvent::*field) const {
    std::vector<Field> out;
    for (size_t i = 0; i < size(); ++i) out.push_back(event(i).*field);
    return out;
  }
  // The messages shown: who (the speaker's number) and what.
  std::vector<std::pair<std::string, std::string>> messages() const;
  // The lines without their times (a whole transcript, a failure's account),
  // and the times.
  std::vector<std::string> lines() const;
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
Events events(const Headless& h, LogKind kind);
// Events of this kind.
int count(const Headless& h, LogKind kind);

// The contrast of two colours as readability guidelines count it (1 to 21).
double contrast(uint32_t a, uint32_t b);

}  // namespace vm::test
