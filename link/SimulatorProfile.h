// The text that chooses and configures the simulated instrument, as given
// in CONDUIT_SIMULATOR:
//   TYPE:MAJOR.MINOR[.LOCAL][,option...]   an instrument of that identity
//                                          with the demo memory
//   FOLDER[,option...]                     an instrument with the memory of a
//                                          folder (SimulatedMemoryFolder.h);
//                                          any text with a "/" is a folder
//   none                                   no instrument plugged in
// Options:
//   class=N          present the instrument in interface class N (1..7)
//   unplug-after=N   disappear after N pipe transfers
//   replug-after=MS  once the host has closed it (or it disappeared after
//                    unplug-after), stay away MS ms and then come back
//   silent-after=N   stop answering after N pipe transfers (still present)
//   timeout=MS       how long a read of a silent instrument waits (5000)
//   no-ready=K       the K-th ready mark goes out as 0x00
//   short-read=K:M   the K-th bulk-in read returns at most M bytes
//   empty-read=K     the K-th bulk-in read returns no bytes
//   status=C:S       answer command C with status S instead of 2
//   log=PATH         append every transfer to PATH, one line each
//   save=FOLDER      write the memory to FOLDER after every accepted
//                    configuration write, clock set, gain or range
#pragma once

#include <optional>
#include <span>
#include <string>

#include "SimulatedInstrument.h"
#include "SimulatedMemory.h"

namespace conduit {

struct TSimulatorProfile {
  bool Plugged = true;
  std::string Name;           // the TYPE:VERSION part, also the interface path
  std::size_t ClassIndex = 0;  // 0-based position in the interface class table
  TSimulatorIdentity Identity;
  TSimulatorFaults Faults;
  std::string LogPath;
  std::string SavePath;
  // The memory of a folder profile; other profiles get the demo memory of
  // their identity.
  std::optional<TSimulatedMemory> Memory;
};

// A named profile: an identity for each configuration class the program
// knows, with a one-line description.
struct TNamedSimulatorProfile {
  const char* Name;         // as CONDUIT_SIMULATOR takes it, e.g. "1:3.26"
  const char* Description;
};
std::span<const TNamedSimulatorProfile> SimulatorProfileNames();

// Nullopt, with a reason in `error`, when the text is not a valid profile
// or names a folder that is not a valid memory.
std::optional<TSimulatorProfile> ParseSimulatorProfile(const std::string& text,
                                                       std::string& error);

}  // namespace conduit
