#include <signal/SignalViewInteractionUnit.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <config/Rounding.h>

namespace velt {
namespace {

constexpr int kSplitScreenMode = 3;
constexpr std::uint8_t kTgvMode = 1;  // TVG_ENABLED
constexpr int kPictureColumns = 321;  // the mouse maps to columns below this
constexpr int kFullRows = 181;        // rows of the full view's signal area, from the top
constexpr int kStrobeReach = 3;       // pixels around a strobe that catch the mouse
constexpr int kCursorReach = 2;
constexpr double kTgvReachColumns = 4;
constexpr double kTgvReachRows = 4;
constexpr int kLowestLevel = 3;
constexpr int kHighestLevel = 97;

bool IsFullView(const TBaseConfigCell& cell) {
  return cell.SCREEN_MODE == 1 || cell.SCREEN_MODE == 2 || cell.SCREEN_MODE == 5;
}

// A column as the cell stores it: the mouse cannot give more than the
// field holds, and a strobe whose end lies before its begin must not turn
// into a column far right.
std::uint16_t StoredColumn(int column) {
  return static_cast<std::uint16_t>(std::clamp(column, 0, 0xFFFF));
}

// The time axis in µs per column; without pixels per division there is none.
std::optional<double> MicrosecondsPerColumn(const TBaseConfigCell& cell) {
  if (cell.PIXEL_GRID_LENGTH == 0) {
    return std::nullopt;
  }
  return cell.TimePerDivision() / cell.PIXEL_GRID_LENGTH;
}

// The points the TGV curve has, at most the 32 the cell holds.
std::size_t TgvPointCount(const TBaseConfigCell& cell) {
  return std::min<std::size_t>(cell.TGV_NUMBER, kTgvPoints);
}

// Whether the mouse x lies over the columns the TGV tests look at.
bool OverTgvColumns(const TSignalViewParameters& view, int mx) {
  const int left = view.X0 + view.V + view.S();
  return mx >= left && mx < view.X0 + kPictureColumns * view.V + view.S();
}

// Strobe 1 or 2 by its code: body, begin edge and end edge.
std::optional<std::uint8_t> StrobeHover(const TBaseConfigCell& cell,
                                        const TSignalViewParameters& view, std::uint8_t strobe,
                                        int mx, int my) {
  const int bx = StrobeBeginX(cell, view, strobe);
  const int ex = StrobeEndX(cell, view, strobe);
  const int ly = StrobeLevelY(cell, view, strobe);
  if (!(bx - kStrobeReach < mx && mx < ex + kStrobeReach && std::abs(my - ly) < kStrobeReach)) {
    return std::nullopt;
  }
  const std::uint8_t bit = strobe == 0 ? 0 : 1;
  if (bx + kStrobeReach < mx && mx < ex - kStrobeReach) {
    return bit;
  }
  // (The one pixel at bx + 3 is neither the body nor the begin edge: it
  // counts as the end edge.)
  if (bx - kStrobeReach < mx && mx < bx + kStrobeReach) {
    return static_cast<std::uint8_t>(kBeginEdge | bit);
  }
  return static_cast<std::uint8_t>(kEndEdge | bit);
}

}  // namespace

TMouseCursorShape CursorShapeOf(std::uint8_t object) {
  switch (object) {
    case kStrobe1Body:
    case kStrobe2Body:
      return TMouseCursorShape::SizeAll;
    case kStrobe1BeginEdge:
    case kStrobe2BeginEdge:
    case kStrobe1EndEdge:
    case kStrobe2EndEdge:
    case kCursorLine:
      return TMouseCursorShape::HorizontalSplit;
    case kTgvPointObject:
      return TMouseCursorShape::VerticalSplit;
    case kTgvCurveObject:
      return TMouseCursorShape::Hand;
    default:
      return TMouseCursorShape::Default;
  }
}

int SignalAreaHeight(const TBaseConfigCell& cell) {
  return cell.SCREEN_MODE == kSplitScreenMode ? 90 : 180;
}

// ---- Pixel positions ----------------------------------------------------------

int ColumnX(const TSignalViewParameters& view, int column) {
  return view.V * column + view.S() + view.X0;
}

int ColumnUnderMouse(const TSignalViewParameters& view, int mx) {
  // Integer division truncates toward zero, so the pixels just left of the
  // picture still give column -1.
  return (mx - view.X0 - view.S()) / view.V - 1;
}

int StrobeBeginX(const TBaseConfigCell& cell, const TSignalViewParameters& view,
                 std::uint8_t strobe) {
  return ColumnX(view, cell.StrobeBeginPixel(strobe) + 1);
}

int StrobeEndX(const TBaseConfigCell& cell, const TSignalViewParameters& view,
               std::uint8_t strobe) {
  return ColumnX(view, cell.StrobeEndPixel(strobe) + 1);
}

int StrobeLevelY(const TBaseConfigCell& cell, const TSignalViewParameters& view,
                 std::uint8_t strobe) {
  const int level = strobe == 0 ? cell.STROBE_1_LEVEL_PERCENT : cell.STROBE_2_LEVEL_PERCENT;
  const int row = SignalAreaHeight(cell) * (100 - level) / 100 + 1;
  return RndTo<int>(view.Y0 + view.E * row);
}

int CursorX(const TBaseConfigCell& cell, const TSignalViewParameters& view) {
  return view.V * cell.CursorPixel() + view.S() + view.X0;
}

// ---- Dragging -------------------------------------------------------------------

void MoveStrobe(TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint8_t strobe,
                int mx, int my, int grabOffset) {
  if (ColumnUnderMouse(view, mx) < 0) {
    return;
  }
  const int width = StrobeEndX(cell, view, strobe) - StrobeBeginX(cell, view, strobe);
  const int b = mx - grabOffset - 1;
  if (b > 0) {
    const int column = ColumnUnderMouse(view, b);
    if (column > 0) {
      cell.SetStrobeBeginPixel(strobe, StoredColumn(column));
      cell.SetStrobeEndPixel(strobe, StoredColumn(ColumnUnderMouse(view, b + width)));
    } else {
      cell.SetStrobeBeginPixel(strobe, 0);
      cell.SetStrobeEndPixel(strobe, StoredColumn(width / view.V));
    }
  }
  const int h = SignalAreaHeight(cell);
  if (my > view.E * 1 && my < view.E * (1 + h)) {
    const double level = 100 - ((my - view.Y0) / view.E - 1) * 100 / h;
    const int percent = std::clamp(RndTo<int>(level), kLowestLevel, kHighestLevel);
    (strobe == 0 ? cell.STROBE_1_LEVEL_PERCENT : cell.STROBE_2_LEVEL_PERCENT) =
        static_cast<std::uint8_t>(percent);
  }
}

void MoveStrobeEdge(TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint8_t strobe,
                    std::uint8_t edge, int mx) {
  const int column = ColumnUnderMouse(view, mx);
  if (column < 0 || !(mx - 1 > view.X0) || mx >= view.X0 + kPictureColumns * view.V) {
    return;
  }
  if (edge == kBeginEdge) {
    if (mx < StrobeEndX(cell, view, strobe)) {
      cell.SetStrobeBeginPixel(strobe, StoredColumn(column));
    }
  } else if (edge == kEndEdge) {
    if (mx > StrobeBeginX(cell, view, strobe)) {
      cell.SetStrobeEndPixel(strobe, StoredColumn(column));
    }
  }
}

void MoveCursor(TBaseConfigCell& cell, const TSignalViewParameters& view, int mx) {
  if (mx >= view.S() + view.X0 + view.V) {
    cell.SetCursorPixel(StoredColumn((mx - view.S() - view.X0) / view.V));
  }
}

void MoveTgvPoint(TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint16_t k,
                  int my) {
  if (k >= kTgvPoints) {
    return;  // no point under the mouse
  }
  const int h = SignalAreaHeight(cell);
  if (my >= view.Y0 + view.E && my < view.Y0 + view.E * (1 + h)) {
    const double height = (1 + h) - (my - view.Y0) / view.E;
    cell.SetTgvPointRow(static_cast<std::uint8_t>(k), RndTo<std::uint16_t>(height));
  }
}

// ---- Hit tests -------------------------------------------------------------------

std::uint16_t TgvPointHit(const TBaseConfigCell& cell, const TSignalViewParameters& view, int mx,
                          int my) {
  const auto perColumn = MicrosecondsPerColumn(cell);
  if (!IsFullView(cell) || !perColumn || !OverTgvColumns(view, mx) ||
      !(my >= view.Y0 + view.E && my < view.Y0 + kFullRows * view.E)) {
    return kNoTgvPoint;
  }
  const double t = (static_cast<double>(mx - view.X0 - view.S()) / view.V - 1) * *perColumn;
  const double reach = kTgvReachColumns * *perColumn;
  const std::size_t n = TgvPointCount(cell);
  std::size_t i = 0;
  while (i < n && !(std::fabs(cell.TGV_POS[i] - t) <= reach)) {
    ++i;
  }
  if (i == n) {
    return kNoTgvPoint;
  }
  const double height = kFullRows - (my - view.Y0) / view.E;
  if (!(std::fabs(height - cell.TgvPointRow(static_cast<std::uint8_t>(i))) <= kTgvReachRows)) {
    return kNoTgvPoint;
  }
  // Point 0 stands at the start of the curve and is not moved.
  return i == 0 ? kNoTgvPoint : static_cast<std::uint16_t>(i);
}

std::uint16_t TgvCurveHit(const TBaseConfigCell& cell, const TSignalViewParameters& view, int mx,
                          int my) {
  const auto perColumn = MicrosecondsPerColumn(cell);
  const int h = SignalAreaHeight(cell);
  if (cell.SCREEN_MODE == kSplitScreenMode || !perColumn || !OverTgvColumns(view, mx) ||
      !(my >= view.Y0 + view.E && my < view.Y0 + view.E * (1 + h))) {
    return kNoTgvPoint;
  }
  const double t = static_cast<double>(mx - view.X0 - view.S() - view.V) / view.V * *perColumn;
  const std::size_t n = TgvPointCount(cell);
  std::size_t o = 1;
  while (o < n && !(cell.TGV_POS[o] > t)) {
    ++o;
  }
  if (o >= n) {
    return kNoTgvPoint;
  }
  const auto pixelRow = [&](std::size_t i) {
    return Rnd(view.E * (1 + h - cell.TgvPointRow(static_cast<std::uint8_t>(i))));
  };
  const double before = cell.TGV_POS[o - 1];
  const double after = cell.TGV_POS[o];
  const double r0 = pixelRow(o - 1);
  const double r1 = pixelRow(o);
  // Two points at one time (both after t) leave no line between them; the
  // curve is taken at the later point's row.
  const double row = after == before ? r1 : r0 + (t - before) * (r1 - r0) / (after - before);
  if (std::fabs((my - view.Y0) - row) > kTgvReachRows) {
    return kNoTgvPoint;
  }
  return RndTo<std::uint16_t>(t);
}

// ---- Hover -------------------------------------------------------------------------

std::optional<TMouseCursorShape> HoverTest(TDataCell& record, const TSignalViewParameters& view,
                                           int mx, int my) {
  const TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return std::nullopt;
  }
  std::optional<std::uint8_t> found;
  if (cell->CURSOR_1_ENABLED == 0) {
    found = StrobeHover(*cell, view, 0, mx, my);
  }
  if (!found && cell->CURSOR_2_ENABLED == 0) {
    found = StrobeHover(*cell, view, 1, mx, my);
  }
  if (!found && std::abs(mx - CursorX(*cell, view)) <= kCursorReach && cell->VCURSOR_ENABLED == 0) {
    found = kCursorLine;
  }
  if (!found && cell->TVG_ENABLED == kTgvMode) {
    if (const std::uint16_t point = TgvPointHit(*cell, view, mx, my); point != kNoTgvPoint) {
      found = kTgvPointObject;
      record.TgvPointUnderMouse = point;
    } else if (const std::uint16_t t = TgvCurveHit(*cell, view, mx, my); t != kNoTgvPoint) {
      found = kTgvCurveObject;
      record.TgvPositionUnderMouse = t;
    }
  }
  record.HoverObject = found.value_or(kNothingObject);
  return CursorShapeOf(record.HoverObject);
}

void ResetDragState(TDataCell& record) {
  record.HoverObject = kNothingObject;
  record.GrabbedObject = kNothingObject;
}

// ---- Grabbing ------------------------------------------------------------------------

bool TDragGrab::Press(TDataCell& record, TMouseButton button) {
  if (button != TMouseButton::Left) {
    Drop(record);
    return false;
  }
  record.GrabbedObject = record.HoverObject;
  Before.reset();
  Of = record.Configuration();
  if (record.GrabbedObject == kNothingObject || Of == nullptr) {
    return false;
  }
  Before.emplace(*Of);
  return true;
}

bool TDragGrab::Release(TDataCell& record) {
  const bool held = record.GrabbedObject != kNothingObject;
  record.GrabbedObject = kNothingObject;
  Before.reset();
  Of = nullptr;
  return held;
}

bool TDragGrab::Drop(TDataCell& record) {
  const bool held = record.GrabbedObject != kNothingObject;
  // Only the configuration the drag began on is put back: showing another
  // one or a reset of the drag state in between leaves nothing to undo.
  if (held && Before && record.Configuration() != nullptr && record.Configuration() == Of) {
    Before->Restore(*record.Configuration());
  }
  record.GrabbedObject = kNothingObject;
  if (held) {
    record.HoverObject = kNothingObject;
  }
  Before.reset();
  Of = nullptr;
  return held;
}

// ---- The setup tab's picture ---------------------------------------------------------

TDataCell* TSetupPictureMouse::ActiveRecord() {
  TDataCell* record = Host.DrawingRecord();
  if (!Host.HasCurrentConfiguration() || record == nullptr || record->Configuration() == nullptr) {
    return nullptr;
  }
  return record;
}

void TSetupPictureMouse::Remember(int x, int y) {
  LastMouseX = x;
  LastMouseY = y;
}

void TSetupPictureMouse::Commit() {
  // Marked first: the write is the last step, whatever the window does
  // while the instrument takes it.
  Host.MarkChanged();
  Host.WriteWorkingConfiguration();
}

void TSetupPictureMouse::Undone() {
  Host.SetCursorShape(TMouseCursorShape::Default);
  Host.Redraw();
  Host.RefreshConditionsAndResults();
}

void TSetupPictureMouse::ReleaseLost() {
  TDataCell* record = ActiveRecord();
  if (record != nullptr && Grab.Drop(*record)) {
    Undone();
  }
}

void TSetupPictureMouse::MouseDown(int x, int y, TMouseButton button) {
  TDataCell* record = ActiveRecord();
  if (record == nullptr) {
    return;
  }
  if (button != TMouseButton::Left) {
    ReleaseLost();
    return;
  }
  Grab.Press(*record, button);
  if (record->GrabbedObject == kStrobe1Body || record->GrabbedObject == kStrobe2Body) {
    const int offset = x - StrobeBeginX(*record->Configuration(), View, record->GrabbedObject);
    // The hover test finds a body only right of its begin; a stale hover
    // left of it holds the strobe at its begin.
    record->GrabOffset = static_cast<std::uint16_t>(std::clamp(offset, 0, 0xFFFF));
  }
  Remember(x, y);
}

void TSetupPictureMouse::MouseMove(int x, int y, int width, int height, bool leftHeld) {
  TDataCell* record = ActiveRecord();
  if (record == nullptr) {
    return;
  }
  TBaseConfigCell& cell = *record->Configuration();
  if (!leftHeld && record->GrabbedObject != kNothingObject) {
    // The button went up where the picture did not see it.
    ReleaseLost();
  }
  if (x < 0 || y < 0 || x > width || y > height) {
    // Leaving the picture with the button held ends a drag as a release
    // would.
    if (Grab.Release(*record)) {
      Host.SetCursorShape(TMouseCursorShape::Default);
      record->HoverObject = kNothingObject;
      Commit();
    }
    return;
  }
  if (!(x > 0 && y > 0)) {
    return;
  }
  const bool moved = x != LastMouseX || y != LastMouseY;
  const std::uint8_t grabbed = record->GrabbedObject;
  switch (grabbed) {
    case kStrobe1Body:
    case kStrobe2Body:
      if (moved) {
        MoveStrobe(cell, View, grabbed, x, y, record->GrabOffset);
        Host.Redraw();
        Host.RefreshConditionsAndResults();
      }
      break;
    case kStrobe1BeginEdge:
    case kStrobe2BeginEdge:
    case kStrobe1EndEdge:
    case kStrobe2EndEdge:
      if (moved) {
        MoveStrobeEdge(cell, View, static_cast<std::uint8_t>(grabbed & 1),
                       static_cast<std::uint8_t>(grabbed & ~1), x);
        Host.Redraw();
        Host.RefreshConditionsAndResults();
      }
      break;
    case kCursorLine:
      if (x != LastMouseX && x >= 1) {
        MoveCursor(cell, View, x);
        Host.Redraw();
        Host.RefreshResultGrid();
      }
      break;
    case kTgvPointObject:
      if (y != LastMouseY) {
        MoveTgvPoint(cell, View, record->TgvPointUnderMouse, y);
        Host.Redraw();
      }
      break;
    case kNothingObject:
      if (const auto shape = HoverTest(*record, View, x, y)) {
        Host.SetCursorShape(*shape);
      }
      break;
    default:
      break;
  }
  Remember(x, y);
}

void TSetupPictureMouse::MouseUp(TMouseButton button) {
  TDataCell* record = ActiveRecord();
  // Another button's release ends nothing: its press already let go.
  if (record == nullptr || button != TMouseButton::Left) {
    return;
  }
  if (Grab.Release(*record)) {
    Commit();
  }
}

void TSetupPictureMouse::DoubleClick(TMouseButton button) {
  TDataCell* record = ActiveRecord();
  if (record == nullptr || button != TMouseButton::Left) {
    return;
  }
  TBaseConfigCell& cell = *record->Configuration();
  if (record->HoverObject == kTgvPointObject) {
    if (record->TgvPointUnderMouse >= kTgvPoints) {
      return;
    }
    cell.DeleteTgvPoint(static_cast<std::uint8_t>(record->TgvPointUnderMouse));
    // The index now names the next point: a jitter of the mouse before the
    // release must not drag that one.
    record->TgvPointUnderMouse = kNoTgvPoint;
  } else if (record->HoverObject == kTgvCurveObject) {
    cell.InsertTgvPoint(record->TgvPositionUnderMouse);
  } else {
    return;
  }
  Host.Redraw();
  Host.MarkChanged();
}

}  // namespace velt
