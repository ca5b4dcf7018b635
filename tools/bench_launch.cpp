// The real game as a player starts it: its private memory at the title with
// the title tune playing and after the first scene (a sprite, a face, a
// second tune), and how long it takes from exec to its window and to the
// title picture. The game runs as its own process on the display the bench
// has (a virtual X server will do) with SDL's dummy audio driver, from a
// scratch copy of the demo data; clicks go to it through XTest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench_clock.h"

namespace {

using vm::bench::ms_since;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kScreenW = 640;
constexpr int kScreenH = 480;

double median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// RssAnon of a process, in MB; -1 when it cannot be read.
double rss_anon_mb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("RssAnon:", 0) == 0) return std::stod(line.substr(8)) / 1024.0;
  }
  return -1;
}

// One run of the game under watch.
class GameRun {
 public:
  GameRun(Display* dpy, const std::string& program, const fs::path& scratch)
      : dpy_(dpy), root_(DefaultRootWindow(dpy)) {
    // GTK keeps the visuals it chose for OpenGL on the root window while the
    // display lives; without them the game starts as on a fresh display, as
    // a player's first start does.
    XDeleteProperty(dpy_, root_, XInternAtom(dpy_, "GDK_VISUALS", False));
    XSelectInput(dpy_, root_, SubstructureNotifyMask);
    XSync(dpy_, True);
    start_ = Clock::now();
    pid_ = fork();
    if (pid_ == 0) {
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
      const std::string data = (scratch / "data").string() + "/";
      execl(program.c_str(), program.c_str(), data.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~GameRun() {
    if (pid_ > 0) {
      // An orderly end, or a hard one should the game hang on its way out.
      kill(pid_, SIGTERM);
      int status = 0;
      const auto give_up = Clock::now() + 10s;
      while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > give_up) {
          kill(pid_, SIGKILL);
          waitpid(pid_, &status, 0);
          break;
        }
        std::this_thread::sleep_for(10ms);
      }
    }
    XSelectInput(dpy_, root_, NoEventMask);
  }
  GameRun(const GameRun&) = delete;
  GameRun& operator=(const GameRun&) = delete;

  pid_t pid() const { return pid_; }

  // Milliseconds from exec to the game's main window being mapped.
  std::optional<double> wait_window() {
    const auto give_up = Clock::now() + 20s;
    while (Clock::now() < give_up) {
      if (XPending(dpy_) == 0) {
        pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
        poll(&p, 1, 5);
        continue;
      }
      XEvent ev;
      XNextEvent(dpy_, &ev);
      if (ev.type != MapNotify || !is_game_window(ev.xmap.window)) continue;
      const double at = ms_since(start_);
      win_ = ev.xmap.window;
      return at;
    }
    return std::nullopt;
  }

  // The 640 x 480 game screen as it is shown now (below the menu bar).
  std::vector<uint32_t> screen() {
    XWindowAttributes wa;
    if (win_ == 0 || !XGetWindowAttributes(dpy_, win_, &wa) || wa.width < kScreenW ||
        wa.height < kScreenH)
      return {};
    XImage* img =
        XGetImage(dpy_, win_, 0, wa.height - kScreenH, kScreenW, kScreenH, AllPlanes, ZPixmap);
    if (!img) return {};
    std::vector<uint32_t> px(static_cast<size_t>(kScreenW) * kScreenH);
    for (int y = 0; y < kScreenH; ++y)
      for (int x = 0; x < kScreenW; ++x)
        px[static_cast<size_t>(y) * kScreenW + x] = static_cast<uint32_t>(XGetPixel(img, x, y));
    XDestroyImage(img);
    return px;
  }

  // Milliseconds from exec until the screen shows `picture`.
  std::optional<double> wait_picture(const std::vector<uint32_t>& picture) {
    const auto give_up = Clock::now() + 20s;
    while (Clock::now() < give_up) {
      if (screen() == picture) return ms_since(start_);
      std::this_thread::sleep_for(2ms);
    }
    return std::nullopt;
  }

  // The picture once it has stayed the same for a while: the title, which
  // stands still once it is up.
  std::vector<uint32_t> settled_picture() {
    std::vector<uint32_t> last = screen();
    auto since = Clock::now();
    const auto give_up = since + 30s;
    while (Clock::now() < give_up && Clock::now() - since < 3s) {
      std::this_thread::sleep_for(100ms);
      std::vector<uint32_t> now = screen();
      if (now != last || now.empty()) {
        last = std::move(now);
        since = Clock::now();
      }
    }
    return last;
  }

  // A left click at a game-screen pixel.
  void click(int x, int y) {
    XWindowAttributes wa;
    if (win_ == 0 || !XGetWindowAttributes(dpy_, win_, &wa)) return;
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(dpy_, win_, root_, x, wa.height - kScreenH + y, &rx, &ry, &child);
    XTestFakeMotionEvent(dpy_, -1, rx, ry, 0);
    XTestFakeButtonEvent(dpy_, 1, True, 0);
    XTestFakeButtonEvent(dpy_, 1, False, 20);
    XFlush(dpy_);
  }

 private:
  // The main window is the first one mapped; its caption tells that the
  // game is loading, after the game's name.
  bool is_game_window(Window w) {
    char* name = nullptr;
    const bool ours = XFetchName(dpy_, w, &name) && name && std::strncmp(name, "Velmora", 7) == 0;
    if (name) XFree(name);
    return ours;
  }

  Display* dpy_;
  Window root_;
  Window win_ = 0;
  pid_t pid_ = -1;
  Clock::time_point start_;
};

// A fresh copy of the data folder, so each run starts as the first one did.
fs::path fresh_scratch(const std::string& data_dir) {
  const fs::path scratch =
      fs::temp_directory_path() / ("velmora_bench_game_" + std::to_string(getpid()));
  fs::remove_all(scratch);
  fs::create_directories(scratch / "config");
  fs::copy(data_dir, scratch / "data", fs::copy_options::recursive);
  return scratch;
}

struct RunFigures {
  double window_ms = -1, title_ms = -1, rss_title = -1, rss_play = -1;
};

// From the title's start item through the first scene: its tune, a sprite
// and a face, each message given time to be typed.
void play_first_scene(GameRun& run) {
  run.click(300, 255);
  std::this_thread::sleep_for(3s);
  for (int i = 0; i < 6; ++i) {
    run.click(450, 420);
    std::this_thread::sleep_for(1500ms);
  }
}

// The game and the data folder it starts from.
struct Game {
  std::string program, data_dir;
};

RunFigures one_run(Display* dpy, const Game& game, const std::vector<uint32_t>& title, bool play) {
  const std::string& program = game.program;
  const std::string& data_dir = game.data_dir;
  const fs::path scratch = fresh_scratch(data_dir);
  RunFigures f;
  {
    GameRun run(dpy, program, scratch);
    if (auto w = run.wait_window()) f.window_ms = *w;
    if (!title.empty())
      if (auto t = run.wait_picture(title)) f.title_ms = *t;
    // The tune has begun and its instruments are in by now.
    std::this_thread::sleep_for(2s);
    f.rss_title = rss_anon_mb(run.pid());
    if (play) {
      play_first_scene(run);
      f.rss_play = rss_anon_mb(run.pid());
    }
  }
  fs::remove_all(scratch);
  return f;
}

// The display the game runs on, with XTest to click it; nullptr (said on
// stderr) when there is none.
Display* open_display() {
  // A window that went away between two requests is no reason to stop.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Display* dpy = XOpenDisplay(nullptr);
  int ev = 0, err = 0, major = 0, minor = 0;
  if (!dpy || !XTestQueryExtension(dpy, &ev, &err, &major, &minor)) {
    std::fprintf(stderr, "velmora-bench: no X display with XTest; the game figures are left out\n");
    if (dpy) XCloseDisplay(dpy);
    return nullptr;
  }
  return dpy;
}

// The title picture of a game on data_dir, as a run shows it once settled.
std::vector<uint32_t> title_picture(Display* dpy, const std::string& program,
                                    const std::string& data_dir) {
  std::vector<uint32_t> title;
  const fs::path scratch = fresh_scratch(data_dir);
  {
    GameRun run(dpy, program, scratch);
    if (run.wait_window()) title = run.settled_picture();
  }
  fs::remove_all(scratch);
  return title;
}

}  // namespace

// Prints rss_anon_at_title_mb, rss_anon_in_play_mb, launch_to_window_ms and
// launch_to_title_ms: medians of a few runs after one that finds the title
// picture.
void bench_game(const std::string& program, const std::string& data_dir) {
  Display* dpy = open_display();
  if (!dpy) return;
  const std::vector<uint32_t> title = title_picture(dpy, program, data_dir);
  std::vector<double> window, shown, rss_title, rss_play;
  for (int i = 0; i < 3; ++i) {
    const RunFigures f = one_run(dpy, {program, data_dir}, title, i == 0);
    // Only the first run plays on into the story.
    std::fprintf(stderr, "run %d: window %.0f ms, title %.0f ms, %.1f MB at the title", i + 1,
                 f.window_ms, f.title_ms, f.rss_title);
    if (f.rss_play >= 0) std::fprintf(stderr, ", %.1f MB in play", f.rss_play);
    std::fputs("\n", stderr);
    window.push_back(f.window_ms);
    shown.push_back(f.title_ms);
    rss_title.push_back(f.rss_title);
    if (f.rss_play >= 0) rss_play.push_back(f.rss_play);
  }
  XCloseDisplay(dpy);
  std::printf("rss_anon_at_title_mb %.1f MB\n", median(rss_title));
  std::printf("rss_anon_in_play_mb %.1f MB\n", median(rss_play));
  std::printf("launch_to_window_ms %.0f ms\n", median(window));
  std::printf("launch_to_title_ms %.0f ms\n", median(shown));
  std::fflush(stdout);
}

// Prints rows_100k_extra_rss_mb: what a long story's rows cost the game at
// its title beyond the demo's, the median of three runs of each.
void bench_rows_memory(const std::string& program, const std::string& demo_dir,
                       const std::string& long_dir) {
  Display* dpy = open_display();
  if (!dpy) return;
  double at_title[2] = {0, 0};
  const std::string* dirs[2] = {&demo_dir, &long_dir};
  for (int k = 0; k < 2; ++k) {
    const std::vector<uint32_t> title = title_picture(dpy, program, *dirs[k]);
    std::vector<double> rss;
    for (int i = 0; i < 3; ++i)
      rss.push_back(one_run(dpy, {program, *dirs[k]}, title, false).rss_title);
    at_title[k] = median(rss);
    std::fprintf(stderr, "%s: %.1f MB at the title\n", k ? "100,000 rows" : "demo", at_title[k]);
  }
  XCloseDisplay(dpy);
  std::printf("rows_100k_extra_rss_mb %.1f MB\n", at_title[1] - at_title[0]);
  std::fflush(stdout);
}
