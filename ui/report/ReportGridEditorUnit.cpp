#include <ui/report/ReportGridEditorUnit.h>

#include <QLineEdit>
#include <QTableWidget>

#include <ui/report/ReportHeaderPanelsUnit.h>

namespace velt {

TReportGridEditor::TReportGridEditor(TReportHeaderPanel& panel, const TLocalStrings& strings,
                                     IUserFeedback& feedback,
                                     std::function<TBaseReportHeader*()> header)
    : QObject(&panel),
      Panel(panel),
      Strings(strings),
      Feedback(feedback),
      Header(std::move(header)),
      Grid(panel.ReportGrid()),
      Editor(panel.ReportGridEditor()) {}

void TReportGridEditor::SetFocusTarget(QWidget* selector) {
  FocusTarget = selector;
}

bool TReportGridEditor::EditorVisible() const {
  return Editor->isVisible();
}

void TReportGridEditor::StoreEdit() {
  if (!EditorVisible() || EditRow < 1 || EditColumn < 0) {
    return;
  }
  if (QTableWidgetItem* item = Grid->item(EditRow, EditColumn)) {
    item->setText(Editor->text());
  } else {
    Grid->setItem(EditRow, EditColumn, new QTableWidgetItem(Editor->text()));
  }
}

}  // namespace velt
