#include "app/preferences.h"

#include <algorithm>
#include <string>

#include "app/display.h"

namespace vm {

namespace {

// The auto-forward pause is set in tenths of a second, 0.5 to 5 seconds.
constexpr int kAutoStepMs = 100;
constexpr int kAutoMin = 5, kAutoMax = 50;

const char* const kSpeedOptions[4] = {"SpeedSlow", "SpeedNormal", "SpeedFast", "SpeedInstant"};
const char* const kScaleOptions[3] = {"Scale1", "Scale2", "Scale3"};

std::string percent_text(int v) {
  return std::to_string(v) + " %";
}

std::string seconds_text(int tenths) {
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " 秒";
}

int auto_tenths(const PlayerSettings& s) {
  return std::clamp((s.auto_delay_ms + kAutoStepMs / 2) / kAutoStepMs, kAutoMin, kAutoMax);
}

// The magnification shown: the one in force, as the screen holds it.
int shown_scale(const PlayerSettings& s, int fits) {
  return std::clamp(s.scale, 1, fits);
}

void add_sound_frame(FormSpec& f) {
  auto add = [&](ControlSpec c) { f.controls.push_back(std::move(c)); };
  add(ControlSpec::at(ControlSpec::Frame, "FrameSound", 10, 8, 340, 78, "音量"));
  const char* names[2][3] = {{"LabelMusic", "MusicVolume", "MusicPercent"},
                             {"LabelEffects", "EffectsVolume", "EffectsPercent"}};
  const char* captions[2] = {"音楽の音量", "効果音の音量"};
  for (int i = 0; i < 2; ++i) {
    const int y = 6 + 28 * i;
    add(ControlSpec::at(ControlSpec::Label, names[i][0], 10, y, 100, 20, captions[i],
                        "FrameSound"));
    ControlSpec bar =
        ControlSpec::at(ControlSpec::Scroll, names[i][1], 112, y + 2, 160, 16, "", "FrameSound");
    bar.min = 0;
    bar.max = 100;
    add(bar);
    add(ControlSpec::at(ControlSpec::Label, names[i][2], 282, y, 50, 20, "", "FrameSound"));
  }
}

// A row of option buttons, one group, in a frame: the first at x, each
// next one step further right, all w wide.
struct OptionRow {
  const char* const* names;  // as many as captions
  std::vector<const char*> captions;
  const char* group;
  const char* frame;
};
void add_options(FormSpec& f, const OptionRow& row, int x, int step, int w) {
  for (size_t i = 0; i < row.captions.size(); ++i) {
    ControlSpec o =
        ControlSpec::at(ControlSpec::Option, row.names[i], x + step * static_cast<int>(i), 4, w, 24,
                        row.captions[i], row.frame);
    o.group = row.group;
    f.controls.push_back(std::move(o));
  }
}

void add_text_frame(FormSpec& f) {
  auto add = [&](ControlSpec c) { f.controls.push_back(std::move(c)); };
  add(ControlSpec::at(ControlSpec::Frame, "FrameText", 10, 94, 340, 96, "文字"));
  add(ControlSpec::at(ControlSpec::Label, "LabelSpeed", 10, 6, 100, 20, "文字の速さ", "FrameText"));
  add_options(f, {kSpeedOptions, {"遅い", "普通", "速い", "瞬間"}, "Speed", "FrameText"}, 104, 57,
              56);
  add(ControlSpec::at(ControlSpec::Label, "LabelAuto", 10, 36, 100, 20, "オートの間隔",
                      "FrameText"));
  ControlSpec bar =
      ControlSpec::at(ControlSpec::Scroll, "AutoDelay", 112, 38, 160, 16, "", "FrameText");
  bar.min = kAutoMin;
  bar.max = kAutoMax;
  add(bar);
  add(ControlSpec::at(ControlSpec::Label, "AutoSeconds", 282, 36, 50, 20, "", "FrameText"));
  add(ControlSpec::at(ControlSpec::Check, "SkipUnread", 10, 64, 200, 24, "未読も飛ばす",
                      "FrameText"));
}

void add_view_frame(FormSpec& f) {
  auto add = [&](ControlSpec c) { f.controls.push_back(std::move(c)); };
  add(ControlSpec::at(ControlSpec::Frame, "FrameView", 10, 198, 340, 56, "画面"));
  add_options(f, {kScaleOptions, {"等倍", "2倍", "3倍"}, "Scale", "FrameView"}, 10, 64, 62);
  add(ControlSpec::at(ControlSpec::Check, "FullScreen", 212, 4, 120, 24, "全画面表示",
                      "FrameView"));
}

// For low vision: larger message text, an opaque message window.
void add_sight_frame(FormSpec& f) {
  auto add = [&](ControlSpec c) { f.controls.push_back(std::move(c)); };
  add(ControlSpec::at(ControlSpec::Frame, "FrameSight", 10, 262, 340, 56, "見やすさ"));
  add(ControlSpec::at(ControlSpec::Check, "LargeText", 10, 4, 120, 24, "大きな文字", "FrameSight"));
  add(ControlSpec::at(ControlSpec::Check, "HighContrast", 140, 4, 140, 24, "高コントラスト",
                      "FrameSight"));
}

FormSpec preferences_spec() {
  FormSpec f;
  f.name = "Preferences_Window";
  f.caption = "環境設定";
  f.width = 360;
  f.height = 366;
  add_sound_frame(f);
  add_text_frame(f);
  add_view_frame(f);
  add_sight_frame(f);
  f.controls.push_back(ControlSpec::at(ControlSpec::Button, "ButtonOk", 160, 326, 90, 30, "OK"));
  f.controls.push_back(
      ControlSpec::at(ControlSpec::Button, "ButtonCancel", 260, 326, 90, 30, "Cancel"));
  f.enter_button = "ButtonOk";
  return f;
}

// The window's controls set to the settings s, on a screen holding fits.
void show_settings(FormSpec& spec, const PlayerSettings& s, int fits) {
  for (ControlSpec& c : spec.controls) {
    if (c.name == "MusicVolume") c.value = s.music_volume;
    if (c.name == "MusicPercent") c.caption = percent_text(s.music_volume);
    if (c.name == "EffectsVolume") c.value = s.effects_volume;
    if (c.name == "EffectsPercent") c.caption = percent_text(s.effects_volume);
    if (c.name == "AutoDelay") c.value = auto_tenths(s);
    if (c.name == "AutoSeconds") c.caption = seconds_text(auto_tenths(s));
    if (c.name == "SkipUnread") c.value = s.skip_unread;
    if (c.name == "FullScreen") c.value = s.full_screen;
    if (c.name == "LargeText") c.value = s.large_text;
    if (c.name == "HighContrast") c.value = s.high_contrast;
    for (int i = 0; i < 4; ++i)
      if (c.name == kSpeedOptions[i]) c.value = static_cast<int>(s.text_speed) == i;
    for (int k = 1; k <= 3; ++k)
      if (c.name == kScaleOptions[k - 1]) {
        c.value = shown_scale(s, fits) == k;
        c.enabled = k <= fits;  // as the view menu offers them
      }
  }
}

class PreferencesEvents : public EventSink {
 public:
  PreferencesEvents(PreferencesState& p, Platform& pf, MainMenu& menu, int fits)
      : p_(p), pf_(pf), menu_(menu), fits_(fits) {}
  void on_event(const InputEvent& ev) override {
    Form* f = p_.window.get();
    if (!f) return;
    if (ev.kind == InputEvent::FormClose) return cancel();
    if (ev.kind != InputEvent::Control) return;
    if (ev.name == "MusicVolume" || ev.name == "EffectsVolume") {
      f->set_text("MusicPercent", percent_text(f->value("MusicVolume")));
      f->set_text("EffectsPercent", percent_text(f->value("EffectsVolume")));
      pf_.volume.set_player_levels(f->value("MusicVolume"), f->value("EffectsVolume"));
    } else if (ev.name == "AutoDelay") {
      f->set_text("AutoSeconds", seconds_text(f->value("AutoDelay")));
    } else if (ev.name == "ButtonOk") {
      apply(*f);
      close();
    } else if (ev.name == "ButtonCancel") {
      cancel();
    }
  }

 private:
  void cancel() {
    const PlayerSettings s = pf_.settings.settings();
    pf_.volume.set_player_levels(s.music_volume, s.effects_volume);
    close();
  }
  void close() {
    // The window goes after its event has been handled: the sink lives on.
    p_.window.reset();
  }
  void apply(const Form& f);

  PreferencesState& p_;
  Platform& pf_;
  MainMenu& menu_;
  int fits_;
};

void PreferencesEvents::apply(const Form& f) {
  PlayerSettings s = pf_.settings.settings();
  s.music_volume = f.value("MusicVolume");
  s.effects_volume = f.value("EffectsVolume");
  for (int i = 0; i < 4; ++i)
    if (f.value(kSpeedOptions[i])) s.text_speed = static_cast<TextSpeed>(i);
  // A pause or a size the window cannot show exactly (a pause written by
  // hand, a size kept for a larger screen) stays as it was unless moved.
  if (f.value("AutoDelay") != auto_tenths(s)) s.auto_delay_ms = f.value("AutoDelay") * kAutoStepMs;
  for (int k = 1; k <= 3; ++k)
    if (f.value(kScaleOptions[k - 1]) && k != shown_scale(s, fits_)) s.scale = k;
  s.skip_unread = f.value("SkipUnread") != 0;
  s.full_screen = f.value("FullScreen") != 0;
  s.large_text = f.value("LargeText") != 0;
  s.high_contrast = f.value("HighContrast") != 0;
  pf_.settings.save_settings(s);
  pf_.volume.set_player_levels(s.music_volume, s.effects_volume);
  apply_view_settings(pf_, menu_);
}

}  // namespace

void open_preferences(PreferencesState& p, Platform& pf, MainMenu& menu) {
  if (p.window) return p.window->raise();
  const int fits = std::max(1, pf.window.largest_window_scale());
  p.events = std::make_unique<PreferencesEvents>(p, pf, menu, fits);
  FormSpec spec = preferences_spec();
  show_settings(spec, pf.settings.settings(), fits);
  p.window = pf.forms.open(spec);
  p.window->set_sink(p.events.get());
}

}  // namespace vm
