#include "app/read_aloud.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace vm {

class ReadAloud::Voice : public Speech {
 public:
  Voice(Speech& s, SettingsStore& settings, EventLog& log, const bool& quiet, ReadAloud& owner)
      : s_(s), settings_(settings), log_(log), quiet_(quiet), owner_(owner) {}
  bool on() const { return !quiet_ && settings_.settings().self_voicing; }
  bool available() override { return s_.available(); }
  void say(const std::string& text) override {
    if (!on() || text.empty() || !present()) return;
    // A caption's line breaks are pauses, not words.
    std::string plain = text;
    std::replace(plain.begin(), plain.end(), '\r', ' ');
    std::replace(plain.begin(), plain.end(), '\n', ' ');
    s_.say(plain);
  }
  void stop() override {
    if (on() && !missing_) s_.stop();
  }

 private:
  // Asks the service once; without one the game goes on silent, and says
  // so once.
  bool present() {
    if (missing_) return false;
    if (asked_) return true;
    asked_ = true;
    if (s_.available()) return true;
    missing_ = true;
    log_.record(LogEvent::warning("reading aloud is on, but there is no speech service to read"));
    if (owner_.on_missing) owner_.on_missing();
    return false;
  }

  Speech& s_;
  SettingsStore& settings_;
  EventLog& log_;
  const bool& quiet_;
  ReadAloud& owner_;
  bool asked_ = false;
  bool missing_ = false;
};

namespace {

// One open window: the real one, with what it shows now kept beside it, and
// its focus events turned into speech before the window's own sink (which
// has no use for them) sees the rest.
class SpokenForm : public Form, EventSink {
 public:
  SpokenForm(std::unique_ptr<Form> real, FormSpec spec, Speech& voice)
      : real_(std::move(real)), spec_(std::move(spec)), voice_(voice) {
    real_->set_sink(this);
  }
  ~SpokenForm() override {
    *alive_ = false;
    real_->set_sink(nullptr);
  }
  SpokenForm(const SpokenForm&) = delete;
  SpokenForm& operator=(const SpokenForm&) = delete;

  void on_event(const InputEvent& ev) override {
    if (ev.kind == InputEvent::Focus) {
      voice_.say(spoken_control(spec_, ev.name));
      return;
    }
    if (ev.kind == InputEvent::Control) set_spec_value(ev.name, ev.value);
    const bool reread = ev.kind == InputEvent::Control && changes_setting(ev.name);
    const std::shared_ptr<bool> alive = alive_;
    if (sink_) sink_->on_event(ev);
    // A setting changed is read back as it stands now, unless the window
    // closed meanwhile (this object is gone with it).
    if (reread && *alive) voice_.say(spoken_control(spec_, ev.name));
  }

  int id() const override { return real_->id(); }
  void set_sink(EventSink* sink) override { sink_ = sink; }
  void set_text(const std::string& control, const std::string& text) override {
    if (ControlSpec* c = find(control)) c->caption = text;
    real_->set_text(control, text);
  }
  void set_colours(const std::string& control, uint32_t fore, uint32_t back) override {
    real_->set_colours(control, fore, back);
  }
  void set_enabled(const std::string& control, bool enabled) override {
    real_->set_enabled(control, enabled);
  }
  void set_visible(const std::string& control, bool visible) override {
    real_->set_visible(control, visible);
  }
  void set_value(const std::string& control, int value) override {
    set_spec_value(control, value);
    real_->set_value(control, value);
  }
  int value(const std::string& control) const override { return real_->value(control); }
  void set_picture(const std::string& control, const Image& picture) override {
    real_->set_picture(control, picture);
  }
  void set_rows(const std::string& control, const std::vector<std::string>& rows) override {
    real_->set_rows(control, rows);
  }
  void raise() override { real_->raise(); }

 private:
  bool changes_setting(const std::string& name) {
    const ControlSpec* c = find(name);
    return c && (c->kind == ControlSpec::Check || c->kind == ControlSpec::Option ||
                 c->kind == ControlSpec::Scroll);
  }
  ControlSpec* find(const std::string& name) {
    for (ControlSpec& c : spec_.controls)
      if (c.name == name) return &c;
    return nullptr;
  }
  void set_spec_value(const std::string& name, int value) {
    ControlSpec* c = find(name);
    if (!c) return;
    // An option chosen leaves the others of its group.
    if (c->kind == ControlSpec::Option && value)
      for (ControlSpec& k : spec_.controls)
        if (k.kind == ControlSpec::Option && k.group == c->group) k.value = 0;
    c->value = value;
  }

  std::unique_ptr<Form> real_;
  FormSpec spec_;
  Speech& voice_;
  EventSink* sink_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

class ReadAloud::SpokenForms : public Forms {
 public:
  SpokenForms(Forms& f, Speech& voice) : f_(f), voice_(voice) {}
  std::unique_ptr<Form> open(const FormSpec& spec) override {
    auto form = std::make_unique<SpokenForm>(f_.open(spec), spec, voice_);
    voice_.say(spec.caption);
    return form;
  }
  void set_main_enabled(bool enabled) override { f_.set_main_enabled(enabled); }

 private:
  Forms& f_;
  Speech& voice_;
};

ReadAloud::ReadAloud(Speech& speech, Forms& forms, SettingsStore& settings, EventLog& log,
                     const bool& quiet)
    : voice_(std::make_unique<Voice>(speech, settings, log, quiet, *this)),
      forms_(std::make_unique<SpokenForms>(forms, *voice_)) {}

ReadAloud::~ReadAloud() = default;

Speech& ReadAloud::speech() {
  return *voice_;
}

Forms& ReadAloud::forms() {
  return *forms_;
}

bool ReadAloud::on() const {
  return voice_->on();
}

void toggle_read_aloud(Platform& pf, MainMenu& menu) {
  PlayerSettings s = pf.settings.settings();
  if (s.self_voicing) {
    pf.speech.stop();
    s.self_voicing = false;
    pf.settings.save_settings(s);
  } else {
    s.self_voicing = true;
    pf.settings.save_settings(s);
    pf.speech.say(kReadAloudOn);
  }
  show_read_aloud_tick(pf, menu);
}

void show_read_aloud_tick(Platform& pf, MainMenu& menu) {
  menu.set_checked(MenuItem::SelfVoicing, pf.settings.settings().self_voicing);
}

namespace {

std::string joined(const std::string& a, const std::string& b);

// Whether a label stands on the control's row, or just above it as its
// heading.
bool on_row_of(const ControlSpec& label, const ControlSpec& c) {
  constexpr int kHeadingGap = 8;
  return label.y < c.y + c.h && label.y + label.h >= c.y - kHeadingGap;
}

// The captions of the labels listed just before (step -1) or after (+1) the
// control at i, in reading order, that stand on its row: what a scroll bar
// sets, its value, the ends of its range.
std::string labels_beside(const FormSpec& spec, size_t i, int step) {
  std::string said;
  for (size_t j = i + static_cast<size_t>(step); j < spec.controls.size();
       j += static_cast<size_t>(step)) {
    const ControlSpec& k = spec.controls[j];
    if (k.kind != ControlSpec::Label || k.parent != spec.controls[i].parent ||
        !on_row_of(k, spec.controls[i]))
      break;
    said = step < 0 ? joined(k.caption, said) : joined(said, k.caption);
  }
  return said;
}

std::string joined(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return a + b;
  return a + " " + b;
}

}  // namespace

std::string spoken_control(const FormSpec& spec, const std::string& control) {
  for (size_t i = 0; i < spec.controls.size(); ++i) {
    const ControlSpec& c = spec.controls[i];
    if (c.name != control) continue;
    switch (c.kind) {
      case ControlSpec::Check:
        return joined(c.caption, c.value ? "オン" : "オフ");
      case ControlSpec::Option:
        return joined(c.caption, c.value ? "選択中" : "");
      case ControlSpec::Scroll:
        return joined(labels_beside(spec, i, -1), labels_beside(spec, i, +1));
      case ControlSpec::Picture:
      case ControlSpec::Panel:
      case ControlSpec::List:
        return "";
      default:
        break;
    }
    // A row of several lines (a slot's caption and time) is read as one,
    // after its own name when it has one.
    std::string said = c.caption;
    for (size_t at = said.find("\r\n"); at != std::string::npos; at = said.find("\r\n", at))
      said.replace(at, 2, "、");
    if (c.spoken_prefix.empty()) return said;
    return said.empty() ? c.spoken_prefix : c.spoken_prefix + "、" + said;
  }
  return "";
}

}  // namespace vm
