#include <ui/mainwindow/ProgressFormUnit.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <ui/widgets/Cp1251.h>

namespace velt {

TProgressForm::TProgressForm(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint) {
  setObjectName("ProgressForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(360, 72);
  auto* layout = new QVBoxLayout(this);
  TextLabel = new QLabel(this);
  TextLabel->setObjectName("ProgressTextLabel");
  ProgressGauge = new QProgressBar(this);
  ProgressGauge->setObjectName("ProgressGauge");
  ProgressGauge->setRange(0, 100);
  ProgressGauge->setValue(0);
  ProgressGauge->setTextVisible(false);
  ProgressGauge->setStyleSheet(
      "QProgressBar { border: 1px solid gray; background: white; }"
      "QProgressBar::chunk { background: navy; }");
  layout->addWidget(TextLabel);
  layout->addWidget(ProgressGauge);
  qApp->installEventFilter(this);
}

bool TProgressForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched != this && watched->isWidgetType() && isVisible()) {
    const auto* shown = static_cast<const QWidget*>(watched);
    if (shown->isWindow() && shown->isModal()) {
      hide();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TProgressForm::SetText(const QString& text) {
  TextLabel->setText(text);
  setWindowTitle(text);
}

void TProgressForm::SetGauge(int percent) { ProgressGauge->setValue(percent); }
int TProgressForm::Gauge() const { return ProgressGauge->value(); }
QString TProgressForm::Text() const { return TextLabel->text(); }

TGuiProgress::~TGuiProgress() {
  if (Window) {
    delete Window.data();
  }
}

TProgressForm& TGuiProgress::Form() {
  if (!Window) {
    Window = new TProgressForm(Owner);
  }
  return *Window;
}

void TGuiProgress::ShowProgress(std::string_view text, bool focus) {
  TProgressForm& form = Form();
  form.SetText(FromCp1251(std::string(text)));
  form.SetGauge(0);
  if (Owner) {
    const QRect area = Owner->frameGeometry();
    form.move(area.center() - QPoint(form.width() / 2, form.height() / 2));
  }
  Running = true;
  if (focus && !TookFocus) {
    TookFocus = true;
    FocusBefore = QApplication::focusWidget();
    ActiveBefore = QApplication::activeWindow();
  }
  form.show();
  form.raise();
  if (focus) {
    form.activateWindow();
    form.setFocus();
  }
  PaintNow();
}

void TGuiProgress::PaintNow() {
  if (!Window || !Window->isVisible()) {
    return;
  }
  // A window just shown is not on the screen until the window system has
  // said so; until then painting it draws nothing. Only the window
  // system's own events are let through while waiting: no input, no
  // timers (which would start exchanges of their own).
  constexpr int kLongestWait = 500;
  const QDeadlineTimer deadline(kLongestWait);
  const auto exposed = [this] {
    return Window && (Window->windowHandle() == nullptr || Window->windowHandle()->isExposed());
  };
  while (!exposed() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::X11ExcludeTimers);
    if (!exposed()) {
      QThread::msleep(2);
    }
  }
  if (Window) {
    Window->repaint();
  }
}

void TGuiProgress::SetProgress(int percent) {
  if (!Window) {
    return;
  }
  Window->SetGauge(percent);
  if (Running && !Window->isVisible()) {
    // A message box of the operation hid it; the operation goes on.
    Window->show();
    Window->raise();
  }
  PaintNow();
}

void TGuiProgress::HideProgress() {
  Running = false;
  if (Window) {
    Window->hide();
  }
  if (!TookFocus) {
    return;
  }
  TookFocus = false;
  // The keyboard goes back where it was; without this the main window
  // stays inactive until the user focuses another window.
  QWidget* window = FocusBefore ? FocusBefore->window() : ActiveBefore.data();
  if (window == nullptr) {
    window = Owner.data();
  }
  if (window != nullptr) {
    window->activateWindow();
    if (FocusBefore) {
      FocusBefore->setFocus(Qt::OtherFocusReason);
    }
  }
  FocusBefore.clear();
  ActiveBefore.clear();
}

void TGuiProgress::PushBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void TGuiProgress::PopBusyCursor() { QApplication::restoreOverrideCursor(); }
void TGuiProgress::ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace velt
