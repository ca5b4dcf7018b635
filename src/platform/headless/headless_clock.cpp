// The virtual clock: sleeping moves it on at once, and the date follows it.
#include "platform/headless/headless_services.h"

namespace vm {

class HeadlessClock : public Clock {
 public:
  explicit HeadlessClock(Headless& h) : h_(h) {}
  uint32_t tick_count() override { return h_.now_; }
  void sleep(int ms) override {
    if (ms > 0) h_.now_ += static_cast<uint32_t>(ms);
  }
  // The start date moved on by the virtual clock, whole minutes only.
  DateTime local_time() override {
    DateTime t = h_.start_date;
    long minutes = t.minute + t.hour * 60L + static_cast<long>(h_.now_ / 60000);
    int days = static_cast<int>(minutes / 1440);
    minutes %= 1440;
    t.hour = static_cast<int>(minutes / 60);
    t.minute = static_cast<int>(minutes % 60);
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    while (days-- > 0) {
      const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
      const int in_month = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
      if (++t.day > in_month) {
        t.day = 1;
        if (++t.month > 12) {
          t.month = 1;
          ++t.year;
        }
      }
    }
    return t;
  }

 private:
  Headless& h_;
};

std::unique_ptr<Clock> make_headless_clock(Headless& h) {
  return std::make_unique<HeadlessClock>(h);
}

}  // namespace vm
