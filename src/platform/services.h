// The narrow services through which the game reaches the desktop, gathered:
// each service has a header of its own (platform/window.h, platform/files.h
// ...), which is what a file that uses only that service includes; this one
// holds them all in the Platform the start routine hands down. The desktop
// (GTK, SDL) and headless (virtual clock, scripted input) implementations
// live under platform/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/effects.h"
#include "platform/event_log.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/input.h"
#include "platform/music.h"
#include "platform/pictures.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "platform/single_copy.h"
#include "platform/speech.h"
#include "platform/text.h"
#include "platform/volume.h"
#include "platform/window.h"

namespace vm {

// Everything a subsystem may need, handed down from the start routine.
struct Platform {
  Window& window;
  Clock& clock;
  Dialogs& dialogs;
  Pictures& pictures;
  Text& text;
  Music& music;
  Effects& effects;
  Volume& volume;
  SingleCopy& single_copy;
  Shell& shell;
  EventLog& log;
  Forms& forms;
  SettingsStore& settings;
  Files& files;
  Speech& speech;
};

// The game's own message box, with "OK" unless other buttons are asked for.
inline Answer message_box(Platform& pf, const std::string& text, Buttons buttons = Buttons::Ok) {
  return pf.dialogs.message_box(text, buttons);
}
// Shorthands for the window's event pump and the clock.
inline void do_events(Platform& pf) {
  pf.window.do_events();
}
inline void sleep_ms(Platform& pf, int ms) {
  pf.clock.sleep(ms);
}
inline uint32_t tick_count(Platform& pf) {
  return pf.clock.tick_count();
}

}  // namespace vm
