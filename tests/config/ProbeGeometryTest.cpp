// The probe geometry of the cell: legs and depths folded at the thickness,
// the offset from the probe's front edge, and the variants' angle and
// measured time flowing into them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include <config/ConfigObject3_17ver_Unit.h>
#include <config/ConfigObject5_01ver_Unit.h>

namespace velt {
namespace {

// A real beam angle whose cosine the maths library gives as exactly 0.75, so
// the vertical travel 0.75 * S is exact and a travel of exactly one thickness
// can be set up. Its sine is sqrt(1 - 0.5625) = 0.661437827766.
constexpr double kAngleCos075 = 41.409622109270856;
constexpr double kSin = 0.66143782776614768;

double CosOf(double degrees) {
  return std::cos(degrees * std::numbers::pi / 180.0);
}

// A 3.17 cell at 2000 m/s and 10 us per 25 pixels: the cursor column c is at
// 0.4 c us and the beam path S = t * 2000 / 2000 = 0.4 c mm. INSERTION_ANGLE
// is 0, so only the real angle can fold anything.
void RealAngleSetup(T3_17ConfigCell& cell) {
  cell.Initialise();
  cell.BeamAngle = kAngleCos075;
  cell.INSERTION_ANGLE = 0;
  cell.VELOCITY = 2000;
  cell.INDEX_MARK_MKS = 3;
  cell.PIXEL_GRID_LENGTH = 25;
  cell.THICKNESS = 12;
  cell.PROBE_ARROW = 12;
}

TEST(ProbeGeometryTest, LegsAndDepthsFoldAtTheThickness) {
  ASSERT_EQ(CosOf(kAngleCos075), 0.75);
  struct TCase {
    std::uint16_t Cursor;
    double Path;      // S
    double Vertical;  // 0.75 S
    std::uint8_t Leg;
    double Depth;
  };
  for (const TCase& c : std::vector<TCase>{
           {0, 0, 0, 0, 0},
           {20, 8, 6, 0, 6},
           {40, 16, 12, 0, 12},   // exactly one thickness: still the first leg
           {60, 24, 18, 1, 6},    // 18 - 12 = 6 on the way up: 12 - 6 = 6
           {80, 32, 24, 1, 0},    // back at the surface
           {100, 40, 30, 2, 6},   // down again: 30 - 24
           {120, 48, 36, 2, 12},  // at the bottom a second time
           {140, 56, 42, 3, 6},   // 42 - 36 = 6 up: 12 - 6
       }) {
    SCOPED_TRACE(c.Cursor);
    T3_17ConfigCell cell;
    RealAngleSetup(cell);
    cell.CURSOR_POSITION = c.Cursor;
    EXPECT_EQ(cell.BeamPath(), c.Path);
    EXPECT_EQ(cell.LegNumber(), c.Leg);
    EXPECT_EQ(cell.Depth(), c.Depth);
  }
}

TEST(ProbeGeometryTest, ThicknessesOutOfUseDoNotFold) {
  // Path 24 mm, vertical travel 18 mm; 0, 900 and above are covered by the
  // cell's own tests.
  struct TCase {
    double Thickness;
    double Effective;
    std::uint8_t Leg;
    double Depth;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const TCase& c : std::vector<TCase>{
           {899.5, 899.5, 0, 18},  // below 900: in use
           {-5, -5, 0, 18},        // non-zero and below 900, yet no thickness to count or fold
           {nan, 0, 0, 18},
       }) {
    SCOPED_TRACE(c.Thickness);
    T3_17ConfigCell cell;
    RealAngleSetup(cell);
    cell.CURSOR_POSITION = 60;
    cell.THICKNESS = c.Thickness;
    EXPECT_EQ(cell.EffectiveThickness(), c.Effective);
    EXPECT_EQ(cell.LegNumber(), c.Leg);
    EXPECT_EQ(cell.Depth(), c.Depth);
  }
}

// A path of very many thicknesses is folded in one step; where it is a whole
// number of thicknesses the result is one thickness, as the subtraction one
// at a time leaves it. The leg number stops at 100 (even), so nothing flips.
TEST(ProbeGeometryTest, VeryLongPathsFoldLikeShortOnes) {
  struct TCase {
    std::uint16_t Cursor;  // 100 us per division over 1 pixel: t = 100 c
    double Vertical;
    double Depth;
  };
  for (const TCase& c : std::vector<TCase>{
           {320, 24000, 0.25},  // 96000 thicknesses: folded one at a time
           {400, 30000, 0.25},  // 120000 thicknesses: folded in one step
           {401, 30075, 0.25},
       }) {
    SCOPED_TRACE(c.Cursor);
    T3_17ConfigCell cell;
    RealAngleSetup(cell);
    cell.INDEX_MARK_MKS = 6;
    cell.PIXEL_GRID_LENGTH = 1;
    cell.THICKNESS = 0.25;
    cell.CURSOR_POSITION = c.Cursor;
    ASSERT_EQ(0.75 * cell.BeamPath(), c.Vertical);
    EXPECT_EQ(cell.LegNumber(), 100);
    EXPECT_EQ(cell.Depth(), c.Depth);
  }
}

TEST(ProbeGeometryTest, HorizontalOffsetIsNeverNegative) {
  struct TCase {
    std::uint16_t Cursor;
    double Arrow;
    double Offset;
  };
  for (const TCase& c : std::vector<TCase>{
           {40, 12, 0},                 // 16 * 0.661437827766 = 10.58 < 12
           {60, 12, 24 * kSin - 12},    // 15.8745078664 - 12
           {60, 24 * kSin + 0.001, 0},  // just short of the exit point
           {60, -3, 24 * kSin + 3},     // a negative arrow lengthens it
       }) {
    SCOPED_TRACE(c.Cursor);
    T3_17ConfigCell cell;
    RealAngleSetup(cell);
    cell.CURSOR_POSITION = c.Cursor;
    cell.PROBE_ARROW = c.Arrow;
    EXPECT_NEAR(cell.HorizontalOffset(), c.Offset, 1e-12);
  }
}

// The 3.17 angle is stored in whole degrees without a range test, and the
// byte field stays as it was; the base class refuses what its byte cannot
// take.
TEST(ProbeGeometryTest, SetInsertionAngleOfTheRealAngle) {
  struct TCase {
    double Given;
    double Stored;
  };
  for (const TCase& c :
       std::vector<TCase>{{300, 300}, {-4.5, -4}, {89.5, 90}, {90.4, 90}, {1e6, 1e6}}) {
    SCOPED_TRACE(c.Given);
    T3_17ConfigCell cell;
    cell.Initialise();
    cell.SetInsertionAngle(c.Given);
    EXPECT_EQ(cell.InsertionAngle(), c.Stored);
    EXPECT_EQ(cell.INSERTION_ANGLE, 65);
  }
}

// With the two-cursor algorithm of 5.01 the measured time, and so the path,
// can be negative: the depth folds the length of the path, the leg count
// finds no travel, and the offset is 0.
TEST(ProbeGeometryTest, TwoCursorTimeDrivesTheGeometry) {
  struct TCase {
    std::uint16_t First;
    std::uint16_t Second;
    double Path;
    std::uint8_t Leg;
    double Depth;
    double Offset;
  };
  // 10 us per 25 pixels, 3200 m/s: a column is 0.4 us and 0.64 mm.
  for (const TCase& c : std::vector<TCase>{
           {50, 100, 32, 1, 0, 32 * kSin - 12},  // vertical 24: back at the surface
           {100, 50, -32, 0, 12, 0},             // |S| 32 folds to 12; leg 0 keeps it
           {100, 100, 0, 0, 0, 0},
       }) {
    SCOPED_TRACE(::testing::Message() << c.First << " -> " << c.Second);
    T5_01ConfigCell cell;
    cell.Initialise();
    ASSERT_EQ(cell.DisplayOffset, 0);
    cell.STROBE_ALGORYTHM = 3;
    cell.BeamAngle = kAngleCos075;
    cell.VELOCITY = 3200;
    cell.INDEX_MARK_MKS = 3;
    cell.PIXEL_GRID_LENGTH = 25;
    cell.THICKNESS = 12;
    cell.PROBE_ARROW = 12;
    cell.CURSOR_POSITION = c.First;
    cell.VCURSOR_2 = c.Second;
    cell.EXACT_SCREEN_CURS_POS_FLAG = 0;
    EXPECT_EQ(cell.BeamPath(), c.Path);
    EXPECT_EQ(cell.LegNumber(), c.Leg);
    EXPECT_EQ(cell.Depth(), c.Depth);
    EXPECT_NEAR(cell.HorizontalOffset(), c.Offset, 1e-12);

    // Another algorithm measures at the first cursor alone.
    cell.STROBE_ALGORYTHM = 0;
    EXPECT_DOUBLE_EQ(cell.BeamPath(), 0.64 * c.First);
  }
}

}  // namespace
}  // namespace velt
