#include "message/history.h"

#include "platform/clock.h"
#include "platform/dialogs.h"

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

int open_history(HistoryState& h, Dialogs& dialogs, Clock& clock) {
  std::vector<HistoryLine> lines;
  lines.reserve(h.entries.size());
  for (const HistoryEntry& e : h.entries) lines.push_back({e.speaker, e.text, e.choice});
  const int picked = dialogs.show_history(lines);
  h.closed_at = clock.tick_count();
  if (picked < 0 || picked >= static_cast<int>(h.entries.size())) return -1;
  // Messages after the picked line; a choice line counts as the message it
  // followed.
  int later = 0;
  for (size_t i = static_cast<size_t>(picked) + 1; i < h.entries.size(); ++i)
    if (!h.entries[i].choice) ++later;
  if (h.entries[static_cast<size_t>(picked)].choice) {
    bool any_before = false;
    for (int i = 0; i < picked; ++i) any_before = any_before || !h.entries[i].choice;
    if (!any_before) return -1;
  }
  return later;
}

int open_history_by_wheel(HistoryState& h, Dialogs& dialogs, Clock& clock) {
  // One flick of the wheel sends several notches; those still coming after
  // the window closed are part of the same turn.
  constexpr uint32_t kSameTurnMs = 400;
  if (h.entries.empty()) return -2;
  if (h.closed_at != 0 && clock.tick_count() - h.closed_at < kSameTurnMs) return -2;
  return open_history(h, dialogs, clock);
}

}  // namespace vm
