// The mouse on the signal view: the pixel geometry of both pictures, the
// drags of strobes, edges, cursor and TGV points, the hit and hover tests,
// and the setup picture's press, move, release and double click.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <config/ConfigObject3_26ver_Unit.h>
#include <config/ConfigObject5_01ver_Unit.h>
#include <records/UniversalDataObjectUnit.h>
#include <signal/SignalViewInteractionUnit.h>

namespace velt {
namespace {

constexpr TSignalViewParameters kSetup = kSetupPictureView;
constexpr TSignalViewParameters kOnline = kOnlinePictureView;
constexpr int kSurfaceWidth = 324;
constexpr int kSurfaceHeight = 241;

// Strobe 1 over columns 25..45 at 30 %, strobe 2 over 100..150 at 20 %, the
// cursor at 160, 10 µs per division of 32 columns (0.3125 µs per column),
// TGV points at 0, 20, 40 and 60 µs with gains 0, 10, 20 and 30 (heights
// 45, 90, 135 and 180), the TGV curve off.
//
// On the setup picture (V 1, x0 = y0 = 1) strobe 1 spans x 27..47 at y 156,
// strobe 2 x 102..152 at y 178, the cursor stands at x 161; TGV point 1 is
// at (66, 112), point 2 at (130, 57).
void Prepare(TBaseConfigCell& cell) {
  cell.Initialise();
  cell.SetDefaults(1);
  cell.PIXEL_GRID_LENGTH = 32;
  cell.INDEX_MARK_MKS = 3;
  cell.SCREEN_MODE = 1;
  cell.CURSOR_1_ENABLED = 0;
  cell.CURSOR_2_ENABLED = 0;
  cell.VCURSOR_ENABLED = 0;
  cell.TVG_ENABLED = 0;
  cell.SetStrobeBeginPixel(0, 25);
  cell.SetStrobeEndPixel(0, 45);
  cell.SetStrobeBeginPixel(1, 100);
  cell.SetStrobeEndPixel(1, 150);
  cell.STROBE_1_LEVEL_PERCENT = 30;
  cell.STROBE_2_LEVEL_PERCENT = 20;
  cell.SetCursorPixel(160);
  cell.TGV_NUMBER = 4;
  cell.TGV_POS = {};
  cell.TGV_GAIN = {};
  const std::uint16_t pos[] = {0, 20, 40, 60};
  const std::uint8_t gain[] = {0, 10, 20, 30};
  for (std::size_t i = 0; i < 4; ++i) {
    cell.TGV_POS[i] = pos[i];
    cell.TGV_GAIN[i] = gain[i];
  }
}

class SignalViewInteractionTest : public ::testing::Test {
 protected:
  SignalViewInteractionTest() {
    Prepare(Cell);
    Record.Refer(&Cell);
  }
  std::uint16_t Begin(std::uint8_t strobe) const { return Cell.StrobeBeginPixel(strobe); }
  std::uint16_t End(std::uint8_t strobe) const { return Cell.StrobeEndPixel(strobe); }

  T5_01ConfigCell Cell;
  TDataCell Record;
};

// ---- Geometry ------------------------------------------------------------------

TEST(SignalViewInteractionGeometry, PicturesHaveTheirScalesAndPositions) {
  EXPECT_EQ(kSetup.V, 1);
  EXPECT_DOUBLE_EQ(kSetup.E, 1.22);
  EXPECT_EQ(kSetup.X0, 1);
  EXPECT_EQ(kSetup.Y0, 1);
  EXPECT_EQ(kSetup.S(), 0);
  EXPECT_EQ(kOnline.V, 2);
  EXPECT_DOUBLE_EQ(kOnline.E, 2.44);
  EXPECT_EQ(kOnline.X0, 2);
  EXPECT_EQ(kOnline.Y0, 2);
  EXPECT_EQ(kOnline.S(), 1);
  EXPECT_EQ((TSignalViewParameters{3, 1.0, 0, 0}.S()), 0);
}

TEST(SignalViewInteractionGeometry, MouseXMapsToColumnsTruncatingTowardZero) {
  struct TCase {
    TSignalViewParameters View;
    int Mx;
    int Column;
  };
  const TCase cases[] = {
      {kSetup, 50, 48},
      {kSetup, 2, 0},
      {kSetup, 1, -1},
      {kSetup, 0, -2},
      {kOnline, 50, 22},
      {kOnline, 5, 0},
      {kOnline, 4, -1},
      // (2 - 3) div 2 is 0, not -1: the pixel left of the picture is column -1.
      {kOnline, 2, -1},
      {kOnline, 0, -2},
      {kOnline, 643, 319},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ColumnUnderMouse(c.View, c.Mx), c.Column) << "V " << c.View.V << " mx " << c.Mx;
  }
  EXPECT_EQ(ColumnX(kSetup, 48), 49);
  EXPECT_EQ(ColumnX(kOnline, 48), 99);
}

TEST_F(SignalViewInteractionTest, ObjectsLieAtTheirPixels) {
  EXPECT_EQ(StrobeBeginX(Cell, kSetup, 0), 27);
  EXPECT_EQ(StrobeEndX(Cell, kSetup, 0), 47);
  EXPECT_EQ(StrobeBeginX(Cell, kSetup, 1), 102);
  EXPECT_EQ(StrobeEndX(Cell, kOnline, 1), 305);
  EXPECT_EQ(StrobeLevelY(Cell, kSetup, 0), 156);
  EXPECT_EQ(StrobeLevelY(Cell, kSetup, 1), 178);
  EXPECT_EQ(StrobeLevelY(Cell, kOnline, 0), 312);
  EXPECT_EQ(CursorX(Cell, kSetup), 161);
  EXPECT_EQ(CursorX(Cell, kOnline), 323);
  // The column under a strobe's begin pixel is its begin column.
  EXPECT_EQ(ColumnUnderMouse(kSetup, StrobeBeginX(Cell, kSetup, 1)), 100);
  EXPECT_EQ(ColumnUnderMouse(kOnline, StrobeBeginX(Cell, kOnline, 1)), 100);
}

TEST_F(SignalViewInteractionTest, StrobeLevelRowDividesInIntegers) {
  struct TCase {
    std::uint16_t ScreenMode;
    std::uint8_t Level;
    int Y;
  };
  const TCase cases[] = {
      {1, 30, 156},
      // 180 * 99 div 100 = 178: row 179, not the exact 179.2 (y 220).
      {1, 1, 219},
      // 180 * -1 div 100 = 0 toward zero (row 1), not -2 (row -1).
      {1, 101, 1},
      {3, 30, 79},
  };
  for (const TCase& c : cases) {
    Cell.SCREEN_MODE = c.ScreenMode;
    Cell.STROBE_1_LEVEL_PERCENT = c.Level;
    EXPECT_EQ(StrobeLevelY(Cell, kSetup, 0), c.Y)
        << "mode " << c.ScreenMode << " level " << int{c.Level};
  }
}

// ---- Dragging strobes -------------------------------------------------------------

// The oldest layout keeps strobes as columns, the later ones as times.
class SignalViewInteractionStrobeDragTest : public ::testing::TestWithParam<bool> {
 protected:
  SignalViewInteractionStrobeDragTest() {
    if (GetParam()) {
      Cell = std::make_unique<T5_01ConfigCell>();
    } else {
      Cell = std::make_unique<T3_26ConfigCell>();
    }
    Prepare(*Cell);
  }
  std::uint16_t Begin(std::uint8_t strobe) const { return Cell->StrobeBeginPixel(strobe); }
  std::uint16_t End(std::uint8_t strobe) const { return Cell->StrobeEndPixel(strobe); }
  int PixelWidth(const TSignalViewParameters& view) const {
    return StrobeEndX(*Cell, view, 0) - StrobeBeginX(*Cell, view, 0);
  }

  std::unique_ptr<TBaseConfigCell> Cell;
};

INSTANTIATE_TEST_SUITE_P(Layouts, SignalViewInteractionStrobeDragTest,
                         ::testing::Values(false, true),
                         [](const auto& layout) { return layout.param ? "T5_01" : "T3_26"; });

TEST_P(SignalViewInteractionStrobeDragTest, BodyMovesSidewaysKeepingItsWidth) {
  // Grabbed 10 pixels right of its begin; my 0 lies above the picture.
  MoveStrobe(*Cell, kSetup, 0, 60, 0, 10);
  EXPECT_EQ(Begin(0), 47);
  EXPECT_EQ(End(0), 67);
  EXPECT_EQ(Cell->STROBE_1_LEVEL_PERCENT, 30);

  Prepare(*Cell);
  MoveStrobe(*Cell, kOnline, 0, 120, 0, 10);
  EXPECT_EQ(Begin(0), 52);
  EXPECT_EQ(End(0), 72);

  // Strobe 2 moves alone, with its level.
  Prepare(*Cell);
  MoveStrobe(*Cell, kSetup, 1, 120, 111, 5);
  EXPECT_EQ(Begin(1), 112);
  EXPECT_EQ(End(1), 162);
  EXPECT_EQ(Cell->STROBE_2_LEVEL_PERCENT, 50);
  EXPECT_EQ(Begin(0), 25);
  EXPECT_EQ(Cell->STROBE_1_LEVEL_PERCENT, 30);
}

TEST_P(SignalViewInteractionStrobeDragTest, DraggedPastTheLeftEdgeBeginsAtZeroWithItsWidth) {
  for (const int mx : {12, 13}) {
    Prepare(*Cell);
    MoveStrobe(*Cell, kSetup, 0, mx, 0, 10);
    EXPECT_EQ(Begin(0), 0) << mx;
    EXPECT_EQ(End(0), 20) << mx;
    EXPECT_EQ(PixelWidth(kSetup), 20) << mx;
  }
  Prepare(*Cell);
  MoveStrobe(*Cell, kOnline, 0, 15, 0, 10);
  EXPECT_EQ(Begin(0), 0);
  EXPECT_EQ(End(0), 20);
  EXPECT_EQ(PixelWidth(kOnline), 40);
}

TEST_P(SignalViewInteractionStrobeDragTest, NoSidewaysMoveWhenTheNewBeginIsNotRightOfTheSurface) {
  // b = 11 - 10 - 1 = 0: the strobe stays; the level still follows.
  MoveStrobe(*Cell, kSetup, 0, 11, 111, 10);
  EXPECT_EQ(Begin(0), 25);
  EXPECT_EQ(End(0), 45);
  EXPECT_EQ(Cell->STROBE_1_LEVEL_PERCENT, 50);
  // Left of the picture nothing moves at all.
  Prepare(*Cell);
  MoveStrobe(*Cell, kSetup, 0, 1, 111, 0);
  EXPECT_EQ(Begin(0), 25);
  EXPECT_EQ(Cell->STROBE_1_LEVEL_PERCENT, 30);
}

TEST_P(SignalViewInteractionStrobeDragTest, LevelFollowsTheMouseWithinTheSignalArea) {
  struct TCase {
    TSignalViewParameters View;
    std::uint16_t ScreenMode;
    int My;
    int Level;  // starting from 60
  };
  const TSignalViewParameters evenScale{1, 2.0, 0, 0};
  const TCase cases[] = {
      {kSetup, 1, 1, 60},  // above the picture: kept
      {kSetup, 1, 2, 97},  // the very top
      {kSetup, 1, 111, 50},
      {kSetup, 1, 156, 30},
      {kSetup, 1, 220, 3},   // the very bottom
      {kSetup, 1, 221, 60},  // below the area: kept
      {kSetup, 3, 60, 47},   // split view: half the height
      {kSetup, 3, 111, 3},
      {kSetup, 3, 112, 60},
      // The upper limit is e, not y0 + e: 3 lies below 2.44.
      {kOnline, 1, 3, 97},
      {kOnline, 1, 2, 60},
      {kOnline, 1, 441, 3},
      {kOnline, 1, 442, 60},
      // 92.5 and 87.5: halves go to the even neighbour.
      {evenScale, 1, 29, 92},
      {evenScale, 1, 47, 88},
  };
  for (const TCase& c : cases) {
    Prepare(*Cell);
    Cell->SCREEN_MODE = c.ScreenMode;
    Cell->STROBE_1_LEVEL_PERCENT = 60;
    MoveStrobe(*Cell, c.View, 0, 40, c.My, 100);
    EXPECT_EQ(Cell->STROBE_1_LEVEL_PERCENT, c.Level)
        << "V " << c.View.V << " mode " << c.ScreenMode << " my " << c.My;
  }
}

TEST_P(SignalViewInteractionStrobeDragTest, EdgesFollowTheMouseWithoutPassingEachOther) {
  struct TCase {
    TSignalViewParameters View;
    std::uint8_t Edge;
    int Mx;
    std::uint16_t Begin;
    std::uint16_t End;
  };
  const TCase cases[] = {
      {kSetup, kBeginEdge, 20, 18, 45},
      {kSetup, kBeginEdge, 46, 44, 45},
      {kSetup, kBeginEdge, 47, 25, 45},  // at the end's pixel
      {kSetup, kBeginEdge, 60, 25, 45},
      {kSetup, kBeginEdge, 2, 25, 45},  // mx - 1 is not right of x0
      {kSetup, kBeginEdge, 3, 1, 45},
      {kSetup, kEndEdge, 28, 25, 26},
      {kSetup, kEndEdge, 27, 25, 45},  // at the begin's pixel
      {kSetup, kEndEdge, 10, 25, 45},
      {kSetup, kEndEdge, 321, 25, 319},
      {kSetup, kEndEdge, 322, 25, 45},  // right of the picture
      {kSetup, 0, 30, 25, 45},          // not an edge
      {kOnline, kEndEdge, 643, 25, 319},
      {kOnline, kEndEdge, 644, 25, 45},
      {kOnline, kBeginEdge, 4, 25, 45},
      {kOnline, kBeginEdge, 5, 0, 45},
  };
  for (const TCase& c : cases) {
    Prepare(*Cell);
    MoveStrobeEdge(*Cell, c.View, 0, c.Edge, c.Mx);
    EXPECT_EQ(Begin(0), c.Begin) << "V " << c.View.V << " edge " << int{c.Edge} << " mx " << c.Mx;
    EXPECT_EQ(End(0), c.End) << "V " << c.View.V << " edge " << int{c.Edge} << " mx " << c.Mx;
    EXPECT_EQ(Begin(1), 100);
    EXPECT_EQ(End(1), 150);
  }

  // Dragged toward each other and back, the edges stay one column apart.
  Prepare(*Cell);
  for (int mx = 20; mx <= 70; ++mx) {
    MoveStrobeEdge(*Cell, kSetup, 0, kBeginEdge, mx);
  }
  EXPECT_EQ(Begin(0), 44);
  for (int mx = 70; mx >= 10; --mx) {
    MoveStrobeEdge(*Cell, kSetup, 0, kEndEdge, mx);
  }
  EXPECT_EQ(Begin(0), 44);
  EXPECT_EQ(End(0), 45);
  for (int mx = 70; mx >= 10; --mx) {
    MoveStrobeEdge(*Cell, kSetup, 1, kBeginEdge, mx);
  }
  EXPECT_EQ(Begin(1), 8);
  EXPECT_EQ(End(1), 150);
}

// ---- Cursor and TGV points ----------------------------------------------------------

TEST_F(SignalViewInteractionTest, CursorFollowsTheMouseRightOfTheFirstColumn) {
  struct TCase {
    TSignalViewParameters View;
    int Mx;
    std::uint16_t Cursor;
  };
  const TCase cases[] = {
      {kSetup, 1, 160},  {kSetup, 2, 1},  {kSetup, 100, 99},  {kSetup, 500, 319},
      {kOnline, 4, 160}, {kOnline, 5, 1}, {kOnline, 100, 48},
  };
  for (const TCase& c : cases) {
    Cell.SetCursorPixel(160);
    MoveCursor(Cell, c.View, c.Mx);
    EXPECT_EQ(Cell.CURSOR_POSITION, c.Cursor) << "V " << c.View.V << " mx " << c.Mx;
  }
}

TEST_F(SignalViewInteractionTest, TgvPointTakesTheRoundedHeightUnderTheMouse) {
  struct TCase {
    TSignalViewParameters View;
    std::uint16_t ScreenMode;
    int My;
    std::uint8_t Gain;  // from 10
  };
  const TCase cases[] = {
      {kSetup, 1, 54, 21},  // height 137.56 gives 138 (gain 20.67), not 137 (20.22)
      {kSetup, 1, 2, 10},   // above the area
      {kSetup, 1, 3, 30},   {kSetup, 1, 221, 0}, {kSetup, 1, 222, 10},  // below the area
      {kSetup, 1, 30, 25},  {kSetup, 3, 30, 20},  // split view: height 67 of 90
      {kSetup, 3, 113, 10}, {kOnline, 1, 3, 10}, {kOnline, 1, 5, 30},
  };
  for (const TCase& c : cases) {
    Cell.SCREEN_MODE = c.ScreenMode;
    Cell.TGV_GAIN[1] = 10;
    MoveTgvPoint(Cell, c.View, 1, c.My);
    EXPECT_EQ(Cell.TGV_GAIN[1], c.Gain)
        << "V " << c.View.V << " mode " << c.ScreenMode << " my " << c.My;
  }
  const auto gains = Cell.TGV_GAIN;
  MoveTgvPoint(Cell, kSetup, kNoTgvPoint, 100);
  EXPECT_EQ(Cell.TGV_GAIN, gains);
}

TEST_F(SignalViewInteractionTest, TgvPointHitWithinFourColumnsAndFourRows) {
  struct TCase {
    TSignalViewParameters View;
    int Mx;
    int My;
    std::uint16_t Point;
  };
  const TCase cases[] = {
      {kSetup, 66, 112, 1},
      {kSetup, 130, 57, 2},
      {kOnline, 133, 224, 1},
      // 1.25 µs either side
      {kSetup, 62, 112, 1},
      {kSetup, 61, 112, kNoTgvPoint},
      {kSetup, 70, 112, 1},
      {kSetup, 71, 112, kNoTgvPoint},
      // height 86.7 and 93.3 are near 90, 85.9 and 94.1 are not
      {kSetup, 66, 116, 1},
      {kSetup, 66, 117, kNoTgvPoint},
      {kSetup, 66, 108, 1},
      {kSetup, 66, 107, kNoTgvPoint},
      // point 3 at the top: my 2 lies above y0 + e although its height is near
      {kSetup, 194, 3, 3},
      {kSetup, 194, 2, kNoTgvPoint},
      // point 0
      {kSetup, 2, 167, kNoTgvPoint},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TgvPointHit(Cell, c.View, c.Mx, c.My), c.Point)
        << "V " << c.View.V << " at " << c.Mx << ", " << c.My;
  }

  // The same spot finds a point other than point 0.
  Cell.TGV_POS[0] = 100;
  Cell.TGV_POS[1] = 0;
  Cell.TGV_GAIN[1] = 0;
  EXPECT_EQ(TgvPointHit(Cell, kSetup, 2, 167), 1);

  // The right edge: point 3 at column 320.
  Prepare(Cell);
  Cell.TGV_POS[3] = 100;
  EXPECT_EQ(TgvPointHit(Cell, kSetup, 321, 3), 3);
  EXPECT_EQ(TgvPointHit(Cell, kSetup, 322, 3), kNoTgvPoint);

  // Only the first point near in time is looked at: point 2 at 21 µs and
  // height 180 hides behind point 1 at 20 µs and height 90.
  Prepare(Cell);
  Cell.TGV_POS[2] = 21;
  Cell.TGV_GAIN[2] = 30;
  EXPECT_EQ(TgvPointHit(Cell, kSetup, 69, 3), kNoTgvPoint);
  EXPECT_EQ(TgvPointHit(Cell, kSetup, 69, 112), 1);
}

TEST_F(SignalViewInteractionTest, TgvPointsAreFoundInTheFullViewOnly) {
  struct TCase {
    std::uint16_t ScreenMode;
    int My;  // on point 1's height in that mode
    std::uint16_t Point;
  };
  const TCase cases[] = {
      {1, 112, 1},           {2, 112, 1},
      {5, 112, 1},           {3, 167, kNoTgvPoint},  // height 45 there
      {4, 112, kNoTgvPoint}, {0, 112, kNoTgvPoint},
  };
  for (const TCase& c : cases) {
    Cell.SCREEN_MODE = c.ScreenMode;
    EXPECT_EQ(TgvPointHit(Cell, kSetup, 66, c.My), c.Point) << "mode " << c.ScreenMode;
  }
  Cell.SCREEN_MODE = 1;
  Cell.PIXEL_GRID_LENGTH = 0;
  EXPECT_EQ(TgvPointHit(Cell, kSetup, 66, 112), kNoTgvPoint);
}

TEST_F(SignalViewInteractionTest, TgvCurveHitGivesTheRoundedTimeNearTheLine) {
  struct TCase {
    TSignalViewParameters View;
    int Mx;
    int My;
    std::uint16_t Time;
  };
  // At 10 µs the line from point 0 (row 166) to point 1 (row 111) is at 138.5.
  const TCase cases[] = {
      {kSetup, 34, 140, 10},
      {kSetup, 34, 136, 10},
      {kSetup, 34, 135, kNoTgvPoint},
      {kSetup, 34, 143, 10},
      {kSetup, 34, 144, kNoTgvPoint},
      {kSetup, 35, 140, 10},
      {kSetup, 36, 140, 11},  // 10.3125 and 10.625
      {kSetup, 2, 167, 0},
      {kSetup, 1, 167, kNoTgvPoint},
      {kSetup, 193, 3, 60},           // 59.69 µs, before the last point
      {kSetup, 194, 3, kNoTgvPoint},  // at the last point: no point after it
      {kSetup, 193, 2, kNoTgvPoint},  // near the line, above y0 + e
      {kOnline, 69, 279, 10},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TgvCurveHit(Cell, c.View, c.Mx, c.My), c.Time)
        << "V " << c.View.V << " at " << c.Mx << ", " << c.My;
  }
}

TEST_F(SignalViewInteractionTest, TgvCurveIsFoundAboveTheSignalAreasBottomOnly) {
  // Before point 0 the line runs on, steeply down toward the bottom: at
  // 26.5625 µs it stands at row 222.7.
  Cell.TGV_POS[0] = 30;
  Cell.TGV_POS[1] = 40;
  Cell.TGV_GAIN[0] = 0;
  Cell.TGV_GAIN[1] = 30;
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 87, 221), 27);
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 87, 223), kNoTgvPoint);
}

TEST_F(SignalViewInteractionTest, TgvCurveHitRoundsHalvesToEven) {
  Cell.INDEX_MARK_MKS = 2;  // 5 µs per division, 0.15625 µs per column
  Cell.TGV_GAIN = {};
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 18, 167), 2);  // 2.5 µs
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 50, 167), 8);  // 7.5 µs
}

TEST_F(SignalViewInteractionTest, TgvCurveIsNotFoundInTheSplitView) {
  Cell.SCREEN_MODE = 4;
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 34, 140), 10);
  // In the split view the line at 10 µs runs at row 70.
  Cell.SCREEN_MODE = 3;
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 34, 71), kNoTgvPoint);
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 34, 140), kNoTgvPoint);
  Cell.SCREEN_MODE = 1;
  Cell.PIXEL_GRID_LENGTH = 0;
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 34, 140), kNoTgvPoint);
}

TEST_F(SignalViewInteractionTest, TgvCurveWithTwoPointsAtOneTimeIsFoundOnlyOnItsRow) {
  Cell.TGV_POS[0] = 30;
  Cell.TGV_POS[1] = 30;
  Cell.TGV_GAIN = {};
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 34, 167), 10);
  EXPECT_EQ(TgvCurveHit(Cell, kSetup, 34, 20), kNoTgvPoint);
}

// ---- Hover ---------------------------------------------------------------------------

TEST_F(SignalViewInteractionTest, HoverFindsObjectsInOrder) {
  Cell.TVG_ENABLED = 1;
  struct TCase {
    int Mx;
    int My;
    std::uint8_t Object;
  };
  const TCase cases[] = {
      {37, 156, kStrobe1Body},
      {37, 158, kStrobe1Body},
      {37, 154, kStrobe1Body},
      {37, 159, kNothingObject},
      {25, 156, kStrobe1BeginEdge},
      {29, 156, kStrobe1BeginEdge},
      // the pixel between the begin edge's reach and the body
      {30, 156, kStrobe1EndEdge},
      {31, 156, kStrobe1Body},
      {43, 156, kStrobe1Body},
      {44, 156, kStrobe1EndEdge},
      {49, 156, kStrobe1EndEdge},
      {24, 156, kNothingObject},
      {50, 156, kNothingObject},
      {120, 178, kStrobe2Body},
      {102, 178, kStrobe2BeginEdge},
      {150, 178, kStrobe2EndEdge},
      {161, 100, kCursorLine},
      {159, 100, kCursorLine},
      {163, 100, kCursorLine},
      {164, 100, kNothingObject},
      {158, 100, kNothingObject},
      // point 1 lies on the curve too
      {66, 112, kTgvPointObject},
      {130, 57, kTgvPointObject},
      {34, 140, kTgvCurveObject},
      {34, 100, kNothingObject},
  };
  for (const TCase& c : cases) {
    Record.HoverObject = 200;
    const auto shape = HoverTest(Record, kSetup, c.Mx, c.My);
    EXPECT_EQ(int{Record.HoverObject}, int{c.Object}) << "at " << c.Mx << ", " << c.My;
    ASSERT_TRUE(shape.has_value());
    EXPECT_EQ(*shape, CursorShapeOf(c.Object));
  }

  HoverTest(Record, kSetup, 130, 57);
  EXPECT_EQ(Record.TgvPointUnderMouse, 2);
  HoverTest(Record, kSetup, 36, 140);
  EXPECT_EQ(Record.TgvPositionUnderMouse, 11);

  // The online picture's own geometry.
  HoverTest(Record, kOnline, 75, 312);
  EXPECT_EQ(Record.HoverObject, kStrobe1Body);
  HoverTest(Record, kOnline, 133, 224);
  EXPECT_EQ(Record.HoverObject, kTgvPointObject);
  HoverTest(Record, kOnline, 37, 156);
  EXPECT_EQ(Record.HoverObject, kNothingObject);
}

TEST_F(SignalViewInteractionTest, EarlierHoverTestsWinAndSwitchesTurnTestsOff) {
  const auto hoverAt = [this](int mx, int my) {
    HoverTest(Record, kSetup, mx, my);
    return int{Record.HoverObject};
  };
  // Strobe 2 where strobe 1 is.
  Cell.SetStrobeBeginPixel(1, 25);
  Cell.SetStrobeEndPixel(1, 45);
  Cell.STROBE_2_LEVEL_PERCENT = 30;
  EXPECT_EQ(hoverAt(37, 156), kStrobe1Body);
  Cell.CURSOR_1_ENABLED = 1;
  EXPECT_EQ(hoverAt(37, 156), kStrobe2Body);
  Cell.CURSOR_2_ENABLED = 1;
  EXPECT_EQ(hoverAt(37, 156), kNothingObject);

  // The cursor inside strobe 1, and on TGV point 1.
  Prepare(Cell);
  Cell.TVG_ENABLED = 1;
  Cell.SetCursorPixel(36);
  EXPECT_EQ(hoverAt(37, 156), kStrobe1Body);
  EXPECT_EQ(hoverAt(37, 100), kCursorLine);
  Cell.SetCursorPixel(65);
  EXPECT_EQ(hoverAt(66, 112), kCursorLine);
  Cell.VCURSOR_ENABLED = 1;
  EXPECT_EQ(hoverAt(66, 112), kTgvPointObject);

  // TGV off or DGS: no point, no curve.
  for (const std::uint8_t mode : {0, 2}) {
    Cell.TVG_ENABLED = mode;
    EXPECT_EQ(hoverAt(66, 112), kNothingObject);
    EXPECT_EQ(hoverAt(34, 140), kNothingObject);
  }

  // Split view: the strobe sits higher, no TGV point or curve.
  Cell.TVG_ENABLED = 1;
  Cell.SCREEN_MODE = 3;
  EXPECT_EQ(hoverAt(37, 79), kStrobe1Body);
  EXPECT_EQ(hoverAt(66, 167), kNothingObject);
  EXPECT_EQ(hoverAt(34, 71), kNothingObject);
}

TEST_F(SignalViewInteractionTest, HoverWithoutAConfigurationChangesNothing) {
  TDataCell empty;
  empty.HoverObject = kStrobe2Body;
  EXPECT_FALSE(HoverTest(empty, kSetup, 37, 156).has_value());
  EXPECT_EQ(empty.HoverObject, kStrobe2Body);
}

TEST(SignalViewInteractionCursorShapes, EachObjectHasItsShape) {
  EXPECT_EQ(CursorShapeOf(kStrobe1Body), TMouseCursorShape::SizeAll);
  EXPECT_EQ(CursorShapeOf(kStrobe2Body), TMouseCursorShape::SizeAll);
  for (const std::uint8_t code :
       {kStrobe1BeginEdge, kStrobe2BeginEdge, kStrobe1EndEdge, kStrobe2EndEdge, kCursorLine}) {
    EXPECT_EQ(CursorShapeOf(code), TMouseCursorShape::HorizontalSplit) << int{code};
  }
  EXPECT_EQ(CursorShapeOf(kTgvPointObject), TMouseCursorShape::VerticalSplit);
  EXPECT_EQ(CursorShapeOf(kTgvCurveObject), TMouseCursorShape::Hand);
  EXPECT_EQ(CursorShapeOf(kNothingObject), TMouseCursorShape::Default);
}

TEST_F(SignalViewInteractionTest, ResetLeavesNothingHoveredOrGrabbed) {
  Record.HoverObject = kTgvPointObject;
  Record.GrabbedObject = kStrobe1Body;
  ResetDragState(Record);
  EXPECT_EQ(Record.HoverObject, kNoObject);
  EXPECT_EQ(Record.GrabbedObject, kNoObject);
}

// ---- The setup picture's mouse ----------------------------------------------------------

class TRecordingHost : public ISetupPictureHost {
 public:
  TDataCell* DrawingRecord() override { return Record; }
  bool HasCurrentConfiguration() const override { return HasCurrent; }
  void WriteWorkingConfiguration() override {
    Log.push_back("write");
    WrittenTgvNumbers.push_back(Record->Configuration()->TGV_NUMBER);
  }
  void MarkChanged() override { Log.push_back("mark"); }
  void Redraw() override { Log.push_back("redraw"); }
  void RefreshConditionsAndResults() override { Log.push_back("conditions"); }
  void RefreshResultGrid() override { Log.push_back("results"); }
  void SetCursorShape(TMouseCursorShape shape) override { Shapes.push_back(shape); }

  TDataCell* Record = nullptr;
  bool HasCurrent = true;
  std::vector<std::string> Log;
  std::vector<std::uint16_t> WrittenTgvNumbers;
  std::vector<TMouseCursorShape> Shapes;
};

using TLog = std::vector<std::string>;

class SignalViewInteractionMouseTest : public SignalViewInteractionTest {
 protected:
  SignalViewInteractionMouseTest() : Mouse(Host) { Host.Record = &Record; }
  void Move(int x, int y) { Mouse.MouseMove(x, y, kSurfaceWidth, kSurfaceHeight); }

  TRecordingHost Host;
  TSetupPictureMouse Mouse;
};

TEST_F(SignalViewInteractionMouseTest, StrobeDragWritesOnceAtRelease) {
  Move(37, 156);
  EXPECT_EQ(Record.HoverObject, kStrobe1Body);
  EXPECT_EQ(Host.Shapes, std::vector{TMouseCursorShape::SizeAll});
  EXPECT_TRUE(Host.Log.empty());

  Mouse.MouseDown(37, 156);
  EXPECT_EQ(Record.GrabbedObject, kStrobe1Body);
  EXPECT_EQ(Record.GrabOffset, 10);
  Move(60, 156);
  EXPECT_EQ(Begin(0), 47);
  EXPECT_EQ(End(0), 67);
  Move(60, 156);  // not moved
  Move(61, 111);
  EXPECT_EQ(Begin(0), 48);
  EXPECT_EQ(Cell.STROBE_1_LEVEL_PERCENT, 50);
  EXPECT_EQ(Host.Log, (TLog{"redraw", "conditions", "redraw", "conditions"}));
  EXPECT_EQ(Mouse.LastX(), 61);
  EXPECT_EQ(Mouse.LastY(), 111);

  Mouse.MouseUp();
  EXPECT_EQ(Host.Log, (TLog{"redraw", "conditions", "redraw", "conditions", "mark", "write"}));
  EXPECT_EQ(Record.GrabbedObject, kNoObject);
  Mouse.MouseUp();
  EXPECT_EQ(Host.Log.size(), 6u);
}

TEST_F(SignalViewInteractionMouseTest, LeavingThePictureWhileDraggingCommits) {
  struct TCase {
    int X;
    int Y;
    bool Outside;
  };
  const TCase cases[] = {
      {-1, 100, true},  {100, -1, true},   {325, 100, true},
      {100, 242, true}, {324, 241, false},  // the last pixel is still inside
  };
  for (const TCase& c : cases) {
    Prepare(Cell);
    Host.Log.clear();
    Host.Shapes.clear();
    Move(37, 156);
    Mouse.MouseDown(37, 156);
    Move(c.X, c.Y);
    if (c.Outside) {
      EXPECT_EQ(Host.Log, (TLog{"mark", "write"})) << c.X << ", " << c.Y;
      EXPECT_EQ(Host.Shapes.back(), TMouseCursorShape::Default);
      EXPECT_EQ(Record.HoverObject, kNoObject);
      EXPECT_EQ(Record.GrabbedObject, kNoObject);
      Mouse.MouseUp();
      EXPECT_EQ(Host.Log.size(), 2u);
    } else {
      EXPECT_EQ(Host.Log, (TLog{"redraw", "conditions"})) << c.X << ", " << c.Y;
      EXPECT_EQ(Record.GrabbedObject, kStrobe1Body);
      Mouse.MouseUp();
    }
  }
}

TEST_F(SignalViewInteractionMouseTest, LeavingThePictureWithoutADragWritesNothing) {
  Move(37, 156);
  Move(-1, 156);
  EXPECT_TRUE(Host.Log.empty());
  EXPECT_EQ(Host.Shapes.size(), 1u);
  EXPECT_EQ(Record.HoverObject, kStrobe1Body);
  EXPECT_EQ(Record.GrabbedObject, kNoObject);
}

TEST_F(SignalViewInteractionMouseTest, EdgeCursorAndTgvPointDrags) {
  // The end edge of strobe 2 moves that edge alone.
  Move(150, 178);
  EXPECT_EQ(Host.Shapes.back(), TMouseCursorShape::HorizontalSplit);
  Mouse.MouseDown(150, 178);
  Move(170, 178);
  Mouse.MouseUp();
  EXPECT_EQ(Begin(1), 100);
  EXPECT_EQ(End(1), 168);
  EXPECT_EQ(Host.Log, (TLog{"redraw", "conditions", "mark", "write"}));

  // The cursor follows x only and refreshes the result grid.
  Host.Log.clear();
  Move(161, 100);
  EXPECT_EQ(Record.HoverObject, kCursorLine);
  Mouse.MouseDown(161, 100);
  Move(161, 120);
  EXPECT_EQ(Cell.CURSOR_POSITION, 160);
  Move(100, 120);
  EXPECT_EQ(Cell.CURSOR_POSITION, 99);
  Mouse.MouseUp();
  EXPECT_EQ(Host.Log, (TLog{"redraw", "results", "mark", "write"}));

  // A TGV point follows y only.
  Host.Log.clear();
  Cell.TVG_ENABLED = 1;
  Move(130, 57);
  EXPECT_EQ(Host.Shapes.back(), TMouseCursorShape::VerticalSplit);
  Mouse.MouseDown(130, 57);
  Move(135, 57);
  EXPECT_EQ(Cell.TGV_GAIN[2], 20);
  Move(135, 3);
  EXPECT_EQ(Cell.TGV_GAIN[2], 30);
  Mouse.MouseUp();
  EXPECT_EQ(Host.Log, (TLog{"redraw", "mark", "write"}));
}

TEST_F(SignalViewInteractionMouseTest, DoubleClickOnAPointDeletesItAndTheReleaseSendsIt) {
  Cell.TVG_ENABLED = 1;
  Move(130, 57);
  ASSERT_EQ(Record.TgvPointUnderMouse, 2);
  Mouse.MouseDown(130, 57);
  Mouse.MouseUp();
  Mouse.MouseDown(130, 57);
  Mouse.DoubleClick();
  EXPECT_EQ(Cell.TGV_NUMBER, 3);
  EXPECT_EQ(Cell.TGV_POS[2], 60);
  // A jitter before the release moves no other point into its place.
  const auto gains = Cell.TGV_GAIN;
  Move(130, 40);
  EXPECT_EQ(Cell.TGV_GAIN, gains);
  Mouse.MouseUp();
  EXPECT_EQ(Host.Log, (TLog{"mark", "write", "redraw", "mark", "redraw", "mark", "write"}));
  EXPECT_EQ(Host.WrittenTgvNumbers, (std::vector<std::uint16_t>{4, 3}));
}

TEST_F(SignalViewInteractionMouseTest, DoubleClickOnTheCurveInsertsAPoint) {
  Cell.TVG_ENABLED = 1;
  Move(34, 140);
  ASSERT_EQ(Record.HoverObject, kTgvCurveObject);
  Mouse.MouseDown(34, 140);
  Mouse.DoubleClick();
  Mouse.MouseUp();
  EXPECT_EQ(Cell.TGV_NUMBER, 5);
  EXPECT_EQ(Cell.TGV_POS[1], 10);
  EXPECT_EQ(Cell.TGV_POS[2], 20);
  EXPECT_EQ(Host.Log, (TLog{"redraw", "mark", "mark", "write"}));
  EXPECT_EQ(Host.WrittenTgvNumbers, (std::vector<std::uint16_t>{5}));

  // Elsewhere a double click does nothing.
  Host.Log.clear();
  Move(37, 156);
  Mouse.DoubleClick();
  EXPECT_EQ(Cell.TGV_NUMBER, 5);
  EXPECT_TRUE(Host.Log.empty());
}

// Strobe 1's body and end edge, the cursor and TGV point 2, grabbed and
// dragged; the release never comes, or another button is pressed: the
// configuration is as before the press and nothing is sent or marked.
TEST_F(SignalViewInteractionMouseTest, OnlyTheLeftButtonDragsAndALostReleaseUndoesTheDrag) {
  struct TCase {
    int X, Y;  // the object
    int ToX, ToY;
    std::uint8_t Object;
  };
  const TCase objects[] = {{37, 156, 70, 120, kStrobe1Body},
                           {47, 156, 90, 156, kStrobe1EndEdge},
                           {161, 100, 200, 100, kCursorLine},
                           {130, 57, 130, 20, kTgvPointObject}};
  enum class TEnd { RightPress, Lost, MoveWithoutButton };
  for (const TCase& c : objects) {
    for (const TEnd end : {TEnd::RightPress, TEnd::Lost, TEnd::MoveWithoutButton}) {
      Prepare(Cell);
      Cell.TVG_ENABLED = 1;
      const TBaseConfigCell& fields = Cell;
      const auto columns = [&fields] {
        return std::vector<int>{fields.StrobeBeginPixel(0), fields.StrobeEndPixel(0),
                                fields.STROBE_1_LEVEL_PERCENT, fields.CursorPixel(),
                                fields.TGV_GAIN[2]};
      };
      const std::vector<int> before = columns();
      Move(c.X, c.Y);
      ASSERT_EQ(Record.HoverObject, c.Object);
      Mouse.MouseDown(c.X, c.Y);
      Move(c.ToX, c.ToY);
      ASSERT_NE(columns(), before) << int(c.Object);
      Host.Log.clear();
      switch (end) {
        case TEnd::RightPress:
          Mouse.MouseDown(c.ToX, c.ToY, TMouseButton::Other);
          Mouse.MouseUp(TMouseButton::Other);
          break;
        case TEnd::Lost:
          Mouse.ReleaseLost();
          break;
        case TEnd::MoveWithoutButton:
          Mouse.MouseMove(c.ToX + 3, c.ToY, kSurfaceWidth, kSurfaceHeight, false);
          break;
      }
      const std::string what = std::to_string(c.Object) + " " + std::to_string(int(end));
      EXPECT_EQ(columns(), before) << what;
      EXPECT_EQ(Record.GrabbedObject, kNoObject) << what;
      EXPECT_EQ(Host.Log, (TLog{"redraw", "conditions"})) << what;  // shown as it is again
      // The mouse follows nothing any more, and the next click sends nothing.
      Host.Log.clear();
      Mouse.MouseMove(5, 5, kSurfaceWidth, kSurfaceHeight, false);
      Mouse.MouseDown(5, 5);
      Mouse.MouseUp();
      EXPECT_EQ(columns(), before) << what;
      EXPECT_TRUE(Host.Log.empty()) << what;
    }
  }
  // A right press on an object grabs nothing; a right double click edits nothing.
  Prepare(Cell);
  Host.Log.clear();
  Move(37, 156);
  Mouse.MouseDown(37, 156, TMouseButton::Other);
  EXPECT_EQ(Record.GrabbedObject, kNoObject);
  Move(70, 156);
  Mouse.MouseUp(TMouseButton::Other);
  Mouse.MouseUp();
  Cell.TVG_ENABLED = 1;
  Move(130, 57);
  Mouse.DoubleClick(TMouseButton::Other);
  EXPECT_EQ(Begin(0), 25);
  EXPECT_EQ(Cell.TGV_NUMBER, 4);
  EXPECT_TRUE(Host.Log.empty());
}

TEST_F(SignalViewInteractionMouseTest, NothingHappensWithoutAConfigurationToWorkOn) {
  Cell.TVG_ENABLED = 1;
  Record.HoverObject = kTgvPointObject;
  Record.TgvPointUnderMouse = 2;
  const auto act = [this] {
    Move(37, 156);
    Mouse.MouseDown(37, 156);
    Move(60, 156);
    Move(-1, 156);
    Mouse.MouseUp();
    Mouse.DoubleClick();
  };
  Host.HasCurrent = false;
  act();
  TDataCell bare;
  bare.HoverObject = kTgvPointObject;
  Host.HasCurrent = true;
  Host.Record = &bare;
  act();
  Host.Record = nullptr;
  act();
  EXPECT_TRUE(Host.Log.empty());
  EXPECT_TRUE(Host.Shapes.empty());
  EXPECT_EQ(Record.HoverObject, kTgvPointObject);
  EXPECT_EQ(Record.GrabbedObject, kNoObject);
  EXPECT_EQ(Begin(0), 25);
  EXPECT_EQ(Cell.TGV_NUMBER, 4);
}

}  // namespace
}  // namespace velt
