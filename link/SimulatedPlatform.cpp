#include "SimulatedPlatform.h"

#include <algorithm>

namespace conduit {

TSimulatedPlatform::TSimulatedPlatform(const TSimulatorProfile& profile)
    : ClassIndex(profile.ClassIndex), Path("sim:" + profile.Name), Name(profile.Name) {
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

void TSimulatedPlatform::Close(THandle handle) {
  const auto it = Handles.find(handle);
  if (it == Handles.end()) {
    return;
  }
  const bool pipe = it->second != kInterfaceHandle;
  Handles.erase(it);
  // The discovery's probes open and close the interface itself; only the
  // host letting go of its last pipe is a close of the instrument.
  const bool pipesLeft = std::any_of(Handles.begin(), Handles.end(), [](const auto& entry) {
    return entry.second != kInterfaceHandle;
  });
  if (pipe && !pipesLeft && Device) {
    Device->HostClosed();
  }
}

TStateDescription TSimulatedPlatform::Describe(const TSearchOutcome&) const {
  if (!Device) {
    return {CONDUIT_STATE_SIMULATED,
            ProfileProblem.empty()
                ? "simulated, no instrument plugged in (CONDUIT_SIMULATOR=none)"
                : "simulated, no instrument: CONDUIT_SIMULATOR: " + ProfileProblem};
  }
  const TSimulatorIdentity& id = Device->GetIdentity();
  std::string text = "simulated instrument " + Name;
  if (Name.find('/') != std::string::npos) {
    text += " (" + std::to_string(id.DeviceType) + ":" + std::to_string(id.MajorVersion) + "." +
            std::to_string(id.MinorVersion) + "." + std::to_string(id.ConfigLocalVersion) + ")";
  }
  if (!Device->Present()) {
    text += ", unplugged";
  }
  return {CONDUIT_STATE_SIMULATED, text};
}

}  // namespace conduit
