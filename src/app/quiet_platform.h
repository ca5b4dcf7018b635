// The platform the game runs on, with a switch that makes it quiet: while
// quiet, nothing reaches the player (no frame, sound, dialog or log entry),
// the clock is the game's own and runs only as the game sleeps, and no event
// of the window runs. Stepping back to an earlier message plays the story
// again from its scene's start this way, through the very code that drew it
// the first time, so the screen it rebuilds is the one the player saw.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "app/read_aloud.h"
#include "platform/services.h"

namespace vm {

class QuietPlatform {
 public:
  explicit QuietPlatform(Platform& real);
  ~QuietPlatform();
  QuietPlatform(const QuietPlatform&) = delete;
  QuietPlatform& operator=(const QuietPlatform&) = delete;

  // The services the game uses: the real ones, seen through the switch.
  Platform& platform() { return *platform_; }
  Platform& real() { return real_; }

  bool quiet() const { return quiet_; }
  void set_quiet(bool quiet);
  // The voice and the speaking secondary windows (silent while quiet).
  ReadAloud& read_aloud() { return *read_aloud_; }
  // The pictures decoded while quiet and kept for the next quiet play.
  size_t kept_picture_bytes() const;

  // While quiet, each turn of the event pump runs this instead (it answers
  // the waits the story would have waited on the player for).
  std::function<void()> on_quiet_events;
  // While quiet, the names the text input returns, in order (what the
  // player typed the first time); while not, each name typed is handed here.
  std::deque<std::string> names_to_give;
  std::function<void(const std::string&)> on_name_typed;

 private:
  class QWindow;
  class QClock;
  class QDialogs;
  class QMusic;
  class QEffects;
  class QVolume;
  class QLog;
  class QPictures;

  Platform& real_;
  bool quiet_ = false;
  uint32_t quiet_ticks_ = 0;
  std::unique_ptr<QWindow> window_;
  std::unique_ptr<QClock> clock_;
  std::unique_ptr<QDialogs> dialogs_;
  std::unique_ptr<QMusic> music_;
  std::unique_ptr<QEffects> effects_;
  std::unique_ptr<QVolume> volume_;
  std::unique_ptr<QLog> log_;
  std::unique_ptr<QPictures> pictures_;
  std::unique_ptr<ReadAloud> read_aloud_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace vm
