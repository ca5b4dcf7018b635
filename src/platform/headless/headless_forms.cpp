// Secondary windows: their controls kept as specs, changes noted, and the
// runner's presses and clicks sent as the toolkit would.
#include <algorithm>
#include <stdexcept>

#include "platform/headless/headless_services.h"

namespace vm {

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

bool has_value(const ControlSpec& c) {
  return c.kind == ControlSpec::Scroll || c.kind == ControlSpec::List;
}

// A control as the player sees it.
LogEvent::ControlState describe(const ControlSpec& c) {
  LogEvent::ControlState d;
  d.name = c.name;
  if (has_text(c)) d.caption = c.caption;
  d.checked = (c.kind == ControlSpec::Option || c.kind == ControlSpec::Check) && c.value;
  if (has_value(c)) d.value = c.value;
  d.enabled = c.enabled;
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
    h_.log_.record(LogEvent::form_closed(name_));
  }
  int id() const override { return id_; }
  void set_sink(EventSink* sink) override { state().sink = sink; }
  void raise() override { h_.log_.record(LogEvent::form_action(name_, "raised")); }
  void set_text(const std::string& control, const std::string& text) override {
    ControlSpec& c = get(control);
    if (c.caption == text) return;
    c.caption = text;
    if (state().shown(c)) log(LogEvent::form_control(name_, describe(c)));
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
    if (state().shown(c))
      log(LogEvent::control_action(name_, c.name, enabled ? "enabled" : "disabled"));
  }
  void set_visible(const std::string& control, bool visible) override {
    ControlSpec& c = get(control);
    if (c.visible == visible) return;
    c.visible = visible;
    HeadlessFormState& f = state();
    if (!visible) {
      log(LogEvent::control_action(name_, c.name, "hidden"));
      return;
    }
    // What comes into view: the control and whatever it holds.
    for (const ControlSpec& k : f.spec.controls)
      if (f.shown(k) && (&k == &c || inside(f, k, c.name)) && (has_text(k) || &k == &c))
        log(LogEvent::form_control(name_, describe(k), "shows"));
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
      log(LogEvent::list_row(name_, control, static_cast<int>(i), rows[i]));
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
    throw DataError("", 0, "", "form " + name_ + " used after it was closed");
  }
  ControlSpec& get(const std::string& control) {
    ControlSpec* c = state().find(control);
    if (!c) throw DataError("", 0, "", "form " + name_ + " has no control " + control);
    return *c;
  }
  void log(const LogEvent& e) { h_.log_.record(e); }

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
    h_.log_.record(LogEvent::form_opened(spec.name, spec.caption, spec.topmost));
    for (const ControlSpec& c : f.spec.controls)
      if (f.shown(c) && has_text(c) && !c.caption.empty())
        h_.log_.record(LogEvent::form_control(spec.name, describe(c)));
    return std::make_unique<HeadlessForm>(h_, f);
  }
  void set_main_enabled(bool enabled) override {
    if (enabled == h_.main_enabled_) return;
    h_.main_enabled_ = enabled;
    h_.log_.record(LogEvent::main_window(enabled));
  }

 private:
  Headless& h_;
};

std::unique_ptr<Forms> make_headless_forms(Headless& h) {
  return std::make_unique<HeadlessForms>(h);
}

const HeadlessFormState* Headless::form(const std::string& name) const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
    if ((*it)->spec.name == name) return it->get();
  return nullptr;
}

void Headless::send_control(HeadlessFormState& f, const ControlSpec& c) {
  const bool valued = c.kind != ControlSpec::Button && c.kind != ControlSpec::Label &&
                      c.kind != ControlSpec::Picture && c.kind != ControlSpec::Link;
  log_.record(LogEvent::control_acted_on(f.spec.name, c.name,
                                         valued ? std::optional<int>(c.value) : std::nullopt));
  InputEvent ev;
  ev.kind = InputEvent::Control;
  ev.form = f.id;
  ev.name = c.name;
  ev.value = c.value;
  if (f.sink) f.sink->on_event(ev);
}

void Headless::send_focus(HeadlessFormState& f, const ControlSpec& c) {
  InputEvent ev;
  ev.kind = InputEvent::Focus;
  ev.form = f.id;
  ev.name = c.name;
  if (f.sink) f.sink->on_event(ev);
}

void Headless::act_on_form(uint32_t at_ms, const std::string& what,
                           std::function<void(HeadlessFormState&)> fn) {
  at(at_ms, [this, what, fn = std::move(fn)] {
    if (forms_.empty()) {
      log_.record(LogEvent::ignored(what, "no window open"));
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
  act_on_form(at_ms, "press " + log_quoted(caption), [this, caption](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) {
      return (k.kind == ControlSpec::Button || k.kind == ControlSpec::Link) && k.caption == caption;
    });
    if (!c)
      return log_.record(
          LogEvent::ignored("press " + log_quoted(caption), "no such enabled button"));
    send_control(f, *c);
  });
}

void Headless::click_control(uint32_t at_ms, const std::string& name) {
  act_on_form(at_ms, "click " + name, [this, name](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) { return k.name == name; });
    if (!c) return log_.record(LogEvent::ignored("click " + name, "no such enabled control"));
    if (c->kind == ControlSpec::Check) HeadlessForm::set_control_value(f, *c, !c->value);
    if (c->kind == ControlSpec::Option) HeadlessForm::set_control_value(f, *c, 1);
    if (c->kind == ControlSpec::Scroll) f.focused = c->name;  // as a click gives it the keys
    send_control(f, *c);
  });
}

void Headless::focus(uint32_t at_ms, const std::string& name) {
  act_on_form(at_ms, "focus " + name, [this, name](HeadlessFormState& f) {
    const ControlSpec* c = reachable(f, [&](const ControlSpec& k) { return k.name == name; });
    if (!c) return log_.record(LogEvent::ignored("focus " + name, "no such enabled control"));
    f.focused = c->name;  // the keys and the scroll wheel now act on it
    send_focus(f, *c);
  });
}

void Headless::choose(uint32_t at_ms, const std::string& caption) {
  act_on_form(at_ms, "choose " + log_quoted(caption), [this, caption](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) {
      return k.kind == ControlSpec::Option && k.caption == caption;
    });
    if (!c)
      return log_.record(LogEvent::ignored("choose " + log_quoted(caption), "no such option"));
    if (c->value) return;  // already chosen: the toolkit sends nothing
    HeadlessForm::set_control_value(f, *c, 1);
    send_control(f, *c);
  });
}

void Headless::check(uint32_t at_ms, const std::string& caption, bool on) {
  act_on_form(at_ms, "check " + log_quoted(caption), [this, caption, on](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [&](const ControlSpec& k) {
      return k.kind == ControlSpec::Check && k.caption == caption;
    });
    if (!c)
      return log_.record(LogEvent::ignored("check " + log_quoted(caption), "no such check box"));
    if ((c->value != 0) == on) return;
    HeadlessForm::set_control_value(f, *c, on);
    send_control(f, *c);
  });
}

void Headless::scroll(uint32_t at_ms, int value) {
  act_on_form(at_ms, "scroll", [this, value](HeadlessFormState& f) {
    // The focused scroll bar; with nothing focused, the window's first one.
    ControlSpec* c = reachable(f, [&f](const ControlSpec& k) {
      return k.kind == ControlSpec::Scroll && (f.focused.empty() || k.name == f.focused);
    });
    if (!c && !f.focused.empty())
      return log_.record(
          LogEvent::ignored("scroll", "the focus is on " + f.focused + ", not a scroll bar"));
    if (!c) return log_.record(LogEvent::ignored("scroll", "no scroll bar"));
    const int before = c->value;
    HeadlessForm::set_control_value(f, *c, value);
    if (c->value != before) send_control(f, *c);
  });
}

void Headless::row(uint32_t at_ms, int n) {
  act_on_form(at_ms, "row", [this, n](HeadlessFormState& f) {
    ControlSpec* c = reachable(f, [](const ControlSpec& k) { return k.kind == ControlSpec::List; });
    if (!c || n < 0 || n >= static_cast<int>(f.rows[c->name].size()))
      return log_.record(LogEvent::ignored("row " + std::to_string(n), "no such row"));
    c->value = n;
    send_control(f, *c);
  });
}

namespace {

bool takes_focus(const HeadlessFormState& f, const ControlSpec& c) {
  if (!f.spec.tab_order.empty())
    return std::find(f.spec.tab_order.begin(), f.spec.tab_order.end(), c.name) !=
           f.spec.tab_order.end();
  return c.kind == ControlSpec::Button || c.kind == ControlSpec::Option ||
         c.kind == ControlSpec::Check || c.kind == ControlSpec::Scroll ||
         c.kind == ControlSpec::List || c.kind == ControlSpec::Link;
}

// The controls Tab reaches now, in order.
std::vector<ControlSpec*> tab_stops(HeadlessFormState& f) {
  std::vector<ControlSpec*> stops;
  auto add = [&](ControlSpec* c) {
    if (c && f.shown(*c) && c->enabled && takes_focus(f, *c)) stops.push_back(c);
  };
  if (f.spec.tab_order.empty()) {
    for (ControlSpec& c : f.spec.controls) add(&c);
  } else {
    for (const std::string& name : f.spec.tab_order) add(f.find(name));
  }
  return stops;
}

}  // namespace

void Headless::form_key(uint32_t at_ms, int key) {
  act_on_form(at_ms, "form key", [this, key](HeadlessFormState& f) {
    if (key == kKeyEscape) {
      log_.record(LogEvent::form_action(f.spec.name, "close box"));
      InputEvent ev;
      ev.kind = InputEvent::FormClose;
      ev.form = f.id;
      if (f.sink) f.sink->on_event(ev);
      return;
    }
    std::vector<ControlSpec*> stops = tab_stops(f);
    auto at = std::find_if(stops.begin(), stops.end(),
                           [&](const ControlSpec* c) { return c->name == f.focused; });
    if (key == kKeyTab) {
      if (stops.empty()) return;
      const ControlSpec* to =
          (at == stops.end() || at + 1 == stops.end()) ? stops.front() : *(at + 1);
      f.focused = to->name;
      log_.record(LogEvent::control_action(f.spec.name, to->name, "focus"));
      return send_focus(f, *to);
    }
    if (key != kKeyReturn && key != kKeySpace) return;
    ControlSpec* c = at == stops.end() ? nullptr : *at;
    const bool acts = c && (c->kind == ControlSpec::Button || c->kind == ControlSpec::Label ||
                            c->kind == ControlSpec::Link);
    if (acts) return send_control(f, *c);
    if (c && key == kKeySpace && c->kind == ControlSpec::Check) {
      HeadlessForm::set_control_value(f, *c, !c->value);
      return send_control(f, *c);
    }
    if (c && key == kKeySpace && c->kind == ControlSpec::Option && !c->value) {
      HeadlessForm::set_control_value(f, *c, 1);
      return send_control(f, *c);
    }
    ControlSpec* ok = f.spec.enter_button.empty() ? nullptr : f.find(f.spec.enter_button);
    if (key == kKeyReturn && ok && f.shown(*ok) && ok->enabled) send_control(f, *ok);
  });
}

void Headless::close_box(uint32_t at_ms) {
  act_on_form(at_ms, "close box", [this](HeadlessFormState& f) {
    log_.record(LogEvent::form_action(f.spec.name, "close box"));
    InputEvent ev;
    ev.kind = InputEvent::FormClose;
    ev.form = f.id;
    if (f.sink) f.sink->on_event(ev);
  });
}

}  // namespace vm
