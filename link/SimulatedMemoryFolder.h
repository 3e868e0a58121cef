// The simulated instrument's memory as a folder, so memory captured from a
// real instrument can be replayed and a simulated session kept:
//   identity          four text lines: DEVICE TYPE:n, MAJOR:n, MINOR:n, LOCAL:n
//   config-00.bin ..  config-99.bin, 512 bytes each; a missing file is an
//                     erased slot
//   record-0001.bin   2560 bytes each, consecutive from 0001; the first
//   ...               missing number ends the records
//   clock.bin         optional, 256 bytes: the last clock block received
#pragma once

#include <optional>
#include <string>

#include "SimulatedMemory.h"

namespace conduit {

// Nullopt, with the reason in `error`, when the folder is not such a memory.
std::optional<TSimulatedMemory> LoadMemoryFolder(const std::string& folder, std::string& error);

// Writes `memory` into `folder` (created when missing), each file through a
// temporary file renamed over the old one; files of erased slots and of
// records beyond the last are removed. False, with the reason in `error`,
// when a file cannot be written.
bool SaveMemoryFolder(const TSimulatedMemory& memory, const std::string& folder,
                      std::string& error);

// Writes only what one exchange changed: slot N, or the clock.
bool SaveMemorySlot(const TSimulatedMemory& memory, std::size_t slot, const std::string& folder,
                    std::string& error);
bool SaveMemoryClock(const TSimulatedMemory& memory, const std::string& folder, std::string& error);

}  // namespace conduit
