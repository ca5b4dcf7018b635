#include "platform/desktop/spd_speech.h"

#include <libspeechd.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace vm {

namespace {

class SpdSpeech : public Speech {
 public:
  explicit SpdSpeech(EventLog& log) : log_(log) {}
  ~SpdSpeech() override {
    if (conn_) spd_close(conn_);
  }
  SpdSpeech(const SpdSpeech&) = delete;
  SpdSpeech& operator=(const SpdSpeech&) = delete;

  bool available() override { return connect(); }

  // What is still being said goes first, so a new message or a new
  // highlight is heard at once instead of after the old one.
  void say(const std::string& text) override {
    if (!connect()) return;
    spd_cancel(conn_);
    if (spd_say(conn_, SPD_TEXT, text.c_str()) < 0) lost("it did not take the text");
  }

  void stop() override {
    if (conn_ && spd_cancel(conn_) < 0) lost("it did not stop");
  }

 private:
  bool connect() {
    if (conn_) return true;
    if (failed_) return false;
    // A speech service that goes away must not end the game with a broken
    // pipe: the write fails and the voice goes quiet instead.
    std::signal(SIGPIPE, SIG_IGN);
    char* error = nullptr;
    // No address: SPEECHD_ADDRESS, else the user's own socket, starting the
    // service when it is installed but not running.
    conn_ = spd_open2("velmora", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    if (!conn_) {
      failed_ = true;
      log_.record(LogEvent::warning(std::string("no speech service: ") +
                                    (error ? error : "cannot connect")));
      std::free(error);
      return false;
    }
    spd_set_language(conn_, "ja");
    return true;
  }

  void lost(const std::string& why) {
    log_.record(LogEvent::warning("the speech service went away (" + why + ")"));
    spd_close(conn_);
    conn_ = nullptr;
    failed_ = true;
  }

  EventLog& log_;
  SPDConnection* conn_ = nullptr;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Speech> make_spd_speech(EventLog& log) {
  return std::make_unique<SpdSpeech>(log);
}

}  // namespace vm
