// The modal dialogs over the main window: message boxes, text input, the
// input method and the history window.
#pragma once

#include <string>
#include <vector>

namespace vm {

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// One line of the history window.
struct HistoryLine {
  std::string speaker;  // label as shown, empty for narration and choices
  std::string text;
  bool choice = false;  // a choice picked ("→ label")
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal; the title is the application's.
  virtual Answer message_box(const std::string& text, Buttons buttons) = 0;
  // Modal text input; returns the text, empty on Cancel.
  virtual std::string input_box(const std::string& prompt, const std::string& title,
                                const std::string& preset) = 0;
  // Opens or closes the input method of the main window (Japanese input).
  virtual void set_ime_open(bool open) = 0;
  // The history window over the game: the lines in a scrolling list opened
  // at the newest one. Returns when the player closes it (Escape, a click
  // outside the list, the wheel turned down past the end); input meant for
  // the game meanwhile is dropped. Returns the line the player asked to go
  // back to (a double click on it), or -1.
  virtual int show_history(const std::vector<HistoryLine>& lines) = 0;
};

}  // namespace vm
