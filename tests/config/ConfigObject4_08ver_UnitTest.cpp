// Firmware 4.08: the freeze flag in image byte 333 and in one more text
// line, its place in the fallbacks of the 4.03 decode, defaults, copying and
// random round trips.
#include <config/ConfigObject4_08ver_Unit.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/ConfigObject5_00ver_Unit.h>
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

class TRandom {
 public:
  explicit TRandom(unsigned seed) : Engine(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Engine); }
  double Hundredths(int lo, int hi) { return Int(lo, hi) / 100.0; }

 private:
  std::mt19937 Engine;
};

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

// ---- Device image ------------------------------------------------------------

TEST(T4_08ConfigCellImageTest, Byte333IsTheFreezeFlag) {
  struct TCase {
    std::uint8_t Byte;
    bool Frozen;
  };
  for (const TCase& c : std::vector<TCase>{{0, false}, {1, true}, {7, true}, {0xFF, true}}) {
    for (const bool before : {false, true}) {
      SCOPED_TRACE(::testing::Message() << int{c.Byte} << " over " << before);
      T4_08ConfigCell source;
      RandomCell(source, 11);
      TDeviceImage image{};
      source.EncodeImage(image, 4);
      image[333] = c.Byte;
      T4_08ConfigCell cell;
      RandomCell(cell, 12);
      cell.Frozen = before;
      cell.DecodeImage(image, 4);
      EXPECT_EQ(cell.Frozen, c.Frozen);
      // The setup is the decoded one.
      EXPECT_EQ(cell.VELOCITY, source.VELOCITY);
    }
  }
}

TEST(T4_08ConfigCellImageTest, TheFallbacksToTheDefaultSetupFreezeThePicture) {
  // 331 = 0xFF: the 4.03 fallback; 321 = 0xFF: the 3.26 one; 50 = 0xFF: an
  // erased slot.
  for (const std::size_t erased : {std::size_t{331}, std::size_t{321}, std::size_t{50}}) {
    SCOPED_TRACE(erased);
    T4_08ConfigCell source;
    RandomCell(source, 21);
    source.Frozen = false;
    TDeviceImage image{};
    source.EncodeImage(image, 4);
    ASSERT_EQ(image[333], 0);
    image[erased] = 0xFF;

    T4_08ConfigCell cell;
    RandomCell(cell, 22);
    cell.Frozen = false;
    cell.DecodeImage(image, 8);
    EXPECT_TRUE(cell.Frozen);
    EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
    EXPECT_EQ(cell.CONFIGURATION_NO, 8);
    EXPECT_EQ(cell.VELOCITY, 3250);
    // After the 3.26 fallback the 4.03 decode still finds its own bytes
    // present and reads the column from them.
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, erased == 321 ? 0 : 100);
  }
}

TEST(T4_08ConfigCellImageTest, TheEncoderAddsByte333ToThe403Image) {
  for (const bool frozen : {false, true}) {
    SCOPED_TRACE(frozen);
    T4_08ConfigCell cell;
    RandomCell(cell, 31);
    cell.Frozen = frozen;
    T4_03ConfigCell parent;
    RandomCell(parent, 31);

    TDeviceImage own;
    own.fill(0xAA);
    TDeviceImage inherited;
    inherited.fill(0xAA);
    cell.EncodeImage(own, 4);
    parent.EncodeImage(inherited, 4);
    EXPECT_EQ(own[333], frozen ? 1 : 0);
    own[333] = 0xAA;
    EXPECT_EQ(own, inherited);
  }
}

// Fields an image of the 3.26 family does not carry: they keep what the
// decoding cell held.
const std::set<std::string> kNotInTheImage = {"DisplayOffset", "MAJOR_VERSION_NO",
                                              "MINOR_VERSION_NO", "DEVICE_INDEX",
                                              "B_SCAN_BEGIN", "B_SCAN_END", "Comments"};

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

TEST(T4_08ConfigCellImageTest, RandomSetupsSurviveEncodeAndDecode) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 2000 + i;
    T4_08ConfigCell source;
    T4_08ConfigCell want;
    T4_08ConfigCell cell;
    T4_08ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);
    for (T4_08ConfigCell* c : {&source, &want}) {
      c->UpdateMillimetreGrid();
      c->UpdateDepthGrid();
    }

    TDeviceImage image{};
    source.EncodeImage(image, 3);
    const auto n = static_cast<std::uint16_t>((i * 7) % 100);
    cell.DecodeImage(image, n);

    want.UpdatePictograms();
    want.STROBE_1_LEVEL = DecodedLevel(want.STROBE_1_LEVEL_PERCENT);
    want.STROBE_2_LEVEL = DecodedLevel(want.STROBE_2_LEVEL_PERCENT);
    want.ScreenHeight = 180;
    want.CONFIGURATION_NO = n;
    want.EVEN_REMINDER_FLAG = 1;
    want.TGV_CURSOR_POSITION = 0;
    want.SCREEN_CURSOR_LUPA_POS = 0;
    if (want.EXACT_SCREEN_CURS_POS_FLAG == 0) {
      want.EXACT_SCREEN_CURS_POSITION = 0;
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    } else if (want.CURSOR_IS_IN_LUPA == 0) {
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    }
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
  cell.SCREEN_CURSOR_LUPA_POS = 222;
  cell.Comments = {"one"};
}

TEST(T4_08ConfigCellTextTest, TheRecordIsThe403RecordAndTheFreezeFlag) {
  for (const bool frozen : {false, true}) {
    SCOPED_TRACE(frozen);
    T4_03ConfigCell parent;
    SameSetup(parent);
    T4_08ConfigCell cell;
    SameSetup(cell);
    cell.Frozen = frozen;

    const auto inherited = Lines(Write(parent));
    const auto own = Lines(Write(cell));
    ASSERT_EQ(own.size(), 183u + 1u);
    ASSERT_EQ(inherited.size() + 1, own.size());
    EXPECT_EQ(std::vector<std::string>(own.begin(), own.end() - 1), inherited);
    EXPECT_EQ(own.back(), frozen ? "PRINT_SIGNAL_LEVEL_IN_STOP:1" : "PRINT_SIGNAL_LEVEL_IN_STOP:0");
  }
}

TEST(T4_08ConfigCellTextTest, AnyNonZeroOrNonNumberFreezes) {
  struct TCase {
    const char* Value;
    bool Frozen;
  };
  for (const TCase& c : std::vector<TCase>{{"7", true},
                                           {"0", false},
                                           {"1", true},
                                           {"255", true},
                                           {"-0", false},
                                           {"yes", true},
                                           {"", true},
                                           {"0.0", true}}) {
    for (const bool before : {false, true}) {
      SCOPED_TRACE(::testing::Message() << '"' << c.Value << "\" over " << before);
      T4_08ConfigCell source;
      SameSetup(source);
      auto lines = Lines(Write(source));
      lines.back() = std::string("PRINT_SIGNAL_LEVEL_IN_STOP:") + c.Value;
      T4_08ConfigCell cell;
      cell.Frozen = before;
      Read(cell, Joined(lines));
      EXPECT_EQ(cell.Frozen, c.Frozen);
      EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 222);
    }
  }
}

TEST(T4_08ConfigCellTextTest, AFreezeValueOutsideAByteFailsTheRead) {
  for (const char* value : {"256", "-1", "1000"}) {
    SCOPED_TRACE(value);
    T4_08ConfigCell source;
    SameSetup(source);
    auto lines = Lines(Write(source));
    lines.back() = std::string("PRINT_SIGNAL_LEVEL_IN_STOP:") + value;
    T4_08ConfigCell cell;
    std::istringstream s(Joined(lines));
    TTextReader in(s);
    EXPECT_THROW(cell.ReadText(in), EConvertError);
  }
}

const std::set<std::string> kNotInTheRecord = {"DisplayOffset", "ScreenHeight"};

TEST(T4_08ConfigCellTextTest, RandomSetupsSurviveWriteAndRead) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 8000 + i;
    T4_08ConfigCell source;
    T4_08ConfigCell want;
    T4_08ConfigCell cell;
    T4_08ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);

    Read(cell, Write(source));
    EXPECT_EQ(Differences(cell, want, kNotInTheRecord), "");
    EXPECT_EQ(Differences(cell, before, AllBut(kNotInTheRecord)), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Defaults and copying ------------------------------------------------------------

TEST(T4_08ConfigCellTest, DefaultsFreezeThePictureAndAreThe403Defaults) {
  T4_08ConfigCell cell;
  RandomCell(cell, 41);
  cell.Frozen = false;
  cell.SetDefaults(5);
  EXPECT_TRUE(cell.Frozen);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 100);
  EXPECT_EQ(cell.CONFIGURATION_NO, 5);
  EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, 0);
  EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
}

TEST(T4_08ConfigCellTest, AssignTakesTheFreezeFlagFrom408AndLaterOnly) {
  struct TCase {
    const char* What;
    std::unique_ptr<T3_26ConfigCell> Source;
    bool Frozen;
  };
  std::vector<TCase> cases;
  cases.push_back({"3.26", std::make_unique<T3_26ConfigCell>(), true});
  cases.push_back({"4.03", std::make_unique<T4_03ConfigCell>(), true});
  cases.push_back({"4.08", std::make_unique<T4_08ConfigCell>(), false});
  cases.push_back({"5.00", std::make_unique<T5_00ConfigCell>(), false});
  for (TCase& c : cases) {
    SCOPED_TRACE(c.What);
    c.Source->Initialise();
    c.Source->Frozen = false;
    c.Source->VELOCITY = 6100;
    auto* later = dynamic_cast<T4_03ConfigCell*>(c.Source.get());
    if (later != nullptr) {
      later->SCREEN_CURSOR_LUPA_POS = 300;
    }
    T4_08ConfigCell cell;
    cell.Initialise();
    cell.Frozen = true;
    cell.SCREEN_CURSOR_LUPA_POS = 5;
    cell.Assign(c.Source.get());
    EXPECT_EQ(cell.Frozen, c.Frozen);
    EXPECT_EQ(cell.VELOCITY, 6100);
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, later != nullptr ? 300 : 5);
  }

  T4_08ConfigCell cell;
  cell.Frozen = false;
  cell.Assign(nullptr);
  EXPECT_FALSE(cell.Frozen);
}

}  // namespace
}  // namespace velt
