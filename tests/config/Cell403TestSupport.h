// Helpers shared by the tests of the 4.03 and 4.08 configuration classes:
// text round trips, field-by-field differences and random valid setups of
// a 4.03 cell (a 4.08 cell is one as well).
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/ConfigObject4_03ver_Unit.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

#include "CellTestSupport.h"

namespace velt {
namespace {

// ---- Field-by-field comparison -----------------------------------------------------

#define VELT_FIELDS(X)                                                                        \
  X(DisplayOffset) X(MAJOR_VERSION_NO) X(MINOR_VERSION_NO) X(CONFIGURATION_NO)                \
  X(INDEX_MARK_MKS) X(INDEX_MARK_MM) X(PIXEL_GRID_LENGTH) X(PREVIOUS_PIXEL_GRID_LENGTH)       \
  X(STROBE_1_LEVEL) X(STROBE_2_LEVEL) X(STROBE_1_LEVEL_PERCENT) X(STROBE_2_LEVEL_PERCENT)     \
  X(CURSOR_POSITION) X(PICTOGR_ARRAY) X(TGV_GAIN) X(TGV_POS) X(TGV_CURSOR_POSITION)           \
  X(TGV_NUMBER) X(ATTENUATOR1) X(VELOCITY) X(POISK) X(THICKNESS) X(ZONDER_PULSE_PERIODS)      \
  X(CURSOR_1_ENABLED) X(CURSOR_2_ENABLED) X(USED_MODE) X(UsedModeCopy) X(TVG_ENABLED)         \
  X(NameChars) X(CONFIGURATION_NAME) X(SCREEN_MODE) X(SIGNAL_TYPE) X(USER_MODE)               \
  X(REFRESH_RATE) X(FILTER_BAND) X(OTSECHKA) X(PROBE_ARROW) X(INSERTION_ANGLE) X(PROBE_FREQ)  \
  X(PROBE_DELAY) X(PROBE_TYPE) X(PROBE_PULSE) X(CONTRAST) X(PODSVETKA) X(B_SCAN_BEGIN)        \
  X(B_SCAN_END) X(B_SCAN_RATE) X(ScreenHeight) X(SCREEN_UNITS) X(SOUND_ENABLED)               \
  X(VCURSOR_ENABLED) X(OPORN_LEVEL_ON) X(LANGUAGE) X(LAST_MEM_CELL) X(EVEN_REMINDER_FLAG)     \
  X(CONFIG_INDEX) X(DEVICE_INDEX) X(SNAP_YEAR) X(SNAP_MONTH) X(SNAP_DAY) X(SNAP_HOUR)         \
  X(SNAP_MINUTE) X(SNAP_SECOND) X(AMPLITUDE_MARKER_POSITION) X(Comments) X(ARD_CORRECTION)    \
  X(STROBE_ALGORYTHM) X(PIXEL_GRID_LENGTH_MM) X(PREV_PIXEL_GRID_LENGTH_MM)                    \
  X(ARD_PLATE_DIAMETER) X(ARD_SIGNAL_AMPLITUDE) X(ARD_PLATE_FLOOR_DIAMETER)                   \
  X(ARD_ATTENUATION) X(Frozen) X(StrobeBeginTime) X(StrobeEndTime) X(BeamAngle)               \
  X(INDEX_MARK_MM_DEPTH) X(PIXEL_GRID_LENGTH_MM_DEPTH) X(PrevPixelGridLengthMmDepth)          \
  X(EXACT_SCREEN_CURS_POSITION) X(EXACT_SCREEN_CURS_POS_FLAG) X(EXACT_LUPA_MKS_CURS_POSITION) \
  X(CURSOR_IS_IN_LUPA) X(SCREEN_CURSOR_LUPA_POS)

// The names of the listed fields (reals exactly) in which the cells differ,
// leaving out those in `skip`.
std::string Differences(const T4_03ConfigCell& a, const T4_03ConfigCell& b,
                        const std::set<std::string>& skip) {
  std::string out;
#define VELT_COMPARE(f)                       \
  if (skip.count(#f) == 0 && !(a.f == b.f)) { \
    out += #f " ";                            \
  }
  VELT_FIELDS(VELT_COMPARE)
#undef VELT_COMPARE
  return out;
}

// ---- A random setup the 3.26 image and record can carry -----------------------

// Characters a 3.x name may hold: neither "/" (it ends a name), nor "}" and
// the character 0xFF (the instrument swaps them), nor 0xFF anywhere else.
std::string NamePool() {
  std::string pool = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,-+#%:*";
  for (int c = 0xC0; c <= 0xFE; ++c) {
    pool += static_cast<char>(c);
  }
  return pool;
}

// Every field gets a value on the grid of its encodings, within the ranges
// an instrument produces; the derived fields are made consistent (the
// second copy of USED MODE ???, INSERTION_ANGLE, the name characters, the
// previous depth grid length).
void RandomCell(T4_03ConfigCell& c, unsigned seed) {
  TRandom r(seed);
  static const std::string pool = NamePool();
  std::string name;
  for (int i = 0; i < 13; ++i) {
    name += pool[static_cast<std::size_t>(r.Int(0, static_cast<int>(pool.size()) - 1))];
  }
  name += ' ';  // the 14th character never reaches the instrument
  c.CONFIGURATION_NAME = name;
  c.NameChars.fill(0);
  for (std::size_t i = 0; i < 14; ++i) {
    c.NameChars[i] = static_cast<std::uint8_t>(name[i]);
  }
  c.NameChars[14] = '/';

  c.DisplayOffset = static_cast<std::uint8_t>(r.Int(0, 5));
  c.MAJOR_VERSION_NO = static_cast<std::uint8_t>(r.Int(0, 255));
  c.MINOR_VERSION_NO = static_cast<std::uint8_t>(r.Int(0, 255));
  c.CONFIGURATION_NO = static_cast<std::uint16_t>(r.Int(0, 99));
  c.DEVICE_INDEX = static_cast<std::uint8_t>(r.Int(0, 255));
  c.VELOCITY = static_cast<std::uint16_t>(r.Int(1000, 15000));
  c.PROBE_FREQ = static_cast<std::uint8_t>(r.Int(0, 37));
  c.PROBE_PULSE = static_cast<std::uint8_t>(r.Int(0, 2));
  c.ZONDER_PULSE_PERIODS = r.Int(1, 10) * 0.5;
  const int rates[] = {10, 25, 50, 100, 200};
  c.REFRESH_RATE = static_cast<std::uint8_t>(rates[r.Int(0, 4)]);
  c.FILTER_BAND = static_cast<std::uint8_t>(r.Int(0, 1));
  // The lowest byte of the delay word is image byte 50, which must not read
  // as an erased slot.
  int delay = r.Int(0, 9999);
  if (delay % 256 == 255) {
    --delay;
  }
  c.PROBE_DELAY = delay / 100.0;
  c.BeamAngle = r.Hundredths(0, 9000);
  c.INSERTION_ANGLE = RndTo<std::uint8_t>(c.BeamAngle);
  c.PROBE_ARROW = r.Hundredths(0, 4990);
  c.THICKNESS = r.Hundredths(0, 49990);
  c.EVEN_REMINDER_FLAG = static_cast<std::uint16_t>(r.Int(0, 1));
  c.OTSECHKA = static_cast<std::uint8_t>(r.Int(0, 100));
  c.STROBE_ALGORYTHM = static_cast<std::uint8_t>(r.Int(0, 3));
  c.POISK = static_cast<std::uint8_t>(r.Int(0, 140));
  c.ARD_PLATE_DIAMETER = r.Hundredths(10, 2500);
  c.ARD_SIGNAL_AMPLITUDE = r.Hundredths(0, 20000);
  c.ARD_PLATE_FLOOR_DIAMETER = r.Hundredths(10, 2500);
  c.ARD_ATTENUATION = r.Hundredths(0, 9990);
  c.CURSOR_1_ENABLED = static_cast<std::uint8_t>(r.Int(0, 1));
  c.CURSOR_2_ENABLED = static_cast<std::uint8_t>(r.Int(0, 1));
  c.SIGNAL_TYPE = static_cast<std::uint8_t>(r.Int(0, 3));
  c.USER_MODE = static_cast<std::uint16_t>(r.Int(0, 65535));
  c.TVG_ENABLED = static_cast<std::uint8_t>(r.Int(0, 2));
  c.SOUND_ENABLED = static_cast<std::uint8_t>(r.Int(0, 1));
  c.VCURSOR_ENABLED = static_cast<std::uint8_t>(2 * r.Int(0, 1));
  c.OPORN_LEVEL_ON = static_cast<std::uint8_t>(4 * r.Int(0, 1));
  c.LANGUAGE = static_cast<std::uint8_t>(r.Int(0, 255));
  c.PROBE_TYPE = static_cast<std::uint8_t>(r.Int(0, 1));
  c.LAST_MEM_CELL = static_cast<std::uint16_t>(r.Int(0, 65535));
  c.B_SCAN_RATE = r.Int(0, 255);
  c.SCREEN_UNITS = static_cast<std::uint8_t>(r.Int(0, 2));
  c.B_SCAN_BEGIN = static_cast<std::uint16_t>(r.Int(0, 65535));
  c.B_SCAN_END = static_cast<std::uint16_t>(r.Int(0, 65535));

  c.PIXEL_GRID_LENGTH = static_cast<std::uint8_t>(r.Int(25, 50));
  c.PREVIOUS_PIXEL_GRID_LENGTH = static_cast<std::uint8_t>(r.Int(25, 50));
  c.INDEX_MARK_MKS = static_cast<std::uint8_t>(r.Int(0, 6));
  c.CONTRAST = static_cast<std::uint8_t>(r.Int(0, 255));
  c.PODSVETKA = static_cast<std::uint8_t>(r.Int(0, 255));
  c.CURSOR_POSITION = static_cast<std::uint16_t>(r.Int(0, 319));
  for (std::size_t s = 0; s < 2; ++s) {
    const int begin = r.Int(0, 312000);
    c.StrobeBeginTime[s] = begin / 100.0;
    c.StrobeEndTime[s] = (begin + r.Int(100, 100000)) / 100.0;
  }
  c.STROBE_1_LEVEL = static_cast<std::uint8_t>(r.Int(0, 255));
  c.STROBE_2_LEVEL = static_cast<std::uint8_t>(r.Int(0, 255));
  c.STROBE_1_LEVEL_PERCENT = static_cast<std::uint8_t>(r.Int(0, 100));
  c.STROBE_2_LEVEL_PERCENT = static_cast<std::uint8_t>(r.Int(0, 100));
  c.ATTENUATOR1 = static_cast<std::uint16_t>(r.Int(0, 90));
  c.ARD_CORRECTION = r.Int(0, 65535);
  c.SCREEN_MODE = r.Int(0, 1) == 0 ? 1 : 3;
  c.UsedModeCopy = static_cast<std::int16_t>(r.Int(-32768, 32767));
  c.USED_MODE = static_cast<std::uint16_t>(c.UsedModeCopy);
  for (auto& p : c.PICTOGR_ARRAY) {
    p = static_cast<std::uint8_t>(r.Int(0, 255));
  }
  for (auto& g : c.TGV_GAIN) {
    g = static_cast<std::uint8_t>(r.Int(0, 30));
  }
  for (auto& p : c.TGV_POS) {
    p = static_cast<std::uint16_t>(r.Int(0, 65535));
  }
  c.TGV_CURSOR_POSITION = static_cast<std::uint16_t>(r.Int(0, 65535));
  c.TGV_NUMBER = static_cast<std::uint16_t>(r.Int(0, 31));
  c.PIXEL_GRID_LENGTH_MM = r.Hundredths(2500, 9000);
  c.PREV_PIXEL_GRID_LENGTH_MM = r.Hundredths(2500, 9000);
  c.INDEX_MARK_MM = static_cast<std::uint8_t>(r.Int(0, 12));
  c.SNAP_YEAR = static_cast<std::uint8_t>(r.Int(0, 99));
  c.SNAP_MONTH = static_cast<std::uint8_t>(r.Int(1, 12));
  c.SNAP_DAY = static_cast<std::uint8_t>(r.Int(1, 31));
  c.SNAP_HOUR = static_cast<std::uint8_t>(r.Int(0, 23));
  c.SNAP_MINUTE = static_cast<std::uint8_t>(r.Int(0, 59));
  c.SNAP_SECOND = static_cast<std::uint8_t>(r.Int(0, 59));
  c.AMPLITUDE_MARKER_POSITION = static_cast<std::uint16_t>(r.Int(0, 319));
  c.INDEX_MARK_MM_DEPTH = static_cast<std::uint8_t>(r.Int(0, 12));
  c.PIXEL_GRID_LENGTH_MM_DEPTH = r.Hundredths(1000, 9000);
  c.PrevPixelGridLengthMmDepth = c.PIXEL_GRID_LENGTH_MM_DEPTH;
  c.CONFIG_INDEX = static_cast<std::uint16_t>(r.Int(0, 65535));

  c.EXACT_SCREEN_CURS_POS_FLAG = static_cast<std::uint8_t>(r.Int(0, 1));
  c.EXACT_SCREEN_CURS_POSITION = r.Hundredths(0, 31900);
  c.CURSOR_IS_IN_LUPA = static_cast<std::uint8_t>(r.Int(0, 1));
  c.EXACT_LUPA_MKS_CURS_POSITION = r.Hundredths(0, 100000);
  c.SCREEN_CURSOR_LUPA_POS = static_cast<std::uint16_t>(r.Int(0, 65535));
  c.Frozen = r.Int(0, 1) == 1;

  c.Comments.clear();
  const int comments = r.Int(0, 3);
  for (int i = 0; i < comments; ++i) {
    c.Comments.push_back("note " + std::to_string(r.Int(0, 9999)) + ": with a colon");
  }
}

}  // namespace
}  // namespace velt
