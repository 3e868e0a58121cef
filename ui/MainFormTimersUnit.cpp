// The main window's clock and the online frame cycle.
#include <QDate>
#include <QLocale>
#include <QTime>

#include <config/Rounding.h>
#include <signal/ProcessStrobesUnit.h>
#include <ui/PageControlUnit.h>
#include <ui/VELTMainFormUnit.h>

namespace velt {

void TVELTMainForm::ClockTick() {
  if (ClockBusy) {
    return;
  }
  ClockBusy = true;
  const QLocale locale;
  MainPageControl->SetClockText(locale.toString(QDate::currentDate(), QLocale::ShortFormat) +
                                QString(20, QLatin1Char(' ')) +
                                locale.toString(QTime::currentTime(), QLocale::LongFormat));
  ClockBusy = false;
}

void TVELTMainForm::OnlineTick() {
  if (OnlineBusy || !Connection.State.Connected) {
    return;
  }
  OnlineReceiveTimer.stop();
  OnlineBusy = true;
  TDataCell* drawing = Configs.DrawingRecord.get();
  const int tab = ActiveTab();
  if (SelectedConfiguration != 0 && drawing != nullptr && drawing->Configuration() != nullptr &&
      drawing->GrabbedObject == kNoObject && (tab == kSetupTab || tab == kOnlineTab)) {
    // A refresh rate of 0 has no interval: the previous one stays.
    if (const std::uint8_t rate = drawing->Configuration()->REFRESH_RATE; rate != 0) {
      OnlineReceiveTimer.setInterval(RndTo<int>(1000.0 / rate));
    }
    if (!Connection.ReadOnlineFrame(*drawing)) {
      UnplugDevice();
      OnlineBusy = false;
      return;
    }
    // Both tabs that show the live signal evaluate its strobes first.
    ProcessStrobes(*drawing);
    if (ShowOnlineFrame) {
      ShowOnlineFrame(tab);
    }
  }
  OnlineReceiveTimer.start();
  OnlineBusy = false;
}

}  // namespace velt
