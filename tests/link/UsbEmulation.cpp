#include "UsbEmulation.h"

#include <linux/usb/ch9.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

namespace velt::testing {
namespace {

constexpr const char* kSysPath = "/sys/devices/pci0000:00/usb1/1-3";
constexpr const char* kDevNode = "/dev/bus/usb/001/005";

// The device descriptor followed by the whole configuration, as sysfs
// shows it in "descriptors". Little-endian, as on the wire.
std::vector<std::uint8_t> Descriptors(std::uint16_t vendor, std::uint16_t product) {
  const auto lo = [](std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); };
  const auto hi = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
  std::vector<std::uint8_t> d = {18,   1,    0x00,       0x02,       0xFF,        0x00,
                                 0x00, 64,   lo(vendor), hi(vendor), lo(product), hi(product),
                                 0x00, 0x01, 0,          0,          0,           1};
  const std::uint16_t total = 9 + 9 + 7 + 9 + 4 * 7;
  const std::vector<std::uint8_t> config = {
      9, 2, lo(total), hi(total), 2, 1, 0, 0x80, 50,
      // interface 0: one interrupt endpoint, not the instrument
      9, 4, 0, 0, 1, 0xFF, 0x00, 0x00, 0, 7, 5, 0x85, 0x03, 8, 0, 10,
      // interface 1: the instrument's four bulk endpoints, PIPE00..PIPE03
      9, 4, kInstrumentInterface, 0, 4, 0xFF, 0x00, 0x00, 0, 7, 5, kServiceInEndpoint, 0x02, 0x00,
      0x02, 0, 7, 5, kServiceOutEndpoint, 0x02, 0x00, 0x02, 0, 7, 5, kBulkInEndpoint, 0x02, 0x00,
      0x02, 0, 7, 5, kBulkOutEndpoint, 0x02, 0x00, 0x02, 0};
  d.insert(d.end(), config.begin(), config.end());
  return d;
}

usbdevfs_urb* UrbOf(UMockdevIoctlData* data) {
  return reinterpret_cast<usbdevfs_urb*>(data->data);
}

}  // namespace

struct TEmulatedUsbInstrument::TUrb {
  UMockdevIoctlData* Urb = nullptr;     // the client's struct usbdevfs_urb
  UMockdevIoctlData* Buffer = nullptr;  // its data buffer, null when empty
  std::uint8_t Endpoint = 0;
  bool Done = false;
  bool Stuck = false;  // the instrument will never answer it
  int Status = 0;
  int Actual = 0;
};

conduit::TDeviceTable EmulationDeviceTable() {
  conduit::TDeviceTable table;
  table.Rows = {{kEmulatedVendor, kFirstClassProduct, 1},
                {kEmulatedVendor, kSecondClassProduct, 1},
                {kEmulatedVendor, kThirdClassProduct, 2}};
  return table;
}

TEmulatedUsbInstrument::TEmulatedUsbInstrument(std::uint16_t productId,
                                               conduit::TSimulatorIdentity identity,
                                               conduit::TSimulatorFaults faults)
    : Instrument(identity, faults) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload == nullptr || std::strstr(preload, "umockdev-preload") == nullptr) {
    SetupProblem = "not running under umockdev-wrapper";
    return;
  }
  Testbed = umockdev_testbed_new();
  Handler = umockdev_ioctl_base_new();
  g_signal_connect(Handler, "handle-ioctl", reinterpret_cast<GCallback>(&HandleIoctl), this);
  GError* error = nullptr;
  // The handler must be in place before the node appears.
  if (!umockdev_testbed_attach_ioctl(Testbed, kDevNode, Handler, &error)) {
    SetupProblem = std::string("attach_ioctl: ") + error->message;
    g_error_free(error);
    return;
  }
  std::ostringstream device;
  device << "P: /devices/pci0000:00/usb1/1-3\n"
         << "N: bus/usb/001/005\n"
         << "E: SUBSYSTEM=usb\n"
         << "E: DEVTYPE=usb_device\n"
         << "E: DEVNAME=" << kDevNode << "\n"
         << "E: BUSNUM=001\n"
         << "E: DEVNUM=005\n";
  if (!umockdev_testbed_add_from_string(Testbed, device.str().c_str(), &error)) {
    SetupProblem = std::string("add_from_string: ") + error->message;
    g_error_free(error);
    return;
  }
  SysPath = kSysPath;
  // sysfs values end in a newline; libusb insists on it.
  for (const auto& [name, value] :
       {std::pair{"busnum", "1\n"}, std::pair{"devnum", "5\n"}, std::pair{"speed", "480\n"},
        std::pair{"bConfigurationValue", "1\n"}, std::pair{"bNumConfigurations", "1\n"}}) {
    umockdev_testbed_set_attribute(Testbed, kSysPath, name, value);
  }
  std::vector<std::uint8_t> descriptors = Descriptors(kEmulatedVendor, productId);
  umockdev_testbed_set_attribute_binary(Testbed, kSysPath, "descriptors", descriptors.data(),
                                        static_cast<gint>(descriptors.size()));
}

TEmulatedUsbInstrument::~TEmulatedUsbInstrument() {
  if (Testbed != nullptr) {
    umockdev_testbed_detach_ioctl(Testbed, kDevNode, nullptr);
  }
  for (auto& urb : Urbs) {
    if (urb->Buffer != nullptr) {
      g_object_unref(urb->Buffer);
    }
    g_object_unref(urb->Urb);
  }
  if (Handler != nullptr) {
    g_object_unref(Handler);
  }
  if (Testbed != nullptr) {
    g_object_unref(Testbed);
  }
}

void TEmulatedUsbInstrument::Remove() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Removed = true;
    Instrument.Unplug();
    for (auto& urb : Urbs) {
      if (!urb->Done) {
        urb->Done = true;
        urb->Status = -ESHUTDOWN;
        urb->Actual = 0;
      }
    }
  }
  umockdev_testbed_uevent(Testbed, SysPath.c_str(), "remove");
}

void TEmulatedUsbInstrument::Announce(const char* action) {
  umockdev_testbed_uevent(Testbed, SysPath.c_str(), action);
}

void TEmulatedUsbInstrument::AnnounceInterface() {
  gchar* path = umockdev_testbed_add_device(Testbed, "usb", "1-3:1.1", SysPath.c_str(),
                                                  "bInterfaceNumber", "01\n", nullptr,
                                                  "DEVTYPE", "usb_interface", nullptr);
  umockdev_testbed_uevent(Testbed, path, "add");
  g_free(path);
}

void TEmulatedUsbInstrument::AnnounceDisk() {
  gchar* path = umockdev_testbed_add_device(Testbed, "block", "sdb", nullptr, "size",
                                                  "2048\n", nullptr, "DEVTYPE", "disk", nullptr);
  umockdev_testbed_uevent(Testbed, path, "add");
  g_free(path);
}

bool TEmulatedUsbInstrument::ReleaseStuckTransfers() {
  std::lock_guard<std::mutex> guard(Lock);
  bool any = false;
  for (auto& urb : Urbs) {
    if (!urb->Done && (urb->Endpoint & USB_DIR_IN) != 0) {
      urb->Done = true;
      urb->Status = -EPROTO;
      any = true;
    }
  }
  return any;
}

std::vector<conduit::TTransferRecord> TEmulatedUsbInstrument::Log() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Instrument.Log();
}

conduit::TSimulatedMemory TEmulatedUsbInstrument::Memory() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Instrument.GetMemory();
}

std::set<int> TEmulatedUsbInstrument::ClaimedInterfaces() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Claimed;
}

std::set<int> TEmulatedUsbInstrument::EverClaimed() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Ever;
}

std::vector<unsigned long> TEmulatedUsbInstrument::UnexpectedRequests() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Unexpected;
}

unsigned TEmulatedUsbInstrument::Discarded() const {
  std::lock_guard<std::mutex> guard(Lock);
  return DiscardCount;
}

// Runs on umockdev's own thread.
int TEmulatedUsbInstrument::HandleIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client,
                                        void* self) {
  return static_cast<TEmulatedUsbInstrument*>(self)->Handle(client) ? TRUE : FALSE;
}

bool TEmulatedUsbInstrument::Handle(UMockdevIoctlClient* client) {
  std::lock_guard<std::mutex> guard(Lock);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  if (Removed) {
    if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) {
      Reap(client);  // the URBs killed by the removal come back first
    } else {
      umockdev_ioctl_client_complete(client, -1, ENODEV);
    }
    return true;
  }
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(std::uint32_t), nullptr);
      // Without scatter-gather libusb would split transfers over 16 KiB.
      const std::uint32_t value = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_BULK_CONTINUATION;
      std::memcpy(caps->data, &value, sizeof value);
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM:  // claim, detaching a kernel driver first
    case USBDEVFS_RELEASEINTERFACE: {
      UMockdevIoctlData* number = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned), nullptr);
      unsigned n = 0;
      std::memcpy(&n, number->data, sizeof n);
      if (n > 1) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
      } else if (request != USBDEVFS_RELEASEINTERFACE && ClaimsRefused) {
        umockdev_ioctl_client_complete(client, -1, EBUSY);
      } else if (request != USBDEVFS_RELEASEINTERFACE) {
        Claimed.insert(static_cast<int>(n));
        Ever.insert(static_cast<int>(n));
        umockdev_ioctl_client_complete(client, 0, 0);
      } else {
        Claimed.erase(static_cast<int>(n));
        umockdev_ioctl_client_complete(client, 0, 0);
      }
      return true;
    }
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:
      // No kernel driver is bound to the instrument's interface.
      umockdev_ioctl_client_complete(client, -1, ENODATA);
      return true;
    case USBDEVFS_SUBMITURB:
      Submit(client);
      return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
      Reap(client);
      return true;
    case USBDEVFS_DISCARDURB:
      Discard(client);
      return true;
    default:
      Unexpected.push_back(request);
      umockdev_ioctl_client_complete(client, -1, ENOTTY);
      return true;
  }
}

void TEmulatedUsbInstrument::Submit(UMockdevIoctlClient* client) {
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
  if (urbData == nullptr) {
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return;
  }
  const usbdevfs_urb* urb = UrbOf(urbData);
  const std::uint8_t endpoint = urb->endpoint;
  const bool known = endpoint == kServiceInEndpoint || endpoint == kServiceOutEndpoint ||
                     endpoint == kBulkInEndpoint || endpoint == kBulkOutEndpoint;
  if (urb->type != USBDEVFS_URB_TYPE_BULK || !known || Claimed.count(kInstrumentInterface) == 0) {
    // An endpoint the instrument does not have, or not claimed: the kernel
    // refuses such a URB outright.
    umockdev_ioctl_client_complete(client, -1, known ? EINVAL : ENOENT);
    return;
  }
  auto entry = std::make_unique<TUrb>();
  entry->Urb = UMOCKDEV_IOCTL_DATA(g_object_ref(urbData));
  entry->Endpoint = endpoint;
  const auto length = static_cast<std::size_t>(std::max(urb->buffer_length, 0));
  if (length > 0) {
    UMockdevIoctlData* buffer =
        umockdev_ioctl_data_resolve(urbData, offsetof(usbdevfs_urb, buffer), length, nullptr);
    if (buffer == nullptr) {
      g_object_unref(entry->Urb);
      umockdev_ioctl_client_complete(client, -1, EFAULT);
      return;
    }
    entry->Buffer = UMOCKDEV_IOCTL_DATA(g_object_ref(buffer));
  }
  if ((endpoint & USB_DIR_IN) == 0) {
    // OUT transfers reach the instrument at once.
    std::size_t done = 0;
    const std::uint8_t* bytes = entry->Buffer != nullptr ? entry->Buffer->data : nullptr;
    const bool ok = endpoint == kServiceOutEndpoint
                        ? Instrument.HostWritesService(bytes, length, done)
                        : Instrument.HostWritesBulk(bytes, length, done);
    entry->Done = true;
    entry->Status = ok ? 0 : (Instrument.Present() ? -EPIPE : -ENODEV);
    entry->Actual = static_cast<int>(done);
  }
  Urbs.push_back(std::move(entry));
  umockdev_ioctl_client_complete(client, 0, 0);
}

// IN transfers wait until the instrument has something for that pipe, as a
// real device NAKs until it has; a silent instrument never answers.
void TEmulatedUsbInstrument::ServePendingReads() {
  for (auto& urb : Urbs) {
    if (urb->Done || urb->Stuck || (urb->Endpoint & USB_DIR_IN) == 0) {
      continue;
    }
    const bool service = urb->Endpoint == kServiceInEndpoint;
    if (Instrument.Silent()) {
      urb->Stuck = true;
      continue;
    }
    const std::size_t pending =
        service ? Instrument.PendingServiceAnswers() : Instrument.PendingBulkBytes();
    if (pending == 0) {
      continue;
    }
    const auto length = static_cast<std::size_t>(UrbOf(urb->Urb)->buffer_length);
    std::size_t done = 0;
    std::uint8_t* into = urb->Buffer != nullptr ? urb->Buffer->data : nullptr;
    const bool ok = service ? Instrument.HostReadsService(into, length, done)
                            : Instrument.HostReadsBulk(into, length, done);
    if (!ok && Instrument.Silent()) {
      urb->Stuck = true;
      continue;
    }
    urb->Done = true;
    urb->Actual = static_cast<int>(done);
    // An empty read of a present instrument is a zero-length packet.
    urb->Status = ok || (Instrument.Present() && !service) ? 0
                  : Instrument.Present()                   ? -EPIPE
                                                           : -ENODEV;
  }
}

void TEmulatedUsbInstrument::Reap(UMockdevIoctlClient* client) {
  if (!Removed) {
    ServePendingReads();
  }
  auto done = Urbs.begin();
  while (done != Urbs.end() && !(*done)->Done) {
    ++done;
  }
  if (done == Urbs.end()) {
    umockdev_ioctl_client_complete(client, -1, Removed ? ENODEV : EAGAIN);
    return;
  }
  TUrb& urb = **done;
  usbdevfs_urb* fields = UrbOf(urb.Urb);
  fields->status = urb.Status;
  fields->actual_length = urb.Actual;
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
  umockdev_ioctl_data_set_ptr(slot, 0, urb.Urb);
  umockdev_ioctl_client_complete(client, 0, 0);
  if (urb.Buffer != nullptr) {
    g_object_unref(urb.Buffer);
  }
  g_object_unref(urb.Urb);
  Urbs.erase(done);
}

void TEmulatedUsbInstrument::Discard(UMockdevIoctlClient* client) {
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  unsigned long address = 0;
  std::memcpy(&address, arg->data, sizeof address);
  for (auto& urb : Urbs) {
    if (urb->Urb->client_addr == address && !urb->Done) {
      urb->Done = true;
      urb->Stuck = false;
      urb->Status = -ENOENT;
      urb->Actual = 0;
      ++DiscardCount;
      umockdev_ioctl_client_complete(client, 0, 0);
      return;
    }
  }
  umockdev_ioctl_client_complete(client, -1, EINVAL);
}

}  // namespace velt::testing
