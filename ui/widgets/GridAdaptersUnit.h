// The tabs' grid widgets as the core sees them: a two-column table is a
// results grid and a parameter grid at once, the X-scale drop-down is a
// scale selector, a picture label is a signal view surface. Texts cross
// here between Windows-1251 and Qt.
#pragma once

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <functional>
#include <map>

#include <records/ParameterGridsUnit.h>
#include <signal/ResultParametersUnit.h>
#include <signal/SignalViewInteractionUnit.h>
#include <signal/SignalViewUnit.h>

namespace velt {

// A selector grid's columns made to fit its width: every column at least
// as wide as its title, the last one (a mark) just that wide, the
// `stretch` column taking what the others leave (room kept for the
// vertical scroll bar), no horizontal scroll bar. A grid too narrow for all
// its titles is widened as much as they need.
void FitSelectorColumns(QTableWidget& grid, int stretch);

class TTableGrid : public IResultGrid, public IParameterGrid {
 public:
  explicit TTableGrid(QTableWidget& table) : Table(table) {}
  // Rows past the table's own are kept aside: filled, but not shown.
  std::string Cell(int column, int row) const override;
  void SetCell(int column, int row, const std::string& text) override;
  IParameterEditor& RowEditor(int row) override;
  QTableWidget& Widget() const { return Table; }
  // The value column takes edits (the setup and online grids).
  bool EditableValues = false;

  // The editing style each row was given.
  class TRowStyle : public IParameterEditor {
   public:
    void SetEditMask(const std::string& mask) override {
      PickList = false;
      Mask = mask;
      Entries.clear();
    }
    void SetPickList(const std::vector<std::string>& entries) override {
      PickList = true;
      Entries = entries;
    }
    bool PickList = false;
    std::string Mask;
    std::vector<std::string> Entries;
  };
  const TRowStyle& Style(int row) { return Styles[row]; }

 private:
  QTableWidget& Table;
  std::map<std::pair<int, int>, std::string> Hidden;
  std::map<int, TRowStyle> Styles;
};

class TComboScale : public IScaleSelector {
 public:
  explicit TComboScale(QComboBox& box) : Box(box) {}
  void Clear() override;
  void Add(const std::string& entry) override;
  void SelectFirst() override;
  int ItemCount() const override;
  std::string ItemText(int index) const override;
  void Select(int index) override;
  std::string CurrentText() const override;

 private:
  QComboBox& Box;
};

// A picture label with its canvas; presenting shows the canvas. The label
// paints the canvas itself, where a pixmap set on it would shrink and
// vanish with its contents: no copy into a pixmap at every frame.
class TLabelSurface : public TSignalSurface {
 public:
  TLabelSurface(QLabel& label, QSize size);
  QImage* Canvas() override { return Image.isNull() ? nullptr : &Image; }
  void Present() override;
  const QImage& Picture() const { return Image; }

 private:
  class TPainter : public QObject {
   public:
    explicit TPainter(TLabelSurface& surface) : Surface(surface) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    TLabelSurface& Surface;
  };
  QRect Place() const;
  void KeepOpaque();
  void Paint();

  QLabel& Label;
  QImage Image;
  TPainter Painter{*this};
};

// A picture that reports the mouse on it in surface coordinates, with the
// button of each press and release, whether the left button is held during
// a move, and the moments a release will not come to it: the pointer left
// with no button held, the window lost its activation, the picture was
// hidden, the mouse was taken away.
class TPictureLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void(QPoint, TMouseButton)> OnPress;
  std::function<void(QPoint, bool)> OnMove;
  std::function<void(TMouseButton)> OnRelease;
  std::function<void(TMouseButton)> OnDoubleClick;
  std::function<void()> OnReleaseLost;
  // Whether a left press is waiting for its release.
  bool LeftHeld() const { return LeftDown; }

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void ReleaseLost();
  bool LeftDown = false;
};

// A two-column table of `rows` rows without headers, its cells read-only;
// its captions are kept whole (below).
QTableWidget* MakeParameterTable(QWidget* parent, const char* name, int rows);

// Keeps a two-column table's captions whole: the caption column as wide as
// its widest text (never narrower than `minimum`), the value column taking
// the rest; the table asks the layout for room for both, the values at
// least as wide as the widest one shown so far (so the layout does not jump
// from record to record). Refitted whenever a caption or value changes.
void KeepCaptionsWhole(QTableWidget& table, int minimum = 0);
// Values of such a table are edited in place, some with a drop-down: the
// value column keeps room for the drop-down's arrow.
void LeaveRoomForDropDowns(QTableWidget& table);

}  // namespace velt
