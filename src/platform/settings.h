// The player's own preferences and where they are kept.
#pragma once

#include <cstdint>

namespace vm {

// How fast a message is typed: Normal is the game's own pace, Slow twice its
// pauses, Fast half of them, Instant none.
enum class TextSpeed : uint8_t { Slow, Normal, Fast, Instant };

// The player's own preferences, kept outside the game data.
struct PlayerSettings {
  int scale = 1;  // 1..3, the window's magnification
  bool full_screen = false;
  int auto_delay_ms = 1500;         // auto-forward: the pause after a message...
  int auto_delay_per_char_ms = 80;  // ...plus this much per character of it
  int music_volume = 100;           // the player's levels, 0..100 %
  int effects_volume = 100;
  TextSpeed text_speed = TextSpeed::Normal;
  // Skipping goes on past text not read before. Cleared, as it starts, the
  // game menu's 次の選択まで進む and Ctrl stop at the first unread message; the
  // options window's skip mode is the player's own choice and always skips.
  bool skip_unread = false;
  // The game read aloud through the desktop's speech service (読み上げ).
  bool self_voicing = false;
  // For low vision: the message text one size larger, and the history in a
  // larger font (large_text); the message panel opaque (high_contrast).
  bool large_text = false;
  bool high_contrast = false;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The settings in force for this run (read at start, with any overrides from
  // the command line).
  virtual PlayerSettings settings() = 0;
  // Makes s the settings in force and keeps them for the next run.
  virtual void save_settings(const PlayerSettings& s) = 0;
};

}  // namespace vm
