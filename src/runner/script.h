// The input language of velmora-play: one action a line, times given by the
// waits between them. velmora-play reads it; the story map writes it for
// every path, and the verifier reads back how long an input runs.
#pragma once

#include <string>

namespace vm::runner {

struct Step {
  enum Verb {
    Wait,      // ms
    Click,     // x y, left button
    RClick,    // x y, right button
    Move,      // x y
    Key,       // key (a KeyCode), name as written
    KeyUp,     // key, name
    Wheel,     // x y, n -1 up or +1 down
    Menu,      // text: the item's code name
    Answer,    // text: ok, yes, no or the text typed
    Shot,      // text: the picture's file name
    Slot,      // n: the slot window's row 0..4
    Press,     // text: a button's caption
    Control,   // text: a control's code name
    Choose,    // text: an option button's caption
    Check,     // text: a check box's caption, on
    Scroll,    // n
    Row,       // n
    CloseBox,  // the secondary window's close box
    Focus,     // text: a control's code name, given the keyboard focus
    Jump,      // n: the NUM a dev run starts the story at
    Set,       // text: NAME=VALUE, a counter a dev run sets
    FormKey,   // key, name: a key pressed in the open secondary window
    Pad,       // text: a gamepad button pressed ("a", "start", "rb"...)
    PadUp,     // text: a gamepad button released
    History,   // n: the history window opened, the message n back double-clicked
    Paint,     // frames are painted from here on; before the first, only presented
  };
  Verb verb = Wait;
  long ms = 0;
  int x = 0, y = 0, n = 0, key = 0;
  bool on = false;
  std::string text;  // Menu, Answer, Shot, Press, Control, Choose, Check, Set;
                     // Key, KeyUp, Pad, PadUp: the name
};

enum class Parsed { Step, Blank, Bad };

// One input line (a trailing '\r' allowed); a blank line or a comment is
// Blank, a line that is neither an action nor blank is Bad.
Parsed parse_line(std::string line, Step& out);

// The line that parses back to the step (no newline).
std::string line_of(const Step& s);

// Small constructors for the steps written most.
Step wait_step(long ms);
Step click_step(int x, int y);

// The key code of a key name ("Return", "space", "A"...), -1 for none.
int key_code(const std::string& name);

// The total virtual time of an input: when the runner closes the window.
long input_length(const std::string& input);

// What the runner understands, for its usage text.
extern const char* const kGrammar;

}  // namespace vm::runner
