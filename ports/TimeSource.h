// The time port: the pauses the instrument protocol prescribes, and the
// local time the instrument's clock is set to. Tests put a recorder here
// so they never really sleep.
#pragma once

#include <sys/prctl.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace velt {

struct TLocalTime {
  int Year = 2000;  // four digits
  int Month = 1;    // 1..12
  int Day = 1;      // 1..31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

class ITimeSource {
 public:
  virtual ~ITimeSource() = default;
  virtual void Sleep(unsigned milliseconds) = 0;
  virtual TLocalTime LocalTime() = 0;
};

// The machine's own clock and a real pause of the calling thread, never
// shorter than asked. Waking up takes the kernel 50..150 us after a timer
// expires, which adds up to over 1 % on the 10 ms pauses of a long record
// download; so the thread sleeps until a little before the end (with the
// tightest timer slack) and waits out the last few microseconds awake.
class TSystemTimeSource : public ITimeSource {
 public:
  void Sleep(unsigned milliseconds) override {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::this_thread::sleep_until(end - kWakeUpAllowance);
    while (Clock::now() < end) {
      if (end - Clock::now() > kWakeUpAllowance) {
        std::this_thread::sleep_until(end);
      }
    }
  }
  TLocalTime LocalTime() override {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  }

 private:
  static constexpr std::chrono::microseconds kWakeUpAllowance{60};
};

}  // namespace velt
