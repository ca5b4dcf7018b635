#include "message/history.h"

#include "platform/services.h"

namespace vm {

void history_add_message(HistoryState& h, const std::string& speaker, const std::string& text) {
  h.entries.push_back({speaker, text, false});
  ++h.messages;
  // The oldest message goes, and with it any choice picked before the next.
  while (h.messages > kHistoryMessages) {
    if (!h.entries.front().choice) --h.messages;
    h.entries.pop_front();
    while (!h.entries.empty() && h.entries.front().choice) h.entries.pop_front();
  }
}

void history_add_choice(HistoryState& h, const std::string& label) {
  h.entries.push_back({"", "→ " + label, true});
}

void clear_history(HistoryState& h) {
  h.entries.clear();
  h.messages = 0;
}

void open_history(HistoryState& h, Platform& pf) {
  std::vector<HistoryLine> lines;
  lines.reserve(h.entries.size());
  for (const HistoryEntry& e : h.entries) lines.push_back({e.speaker, e.text, e.choice});
  pf.dialogs.show_history(lines);
  h.closed_at = pf.clock.tick_count();
}

bool open_history_by_wheel(HistoryState& h, Platform& pf) {
  // One flick of the wheel sends several notches; those still coming after
  // the window closed are part of the same turn.
  constexpr uint32_t kSameTurnMs = 400;
  if (h.entries.empty()) return false;
  if (h.closed_at != 0 && pf.clock.tick_count() - h.closed_at < kSameTurnMs) return false;
  open_history(h, pf);
  return true;
}

}  // namespace vm
