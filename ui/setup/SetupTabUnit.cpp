#include <ui/setup/SetupTabUnit.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include <config/ConfigObject5_01ver_Unit.h>
#include <config/Rounding.h>
#include <connection/TransferMessages.h>
#include <records/RecordFilesUnit.h>
#include <ui/setup/ComplexAdjustSchemesUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/setup/EditStringParameterUnit.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/MemoTextLimiterUnit.h>
#include <ui/mainwindow/ProgressFormUnit.h>
#include <ui/widgets/TabSupportUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/mainwindow/VeltApplicationUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>

namespace velt {
namespace {

constexpr double kPictureScale = 1.22;
const QSize kPictureSurface(324, 241);
constexpr int kSelectorRows = 99;
constexpr int kResultGridRows = 8;
constexpr int kCommentDisplayLines = 13;
// The upload action's caption (and hint) among the value strings.
constexpr std::uint16_t kUploadCaption = 114;

const char* const kTransferCaption = "Ошибка передачи";
const char* const kTransferFailedText = "Сбой при приеме конфигураций";

std::string Cp(const char* utf8) { return ToCp1251(QString::fromUtf8(utf8)); }

constexpr TParameterGroup kGroupOf[4] = {TParameterGroup::First, TParameterGroup::Second,
                                         TParameterGroup::Third, TParameterGroup::Fourth};

}  // namespace

bool ChangeMode(TBaseConfigCell& cell, TModeButton button) {
  switch (button) {
    case TModeButton::FirstStrobe:
      cell.CURSOR_1_ENABLED = cell.CURSOR_1_ENABLED == 0 ? 1 : 0;
      return false;
    case TModeButton::SecondStrobe:
      cell.CURSOR_2_ENABLED = cell.CURSOR_2_ENABLED == 0 ? 1 : 0;
      return false;
    case TModeButton::StrobeAlgorithm: {
      // The two-strobe rules exist only on 5.01, in the full view, without
      // radio frequency and DGS.
      const bool four = dynamic_cast<const T5_01ConfigCell*>(&cell) != nullptr &&
                        (cell.SCREEN_MODE == 1 || cell.SCREEN_MODE == 2) &&
                        cell.SIGNAL_TYPE != 3 && cell.TVG_ENABLED != 2;
      const int next = cell.STROBE_ALGORYTHM + 1;
      cell.STROBE_ALGORYTHM = static_cast<std::uint8_t>(next >= (four ? 4 : 2) ? 0 : next);
      return false;
    }
    case TModeButton::SignalType: {
      int type = cell.SIGNAL_TYPE + 1;
      if (type > 3) {
        type = 0;
      }
      if (type == 2 && cell.SCREEN_MODE == 3) {
        type = 3;
      }
      if (type == 3 && cell.TVG_ENABLED == 2) {
        type = 0;
      }
      if ((type == 3 || type == 2) && cell.STROBE_ALGORYTHM > 1) {
        type = 0;
      }
      cell.SIGNAL_TYPE = static_cast<std::uint8_t>(type);
      return false;
    }
    case TModeButton::ScreenMode: {
      std::uint16_t mode = cell.SCREEN_MODE == 1 ? 3 : 1;
      if (mode == 3 &&
          (cell.SIGNAL_TYPE == 2 || cell.STROBE_ALGORYTHM > 1 || cell.TVG_ENABLED == 2)) {
        mode = 1;
      }
      cell.SCREEN_MODE = mode;
      return false;
    }
    case TModeButton::TgvState: {
      int state = cell.TVG_ENABLED + 1;
      if (state > 2) {
        state = 0;
      }
      if (state == 2 &&
          (cell.SIGNAL_TYPE == 3 || cell.SCREEN_MODE == 3 || cell.STROBE_ALGORYTHM > 1)) {
        state = 0;
      }
      cell.TVG_ENABLED = static_cast<std::uint8_t>(state);
      if (state == 2) {
        cell.SCREEN_UNITS = 2;
        return true;
      }
      return false;
    }
  }
  return false;
}

TSetupTab::TSetupTab(TVELTMainForm& form, QWidget& page) : QObject(&page), Form(form) {
  // An exchange starts only when no other runs and no question waits for
  // an answer; until then what the user asked for waits.
  Writer = new TWorkingConfigurationWriter(
      [this] {
        return !Form.Connection.State.Busy && QApplication::activeModalWidget() == nullptr;
      },
      this);
  auto* layout = new QVBoxLayout(&page);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* tools = new QToolBar(&page);
  tools->setObjectName("ConfigsToolBar");
  layout->addWidget(tools);

  QAction* receive = MakeTabAction(Form, "ReceiveConfigsAction", 1, 113);
  receive->setEnabled(false);
  connect(receive, &QAction::triggered, this, &TSetupTab::Download);
  QAction* upload = MakeTabAction(Form, "SetConfigsAction", 2, kUploadCaption);
  upload->setEnabled(false);
  connect(upload, &QAction::triggered, this, &TSetupTab::Upload);
  connect(MakeTabAction(Form, "LoadConfigsAction", 4, 115), &QAction::triggered, this,
          &TSetupTab::Load);
  connect(MakeTabAction(Form, "SaveConfigsAction", 5, 116), &QAction::triggered, this,
          &TSetupTab::Save);
  connect(MakeTabAction(Form, "FirstConfigAction", 6, 117), &QAction::triggered, this,
          &TSetupTab::First);
  connect(MakeTabAction(Form, "PrevConfigAction", 7, 118), &QAction::triggered, this,
          &TSetupTab::Prev);
  connect(MakeTabAction(Form, "NextConfigAction", 8, 119), &QAction::triggered, this,
          &TSetupTab::Next);
  connect(MakeTabAction(Form, "LastConfigAction", 9, 120), &QAction::triggered, this,
          &TSetupTab::Last);
  for (const char* name : {"ReceiveConfigsAction", "SetConfigsAction", "LoadConfigsAction",
                           "SaveConfigsAction", "FirstConfigAction", "PrevConfigAction",
                           "NextConfigAction", "LastConfigAction"}) {
    tools->addAction(Form.findChild<QAction*>(name));
  }
  ReceiveButton = qobject_cast<QToolButton*>(tools->widgetForAction(receive));
  UploadButton = qobject_cast<QToolButton*>(tools->widgetForAction(upload));
  for (const char* name : {"SaveConfigsAction", "FirstConfigAction", "PrevConfigAction",
                           "NextConfigAction", "LastConfigAction"}) {
    Form.findChild<QAction*>(name)->setEnabled(false);
  }

  auto* modes = new QHBoxLayout;
  static const char* const kModeNames[] = {"SetupTGVStateButton",    "SetupStrobeAlgButton",
                                           "SetupScreenModeButton",  "SetupSignalTypeButton",
                                           "SetupFirstStrobeButton", "SetupSecondStrobeButton"};
  static const TModeButton kModeOf[] = {TModeButton::TgvState,   TModeButton::StrobeAlgorithm,
                                        TModeButton::ScreenMode, TModeButton::SignalType,
                                        TModeButton::FirstStrobe, TModeButton::SecondStrobe};
  for (std::size_t i = 0; i < ModeButtons.size(); ++i) {
    ModeButtons[i] = new QToolButton(&page);
    ModeButtons[i]->setObjectName(kModeNames[i]);
    ModeButtons[i]->setProperty("veltCtrlCue", true);
    ModeButtons[i]->setAutoRaise(true);
    ModeButtons[i]->setFocusPolicy(Qt::NoFocus);
    const TModeButton button = kModeOf[i];
    connect(ModeButtons[i], &QToolButton::clicked, this, [this, button] { PressMode(button); });
    modes->addWidget(ModeButtons[i]);
  }
  // The gain and range buttons: press and hold.
  struct TAdjustButton {
    const char* Name;
    int Scheme;
    const char* Shortcut;
    int Hint;
  };
  static const TAdjustButton kAdjust[] = {
      {"SetupGainUpToolButton", kGainUpScheme, "Ctrl + Up", 121},
      {"SetupGainDownToolButton", kGainDownScheme, "Ctrl + Down", 122},
      {"SetupRangeShortToolButton", kRangeShortScheme, "Ctrl + Left", 124},
      {"SetupRangeLongToolButton", kRangeLongScheme, "Ctrl + Right", 123}};
  modes->addSpacing(16);
  for (const TAdjustButton& b : kAdjust) {
    auto* button = new QToolButton(&page);
    button->setObjectName(b.Name);
    button->setProperty("veltCtrlCue", true);
    button->setProperty("veltHintPrefix", QString::fromLatin1(b.Shortcut));
    button->setProperty("veltHint", b.Hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(false);
    const int scheme = b.Scheme;
    connect(button, &QToolButton::pressed, this, [this, scheme] { Form.PressAdjustButton(scheme); });
    connect(button, &QToolButton::released, this,
            [this, scheme] { Form.ReleaseAdjustButton(scheme); });
    modes->addWidget(button);
  }
  modes->addStretch(1);

  auto* body = new QHBoxLayout;
  layout->addLayout(body, 1);

  auto* left = new QVBoxLayout;
  body->addLayout(left);
  left->addWidget(Headers[0] = MakeHeaderLabel(page));
  SelectorGrid = new QTableWidget(kSelectorRows, 3, &page);
  SelectorGrid->setObjectName("ConfigSelectorStringGrid");
  SelectorGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  SelectorGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  SelectorGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SelectorGrid->verticalHeader()->hide();
  SelectorGrid->verticalHeader()->setDefaultSectionSize(18);
  // Narrow enough that the settings beside it keep their captions and
  // drop-downs whole; a name too wide for it widens it (FitSelectorColumns).
  SelectorGrid->setFixedWidth(200);
  SelectorGrid->setColumnWidth(0, 34);
  SelectorGrid->setColumnWidth(1, 150);
  SelectorGrid->horizontalHeader()->setStretchLastSection(true);
  SelectorGrid->installEventFilter(this);
  SelectorGrid->viewport()->installEventFilter(this);
  left->addWidget(SelectorGrid, 1);
  // What the list's own event handling asks for is sent once it has
  // returned (see TNotHere).
  connect(SelectorGrid, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) {
            if (Filling || row < 0 || Form.Progress.Visible()) {
              return;
            }
            const int c = row + 1;
            if (c != Form.SelectedConfiguration && DrawingConfiguration() != nullptr) {
              const TWorkingConfigurationWriter::TNotHere later(*Writer);
              ShowConfiguration(c);
            }
          });
  connect(SelectorGrid, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    const TWorkingConfigurationWriter::TNotHere later(*Writer);
    DoubleClick(column, row + 1);
  });
  connect(SelectorGrid->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int column) {
            const TWorkingConfigurationWriter::TNotHere later(*Writer);
            DoubleClick(column, 0);
          });

  PictureLabel = new TPictureLabel(&page);
  PictureLabel->setObjectName("SignalConfigDetailsImage");
  PictureLabel->setFixedSize(kPictureSurface);
  PictureLabel->setMouseTracking(true);
  PictureLabel->setContextMenuPolicy(Qt::CustomContextMenu);
  Surface = std::make_unique<TLabelSurface>(*PictureLabel, kPictureSurface);
  PictureMouse = std::make_unique<TSetupPictureMouse>(static_cast<ISetupPictureHost&>(*this));
  ConnectPictureMouse(*PictureLabel, *PictureMouse, kPictureSurface, *this);

  auto* menu = new QMenu(PictureLabel);
  const auto item = [menu, this](const char* name, void (TSetupTab::*slot)()) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  item("CopyConfigAction", &TSetupTab::Copy)->setEnabled(false);
  item("PasteConfigAction", &TSetupTab::Paste)->setEnabled(false);
  item("CopyConfigImageMenuItem", &TSetupTab::CopyImage);
  item("CopyConfigDataMenuItem", &TSetupTab::CopyData);
  connect(PictureLabel, &QLabel::customContextMenuRequested, menu, [this, menu](QPoint at) {
    PictureMouse->ReleaseLost();  // the menu takes the mouse
    menu->popup(PictureLabel->mapToGlobal(at));
  });

  static const TDetailsNames kNames = {
      "ConfigDetailsCaptionPanel",
      "ResultParamsConfigDetailsStringGrid",
      "ResultConditionsConfigDetailsStringGrid",
      {"FistParamsGroupConfigsStringGrid", "SecondParamsGroupConfigsStringGrid",
       "ThirdParamsGroupConfigsStringGrid", "FourthParamsGroupConfigsStringGrid"},
      {5, 5, 4, 5},
      "ScaleXConfigsComboBox",
      "ConfigCommentsHeader",
      "CommentsConfigDetailsMemo"};
  const TDetailsParts parts = BuildDetailsColumns(page, *body, modes, *PictureLabel, kNames);
  CaptionPanel = parts.Caption;
  for (std::size_t i = 1; i < Headers.size(); ++i) {
    Headers[i] = parts.Headers[i];
  }
  ResultsGrid = std::make_unique<TTableGrid>(*parts.Results);
  ConditionsGrid = std::make_unique<TTableGrid>(*parts.Conditions);
  // The conditions and the four groups are edited in place.
  const auto format = [this] { return Form.Configs.NumberFormat; };
  const auto editable = [this, &format](TTableGrid& grid, int group) {
    auto* delegate = new TValueCellDelegate(
        grid, format,
        [this, group] {
          // The view uses its editor again after the commit: the write
          // waits until it has done so.
          const TWorkingConfigurationWriter::TNotHere later(*Writer);
          ApplyEditedGroup(group);
        },
        &grid.Widget());
    MakeValueColumnEditable(grid, delegate);
  };
  editable(*ConditionsGrid, 0);
  for (std::size_t g = 0; g < Groups.size(); ++g) {
    Groups[g] = std::make_unique<TTableGrid>(*parts.Groups[g]);
    editable(*Groups[g], static_cast<int>(g) + 1);
  }
  ScaleX = parts.Scale;
  Scale = std::make_unique<TComboScale>(*ScaleX);
  connect(ScaleX, &QComboBox::activated, this, [this](int) { ScaleChanged(); });
  CommentsMemo = parts.Comments;
  Limiter = new TMemoTextLimiter(*CommentsMemo, 0, kCommentDisplayLines, 0, Form.Feedback);
  CommentsMemo->installEventFilter(this);
  ShowModeIndicators(ModeButtons, nullptr);
}

TSetupTab::~TSetupTab() {
  // The picture outlives the tab among the page's children; what it still
  // reports while it goes must not reach the tab.
  PictureLabel->OnPress = nullptr;
  PictureLabel->OnMove = nullptr;
  PictureLabel->OnRelease = nullptr;
  PictureLabel->OnDoubleClick = nullptr;
  PictureLabel->OnReleaseLost = nullptr;
}

void TSetupTab::LoadTexts() {
  const TLocalStrings& s = Form.Strings;
  const auto caption = [&s](int n) {
    return FromCp1251(s.Caption(static_cast<std::uint16_t>(n)));
  };
  Headers[0]->setText(caption(30));
  Headers[1]->setText(caption(32));
  Headers[2]->setText(caption(34));
  Headers[3]->setText(caption(35));
  Headers[4]->setText(caption(36));
  for (int g = 0; g < 4; ++g) {
    Headers[static_cast<std::size_t>(5 + g)]->setText(caption(37 + g));
  }
  if (auto* comments = Form.findChild<QLabel*>("ConfigCommentsHeader")) {
    comments->setText(caption(33));
  }
  SelectorGrid->setHorizontalHeaderLabels({caption(26), caption(41), QStringLiteral(" !")});
  FitSelectorColumns(*SelectorGrid, 1);
  PictureLabel->findChild<QAction*>("CopyConfigAction")->setText(caption(108));
  PictureLabel->findChild<QAction*>("PasteConfigAction")->setText(caption(109));
  PictureLabel->findChild<QAction*>("CopyConfigImageMenuItem")->setText(caption(110));
  PictureLabel->findChild<QAction*>("CopyConfigDataMenuItem")->setText(caption(111));
  for (QToolButton* button : Form.findChildren<QToolButton*>()) {
    const QVariant prefix = button->property("veltHintPrefix");
    if (prefix.isValid()) {
      const QString text =
          FromCp1251(s.Value(static_cast<std::uint16_t>(button->property("veltHint").toInt())));
      button->setText(prefix.toString().section(QLatin1Char(' '), 2));
      button->setToolTip(QStringLiteral("<B>") + prefix.toString() + QStringLiteral(" </B>") +
                         text);
    }
  }
  if (QAction* unplug = Form.findChild<QAction*>("UnplugDeviceAction")) {
    unplug->setToolTip(QStringLiteral("<B>F3 </B>") + FromCp1251(s.Value(156)));
  }
  for (int row = 0; row < kResultGridRows; ++row) {
    ResultsGrid->SetCell(0, row, s.Value(static_cast<std::uint16_t>(4 + row)));
  }
  FillGroupCaptions(s, TParameterGroup::Conditions, *ConditionsGrid);
  for (int g = 0; g < 4; ++g) {
    FillGroupCaptions(s, kGroupOf[g], *Groups[static_cast<std::size_t>(g)]);
  }
  Clear();
}

int TSetupTab::CurrentConfiguration() const { return Form.SelectedConfiguration; }

TBaseConfigCell* TSetupTab::DrawingConfiguration() const {
  return Form.Configs.DrawingRecord ? Form.Configs.DrawingRecord->Configuration() : nullptr;
}

std::array<int, 6> TSetupTab::ModeIndicators() const { return ShownModeIndicators(ModeButtons); }

bool TSetupTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CommentsMemo) {
    if (event->type() == QEvent::FocusOut && DrawingConfiguration() == nullptr) {
      CommentsMemo->clear();
    }
    if (event->type() == QEvent::FocusIn) {
      FillGroups();  // edits not applied are dropped
    }
  } else if (watched == SelectorGrid || watched == SelectorGrid->viewport()) {
    // Ctrl keys belong to the mode and gain buttons; the wheel does nothing.
    if (event->type() == QEvent::KeyPress &&
        (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ControlModifier)) {
      return true;
    }
    if (event->type() == QEvent::Wheel) {
      return true;
    }
    if (event->type() == QEvent::FocusIn) {
      FillGroups();  // edits not applied are dropped
    }
  }
  return QObject::eventFilter(watched, event);
}

void TSetupTab::StoreComments() {
  TBaseConfigCell* cell = DrawingConfiguration();
  if (cell == nullptr) {
    return;
  }
  StoreMemoLines(*CommentsMemo, cell->Comments);
}

void TSetupTab::FillSelector() {
  Filling = true;
  const TUSBConfigsBlock& configs = Form.Configs;
  for (int r = 1; r <= kSelectorRows; ++r) {
    const bool held = static_cast<std::size_t>(r) < configs.Configurations.size() &&
                      configs.Configurations[static_cast<std::size_t>(r)];
    const QString name =
        held ? FromCp1251(configs.Configurations[static_cast<std::size_t>(r)]->CONFIGURATION_NAME)
             : QString();
    const bool changed = held && configs.ChangedFlags[static_cast<std::size_t>(r)];
    const QString texts[3] = {held ? QString::number(r) : QString(), name,
                              changed ? QStringLiteral("*") : QString()};
    for (int c = 0; c < 3; ++c) {
      SelectorGrid->setItem(r - 1, c, new QTableWidgetItem(texts[c]));
    }
  }
  Filling = false;
}

void TSetupTab::SelectRow(int row, bool toTop) {
  Filling = true;
  SelectSelectorRow(*SelectorGrid, row, toTop);
  Filling = false;
}

void TSetupTab::SetRowMark(int row) {
  const TUSBConfigsBlock& configs = Form.Configs;
  if (row < 1 || row > kSelectorRows || static_cast<std::size_t>(row) >= configs.ChangedFlags.size()) {
    return;
  }
  if (QTableWidgetItem* mark = SelectorGrid->item(row - 1, 2)) {
    mark->setText(configs.ChangedFlags[static_cast<std::size_t>(row)] ? QStringLiteral("*")
                                                                       : QString());
  }
}

void TSetupTab::ShowIndicators() {
  ShowModeIndicators(ModeButtons, DrawingConfiguration());
  if (Form.ShowModeIndicatorsOnline) {
    Form.ShowModeIndicatorsOnline();
  }
}

void TSetupTab::FillGroupAt(int group) {
  const TDataCell& drawing = *Form.Configs.DrawingRecord;
  if (group == 3) {
    if (const TBaseConfigCell* cell = drawing.Configuration()) {
      cell->FillParameterList(*Scale, kScaleParameter);
    }
    FillThirdGroup(drawing, *Groups[2], *Scale);
  } else {
    FillGroup(drawing, kGroupOf[group - 1], *Groups[static_cast<std::size_t>(group - 1)]);
  }
}

void TSetupTab::FillGroups() {
  if (!Form.Configs.DrawingRecord) {
    return;
  }
  for (int g = 1; g <= 4; ++g) {
    FillGroupAt(g);
  }
}

void TSetupTab::SetCaption(int c, int spaces) {
  const TBaseConfigCell* cell = DrawingConfiguration();
  const TLocalStrings& s = Form.Strings;
  QString text = FromCp1251(s.Caption(31)) + QString::number(c) + QString(spaces, QLatin1Char(' '));
  if (spaces == 14) {
    text += FromCp1251(s.Caption(158)) + QStringLiteral(":   ");
  }
  if (cell != nullptr) {
    text += FromCp1251(cell->CONFIGURATION_NAME);
  }
  CaptionPanel->setText(text);
}

void TSetupTab::RefreshConditionsAndResults() {
  TDataCell& drawing = *Form.Configs.DrawingRecord;
  FillResultsGrid(drawing, *ResultsGrid, true);
  FillConditionsGrid(drawing, *ConditionsGrid, *ResultsGrid);
}

void TSetupTab::RefreshResultGrid() {
  FillResultsGrid(*Form.Configs.DrawingRecord, *ResultsGrid, true);
}

void TSetupTab::Redraw() {
  DrawSignalView(*Form.Configs.DrawingRecord, *Surface, false, kPictureScale, 1, 1, 1,
                 Form.ScreenScheme);
}

void TSetupTab::ShowDrawingRecord() {
  if (!Form.Configs.DrawingRecord) {
    return;
  }
  ShowIndicators();
  RefreshConditionsAndResults();
  FillGroups();
  Redraw();
}

void TSetupTab::ShowLiveFrame() {
  if (!Form.Configs.DrawingRecord || DrawingConfiguration() == nullptr) {
    return;
  }
  Redraw();
  RefreshResultGrid();
}

TDataCell* TSetupTab::DrawingRecord() { return Form.Configs.DrawingRecord.get(); }

bool TSetupTab::HasCurrentConfiguration() const { return Form.SelectedConfiguration != 0; }

void TSetupTab::WriteWorkingConfiguration() { WriteConfigurationZero(); }

void TSetupTab::MarkChanged() {
  TBaseConfigCell* cell = DrawingConfiguration();
  TUSBConfigsBlock& configs = Form.Configs;
  if (cell == nullptr || cell->CONFIGURATION_NO >= configs.ChangedFlags.size()) {
    return;
  }
  configs.ChangedFlags[cell->CONFIGURATION_NO] = true;
  SetRowMark(cell->CONFIGURATION_NO);
}

void TSetupTab::SetCursorShape(TMouseCursorShape shape) {
  SetPictureCursor(*PictureLabel, shape);
}

// Sends the drawing configuration to the instrument as configuration 0,
// now or, while another exchange runs, as soon as it has ended (then the
// configuration shown at that moment); false when the write failed.
bool TSetupTab::WriteConfigurationZero() {
  return Writer->Write([this] { return SendWorkingConfiguration(); }) !=
         TWorkingConfigurationWriter::TResult::Failed;
}

// The online acquisition and the upload follow whether the write worked.
bool TSetupTab::SendWorkingConfiguration() {
  TBaseConfigCell* cell = DrawingConfiguration();
  TInstrumentConnection& connection = Form.Connection;
  QAction* upload = Form.findChild<QAction*>("SetConfigsAction");
  if (cell == nullptr || !connection.WriteConfiguration(*cell, 0)) {
    Form.OnlineReceiveTimer.stop();
    upload->setEnabled(false);
    return false;
  }
  // The window went on during the pause after the write: what it shows
  // now may be another configuration, or another collection.
  cell = DrawingConfiguration();
  const TUSBConfigsBlock& configs = Form.Configs;
  if (cell != nullptr && cell->REFRESH_RATE != 0) {
    Form.OnlineReceiveTimer.setInterval(RndTo<int>(1000.0 / cell->REFRESH_RATE));
  }
  const bool connected = connection.State.Connected;
  if (connected) {
    Form.OnlineReceiveTimer.start();
  }
  upload->setEnabled(connected &&
                     (configs.Source == kSourceInstrument ||
                      (configs.Source == kSourceFile && configs.Count > 0 &&
                       connection.State.ConfigLocalVersion == configs.ConfigLocalVersion)));
  Form.Configs.DrawingRecord->ResetAveraging();
  return true;
}

void TSetupTab::ShowConfiguration(int c) {
  TUSBConfigsBlock& configs = Form.Configs;
  if ((configs.Source != kSourceInstrument && configs.Source != kSourceFile) || c < 1 ||
      static_cast<std::size_t>(c) >= configs.Configurations.size() ||
      !configs.Configurations[static_cast<std::size_t>(c)]) {
    return;
  }
  if (Previous != 0) {
    StoreComments();
  }
  Previous = Form.SelectedConfiguration;
  Form.SelectedConfiguration = static_cast<std::uint16_t>(c);
  TBaseConfigCell& cell = *configs.Configurations[static_cast<std::size_t>(c)];
  configs.DrawingRecord->Refer(&cell);
  ShowMemoLines(*CommentsMemo, cell.Comments);
  SetCaption(c, 14);
  ShowIndicators();
  RefreshConditionsAndResults();
  FillGroups();
  RefreshNavigation();
  Redraw();
  if (configs.Source == kSourceInstrument) {
    ResetDragState(*configs.DrawingRecord);
    PictureLabel->findChild<QAction*>("CopyConfigAction")->setEnabled(true);
  }
  // The last step: the window goes on while the instrument takes it.
  WriteConfigurationZero();
}

void TSetupTab::RefreshNavigation() {
  const int c = Form.SelectedConfiguration;
  const int count = Form.Configs.Count;
  const bool back = c > 1;
  const bool forward = c != 0 && (c == 1 || c + 1 != count);
  Form.findChild<QAction*>("FirstConfigAction")->setEnabled(back);
  Form.findChild<QAction*>("PrevConfigAction")->setEnabled(back);
  Form.findChild<QAction*>("NextConfigAction")->setEnabled(forward);
  Form.findChild<QAction*>("LastConfigAction")->setEnabled(forward);
}

void TSetupTab::PrepareEditorsFor(const TBaseConfigCell& cell) {
  TEditableGrids grids;
  grids.SetupGroups[0] = ConditionsGrid.get();
  for (int g = 0; g < 4; ++g) {
    grids.SetupGroups[g + 1] = Groups[static_cast<std::size_t>(g)].get();
  }
  grids.Scale = Scale.get();
  PrepareEditors(cell, grids);
}

std::string TSetupTab::Filter() const {
  return ToCp1251(FromCp1251(Form.Strings.Value(66)) + QStringLiteral("(*.ctf)|*.ctf"));
}

void TSetupTab::Download() {
  if (Writer->Later([this] { Download(); })) {
    return;  // after the exchange that runs
  }
  TUSBConfigsBlock& configs = Form.Configs;
  TInstrumentConnection& connection = Form.Connection;
  // What is shown, to be shown again when the download fails.
  const int shown = Form.SelectedConfiguration;
  const int shownBefore = Previous;
  const std::uint8_t source = configs.Source;
  const std::string fileName = configs.FileName;
  Form.SetToolButtonBusy(true, ReceiveButton);
  SelectRow(1, true);
  ClearSignalView(*Surface);
  PictureLabel->findChild<QAction*>("CopyConfigAction")->setEnabled(false);
  PictureLabel->findChild<QAction*>("PasteConfigAction")->setEnabled(false);
  TBatchReport report;
  if (connection.DownloadAllConfigurations(configs, &report)) {
    configs.Source = kSourceInstrument;
    FillSelector();
    CommentsMemo->clear();
    Form.SelectedConfiguration = 1;
    Previous = 1;
    if (!configs.Configurations.empty() && configs.Configurations[0]) {
      PrepareEditorsFor(*configs.Configurations[0]);
    }
    ShowConfiguration(1);
    SelectRow(1, true);
    configs.FileName = connection.State.StateText;
    if (connection.State.DeviceType == 2 &&
        connection.SetClock() == TExchangeOutcome::Refused) {
      const TTransferMessage refused = ClockRefusedMessage();
      Form.Feedback.ShowMessage(refused.Caption, refused.Text, TMessageIcon::Error);
    }
  } else {
    configs.Source = kSourceNone;
    Form.SelectedConfiguration = 0;
    Previous = 0;
    const std::string failed = Cp(kTransferFailedText);
    const TTransferMessage message = DownloadFailureMessage(report, failed.c_str());
    Form.Feedback.ShowMessage(message.Caption, message.Text, TMessageIcon::Error);
    configs.FileName.clear();
  }

  // A download that fails leaves the collection as it was: then it stays
  // shown, selected and at work rather than listed but out of reach.
  if (Form.SelectedConfiguration == 0 && shown != 0 && configs.Count > shown) {
    configs.Source = source;
    configs.FileName = fileName;
    Form.SelectedConfiguration = static_cast<std::uint16_t>(shown);
    Previous = shownBefore;
    SelectRow(shown, false);
    Redraw();
    PictureLabel->findChild<QAction*>("CopyConfigAction")->setEnabled(source == kSourceInstrument);
    PictureLabel->findChild<QAction*>("PasteConfigAction")->setEnabled(Source != 0);
  }
  Form.RefreshStatusPanel0();
  Form.RefreshEnabledStates();
  if (configs.DrawingRecord) {
    ResetDragState(*configs.DrawingRecord);
  }
  RefreshNavigation();
  Form.RefreshStatusBar();
  Form.SetToolButtonBusy(false, ReceiveButton);
}

void TSetupTab::Upload() {
  if (Writer->Later([this] { Upload(); })) {
    return;  // after the exchange that runs
  }
  TUSBConfigsBlock& configs = Form.Configs;
  TInstrumentConnection& connection = Form.Connection;
  const TLocalStrings& s = Form.Strings;
  Form.SetToolButtonBusy(true, UploadButton);
  int changed = 0;
  for (std::size_t n = 0; n < configs.ChangedFlags.size() && n < kConfigurationSlots; ++n) {
    changed += configs.ChangedFlags[n] ? 1 : 0;
  }
  // The question is titled by what it asks about: the upload's own caption.
  if (changed != 0 &&
      !Form.Feedback.AskYesNo(s.Value(kUploadCaption),
                              s.Error(18) + std::to_string(changed) + s.Error(19),
                              TMessageIcon::Warning)) {
    Form.SetToolButtonBusy(false, UploadButton);
    return;
  }
  const bool running = Form.OnlineReceiveTimer.isActive();
  Form.OnlineReceiveTimer.stop();
  TBatchReport report;
  const bool uploaded = connection.UploadChangedConfigurations(configs, &report);
  // The slots written lose their mark, the others keep it: the list shows
  // which is which either way.
  FillSelector();
  if (uploaded) {
    if (connection.State.DeviceType == 2 &&
        connection.SetClock() == TExchangeOutcome::Refused) {
      const TTransferMessage refused = ClockRefusedMessage();
      Form.Feedback.ShowMessage(refused.Caption, refused.Text, TMessageIcon::Error);
    }
  } else {
    const TTransferMessage message = UploadFailureMessage(report, s);
    Form.Feedback.ShowMessage(message.Caption, message.Text, TMessageIcon::Error);
  }
  if (running) {
    Form.OnlineReceiveTimer.start();
  }
  Form.SetToolButtonBusy(false, UploadButton);
}

void TSetupTab::Load() {
  const TLocalStrings& s = Form.Strings;
  const std::optional<std::filesystem::path> path =
      ChooseFileToOpen(Form.FileDialogs(), Form.Feedback, s,
                       {FromCp1251(s.Caption(55)), FromCp1251(Filter()), QStringLiteral("ctf")});
  if (path) {
    LoadFile(*path);
  }
}

bool TSetupTab::LoadFile(const std::filesystem::path& path) {
  TUSBConfigsBlock& configs = Form.Configs;
  const TLocalStrings& s = Form.Strings;
  // The file is read into a collection aside: one that cannot be read
  // leaves the configurations on screen as they were, shown, selected and
  // still at work; a cancelled choice likewise.
  if (const TFileResult loaded = LoadConfigurationFile(configs, path); !loaded.Ok) {
    Form.Feedback.ShowMessage(s.Error(9),
                              s.Error(25) + "\n" + TVeltApplication::ErrorText(loaded.Error.c_str()),
                              TMessageIcon::Error);
    return false;
  }
  SelectRow(1, true);
  ClearSignalView(*Surface);
  configs.Source = kSourceFile;
  PictureLabel->findChild<QAction*>("CopyConfigAction")->setEnabled(false);
  PictureLabel->findChild<QAction*>("PasteConfigAction")->setEnabled(false);
  CommentsMemo->clear();
  FillSelector();
  Form.findChild<QAction*>("SaveConfigsAction")->setEnabled(true);
  Form.SelectedConfiguration = 1;
  Previous = 0;
  if (configs.Configurations.size() > 1 && configs.Configurations[1]) {
    PrepareEditorsFor(*configs.Configurations[1]);
  }
  // Showing it sends it and enables the upload only for the instrument's
  // own configuration layout.
  ShowConfiguration(1);
  SelectRow(1, true);
  RefreshNavigation();
  Form.RefreshStatusBar();
  return true;
}

void TSetupTab::Save() {
  const TLocalStrings& s = Form.Strings;
  StoreComments();
  const std::optional<std::filesystem::path> path =
      ChooseFileToSave(Form.FileDialogs(), Form.Feedback, s,
                       {FromCp1251(s.Caption(53)), FromCp1251(Filter()), QStringLiteral("ctf")});
  if (!path) {
    return;
  }
  // The system's reason (no space left, file too large, no permission)
  // and the file's name follow the program's own words.
  if (const TFileResult saved = SaveConfigurationFile(Form.Configs, *path); !saved.Ok) {
    Form.Feedback.ShowMessage(s.Error(9),
                              s.Error(11) + "\n" + TVeltApplication::ErrorText(saved.Error.c_str()),
                              TMessageIcon::Error);
  }
}

void TSetupTab::First() {
  if (Form.SelectedConfiguration <= 1) {
    return;
  }
  SelectRow(1, true);
  ShowConfiguration(1);
}

void TSetupTab::Prev() {
  const int c = Form.SelectedConfiguration;
  if (c <= 1) {
    return;
  }
  SelectRow(c - 1, false);
  ScrollBack(*SelectorGrid, c - 1);
  ShowConfiguration(c - 1);
}

void TSetupTab::Next() {
  const int c = Form.SelectedConfiguration;
  if (c == 0 || c >= Form.Configs.Count - 1) {
    return;
  }
  SelectRow(c + 1, false);
  ScrollForward(*SelectorGrid, c + 1);
  ShowConfiguration(c + 1);
}

void TSetupTab::Last() {
  const int c = Form.SelectedConfiguration;
  const int last = Form.Configs.Count - 1;
  if (c == 0 || c >= last) {
    return;
  }
  SelectRow(last, false);
  ScrollForward(*SelectorGrid, last);
  ShowConfiguration(last);
}

void TSetupTab::Copy() {
  if (Form.SelectedConfiguration == 0) {
    return;
  }
  Source = Form.SelectedConfiguration;
  PictureLabel->findChild<QAction*>("PasteConfigAction")->setEnabled(true);
}

void TSetupTab::Paste() {
  const int c = Form.SelectedConfiguration;
  TUSBConfigsBlock& configs = Form.Configs;
  if (c == 0 || Source == 0 || Source == c ||
      static_cast<std::size_t>(std::max(c, Source)) >= configs.Configurations.size()) {
    return;
  }
  TBaseConfigCell& target = *configs.Configurations[static_cast<std::size_t>(c)];
  const std::uint16_t number = target.CONFIGURATION_NO;
  target.Assign(configs.Configurations[static_cast<std::size_t>(Source)].get());
  target.CONFIGURATION_NO = number;
  MarkChanged();
  if (QTableWidgetItem* name = SelectorGrid->item(c - 1, 1)) {
    name->setText(FromCp1251(target.CONFIGURATION_NAME));
  }
  ShowConfiguration(c);  // with its caption; sent last
}

void TSetupTab::PressMode(TModeButton button) {
  TBaseConfigCell* cell = DrawingConfiguration();
  if (cell == nullptr) {
    return;
  }
  const bool thirdAnew = ChangeMode(*cell, button);
  if (thirdAnew) {
    FillGroupAt(3);
  }
  if (button == TModeButton::SignalType || button == TModeButton::TgvState) {
    RefreshConditionsAndResults();
  }
  if (Form.ShowOnlineGroups) {
    Form.ShowOnlineGroups();
  }
  ShowIndicators();
  Redraw();
  MarkChanged();
  WriteConfigurationZero();
}

void TSetupTab::DoubleClick(int column, int row) {
  TBaseConfigCell* cell = DrawingConfiguration();
  TUSBConfigsBlock& configs = Form.Configs;
  if (Form.Progress.Visible() || cell == nullptr) {
    return;
  }
  if (row > 0 && column == 1) {
    TEditStrParForm* editor = Form.NameEditor();
    if (editor == nullptr) {
      return;
    }
    const std::string name = editor->EditName(*cell);
    const bool renamed = name != cell->CONFIGURATION_NAME;
    if (renamed) {
      MarkChanged();
      cell->CONFIGURATION_NAME = name;
    }
    if (QTableWidgetItem* item = SelectorGrid->item(row - 1, 1)) {
      item->setText(FromCp1251(cell->CONFIGURATION_NAME));
    }
    SelectRow(row, false);
    SetCaption(cell->CONFIGURATION_NO, 11);
    if (renamed) {
      WriteConfigurationZero();
    }
    return;
  }
  if (column != 2) {
    return;
  }
  if (row > 0) {
    if (static_cast<std::size_t>(row) >= configs.ChangedFlags.size()) {
      return;
    }
    configs.ChangedFlags[static_cast<std::size_t>(row)] =
        !configs.ChangedFlags[static_cast<std::size_t>(row)];
    SetRowMark(row);
    if (configs.ChangedFlags[static_cast<std::size_t>(row)]) {
      WriteConfigurationZero();
    }
    return;
  }
  if (configs.ChangedFlags.size() < 2) {
    return;
  }
  const bool mark = !configs.ChangedFlags[1];
  for (int n = 1; n < configs.Count && static_cast<std::size_t>(n) < configs.ChangedFlags.size();
       ++n) {
    configs.ChangedFlags[static_cast<std::size_t>(n)] = mark;
    SetRowMark(n);
  }
  if (mark) {
    WriteConfigurationZero();
  }
}

void TSetupTab::ApplyEditedGroup(int group) {
  TDataCell& drawing = *Form.Configs.DrawingRecord;
  TBaseConfigCell* cell = drawing.Configuration();
  if (cell == nullptr) {
    return;
  }
  bool accepted = false;
  if (group == 0) {
    accepted = ApplyGroup(drawing, TParameterGroup::Conditions, *ConditionsGrid);
  } else if (group == 3) {
    accepted = ApplyGroup(drawing, TParameterGroup::Third, *Groups[2], Scale.get());
  } else {
    accepted = ApplyGroup(drawing, kGroupOf[group - 1], *Groups[static_cast<std::size_t>(group - 1)]);
  }
  if (!accepted) {
    const TLocalStrings& s = Form.Strings;
    Form.Feedback.ShowMessage(s.Error(12), s.Error(14), TMessageIcon::Error);
    if (group == 0) {
      RefreshConditionsAndResults();
    } else {
      FillGroupAt(group);
    }
    return;
  }
  switch (group) {
    case 0:
      RefreshConditionsAndResults();
      Redraw();
      ShowIndicators();
      MarkChanged();
      WriteConfigurationZero();
      break;
    case 1:
      MarkChanged();
      cell->UpdateMillimetreGrid();
      cell->UpdateDepthGrid();
      RefreshConditionsAndResults();
      Redraw();
      WriteConfigurationZero();
      break;
    case 2:
      MarkChanged();
      RefreshResultGrid();
      Redraw();
      WriteConfigurationZero();
      break;
    case 3:
      Redraw();
      MarkChanged();
      RefreshResultGrid();
      WriteConfigurationZero();
      break;
    default:
      Redraw();
      MarkChanged();
      WriteConfigurationZero();
      break;
  }
}

void TSetupTab::ScaleChanged() {
  TDataCell& drawing = *Form.Configs.DrawingRecord;
  if (drawing.Configuration() == nullptr) {
    return;
  }
  if (ApplyGroup(drawing, TParameterGroup::Third, *Groups[2], Scale.get())) {
    MarkChanged();
    RefreshResultGrid();
    Redraw();
    WriteConfigurationZero();
  } else {
    const TLocalStrings& s = Form.Strings;
    Form.Feedback.ShowMessage(s.Error(12), s.Error(14), TMessageIcon::Error);
    FillGroupAt(3);
  }
}

void TSetupTab::CopyImage() {
  TDataCell& drawing = *Form.Configs.DrawingRecord;
  if (drawing.Configuration() != nullptr && drawing.SamplesQuantity != 0) {
    DrawSignalView(drawing, *Surface, true, kPictureScale, 1, 1, 1, Form.ScreenScheme);
  }
}

void TSetupTab::CopyData() {
  const TDataCell& drawing = *Form.Configs.DrawingRecord;
  if (drawing.Configuration() != nullptr && drawing.SamplesQuantity != 0) {
    QApplication::clipboard()->setText(FromCp1251(drawing.AScanText()));
  }
}

void TSetupTab::Clear() {
  Writer->Forget();  // nothing is left to send
  Filling = true;
  for (int r = 0; r < kSelectorRows; ++r) {
    for (int c = 0; c < 3; ++c) {
      SelectorGrid->setItem(r, c, new QTableWidgetItem(QString()));
    }
  }
  Filling = false;
  Previous = 0;
  Source = 0;
  ClearSignalView(*Surface);
  CaptionPanel->setText(FromCp1251(Form.Strings.Caption(31)));
  CommentsMemo->clear();
  PictureLabel->findChild<QAction*>("CopyConfigAction")->setEnabled(false);
  PictureLabel->findChild<QAction*>("PasteConfigAction")->setEnabled(false);
  TDataCell empty;
  FillResultsGrid(empty, *ResultsGrid, true);
  FillConditionsGrid(empty, *ConditionsGrid, *ResultsGrid);
  for (int g = 0; g < 4; ++g) {
    FillGroup(empty, kGroupOf[g], *Groups[static_cast<std::size_t>(g)]);
  }
  ShowModeIndicators(ModeButtons, nullptr);
  RefreshNavigation();
}

void TSetupTab::Shown() {
  if (Form.Configs.DrawingRecord) {
    ResetDragState(*Form.Configs.DrawingRecord);
  }
  Form.RefreshStatusBar();
  if (const int c = Form.SelectedConfiguration; c != 0) {
    ShowConfiguration(c);  // shown again, and sent again
  }
}

}  // namespace velt
