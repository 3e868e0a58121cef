#include <ui/report/ReportTabUnit.h>

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <fstream>

#include <reports/ReportHeadersUnit.h>
#include <ui/data/DataTabUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/mainwindow/VeltApplicationUnit.h>
#include <ui/report/QuickRepViewerUnit.h>
#include <ui/report/ReportFieldRulesUnit.h>
#include <ui/report/ReportGridEditorUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/MemoTextLimiterUnit.h>
#include <ui/widgets/TabSupportUnit.h>

namespace velt {
namespace {

namespace fs = std::filesystem;

// The record's picture as on paper: the print colours, e = 1.22, at (1, 1).
constexpr double kPictureScale = 1.22;
constexpr int kPicturePixels = 1;
constexpr int kPictureX = 1;
constexpr int kPictureY = 1;
const QSize kPictureSurface(324, 241);
constexpr int kResultGridRows = 8;
constexpr int kFirstResultCaption = 4;

// The comment field's limits: lines, lines as shown, characters per line.
constexpr int kCommentLines = 4;
constexpr int kCommentDisplayLines = 13;
constexpr int kCommentChars = 70;

constexpr int kSaveHint = 129;

// The selector's columns.
constexpr int kMarkColumn = 3;

struct TActionDesign {
  const char* Name;
  int Key;
  int Hint;
  void (TReportTab::*Run)();
};

// In the order of their keys, which is the tool bar's order too.
const TActionDesign kActions[] = {
    {"ReportSummaryAction", 1, 130, &TReportTab::Summary},
    {"OpenReportFileAction", 4, 128, &TReportTab::OpenReport},
    {"SaveReportFileAction", 5, kSaveHint, &TReportTab::SaveReport},
    {"FirstReportSelectAction", 6, 131, &TReportTab::First},
    {"PreviousReportSelectAction", 7, 132, &TReportTab::Previous},
    {"NextReportSelectAction", 8, 133, &TReportTab::Next},
    {"LastReportSelectAction", 9, 134, &TReportTab::Last},
    {"PrintReportsAction", 10, 135, nullptr},
    {"PreviewReportsAction", 11, 136, nullptr},
    {"OpenQRPReportAction", 12, 137, &TReportTab::OpenSavedReport},
};

const char* const kNavigationActions[] = {"FirstReportSelectAction", "PreviousReportSelectAction",
                                          "NextReportSelectAction", "LastReportSelectAction"};

// The grid columns of the row strings, which a removed record's neighbours
// keep as they move up.
constexpr int kType1StringColumns[] = {1, 2, 3, 4, 5, 6, 8};
constexpr int kType2StringColumns[] = {2, 3, 4, 5, 6, 7, 8, 9};

template <typename THeader, std::size_t N>
void ShowRowTexts(const THeader& header, int type, const int (&columns)[N], IReportForm& form) {
  const auto& rows = header.RowRecords();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t s = 0; s < N && s < rows[i].Strings.size(); ++s) {
      form.SetReportGridCell(type, columns[s], static_cast<int>(i) + 1, rows[i].Strings[s]);
    }
  }
}

// The report tab's file dialogs: they open in the reports' folder and, for
// report files, give the chosen name its ".rct" before anyone looks at it,
// so that the question about replacing a file is asked about the file
// that will be written.
class TReportDialogs : public IFileDialogs {
 public:
  TReportDialogs(IFileDialogs& dialogs, fs::path folder, bool reportFile)
      : Dialogs(dialogs), Folder(std::move(folder)), ReportFile(reportFile) {}
  std::optional<fs::path> ChooseOpen(const TFileDialogRequest& request) override {
    return Named(Dialogs.ChooseOpen(InFolder(request)));
  }
  std::optional<fs::path> ChooseSave(const TFileDialogRequest& request) override {
    return Named(Dialogs.ChooseSave(InFolder(request)));
  }

 private:
  TFileDialogRequest InFolder(TFileDialogRequest request) const {
    if (request.StartFolder.empty()) {
      request.StartFolder = Folder;
    }
    return request;
  }
  std::optional<fs::path> Named(std::optional<fs::path> path) const {
    if (path && ReportFile) {
      return WithReportSuffix(*path);
    }
    return path;
  }
  IFileDialogs& Dialogs;
  fs::path Folder;
  bool ReportFile;
};

}  // namespace

fs::path WithReportSuffix(const fs::path& path) {
  const std::string name = path.string();
  constexpr std::string_view kSuffix = ".rct";
  if (name.size() >= kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(),
                                                    kSuffix) == 0) {
    return path;
  }
  return fs::path(name + std::string(kSuffix));
}

std::string ReportFileDamage(const fs::path& path) {
  constexpr int kFields = 36;
  // Far more than 36 fields of their longest length and the conclusion's
  // lines: anything larger is not a report.
  constexpr std::uintmax_t kLargest = 1u << 20;
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) {
    return "cannot read " + path.string() + ": " + error.message();
  }
  if (size > kLargest) {
    return path.string() + " is too large for a report file";
  }
  std::ifstream file(path, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!file.read(text.data(), static_cast<std::streamsize>(size))) {
    return "cannot read " + path.string();
  }
  if (text.find('\0') != std::string::npos) {
    return path.string() + " holds binary data, not the text of a report file";
  }
  // CR LF, LF and a lone CR each end a line; text after the last line end
  // is one more line.
  int lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++lines;
    }
  }
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') {
    ++lines;
  }
  if (lines < kFields) {
    return path.string() + " is cut short: " + std::to_string(lines) + " lines of the " +
           std::to_string(kFields) + " a report file holds";
  }
  return {};
}

TReportTab::TReportTab(TVELTMainForm& form, QWidget& page) : QObject(&page), Main(form) {
  auto* layout = new QVBoxLayout(&page);
  layout->setContentsMargins(4, 4, 4, 4);
  CreateActions(page, *layout);
  auto* body = new QHBoxLayout;
  layout->addLayout(body, 1);
  BuildSelectorColumn(page, *body);

  auto* right = new QVBoxLayout;
  body->addLayout(right, 1);
  BuildRecordView(page);
  right->addWidget(MainPanel);
  Panel1_ = new TSimpleReportMainReportPanel(&page);
  Panel2_ = new TSimpleReport2MainReportPanel(&page);
  right->addWidget(Panel1_);
  right->addWidget(Panel2_);
  MainPanel->hide();
  Panel2_->hide();
  Bridge_ = std::make_unique<TReportTabForm>(*Panel1_, *Panel2_, true);
  const auto header = [this] { return Main.ReportHeader.get(); };
  Editors[0] = std::make_unique<TReportGridEditor>(*Panel1_, Main.Strings, Main.Feedback, header);
  Editors[1] = std::make_unique<TReportGridEditor>(*Panel2_, Main.Strings, Main.Feedback, header);
  for (auto& editor : Editors) {
    editor->SetFocusTarget(SelectorGrid);
  }
  Rules[0] = std::make_unique<TReportFieldRules>(*Panel1_, Main.Strings, Main.Feedback);
  Rules[1] = std::make_unique<TReportFieldRules>(*Panel2_, Main.Strings, Main.Feedback);
}

TReportTab::~TReportTab() = default;

void TReportTab::CreateActions(QWidget& page, QBoxLayout& layout) {
  auto* tools = new QToolBar(&page);
  tools->setObjectName("ReportsToolBar");
  layout.addWidget(tools);
  for (const TActionDesign& design : kActions) {
    QAction* action = MakeTabAction(Main, design.Name, design.Key, design.Hint);
    if (design.Run != nullptr) {
      connect(action, &QAction::triggered, this, [this, run = design.Run] { (this->*run)(); });
    }
    tools->addAction(action);
  }
  connect(Main.Action("PrintReportsAction"), &QAction::triggered, this,
          [this] { PrintOrPreview(true); });
  connect(Main.Action("PreviewReportsAction"), &QAction::triggered, this,
          [this] { PrintOrPreview(false); });
  // Until the tab is first shown there is nothing to open into or print.
  for (const char* name : {"OpenReportFileAction", "SaveReportFileAction", "PrintReportsAction",
                           "PreviewReportsAction"}) {
    Main.Action(name)->setEnabled(false);
  }
  for (const char* name : kNavigationActions) {
    Main.Action(name)->setEnabled(false);
  }
}

void TReportTab::BuildSelectorColumn(QWidget& page, QBoxLayout& body) {
  auto* left = new QVBoxLayout;
  body.addLayout(left);
  PageCaption = MakeHeaderLabel(page);
  PageCaption->setObjectName("ReportsPageCaptionLabel");
  left->addWidget(PageCaption);
  TypeCaption = MakeHeaderLabel(page);
  TypeCaption->setObjectName("ReportTypeSelectorCaptionPanel");
  left->addWidget(TypeCaption);
  TypeSelector_ = new QComboBox(&page);
  TypeSelector_->setObjectName("ReportTypeSelectorComboBox");
  left->addWidget(TypeSelector_);
  connect(TypeSelector_, &QComboBox::currentIndexChanged, this, [this](int item) {
    if (!Filling && item >= 0) {
      TypeChanged(item);
    }
  });
  SelectorCaption = MakeHeaderLabel(page);
  SelectorCaption->setObjectName("FlawSelectorCaptionReportPanel");
  left->addWidget(SelectorCaption);
  SelectorGrid = new QTableWidget(1, 4, &page);
  SelectorGrid->setObjectName("FlawSelectorForReportStringGrid");
  SelectorGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  SelectorGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  SelectorGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SelectorGrid->verticalHeader()->hide();
  SelectorGrid->verticalHeader()->setDefaultSectionSize(18);
  SelectorGrid->setFixedWidth(230);
  SelectorGrid->setColumnWidth(0, 34);
  SelectorGrid->setColumnWidth(1, 100);
  SelectorGrid->setColumnWidth(2, 50);
  SelectorGrid->horizontalHeader()->setStretchLastSection(true);
  left->addWidget(SelectorGrid, 1);
  // Table row r is selector row r + 1: the title row is the header.
  connect(SelectorGrid, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (!Filling && row >= 0) {
      SelectRow(row + 1);
    }
  });
  connect(SelectorGrid, &QTableWidget::cellPressed, this,
          [this](int row, int column) { MousePress(column, row + 1); });
  connect(SelectorGrid, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int column) { DoubleClick(column, row + 1); });
  connect(SelectorGrid->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int column) { DoubleClick(column, 0); });
}

void TReportTab::BuildRecordView(QWidget& page) {
  MainPanel = new QWidget(&page);
  MainPanel->setObjectName("ReportMainPanel");
  auto* body = new QHBoxLayout(MainPanel);
  body->setContentsMargins(0, 0, 0, 0);
  auto* indicatorRow = new QHBoxLayout;
  static const char* const kIndicatorNames[] = {
      "ReportsTGVStateRXButton",  "ReportsKursorAlgRXButton",   "ReportsScreenModeRXButton",
      "ReportsSignalTypeRXButton", "ReportsFirstStrobeRXButton", "ReportsSecondStrobeRXButton"};
  for (std::size_t i = 0; i < Indicators.size(); ++i) {
    Indicators[i] = new QToolButton(MainPanel);
    Indicators[i]->setObjectName(kIndicatorNames[i]);
    Indicators[i]->setAutoRaise(true);
    Indicators[i]->setFocusPolicy(Qt::NoFocus);
    indicatorRow->addWidget(Indicators[i]);
  }
  indicatorRow->addStretch(1);
  PictureLabel = new QLabel(MainPanel);
  PictureLabel->setObjectName("ReportSignalImage");
  PictureLabel->setFixedSize(kPictureSurface);
  Surface = std::make_unique<TLabelSurface>(*PictureLabel, kPictureSurface);
  // The report view has its own X-scale selector: the data tab's shows the
  // data tab's record and must not change behind its back.
  static const TDetailsNames kNames = {
      "ReportMainCaptionPanel",
      "ResultParamsReportsStringGrid",
      "ResultConditionsReportsStringGrid",
      {"FirstParamsGroupReportsStringGrid", "SecondParamsGroupReportsStringGrid",
       "ThirdParamsGroupReportsStringGrid", "FourthParamsGroupReportsStringGrid"},
      {5, 4, 4, 5},
      "ScaleXReportsComboBox",
      "CommentsReportsCaptionHeaderControl",
      "CommentsReportsMemo"};
  const TDetailsParts parts =
      BuildDetailsColumns(*MainPanel, *body, indicatorRow, *PictureLabel, kNames);
  static const char* const kHeaderNames[] = {nullptr,
                                             "SignalViewCaptionReportHeaderControl",
                                             "ResultParamsCaptionReportsHeaderControl",
                                             "ResultConditionsCaptionReportsHeaderControl",
                                             "DeviceSettingsReportsCaptionHeaderControl",
                                             "FirstParamsGroupReportsCaptionHeaderControl",
                                             "SecondParamsGroupReportsCaptionHeaderControl",
                                             "ThirdParamsGroupReportsCaptionHeaderControl",
                                             "FourthParamsGroupReportsCaptionHeaderControl"};
  for (std::size_t i = 1; i < Headers.size(); ++i) {
    Headers[i] = parts.Headers[i];
    Headers[i]->setObjectName(kHeaderNames[i]);
  }
  Headers[0] = parts.CommentsHeader;
  CaptionPanel = parts.Caption;
  ResultsGrid = std::make_unique<TTableGrid>(*parts.Results);
  ConditionsGrid = std::make_unique<TTableGrid>(*parts.Conditions);
  for (std::size_t g = 0; g < Groups.size(); ++g) {
    Groups[g] = std::make_unique<TTableGrid>(*parts.Groups[g]);
  }
  ScaleX = parts.Scale;
  ScaleX->setEnabled(false);  // it shows the record's value
  Scale = std::make_unique<TComboScale>(*ScaleX);
  CommentsMemo = parts.Comments;
  Limiter = new TMemoTextLimiter(*CommentsMemo, kCommentLines, kCommentDisplayLines,
                                 kCommentChars, Main.Feedback);
  CommentsMemo->installEventFilter(this);
  ShowModeIndicators(Indicators, nullptr);
}

void TReportTab::LoadTexts() {
  const TLocalStrings& s = Main.Strings;
  const auto caption = [&s](int n) { return FromCp1251(s.Caption(static_cast<std::uint16_t>(n))); };
  PageCaption->setText(caption(12));
  TypeCaption->setText(caption(42));
  SelectorCaption->setText(caption(13));
  Headers[0]->setText(caption(20));
  Headers[1]->setText(caption(17));
  Headers[2]->setText(caption(18));
  Headers[3]->setText(caption(19));
  Headers[4]->setText(caption(21));
  for (int g = 0; g < 4; ++g) {
    Headers[static_cast<std::size_t>(5 + g)]->setText(caption(22 + g));
  }
  Filling = true;
  TypeSelector_->clear();
  const QString type = FromCp1251(s.Value(70));
  TypeSelector_->addItem(type + QStringLiteral(" 1"));
  TypeSelector_->addItem(type + QStringLiteral(" 2"));
  TypeSelector_->setCurrentIndex(Main.SelectedReportType == kReportType2 ? 1 : 0);
  Filling = false;
  SelectorGrid->setHorizontalHeaderLabels({caption(26), caption(41), caption(45), caption(29)});
  for (int row = 0; row < kResultGridRows; ++row) {
    ResultsGrid->SetCell(0, row, s.Value(static_cast<std::uint16_t>(kFirstResultCaption + row)));
  }
  FillGroupCaptions(s, TParameterGroup::Conditions, *ConditionsGrid);
  FillGroupCaptions(s, TParameterGroup::First, *Groups[0]);
  FillGroupCaptions(s, TParameterGroup::Second, *Groups[1]);
  FillGroupCaptions(s, TParameterGroup::Third, *Groups[2]);
  FillGroupCaptions(s, TParameterGroup::Fourth, *Groups[3]);
  Panel1_->LoadTexts(s);
  Panel2_->LoadTexts(s);
  Clear();
}

void TReportTab::ApplyReportGridColumnWidths() {
  Panel1_->ApplyReportGridColumnWidths();
  Panel2_->ApplyReportGridColumnWidths();
}

int TReportTab::SelectedType() const { return Main.SelectedReportType; }

TReportHeaderPanel& TReportTab::SelectedPanel() const {
  if (SelectedType() == kReportType2) {
    return *Panel2_;
  }
  return *Panel1_;
}

TReportGridEditor& TReportTab::Editor(int type) const {
  return *Editors[type == kReportType2 ? 1 : 0];
}

int TReportTab::ListSize() const {
  return Main.RecordsAvailable ? Main.Flaws.ReportSelectionCount : 0;
}

std::array<int, 6> TReportTab::ModeIndicators() const { return ShownModeIndicators(Indicators); }

fs::path TReportTab::ReportsFolder() const { return Main.Folders.Data / "typical_reports"; }

bool TReportTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CommentsMemo && event->type() == QEvent::FocusOut) {
    StoreComments();
  }
  return QObject::eventFilter(watched, event);
}

// Only while a record is shown does the field hold that record's comments.
void TReportTab::StoreComments() {
  TDataCell* record = Main.Flaws.CurrentReportRecord;
  if (Current != 0 && record != nullptr) {
    StoreMemoLines(*CommentsMemo, record->Comments);
  }
}

void TReportTab::StoreEdits() {
  StoreComments();
  for (auto& editor : Editors) {
    if (editor->EditorVisible()) {
      editor->StoreEdit();
    }
  }
}

void TReportTab::ReadHeader() {
  StoreEdits();
  if (Main.ReportHeader) {
    Main.ReportHeader->ReadHeader(*Bridge_);
  }
}

void TReportTab::Shown() {
  ClearSignalView(*Surface);
  TFlawDataBlock& flaws = Main.Flaws;
  // The record shown last time may have been edited on the data tab since:
  // nothing is stored into it until a record is shown again.
  Current = 0;
  Prior = 0;
  LastSelected = 0;
  flaws.CurrentReportRecord = nullptr;
  CommentsMemo->clear();
  if (Main.RecordsAvailable) {
    flaws.RebuildReportSelection();
    if (Main.ReportHeader) {
      Main.ReportHeader->ShowHeader(*Bridge_);
      // No stale numbers of records that went with an earlier collection.
      if (Main.ReportHeader->Count() == 0) {
        Main.ReportHeader->ShowRows(*Bridge_);
      }
    }
  } else {
    flaws.ReportSelection.clear();
    flaws.ReportSelectionCount = 0;
  }
  SwitchView();
  FillSelector();
  SelectSelectorRow(0);
  RefreshNavigation();
  Main.Action("OpenReportFileAction")->setEnabled(true);
  Main.Action("SaveReportFileAction")->setEnabled(true);
  Main.Action("PrintReportsAction")->setEnabled(ListSize() > 0);
  Main.Action("PreviewReportsAction")->setEnabled(ListSize() > 0);
}

void TReportTab::Hidden() { ReadHeader(); }

void TReportTab::Clear() {
  Filling = true;
  SelectorGrid->clearContents();
  SelectorGrid->setRowCount(1);
  Filling = false;
  Current = 0;
  Prior = 0;
  LastSelected = 0;
  Main.Flaws.ReportSelection.clear();
  Main.Flaws.ReportSelectionCount = 0;
  Main.Flaws.CurrentReportRecord = nullptr;
  CommentsMemo->clear();
  ClearSignalView(*Surface);
  const TLocalStrings& s = Main.Strings;
  CaptionPanel->setText(FromCp1251(s.Caption(43) + s.Caption(44)));
  TDataCell empty;
  ShowModeIndicators(Indicators, nullptr);
  FillResultsGrid(empty, *ResultsGrid, false);
  FillConditionsGrid(empty, *ConditionsGrid, *ResultsGrid);
  ScaleX->clear();
  FillGroup(empty, TParameterGroup::First, *Groups[0]);
  FillGroup(empty, TParameterGroup::Second, *Groups[1]);
  FillThirdGroup(empty, *Groups[2], *Scale);
  FillGroup(empty, TParameterGroup::Fourth, *Groups[3]);
  if (Main.ReportHeader) {
    Main.ReportHeader->ShowRows(*Bridge_);
  }
  SwitchView();
  RefreshNavigation();
  Main.Action("PrintReportsAction")->setEnabled(false);
  Main.Action("PreviewReportsAction")->setEnabled(false);
}

void TReportTab::FillSelector() {
  Filling = true;
  const TFlawDataBlock& flaws = Main.Flaws;
  const int count = ListSize();
  SelectorGrid->clearContents();
  SelectorGrid->setRowCount(std::max(count, 1));
  for (int k = 1; k <= count; ++k) {
    const TDataCell& record = *flaws.ReportSelection[static_cast<std::size_t>(k - 1)];
    const TBaseConfigCell* cell = record.Configuration();
    const QString texts[4] = {
        QString::number(record.FlawNumber),
        cell != nullptr ? FromCp1251(cell->CONFIGURATION_NAME) : QString(),
        cell != nullptr ? QString::number(cell->CONFIG_INDEX) : QString(),
        record.ReportMark != 0 ? QStringLiteral("*") : QString()};
    for (int c = 0; c < 4; ++c) {
      SelectorGrid->setItem(k - 1, c, new QTableWidgetItem(texts[c]));
    }
  }
  Filling = false;
}

void TReportTab::SelectSelectorRow(int row) {
  Filling = true;
  if (row >= 1 && row <= SelectorGrid->rowCount()) {
    SelectorGrid->setCurrentCell(row - 1, 2);
    SelectorGrid->selectRow(row - 1);
  } else {
    SelectorGrid->setCurrentCell(-1, -1);
    SelectorGrid->clearSelection();
  }
  Filling = false;
}

void TReportTab::SwitchView() {
  const bool record = Current != 0;
  if (record) {
    // An edit left open in the grid is kept before the grid goes.
    for (auto& editor : Editors) {
      if (editor->EditorVisible()) {
        editor->StoreEdit();
      }
    }
  }
  MainPanel->setVisible(record);
  Panel1_->setVisible(!record && SelectedType() != kReportType2);
  Panel2_->setVisible(!record && SelectedType() == kReportType2);
}

void TReportTab::RefreshNavigation() {
  const int count = ListSize();
  const bool shown = Current != 0 && count > 0;
  const bool back = shown && Current >= 2;
  const bool forward = shown && Current < count;
  Main.Action("FirstReportSelectAction")->setEnabled(back);
  Main.Action("PreviousReportSelectAction")->setEnabled(back);
  Main.Action("NextReportSelectAction")->setEnabled(forward);
  Main.Action("LastReportSelectAction")->setEnabled(forward);
}

void TReportTab::MousePress(int column, int row) {
  ClickedColumn = column;
  ClickedRow = row;
  if (Main.RecordsAvailable && row >= 1 && row <= ListSize() && column <= 1) {
    SelectSelectorRow(row);
    SelectRow(row);
  }
}

void TReportTab::SelectRow(int row) {
  if (!Main.RecordsAvailable) {
    return;
  }
  if (row != LastSelected) {
    LastSelected = row;
    if (row >= 1) {
      ShowRecord(row);
    } else {
      StoreComments();
      Prior = Current;
      Current = 0;
    }
  }
  SwitchView();
  RefreshNavigation();
}

void TReportTab::ShowRecord(int k) {
  TFlawDataBlock& flaws = Main.Flaws;
  if ((flaws.Source != kSourceInstrument && flaws.Source != kSourceFile) || k < 1 ||
      k > ListSize()) {
    return;
  }
  StoreComments();
  Prior = Current;
  Current = k;
  TDataCell& record = *flaws.ReportSelection[static_cast<std::size_t>(k - 1)];
  flaws.CurrentReportRecord = &record;
  ShowMemoLines(*CommentsMemo, record.Comments);
  const TLocalStrings& s = Main.Strings;
  const TBaseConfigCell* cell = record.Configuration();
  QString caption = FromCp1251(s.Caption(14)) + QString::number(record.FlawNumber) +
                    FromCp1251(s.Caption(15));
  if (cell != nullptr) {
    caption += FromCp1251(cell->CONFIGURATION_NAME) + FromCp1251(s.Caption(16)) +
               QString::number(cell->CONFIG_INDEX);
  } else {
    caption += FromCp1251(s.Caption(16));
  }
  CaptionPanel->setText(caption);
  ShowModeIndicators(Indicators, cell);
  record.ResetAveraging();
  FillResultsGrid(record, *ResultsGrid, true);
  FillConditionsGrid(record, *ConditionsGrid, *ResultsGrid);
  if (cell != nullptr) {
    cell->FillParameterList(*Scale, kScaleParameter);
  } else {
    ScaleX->clear();
  }
  FillGroup(record, TParameterGroup::First, *Groups[0]);
  FillGroup(record, TParameterGroup::Second, *Groups[1]);
  FillThirdGroup(record, *Groups[2], *Scale);
  FillGroup(record, TParameterGroup::Fourth, *Groups[3]);
  RefreshNavigation();
  DrawSignalView(record, *Surface, false, kPictureScale, kPictureY, kPictureX, kPicturePixels,
                 Main.PrintScheme);
}

void TReportTab::Go(int k) {
  SelectSelectorRow(k);
  LastSelected = k;
  ShowRecord(k);
  SwitchView();
}

void TReportTab::First() {
  if (Current >= 2) {
    Go(1);
  }
}

void TReportTab::Previous() {
  if (Current >= 2) {
    Go(Current - 1);
  }
}

void TReportTab::Next() {
  if (Current >= 1 && Current < ListSize()) {
    Go(Current + 1);
  }
}

void TReportTab::Last() {
  if (Current >= 1 && Current < ListSize()) {
    Go(ListSize());
  }
}

void TReportTab::Summary() {
  StoreComments();
  Prior = Current;
  Current = 0;
  RefreshNavigation();
  SwitchView();
  SelectSelectorRow(0);
  LastSelected = 0;
}

void TReportTab::DoubleClick(int column, int row) {
  TFlawDataBlock& flaws = Main.Flaws;
  TBaseReportHeader* header = Main.ReportHeader.get();
  if (row >= 1 && row <= ListSize()) {
    if (header == nullptr) {
      return;
    }
    TDataCell& record = *flaws.ReportSelection[static_cast<std::size_t>(row - 1)];
    QTableWidgetItem* mark = SelectorGrid->item(row - 1, kMarkColumn);
    for (auto& editor : Editors) {
      if (editor->EditorVisible()) {
        editor->StoreEdit();
      }
    }
    if (record.ReportMark != 0) {
      record.ReportMark = 0;
      if (mark != nullptr) {
        mark->setText(QString());
      }
      // The texts typed for the other records move up with them: read
      // into the rows first, written back once the gap is closed.
      header->ReadRows(*Bridge_);
      header->RemoveFlaw(*Bridge_, record, true);
      if (const auto* one = dynamic_cast<const TSimpleReportHeader*>(header)) {
        ShowRowTexts(*one, kReportType1, kType1StringColumns, *Bridge_);
      } else if (const auto* two = dynamic_cast<const TSimpleReport2Header*>(header)) {
        ShowRowTexts(*two, kReportType2, kType2StringColumns, *Bridge_);
      }
    } else {
      record.ReportMark = 1;
      if (mark != nullptr) {
        mark->setText(QStringLiteral("*"));
      }
      header->FlawDeviceType = flaws.DeviceType;
      header->AddFlaw(*Bridge_, record, true);
    }
    return;
  }
  if (row != 0 || !Main.RecordsAvailable || (column != 0 && column != 2)) {
    return;
  }
  StoreComments();
  if (column == 0) {
    flaws.NaturalOrder();
  } else {
    flaws.SortByConfigIndex();
  }
  flaws.RebuildReportSelection();
  FillSelector();
  if (Current != 0) {
    // The record now at the shown place, as the data tab does.
    SelectSelectorRow(Current);
    LastSelected = Current;
    ShowRecord(Current);
  }
  Main.DataPage().Refresh();
}

void TReportTab::PrintOrPreview(bool print) {
  TBaseReportHeader* header = Main.ReportHeader.get();
  if (header == nullptr) {
    return;
  }
  const TLocalStrings& s = Main.Strings;
  if (header->Count() == 0) {
    Main.Feedback.ShowMessage(s.Error(26), s.Error(27), TMessageIcon::Warning);
    return;
  }
  ReadHeader();
  try {
    header->FillSheetHeader();
    if (print) {
      header->PrintProtocol(this);
    } else {
      header->PreviewProtocol(this);
    }
  } catch (const std::exception& error) {
    Main.Feedback.ShowMessage(s.Error(9), TVeltApplication::ErrorText(error.what()),
                              TMessageIcon::Error);
  }
}

void TReportTab::SaveReport() {
  StoreEdits();
  const TLocalStrings& s = Main.Strings;
  TReportDialogs dialogs(Main.FileDialogs(), ReportsFolder(), true);
  const QString filter = FromCp1251(s.Value(68)) + QStringLiteral("(*.rct)|*.rct");
  // An existing file is replaced only when the user says so: an inspector's
  // report is never written over without a word.
  const std::optional<fs::path> path = ChooseFileToSave(
      dialogs, Main.Feedback, s,
      {FromCp1251(s.Caption(87)), filter, QStringLiteral("rct"), FromCp1251(s.Value(kSaveHint))});
  if (!path || !Main.ReportHeader) {
    return;
  }
  ReadHeader();
  try {
    Main.ReportHeader->SaveToFile(*path);
  } catch (const std::exception& error) {
    Main.Feedback.ShowMessage(s.Error(9), TVeltApplication::ErrorText(error.what()),
                              TMessageIcon::Error);
  }
}

void TReportTab::OpenReport() {
  const TLocalStrings& s = Main.Strings;
  TReportDialogs dialogs(Main.FileDialogs(), ReportsFolder(), true);
  const QString filter = FromCp1251(s.Value(68)) + QStringLiteral("(*.rct)|*.rct");
  const std::optional<fs::path> path = ChooseFileToOpen(
      dialogs, Main.Feedback, s, {FromCp1251(s.Caption(88)), filter, QStringLiteral("rct")});
  if (!path || !Main.ReportHeader) {
    return;
  }
  // A file that is not a whole report leaves the panel as it is: it is
  // checked before anything is read, and read before anything is shown.
  std::string damage = ReportFileDamage(*path);
  if (damage.empty()) {
    try {
      Main.ReportHeader->LoadFromFile(*path);
    } catch (const std::exception& error) {
      damage = error.what();
    }
  }
  if (!damage.empty()) {
    Main.Feedback.ShowMessage(s.Error(9),
                              s.Error(28) + "\n" + TVeltApplication::ErrorText(damage.c_str()),
                              TMessageIcon::Error);
    return;
  }
  Main.ReportHeader->ShowHeader(*Bridge_);
}

void TReportTab::OpenSavedReport() {
  if (Main.Viewer != nullptr) {
    TReportDialogs dialogs(Main.FileDialogs(), ReportsFolder(), false);
    Main.Viewer->OpenChosen(dialogs);
  }
}

void TReportTab::TypeChanged(int item) {
  const int type = item == 1 ? kReportType2 : kReportType1;
  // What was typed goes into the header of the type that was shown.
  ReadHeader();
  Main.SelectedReportType = type;
  std::unique_ptr<TBaseReportHeader>& header = Main.ReportHeader;
  const bool sameClass =
      header && (type == kReportType2) == (dynamic_cast<TSimpleReport2Header*>(header.get()) != nullptr);
  if (!sameClass) {
    header = Main.NewReportHeader();
    // The new header starts with the texts of its type's panel, and its
    // grid shows no row texts of the header that went (an empty header's
    // rows leave one empty row).
    header->ShowRows(*Bridge_);
    header->ReadHeader(*Bridge_);
    TFlawDataBlock& flaws = Main.Flaws;
    if (flaws.Count > 0) {
      header->FlawDeviceType = flaws.DeviceType;
      for (std::uint16_t r = 0; r < flaws.Count; ++r) {
        TDataCell& record = *flaws.Records[flaws.DisplayOrder[r]];
        if (record.ReportMark != 0) {
          header->AddFlaw(*Bridge_, record, true);
        }
      }
    }
  }
  SwitchView();
}

}  // namespace velt
