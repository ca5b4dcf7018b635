#include "message/history.h"

#include "game/game.h"

namespace vm {

void history_add_message(Game& g, const std::string& speaker, const std::string& text) {
  HistoryState& h = g.history;
  h.entries.push_back({speaker, text, false});
  ++h.messages;
  // The oldest message goes, and with it any choice picked before the next.
  while (h.messages > kHistoryMessages) {
    if (!h.entries.front().choice) --h.messages;
    h.entries.pop_front();
    while (!h.entries.empty() && h.entries.front().choice) h.entries.pop_front();
  }
}

void history_add_choice(Game& g, const std::string& label) {
  g.history.entries.push_back({"", "→ " + label, true});
}

void clear_history(Game& g) {
  g.history.entries.clear();
  g.history.messages = 0;
}

void open_history(Game& g) {
  std::vector<HistoryLine> lines;
  lines.reserve(g.history.entries.size());
  for (const HistoryEntry& e : g.history.entries) lines.push_back({e.speaker, e.text, e.choice});
  g.pf.dialogs.show_history(lines);
  g.history.closed_at = tick_count(g);
  g.input.back_at = g.history.closed_at;
}

void open_history_by_wheel(Game& g) {
  // One flick of the wheel sends several notches; those still coming after
  // the window closed are part of the same turn.
  constexpr uint32_t kSameTurnMs = 400;
  if (g.history.entries.empty()) return;
  if (g.history.closed_at != 0 && tick_count(g) - g.history.closed_at < kSameTurnMs) return;
  open_history(g);
}

}  // namespace vm
