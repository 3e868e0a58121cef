#include <ui/mainwindow/DeviceMonitorUnit.h>

#include <libudev.h>

#include <QSocketNotifier>
#include <cstring>

namespace velt {

TDeviceMonitor::TDeviceMonitor(std::function<bool()> present, QObject* parent)
    : QObject(parent), Present(std::move(present)) {
  PollTimer.setInterval(1000);
  connect(&PollTimer, &QTimer::timeout, this, &TDeviceMonitor::Poll);
  Udev = udev_new();
  if (Udev != nullptr) {
    Monitor = udev_monitor_new_from_netlink(Udev, "udev");
  }
  if (Monitor != nullptr &&
      (udev_monitor_filter_add_match_subsystem_devtype(Monitor, "usb", "usb_device") < 0 ||
       udev_monitor_enable_receiving(Monitor) < 0)) {
    udev_monitor_unref(Monitor);
    Monitor = nullptr;
  }
  if (Monitor != nullptr) {
    Notifier = new QSocketNotifier(udev_monitor_get_fd(Monitor), QSocketNotifier::Read, this);
    Notifier->setEnabled(false);
    connect(Notifier, &QSocketNotifier::activated, this, &TDeviceMonitor::UdevReadable);
  }
}

TDeviceMonitor::~TDeviceMonitor() {
  delete Notifier;
  if (Monitor != nullptr) {
    udev_monitor_unref(Monitor);
  }
  if (Udev != nullptr) {
    udev_unref(Udev);
  }
}

void TDeviceMonitor::Start() {
  LastPresent = Present ? Present() : false;
  if (Notifier != nullptr) {
    Notifier->setEnabled(true);
  }
  PollTimer.start();
}

void TDeviceMonitor::Stop() {
  PollTimer.stop();
  if (Notifier != nullptr) {
    Notifier->setEnabled(false);
  }
}

void TDeviceMonitor::Deliver(std::uint16_t code) {
  if (OnDeviceChange) {
    OnDeviceChange(code);
  }
}

void TDeviceMonitor::UdevReadable() {
  udev_device* device = udev_monitor_receive_device(Monitor);
  if (device == nullptr) {
    return;
  }
  const char* action = udev_device_get_action(device);
  const bool added = action != nullptr && std::strcmp(action, "add") == 0;
  const bool removed = action != nullptr && std::strcmp(action, "remove") == 0;
  udev_device_unref(device);
  Deliver(kDeviceNodesChanged);
  if (added) {
    Deliver(kDeviceArrival);
  } else if (removed) {
    Deliver(kDeviceRemoveComplete);
  }
  // udev has told it: the poll must not tell it again.
  LastPresent = Present ? Present() : false;
}

void TDeviceMonitor::Poll() {
  const bool present = Present ? Present() : false;
  if (present == LastPresent) {
    return;
  }
  LastPresent = present;
  Deliver(kDeviceNodesChanged);
  Deliver(present ? kDeviceArrival : kDeviceRemoveComplete);
}

}  // namespace velt
