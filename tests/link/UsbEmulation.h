// An emulated USB instrument for the libusb backend: a umockdev testbed
// with one device (a device descriptor, one configuration, a vendor
// interface of four bulk endpoints behind a decoy interface) and a usbdevfs
// ioctl handler that carries the URBs to and from the simulated instrument.
// The process must run under umockdev-wrapper.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "DeviceTable.h"
#include "SimulatedInstrument.h"

struct _UMockdevTestbed;
struct _UMockdevIoctlBase;
struct _UMockdevIoctlClient;
struct _UMockdevIoctlData;

namespace velt::testing {

// The endpoints of the instrument's interface in descriptor order, i.e.
// PIPE00..PIPE03. Their addresses are deliberately not in ascending order,
// so a backend that sorted or numbered them would miss.
inline constexpr std::uint8_t kServiceInEndpoint = 0x83;
inline constexpr std::uint8_t kServiceOutEndpoint = 0x04;
inline constexpr std::uint8_t kBulkInEndpoint = 0x81;
inline constexpr std::uint8_t kBulkOutEndpoint = 0x02;
// The instrument's interface number; interface 0 is a decoy with one
// interrupt endpoint that the backend must pass over.
inline constexpr int kInstrumentInterface = 1;
inline constexpr std::uint16_t kEmulatedVendor = 0x1d5c;

class TEmulatedUsbInstrument {
 public:
  // `productId` is the id the device reports; the instrument behind it is
  // the simulated one with the given identity and faults.
  TEmulatedUsbInstrument(std::uint16_t productId, conduit::TSimulatorIdentity identity,
                         conduit::TSimulatorFaults faults);
  ~TEmulatedUsbInstrument();
  TEmulatedUsbInstrument(const TEmulatedUsbInstrument&) = delete;
  TEmulatedUsbInstrument& operator=(const TEmulatedUsbInstrument&) = delete;

  // Whether the testbed came up (the process runs under umockdev-wrapper).
  bool Ready() const { return Testbed != nullptr && Handler != nullptr; }
  std::string Problem() const { return SetupProblem; }

  // Pulls the cable: from now on every ioctl fails as on a gone device, the
  // URBs in flight end with -ESHUTDOWN, and a "remove" uevent goes out.
  void Remove();

  // A uevent for the device as udev sends it: "add" when the cable goes
  // in, "change" when the device changes configuration.
  void Announce(const char* action = "add");
  // Adds a device that is no instrument and sends its "add" uevent: the
  // instrument's vendor interface as its own udev device, or a disk. A
  // monitor of USB devices must let both pass unseen.
  void AnnounceInterface();
  void AnnounceDisk();

  // Another program holds the instrument: every claim of its interface
  // fails with EBUSY.
  void RefuseClaims() {
    std::lock_guard<std::mutex> guard(Lock);
    ClaimsRefused = true;
  }

  // Ends every IN transfer the instrument left hanging with an error, so a
  // backend without a time-out does not block the test for ever. True when
  // there was one to end.
  bool ReleaseStuckTransfers();

  // Read under the handler's lock: the instrument's log and memory, the
  // interfaces claimed, the ioctl requests nobody expected.
  std::vector<conduit::TTransferRecord> Log() const;
  conduit::TSimulatedMemory Memory() const;
  std::set<int> ClaimedInterfaces() const;
  std::set<int> EverClaimed() const;
  std::vector<unsigned long> UnexpectedRequests() const;
  // URBs the host discarded (what libusb does when a transfer times out).
  unsigned Discarded() const;

 private:
  struct TUrb;
  static int HandleIoctl(_UMockdevIoctlBase* handler, _UMockdevIoctlClient* client, void* self);
  bool Handle(_UMockdevIoctlClient* client);
  void Submit(_UMockdevIoctlClient* client);
  void Reap(_UMockdevIoctlClient* client);
  void Discard(_UMockdevIoctlClient* client);
  void ServePendingReads();

  mutable std::mutex Lock;
  conduit::TSimulatedInstrument Instrument;
  _UMockdevTestbed* Testbed = nullptr;
  _UMockdevIoctlBase* Handler = nullptr;
  std::string SysPath;
  std::string SetupProblem;
  bool Removed = false;
  bool ClaimsRefused = false;
  std::set<int> Claimed;
  std::set<int> Ever;
  std::vector<std::unique_ptr<TUrb>> Urbs;  // in submission order
  std::vector<unsigned long> Unexpected;
  unsigned DiscardCount = 0;
};

// The device table of the tests: three classes in discovery order, each
// with its own product id.
inline constexpr std::uint16_t kFirstClassProduct = 0x0101;
inline constexpr std::uint16_t kSecondClassProduct = 0x0102;
inline constexpr std::uint16_t kThirdClassProduct = 0x0203;
conduit::TDeviceTable EmulationDeviceTable();

}  // namespace velt::testing
