#include <ui/widgets/TabSupportUnit.h>

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>
#include <QToolButton>

#include <records/ParameterGridsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/PicturesUnit.h>

namespace velt {

QAction* MakeTabAction(QWidget& form, const char* name, int key, int hint) {
  auto* action = new QAction(&form);
  action->setObjectName(name);
  action->setProperty("veltKey", key);
  action->setProperty("veltHint", hint);
  form.addAction(action);
  return action;
}

void LoadTabActionTexts(QWidget& form, const TLocalStrings& strings) {
  for (QAction* action : form.findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QVariant hint = action->property("veltHint");
    const QVariant key = action->property("veltKey");
    if (!hint.isValid() || !key.isValid()) {
      continue;
    }
    const QString text = FromCp1251(strings.Value(static_cast<std::uint16_t>(hint.toInt())));
    const QString keyName = QStringLiteral("F%1").arg(key.toInt());
    // The button shows its picture and key; the whole hint is its tooltip (a
    // hint cut to what the tool bar's width allows would not say anything).
    action->setText(keyName);
    action->setToolTip(QStringLiteral("<B>") + keyName + QStringLiteral(" </B>") + text);
  }
}

std::array<int, 6> ModeIndicatorIndices(const TBaseConfigCell* cell) {
  if (cell == nullptr) {
    return {-1, -1, -1, -1, -1, -1};
  }
  return {cell->TVG_ENABLED + 17,   cell->STROBE_ALGORYTHM + 13, cell->SCREEN_MODE + 7,
          cell->SIGNAL_TYPE + 4,    cell->CURSOR_1_ENABLED + 0,  cell->CURSOR_2_ENABLED + 2};
}

void ShowModeIndicators(const std::array<QToolButton*, 6>& buttons, const TBaseConfigCell* cell) {
  const std::array<int, 6> indices = ModeIndicatorIndices(cell);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    // The picture shows the index; the property keeps the number itself. A
    // button that already shows its picture keeps it (and the sizes drawn).
    const QVariant shown = buttons[i]->property("veltImageIndex");
    if (shown.isValid() && shown.toInt() == indices[i]) {
      continue;
    }
    buttons[i]->setProperty("veltImageIndex", indices[i]);
    buttons[i]->setIcon(ModeIndicatorIcon(indices[i]));
  }
}

std::array<int, 6> ShownModeIndicators(const std::array<QToolButton*, 6>& buttons) {
  std::array<int, 6> indices{};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    indices[i] = buttons[i]->property("veltImageIndex").toInt();
  }
  return indices;
}

TValueCellDelegate::TValueCellDelegate(TTableGrid& grid, std::function<TNumberFormat()> format,
                                       std::function<void()> committed, QObject* parent)
    : QStyledItemDelegate(parent),
      Grid(grid),
      Format(std::move(format)),
      Committed(std::move(committed)) {}

QWidget* TValueCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const {
  if (index.column() != 1) {
    return nullptr;
  }
  const TTableGrid::TRowStyle& style = Grid.Style(index.row());
  if (style.PickList) {
    auto* box = new QComboBox(parent);
    for (const std::string& entry : style.Entries) {
      box->addItem(FromCp1251(entry));
    }
    // A choice is committed at once; the drop-down stays.
    connect(box, &QComboBox::activated, this, [this, box](int) {
      auto* self = const_cast<TValueCellDelegate*>(this);
      emit self->commitData(box);
    });
    return box;
  }
  auto* field = new QLineEdit(parent);
  // A mask of n optional characters: at most n characters.
  if (!style.Mask.empty()) {
    field->setMaxLength(static_cast<int>(style.Mask.size()));
  }
  // The view filters the editor's events through this delegate.
  return field;
}

void TValueCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const QString text = index.data(Qt::EditRole).toString();
  if (auto* box = qobject_cast<QComboBox*>(editor)) {
    box->setCurrentIndex(box->findText(text));
  } else if (auto* field = qobject_cast<QLineEdit*>(editor)) {
    field->setText(text);
  }
}

void TValueCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
  QString text;
  if (auto* box = qobject_cast<QComboBox*>(editor)) {
    text = box->currentText();
  } else if (auto* field = qobject_cast<QLineEdit*>(editor)) {
    text = field->text();
  }
  model->setData(index, text, Qt::EditRole);
  if (Committed) {
    Committed();
  }
}

bool TValueCellDelegate::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) != nullptr) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.size() == 1 && text.front().isPrint()) {
      const std::string typed = ToCp1251(text);
      if (typed.size() != 1 || !AcceptedInValueCell(typed[0], Format())) {
        return true;  // discarded
      }
    }
  }
  return QStyledItemDelegate::eventFilter(watched, event);
}

QLabel* MakeHeaderLabel(QWidget& page) {
  auto* label = new QLabel(&page);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

TDetailsParts BuildDetailsColumns(QWidget& page, QBoxLayout& body, QLayout* buttons,
                                  QLabel& picture, const TDetailsNames& names) {
  constexpr int kResultGridRows = 8;
  TDetailsParts parts;
  for (std::size_t i = 1; i < parts.Headers.size(); ++i) {
    parts.Headers[i] = MakeHeaderLabel(page);
  }
  // The caption panel spans the picture's column and the settings' column:
  // a record's caption with its time and date needs more than the picture's
  // width.
  auto* details = new QVBoxLayout;
  body.addLayout(details, 1);
  parts.Caption = new QLabel(&page);
  parts.Caption->setObjectName(names.Caption);
  parts.Caption->setFrameShape(QFrame::Panel);
  parts.Caption->setFrameShadow(QFrame::Sunken);
  details->addWidget(parts.Caption);
  auto* columns = new QHBoxLayout;
  details->addLayout(columns, 1);
  auto* middle = new QVBoxLayout;
  columns->addLayout(middle);
  if (buttons != nullptr) {
    middle->addLayout(buttons);
  }
  middle->addWidget(parts.Headers[1]);
  middle->addWidget(&picture);
  auto* grids = new QHBoxLayout;
  middle->addLayout(grids);
  const auto column = [&page, grids](QLabel* header, const char* name) {
    auto* layout = new QVBoxLayout;
    grids->addLayout(layout);
    layout->addWidget(header);
    QTableWidget* table = MakeParameterTable(&page, name, kResultGridRows);
    layout->addWidget(table);
    return table;
  };
  parts.Results = column(parts.Headers[2], names.Results);
  parts.Conditions = column(parts.Headers[3], names.Conditions);
  middle->addStretch(1);

  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  right->addWidget(parts.Headers[4]);
  for (std::size_t g = 0; g < parts.Groups.size(); ++g) {
    right->addWidget(parts.Headers[5 + g]);
    parts.Groups[g] = MakeParameterTable(&page, names.Groups[g], names.GroupRows[g]);
    right->addWidget(parts.Groups[g]);
    if (g == 2) {
      parts.Scale = new QComboBox(&page);
      parts.Scale->setObjectName(names.Scale);
      right->addWidget(parts.Scale);
    }
  }
  parts.CommentsHeader = new QLabel(&page);
  parts.CommentsHeader->setObjectName(names.CommentsHeader);
  right->addWidget(parts.CommentsHeader);
  parts.Comments = new QPlainTextEdit(&page);
  parts.Comments->setObjectName(names.Comments);
  parts.Comments->setFixedHeight(80);
  right->addWidget(parts.Comments);
  right->addStretch(1);
  return parts;
}

void StoreMemoLines(const QPlainTextEdit& memo, std::vector<std::string>& lines) {
  lines.clear();
  const QString text = memo.toPlainText();
  if (text.isEmpty()) {
    return;
  }
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    lines.push_back(ToCp1251(line));
  }
}

void ShowMemoLines(QPlainTextEdit& memo, const std::vector<std::string>& lines) {
  QStringList shown;
  for (const std::string& line : lines) {
    shown.push_back(FromCp1251(line));
  }
  memo.setPlainText(shown.join(QLatin1Char('\n')));
}

void SelectSelectorRow(QTableWidget& grid, int row, bool toTop) {
  if (row >= 1 && row <= grid.rowCount()) {
    grid.setCurrentCell(row - 1, 1);
    grid.selectRow(row - 1);
  }
  if (toTop) {
    grid.scrollToTop();
  }
}

std::optional<std::filesystem::path> ChooseFileToOpen(IFileDialogs& dialogs,
                                                       IUserFeedback& feedback,
                                                       const TLocalStrings& strings,
                                                       const TFileDialogRequest& request) {
  std::optional<std::filesystem::path> path = dialogs.ChooseOpen(request);
  std::error_code ignored;
  if (path && !std::filesystem::is_regular_file(*path, ignored)) {
    feedback.ShowMessage(strings.Error(9), strings.Error(28), TMessageIcon::Error);
    return std::nullopt;
  }
  return path;
}

std::optional<std::filesystem::path> ChooseFileToSave(IFileDialogs& dialogs,
                                                       IUserFeedback& feedback,
                                                       const TLocalStrings& strings,
                                                       const TFileDialogRequest& request) {
  std::optional<std::filesystem::path> path = dialogs.ChooseSave(request);
  std::error_code ignored;
  // A question, not an error: it carries the title of what the user is
  // doing, and Enter keeps the file that is there.
  const QString& title = request.Purpose.isEmpty() ? request.Title : request.Purpose;
  if (path && std::filesystem::exists(*path, ignored) &&
      !feedback.AskYesNo(ToCp1251(title), strings.Error(8), TMessageIcon::Warning,
                         TAnswer::No)) {
    return std::nullopt;
  }
  return path;
}

int FirstVisibleRow(const QTableWidget& grid) {
  const int row = grid.rowAt(0);
  return row < 0 ? 1 : row + 1;
}

void SetFirstVisibleRow(QTableWidget& grid, int row) {
  if (row < 1 || row > grid.rowCount()) {
    return;
  }
  if (QTableWidgetItem* item = grid.item(row - 1, 0)) {
    grid.scrollToItem(item, QAbstractItemView::PositionAtTop);
  }
}

void ScrollForward(QTableWidget& grid, int row) {
  SetFirstVisibleRow(grid, row < 26 ? 1 : row - 24);
}

void ScrollBack(QTableWidget& grid, int row) {
  if (row < FirstVisibleRow(grid)) {
    SetFirstVisibleRow(grid, row);
  }
}

void MakeValueColumnEditable(TTableGrid& grid, TValueCellDelegate* delegate) {
  grid.EditableValues = true;
  QTableWidget& table = grid.Widget();
  table.setItemDelegateForColumn(1, delegate);
  table.setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  table.setSelectionMode(QAbstractItemView::SingleSelection);
  table.setFocusPolicy(Qt::StrongFocus);
  LeaveRoomForDropDowns(table);
}

void ConnectPictureMouse(TPictureLabel& label, TSetupPictureMouse& mouse, QSize surface,
                         QObject& owner) {
  label.OnPress = [&mouse](QPoint p, TMouseButton button) { mouse.MouseDown(p.x(), p.y(), button); };
  label.OnMove = [&mouse, surface](QPoint p, bool leftHeld) {
    mouse.MouseMove(p.x(), p.y(), surface.width(), surface.height(), leftHeld);
  };
  label.OnRelease = [&mouse](TMouseButton button) { mouse.MouseUp(button); };
  label.OnDoubleClick = [&mouse](TMouseButton button) { mouse.DoubleClick(button); };
  label.OnReleaseLost = [&mouse] { mouse.ReleaseLost(); };
  QObject::connect(qApp, &QApplication::focusChanged, &owner, [&label, &mouse] {
    if (label.LeftHeld()) {
      mouse.ReleaseLost();
    }
  });
}

void SetPictureCursor(QWidget& picture, TMouseCursorShape shape) {
  switch (shape) {
    case TMouseCursorShape::SizeAll:
      picture.setCursor(Qt::SizeAllCursor);
      break;
    case TMouseCursorShape::HorizontalSplit:
      picture.setCursor(Qt::SplitHCursor);
      break;
    case TMouseCursorShape::VerticalSplit:
      picture.setCursor(Qt::SplitVCursor);
      break;
    case TMouseCursorShape::Hand:
      picture.setCursor(Qt::PointingHandCursor);
      break;
    case TMouseCursorShape::Default:
      picture.unsetCursor();
      break;
  }
}

}  // namespace velt
