#include <ui/ProgressFormUnit.h>

#include <QApplication>
#include <QCoreApplication>
#include <QVBoxLayout>

#include <ui/Cp1251.h>

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
  form.show();
  form.raise();
  if (focus) {
    form.activateWindow();
    form.setFocus();
  }
  // Painted now: the exchange that follows keeps the event loop away.
  form.repaint();
}

void TGuiProgress::SetProgress(int percent) {
  if (Window) {
    Window->SetGauge(percent);
    Window->repaint();
  }
}

void TGuiProgress::HideProgress() {
  if (Window) {
    Window->hide();
  }
}

void TGuiProgress::PushBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void TGuiProgress::PopBusyCursor() { QApplication::restoreOverrideCursor(); }
void TGuiProgress::ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace velt
