#include <ui/mainwindow/FrameWakeUnit.h>

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cstdint>

namespace velt {

TFrameWake::TFrameWake(std::function<void()> onWake, QObject* parent)
    : QObject(parent), OnWake(std::move(onWake)) {
  Fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (Fd < 0) {
    return;
  }
  Notifier = new QSocketNotifier(static_cast<qintptr>(Fd), QSocketNotifier::Read, this);
  connect(Notifier, &QSocketNotifier::activated, this, &TFrameWake::Expired);
}

TFrameWake::~TFrameWake() {
  if (Fd >= 0) {
    delete Notifier;
    ::close(Fd);
  }
}

void TFrameWake::Arm(std::chrono::nanoseconds after) {
  if (Fd < 0) {
    return;
  }
  // A zero time would disarm the kernel timer: the earliest moment instead.
  const auto ns = std::max<std::int64_t>(after.count(), 1);
  itimerspec when{};
  when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
  when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
  ::timerfd_settime(Fd, 0, &when, nullptr);
}

void TFrameWake::Disarm() {
  if (Fd < 0) {
    return;
  }
  // Setting the timer also drops an expiry the loop has not seen yet.
  const itimerspec never{};
  ::timerfd_settime(Fd, 0, &never, nullptr);
}

void TFrameWake::Expired() {
  std::uint64_t count = 0;
  if (::read(Fd, &count, sizeof count) != static_cast<ssize_t>(sizeof count) || count == 0) {
    return;
  }
  // Run from the loop's own queue, not inside the socket notification:
  // the frame's exchange runs nested loops of its own, and within a
  // notification the event loop holds back further notifications and
  // input until it returns.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (OnWake) {
          OnWake();
        }
      },
      Qt::QueuedConnection);
}

}  // namespace velt
