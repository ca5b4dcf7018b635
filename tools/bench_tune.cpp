// How long a tune change takes on the desktop's audio: from the music
// command (the old tune stopped and closed, the new one opened and played,
// as the game's sound rows send them) to the new tune's first samples in the
// mixed output. Runs on SDL's dummy audio driver, which pulls samples at the
// pace of a real device.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/audio.h"
#include "sound/sound.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class NoLog : public vm::EventLog {
 public:
  void record(const vm::LogEvent& /*event*/) override {}
};

long long now_us() {
  const auto t = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::microseconds>(t).count();
}

}  // namespace

// Prints tune_change_ms: the median of changes between the demo's tunes.
void bench_tune_change(const std::string& data_dir) {
  std::vector<std::string> tunes;
  for (const auto& e : fs::directory_iterator(data_dir))
    if (e.path().extension() == ".mid") tunes.push_back(e.path().string());
  std::sort(tunes.begin(), tunes.end());
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  NoLog log;
  vm::DesktopAudio audio = vm::make_desktop_audio(log);
  if (tunes.size() < 2 || !audio.volume->open_mixer()) {
    std::fprintf(stderr, "velmora-bench: no tunes or no audio; tune_change_ms is left out\n");
    return;
  }
  vm::Music& music = *audio.music;
  music.send_command(vm::music_open_command(tunes[0]), nullptr);
  music.send_command(vm::kMusicPlayCommand, nullptr);
  std::this_thread::sleep_for(1s);
  std::vector<double> changes;
  for (size_t i = 1; i <= 2 * tunes.size(); ++i) {
    const long long t0 = now_us();
    music.send_command(vm::kMusicStopCommand, nullptr);
    music.send_command(vm::kMusicCloseCommand, nullptr);
    vm::arm_sound_probe();
    music.send_command(vm::music_open_command(tunes[i % tunes.size()]), nullptr);
    music.send_command(vm::kMusicPlayCommand, nullptr);
    const long long give_up = now_us() + 5'000'000;
    while (vm::sound_probe_heard_us() < 0 && now_us() < give_up) std::this_thread::sleep_for(1ms);
    if (vm::sound_probe_heard_us() >= 0)
      changes.push_back(static_cast<double>(vm::sound_probe_heard_us() - t0) / 1000.0);
    std::this_thread::sleep_for(700ms);
  }
  std::sort(changes.begin(), changes.end());
  std::printf("tune_change_ms %.1f ms\n", changes.empty() ? -1.0 : changes[changes.size() / 2]);
  std::fflush(stdout);
}
