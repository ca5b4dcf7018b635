// Reading the game aloud (読み上げ): the voice the game speaks with, and the
// secondary windows made to speak. Everything the game says goes through
// the platform's Speech, which here is gated: nothing is said while reading
// aloud is off in the player's settings, or while an earlier moment is being
// rebuilt unseen. The secondary windows say their title when they open and a
// control's caption when it gets the keyboard focus or the pointer, so the
// windows themselves know nothing of it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "menu/main_menu.h"
#include "platform/services.h"

namespace vm {

// What turning reading aloud on says, and the notice when nothing can speak.
inline constexpr const char* kReadAloudOn = "読み上げをオンにしました";
inline constexpr const char* kNoSpeechNotice = "読み上げできません（音声サービスがありません）";

class ReadAloud {
 public:
  ReadAloud(Speech& speech, Forms& forms, SettingsStore& settings, EventLog& log,
            const bool& quiet);
  ~ReadAloud();
  ReadAloud(const ReadAloud&) = delete;
  ReadAloud& operator=(const ReadAloud&) = delete;

  Speech& speech();
  Forms& forms();
  bool on() const;
  // Runs once, the first time the game would speak and finds no speech
  // service: the player is told in a short notice (standard error has been
  // told already).
  std::function<void()> on_missing;

 private:
  class Voice;
  class SpokenForms;
  std::unique_ptr<Voice> voice_;
  std::unique_ptr<SpokenForms> forms_;
};

// The 読み上げ item and the V key: reading aloud on or off, kept for the next
// run. Turning it on says so, which also finds out at once whether there is
// a speech service; turning it off cuts off what is being said.
void toggle_read_aloud(Platform& pf, MainMenu& menu);
// The item's tick as the player's settings have it.
void show_read_aloud_tick(Platform& pf, MainMenu& menu);

// What a control of a secondary window says when it gets the focus: its
// caption, with its state for a check box or an option; a scroll bar says
// the labels beside it (what it sets, its value now). Empty: nothing to say.
std::string spoken_control(const FormSpec& spec, const std::string& control);

}  // namespace vm
