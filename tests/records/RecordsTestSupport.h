// Shared by the record tests: random records and configurations in the
// state a file can carry, field-by-field comparisons of what the files
// carry, snapshots of whole collections, and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <config/ConfigObject5_01ver_Unit.h>
#include <config/TextRecordIO.h>
#include <records/FlawTextRecordUnit.h>
#include <records/RecordCollectionsUnit.h>
#include <records/UniversalDataObjectUnit.h>

namespace velt::testing_support {

namespace fs = std::filesystem;

// ---- Versions that select each configuration class ----------------------------------

struct TVariant {
  std::uint8_t Device, Major, Minor, Local;
  const char* Class;
};

inline std::ostream& operator<<(std::ostream& out, const TVariant& v) {
  return out << v.Class << " (device " << int(v.Device) << ", " << int(v.Major) << "."
             << int(v.Minor) << " local " << int(v.Local) << ")";
}

inline const std::vector<TVariant>& AllVariants() {
  static const std::vector<TVariant> variants = {
      {1, 2, 0, 0, "TBaseConfigCell"},  // the oldest row: not initialised
      {1, 3, 10, 0, "TBaseConfigCell"}, {1, 3, 20, 0, "T3_17ConfigCell"},
      {1, 3, 27, 0, "T3_26ConfigCell"}, {1, 4, 5, 2, "T4_03ConfigCell"},
      {1, 4, 5, 3, "T4_08ConfigCell"},  {1, 5, 10, 0, "T5_00ConfigCell"},
      {1, 5, 22, 1, "T5_01ConfigCell"}, {2, 3, 5, 0, "TBaseConfigCell"},
      {2, 3, 8, 0, "T3_17ConfigCell"},  {2, 3, 10, 0, "T3_26ConfigCell"},
      {2, 3, 20, 2, "T4_03ConfigCell"}, {2, 4, 1, 3, "T4_08ConfigCell"},
      {2, 5, 3, 4, "T5_01ConfigCell"},
  };
  return variants;
}

inline std::string VariantName(const ::testing::TestParamInfo<TVariant>& info) {
  const TVariant& v = info.param;
  return std::string(v.Class) + "_device" + std::to_string(v.Device) + "_" +
         std::to_string(v.Major) + "_" + std::to_string(v.Minor) + "_local" +
         std::to_string(v.Local);
}

// ---- Random values -------------------------------------------------------------------

template <typename T>
T Any(std::mt19937& random) {
  std::uniform_int_distribution<long long> d(std::numeric_limits<T>::min(),
                                             std::numeric_limits<T>::max());
  return static_cast<T>(d(random));
}

inline int Between(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

inline double Hundredths(std::mt19937& random) {
  return static_cast<double>(Between(random, -100000, 10000000)) / 100.0;
}

// Reals written in their shortest exact form (strobe times, the depth grid).
inline double AnyTime(std::mt19937& random) {
  switch (Between(random, 0, 2)) {
    case 0:
      return Hundredths(random);
    case 1:
      return std::uniform_real_distribution<double>(0.0, 2000.0)(random);
    default:
      return static_cast<double>(Between(random, 0, 1000)) / 3.0;
  }
}

// Windows-1251 text without line ends: blanks, Latin, high bytes and colons.
inline std::string AnyText(std::mt19937& random, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const int kind = Between(random, 0, 5);
    if (kind == 0) {
      text += ':';
    } else if (kind <= 2) {
      text += static_cast<char>(Between(random, 0x20, 0x7E));
    } else {
      text += static_cast<char>(Between(random, 0x80, 0xFF));
    }
  }
  return text;
}

// ---- Text of one configuration ---------------------------------------------------------

inline std::string WriteText(TBaseConfigCell& cell) {
  std::ostringstream out;
  TTextWriter writer(out);
  cell.WriteText(writer);
  return out.str();
}

inline void ReadText(TBaseConfigCell& cell, const std::string& text) {
  std::istringstream in(text);
  TTextReader reader(in);
  cell.ReadText(reader);
}

// Every field a text record of any class carries gets a random value; then
// the cell is passed once through its own text record, so that it holds
// exactly what a file can carry (names padded, reals in their written form,
// the values the readers derive).
inline void RandomiseConfiguration(TBaseConfigCell& cell, std::mt19937& random) {
  cell.DEVICE_INDEX = Any<std::uint8_t>(random);
  cell.MAJOR_VERSION_NO = Any<std::uint8_t>(random);
  cell.MINOR_VERSION_NO = Any<std::uint8_t>(random);
  cell.CONFIGURATION_NO = Any<std::uint16_t>(random);
  cell.CONFIGURATION_NAME = AnyText(random, static_cast<std::size_t>(Between(random, 0, 14)));
  cell.INDEX_MARK_MKS = Any<std::uint8_t>(random);
  cell.PIXEL_GRID_LENGTH = Any<std::uint8_t>(random);
  cell.STROBE_1_BEGIN = Any<std::uint16_t>(random);
  cell.STROBE_1_END = Any<std::uint16_t>(random);
  cell.STROBE_2_BEGIN = Any<std::uint16_t>(random);
  cell.STROBE_2_END = Any<std::uint16_t>(random);
  cell.STROBE_1_LEVEL = Any<std::uint8_t>(random);
  cell.STROBE_2_LEVEL = Any<std::uint8_t>(random);
  cell.STROBE_1_LEVEL_PERCENT = Any<std::uint8_t>(random);
  cell.STROBE_2_LEVEL_PERCENT = Any<std::uint8_t>(random);
  cell.CURSOR_POSITION = Any<std::uint16_t>(random);
  for (auto& v : cell.PICTOGR_ARRAY) v = Any<std::uint8_t>(random);
  for (auto& v : cell.TGV_GAIN) v = Any<std::uint8_t>(random);
  for (auto& v : cell.TGV_POS) v = Any<std::uint16_t>(random);
  cell.TGV_CURSOR_POSITION = Any<std::uint16_t>(random);
  cell.TGV_NUMBER = Any<std::uint16_t>(random);
  cell.ATTENUATOR1 = Any<std::uint16_t>(random);
  cell.ARD_CORRECTION = Any<std::int32_t>(random);
  cell.VELOCITY = Any<std::uint16_t>(random);
  cell.POISK = Any<std::uint8_t>(random);
  cell.THICKNESS = Hundredths(random);
  cell.ZONDER_PULSE_PERIODS = Hundredths(random);
  cell.CURSOR_1_ENABLED = Any<std::uint8_t>(random);
  cell.CURSOR_2_ENABLED = Any<std::uint8_t>(random);
  cell.UsedModeCopy = Any<std::int16_t>(random);
  cell.USED_MODE = static_cast<std::uint16_t>(cell.UsedModeCopy);
  cell.TVG_ENABLED = Any<std::uint8_t>(random);
  cell.SCREEN_MODE = Any<std::uint16_t>(random);
  cell.SIGNAL_TYPE = Any<std::uint8_t>(random);
  cell.USER_MODE = Any<std::uint16_t>(random);
  cell.REFRESH_RATE = Any<std::uint8_t>(random);
  cell.FILTER_BAND = Any<std::uint8_t>(random);
  cell.OTSECHKA = Any<std::uint8_t>(random);
  cell.PROBE_ARROW = Hundredths(random);
  cell.INSERTION_ANGLE = Any<std::uint8_t>(random);
  cell.PROBE_FREQ = Any<std::uint8_t>(random);
  cell.PROBE_DELAY = Hundredths(random);
  cell.PROBE_TYPE = Any<std::uint8_t>(random);
  cell.PROBE_PULSE = Any<std::uint8_t>(random);
  cell.CONTRAST = Any<std::uint8_t>(random);
  cell.PODSVETKA = Any<std::uint8_t>(random);
  cell.B_SCAN_BEGIN = Any<std::uint16_t>(random);
  cell.B_SCAN_END = Any<std::uint16_t>(random);
  cell.B_SCAN_RATE = Between(random, 0, 100);
  cell.SCREEN_UNITS = Any<std::uint8_t>(random);
  cell.SOUND_ENABLED = Any<std::uint8_t>(random);
  cell.VCURSOR_ENABLED = Any<std::uint8_t>(random);
  cell.OPORN_LEVEL_ON = Any<std::uint8_t>(random);
  cell.LANGUAGE = Any<std::uint8_t>(random);
  cell.LAST_MEM_CELL = Any<std::uint16_t>(random);
  cell.EVEN_REMINDER_FLAG = Any<std::uint16_t>(random);
  cell.CONFIG_INDEX = Any<std::uint16_t>(random);
  cell.SNAP_YEAR = Any<std::uint8_t>(random);
  cell.SNAP_MONTH = Any<std::uint8_t>(random);
  cell.SNAP_DAY = Any<std::uint8_t>(random);
  cell.SNAP_HOUR = Any<std::uint8_t>(random);
  cell.SNAP_MINUTE = Any<std::uint8_t>(random);
  cell.SNAP_SECOND = Any<std::uint8_t>(random);
  cell.STROBE_ALGORYTHM = Any<std::uint8_t>(random);
  cell.PREVIOUS_PIXEL_GRID_LENGTH = Any<std::uint8_t>(random);
  cell.PIXEL_GRID_LENGTH_MM = Hundredths(random);
  cell.PREV_PIXEL_GRID_LENGTH_MM = Hundredths(random);
  cell.INDEX_MARK_MM = Any<std::uint8_t>(random);
  cell.ARD_PLATE_DIAMETER = Hundredths(random);
  cell.ARD_SIGNAL_AMPLITUDE = Hundredths(random);
  cell.ARD_PLATE_FLOOR_DIAMETER = Hundredths(random);
  cell.ARD_ATTENUATION = Hundredths(random);
  cell.AMPLITUDE_MARKER_POSITION = Any<std::uint16_t>(random);
  cell.Comments.clear();
  const int comments = Between(random, 0, 4);
  for (int i = 0; i < comments; ++i) {
    cell.Comments.push_back(AnyText(random, static_cast<std::size_t>(Between(random, 0, 30))));
  }
  if (auto* c = dynamic_cast<T3_17ConfigCell*>(&cell)) {
    for (int s = 0; s < 2; ++s) {
      c->StrobeBeginTime[static_cast<std::size_t>(s)] = AnyTime(random);
      c->StrobeEndTime[static_cast<std::size_t>(s)] = AnyTime(random);
    }
    c->BeamAngle = static_cast<double>(Between(random, 0, 9000)) / 100.0;
    c->INDEX_MARK_MM_DEPTH = Any<std::uint8_t>(random);
    c->PIXEL_GRID_LENGTH_MM_DEPTH = AnyTime(random);
  }
  if (auto* c = dynamic_cast<T3_26ConfigCell*>(&cell)) {
    c->EXACT_SCREEN_CURS_POSITION = static_cast<double>(Between(random, 0, 32000)) / 100.0;
    c->EXACT_SCREEN_CURS_POS_FLAG = Any<std::uint8_t>(random);
    c->EXACT_LUPA_MKS_CURS_POSITION = Hundredths(random);
    c->CURSOR_IS_IN_LUPA = Any<std::uint8_t>(random);
  }
  if (auto* c = dynamic_cast<T4_03ConfigCell*>(&cell)) {
    c->SCREEN_CURSOR_LUPA_POS = Any<std::uint16_t>(random);
  }
  if (dynamic_cast<T4_08ConfigCell*>(&cell) != nullptr) {
    cell.Frozen = Between(random, 0, 1) != 0;
  }
  if (auto* c = dynamic_cast<T5_00ConfigCell*>(&cell)) {
    c->CURSOR_ON = Any<std::uint8_t>(random);
    c->LEVEL_ON = Any<std::uint8_t>(random);
  }
  if (auto* c = dynamic_cast<T5_01ConfigCell*>(&cell)) {
    c->VCURSOR_2 = Any<std::uint16_t>(random);
  }
  ReadText(cell, WriteText(cell));
}

// The fields the text record of the cell's class carries. `numberAndDevice`
// false leaves out CONFIGURATION # and DEVICE INDEX, which the
// configuration file reader sets itself.
inline void ExpectSameCarriedConfiguration(const TBaseConfigCell& expected,
                                           const TBaseConfigCell& actual,
                                           bool numberAndDevice = true) {
  ASSERT_EQ(ConfigClassName(actual), ConfigClassName(expected));
  if (numberAndDevice) {
    EXPECT_EQ(actual.DEVICE_INDEX, expected.DEVICE_INDEX);
    EXPECT_EQ(actual.CONFIGURATION_NO, expected.CONFIGURATION_NO);
  }
  EXPECT_EQ(actual.MAJOR_VERSION_NO, expected.MAJOR_VERSION_NO);
  EXPECT_EQ(actual.MINOR_VERSION_NO, expected.MINOR_VERSION_NO);
  EXPECT_EQ(actual.NameChars, expected.NameChars);
  EXPECT_EQ(actual.CONFIGURATION_NAME, expected.CONFIGURATION_NAME);
  EXPECT_EQ(actual.INDEX_MARK_MKS, expected.INDEX_MARK_MKS);
  EXPECT_EQ(actual.PIXEL_GRID_LENGTH, expected.PIXEL_GRID_LENGTH);
  EXPECT_EQ(actual.STROBE_1_LEVEL, expected.STROBE_1_LEVEL);
  EXPECT_EQ(actual.STROBE_2_LEVEL, expected.STROBE_2_LEVEL);
  EXPECT_EQ(actual.STROBE_1_LEVEL_PERCENT, expected.STROBE_1_LEVEL_PERCENT);
  EXPECT_EQ(actual.STROBE_2_LEVEL_PERCENT, expected.STROBE_2_LEVEL_PERCENT);
  EXPECT_EQ(actual.CURSOR_POSITION, expected.CURSOR_POSITION);
  EXPECT_EQ(actual.PICTOGR_ARRAY, expected.PICTOGR_ARRAY);
  EXPECT_EQ(actual.TGV_GAIN, expected.TGV_GAIN);
  EXPECT_EQ(actual.TGV_POS, expected.TGV_POS);
  EXPECT_EQ(actual.TGV_CURSOR_POSITION, expected.TGV_CURSOR_POSITION);
  EXPECT_EQ(actual.TGV_NUMBER, expected.TGV_NUMBER);
  EXPECT_EQ(actual.ATTENUATOR1, expected.ATTENUATOR1);
  EXPECT_EQ(actual.ARD_CORRECTION, expected.ARD_CORRECTION);
  EXPECT_EQ(actual.VELOCITY, expected.VELOCITY);
  EXPECT_EQ(actual.POISK, expected.POISK);
  EXPECT_EQ(actual.THICKNESS, expected.THICKNESS);
  EXPECT_EQ(actual.ZONDER_PULSE_PERIODS, expected.ZONDER_PULSE_PERIODS);
  EXPECT_EQ(actual.CURSOR_1_ENABLED, expected.CURSOR_1_ENABLED);
  EXPECT_EQ(actual.CURSOR_2_ENABLED, expected.CURSOR_2_ENABLED);
  EXPECT_EQ(actual.USED_MODE, expected.USED_MODE);
  EXPECT_EQ(actual.UsedModeCopy, expected.UsedModeCopy);
  EXPECT_EQ(actual.TVG_ENABLED, expected.TVG_ENABLED);
  EXPECT_EQ(actual.SCREEN_MODE, expected.SCREEN_MODE);
  EXPECT_EQ(actual.SIGNAL_TYPE, expected.SIGNAL_TYPE);
  EXPECT_EQ(actual.USER_MODE, expected.USER_MODE);
  EXPECT_EQ(actual.REFRESH_RATE, expected.REFRESH_RATE);
  EXPECT_EQ(actual.FILTER_BAND, expected.FILTER_BAND);
  EXPECT_EQ(actual.OTSECHKA, expected.OTSECHKA);
  EXPECT_EQ(actual.PROBE_ARROW, expected.PROBE_ARROW);
  EXPECT_EQ(actual.INSERTION_ANGLE, expected.INSERTION_ANGLE);
  EXPECT_EQ(actual.PROBE_FREQ, expected.PROBE_FREQ);
  EXPECT_EQ(actual.PROBE_DELAY, expected.PROBE_DELAY);
  EXPECT_EQ(actual.PROBE_TYPE, expected.PROBE_TYPE);
  EXPECT_EQ(actual.PROBE_PULSE, expected.PROBE_PULSE);
  EXPECT_EQ(actual.CONTRAST, expected.CONTRAST);
  EXPECT_EQ(actual.PODSVETKA, expected.PODSVETKA);
  EXPECT_EQ(actual.B_SCAN_BEGIN, expected.B_SCAN_BEGIN);
  EXPECT_EQ(actual.B_SCAN_END, expected.B_SCAN_END);
  EXPECT_EQ(actual.B_SCAN_RATE, expected.B_SCAN_RATE);
  EXPECT_EQ(actual.SCREEN_UNITS, expected.SCREEN_UNITS);
  EXPECT_EQ(actual.SOUND_ENABLED, expected.SOUND_ENABLED);
  EXPECT_EQ(actual.VCURSOR_ENABLED, expected.VCURSOR_ENABLED);
  EXPECT_EQ(actual.OPORN_LEVEL_ON, expected.OPORN_LEVEL_ON);
  EXPECT_EQ(actual.LANGUAGE, expected.LANGUAGE);
  EXPECT_EQ(actual.LAST_MEM_CELL, expected.LAST_MEM_CELL);
  EXPECT_EQ(actual.EVEN_REMINDER_FLAG, expected.EVEN_REMINDER_FLAG);
  EXPECT_EQ(actual.CONFIG_INDEX, expected.CONFIG_INDEX);
  EXPECT_EQ(actual.SNAP_YEAR, expected.SNAP_YEAR);
  EXPECT_EQ(actual.SNAP_MONTH, expected.SNAP_MONTH);
  EXPECT_EQ(actual.SNAP_DAY, expected.SNAP_DAY);
  EXPECT_EQ(actual.SNAP_HOUR, expected.SNAP_HOUR);
  EXPECT_EQ(actual.SNAP_MINUTE, expected.SNAP_MINUTE);
  EXPECT_EQ(actual.SNAP_SECOND, expected.SNAP_SECOND);
  EXPECT_EQ(actual.STROBE_ALGORYTHM, expected.STROBE_ALGORYTHM);
  EXPECT_EQ(actual.PREVIOUS_PIXEL_GRID_LENGTH, expected.PREVIOUS_PIXEL_GRID_LENGTH);
  EXPECT_EQ(actual.PIXEL_GRID_LENGTH_MM, expected.PIXEL_GRID_LENGTH_MM);
  EXPECT_EQ(actual.PREV_PIXEL_GRID_LENGTH_MM, expected.PREV_PIXEL_GRID_LENGTH_MM);
  EXPECT_EQ(actual.INDEX_MARK_MM, expected.INDEX_MARK_MM);
  EXPECT_EQ(actual.ARD_PLATE_DIAMETER, expected.ARD_PLATE_DIAMETER);
  EXPECT_EQ(actual.ARD_SIGNAL_AMPLITUDE, expected.ARD_SIGNAL_AMPLITUDE);
  EXPECT_EQ(actual.ARD_PLATE_FLOOR_DIAMETER, expected.ARD_PLATE_FLOOR_DIAMETER);
  EXPECT_EQ(actual.ARD_ATTENUATION, expected.ARD_ATTENUATION);
  EXPECT_EQ(actual.Comments, expected.Comments);
  const auto* e17 = dynamic_cast<const T3_17ConfigCell*>(&expected);
  if (e17 == nullptr) {
    // Only the oldest layout keeps the strobes as columns in its record.
    EXPECT_EQ(actual.STROBE_1_BEGIN, expected.STROBE_1_BEGIN);
    EXPECT_EQ(actual.STROBE_1_END, expected.STROBE_1_END);
    EXPECT_EQ(actual.STROBE_2_BEGIN, expected.STROBE_2_BEGIN);
    EXPECT_EQ(actual.STROBE_2_END, expected.STROBE_2_END);
    return;
  }
  EXPECT_EQ(actual.AMPLITUDE_MARKER_POSITION, expected.AMPLITUDE_MARKER_POSITION);
  const auto& a17 = dynamic_cast<const T3_17ConfigCell&>(actual);
  EXPECT_EQ(a17.StrobeBeginTime, e17->StrobeBeginTime);
  EXPECT_EQ(a17.StrobeEndTime, e17->StrobeEndTime);
  EXPECT_EQ(a17.BeamAngle, e17->BeamAngle);
  EXPECT_EQ(a17.INDEX_MARK_MM_DEPTH, e17->INDEX_MARK_MM_DEPTH);
  EXPECT_EQ(a17.PIXEL_GRID_LENGTH_MM_DEPTH, e17->PIXEL_GRID_LENGTH_MM_DEPTH);
  EXPECT_EQ(a17.PrevPixelGridLengthMmDepth, e17->PrevPixelGridLengthMmDepth);
  if (const auto* e26 = dynamic_cast<const T3_26ConfigCell*>(&expected)) {
    const auto& a26 = dynamic_cast<const T3_26ConfigCell&>(actual);
    EXPECT_EQ(a26.EXACT_SCREEN_CURS_POSITION, e26->EXACT_SCREEN_CURS_POSITION);
    EXPECT_EQ(a26.EXACT_SCREEN_CURS_POS_FLAG, e26->EXACT_SCREEN_CURS_POS_FLAG);
    EXPECT_EQ(a26.EXACT_LUPA_MKS_CURS_POSITION, e26->EXACT_LUPA_MKS_CURS_POSITION);
    EXPECT_EQ(a26.CURSOR_IS_IN_LUPA, e26->CURSOR_IS_IN_LUPA);
  }
  if (const auto* e403 = dynamic_cast<const T4_03ConfigCell*>(&expected)) {
    EXPECT_EQ(dynamic_cast<const T4_03ConfigCell&>(actual).SCREEN_CURSOR_LUPA_POS,
              e403->SCREEN_CURSOR_LUPA_POS);
  }
  if (dynamic_cast<const T4_08ConfigCell*>(&expected) != nullptr) {
    EXPECT_EQ(actual.Frozen, expected.Frozen);
  }
  if (const auto* e500 = dynamic_cast<const T5_00ConfigCell*>(&expected)) {
    const auto& a500 = dynamic_cast<const T5_00ConfigCell&>(actual);
    EXPECT_EQ(a500.CURSOR_ON, e500->CURSOR_ON);
    EXPECT_EQ(a500.LEVEL_ON, e500->LEVEL_ON);
  }
  if (const auto* e501 = dynamic_cast<const T5_01ConfigCell*>(&expected)) {
    EXPECT_EQ(dynamic_cast<const T5_01ConfigCell&>(actual).VCURSOR_2, e501->VCURSOR_2);
  }
}

// ---- Records ---------------------------------------------------------------------------

// Random values in every field a flaw text record carries; the array size
// is 320 unless `anyArraySize`.
inline void RandomiseRecord(TDataCell& record, std::mt19937& random, bool anyArraySize = false) {
  record.FlawNumber = Any<std::uint16_t>(random);
  record.DeviceIndex = Any<std::uint8_t>(random);
  record.MajorVersion = Any<std::uint8_t>(random);
  record.MinorVersion = Any<std::uint8_t>(random);
  record.ConfigLocalVersion = Any<std::uint8_t>(random);
  record.ArraySize = anyArraySize && Between(random, 0, 1) == 0
                         ? static_cast<std::uint16_t>(Between(random, 0, kRecordArraySize))
                         : kRecordArraySize;
  record.SamplesQuantity = Any<std::uint16_t>(random);
  record.PrintFlag = Any<std::uint8_t>(random);
  record.ReportMark = 1;
  for (auto& column : record.BScan) {
    for (auto& sample : column) {
      sample = Any<std::uint8_t>(random);
    }
  }
  for (auto* envelope : {&record.FirstMaximums, &record.FirstMinimums, &record.SecondMaximums,
                         &record.SecondMinimums}) {
    std::fill(envelope->begin(), envelope->end(), 0);
    for (std::size_t i = 0; i < record.ArraySize; ++i) {
      (*envelope)[i] = Any<std::uint8_t>(random);
    }
  }
  record.Comments.clear();
  const int comments = Between(random, 0, 5);
  for (int i = 0; i < comments; ++i) {
    record.Comments.push_back(AnyText(random, static_cast<std::size_t>(Between(random, 0, 40))));
  }
  if (record.Configuration() != nullptr) {
    RandomiseConfiguration(*record.Configuration(), random);
  }
}

// The fields a flaw text record carries, its configuration's included.
// `deviceIndex` < 0 compares the device index too; otherwise the reader's
// caller has set it to that value.
inline void ExpectSameCarriedRecord(const TDataCell& expected, const TDataCell& actual,
                                    int deviceIndex = -1) {
  EXPECT_EQ(actual.FlawNumber, expected.FlawNumber);
  EXPECT_EQ(actual.DeviceIndex,
            deviceIndex < 0 ? expected.DeviceIndex : static_cast<std::uint8_t>(deviceIndex));
  EXPECT_EQ(actual.MajorVersion, expected.MajorVersion);
  EXPECT_EQ(actual.MinorVersion, expected.MinorVersion);
  EXPECT_EQ(actual.ConfigLocalVersion, expected.ConfigLocalVersion);
  EXPECT_EQ(actual.ArraySize, expected.ArraySize);
  EXPECT_EQ(actual.SamplesQuantity, expected.SamplesQuantity);
  EXPECT_EQ(actual.PrintFlag, expected.PrintFlag);
  EXPECT_EQ(actual.ReportMark, 0);  // not stored in files
  EXPECT_TRUE(actual.BScan == expected.BScan) << "the B-scan differs";
  const std::size_t n = expected.ArraySize;
  const auto used = [n](const std::vector<std::uint8_t>& v) {
    return std::vector<std::uint8_t>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n));
  };
  EXPECT_EQ(used(actual.FirstMaximums), used(expected.FirstMaximums));
  EXPECT_EQ(used(actual.FirstMinimums), used(expected.FirstMinimums));
  EXPECT_EQ(used(actual.SecondMaximums), used(expected.SecondMaximums));
  EXPECT_EQ(used(actual.SecondMinimums), used(expected.SecondMinimums));
  EXPECT_EQ(actual.Comments, expected.Comments);
  ASSERT_NE(actual.Configuration(), nullptr);
  ASSERT_NE(expected.Configuration(), nullptr);
  ExpectSameCarriedConfiguration(*expected.Configuration(), *actual.Configuration());
}

inline std::string WriteRecord(const TDataCell& record) {
  std::ostringstream out;
  TTextWriter writer(out);
  WriteFlawTextRecord(record, writer);
  return out.str();
}

// ---- Collections ----------------------------------------------------------------------

inline void RandomiseCollection(TFlawDataBlock& collection, std::mt19937& random,
                                bool anyArraySize = false) {
  for (auto& record : collection.Records) {
    RandomiseRecord(*record, random, anyArraySize);
  }
}

inline void RandomiseCollection(TUSBConfigsBlock& collection, std::mt19937& random) {
  for (auto& cell : collection.Configurations) {
    if (cell) {
      RandomiseConfiguration(*cell, random);
    }
  }
}

// Everything about a collection that a failed open must not touch: its
// fields, the identity of its records and cells, what their text records
// hold, and the working fields the files do not carry.
inline std::string Snapshot(const TFlawDataBlock& c) {
  std::ostringstream s;
  s << "count " << c.Count << " source " << int(c.Source) << " file " << c.FileName << " versions "
    << int(c.MajorVersion) << "." << int(c.MinorVersion) << "/" << int(c.ConfigLocalVersion)
    << " device " << int(c.DeviceType) << " current " << c.CurrentRecord << " report "
    << c.CurrentReportRecord << " selection " << c.ReportSelectionCount << "\n";
  for (auto* r : c.ReportSelection) s << r << " ";
  s << "\norder";
  for (auto i : c.DisplayOrder) s << " " << i;
  s << "\nreceived";
  for (bool f : c.ReceivedFlags) s << " " << f;
  s << "\n";
  for (const auto& record : c.Records) {
    s << "record " << record.get() << " cell " << record->Configuration() << " mark "
      << int(record->ReportMark) << " grabbed " << int(record->GrabbedObject) << " curve "
      << record->DgsCurve1[7] << " envelope tail " << int(record->FirstMaximums.back()) << "\n";
    if (record->Configuration() != nullptr) {
      s << "columns " << record->Configuration()->STROBE_1_BEGIN << " "
        << record->Configuration()->STROBE_2_END << "\n";
    }
    s << WriteRecord(*record);
  }
  return s.str();
}

inline std::string Snapshot(const TUSBConfigsBlock& c) {
  std::ostringstream s;
  s << "count " << c.Count << " source " << int(c.Source) << " file " << c.FileName << " versions "
    << int(c.MajorVersion) << "." << int(c.MinorVersion) << "/" << int(c.ConfigLocalVersion)
    << " device " << int(c.DeviceType) << " drawing " << c.DrawingRecord.get() << " showing "
    << (c.DrawingRecord ? c.DrawingRecord->Configuration() : nullptr) << "\nloaded";
  for (bool f : c.LoadedFlags) s << " " << f;
  s << "\nchanged";
  for (bool f : c.ChangedFlags) s << " " << f;
  s << "\n";
  for (const auto& cell : c.Configurations) {
    s << "cell " << cell.get() << "\n";
    if (cell) {
      s << "columns " << cell->STROBE_1_BEGIN << " " << cell->STROBE_2_END << "\n";
      s << WriteText(*cell);
    }
  }
  return s.str();
}

// ---- Files ------------------------------------------------------------------------------

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

// The lines of a text whose every line ends in CR LF; fails the test when a
// CR or an LF stands alone or the text does not end in a line end.
inline std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the text does not end in CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    std::string line = text.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos) {
      ADD_FAILURE() << "line " << lines.size() + 1 << " holds a lone CR or LF";
    }
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

inline std::string Joined(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += end;
  }
  return text;
}

using velt::testing::TTemporaryFolder;

}  // namespace velt::testing_support
