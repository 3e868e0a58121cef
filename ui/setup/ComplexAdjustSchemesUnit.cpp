#include <ui/setup/ComplexAdjustSchemesUnit.h>

#include <algorithm>

#include <config/Rounding.h>

namespace velt {
namespace {

constexpr unsigned kSlowThresholds[kAdjustEntries] = {1,   5,    10,   20,   50,  100,
                                                      200, 500, 1000, 2000, 5000};
constexpr unsigned kCursorThresholds[kAdjustEntries] = {1, 5, 10, 15, 20, 30, 45, 60, 80, 100, 130};
constexpr double kRangeRates[kAdjustEntries] = {3.0, 3.1, 3.3, 3.5, 3.7, 3.9,
                                                4.1, 4.3, 4.5, 4.7, 5.0};
constexpr int kCursorSteps[kAdjustEntries] = {1, 1, 2, 2, 3, 3, 5, 5, 8, 8, 10};

TAdjustSchemeRow Row(int scheme) {
  TAdjustSchemeRow row{};
  const bool cursor = scheme == kCursorRightScheme || scheme == kCursorLeftScheme;
  const bool range = scheme == kRangeLongScheme || scheme == kRangeShortScheme;
  // Gain up lowers the attenuator; range short and cursor left go back.
  const int sign = scheme == kGainUpScheme || scheme == kRangeShortScheme ||
                           scheme == kCursorLeftScheme
                       ? -1
                       : 1;
  row.FirstDelayMs = scheme == kGainDownScheme || scheme == kGainUpScheme ? 700 : 400;
  for (int i = 0; i < kAdjustEntries; ++i) {
    TAdjustEntry& entry = row.Entries[static_cast<std::size_t>(i)];
    entry.Threshold = cursor ? kCursorThresholds[i] : kSlowThresholds[i];
    entry.Rate = cursor ? 3.0 + 0.5 * i : range ? kRangeRates[i] : 3.0;
    entry.Step = sign * (cursor ? kCursorSteps[i] : i + 1);
  }
  return row;
}

const std::array<TAdjustSchemeRow, kAdjustSchemes> kSchemes = {Row(0), Row(1), Row(2),
                                                               Row(3), Row(4), Row(5)};

}  // namespace

const TAdjustSchemeRow& AdjustScheme(int scheme) {
  return kSchemes[static_cast<std::size_t>(std::clamp(scheme, 0, kAdjustSchemes - 1))];
}

const TAdjustEntry& AdjustEntryFor(int scheme, unsigned ticks) {
  const TAdjustSchemeRow& row = AdjustScheme(scheme);
  std::size_t chosen = 0;
  for (std::size_t i = 0; i < row.Entries.size(); ++i) {
    if (row.Entries[i].Threshold <= ticks) {
      chosen = i;
    }
  }
  return row.Entries[chosen];
}

int AdjustStep(int scheme, unsigned ticks) { return AdjustEntryFor(scheme, ticks).Step; }

int AdjustIntervalMs(int scheme, unsigned ticks) {
  const TAdjustSchemeRow& row = AdjustScheme(scheme);
  const double rate = ticks == 1 ? row.Entries[0].Rate : AdjustEntryFor(scheme, ticks).Rate;
  return RndTo<int>(1000.0 / rate);
}

}  // namespace velt
