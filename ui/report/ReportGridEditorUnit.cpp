#include <ui/report/ReportGridEditorUnit.h>

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStringList>
#include <QTableWidget>
#include <QToolTip>
#include <algorithm>
#include <memory>
#include <optional>

#include <ports/UserFeedback.h>
#include <reports/ReportGridCellsUnit.h>
#include <reports/ReportHeadersUnit.h>
#include <strings/LocalStringsUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/htmlhint.h>

namespace velt {
namespace {

std::optional<TReportEditorKey> EditorKeyOf(int key) {
  switch (key) {
    case Qt::Key_Up:
      return TReportEditorKey::Up;
    case Qt::Key_Down:
      return TReportEditorKey::Down;
    case Qt::Key_Left:
      return TReportEditorKey::Left;
    case Qt::Key_Right:
      return TReportEditorKey::Right;
    default:
      return std::nullopt;
  }
}

// Both header types keep the last hinted cell; the base header has none.
template <typename THeader>
bool LastHintOf(TBaseReportHeader* header, std::uint8_t*& column, std::uint8_t*& row) {
  if (auto* typed = dynamic_cast<THeader*>(header)) {
    column = &typed->LastHintColumn;
    row = &typed->LastHintRow;
    return true;
  }
  return false;
}

}  // namespace

TReportGridEditor::TReportGridEditor(TReportHeaderPanel& panel, const TLocalStrings& strings,
                                     IUserFeedback& feedback,
                                     std::function<TBaseReportHeader*()> header)
    : Strings(strings),
      Feedback(feedback),
      Header(std::move(header)),
      Type(panel.ReportType()),
      Grid(panel.ReportGrid()),
      Editor(panel.ReportGridEditor()),
      Viewport(Grid->viewport()) {
  // The grid's own cell editing would take texts past the column limits.
  Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Viewport->setMouseTracking(true);
  Grid->installEventFilter(this);
  Viewport->installEventFilter(this);
  Editor->installEventFilter(this);
  connect(Editor, &QLineEdit::textEdited, this, &TReportGridEditor::TextEdited);
  connect(Grid, &QTableWidget::cellPressed, this,
          [this](int row, int column) { Place(column, row, false); });
  connect(Grid, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int, int) { CurrentCellChanged(row, column); });
  connect(Grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TReportGridEditor::Scrolled);
  connect(Grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
          &TReportGridEditor::Scrolled);
  connect(Grid->horizontalHeader(), &QHeaderView::sectionResized, this,
          &TReportGridEditor::Reposition);
  connect(Grid->verticalHeader(), &QHeaderView::sectionResized, this,
          &TReportGridEditor::Reposition);
}

void TReportGridEditor::SetFocusTarget(QWidget* selector) {
  FocusTarget = selector;
}

bool TReportGridEditor::EditorVisible() const {
  return Editor && Grid && !Editor->isHidden();
}

void TReportGridEditor::StoreEdit() {
  if (!EditorVisible() || Row < 1 || Row >= Grid->rowCount() || Column < 0 ||
      Column >= Grid->columnCount()) {
    return;
  }
  if (QTableWidgetItem* item = Grid->item(Row, Column)) {
    item->setText(Editor->text());
  } else {
    Grid->setItem(Row, Column, new QTableWidgetItem(Editor->text()));
  }
}

bool TReportGridEditor::OpenEditor(int column, int row) {
  return Editor && Grid && Place(column, row, false);
}

bool TReportGridEditor::HeaderHoldsRecords() const {
  const TBaseReportHeader* header = Header ? Header() : nullptr;
  return header != nullptr && header->Count() > 0;
}

QWidget* TReportGridEditor::FocusTargetOrGrid() const {
  if (FocusTarget && FocusTarget->isVisible() && FocusTarget->isEnabled()) {
    return FocusTarget;
  }
  return Grid;
}

bool TReportGridEditor::Place(int column, int row, bool caretAtEnd) {
  if (!ReportCellEditable(Type, column, row) || row >= Grid->rowCount()) {
    return false;
  }
  if (EditorVisible() && (column != Column || row != Row)) {
    StoreEdit();
  }
  Column = column;
  Row = row;
  if (Grid->currentRow() != row || Grid->currentColumn() != column) {
    Moving = true;
    Grid->setCurrentCell(row, column);
    Moving = false;
  }
  const QTableWidgetItem* item = Grid->item(row, column);
  const QString text = item != nullptr && HeaderHoldsRecords() ? item->text() : QString();
  Editor->setText(text);
  Editor->show();
  Reposition();
  Editor->raise();
  Editor->setFocus(Qt::OtherFocusReason);
  Editor->setCursorPosition(caretAtEnd ? static_cast<int>(text.size())
                                       : std::min<int>(1, static_cast<int>(text.size())));
  Editor->deselect();
  return true;
}

void TReportGridEditor::Reposition() {
  if (!EditorVisible() || Row < 0 || Column < 0) {
    return;
  }
  // One dot in from the cell's corner and one dot larger: the editor
  // covers the cell and leaves the grid lines of its left and top.
  const QRect cell = Grid->visualRect(Grid->model()->index(Row, Column));
  Editor->setGeometry(cell.x() + 1, cell.y() + 1, cell.width() + 1, cell.height() + 1);
}

void TReportGridEditor::Leave(bool store) {
  if (!EditorVisible()) {
    return;
  }
  if (store) {
    StoreEdit();
  }
  Closing = true;
  // The focus moves first: hiding the focused editor would pass the focus
  // on to whatever control comes next.
  if (Editor->hasFocus()) {
    FocusTargetOrGrid()->setFocus(Qt::OtherFocusReason);
  }
  Editor->hide();
  Closing = false;
}

void TReportGridEditor::MoveTo(const TReportGridCell& cell) {
  StoreEdit();
  // The top row counts among the data rows; the title row above row 1 is
  // in sight when row 1 is. Read before the grid scrolls to its new
  // current cell by itself.
  const int top = std::max(1, Grid->rowAt(0));
  Moving = true;
  Grid->setCurrentCell(cell.Row, cell.Column);
  const QModelIndex index = Grid->model()->index(cell.Row, cell.Column);
  const int newTop = ReportEditorTopRow(cell.Row, top);
  if (newTop != top) {
    Grid->scrollTo(Grid->model()->index(newTop == 1 ? 0 : newTop, cell.Column),
                   QAbstractItemView::PositionAtTop);
  }
  Grid->scrollTo(index, QAbstractItemView::EnsureVisible);
  Moving = false;
  Place(cell.Column, cell.Row, false);
}

bool TReportGridEditor::EditorKey(QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:  // Tab is Enter while the editor is up
    case Qt::Key_Backtab:
      Leave(true);
      return true;
    case Qt::Key_Escape:
      Leave(false);
      return true;
    default:
      break;
  }
  const std::optional<TReportEditorKey> arrow = EditorKeyOf(key.key());
  if (!arrow || modifiers != Qt::NoModifier) {
    return false;
  }
  const std::optional<TReportGridCell> to =
      ReportEditorMove(Type, *arrow, {Column, Row}, Grid->rowCount(), Editor->cursorPosition(),
                       static_cast<int>(Editor->text().size()));
  if (to) {
    MoveTo(*to);
    return true;
  }
  // Up and Down that move nowhere end here: passed on, the grid would
  // move its current cell away from the edit.
  return *arrow == TReportEditorKey::Up || *arrow == TReportEditorKey::Down;
}

bool TReportGridEditor::GridKey(QKeyEvent& key) {
  if (EditorVisible() || !ReportCellEditable(Type, Grid->currentColumn(), Grid->currentRow())) {
    return false;
  }
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_F2) {
    return Place(Grid->currentColumn(), Grid->currentRow(), true);
  }
  // A character typed onto a cell goes into the editor, after the cell's
  // text, and so under the column's limit.
  const QString text = key.text();
  if (text.isEmpty() || !text.at(0).isPrint() ||
      (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
    return false;
  }
  if (!Place(Grid->currentColumn(), Grid->currentRow(), true)) {
    return false;
  }
  const std::unique_ptr<QEvent> typed(key.clone());
  QApplication::sendEvent(Editor, typed.get());
  return true;
}

void TReportGridEditor::EditorFocusLost(int reason) {
  // A menu of the editor, another program's window or a focus cleared on
  // the way out (the window closing) leave the editor as it is: its text
  // is stored when it is really left, or by StoreEdit.
  if (Closing || reason == Qt::PopupFocusReason || QApplication::focusWidget() == nullptr) {
    return;
  }
  StoreEdit();
  Closing = true;
  Editor->hide();
  if (QApplication::focusWidget() == Grid && FocusTarget && FocusTarget->isVisible() &&
      FocusTarget->isEnabled()) {
    FocusTarget->setFocus(Qt::OtherFocusReason);
  }
  Closing = false;
}

void TReportGridEditor::TextEdited(const QString& text) {
  if (!HeaderHoldsRecords()) {
    // Without records the grid's rows belong to nothing: nothing to type.
    if (!text.isEmpty()) {
      Editor->clear();
    }
    return;
  }
  const int limit = ReportCellTextLimit(Type, Column);
  if (text.size() > limit) {
    Feedback.Beep();
    Editor->setText(text.left(limit));
    Editor->setCursorPosition(limit);
  }
}

void TReportGridEditor::Scrolled() {
  if (Moving || !EditorVisible()) {
    return;
  }
  StoreEdit();
  const int row = Grid->currentRow();
  const int column = Grid->currentColumn();
  if ((row != Row || column != Column) && Place(column, row, false)) {
    return;
  }
  Reposition();
}

void TReportGridEditor::CurrentCellChanged(int row, int column) {
  // The keyboard moved the grid's own current cell (the editor's moves and
  // the mouse place the editor themselves).
  if (!Moving && Grid->hasFocus()) {
    Place(column, row, false);
  }
}

QString TReportGridEditor::HintText(int column, int row) const {
  if (row == 0) {
    QStringList lines;
    for (const std::uint16_t caption : ReportTitleHintCaptions(Type, column)) {
      lines << FromCp1251(Strings.Caption(caption));
    }
    return lines.join('\n');
  }
  const QTableWidgetItem* item = Grid->item(row, column);
  if (item == nullptr || item->text().isEmpty()) {
    return FromCp1251(Strings.Caption(kEmptyReportCellHint));
  }
  // The hint window reads markup; a typed text is shown as it stands.
  return item->text().toHtmlEscaped();
}

void TReportGridEditor::HintAt(const QPoint& position, const QPoint& globalPosition) {
  const QModelIndex index = Grid->indexAt(position);
  if (!index.isValid()) {
    return;
  }
  std::uint8_t* lastColumn = &LastHintColumn;
  std::uint8_t* lastRow = &LastHintRow;
  TBaseReportHeader* header = Header ? Header() : nullptr;
  if (!LastHintOf<TSimpleReportHeader>(header, lastColumn, lastRow)) {
    LastHintOf<TSimpleReport2Header>(header, lastColumn, lastRow);
  }
  const auto column = static_cast<std::uint8_t>(std::min(index.column(), 254));
  const auto row = static_cast<std::uint8_t>(std::min(index.row(), 254));
  if (column == *lastColumn && row == *lastRow) {
    return;
  }
  *lastColumn = column;
  *lastRow = row;
  const QString text = HintText(index.column(), index.row());
  Viewport->setToolTip(text);
  // Shown at once at the pointer: through the window's formatted hint when
  // it has one, as a plain tool tip otherwise.
  if (THTMLHint::Of(Grid->window()) != nullptr) {
    QHelpEvent help(QEvent::ToolTip, position, globalPosition);
    QApplication::sendEvent(Viewport, &help);
  } else {
    QToolTip::showText(globalPosition, text, Viewport);
  }
}

bool TReportGridEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Editor) {
    if (event->type() == QEvent::KeyPress) {
      return EditorKey(*static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::FocusOut) {
      EditorFocusLost(static_cast<QFocusEvent*>(event)->reason());
    }
  } else if (watched == Grid) {
    if (event->type() == QEvent::KeyPress) {
      return GridKey(*static_cast<QKeyEvent*>(event));
    }
  } else if (watched == Viewport && event->type() == QEvent::MouseMove) {
    const auto* move = static_cast<QMouseEvent*>(event);
    HintAt(move->position().toPoint(), move->globalPosition().toPoint());
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace velt
