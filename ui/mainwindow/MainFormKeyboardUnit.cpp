// The keyboard hook of the main window: every key of the application
// passes here first (and goes on to the focused control all the same):
// the Ctrl cue, and each tab's function keys routed to its actions.
#include <QApplication>
#include <QKeyEvent>
#include <QAbstractButton>
#include <QToolButton>

#include <ui/mainwindow/VELTMainFormUnit.h>

namespace velt {
namespace {

struct TKeyEntry {
  int Key;
  int Tab;
  const char* Action;
};

// Each tab's function keys; an entry acts only when its action exists and
// is enabled.
constexpr TKeyEntry kKeyMap[] = {
    {Qt::Key_F1, kDataTab, "ReceiveFlawsAction"},
    {Qt::Key_F1, kSetupTab, "ReceiveConfigsAction"},
    {Qt::Key_F1, kReportTab, "ReportSummaryAction"},
    {Qt::Key_F2, kSetupTab, "SetConfigsAction"},
    {Qt::Key_F3, kDataTab, "UnplugDeviceAction"},
    {Qt::Key_F3, kSetupTab, "UnplugDeviceAction"},
    {Qt::Key_F3, kOnlineTab, "UnplugDeviceAction"},
    {Qt::Key_F4, kDataTab, "OpenFlawsAction"},
    {Qt::Key_F4, kSetupTab, "LoadConfigsAction"},
    {Qt::Key_F4, kReportTab, "OpenReportFileAction"},
    {Qt::Key_F5, kDataTab, "SaveFlawsAction"},
    {Qt::Key_F5, kSetupTab, "SaveConfigsAction"},
    {Qt::Key_F5, kReportTab, "SaveReportFileAction"},
    {Qt::Key_F6, kDataTab, "FirstFlawAction"},
    {Qt::Key_F6, kSetupTab, "FirstConfigAction"},
    {Qt::Key_F6, kReportTab, "FirstReportSelectAction"},
    {Qt::Key_F7, kDataTab, "PrevFlawAction"},
    {Qt::Key_F7, kSetupTab, "PrevConfigAction"},
    {Qt::Key_F7, kReportTab, "PreviousReportSelectAction"},
    {Qt::Key_F8, kDataTab, "NextFlawAction"},
    {Qt::Key_F8, kSetupTab, "NextConfigAction"},
    {Qt::Key_F8, kReportTab, "NextReportSelectAction"},
    {Qt::Key_F9, kDataTab, "LastFlawAction"},
    {Qt::Key_F9, kSetupTab, "LastConfigAction"},
    {Qt::Key_F9, kReportTab, "LastReportSelectAction"},
    {Qt::Key_F10, kDataTab, "PrintSimpleFlawsAction"},
    {Qt::Key_F10, kReportTab, "PrintReportsAction"},
    {Qt::Key_F11, kDataTab, "PreviewSimpleFlawsAction"},
    {Qt::Key_F11, kReportTab, "PreviewReportsAction"},
    {Qt::Key_F12, kReportTab, "OpenQRPReportAction"},
};

// The Ctrl keys of the setup and online tabs: the buttons they press.
struct TCtrlEntry {
  int Key;
  const char* Setup;
  const char* Online;
};

constexpr TCtrlEntry kCtrlMap[] = {
    {Qt::Key_Up, "SetupGainUpToolButton", "OnLineGainUpToolButton"},
    {Qt::Key_Down, "SetupGainDownToolButton", "OnLineGainDownToolButton"},
    {Qt::Key_Left, "SetupRangeShortToolButton", "OnLineRangeShortToolButton"},
    {Qt::Key_Right, "SetupRangeLongToolButton", "OnLineRangeLongToolButton"},
    {Qt::Key_1, "SetupFirstStrobeButton", "FirstStrobeRxSpeedButton"},
    {Qt::Key_2, "SetupSecondStrobeButton", "SecondStrobeRxSpeedButton"},
    {Qt::Key_3, "SetupStrobeAlgButton", "StrobeAlgRxSpeedButton"},
    {Qt::Key_4, "SetupSignalTypeButton", "SignalTypeRxSpeedButton"},
    {Qt::Key_5, "SetupScreenModeButton", "ScreenModeRxSpeedButton"},
    {Qt::Key_6, "SetupTGVStateButton", "TGVStateRxSpeedButton"},
};

// The online tab's keys of the numeric pad, with Ctrl: freeze and the
// cursor buttons.
struct TPadEntry {
  int Key;
  const char* Button;
};

constexpr TPadEntry kPadMap[] = {
    {Qt::Key_Asterisk, "FreezeOnlineToolButton"},
    {Qt::Key_Plus, "OnLineVCursorRightToolButton"},
    {Qt::Key_Minus, "OnLineVCursorLeftToolButton"},
};

}  // namespace

bool TVELTMainForm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType()) {
    return QMainWindow::eventFilter(watched, event);
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Control) {
    // Ctrl is followed in every window, so a Ctrl let go over a dialog does
    // not leave the cue on. Each key event reaches the filter once per
    // receiver on its way up; only a change counts.
    const bool held = type == QEvent::KeyPress;
    if (held != CtrlHeld) {
      CtrlHeld = held;
      ApplyCtrlCue();
    }
    return false;
  }
  // Keys of this window only (not of dialogs), and each key once: a key
  // the focused control passes on reaches the filter again for its parent,
  // so only its first receiver counts (the focused control, or the window
  // when nothing has the focus). The way up is followed rather than the
  // focus asked again: the action a key runs may open a dialog, and once it
  // has closed nothing has the focus until the window is active again (or
  // the focus has moved up), so a parent the key climbs to would look like
  // a first receiver and run the action a second time.
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != this) {
    return QMainWindow::eventFilter(watched, event);
  }
  for (TKeyOnItsWay& passing : KeysOnTheirWay) {
    if (passing.Event == event && !passing.At.isNull() && widget == passing.At->parentWidget()) {
      passing.At = widget;
      return QMainWindow::eventFilter(watched, event);
    }
  }
  // Keys that arrive while an action runs (its dialog lets events through)
  // are on their way inside the key that started it.
  if (KeyDispatchDepth == 0) {
    KeysOnTheirWay.clear();
  }
  KeysOnTheirWay.push_back({event, widget});
  const QWidget* focus = QApplication::focusWidget();
  const bool first = focus != nullptr ? widget == focus : widget->isWindow();
  if (!first) {
    return QMainWindow::eventFilter(watched, event);
  }
  if (type == QEvent::KeyPress) {
    ++KeyDispatchDepth;
    DispatchKey(key->key(), key->modifiers());
    --KeyDispatchDepth;
  }
  return false;  // the focused control gets the key as well
}

bool TVELTMainForm::DispatchKey(int key, Qt::KeyboardModifiers modifiers) {
  const int tab = ActiveTab();
  if ((modifiers & Qt::ControlModifier) && (modifiers & Qt::KeypadModifier) &&
      tab == kOnlineTab) {
    for (const TPadEntry& entry : kPadMap) {
      if (entry.Key != key) {
        continue;
      }
      // A click: the freeze button toggles and runs its click, a cursor
      // button is pressed and released.
      auto* button = findChild<QAbstractButton*>(entry.Button);
      if (button != nullptr && button->isEnabled()) {
        button->click();
        return true;
      }
      return false;
    }
  }
  if ((modifiers & Qt::ControlModifier) && (tab == kSetupTab || tab == kOnlineTab)) {
    for (const TCtrlEntry& entry : kCtrlMap) {
      if (entry.Key != key) {
        continue;
      }
      // A press and a release, as a click of the mouse.
      auto* button = findChild<QAbstractButton*>(tab == kSetupTab ? entry.Setup : entry.Online);
      if (button != nullptr && button->isEnabled()) {
        button->click();
        return true;
      }
      return false;
    }
  }
  // The function keys act whatever modifier is held.
  for (const TKeyEntry& entry : kKeyMap) {
    if (entry.Key != key || entry.Tab != tab) {
      continue;
    }
    QAction* action = Action(entry.Action);
    if (action != nullptr && action->isEnabled()) {
      action->trigger();
      return true;
    }
    return false;
  }
  return false;
}

// While Ctrl is held the mode buttons and tool bars of the setup and online
// tabs are drawn raised; flat otherwise.
void TVELTMainForm::ApplyCtrlCue() {
  for (QToolButton* button : findChildren<QToolButton*>()) {
    if (button->property("veltCtrlCue").toBool()) {
      button->setAutoRaise(!CtrlHeld);
    }
  }
}

}  // namespace velt
