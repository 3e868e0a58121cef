#include <signal/OnlineReadoutValuesUnit.h>

#include <charconv>
#include <cmath>
#include <cstdio>

#include <config/BaseConfigObjectsUnit.h>
#include <records/UniversalDataObjectUnit.h>
#include <signal/ResultParametersUnit.h>

namespace velt {

namespace {

constexpr const char* kNotAvailable = "--";
constexpr const char* kOff = "off";

// Straight probes have no horizontal offset; surface probes (about 90
// degrees) no depth worth showing.
constexpr double kStraightProbeAngle = 0.01;
constexpr double kSurfaceProbeAngle = 89.9;
constexpr double kLargeNumber = 1000;

// A non-negative finite magnitude by the readouts' format.
std::string Magnitude(double m) {
  char text[64];
  if (m >= kLargeNumber) {
    std::snprintf(text, sizeof text, "%.0f", std::nearbyint(m));
    return text;
  }
  // Printed to six decimals first: a tenth that binary cannot hold (2.3 is
  // 2.2999...) must not lose its digit to the cut. The cut itself is then
  // done on the text, which is what "truncated" means to the reader.
  // to_chars: the C locale's point whatever the program's locale is (a
  // GUI runs with the user's, whose separator may be a comma).
  const auto printed = std::to_chars(text, text + sizeof text, m, std::chars_format::fixed, 6);
  const std::string s(text, printed.ptr);
  const std::size_t point = s.find('.');
  // 999.9999999 prints as 1000.000000: it is 1000 by either rule.
  if (point > 3) {
    return "1000";
  }
  return s.substr(0, point + 2);
}

bool Unavailable(double level) {
  return !std::isfinite(level) || level >= kResultNotAvailable;
}

}  // namespace

std::string ReadoutNumber(double value) {
  if (!std::isfinite(value)) {
    return kNotAvailable;
  }
  const std::string text = Magnitude(std::fabs(value));
  return value < 0 ? "-" + text : text;
}

std::string ReadoutInteger(double value) {
  if (!std::isfinite(value)) {
    return kNotAvailable;
  }
  char text[64];
  // "%.0f" of a rounded value: no overflow however large, and no "-0".
  const double r = std::nearbyint(value);
  std::snprintf(text, sizeof text, "%.0f", r == 0 ? 0.0 : r);
  return text;
}

TOnlineReadoutValues OnlineReadoutValues(TDataCell& record) {
  const TBaseConfigCell& cell = *record.Configuration();
  TOnlineReadoutValues v;
  // In the order of the results grid, so that the running means of a DGS
  // setup take their entries in the same order on both.
  v.SignalLevel = SignalLevel(record, true);
  v.SearchIncrement = SearchIncrement(record);
  v.AttenuatorDb = AttenuatorDb(record);
  v.BeamPath = cell.BeamPath();
  v.InsertionAngle = cell.InsertionAngle();
  v.HorizontalOffset = cell.HorizontalOffset();
  v.Depth = cell.Depth();
  v.EffectiveThickness = cell.EffectiveThickness();
  v.LegNumber = cell.LegNumber();
  v.EquivalentArea = EquivalentArea(record);
  v.MeasuredTime = cell.MeasuredTime();
  return v;
}

TOnlineReadoutTexts OnlineReadoutTexts(const TOnlineReadoutValues& v) {
  TOnlineReadoutTexts t;
  t.Values[kSignalReadout] =
      Unavailable(v.SignalLevel) ? kNotAvailable : ReadoutInteger(v.SignalLevel);
  t.Values[kAreaReadout] = Unavailable(v.EquivalentArea) || !(v.EquivalentArea > 0)
                               ? kNotAvailable
                               : ReadoutNumber(v.EquivalentArea);
  t.Values[kAttenuatorReadout] = std::to_string(v.AttenuatorDb);
  t.Values[kSearchLevelReadout] = v.SearchIncrement == 0 ? kOff : std::to_string(v.SearchIncrement);
  t.Values[kTimeReadout] = ReadoutNumber(v.MeasuredTime);
  t.Values[kPathReadout] = ReadoutNumber(v.BeamPath);
  t.Values[kOffsetReadout] =
      v.InsertionAngle < kStraightProbeAngle ? kOff : ReadoutNumber(v.HorizontalOffset);
  t.Values[kDepthReadout] = v.Depth < kLargeNumber && v.InsertionAngle > kSurfaceProbeAngle
                                ? kOff
                                : ReadoutNumber(v.Depth);
  if (v.EffectiveThickness > 0 && v.InsertionAngle > 0) {
    t.Thickness = ReadoutNumber(v.EffectiveThickness);
    t.Leg = "x" + std::to_string(v.LegNumber);
    t.Plus = "+";
  }
  return t;
}

TOnlineReadoutTexts DiscardedReadoutTexts() {
  TOnlineReadoutTexts t;
  t.Values.fill("---");
  t.Values[kSignalReadout] = kNotAvailable;
  t.Thickness = "- - - - -";
  t.Leg = "x -";
  t.Plus = "+";
  return t;
}

}  // namespace velt
