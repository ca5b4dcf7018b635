#include "platform/headless/headless.h"

#include <algorithm>
#include <cstdio>

#include "platform/common/pango_text.h"
#include "platform/common/pixbuf_pictures.h"

namespace vm {

void LineLog::log(const std::string& line) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%8u ", now_ ? now_() : 0u);
  lines_.push_back(stamp + line);
  if (echo) echo(lines_.back());
}

namespace {

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out + "\"";
}

}  // namespace

class HeadlessWindow : public Window {
 public:
  explicit HeadlessWindow(Headless& h) : h_(h) {}
  void set_sink(EventSink* sink) override { h_.sink_ = sink; }
  void set_menu(const std::vector<MenuItemSpec>& items) override {
    for (const auto& it : items) h_.menus_[it.name] = {it.caption, true};
  }
  void set_menu_enabled(const std::string& name, bool enabled) override {
    h_.menus_[name].enabled = enabled;
  }
  void set_menu_caption(const std::string& name, const std::string& caption) override {
    if (h_.menus_[name].caption != caption)
      h_.log_.log("menu caption " + name + " " + quoted(caption));
    h_.menus_[name].caption = caption;
  }
  void set_caption(const std::string& caption) override {
    h_.caption_ = caption;
    h_.log_.log("caption " + quoted(caption));
  }
  void set_busy_cursor(bool) override {}
  void show() override {}
  void present(const Image& frame) override {
    h_.last_frame_ = frame;
    ++h_.present_count_;
    if (h_.on_present) h_.on_present(frame, h_.now_);
  }
  void do_events() override { h_.dispatch_due(); }
  bool close_requested() override {
    for (const auto& s : h_.queue_) {
      if (static_cast<int32_t>(h_.now_ - s.at) < 0) break;
      if (s.ev.kind == InputEvent::Close) return true;
    }
    return false;
  }
  void wait_events() override {
    if (!h_.advance_to_next()) throw HeadlessIdle{};
    h_.dispatch_due();
  }
  int create_timer(int interval_ms) override {
    h_.timers_.push_back({interval_ms, false, 0});
    return static_cast<int>(h_.timers_.size()) - 1;
  }
  void set_timer_enabled(int id, bool enabled) override {
    if (id < 0 || id >= static_cast<int>(h_.timers_.size())) return;
    auto& t = h_.timers_[id];
    if (enabled && !t.enabled) t.due = h_.now_ + t.interval;
    t.enabled = enabled;
  }

 private:
  Headless& h_;
};

class HeadlessClock : public Clock {
 public:
  explicit HeadlessClock(Headless& h) : h_(h) {}
  uint32_t tick_count() override { return h_.now_; }
  void sleep(int ms) override {
    if (ms > 0) h_.now_ += static_cast<uint32_t>(ms);
  }

 private:
  Headless& h_;
};

class HeadlessDialogs : public Dialogs {
 public:
  explicit HeadlessDialogs(Headless& h) : h_(h) {}
  Answer message_box(const std::string& text, Buttons buttons) override {
    std::optional<std::string> a = take();
    Answer result = buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    if (a && buttons == Buttons::YesNo) result = *a == "yes" ? Answer::Yes : Answer::No;
    const char* shown = result == Answer::Ok ? "ok" : result == Answer::Yes ? "yes" : "no";
    h_.log_.log(std::string("dialog ") + quoted(text) + " -> " + shown + (a ? "" : " (default)"));
    return result;
  }
  std::string input_box(const std::string& prompt, const std::string& title,
                        const std::string& preset) override {
    std::optional<std::string> a = take();
    std::string result = a ? *a : preset;
    h_.log_.log("input " + quoted(title) + " " + quoted(prompt) + " preset " + quoted(preset) +
                " -> " + quoted(result) + (a ? "" : " (default)"));
    return result;
  }
  void set_ime_open(bool open) override { h_.log_.log(open ? "ime open" : "ime close"); }

 private:
  std::optional<std::string> take() {
    if (h_.answers_.empty() || h_.answers_.front().first > h_.now_) return std::nullopt;
    std::string a = h_.answers_.front().second;
    h_.answers_.pop_front();
    return a;
  }
  Headless& h_;
};

// The sequencer: a tune "plays" for tune_length_ms after it starts.
class HeadlessMusic : public Music {
 public:
  explicit HeadlessMusic(Headless& h) : h_(h) {}
  int send_command(const std::string& command, std::string* reply) override {
    h_.music_cmds_.push_back(command);
    if (reply) reply->clear();
    if (command.rfind("open ", 0) == 0) {
      h_.log_.log("music " + command);
      if (h_.music_fails) return 263;
      size_t q1 = command.find('"'), q2 = command.find('"', q1 + 1);
      std::string path = command.substr(q1 + 1, q2 - q1 - 1);
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
      h_.log_.log("music play");
      if (!h_.music_open_) return 263;
      h_.music_playing_ = true;
      h_.music_started_ = h_.now_;
      return 0;
    }
    if (command.rfind("stop midifile", 0) == 0) {
      if (h_.music_playing_) h_.log_.log("music stop");
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
    h_.log_.log("effect " + std::to_string(riff.size()) + " bytes, " + std::to_string(ms) + " ms");
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
    if (level != h_.volume_level) h_.log_.log("volume " + std::to_string(level));
    h_.volume_level = level;
    return true;
  }

 private:
  Headless& h_;
};

class HeadlessMisc : public SingleCopy, public Shell {
 public:
  explicit HeadlessMisc(Headless& h) : h_(h) {}
  bool other_copy_running() override { return h_.other_copy; }
  void open_with_shell(const std::string& target) override {
    h_.shell_opened.push_back(target);
    h_.log_.log("open " + quoted(target));
  }

 private:
  Headless& h_;
};

Headless::Headless() : log_([this] { return now_; }) {
  window_ = std::make_unique<HeadlessWindow>(*this);
  clock_ = std::make_unique<HeadlessClock>(*this);
  dialogs_ = std::make_unique<HeadlessDialogs>(*this);
  pictures_ = std::make_unique<PixbufPictures>();
  text_ = std::make_unique<PangoText>();
  music_ = std::make_unique<HeadlessMusic>(*this);
  effects_ = std::make_unique<HeadlessEffects>(*this);
  volume_ = std::make_unique<HeadlessVolume>(*this);
  misc_ = std::make_unique<HeadlessMisc>(*this);
  platform_ =
      std::make_unique<Platform>(Platform{*window_, *clock_, *dialogs_, *pictures_, *text_, *music_,
                                          *effects_, *volume_, *misc_, *misc_, log_});
}

Headless::~Headless() = default;

void Headless::schedule(uint32_t at_ms, InputEvent ev) {
  Scheduled s{at_ms, order_++, std::move(ev)};
  auto it = std::upper_bound(queue_.begin(), queue_.end(), s, [](const auto& a, const auto& b) {
    return a.at < b.at || (a.at == b.at && a.order < b.order);
  });
  queue_.insert(it, std::move(s));
}

void Headless::click(uint32_t at_ms, int x, int y, int button) {
  InputEvent ev;
  ev.kind = InputEvent::MouseDown;
  ev.x = x;
  ev.y = y;
  ev.button = button;
  schedule(at_ms, ev);
}

void Headless::move(uint32_t at_ms, int x, int y) {
  InputEvent ev;
  ev.kind = InputEvent::MouseMove;
  ev.x = x;
  ev.y = y;
  schedule(at_ms, ev);
}

void Headless::key(uint32_t at_ms, int key) {
  InputEvent ev;
  ev.kind = InputEvent::KeyDown;
  ev.key = key;
  schedule(at_ms, ev);
}

void Headless::menu(uint32_t at_ms, const std::string& name) {
  InputEvent ev;
  ev.kind = InputEvent::Menu;
  ev.name = name;
  schedule(at_ms, ev);
}

void Headless::close(uint32_t at_ms) {
  InputEvent ev;
  ev.kind = InputEvent::Close;
  schedule(at_ms, ev);
}

void Headless::at(uint32_t at_ms, std::function<void()> fn) {
  InputEvent ev;
  ev.kind = InputEvent::Hook;
  ev.hook = std::move(fn);
  schedule(at_ms, ev);
}

void Headless::answer(uint32_t at_ms, const std::string& a) {
  answers_.emplace_back(at_ms, a);
}

bool Headless::menu_enabled(const std::string& name) const {
  auto it = menus_.find(name);
  return it != menus_.end() && it->second.enabled;
}

std::string Headless::menu_caption(const std::string& name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? "" : it->second.caption;
}

void Headless::dispatch_due() {
  // Timer ticks first, one per timer, as a toolkit would coalesce them.
  std::vector<InputEvent> ready;
  for (size_t i = 0; i < timers_.size(); ++i) {
    Timer& t = timers_[i];
    if (t.enabled && t.interval > 0 && static_cast<int32_t>(now_ - t.due) >= 0) {
      t.due = now_ + t.interval;
      InputEvent ev;
      ev.kind = InputEvent::Timer;
      ev.timer = static_cast<int>(i);
      ready.push_back(ev);
    }
  }
  while (!queue_.empty() && static_cast<int32_t>(now_ - queue_.front().at) >= 0) {
    ready.push_back(std::move(queue_.front().ev));
    queue_.pop_front();
  }
  for (InputEvent& ev : ready) {
    if (ev.kind == InputEvent::Timer && !timers_[ev.timer].enabled) continue;
    if (ev.kind == InputEvent::Menu) {
      if (!menu_enabled(ev.name)) {
        log_.log("menu " + ev.name + " (disabled, ignored)");
        continue;
      }
      log_.log("menu " + ev.name);
    }
    if (ev.kind == InputEvent::Hook) {
      if (ev.hook) ev.hook();
      continue;
    }
    if (sink_) sink_->on_event(ev);
  }
}

bool Headless::advance_to_next() {
  bool any = false;
  uint32_t next = 0;
  auto consider = [&](uint32_t t) {
    if (static_cast<int32_t>(t - now_) < 0) t = now_;
    if (!any || static_cast<int32_t>(t - next) < 0) next = t;
    any = true;
  };
  if (!queue_.empty()) consider(queue_.front().at);
  // Timers alone keep an idle game alive only while input is still to come.
  if (!queue_.empty())
    for (const Timer& t : timers_)
      if (t.enabled && t.interval > 0) consider(t.due);
  if (!any) return false;
  now_ = next;
  return true;
}

}  // namespace vm
