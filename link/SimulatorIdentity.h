// Who the simulated instrument says it is: its device type (the interface
// class it appears in) and the three firmware version bytes it answers to
// the identify command.
#pragma once

#include <cstdint>

namespace conduit {

struct TSimulatorIdentity {
  std::uint8_t DeviceType = 1;  // 1..6
  std::uint8_t MajorVersion = 3;
  std::uint8_t MinorVersion = 26;
  std::uint8_t ConfigLocalVersion = 0;

  friend bool operator==(const TSimulatorIdentity&, const TSimulatorIdentity&) = default;
};

}  // namespace conduit
