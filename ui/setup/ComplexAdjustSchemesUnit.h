// The press-and-hold schemes of the gain, range and cursor buttons: how
// long a held button waits before it repeats, how fast it then repeats and
// how large each step grows the longer it is held.
#pragma once

#include <array>
#include <cstdint>

namespace velt {

enum TAdjustScheme : int {
  kGainDownScheme = 0,
  kGainUpScheme = 1,
  kRangeLongScheme = 2,
  kRangeShortScheme = 3,
  kCursorRightScheme = 4,
  kCursorLeftScheme = 5,
  kNoScheme = -1,
};
inline constexpr int kAdjustSchemes = 6;
inline constexpr int kAdjustEntries = 11;

struct TAdjustEntry {
  double Rate;         // repeats per second
  int Step;
  unsigned Threshold;  // held this many ticks or more
};

struct TAdjustSchemeRow {
  unsigned FirstDelayMs;
  std::array<TAdjustEntry, kAdjustEntries> Entries;
};

const TAdjustSchemeRow& AdjustScheme(int scheme);

// The entry for a tick count: the last one whose threshold the count has
// reached (the first entry below the first threshold).
const TAdjustEntry& AdjustEntryFor(int scheme, unsigned ticks);
int AdjustStep(int scheme, unsigned ticks);
// The repeat interval after `ticks` ticks, milliseconds: at the first tick
// from the first rate, then from the rate for the count.
int AdjustIntervalMs(int scheme, unsigned ticks);

}  // namespace velt
