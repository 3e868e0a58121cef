// The text that chooses and configures the simulated instrument, as given
// in CONDUIT_SIMULATOR:  TYPE:MAJOR.MINOR[.LOCAL][,option...]
// or "none" for a simulator with no instrument plugged in. Options:
//   class=N          present the instrument in interface class N (1..7)
//   unplug-after=N   disappear after N pipe transfers
//   no-ready=K       the K-th ready mark goes out as 0x00
//   short-read=K:M   the K-th bulk-in read returns at most M bytes
//   empty-read=K     the K-th bulk-in read returns no bytes
//   status=C:S       answer command C with status S instead of 2
//   log=PATH         append every transfer to PATH, one line each
#pragma once

#include <optional>
#include <string>

#include "SimulatedInstrument.h"

namespace conduit {

struct TSimulatorProfile {
  bool Plugged = true;
  std::string Name;           // the TYPE:VERSION part, also the interface path
  std::size_t ClassIndex = 0;  // 0-based position in the interface class table
  TSimulatorIdentity Identity;
  TSimulatorFaults Faults;
  std::string LogPath;
};

// Nullopt, with a reason in `error`, when the text is not a valid profile.
std::optional<TSimulatorProfile> ParseSimulatorProfile(const std::string& text,
                                                       std::string& error);

}  // namespace conduit
