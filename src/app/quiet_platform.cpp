#include "app/quiet_platform.h"

#include <list>
#include <string_view>

#include "platform/errors.h"

namespace vm {

class QuietPlatform::QWindow : public Window {
 public:
  QWindow(QuietPlatform& q, Window& w) : q_(q), w_(w) {}
  void set_sink(EventSink* sink) override { w_.set_sink(sink); }
  void set_menu(const std::vector<MenuEntry>& items) override { w_.set_menu(items); }
  void set_menu_enabled(const std::string& name, bool on) override {
    w_.set_menu_enabled(name, on);
  }
  void set_menu_caption(const std::string& name, const std::string& caption) override {
    w_.set_menu_caption(name, caption);
  }
  void set_menu_checked(const std::string& name, bool on) override {
    w_.set_menu_checked(name, on);
  }
  void set_caption(const std::string& caption) override { w_.set_caption(caption); }
  void set_app_name(const std::string& name) override { w_.set_app_name(name); }
  void set_busy_cursor(bool busy) override { w_.set_busy_cursor(busy); }
  void show() override { w_.show(); }
  void set_view(int scale, bool full_screen) override { w_.set_view(scale, full_screen); }
  int largest_window_scale() override { return w_.largest_window_scale(); }
  void present(Image& frame) override {
    if (!q_.quiet_) w_.present(frame);
  }
  bool shows_frames() override { return !q_.quiet_ && w_.shows_frames(); }
  bool pixels_seen() override { return w_.pixels_seen(); }
  void do_events() override {
    if (!q_.quiet_) return w_.do_events();
    if (q_.on_quiet_events) q_.on_quiet_events();
  }
  void wait_events() override {
    if (!q_.quiet_) return w_.wait_events();
    if (q_.on_quiet_events) q_.on_quiet_events();
  }
  bool close_requested() override { return w_.close_requested(); }
  int create_timer(int interval_ms) override { return w_.create_timer(interval_ms); }
  void set_timer_enabled(int id, bool on) override { w_.set_timer_enabled(id, on); }

 private:
  QuietPlatform& q_;
  Window& w_;
};

// Quiet time starts where the real clock stood and moves only by the sleeps
// asked for, so every timed loop runs its usual number of turns at once.
class QuietPlatform::QClock : public Clock {
 public:
  QClock(QuietPlatform& q, Clock& c) : q_(q), c_(c) {}
  uint32_t tick_count() override { return q_.quiet_ ? q_.quiet_ticks_ : c_.tick_count(); }
  void sleep(int ms) override {
    if (!q_.quiet_) return c_.sleep(ms);
    q_.quiet_ticks_ += static_cast<uint32_t>(ms > 0 ? ms : 0);
  }
  DateTime local_time() override { return c_.local_time(); }

 private:
  QuietPlatform& q_;
  Clock& c_;
};

class QuietPlatform::QDialogs : public Dialogs {
 public:
  QDialogs(QuietPlatform& q, Dialogs& d) : q_(q), d_(d) {}
  Answer message_box(const std::string& text, Buttons buttons) override {
    if (!q_.quiet_) return d_.message_box(text, buttons);
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
  }
  std::string input_box(const std::string& prompt, const std::string& title,
                        const std::string& preset) override {
    if (q_.quiet_) {
      if (q_.names_to_give.empty()) return preset;
      std::string name = std::move(q_.names_to_give.front());
      q_.names_to_give.pop_front();
      return name;
    }
    std::string name = d_.input_box(prompt, title, preset);
    if (q_.on_name_typed) q_.on_name_typed(name);
    return name;
  }
  void set_ime_open(bool open) override {
    if (!q_.quiet_) d_.set_ime_open(open);
  }
  int show_history(const std::vector<HistoryLine>& lines) override {
    return q_.quiet_ ? -1 : d_.show_history(lines);
  }

 private:
  QuietPlatform& q_;
  Dialogs& d_;
};

class QuietPlatform::QMusic : public Music {
 public:
  QMusic(QuietPlatform& q, Music& m) : q_(q), m_(m) {}
  int send_command(const std::string& command, std::string* reply) override {
    if (!q_.quiet_) return m_.send_command(command, reply);
    if (reply) reply->clear();
    return 0;
  }

 private:
  QuietPlatform& q_;
  Music& m_;
};

class QuietPlatform::QEffects : public Effects {
 public:
  QEffects(QuietPlatform& q, Effects& e) : q_(q), e_(e) {}
  void play_wave(const std::vector<uint8_t>& riff) override {
    if (!q_.quiet_) e_.play_wave(riff);
  }

 private:
  QuietPlatform& q_;
  Effects& e_;
};

class QuietPlatform::QVolume : public Volume {
 public:
  QVolume(QuietPlatform& q, Volume& v) : q_(q), v_(v) {}
  bool open_mixer() override { return v_.open_mixer(); }
  bool get_volume(uint32_t& level) override { return v_.get_volume(level); }
  bool set_volume(uint32_t level) override { return q_.quiet_ || v_.set_volume(level); }
  void set_player_levels(int music_percent, int effects_percent) override {
    v_.set_player_levels(music_percent, effects_percent);
  }

 private:
  QuietPlatform& q_;
  Volume& v_;
};

class QuietPlatform::QLog : public EventLog {
 public:
  QLog(QuietPlatform& q, EventLog& l) : q_(q), l_(l) {}
  void record(const LogEvent& event) override {
    if (!q_.quiet_) l_.record(event);
  }

 private:
  QuietPlatform& q_;
  EventLog& l_;
};

// Every step back plays its scene again from the start, and decoding the
// same background and sprites each time would be most of its work: while
// quiet, the pictures decoded are kept, the most recently used first, up to
// a few screens' worth. A picture is known by its file's bytes, not only its
// name, so a file changed on the disk is decoded again.
class QuietPlatform::QPictures : public Pictures {
 public:
  QPictures(QuietPlatform& q, Pictures& p, Files& f) : q_(q), p_(p), f_(f) {}
  Result<Image> load_picture(const std::string& path) override {
    if (!q_.quiet_) return p_.load_picture(path);
    const Result<std::string> read = f_.read_whole(path);
    if (!read) return p_.load_picture(path);  // it says why
    const std::string& bytes = read.value();
    const size_t hash = std::hash<std::string_view>{}(bytes);
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
      if (it->path != path || it->size != bytes.size() || it->hash != hash) continue;
      kept_.splice(kept_.begin(), kept_, it);
      return it->picture;
    }
    Result<Image> out = p_.load_picture(path);
    if (!out) return out;
    kept_.push_front({path, bytes.size(), hash, out.value()});
    bytes_ += picture_bytes(out.value());
    while (bytes_ > kKeptBytes && kept_.size() > 1) {
      bytes_ -= picture_bytes(kept_.back().picture);
      kept_.pop_back();
    }
    return out;
  }
  size_t kept_bytes() const { return bytes_; }

 private:
  // Four full screens: a background, its sprites and the face sheet.
  static constexpr size_t kKeptBytes = size_t{4} * 640 * 480 * sizeof(uint32_t);
  struct Kept {
    std::string path;
    size_t size;
    size_t hash;
    Image picture;
  };
  static size_t picture_bytes(const Image& img) {
    return static_cast<size_t>(img.w) * static_cast<size_t>(img.h) * sizeof(uint32_t);
  }
  QuietPlatform& q_;
  Pictures& p_;
  Files& f_;
  std::list<Kept> kept_;
  size_t bytes_ = 0;
};

QuietPlatform::QuietPlatform(Platform& real)
    : real_(real),
      window_(std::make_unique<QWindow>(*this, real.window)),
      clock_(std::make_unique<QClock>(*this, real.clock)),
      dialogs_(std::make_unique<QDialogs>(*this, real.dialogs)),
      music_(std::make_unique<QMusic>(*this, real.music)),
      effects_(std::make_unique<QEffects>(*this, real.effects)),
      volume_(std::make_unique<QVolume>(*this, real.volume)),
      log_(std::make_unique<QLog>(*this, real.log)),
      pictures_(std::make_unique<QPictures>(*this, real.pictures, real.files)),
      read_aloud_(
          std::make_unique<ReadAloud>(real.speech, real.forms, real.settings, real.log, quiet_)) {
  platform_ = std::make_unique<Platform>(Platform{.window = *window_,
                                                  .clock = *clock_,
                                                  .dialogs = *dialogs_,
                                                  .pictures = *pictures_,
                                                  .text = real.text,
                                                  .music = *music_,
                                                  .effects = *effects_,
                                                  .volume = *volume_,
                                                  .single_copy = real.single_copy,
                                                  .shell = real.shell,
                                                  .log = *log_,
                                                  .forms = read_aloud_->forms(),
                                                  .settings = real.settings,
                                                  .files = real.files,
                                                  .speech = read_aloud_->speech()});
}

QuietPlatform::~QuietPlatform() = default;

size_t QuietPlatform::kept_picture_bytes() const {
  return pictures_->kept_bytes();
}

void QuietPlatform::set_quiet(bool quiet) {
  if (quiet && !quiet_) quiet_ticks_ = real_.clock.tick_count();
  quiet_ = quiet;
}

}  // namespace vm
