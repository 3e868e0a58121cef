// The mouse on the signal view: where the strobes, the cursor and the TGV
// points lie on the setup and online pictures, which of them is under the
// mouse, how dragging one changes the configuration, and the setup tab
// picture's handling of the mouse buttons.
#pragma once

#include <cstdint>
#include <optional>

#include <records/ConfigSnapshotUnit.h>
#include <records/UniversalDataObjectUnit.h>

namespace velt {

// What the mouse holds or points at (the record's HoverObject and
// GrabbedObject). Bit 0 of a strobe code is the strobe (0 = strobe 1);
// 8 and 16 mark its begin and end edge.
inline constexpr std::uint8_t kStrobe1Body = 0;
inline constexpr std::uint8_t kStrobe2Body = 1;
inline constexpr std::uint8_t kStrobe1BeginEdge = 8;
inline constexpr std::uint8_t kStrobe2BeginEdge = 9;
inline constexpr std::uint8_t kStrobe1EndEdge = 16;
inline constexpr std::uint8_t kStrobe2EndEdge = 17;
inline constexpr std::uint8_t kCursorLine = 3;
inline constexpr std::uint8_t kTgvPointObject = 32;
inline constexpr std::uint8_t kTgvCurveObject = 64;
inline constexpr std::uint8_t kNothingObject = kNoObject;

inline constexpr std::uint8_t kBeginEdge = 8;
inline constexpr std::uint8_t kEndEdge = 16;

// The mouse cursor shapes; the user interface maps them to its own.
enum class TMouseCursorShape : std::uint8_t {
  SizeAll,          // a strobe's body
  HorizontalSplit,  // a strobe's edge, the cursor line
  VerticalSplit,    // a TGV point
  Hand,             // the TGV curve between points
  Default,          // nothing
};

TMouseCursorShape CursorShapeOf(std::uint8_t object);

// Where a picture lies on its drawing surface and how it is scaled.
struct TSignalViewParameters {
  int V = 1;       // pixels per display column
  double E = 1.0;  // pixels per amplitude row
  int X0 = 0;      // the picture's position on the surface
  int Y0 = 0;
  int S() const { return V % 2 == 0 ? 1 : 0; }
};

inline constexpr TSignalViewParameters kSetupPictureView{1, 1.22, 1, 1};
inline constexpr TSignalViewParameters kOnlinePictureView{2, 2.44, 2, 2};

// The height of the signal area in rows: 90 in the split view, else 180.
int SignalAreaHeight(const TBaseConfigCell& cell);

// ---- Pixel positions (surface coordinates) --------------------------------
// Strobe selectors are those of the cell: 0 = strobe 1, anything else strobe 2.

int ColumnX(const TSignalViewParameters& view, int column);
// The column under a surface x; below 0 left of the picture.
int ColumnUnderMouse(const TSignalViewParameters& view, int mx);
int StrobeBeginX(const TBaseConfigCell& cell, const TSignalViewParameters& view,
                 std::uint8_t strobe);
int StrobeEndX(const TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint8_t strobe);
int StrobeLevelY(const TBaseConfigCell& cell, const TSignalViewParameters& view,
                 std::uint8_t strobe);
int CursorX(const TBaseConfigCell& cell, const TSignalViewParameters& view);

// ---- Dragging (each changes the configuration; the caller redraws) -------

// The strobe's body follows the mouse, grabbed `grabOffset` pixels right of
// its begin: sideways keeping its width in pixels, and up and down for its
// level (3..97 %) while the mouse is over the signal area.
void MoveStrobe(TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint8_t strobe,
                int mx, int my, int grabOffset);
// The begin (kBeginEdge) or end (kEndEdge) edge follows the mouse inside the
// picture; neither edge passes the other's pixel.
void MoveStrobeEdge(TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint8_t strobe,
                    std::uint8_t edge, int mx);
void MoveCursor(TBaseConfigCell& cell, const TSignalViewParameters& view, int mx);
// TGV point k takes the height under the mouse inside the signal area.
void MoveTgvPoint(TBaseConfigCell& cell, const TSignalViewParameters& view, std::uint16_t k,
                  int my);

// ---- Hit tests -------------------------------------------------------------

// The TGV point (never point 0) under the mouse, or kNoTgvPoint; only in
// the full view.
std::uint16_t TgvPointHit(const TBaseConfigCell& cell, const TSignalViewParameters& view, int mx,
                          int my);
// The time in µs on the TGV curve under the mouse, rounded, or kNoTgvPoint;
// never in the split view.
std::uint16_t TgvCurveHit(const TBaseConfigCell& cell, const TSignalViewParameters& view, int mx,
                          int my);

// Finds what is under the mouse, in the order strobe 1, strobe 2, cursor,
// TGV point, TGV curve, and sets the record's hover object and, for the TGV
// codes, its TGV point or position under the mouse. The cursor shape for
// what was found; nothing (and nothing changed) without a configuration.
std::optional<TMouseCursorShape> HoverTest(TDataCell& record, const TSignalViewParameters& view,
                                           int mx, int my);

// Nothing under the mouse and nothing held: showing the setup or online
// tab, downloading configurations and selecting one start from here.
void ResetDragState(TDataCell& record);

// ---- Grabbing, on both pictures ---------------------------------------------

// The button of a press or a release: only the left one drags.
enum class TMouseButton : std::uint8_t { Left, Other };

// The object a drag holds, and the configuration as it was when the drag
// began, so that a drag whose release never comes (a context menu took
// the mouse, another window or control took the focus, the pointer left
// without a button held) is undone rather than sent half done. Both
// pictures follow this rule.
class TDragGrab {
 public:
  // The left button grabs the record's hover object; any other button
  // grabs nothing and drops what is held (as Drop). True when the left
  // button grabbed an object.
  bool Press(TDataCell& record, TMouseButton button);
  // The release came: the drag's changes stay. True when an object was
  // held (the caller sends the configuration and marks it changed).
  bool Release(TDataCell& record);
  // The release will not come: the configuration is put back as it was at
  // the press, nothing is held or hovered. True when an object was held
  // (the caller shows the configuration again; nothing is sent).
  bool Drop(TDataCell& record);

 private:
  std::optional<TConfigSnapshot> Before;
  const TBaseConfigCell* Of = nullptr;
};

// ---- The setup tab's picture -----------------------------------------------

// What the mouse on the setup picture asks of the setup tab.
class ISetupPictureHost {
 public:
  virtual ~ISetupPictureHost() = default;
  // The configuration collection's drawing record, or null.
  virtual TDataCell* DrawingRecord() = 0;
  virtual bool HasCurrentConfiguration() const = 0;
  // Sends the working configuration to the instrument as configuration 0.
  virtual void WriteWorkingConfiguration() = 0;
  virtual void MarkChanged() = 0;
  virtual void Redraw() = 0;
  // The measurement conditions and results grids.
  virtual void RefreshConditionsAndResults() = 0;
  virtual void RefreshResultGrid() = 0;
  virtual void SetCursorShape(TMouseCursorShape shape) = 0;
};

// The setup picture's mouse: a left press grabs what the hover test found,
// moves drag it, the release (or leaving the picture with the button held)
// sends the result to the instrument. Any other press, or a release that
// will not come, undoes the drag and sends nothing. Coordinates are those
// of the picture's surface. The second press of a double click is a press
// too (MouseDown, then DoubleClick), so the release after it sends the
// point just inserted or deleted.
class TSetupPictureMouse {
 public:
  explicit TSetupPictureMouse(ISetupPictureHost& host,
                              TSignalViewParameters view = kSetupPictureView)
      : Host(host), View(view) {}

  void MouseDown(int x, int y, TMouseButton button = TMouseButton::Left);
  // `width` and `height` are the picture's surface size; `leftHeld` whether
  // the left button is down (a drag moved without it lost its release).
  void MouseMove(int x, int y, int width, int height, bool leftHeld = true);
  void MouseUp(TMouseButton button = TMouseButton::Left);
  void DoubleClick(TMouseButton button = TMouseButton::Left);
  // The release will not come (a context menu, another window, the focus
  // or the mouse taken elsewhere): a drag is undone, nothing is sent.
  void ReleaseLost();

  // The mouse position last seen by a press or a move inside the picture.
  int LastX() const { return LastMouseX; }
  int LastY() const { return LastMouseY; }

 private:
  // The drawing record when the tab has a configuration to work on.
  TDataCell* ActiveRecord();
  void Remember(int x, int y);
  void Commit();
  void Undone();

  ISetupPictureHost& Host;
  TSignalViewParameters View;
  TDragGrab Grab;
  int LastMouseX = 0;
  int LastMouseY = 0;
};

}  // namespace velt
