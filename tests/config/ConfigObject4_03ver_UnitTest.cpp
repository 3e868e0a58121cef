// Firmware 4.03: the magnifier cursor column (image bytes 331..332, one more
// text line), the cursor time inside and outside the magnifier, the peak
// position, defaults, copying and random round trips.
#include <config/ConfigObject4_03ver_Unit.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/ConfigObject4_08ver_Unit.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

#include "Cell403TestSupport.h"

namespace velt {
namespace {

// ---- Device image ------------------------------------------------------------

TEST(T4_03ConfigCellImageTest, ByteFFAt331OrAnErasedSlotGivesTheDefaultSetup) {
  for (const std::size_t erased : {std::size_t{331}, std::size_t{50}}) {
    SCOPED_TRACE(erased);
    T4_03ConfigCell source;
    RandomCell(source, 11);
    TDeviceImage image{};
    source.EncodeImage(image, 4);
    image[erased] = 0xFF;

    T4_03ConfigCell cell;
    RandomCell(cell, 12);
    cell.DecodeImage(image, 7);

    T4_03ConfigCell defaults;
    defaults.SetDefaults(7);
    // Set defaults leaves these as they were (the screen height is the one
    // the 3.26 decode set before the fallback).
    EXPECT_EQ(Differences(cell, defaults, {"ScreenHeight", "Comments", "B_SCAN_BEGIN", "B_SCAN_END",
                                           "LAST_MEM_CELL", "SNAP_YEAR", "SNAP_MONTH",
                                           "SNAP_DAY", "SNAP_HOUR", "SNAP_MINUTE",
                                           "SNAP_SECOND", "PIXEL_GRID_LENGTH_MM",
                                           "PREV_PIXEL_GRID_LENGTH_MM"}),
              "");
    EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
    EXPECT_EQ(cell.CONFIGURATION_NO, 7);
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 100);
  }
}

TEST(T4_03ConfigCellImageTest, BytesAt331AreTheMagnifierColumnMostSignificantFirst) {
  struct TCase {
    std::uint8_t High, Low;
    std::uint16_t Column;
  };
  for (const TCase& c : std::vector<TCase>{
           {0x00, 0x00, 0}, {0x00, 0x64, 100}, {0x01, 0x2C, 300}, {0xFE, 0xFF, 0xFEFF}}) {
    SCOPED_TRACE(c.Column);
    T4_03ConfigCell source;
    RandomCell(source, 21);
    TDeviceImage image{};
    source.EncodeImage(image, 4);
    image[331] = c.High;
    image[332] = c.Low;

    T4_03ConfigCell cell;
    RandomCell(cell, 22);
    cell.DecodeImage(image, 4);
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, c.Column);
    // The rest of the setup is the decoded one, not the defaults.
    EXPECT_EQ(cell.VELOCITY, source.VELOCITY);
    EXPECT_EQ(cell.CONFIGURATION_NAME, source.CONFIGURATION_NAME);
  }
}

TEST(T4_03ConfigCellImageTest, TheEncoderLeavesBytes331And332AsTheyWere) {
  T4_03ConfigCell cell;
  RandomCell(cell, 31);
  cell.SCREEN_CURSOR_LUPA_POS = 0x1234;
  TDeviceImage image{};
  image[331] = 0xAB;
  image[332] = 0xCD;
  image[333] = 0xEF;
  cell.EncodeImage(image, 4);
  EXPECT_EQ(image[331], 0xAB);
  EXPECT_EQ(image[332], 0xCD);
  EXPECT_EQ(image[333], 0xEF);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 0x1234);

  // Everything else is the 3.26 image of the same setup.
  T3_26ConfigCell parent;
  RandomCell(cell, 31);
  parent.Assign(&cell);
  parent.CONFIGURATION_NO = cell.CONFIGURATION_NO;
  parent.AMPLITUDE_MARKER_POSITION = cell.AMPLITUDE_MARKER_POSITION;
  TDeviceImage own{};
  TDeviceImage inherited{};
  cell.EncodeImage(own, 4);
  parent.EncodeImage(inherited, 4);
  EXPECT_EQ(own, inherited);
}

// Fields an image of the 3.26 family does not carry: they keep what the
// decoding cell held.
const std::set<std::string> kNotInTheImage = {"DisplayOffset", "MAJOR_VERSION_NO",
                                              "MINOR_VERSION_NO", "DEVICE_INDEX",
                                              "B_SCAN_BEGIN", "B_SCAN_END", "Comments",
                                              "Frozen"};

TEST(T4_03ConfigCellImageTest, RandomSetupsSurviveEncodeAndDecode) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 1000 + i;
    T4_03ConfigCell source;
    T4_03ConfigCell want;
    T4_03ConfigCell cell;
    T4_03ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);
    // The grids are recomputed after decoding; the source holds them
    // computed so that they compare.
    for (T4_03ConfigCell* c : {&source, &want}) {
      c->UpdateMillimetreGrid();
      c->UpdateDepthGrid();
    }

    TDeviceImage image{};
    source.EncodeImage(image, static_cast<std::uint16_t>(i % 100));
    const auto n = static_cast<std::uint16_t>((i * 7) % 100);
    cell.DecodeImage(image, n);

    // What the image does to the values.
    want.UpdatePictograms();
    want.STROBE_1_LEVEL = DecodedLevel(want.STROBE_1_LEVEL_PERCENT);
    want.STROBE_2_LEVEL = DecodedLevel(want.STROBE_2_LEVEL_PERCENT);
    want.ScreenHeight = 180;
    want.CONFIGURATION_NO = n;
    want.EVEN_REMINDER_FLAG = 1;  // a thickness below 900 is switched on
    want.TGV_CURSOR_POSITION = 0;  // not sent
    want.SCREEN_CURSOR_LUPA_POS = 0;  // not sent: the zeros of the buffer
    if (want.EXACT_SCREEN_CURS_POS_FLAG == 0) {
      want.EXACT_SCREEN_CURS_POSITION = 0;
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    } else if (want.CURSOR_IS_IN_LUPA == 0) {
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    }
    EXPECT_EQ(Differences(cell, want, kNotInTheImage), "");
    std::set<std::string> carried;
#define VELT_NAME(f) carried.insert(#f);
    VELT_FIELDS(VELT_NAME)
#undef VELT_NAME
    for (const auto& f : kNotInTheImage) {
      carried.erase(f);
    }
    EXPECT_EQ(Differences(cell, before, carried), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Text record ----------------------------------------------------------------

// The same setup in a 3.26 and a 4.03 cell.
template <typename Cell>
void SameSetup(Cell& cell) {
  cell.SetDefaults(7);
  cell.INDEX_MARK_MM = 4;
  cell.PIXEL_GRID_LENGTH_MM = 31.25;
  cell.PREV_PIXEL_GRID_LENGTH_MM = 27.5;
  cell.EXACT_SCREEN_CURS_POSITION = 12.5;
  cell.EXACT_SCREEN_CURS_POS_FLAG = 1;
  cell.Comments = {"one", "two"};
}

TEST(T4_03ConfigCellTextTest, TheRecordIsThe326RecordAndTheMagnifierColumn) {
  T3_26ConfigCell parent;
  SameSetup(parent);
  T4_03ConfigCell cell;
  SameSetup(cell);
  cell.SCREEN_CURSOR_LUPA_POS = 4321;

  const auto inherited = Lines(Write(parent));
  const auto own = Lines(Write(cell));
  ASSERT_EQ(own.size(), 182u + 2u);
  ASSERT_EQ(inherited.size() + 1, own.size());
  EXPECT_EQ(std::vector<std::string>(own.begin(), own.end() - 1), inherited);
  EXPECT_EQ(own.back(), "SCREEN CURSOR LUPA POS:4321");
}

TEST(T4_03ConfigCellTextTest, TheMagnifierColumnLineReadsAnIntegerOr100) {
  struct TCase {
    const char* Value;
    std::uint16_t Column;
  };
  for (const TCase& c : std::vector<TCase>{{"0", 0},
                                           {"123", 123},
                                           {"65535", 65535},
                                           {"+7", 100},  // not as our writers write it
                                           {"07", 100},
                                           {"abc", 100},
                                           {"", 100},
                                           {"12.5", 100},
                                           {" 12", 100},
                                           {"99999999999999999999", 100}}) {
    SCOPED_TRACE(c.Value);
    T4_03ConfigCell source;
    SameSetup(source);
    auto lines = Lines(Write(source));
    lines.back() = std::string("SCREEN CURSOR LUPA POS:") + c.Value;
    T4_03ConfigCell cell;
    cell.SCREEN_CURSOR_LUPA_POS = 9;
    Read(cell, Joined(lines));
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, c.Column);
  }
}

TEST(T4_03ConfigCellTextTest, AMagnifierColumnOutsideAWordFailsTheRead) {
  for (const char* value : {"65536", "-1", "-65535", "100000"}) {
    SCOPED_TRACE(value);
    T4_03ConfigCell source;
    SameSetup(source);
    auto lines = Lines(Write(source));
    lines.back() = std::string("SCREEN CURSOR LUPA POS:") + value;
    T4_03ConfigCell cell;
    std::istringstream s(Joined(lines));
    TTextReader in(s);
    EXPECT_THROW(cell.ReadText(in), EConvertError);
  }
}

// Fields the 3.26 family's record does not carry.
const std::set<std::string> kNotInTheRecord = {"DisplayOffset", "ScreenHeight", "Frozen"};

TEST(T4_03ConfigCellTextTest, RandomSetupsSurviveWriteAndRead) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 7000 + i;
    T4_03ConfigCell source;
    T4_03ConfigCell want;
    T4_03ConfigCell cell;
    T4_03ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);

    Read(cell, Write(source));
    EXPECT_EQ(Differences(cell, want, kNotInTheRecord), "");
    std::set<std::string> carried;
#define VELT_NAME(f) carried.insert(#f);
    VELT_FIELDS(VELT_NAME)
#undef VELT_NAME
    for (const auto& f : kNotInTheRecord) {
      carried.erase(f);
    }
    EXPECT_EQ(Differences(cell, before, carried), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Peak position ---------------------------------------------------------------

TEST(T4_03ConfigCellPeakTest, APeakIsAvailableInTheMagnifierOfScreenMode3Only) {
  struct TCase {
    std::uint16_t ScreenMode;
    std::uint8_t InLupa;
    bool Available;
  };
  for (const TCase& c : std::vector<TCase>{
           {3, 1, true}, {3, 0, false}, {3, 2, false}, {1, 1, false}, {2, 1, false}}) {
    SCOPED_TRACE(::testing::Message() << c.ScreenMode << "/" << int{c.InLupa});
    T4_03ConfigCell cell;
    cell.Initialise();
    cell.SCREEN_MODE = c.ScreenMode;
    cell.CURSOR_IS_IN_LUPA = c.InLupa;
    EXPECT_EQ(cell.PeakPositionAvailable(), c.Available);
  }
}

TEST(T4_03ConfigCellPeakTest, ThePeakIsTheMagnifierColumnLessTheDisplayOffset) {
  struct TCase {
    std::uint16_t Column;
    std::uint8_t Offset;
    std::uint16_t Peak;
  };
  for (const TCase& c : std::vector<TCase>{{100, 2, 98},
                                           {3, 2, 1},
                                           {2, 2, 2},
                                           {1, 2, 1},
                                           {0, 2, 0},
                                           {0, 0, 0},
                                           {57, 0, 57},
                                           {65535, 2, 65533}}) {
    SCOPED_TRACE(::testing::Message() << c.Column << " - " << int{c.Offset});
    T4_03ConfigCell cell;
    cell.SCREEN_CURSOR_LUPA_POS = c.Column;
    cell.DisplayOffset = c.Offset;
    EXPECT_EQ(cell.PeakPosition(), c.Peak);
  }
}

// ---- Cursor time -------------------------------------------------------------------

// m = 10 µs per division, G = 25 columns per division, display offset 2.
void TimeScale(T4_03ConfigCell& cell) {
  cell.Initialise();
  cell.INDEX_MARK_MKS = 3;
  cell.PIXEL_GRID_LENGTH = 25;
  cell.DisplayOffset = 2;
}

TEST(T4_03ConfigCellCursorTest, SetCursorTimeCountsFromTheDisplayOffsetAndDropsTheExactColumn) {
  struct TCase {
    std::uint8_t MarkMks;
    double Time;
    std::uint16_t Column;
  };
  // m = 10: 20 µs are 50 columns; m = 2: 0.2 µs are 2.5 columns, 4.5 with
  // the offset, and ties go to even.
  for (const TCase& c : std::vector<TCase>{
           {3, 20, 52}, {3, 0, 2}, {3, 0.3, 3}, {1, 0.2, 4}, {1, 0.28, 6}, {1, -1, 0}}) {
    SCOPED_TRACE(c.Time);
    T4_03ConfigCell cell;
    TimeScale(cell);
    cell.INDEX_MARK_MKS = c.MarkMks;
    cell.EXACT_SCREEN_CURS_POS_FLAG = 1;
    cell.SetCursorTime(c.Time);
    EXPECT_EQ(cell.CURSOR_POSITION, c.Column);
    EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, 0);
  }
}

TEST(T4_03ConfigCellCursorTest, OutsideTheMagnifierTheTimeIsThatOfTheCursorColumn) {
  struct TCase {
    const char* What;
    std::uint16_t ScreenMode;
    std::uint8_t InLupa;
    std::uint8_t Flag;
    std::uint8_t Tvg;
    std::uint16_t UsedMode;
    std::uint16_t Cursor;
    double Time;
  };
  // Exact column 100.5 is 40.2 µs; cursor column 52 less the offset is 20 µs.
  for (const TCase& c : std::vector<TCase>{
           {"exact column while frozen", 1, 0, 1, 0, 0x0300, 52, 40.2},
           {"exact column, frozen with more bits", 1, 0, 1, 1, 0xFFFF, 52, 40.2},
           {"flag off", 1, 0, 0, 0, 0x0300, 52, 20},
           {"flag 2 is not 1", 1, 0, 2, 0, 0x0300, 52, 20},
           {"DGS mode", 1, 0, 1, 2, 0x0300, 52, 20},
           {"only bit 8", 1, 0, 1, 0, 0x0100, 52, 20},
           {"only bit 9", 1, 0, 1, 0, 0x0200, 52, 20},
           {"screen mode 3 outside the magnifier", 3, 0, 0, 0, 0, 52, 20},
           {"magnifier of screen mode 1", 1, 1, 0, 0, 0, 52, 20},
           {"cursor at the offset", 1, 0, 0, 0, 0, 2, 0},
           {"cursor left of the offset", 1, 0, 0, 0, 0, 1, 0}}) {
    SCOPED_TRACE(c.What);
    T4_03ConfigCell cell;
    TimeScale(cell);
    cell.SCREEN_MODE = c.ScreenMode;
    cell.CURSOR_IS_IN_LUPA = c.InLupa;
    cell.EXACT_SCREEN_CURS_POS_FLAG = c.Flag;
    cell.EXACT_SCREEN_CURS_POSITION = 100.5;
    cell.EXACT_LUPA_MKS_CURS_POSITION = 77.0;
    cell.TVG_ENABLED = c.Tvg;
    cell.USED_MODE = c.UsedMode;
    cell.CURSOR_POSITION = c.Cursor;
    EXPECT_NEAR(cell.CursorTime(), c.Time, 1e-9);
    // The selector means nothing before 5.01.
    EXPECT_EQ(cell.CursorTime(1), cell.CursorTime(0));
  }
}

TEST(T4_03ConfigCellCursorTest, InsideTheMagnifierTheTimeFollowsTheColumnAcrossStrobe1) {
  struct TCase {
    const char* What;
    double Angle;
    std::uint8_t Units;
    std::uint8_t Flag;
    std::uint16_t UsedMode;
    std::uint16_t Column;
    double Time;
  };
  // Strobe 1 runs from 10 to 32.4 µs; the magnifier spreads it over 224
  // columns, so column 112 is at 21.2 µs whatever the angle and velocity
  // (the paths are taken along the beam and divided by its cosine again).
  // In SCREEN UNITS 2 the time is divided by the cosine once more.
  for (const TCase& c : std::vector<TCase>{
           {"middle, straight probe", 0, 0, 0, 0, 112, 21.2},
           {"begin", 0, 0, 0, 0, 0, 10},
           {"end", 0, 0, 0, 0, 224, 32.4},
           {"middle, 60 degrees", 60, 0, 0, 0, 112, 21.2},
           {"middle, 60 degrees, units 1", 60, 1, 0, 0, 112, 21.2},
           {"middle, 60 degrees, units 2", 60, 2, 0, 0, 112, 42.4},
           {"exact flag without freezing", 60, 0, 1, 0x0100, 112, 21.2},
           {"freezing without the exact flag", 60, 0, 0, 0x0300, 112, 21.2},
           {"exact magnifier time while frozen", 60, 2, 1, 0x0300, 112, 77.25}}) {
    SCOPED_TRACE(c.What);
    T4_03ConfigCell cell;
    TimeScale(cell);
    cell.VELOCITY = 5900;
    cell.THICKNESS = 0;
    cell.BeamAngle = c.Angle;
    cell.INSERTION_ANGLE = static_cast<std::uint8_t>(c.Angle);
    cell.StrobeBeginTime[0] = 10;
    cell.StrobeEndTime[0] = 32.4;
    cell.SCREEN_MODE = 3;
    cell.CURSOR_IS_IN_LUPA = 1;
    cell.SCREEN_UNITS = c.Units;
    cell.EXACT_SCREEN_CURS_POS_FLAG = c.Flag;
    cell.EXACT_LUPA_MKS_CURS_POSITION = 77.25;
    cell.USED_MODE = c.UsedMode;
    cell.SCREEN_CURSOR_LUPA_POS = c.Column;
    EXPECT_NEAR(cell.CursorTime(), c.Time, 1e-9);
  }
}

TEST(T4_03ConfigCellCursorTest, ZeroDivisorsGiveTimeZero) {
  T4_03ConfigCell outside;
  TimeScale(outside);
  outside.PIXEL_GRID_LENGTH = 0;
  outside.CURSOR_POSITION = 100;
  EXPECT_EQ(outside.CursorTime(), 0.0);

  T4_03ConfigCell inside;
  TimeScale(inside);
  inside.SCREEN_MODE = 3;
  inside.CURSOR_IS_IN_LUPA = 1;
  inside.VELOCITY = 0;
  inside.StrobeBeginTime[0] = 10;
  inside.StrobeEndTime[0] = 20;
  inside.SCREEN_CURSOR_LUPA_POS = 50;
  EXPECT_EQ(inside.CursorTime(), 0.0);
}

// ---- Defaults and copying ------------------------------------------------------------

TEST(T4_03ConfigCellTest, DefaultsAreThe326DefaultsAndColumn100) {
  T4_03ConfigCell cell;
  RandomCell(cell, 41);
  cell.SetDefaults(9);
  T3_26ConfigCell parent;
  parent.SetDefaults(9);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 100);
  EXPECT_EQ(cell.CONFIGURATION_NO, 9);
  EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, 0);
  EXPECT_EQ(cell.EXACT_SCREEN_CURS_POSITION, 0.0);
  EXPECT_EQ(cell.CURSOR_IS_IN_LUPA, 0);
  EXPECT_EQ(cell.CONFIGURATION_NAME, parent.CONFIGURATION_NAME);
  EXPECT_EQ(cell.VELOCITY, parent.VELOCITY);
  EXPECT_EQ(cell.StrobeBeginTime, parent.StrobeBeginTime);
  EXPECT_EQ(cell.PIXEL_GRID_LENGTH_MM_DEPTH, parent.PIXEL_GRID_LENGTH_MM_DEPTH);
}

TEST(T4_03ConfigCellTest, AssignTakesTheMagnifierColumnFrom403AndLaterOnly) {
  struct TCase {
    const char* What;
    std::unique_ptr<T3_26ConfigCell> Source;
    std::uint16_t Column;
  };
  std::vector<TCase> cases;
  cases.push_back({"3.26", std::make_unique<T3_26ConfigCell>(), 5});
  cases.push_back({"4.03", std::make_unique<T4_03ConfigCell>(), 300});
  cases.push_back({"4.08", std::make_unique<T4_08ConfigCell>(), 300});
  for (TCase& c : cases) {
    SCOPED_TRACE(c.What);
    c.Source->Initialise();
    c.Source->VELOCITY = 6100;
    c.Source->CURSOR_IS_IN_LUPA = 1;
    if (auto* later = dynamic_cast<T4_03ConfigCell*>(c.Source.get())) {
      later->SCREEN_CURSOR_LUPA_POS = 300;
    }
    T4_03ConfigCell cell;
    cell.Initialise();
    cell.SCREEN_CURSOR_LUPA_POS = 5;
    cell.Assign(c.Source.get());
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, c.Column);
    EXPECT_EQ(cell.VELOCITY, 6100);
    EXPECT_EQ(cell.CURSOR_IS_IN_LUPA, 1);
  }

  T4_03ConfigCell cell;
  cell.SCREEN_CURSOR_LUPA_POS = 5;
  cell.Assign(nullptr);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 5);
}

}  // namespace
}  // namespace velt
