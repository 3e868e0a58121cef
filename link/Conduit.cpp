// The eight exports and the one library-wide object behind them, built when
// the library is loaded and torn down when it is unloaded.
#include "Conduit.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ConduitLibrary.h"
#include "DebugFile.h"
#include "DeviceTable.h"
#include "LibusbPlatform.h"
#include "LinkMessages.h"
#include "SimulatedPlatform.h"
#include "SimulatorProfile.h"
#include "TransferLogFile.h"

namespace conduit {
namespace {

std::string LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&InitUSB), &info) == 0 || info.dli_fname == nullptr) {
    return ".";
  }
  return std::filesystem::path(info.dli_fname).parent_path().string();
}

class TLoadedConduit {
 public:
  TLoadedConduit() {
    ++AttachCount;
    const char* simulator = std::getenv("CONDUIT_SIMULATOR");
    if (simulator != nullptr && *simulator != '\0') {
      Platform = MakeSimulator(simulator);
    } else {
      Platform = MakeLibusb();
    }
    Library = std::make_unique<TConduitLibrary>(*Platform, Messages);
  }
  ~TLoadedConduit() {
    Library.reset();
    Platform.reset();
    --AttachCount;
  }
  TLoadedConduit(const TLoadedConduit&) = delete;
  TLoadedConduit& operator=(const TLoadedConduit&) = delete;

  TConduitLibrary& Get() { return *Library; }

 private:
  std::unique_ptr<IPlatform> MakeSimulator(const std::string& text) {
    std::string error;
    std::optional<TSimulatorProfile> profile = ParseSimulatorProfile(text, error);
    std::string profileProblem;
    if (!profile) {
      std::fprintf(stderr, "Conduit: CONDUIT_SIMULATOR: %s; no instrument is simulated\n",
                   error.c_str());
      profileProblem = error;
      profile = ParseSimulatorProfile("none", error);
    }
    auto platform = std::make_unique<TSimulatedPlatform>(*profile);
    platform->SetProfileProblem(profileProblem);
    if (platform->Instrument() != nullptr) {
      platform->Instrument()->OnProblem = [](const std::string& problem) {
        std::fprintf(stderr, "Conduit: simulated instrument: %s\n", problem.c_str());
      };
    }
    if (!profile->LogPath.empty() && platform->Instrument() != nullptr) {
      Log = std::make_unique<TTransferLogFile>(profile->LogPath);
      platform->Instrument()->OnTransfer = [this](const TTransferRecord& record) {
        Log->Append(record);
      };
    }
    return platform;
  }

  static std::unique_ptr<IPlatform> MakeLibusb() {
    const std::string path = DeviceTablePath(LibraryFolder());
    std::ifstream in(path);
    const bool readable = static_cast<bool>(in);
    TDeviceTable table;
    if (readable) {
      table = ParseDeviceTable(in);
      for (const std::string& problem : table.Problems) {
        std::fprintf(stderr, "Conduit: %s: %s (ignored)\n", path.c_str(), problem.c_str());
      }
    } else {
      std::fprintf(stderr, "Conduit: no device table at %s; no instrument can be found\n",
                   path.c_str());
    }
    auto platform = std::make_unique<TLibusbPlatform>(std::move(table));
    platform->SetTableSource(path, readable);
    return platform;
  }

  TDebugFile Debug;
  TLinkMessages Messages;
  std::unique_ptr<TTransferLogFile> Log;
  std::unique_ptr<IPlatform> Platform;
  std::unique_ptr<TConduitLibrary> Library;
  static inline unsigned char AttachCount = 0;
};

TLoadedConduit gConduit;

}  // namespace
}  // namespace conduit

using conduit::gConduit;

extern "C" {

uint8_t InitUSB(void) { return gConduit.Get().InitUSB(); }
uint8_t CloseUSB(void) { return gConduit.Get().CloseUSB(); }
uint8_t ConnectUSB(void) { return gConduit.Get().ConnectUSB(); }
uint8_t USBStatus(void) { return gConduit.Get().USBStatus(); }
uint8_t SendServiceBuffer(const uint8_t* buffer) { return gConduit.Get().SendServiceBuffer(buffer); }
uint8_t CheckServiceBuffer(uint8_t* buffer) { return gConduit.Get().CheckServiceBuffer(buffer); }
uint8_t SendBulkBuffer(const uint8_t* data, uint16_t length) {
  return gConduit.Get().SendBulkBuffer(data, length);
}
uint8_t CheckBulkBuffer(uint8_t* destination, uint16_t length) {
  return gConduit.Get().CheckBulkBuffer(destination, length);
}
uint8_t USBStateDescription(char* buffer, uint16_t size) {
  return gConduit.Get().StateDescription(buffer, size);
}

}  // extern "C"
