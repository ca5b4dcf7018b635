#include "about/about.h"

namespace vm {

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 292;
// The box's own paper colour, so that the title drawn in Mincho sits on it.
constexpr uint32_t kPaper = rgb(250, 248, 244);
constexpr uint32_t kPlum = rgb(64, 0, 64);

ControlSpec shape(const std::string& name, int x, int y, int w, int h, uint32_t colour) {
  ControlSpec c = ControlSpec::at(ControlSpec::Panel, name, x, y, w, h);
  c.back = colour;
  return c;
}

// The game's name as the box shows it: in the Mincho face, drawn by the
// game's own text service.
Image title_picture(Text& text, int w, int h, const std::string& name) {
  Image img(w, h, kPaper);
  text.draw_text(img, 0, 0, name, kPlum, Font{"ＭＳ 明朝", 24, true});
  return img;
}

// An address written as it is typed to a mail program becomes a mail link.
std::string mail_link(const std::string& v) {
  return v.find(':') == std::string::npos && v.find('@') != std::string::npos ? "mailto:" + v : v;
}

FormSpec about_form(Text& text, const std::string& game_name) {
  FormSpec f;
  f.name = "frmAbout";
  f.caption = kAboutCaption;
  f.width = kWidth;
  f.height = kHeight;
  auto& c = f.controls;
  c.push_back(shape("Paper", 0, 0, kWidth, kHeight, kPaper));
  c.push_back(shape("Shape1", 0, 0, kWidth, 8, kPlum));
  c.push_back(shape("Shape2", 20, 62, kWidth - 40, 2, rgb(192, 160, 192)));
  c.push_back(shape("Shape3", 20, 240, kWidth - 40, 1, rgb(192, 160, 192)));
  ControlSpec name = ControlSpec::at(ControlSpec::Picture, "Label5", 20, 18, 200, 38);
  name.picture = title_picture(text, name.w, name.h, game_name);
  c.push_back(name);
  c.push_back(ControlSpec::at(ControlSpec::Label, "Label6", 250, 32, 150, 20));
  c.push_back(ControlSpec::at(ControlSpec::Label, "Label1", 20, 72, kWidth - 40, 40));
  c.push_back(ControlSpec::at(ControlSpec::Label, "Label2", 20, 118, kWidth - 40, 60));
  c.push_back(ControlSpec::at(ControlSpec::Link, "Label3", 20, 184, kWidth - 40, 24));
  c.push_back(ControlSpec::at(ControlSpec::Link, "Label4", 20, 210, kWidth - 40, 24));
  ControlSpec ok = ControlSpec::at(ControlSpec::Button, "cmdOK", kWidth - 110, 252, 90, 30);
  ok.caption = "OK";
  c.push_back(ok);
  f.enter_button = "cmdOK";
  return f;
}

}  // namespace

std::string about_requirements() {
  return "PentiumMMX200MHz以上のCPUと800×600dot×24bit色\r\n"
         "以上(TrueColor)のｸﾞﾗﾌｨｯｸ表示が可能な環境が必要です。";
}

std::string about_notice() {
  return "Copyright (C) 2026 Minato-ya. このゲームの著作権は\r\n"
         "Minato-yaが保有しています。\r\n"
         "ご意見ご要望等ありましたら、ﾒｰﾙでお知らせください。";
}

// The box's labels break lines with CR LF; an author writes \n.
std::string label_lines(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\n' && (i == 0 || v[i - 1] != '\r')) out += '\r';
    out += v[i];
  }
  return out;
}

AboutTexts about_texts(const GameWords* words) {
  const GameWords none;
  const GameWords& w = words ? *words : none;
  return {w.title.value_or(kGameName), w.version.value_or(kGameVersion),
          w.notice ? label_lines(*w.notice) : about_notice(),
          mail_link(w.mail.value_or(kMakerMail)), w.home.value_or(kMakerHome)};
}

void AboutEvents::on_event(const InputEvent& ev) {
  if (ev.kind == InputEvent::FormClose) {
    close_about(about_);
    return;
  }
  if (ev.kind != InputEvent::Control) return;
  if (ev.name == "cmdOK") {
    close_about(about_);
  } else if (ev.name == "Label3") {
    // The link's own text is the target; what the desktop does with it is
    // its affair (nothing, when no program takes it).
    shell_.open_with_shell(about_texts(about_.words.get()).mail);
  } else if (ev.name == "Label4") {
    shell_.open_with_shell(about_texts(about_.words.get()).home);
  }
}

void open_about(AboutState& a, Forms& forms, Text& text, Shell& shell) {
  if (a.frmAbout) {  // already open, perhaps behind the game: bring it forward
    a.frmAbout->raise();
    return;
  }
  if (!a.events) a.events = std::make_unique<AboutEvents>(a, shell);
  const AboutTexts t = about_texts(a.words.get());
  a.frmAbout = forms.open(about_form(text, t.name));
  a.frmAbout->set_sink(a.events.get());
  Form& f = *a.frmAbout;
  f.set_text("Label6", t.version);
  f.set_text("Label1", about_requirements());
  f.set_text("Label2", t.notice);
  f.set_text("Label3", t.mail);
  f.set_text("Label4", t.home);
}

void close_about(AboutState& a) {
  a.frmAbout.reset();
}

}  // namespace vm
