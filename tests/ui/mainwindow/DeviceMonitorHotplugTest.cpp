// The program's device monitor against udev events as umockdev sends them
// for the emulated instrument: the main window must hear of an arrival and
// a removal exactly once each, in the order it handles them, and nothing of
// devices that are no instrument.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdint>
#include <vector>

#include <ui/mainwindow/DeviceMonitorUnit.h>

#include "link/UsbEmulation.h"

namespace velt {
namespace {

using Codes = std::vector<std::uint16_t>;

class TCoreEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { Application = new QCoreApplication(Argc, Argv); }
  void TearDown() override { delete Application; }

 private:
  int Argc = 1;
  char Name[32] = "DeviceMonitorHotplugTest";
  char* Argv[2] = {Name, nullptr};
  QCoreApplication* Application = nullptr;
};

const auto* const kCoreEnvironment = ::testing::AddGlobalTestEnvironment(new TCoreEnvironment);

class DeviceMonitorHotplug : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Device.Ready()) << Device.Problem();
    // The monitor's netlink socket must be made after the testbed exists.
    Monitor = std::make_unique<TDeviceMonitor>([this] { return Present; });
    ASSERT_TRUE(Monitor->UdevActive()) << "umockdev offers no udev monitor";
    Monitor->OnDeviceChange = [this](std::uint16_t code) { Seen.push_back(code); };
    Monitor->Start();
  }

  // Runs the event loop until `count` events have come in, or two seconds
  // have passed, and a little longer to catch any that should not come.
  Codes WaitFor(std::size_t count) {
    QElapsedTimer clock;
    clock.start();
    while (Seen.size() < count && clock.elapsed() < 2000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const qint64 settled = clock.elapsed() + 100;
    while (clock.elapsed() < settled) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    Codes seen;
    seen.swap(Seen);
    return seen;
  }

  testing::TEmulatedUsbInstrument Device{testing::kFirstClassProduct, {}, {}};
  std::unique_ptr<TDeviceMonitor> Monitor;
  bool Present = false;
  Codes Seen;
};

TEST_F(DeviceMonitorHotplug, ArrivalAndRemovalEachComeOnceAfterTheNodesChange) {
  Present = true;
  Device.Announce();
  EXPECT_EQ(WaitFor(2), (Codes{kDeviceNodesChanged, kDeviceArrival}));
  // udev has told it; the presence poll must not tell it a second time.
  Monitor->Poll();
  EXPECT_TRUE(Seen.empty());

  Present = false;
  Device.Remove();
  EXPECT_EQ(WaitFor(2), (Codes{kDeviceNodesChanged, kDeviceRemoveComplete}));
  Monitor->Poll();
  EXPECT_TRUE(Seen.empty());

  // Plugged in again: the same pair again.
  Present = true;
  Device.Announce();
  EXPECT_EQ(WaitFor(2), (Codes{kDeviceNodesChanged, kDeviceArrival}));
}

TEST_F(DeviceMonitorHotplug, AChangeOfTheDeviceIsNeitherArrivalNorRemoval) {
  Present = true;
  Device.Announce("change");
  EXPECT_EQ(WaitFor(1), (Codes{kDeviceNodesChanged}));
}

TEST_F(DeviceMonitorHotplug, InterfacesAndOtherSubsystemsPassUnseen) {
  Device.AnnounceInterface();
  Device.AnnounceDisk();
  // The instrument's own event comes last on the same socket: once it is
  // in, the two before it had their chance.
  Present = true;
  Device.Announce();
  EXPECT_EQ(WaitFor(2), (Codes{kDeviceNodesChanged, kDeviceArrival}));
}

TEST_F(DeviceMonitorHotplug, AStoppedMonitorIsDeaf) {
  Monitor->Stop();
  Device.Announce();
  EXPECT_TRUE(WaitFor(1).empty());
}

}  // namespace
}  // namespace velt
