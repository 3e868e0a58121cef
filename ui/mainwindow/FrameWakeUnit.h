// A wake-up at an exact moment for the online frame cycle. Qt's own timers
// wait in whole milliseconds, rounded up from the moment the event loop
// goes to sleep, so a frame timer restarted while a frame is still being
// drawn fires up to a millisecond late on every frame. This one sleeps on a
// kernel timer (timerfd) watched by the event loop and wakes within tens of
// microseconds of its moment. Without a timerfd it never fires and the Qt
// timer alone keeps the cycle going.
#pragma once

#include <QObject>
#include <chrono>
#include <functional>

class QSocketNotifier;

namespace velt {

class TFrameWake : public QObject {
 public:
  TFrameWake(std::function<void()> onWake, QObject* parent);
  ~TFrameWake() override;
  TFrameWake(const TFrameWake&) = delete;
  TFrameWake& operator=(const TFrameWake&) = delete;

  // Wakes once, `after` from now; a new arming replaces the one pending.
  void Arm(std::chrono::nanoseconds after);
  void Disarm();
  bool Available() const { return Fd >= 0; }

 private:
  void Expired();

  std::function<void()> OnWake;
  int Fd = -1;
  QSocketNotifier* Notifier = nullptr;
};

}  // namespace velt
