#include <cstdio>

#include "platform/common/disk_files.h"
#include "platform/common/folder_lock.h"
#include "platform/common/pango_text.h"
#include "platform/common/pixbuf_pictures.h"
#include "platform/headless/headless_services.h"

namespace vm {

void LineLog::record(const LogEvent& event) {
  const uint32_t at = now_ ? now_() : 0u;
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%8u ", at);
  LoggedEvent logged{at, event, stamp + log_line(event)};
  if (echo) echo(logged);
  if (keep) events_.push_back(std::move(logged));
}

std::vector<std::string> LineLog::lines() const {
  std::vector<std::string> out;
  out.reserve(events_.size());
  for (const LoggedEvent& e : events_) out.push_back(e.line);
  return out;
}

class HeadlessSingleCopy : public SingleCopy {
 public:
  explicit HeadlessSingleCopy(Headless& h) : h_(h) {}
  bool other_copy_running() override { return h_.other_copy; }
  std::unique_ptr<FolderHold> hold_data_folder(const std::string& data_dir) override {
    return FolderLock::take(data_dir);
  }

 private:
  Headless& h_;
};

class HeadlessShell : public Shell {
 public:
  explicit HeadlessShell(Headless& h) : h_(h) {}
  void open_with_shell(const std::string& target) override {
    h_.shell_opened.push_back(target);
    h_.log_.record(LogEvent::shell(target));
  }

 private:
  Headless& h_;
};

class HeadlessSettings : public SettingsStore {
 public:
  explicit HeadlessSettings(Headless& h) : h_(h) {}
  PlayerSettings settings() override { return h_.player_settings; }
  void save_settings(const PlayerSettings& s) override {
    h_.player_settings = s;
    ++h_.settings_saves;
  }

 private:
  Headless& h_;
};

// The speech service: what would be spoken is noted, in order; with
// no_speech there is no service at all and nothing is noted.
class HeadlessSpeech : public Speech {
 public:
  explicit HeadlessSpeech(Headless& h) : h_(h) {}
  bool available() override { return !h_.no_speech; }
  void say(const std::string& text) override {
    if (h_.no_speech) return;
    h_.spoken.push_back(text);
    h_.log_.record(LogEvent::speak(text));
  }
  void stop() override {
    if (!h_.no_speech) h_.log_.record(LogEvent::hush());
  }

 private:
  Headless& h_;
};

class HeadlessFileMonitor : public FileMonitor {
 public:
  explicit HeadlessFileMonitor(Headless& h) : h_(h) {}
  Result<void> watch(const std::string& dir) override {
    h_.watched_ = dir;
    h_.log_.record(LogEvent::watching(dir));
    return {};
  }

 private:
  Headless& h_;
};

void Headless::file_changed(uint32_t at_ms, const std::string& name) {
  InputEvent ev;
  ev.kind = InputEvent::FileChanged;
  ev.name = name;
  schedule(at_ms, ev);
}

Headless::Headless() : Headless(nullptr) {}

Headless::Headless(Files& files) : Headless(&files) {}

Headless::Headless(Files* files) : log_([this] { return now_; }) {
  if (!files) {
    own_files_ = std::make_unique<DiskFiles>();
    files = own_files_.get();
  }
  window_ = make_headless_window(*this);
  clock_ = make_headless_clock(*this);
  dialogs_ = make_headless_dialogs(*this);
  pictures_ = std::make_unique<PixbufPictures>(*files);
  text_ = std::make_unique<PangoText>();
  music_ = make_headless_music(*this);
  effects_ = make_headless_effects(*this);
  volume_ = make_headless_volume(*this);
  single_copy_ = std::make_unique<HeadlessSingleCopy>(*this);
  shell_ = std::make_unique<HeadlessShell>(*this);
  forms_service_ = make_headless_forms(*this);
  settings_ = std::make_unique<HeadlessSettings>(*this);
  speech_ = std::make_unique<HeadlessSpeech>(*this);
  platform_ = std::make_unique<Platform>(Platform{.window = *window_,
                                                  .clock = *clock_,
                                                  .dialogs = *dialogs_,
                                                  .pictures = *pictures_,
                                                  .text = *text_,
                                                  .music = *music_,
                                                  .effects = *effects_,
                                                  .volume = *volume_,
                                                  .single_copy = *single_copy_,
                                                  .shell = *shell_,
                                                  .log = log_,
                                                  .forms = *forms_service_,
                                                  .settings = *settings_,
                                                  .files = *files,
                                                  .speech = *speech_});
  monitor_ = std::make_unique<HeadlessFileMonitor>(*this);
}

Headless::~Headless() = default;

}  // namespace vm
