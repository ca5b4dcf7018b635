// The message history: the last messages the player went past, with their
// speaker labels and names as they were shown, and the choices picked. Only
// read by the history window; nothing in the story depends on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace vm {

class Clock;
class Dialogs;

constexpr int kHistoryMessages = 200;

struct HistoryEntry {
  std::string speaker;  // the label as shown ("【ミツ】"), empty for narration and choices
  std::string text;     // the message, or "→ label" for a choice picked
  bool choice = false;
};

struct HistoryState {
  std::deque<HistoryEntry> entries;  // oldest first
  int messages = 0;                  // entries that are messages (not choices)
  uint32_t closed_at = 0;            // tick count when the window last closed (0 never)
};

// What a moment of the story keeps of the history: its lines as they stood.
// When the window last closed is the player's, not the story's, and stays
// (kHistoryFieldsLeftAsIs): a wheel turn that closed it must not open it
// again just because an earlier message was stepped back to.
struct HistorySnapshot {
  std::deque<HistoryEntry> entries;
  int messages = 0;
};
constexpr size_t kHistoryFieldsLeftAsIs = 1;
inline HistorySnapshot snapshot(const HistoryState& h) {
  return {h.entries, h.messages};
}
inline void restore(HistoryState& h, const HistorySnapshot& k) {
  h.entries = k.entries;
  h.messages = k.messages;
}

// A message as it goes on screen.
void history_add_message(HistoryState& h, const std::string& speaker, const std::string& text);
// The label of the choice just picked.
void history_add_choice(HistoryState& h, const std::string& label);
// A fresh history (a loaded game).
void clear_history(HistoryState& h);

// Opens the history window over the game and returns when it has closed
// (closed_at); changes nothing in the game. The result is how many messages
// back the player asked to go (a double click on a line: its message, or for
// a choice the message before it; 0 the newest), or -1. By the wheel,
// nothing opens before the first message, nor again from the rest of the
// same wheel turn that closed it: then -2.
int open_history(HistoryState& h, Dialogs& dialogs, Clock& clock);
int open_history_by_wheel(HistoryState& h, Dialogs& dialogs, Clock& clock);

}  // namespace vm
