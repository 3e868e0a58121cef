// Helpers shared by the tests of the 5.00 and 5.01 configuration classes:
// field-by-field differences, big-endian image reads and random setups the
// compact image and the record can carry.
#pragma once

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <type_traits>

#include <config/CharMappingUnit.h>
#include <config/ConfigObject5_01ver_Unit.h>
#include <config/Rounding.h>

#include "CellTestSupport.h"

namespace velt {
namespace {

// ---- Field-by-field comparison -----------------------------------------------------

#define VELT_500_FIELDS(X)                                                                        \
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
  X(CURSOR_IS_IN_LUPA) X(SCREEN_CURSOR_LUPA_POS) X(Parameter29Value) X(CURSOR_ON) X(LEVEL_ON)

// Most significant byte first, written independently of the codec.
inline std::uint32_t Be(const TDeviceImage& image, std::size_t at, std::size_t width) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < width; ++i) {
    v = v * 256 + image.at(at + i);
  }
  return v;
}

// The names of the listed fields (reals exactly) in which the cells differ,
// leaving out those in `skip`; a 5.01 cell's second cursor counts too.
template <class Cell>
std::string Differences(const Cell& a, const Cell& b, const std::set<std::string>& skip) {
  std::string out;
#define VELT_COMPARE(f)                       \
  if (skip.count(#f) == 0 && !(a.f == b.f)) { \
    out += #f " ";                            \
  }
  VELT_500_FIELDS(VELT_COMPARE)
  if constexpr (std::is_base_of_v<T5_01ConfigCell, Cell>) {
    VELT_COMPARE(VCURSOR_2)
  }
#undef VELT_COMPARE
  return out;
}

// Every listed field but the given ones.
inline std::set<std::string> AllBut(const std::set<std::string>& fields) {
  std::set<std::string> all;
#define VELT_NAME(f) all.insert(#f);
  VELT_500_FIELDS(VELT_NAME)
#undef VELT_NAME
  all.insert("VCURSOR_2");
  for (const auto& f : fields) {
    all.erase(f);
  }
  return all;
}

// A setup the 5.00 image and record can carry: every field on the grid of
// its encoding, the name of 15 characters the instrument can show (the
// name characters hold their codes), the derived fields consistent.
inline void RandomCell(T5_00ConfigCell& c, unsigned seed) {
  TRandom r(seed);
  const auto& table = InstrumentCharTable();
  std::string name;
  c.NameChars.fill(0);
  for (std::size_t i = 0; i < 15; ++i) {
    const auto& entry = table[static_cast<std::size_t>(r.Int(0, kCharMappingCount - 1))];
    name += entry.Text;
    c.NameChars[i] = entry.Code;
  }
  c.NameChars[15] = '/';
  c.CONFIGURATION_NAME = name;

  c.DisplayOffset = static_cast<std::uint8_t>(r.Int(0, 5));
  c.MAJOR_VERSION_NO = static_cast<std::uint8_t>(r.Int(0, 255));
  c.MINOR_VERSION_NO = static_cast<std::uint8_t>(r.Int(0, 255));
  c.CONFIGURATION_NO = static_cast<std::uint16_t>(r.Int(0, 99));
  c.DEVICE_INDEX = static_cast<std::uint8_t>(r.Int(0, 255));
  c.VELOCITY = static_cast<std::uint16_t>(r.Int(1000, 15000));
  c.PROBE_FREQ = static_cast<std::uint8_t>(r.Int(0, 37));
  c.PROBE_PULSE = static_cast<std::uint8_t>(r.Int(0, 2));
  c.ZONDER_PULSE_PERIODS = r.Int(1, 10) * 0.5;
  c.REFRESH_RATE = static_cast<std::uint8_t>(r.Int(0, 255));
  c.FILTER_BAND = static_cast<std::uint8_t>(r.Int(0, 1));
  c.PROBE_DELAY = r.Hundredths(0, 9999);
  c.BeamAngle = r.Tenths(0, 900);
  c.INSERTION_ANGLE = RndTo<std::uint8_t>(c.BeamAngle);
  c.PROBE_ARROW = r.Tenths(0, 499);
  c.THICKNESS = r.Tenths(0, 8999);
  c.EVEN_REMINDER_FLAG = static_cast<std::uint16_t>(r.Int(0, 1));
  c.OTSECHKA = static_cast<std::uint8_t>(r.Int(0, 100));
  c.STROBE_ALGORYTHM = static_cast<std::uint8_t>(r.Int(0, 3));
  c.POISK = static_cast<std::uint8_t>(r.Int(0, 3) == 0 ? 0 : r.Int(1, 140));
  c.ARD_PLATE_DIAMETER = r.Tenths(1, 250);
  c.ARD_SIGNAL_AMPLITUDE = r.Int(0, 200);
  c.ARD_PLATE_FLOOR_DIAMETER = r.Tenths(1, 250);
  c.ARD_ATTENUATION = r.Tenths(0, 999);
  c.CURSOR_1_ENABLED = static_cast<std::uint8_t>(r.Int(0, 1));
  c.CURSOR_2_ENABLED = static_cast<std::uint8_t>(r.Int(0, 1));
  c.SIGNAL_TYPE = static_cast<std::uint8_t>(r.Int(0, 3));
  c.USER_MODE = static_cast<std::uint16_t>(r.Int(0, 255));
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
  c.PIXEL_GRID_LENGTH_MM = r.Hundredths(1000, 9000);
  c.PREV_PIXEL_GRID_LENGTH_MM = r.Hundredths(1000, 9000);
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
  c.CURSOR_ON = static_cast<std::uint8_t>(r.Int(0, 255));
  c.LEVEL_ON = static_cast<std::uint8_t>(r.Int(0, 255));
  c.Schemes[29].LastAccepted = r.Int(1, 50) + 0.25;
  c.Parameter29Value = static_cast<std::uint8_t>(r.Int(0, 255));

  c.Comments.clear();
  const int comments = r.Int(0, 3);
  for (int i = 0; i < comments; ++i) {
    c.Comments.push_back("note " + std::to_string(r.Int(0, 9999)) + ": with a colon");
  }
}

// A 5.01 setup: the 5.00 one and a second cursor.
inline void RandomCell501(T5_01ConfigCell& c, unsigned seed) {
  RandomCell(c, seed);
  c.VCURSOR_2 = static_cast<std::uint16_t>(std::mt19937(seed)() % 65536);
}

}  // namespace
}  // namespace velt
