#include <ui/online/OnlineSettingsListsUnit.h>

#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include <records/ParameterGridsUnit.h>
#include <strings/LocalStringsUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>
#include <ui/widgets/Cp1251.h>

namespace velt {
namespace {

constexpr int kPanelWidth = 342;
constexpr int kKeyColumnWidth = 180;
constexpr int kRowHeight = 18;
constexpr std::uint16_t kCaptionString = 21;

struct TListNames {
  const char* List;
  const char* Mask;
  const char* Combo;
};
constexpr TListNames kNames[TOnlineSettingsLists::kLists] = {
    {"OtherParamsValueListEditor", "OtherParamsMaskEdit", "OtherParamsComboBox"},
    {"OtherParams2ValueListEditor", "OtherParams2MaskEdit", "OtherParams2ComboBox"},
    {"OtherParams3ValueListEditor", "OtherParams3MaskEdit", "OtherParams3ComboBox"},
    {"OtherParams4ValueListEditor", "OtherParams4MaskEdit", "OtherParams4ComboBox"},
    {"OtherParams5ValueListEditor", "OtherParams5MaskEdit", "OtherParams5ComboBox"}};

// The keys of each list (value strings), row by row.
constexpr std::uint16_t kKeys1[] = {12, 13, 14, 15, 16, 17};
constexpr std::uint16_t kKeys2[] = {20, 23, 24, 25, 26};
constexpr std::uint16_t kKeys3[] = {27, 28, 30};
constexpr std::uint16_t kKeys4[] = {35, 37, 34, 38};
constexpr std::uint16_t kKeys5[] = {44, 45, 46, 47, 48};
constexpr std::span<const std::uint16_t> kKeys[TOnlineSettingsLists::kLists] = {
    kKeys1, kKeys2, kKeys3, kKeys4, kKeys5};

bool IsEnter(const QKeyEvent& key) {
  return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// Focus that moves between windows (a message box, the window given up)
// or to a drop-down's own popup is not the user leaving a control.
bool LeavesTheControl(const QFocusEvent& focus) {
  return focus.reason() != Qt::ActiveWindowFocusReason && focus.reason() != Qt::PopupFocusReason;
}

// Only the value column takes a selection, and none while a batch
// exchange runs (its progress window is up).
class TValueList : public QTableWidget {
 public:
  TValueList(int rows, QWidget* parent, std::function<bool()> blocked)
      : QTableWidget(rows, 2, parent), Blocked(std::move(blocked)) {}

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override {
    if (!index.isValid() || index.column() != 1 || (Blocked && Blocked())) {
      return QItemSelectionModel::NoUpdate;
    }
    return QTableWidget::selectionCommand(index, event);
  }

 private:
  std::function<bool()> Blocked;
};

}  // namespace

struct TOnlineSettingsLists::TList {
  TValueList* Table = nullptr;
  std::unique_ptr<TTableGrid> Grid;
  QLineEdit* Mask = nullptr;
  QComboBox* Combo = nullptr;
  // Set while an edit is being taken or was cancelled: the editor's exit
  // that follows takes nothing.
  bool Tag = false;
  int EditRow = -1;
};

TOnlineSettingsLists::TOnlineSettingsLists(TVELTMainForm& form, TOnlineListsPorts ports,
                                           QWidget* parent)
    : QWidget(parent), Form(form), Ports(std::move(ports)) {
  setFixedWidth(kPanelWidth);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  CaptionPanel = new QLabel(this);
  CaptionPanel->setObjectName("OnlineSettingsCaptionPanel");
  CaptionPanel->setFrameShape(QFrame::Panel);
  CaptionPanel->setFrameShadow(QFrame::Raised);
  CaptionPanel->setAlignment(Qt::AlignCenter);
  layout->addWidget(CaptionPanel);
  for (int k = 0; k < kLists; ++k) {
    auto list = std::make_unique<TList>();
    const int rows = static_cast<int>(kKeys[k].size());
    list->Table = new TValueList(
        rows, this, [this] { return Ports.ProgressShowing && Ports.ProgressShowing(); });
    QTableWidget& table = *list->Table;
    table.setObjectName(kNames[k].List);
    table.horizontalHeader()->hide();
    table.verticalHeader()->hide();
    table.verticalHeader()->setDefaultSectionSize(kRowHeight);
    table.setFixedHeight(rows * kRowHeight + 2);
    table.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Values are edited only through the list's own editors below.
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSelectionBehavior(QAbstractItemView::SelectItems);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.setFocusPolicy(Qt::StrongFocus);
    // The keys whole (180 pixels at least), the values taking the rest.
    KeepCaptionsWhole(table, kKeyColumnWidth);
    table.installEventFilter(this);
    list->Grid = std::make_unique<TTableGrid>(table);
    list->Grid->EditableValues = true;

    list->Mask = new QLineEdit(table.viewport());
    list->Mask->setObjectName(kNames[k].Mask);
    list->Mask->setFrame(false);
    list->Mask->hide();
    list->Mask->installEventFilter(this);
    list->Combo = new QComboBox(table.viewport());
    list->Combo->setObjectName(kNames[k].Combo);
    list->Combo->hide();
    list->Combo->installEventFilter(this);
    connect(list->Combo, &QComboBox::activated, this, [this, k](int) { ChoiceChanged(k); });
    connect(&table, &QTableWidget::currentCellChanged, this,
            [this, k](int row, int column, int, int) { CellSelected(k, row, column); });
    layout->addWidget(&table);
    Lists[static_cast<std::size_t>(k)] = std::move(list);
  }
  layout->addStretch(1);
}

TOnlineSettingsLists::~TOnlineSettingsLists() {
  // The editors go with their lists; what they report while they go must
  // not reach the lists' state.
  for (const std::unique_ptr<TList>& list : Lists) {
    list->Mask->removeEventFilter(this);
    list->Combo->removeEventFilter(this);
    list->Table->removeEventFilter(this);
    disconnect(list->Combo, nullptr, this, nullptr);
    disconnect(list->Table, nullptr, this, nullptr);
  }
}

QTableWidget& TOnlineSettingsLists::List(int k) const {
  return *Lists[static_cast<std::size_t>(k)]->Table;
}

QLineEdit& TOnlineSettingsLists::MaskEdit(int k) const {
  return *Lists[static_cast<std::size_t>(k)]->Mask;
}

QComboBox& TOnlineSettingsLists::ComboBox(int k) const {
  return *Lists[static_cast<std::size_t>(k)]->Combo;
}

TDataCell* TOnlineSettingsLists::DrawingRecord() const {
  return Form.Configs.DrawingRecord.get();
}

void TOnlineSettingsLists::LoadTexts() {
  if (Ports.Strings == nullptr) {
    return;
  }
  const TLocalStrings& s = *Ports.Strings;
  CaptionPanel->setText(FromCp1251(s.Caption(kCaptionString)));
  for (int k = 0; k < kLists; ++k) {
    const std::span<const std::uint16_t> keys = kKeys[k];
    for (std::size_t row = 0; row < keys.size(); ++row) {
      Lists[static_cast<std::size_t>(k)]->Grid->SetCell(0, static_cast<int>(row),
                                                        s.Value(keys[row]));
    }
  }
}

void TOnlineSettingsLists::RefillList(int k) {
  TList& list = *Lists[static_cast<std::size_t>(k)];
  if (const TDataCell* record = DrawingRecord()) {
    FillOnlineGroup(*record, k + 1, *list.Grid);
  } else {
    FillOnlineGroup(TDataCell(), k + 1, *list.Grid);
  }
}

void TOnlineSettingsLists::PrepareRowEditors() {
  // The rows' editing styles follow the configuration's variant, which may
  // change with every collection; cheap enough to take anew with the values.
  const TDataCell* record = DrawingRecord();
  const TBaseConfigCell* cell = record != nullptr ? record->Configuration() : nullptr;
  if (cell == nullptr) {
    return;
  }
  TEditableGrids grids;
  for (int k = 0; k < kLists; ++k) {
    grids.OnlineEditors[k] = Lists[static_cast<std::size_t>(k)]->Grid.get();
  }
  PrepareEditors(*cell, grids);
}

void TOnlineSettingsLists::Refill() {
  for (int k = 0; k < kLists; ++k) {
    CloseEditors(k);
  }
  PrepareRowEditors();
  for (int k = 0; k < kLists; ++k) {
    RefillList(k);
  }
}

void TOnlineSettingsLists::ClearListSelection(int k) {
  QTableWidget& table = List(k);
  Filling = true;
  table.clearSelection();
  // No current cell either: selecting the same cell again opens its editor.
  table.setCurrentIndex(QModelIndex());
  Filling = false;
}

void TOnlineSettingsLists::ClearSelection() {
  for (int k = 0; k < kLists; ++k) {
    ClearListSelection(k);
  }
}

void TOnlineSettingsLists::CloseEditors(int k) {
  TList& list = *Lists[static_cast<std::size_t>(k)];
  if (!list.Mask->isVisible() && !list.Combo->isVisible()) {
    return;
  }
  list.Tag = true;  // hiding takes nothing
  list.Mask->hide();
  list.Combo->hide();
  list.Tag = false;
}

void TOnlineSettingsLists::CellSelected(int k, int row, int column) {
  if (Filling || row < 0 || column != 1 || (Ports.ProgressShowing && Ports.ProgressShowing())) {
    return;
  }
  TList& list = *Lists[static_cast<std::size_t>(k)];
  QTableWidget& table = *list.Table;
  CloseEditors(k);
  list.Tag = false;
  list.EditRow = row;
  // One pixel inside the cell's left and top edge, one pixel larger.
  const QRect cell = table.visualRect(table.model()->index(row, 1));
  const QRect over(cell.left() + 1, cell.top() + 1, cell.width() + 1, cell.height() + 1);
  const QString text = FromCp1251(list.Grid->Cell(1, row));
  const TTableGrid::TRowStyle& style = list.Grid->Style(row);
  if (style.PickList) {
    QComboBox& box = *list.Combo;
    box.clear();
    for (const std::string& entry : style.Entries) {
      box.addItem(FromCp1251(entry));
    }
    box.setCurrentIndex(box.findText(text));
    box.setGeometry(over);
    box.show();
    box.setFocus();
  } else {
    QLineEdit& field = *list.Mask;
    // A mask of n characters lets n be typed.
    field.setMaxLength(style.Mask.empty() ? 32767 : static_cast<int>(style.Mask.size()));
    field.setText(text);
    field.selectAll();
    field.setGeometry(over);
    field.show();
    field.setFocus();
  }
}

void TOnlineSettingsLists::EditorDone(int k, bool cancelled) {
  TList& list = *Lists[static_cast<std::size_t>(k)];
  if (cancelled) {
    list.Tag = true;
    list.Table->setFocus();
    list.Mask->hide();
    list.Combo->hide();
    if (list.Tag) {
      // The editor did not have the focus, so no exit came to end the
      // cancel: end it here.
      list.Tag = false;
      ClearListSelection(k);
    }
    return;
  }
  if (list.Tag) {
    // The exit after a cancel, or the one the hiding below causes.
    list.Tag = false;
    ClearListSelection(k);
    return;
  }
  if (list.EditRow < 0 || (!list.Mask->isVisible() && !list.Combo->isVisible())) {
    return;
  }
  list.Tag = true;
  const QString text = list.Combo->isVisible() ? list.Combo->currentText() : list.Mask->text();
  list.Grid->SetCell(1, list.EditRow, ToCp1251(text));
  // The list takes the focus before the editor goes, so that it does not
  // wander to the next control meanwhile.
  list.Table->setFocus();
  list.Mask->hide();
  list.Combo->hide();
  list.Tag = true;
  Commit(k, true);
  list.Tag = false;
}

void TOnlineSettingsLists::ChoiceChanged(int k) {
  TList& list = *Lists[static_cast<std::size_t>(k)];
  if (!list.Combo->isVisible() || list.EditRow < 0) {
    return;
  }
  list.Grid->SetCell(1, list.EditRow, ToCp1251(list.Combo->currentText()));
  Commit(k, false);  // the drop-down stays
}

void TOnlineSettingsLists::Commit(int k, bool clearSelection) {
  TList& list = *Lists[static_cast<std::size_t>(k)];
  TDataCell* record = DrawingRecord();
  if (record == nullptr || record->Configuration() == nullptr) {
    RefillList(k);
    return;
  }
  if (ApplyOnlineGroup(*record, k + 1, *list.Grid)) {
    RefillList(k);
    list.Table->viewport()->update();
    TSetupTab& setup = Form.SetupPage();
    {
      // Asked for from inside a control's event: sent once it has returned.
      const TWorkingConfigurationWriter::TNotHere later(setup.WorkingWriter());
      setup.WriteWorkingConfigurationSoon();
    }
    setup.MarkSelectedChanged();
  } else {
    // The configuration is as it was; the typed value is dropped.
    if (Ports.Feedback != nullptr && Ports.Strings != nullptr) {
      Ports.Feedback->ShowMessage(Ports.Strings->Error(12), Ports.Strings->Error(14),
                                  TMessageIcon::Error);
    }
    RefillList(k);
  }
  if (clearSelection) {
    ClearListSelection(k);
  }
}

bool TOnlineSettingsLists::ListKey(int k, const QKeyEvent& key) {
  // The window's Ctrl keys drive the instrument; the list does nothing
  // with them.
  if (key.modifiers() & Qt::ControlModifier) {
    return true;
  }
  if (IsEnter(key)) {
    const TDataCell* record = DrawingRecord();
    if (Ports.Connected && Ports.Connected() && record != nullptr &&
        record->Configuration() != nullptr) {
      Commit(k, true);
    }
    return true;
  }
  return false;
}

bool TOnlineSettingsLists::EditorKey(int k, const QKeyEvent& key) {
  if (IsEnter(key)) {
    EditorDone(k, false);
    return true;
  }
  if (key.key() == Qt::Key_Escape) {
    EditorDone(k, true);
    return true;
  }
  return false;
}

bool TOnlineSettingsLists::eventFilter(QObject* watched, QEvent* event) {
  for (int k = 0; k < kLists; ++k) {
    TList& list = *Lists[static_cast<std::size_t>(k)];
    if (watched == list.Table) {
      switch (event->type()) {
        case QEvent::KeyPress:
          return ListKey(k, *static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
          if (LeavesTheControl(*static_cast<QFocusEvent*>(event))) {
            // What the other lists hold uncommitted is dropped.
            for (int other = 0; other < kLists; ++other) {
              if (other != k) {
                RefillList(other);
              }
            }
          }
          break;
        default:
          break;
      }
      return false;
    }
    if (watched == list.Mask || watched == list.Combo) {
      if (event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (EditorKey(k, key)) {
          return true;
        }
        if (watched == list.Mask) {
          const QString text = key.text();
          if (text.size() == 1 && text.front().isPrint()) {
            const std::string typed = ToCp1251(text);
            if (typed.size() != 1 || !AcceptedInValueCell(typed[0], Form.Configs.NumberFormat)) {
              return true;  // discarded
            }
          }
        }
      } else if (event->type() == QEvent::FocusOut &&
                 LeavesTheControl(*static_cast<QFocusEvent*>(event))) {
        EditorDone(k, false);
      }
      return false;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velt
