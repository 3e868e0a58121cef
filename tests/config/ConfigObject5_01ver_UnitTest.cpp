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

#include "Cell500TestSupport.h"

namespace velt {
namespace {

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
