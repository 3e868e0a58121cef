#include "SimulatedPlatform.h"

namespace conduit {

TSimulatedPlatform::TSimulatedPlatform(const TSimulatorProfile& profile)
    : ClassIndex(profile.ClassIndex), Path("sim:" + profile.Name) {
  if (profile.Plugged) {
    Device = profile.Memory
                 ? std::make_unique<TSimulatedInstrument>(*profile.Memory, profile.Faults)
                 : std::make_unique<TSimulatedInstrument>(profile.Identity, profile.Faults);
    Device->SetSaveFolder(profile.SavePath);
  }
}

std::vector<std::uint8_t> TSimulatedPlatform::ClassDeviceTypes() { return {1, 1, 2, 3, 4, 5, 6}; }

std::vector<std::string> TSimulatedPlatform::EnumerateInterfaces(std::size_t classIndex) {
  if (Device && Device->Present() && classIndex == ClassIndex) {
    return {Path};
  }
  return {};
}

THandle TSimulatedPlatform::Open(const std::string& path) {
  if (!Device || !Device->Present()) {
    return kInvalidHandle;
  }
  int pipe = kInterfaceHandle;
  if (path != Path) {
    const std::string prefix = Path + "\\PIPE0";
    if (path.size() != prefix.size() + 1 || path.compare(0, prefix.size(), prefix) != 0 ||
        path.back() < '0' || path.back() > '3') {
      return kInvalidHandle;
    }
    pipe = path.back() - '0';
  }
  const THandle handle = NextHandle++;
  Handles[handle] = pipe;
  return handle;
}

bool TSimulatedPlatform::Write(THandle handle, const std::uint8_t* data, std::size_t n,
                               std::size_t& done) {
  done = 0;
  const auto it = Handles.find(handle);
  if (!Device || it == Handles.end()) {
    return false;
  }
  switch (it->second) {
    case 1:
      return Device->HostWritesService(data, n, done);
    case 3:
      return Device->HostWritesBulk(data, n, done);
    default:
      return false;
  }
}

bool TSimulatedPlatform::Read(THandle handle, std::uint8_t* data, std::size_t n,
                              std::size_t& done) {
  done = 0;
  const auto it = Handles.find(handle);
  if (!Device || it == Handles.end()) {
    return false;
  }
  switch (it->second) {
    case 0:
      return Device->HostReadsService(data, n, done);
    case 2:
      return Device->HostReadsBulk(data, n, done);
    default:
      return false;
  }
}

void TSimulatedPlatform::Close(THandle handle) { Handles.erase(handle); }

}  // namespace conduit
