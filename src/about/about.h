// The About box frmAbout: the game's name and version, what it needs, the
// maker's notice and two links. Not modal: the game goes on meanwhile.
#pragma once

#include <memory>
#include <string>

#include "assets/game_words.h"
#include "platform/forms.h"
#include "platform/input.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace vm {

struct AboutState;

inline constexpr const char* kAboutCaption = "ﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* kGameName = "Velmora";
inline constexpr const char* kGameVersion = "Ver. 1.10";
inline constexpr const char* kMakerMail = "mailto:staff@velmora.example.org";
inline constexpr const char* kMakerHome = "https://velmora.example.org/";

// The texts of the labels, lines separated by CR LF.
std::string about_requirements();  // Label1
std::string about_notice();        // Label2

class AboutEvents : public EventSink {
 public:
  AboutEvents(AboutState& about, Shell& shell) : about_(about), shell_(shell) {}
  void on_event(const InputEvent& ev) override;

 private:
  AboutState& about_;
  Shell& shell_;
};

struct AboutState {
  std::unique_ptr<Form> frmAbout;  // empty while the box is not loaded
  std::unique_ptr<AboutEvents> events;
  // The game's own name, version, notice and links (game.ini); none for a
  // folder that names no words of its own.
  std::shared_ptr<const GameWords> words;
};

// What the box shows for the game's words (the engine's own where they say
// nothing): the name, the version line, the notice and the two links.
struct AboutTexts {
  std::string name, version, notice, mail, home;
};
AboutTexts about_texts(const GameWords* words);

// The version menu item: builds the box afresh and shows it (an open box
// stays as it is).
void open_about(AboutState& a, Forms& forms, Text& text, Shell& shell);
void close_about(AboutState& a);

}  // namespace vm
