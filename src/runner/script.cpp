#include "runner/script.h"

#include <cctype>
#include <sstream>
#include <utility>

#include "platform/common/pad_map.h"
#include "platform/dialogs.h"
#include "platform/input.h"

namespace vm::runner {

namespace {

struct VerbName {
  Step::Verb verb;
  const char* name;
};

constexpr VerbName kVerbs[] = {
    {Step::Wait, "wait"},       {Step::Click, "click"},   {Step::RClick, "rclick"},
    {Step::Move, "move"},       {Step::Key, "key"},       {Step::KeyUp, "keyup"},
    {Step::Wheel, "wheel"},     {Step::Menu, "menu"},     {Step::Answer, "answer"},
    {Step::Shot, "shot"},       {Step::Slot, "slot"},     {Step::Press, "press"},
    {Step::Control, "control"}, {Step::Choose, "choose"}, {Step::Check, "check"},
    {Step::Scroll, "scroll"},   {Step::Row, "row"},       {Step::CloseBox, "closebox"},
    {Step::Jump, "jump"},       {Step::Set, "set"},       {Step::Focus, "focus"},
    {Step::FormKey, "formkey"}, {Step::Pad, "pad"},       {Step::PadUp, "padup"},
    {Step::History, "history"}, {Step::Paint, "paint"},
};

const char* verb_name(Step::Verb v) {
  for (const VerbName& k : kVerbs)
    if (k.verb == v) return k.name;
  return "";
}

// The arguments after the verb, by the verb's own shape.
bool parse_args(Step& s, const std::string& rest) {
  std::istringstream args(rest);
  switch (s.verb) {
    case Step::Wait:
      return static_cast<bool>(args >> s.ms) && s.ms >= 0;
    case Step::Click:
    case Step::RClick:
    case Step::Move:
      return static_cast<bool>(args >> s.x >> s.y);
    case Step::Key:
    case Step::KeyUp:
    case Step::FormKey:
      s.text = rest;
      s.key = key_code(rest);
      return s.key >= 0;
    case Step::Wheel: {
      std::string way;
      if (!(args >> s.x >> s.y >> way) || (way != "up" && way != "down")) return false;
      s.n = way == "up" ? -1 : 1;
      return true;
    }
    case Step::Slot:
      return args >> s.n && s.n >= 0 && s.n <= 4;
    case Step::Scroll:
    case Step::Row:
      return static_cast<bool>(args >> s.n);
    case Step::Jump:
      return args >> s.n && s.n >= 0 && s.n <= 9999;
    case Step::History:
      return args >> s.n && s.n >= 1;
    case Step::Pad:
    case Step::PadUp:
      s.text = rest;
      return pad_button_named(rest).has_value();
    case Step::Set:
      s.text = rest;
      return rest.find('=') != std::string::npos && rest.find(' ') == std::string::npos;
    case Step::Check: {
      const size_t sp = rest.rfind(' ');
      if (sp == std::string::npos) return false;
      const std::string state = rest.substr(sp + 1);
      s.text = rest.substr(0, sp);
      s.on = state == "on";
      return state == "on" || state == "off";
    }
    case Step::Answer:
      s.text = rest;
      return true;
    case Step::CloseBox:
    case Step::Paint:
      return rest.empty();
    default:  // Menu, Shot, Press, Control, Choose, Focus: a text that is not empty
      s.text = rest;
      return !rest.empty();
  }
}

}  // namespace

const char* const kGrammar =
    "INPUT lines: wait MS | click X Y | rclick X Y | move X Y | key NAME |\n"
    "             keyup NAME | wheel X Y up|down | menu NAME |\n"
    "             answer ok|yes|no|TEXT | shot FILE |\n"
    "             slot N | press CAPTION | control NAME | choose CAPTION |\n"
    "             check CAPTION on|off | scroll N | row N | closebox |\n"
    "             focus NAME | formkey NAME (Tab, Return, space, Escape in the open window) |\n"
    "             pad|padup a|b|x|y|back|start|lb|rb|up|down|left|right |\n"
    "             history N (the history window, the message N back double-clicked) |\n"
    "             paint (frames painted from here on; an input with it paints none before)\n"
    "  with --dev: jump NUM | set kou|pap|rub|hap=VALUE\n";

int key_code(const std::string& name) {
  static const std::pair<const char*, int> names[] = {
      {"Return", kKeyReturn},  {"Enter", kKeyReturn},  {"space", kKeySpace},
      {"Space", kKeySpace},    {"Escape", kKeyEscape}, {"Tab", kKeyTab},
      {"BackSpace", kKeyBack}, {"Left", kKeyLeft},     {"Up", kKeyUp},
      {"Right", kKeyRight},    {"Down", kKeyDown},     {"Control", kKeyControl},
      {"Ctrl", kKeyControl},   {"F11", kKeyF11},       {"F5", kKeyF5},
      {"F9", kKeyF9},          {"Prior", kKeyPrior},   {"Next", kKeyNext}};
  for (auto& [n, c] : names)
    if (name == n) return c;
  if (name.size() == 1) return std::toupper(static_cast<unsigned char>(name[0]));
  return -1;
}

Parsed parse_line(std::string line, Step& out) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::istringstream ls(line);
  std::string verb;
  if (!(ls >> verb) || verb[0] == '#') return Parsed::Blank;
  std::string rest;
  std::getline(ls >> std::ws, rest);
  for (const VerbName& k : kVerbs) {
    if (verb != k.name) continue;
    out = Step{};
    out.verb = k.verb;
    return parse_args(out, rest) ? Parsed::Step : Parsed::Bad;
  }
  return Parsed::Bad;
}

std::string line_of(const Step& s) {
  std::string verb = verb_name(s.verb);
  switch (s.verb) {
    case Step::Wait:
      return verb + " " + std::to_string(s.ms);
    case Step::Click:
    case Step::RClick:
    case Step::Move:
      return verb + " " + std::to_string(s.x) + " " + std::to_string(s.y);
    case Step::Wheel:
      return verb + " " + std::to_string(s.x) + " " + std::to_string(s.y) +
             (s.n < 0 ? " up" : " down");
    case Step::Slot:
    case Step::Scroll:
    case Step::Row:
    case Step::Jump:
    case Step::History:
      return verb + " " + std::to_string(s.n);
    case Step::Check:
      return verb + " " + s.text + (s.on ? " on" : " off");
    case Step::CloseBox:
    case Step::Paint:
      return verb;
    default:
      return verb + " " + s.text;
  }
}

Step wait_step(long ms) {
  Step s;
  s.verb = Step::Wait;
  s.ms = ms;
  return s;
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
Step click_step(int x, int y) {
  Step s;
  s.verb = Step::Click;
  s.x = x;
  s.y = y;
  return s;
}

long input_length(const std::string& input) {
  std::istringstream in(input);
  std::string line;
  long total = 0;
  Step s;
  while (std::getline(in, line))
    if (parse_line(line, s) == Parsed::Step && s.verb == Step::Wait) total += s.ms;
  return total;
}

}  // namespace vm::runner
