// The main window: menus, view and caption noted, and the scripted input
// delivered in time order by do_events.
#include <algorithm>

#include "platform/headless/headless_services.h"

namespace vm {

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
    if (h_.menus_[name].caption != caption) h_.log_.record(LogEvent::menu_caption(name, caption));
    h_.menus_[name].caption = caption;
  }
  void set_menu_checked(const std::string& name, bool checked) override {
    if (h_.menus_[name].checked != checked) h_.log_.record(LogEvent::menu_check(name, checked));
    h_.menus_[name].checked = checked;
  }
  int largest_window_scale() override { return h_.screen_fits_scale; }
  void set_view(int scale, bool full_screen) override {
    if (scale != h_.view_scale_ || full_screen != h_.view_full_screen_)
      h_.log_.record(LogEvent::view(scale, full_screen));
    h_.view_scale_ = scale;
    h_.view_full_screen_ = full_screen;
  }
  void set_caption(const std::string& caption) override {
    h_.caption_ = caption;
    h_.log_.record(LogEvent::caption_set(caption));
  }
  void set_app_name(const std::string& name) override { h_.app_name_ = name; }
  void set_busy_cursor(bool) override {}
  void show() override {}
  bool pixels_seen() override { return h_.now_ >= h_.paint_from; }
  void present(Image& frame) override {
    h_.last_frame_painted_ = pixels_seen();
    std::swap(h_.last_frame_, frame);
    ++h_.present_count_;
    if (h_.on_present) h_.on_present(h_.last_frame_, h_.now_);
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

std::unique_ptr<Window> make_headless_window(Headless& h) {
  return std::make_unique<HeadlessWindow>(h);
}

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

void Headless::answer(uint32_t at_ms, const std::string& a, const std::string& origin) {
  answers_.push_back({at_ms, a, origin});
}

void Headless::history(uint32_t at_ms, int back) {
  at(at_ms, [this, back] { history_back = back; });
  menu(at_ms, "history");
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
    if (dropped(ev)) continue;
    if (ev.kind == InputEvent::Menu) log_.record(LogEvent::menu_chosen(ev.name));
    if (ev.kind == InputEvent::Hook) {
      if (ev.hook) ev.hook();
      continue;
    }
    if (sink_) sink_->on_event(ev);
  }
}

bool Headless::dropped(const InputEvent& ev) {
  const bool pressed = ev.kind == InputEvent::MouseDown || ev.kind == InputEvent::KeyDown ||
                       ev.kind == InputEvent::Menu;
  if (!main_enabled_ && pressed) {
    const std::string what = ev.kind == InputEvent::Menu      ? "menu " + ev.name
                             : ev.kind == InputEvent::KeyDown ? "key"
                                                              : "click";
    log_.record(LogEvent::ignored_by_main_window(what, "main window disabled"));
    return true;
  }
  if (!main_enabled_ && (ev.kind == InputEvent::MouseMove || ev.kind == InputEvent::Wheel))
    return true;
  if (ev.kind == InputEvent::Menu && !menu_enabled(ev.name)) {
    log_.record(LogEvent::ignored_by_main_window("menu " + ev.name, "disabled"));
    return true;
  }
  return false;
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
