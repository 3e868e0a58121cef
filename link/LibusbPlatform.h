// The platform for real instruments, through libusb-1.0. Each row of the
// device table is one interface class; its present devices are listed in a
// stable order (bus number, then port path). Opening the interface opens
// the device and claims the instrument's interface; the pipes PIPE00..PIPE03
// are that interface's endpoints in the order of their descriptors.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "DeviceTable.h"
#include "Platform.h"

struct libusb_context;
struct libusb_device_handle;

namespace conduit {

// Every transfer gets this time-out: an instrument that stops answering
// without being unplugged must not freeze the program.
inline constexpr unsigned kTransferTimeoutMs = 5000;

class TLibusbPlatform : public IPlatform {
 public:
  // `transferTimeoutMs` is there for tests of a silent instrument, which
  // need not wait the full time-out.
  explicit TLibusbPlatform(TDeviceTable table, unsigned transferTimeoutMs = kTransferTimeoutMs);
  ~TLibusbPlatform() override;
  TLibusbPlatform(const TLibusbPlatform&) = delete;
  TLibusbPlatform& operator=(const TLibusbPlatform&) = delete;

  std::vector<std::uint8_t> ClassDeviceTypes() override;
  std::vector<std::string> EnumerateInterfaces(std::size_t classIndex) override;
  THandle Open(const std::string& path) override;
  bool Write(THandle handle, const std::uint8_t* data, std::size_t n, std::size_t& done) override;
  bool Read(THandle handle, std::uint8_t* data, std::size_t n, std::size_t& done) override;
  void Close(THandle handle) override;
  std::string LastOpenError() const override { return OpenError; }
  TStateDescription Describe(const TSearchOutcome& last) const override;

  // Where the table came from, for telling the user which file to edit;
  // `read` false: there was no such file.
  void SetTableSource(std::string path, bool read) {
    TablePath = std::move(path);
    TableRead = read;
  }

 private:
  struct TOpenDevice {
    libusb_device_handle* Handle = nullptr;
    int Interface = -1;
    std::vector<std::uint8_t> Endpoints;      // addresses, in descriptor order
    std::vector<std::uint8_t> EndpointTypes;  // transfer type of each
    int Users = 0;
  };
  struct THandleEntry {
    std::string Device;
    int Pipe;  // -1: the interface itself
  };

  bool EnsureContext();
  TOpenDevice* OpenDevice(const std::string& devicePath);
  void ReleaseDevice(const std::string& devicePath);
  bool Transfer(THandle handle, std::uint8_t* data, std::size_t n, std::size_t& done,
                bool towardsHost);

  TDeviceTable Table;
  unsigned TransferTimeoutMs;
  libusb_context* Context = nullptr;
  bool ContextFailed = false;
  std::string ContextError;
  std::string OpenError;
  std::string TablePath = "conduit-devices.txt";
  bool TableRead = true;
  std::map<std::string, TOpenDevice> Devices;
  std::map<THandle, THandleEntry> Handles;
  THandle NextHandle = 1;
};

}  // namespace conduit
