// The message history: the last messages the player went past, with their
// speaker labels and names as they were shown, and the choices picked. Only
// read by the history window; nothing in the story depends on it.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace vm {

struct Game;

constexpr int kHistoryMessages = 200;

struct HistoryEntry {
  std::string speaker;  // the label as shown ("【ミツ】"), empty for narration and choices
  std::string text;     // the message, or "→ label" for a choice picked
  bool choice = false;
};

struct HistoryState {
  std::deque<HistoryEntry> entries;  // oldest first
  int messages = 0;                  // entries that are messages (not choices)
};

// A message as it goes on screen.
void history_add_message(Game& g, const std::string& speaker, const std::string& text);
// The label of the choice just picked.
void history_add_choice(Game& g, const std::string& label);
// A fresh history (a loaded game).
void clear_history(Game& g);

// Opens the history window over the game; changes nothing in the game.
void open_history(Game& g);

}  // namespace vm
