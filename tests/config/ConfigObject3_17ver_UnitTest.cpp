// The 3.17 cell: strobes as times, the beam angle as a real, the depth
// grid; its device image, text record, schemes, parameters, conversions,
// validation and copying.
#include <config/ConfigObject3_17ver_Unit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <config/TextRecordIO.h>

#include "Cell317TestSupport.h"

namespace velt {
namespace {

using test317::Be;
using test317::Filled;
using test317::Joined;
using test317::Lines;
using test317::Padded;
using test317::PutBe;
using test317::Read;
using test317::Write;

double Cos(double degrees) {
  return std::cos(degrees * std::numbers::pi / 180.0);
}

// The screen span in mm and the grid step chosen for it, computed here
// from the tables rather than by the cell.
double Span(double velocity, double m, double g) {
  return velocity * (m * 318 / g) / 2000;
}

// Exposes the protected steps that later layouts build on.
class TExposed317 : public T3_17ConfigCell {
 public:
  using T3_17ConfigCell::DecodeImage317Tail;
  using T3_17ConfigCell::EncodeImage317Tail;
  using T3_17ConfigCell::ReadText317Body;
  using T3_17ConfigCell::WriteText317Body;
};

class TRecordingEditor : public IParameterEditor {
 public:
  void SetEditMask(const std::string& mask) override { Log.push_back("mask " + mask); }
  void SetPickList(const std::vector<std::string>& entries) override {
    std::string s = "list";
    for (const auto& e : entries) {
      s += "|" + e;
    }
    Log.push_back(s);
  }
  std::vector<std::string> Log;
};

class TRecordingList : public IParameterList {
 public:
  void Clear() override { Log.push_back("clear"); }
  void Add(const std::string& entry) override { Log.push_back("add " + entry); }
  void SelectFirst() override { Log.push_back("select"); }
  std::vector<std::string> Log;
};

// ---- Creation and defaults ------------------------------------------------------

TEST(Config317CellTest, AFreshCellAlreadyHasTheSchemesOfItsFirmware) {
  std::unique_ptr<TBaseConfigCell> cell = std::make_unique<T3_17ConfigCell>();
  const auto& s = cell->Schemes;
  EXPECT_EQ(s[15].Kind, kOwnListKind);
  EXPECT_EQ(s[15].Entries, (std::vector<std::string>{"  10", "  25", "  50", " 100", " 200"}));
  EXPECT_EQ(s[15].EntryCount, 5);
  EXPECT_EQ(s[15].IntMin, 0);
  EXPECT_EQ(s[15].IntMax, 4);
  EXPECT_EQ(s[15].EditMask, "");
  EXPECT_EQ(s[10].Kind, kRealKind);
  EXPECT_EQ(s[10].RealMin, 0.0);
  EXPECT_EQ(s[10].RealMax, 90.0);
  EXPECT_EQ(s[10].EditMask, "cccc");
  for (int strobe = 0; strobe < 2; ++strobe) {
    SCOPED_TRACE(strobe);
    const auto& begin = s[static_cast<std::size_t>(3 * strobe)];
    const auto& length = s[static_cast<std::size_t>(3 * strobe + 1)];
    EXPECT_EQ(begin.RealMin, 0.0);
    EXPECT_EQ(begin.RealMax, 3120.0);
    EXPECT_EQ(begin.EditMask, "cccccc");
    EXPECT_EQ(length.RealMin, 1.0);
    EXPECT_EQ(length.RealMax, 1000.0);
    EXPECT_EQ(length.EditMask, "ccccc");
  }
  // Untouched schemes keep their base form.
  EXPECT_EQ(s[18].IntMin, 1000);
  EXPECT_EQ(s[18].IntMax, 15000);
  // The rest of the fresh cell is empty, as in the base class.
  const auto& c = static_cast<const T3_17ConfigCell&>(*cell);
  EXPECT_EQ(c.StrobeBeginTime[0], 0.0);
  EXPECT_EQ(c.BeamAngle, 0.0);
  EXPECT_EQ(c.PIXEL_GRID_LENGTH_MM_DEPTH, 0.0);
  EXPECT_EQ(c.DisplayOffset, 2);
  EXPECT_TRUE(c.Frozen);
}

TEST(Config317CellTest, SetDefaultsAddsTheTimesAngleAndDepthGridToTheBaseSetup) {
  T3_17ConfigCell c;
  c.BeamAngle = 12;
  c.AMPLITUDE_MARKER_POSITION = 55;
  c.SetDefaults(9);
  EXPECT_EQ(c.StrobeBeginTime[0], 5.0);
  EXPECT_EQ(c.StrobeEndTime[0], 10.0);
  EXPECT_EQ(c.StrobeBeginTime[1], 15.0);
  EXPECT_EQ(c.StrobeEndTime[1], 20.0);
  EXPECT_EQ(c.BeamAngle, 65.0);
  EXPECT_EQ(c.INDEX_MARK_MM_DEPTH, 0);
  EXPECT_EQ(c.PIXEL_GRID_LENGTH_MM_DEPTH, 40.0);
  EXPECT_EQ(c.PrevPixelGridLengthMmDepth, 40.0);
  // Base defaults.
  EXPECT_EQ(c.CONFIGURATION_NO, 9);
  EXPECT_EQ(c.CONFIGURATION_NAME, "DEFAULT       ");
  EXPECT_EQ(c.TGV_NUMBER, 17);
  EXPECT_EQ(c.INSERTION_ANGLE, 65);
  EXPECT_EQ(c.AMPLITUDE_MARKER_POSITION, 0);
  // The millimetre grid of 3250 m/s at 5 µs and 25 pixels per division:
  // 10 mm steps, kept unrounded.
  const double w = Span(3250, 5, 25);
  EXPECT_EQ(c.INDEX_MARK_MM, 5);
  EXPECT_DOUBLE_EQ(c.PIXEL_GRID_LENGTH_MM, 10 * 318 / w);
  EXPECT_DOUBLE_EQ(c.PREV_PIXEL_GRID_LENGTH_MM, 10 * 318 / w);
  EXPECT_TRUE(c.Validate());
}

// ---- Conversions ---------------------------------------------------------------------

class Config317ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    C.Initialise();
    C.INDEX_MARK_MKS = 3;  // 10 µs per division
    C.PIXEL_GRID_LENGTH = 25;
    C.VELOCITY = 5900;
    C.THICKNESS = 0;
  }
  T3_17ConfigCell C;
};

TEST_F(Config317ConversionTest, StrobeColumnsComeFromTheTimes) {
  for (std::uint8_t s : {0, 1}) {
    SCOPED_TRACE(int{s});
    C.StrobeBeginTime[s] = 12.3;  // 30.75 columns
    C.StrobeEndTime[s] = 12.1;    // 30.25 columns
    EXPECT_EQ(C.StrobeBeginPixel(s), 31);
    EXPECT_EQ(C.StrobeEndPixel(s), 30);
    EXPECT_EQ(C.SetStrobeBeginPixel(s, 50), 50);
    EXPECT_EQ(C.SetStrobeEndPixel(s, 75), 75);
    EXPECT_DOUBLE_EQ(C.StrobeBeginTime[s], 20.0);
    EXPECT_DOUBLE_EQ(C.StrobeEndTime[s], 30.0);
  }
  // Any selector other than 0 is strobe 2.
  C.StrobeBeginTime[1] = 40;
  EXPECT_EQ(C.StrobeBeginPixel(7), 100);
  // The column fields of the base layout are not involved.
  C.STROBE_1_BEGIN = 250;
  EXPECT_EQ(C.StrobeBeginPixel(0), 50);
}

TEST_F(Config317ConversionTest, PathsUseTheBeamAngleUnlessTheStoredAngleIsGrazing) {
  struct Row {
    double beam;
    std::uint8_t stored;
    double cosine;
  };
  const Row rows[] = {
      {60, 60, 0.5}, {60, 89, 0.5}, {60, 90, 1.0}, {45.5, 46, Cos(45.5)}, {0, 0, 1.0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.beam);
    C.BeamAngle = r.beam;
    C.INSERTION_ANGLE = r.stored;
    C.StrobeBeginTime[0] = 10;
    C.StrobeEndTime[1] = 30;
    EXPECT_NEAR(C.StrobeBeginPath(0), r.cosine * 5900 * 10 / 2000, 1e-9);
    EXPECT_NEAR(C.StrobeEndPath(1), r.cosine * 5900 * 30 / 2000, 1e-9);
    C.SetStrobeBeginPath(1, 14.75);
    C.SetStrobeEndPath(0, 29.5);
    EXPECT_NEAR(C.StrobeBeginTime[1], 14.75 * 2000 / (r.cosine * 5900), 1e-9);
    EXPECT_NEAR(C.StrobeEndTime[0], 29.5 * 2000 / (r.cosine * 5900), 1e-9);
  }
}

TEST_F(Config317ConversionTest, DepthFoldsAtTheThicknessForAnAngledBeam) {
  struct Row {
    double beam;
    double thickness;
    double time;
    double depth;
  };
  const Row rows[] = {
      {60, 10, 10, 10 - 4.75},  // path 14.75 x cos 60: leg 1 runs upward
      {60, 10, 30, 4.25},       // 44.25: leg 4, downward
      {60, 0, 10, 29.5},        // no thickness: no cosine, no folding
      {0, 10, 10, 29.5},        // straight probe: unfolded
      {90, 10, 10, 29.5},       // grazing: unfolded
      {60, 20, 10, 14.75},      // inside the first leg
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.beam << " " << r.thickness << " " << r.time);
    C.BeamAngle = r.beam;
    C.INSERTION_ANGLE = RndTo<std::uint8_t>(r.beam);
    C.THICKNESS = r.thickness;
    C.StrobeBeginTime[1] = r.time;
    EXPECT_NEAR(C.StrobeBeginDepth(1), r.depth, 1e-9);
  }
}

TEST_F(Config317ConversionTest, SetBeginDepthKeepsTheLegOfTheCurrentBegin) {
  C.BeamAngle = 60;
  C.INSERTION_ANGLE = 60;
  C.THICKNESS = 10;
  const double k = 0.5 * 5900 / 2000;
  // Leg 1 (upward): depth 3 lies at path 10 + 10 - 3.
  C.StrobeBeginTime[0] = 10;
  C.SetStrobeBeginDepth(0, 3);
  EXPECT_NEAR(C.StrobeBeginTime[0], 17 / k, 1e-9);
  EXPECT_NEAR(C.StrobeBeginDepth(0), 3, 1e-9);
  // Leg 0: the depth is the path.
  C.StrobeBeginTime[0] = 2;
  C.SetStrobeBeginDepth(0, 6);
  EXPECT_NEAR(C.StrobeBeginTime[0], 6 / k, 1e-9);
  // Leg 2 (downward): 2 thicknesses + depth.
  C.StrobeBeginTime[0] = 17;  // angled path 25.075
  C.SetStrobeBeginDepth(0, 4);
  EXPECT_NEAR(C.StrobeBeginTime[0], 24 / k, 1e-9);
  // Without a thickness the depth is the unangled path.
  C.THICKNESS = 0;
  C.SetStrobeBeginDepth(0, 29.5);
  EXPECT_NEAR(C.StrobeBeginTime[0], 10, 1e-9);
}

TEST_F(Config317ConversionTest, WithoutVelocityOrTimeAxisTheSettersLeaveTheTimes) {
  C.VELOCITY = 0;
  C.StrobeBeginTime[0] = 7;
  C.StrobeEndTime[0] = 8;
  C.SetStrobeBeginPath(0, 10);
  C.SetStrobeEndPath(0, 10);
  C.SetStrobeBeginDepth(0, 10);
  EXPECT_EQ(C.StrobeBeginTime[0], 7);
  EXPECT_EQ(C.StrobeEndTime[0], 8);
  EXPECT_EQ(C.StrobeBeginPath(0), 0);
  C.VELOCITY = 5900;
  C.PIXEL_GRID_LENGTH = 0;
  C.SetStrobeBeginPixel(0, 100);
  EXPECT_EQ(C.StrobeBeginTime[0], 0);
  EXPECT_EQ(C.StrobeBeginPixel(0), 0);
}

TEST_F(Config317ConversionTest, CursorTimeUsesTheCursorColumnOnTheTimeAxis) {
  C.CURSOR_POSITION = 50;
  EXPECT_DOUBLE_EQ(C.CursorTime(), 20.0);
  C.SetCursorTime(13);  // 32.5 columns, ties to even
  EXPECT_EQ(C.CURSOR_POSITION, 32);
  C.SetCursorTime(11);  // 27.5
  EXPECT_EQ(C.CURSOR_POSITION, 28);
  C.PIXEL_GRID_LENGTH = 0;
  EXPECT_EQ(C.CursorTime(), 0);
}

TEST_F(Config317ConversionTest, MeasurementPositionIsTheMarkerUnlessAbsentOrFrozen) {
  struct Row {
    std::uint16_t marker;
    std::uint16_t usedMode;
    bool frozen;
    std::uint16_t expected;
  };
  const Row rows[] = {
      {100, 0x0000, true, 100}, {0, 0x0000, true, 160},   {319, 0x0000, true, 319},
      {320, 0x0000, true, 160}, {100, 0x0300, true, 160}, {100, 0x0300, false, 100},
      {100, 0x0100, true, 100}, {100, 0x0200, true, 100}, {100, 0xFFFF, true, 160},
  };
  C.CURSOR_POSITION = 160;
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.marker << " " << r.usedMode << " " << r.frozen);
    C.AMPLITUDE_MARKER_POSITION = r.marker;
    C.USED_MODE = r.usedMode;
    C.Frozen = r.frozen;
    EXPECT_EQ(C.MeasurementPosition(), r.expected);
  }
}

TEST_F(Config317ConversionTest, InsertionAngleIsTheBeamAngleInWholeDegrees) {
  C.BeamAngle = 45.5;
  C.INSERTION_ANGLE = 65;
  EXPECT_EQ(C.InsertionAngle(), 45.5);
  C.SetInsertionAngle(47.6);
  EXPECT_EQ(C.BeamAngle, 48.0);
  C.SetInsertionAngle(46.5);  // ties to even
  EXPECT_EQ(C.BeamAngle, 46.0);
  EXPECT_EQ(C.INSERTION_ANGLE, 65);
  C.SetInsertionAngle(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(C.BeamAngle, 46.0);
}

TEST_F(Config317ConversionTest, MillimetreGridIsKeptUnrounded) {
  C.MmGridPixels1 = 99;
  C.MmGridPixels2 = 98;
  C.UpdateMillimetreGrid();
  const double w = Span(5900, 10, 25);  // 375.24 mm: 50 mm steps
  EXPECT_EQ(C.INDEX_MARK_MM, 7);
  EXPECT_DOUBLE_EQ(C.PIXEL_GRID_LENGTH_MM, 50 * 318 / w);
  EXPECT_DOUBLE_EQ(C.PREV_PIXEL_GRID_LENGTH_MM, 50 * 318 / w);
  EXPECT_EQ(C.MmGridPixels1, 99);
  EXPECT_EQ(C.MmGridPixels2, 98);
}

TEST_F(Config317ConversionTest, DepthGridShrinksTheSpanByTheBeamCosine) {
  struct Row {
    double beam;
    double span;
    std::uint8_t index;
    double step;
  };
  const double w = Span(5900, 10, 25);
  const Row rows[] = {
      {60, w * 0.5, 6, 20},  // 187.62 mm: 20 mm steps
      {0, w, 7, 50},        {89.9, w * Cos(89.9), 0, 0.1},
      {90, w, 7, 50},  // grazing: the span itself
      {120, w, 7, 50},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.beam);
    C.BeamAngle = r.beam;
    C.UpdateDepthGrid();
    EXPECT_EQ(C.INDEX_MARK_MM_DEPTH, r.index);
    EXPECT_NEAR(C.PIXEL_GRID_LENGTH_MM_DEPTH, r.step * 318 / r.span, 1e-9);
    EXPECT_EQ(C.PrevPixelGridLengthMmDepth, C.PIXEL_GRID_LENGTH_MM_DEPTH);
  }
}

TEST_F(Config317ConversionTest, GridsWithoutVelocityHaveNoLength) {
  C.VELOCITY = 0;
  C.UpdateMillimetreGrid();
  C.UpdateDepthGrid();
  EXPECT_EQ(C.PIXEL_GRID_LENGTH_MM, 0);
  EXPECT_EQ(C.PREV_PIXEL_GRID_LENGTH_MM, 0);
  EXPECT_EQ(C.PIXEL_GRID_LENGTH_MM_DEPTH, 0);
  EXPECT_EQ(C.INDEX_MARK_MM, 0);
  EXPECT_EQ(C.INDEX_MARK_MM_DEPTH, 0);
}

// ---- Validation -------------------------------------------------------------------------

TEST(Config317CellTest, ValidateChecksTheTimesAngleAndDepthGrid) {
  struct Row {
    const char* what;
    std::function<void(T3_17ConfigCell&)> change;
    bool valid;
  };
  const Row rows[] = {
      {"defaults", [](T3_17ConfigCell&) {}, true},
      {"velocity 1000", [](T3_17ConfigCell& c) { c.VELOCITY = 1000; }, true},
      {"velocity 999", [](T3_17ConfigCell& c) { c.VELOCITY = 999; }, false},
      {"velocity 15001", [](T3_17ConfigCell& c) { c.VELOCITY = 15001; }, false},
      {"begin 0", [](T3_17ConfigCell& c) { c.StrobeBeginTime[0] = 0; }, true},
      {"begin -0.01", [](T3_17ConfigCell& c) { c.StrobeBeginTime[0] = -0.01; }, false},
      {"begin = end", [](T3_17ConfigCell& c) { c.StrobeBeginTime[0] = 10; }, true},
      {"begin > end", [](T3_17ConfigCell& c) { c.StrobeBeginTime[0] = 10.01; }, false},
      {"end 4120", [](T3_17ConfigCell& c) { c.StrobeEndTime[0] = 4120; }, true},
      {"end 4120.01", [](T3_17ConfigCell& c) { c.StrobeEndTime[0] = 4120.01; }, false},
      {"2 begin -1", [](T3_17ConfigCell& c) { c.StrobeBeginTime[1] = -1; }, false},
      {"2 begin > end", [](T3_17ConfigCell& c) { c.StrobeBeginTime[1] = 21; }, false},
      {"2 end 4120", [](T3_17ConfigCell& c) { c.StrobeEndTime[1] = 4120; }, true},
      {"2 end 4121", [](T3_17ConfigCell& c) { c.StrobeEndTime[1] = 4121; }, false},
      {"grid 0", [](T3_17ConfigCell& c) { c.PIXEL_GRID_LENGTH = 0; }, false},
      {"angle 0", [](T3_17ConfigCell& c) { c.BeamAngle = 0; }, true},
      {"angle 90", [](T3_17ConfigCell& c) { c.BeamAngle = 90; }, true},
      {"angle -0.5", [](T3_17ConfigCell& c) { c.BeamAngle = -0.5; }, false},
      {"angle 90.5", [](T3_17ConfigCell& c) { c.BeamAngle = 90.5; }, false},
      {"depth 10", [](T3_17ConfigCell& c) { c.PIXEL_GRID_LENGTH_MM_DEPTH = 10; }, true},
      {"depth 90", [](T3_17ConfigCell& c) { c.PIXEL_GRID_LENGTH_MM_DEPTH = 90; }, true},
      {"depth 9.99", [](T3_17ConfigCell& c) { c.PIXEL_GRID_LENGTH_MM_DEPTH = 9.99; }, false},
      {"depth 90.01", [](T3_17ConfigCell& c) { c.PIXEL_GRID_LENGTH_MM_DEPTH = 90.01; }, false},
      {"depth index 22", [](T3_17ConfigCell& c) { c.INDEX_MARK_MM_DEPTH = 22; }, true},
      {"depth index 23", [](T3_17ConfigCell& c) { c.INDEX_MARK_MM_DEPTH = 23; }, false},
      {"prev depth 9.9", [](T3_17ConfigCell& c) { c.PrevPixelGridLengthMmDepth = 9.9; }, false},
      {"prev depth 91", [](T3_17ConfigCell& c) { c.PrevPixelGridLengthMmDepth = 91; }, false},
      {"base: percent", [](T3_17ConfigCell& c) { c.STROBE_2_LEVEL_PERCENT = 101; }, false},
      {"base: mm grid", [](T3_17ConfigCell& c) { c.PIXEL_GRID_LENGTH_MM = 24.9; }, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    T3_17ConfigCell c;
    c.Initialise();
    r.change(c);
    c.TGV_GAIN[0] = 9;
    c.ARD_SIGNAL_AMPLITUDE = 0;
    EXPECT_EQ(c.Validate(), r.valid);
    EXPECT_EQ(c.TGV_GAIN[0], 0);
    EXPECT_EQ(c.ARD_SIGNAL_AMPLITUDE, 70.0);  // the base repairs run too
  }
}

// ---- Copying ----------------------------------------------------------------------------

TEST(Config317CellTest, AssignCopiesTheAddedFieldsFromA317Source) {
  T3_17ConfigCell source;
  source.Initialise();
  source.StrobeBeginTime = {1.5, 2.5};
  source.StrobeEndTime = {3.5, 4.5};
  source.BeamAngle = 33.3;
  source.INDEX_MARK_MM_DEPTH = 4;
  source.PIXEL_GRID_LENGTH_MM_DEPTH = 55.5;
  source.PrevPixelGridLengthMmDepth = 66.6;
  source.VELOCITY = 6000;
  source.CONFIGURATION_NO = 40;
  source.AMPLITUDE_MARKER_POSITION = 99;

  T3_17ConfigCell target;
  target.Initialise();
  target.CONFIGURATION_NO = 3;
  target.Assign(&source);
  EXPECT_EQ(target.StrobeBeginTime, source.StrobeBeginTime);
  EXPECT_EQ(target.StrobeEndTime, source.StrobeEndTime);
  EXPECT_EQ(target.BeamAngle, 33.3);
  EXPECT_EQ(target.INDEX_MARK_MM_DEPTH, 4);
  EXPECT_EQ(target.PIXEL_GRID_LENGTH_MM_DEPTH, 55.5);
  EXPECT_EQ(target.PrevPixelGridLengthMmDepth, 66.6);
  EXPECT_EQ(target.VELOCITY, 6000);
  EXPECT_EQ(target.CONFIGURATION_NO, 3);
  EXPECT_EQ(target.AMPLITUDE_MARKER_POSITION, 0);

  // A base cell has none of them: the target keeps its own.
  TBaseConfigCell base;
  base.Initialise();
  base.VELOCITY = 4000;
  target.Assign(&base);
  EXPECT_EQ(target.VELOCITY, 4000);
  EXPECT_EQ(target.BeamAngle, 33.3);
  EXPECT_EQ(target.StrobeEndTime, source.StrobeEndTime);

  target.Assign(nullptr);
  EXPECT_EQ(target.VELOCITY, 4000);
}

// ---- Parameters ---------------------------------------------------------------------------

class Config317ParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    C.Initialise();
    C.VELOCITY = 5900;
    C.BeamAngle = 0;
    C.INSERTION_ANGLE = 0;
    C.THICKNESS = 0;  // path = depth = 2.95 x time
  }
  T3_17ConfigCell C;
};

TEST_F(Config317ParametersTest, StrobeBeginIsTypedAsADepthAndBoundedAsATime) {
  for (std::uint8_t s : {0, 1}) {
    SCOPED_TRACE(int{s});
    const std::uint8_t p = s == 0 ? 0 : 3;
    double& time = C.StrobeBeginTime[s];

    time = 12.6;
    EXPECT_EQ(C.SetParameterText("29.5", p), kAccepted);
    EXPECT_NEAR(time, 10.0, 1e-12);
    EXPECT_EQ(C.ParameterText(p), "  29.5");

    time = 12.6;  // becomes the last accepted value
    EXPECT_EQ(C.SetParameterText("abc", p), kNotANumber);
    EXPECT_EQ(time, 13.0);  // whole µs
    time = 12.6;
    EXPECT_EQ(C.SetParameterText("9999", p), kNotANumber);
    EXPECT_EQ(time, 13.0);
    time = 12.6;
    EXPECT_EQ(C.SetParameterText("10000", p), kOutOfBounds);  // 3389.8 µs
    EXPECT_EQ(time, 13.0);
    time = 12.6;
    EXPECT_EQ(C.SetParameterText("-1", p), kOutOfBounds);
    EXPECT_EQ(time, 13.0);
    // 3120 µs is the latest begin: 9204 mm.
    EXPECT_EQ(C.SetParameterText("9203", p), kAccepted);
    EXPECT_NEAR(time, 9203 / 2.95, 1e-9);

    // A begin outside the bounds is not remembered: the last one inside is.
    time = 4000;
    EXPECT_EQ(C.SetParameterText("x", p), kNotANumber);
    EXPECT_EQ(time, 13.0);
  }
}

TEST_F(Config317ParametersTest, StrobeLengthIsTypedAsAPathAndBoundedAsTheEndTime) {
  for (std::uint8_t s : {0, 1}) {
    SCOPED_TRACE(int{s});
    const std::uint8_t p = s == 0 ? 1 : 4;
    C.StrobeBeginTime[s] = 5;  // path 14.75
    double& end = C.StrobeEndTime[s];

    end = 7.4;
    EXPECT_EQ(C.SetParameterText("29.5", p), kAccepted);
    EXPECT_NEAR(end, 15.0, 1e-12);
    EXPECT_EQ(C.ParameterText(p), "  29.5");

    end = 7.4;
    EXPECT_EQ(C.SetParameterText("3000", p), kOutOfBounds);  // ends at 1021.9 µs
    EXPECT_EQ(end, 7.0);
    end = 7.4;
    EXPECT_EQ(C.SetParameterText("-14", p), kOutOfBounds);  // ends at 0.25 µs
    EXPECT_EQ(end, 7.0);
    end = 7.4;
    EXPECT_EQ(C.SetParameterText("", p), kNotANumber);
    EXPECT_EQ(end, 7.0);
    // The bound is on the end time, whatever the length.
    EXPECT_EQ(C.SetParameterText("0.1", p), kAccepted);
    EXPECT_NEAR(end, 14.85 / 2.95, 1e-12);
  }
}

TEST_F(Config317ParametersTest, AngleIsARealAndRefusedGrazingForDepthUnits) {
  struct Row {
    const char* text;
    std::uint8_t units;
    std::uint8_t result;
    double angle;
  };
  const Row rows[] = {
      {"45.5", 0, kAccepted, 45.5},   {"95", 0, kOutOfBounds, 65},   {"abc", 0, kNotANumber, 65},
      {"-1", 0, kOutOfBounds, 65},    {"9999", 0, kNotANumber, 65},  {"90", 2, kOutOfBounds, 65},
      {"90", 130, kOutOfBounds, 65},  {"90", 1, kAccepted, 90},      {"90", 0, kAccepted, 90},
      {"89.75", 2, kAccepted, 89.75}, {"89.8", 2, kOutOfBounds, 65}, {"0", 2, kAccepted, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.text << " units " << int{r.units});
    C.BeamAngle = 65;
    C.INSERTION_ANGLE = 65;
    C.SCREEN_UNITS = r.units;
    C.PIXEL_GRID_LENGTH_MM_DEPTH = -1;
    C.INDEX_MARK_MM_DEPTH = 99;
    EXPECT_EQ(C.SetParameterText(r.text, 10), r.result);
    EXPECT_EQ(C.BeamAngle, r.angle);
    EXPECT_EQ(C.INSERTION_ANGLE, 65);  // the typed angle is the beam angle
    // The depth grid follows the angle in force, whatever the result.
    const double w = Span(5900, 5, 25) * (r.angle < 90 ? Cos(r.angle) : 1.0);
    EXPECT_NE(C.INDEX_MARK_MM_DEPTH, 99);
    EXPECT_NEAR(C.PIXEL_GRID_LENGTH_MM_DEPTH, kMmPerDivision[C.INDEX_MARK_MM_DEPTH] * 318 / w,
                1e-9);
  }
}

TEST_F(Config317ParametersTest, AngleTextHasOneDecimal) {
  struct Row {
    double angle;
    char separator;
    const char* text;
  };
  const Row rows[] = {
      {45.5, '.', "  45.5"}, {7.5, '.', "   7.5"}, {45.5, ',', "  45,5"}, {0, '.', "   0.0"}};
  for (const Row& r : rows) {
    T3_17ConfigCell c({r.separator, ' '});
    c.Initialise();
    c.BeamAngle = r.angle;
    EXPECT_EQ(c.ParameterText(10), r.text);
  }
}

TEST_F(Config317ParametersTest, RefreshRateIsPickedFromTheFiveRates) {
  struct Row {
    std::uint8_t before;
    const char* text;
    std::uint8_t result;
    std::uint8_t after;
  };
  const Row rows[] = {
      {50, " 100", kAccepted, 100},      {50, "  10", kAccepted, 10},
      {50, " 200", kAccepted, 200},      {50, "  25", kAccepted, 25},
      {50, "100", kOutOfBounds, 50},     {25, "abc", kOutOfBounds, 25},
      {200, "  50 ", kOutOfBounds, 200},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    C.REFRESH_RATE = r.before;
    EXPECT_EQ(C.SetParameterText(r.text, 15), r.result);
    EXPECT_EQ(C.REFRESH_RATE, r.after);
  }
  // A rate outside 10..200 is not remembered: the last one in range is.
  C.REFRESH_RATE = 100;
  C.SetParameterText("bad", 15);
  C.REFRESH_RATE = 5;
  EXPECT_EQ(C.SetParameterText("bad", 15), kOutOfBounds);
  EXPECT_EQ(C.REFRESH_RATE, 100);
  C.REFRESH_RATE = 201;
  EXPECT_EQ(C.SetParameterText("bad", 15), kOutOfBounds);
  EXPECT_EQ(C.REFRESH_RATE, 100);
  // The text is the rate itself.
  C.REFRESH_RATE = 200;
  EXPECT_EQ(C.ParameterText(15), " 200");
}

TEST_F(Config317ParametersTest, EditorsAndListsFollowTheNewSchemes) {
  TRecordingEditor editor;
  C.SetUpParameterEditor(editor, 15);
  C.SetUpParameterEditor(editor, 10);
  C.SetUpParameterEditor(editor, 0);
  C.SetUpParameterEditor(editor, 4);
  EXPECT_EQ(editor.Log, (std::vector<std::string>{"list|  10|  25|  50| 100| 200", "mask cccc",
                                                  "mask cccccc", "mask ccccc"}));
  TRecordingList list;
  C.FillParameterList(list, 15);
  C.FillParameterList(list, 10);
  EXPECT_EQ(list.Log, (std::vector<std::string>{"clear", "add   10", "add   25", "add   50",
                                                "add  100", "add  200", "select"}));
}

TEST_F(Config317ParametersTest, OtherParametersBehaveAsInTheBaseLayout) {
  EXPECT_EQ(C.SetParameterText("6000", 18), kAccepted);
  EXPECT_EQ(C.VELOCITY, 6000);
  EXPECT_EQ(C.SetParameterText("12", 20), kAccepted);
  EXPECT_EQ(C.OPORN_LEVEL_ON, 4);
  EXPECT_EQ(C.SetParameterText("1.3", 14), kAccepted);
  EXPECT_EQ(C.ZONDER_PULSE_PERIODS, 1.5);
  EXPECT_EQ(C.SetParameterText("x", 7), kAccepted);
  EXPECT_EQ(C.ParameterText(7), "");
  EXPECT_EQ(C.ParameterText(30), "");
  EXPECT_EQ(C.SetParameterText("x", 30), kAccepted);
}

// ---- Device image ---------------------------------------------------------------------

// A cell whose every stored field holds a value of its own.
void Distinctive(T3_17ConfigCell& c) {
  c.Initialise();
  c.CONFIGURATION_NAME = "WELD A";
  c.VELOCITY = 5920;
  c.PROBE_FREQ = 17;
  c.PROBE_PULSE = 2;
  c.ZONDER_PULSE_PERIODS = 2.5;
  c.REFRESH_RATE = 100;
  c.FILTER_BAND = 1;
  c.PROBE_DELAY = 8.65;
  c.BeamAngle = 45.5;
  c.INSERTION_ANGLE = 65;
  c.PROBE_ARROW = 12.3;
  c.THICKNESS = 0;
  c.OTSECHKA = 15;
  c.STROBE_ALGORYTHM = 2;
  c.POISK = 12;
  c.ARD_PLATE_DIAMETER = 6.5;
  c.ARD_SIGNAL_AMPLITUDE = 70;
  c.ARD_PLATE_FLOOR_DIAMETER = 3.2;
  c.CURSOR_1_ENABLED = 1;
  c.CURSOR_2_ENABLED = 0;
  c.SIGNAL_TYPE = 3;
  c.USER_MODE = 513;
  c.TVG_ENABLED = 1;
  c.SOUND_ENABLED = 1;
  c.VCURSOR_ENABLED = 2;
  c.OPORN_LEVEL_ON = 0;
  c.LANGUAGE = 1;
  c.ARD_ATTENUATION = 12.5;
  c.PROBE_TYPE = 1;
  c.LAST_MEM_CELL = 42;
  c.EVEN_REMINDER_FLAG = 1;
  c.B_SCAN_RATE = 2.6;
  c.SCREEN_UNITS = 2;
  c.PIXEL_GRID_LENGTH = 40;
  c.PREVIOUS_PIXEL_GRID_LENGTH = 30;
  c.INDEX_MARK_MKS = 3;
  c.CONTRAST = 0x11;
  c.PODSVETKA = 0x22;
  c.CURSOR_POSITION = 0x0123;
  c.StrobeBeginTime = {12.34, 1500.25};
  c.StrobeEndTime = {100.5, 2999.99};
  c.STROBE_1_LEVEL_PERCENT = 30;
  c.STROBE_2_LEVEL_PERCENT = 20;
  c.ATTENUATOR1 = 0x0102;
  c.ARD_CORRECTION = 0x1234;
  c.SCREEN_MODE = 3;
  c.USED_MODE = 1;
  c.UsedModeCopy = 0x0356;
  for (std::size_t i = 0; i < c.PICTOGR_ARRAY.size(); ++i) {
    c.PICTOGR_ARRAY[i] = static_cast<std::uint8_t>(100 + i);
  }
  for (std::size_t i = 0; i < c.TGV_GAIN.size(); ++i) {
    c.TGV_GAIN[i] = static_cast<std::uint8_t>(i);
    c.TGV_POS[i] = static_cast<std::uint16_t>(1000 + 7 * i);
  }
  c.TGV_CURSOR_POSITION = 9;
  c.TGV_NUMBER = 0x0011;
  c.PIXEL_GRID_LENGTH_MM = 42.37;
  c.PREV_PIXEL_GRID_LENGTH_MM = 41.5;
  c.INDEX_MARK_MM = 7;
  c.SNAP_YEAR = 24;
  c.SNAP_MONTH = 5;
  c.SNAP_DAY = 17;
  c.SNAP_HOUR = 13;
  c.SNAP_MINUTE = 45;
  c.SNAP_SECOND = 59;
  c.AMPLITUDE_MARKER_POSITION = 0xBEEF;
  c.PIXEL_GRID_LENGTH_MM_DEPTH = 33.9;
  c.PrevPixelGridLengthMmDepth = 35.55;
  c.INDEX_MARK_MM_DEPTH = 6;
  c.CONFIG_INDEX = 0x4321;
}

struct TBytesRow {
  std::size_t at;
  std::size_t width;
  std::uint32_t value;
};

TEST(Config317ImageTest, EncoderWritesEveryFieldAtIts317Offset) {
  T3_17ConfigCell c;
  Distinctive(c);
  TDeviceImage image = Filled(0xA5);
  c.EncodeImage(image, 7);

  EXPECT_EQ(std::string(image.begin(), image.begin() + 18),
            "07.WELD A" + std::string(8, ' ') + "/");
  const TBytesRow rows[] = {
      {23, 4, 592000},  {27, 4, 1700},  {31, 4, 200},     {35, 4, 250},     {39, 4, 10000},
      {43, 4, 100},     {47, 4, 865},   {51, 4, 4550},    {55, 4, 1230},    {59, 4, 0},
      {63, 4, 1500},    {67, 4, 200},   {71, 4, 1200},    {75, 4, 650},     {79, 4, 7000},
      {83, 4, 320},     {87, 4, 100},   {91, 4, 0},       {95, 4, 300},     {99, 4, 51300},
      {103, 4, 100},    {107, 4, 300},  {111, 4, 100},    {115, 4, 1250},   {119, 4, 100},
      {123, 4, 700},    {127, 4, 4200}, {131, 4, 100},    {135, 4, 300},    {139, 4, 200},
      {143, 1, 40},     {144, 1, 30},   {145, 1, 3},      {146, 1, 0x11},   {147, 1, 0x22},
      {148, 2, 0x0123}, {150, 3, 1234}, {153, 3, 10050},  {156, 3, 150025}, {159, 3, 299999},
      {162, 2, 149},    {164, 2, 167},  {166, 2, 0x0102}, {168, 2, 0x1234}, {170, 1, 30},
      {171, 1, 20},     {172, 2, 3},    {174, 2, 0x0356}, {297, 2, 0},      {299, 2, 0x0011},
      {303, 2, 4237},   {305, 2, 4150}, {307, 1, 7},      {308, 1, 24},     {309, 1, 5},
      {310, 1, 17},     {311, 1, 13},   {312, 1, 45},     {313, 1, 59},     {314, 2, 0xBEEF},
      {316, 2, 3390},   {318, 2, 3555}, {320, 1, 6},      {501, 2, 0x4321},
  };
  for (const TBytesRow& r : rows) {
    SCOPED_TRACE(r.at);
    EXPECT_EQ(Be(image, r.at, r.width), r.value);
  }
  // Pictograms: entries 0..5 follow the modes, the others as kept.
  const std::uint8_t modes[6] = {2, 3, 36, 10, 13, 6};
  for (std::size_t i = 0; i < 25; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(image[176 + i], i < 6 ? modes[i] : 100 + i);
  }
  for (std::size_t i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(image[201 + i], i);
    EXPECT_EQ(Be(image, 233 + 2 * i, 2), 1000 + 7 * i);
  }
  // Bytes the layout does not write keep what the buffer held.
  for (std::size_t at : {18u, 19u, 20u, 21u, 22u, 301u, 302u, 321u, 400u, 500u, 503u, 511u, 512u}) {
    SCOPED_TRACE(at);
    EXPECT_EQ(image[at], 0xA5);
  }
  // The cell was prepared as it was written.
  EXPECT_EQ(c.USED_MODE, 0x0356);
  EXPECT_EQ(c.STROBE_1_LEVEL, 149);
  EXPECT_EQ(c.STROBE_2_LEVEL, 167);
  EXPECT_EQ(c.ScreenHeight, 180);
  EXPECT_EQ(c.PICTOGR_ARRAY[2], 36);
  EXPECT_EQ(c.NameChars[14], '/');
}

TEST(Config317ImageTest, NumberGoesOutAsTwoDigitsAndAPoint) {
  struct Row {
    std::uint16_t n;
    const char* text;
  };
  const Row rows[] = {{7, "07."}, {0, "00."}, {42, "42."}, {99, "99."}};
  for (const Row& r : rows) {
    T3_17ConfigCell c;
    c.Initialise();
    c.CONFIGURATION_NO = 55;
    TDeviceImage image{};
    c.EncodeImage(image, r.n);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 3), r.text);
    EXPECT_EQ(Be(image, 123, 4), 100u * r.n);
    EXPECT_EQ(c.CONFIGURATION_NO, 55);
  }
}

TEST(Config317ImageTest, AnEmptyNameGoesOutAsDefault) {
  T3_17ConfigCell c;
  c.Initialise();
  c.CONFIGURATION_NAME.clear();
  TDeviceImage image{};
  c.EncodeImage(image, 1);
  EXPECT_EQ(c.CONFIGURATION_NAME, "default");
  EXPECT_EQ(std::string(image.begin() + 3, image.begin() + 18),
            "default" + std::string(7, ' ') + "/");
}

TEST(Config317ImageTest, NameRulesOfTheBaseLayoutHoldAtOffset3) {
  T3_17ConfigCell c;
  c.Initialise();
  c.CONFIGURATION_NAME = "AB/CD\xFF";
  TDeviceImage image{};
  c.EncodeImage(image, 1);
  EXPECT_EQ(std::string(image.begin() + 3, image.begin() + 18), "AB" + std::string(12, ' ') + "/");
  c.CONFIGURATION_NAME = "X\xFFY";
  c.EncodeImage(image, 1);
  EXPECT_EQ(image[4], 0x7D);

  TDeviceImage in{};
  const std::string stored = "P}PE/X";
  std::copy(stored.begin(), stored.end(), in.begin() + 3);
  in[0] = 'Q';  // the number digits are not a name
  c.DecodeImage(in, 4);
  EXPECT_EQ(c.CONFIGURATION_NAME, "P\xFFPE          ");
}

TEST(Config317ImageTest, TimesAreWrittenAsRoundedHundredthsInThreeBytes) {
  struct Row {
    double time;
    std::uint32_t stored;
  };
  const Row rows[] = {{0.125, 12},           {0.375, 38},        {12.345, 1234}, {0, 0},
                      {167772.15, 0xFFFFFF}, {200000, 0xFFFFFF}, {-3, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.time);
    T3_17ConfigCell c;
    c.Initialise();
    c.StrobeBeginTime[0] = r.time;
    c.StrobeEndTime[1] = r.time;
    TDeviceImage image = Filled(0x5A);
    c.EncodeImage(image, 1);
    EXPECT_EQ(Be(image, 150, 3), r.stored);
    EXPECT_EQ(Be(image, 159, 3), r.stored);
    EXPECT_EQ(image[162], 0);  // the next field starts right after
  }
}

TEST(Config317ImageTest, ThicknessAndBScanRateGoOutWithoutBaseAdjustments) {
  struct Row {
    double thickness;
    double rate;
    std::uint32_t storedThickness;
    std::uint32_t storedRate;
  };
  const Row rows[] = {
      {0, 2.6, 0, 300}, {700, 2.4, 70000, 200}, {12.34, 2.5, 1234, 200}, {950, 3.5, 95000, 400}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.thickness);
    T3_17ConfigCell c;
    c.Initialise();
    c.THICKNESS = r.thickness;
    c.EVEN_REMINDER_FLAG = 1;
    c.B_SCAN_RATE = r.rate;
    TDeviceImage image{};
    c.EncodeImage(image, 1);
    EXPECT_EQ(Be(image, 59, 4), r.storedThickness);
    EXPECT_EQ(Be(image, 135, 4), r.storedRate);
  }
}

TEST(Config317ImageTest, DecoderReadsEveryFieldFromIts317Offset) {
  TDeviceImage image{};
  std::copy_n("99.", 3, image.begin());
  std::copy_n("PIPE 7        ", 14, image.begin() + 3);
  const TBytesRow rows[] = {
      {23, 4, 592000},  {27, 4, 0x123406A4}, {31, 4, 0xABCD00C8}, {35, 4, 250},
      {39, 4, 10000},   {43, 4, 100},        {47, 4, 865},        {51, 4, 4650},
      {55, 4, 1230},    {59, 4, 1234},       {63, 4, 1500},       {67, 4, 200},
      {71, 4, 1200},    {75, 4, 650},        {79, 4, 7000},       {83, 4, 320},
      {87, 4, 100},     {91, 4, 100},        {95, 4, 300},        {99, 4, 51300},
      {103, 4, 200},    {107, 4, 600},       {111, 4, 100},       {115, 4, 1250},
      {119, 4, 100},    {123, 4, 9900},      {127, 4, 4200},      {131, 4, 0},
      {135, 4, 300},    {139, 4, 200},       {143, 1, 40},        {144, 1, 30},
      {145, 1, 3},      {146, 1, 0x11},      {147, 1, 0x22},      {148, 2, 0x01FF},
      {150, 3, 1234},   {153, 3, 10050},     {156, 3, 150025},    {159, 3, 299999},
      {162, 2, 0x0095}, {164, 2, 0x0011},    {166, 2, 0x0102},    {168, 2, 0x1234},
      {170, 1, 30},     {171, 1, 20},        {172, 2, 0x0103},    {174, 2, 0x0356},
      {297, 2, 9},      {299, 2, 17},        {301, 2, 0xFFFF},    {303, 2, 4237},
      {305, 2, 4150},   {307, 1, 7},         {308, 1, 24},        {309, 1, 5},
      {310, 1, 17},     {311, 1, 13},        {312, 1, 45},        {313, 1, 59},
      {314, 2, 0xBEEF}, {316, 2, 3390},      {318, 2, 3555},      {320, 1, 6},
      {501, 2, 0x4321},
  };
  for (const TBytesRow& r : rows) {
    PutBe(image, r.at, r.width, r.value);
  }
  for (std::size_t i = 0; i < 25; ++i) {
    image[176 + i] = static_cast<std::uint8_t>(100 + i);
  }
  for (std::size_t i = 0; i < 32; ++i) {
    image[201 + i] = static_cast<std::uint8_t>(i);
    PutBe(image, 233 + 2 * i, 2, static_cast<std::uint32_t>(1000 + 7 * i));
  }

  T3_17ConfigCell c;
  c.Initialise();
  c.Parameter29Value = 33;
  c.DecodeImage(image, 12);

  EXPECT_EQ(c.CONFIGURATION_NAME, "PIPE 7        ");
  EXPECT_EQ(c.CONFIGURATION_NO, 12);
  EXPECT_EQ(c.VELOCITY, 5920);
  EXPECT_EQ(c.PROBE_FREQ, 17);  // the low word only
  EXPECT_EQ(c.PROBE_PULSE, 2);
  EXPECT_EQ(c.ZONDER_PULSE_PERIODS, 2.5);
  EXPECT_EQ(c.REFRESH_RATE, 100);
  EXPECT_EQ(c.FILTER_BAND, 1);
  EXPECT_EQ(c.PROBE_DELAY, 8.65);
  EXPECT_EQ(c.BeamAngle, 46.5);
  EXPECT_EQ(c.INSERTION_ANGLE, 46);  // ties to even
  EXPECT_EQ(c.PROBE_ARROW, 12.3);
  EXPECT_EQ(c.THICKNESS, 12.34);
  EXPECT_EQ(c.EVEN_REMINDER_FLAG, 1);
  EXPECT_EQ(c.OTSECHKA, 15);
  EXPECT_EQ(c.STROBE_ALGORYTHM, 2);
  EXPECT_EQ(c.POISK, 12);
  EXPECT_EQ(c.ARD_PLATE_DIAMETER, 6.5);
  EXPECT_EQ(c.ARD_SIGNAL_AMPLITUDE, 70);
  EXPECT_EQ(c.ARD_PLATE_FLOOR_DIAMETER, 3.2);
  EXPECT_EQ(c.CURSOR_1_ENABLED, 1);
  EXPECT_EQ(c.CURSOR_2_ENABLED, 1);
  EXPECT_EQ(c.SIGNAL_TYPE, 3);
  EXPECT_EQ(c.USER_MODE, 513);
  EXPECT_EQ(c.TVG_ENABLED, 2);
  EXPECT_EQ(c.SOUND_ENABLED, 0);
  EXPECT_EQ(c.VCURSOR_ENABLED, 2);
  EXPECT_EQ(c.OPORN_LEVEL_ON, 4);
  EXPECT_EQ(c.LANGUAGE, 1);
  EXPECT_EQ(c.ARD_ATTENUATION, 12.5);
  EXPECT_EQ(c.PROBE_TYPE, 1);
  EXPECT_EQ(c.LAST_MEM_CELL, 42);
  EXPECT_EQ(c.B_SCAN_RATE, 3);
  EXPECT_EQ(c.SCREEN_UNITS, 2);
  EXPECT_EQ(c.PIXEL_GRID_LENGTH, 40);
  EXPECT_EQ(c.PREVIOUS_PIXEL_GRID_LENGTH, 30);
  EXPECT_EQ(c.INDEX_MARK_MKS, 3);
  EXPECT_EQ(c.CONTRAST, 0x11);
  EXPECT_EQ(c.PODSVETKA, 0x22);
  EXPECT_EQ(c.CURSOR_POSITION, 0x01FF);
  EXPECT_EQ(c.StrobeBeginTime[0], 12.34);
  EXPECT_EQ(c.StrobeEndTime[0], 100.5);
  EXPECT_EQ(c.StrobeBeginTime[1], 1500.25);
  EXPECT_EQ(c.StrobeEndTime[1], 2999.99);
  EXPECT_EQ(c.ATTENUATOR1, 0x0102);
  EXPECT_EQ(c.ARD_CORRECTION, 0x1234);
  EXPECT_EQ(c.STROBE_1_LEVEL_PERCENT, 30);
  EXPECT_EQ(c.STROBE_2_LEVEL_PERCENT, 20);
  EXPECT_EQ(c.STROBE_1_LEVEL, 126);  // from the percents
  EXPECT_EQ(c.STROBE_2_LEVEL, 144);
  EXPECT_EQ(c.ScreenHeight, 180);
  EXPECT_EQ(c.SCREEN_MODE, 3);
  EXPECT_EQ(c.USED_MODE, 0x0356);
  EXPECT_EQ(c.UsedModeCopy, 0x0356);
  for (std::size_t i = 0; i < 25; ++i) {
    EXPECT_EQ(c.PICTOGR_ARRAY[i], 100 + i);
  }
  for (std::size_t i = 0; i < 32; ++i) {
    EXPECT_EQ(c.TGV_GAIN[i], i);
    EXPECT_EQ(c.TGV_POS[i], 1000 + 7 * i);
  }
  EXPECT_EQ(c.TGV_CURSOR_POSITION, 9);
  EXPECT_EQ(c.TGV_NUMBER, 17);
  EXPECT_EQ(c.SNAP_YEAR, 24);
  EXPECT_EQ(c.SNAP_MONTH, 5);
  EXPECT_EQ(c.SNAP_DAY, 17);
  EXPECT_EQ(c.SNAP_HOUR, 13);
  EXPECT_EQ(c.SNAP_MINUTE, 45);
  EXPECT_EQ(c.SNAP_SECOND, 59);
  EXPECT_EQ(c.AMPLITUDE_MARKER_POSITION, 0xBEEF);
  EXPECT_EQ(c.CONFIG_INDEX, 0x4321);
  EXPECT_EQ(c.Parameter29Value, 33);  // not refreshed by the 3.17 decoder

  // The grids are recomputed from the decoded scale, velocity and angle.
  const double w = Span(5920, 10, 40);
  EXPECT_EQ(c.INDEX_MARK_MM, 6);
  EXPECT_DOUBLE_EQ(c.PIXEL_GRID_LENGTH_MM, 20 * 318 / w);
  EXPECT_DOUBLE_EQ(c.PREV_PIXEL_GRID_LENGTH_MM, 20 * 318 / w);
  const double wd = w * Cos(46.5);
  EXPECT_EQ(c.INDEX_MARK_MM_DEPTH, 6);
  EXPECT_DOUBLE_EQ(c.PIXEL_GRID_LENGTH_MM_DEPTH, 20 * 318 / wd);
  EXPECT_DOUBLE_EQ(c.PrevPixelGridLengthMmDepth, 20 * 318 / wd);
}

TEST(Config317ImageTest, TailStepReadsTheGridsAsStored) {
  TDeviceImage image{};
  PutBe(image, 303, 2, 4237);
  PutBe(image, 305, 2, 4150);
  image[307] = 7;
  PutBe(image, 316, 2, 3390);
  PutBe(image, 318, 2, 3555);  // not read: the previous length follows
  image[320] = 6;
  TExposed317 c;
  c.Initialise();
  c.DecodeImage317Tail(image);
  EXPECT_EQ(c.PIXEL_GRID_LENGTH_MM, 42.37);
  EXPECT_EQ(c.PREV_PIXEL_GRID_LENGTH_MM, 41.5);
  EXPECT_EQ(c.INDEX_MARK_MM, 7);
  EXPECT_EQ(c.PIXEL_GRID_LENGTH_MM_DEPTH, 33.9);
  EXPECT_EQ(c.PrevPixelGridLengthMmDepth, 33.9);
  EXPECT_EQ(c.INDEX_MARK_MM_DEPTH, 6);

  // The tail encoder leaves the pictograms alone when asked to.
  c.PICTOGR_ARRAY[0] = 77;
  TDeviceImage out{};
  c.EncodeImage317Tail(out, false);
  EXPECT_EQ(out[176], 77);
  c.EncodeImage317Tail(out, true);
  EXPECT_EQ(out[176], c.CURSOR_1_ENABLED + 1);
  EXPECT_EQ(Be(out, 143, 1), c.PIXEL_GRID_LENGTH);
  EXPECT_EQ(out[0], 0);  // nothing before 143
  EXPECT_EQ(Be(out, 123, 4), 0u);
}

TEST(Config317ImageTest, ScreenModeIsTakenFromTheLowByte) {
  struct Row {
    std::uint16_t word;
    std::uint16_t mode;
  };
  const Row rows[] = {{0x0003, 3}, {0x0103, 3}, {0x0001, 1}, {0x0002, 1}, {0x0300, 1}, {0, 1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.word);
    TDeviceImage image{};
    PutBe(image, 172, 2, r.word);
    T3_17ConfigCell c;
    c.DecodeImage(image, 0);
    EXPECT_EQ(c.SCREEN_MODE, r.mode);
  }
}

TEST(Config317ImageTest, AnErasedSlotGivesTheDefaults) {
  for (std::size_t at : {10u, 20u, 50u, 110u}) {
    SCOPED_TRACE(at);
    TDeviceImage image{};
    PutBe(image, 150, 3, 77700);
    image[at] = 0xFF;
    T3_17ConfigCell c;
    c.DecodeImage(image, 31);
    EXPECT_EQ(c.CONFIGURATION_NO, 31);
    EXPECT_EQ(c.StrobeBeginTime[0], 5.0);
    EXPECT_EQ(c.BeamAngle, 65.0);
    EXPECT_EQ(c.CONFIGURATION_NAME, "DEFAULT       ");
  }
}

TEST(Config317ImageTest, RandomCellsSurviveEncodeAndDecode) {
  std::mt19937 rng(31707);
  for (int k = 0; k < 300; ++k) {
    SCOPED_TRACE(k);
    T3_17ConfigCell source;
    test317::Randomise317(source, rng);
    const auto n = static_cast<std::uint16_t>(test317::Uniform(rng, 0, 99));
    TDeviceImage image{};
    source.EncodeImage(image, n);

    T3_17ConfigCell target;
    test317::Randomise317(target, rng);  // everything different beforehand
    target.DecodeImage(image, n);
    EXPECT_EQ(Joined(test317::ImageDifferences(source, target)), "");
    EXPECT_EQ(target.CONFIGURATION_NAME, Padded(source.CONFIGURATION_NAME));
    EXPECT_EQ(std::string(target.NameChars.begin(), target.NameChars.begin() + 14),
              target.CONFIGURATION_NAME);
    EXPECT_EQ(target.CONFIGURATION_NO, n);
    EXPECT_EQ(target.EVEN_REMINDER_FLAG, 1);
    EXPECT_EQ(target.TGV_CURSOR_POSITION, 0);
    EXPECT_EQ(target.STROBE_1_LEVEL, (100 - source.STROBE_1_LEVEL_PERCENT) * 180 / 100);
    EXPECT_EQ(target.STROBE_2_LEVEL, (100 - source.STROBE_2_LEVEL_PERCENT) * 180 / 100);
    EXPECT_EQ(target.Validate(), source.Validate());

    // And the decoded cell sends the same bytes again.
    TDeviceImage again{};
    target.EncodeImage(again, n);
    std::string differing;
    for (std::size_t at = 0; at < image.size(); ++at) {
      if (again[at] != image[at]) {
        differing += std::to_string(at) + " ";
      }
    }
    EXPECT_EQ(differing, "");
  }
}

// ---- Text record ----------------------------------------------------------------------------

TEST(Config317TextTest, RecordHasTheInsertedAndChangedLines) {
  T3_17ConfigCell c;
  c.Initialise();
  c.CONFIGURATION_NO = 3;
  c.StrobeBeginTime = {12.3, 1500.25};
  c.StrobeEndTime = {100, 0.1};
  c.INDEX_MARK_MM_DEPTH = 6;
  c.PIXEL_GRID_LENGTH_MM_DEPTH = 33.5;
  c.BeamAngle = 45.5;
  c.INSERTION_ANGLE = 46;
  c.AMPLITUDE_MARKER_POSITION = 77;
  c.STROBE_1_BEGIN = 1;  // the columns are not in the record
  c.Comments = {"first", "second: with colon"};
  const std::vector<std::string> lines = Lines(Write(c));
  ASSERT_EQ(lines.size(), 177u + 2u);
  EXPECT_EQ(lines[21], "PIXEL_GRID_LENGTH:25");
  EXPECT_EQ(lines[22], "INDEX_MARK_MM_DEPTH:6");
  EXPECT_EQ(lines[23], "PIXEL_GRID_LENGTH_MM_DEPTH:33.5");
  EXPECT_EQ(lines[24], "STROBE_1_BEGIN:12.3");
  EXPECT_EQ(lines[25], "STROBE_1_END:100");
  EXPECT_EQ(lines[26], "STROBE_2_BEGIN:1500.25");
  EXPECT_EQ(lines[27], "STROBE_2_END:0.1");
  EXPECT_EQ(lines[28], "STROBE_1_LEVEL:30");
  EXPECT_EQ(lines[141], "PROBE_ARROW:1200");
  EXPECT_EQ(lines[142], "INSERTION_ANGLE:4550");
  EXPECT_EQ(lines[143], "PROBE_FREQ:17");
  EXPECT_EQ(lines[166].rfind("PREV_PIXEL_GRID_LENGTH_MM:", 0), 0u);
  EXPECT_EQ(lines[167], "AMPLITUDE_MARKER_POSITION:77");
  EXPECT_EQ(lines[168].rfind("INDEX_MARK_MM:", 0), 0u);
  EXPECT_EQ(lines[175], "DEVICE_INDEX:0");
  EXPECT_EQ(lines[176], "COMMENTS QUANTITY:2");
  EXPECT_EQ(lines[178], "COMMENTS[1]:second: with colon");

  // Every other line is the base record's.
  TBaseConfigCell base;
  base.Assign(&c);
  base.CONFIGURATION_NO = c.CONFIGURATION_NO;
  base.Comments = c.Comments;
  base.B_SCAN_BEGIN = c.B_SCAN_BEGIN;
  base.B_SCAN_END = c.B_SCAN_END;
  const std::vector<std::string> baseLines = Lines(Write(base));
  ASSERT_EQ(baseLines.size(), 174u + 2u);
  std::vector<std::string> reduced = lines;
  reduced.erase(reduced.begin() + 167);
  reduced.erase(reduced.begin() + 22, reduced.begin() + 24);
  ASSERT_EQ(reduced.size(), baseLines.size());
  for (std::size_t i = 0; i < reduced.size(); ++i) {
    if ((i >= 22 && i <= 25) || i == 140) {
      continue;  // the strobe times and the angle
    }
    EXPECT_EQ(reduced[i], baseLines[i]) << "line " << i + 1;
  }
}

TEST(Config317TextTest, RealsAreWrittenShortestInTheGeneralFormWithTheCellsSeparator) {
  struct Row {
    char separator;
    double value;
    const char* text;
  };
  const Row rows[] = {{'.', 40, "40"},
                      {',', 31.25, "31,25"},
                      {'.', 0.1, "0.1"},
                      {'.', 1e-05, "1e-05"},
                      {',', 2.5e-07, "2,5e-07"},
                      {'.', 1.0 / 3, "0.3333333333333333"},
                      {'.', 123456789, "123456789"},
                      {'.', -2.5, "-2.5"},
                      {'.', 1e20, "1e+20"},
                      {'.', std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
                      {',', 0.0001, "0,0001"},
                      {',', 0.015625, "0,015625"},
                      {'.', 100000, "100000"},
                      {'.', 250000.5, "250000.5"},
                      {'.', 1e15, "1e+15"},
                      {'.', 0, "0"},
                      {'.', -0.00005, "-5e-05"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.value);
    T3_17ConfigCell c({r.separator, ' '});
    c.Initialise();
    c.PIXEL_GRID_LENGTH_MM_DEPTH = r.value;
    const std::vector<std::string> lines = Lines(Write(c));
    EXPECT_EQ(lines[23], std::string("PIXEL_GRID_LENGTH_MM_DEPTH:") + r.text);
    T3_17ConfigCell back({r.separator, ' '});
    Read(back, Write(c));
    EXPECT_EQ(back.PIXEL_GRID_LENGTH_MM_DEPTH, r.value);
  }
}

TEST(Config317TextTest, RealsThatAreNoFiniteNumbersStillWriteAReadableRecord) {
  T3_17ConfigCell c;
  c.Initialise();
  c.StrobeBeginTime[0] = std::numeric_limits<double>::infinity();
  c.StrobeEndTime[0] = -std::numeric_limits<double>::infinity();
  c.StrobeBeginTime[1] = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::string> lines = Lines(Write(c));
  EXPECT_EQ(lines[24], "STROBE_1_BEGIN:1.7976931348623157e+308");
  EXPECT_EQ(lines[25], "STROBE_1_END:-1.7976931348623157e+308");
  EXPECT_EQ(lines[26], "STROBE_2_BEGIN:0");
  T3_17ConfigCell back;
  Read(back, Write(c));
  EXPECT_EQ(back.StrobeBeginTime[0], std::numeric_limits<double>::max());
  EXPECT_EQ(back.StrobeEndTime[0], std::numeric_limits<double>::lowest());
  EXPECT_EQ(back.StrobeBeginTime[1], 0);
}

TEST(Config317TextTest, ReaderTakesTheAngleAndTheDepthGridAsTheirLinesSay) {
  T3_17ConfigCell c;
  c.Initialise();
  std::vector<std::string> lines = Lines(Write(c));
  struct Row {
    const char* angle;
    double beam;
    std::uint8_t stored;
  };
  const Row rows[] = {{"6550", 65.5, 66}, {"6450", 64.5, 64}, {"4512", 45.12, 45},
                      {"0", 0, 0},        {"-150", -1.5, 0},  {"30000", 300, 255}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.angle);
    lines[142] = std::string("INSERTION_ANGLE:") + r.angle;
    lines[23] = "PIXEL_GRID_LENGTH_MM_DEPTH:31.25";
    T3_17ConfigCell back;
    back.Initialise();
    back.Parameter29Value = 17;
    Read(back, test317::JoinLines(lines));
    EXPECT_EQ(back.BeamAngle, r.beam);
    EXPECT_EQ(back.INSERTION_ANGLE, r.stored);
    EXPECT_EQ(back.PIXEL_GRID_LENGTH_MM_DEPTH, 31.25);
    EXPECT_EQ(back.PrevPixelGridLengthMmDepth, 31.25);
    EXPECT_EQ(back.Parameter29Value, 17);  // not refreshed
  }
}

TEST(Config317TextTest, BadValuesFailTheRead) {
  T3_17ConfigCell c;
  c.Initialise();
  const std::vector<std::string> good = Lines(Write(c));
  struct Row {
    std::size_t line;
    const char* text;
  };
  const Row rows[] = {
      {23, "PIXEL_GRID_LENGTH_MM_DEPTH:abc"},
      {23, "PIXEL_GRID_LENGTH_MM_DEPTH:"},
      {24, "STROBE_1_BEGIN:12,5,0"},
      {25, "STROBE_1_END:1e999"},
      {26, "STROBE_2_BEGIN:nan"},
      {27, "STROBE_2_END:inf"},
      {22, "INDEX_MARK_MM_DEPTH:256"},
      {142, "INSERTION_ANGLE:45.5"},
      {167, "AMPLITUDE_MARKER_POSITION:65536"},
      {21, "PIXEL_GRID_LENGTH:300"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    std::vector<std::string> lines = good;
    lines[r.line] = r.text;
    T3_17ConfigCell back;
    EXPECT_THROW(Read(back, test317::JoinLines(lines)), EConvertError);
  }
  // A cut-off record fails too.
  std::vector<std::string> cut(good.begin(), good.begin() + 100);
  T3_17ConfigCell back;
  EXPECT_THROW(Read(back, test317::JoinLines(cut)), EConvertError);
}

// A file travels between computers of any locale: "." and "," both read as
// the decimal separator in a cell of either format; neither groups digits.
TEST(Config317TextTest, ReaderTakesEitherDecimalSeparatorWhateverTheCellsFormat) {
  const struct {
    const char* Text;
    bool Ok;
    double Value;
  } cases[] = {
      {"12,5", true, 12.5},     {"12.5", true, 12.5},        {"1e2", true, 100},
      {"-0,25", true, -0.25},   {"1,5e+20", true, 1.5e20},   {"0", true, 0},
      {"2.5e-05", true, 2.5e-5}, {" 1e2 ", false, 0},        {"+1", false, 0},
      {"1,234.5", false, 0},    {"1.2.3", false, 0},         {"12,", false, 0},
      {",5", false, 0},         {"01.5", false, 0},          {"1 000", false, 0},
      {"1e", false, 0},         {"inf", false, 0},           {"1e999", false, 0},
  };
  T3_17ConfigCell c;
  c.Initialise();
  std::vector<std::string> lines = Lines(Write(c));
  for (const auto& k : cases) {
    for (const char separator : {'.', ','}) {
      SCOPED_TRACE(std::string(k.Text) + " in a cell with " + separator);
      lines[24] = std::string("STROBE_1_BEGIN:") + k.Text;
      T3_17ConfigCell cell({separator, separator == ',' ? ' ' : ','});
      if (k.Ok) {
        Read(cell, test317::JoinLines(lines));
        EXPECT_EQ(cell.StrobeBeginTime[0], k.Value);
      } else {
        EXPECT_THROW(Read(cell, test317::JoinLines(lines)), EConvertError);
      }
    }
  }
}

TEST(Config317TextTest, BodyStepWritesTheRecordFromIndexMarkToTheComments) {
  TExposed317 c;
  c.Initialise();
  c.Comments = {"x"};
  c.PIXEL_GRID_LENGTH_MM = 30.77;  // the record keeps hundredths
  c.PREV_PIXEL_GRID_LENGTH_MM = 30.77;
  std::ostringstream s;
  TTextWriter out(s);
  c.WriteText317Body(out);
  const std::vector<std::string> body = Lines(s.str());
  const std::vector<std::string> whole = Lines(Write(c));
  ASSERT_EQ(body.size(), whole.size() - 20);
  EXPECT_TRUE(std::equal(body.begin(), body.end(), whole.begin() + 20));

  // The body carries everything but the identity lines (the device index
  // comes again before the comments) and the name.
  std::mt19937 rng(3);
  TExposed317 back;
  test317::Randomise317(back, rng);
  back.DEVICE_INDEX = 9;
  back.MAJOR_VERSION_NO = 9;
  back.MINOR_VERSION_NO = 9;
  back.CONFIGURATION_NO = 9;
  const std::string name = back.CONFIGURATION_NAME;
  std::istringstream in(s.str());
  TTextReader reader(in);
  back.ReadText317Body(reader);
  EXPECT_EQ(Joined(test317::TextDifferences(c, back)),
            "MAJOR_VERSION_NO MINOR_VERSION_NO CONFIGURATION_NO ");
  EXPECT_EQ(back.CONFIGURATION_NAME, name);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(Config317TextTest, RandomCellsSurviveWriteAndRead) {
  std::mt19937 rng(31708);
  for (int k = 0; k < 300; ++k) {
    SCOPED_TRACE(k);
    const char separator = k % 2 == 0 ? '.' : ',';
    T3_17ConfigCell source({separator, ' '});
    test317::Randomise317(source, rng);
    // The text carries any value of its fields; reals in the shortest form
    // exactly, the scaled ones at hundredths.
    std::uniform_real_distribution<double> any(0, 5000);
    for (std::size_t s = 0; s < 2; ++s) {
      source.StrobeBeginTime[s] = any(rng);
      source.StrobeEndTime[s] = any(rng) * 1e-3;
    }
    source.PIXEL_GRID_LENGTH_MM_DEPTH = any(rng) / 7;
    source.PrevPixelGridLengthMmDepth = source.PIXEL_GRID_LENGTH_MM_DEPTH;
    source.PIXEL_GRID_LENGTH_MM = test317::Hundredths(rng, 0, 600);
    source.PREV_PIXEL_GRID_LENGTH_MM = test317::Hundredths(rng, 0, 600);
    source.ARD_CORRECTION = test317::Uniform(rng, -100000, 100000);
    source.INDEX_MARK_MM_DEPTH = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 255));
    source.STROBE_1_LEVEL = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 255));
    source.STROBE_2_LEVEL = static_cast<std::uint8_t>(test317::Uniform(rng, 0, 255));
    if (k % 3 == 0) {
      source.CONFIGURATION_NAME += "XYZ";  // 14 and more characters
    }

    const std::string text = Write(source);
    EXPECT_EQ(Lines(text).size(), 177u + source.Comments.size());
    T3_17ConfigCell target({separator, ' '});
    test317::Randomise317(target, rng);
    Read(target, text);
    EXPECT_EQ(Joined(test317::TextDifferences(source, target)), "");
    EXPECT_EQ(target.CONFIGURATION_NAME, Padded(source.CONFIGURATION_NAME));
    EXPECT_EQ(std::string(target.NameChars.begin(), target.NameChars.begin() + 15),
              std::string(source.NameChars.begin(), source.NameChars.begin() + 15));
    // Writing the read cell gives the same record.
    EXPECT_EQ(Write(target), text);
  }
}

}  // namespace
}  // namespace velt
