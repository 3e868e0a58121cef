// The online readouts' values and texts: what the eight seven-segment
// readouts of the online tab and the depth labels beside them show for a
// record, and the number format those readouts use. Plain C++ so that the
// rules can be checked and measured without a window.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace velt {

class TDataCell;

// The readouts, in the order of the strip.
enum TOnlineReadout : std::size_t {
  kSignalReadout,
  kAreaReadout,
  kAttenuatorReadout,
  kSearchLevelReadout,
  kTimeReadout,
  kPathReadout,
  kOffsetReadout,
  kDepthReadout,
  kOnlineReadouts
};

// The readouts' digit counts and caption strings (value strings).
inline constexpr std::array<int, kOnlineReadouts> kOnlineReadoutDigits = {3, 4, 3, 3, 4, 4, 4, 4};
inline constexpr int kFirstOnlineReadoutCaption = 49;

// The number format of the readouts. A magnitude of 1000 or more is the
// nearest integer (ties to even); below 1000 the integer part, a point and
// the first decimal, cut rather than rounded, so a value creeping up to
// the next tenth does not show it early. A negative value gets "-" in
// front of its magnitude's text (also when that text is "0.0": the sign
// says on which side of zero the echo lies). Not finite: "--".
std::string ReadoutNumber(double value);

// The nearest integer (ties to even); not finite: "--".
std::string ReadoutInteger(double value);

// The measured values the readouts show, taken from a record with a cell.
struct TOnlineReadoutValues {
  double SignalLevel = 0;  // with the threshold check
  double EquivalentArea = 0;
  int AttenuatorDb = 0;
  int SearchIncrement = 0;
  double MeasuredTime = 0;
  double BeamPath = 0;
  double HorizontalOffset = 0;
  double Depth = 0;
  double EffectiveThickness = 0;
  int LegNumber = 0;
  double InsertionAngle = 0;
};

// The texts of the strip: the eight readouts and the three labels beside
// the depth (thickness, "x" and the leg, "+").
struct TOnlineReadoutTexts {
  std::array<std::string, kOnlineReadouts> Values;
  std::string Thickness;
  std::string Leg;
  std::string Plus;

  bool operator==(const TOnlineReadoutTexts&) const = default;
};

// The values of a record. The record must have a configuration cell. Not
// const: the signal level and the equivalent area enter the record's
// running means (in DGS mode), exactly as the results grid does.
TOnlineReadoutValues OnlineReadoutValues(TDataCell& record);

// The display rules: "--" for a signal level or an area that is not
// available, "off" for a search level of 0, for the horizontal offset of a
// straight probe and for the depth of a surface probe; the depth labels
// only with a thickness and an angle.
TOnlineReadoutTexts OnlineReadoutTexts(const TOnlineReadoutValues& values);

// The strip once the instrument's data are gone: "--" for the signal,
// "---" for the others, dashes for the thickness, "x -" for the leg and
// the "+" between them.
TOnlineReadoutTexts DiscardedReadoutTexts();

}  // namespace velt
