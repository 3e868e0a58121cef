#include <ui/mainwindow/GuiTimeSourceUnit.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace velt {

void TGuiTimeSource::Sleep(unsigned milliseconds) {
  if (QCoreApplication::instance() == nullptr || milliseconds == 0) {
    System.Sleep(milliseconds);
    return;
  }
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer end;
  end.setSingleShot(true);
  end.setTimerType(Qt::PreciseTimer);
  QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
  end.start(static_cast<int>(milliseconds));
  loop.exec(InputWaits && InputWaits() ? QEventLoop::ExcludeUserInputEvents
                                        : QEventLoop::AllEvents);
  const qint64 left = static_cast<qint64>(milliseconds) - elapsed.elapsed();
  if (left > 0) {
    System.Sleep(static_cast<unsigned>(left));
  }
}

}  // namespace velt
