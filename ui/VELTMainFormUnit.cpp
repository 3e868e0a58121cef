#include <ui/VELTMainFormUnit.h>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>

#include <ui/Cp1251.h>

namespace velt {
namespace {

constexpr int kClientWidth = 996;
constexpr int kClientHeight = 716;
const char* const kTabNames[4] = {"DataTabSheet", "SetupTabSheet", "OnlineTabSheet",
                                  "ReportTabSheet"};

}  // namespace

TVELTMainForm::TVELTMainForm(TLocalStrings& strings, TInstrumentConnection& connection,
                             IUserFeedback& feedback, TRunTimeFolders folders)
    : Strings(strings), Connection(connection), Feedback(feedback), Folders(std::move(folders)) {
  setObjectName("VELTMainForm");
  setWindowTitle("Velt Studio 3.0");
  setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
  setFixedSize(kClientWidth, kClientHeight);

  MainPageControl = new QTabWidget(this);
  MainPageControl->setObjectName("MainPageControl");
  for (const char* name : kTabNames) {
    auto* page = new QWidget(MainPageControl);
    page->setObjectName(name);
    MainPageControl->addTab(page, QString());
  }
  setCentralWidget(MainPageControl);

  StatusPanel0 = new QLabel(QString::fromUtf8("УСТРОЙСТВО:НЕТ УСТРОЙСТВА"), this);
  StatusPanel0->setObjectName("StatusPanel0");
  StatusPanel0->setFixedWidth(330);
  StatusPanel1 = new QLabel(QString::fromUtf8("ДАННЫЕ:ТЕСТОВЫЕ"), this);
  StatusPanel1->setObjectName("StatusPanel1");
  StatusPanel1->setFixedWidth(180);
  statusBar()->addWidget(StatusPanel0);
  statusBar()->addWidget(StatusPanel1);
  statusBar()->setSizeGripEnabled(false);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TVELTMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Shown) {
    Shown = true;
    // After the window is on screen, so that messages have it behind them.
    QTimer::singleShot(0, this, &TVELTMainForm::FirstShowing);
  }
}

void TVELTMainForm::FirstShowing() {
  Loaded = Strings.LoadStringFiles(Folders.Strings);
  if (!Loaded) {
    Feedback.ShowMessage(
        ToCp1251(QString::fromUtf8("Системная ошибка")),
        ToCp1251(QString::fromUtf8(
            "Неправильные или поврежденные файлы языков. Переустановите программу")),
        TMessageIcon::Error);
    close();
    if (OnFirstShowingDone) {
      OnFirstShowingDone();
    }
    return;
  }
  setWindowTitle(FromCp1251(Strings.Caption(4)));
  for (int tab = 0; tab < 4; ++tab) {
    MainPageControl->setTabText(tab, FromCp1251(Strings.Caption(static_cast<std::uint16_t>(5 + tab))));
  }
  RefreshStatusPanel0();

  Connection.State.Connected = false;
  Connection.State.Busy = false;
  Connection.State.DeviceType = 0;
  Connection.State.StateText = Strings.Caption(47);
  Connection.Connect();
  RefreshStatusPanel0();
  if (OnFirstShowingDone) {
    OnFirstShowingDone();
  }
}

QString TVELTMainForm::StatusPanel0Text() const { return StatusPanel0->text(); }

void TVELTMainForm::RefreshStatusPanel0() {
  StatusPanel0->setText(FromCp1251(DevicePanelText(Connection.State, Strings)));
}

void TVELTMainForm::closeEvent(QCloseEvent* event) {
  Connection.Close();
  QMainWindow::closeEvent(event);
}

}  // namespace velt
