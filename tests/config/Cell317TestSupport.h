// Test support for the 3.17 and 3.26 cells: byte access written
// independently of the codec, random setups the instrument can hold, and
// field-by-field comparison.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/ConfigObject3_17ver_Unit.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt::test317 {

// ---- Bytes, most significant first ------------------------------------------

inline std::uint32_t Be(const TDeviceImage& image, std::size_t at, std::size_t width) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < width; ++i) {
    v = v * 256 + image.at(at + i);
  }
  return v;
}

inline void PutBe(TDeviceImage& image, std::size_t at, std::size_t width, std::uint32_t value) {
  for (std::size_t i = width; i-- > 0;) {
    image.at(at + i) = static_cast<std::uint8_t>(value % 256);
    value /= 256;
  }
}

inline TDeviceImage Filled(std::uint8_t value) {
  TDeviceImage image;
  image.fill(value);
  return image;
}

// ---- Text records -----------------------------------------------------------------

inline std::string Write(TBaseConfigCell& cell) {
  std::ostringstream s;
  TTextWriter out(s);
  cell.WriteText(out);
  return s.str();
}

inline void Read(TBaseConfigCell& cell, const std::string& text) {
  std::istringstream s(text);
  TTextReader in(s);
  cell.ReadText(in);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

// ---- Random setups ------------------------------------------------------------------

inline int Uniform(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// A real in whole hundredths, as the image and the scaled text lines hold it.
inline double Hundredths(std::mt19937& rng, double lo, double hi) {
  return Uniform(rng, static_cast<int>(Rnd(lo * 100)), static_cast<int>(Rnd(hi * 100))) / 100.0;
}

// A name of 1..13 characters the instrument can hold: no "/" (it ends the
// name) and no 0x7D (the instrument's stored form of 0xFF), with 0xFF and
// Cyrillic letters among them.
inline std::string RandomName(std::mt19937& rng) {
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -_.,+#"
      "\xC0\xC1\xC2\xE0\xE9\xFF";
  const int length = Uniform(rng, 1, 13);
  std::string name;
  for (int i = 0; i < length; ++i) {
    name += kAlphabet[static_cast<std::size_t>(
        Uniform(rng, 0, static_cast<int>(kAlphabet.size()) - 1))];
  }
  return name;
}

// A valid 3.17 setup: every field within what the instrument keeps, the
// derived fields consistent (INSERTION_ANGLE = rnd(beam angle), the grids
// computed from the time scale, velocity and angle).
inline void Randomise317(T3_17ConfigCell& c, std::mt19937& rng) {
  c.Initialise();
  c.MAJOR_VERSION_NO = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  c.MINOR_VERSION_NO = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  c.DEVICE_INDEX = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  c.CONFIGURATION_NO = static_cast<std::uint16_t>(Uniform(rng, 0, 99));
  c.CONFIGURATION_NAME = RandomName(rng);
  c.VELOCITY = static_cast<std::uint16_t>(Uniform(rng, 1000, 15000));
  c.PROBE_FREQ = static_cast<std::uint8_t>(Uniform(rng, 0, 37));
  c.PROBE_PULSE = static_cast<std::uint8_t>(Uniform(rng, 0, 2));
  c.ZONDER_PULSE_PERIODS = Uniform(rng, 1, 10) * 0.5;
  static constexpr std::uint8_t kRates[] = {10, 25, 50, 100, 200};
  c.REFRESH_RATE = kRates[Uniform(rng, 0, 4)];
  c.FILTER_BAND = static_cast<std::uint8_t>(Uniform(rng, 0, 1));
  // Byte 50, the low byte of the delay, reads 0xFF only in an erased slot.
  int delay = Uniform(rng, 0, 9999);
  if (delay % 256 == 255) {
    --delay;
  }
  c.PROBE_DELAY = delay / 100.0;
  c.BeamAngle = Hundredths(rng, 0, 90);
  c.INSERTION_ANGLE = RndTo<std::uint8_t>(c.BeamAngle);
  c.PROBE_ARROW = Hundredths(rng, 0, 49.9);
  c.THICKNESS = Hundredths(rng, 0, 499.9);
  c.EVEN_REMINDER_FLAG = 1;  // the decoder's flag of a thickness that is on
  c.OTSECHKA = static_cast<std::uint8_t>(Uniform(rng, 0, 100));
  c.STROBE_ALGORYTHM = static_cast<std::uint8_t>(Uniform(rng, 0, 3));
  c.POISK = static_cast<std::uint8_t>(Uniform(rng, 0, 140));
  c.ARD_PLATE_DIAMETER = Hundredths(rng, 0.6, 25);
  c.ARD_SIGNAL_AMPLITUDE = Hundredths(rng, 1.01, 200);
  c.ARD_PLATE_FLOOR_DIAMETER = Hundredths(rng, 0.6, 25);
  c.CURSOR_1_ENABLED = static_cast<std::uint8_t>(Uniform(rng, 0, 1));
  c.CURSOR_2_ENABLED = static_cast<std::uint8_t>(Uniform(rng, 0, 1));
  c.SIGNAL_TYPE = static_cast<std::uint8_t>(Uniform(rng, 0, 3));
  c.USER_MODE = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.TVG_ENABLED = static_cast<std::uint8_t>(Uniform(rng, 0, 2));
  c.SOUND_ENABLED = static_cast<std::uint8_t>(Uniform(rng, 0, 1));
  c.VCURSOR_ENABLED = static_cast<std::uint8_t>(2 * Uniform(rng, 0, 1));
  c.OPORN_LEVEL_ON = static_cast<std::uint8_t>(4 * Uniform(rng, 0, 1));
  c.LANGUAGE = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  c.ARD_ATTENUATION = Hundredths(rng, 0, 99.9);
  c.PROBE_TYPE = static_cast<std::uint8_t>(Uniform(rng, 0, 1));
  c.LAST_MEM_CELL = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.B_SCAN_RATE = Uniform(rng, 0, 255);
  c.SCREEN_UNITS = static_cast<std::uint8_t>(Uniform(rng, 0, 2));
  c.PIXEL_GRID_LENGTH = static_cast<std::uint8_t>(Uniform(rng, 25, 50));
  c.PREVIOUS_PIXEL_GRID_LENGTH = static_cast<std::uint8_t>(Uniform(rng, 25, 50));
  c.INDEX_MARK_MKS = static_cast<std::uint8_t>(Uniform(rng, 0, 6));
  c.CONTRAST = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  c.PODSVETKA = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  c.CURSOR_POSITION = static_cast<std::uint16_t>(Uniform(rng, 0, 319));
  for (std::size_t s = 0; s < 2; ++s) {
    const int begin = Uniform(rng, 0, 312000);
    c.StrobeBeginTime[s] = begin / 100.0;
    c.StrobeEndTime[s] = (begin + Uniform(rng, 100, 100000)) / 100.0;
  }
  c.STROBE_1_LEVEL_PERCENT = static_cast<std::uint8_t>(Uniform(rng, 0, 100));
  c.STROBE_2_LEVEL_PERCENT = static_cast<std::uint8_t>(Uniform(rng, 0, 100));
  c.ATTENUATOR1 = static_cast<std::uint16_t>(Uniform(rng, 0, 90));
  c.ARD_CORRECTION = Uniform(rng, 0, 90);
  c.SCREEN_MODE = Uniform(rng, 0, 1) == 0 ? 1 : 3;
  c.USED_MODE = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.UsedModeCopy = static_cast<std::int16_t>(c.USED_MODE);
  for (auto& p : c.PICTOGR_ARRAY) {
    p = static_cast<std::uint8_t>(Uniform(rng, 0, 255));
  }
  for (auto& g : c.TGV_GAIN) {
    g = static_cast<std::uint8_t>(Uniform(rng, 0, 30));
  }
  c.TGV_GAIN[0] = 0;  // the curve starts at no gain
  for (auto& p : c.TGV_POS) {
    p = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  }
  c.TGV_NUMBER = static_cast<std::uint16_t>(Uniform(rng, 0, 31));
  c.TGV_CURSOR_POSITION = static_cast<std::uint16_t>(Uniform(rng, 0, 31));
  c.SNAP_YEAR = static_cast<std::uint8_t>(Uniform(rng, 0, 99));
  c.SNAP_MONTH = static_cast<std::uint8_t>(Uniform(rng, 1, 12));
  c.SNAP_DAY = static_cast<std::uint8_t>(Uniform(rng, 1, 31));
  c.SNAP_HOUR = static_cast<std::uint8_t>(Uniform(rng, 0, 23));
  c.SNAP_MINUTE = static_cast<std::uint8_t>(Uniform(rng, 0, 59));
  c.SNAP_SECOND = static_cast<std::uint8_t>(Uniform(rng, 0, 59));
  c.AMPLITUDE_MARKER_POSITION = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.CONFIG_INDEX = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.B_SCAN_BEGIN = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.B_SCAN_END = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
  c.Comments.clear();
  for (int i = Uniform(rng, 0, 3); i > 0; --i) {
    c.Comments.push_back("note " + std::to_string(Uniform(rng, 0, 999)) + ": at weld");
  }
  c.UpdateMillimetreGrid();
  c.UpdateDepthGrid();
}

// ---- Comparison -------------------------------------------------------------------------

// The fields a 3.17 image carries (the level rows, the thickness flag, the
// TGV cursor and the number are derived or written as constants; they are
// checked on their own).
// clang-format off
#define VELT_317_IMAGE_FIELDS(X)                                                                  \
  X(VELOCITY) X(PROBE_FREQ) X(PROBE_PULSE) X(ZONDER_PULSE_PERIODS) X(REFRESH_RATE)              \
  X(FILTER_BAND) X(PROBE_DELAY) X(BeamAngle) X(INSERTION_ANGLE) X(PROBE_ARROW) X(THICKNESS)      \
  X(OTSECHKA) X(STROBE_ALGORYTHM) X(POISK) X(ARD_PLATE_DIAMETER) X(ARD_SIGNAL_AMPLITUDE)        \
  X(ARD_PLATE_FLOOR_DIAMETER) X(CURSOR_1_ENABLED) X(CURSOR_2_ENABLED) X(SIGNAL_TYPE)            \
  X(USER_MODE) X(TVG_ENABLED) X(SOUND_ENABLED) X(VCURSOR_ENABLED) X(OPORN_LEVEL_ON) X(LANGUAGE) \
  X(ARD_ATTENUATION) X(PROBE_TYPE) X(LAST_MEM_CELL) X(B_SCAN_RATE) X(SCREEN_UNITS)              \
  X(PIXEL_GRID_LENGTH) X(PREVIOUS_PIXEL_GRID_LENGTH) X(INDEX_MARK_MKS) X(CONTRAST) X(PODSVETKA) \
  X(CURSOR_POSITION) X(StrobeBeginTime) X(StrobeEndTime) X(ATTENUATOR1) X(ARD_CORRECTION)       \
  X(STROBE_1_LEVEL_PERCENT) X(STROBE_2_LEVEL_PERCENT) X(SCREEN_MODE) X(USED_MODE)               \
  X(UsedModeCopy) X(PICTOGR_ARRAY) X(TGV_GAIN) X(TGV_POS) X(TGV_NUMBER) X(PIXEL_GRID_LENGTH_MM) \
  X(PREV_PIXEL_GRID_LENGTH_MM) X(INDEX_MARK_MM) X(SNAP_YEAR) X(SNAP_MONTH) X(SNAP_DAY)          \
  X(SNAP_HOUR) X(SNAP_MINUTE) X(SNAP_SECOND) X(AMPLITUDE_MARKER_POSITION)                       \
  X(PIXEL_GRID_LENGTH_MM_DEPTH) X(PrevPixelGridLengthMmDepth) X(INDEX_MARK_MM_DEPTH)             \
  X(CONFIG_INDEX)

// The fields a 3.17 text record carries, the name aside.
#define VELT_317_TEXT_FIELDS(X)                                                                   \
  X(DEVICE_INDEX) X(MAJOR_VERSION_NO) X(MINOR_VERSION_NO) X(CONFIGURATION_NO) X(INDEX_MARK_MKS) \
  X(PIXEL_GRID_LENGTH) X(INDEX_MARK_MM_DEPTH) X(PIXEL_GRID_LENGTH_MM_DEPTH)                      \
  X(PrevPixelGridLengthMmDepth) X(StrobeBeginTime) X(StrobeEndTime) X(STROBE_1_LEVEL)           \
  X(STROBE_2_LEVEL) X(STROBE_1_LEVEL_PERCENT) X(STROBE_2_LEVEL_PERCENT) X(CURSOR_POSITION)      \
  X(PICTOGR_ARRAY) X(TGV_GAIN) X(TGV_POS) X(TGV_CURSOR_POSITION) X(TGV_NUMBER) X(ATTENUATOR1)   \
  X(ARD_CORRECTION) X(VELOCITY) X(POISK) X(THICKNESS) X(ZONDER_PULSE_PERIODS)                   \
  X(CURSOR_1_ENABLED) X(CURSOR_2_ENABLED) X(TVG_ENABLED) X(B_SCAN_BEGIN) X(B_SCAN_END)          \
  X(SCREEN_MODE) X(USER_MODE) X(REFRESH_RATE) X(FILTER_BAND) X(OTSECHKA) X(STROBE_ALGORYTHM)    \
  X(PROBE_ARROW) X(BeamAngle) X(INSERTION_ANGLE) X(PROBE_FREQ) X(PROBE_DELAY) X(PROBE_TYPE)     \
  X(PROBE_PULSE) X(CONTRAST) X(PODSVETKA) X(ARD_PLATE_DIAMETER) X(ARD_SIGNAL_AMPLITUDE)         \
  X(ARD_PLATE_FLOOR_DIAMETER) X(SOUND_ENABLED) X(VCURSOR_ENABLED) X(OPORN_LEVEL_ON) X(LANGUAGE) \
  X(ARD_ATTENUATION) X(LAST_MEM_CELL) X(EVEN_REMINDER_FLAG) X(USED_MODE) X(UsedModeCopy)        \
  X(PREVIOUS_PIXEL_GRID_LENGTH) X(SIGNAL_TYPE) X(B_SCAN_RATE) X(CONFIG_INDEX) X(SCREEN_UNITS)   \
  X(PIXEL_GRID_LENGTH_MM) X(PREV_PIXEL_GRID_LENGTH_MM) X(AMPLITUDE_MARKER_POSITION)             \
  X(INDEX_MARK_MM) X(SNAP_YEAR) X(SNAP_MONTH) X(SNAP_DAY) X(SNAP_HOUR) X(SNAP_MINUTE)           \
  X(SNAP_SECOND) X(Comments)
// clang-format on

#define VELT_317_COMPARE(f) \
  if (!(a.f == b.f)) {      \
    out.push_back(#f);      \
  }

inline std::vector<std::string> ImageDifferences(const T3_17ConfigCell& a,
                                                 const T3_17ConfigCell& b) {
  std::vector<std::string> out;
  VELT_317_IMAGE_FIELDS(VELT_317_COMPARE)
  return out;
}

inline std::vector<std::string> TextDifferences(const T3_17ConfigCell& a,
                                                const T3_17ConfigCell& b) {
  std::vector<std::string> out;
  VELT_317_TEXT_FIELDS(VELT_317_COMPARE)
  return out;
}

#undef VELT_317_COMPARE

inline std::string Joined(const std::vector<std::string>& names) {
  std::string s;
  for (const std::string& n : names) {
    s += n + " ";
  }
  return s;
}

// The name as the instrument keeps it: 14 characters, blanks after it.
inline std::string Padded(const std::string& name) {
  std::string s = name.substr(0, 14);
  s.resize(14, ' ');
  return s;
}

}  // namespace velt::test317
