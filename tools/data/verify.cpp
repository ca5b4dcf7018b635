// velmora-data verify: every predicted path played by the real game on the
// headless runner, several at once, and what each play showed compared with
// the prediction.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string_view>
#include <thread>

#include "assets/data_folder.h"
#include "assets/game_words.h"
#include "authoring/layout.h"
#include "authoring/story_paths.h"
#include "data/data_tool.h"
#include "ending/ending.h"
#include "platform/common/disk_files.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/log_event.h"
#include "runner/script.h"

extern char** environ;

namespace vm::datatool {

namespace {

namespace fs = std::filesystem;

// A play that has not ended after this long (wall clock) is stopped: a loop
// without a single wait never lets the runner's input end it. A long path
// gets longer: the game types every character of every message.
constexpr int kPlayTimeoutS = 180;
constexpr int kPlayTimeoutMessagesPerS = 20;
// The settings every play is given, in the scratch folder: text shown whole
// rather than typed. Where a path goes does not hang on the text speed, and
// typing puts a frame on screen for every character of every message.
constexpr const char* kPlaySettings = "play.ini";
constexpr const char* kPlaySettingsText = "[text]\nspeed=instant\n";

// SIGINT or SIGTERM, once one came: the plays stop, the scratch folder goes.
// The handler only notes the signal; the loops that wait look at it.
std::atomic<int> g_stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void note_stop_signal(int sig) {
  g_stop_signal.store(sig, std::memory_order_relaxed);
}

bool stopping() {
  return g_stop_signal.load(std::memory_order_relaxed) != 0;
}

// The handlers for as long as verify runs, the previous ones after.
class StopSignals {
 public:
  StopSignals() {
    g_stop_signal = 0;
    struct sigaction sa {};
    sa.sa_handler = note_stop_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, &old_int_);
    sigaction(SIGTERM, &sa, &old_term_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

// "verify: 3/12 paths played", rewritten in place on a terminal; nothing
// when the output goes to a file or a pipe.
class Progress {
 public:
  explicit Progress(size_t total) : total_(total), shown_(isatty(STDERR_FILENO) == 1) { show(); }
  ~Progress() {
    if (shown_) put("\r\033[K");
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  void played() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    show();
  }

 private:
  size_t total_, done_ = 0;
  bool shown_;
  std::mutex mutex_;
  void show() {
    if (!shown_) return;
    char line[96];
    std::snprintf(line, sizeof line, "\rverify: %zu/%zu paths played", done_, total_);
    put(line);
  }
  static void put(const char* text) {
    const std::string_view s(text);
    if (write(STDERR_FILENO, s.data(), s.size()) < 0) return;  // a terminal gone: no progress
  }
};

// What one play printed, read back from its log.
struct Played {
  std::vector<std::string> messages;  // "SPEAKER TEXT"
  std::vector<int> places;
  std::vector<std::string> dialogs;
  bool end_button = false;
  long exit_at = -1;  // virtual ms of the "exit" line
  int exit_code = -1;
  bool killed = false;
  bool started = false;
  std::string failure;  // the runner could not run
};

Played read_log(const std::string& log) {
  Played p;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    // "   12345 what happened"
    size_t i = line.find_first_not_of(' ');
    if (i == std::string::npos) continue;
    size_t sp = line.find(' ', i);
    if (sp == std::string::npos) continue;
    char* end = nullptr;
    const long at = std::strtol(line.c_str() + i, &end, 10);
    if (end != line.c_str() + sp) {
      if (line.rfind("velmora-play:", 0) == 0) p.failure = line;
      continue;
    }
    const std::string what = line.substr(sp + 1);
    p.started = true;
    if (what.rfind("text ", 0) == 0)
      p.messages.push_back(what.substr(5));
    else if (what.rfind("place ", 0) == 0)
      p.places.push_back(std::atoi(what.c_str() + 6));
    else if (what.rfind("dialog ", 0) == 0)
      p.dialogs.push_back(what.substr(7));
    else if (what == "end button shown")
      p.end_button = true;
    else if (what.rfind("exit", 0) == 0) {
      p.exit_at = at;
      p.exit_code = what.size() > 5 ? std::atoi(what.c_str() + 5) : -1;
    }
  }
  return p;
}

// Runs velmora-play with its output into log_path; false when it had to be
// stopped.
bool run_play(const std::string& play, const std::string& settings, const std::string& data,
              const std::string& input, const std::string& out_dir, const std::string& log_path,
              int timeout_s, std::string& error) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&fa, 1, 2);
  std::vector<std::string> args = {play, "--settings", settings, data, input, out_dir};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, play.c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    error = "cannot start " + play;
    return true;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_s);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return true;
    if (done < 0) return true;
    if (stopping() || std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// What the ending screen's closing message is told by: its colour for hap 0
// and for hap 1 (the game's own, where its game.ini gives them).
struct ClosingColours {
  uint32_t other = kEndColourOther;
  uint32_t pure = kEndColourTrue;
};
constexpr int kEitherClosing = 2;  // the two messages share their colour

// The closing message's colour on the ending screen: light grey for hap 0,
// light pink for hap 1. -1 when the screen shows neither.
int closing_hap(const std::string& png, const ClosingColours& colours) {
  const Result<std::string> read = DiskFiles().read_whole(png);
  if (!read) return -1;
  const std::string& bytes = read.value();
  const Result<Image> decoded = decode_picture(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (!decoded) return -1;
  const Image& img = decoded.value();
  int grey = 0, pink = 0;
  for (int y = 370; y < std::min(img.h, 440); ++y)
    for (int x = 0; x < img.w; ++x) {
      const uint32_t c = img.at(x, y);
      if (c == colours.other) ++grey;
      if (c == colours.pure) ++pink;
    }
  if (grey == 0 && pink == 0) return -1;
  if (colours.other == colours.pure) return kEitherClosing;
  return pink > grey ? 1 : 0;
}

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

struct Outcome {
  bool same = true;
  bool ending_compared = false;  // the play reached an ending screen to compare
  std::string line;
};

// Whether a dialog line of the log ("\"text\" -> ok (default)") shows text;
// the game may add a line naming the row after it.
bool shows_dialog(const std::string& logged, const std::string& text) {
  const std::string q = log_quoted(text);
  return logged.rfind(q.substr(0, q.size() - 1), 0) == 0;
}

// The text of a logged dialog, as the log quotes it.
std::string dialog_text(const std::string& logged) {
  const size_t end = logged.rfind("\" -> ");
  return end == std::string::npos ? logged : logged.substr(0, end + 1);
}

// The message boxes: those predicted, in order, and no others.
void compare_dialogs(const PathSummary& want, const Played& got, std::vector<std::string>& why) {
  size_t i = 0;
  while (i < want.dialogs.size() && i < got.dialogs.size() &&
         shows_dialog(got.dialogs[i], want.dialogs[i]))
    ++i;
  if (i < got.dialogs.size())
    why.push_back("the game showed " + dialog_text(got.dialogs[i]) +
                  (i < want.dialogs.size() ? ", predicted " + quoted(want.dialogs[i])
                                           : std::string(", not predicted")));
  else if (i < want.dialogs.size())
    why.push_back("predicted the message " + quoted(want.dialogs[i]) + ", not shown");
}

// Why a play showed fewer messages than predicted, as far as its log says.
std::string why_stopped(const PathSummary& want, const Played& got, long input_end, bool& told) {
  std::string s;
  for (size_t k = 0; k < got.dialogs.size() && s.empty(); ++k)
    if (k >= want.dialogs.size() || !shows_dialog(got.dialogs[k], want.dialogs[k])) {
      s = ": the game showed " + dialog_text(got.dialogs[k]);
      told = true;
    }
  if (got.exit_at >= 0 && got.exit_at < input_end)
    s += (s.empty() ? ": the game ended" : " and ended") +
         (got.exit_code > 0 ? " with status " + std::to_string(got.exit_code) : std::string());
  return s;
}

// The messages: all of them, in order (a looping path: those before the
// loop); told is set when an unpredicted message box is named as the reason
// the play stopped.
void compare_messages(const PathSummary& want, const Played& got, long input_end,
                      std::vector<std::string>& why, bool& told) {
  const bool loops = want.end == PathEnd::Stuck || want.end == PathEnd::Runaway;
  const size_t n = want.messages.size();
  size_t i = 0;
  while (i < n && i < got.messages.size() && want.messages[i] == got.messages[i]) ++i;
  if (i == n && (loops || got.messages.size() == n)) return;
  if (i < n && i < got.messages.size())
    why.push_back("message " + std::to_string(i + 1) + ": predicted " + quoted(want.messages[i]) +
                  ", the play showed " + quoted(got.messages[i]));
  else if (i < n)
    why.push_back("the play stopped after " + std::to_string(got.messages.size()) + " of the " +
                  std::to_string(n) + " predicted messages (next: " + quoted(want.messages[i]) +
                  ")" + why_stopped(want, got, input_end, told));
  else
    why.push_back("the play showed " + std::to_string(got.messages.size() - n) +
                  " more messages than predicted, first " + quoted(got.messages[n]));
}

// How the play ended against how the path was predicted to.
void compare_end(const PathSummary& want, const Played& got, long input_end,
                 const std::string& screenshot, const ClosingColours& colours, Outcome& o,
                 std::vector<std::string>& why) {
  const bool ended = got.exit_at >= 0 && got.exit_at < input_end;
  switch (want.end) {
    case PathEnd::Ending:
      if (got.end_button) {
        o.ending_compared = true;
        const int hap = closing_hap(screenshot, colours);
        if ((want.hap == 0 || want.hap == 1) && hap != want.hap && hap != kEitherClosing)
          why.push_back("closing message: predicted the one for hap " + std::to_string(want.hap) +
                        (hap < 0 ? ", the screen showed none"
                                 : ", the screen showed the one for hap " + std::to_string(hap)));
        if (!ended) why.push_back("the end button did not close the game");
      }
      break;
    case PathEnd::Quit:
      if (!ended)
        why.push_back("predicted to quit, but the game went on until the window was closed");
      break;
    case PathEnd::Error:
      if (!ended)
        why.push_back("predicted to end after " + quoted(want.error) +
                      ", but the game went on until the window was closed");
      break;
    case PathEnd::EndOfScript:
      if (ended)
        why.push_back("predicted to stop at the end of the script, but the game ended itself");
      break;
    default:
      if (!got.killed && ended) why.push_back("predicted to loop for ever, but the game ended");
      break;
  }
}

Outcome compare(const PathSummary& want, const Played& got, long input_end,
                const std::string& screenshot, const ClosingColours& colours) {
  Outcome o;
  std::vector<std::string> why;
  if (!got.failure.empty() || !got.started) {
    o.same = false;
    o.line = "the play did not run: " + (got.failure.empty() ? "no output" : got.failure);
    return o;
  }
  const bool loops = want.end == PathEnd::Stuck || want.end == PathEnd::Runaway;
  bool told = false;
  compare_messages(want, got, input_end, why, told);
  const int want_place = want.places.empty() ? -1 : want.places.back();
  const int got_place = got.places.empty() ? -1 : got.places.back();
  if (!loops && want_place != got_place)
    why.push_back("final background: predicted " + std::to_string(want_place) +
                  ", the play showed " + std::to_string(got_place));
  compare_end(want, got, input_end, screenshot, colours, o, why);
  if (!told) compare_dialogs(want, got, why);
  o.same = why.empty();
  if (!o.same) {
    o.line = "DIFFERS: ";
    for (size_t k = 0; k < why.size(); ++k) o.line += (k ? "; " : "") + why[k];
    return o;
  }
  std::string played = std::to_string(want.messages.size()) + " messages";
  if (!want.messages.empty()) played += ", last " + quoted(want.messages.back());
  played += ", background " + std::to_string(want_place) + ", " +
            describe_end(want.end, want.hap, want.error);
  if (want.breaks.empty()) {
    o.line = "ok: " + played;
    return o;
  }
  // Played as predicted, and what was predicted is a story that breaks.
  o.line = "BREAKS: ";
  for (size_t k = 0; k < want.breaks.size(); ++k) o.line += (k ? "; " : "") + want.breaks[k];
  o.line += " (played as predicted: " + played + ")";
  return o;
}

}  // namespace

namespace {

// Plays path i from a fresh copy of the folder and compares what the game
// did with what the map predicted.
Outcome play_path(const std::string& play, const std::string& dir, const std::string& work,
                  const Story& story, const Exploration& ex, DiskFiles& disk, size_t i) {
  const std::string id = std::to_string(i + 1);
  const std::string play_dir = work + "play-" + id + "/";
  std::error_code ec;
  fs::create_directories(play_dir, ec);
  // Every play gets a fresh copy: the game writes into its folder.
  fs::copy(dir, play_dir + "data", fs::copy_options::recursive, ec);
  char name[32];
  std::snprintf(name, sizeof name, "path-%03zu.txt", i + 1);
  const std::string input = work + "paths/" + name;
  std::string error;
  const PathSummary want = summarize(story, ex, ex.paths[i]);
  const int timeout_s =
      kPlayTimeoutS + static_cast<int>(want.messages.size()) / kPlayTimeoutMessagesPerS;
  const bool ended = !ec && run_play(play, work + kPlaySettings, play_dir + "data", input, play_dir,
                                     play_dir + "log.txt", timeout_s, error);
  // A run killed before it wrote its log played nothing it can tell.
  const Result<std::string> log = disk.read_whole(play_dir + "log.txt");
  Played got = read_log(log ? log.value() : std::string());
  got.killed = !ended;
  if (ec) got.failure = "cannot copy the data folder: " + ec.message();
  if (!error.empty()) got.failure = error;
  const GameWords words = load_game_words(DataFolder(disk, dir)).words;
  ClosingColours colours;
  colours.other = words.other_end.colour.value_or(colours.other);
  colours.pure = words.true_end.colour.value_or(colours.pure);
  Outcome o = compare(want, got, runner::input_length(disk.read_whole(input).value_or_throw()),
                      play_dir + "ending.png", colours);
  fs::remove_all(play_dir + "data", ec);
  return o;
}

// One line per path; returns how many played as predicted.
size_t report_outcomes(const Exploration& ex, std::vector<Outcome>& outcomes, std::ostream& out) {
  const size_t count = outcomes.size();
  size_t endings = 0, ending_paths = 0;
  for (size_t i = 0; i < count; ++i)
    if (ex.paths[i].end == PathEnd::Ending) {
      ++ending_paths;
      if (outcomes[i].ending_compared) ++endings;
    }
  // A game without an ending screen cannot show its closing message: say so
  // once rather than count every ending as a difference. Once one play shows
  // the end button, every path to an ending must.
  if (ending_paths > 0 && endings == 0)
    out << "note: no play showed the end button; closing messages were not compared\n";
  size_t same = 0;
  for (size_t i = 0; i < count; ++i) {
    Outcome& o = outcomes[i];
    if (endings > 0 && o.same && ex.paths[i].end == PathEnd::Ending && !o.ending_compared) {
      o.same = false;
      o.line = "DIFFERS: the end button was not shown";
    }
    char name[32];
    std::snprintf(name, sizeof name, "path-%03zu", i + 1);
    out << name << " " << o.line << "\n";
    if (o.same) ++same;
  }
  return same;
}

}  // namespace

int verify_folder(const std::string& dir, std::ostream& out, std::ostream& err,
                  const ExploreOptions& options) {
  const std::string play = tools_dir() + "velmora-play";
  if (access(play.c_str(), X_OK) != 0) {
    err << "velmora-data: verify needs velmora-play beside velmora-data (" << play << ")\n";
    // A build tree that made only the game and the data tool (the README's
    // first command) makes the player too when asked.
    if (access((tools_dir() + "CMakeCache.txt").c_str(), R_OK) == 0)
      err << "velmora-data: build it with: cmake --build " << tools_dir()
          << " --target velmora-play\n";
    return 2;
  }
  const StopSignals signals;
  std::string tmpl = (fs::temp_directory_path() / "velmora-verify-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    err << "velmora-data: cannot make a temporary folder\n";
    return 2;
  }
  const std::string work = tmpl + "/";
  struct Cleanup {
    std::string dir;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  } cleanup{work};

  Story story;
  std::ostringstream findings;
  DiskFiles disk;
  ExploreOptions timed = options;
  timed.text_shown_whole = true;  // as the plays show it
  const Exploration ex = write_paths(disk, dir, work + "paths", findings, &story, timed);
  if (const Result<void> w = disk.replace_whole(work + kPlaySettings, kPlaySettingsText); !w) {
    err << "velmora-data: " << w.error().what() << "\n";
    return 2;
  }
  out << findings.str() << describe_paths(ex) << "\n";

  const size_t count = ex.paths.size();
  std::vector<Outcome> outcomes(count);
  {
    Progress progress(count);
    std::atomic<size_t> next{0};
    auto worker = [&] {
      for (size_t i = next++; i < count && !stopping(); i = next++) {
        outcomes[i] = play_path(play, dir, work, story, ex, disk, i);
        progress.played();
      }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned k = 0; k < std::min<size_t>(cores, count); ++k) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
  }
  if (const int sig = g_stop_signal.load(); sig != 0) {
    out << "verify stopped by " << (sig == SIGINT ? "SIGINT" : "SIGTERM") << "\n";
    return 128 + sig;
  }

  const size_t same = report_outcomes(ex, outcomes, out);
  size_t broken = 0;
  for (const StoryPath& p : ex.paths) broken += ex.breaks(p);
  out << same << " of " << count << " paths played as predicted";
  if (broken > 0) out << "; " << broken << (broken == 1 ? " path breaks" : " paths break");
  out << "\n";
  // Every path must reach the ending (or the story's own quit) without a
  // message box; a story that breaks fails however faithfully it played.
  return same == count && ex.errors() == 0 ? 0 : 1;
}

std::string tools_dir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("./") : exe.parent_path().string() + "/";
}

}  // namespace vm::datatool
