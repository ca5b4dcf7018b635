#include "platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/common/disk_files.h"
#include "platform/common/folder_lock.h"
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
  void set_menu(const std::vector<MenuEntry>& items) override {
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
  void set_menu_checked(const std::string& name, bool checked) override {
    if (h_.menus_[name].checked != checked)
      h_.log_.log("menu check " + name + (checked ? " on" : " off"));
    h_.menus_[name].checked = checked;
  }
  int largest_window_scale() override { return h_.screen_fits_scale; }
  void set_view(int scale, bool full_screen) override {
    if (scale != h_.view_scale_ || full_screen != h_.view_full_screen_)
      h_.log_.log(full_screen ? std::string("view full screen")
                              : "view scale " + std::to_string(scale));
    h_.view_scale_ = scale;
    h_.view_full_screen_ = full_screen;
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
  // The start date moved on by the virtual clock, whole minutes only.
  DateTime local_time() override {
    DateTime t = h_.start_date;
    long minutes = t.minute + t.hour * 60L + static_cast<long>(h_.now_ / 60000);
    int days = static_cast<int>(minutes / 1440);
    minutes %= 1440;
    t.hour = static_cast<int>(minutes / 60);
    t.minute = static_cast<int>(minutes % 60);
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    while (days-- > 0) {
      const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
      const int in_month = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
      if (++t.day > in_month) {
        t.day = 1;
        if (++t.month > 12) {
          t.month = 1;
          ++t.year;
        }
      }
    }
    return t;
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
  // The window shows its lines and is closed again at once.
  void show_history(const std::vector<HistoryLine>& lines) override {
    h_.log_.log("history open, " + std::to_string(lines.size()) + " lines");
    for (const HistoryLine& l : lines)
      h_.log_.log("history " + (l.speaker.empty() ? std::string("-") : l.speaker) + " " + l.text);
    h_.log_.log("history close");
  }

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
  std::unique_ptr<FolderHold> hold_data_folder(const std::string& data_dir) override {
    return FolderLock::take(data_dir);
  }
  void open_with_shell(const std::string& target) override {
    h_.shell_opened.push_back(target);
    h_.log_.log("open " + quoted(target));
  }

 private:
  Headless& h_;
};

class HeadlessSettings : public SettingsStore {
 public:
  explicit HeadlessSettings(Headless& h) : h_(h) {}
  PlayerSettings settings() override { return h_.player_settings; }
  void save_settings(const PlayerSettings& s) override {
    h_.player_settings = s;
    ++h_.settings_saves;
  }

 private:
  Headless& h_;
};

// ------------------------------------------------------ secondary windows ---

ControlSpec* HeadlessFormState::find(const std::string& name) {
  for (ControlSpec& c : spec.controls)
    if (c.name == name) return &c;
  return nullptr;
}

const ControlSpec* HeadlessFormState::find(const std::string& name) const {
  for (const ControlSpec& c : spec.controls)
    if (c.name == name) return &c;
  return nullptr;
}

bool HeadlessFormState::shown(const ControlSpec& c) const {
  const ControlSpec* p = &c;
  for (int depth = 0; p && depth < 16; ++depth) {
    if (!p->visible) return false;
    if (p->parent.empty()) return true;
    p = find(p->parent);
  }
  return p == nullptr;
}

namespace {

bool has_text(const ControlSpec& c) {
  return c.kind != ControlSpec::Picture && c.kind != ControlSpec::Panel &&
         c.kind != ControlSpec::Scroll && c.kind != ControlSpec::List;
}

// One line for a control as the player sees it.
std::string describe(const ControlSpec& c) {
  std::string d = c.name;
  if (has_text(c)) d += " " + quoted(c.caption);
  if ((c.kind == ControlSpec::Option || c.kind == ControlSpec::Check) && c.value) d += " [x]";
  if (c.kind == ControlSpec::Scroll || c.kind == ControlSpec::List)
    d += " value " + std::to_string(c.value);
  if (!c.enabled) d += " disabled";
  return d;
}

}  // namespace

class HeadlessForm : public Form {
 public:
  HeadlessForm(Headless& h, HeadlessFormState& f) : h_(h), id_(f.id), name_(f.spec.name) {}
  ~HeadlessForm() override {
    auto& forms = h_.forms_;
    forms.erase(
        std::remove_if(forms.begin(), forms.end(), [&](const auto& f) { return f->id == id_; }),
        forms.end());
    h_.log_.log("form " + name_ + " closed");
  }
  int id() const override { return id_; }
  void set_sink(EventSink* sink) override { state().sink = sink; }
  void raise() override { h_.log_.log("form " + name_ + " raised"); }
  void set_text(const std::string& control, const std::string& text) override {
    ControlSpec& c = get(control);
    if (c.caption == text) return;
    c.caption = text;
    if (state().shown(c)) log(describe(c));
  }
  void set_colours(const std::string& control, uint32_t fore, uint32_t back) override {
    ControlSpec& c = get(control);
    c.fore = fore;
    c.back = back;
  }
  void set_enabled(const std::string& control, bool enabled) override {
    ControlSpec& c = get(control);
    if (c.enabled == enabled) return;
    c.enabled = enabled;
    if (state().shown(c)) log(c.name + (enabled ? " enabled" : " disabled"));
  }
  void set_visible(const std::string& control, bool visible) override {
    ControlSpec& c = get(control);
    if (c.visible == visible) return;
    c.visible = visible;
    HeadlessFormState& f = state();
    if (!visible) {
      log(c.name + " hidden");
      return;
    }
    // What comes into view: the control and whatever it holds.
    for (const ControlSpec& k : f.spec.controls)
      if (f.shown(k) && (&k == &c || inside(f, k, c.name)) && (has_text(k) || &k == &c))
        log("shows " + describe(k));
  }
  void set_value(const std::string& control, int value) override {
    ControlSpec& c = get(control);
    set_control_value(state(), c, value);
  }
  int value(const std::string& control) const override {
    const ControlSpec* c = state().find(control);
    return c ? c->value : 0;
  }
  void set_picture(const std::string& control, const Image& picture) override {
    get(control).picture = picture;
  }
  void set_rows(const std::string& control, const std::vector<std::string>& rows) override {
    get(control);
    HeadlessFormState& f = state();
    std::vector<std::string>& old = f.rows[control];
    // Only the rows that are new appear in the log.
    size_t same = 0;
    while (same < old.size() && same < rows.size() && old[same] == rows[same]) ++same;
    for (size_t i = same; i < rows.size(); ++i)
      log(control + " row " + std::to_string(i) + " " + quoted(rows[i]));
    old = rows;
  }

  // Option buttons of one group exclude each other.
  static void set_control_value(HeadlessFormState& f, ControlSpec& c, int value) {
    if (c.kind == ControlSpec::Scroll) value = std::clamp(value, c.min, c.max);
    if (c.kind == ControlSpec::Check || c.kind == ControlSpec::Option) value = value ? 1 : 0;
    if (c.kind == ControlSpec::Option && value)
      for (ControlSpec& o : f.spec.controls)
        if (&o != &c && o.kind == ControlSpec::Option && o.group == c.group) o.value = 0;
    c.value = value;
  }

 private:
  static bool inside(const HeadlessFormState& f, const ControlSpec& k, const std::string& name) {
    const ControlSpec* p = &k;
    for (int depth = 0; p && !p->parent.empty() && depth < 16; ++depth) {
      if (p->parent == name) return true;
      p = f.find(p->parent);
    }
    return false;
  }
  HeadlessFormState& state() const {
    for (auto& f : h_.forms_)
      if (f->id == id_) return *f;
    throw std::logic_error("form " + name_ + " used after it was closed");
  }
  ControlSpec& get(const std::string& control) {
    ControlSpec* c = state().find(control);
    if (!c) throw std::logic_error("form " + name_ + " has no control " + control);
    return *c;
  }
  void log(const std::string& what) { h_.log_.log("form " + name_ + " " + what); }

  Headless& h_;
  int id_;
  std::string name_;
};

class HeadlessForms : public Forms {
 public:
  explicit HeadlessForms(Headless& h) : h_(h) {}
  std::unique_ptr<Form> open(const FormSpec& spec) override {
    auto st = std::make_unique<HeadlessFormState>();
    st->id = h_.next_form_id_++;
    st->spec = spec;
    HeadlessFormState& f = *st;
    h_.forms_.push_back(std::move(st));
    h_.log_.log("form " + spec.name + " open " + quoted(spec.caption) +
                (spec.topmost ? " topmost" : ""));
    for (const ControlSpec& c : f.spec.controls)
      if (f.shown(c) && has_text(c) && !c.caption.empty())
        h_.log_.log("form " + spec.name + " " + describe(c));
    return std::make_unique<HeadlessForm>(h_, f);
  }
  void set_main_enabled(bool enabled) override {
    if (enabled == h_.main_enabled_) return;
    h_.main_enabled_ = enabled;
    h_.log_.log(enabled ? "main window enabled" : "main window disabled");
  }

 private:
  Headless& h_;
};

Headless::Headless() : Headless(nullptr) {}

Headless::Headless(Files& files) : Headless(&files) {}

Headless::Headless(Files* files) : log_([this] { return now_; }) {
  if (!files) {
    own_files_ = std::make_unique<DiskFiles>();
    files = own_files_.get();
  }
  window_ = std::make_unique<HeadlessWindow>(*this);
  clock_ = std::make_unique<HeadlessClock>(*this);
  dialogs_ = std::make_unique<HeadlessDialogs>(*this);
  pictures_ = std::make_unique<PixbufPictures>(*files);
  text_ = std::make_unique<PangoText>();
  music_ = std::make_unique<HeadlessMusic>(*this);
  effects_ = std::make_unique<HeadlessEffects>(*this);
  volume_ = std::make_unique<HeadlessVolume>(*this);
  misc_ = std::make_unique<HeadlessMisc>(*this);
  forms_service_ = std::make_unique<HeadlessForms>(*this);
  settings_ = std::make_unique<HeadlessSettings>(*this);
  platform_ = std::make_unique<Platform>(Platform{*window_, *clock_, *dialogs_, *pictures_, *text_,
                                                  *music_, *effects_, *volume_, *misc_, *misc_,
                                                  log_, *forms_service_, *settings_, *files});
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

void Headless::key_up(uint32_t at_ms, int key) {
  InputEvent ev;
  ev.kind = InputEvent::KeyUp;
  ev.key = key;
  schedule(at_ms, ev);
}

void Headless::wheel(uint32_t at_ms, int x, int y, int delta) {
  InputEvent ev;
  ev.kind = InputEvent::Wheel;
  ev.x = x;
  ev.y = y;
  ev.wheel = delta;
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

const HeadlessFormState* Headless::form(const std::string& name) const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
    if ((*it)->spec.name == name) return it->get();
  return nullptr;
}

void Headless::send_control(HeadlessFormState& f, const ControlSpec& c) {
  log_.log("form " + f.spec.name + " " + c.name + " acted on" +
           (c.kind == ControlSpec::Button || c.kind == ControlSpec::Label ||
                    c.kind == ControlSpec::Picture || c.kind == ControlSpec::Link
                ? ""
                : ", value " + std::to_string(c.value)));
  InputEvent ev;
  ev.kind = InputEvent::Control;
  ev.form = f.id;
  ev.name = c.name;
  ev.value = c.value;
  if (f.sink) f.sink->on_event(ev);
}

void Headless::act_on_form(uint32_t at_ms, const std::string& what,
                           std::function<void(HeadlessFormState&)> fn) {
  at(at_ms, [this, what, fn = std::move(fn)] {
    if (forms_.empty()) {
      log_.log(what + ": no window open, ignored");
      return;
    }
    fn(*forms_.back());
  });
}

namespace {

// The first control of the window that fits and the player can reach.
ControlSpec* reachable(HeadlessFormState& f, const std::function<bool(const ControlSpec&)>& fits) {
  for (ControlSpec& c : f.spec.controls)
    if (fits(c) && f.shown(c) && c.enabled) return &c;
  return nullptr;
}

}  // namespace

void Headless::press(uint32_t at_ms, const std::string& caption) {
  act_on_form(at_ms, "press " + quoted(caption), [this, caption](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) {
      return (k.kind == ControlSpec::Button || k.kind == ControlSpec::Link) && k.caption == caption;
    });
    if (!c) return log_.log("press " + quoted(caption) + ": no such enabled button, ignored");
    send_control(f, *c);
  });
}

void Headless::click_control(uint32_t at_ms, const std::string& name) {
  act_on_form(at_ms, "click " + name, [this, name](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) { return k.name == name; });
    if (!c) return log_.log("click " + name + ": no such enabled control, ignored");
    if (c->kind == ControlSpec::Check) HeadlessForm::set_control_value(f, *c, !c->value);
    if (c->kind == ControlSpec::Option) HeadlessForm::set_control_value(f, *c, 1);
    send_control(f, *c);
  });
}

void Headless::choose(uint32_t at_ms, const std::string& caption) {
  act_on_form(at_ms, "choose " + quoted(caption), [this, caption](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) {
      return k.kind == ControlSpec::Option && k.caption == caption;
    });
    if (!c) return log_.log("choose " + quoted(caption) + ": no such option, ignored");
    if (c->value) return;  // already chosen: the toolkit sends nothing
    HeadlessForm::set_control_value(f, *c, 1);
    send_control(f, *c);
  });
}

void Headless::check(uint32_t at_ms, const std::string& caption, bool on) {
  act_on_form(at_ms, "check " + quoted(caption), [this, caption, on](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) {
      return k.kind == ControlSpec::Check && k.caption == caption;
    });
    if (!c) return log_.log("check " + quoted(caption) + ": no such check box, ignored");
    if ((c->value != 0) == on) return;
    HeadlessForm::set_control_value(f, *c, on);
    send_control(f, *c);
  });
}

void Headless::scroll(uint32_t at_ms, int value) {
  act_on_form(at_ms, "scroll", [this, value](HeadlessFormState& f) {
    ControlSpec* c =
        reachable(f, [](const ControlSpec& k) { return k.kind == ControlSpec::Scroll; });
    if (!c) return log_.log("scroll: no scroll bar, ignored");
    const int before = c->value;
    HeadlessForm::set_control_value(f, *c, value);
    if (c->value != before) send_control(f, *c);
  });
}

void Headless::row(uint32_t at_ms, int n) {
  act_on_form(at_ms, "row", [this, n](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [](const ControlSpec& k) { return k.kind == ControlSpec::List; });
    if (!c || n < 0 || n >= static_cast<int>(f.rows[c->name].size()))
      return log_.log("row " + std::to_string(n) + ": no such row, ignored");
    c->value = n;
    send_control(f, *c);
  });
}

void Headless::close_box(uint32_t at_ms) {
  act_on_form(at_ms, "close box", [this](HeadlessFormState& f) {
    log_.log("form " + f.spec.name + " close box");
    InputEvent ev;
    ev.kind = InputEvent::FormClose;
    ev.form = f.id;
    if (f.sink) f.sink->on_event(ev);
  });
}

bool Headless::menu_enabled(const std::string& name) const {
  auto it = menus_.find(name);
  return it != menus_.end() && it->second.enabled;
}

bool Headless::menu_checked(const std::string& name) const {
  auto it = menus_.find(name);
  return it != menus_.end() && it->second.checked;
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
  // A handler that throws (a load unwinding the story) leaves the events
  // still to come waiting, as a toolkit's queue would.
  size_t next = 0;
  struct Requeue {
    Headless& h;
    std::vector<InputEvent>& ready;
    size_t& next;
    ~Requeue() {
      for (size_t j = ready.size(); j > next; --j)
        if (ready[j - 1].kind != InputEvent::Timer)
          h.queue_.push_front(Scheduled{h.now_, 0, std::move(ready[j - 1])});
    }
  } requeue{*this, ready, next};
  while (next < ready.size()) {
    InputEvent& ev = ready[next++];
    if (ev.kind == InputEvent::Timer && !timers_[ev.timer].enabled) continue;
    if (!main_enabled_ && (ev.kind == InputEvent::MouseDown || ev.kind == InputEvent::KeyDown ||
                           ev.kind == InputEvent::Menu)) {
      log_.log(std::string(ev.kind == InputEvent::Menu      ? "menu " + ev.name
                           : ev.kind == InputEvent::KeyDown ? "key"
                                                            : "click") +
               " (main window disabled, ignored)");
      continue;
    }
    if (!main_enabled_ && (ev.kind == InputEvent::MouseMove || ev.kind == InputEvent::Wheel))
      continue;
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
