// Option_Window: message pacing, skip, music and effects switches, the mesh
// switch and the message window's density.
#include <cmath>
#include <string>

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
  f.enter_button = "Command1";
  for (ControlSpec& c : f.controls)
    if (c.kind == ControlSpec::Scroll) {
      c.min = 0;
      c.max = 100;
    }
  return f;
}

class OptionWindowEvents : public EventSink {
 public:
  OptionWindowEvents(OptionState& o, const Audio& a, std::function<void(int16_t)> set_text_mode)
      : o_(o), a_(a), set_text_mode_(std::move(set_text_mode)) {}
  void on_event(const InputEvent& ev) override {
    Form* f = o_.Option_Window.get();
    if (!f) return;
    if (ev.kind == InputEvent::FormClose) return close();  // as "Cancel"
    if (ev.kind != InputEvent::Control) return;
    if (ev.name == "HScroll1") {
      f->set_text("Label4", std::to_string(f->value("HScroll1")));
    } else if (ev.name == "Command1") {
      apply(*f);
      close();
    } else if (ev.name == "Command2") {
      close();
    }
  }

 private:
  void close() {
    // The window goes after its event has been handled: the sink lives on.
    o_.Option_Window.reset();
    a_.forms.set_main_enabled(true);
  }

  void apply(Form& f) {
    a_.state.Music_On = -1;
    a_.state.Sound_On = -1;
    o_.Mesh_On = -1;
    for (int i = 0; i < 4; ++i)
      if (f.value(kModeOptions[i])) set_text_mode_(static_cast<int16_t>(i));
    if (!f.value("Check1")) {
      a_.state.Music_On = 0;
      stop_music(a_);
    }
    if (!f.value("Check2")) a_.state.Sound_On = 0;
    if (!f.value("Check3")) o_.Mesh_On = 0;
    // The panel takes the new density the next time it is recomposed.
    o_.Window_Density = static_cast<float>(f.value("HScroll1")) / 100.0f;
  }

  OptionState& o_;
  Audio a_;
  std::function<void(int16_t)> set_text_mode_;
};

}  // namespace

void open_option_window(OptionState& o, const Audio& a, int16_t text_mode,
                        std::function<void(int16_t)> set_text_mode) {
  if (o.Option_Window) return;
  // A fresh sink each time: it holds the game's handler for the mode chosen.
  o.option_events = std::make_unique<OptionWindowEvents>(o, a, std::move(set_text_mode));
  a.forms.set_main_enabled(false);
  FormSpec spec = option_window_spec();
  const int density = static_cast<int>(std::lround(o.Window_Density * 100.0f));
  for (ControlSpec& c : spec.controls) {
    if (c.name == "HScroll1") c.value = density;
    if (c.name == "Label4") c.caption = std::to_string(density);
    if (c.name == "Check1") c.value = a.state.Music_On != 0;
    if (c.name == "Check2") c.value = a.state.Sound_On != 0;
    if (c.name == "Check3") c.value = o.Mesh_On != 0;
    for (int i = 0; i < 4; ++i)
      if (c.name == kModeOptions[i]) c.value = text_mode == i;
  }
  o.Option_Window = a.forms.open(spec);
  o.Option_Window->set_sink(o.option_events.get());
}

}  // namespace vm
