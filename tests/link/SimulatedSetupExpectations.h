// What a configuration cell of the program must hold after decoding an
// image the simulator wrote from a setup: the fields of the setup, field by
// field (names padded as the instrument keeps them).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include <config/BaseConfigObjectsUnit.h>

#include "SimulatedImageWriter.h"

namespace conduit {

inline velt::TDeviceImage ToCellImage(const std::uint8_t* bytes) {
  velt::TDeviceImage image{};
  std::copy_n(bytes, kSimulatedImageSize, image.begin());
  return image;
}

// The name with its blanks: 14 positions, 15 in the compact layout of 5.00.
inline std::string Padded(const std::string& name, TSimulatedLayout layout) {
  const std::size_t positions = layout >= TSimulatedLayout::V5_00 ? 15 : 14;
  return name + std::string(positions - name.size(), ' ');
}

inline void ExpectSetup(velt::TBaseConfigCell& cell, const TSimulatedSetup& s, TSimulatedLayout layout) {
  const bool oldest = layout == TSimulatedLayout::Base;
  EXPECT_EQ(cell.CONFIGURATION_NAME, Padded(s.Name, layout));
  EXPECT_EQ(cell.VELOCITY, s.Velocity);
  EXPECT_EQ(cell.ATTENUATOR1, s.Attenuator);
  EXPECT_EQ(cell.INDEX_MARK_MKS, s.IndexMarkMks);
  EXPECT_EQ(cell.PIXEL_GRID_LENGTH, s.PixelGridLength);
  EXPECT_EQ(cell.LAST_MEM_CELL, s.LastMemCell);
  EXPECT_EQ(cell.STROBE_1_LEVEL_PERCENT, s.Strobe1LevelPercent);
  EXPECT_EQ(cell.STROBE_2_LEVEL_PERCENT, s.Strobe2LevelPercent);
  EXPECT_EQ(cell.TGV_NUMBER, s.TgvNumber);
  EXPECT_EQ(cell.SCREEN_MODE, s.ScreenMode);
  EXPECT_EQ(cell.SIGNAL_TYPE, s.SignalType);
  EXPECT_EQ(cell.PROBE_FREQ, s.ProbeFrequencyIndex);
  EXPECT_EQ(cell.REFRESH_RATE, s.RefreshRate);
  EXPECT_EQ(cell.SNAP_DAY, s.Snap[2]);
  EXPECT_EQ(cell.SNAP_MINUTE, s.Snap[4]);
  EXPECT_NEAR(cell.THICKNESS, s.Thickness, 0.051);
  EXPECT_NEAR(cell.PROBE_DELAY, s.ProbeDelay, 0.0051);
  EXPECT_EQ(cell.INSERTION_ANGLE, static_cast<int>(std::nearbyint(s.InsertionAngle)));
  EXPECT_EQ(cell.PROBE_PULSE, s.ProbePulse);
  EXPECT_DOUBLE_EQ(cell.ZONDER_PULSE_PERIODS, s.PulsePeriods);
  EXPECT_EQ(cell.FILTER_BAND, s.FilterBand);
  EXPECT_NEAR(cell.PROBE_ARROW, s.ProbeArrow, 0.0051);
  EXPECT_EQ(cell.OTSECHKA, s.Otsechka);
  EXPECT_EQ(cell.STROBE_ALGORYTHM, s.StrobeAlgorithm);
  EXPECT_EQ(cell.POISK, s.Poisk);
  EXPECT_EQ(cell.CURSOR_1_ENABLED, s.Cursor1Enabled);
  EXPECT_EQ(cell.CURSOR_2_ENABLED, s.Cursor2Enabled);
  EXPECT_EQ(cell.USER_MODE, s.UserMode);
  EXPECT_EQ(cell.TVG_ENABLED, s.TvgEnabled);
  if (layout < TSimulatedLayout::V5_00) {  // the compact layout has no switch bits
    EXPECT_EQ(cell.SOUND_ENABLED, s.SoundEnabled);
    EXPECT_EQ(cell.VCURSOR_ENABLED, s.VCursorEnabled);
    EXPECT_EQ(cell.OPORN_LEVEL_ON, s.ReferenceLevelOn);
  }
  EXPECT_EQ(cell.PROBE_TYPE, s.ProbeType);
  EXPECT_EQ(cell.SCREEN_UNITS, s.ScreenUnits);
  EXPECT_EQ(cell.CONTRAST, s.Contrast);
  EXPECT_EQ(cell.PODSVETKA, s.Backlight);
  EXPECT_EQ(cell.ARD_CORRECTION, s.ArdCorrection);
  EXPECT_NEAR(cell.ARD_ATTENUATION, s.ArdAttenuation, 0.0051);
  EXPECT_NEAR(cell.ARD_PLATE_DIAMETER, s.ArdPlateDiameter, 0.0051);
  EXPECT_EQ(cell.SNAP_YEAR, s.Snap[0]);
  EXPECT_EQ(cell.SNAP_MONTH, s.Snap[1]);
  EXPECT_EQ(cell.SNAP_HOUR, s.Snap[3]);
  EXPECT_EQ(cell.SNAP_SECOND, s.Snap[5]);
  for (std::size_t i = 0; i < s.TgvGain.size(); ++i) {
    EXPECT_EQ(cell.TGV_GAIN[i], s.TgvGain[i]) << "TGV point " << i;
  }
  if (!oldest) {
    constexpr double kTimePerDivision[7] = {1, 2, 5, 10, 25, 50, 100};
    EXPECT_EQ(cell.CONFIG_INDEX, s.ConfigIndex);
    const double column = s.Strobe1Begin * s.PixelGridLength / kTimePerDivision[s.IndexMarkMks];
    EXPECT_NEAR(cell.StrobeBeginPixel(0), column, 0.51);
  }
}

}  // namespace conduit
