// velmora-play [--dev] DATA_DIR INPUT [OUT_DIR]: plays the real game on the
// headless platform, driven by a list of actions, and prints what a player
// would have seen and heard, one line per event with its virtual time. With
// --dev, DATA_DIR is an editable folder played as velmora --dev plays it, and
// the input may jump to a scene and set the counters. With --no-speech the
// desktop has no speech service, as a player's may not.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "authoring/packing.h"
#include "dev/dev_run.h"
#include "graphics/screen.h"
#include "platform/common/pad_map.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/common/settings_file.h"
#include "platform/common/user_cache.h"
#include "platform/headless/headless.h"
#include "runner/script.h"

namespace {

using vm::runner::Step;

int usage() {
  std::cerr << "usage: velmora-play [--dev] [--no-speech] [--settings FILE] DATA_DIR INPUT "
               "[OUT_DIR]\n"
            << "  --settings FILE: play with that settings file (read only; without it the\n"
            << "  built-in settings, the same on every machine)\n"
            << vm::runner::kGrammar;
  return 2;
}

// A picture of the screen as it is then, noted in the log.
void schedule_shot(vm::Headless& hl, uint32_t at, const std::string& path, bool& failed) {
  hl.at(at, [&hl, &failed, path] {
    if (!hl.last_frame_painted()) {
      hl.log().record(vm::LogEvent::shot_failed(
          path + ": the screen is not painted yet (this input paints from its paint line on)"));
      failed = true;
      return;
    }
    const vm::Result<void> saved =
        vm::save_png(hl.last_frame().w ? hl.last_frame() : vm::Image(640, 480), path);
    if (saved) {
      hl.log().record(vm::LogEvent::shot(path));
    } else {
      hl.log().record(vm::LogEvent::shot_failed(saved.error().what()));
      failed = true;
    }
  });
}

// A dev run's own verb, at its time; what it could not do is in the log.
void schedule_dev(vm::Headless& hl, uint32_t at, const Step& s, vm::dev::DevRun* dev) {
  hl.at(at, [&hl, s, dev] {
    const vm::Result<void> done = s.verb == Step::Jump ? dev->jump(s.n) : dev->set_counter(s.text);
    if (!done)
      hl.log().record(vm::LogEvent::warning(vm::runner::line_of(s) + ": " + done.error().what()));
  });
}

// The open secondary window's verbs; false for any other.
bool schedule_form(vm::Headless& hl, uint32_t cursor, const Step& s) {
  switch (s.verb) {
    case Step::Press:
      hl.press(cursor, s.text);
      return true;  // the open secondary window's button
    case Step::Slot:
      hl.click_control(cursor, "Label1(" + std::to_string(s.n) + ")");
      return true;
    case Step::Control:
      hl.click_control(cursor, s.text);
      return true;
    case Step::Choose:
      hl.choose(cursor, s.text);
      return true;
    case Step::Check:
      hl.check(cursor, s.text, s.on);
      return true;
    case Step::Scroll:
      hl.scroll(cursor, s.n);
      return true;
    case Step::Row:
      hl.row(cursor, s.n);
      return true;
    case Step::CloseBox:
      hl.close_box(cursor);
      return true;
    case Step::Focus:
      hl.focus(cursor, s.text);
      return true;
    case Step::FormKey:
      hl.form_key(cursor, s.key);
      return true;
    default:
      return false;
  }
}

// Queues one action of the input at the cursor's time (a wait moves it on).
// `origin` names the input line, for what the game could not take from it.
void schedule(vm::Headless& hl, uint32_t& cursor, const Step& s, const std::string& origin,
              const std::string& out_dir, bool& shot_failed, vm::dev::DevRun* dev) {
  if (schedule_form(hl, cursor, s)) return;
  switch (s.verb) {
    case Step::Wait:
      cursor += static_cast<uint32_t>(s.ms);
      break;
    case Step::Click:
    case Step::RClick:
      hl.click(cursor, s.x, s.y, s.verb == Step::Click ? vm::kLeftButton : vm::kRightButton);
      break;
    case Step::Move:
      hl.move(cursor, s.x, s.y);
      break;
    case Step::Key:
      hl.key(cursor, s.key);
      break;
    case Step::KeyUp:
      hl.key_up(cursor, s.key);
      break;
    case Step::Pad:
    case Step::PadUp:
      hl.pad(cursor, *vm::pad_button_named(s.text), s.verb == Step::Pad);
      break;
    case Step::Wheel:
      hl.wheel(cursor, s.x, s.y, s.n);
      break;
    case Step::Menu:
      hl.menu(cursor, s.text);
      break;
    case Step::Answer:
      hl.answer(cursor, s.text, origin);
      break;
    case Step::History:
      hl.history(cursor, s.n);
      break;
    case Step::Shot:
      schedule_shot(hl, cursor, out_dir + s.text, shot_failed);
      break;
    case Step::Paint:
      // Only the first counts: frames before it go unpainted.
      if (hl.paint_from == 0) hl.paint_from = cursor;
      break;
    case Step::Jump:
    case Step::Set:
      schedule_dev(hl, cursor, s, dev);
      break;
    default:  // a secondary window's, above
      break;
  }
}

// Plays the game to its end; the exit code, or 3 when it stopped otherwise.
// shot_failed is set by the pictures taken during the play.
int play(vm::Headless& hl, const std::string& data_dir, const bool& shot_failed,
         vm::dev::DevRun* dev) {
  try {
    int code = dev ? dev->run() : vm::run_game(hl.platform(), data_dir);
    hl.log().record(vm::LogEvent::exited(code));
    // An answer the game's dialog could not take is a mistake in the input.
    if (hl.misfit_answers > 0) return 2;
    // A picture asked for and not written is a failure of the run too.
    return code != 0 ? code : shot_failed ? 1 : 0;
  } catch (const vm::HeadlessIdle&) {
    hl.log().record(vm::LogEvent::idle());
    return 3;
  } catch (const std::exception& e) {
    std::cerr << "velmora-play: " << e.what() << "\n";
    return 3;
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool dev_run = false;
  bool no_speech = false;
  std::string settings_file;
  for (; argc > 1 && std::string(argv[1]).rfind("--", 0) == 0; --argc, ++argv) {
    const std::string flag = argv[1];
    if (flag == "--dev") {
      dev_run = true;
    } else if (flag == "--no-speech") {
      no_speech = true;
    } else if (flag == "--settings" && argc > 2) {
      settings_file = argv[2];
      --argc, ++argv;
    } else {
      return usage();
    }
  }
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
  hl.no_speech = no_speech;
  if (!settings_file.empty()) {
    const vm::Result<vm::PlayerSettings> given = vm::read_settings_for_play(settings_file);
    if (!given) {
      std::cerr << "velmora-play: " << given.error().what() << "\n";
      return 2;
    }
    hl.player_settings = given.value();
  }
  std::unique_ptr<vm::dev::DevRun> dev;
  if (!dev_run && vm::datatool::is_edit_folder(hl.platform().files, data_dir)) {
    // The game cannot read an editable folder as it stands; the dev run can.
    std::cerr << "velmora-play: " << data_dir
              << " is an editable folder; playing it as --dev does\n";
    dev_run = true;
  }
  if (dev_run)
    dev = std::make_unique<vm::dev::DevRun>(hl.platform(), hl.file_monitor(), data_dir,
                                            vm::user_cache_dir());
  bool shot_failed = false;
  hl.log().echo = [](const vm::LoggedEvent& e) { std::cout << e.line << "\n" << std::flush; };

  uint32_t cursor = 0;
  std::string line;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    Step step;
    const vm::runner::Parsed p = vm::runner::parse_line(line, step);
    if (p == vm::runner::Parsed::Bad) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::cerr << argv[2] << ":" << line_no << ": cannot read \"" << line << "\"\n";
      return 2;
    }
    const bool dev_verb = step.verb == Step::Jump || step.verb == Step::Set;
    if (p == vm::runner::Parsed::Step && dev_verb && !dev) {
      std::cerr << argv[2] << ":" << line_no << ": " << vm::runner::line_of(step)
                << ": only a --dev run jumps and sets counters\n";
      return 2;
    }
    if (p == vm::runner::Parsed::Step)
      schedule(hl, cursor, step, std::string(argv[2]) + ":" + std::to_string(line_no), out_dir,
               shot_failed, dev.get());
  }
  // The input is over: close the window as the close box would.
  hl.close(cursor);
  return play(hl, data_dir, shot_failed, dev.get());
}
