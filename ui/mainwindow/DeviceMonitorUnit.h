// Device notifications on Linux: a libudev monitor of the USB devices,
// read on the user-interface thread through a socket notifier, turned into
// the three events the main window handles (device nodes changed, device
// arrival, device removal complete). Where udev tells nothing (the
// simulated instrument, containers without udev), a presence poll once a
// second through the bound USBStatus gives the same events when presence
// changes.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace velt {

inline constexpr std::uint16_t kDeviceNodesChanged = 7;
inline constexpr std::uint16_t kDeviceArrival = 0x8000;
inline constexpr std::uint16_t kDeviceRemoveComplete = 0x8004;

class TDeviceMonitor : public QObject {
  Q_OBJECT

 public:
  // `present` says whether an instrument is present now.
  TDeviceMonitor(std::function<bool()> present, QObject* parent = nullptr);
  ~TDeviceMonitor() override;
  TDeviceMonitor(const TDeviceMonitor&) = delete;
  TDeviceMonitor& operator=(const TDeviceMonitor&) = delete;

  // Called with each event code, in order.
  std::function<void(std::uint16_t)> OnDeviceChange;

  bool UdevActive() const { return Monitor != nullptr; }
  // Starts watching; the presence seen now is the starting point of the poll.
  void Start();
  void Stop();
  // One round of the presence poll (the timer calls it every second).
  void Poll();

 private:
  void UdevReadable();
  void Deliver(std::uint16_t code);

  std::function<bool()> Present;
  udev* Udev = nullptr;
  udev_monitor* Monitor = nullptr;
  QSocketNotifier* Notifier = nullptr;
  QTimer PollTimer;
  bool LastPresent = false;
};

}  // namespace velt
