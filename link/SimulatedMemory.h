// The memory of the simulated instrument: who it is, its 100 configuration
// slots, its stored records and the last clock block it was sent. Built as
// demo memory from the identity, or loaded from a folder (SimulatedMemoryFolder.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "SimulatedImageWriter.h"
#include "SimulatedSignals.h"
#include "SimulatorIdentity.h"

namespace conduit {

inline constexpr std::size_t kSimulatedSlots = 100;
// A stored record as the instrument sends it: the configuration image in
// force, then first maximums, first minimums, second maximums, second
// minimums (bytes 0..319 samples, 320..511 zero).
inline constexpr std::size_t kSimulatedRecordSize = kSimulatedImageSize + 4 * kSimulatedSignalBlock;
inline constexpr std::size_t kSimulatedClockSize = 256;
using TSimulatedRecord = std::array<std::uint8_t, kSimulatedRecordSize>;
using TSimulatedClock = std::array<std::uint8_t, kSimulatedClockSize>;

struct TSimulatedMemory {
  TSimulatorIdentity Identity;
  // Slot N holds configuration N; an empty optional is an erased slot.
  std::vector<std::optional<TSimulatedImage>> Slots =
      std::vector<std::optional<TSimulatedImage>>(kSimulatedSlots);
  std::vector<TSimulatedRecord> Records;  // record k (from 1) is Records[k - 1]
  std::optional<TSimulatedClock> Clock;   // the last clock block received

  // What the instrument answers for slot N: its image, or 512 bytes of
  // 0xFF for an erased slot (or a number beyond the last slot).
  TSimulatedImage SlotBlock(std::size_t n) const;

  friend bool operator==(const TSimulatedMemory&, const TSimulatedMemory&) = default;
};

// The demo memory: every slot but kDemoErasedSlots filled with a setup of
// its own, configuration 0 the working configuration whose LAST MEM CELL is
// the record count, and kDemoRecordCount records. The same identity gives
// the same bytes on every run.
inline constexpr std::array<std::size_t, 10> kDemoErasedSlots = {7,  23, 36, 44, 58,
                                                                 67, 75, 82, 91, 99};
inline constexpr std::uint16_t kDemoRecordCount = 12;
TSimulatedMemory BuildDemoMemory(const TSimulatorIdentity& identity);

// The setup the demo stores in slot N (0..99), and the one in force when
// demo record k (1..kDemoRecordCount) was stored.
TSimulatedSetup DemoSlotSetup(std::size_t slot);
TSimulatedSetup DemoRecordSetup(std::uint16_t record);

// The live scene: the instrument's probe on a 25 mm steel test block, with
// back-wall echoes and two flaws, at the reference gain ATTENUATOR1 = 40.
inline constexpr std::uint16_t kSimulatedReferenceAttenuator = 40;
TSimulatedScene SimulatedTestBlockScene();

}  // namespace conduit
