#include <ui/widgets/GridAdaptersUnit.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include <ui/widgets/Cp1251.h>

namespace velt {

void FitSelectorColumns(QTableWidget& grid, int stretch) {
  QHeaderView& header = *grid.horizontalHeader();
  header.setStretchLastSection(false);
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QFontMetrics metrics(header.font());
  const int margin = 2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header) + 4;
  const auto titleWidth = [&](int column) {
    const QTableWidgetItem* item = grid.horizontalHeaderItem(column);
    return (item != nullptr ? metrics.horizontalAdvance(item->text()) : 0) + margin;
  };
  // The last column (a mark) as wide as its title; the others keep their
  // widths unless their titles need more.
  const int last = grid.columnCount() - 1;
  int used = 0;
  for (int c = 0; c <= last; ++c) {
    if (c != stretch) {
      grid.setColumnWidth(c, c == last ? titleWidth(c) : std::max(grid.columnWidth(c), titleWidth(c)));
      used += grid.columnWidth(c);
    }
  }
  const int scrollBar = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &grid);
  const int available = grid.width() - 2 * grid.frameWidth() - scrollBar;
  const int stretchWidth = std::max(available - used, titleWidth(stretch));
  grid.setColumnWidth(stretch, stretchWidth);
  if (const int excess = used + stretchWidth - available; excess > 0) {
    grid.setFixedWidth(grid.width() + excess);
  }
}

std::string TTableGrid::Cell(int column, int row) const {
  if (row >= Table.rowCount() || column >= Table.columnCount()) {
    const auto it = Hidden.find({column, row});
    return it == Hidden.end() ? std::string() : it->second;
  }
  const QTableWidgetItem* item = Table.item(row, column);
  return item == nullptr ? std::string() : ToCp1251(item->text());
}

void TTableGrid::SetCell(int column, int row, const std::string& text) {
  if (row < 0 || column < 0) {
    return;
  }
  if (row >= Table.rowCount() || column >= Table.columnCount()) {
    Hidden[{column, row}] = text;
    return;
  }
  QTableWidgetItem* item = Table.item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    if (!(EditableValues && column == 1)) {
      item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    }
    Table.setItem(row, column, item);
  }
  item->setText(FromCp1251(text));
}

IParameterEditor& TTableGrid::RowEditor(int row) { return Styles[row]; }

void TComboScale::Clear() { Box.clear(); }
void TComboScale::Add(const std::string& entry) { Box.addItem(FromCp1251(entry)); }
void TComboScale::SelectFirst() { Box.setCurrentIndex(Box.count() > 0 ? 0 : -1); }
int TComboScale::ItemCount() const { return Box.count(); }
std::string TComboScale::ItemText(int index) const { return ToCp1251(Box.itemText(index)); }
void TComboScale::Select(int index) { Box.setCurrentIndex(index); }
std::string TComboScale::CurrentText() const { return ToCp1251(Box.currentText()); }

TLabelSurface::TLabelSurface(QLabel& label, QSize size)
    : Label(label), Image(size, QImage::Format_RGB32) {
  Image.fill(Qt::black);
  Label.installEventFilter(&Painter);
  Present();
}

void TLabelSurface::Present() {
  KeepOpaque();
  Label.update();
}

bool TLabelSurface::TPainter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &Surface.Label) {
    return false;
  }
  switch (event->type()) {
    case QEvent::Paint:
      Surface.Paint();
      return true;
    case QEvent::Resize:
    case QEvent::EnabledChange:
    case QEvent::ContentsRectChange:
      Surface.KeepOpaque();
      return false;
    default:
      return false;
  }
}

// Where the label itself would paint the canvas as its pixmap.
QRect TLabelSurface::Place() const {
  return QStyle::alignedRect(
      Label.layoutDirection(),
      QStyle::visualAlignment(Label.layoutDirection(), Label.alignment()), Image.size(),
      Label.contentsRect());
}

// A label the canvas covers whole needs nothing painted under it: one fill
// of the window's background less at every frame.
void TLabelSurface::KeepOpaque() {
  const bool covered = Label.isEnabled() && Place().contains(Label.rect());
  if (Label.testAttribute(Qt::WA_OpaquePaintEvent) != covered) {
    Label.setAttribute(Qt::WA_OpaquePaintEvent, covered);
  }
}

// The canvas painted as the label would paint it as its pixmap.
void TLabelSurface::Paint() {
  QPainter painter(&Label);
  const QRect place = Place();
  if (Label.isEnabled()) {
    // In strips: a whole picture at once is handed to worker threads,
    // whose waking costs more than the copy they share.
    constexpr int kStrip = 64;
    for (int y = 0; y < Image.height(); y += kStrip) {
      painter.drawImage(place.topLeft() + QPoint(0, y), Image,
                        QRect(0, y, Image.width(), std::min(kStrip, Image.height() - y)));
    }
    return;
  }
  QStyleOption option;
  option.initFrom(&Label);
  painter.drawPixmap(place.topLeft(), Label.style()->generatedIconPixmap(
                                          QIcon::Disabled, QPixmap::fromImage(Image), &option));
}

namespace {

TMouseButton ButtonOf(const QMouseEvent& event) {
  return event.button() == Qt::LeftButton ? TMouseButton::Left : TMouseButton::Other;
}

}  // namespace

void TPictureLabel::ReleaseLost() {
  // Only a left press has a release to lose (and a picture going away
  // with its window, no press held, reports nothing).
  if (!LeftDown) {
    return;
  }
  LeftDown = false;
  if (OnReleaseLost) {
    OnReleaseLost();
  }
}

bool TPictureLabel::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Leave:
      // While the left button is held the picture keeps the mouse and
      // sees the release wherever it happens.
      if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        ReleaseLost();
      }
      break;
    case QEvent::ActivationChange:
      if (!isActiveWindow()) {
        ReleaseLost();
      }
      break;
    case QEvent::Hide:
    case QEvent::UngrabMouse:
      ReleaseLost();
      break;
    default:
      break;
  }
  return QLabel::event(event);
}

void TPictureLabel::mousePressEvent(QMouseEvent* event) {
  LeftDown = event->button() == Qt::LeftButton;
  if (OnPress) {
    OnPress(event->position().toPoint(), ButtonOf(*event));
  }
}

void TPictureLabel::mouseMoveEvent(QMouseEvent* event) {
  if (OnMove) {
    OnMove(event->position().toPoint(), (event->buttons() & Qt::LeftButton) != 0);
  }
}

void TPictureLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    LeftDown = false;
  }
  if (OnRelease) {
    OnRelease(ButtonOf(*event));
  }
}

void TPictureLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is a press too.
  LeftDown = event->button() == Qt::LeftButton;
  if (OnPress) {
    OnPress(event->position().toPoint(), ButtonOf(*event));
  }
  if (OnDoubleClick) {
    OnDoubleClick(ButtonOf(*event));
  }
}

QTableWidget* MakeParameterTable(QWidget* parent, const char* name, int rows) {
  auto* table = new QTableWidget(rows, 2, parent);
  table->setObjectName(name);
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(18);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setFocusPolicy(Qt::NoFocus);
  table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setFixedHeight(rows * 18 + 2);
  KeepCaptionsWhole(*table);
  return table;
}

namespace {

// Keeps a two-column table's columns fitted: the captions as wide as the
// widest of them, the values exactly the rest of the table. The values are
// not left to the header's stretching: a hidden header does not stretch, and
// a value column left wider than the table makes the table scroll its
// captions away when an in-place editor opens.
class TCaptionFitter : public QObject {
 public:
  TCaptionFitter(QTableWidget& table, int minimum) : QObject(&table), Table(table), Minimum(minimum) {
    table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table.viewport()->installEventFilter(this);
    connect(table.model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
              // Only what changed is measured again (the same text again
              // changes nothing): a caption, or the values of those rows.
              if (from.column() == 0) {
                FitCaptions();
              }
              if (from.column() <= 1 && to.column() >= 1) {
                for (int row = from.row(); row <= to.row(); ++row) {
                  Widest = std::max(Widest, ValueWidth(row));
                }
              }
              Lay();
            });
    connect(table.model(), &QAbstractItemModel::rowsInserted, this, [this] { Fit(); });
    Fit();
  }

  // Measures every caption and value afresh.
  void Fit() {
    FitCaptions();
    for (int row = 0; row < Table.rowCount(); ++row) {
      Widest = std::max(Widest, ValueWidth(row));
    }
    Lay();
  }

  bool DropDowns = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Table.viewport() && event->type() == QEvent::Resize) {
      LayValues();
    }
    return false;
  }

 private:
  void FitCaptions() {
    const QAbstractItemView& view = Table;  // the table's own hint, reached through its base
    Captions = std::max(Minimum, view.sizeHintForColumn(0));
  }

  // The room value `row` needs, as the table measures a column: the cell's
  // own hint and the grid line; an in-place drop-down shows it beside its
  // arrow.
  int ValueWidth(int row) const {
    const QAbstractItemView& view = Table;
    int width = view.sizeHintForIndex(Table.model()->index(row, 1)).width() + (Table.showGrid() ? 1 : 0);
    if (DropDowns) {
      QStyleOptionComboBox option;
      option.initFrom(&Table);
      width += Table.style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(0, 16), &Table).width();
    }
    return width;
  }

  void Lay() {
    if (Table.columnCount() < 2) {
      return;
    }
    Table.setColumnWidth(0, Captions);
    Table.setMinimumWidth(Captions + std::max(Widest, 24) + 2 * Table.frameWidth());
    LayValues();
  }

  void LayValues() {
    Table.setColumnWidth(1, std::max(0, Table.viewport()->width() - Table.columnWidth(0)));
  }

  QTableWidget& Table;
  int Minimum;
  int Captions = 0;
  int Widest = 0;
};

}  // namespace

void LeaveRoomForDropDowns(QTableWidget& table) {
  for (QObject* child : table.children()) {
    if (auto* fitter = dynamic_cast<TCaptionFitter*>(child)) {
      fitter->DropDowns = true;
      fitter->Fit();
    }
  }
}

void KeepCaptionsWhole(QTableWidget& table, int minimum) {
  table.horizontalHeader()->setStretchLastSection(false);
  new TCaptionFitter(table, minimum);
}

}  // namespace velt
