#include <ui/mainwindow/VELTMainFormUnit.h>

#include <ui/mainwindow/FrameWakeUnit.h>
#include <ui/widgets/ElidedLabelUnit.h>
#include <ui/widgets/PicturesUnit.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QVBoxLayout>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <ports/Errors.h>
#include <ui/widgets/Cp1251.h>
#include <ui/data/DataTabUnit.h>
#include <ui/setup/EditStringParameterUnit.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>
#include <ui/widgets/TabSupportUnit.h>
#include <ui/widgets/htmlhint.h>
#include <ui/mainwindow/DeviceMonitorUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/mainwindow/ProgressFormUnit.h>
#include <ui/online/OnlineTabUnit.h>
#include <ui/report/QuickRepViewerUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/report/ReportTabUnit.h>
#include <ui/mainwindow/VeltApplicationUnit.h>

namespace velt {
namespace {

constexpr const char* kApplicationTitle = "Velt Studio 3";
constexpr int kClientWidth = 996;
constexpr int kUnplugHint = 156;
constexpr int kClientHeight = 716;
const char* const kTabNames[4] = {"DataTabSheet", "SetupTabSheet", "OnlineTabSheet",
                                  "ReportTabSheet"};

// The versions the configuration collection is built for before an
// instrument has told its own.
constexpr std::uint8_t kDefaultMajor = 3;
constexpr std::uint8_t kDefaultMinor = 18;
constexpr std::uint8_t kDefaultLocal = 2;
constexpr std::uint8_t kDefaultDevice = 1;

// The actions each condition enables (C = connected, K = a configuration
// selected, R = a record selected). Actions a later tab brings are found
// by name when they exist.
const char* const kConnectedActions[] = {"SetConfigsAction", "ReceiveConfigsAction",
                                         "ReceiveFlawsAction", "UnplugDeviceAction"};
const char* const kConfigurationActions[] = {"SaveConfigsAction"};
const char* const kRecordActions[] = {"SaveFlawsAction", "PreviewSimpleFlawsAction",
                                      "PrintSimpleFlawsAction"};
const char* const kConfigurationAndConnectedControls[] = {
    "SetupGainUpToolButton",      "SetupGainDownToolButton",    "SetupRangeShortToolButton",
    "SetupRangeLongToolButton",   "FreezeOnlineToolButton",     "OnLineGainUpToolButton",
    "OnLineGainDownToolButton",   "OnLineRangeShortToolButton", "OnLineRangeLongToolButton",
    "OnLineVCursorLeftToolButton", "OnLineVCursorRightToolButton"};

}  // namespace

TVELTMainForm::TVELTMainForm(TLocalStrings& strings, TInstrumentConnection& connection,
                             IUserFeedback& feedback, TGuiProgress& progress, ITimeSource& time,
                             TRunTimeFolders folders)
    : Strings(strings),
      Connection(connection),
      Feedback(feedback),
      Progress(progress),
      Time(time),
      Folders(std::move(folders)),
      CurrentTimer(this),
      OnlineReceiveTimer(this),
      ButtonPressTimer(this) {
  setObjectName("VELTMainForm");
  setWindowTitle("Velt Studio 3.0");
  setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
  setFixedSize(kClientWidth, kClientHeight);

  MainPageControl = new TPageControl(this);
  for (const char* name : kTabNames) {
    auto* page = new QWidget(MainPageControl);
    page->setObjectName(name);
    MainPageControl->addTab(page, QString());
  }
  setCentralWidget(MainPageControl);
  connect(MainPageControl, &QTabWidget::currentChanged, this, &TVELTMainForm::TabChanged);
  Dialogs = std::make_unique<TQtFileDialogs>(this);


  StatusPanel0 = new QLabel(QString::fromUtf8("УСТРОЙСТВО:НЕТ УСТРОЙСТВА"), this);
  StatusPanel0->setObjectName("StatusPanel0");
  StatusPanel0->setFixedWidth(330);
  // The data source takes the rest of the bar; a long file name is cut in
  // the middle and shown whole in the panel's hint.
  StatusPanel1 = new TElidedLabel(QString::fromUtf8("ДАННЫЕ:ТЕСТОВЫЕ"), this);
  StatusPanel1->setObjectName("StatusPanel1");
  StatusPanel1->setMinimumWidth(180);
  statusBar()->addWidget(StatusPanel0);
  statusBar()->addWidget(StatusPanel1, 1);
  statusBar()->setSizeGripEnabled(false);

  CreateActions();
  // Hints show in the formatted hint window, five seconds each.
  auto* hints = new THTMLHint(this);
  hints->HintHidePause = 5000;
  DataTab = new TDataTab(*this, *MainPageControl->widget(kDataTab));
  ClearRecordViews = [this] { DataTab->Clear(); };
  SetupTab = new TSetupTab(*this, *MainPageControl->widget(kSetupTab));
  // The setup tab lays out its own actions; the shared unplug action joins
  // them in the key order, before the load (F4).
  if (auto* tools = MainPageControl->widget(kSetupTab)->findChild<QToolBar*>("ConfigsToolBar")) {
    tools->insertAction(Action("LoadConfigsAction"), UnplugDeviceAction);
  }
  OnlineTab = new TOnlineTab(*this, *MainPageControl->widget(kOnlineTab));
  ReportTab = new TReportTab(*this, *MainPageControl->widget(kReportTab));
  ApplyButtonPictures(*this);
  ClearConfigurationViews = [this] {
    SetupTab->Clear();
    OnlineTab->Clear();
  };
  ShowFirstCell = [this] {
    SetupTab->ShowDrawingRecord();
    OnlineTab->ShowDrawingRecord();
  };
  // The tick draws only the view of the active tab.
  ShowOnlineFrame = [this](int tab) {
    if (tab == kSetupTab) {
      SetupTab->ShowLiveFrame();
    } else if (tab == kOnlineTab) {
      OnlineTab->ShowLiveFrame();
    }
  };
  ShowModeIndicatorsOnline = [this] { OnlineTab->ShowModeIndicators(); };
  ShowOnlineGroups = [this] { OnlineTab->RefillLists(); };

  // Creation: the drawing record exists from now on, showing no cell.
  CtrlHeld = false;
  qApp->installEventFilter(this);
  BuildDefaultConfigurations();
  SelectedConfiguration = 0;
  Configs.DrawingRecord->Refer(nullptr);
  Configs.Clear();
  OnlineBusy = false;
  ClockBusy = false;

  CurrentTimer.setObjectName("CurrentTimer");
  CurrentTimer.setInterval(1000);
  connect(&CurrentTimer, &QTimer::timeout, this, &TVELTMainForm::ClockTick);
  OnlineReceiveTimer.setObjectName("OnlineReceiveTimer");
  OnlineReceiveTimer.setInterval(1000);
  // The frame rhythm is the instrument's: no coarse rounding of short intervals.
  OnlineReceiveTimer.setTimerType(Qt::PreciseTimer);
  connect(&OnlineReceiveTimer, &QTimer::timeout, this, &TVELTMainForm::OnlineTick);
  FrameWake = new TFrameWake([this] { OnlineWake(); }, this);
  ButtonPressTimer.setObjectName("ButtonPressTimer");
  ButtonPressTimer.setInterval(1000);
  connect(&ButtonPressTimer, &QTimer::timeout, this, &TVELTMainForm::AdjustRepeatTick);
  CurrentTimer.start();
  OnlineReceiveTimer.start();

  Monitor = new TDeviceMonitor([this] { return Connection.InstrumentPresent(); }, this);
  Monitor->OnDeviceChange = [this](std::uint16_t code) { HandleDeviceChange(code); };

  Progress.SetOwner(this);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TVELTMainForm::~TVELTMainForm() { qApp->removeEventFilter(this); }

void TVELTMainForm::CreateActions() {
  // F3 on the data, setup and online tabs, a tool button on the data and
  // setup tabs.
  UnplugDeviceAction = MakeTabAction(*this, "UnplugDeviceAction", 3, kUnplugHint);
  UnplugDeviceAction->setEnabled(false);
  connect(UnplugDeviceAction, &QAction::triggered, this, &TVELTMainForm::UnplugDevice);
}

TReportTabForm& TVELTMainForm::ReportForm() const { return ReportTab->Bridge(); }

void TVELTMainForm::SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs) {
  Dialogs = std::move(dialogs);
}

// Leaving the data or the report tab keeps what was typed there, leaving
// the online tab lets its freeze go; the status bar follows the tab.
void TVELTMainForm::TabChanged(int tab) {
  if (tab != ActivePage) {
    if (ActivePage == kDataTab) {
      DataTab->Hidden();
    } else if (ActivePage == kOnlineTab) {
      OnlineTab->Hidden();
    } else if (ActivePage == kReportTab) {
      ReportTab->Hidden();
      // The report tab may have re-sorted the records or changed their
      // comments: the data tab shows them as they now are.
      if (Flaws.Count > 0) {
        DataTab->Refresh();
      }
    }
  }
  ActivePage = tab;
  if (tab == kDataTab) {
    DataTab->Shown();
  } else if (tab == kSetupTab) {
    SetupTab->Shown();
  } else if (tab == kOnlineTab) {
    OnlineTab->Shown();
  } else if (tab == kReportTab) {
    ReportTab->Shown();
  }
  RefreshStatusPanel1();
}

void TVELTMainForm::BuildDefaultConfigurations() {
  Configs.Build(100, kDefaultMajor, kDefaultMinor, kDefaultLocal, kDefaultDevice);
}

QAction* TVELTMainForm::Action(const char* name) const { return findChild<QAction*>(name); }

int TVELTMainForm::ActiveTab() const { return MainPageControl->currentIndex(); }

void TVELTMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Shown) {
    Shown = true;
    // After the window is on screen, so that messages have it behind them.
    QTimer::singleShot(0, this, &TVELTMainForm::FirstShowing);
  }
}

void TVELTMainForm::FirstShowing() {
  // Reals are shown and typed in the user's number format.
  Configs.NumberFormat = LocaleNumberFormat(QLocale());
  Flaws.NumberFormat = Configs.NumberFormat;
  ScreenScheme = ScreenColourScheme();
  PrintScheme = PrintColourScheme();
  NameEditorForm = new TEditStrParForm(Strings, Feedback, this);
  NameEditorForm->hide();
  Loaded = Strings.LoadStringFiles(Folders.Strings);
  if (!Loaded) {
    Feedback.ShowMessage(
        ToCp1251(QString::fromUtf8("Системная ошибка")),
        ToCp1251(QString::fromUtf8(
            "Неправильные или поврежденные файлы языков. Переустановите программу")),
        TMessageIcon::Error);
  }
  LoadTexts();
  RefreshStatusBar();

  Connection.State.Connected = false;
  Connection.State.Busy = false;
  Connection.State.DeviceType = 0;
  Connection.State.StateText = Strings.Caption(47);
  // A program that is ending for want of its strings (which every message
  // of the link needs) leaves the instrument alone.
  if (Loaded) {
    Connection.Connect();
  }
  RefreshEnabledStates();

  if (Connection.State.Connected) {
    Configs.Clear();
    Configs.Build(100, Connection.State.MajorVersion, Connection.State.MinorVersion,
                  Connection.State.ConfigLocalVersion, Connection.State.DeviceType);
    if (ShowFirstCell) {
      ShowFirstCell();
    }
    SelectedConfiguration = 0;
    Configs.DrawingRecord->Refer(nullptr);
    Configs.Clear();
  }
  RefreshStatusPanel0();
  RefreshStatusPanel1();
  ReportTab->ApplyReportGridColumnWidths();
  LoadDefaultReport();
  if (Loaded) {
    Monitor->Start();
    OpenGivenFiles();
  } else {
    // Without its strings the program ends, once first showing has run.
    close();
  }
  if (OnFirstShowingDone) {
    OnFirstShowingDone();
  }
}

void TVELTMainForm::LoadTexts() {
  setWindowTitle(FromCp1251(Strings.Caption(4)));
  for (int tab = 0; tab < 4; ++tab) {
    MainPageControl->setTabText(tab, FromCp1251(Strings.Caption(static_cast<std::uint16_t>(5 + tab))));
  }
  ReportTab->LoadTexts();
  OnlineTab->LoadTexts();
  LoadTabActionTexts(*this, Strings);
  DataTab->LoadTexts();
  SetupTab->LoadTexts();
}

std::filesystem::path TVELTMainForm::DefaultReportPath() const {
  return Folders.Data / "default_reports" / "simple_report.rct";
}

namespace {

std::string NotARegularFile(const struct stat& status) {
  return S_ISDIR(status.st_mode) ? "is a folder, not a file" : "is not a regular file";
}

// Why the default report cannot be written back where it lies; empty when
// it can. Something that is not a regular file (a folder, a device, a pipe)
// is never written over, and a file or folder the user may not write is
// left as it is.

std::string DefaultReportUnwritable(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    if (!S_ISREG(status.st_mode)) {
      return NotARegularFile(status);
    }
    if (::access(path.c_str(), W_OK) != 0) {
      return std::strerror(errno);
    }
  }
  if (::access(path.parent_path().c_str(), W_OK | X_OK) != 0) {
    return std::strerror(errno);
  }
  return {};
}

}  // namespace

std::unique_ptr<TBaseReportHeader> TVELTMainForm::NewReportHeader() const {
  if (SelectedReportType == kReportType2) {
    return std::make_unique<TSimpleReport2Header>();
  }
  return std::make_unique<TSimpleReportHeader>();
}

// A default report that cannot be read (a folder, a file the user may not
// read, a damaged one) or created is said once, and the program goes on
// with the panel's initial texts, as on a first start: the device monitor
// and everything after it must still start.
namespace {

// The first free name of the form NAME.unreadable, NAME.unreadable-2, ...
// beside the file, the file renamed to it; empty when that fails.
std::filesystem::path KeepAside(const std::filesystem::path& path) {
  for (int n = 1; n < 100; ++n) {
    std::filesystem::path aside = path;
    aside += n == 1 ? std::string(".unreadable") : ".unreadable-" + std::to_string(n);
    std::error_code error;
    if (std::filesystem::exists(aside, error) || error) {
      continue;
    }
    std::filesystem::rename(path, aside, error);
    return error ? std::filesystem::path() : aside;
  }
  return {};
}

}  // namespace

void TVELTMainForm::LoadDefaultReport() {
  if (!AppendixHeader) {
    AppendixHeader = std::make_unique<TSimpleReportHeader>();
  }
  ReportHeader = NewReportHeader();
  std::error_code ignored;
  std::filesystem::create_directories(Folders.Data / "typical_reports", ignored);
  const std::filesystem::path path = DefaultReportPath();
  try {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
      // A folder is no report, and a pipe would hold the start up until
      // something writes into it.
      if (!S_ISREG(status.st_mode)) {
        throw EInOutError("cannot open the report file " + path.string() + ": " +
                          NotARegularFile(status));
      }
      ReportHeader->LoadFromFile(path.string());
      ReportHeader->ShowHeader(ReportForm());
    } else {
      std::filesystem::create_directories(path.parent_path(), ignored);
      ReportHeader->ReadHeader(ReportForm());
      ReportHeader->SaveToFile(path.string());
    }
  } catch (const std::exception& error) {
    DefaultReportFailed = true;
    std::string text = error.what();
    // A report file that is there but cannot be read is the inspector's
    // own header: it is moved aside, never written over at close.
    if (std::filesystem::is_regular_file(path, ignored)) {
      const std::filesystem::path aside = KeepAside(path);
      if (!aside.empty()) {
        text += "; it is kept as " + aside.string();
      } else {
        DefaultReportStays = true;
      }
    }
    Feedback.ShowMessage(kApplicationTitle, TVeltApplication::ErrorText(text.c_str()),
                         TMessageIcon::Error);
    // Nothing half read stays: the header holds the panel's initial texts.
    ReportHeader = NewReportHeader();
    ReportHeader->ReadHeader(ReportForm());
  }
}

// Written back only where that is possible: a default report that was
// already said to be unusable at start is then left without a second word.
void TVELTMainForm::SaveDefaultReport() {
  if (!ReportHeader) {
    return;
  }
  // What the grid editors and the panel hold, as the user left them.
  ReportTab->ReadHeader();
  const std::filesystem::path path = DefaultReportPath();
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  const std::string refused = DefaultReportStays ? std::string("it could not be read and could not be moved aside")
                                                  : DefaultReportUnwritable(path);
  if (!refused.empty()) {
    ReportHeader.reset();
    if (!DefaultReportFailed) {
      DefaultReportFailed = true;
      throw EInOutError("cannot write the report file " + path.string() + ": " + refused);
    }
    return;
  }
  ReportHeader->SaveToFile(path.string());
  ReportHeader.reset();
}

void TVELTMainForm::closeEvent(QCloseEvent* event) {
  // Closed during an exchange's pause, the window would free the
  // configurations under it: it closes once the exchange has ended.
  if (!Closed && SetupTab != nullptr && SetupTab->WorkingWriter().Later([this] { close(); })) {
    event->ignore();
    return;
  }
  if (!Closed) {
    Closed = true;
    if (NameEditorForm != nullptr) {
      NameEditorForm->close();
    }
    Monitor->Stop();
    CurrentTimer.stop();
    OnlineReceiveTimer.stop();
    ButtonPressTimer.stop();
    Connection.Close();
    Configs.Clear();
    AppendixHeader.reset();
    try {
      // The default report is kept without a question.
      SaveDefaultReport();
    } catch (const std::exception& error) {
      Feedback.ShowMessage(kApplicationTitle, TVeltApplication::ErrorText(error.what()),
                           TMessageIcon::Error);
    }
  }
  QMainWindow::closeEvent(event);
}

QString TVELTMainForm::StatusPanel0Text() const { return StatusPanel0->text(); }
QString TVELTMainForm::StatusPanel1Text() const { return StatusPanel1->text(); }

// The device panel says, beyond the state, what the link library sees: that
// the instrument at work is simulated, that one is present but cannot be
// opened; its hint says why there is no instrument and where to look.
void TVELTMainForm::RefreshStatusPanel0() {
  const TUSBDeviceState& state = Connection.State;
  const TLinkState link = Connection.Binding().LinkState();
  QString text = FromCp1251(DevicePanelText(state, Strings));
  if (!state.Connected && link.Kind == kLinkStateUsbRefused) {
    text = FromCp1251(Strings.Caption(46)) + QString::fromUtf8("нет доступа");
  }
  if (state.Connected && link.Kind == kLinkStateSimulated) {
    text += QStringLiteral(" (simulated)");
  }
  QStringList hint;
  if (!state.Connected && state.Unidentified) {
    hint << QString::fromUtf8("Прибор не сообщил версию прошивки").toHtmlEscaped();
  }
  if (!link.Text.empty()) {
    // The link's line runs long; its parts read better one under another.
    hint << QString::fromStdString(link.Text).toHtmlEscaped().replace(QStringLiteral("; "),
                                                                      QStringLiteral("<BR>"));
  }
  StatusPanel0->setText(text);
  StatusPanel0->setToolTip(hint.join(QStringLiteral("<BR>")));
}

void TVELTMainForm::OpenGivenFiles() {
  int firstTab = -1;
  for (const std::filesystem::path& path : FilesToOpen) {
    const QString extension =
        QString::fromStdString(path.extension().string()).toLower();
    int tab = -1;
    if (extension == QLatin1String(".dtf")) {
      tab = kDataTab;
      DataTab->OpenFile(path);
    } else if (extension == QLatin1String(".ctf")) {
      tab = kSetupTab;
      SetupTab->LoadFile(path);
    } else if (extension == QLatin1String(".rct")) {
      tab = kReportTab;
      ReportTab->OpenReportFile(path);
    } else if (extension == QLatin1String(".qrp") && Viewer != nullptr) {
      Viewer->OpenFile(path);
    } else {
      Feedback.ShowMessage(
          Strings.Error(9),
          ToCp1251(QString::fromStdString(path.string()) +
                   QString::fromUtf8(":\nфайлы этого типа программа не открывает "
                                     "(открывает .dtf, .ctf, .rct и .qrp)")),
          TMessageIcon::Error);
    }
    if (firstTab < 0 && tab >= 0) {
      firstTab = tab;
    }
  }
  FilesToOpen.clear();
  if (firstTab >= 0) {
    MainPageControl->setCurrentIndex(firstTab);
  }
}

void TVELTMainForm::RefreshStatusPanel1() {
  if (!Loaded) {
    return;
  }
  // A file's name comes from the file system (UTF-8); the instrument's name
  // and the captions come from the string files (Windows-1251).
  QString source = FromCp1251(Strings.Caption(49));
  bool file = false;
  const auto take = [&source, &file](const std::string& name, bool fromFile) {
    file = fromFile;
    source = fromFile ? QString::fromStdString(name) : FromCp1251(name);
  };
  switch (ActiveTab()) {
    case kSetupTab:
      if (!Configs.FileName.empty()) {
        take(Configs.FileName, Configs.Source == kSourceFile);
      }
      break;
    case kOnlineTab:
      if (!Configs.FileName.empty()) {
        take(Configs.FileName, Configs.Source == kSourceFile);
      } else if (!Connection.State.StateText.empty()) {
        take(Connection.State.StateText, false);
      }
      break;
    default:  // the data and report tabs show the records' source
      if (!Flaws.FileName.empty()) {
        take(Flaws.FileName, Flaws.Source == kSourceFile);
      }
      break;
  }
  StatusPanel1->setText(FromCp1251(Strings.Caption(48) + " ") + source);
  StatusPanel1->setToolTip(file ? source : QString());
}

void TVELTMainForm::RefreshStatusBar() {
  RefreshStatusPanel0();
  RefreshStatusPanel1();
}

void TVELTMainForm::RefreshEnabledStates() {
  const bool connected = Connection.State.Connected;
  const bool configuration = SelectedConfiguration != 0;
  const bool record = SelectedRecord != 0;
  const auto enable = [this](const char* name, bool on) {
    if (QAction* action = findChild<QAction*>(name)) {
      action->setEnabled(on);
    } else if (QWidget* control = findChild<QWidget*>(name)) {
      control->setEnabled(on);
    }
  };
  for (const char* name : kConnectedActions) {
    enable(name, connected);
  }
  for (const char* name : kConfigurationActions) {
    enable(name, configuration);
  }
  for (const char* name : kConfigurationAndConnectedControls) {
    enable(name, configuration && connected);
  }
  for (const char* name : kRecordActions) {
    enable(name, record);
  }
  // Nothing to upload that the instrument could take.
  if (connected && (Configs.FileName.empty() || Configs.ConfigLocalVersion == 0)) {
    enable("SetConfigsAction", false);
  }
  // The tabs' navigation follows the selections.
  if (DataTab != nullptr && SetupTab != nullptr) {
    DataTab->RefreshNavigation();
    SetupTab->RefreshNavigation();
  }
}

void TVELTMainForm::SetToolButtonBusy(bool busy, QWidget* button) {
  auto* tool = qobject_cast<QAbstractButton*>(button);
  if (tool == nullptr) {
    return;
  }
  tool->setDown(busy);
  tool->repaint();
}

}  // namespace velt
