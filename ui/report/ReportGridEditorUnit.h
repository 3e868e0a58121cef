// The report grid's in-place editor: one line edit over a data cell of the
// report grid of a panel, with the text limit of its column, the keys that
// store and move it, and the grid's cell hints.
//
// Every text typed into the grid goes through the editor (the grid's own
// editing is off), so the column limits hold for all of it, and the edit
// reaches its cell on every way out but Escape: Enter or Tab, an arrow key
// that moves to another cell, a click elsewhere, scrolling the grid, and
// StoreEdit, which the tab calls before it reads the grid.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

class QEvent;
class QKeyEvent;
class QLineEdit;
class QPoint;
class QTableWidget;
class QWidget;

namespace velt {

class IUserFeedback;
class TBaseReportHeader;
class TLocalStrings;
class TReportHeaderPanel;
struct TReportGridCell;

class TReportGridEditor : public QObject {
  Q_OBJECT

 public:
  // `header` gives the report tab's current report header (null when there
  // is none); it is asked each time, since the tab replaces the header when
  // the report type changes. The caller owns the editor; it may outlive the
  // panel (it then does nothing).
  TReportGridEditor(TReportHeaderPanel& panel, const TLocalStrings& strings,
                    IUserFeedback& feedback, std::function<TBaseReportHeader*()> header);

  // Where the focus goes when the editor is left for the grid (the tab's
  // flaw selector).
  void SetFocusTarget(QWidget* selector);

  bool EditorVisible() const;
  // Stores a visible editor's text into the cell it edits.
  void StoreEdit();

  // Places the editor over a cell, as selecting the cell does: its text,
  // the focus, the caret at 1. False (and nothing changes) for a cell the
  // user does not type into: the title row, the entry and flaw numbers.
  bool OpenEditor(int column, int row);
  // The cell the editor edits (-1 while it has none).
  int EditColumn() const { return Column; }
  int EditRow() const { return Row; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Place(int column, int row, bool caretAtEnd);
  void Reposition();
  // Hides the editor, storing its text unless the edit is dropped, and
  // gives the focus to the selector.
  void Leave(bool store);
  void MoveTo(const TReportGridCell& cell);
  bool EditorKey(QKeyEvent& key);
  bool GridKey(QKeyEvent& key);
  void EditorFocusLost(int reason);
  void TextEdited(const QString& text);
  void Scrolled();
  void CurrentCellChanged(int row, int column);
  void HintAt(const QPoint& position, const QPoint& globalPosition);
  QString HintText(int column, int row) const;
  bool HeaderHoldsRecords() const;
  QWidget* FocusTargetOrGrid() const;

  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
  std::function<TBaseReportHeader*()> Header;
  int Type;
  QPointer<QTableWidget> Grid;
  QPointer<QLineEdit> Editor;
  QWidget* Viewport;  // compared only: it may be going when its events come
  QPointer<QWidget> FocusTarget;
  int Column = -1;
  int Row = -1;
  // Set while the editor itself moves the focus, scrolls or moves the
  // grid's current cell, so its own handlers stay out of the way.
  bool Closing = false;
  bool Moving = false;
  // The last hinted cell while there is no header to hold it.
  std::uint8_t LastHintColumn = 255;
  std::uint8_t LastHintRow = 255;
};

}  // namespace velt
