// The report grid's in-place editor: one line edit over a data cell of the
// report grid of a panel, with the text limit of its column, the keys that
// store and move it, and the grid's cell hints.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QLineEdit;
class QTableWidget;
class QWidget;

namespace velt {

class IUserFeedback;
class TBaseReportHeader;
class TLocalStrings;
class TReportHeaderPanel;

class TReportGridEditor : public QObject {
  Q_OBJECT

 public:
  // `header` gives the report tab's current report header (null when there
  // is none); it is asked each time, since the tab replaces the header when
  // the report type changes.
  TReportGridEditor(TReportHeaderPanel& panel, const TLocalStrings& strings,
                    IUserFeedback& feedback, std::function<TBaseReportHeader*()> header);

  // Where the focus goes when the editor is left for the grid (the tab's
  // flaw selector).
  void SetFocusTarget(QWidget* selector);

  bool EditorVisible() const;
  // Stores a visible editor's text into the cell it edits.
  void StoreEdit();

 private:
  TReportHeaderPanel& Panel;
  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
  std::function<TBaseReportHeader*()> Header;
  QTableWidget* Grid;
  QLineEdit* Editor;
  QPointer<QWidget> FocusTarget;
  int EditRow = -1;
  int EditColumn = -1;
};

}  // namespace velt
