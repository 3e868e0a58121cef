// The 3.26 cell: the exact cursor column and the cursor in the magnifier,
// in the device image, the text record, the cursor time, validation and
// copying.
#include <config/ConfigObject3_26ver_Unit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <config/TextRecordIO.h>

#include "Cell317TestSupport.h"

namespace velt {
namespace {

using test317::Be;
using test317::Joined;
using test317::Lines;
using test317::Padded;
using test317::PutBe;
using test317::Read;
using test317::Write;

// A class of a later firmware, as the variant chain continues.
class TLaterCell : public T3_26ConfigCell {};

void RandomiseExactCursor(T3_26ConfigCell& c, std::mt19937& rng) {
  test317::Randomise317(c, rng);
  // As the instrument keeps them: the column only with its flag, the
  // magnifier time only inside the magnifier.
  c.EXACT_SCREEN_CURS_POS_FLAG = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 2));
  c.CURSOR_IS_IN_LUPA = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 3));
  c.EXACT_SCREEN_CURS_POSITION =
      c.EXACT_SCREEN_CURS_POS_FLAG != 0 ? test317::Hundredths(rng, 0, 319.99) : 0;
  c.EXACT_LUPA_MKS_CURS_POSITION = c.EXACT_SCREEN_CURS_POS_FLAG != 0 && c.CURSOR_IS_IN_LUPA != 0
                                       ? test317::Hundredths(rng, 0, 5000)
                                       : 0;
}

std::string Differing(const TDeviceImage& a, const TDeviceImage& b) {
  std::string s;
  for (std::size_t at = 0; at < a.size(); ++at) {
    if (a[at] != b[at]) {
      s += std::to_string(at) + " ";
    }
  }
  return s;
}

// ---- Creation, defaults --------------------------------------------------------------

TEST(Config326CellTest, DefaultsAreThe317DefaultsWithTheCursorFieldsCleared) {
  T3_26ConfigCell c;
  EXPECT_EQ(c.Schemes[15].Kind, kOwnListKind);  // built by the 3.17 creation
  EXPECT_EQ(c.Schemes[10].RealMax, 90.0);
  c.EXACT_SCREEN_CURS_POSITION = 5;
  c.EXACT_SCREEN_CURS_POS_FLAG = 1;
  c.EXACT_LUPA_MKS_CURS_POSITION = 6;
  c.CURSOR_IS_IN_LUPA = 1;
  c.SetDefaults(4);
  EXPECT_EQ(c.EXACT_SCREEN_CURS_POSITION, 0);
  EXPECT_EQ(c.EXACT_SCREEN_CURS_POS_FLAG, 0);
  EXPECT_EQ(c.EXACT_LUPA_MKS_CURS_POSITION, 0);
  EXPECT_EQ(c.CURSOR_IS_IN_LUPA, 0);
  EXPECT_EQ(c.StrobeEndTime[1], 20.0);
  EXPECT_EQ(c.PIXEL_GRID_LENGTH_MM_DEPTH, 40.0);
  EXPECT_EQ(c.CONFIGURATION_NO, 4);
  EXPECT_TRUE(c.Validate());
}

// ---- Cursor time ----------------------------------------------------------------------

TEST(Config326CellTest, CursorTimeTakesTheExactColumnWhenItIsInForce) {
  struct Row {
    std::uint8_t flag;
    std::uint8_t tvg;
    double exact;
    std::uint8_t grid;
    double expected;
  };
  const Row rows[] = {
      {1, 0, 100.5, 25, 8.04},                           // 2 µs per division
      {1, 1, 100.5, 25, 8.04}, {1, 2, 100.5, 25, 12.8},  // DGS mode: the cursor column
      {0, 0, 100.5, 25, 12.8}, {2, 0, 100.5, 25, 12.8}, {1, 0, -5, 25, 0},  // before the picture: 0
      {1, 0, 0, 25, 0},        {1, 0, 100.5, 50, 4.02}, {1, 0, 100.5, 0, 0},  // no time axis
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.flag} << " " << int{r.tvg} << " " << r.exact);
    T3_26ConfigCell c;
    c.Initialise();
    c.INDEX_MARK_MKS = 1;
    c.PIXEL_GRID_LENGTH = r.grid;
    c.CURSOR_POSITION = 160;
    c.EXACT_SCREEN_CURS_POS_FLAG = r.flag;
    c.TVG_ENABLED = r.tvg;
    c.EXACT_SCREEN_CURS_POSITION = r.exact;
    EXPECT_NEAR(c.CursorTime(), r.expected, 1e-12);
    EXPECT_NEAR(c.MeasuredTime(), r.expected, 1e-12);
  }
}

TEST(Config326CellTest, SetCursorTimeSetsTheColumnAndDropsTheExactOne) {
  T3_26ConfigCell c;
  c.Initialise();
  c.INDEX_MARK_MKS = 1;  // 2 µs
  c.PIXEL_GRID_LENGTH = 25;
  c.EXACT_SCREEN_CURS_POS_FLAG = 1;
  c.EXACT_SCREEN_CURS_POSITION = 100.5;
  c.SetCursorTime(12);
  EXPECT_EQ(c.CURSOR_POSITION, 150);
  EXPECT_EQ(c.EXACT_SCREEN_CURS_POS_FLAG, 0);
  EXPECT_EQ(c.EXACT_SCREEN_CURS_POSITION, 100.5);
  EXPECT_DOUBLE_EQ(c.CursorTime(), 12.0);
  c.SetCursorTime(1.0);  // 12.5 columns: ties to even
  EXPECT_EQ(c.CURSOR_POSITION, 12);
}

// ---- Validation and copying ---------------------------------------------------------------

TEST(Config326CellTest, ValidateChecksTheCursorFields) {
  struct Row {
    const char* what;
    std::function<void(T3_26ConfigCell&)> change;
    bool valid;
  };
  const Row rows[] = {
      {"defaults", [](T3_26ConfigCell&) {}, true},
      {"in lupa 10", [](T3_26ConfigCell& c) { c.CURSOR_IS_IN_LUPA = 10; }, true},
      {"in lupa 11", [](T3_26ConfigCell& c) { c.CURSOR_IS_IN_LUPA = 11; }, false},
      {"flag 10", [](T3_26ConfigCell& c) { c.EXACT_SCREEN_CURS_POS_FLAG = 10; }, true},
      {"flag 11", [](T3_26ConfigCell& c) { c.EXACT_SCREEN_CURS_POS_FLAG = 11; }, false},
      {"column 0", [](T3_26ConfigCell& c) { c.EXACT_SCREEN_CURS_POSITION = 0; }, true},
      {"column 319.9", [](T3_26ConfigCell& c) { c.EXACT_SCREEN_CURS_POSITION = 319.9; }, true},
      {"column -0.01", [](T3_26ConfigCell& c) { c.EXACT_SCREEN_CURS_POSITION = -0.01; }, false},
      {"3.17: angle", [](T3_26ConfigCell& c) { c.BeamAngle = 91; }, false},
      {"3.17: times", [](T3_26ConfigCell& c) { c.StrobeBeginTime[1] = 30; }, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    T3_26ConfigCell c;
    c.Initialise();
    r.change(c);
    c.TGV_GAIN[0] = 4;
    EXPECT_EQ(c.Validate(), r.valid);
    EXPECT_EQ(c.TGV_GAIN[0], 0);
  }
}

TEST(Config326CellTest, AssignCopiesTheCursorFieldsFrom326AndLaterOnly) {
  const auto fill = [](T3_26ConfigCell& c) {
    c.Initialise();
    c.EXACT_SCREEN_CURS_POSITION = 12.5;
    c.EXACT_SCREEN_CURS_POS_FLAG = 1;
    c.EXACT_LUPA_MKS_CURS_POSITION = 3.25;
    c.CURSOR_IS_IN_LUPA = 2;
    c.BeamAngle = 40;
    c.CONFIGURATION_NO = 50;
  };
  T3_26ConfigCell source;
  fill(source);
  TLaterCell later;
  fill(later);
  later.EXACT_SCREEN_CURS_POSITION = 99.25;
  T3_17ConfigCell older;
  older.Initialise();
  older.BeamAngle = 30;

  T3_26ConfigCell target;
  target.Initialise();
  target.CONFIGURATION_NO = 8;
  target.Assign(&source);
  EXPECT_EQ(target.EXACT_SCREEN_CURS_POSITION, 12.5);
  EXPECT_EQ(target.EXACT_SCREEN_CURS_POS_FLAG, 1);
  EXPECT_EQ(target.EXACT_LUPA_MKS_CURS_POSITION, 3.25);
  EXPECT_EQ(target.CURSOR_IS_IN_LUPA, 2);
  EXPECT_EQ(target.BeamAngle, 40);  // the 3.17 copy
  EXPECT_EQ(target.CONFIGURATION_NO, 8);

  target.Assign(&later);
  EXPECT_EQ(target.EXACT_SCREEN_CURS_POSITION, 99.25);

  target.Assign(&older);  // a 3.17 cell has no cursor fields
  EXPECT_EQ(target.BeamAngle, 30);
  EXPECT_EQ(target.EXACT_SCREEN_CURS_POSITION, 99.25);
  EXPECT_EQ(target.CURSOR_IS_IN_LUPA, 2);

  target.Assign(nullptr);
  EXPECT_EQ(target.BeamAngle, 30);
}

// ---- Device image -------------------------------------------------------------------------

TEST(Config326ImageTest, EncoderWritesTheCursorFieldsAndTheCellsOwnNumber) {
  T3_26ConfigCell c;
  c.Initialise();
  c.CONFIGURATION_NO = 12;
  c.EXACT_SCREEN_CURS_POSITION = 100.5;
  c.EXACT_SCREEN_CURS_POS_FLAG = 1;
  c.EXACT_LUPA_MKS_CURS_POSITION = 12.125;  // 1212.5: ties to even
  c.CURSOR_IS_IN_LUPA = 3;
  c.StrobeBeginTime[0] = 7.5;
  TDeviceImage image = test317::Filled(0xA5);
  c.EncodeImage(image, 7);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 3), "12.");
  EXPECT_EQ(Be(image, 123, 4), 1200u);
  EXPECT_EQ(Be(image, 150, 3), 750u);  // the 3.17 image
  EXPECT_EQ(Be(image, 321, 4), 10050u);
  EXPECT_EQ(image[325], 1);
  EXPECT_EQ(Be(image, 326, 4), 1212u);
  EXPECT_EQ(image[330], 3);
  for (std::size_t at : {331u, 332u, 400u, 500u}) {
    EXPECT_EQ(image[at], 0xA5) << at;
  }
  EXPECT_EQ(c.CONFIGURATION_NO, 12);
}

TEST(Config326ImageTest, DecoderReadsTheCursorFieldsTheFlagsAllow) {
  struct Row {
    std::uint8_t flag;
    std::uint8_t lupa;
    double column;
    double time;
  };
  const Row rows[] = {
      {0, 0, 0, 0}, {1, 0, 100.5, 0}, {1, 3, 100.5, 12.34}, {0, 1, 0, 0}, {7, 2, 100.5, 12.34},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.flag} << " " << int{r.lupa});
    TDeviceImage image{};
    PutBe(image, 150, 3, 4321);
    image[321] = 0x12;  // not part of the 24-bit column
    PutBe(image, 322, 3, 10050);
    image[325] = r.flag;
    image[326] = 0x34;
    PutBe(image, 327, 3, 1234);
    image[330] = r.lupa;
    T3_26ConfigCell c;
    c.Initialise();
    c.EXACT_SCREEN_CURS_POSITION = 55;
    c.EXACT_LUPA_MKS_CURS_POSITION = 66;
    c.DecodeImage(image, 9);
    EXPECT_EQ(c.EXACT_SCREEN_CURS_POS_FLAG, r.flag);
    EXPECT_EQ(c.CURSOR_IS_IN_LUPA, r.lupa);
    EXPECT_EQ(c.EXACT_SCREEN_CURS_POSITION, r.column);
    EXPECT_EQ(c.EXACT_LUPA_MKS_CURS_POSITION, r.time);
    EXPECT_EQ(c.StrobeBeginTime[0], 43.21);
    EXPECT_EQ(c.CONFIGURATION_NO, 9);
  }
}

TEST(Config326ImageTest, AnImageWithoutTheCursorBytesGivesTheDefaults) {
  for (std::size_t at : {321u, 20u, 110u}) {
    SCOPED_TRACE(at);
    TDeviceImage image{};
    PutBe(image, 150, 3, 4321);
    PutBe(image, 23, 4, 600000);
    image[325] = 1;
    PutBe(image, 322, 3, 10050);
    image[at] = 0xFF;
    T3_26ConfigCell c;
    c.Initialise();
    c.CONFIGURATION_NAME = "OLD";
    c.EXACT_SCREEN_CURS_POSITION = 55;
    c.DecodeImage(image, 23);
    EXPECT_EQ(c.CONFIGURATION_NO, 23);
    EXPECT_EQ(c.CONFIGURATION_NAME, "DEFAULT       ");
    EXPECT_EQ(c.VELOCITY, 3250);
    EXPECT_EQ(c.StrobeBeginTime[0], 5.0);
    EXPECT_EQ(c.EXACT_SCREEN_CURS_POSITION, 0);
    EXPECT_EQ(c.EXACT_SCREEN_CURS_POS_FLAG, 0);
  }
}

TEST(Config326ImageTest, RandomCellsSurviveEncodeAndDecode) {
  std::mt19937 rng(32601);
  for (int k = 0; k < 300; ++k) {
    SCOPED_TRACE(k);
    T3_26ConfigCell source;
    RandomiseExactCursor(source, rng);
    TDeviceImage image{};
    source.EncodeImage(image, static_cast<std::uint16_t>(source.CONFIGURATION_NO + 1));

    T3_26ConfigCell target;
    RandomiseExactCursor(target, rng);
    target.DecodeImage(image, source.CONFIGURATION_NO);
    EXPECT_EQ(Joined(test317::ImageDifferences(source, target)), "");
    EXPECT_EQ(target.CONFIGURATION_NAME, Padded(source.CONFIGURATION_NAME));
    EXPECT_EQ(target.EXACT_SCREEN_CURS_POSITION, source.EXACT_SCREEN_CURS_POSITION);
    EXPECT_EQ(target.EXACT_SCREEN_CURS_POS_FLAG, source.EXACT_SCREEN_CURS_POS_FLAG);
    EXPECT_EQ(target.EXACT_LUPA_MKS_CURS_POSITION, source.EXACT_LUPA_MKS_CURS_POSITION);
    EXPECT_EQ(target.CURSOR_IS_IN_LUPA, source.CURSOR_IS_IN_LUPA);

    TDeviceImage again{};
    target.EncodeImage(again, 0);
    EXPECT_EQ(Differing(again, image), "");
  }
}

// ---- Text record -----------------------------------------------------------------------------

TEST(Config326TextTest, FourLinesFollowThe317Record) {
  T3_26ConfigCell c;
  c.Initialise();
  c.Comments = {"a", "b", "c"};
  c.EXACT_SCREEN_CURS_POSITION = 100.5;
  c.EXACT_SCREEN_CURS_POS_FLAG = 1;
  c.EXACT_LUPA_MKS_CURS_POSITION = 12.125;
  c.CURSOR_IS_IN_LUPA = 2;
  const std::vector<std::string> lines = Lines(Write(c));
  ASSERT_EQ(lines.size(), 177u + 3u + 4u);
  EXPECT_EQ(lines[180], "EXACT_SCREEN_CURS_POSITION:10050");
  EXPECT_EQ(lines[181], "EXACT_SCREEN_CURS_POS_FLAG:1");
  EXPECT_EQ(lines[182], "EXACT_LUPA_MKS_CURS_POSITION:1212");
  EXPECT_EQ(lines[183], "CURSOR_IS_IN_LUPA:2");

  T3_17ConfigCell older;
  older.Assign(&c);
  older.CONFIGURATION_NO = c.CONFIGURATION_NO;
  older.Comments = c.Comments;
  older.AMPLITUDE_MARKER_POSITION = c.AMPLITUDE_MARKER_POSITION;
  const std::vector<std::string> olderLines = Lines(Write(older));
  EXPECT_TRUE(std::equal(olderLines.begin(), olderLines.end(), lines.begin()));
}

TEST(Config326TextTest, ReaderTakesTheFourLinesAfterThe317Record) {
  T3_26ConfigCell c;
  c.Initialise();
  std::vector<std::string> lines = Lines(Write(c));
  ASSERT_EQ(lines.size(), 181u);
  struct Row {
    const char* column;
    const char* flag;
    const char* time;
    const char* lupa;
    double columnValue;
    double timeValue;
  };
  const Row rows[] = {
      {"10050", "1", "1234", "3", 100.5, 12.34},
      {"abc", "0", "", "0", 1.0, 1.0},  // not integers: 1.00
      {"-250", "255", "12.5", "255", -2.5, 1.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.column);
    lines[177] = std::string("EXACT_SCREEN_CURS_POSITION:") + r.column;
    lines[178] = std::string("EXACT_SCREEN_CURS_POS_FLAG:") + r.flag;
    lines[179] = std::string("EXACT_LUPA_MKS_CURS_POSITION:") + r.time;
    lines[180] = std::string("CURSOR_IS_IN_LUPA:") + r.lupa;
    T3_26ConfigCell back;
    back.Parameter29Value = 21;
    Read(back, test317::JoinLines(lines));
    EXPECT_EQ(back.EXACT_SCREEN_CURS_POSITION, r.columnValue);
    EXPECT_EQ(back.EXACT_SCREEN_CURS_POS_FLAG, std::stoi(r.flag));
    EXPECT_EQ(back.EXACT_LUPA_MKS_CURS_POSITION, r.timeValue);
    EXPECT_EQ(back.CURSOR_IS_IN_LUPA, std::stoi(r.lupa));
    EXPECT_EQ(back.StrobeEndTime[1], 20.0);
    EXPECT_EQ(back.Parameter29Value, 21);
  }
  // The two byte lines take integers 0..255, and the record must be whole.
  for (std::size_t line : {178u, 180u}) {
    std::vector<std::string> bad = lines;
    bad[line] = "KEY:256";
    T3_26ConfigCell back;
    EXPECT_THROW(Read(back, test317::JoinLines(bad)), EConvertError) << line;
  }
  std::vector<std::string> cut(lines.begin(), lines.begin() + 179);
  T3_26ConfigCell back;
  EXPECT_THROW(Read(back, test317::JoinLines(cut)), EConvertError);
}

TEST(Config326TextTest, RandomCellsSurviveWriteAndRead) {
  std::mt19937 rng(32602);
  for (int k = 0; k < 300; ++k) {
    SCOPED_TRACE(k);
    const char separator = k % 2 == 0 ? ',' : '.';
    T3_26ConfigCell source({separator, ' '});
    RandomiseExactCursor(source, rng);
    source.EXACT_SCREEN_CURS_POS_FLAG = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 255));
    source.CURSOR_IS_IN_LUPA = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 255));
    source.EXACT_SCREEN_CURS_POSITION = test317::Hundredths(rng, -100, 400);
    source.EXACT_LUPA_MKS_CURS_POSITION = test317::Hundredths(rng, -100, 9000);
    std::uniform_real_distribution<double> any(0, 4000);
    source.StrobeBeginTime[1] = any(rng);
    source.PIXEL_GRID_LENGTH_MM = test317::Hundredths(rng, 0, 90);
    source.PREV_PIXEL_GRID_LENGTH_MM = source.PIXEL_GRID_LENGTH_MM;

    const std::string text = Write(source);
    EXPECT_EQ(Lines(text).size(), 181u + source.Comments.size());
    T3_26ConfigCell target({separator, ' '});
    RandomiseExactCursor(target, rng);
    Read(target, text);
    EXPECT_EQ(Joined(test317::TextDifferences(source, target)), "");
    EXPECT_EQ(target.CONFIGURATION_NAME, Padded(source.CONFIGURATION_NAME));
    EXPECT_EQ(target.EXACT_SCREEN_CURS_POSITION, source.EXACT_SCREEN_CURS_POSITION);
    EXPECT_EQ(target.EXACT_SCREEN_CURS_POS_FLAG, source.EXACT_SCREEN_CURS_POS_FLAG);
    EXPECT_EQ(target.EXACT_LUPA_MKS_CURS_POSITION, source.EXACT_LUPA_MKS_CURS_POSITION);
    EXPECT_EQ(target.CURSOR_IS_IN_LUPA, source.CURSOR_IS_IN_LUPA);
    EXPECT_EQ(Write(target), text);
  }
}

}  // namespace
}  // namespace velt
