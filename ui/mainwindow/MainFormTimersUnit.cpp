// The main window's clock and the online frame cycle.
#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <config/Rounding.h>
#include <signal/ProcessStrobesUnit.h>
#include <ui/mainwindow/FrameWakeUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/online/OnlineTabUnit.h>

namespace velt {

// The locale's long time format without the time zone some locales end
// it with: the clock shows hours, minutes and seconds.
QString LongTimeFormat(const QLocale& locale) {
  QString format = locale.timeFormat(QLocale::LongFormat);
  static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
  format.replace(zone, QStringLiteral(" "));
  return format.trimmed();
}

void TVELTMainForm::ClockTick() {
  if (ClockBusy) {
    return;
  }
  ClockBusy = true;
  const QLocale locale;
  MainPageControl->SetClockText(locale.toString(QDate::currentDate(), QLocale::ShortFormat) +
                                QString(20, QLatin1Char(' ')) +
                                locale.toString(QTime::currentTime(), LongTimeFormat(locale)));
  ClockBusy = false;
}

void TVELTMainForm::OnlineTick() {
  if (OnlineBusy || !Connection.State.Connected) {
    return;
  }
  OnlineReceiveTimer.stop();
  // A frozen picture asks for no frames: a configuration written meanwhile
  // (a mode button, a committed drag) restarts the timer, this tick stops
  // it again until the freeze is let go.
  if (OnlineTab != nullptr && OnlineTab->Frozen()) {
    return;
  }
  OnlineBusy = true;
  TDataCell* drawing = Configs.DrawingRecord.get();
  const int tab = ActiveTab();
  if (SelectedConfiguration != 0 && drawing != nullptr && drawing->Configuration() != nullptr &&
      drawing->GrabbedObject == kNoObject && (tab == kSetupTab || tab == kOnlineTab)) {
    // A refresh rate of 0 has no interval: the previous one stays.
    if (const std::uint8_t rate = drawing->Configuration()->REFRESH_RATE; rate != 0) {
      OnlineReceiveTimer.setInterval(RndTo<int>(1000.0 / rate));
    }
    const TExchangeResult frame = Connection.ReadOnlineFrame(*drawing);
    // Another exchange holds the connection (a download, a write, its
    // message box): this frame is skipped, the next tick asks again. Only
    // a transfer that failed means the instrument is gone.
    if (frame == TExchangeOutcome::Failed) {
      UnplugDevice();
      OnlineBusy = false;
      return;
    }
    // The interval runs from the frame's last block: the instrument still
    // gets the whole interval before the next request, and the drawing
    // below takes its time out of the interval instead of adding to it.
    OnlineReceiveTimer.start();
    FrameWake->Arm(std::chrono::milliseconds(OnlineReceiveTimer.interval()));
    if (!frame) {
      OnlineBusy = false;
      return;
    }
    // Both tabs that show the live signal evaluate its strobes first.
    ProcessStrobes(*drawing);
    if (ShowOnlineFrame) {
      ShowOnlineFrame(tab);
    }
    OnlineBusy = false;
    return;
  }
  OnlineReceiveTimer.start();
  OnlineBusy = false;
}

void TVELTMainForm::OnlineWake() {
  // Started anew since (a freeze let go, another tab) or stopped: the
  // timer's own timeout is the one to wait for.
  if (OnlineReceiveTimer.isActive() && OnlineReceiveTimer.remainingTime() == 0) {
    OnlineTick();
  }
}

}  // namespace velt
