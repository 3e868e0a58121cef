#include <ui/online/OnlineTabUnit.h>

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <config/BaseConfigObjectsUnit.h>
#include <config/Rounding.h>
#include <ui/mainwindow/ProgressFormUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/online/OnlineReadoutsUnit.h>
#include <ui/online/OnlineSettingsListsUnit.h>
#include <ui/setup/ComplexAdjustSchemesUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/TabSupportUnit.h>

namespace velt {
namespace {

// The online picture: two pixels per column, 2.44 per row, at (2, 2).
constexpr double kPictureScale = 2.44;
const QSize kPictureSurface(649, 480);
constexpr int kSettingsPanelWidth = 342;

// The tool bar's press-and-hold buttons: the scheme each runs, and the
// shortcut and value string of its hint.
struct TAdjustButton {
  const char* Name;
  int Scheme;
  const char* Shortcut;
  int Hint;
};
const TAdjustButton kAdjustButtons[] = {
    {"OnLineGainUpToolButton", kGainUpScheme, "Ctrl + Up", 121},
    {"OnLineGainDownToolButton", kGainDownScheme, "Ctrl + Down", 122},
    {"OnLineRangeShortToolButton", kRangeShortScheme, "Ctrl + Left", 124},
    {"OnLineRangeLongToolButton", kRangeLongScheme, "Ctrl + Right", 123},
    {"OnLineVCursorLeftToolButton", kCursorLeftScheme, "Ctrl + \"-\"", 126},
    {"OnLineVCursorRightToolButton", kCursorRightScheme, "Ctrl + \"+\"", 127}};

// In the order of the mode indicator rule.
const char* const kModeNames[6] = {"TGVStateRxSpeedButton",    "StrobeAlgRxSpeedButton",
                                   "ScreenModeRxSpeedButton",  "SignalTypeRxSpeedButton",
                                   "FirstStrobeRxSpeedButton", "SecondStrobeRxSpeedButton"};
constexpr TModeButton kModeOf[6] = {TModeButton::TgvState,    TModeButton::StrobeAlgorithm,
                                    TModeButton::ScreenMode,  TModeButton::SignalType,
                                    TModeButton::FirstStrobe, TModeButton::SecondStrobe};

// A tool button that the Ctrl cue raises, with the hint the tabs' texts
// give it (the bold shortcut, then the value string).
QToolButton* CueButton(QWidget* parent, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setProperty("veltCtrlCue", true);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

TOnlineTab::TOnlineTab(TVELTMainForm& form, QWidget& page) : QObject(&page), Form(form) {
  auto* layout = new QVBoxLayout(&page);
  // No side margins: the picture and the settings panel take the page's
  // whole width side by side; overlapping, each frame would repaint the
  // five lists under the picture's edge as well.
  layout->setContentsMargins(0, 2, 0, 2);
  layout->setSpacing(2);
  CaptionLabel = MakeHeaderLabel(page);
  CaptionLabel->setObjectName("OnlineCaptionLabel");
  layout->addWidget(CaptionLabel);

  auto* tools = new QToolBar(&page);
  tools->setObjectName("OnlineToolBar");
  layout->addWidget(tools);
  Freeze = CueButton(tools, "FreezeOnlineToolButton");
  Freeze->setCheckable(true);
  Freeze->setProperty("veltHintPrefix", QStringLiteral("Ctrl + (*)"));
  Freeze->setProperty("veltHint", 125);
  Freeze->setEnabled(false);
  connect(Freeze, &QToolButton::clicked, this, [this](bool down) { FreezeClicked(down); });
  tools->addWidget(Freeze);
  tools->addSeparator();
  for (const TAdjustButton& b : kAdjustButtons) {
    QToolButton* button = CueButton(tools, b.Name);
    button->setProperty("veltHintPrefix", QString::fromLatin1(b.Shortcut));
    button->setProperty("veltHint", b.Hint);
    button->setEnabled(false);
    const int scheme = b.Scheme;
    connect(button, &QToolButton::pressed, this,
            [this, scheme] { Form.PressAdjustButton(scheme); });
    connect(button, &QToolButton::released, this,
            [this, scheme] { Form.ReleaseAdjustButton(scheme); });
    tools->addWidget(button);
  }

  // The main panel paints all of its surface itself: nothing of the page
  // shows through between the frames.
  auto* panel = new QWidget(&page);
  panel->setObjectName("OnlineMainPanel");
  panel->setAutoFillBackground(true);
  layout->addWidget(panel, 1);
  auto* main = new QVBoxLayout(panel);
  main->setContentsMargins(0, 0, 0, 0);
  main->setSpacing(2);
  ReadoutStrip = new TOnlineReadouts(panel);
  ReadoutStrip->setObjectName("OnlineReadoutsPanel");
  main->addWidget(ReadoutStrip);

  auto* body = new QHBoxLayout;
  body->setSpacing(0);
  main->addLayout(body, 1);
  auto* left = new QVBoxLayout;
  left->setSpacing(2);
  body->addLayout(left);
  PictureLabel = new TPictureLabel(panel);
  PictureLabel->setObjectName("OnLineSignalImage");
  PictureLabel->setFixedSize(kPictureSurface);
  PictureLabel->setMouseTracking(true);
  PictureLabel->setContextMenuPolicy(Qt::CustomContextMenu);
  Surface = std::make_unique<TLabelSurface>(*PictureLabel, kPictureSurface);
  left->addWidget(PictureLabel);
  auto* modes = new QHBoxLayout;
  for (std::size_t i = 0; i < ModeButtons.size(); ++i) {
    ModeButtons[i] = CueButton(panel, kModeNames[i]);
    const TModeButton button = kModeOf[i];
    // The setup tab's own handler: both tabs change the working cell alike.
    connect(ModeButtons[i], &QToolButton::clicked, this, [this, button] {
      Form.SetupPage().PressMode(button);
      Redraw();
    });
    modes->addWidget(ModeButtons[i]);
  }
  modes->addStretch(1);
  left->addLayout(modes);
  left->addStretch(1);

  // The settings panel: the five lists under their caption.
  TOnlineListsPorts ports;
  ports.Strings = &Form.Strings;
  ports.Feedback = &Form.Feedback;
  ports.Connected = [this] { return Form.Connection.State.Connected; };
  ports.ProgressShowing = [this] { return Form.Progress.Visible(); };
  Lists = new TOnlineSettingsLists(Form, std::move(ports), panel);
  Lists->setObjectName("OnlineSettingsPanel");
  Lists->setFixedWidth(kSettingsPanelWidth);
  body->addWidget(Lists);

  PictureMouse = std::make_unique<TSetupPictureMouse>(static_cast<ISetupPictureHost&>(*this),
                                                      kOnlinePictureView);
  ConnectPictureMouse(*PictureLabel, *PictureMouse, kPictureSurface, *this);

  auto* menu = new QMenu(PictureLabel);
  QAction* image = menu->addAction(QString());
  image->setObjectName("CopyOnlineImage");
  connect(image, &QAction::triggered, this, &TOnlineTab::CopyImage);
  QAction* data = menu->addAction(QString());
  data->setObjectName("CopyOnlineData");
  connect(data, &QAction::triggered, this, [this] { Form.SetupPage().CopyData(); });
  connect(PictureLabel, &QLabel::customContextMenuRequested, menu, [this, menu](QPoint at) {
    PictureMouse->ReleaseLost();  // the menu takes the mouse
    menu->popup(PictureLabel->mapToGlobal(at));
  });
  velt::ShowModeIndicators(ModeButtons, nullptr);
}

TOnlineTab::~TOnlineTab() {
  PictureLabel->OnPress = nullptr;
  PictureLabel->OnMove = nullptr;
  PictureLabel->OnRelease = nullptr;
  PictureLabel->OnDoubleClick = nullptr;
  PictureLabel->OnReleaseLost = nullptr;
}

void TOnlineTab::LoadTexts() {
  const TLocalStrings& s = Form.Strings;
  CaptionLabel->setText(FromCp1251(s.Caption(11)));
  PictureLabel->findChild<QAction*>("CopyOnlineImage")->setText(FromCp1251(s.Caption(110)));
  PictureLabel->findChild<QAction*>("CopyOnlineData")->setText(FromCp1251(s.Caption(111)));
  ReadoutStrip->LoadTexts(s);
  Lists->LoadTexts();
  Lists->ClearSelection();
}

TBaseConfigCell* TOnlineTab::WorkingCell() const {
  return Form.Configs.DrawingRecord ? Form.Configs.DrawingRecord->Configuration() : nullptr;
}

std::array<int, 6> TOnlineTab::ModeIndicators() const {
  return ShownModeIndicators(ModeButtons);
}

void TOnlineTab::ShowModeIndicators() {
  velt::ShowModeIndicators(ModeButtons, WorkingCell());
}

void TOnlineTab::RefillLists() {
  Lists->Refill();
}

// A configuration written while frozen takes its mode word from the
// second copy, which has not the frozen bits: they are put back before the
// picture or the readouts are made, so a frozen picture stays frozen.
void TOnlineTab::KeepFrozenMarks() {
  TBaseConfigCell* cell = WorkingCell();
  if (cell != nullptr && Frozen()) {
    cell->USED_MODE = static_cast<std::uint16_t>(cell->USED_MODE | kFrozenPictureBits);
  }
}

void TOnlineTab::Redraw() {
  KeepFrozenMarks();
  TDataCell* drawing = Form.Configs.DrawingRecord.get();
  if (drawing == nullptr || drawing->Configuration() == nullptr) {
    ClearSignalView(*Surface);
    return;
  }
  DrawSignalView(*drawing, *Surface, false, kPictureScale, 2, 2, 2, Form.ScreenScheme);
}

void TOnlineTab::RefreshReadouts() {
  KeepFrozenMarks();
  TDataCell* drawing = Form.Configs.DrawingRecord.get();
  if (drawing != nullptr && drawing->Configuration() != nullptr) {
    ReadoutStrip->Show(*drawing);
  }
}

void TOnlineTab::ShowLiveFrame() {
  if (WorkingCell() == nullptr) {
    return;
  }
  Redraw();
  RefreshReadouts();
}

void TOnlineTab::ShowDrawingRecord() {
  if (!Form.Configs.DrawingRecord) {
    return;
  }
  ShowModeIndicators();
  Redraw();
  RefreshReadouts();
  RefillLists();
}

void TOnlineTab::Clear() {
  ReleaseFreeze();
  ClearSignalView(*Surface);
  CaptionLabel->setText(FromCp1251(Form.Strings.Caption(11)));
  ReadoutStrip->Clear();
  velt::ShowModeIndicators(ModeButtons, nullptr);
  RefillLists();
}

void TOnlineTab::SetShowingCaption(int c) {
  const TLocalStrings& s = Form.Strings;
  QString text = FromCp1251(s.Caption(31)) + QString::number(c) + QString(14, QLatin1Char(' ')) +
                 FromCp1251(s.Caption(158)) + QStringLiteral(":   ");
  if (const TBaseConfigCell* cell = WorkingCell()) {
    text += FromCp1251(cell->CONFIGURATION_NAME);
  }
  CaptionLabel->setText(text);
}

void TOnlineTab::Shown() {
  ReleaseFreeze();
  TBaseConfigCell* cell = WorkingCell();
  TInstrumentConnection& connection = Form.Connection;
  if (Form.SelectedConfiguration == 0 || cell == nullptr) {
    const TLocalStrings& s = Form.Strings;
    Form.Feedback.ShowMessage(s.Error(21), s.Error(20), TMessageIcon::Warning);
    Form.OnlineReceiveTimer.stop();
  } else {
    const bool connected = connection.State.Connected;
    if (!cell->Validate() && connected) {
      cell->SetDefaults(0);
    }
    if (!connected) {
      Form.OnlineReceiveTimer.stop();
    } else {
      SendAtShowing();
    }
    ResetDragState(*Form.Configs.DrawingRecord);
  }
  RefillLists();
}

bool TOnlineTab::SendAtShowing() {
  // Through the setup tab's writer: a write asked for while another
  // exchange runs goes when it ends, and the last change of either tab wins.
  return Form.SetupPage().WorkingWriter().Write([this] {
    TBaseConfigCell* cell = WorkingCell();
    TInstrumentConnection& connection = Form.Connection;
    if (cell == nullptr || !connection.WriteConfiguration(*cell, 0)) {
      Form.OnlineReceiveTimer.stop();
      return false;
    }
    // The window went on during the pause after the write.
    cell = WorkingCell();
    if (cell == nullptr) {
      return true;
    }
    if (cell->REFRESH_RATE != 0) {
      Form.OnlineReceiveTimer.setInterval(RndTo<int>(1000.0 / cell->REFRESH_RATE));
    }
    ClearSignalView(*Surface);
    SetShowingCaption(Form.SelectedConfiguration);
    if (connection.State.Connected) {
      Form.OnlineReceiveTimer.start();
    }
    ShowModeIndicators();
    RefreshReadouts();
    Form.Configs.DrawingRecord->ResetAveraging();
    return true;
  }) != TWorkingConfigurationWriter::TResult::Failed;
}

void TOnlineTab::Hidden() {
  ReleaseFreeze();
}

bool TOnlineTab::Frozen() const {
  return Freeze->isChecked();
}

void TOnlineTab::FreezeClicked(bool down) {
  TBaseConfigCell* cell = WorkingCell();
  if (!Form.Connection.State.Connected) {
    Freeze->setChecked(false);
    return;
  }
  if (down) {
    Form.OnlineReceiveTimer.stop();
    if (cell != nullptr) {
      cell->USED_MODE = static_cast<std::uint16_t>(cell->USED_MODE | kFrozenPictureBits);
      cell->Frozen = true;
    }
    return;
  }
  if (cell != nullptr) {
    cell->USED_MODE = static_cast<std::uint16_t>(cell->USED_MODE & ~kFrozenPictureBits);
    cell->Frozen = false;
  }
  Form.OnlineReceiveTimer.start();
}

// The button goes up as a click would take it up, so that the working cell
// never keeps the frozen marks of a button that is no longer down. Nothing
// is sent: the freeze is the program's own (the instrument's working
// configuration takes the mode word from its second copy), and a button
// that is up already leaves the cell's freeze flag as the cell has it.
void TOnlineTab::ReleaseFreeze() {
  if (!Freeze->isChecked()) {
    return;
  }
  Freeze->setChecked(false);
  if (TBaseConfigCell* cell = WorkingCell()) {
    cell->USED_MODE = static_cast<std::uint16_t>(cell->USED_MODE & ~kFrozenPictureBits);
    cell->Frozen = false;
  }
  if (Form.Connection.State.Connected) {
    Form.OnlineReceiveTimer.start();
  }
}

void TOnlineTab::CopyImage() {
  TDataCell* drawing = Form.Configs.DrawingRecord.get();
  if (drawing != nullptr && drawing->Configuration() != nullptr && drawing->SamplesQuantity != 0) {
    DrawSignalView(*drawing, *Surface, true, kPictureScale, 2, 2, 2, Form.ScreenScheme);
  }
}

TDataCell* TOnlineTab::DrawingRecord() {
  return Form.Configs.DrawingRecord.get();
}

bool TOnlineTab::HasCurrentConfiguration() const {
  return Form.SelectedConfiguration != 0;
}

void TOnlineTab::WriteWorkingConfiguration() {
  Form.SetupPage().WriteWorkingConfigurationSoon();
}

void TOnlineTab::MarkChanged() {
  Form.SetupPage().MarkSelectedChanged();
}

// A strobe dragged on the picture: its start, length and level are in the
// first list.
void TOnlineTab::RefreshConditionsAndResults() {
  RefillLists();
}

// The cursor dragged: the measurement follows it.
void TOnlineTab::RefreshResultGrid() {
  RefreshReadouts();
}

void TOnlineTab::SetCursorShape(TMouseCursorShape shape) {
  SetPictureCursor(*PictureLabel, shape);
}

}  // namespace velt
