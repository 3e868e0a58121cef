// The colour schemes of the signal pictures: 14 colours by role, with the
// defaults the main window gives its screen scheme and its print scheme.
#pragma once

#include <QColor>
#include <array>
#include <cstddef>

namespace velt {

// The 14 colours of a picture, by role.
enum TSignalColour : int {
  kBackgroundColour = 0,
  kTraceColour = 1,
  kFrameColour = 2,
  kGridColour = 3,  // grid lines, X-scale numbers, unit text
  kAmplitudeNumberColour = 4,
  kCursorColour = 5,
  kStrobe1Colour = 6,
  kStrobe2Colour = 7,
  kMarkerColour = 8,
  kUnusedColour = 9,
  kTgvLineColour = 10,
  kTgvPointColour = 11,  // TGV point squares and labels
  kDgsColour = 12,
  kCorrectedDgsColour = 13,
};
inline constexpr int kSignalColours = 14;

struct TColourScheme {
  std::array<QColor, kSignalColours> Colours;
  const QColor& operator[](int role) const { return Colours[static_cast<std::size_t>(role)]; }
};

// The defaults the main window fills its two schemes with.
TColourScheme ScreenColourScheme();
TColourScheme PrintColourScheme();

}  // namespace velt
