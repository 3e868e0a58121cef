#include <ui/data/DataTabUnit.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include <connection/TransferMessages.h>
#include <records/RecordFilesUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/MemoTextLimiterUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/widgets/TabSupportUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/mainwindow/VeltApplicationUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>

namespace velt {
namespace {

constexpr double kPictureScale = 1.22;
constexpr int kPicturePixels = 1;
constexpr int kPictureX = 1;
constexpr int kPictureY = 1;
const QSize kPictureSurface(324, 241);
constexpr int kResultGridRows = 8;
constexpr int kFirstResultCaption = 4;
// The save action's caption (its hint without the key).
constexpr int kSaveHint = 106;

// The comment field's limits: lines, lines as shown, characters per line.
constexpr int kCommentLines = 4;
constexpr int kCommentDisplayLines = 13;
constexpr int kCommentChars = 70;

// "Ошибка передачи", "В приборе нет записанных кадров", "Сбой при приеме кадров"
const char* const kTransferCaption = "Ошибка передачи";
const char* const kNoRecordsText = "В приборе нет записанных кадров";
const char* const kTransferFailedText = "Сбой при приеме кадров";
// The row of a record whose own settings could not be read: its envelopes
// are real, its settings (and so its measurements) are the defaults.
const char* const kUnreadableMark = "! ";
const char* const kUnreadableHint =
    "Настройки прибора для этого кадра не прочитаны: показаны настройки по умолчанию, "
    "измерения по ним недостоверны";
const QColor kUnreadableColour(0x99, 0x00, 0x00);

std::string Cp(const char* utf8) { return ToCp1251(QString::fromUtf8(utf8)); }

QString TwoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

}  // namespace

TDataTab::TDataTab(TVELTMainForm& form, QWidget& page) : QObject(&page), Form(form) {
  auto* layout = new QVBoxLayout(&page);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* tools = new QToolBar(&page);
  tools->setObjectName("FlawsToolBar");
  layout->addWidget(tools);

  QAction* receive = MakeTabAction(Form, "ReceiveFlawsAction", 1, 104);
  receive->setEnabled(false);
  connect(receive, &QAction::triggered, this, &TDataTab::Download);
  connect(MakeTabAction(Form, "OpenFlawsAction", 4, 105), &QAction::triggered, this, &TDataTab::Open);
  connect(MakeTabAction(Form, "SaveFlawsAction", 5, kSaveHint), &QAction::triggered, this,
          &TDataTab::Save);
  connect(MakeTabAction(Form, "FirstFlawAction", 6, 107), &QAction::triggered, this, &TDataTab::First);
  connect(MakeTabAction(Form, "PrevFlawAction", 7, 108), &QAction::triggered, this, &TDataTab::Prev);
  connect(MakeTabAction(Form, "NextFlawAction", 8, 109), &QAction::triggered, this, &TDataTab::Next);
  connect(MakeTabAction(Form, "LastFlawAction", 9, 110), &QAction::triggered, this, &TDataTab::Last);
  connect(MakeTabAction(Form, "PrintSimpleFlawsAction", 10, 111), &QAction::triggered, this,
          [this] { PrintOrPreview(true); });
  connect(MakeTabAction(Form, "PreviewSimpleFlawsAction", 11, 112), &QAction::triggered, this,
          [this] { PrintOrPreview(false); });
  // The unplug action is the main window's; its button sits on this tab's
  // tool bar too, by the key order.
  for (const char* name : {"ReceiveFlawsAction", "UnplugDeviceAction", "OpenFlawsAction",
                           "SaveFlawsAction",
                           "FirstFlawAction", "PrevFlawAction", "NextFlawAction",
                           "LastFlawAction", "PrintSimpleFlawsAction",
                           "PreviewSimpleFlawsAction"}) {
    tools->addAction(Form.findChild<QAction*>(name));
  }
  ReceiveButton = qobject_cast<QToolButton*>(tools->widgetForAction(receive));
  for (const char* name :
       {"SaveFlawsAction", "PrintSimpleFlawsAction", "PreviewSimpleFlawsAction",
        "FirstFlawAction", "PrevFlawAction", "NextFlawAction", "LastFlawAction"}) {
    Form.findChild<QAction*>(name)->setEnabled(false);
  }
  auto* indicatorRow = new QHBoxLayout;
  for (std::size_t i = 0; i < Indicators.size(); ++i) {
    static const char* const kNames[] = {
        "FlawsTGVStateRxSpeedButton",  "FlawsStrobeAlgRxSpeedButton",
        "FlawsScreenModeRxSpeedButton", "FlawsSignalTypeRxSpeedButton",
        "FlawsFirstStrobeRxSpeedButton", "FlawsSecondStrobeRxSpeedButton"};
    Indicators[i] = new QToolButton(&page);
    Indicators[i]->setObjectName(kNames[i]);
    Indicators[i]->setAutoRaise(true);
    Indicators[i]->setFocusPolicy(Qt::NoFocus);
    indicatorRow->addWidget(Indicators[i]);
  }
  indicatorRow->addStretch(1);

  auto* body = new QHBoxLayout;
  layout->addLayout(body, 1);

  // The selector.
  auto* left = new QVBoxLayout;
  body->addLayout(left);
  left->addWidget(Headers[0] = MakeHeaderLabel(page));
  SelectorGrid = new QTableWidget(0, 4, &page);
  SelectorGrid->setObjectName("FlawSelectorDataDrawGrid");
  SelectorGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  SelectorGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  SelectorGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SelectorGrid->verticalHeader()->hide();
  SelectorGrid->verticalHeader()->setDefaultSectionSize(18);
  SelectorGrid->setFixedWidth(260);
  SelectorGrid->setColumnWidth(0, 34);
  SelectorGrid->setColumnWidth(1, 110);
  SelectorGrid->setColumnWidth(2, 56);
  SelectorGrid->horizontalHeader()->setStretchLastSection(true);
  left->addWidget(SelectorGrid, 1);
  connect(SelectorGrid, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) {
            if (Filling || row < 0) {
              return;
            }
            // Selecting the row already shown is refused.
            if (row + 1 == LastSelected) {
              return;
            }
            ShowRecord(row + 1);
            LastSelected = row + 1;
          });
  connect(SelectorGrid, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int column) { DoubleClick(column, row + 1); });
  connect(SelectorGrid->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int column) { DoubleClick(column, 0); });

  // The picture, results and conditions.
  PictureLabel = new QLabel(&page);
  PictureLabel->setObjectName("FlawSignalImage");
  PictureLabel->setFixedSize(kPictureSurface);
  PictureLabel->setContextMenuPolicy(Qt::CustomContextMenu);
  Surface = std::make_unique<TLabelSurface>(*PictureLabel, kPictureSurface);
  auto* menu = new QMenu(PictureLabel);
  QAction* copyImage = menu->addAction(QString());
  copyImage->setObjectName("CopyFlawImageMenuItem");
  connect(copyImage, &QAction::triggered, this, &TDataTab::CopyImage);
  QAction* copyData = menu->addAction(QString());
  copyData->setObjectName("CopyFlawDataMenuItem");
  connect(copyData, &QAction::triggered, this, &TDataTab::CopyData);
  connect(PictureLabel, &QLabel::customContextMenuRequested, menu,
          [this, menu](QPoint at) { menu->popup(PictureLabel->mapToGlobal(at)); });

  // The picture, results and conditions; the device settings and comments.
  static const TDetailsNames kNames = {
      "FlawdetailCaptionPanel",
      "ResultParamsStringGrid",
      "ResultConditionsStringGrid",
      {"FistParamsGroupStringGrid", "SecondParamsGroupStringGrid", "ThirdParamsGroupStringGrid",
       "FouthParamsGroupStringGrid"},
      {5, 4, 4, 5},
      "ScaleXComboBox",
      "CommentsHeader",
      "CommentsFlawSetailsMemo"};
  const TDetailsParts parts = BuildDetailsColumns(page, *body, indicatorRow, *PictureLabel, kNames);
  CaptionPanel = parts.Caption;
  for (std::size_t i = 1; i < Headers.size(); ++i) {
    Headers[i] = parts.Headers[i];
  }
  ResultsGrid = std::make_unique<TTableGrid>(*parts.Results);
  ConditionsGrid = std::make_unique<TTableGrid>(*parts.Conditions);
  for (std::size_t g = 0; g < Groups.size(); ++g) {
    Groups[g] = std::make_unique<TTableGrid>(*parts.Groups[g]);
  }
  ScaleX = parts.Scale;
  ScaleX->setEnabled(false);  // it only shows the record's value
  Scale = std::make_unique<TComboScale>(*ScaleX);
  CommentsMemo = parts.Comments;
  Limiter = new TMemoTextLimiter(*CommentsMemo, kCommentLines, kCommentDisplayLines,
                                 kCommentChars, Form.Feedback);
  CommentsMemo->installEventFilter(this);
  ShowIndicators(nullptr);
}

TDataTab::~TDataTab() = default;

void TDataTab::LoadTexts() {
  const TLocalStrings& s = Form.Strings;
  const auto caption = [&s](int n) { return FromCp1251(s.Caption(static_cast<std::uint16_t>(n))); };
  Headers[0]->setText(caption(13));
  Headers[1]->setText(caption(17));
  Headers[2]->setText(caption(18));
  Headers[3]->setText(caption(19));
  Headers[4]->setText(caption(21));
  for (int g = 0; g < 4; ++g) {
    Headers[static_cast<std::size_t>(5 + g)]->setText(caption(22 + g));
  }
  if (auto* comments = Form.findChild<QLabel*>("CommentsHeader")) {
    comments->setText(caption(20));
  }
  SelectorGrid->setHorizontalHeaderLabels({caption(26), caption(41), caption(28), caption(29)});
  FitSelectorColumns(*SelectorGrid, 1);
  PictureLabel->findChild<QAction*>("CopyFlawImageMenuItem")->setText(caption(110));
  PictureLabel->findChild<QAction*>("CopyFlawDataMenuItem")->setText(caption(111));
  for (int row = 0; row < kResultGridRows; ++row) {
    ResultsGrid->SetCell(0, row, s.Value(static_cast<std::uint16_t>(kFirstResultCaption + row)));
  }
  FillGroupCaptions(s, TParameterGroup::Conditions, *ConditionsGrid);
  FillGroupCaptions(s, TParameterGroup::First, *Groups[0]);
  FillGroupCaptions(s, TParameterGroup::Second, *Groups[1]);
  FillGroupCaptions(s, TParameterGroup::Third, *Groups[2]);
  FillGroupCaptions(s, TParameterGroup::Fourth, *Groups[3]);
  Clear();
}

int TDataTab::CurrentRow() const { return Form.SelectedRecord; }

TDataCell* TDataTab::CurrentRecord() const { return Form.Flaws.CurrentRecord; }

bool TDataTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CommentsMemo && event->type() == QEvent::FocusOut) {
    StoreComments();
  }
  return QObject::eventFilter(watched, event);
}

void TDataTab::StoreComments() {
  TDataCell* record = CurrentRecord();
  if (record == nullptr) {
    return;
  }
  StoreMemoLines(*CommentsMemo, record->Comments);
}

void TDataTab::FillSelector() {
  Filling = true;
  const TFlawDataBlock& flaws = Form.Flaws;
  SelectorGrid->clearContents();
  SelectorGrid->setRowCount(flaws.Count);
  for (int r = 0; r < flaws.Count; ++r) {
    const std::uint16_t index = flaws.DisplayOrder[static_cast<std::size_t>(r)];
    const TDataCell& record = *flaws.Records[index];
    const TBaseConfigCell* cell = record.Configuration();
    const QString name = cell != nullptr ? FromCp1251(cell->CONFIGURATION_NAME) : QString();
    const QString texts[4] = {
        QString::number(index + 1),
        record.UnreadableSettings ? QString::fromUtf8(kUnreadableMark) + name : name,
        cell != nullptr ? QString::number(cell->CONFIG_INDEX) : QString(),
        record.PrintFlag != 0 ? QStringLiteral("*") : QString()};
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem(texts[c]);
      if (record.UnreadableSettings) {
        item->setForeground(kUnreadableColour);
        item->setToolTip(QString::fromUtf8(kUnreadableHint));
      }
      SelectorGrid->setItem(r, c, item);
    }
  }
  Filling = false;
}

void TDataTab::SelectRow(int row, bool toTop) {
  Filling = true;
  SelectSelectorRow(*SelectorGrid, row, toTop);
  Filling = false;
}

void TDataTab::ShowIndicators(const TBaseConfigCell* cell) { ShowModeIndicators(Indicators, cell); }

std::array<int, 6> TDataTab::ModeIndicators() const { return ShownModeIndicators(Indicators); }

void TDataTab::FillGroups(const TDataCell& record) {
  // The X-scale selector offers the record's own class's list.
  if (const TBaseConfigCell* cell = record.Configuration()) {
    cell->FillParameterList(*Scale, kScaleParameter);
  } else {
    ScaleX->clear();
  }
  FillGroup(record, TParameterGroup::First, *Groups[0]);
  FillGroup(record, TParameterGroup::Second, *Groups[1]);
  FillThirdGroup(record, *Groups[2], *Scale);
  FillGroup(record, TParameterGroup::Fourth, *Groups[3]);
}

void TDataTab::ShowRecord(int row) {
  TFlawDataBlock& flaws = Form.Flaws;
  if ((flaws.Source != kSourceInstrument && flaws.Source != kSourceFile) || row <= 0 ||
      row > flaws.Count) {
    return;
  }
  if (Previous != 0) {
    StoreComments();
  }
  Previous = Form.SelectedRecord;
  Form.SelectedRecord = static_cast<std::uint16_t>(row);
  const std::uint16_t index = flaws.DisplayOrder[static_cast<std::size_t>(row - 1)];
  TDataCell& record = *flaws.Records[index];
  flaws.CurrentRecord = &record;

  ShowMemoLines(*CommentsMemo, record.Comments);

  const TBaseConfigCell* cell = record.Configuration();
  const TLocalStrings& s = Form.Strings;
  QString caption = FromCp1251(s.Caption(14)) + QString::number(index + 1) +
                    QString(7, QLatin1Char(' ')) + FromCp1251(s.Caption(15));
  if (cell != nullptr) {
    caption += FromCp1251(cell->CONFIGURATION_NAME) + FromCp1251(s.Caption(16)) +
               QString::number(cell->CONFIG_INDEX);
    if (flaws.DeviceType == 2) {
      caption += QString(6, QLatin1Char(' ')) + TwoDigits(cell->SNAP_HOUR) + ':' +
                 TwoDigits(cell->SNAP_MINUTE) + ':' + TwoDigits(cell->SNAP_SECOND) +
                 QString(8, QLatin1Char(' ')) + TwoDigits(cell->SNAP_DAY) + '-' +
                 TwoDigits(cell->SNAP_MONTH) + '-' +
                 QStringLiteral("%1").arg(2000 + cell->SNAP_YEAR, 4, 10, QLatin1Char('0'));
    }
  } else {
    caption += FromCp1251(s.Caption(16));
  }
  CaptionPanel->setText(caption);

  ShowIndicators(cell);
  record.ResetAveraging();
  FillResultsGrid(record, *ResultsGrid, false);
  FillConditionsGrid(record, *ConditionsGrid, *ResultsGrid);
  FillGroups(record);
  RefreshNavigation();
  DrawSignalView(record, *Surface, false, kPictureScale, kPictureY, kPictureX, kPicturePixels,
                 Form.ScreenScheme);
}

void TDataTab::RefreshNavigation() {
  const int row = Form.SelectedRecord;
  const int count = Form.Flaws.Count;
  const bool back = row > 1;
  const bool forward = row != 0 && (row == 1 || row < count);
  Form.findChild<QAction*>("FirstFlawAction")->setEnabled(back);
  Form.findChild<QAction*>("PrevFlawAction")->setEnabled(back);
  Form.findChild<QAction*>("NextFlawAction")->setEnabled(forward);
  Form.findChild<QAction*>("LastFlawAction")->setEnabled(forward);
}

void TDataTab::SetTransferActions(bool enabled) {
  for (const char* name : {"SaveFlawsAction", "PrintSimpleFlawsAction",
                           "PreviewSimpleFlawsAction"}) {
    Form.findChild<QAction*>(name)->setEnabled(enabled);
  }
}

void TDataTab::Download() {
  // Asked for while another exchange runs (the pause after a configuration
  // write): the download waits its turn instead of failing on a busy link.
  if (Form.SetupPage().WorkingWriter().Later([this] { Download(); })) {
    return;
  }
  TFlawDataBlock& flaws = Form.Flaws;
  TInstrumentConnection& connection = Form.Connection;
  Form.SetToolButtonBusy(true, ReceiveButton);
  ClearSignalView(*Surface);
  SelectRow(1, true);
  LastSelected = 1;
  TBatchReport report;
  const bool received = connection.DownloadAllRecords(flaws, &report);
  if (received && flaws.Count > 0) {
    flaws.Source = kSourceInstrument;
    FillSelector();
    CommentsMemo->clear();
    SetTransferActions(true);
    Form.SelectedRecord = 1;
    Previous = 1;
    ShowRecord(1);
    SelectRow(1, true);
    flaws.FileName = connection.State.StateText;
    Form.RecordsAvailable = true;
    if (Form.ReportHeader) {
      Form.ReportHeader->ClearFlaws();
    }
    if (Form.AppendixHeader) {
      Form.AppendixHeader->ClearFlaws();
    }
    if (connection.State.DeviceType == 2 &&
        connection.SetClock() == TExchangeOutcome::Refused) {
      const TTransferMessage refused = ClockRefusedMessage();
      Form.Feedback.ShowMessage(refused.Caption, refused.Text, TMessageIcon::Error);
    }
    // The records are kept, but the user must know which ones measure
    // with made-up settings.
    if (const std::string unreadable = UnreadableSettingsText(report.UnreadableSettings);
        !unreadable.empty()) {
      Form.Feedback.ShowMessage(Cp(kTransferCaption), unreadable, TMessageIcon::Warning);
    }
  } else {
    flaws.Source = kSourceNone;
    Form.RecordsAvailable = false;
    Form.SelectedRecord = 0;
    Previous = 0;
    const std::string failed = Cp(received ? kNoRecordsText : kTransferFailedText);
    const TTransferMessage message = DownloadFailureMessage(report, failed.c_str());
    Form.Feedback.ShowMessage(message.Caption, message.Text, TMessageIcon::Error);
    flaws.FileName.clear();
    SetTransferActions(false);
    // The collection may be emptied or half rebuilt: no row, caption or
    // grid may go on showing a record that can no longer be reached, and
    // neither report may keep one.
    Clear();
    if (Form.ReportHeader) {
      Form.ReportHeader->ClearFlaws();
    }
  }
  RefreshNavigation();
  Form.RefreshStatusBar();
  Form.SetToolButtonBusy(false, ReceiveButton);
}

void TDataTab::Open() {
  const TLocalStrings& s = Form.Strings;
  // The file is read into a collection aside: until it has been read the
  // records on screen stay as they are, shown, selected and usable, also
  // when the dialog is cancelled or the file is refused.
  const QString filter = FromCp1251(s.Value(67)) + QStringLiteral("(*.dtf)|*.dtf");
  const std::optional<std::filesystem::path> path =
      ChooseFileToOpen(Form.FileDialogs(), Form.Feedback, s,
                       {FromCp1251(s.Caption(56)), filter, QStringLiteral("dtf")});
  if (path) {
    OpenFile(*path);
  }
}

bool TDataTab::OpenFile(const std::filesystem::path& path) {
  TFlawDataBlock& flaws = Form.Flaws;
  const TLocalStrings& s = Form.Strings;
  const TFileResult opened = OpenRecordFile(flaws, path);
  if (!opened.Ok) {
    // The reader's reason (which line, what is wrong) follows the program's words.
    Form.Feedback.ShowMessage(s.Error(9),
                              s.Error(24) + "\n" + TVeltApplication::ErrorText(opened.Error.c_str()),
                              TMessageIcon::Error);
    return false;
  }
  flaws.FileName = path.string();
  Form.RecordsAvailable = true;
  ClearSignalView(*Surface);
  CommentsMemo->clear();
  FillSelector();
  Form.SelectedRecord = 1;
  Previous = 0;
  ShowRecord(1);
  SelectRow(1, true);
  SetTransferActions(true);
  if (Form.ReportHeader) {
    Form.ReportHeader->ClearFlaws();
  }
  if (Form.AppendixHeader) {
    TSimpleReportHeader& appendix = *Form.AppendixHeader;
    appendix.ClearFlaws();
    appendix.FlawDeviceType = flaws.DeviceType;
    for (std::uint16_t r = 0; r < flaws.Count; ++r) {
      TDataCell& record = *flaws.Records[flaws.DisplayOrder[r]];
      if (record.PrintFlag == 1) {
        appendix.AddFlaw(Form.ReportForm(), record, false);
      }
    }
  }
  RefreshNavigation();
  Form.RefreshStatusBar();
  return true;
}

void TDataTab::Save() {
  const TLocalStrings& s = Form.Strings;
  StoreComments();
  const QString filter = FromCp1251(s.Value(67)) + QStringLiteral("(*.dtf)|*.dtf");
  const std::optional<std::filesystem::path> path =
      ChooseFileToSave(Form.FileDialogs(), Form.Feedback, s,
                       {FromCp1251(s.Caption(54)), filter, QStringLiteral("dtf"),
                        FromCp1251(s.Value(kSaveHint))});
  if (!path) {
    return;
  }
  // The system's reason (no space left, file too large, no permission)
  // and the file's name follow the program's own words.
  if (const TFileResult saved = SaveRecordFile(Form.Flaws, *path); !saved.Ok) {
    Form.Feedback.ShowMessage(s.Error(9),
                              s.Error(10) + "\n" + TVeltApplication::ErrorText(saved.Error.c_str()),
                              TMessageIcon::Error);
  }
}

void TDataTab::First() {
  if (Form.SelectedRecord == 1 || Form.SelectedRecord == 0) {
    return;
  }
  SelectRow(1, true);
  LastSelected = 1;
  ShowRecord(1);
}

void TDataTab::Prev() {
  const int row = Form.SelectedRecord;
  if (row < 2) {
    return;
  }
  SelectRow(row - 1, false);
  ScrollBack(*SelectorGrid, row - 1);
  LastSelected = row - 1;
  ShowRecord(row - 1);
}

void TDataTab::Next() {
  const int row = Form.SelectedRecord;
  if (row == 0 || row >= Form.Flaws.Count) {
    return;
  }
  SelectRow(row + 1, false);
  ScrollForward(*SelectorGrid, row + 1);
  LastSelected = row + 1;
  ShowRecord(row + 1);
}

void TDataTab::Last() {
  const int row = Form.SelectedRecord;
  const int count = Form.Flaws.Count;
  if (row == 0 || row >= count) {
    return;
  }
  SelectRow(count, false);
  ScrollForward(*SelectorGrid, count);
  LastSelected = count;
  ShowRecord(count);
}

void TDataTab::PrintOrPreview(bool print) {
  if (!Form.AppendixHeader || Form.SelectedRecord == 0) {
    return;
  }
  TSimpleReportHeader& appendix = *Form.AppendixHeader;
  if (appendix.Count() == 0) {
    const TLocalStrings& s = Form.Strings;
    Form.Feedback.ShowMessage(s.Error(26), s.Error(27), TMessageIcon::Warning);
    return;
  }
  StoreComments();
  if (print) {
    appendix.PrintAppendix(this);
  } else {
    appendix.PreviewAppendix(this);
  }
}

void TDataTab::CopyImage() {
  if (TDataCell* record = CurrentRecord(); record != nullptr && Form.SelectedRecord != 0) {
    DrawSignalView(*record, *Surface, true, kPictureScale, kPictureY, kPictureX, kPicturePixels,
                   Form.ScreenScheme);
  }
}

void TDataTab::CopyData() {
  if (TDataCell* record = CurrentRecord(); record != nullptr && Form.SelectedRecord != 0) {
    QApplication::clipboard()->setText(FromCp1251(record->AScanText()));
  }
}

void TDataTab::DoubleClick(int column, int row) {
  TFlawDataBlock& flaws = Form.Flaws;
  if (flaws.Count == 0) {
    return;
  }
  if (row > 0 && row <= flaws.Count) {
    TDataCell& record = *flaws.Records[flaws.DisplayOrder[static_cast<std::size_t>(row - 1)]];
    QTableWidgetItem* mark = SelectorGrid->item(row - 1, 3);
    if (record.PrintFlag != 0) {
      record.PrintFlag = 0;
      if (mark != nullptr) {
        mark->setText(QString());
      }
      if (Form.AppendixHeader) {
        Form.AppendixHeader->RemoveFlaw(Form.ReportForm(), record, false);
      }
    } else {
      record.PrintFlag = 1;
      if (mark != nullptr) {
        mark->setText(QStringLiteral("*"));
      }
      if (Form.AppendixHeader) {
        Form.AppendixHeader->FlawDeviceType = flaws.DeviceType;
        Form.AppendixHeader->AddFlaw(Form.ReportForm(), record, false);
      }
    }
    return;
  }
  if (row != 0 || (column != 0 && column != 2)) {
    return;
  }
  if (column == 0) {
    flaws.NaturalOrder();
  } else {
    flaws.SortByConfigIndex();
  }
  FillSelector();
  const int current = Form.SelectedRecord;
  SelectRow(current, false);
  ShowRecord(current);
}

void TDataTab::Clear() {
  Filling = true;
  SelectorGrid->clearContents();
  SelectorGrid->setRowCount(1);
  Filling = false;
  Previous = 0;
  LastSelected = 0;
  ClearSignalView(*Surface);
  const TLocalStrings& s = Form.Strings;
  CaptionPanel->setText(FromCp1251(s.Caption(14) + s.Caption(15) + s.Caption(16)));
  CommentsMemo->clear();
  // The appendix's list points into the records that are going.
  if (Form.AppendixHeader) {
    Form.AppendixHeader->ClearFlaws();
  }
  TDataCell empty;
  ShowIndicators(nullptr);
  FillResultsGrid(empty, *ResultsGrid, false);
  FillConditionsGrid(empty, *ConditionsGrid, *ResultsGrid);
  FillGroups(empty);
  RefreshNavigation();
}

void TDataTab::Shown() { Form.RefreshStatusBar(); }

void TDataTab::Refresh() {
  FillSelector();
  const int row = Form.SelectedRecord;
  SelectRow(row, false);
  LastSelected = row;
  Previous = 0;  // nothing stored: see the header
  ShowRecord(row);
}

void TDataTab::Hidden() {
  if (Form.Flaws.Count > 0 && Form.SelectedRecord != 0) {
    ShowRecord(Form.SelectedRecord);  // which keeps the comments typed
  }
}

}  // namespace velt
