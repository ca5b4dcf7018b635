// velmora-play DATA_DIR INPUT [OUT_DIR]: plays the real game on the headless
// platform, driven by a list of actions, and prints what a player would have
// seen and heard, one line per event with its virtual time.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/main_form.h"
#include "graphics/screen.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/headless/headless.h"

namespace {

int key_code(const std::string& name) {
  static const std::pair<const char*, int> names[] = {
      {"Return", vm::kKeyReturn},  {"Enter", vm::kKeyReturn},  {"space", vm::kKeySpace},
      {"Space", vm::kKeySpace},    {"Escape", vm::kKeyEscape}, {"Tab", vm::kKeyTab},
      {"BackSpace", vm::kKeyBack}, {"Left", vm::kKeyLeft},     {"Up", vm::kKeyUp},
      {"Right", vm::kKeyRight},    {"Down", vm::kKeyDown},     {"Control", vm::kKeyControl},
      {"Ctrl", vm::kKeyControl},   {"F11", vm::kKeyF11}};
  for (auto& [n, c] : names)
    if (name == n) return c;
  if (name.size() == 1) return std::toupper(static_cast<unsigned char>(name[0]));
  return -1;
}

int usage() {
  std::cerr << "usage: velmora-play DATA_DIR INPUT [OUT_DIR]\n"
               "INPUT lines: wait MS | click X Y | rclick X Y | move X Y | key NAME |\n"
               "             keyup NAME | wheel X Y up|down | menu NAME |\n"
               "             answer ok|yes|no|TEXT | shot FILE |\n"
               "             slot N | press CAPTION | control NAME | choose CAPTION |\n"
               "             check CAPTION on|off | scroll N | row N | closebox\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return usage();
  std::string data_dir = argv[1];
  std::string out_dir = argc > 3 ? argv[3] : ".";
  if (!out_dir.empty() && out_dir.back() != '/') out_dir += '/';
  std::ifstream in(argv[2]);
  if (!in) {
    std::cerr << "velmora-play: cannot read " << argv[2] << "\n";
    return 2;
  }

  std::error_code made;
  std::filesystem::create_directories(out_dir, made);
  if (made) {
    std::cerr << "velmora-play: cannot create " << out_dir << ": " << made.message() << "\n";
    return 2;
  }

  vm::Headless hl;
  bool shot_failed = false;
  hl.log().echo = [](const std::string& line) { std::cout << line << "\n" << std::flush; };

  uint32_t cursor = 0;
  std::string line;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream ls(line);
    std::string verb;
    if (!(ls >> verb) || verb[0] == '#') continue;
    std::string rest;
    std::getline(ls >> std::ws, rest);
    std::istringstream args(rest);
    int x = 0, y = 0;
    auto bad = [&] {
      std::cerr << argv[2] << ":" << line_no << ": cannot read \"" << line << "\"\n";
      return 2;
    };
    if (verb == "wait") {
      long ms = 0;
      if (!(args >> ms) || ms < 0) return bad();
      cursor += static_cast<uint32_t>(ms);
    } else if (verb == "click" || verb == "rclick") {
      if (!(args >> x >> y)) return bad();
      hl.click(cursor, x, y, verb == "click" ? vm::kLeftButton : vm::kRightButton);
    } else if (verb == "move") {
      if (!(args >> x >> y)) return bad();
      hl.move(cursor, x, y);
    } else if (verb == "key") {
      int code = key_code(rest);
      if (code < 0) return bad();
      hl.key(cursor, code);
    } else if (verb == "keyup") {
      int code = key_code(rest);
      if (code < 0) return bad();
      hl.key_up(cursor, code);
    } else if (verb == "wheel") {
      std::string way;
      if (!(args >> x >> y >> way) || (way != "up" && way != "down")) return bad();
      hl.wheel(cursor, x, y, way == "up" ? -1 : 1);
    } else if (verb == "menu") {
      if (rest.empty()) return bad();
      hl.menu(cursor, rest);
    } else if (verb == "answer") {
      hl.answer(cursor, rest);
    } else if (verb == "press") {  // the open secondary window's button
      if (rest.empty()) return bad();
      hl.press(cursor, rest);
    } else if (verb == "slot") {  // a row of the slot window
      int n = -1;
      if (!(args >> n) || n < 0 || n > 4) return bad();
      hl.click_control(cursor, "Label1(" + std::to_string(n) + ")");
    } else if (verb == "control") {
      if (rest.empty()) return bad();
      hl.click_control(cursor, rest);
    } else if (verb == "choose") {
      if (rest.empty()) return bad();
      hl.choose(cursor, rest);
    } else if (verb == "check") {
      const size_t sp = rest.rfind(' ');
      if (sp == std::string::npos) return bad();
      const std::string state = rest.substr(sp + 1);
      if (state != "on" && state != "off") return bad();
      hl.check(cursor, rest.substr(0, sp), state == "on");
    } else if (verb == "scroll" || verb == "row") {
      int n = 0;
      if (!(args >> n)) return bad();
      if (verb == "scroll")
        hl.scroll(cursor, n);
      else
        hl.row(cursor, n);
    } else if (verb == "closebox") {
      hl.close_box(cursor);
    } else if (verb == "shot") {
      if (rest.empty()) return bad();
      std::string path = out_dir + rest;
      hl.at(cursor, [&hl, &shot_failed, path] {
        std::string error;
        if (vm::save_png(hl.last_frame().w ? hl.last_frame() : vm::Image(640, 480), path, error)) {
          hl.log().record(vm::LogEvent::other("shot " + path));
        } else {
          hl.log().record(vm::LogEvent::other("shot failed: " + error));
          shot_failed = true;
        }
      });
    } else {
      return bad();
    }
  }
  // The input is over: close the window as the close box would.
  hl.close(cursor);

  try {
    int code = vm::run_game(hl.platform(), data_dir);
    hl.log().record(vm::LogEvent::other("exit " + std::to_string(code)));
    // A picture asked for and not written is a failure of the run too.
    return code != 0 ? code : shot_failed ? 1 : 0;
  } catch (const vm::HeadlessIdle&) {
    hl.log().record(vm::LogEvent::other("exit: the game stopped with nothing left to do"));
    return 3;
  } catch (const std::exception& e) {
    std::cerr << "velmora-play: " << e.what() << "\n";
    return 3;
  }
}
