// Option_Window: message pacing, skip, music and effects switches, the mesh
// switch and the message window's density.
#include <cmath>
#include <string>

#include "game/game.h"
#include "script/input.h"
#include "sound/sound.h"

namespace vm {

namespace {

const char* const kModeOptions[4] = {"Option1", "Option2", "Option3", "Option4"};

FormSpec option_window_spec() {
  FormSpec f;
  f.name = "Option_Window";
  f.caption = "オプション設定";
  f.width = 320;
  f.height = 250;
  f.topmost = true;
  auto add = [&](ControlSpec::Kind kind, const char* name, const char* caption, int x, int y, int w,
                 int h, const char* parent = "") {
    ControlSpec c = ControlSpec::at(kind, name, x, y, w, h, caption, parent);
    if (kind == ControlSpec::Option) c.group = "Frame1";
    f.controls.push_back(c);
  };
  add(ControlSpec::Frame, "Frame1", "メッセージ表示", 10, 8, 170, 134);
  const char* modes[4] = {"選択までｽｷｯﾌﾟ", "ｽｸﾛｰﾙなし", "1行ずつ表示", "1文字ずつ表示"};
  for (int i = 0; i < 4; ++i)
    add(ControlSpec::Option, kModeOptions[i], modes[i], 8, 4 + 27 * i, 154, 24, "Frame1");
  add(ControlSpec::Check, "Check1", "ＢＧＭ", 196, 22, 116, 24);
  add(ControlSpec::Check, "Check2", "効果音", 196, 52, 116, 24);
  add(ControlSpec::Check, "Check3", "ﾒｯｼｭで表示", 196, 82, 116, 24);
  add(ControlSpec::Label, "Label3", "ｳｨﾝﾄﾞｳの濃さ", 12, 152, 150, 20);
  add(ControlSpec::Label, "Label4", "80", 250, 152, 50, 20);
  add(ControlSpec::Label, "Label1", "Low", 12, 178, 36, 20);
  add(ControlSpec::Scroll, "HScroll1", "", 50, 180, 200, 16);
  add(ControlSpec::Label, "Label2", "High", 258, 178, 50, 20);
  add(ControlSpec::Button, "Command1", "OK", 120, 210, 90, 30);
  add(ControlSpec::Button, "Command2", "Cancel", 220, 210, 90, 30);
  for (ControlSpec& c : f.controls)
    if (c.kind == ControlSpec::Scroll) {
      c.min = 0;
      c.max = 100;
    }
  return f;
}

void close_option_window(Game& g) {
  // The window goes after its event has been handled: the sink lives on.
  g.options.Option_Window.reset();
  g.pf.forms.set_main_enabled(true);
}

void apply_options(Game& g) {
  Form& f = *g.options.Option_Window;
  g.sound.Music_On = -1;
  g.sound.Sound_On = -1;
  g.options.Mesh_On = -1;
  for (int i = 0; i < 4; ++i)
    if (f.value(kModeOptions[i])) {
      set_text_mode(g, static_cast<int16_t>(i));  // the skip item's caption follows
      if (i == 0) g.input.Click_Wait = 0;         // skipping starts at once
    }
  if (!f.value("Check1")) {
    g.sound.Music_On = 0;
    stop_music(g);
  }
  if (!f.value("Check2")) g.sound.Sound_On = 0;
  if (!f.value("Check3")) g.options.Mesh_On = 0;
  // The panel takes the new density the next time it is recomposed.
  g.options.Window_Density = static_cast<float>(f.value("HScroll1")) / 100.0f;
}

class OptionWindowEvents : public EventSink {
 public:
  explicit OptionWindowEvents(Game& g) : g_(g) {}
  void on_event(const InputEvent& ev) override {
    Form* f = g_.options.Option_Window.get();
    if (!f) return;
    if (ev.kind == InputEvent::FormClose) return close_option_window(g_);  // as "Cancel"
    if (ev.kind != InputEvent::Control) return;
    if (ev.name == "HScroll1") {
      f->set_text("Label4", std::to_string(f->value("HScroll1")));
    } else if (ev.name == "Command1") {
      apply_options(g_);
      close_option_window(g_);
    } else if (ev.name == "Command2") {
      close_option_window(g_);
    }
  }

 private:
  Game& g_;
};

}  // namespace

void open_option_window(Game& g) {
  OptionState& o = g.options;
  if (o.Option_Window) return;
  if (!o.option_events) o.option_events = std::make_unique<OptionWindowEvents>(g);
  g.pf.forms.set_main_enabled(false);
  FormSpec spec = option_window_spec();
  const int density = static_cast<int>(std::lround(o.Window_Density * 100.0f));
  for (ControlSpec& c : spec.controls) {
    if (c.name == "HScroll1") c.value = density;
    if (c.name == "Label4") c.caption = std::to_string(density);
    if (c.name == "Check1") c.value = g.sound.Music_On != 0;
    if (c.name == "Check2") c.value = g.sound.Sound_On != 0;
    if (c.name == "Check3") c.value = o.Mesh_On != 0;
    for (int i = 0; i < 4; ++i)
      if (c.name == kModeOptions[i]) c.value = g.input.Text_Mode == i;
  }
  o.Option_Window = g.pf.forms.open(spec);
  o.Option_Window->set_sink(o.option_events.get());
}

}  // namespace vm
