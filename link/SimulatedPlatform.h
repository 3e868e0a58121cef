// The platform that presents the simulated instrument: one interface in the
// class its profile names, with the four pipes of the real instrument.
#pragma once

#include <map>
#include <memory>

#include "Platform.h"
#include "SimulatedInstrument.h"
#include "SimulatorProfile.h"

namespace conduit {

class TSimulatedPlatform : public IPlatform {
 public:
  explicit TSimulatedPlatform(const TSimulatorProfile& profile);

  TSimulatedInstrument* Instrument() { return Device.get(); }
  std::string InterfacePath() const { return Path; }

  std::vector<std::uint8_t> ClassDeviceTypes() override;
  std::vector<std::string> EnumerateInterfaces(std::size_t classIndex) override;
  THandle Open(const std::string& path) override;
  bool Write(THandle handle, const std::uint8_t* data, std::size_t n, std::size_t& done) override;
  bool Read(THandle handle, std::uint8_t* data, std::size_t n, std::size_t& done) override;
  void Close(THandle handle) override;
  TStateDescription Describe(const TSearchOutcome& last) const override;

  std::size_t OpenHandles() const { return Handles.size(); }
  // Why no instrument is simulated although one was asked for (a profile
  // that did not parse); told to the user with the state.
  void SetProfileProblem(std::string problem) { ProfileProblem = std::move(problem); }

 private:
  static constexpr int kInterfaceHandle = -1;

  std::unique_ptr<TSimulatedInstrument> Device;  // null: nothing plugged in
  std::size_t ClassIndex;
  std::string Path;
  std::string Name;
  std::string ProfileProblem;
  std::map<THandle, int> Handles;  // handle -> pipe number, or the interface itself
  THandle NextHandle = 1;
};

}  // namespace conduit
