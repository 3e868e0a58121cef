// Firmware 5.01: the second cursor (image bytes 336..337, one more text
// line), the exact cursor dropped for the two-cursor algorithms, the cursor
// selector, the measured time between the cursors, defaults, copying and
// random round trips.
#include <config/ConfigObject5_01ver_Unit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/CharMappingUnit.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

// ---- Helpers -------------------------------------------------------------------

std::string Write(TBaseConfigCell& cell) {
  std::ostringstream s;
  TTextWriter out(s);
  cell.WriteText(out);
  return s.str();
}

void Read(TBaseConfigCell& cell, const std::string& text) {
  std::istringstream s(text);
  TTextReader in(s);
  EXPECT_EQ(cell.ReadText(in), 0);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end in CR LF";
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

std::uint8_t DecodedLevel(std::uint8_t percent) {
  return static_cast<std::uint8_t>((100 - percent) * 180 / 100);
}

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
  X(CURSOR_IS_IN_LUPA) X(SCREEN_CURSOR_LUPA_POS) X(Parameter29Value) X(CURSOR_ON) X(LEVEL_ON) X(VCURSOR_2)

std::string Differences(const T5_01ConfigCell& a, const T5_01ConfigCell& b,
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

std::set<std::string> AllBut(const std::set<std::string>& fields) {
  std::set<std::string> all;
#define VELT_NAME(f) all.insert(#f);
  VELT_FIELDS(VELT_NAME)
#undef VELT_NAME
  for (const auto& f : fields) {
    all.erase(f);
  }
  return all;
}

class TRandom {
 public:
  explicit TRandom(unsigned seed) : Engine(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Engine); }
  double Hundredths(int lo, int hi) { return Int(lo, hi) / 100.0; }
  double Tenths(int lo, int hi) { return Int(lo, hi) / 10.0; }

 private:
  std::mt19937 Engine;
};

// A setup the 5.00 image and record can carry: every field on the grid of
// its encoding, the name of 15 characters the instrument can show (the
// name characters hold their codes), the derived fields consistent.
void RandomCell(T5_00ConfigCell& c, unsigned seed) {
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
void RandomCell501(T5_01ConfigCell& c, unsigned seed) {
  RandomCell(c, seed);
  c.VCURSOR_2 = static_cast<std::uint16_t>(std::mt19937(seed)() % 65536);
}

// ---- Device image ------------------------------------------------------------

TEST(T5_01ConfigCellImageTest, Bytes336And337AreTheSecondCursorAfterThe500Image) {
  T5_01ConfigCell cell;
  RandomCell501(cell, 11);
  cell.VCURSOR_2 = 0x1234;
  T5_00ConfigCell parent;
  RandomCell(parent, 11);

  TDeviceImage own;
  own.fill(0xAA);
  TDeviceImage inherited;
  inherited.fill(0xAA);
  cell.EncodeImage(own, 4);
  parent.EncodeImage(inherited, 4);
  EXPECT_EQ(own[336], 0x12);
  EXPECT_EQ(own[337], 0x34);
  own[336] = own[337] = 0xAA;
  EXPECT_EQ(own, inherited);

  for (const std::uint16_t column : {std::uint16_t{0}, std::uint16_t{319}, std::uint16_t{0xABCD}}) {
    SCOPED_TRACE(column);
    TDeviceImage image = inherited;
    image[336] = static_cast<std::uint8_t>(column >> 8);
    image[337] = static_cast<std::uint8_t>(column);
    T5_01ConfigCell decoded;
    decoded.VCURSOR_2 = 5;
    decoded.DecodeImage(image, 4);
    EXPECT_EQ(decoded.VCURSOR_2, column);
    EXPECT_EQ(decoded.VELOCITY, parent.VELOCITY);
  }
}

TEST(T5_01ConfigCellImageTest, StrobeAlgorithmsAbove1DropTheExactCursorAfterDecoding) {
  struct TCase {
    std::uint8_t Algorythm;
    std::uint8_t Flag;  // stored 1
  };
  for (const TCase& c : std::vector<TCase>{{0, 1}, {1, 1}, {2, 0}, {3, 0}, {255, 0}}) {
    SCOPED_TRACE(int{c.Algorythm});
    T5_01ConfigCell source;
    source.Initialise();
    source.STROBE_ALGORYTHM = c.Algorythm;
    source.EXACT_SCREEN_CURS_POS_FLAG = 1;
    source.EXACT_SCREEN_CURS_POSITION = 55.5;
    TDeviceImage image{};
    source.EncodeImage(image, 0);
    EXPECT_EQ(image[325], 1);
    T5_01ConfigCell cell;
    cell.DecodeImage(image, 0);
    EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, c.Flag);
    EXPECT_EQ(cell.EXACT_SCREEN_CURS_POSITION, 55.5);
    EXPECT_EQ(cell.STROBE_ALGORYTHM, c.Algorythm);
  }
}

const std::set<std::string> kNotInTheImage = {
    "DisplayOffset", "MAJOR_VERSION_NO", "MINOR_VERSION_NO", "DEVICE_INDEX",
    "B_SCAN_BEGIN",  "B_SCAN_END",       "Comments",         "SOUND_ENABLED",
    "VCURSOR_ENABLED", "OPORN_LEVEL_ON", "LANGUAGE"};

TEST(T5_01ConfigCellImageTest, RandomSetupsSurviveEncodeAndDecode) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 4000 + i;
    T5_01ConfigCell source;
    T5_01ConfigCell want;
    T5_01ConfigCell cell;
    T5_01ConfigCell before;
    RandomCell501(source, seed);
    RandomCell501(want, seed);
    RandomCell501(cell, seed + 50000);
    RandomCell501(before, seed + 50000);

    TDeviceImage image{};
    source.EncodeImage(image, 0);
    const auto n = static_cast<std::uint16_t>((i * 7) % 100);
    cell.DecodeImage(image, n);

    want.CONFIGURATION_NAME = want.CONFIGURATION_NAME.substr(0, 14) + " ";
    want.NameChars[14] = '/';
    want.STROBE_1_LEVEL = DecodedLevel(want.STROBE_1_LEVEL_PERCENT);
    want.STROBE_2_LEVEL = DecodedLevel(want.STROBE_2_LEVEL_PERCENT);
    want.ScreenHeight = 180;
    want.CONFIGURATION_NO = n;
    want.EVEN_REMINDER_FLAG = 1;
    want.LEVEL_ON = want.POISK != 0 ? 1 : 0;
    if (want.EXACT_SCREEN_CURS_POS_FLAG == 0) {
      want.EXACT_SCREEN_CURS_POSITION = 0;
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    } else if (want.CURSOR_IS_IN_LUPA == 0) {
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    }
    if (want.STROBE_ALGORYTHM > 1) {
      want.EXACT_SCREEN_CURS_POS_FLAG = 0;
    }
    want.Parameter29Value = RndTo<std::uint8_t>(before.Schemes[29].LastAccepted);
    EXPECT_EQ(Differences(cell, want, kNotInTheImage), "");
    EXPECT_EQ(Differences(cell, before, AllBut(kNotInTheImage)), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Text record ----------------------------------------------------------------

template <typename Cell>
void SameSetup(Cell& cell) {
  cell.SetDefaults(7);
  cell.INDEX_MARK_MM = 4;
  cell.PIXEL_GRID_LENGTH_MM = 31.25;
  cell.PREV_PIXEL_GRID_LENGTH_MM = 27.5;
  cell.CURSOR_ON = 1;
  cell.Comments = {"one"};
}

TEST(T5_01ConfigCellTextTest, TheRecordIsThe500RecordAndTheSecondCursor) {
  T5_00ConfigCell parent;
  SameSetup(parent);
  T5_01ConfigCell cell;
  SameSetup(cell);
  cell.VCURSOR_2 = 4242;

  const auto inherited = Lines(Write(parent));
  const auto own = Lines(Write(cell));
  ASSERT_EQ(own.size(), 190u + 1u);
  ASSERT_EQ(inherited.size() + 1, own.size());
  EXPECT_EQ(std::vector<std::string>(own.begin(), own.end() - 1), inherited);
  EXPECT_EQ(own.back(), "VCURSOR 2:4242");
}

TEST(T5_01ConfigCellTextTest, TheSecondCursorLineReadsAWord) {
  struct TCase {
    const char* Value;
    bool Fails;
    std::uint16_t Column;
  };
  for (const TCase& c : std::vector<TCase>{{"0", false, 0},
                                           {"65535", false, 65535},
                                           {"120", false, 120},
                                           {"65536", true, 0},
                                           {"-1", true, 0},
                                           {"left", true, 0},
                                           {"", true, 0}}) {
    SCOPED_TRACE(c.Value);
    T5_01ConfigCell source;
    SameSetup(source);
    auto lines = Lines(Write(source));
    lines.back() = std::string("VCURSOR 2:") + c.Value;
    T5_01ConfigCell cell;
    std::istringstream s(Joined(lines));
    TTextReader in(s);
    if (c.Fails) {
      EXPECT_THROW(cell.ReadText(in), EConvertError);
    } else {
      EXPECT_EQ(cell.ReadText(in), 0);
      EXPECT_EQ(cell.VCURSOR_2, c.Column);
      EXPECT_EQ(cell.CURSOR_ON, 1);
    }
  }
}

TEST(T5_01ConfigCellTextTest, StrobeAlgorithmsAbove1DropTheExactCursorAfterReading) {
  struct TCase {
    std::uint8_t Algorythm;
    std::uint8_t Flag;  // stored 1
  };
  for (const TCase& c : std::vector<TCase>{{0, 1}, {1, 1}, {2, 0}, {3, 0}, {200, 0}}) {
    SCOPED_TRACE(int{c.Algorythm});
    T5_01ConfigCell source;
    SameSetup(source);
    source.STROBE_ALGORYTHM = c.Algorythm;
    source.EXACT_SCREEN_CURS_POS_FLAG = 1;
    source.EXACT_SCREEN_CURS_POSITION = 55.5;
    T5_01ConfigCell cell;
    Read(cell, Write(source));
    EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, c.Flag);
    EXPECT_EQ(cell.EXACT_SCREEN_CURS_POSITION, 55.5);
  }
}

const std::set<std::string> kNotInTheRecord = {"DisplayOffset", "ScreenHeight"};

TEST(T5_01ConfigCellTextTest, RandomSetupsSurviveWriteAndRead) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 6000 + i;
    T5_01ConfigCell source;
    T5_01ConfigCell want;
    T5_01ConfigCell cell;
    T5_01ConfigCell before;
    RandomCell501(source, seed);
    RandomCell501(want, seed);
    RandomCell501(cell, seed + 50000);
    RandomCell501(before, seed + 50000);

    Read(cell, Write(source));
    if (want.STROBE_ALGORYTHM > 1) {
      want.EXACT_SCREEN_CURS_POS_FLAG = 0;
    }
    want.Parameter29Value = RndTo<std::uint8_t>(before.Schemes[29].LastAccepted);
    EXPECT_EQ(Differences(cell, want, kNotInTheRecord), "");
    EXPECT_EQ(Differences(cell, before, AllBut(kNotInTheRecord)), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Cursors and measured time -----------------------------------------------------

// m = 10 µs per division, G = 25 columns per division, display offset 0.
void TimeScale(T5_01ConfigCell& cell) {
  cell.Initialise();
  cell.INDEX_MARK_MKS = 3;
  cell.PIXEL_GRID_LENGTH = 25;
  cell.EXACT_SCREEN_CURS_POS_FLAG = 0;
  cell.SCREEN_MODE = 1;
}

TEST(T5_01ConfigCellCursorTest, TheSelectorPicksTheCursor) {
  T5_01ConfigCell cell;
  TimeScale(cell);
  cell.CURSOR_POSITION = 50;
  cell.VCURSOR_2 = 100;
  struct TCase {
    std::uint8_t Selector;
    std::uint16_t Pixel;
    double Time;
  };
  for (const TCase& c : std::vector<TCase>{{0, 50, 20}, {1, 100, 40}, {2, 100, 40}, {255, 100, 40}}) {
    SCOPED_TRACE(int{c.Selector});
    EXPECT_EQ(cell.CursorPixel(c.Selector), c.Pixel);
    EXPECT_DOUBLE_EQ(cell.CursorTime(c.Selector), c.Time);
  }
  EXPECT_EQ(cell.CursorPixel(), 50);
  EXPECT_DOUBLE_EQ(cell.CursorTime(), 20);
}

TEST(T5_01ConfigCellCursorTest, TheFirstCursorKeepsThe403Rules) {
  // The exact column while frozen, and the magnifier.
  T5_01ConfigCell cell;
  TimeScale(cell);
  cell.CURSOR_POSITION = 50;
  cell.VCURSOR_2 = 100;
  cell.EXACT_SCREEN_CURS_POS_FLAG = 1;
  cell.EXACT_SCREEN_CURS_POSITION = 62.5;
  cell.USED_MODE = 0x0300;
  EXPECT_DOUBLE_EQ(cell.CursorTime(0), 25);
  EXPECT_DOUBLE_EQ(cell.CursorTime(1), 40);

  cell.SCREEN_MODE = 3;
  cell.CURSOR_IS_IN_LUPA = 1;
  cell.EXACT_LUPA_MKS_CURS_POSITION = 31.5;
  EXPECT_DOUBLE_EQ(cell.CursorTime(0), 31.5);
  EXPECT_DOUBLE_EQ(cell.CursorTime(1), 40);

  // Without pixels per division there is no time axis.
  cell.PIXEL_GRID_LENGTH = 0;
  EXPECT_EQ(cell.CursorTime(1), 0.0);
}

TEST(T5_01ConfigCellCursorTest, TheTwoCursorAlgorithmMeasuresBetweenTheCursors) {
  struct TCase {
    std::uint8_t Algorythm;
    std::uint16_t First;
    std::uint16_t Second;
    double Time;
  };
  for (const TCase& c : std::vector<TCase>{{3, 50, 100, 20},   // 40 - 20
                                           {3, 30, 100, 28},   // 40 - 12
                                           {3, 100, 50, -20},  // the second left of the first
                                           {0, 30, 100, 12},   // the first cursor's time
                                           {1, 30, 100, 12},
                                           {2, 30, 100, 12},
                                           {4, 30, 100, 12}}) {
    SCOPED_TRACE(::testing::Message() << int{c.Algorythm} << ": " << c.First << ", "
                                      << c.Second);
    T5_01ConfigCell cell;
    TimeScale(cell);
    ASSERT_EQ(cell.DisplayOffset, 0);
    cell.STROBE_ALGORYTHM = c.Algorythm;
    cell.CURSOR_POSITION = c.First;
    cell.VCURSOR_2 = c.Second;
    EXPECT_NEAR(cell.MeasuredTime(), c.Time, 1e-9);
  }
}

// ---- Defaults and copying ------------------------------------------------------------

TEST(T5_01ConfigCellTest, DefaultsAreThe500DefaultsAndSecondCursor1) {
  T5_01ConfigCell cell;
  RandomCell501(cell, 41);
  cell.SetDefaults(3);
  EXPECT_EQ(cell.VCURSOR_2, 1);
  EXPECT_EQ(cell.CURSOR_ON, 0);
  EXPECT_EQ(cell.LEVEL_ON, 0);
  EXPECT_EQ(cell.DisplayOffset, 0);
  EXPECT_TRUE(cell.Frozen);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 100);
  EXPECT_EQ(cell.CONFIGURATION_NO, 3);
}

TEST(T5_01ConfigCellTest, AssignTakesTheSecondCursorFrom501Only) {
  T5_00ConfigCell older;
  older.Initialise();
  older.CURSOR_ON = 8;
  T5_01ConfigCell same;
  same.Initialise();
  same.CURSOR_ON = 8;
  same.VCURSOR_2 = 222;

  T5_01ConfigCell cell;
  cell.Initialise();
  cell.VCURSOR_2 = 5;
  cell.Assign(&older);
  EXPECT_EQ(cell.VCURSOR_2, 5);
  EXPECT_EQ(cell.CURSOR_ON, 8);
  cell.Assign(&same);
  EXPECT_EQ(cell.VCURSOR_2, 222);
  cell.Assign(nullptr);
  EXPECT_EQ(cell.VCURSOR_2, 222);
}

}  // namespace
}  // namespace velt
