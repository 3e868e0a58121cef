// The report tab: its controls, their texts, and what showing, leaving
// and emptying the tab do.
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

#include <reports/ReportHeadersUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/report/ReportFieldRulesUnit.h>
#include <ui/report/ReportGridEditorUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/MemoTextLimiterUnit.h>
#include <ui/widgets/TabSupportUnit.h>

namespace velt {
namespace {

const QSize kPictureSurface(324, 241);
constexpr int kResultGridRows = 8;
constexpr int kFirstResultCaption = 4;

// The comment field's limits: lines, lines as shown, characters per line.
constexpr int kCommentLines = 4;
constexpr int kCommentDisplayLines = 13;
constexpr int kCommentChars = 70;

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
    {"SaveReportFileAction", 5, 129, &TReportTab::SaveReport},
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

}  // namespace

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
  SelectorGrid->setFixedWidth(246);
  SelectorGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SelectorGrid->setColumnWidth(0, 28);
  SelectorGrid->setColumnWidth(1, 92);
  SelectorGrid->setColumnWidth(2, 48);
  SelectorGrid->horizontalHeader()->setStretchLastSection(true);
  left->addWidget(SelectorGrid, 1);
  // Tab leaves the selector: moving its current cell would leave the
  // summary for record 1 (the report grid's editor hands the focus here
  // on Tab).
  SelectorGrid->setTabKeyNavigation(false);
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
      "ReportsTGVStateRXButton",   "ReportsKursorAlgRXButton",   "ReportsScreenModeRXButton",
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
  Limiter = new TMemoTextLimiter(*CommentsMemo, kCommentLines, kCommentDisplayLines, kCommentChars,
                                 Main.Feedback);
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
  FitSelectorColumns(*SelectorGrid, 1);
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

int TReportTab::SelectedType() const {
  return Main.SelectedReportType;
}

TReportHeaderPanel& TReportTab::SelectedPanel() const {
  if (SelectedType() == kReportType2) {
    return *Panel2_;
  }
  return *Panel1_;
}

int TReportTab::ListSize() const {
  return Main.RecordsAvailable ? Main.Flaws.ReportSelectionCount : 0;
}

std::array<int, 6> TReportTab::ModeIndicators() const {
  return ShownModeIndicators(Indicators);
}

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

void TReportTab::Hidden() {
  ReadHeader();
}

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
    const QString texts[4] = {QString::number(record.FlawNumber),
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
  // Record 1 always leaves Next and Last on, even as the only record
  // (they then do nothing); later records switch them off at the last.
  const bool forward = shown && (Current == 1 || Current < count);
  Main.Action("FirstReportSelectAction")->setEnabled(back);
  Main.Action("PreviousReportSelectAction")->setEnabled(back);
  Main.Action("NextReportSelectAction")->setEnabled(forward);
  Main.Action("LastReportSelectAction")->setEnabled(forward);
}

}  // namespace velt
