// The libusb backend end to end: the program's own exchanges through the
// link algorithms and the real libusb-1.0 of the machine, against the
// simulated instrument presented as a USB device by umockdev. Every
// exchange must move exactly the bytes it moves over the in-process
// simulated platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include <config/TextRecordIO.h>

#include "ConduitLibrary.h"
#include "LibusbPlatform.h"
#include "UsbEmulation.h"
#include "connection/ExchangeTestSupport.h"
#include "connection/SimulatedLinkSupport.h"

namespace velt {
namespace {

using testing::TEmulatedUsbInstrument;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// Pauses are recorded, not slept; a test can act at the k-th pause.
class THookedTime : public ITimeSource {
 public:
  void Sleep(unsigned milliseconds) override {
    Pauses.push_back(milliseconds);
    if (OnPause) {
      OnPause(Pauses.size());
    }
  }
  TLocalTime LocalTime() override { return {2024, 3, 5, 14, 7, 9}; }
  std::vector<unsigned> Pauses;
  std::function<void(std::size_t)> OnPause;
};

// The program's connection over TConduitLibrary over TLibusbPlatform.
class TUsbLink {
 public:
  TUsbLink(std::uint16_t product, conduit::TSimulatorIdentity identity,
           conduit::TSimulatorFaults faults = {}, unsigned timeoutMs = conduit::kTransferTimeoutMs)
      : Device(product, identity, faults),
        Platform(testing::EmulationDeviceTable(), timeoutMs),
        Library(Platform, Sink),
        Link(EntryPoints()) {
    Current = this;
    if (!Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings")) {
      throw std::runtime_error("the shipped string files do not load");
    }
    Connection = std::make_unique<TInstrumentConnection>(Link, Strings, Feedback, Progress, Time);
  }
  ~TUsbLink() { Current = nullptr; }

  static TConduitEntryPoints EntryPoints() {
    TConduitEntryPoints e;
    e.InitUSB = [] { return Current->Library.InitUSB(); };
    e.CloseUSB = [] { return Current->Library.CloseUSB(); };
    e.USBStatus = [] { return Current->Library.USBStatus(); };
    e.SendServiceBuffer = [](const std::uint8_t* b) {
      return Current->Library.SendServiceBuffer(b);
    };
    e.CheckServiceBuffer = [](std::uint8_t* b) { return Current->Library.CheckServiceBuffer(b); };
    e.SendBulkBuffer = [](const std::uint8_t* d, std::uint16_t n) {
      return Current->Library.SendBulkBuffer(d, n);
    };
    e.CheckBulkBuffer = [](std::uint8_t* d, std::uint16_t n) {
      return Current->Library.CheckBulkBuffer(d, n);
    };
    return e;
  }

  TEmulatedUsbInstrument Device;  // outlives libusb's context below
  testing::TQuietSink Sink;
  conduit::TLibusbPlatform Platform;
  conduit::TConduitLibrary Library;
  TConduitBinding Link;
  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  testing::TRecordingProgress Progress;
  THookedTime Time;
  std::unique_ptr<TInstrumentConnection> Connection;

 private:
  static inline TUsbLink* Current = nullptr;
};

constexpr conduit::TSimulatorIdentity kType1{1, 3, 26, 0};
constexpr conduit::TSimulatorIdentity kType2{2, 5, 4, 4};

std::string ProfileOf(const conduit::TSimulatorIdentity& id) {
  std::string text = std::to_string(id.DeviceType) + ":" + std::to_string(id.MajorVersion) + "." +
                     std::to_string(id.MinorVersion);
  if (id.ConfigLocalVersion != 0) {
    text += "." + std::to_string(id.ConfigLocalVersion);
  }
  return text;
}

std::string TextOf(TBaseConfigCell& cell) {
  std::ostringstream out;
  TTextWriter writer(out);
  cell.WriteText(writer);
  return out.str();
}

std::string Describe(const std::vector<conduit::TTransferRecord>& log) {
  std::ostringstream out;
  for (const auto& t : log) {
    out << static_cast<int>(t.Kind) << (t.Ok ? "+" : "-") << t.Bytes.size() << ":";
    for (std::size_t i = 0; i < std::min<std::size_t>(t.Bytes.size(), 4); ++i) {
      out << static_cast<int>(t.Bytes[i]) << ",";
    }
    out << " ";
  }
  return out.str();
}

Bytes Samples(const Bytes& envelope) {
  return Bytes(envelope.begin(), envelope.begin() + 320);
}

Bytes Block(const conduit::TSimulatedRecord& record, std::size_t k) {
  return Bytes(record.begin() + static_cast<long>(512 * k),
               record.begin() + static_cast<long>(512 * k + 320));
}

#define REQUIRE_EMULATION(link)                                                 \
  if (!(link).Device.Ready()) {                                                 \
    FAIL() << "the USB emulation did not come up: " << (link).Device.Problem(); \
  }

struct TDiscoveryCase {
  const char* Name;
  std::uint16_t Product;
  conduit::TSimulatorIdentity Identity;
  std::uint8_t DeviceType;  // what the table's row for that product says
  friend void PrintTo(const TDiscoveryCase& c, std::ostream* out) { *out << c.Name; }
};

class UsbEmulationDiscoveryTest : public ::testing::TestWithParam<TDiscoveryCase> {};

TEST_P(UsbEmulationDiscoveryTest, IdentifyFindsTheInstrumentThroughTheDeviceTable) {
  const TDiscoveryCase& c = GetParam();
  TUsbLink u(c.Product, c.Identity);
  REQUIRE_EMULATION(u);
  EXPECT_EQ(u.Library.USBStatus(), 1);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected) << Describe(u.Device.Log());
  EXPECT_EQ(u.Connection->State.DeviceType, c.DeviceType);
  EXPECT_EQ(u.Connection->State.MajorVersion, c.Identity.MajorVersion);
  EXPECT_EQ(u.Connection->State.MinorVersion, c.Identity.MinorVersion);
  EXPECT_EQ(u.Connection->State.ConfigLocalVersion, c.Identity.ConfigLocalVersion);
  EXPECT_EQ(u.Library.DevicePath(), "usb:1-3");
  // Only the instrument's interface is claimed, not the decoy before it.
  EXPECT_EQ(u.Device.EverClaimed(), (std::set<int>{testing::kInstrumentInterface}));
  const auto log = u.Device.Log();
  ASSERT_EQ(log.size(), 2u) << Describe(log);
  EXPECT_EQ(log[0].Kind, conduit::TTransferKind::ServiceOut);
  EXPECT_EQ(log[0].Bytes.size(), 8u);
  EXPECT_EQ(log[0].Bytes[0], TInstrumentConnection::kIdentifyCommand);
  EXPECT_EQ(log[1].Kind, conduit::TTransferKind::ServiceIn);
  EXPECT_TRUE(log[1].Ok);
  EXPECT_TRUE(u.Feedback.Messages.empty());
  for (unsigned long request : u.Device.UnexpectedRequests()) {
    ADD_FAILURE() << "unexpected usbdevfs request 0x" << std::hex << request;
  }
  u.Connection->Close();
  EXPECT_TRUE(u.Device.ClaimedInterfaces().empty());  // released with the last pipe
}

INSTANTIATE_TEST_SUITE_P(
    EveryClass, UsbEmulationDiscoveryTest,
    ::testing::Values(TDiscoveryCase{"FirstClass", testing::kFirstClassProduct, kType1, 1},
                      TDiscoveryCase{"SecondClass", testing::kSecondClassProduct, kType1, 1},
                      TDiscoveryCase{"ThirdClass", testing::kThirdClassProduct, kType2, 2}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(UsbEmulationTest, AnInstrumentMissingFromTheTableIsNotFound) {
  TUsbLink u(0x7777, kType1);
  REQUIRE_EMULATION(u);
  EXPECT_EQ(u.Library.USBStatus(), 0);
  EXPECT_EQ(u.Library.InitUSB(), 0);
  EXPECT_TRUE(u.Device.Log().empty());
  u.Platform.SetTableSource("/etc/velt/devices.txt", true);
  char line[256];
  EXPECT_EQ(u.Library.StateDescription(line, sizeof line), CONDUIT_STATE_USB);
  EXPECT_STREQ(line, "no instrument of the device table /etc/velt/devices.txt is present; see "
                     "README.md, \"Using a real instrument\"");
}

// One that another program holds is named as present with libusb's reason,
// not passed off as no instrument.
TEST(UsbEmulationTest, AnInstrumentHeldElsewhereIsReportedWithLibusbsReason) {
  TUsbLink u(testing::kThirdClassProduct, kType2);
  REQUIRE_EMULATION(u);
  u.Device.RefuseClaims();
  EXPECT_EQ(u.Library.InitUSB(), 0);
  char line[256];
  EXPECT_EQ(u.Library.StateDescription(line, sizeof line), CONDUIT_STATE_USB_REFUSED);
  EXPECT_NE(std::string(line).find("is present at usb:1-3 but cannot be opened: "
                                   "LIBUSB_ERROR_BUSY"),
            std::string::npos)
      << line;
  EXPECT_EQ(u.Library.USBStatus(), 0);
  EXPECT_EQ(u.Library.StateDescription(line, sizeof line), CONDUIT_STATE_USB_REFUSED);
}

// The same exchange over libusb and over the simulated platform moves the
// same bytes in the same transfers, and leaves the same model behind.
struct TExchangeCase {
  const char* Name;
  conduit::TSimulatorIdentity Identity;
  conduit::TSimulatorFaults Faults;
  friend void PrintTo(const TExchangeCase& c, std::ostream* out) { *out << c.Name; }
};

class UsbEmulationExchangeTest : public ::testing::TestWithParam<TExchangeCase> {
 protected:
  std::uint16_t Product() const {
    return GetParam().Identity.DeviceType == 2 ? testing::kThirdClassProduct
                                               : testing::kFirstClassProduct;
  }
  std::string Profile() const {
    std::string profile = ProfileOf(GetParam().Identity);
    const auto& f = GetParam().Faults;
    if (f.ShortBulkRead != 0) {
      profile +=
          ",short-read=" + std::to_string(f.ShortBulkRead) + ":" + std::to_string(f.ShortReadBytes);
    }
    return profile;
  }
};

TEST_P(UsbEmulationExchangeTest, ConfigurationDownloadMatchesTheSimulatedLink) {
  TUsbLink u(Product(), GetParam().Identity, GetParam().Faults);
  REQUIRE_EMULATION(u);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected);
  testing::TExchangeFixture sim(Profile());
  ASSERT_TRUE(sim.Connection->State.Connected);

  TUSBConfigsBlock overUsb;
  TUSBConfigsBlock overSim;
  ASSERT_TRUE(u.Connection->DownloadAllConfigurations(overUsb)) << Describe(u.Device.Log());
  ASSERT_TRUE(sim.Connection->DownloadAllConfigurations(overSim));
  EXPECT_EQ(Describe(u.Device.Log()), Describe(sim.Sim.Instrument().Log()));
  EXPECT_EQ(u.Device.Log().size(), sim.Sim.Instrument().Log().size());
  bool sameBytes = u.Device.Log().size() == sim.Sim.Instrument().Log().size();
  for (std::size_t i = 0; sameBytes && i < u.Device.Log().size(); ++i) {
    sameBytes = u.Device.Log()[i].Bytes == sim.Sim.Instrument().Log()[i].Bytes;
  }
  EXPECT_TRUE(sameBytes);
  ASSERT_EQ(overUsb.Configurations.size(), 100u);
  for (std::size_t n = 0; n < 100; ++n) {
    SCOPED_TRACE("slot " + std::to_string(n));
    EXPECT_EQ(TextOf(*overUsb.Configurations[n]), TextOf(*overSim.Configurations[n]));
  }
  EXPECT_TRUE(u.Feedback.Messages.empty());
}

TEST_P(UsbEmulationExchangeTest, ConfigurationUploadLandsInTheInstrumentMemory) {
  TUsbLink u(Product(), GetParam().Identity, GetParam().Faults);
  REQUIRE_EMULATION(u);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected);
  TUSBConfigsBlock configs;
  ASSERT_TRUE(u.Connection->DownloadAllConfigurations(configs));
  for (std::uint16_t n : {2, 7, 61}) {  // 7 is erased in the instrument
    TBaseConfigCell& cell = *configs.Configurations[n];
    cell.ATTENUATOR1 = static_cast<std::uint16_t>(20 + n % 40);
    cell.VELOCITY = static_cast<std::uint16_t>(3100 + n);
    configs.ChangedFlags[n] = true;
  }
  ASSERT_TRUE(u.Connection->UploadChangedConfigurations(configs));
  const conduit::TSimulatedMemory memory = u.Device.Memory();
  for (std::uint16_t n : {2, 7, 61}) {
    SCOPED_TRACE("slot " + std::to_string(n));
    TDeviceImage image{};
    configs.Configurations[n]->EncodeImage(image, n);
    ASSERT_TRUE(memory.Slots[n].has_value());
    EXPECT_TRUE(std::equal(memory.Slots[n]->begin(), memory.Slots[n]->end(), image.begin()));
  }
  // Every chunk went out after its own ready mark, 256 bytes each.
  std::size_t readyMarks = 0;
  std::size_t chunks = 0;
  for (const auto& t : u.Device.Log()) {
    if (t.Kind == conduit::TTransferKind::ServiceIn && t.Ok && t.Bytes.at(0) == 0xFE) {
      ++readyMarks;
    }
    if (t.Kind == conduit::TTransferKind::BulkOut) {
      EXPECT_EQ(t.Bytes.size(), 256u);
      ++chunks;
    }
  }
  EXPECT_EQ(chunks, 6u);
  EXPECT_EQ(readyMarks, 6u);
  EXPECT_TRUE(u.Feedback.Messages.empty());
}

TEST_P(UsbEmulationExchangeTest, RecordDownloadBringsEveryStoredRecord) {
  TUsbLink u(Product(), GetParam().Identity, GetParam().Faults);
  REQUIRE_EMULATION(u);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected);
  TFlawDataBlock records;
  ASSERT_TRUE(u.Connection->DownloadAllRecords(records)) << Describe(u.Device.Log());
  const conduit::TSimulatedMemory memory = u.Device.Memory();
  ASSERT_EQ(records.Records.size(), memory.Records.size());
  ASSERT_EQ(records.Records.size(), conduit::kDemoRecordCount);
  for (std::size_t k = 1; k <= records.Records.size(); ++k) {
    SCOPED_TRACE("record " + std::to_string(k));
    const TDataCell& record = *records.Records[k - 1];
    EXPECT_EQ(Samples(record.FirstMaximums), Block(memory.Records[k - 1], 1));
    EXPECT_EQ(Samples(record.FirstMinimums), Block(memory.Records[k - 1], 2));
    EXPECT_EQ(Samples(record.SecondMaximums), Block(memory.Records[k - 1], 3));
    EXPECT_EQ(Samples(record.SecondMinimums), Block(memory.Records[k - 1], 4));
    EXPECT_EQ(record.FlawNumber, k);
  }
  testing::TExchangeFixture sim(Profile());
  TFlawDataBlock overSim;
  ASSERT_TRUE(sim.Connection->DownloadAllRecords(overSim));
  EXPECT_EQ(Describe(u.Device.Log()), Describe(sim.Sim.Instrument().Log()));
  EXPECT_TRUE(u.Feedback.Messages.empty());
}

TEST_P(UsbEmulationExchangeTest, OnlineFrameFillsTheFourEnvelopes) {
  TUsbLink u(Product(), GetParam().Identity, GetParam().Faults);
  REQUIRE_EMULATION(u);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected);
  auto cell = CreateConfigCellForVersion(
      GetParam().Identity.MajorVersion, GetParam().Identity.MinorVersion,
      GetParam().Identity.ConfigLocalVersion, GetParam().Identity.DeviceType);
  EXPECT_EQ(u.Connection->State.MajorVersion, GetParam().Identity.MajorVersion);
  TDataCell drawing;
  drawing.Refer(cell.get());
  const std::size_t from = u.Device.Log().size();
  ASSERT_TRUE(u.Connection->ReadOnlineFrame(drawing));
  Bytes received;
  const auto log = u.Device.Log();
  for (std::size_t i = from; i < log.size(); ++i) {
    if (log[i].Kind == conduit::TTransferKind::BulkIn) {
      received.insert(received.end(), log[i].Bytes.begin(), log[i].Bytes.end());
    }
  }
  ASSERT_EQ(received.size(), 2048u);
  const auto block = [&received](std::size_t k) {
    return Bytes(received.begin() + static_cast<long>(512 * k),
                 received.begin() + static_cast<long>(512 * k + 320));
  };
  EXPECT_EQ(Samples(drawing.FirstMaximums), block(0));
  EXPECT_EQ(Samples(drawing.FirstMinimums), block(1));
  EXPECT_EQ(Samples(drawing.SecondMaximums), block(2));
  EXPECT_EQ(Samples(drawing.SecondMinimums), block(3));
  // A live frame is not flat: the instrument draws its echoes into it.
  EXPECT_NE(std::count(received.begin(), received.begin() + 320, received[0]), 320);
}

conduit::TSimulatorFaults ShortRead(unsigned k, std::size_t bytes) {
  conduit::TSimulatorFaults f;
  f.ShortBulkRead = k;
  f.ShortReadBytes = bytes;
  return f;
}

INSTANTIATE_TEST_SUITE_P(Instruments, UsbEmulationExchangeTest,
                         ::testing::Values(TExchangeCase{"Type1", kType1, {}},
                                           TExchangeCase{"Type2", kType2, {}},
                                           // A short packet in the middle of a block: the next
                                           // request takes the rest.
                                           TExchangeCase{"ShortRead", kType1, ShortRead(3, 100)}),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST(UsbEmulationFaultTest, RemovalDuringARecordDownloadFailsItAndTheInstrumentIsGone) {
  TUsbLink u(testing::kFirstClassProduct, kType1);
  REQUIRE_EMULATION(u);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected);
  // Record 1 is read with four pauses; the cable goes at the sixth pause,
  // inside record 2 (configuration 0 comes first, with its own pause).
  u.Time.OnPause = [&u](std::size_t k) {
    if (k == 6) {
      u.Device.Remove();
    }
  };
  TFlawDataBlock records;
  const auto start = Clock::now();
  EXPECT_FALSE(u.Connection->DownloadAllRecords(records));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(records.Records.empty());  // a failed download changes nothing
  EXPECT_FALSE(u.Connection->State.Connected);
  EXPECT_FALSE(u.Feedback.Messages.empty());
  // The instrument had answered record 1 and been asked for record 2.
  std::size_t recordRequests = 0;
  for (const auto& t : u.Device.Log()) {
    recordRequests += t.Kind == conduit::TTransferKind::ServiceOut && t.Bytes.at(0) == 5;
  }
  EXPECT_EQ(recordRequests, 2u);
  // libusb hears the "remove" uevent: the instrument is no longer listed.
  std::uint8_t present = 1;
  for (int i = 0; i < 100 && present != 0; ++i) {
    present = u.Library.USBStatus();
    if (present != 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  EXPECT_EQ(present, 0);
  u.Library.CloseUSB();
  EXPECT_EQ(u.Library.InitUSB(), 0);
}

TEST(UsbEmulationFaultTest, ASilentInstrumentEndsInTheTransferTimeOut) {
  constexpr unsigned kTimeoutMs = 300;
  conduit::TSimulatorFaults faults;
  faults.SilentAfterTransfers = 2;  // identify still answers
  faults.ReadTimeoutMs = 0;         // the emulation keeps the transfer pending instead
  TUsbLink u(testing::kFirstClassProduct, kType1, faults, kTimeoutMs);
  REQUIRE_EMULATION(u);
  u.Connection->Connect();
  ASSERT_TRUE(u.Connection->State.Connected);
  // A backend without a time-out would wait for ever: a watchdog ends the
  // hanging transfer and the test records that it had to.
  std::atomic<bool> finished = false;
  std::atomic<bool> rescued = false;
  std::thread watchdog([&] {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!finished && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    while (!finished) {
      rescued = u.Device.ReleaseStuckTransfers() || rescued;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  auto cell = CreateConfigCellForVersion(3, 26, 0, 1);
  const auto start = Clock::now();
  const bool read = u.Connection->ReadConfiguration(*cell, 4);
  const auto elapsed = Clock::now() - start;
  finished = true;
  watchdog.join();
  EXPECT_FALSE(rescued) << "the read hung until the watchdog ended it";
  EXPECT_FALSE(read);
  EXPECT_GE(elapsed, std::chrono::milliseconds(kTimeoutMs));
  EXPECT_LT(elapsed, std::chrono::milliseconds(kTimeoutMs * 6));
  EXPECT_GE(u.Device.Discarded(), 1u);  // libusb gave the transfer up
  EXPECT_FALSE(u.Connection->State.Connected);
  EXPECT_FALSE(u.Feedback.Messages.empty());
}

}  // namespace
}  // namespace velt
