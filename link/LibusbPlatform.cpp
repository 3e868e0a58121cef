#include "LibusbPlatform.h"

#include <libusb.h>

#include <algorithm>
#include <climits>
#include <tuple>

#include "Conduit.h"

namespace conduit {
namespace {

// Device paths look like "usb:BUS-PORT.PORT.PORT".
std::string DevicePathOf(libusb_device* device) {
  std::uint8_t ports[8];
  const int depth = libusb_get_port_numbers(device, ports, 8);
  std::string path = "usb:" + std::to_string(libusb_get_bus_number(device)) + "-";
  for (int i = 0; i < depth; ++i) {
    path += (i ? "." : "") + std::to_string(ports[i]);
  }
  return path;
}

struct TFoundDevice {
  std::uint8_t Bus;
  std::vector<std::uint8_t> Ports;
  std::string Path;
};

// Splits "usb:...\PIPE0n" into the device path and the pipe number.
bool SplitPath(const std::string& path, std::string& device, int& pipe) {
  const auto slash = path.find('\\');
  device = path.substr(0, slash);
  pipe = -1;
  if (slash == std::string::npos) {
    return true;
  }
  const std::string name = path.substr(slash + 1);
  if (name.size() != 6 || name.compare(0, 5, "PIPE0") != 0 || name[5] < '0' || name[5] > '3') {
    return false;
  }
  pipe = name[5] - '0';
  return true;
}

}  // namespace

TLibusbPlatform::TLibusbPlatform(TDeviceTable table, unsigned transferTimeoutMs)
    : Table(std::move(table)), TransferTimeoutMs(transferTimeoutMs) {}

TLibusbPlatform::~TLibusbPlatform() {
  for (auto& [path, device] : Devices) {
    libusb_release_interface(device.Handle, device.Interface);
    libusb_close(device.Handle);
  }
  Devices.clear();
  if (Context != nullptr) {
    libusb_exit(Context);
  }
}

bool TLibusbPlatform::EnsureContext() {
  if (Context == nullptr && !ContextFailed) {
    const int result = libusb_init(&Context);
    ContextFailed = result != 0;
    if (ContextFailed) {
      Context = nullptr;
      ContextError = libusb_error_name(result);
    }
  }
  return Context != nullptr;
}

std::vector<std::uint8_t> TLibusbPlatform::ClassDeviceTypes() {
  std::vector<std::uint8_t> types;
  for (const TDeviceTableRow& row : Table.Rows) {
    types.push_back(row.DeviceType);
  }
  return types;
}

std::vector<std::string> TLibusbPlatform::EnumerateInterfaces(std::size_t classIndex) {
  std::vector<TFoundDevice> found;
  if (classIndex >= Table.Rows.size() || !EnsureContext()) {
    return {};
  }
  const TDeviceTableRow& row = Table.Rows[classIndex];
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(Context, &list);
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(list[i], &descriptor) != 0 ||
        descriptor.idVendor != row.VendorId || descriptor.idProduct != row.ProductId) {
      continue;
    }
    TFoundDevice device;
    device.Bus = libusb_get_bus_number(list[i]);
    std::uint8_t ports[8];
    const int depth = libusb_get_port_numbers(list[i], ports, 8);
    device.Ports.assign(ports, ports + std::max(depth, 0));
    device.Path = DevicePathOf(list[i]);
    found.push_back(std::move(device));
  }
  if (count >= 0) {
    libusb_free_device_list(list, 1);
  }
  std::sort(found.begin(), found.end(), [](const TFoundDevice& a, const TFoundDevice& b) {
    return std::tie(a.Bus, a.Ports) < std::tie(b.Bus, b.Ports);
  });
  std::vector<std::string> paths;
  for (const TFoundDevice& device : found) {
    paths.push_back(device.Path);
  }
  return paths;
}

TLibusbPlatform::TOpenDevice* TLibusbPlatform::OpenDevice(const std::string& devicePath) {
  const auto open = Devices.find(devicePath);
  if (open != Devices.end()) {
    ++open->second.Users;
    return &open->second;
  }
  OpenError.clear();
  if (!EnsureContext()) {
    OpenError = ContextError;
    return nullptr;
  }
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(Context, &list);
  libusb_device* match = nullptr;
  for (ssize_t i = 0; i < count && match == nullptr; ++i) {
    if (DevicePathOf(list[i]) == devicePath) {
      match = list[i];
    }
  }
  TOpenDevice device;
  libusb_config_descriptor* config = nullptr;
  if (match != nullptr && libusb_get_active_config_descriptor(match, &config) == 0) {
    // The instrument's interface is the first with four endpoints or more.
    for (int i = 0; i < config->bNumInterfaces && device.Interface < 0; ++i) {
      if (config->interface[i].num_altsetting < 1) {
        continue;
      }
      const libusb_interface_descriptor& alt = config->interface[i].altsetting[0];
      if (alt.bNumEndpoints >= 4) {
        device.Interface = alt.bInterfaceNumber;
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
          device.Endpoints.push_back(alt.endpoint[e].bEndpointAddress);
          device.EndpointTypes.push_back(alt.endpoint[e].bmAttributes & 0x03);
        }
      }
    }
    libusb_free_config_descriptor(config);
  }
  if (match == nullptr) {
    OpenError = libusb_error_name(LIBUSB_ERROR_NO_DEVICE);
  } else if (device.Interface < 0) {
    OpenError = "no interface with four endpoints";
  } else if (const int result = libusb_open(match, &device.Handle); result != 0) {
    // Most often LIBUSB_ERROR_ACCESS: the udev rules are not installed.
    OpenError = libusb_error_name(result);
    device.Handle = nullptr;
  }
  if (count >= 0) {
    libusb_free_device_list(list, 1);
  }
  if (device.Handle == nullptr) {
    return nullptr;
  }
  libusb_set_auto_detach_kernel_driver(device.Handle, 1);
  if (const int result = libusb_claim_interface(device.Handle, device.Interface); result != 0) {
    // LIBUSB_ERROR_BUSY: another program holds the instrument.
    OpenError = libusb_error_name(result);
    libusb_close(device.Handle);
    return nullptr;
  }
  device.Users = 1;
  return &Devices.emplace(devicePath, std::move(device)).first->second;
}

void TLibusbPlatform::ReleaseDevice(const std::string& devicePath) {
  const auto open = Devices.find(devicePath);
  if (open == Devices.end() || --open->second.Users > 0) {
    return;
  }
  libusb_release_interface(open->second.Handle, open->second.Interface);
  libusb_close(open->second.Handle);
  Devices.erase(open);
}

THandle TLibusbPlatform::Open(const std::string& path) {
  std::string devicePath;
  int pipe = -1;
  if (!SplitPath(path, devicePath, pipe)) {
    return kInvalidHandle;
  }
  TOpenDevice* device = OpenDevice(devicePath);
  if (device == nullptr) {
    return kInvalidHandle;
  }
  if (pipe >= static_cast<int>(device->Endpoints.size())) {
    ReleaseDevice(devicePath);
    return kInvalidHandle;
  }
  const THandle handle = NextHandle++;
  Handles[handle] = THandleEntry{devicePath, pipe};
  return handle;
}

bool TLibusbPlatform::Transfer(THandle handle, std::uint8_t* data, std::size_t n,
                               std::size_t& done, bool towardsHost) {
  done = 0;
  const auto entry = Handles.find(handle);
  if (entry == Handles.end() || entry->second.Pipe < 0 || n > INT_MAX) {
    return false;
  }
  const auto device = Devices.find(entry->second.Device);
  if (device == Devices.end()) {
    return false;
  }
  const auto pipe = static_cast<std::size_t>(entry->second.Pipe);
  const std::uint8_t endpoint = device->second.Endpoints[pipe];
  if (((endpoint & LIBUSB_ENDPOINT_IN) != 0) != towardsHost) {
    return false;
  }
  int transferred = 0;
  const int length = static_cast<int>(n);
  const int result =
      device->second.EndpointTypes[pipe] == LIBUSB_TRANSFER_TYPE_INTERRUPT
          ? libusb_interrupt_transfer(device->second.Handle, endpoint, data, length, &transferred,
                                      TransferTimeoutMs)
          : libusb_bulk_transfer(device->second.Handle, endpoint, data, length, &transferred,
                                 TransferTimeoutMs);
  done = static_cast<std::size_t>(std::max(transferred, 0));
  return result == 0;
}

bool TLibusbPlatform::Write(THandle handle, const std::uint8_t* data, std::size_t n,
                            std::size_t& done) {
  // libusb takes a mutable buffer for both directions; an OUT transfer only
  // reads from it.
  return Transfer(handle, const_cast<std::uint8_t*>(data), n, done, false);
}

bool TLibusbPlatform::Read(THandle handle, std::uint8_t* data, std::size_t n, std::size_t& done) {
  return Transfer(handle, data, n, done, true);
}

TStateDescription TLibusbPlatform::Describe(const TSearchOutcome& last) const {
  const std::string help = "; see README.md, \"Using a real instrument\"";
  const std::string table = "the device table " + TablePath;
  if (!TableRead) {
    return {CONDUIT_STATE_USB,
            "no device table at " + TablePath + ": no instrument can be found" + help};
  }
  if (ContextFailed) {
    return {CONDUIT_STATE_USB,
            "libusb cannot start (" + ContextError + "): no instrument can be found"};
  }
  if (Table.Rows.empty()) {
    return {CONDUIT_STATE_USB,
            "no instrument of " + table +
                " is present: it lists no USB id yet; enter your instrument's id in it" + help};
  }
  if (last.Opened) {
    return {CONDUIT_STATE_USB, "instrument at " + last.Path + " (" + table + ")"};
  }
  if (last.Found) {
    return {CONDUIT_STATE_USB_REFUSED, "an instrument of " + table + " is present at " + last.Path +
                                           " but cannot be opened: " + last.OpenError + help};
  }
  return {CONDUIT_STATE_USB, "no instrument of " + table + " is present" + help};
}

void TLibusbPlatform::Close(THandle handle) {
  const auto entry = Handles.find(handle);
  if (entry == Handles.end()) {
    return;
  }
  const std::string device = entry->second.Device;
  Handles.erase(entry);
  ReleaseDevice(device);
}

}  // namespace conduit
