// Dialogs answered from the script of answers, or with their default.
#include <optional>
#include <utility>

#include "platform/headless/headless_services.h"

namespace vm {

class HeadlessDialogs : public Dialogs {
 public:
  explicit HeadlessDialogs(Headless& h) : h_(h) {}
  Answer message_box(const std::string& text, Buttons buttons) override {
    std::optional<std::string> a;
    if (std::optional<Headless::PendingAnswer> p = take()) {
      if (fits(p->text, buttons))
        a = p->text;
      else
        misfit(*p, text, buttons);
    }
    Answer result = buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    if (a && buttons == Buttons::YesNo) result = *a == "yes" ? Answer::Yes : Answer::No;
    const char* shown = result == Answer::Ok ? "ok" : result == Answer::Yes ? "yes" : "no";
    h_.log_.record(LogEvent::dialog(h_.app_name_, text, shown, !a));
    return result;
  }
  std::string input_box(const std::string& prompt, const std::string& title,
                        const std::string& preset) override {
    std::optional<std::string> a;
    if (std::optional<Headless::PendingAnswer> p = take()) a = p->text;
    std::string result = a ? *a : preset;
    h_.log_.record(LogEvent::input_box(title, prompt, preset, result, !a));
    return result;
  }
  void set_ime_open(bool open) override { h_.log_.record(LogEvent::ime(open)); }
  // The window shows its lines and is closed again at once, on the line
  // the script double-clicks, if any.
  int show_history(const std::vector<HistoryLine>& lines) override {
    h_.log_.record(LogEvent::history_open(lines.size()));
    for (const HistoryLine& l : lines) h_.log_.record(LogEvent::history_line(l.speaker, l.text));
    h_.log_.record(LogEvent::history_close());
    int pick = h_.history_pick;
    h_.history_pick = -1;
    if (h_.history_back >= 0) pick = line_back(lines, h_.history_back);
    h_.history_back = -1;
    return pick >= 0 && pick < static_cast<int>(lines.size()) ? pick : -1;
  }

 private:
  std::optional<Headless::PendingAnswer> take() {
    if (h_.answers_.empty() || h_.answers_.front().at > h_.now_) return std::nullopt;
    Headless::PendingAnswer a = std::move(h_.answers_.front());
    h_.answers_.pop_front();
    return a;
  }
  static bool fits(const std::string& a, Buttons buttons) {
    return buttons == Buttons::Ok ? a == "ok" : a == "yes" || a == "no";
  }
  void misfit(const Headless::PendingAnswer& a, const std::string& text, Buttons buttons) {
    ++h_.misfit_answers;
    const std::string wanted = buttons == Buttons::Ok ? "ok" : "yes or no";
    h_.log_.record(LogEvent::error((a.origin.empty() ? "" : a.origin + ": ") + "answer \"" +
                                   a.text + "\" does not fit the dialog \"" + text +
                                   "\", which takes " + wanted));
  }
  // The message line with `back` messages after it, or -1.
  static int line_back(const std::vector<HistoryLine>& lines, int back) {
    int later = 0;
    for (int i = static_cast<int>(lines.size()) - 1; i >= 0; --i) {
      if (lines[static_cast<size_t>(i)].choice) continue;
      if (later == back) return i;
      ++later;
    }
    return -1;
  }
  Headless& h_;
};

std::unique_ptr<Dialogs> make_headless_dialogs(Headless& h) {
  return std::make_unique<HeadlessDialogs>(h);
}

}  // namespace vm
