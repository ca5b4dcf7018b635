// Music, effects and the master volume: nothing is heard, everything is noted.
#include <cstdio>

#include "platform/headless/headless_services.h"

namespace vm {

// The sequencer: a tune "plays" for tune_length_ms after it starts.
class HeadlessMusic : public Music {
 public:
  explicit HeadlessMusic(Headless& h) : h_(h) {}
  int send_command(const std::string& command, std::string* reply) override {
    h_.music_cmds_.push_back(command);
    if (reply) reply->clear();
    if (command.rfind("open ", 0) == 0) {
      size_t q1 = command.find('"'), q2 = command.find('"', q1 + 1);
      std::string path = command.substr(q1 + 1, q2 - q1 - 1);
      h_.log_.record(LogEvent::music_open(path, command.substr(q2 + 1)));
      if (h_.music_fails) return 263;
      if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
      } else {
        return 275;
      }
      h_.music_open_ = true;
      h_.music_playing_ = false;
      return 0;
    }
    if (command == "play midifile from 0") {
      h_.log_.record(LogEvent::music_play());
      if (!h_.music_open_) return 263;
      h_.music_playing_ = true;
      h_.music_started_ = h_.now_;
      return 0;
    }
    if (command.rfind("stop midifile", 0) == 0) {
      if (h_.music_playing_) h_.log_.record(LogEvent::music_stop());
      h_.music_playing_ = false;
      return h_.music_open_ ? 0 : 263;
    }
    if (command == "close midifile") {
      h_.music_open_ = false;
      h_.music_playing_ = false;
      return 0;
    }
    if (command == "status midifile mode") {
      if (!h_.music_open_) return 263;
      bool playing = h_.music_playing_ && h_.now_ - h_.music_started_ < h_.tune_length_ms;
      if (reply) *reply = playing ? "playing" : "stopped";
      return 0;
    }
    return 1;
  }

 private:
  Headless& h_;
};

class HeadlessEffects : public Effects {
 public:
  explicit HeadlessEffects(Headless& h) : h_(h) {}
  void play_wave(const std::vector<uint8_t>& riff) override {
    // Duration from the wave header: data bytes / byte rate.
    uint32_t ms = 0;
    if (riff.size() >= 44) {
      auto u32 = [&](size_t o) {
        return uint32_t{riff[o]} | uint32_t{riff[o + 1]} << 8 | uint32_t{riff[o + 2]} << 16 |
               uint32_t{riff[o + 3]} << 24;
      };
      uint32_t byte_rate = u32(28), data = u32(40);
      if (byte_rate)
        ms = static_cast<uint32_t>((uint64_t{data} * 1000 + byte_rate - 1) / byte_rate);
    }
    ++h_.effects_played;
    h_.log_.record(LogEvent::effect(riff.size(), ms));
    h_.now_ += ms;
  }

 private:
  Headless& h_;
};

class HeadlessVolume : public Volume {
 public:
  explicit HeadlessVolume(Headless& h) : h_(h) {}
  bool open_mixer() override { return !h_.no_audio; }
  bool get_volume(uint32_t& level) override {
    if (h_.no_audio) return false;
    level = h_.volume_level;
    return true;
  }
  bool set_volume(uint32_t level) override {
    if (h_.no_audio) return false;
    if (level != h_.volume_level) h_.log_.record(LogEvent::volume(level));
    h_.volume_level = level;
    return true;
  }
  void set_player_levels(int music_percent, int effects_percent) override {
    if (music_percent == h_.music_level && effects_percent == h_.effects_level) return;
    h_.music_level = music_percent;
    h_.effects_level = effects_percent;
    h_.log_.record(LogEvent::levels(music_percent, effects_percent));
  }

 private:
  Headless& h_;
};

std::unique_ptr<Music> make_headless_music(Headless& h) {
  return std::make_unique<HeadlessMusic>(h);
}

std::unique_ptr<Effects> make_headless_effects(Headless& h) {
  return std::make_unique<HeadlessEffects>(h);
}

std::unique_ptr<Volume> make_headless_volume(Headless& h) {
  return std::make_unique<HeadlessVolume>(h);
}

}  // namespace vm
