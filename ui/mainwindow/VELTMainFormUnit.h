// The main window: owns the program's shared state (both collections, the
// report headers, the connection's use), composes the tabs, and runs the
// window's life: creation, first showing (strings, connection, default
// report), the clock, the status bar, the enabled states, the keyboard
// hook, device notifications and the unplug action, and closing.
#pragma once

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <ports/TimeSource.h>
#include <records/RecordCollectionsUnit.h>
#include <reports/ReportHeadersUnit.h>
#include <signal/SignalViewUnit.h>
#include <strings/LocalStringsUnit.h>
#include <strings/RunTimeFoldersUnit.h>

namespace velt {

class TDataTab;
class TFrameWake;
class TSetupTab;
class TOnlineTab;
class TEditStrParForm;
class TDeviceMonitor;
class IFileDialogs;
class TGuiProgress;
class TPageControl;
class TReportTab;
class TReportTabForm;
class TQuickRepViewerForm;

enum TMainTab : int { kDataTab = 0, kSetupTab = 1, kOnlineTab = 2, kReportTab = 3 };

class TVELTMainForm : public QMainWindow {
  Q_OBJECT

 public:
  TVELTMainForm(TLocalStrings& strings, TInstrumentConnection& connection,
                IUserFeedback& feedback, TGuiProgress& progress, ITimeSource& time,
                TRunTimeFolders folders);
  ~TVELTMainForm() override;

  // Runs once the first showing has done its work (also when it failed and
  // the window is closing).
  std::function<void()> OnFirstShowingDone;
  // Files given on the command line (or by the desktop), opened at the end
  // of the first showing, each in its tab by its extension: records
  // (.dtf), configurations (.ctf), a report (.rct), a saved protocol
  // (.qrp, in the preview window). The first one's tab is shown.
  std::vector<std::filesystem::path> FilesToOpen;
  void OpenGivenFiles();

  // ---- Shared state ------------------------------------------------------
  TUSBConfigsBlock Configs;
  TFlawDataBlock Flaws;
  std::uint16_t SelectedConfiguration = 0;
  std::uint16_t SelectedRecord = 0;
  bool CtrlHeld = false;
  bool OnlineBusy = false;
  bool ClockBusy = false;
  int SelectedReportType = kReportType1;  // the report tab's type selector
  // Records were received or opened: the report tab may list them.
  bool RecordsAvailable = false;
  // The report tab's header, and the data tab's list of records to print
  // as flaw appendix pages.
  std::unique_ptr<TBaseReportHeader> ReportHeader;
  std::unique_ptr<TSimpleReportHeader> AppendixHeader;
  // The signal pictures' colours on screen and on paper, set at first showing.
  TColourScheme ScreenScheme;
  TColourScheme PrintScheme;
  // The preview window of printed and saved reports, made at start after
  // the printed sheets; OpenQRPReportAction (F12) opens saved ones there.
  TQuickRepViewerForm* Viewer = nullptr;

  // ---- Operations of the window ------------------------------------------
  void RefreshEnabledStates();
  void RefreshStatusPanel0();
  void RefreshStatusPanel1();
  void RefreshStatusBar();
  // The device notification handling, by event code.
  void HandleDeviceChange(std::uint16_t code);
  // UnplugDeviceAction: asks first when data from the instrument would go.
  void UnplugDevice();
  // One tick of each timer.
  void ClockTick();
  void OnlineTick();
  // The precise wake of the frame cycle: a tick when the frame timer is
  // running and due, nothing otherwise.
  void OnlineWake();
  // The press-and-hold buttons (gain, range, cursor) by their scheme: the
  // press applies one step and starts the repeat timer, whose ticks step
  // faster the longer the button is held; the release ends it.
  void PressAdjustButton(int scheme);
  void ReleaseAdjustButton(int scheme);
  void AdjustRepeatTick();
  int PressedScheme() const { return Pressed; }
  std::uint16_t PressTicks() const { return Ticks; }
  // Shows or releases the tool button pressed during an exchange.
  void SetToolButtonBusy(bool busy, QWidget* button);
  int ActiveTab() const;
  QAction* Action(const char* name) const;

  bool StringsLoaded() const { return Loaded; }
  QString StatusPanel0Text() const;
  QString StatusPanel1Text() const;
  TPageControl& PageControl() const { return *MainPageControl; }
  TDeviceMonitor& DeviceMonitor() const { return *Monitor; }
  TReportTabForm& ReportForm() const;
  TReportTab& ReportPage() const { return *ReportTab; }
  std::filesystem::path DefaultReportPath() const;
  TDataTab& DataPage() const { return *DataTab; }
  TSetupTab& SetupPage() const { return *SetupTab; }
  TOnlineTab& OnlinePage() const { return *OnlineTab; }
  // The configuration name editor, made at first showing.
  TEditStrParForm* NameEditor() const { return NameEditorForm; }
  // Where the tabs ask for file names; tests put their own answers here.
  IFileDialogs& FileDialogs() const { return *Dialogs; }
  void SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs);

  // Tabs hook in here as they come: what showing the first cell of the
  // configuration collection and what the discarding does on each tab.
  std::function<void()> ShowFirstCell;
  std::function<void()> ClearConfigurationViews;
  std::function<void()> ClearRecordViews;
  // The online cycle's work on a frame (trace processing, drawing, readouts).
  std::function<void(int tab)> ShowOnlineFrame;
  // The online tab's mode indicators and its settings lists, which the
  // setup tab's changes refresh.
  std::function<void()> ShowModeIndicatorsOnline;
  std::function<void()> ShowOnlineGroups;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TDataTab;
  friend class TSetupTab;
  friend class TOnlineTab;
  friend class TReportTab;
  void TabChanged(int tab);
  void FirstShowing();
  void LoadTexts();
  void LoadDefaultReport();
  void SaveDefaultReport();
  std::unique_ptr<TBaseReportHeader> NewReportHeader() const;
  void DiscardConfigurations();
  void DiscardRecords();
  void BuildDefaultConfigurations();
  void ApplyCtrlCue();
  bool DispatchKey(int key, Qt::KeyboardModifiers modifiers);
  void CreateActions();

  TLocalStrings& Strings;
  TInstrumentConnection& Connection;
  IUserFeedback& Feedback;
  TGuiProgress& Progress;
  ITimeSource& Time;
  TRunTimeFolders Folders;
  bool Shown = false;
  bool Loaded = false;
  bool Closed = false;
  // The default report could not be read, created or written; said once.
  bool DefaultReportFailed = false;
  // An unreadable default report that could not be moved aside: left as is.
  bool DefaultReportStays = false;

  TPageControl* MainPageControl;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;
  QTimer CurrentTimer;
  QTimer OnlineReceiveTimer;
  // Ends the frame timer's interval on time (see FrameWakeUnit).
  TFrameWake* FrameWake = nullptr;
  QTimer ButtonPressTimer;
  TDeviceMonitor* Monitor;
  QAction* UnplugDeviceAction;
  TReportTab* ReportTab = nullptr;
  bool ApplyAdjustStep(int scheme, int step, int lowest);
  int Pressed = -1;
  std::uint16_t Ticks = 0;
  TDataTab* DataTab = nullptr;
  TSetupTab* SetupTab = nullptr;
  TOnlineTab* OnlineTab = nullptr;
  TEditStrParForm* NameEditorForm = nullptr;
  std::unique_ptr<IFileDialogs> Dialogs;
  int ActivePage = 0;
  // The key events passing up from their first receiver to its parents,
  // and where each is now; the keys of an action that runs.
  struct TKeyOnItsWay {
    const QEvent* Event;
    QPointer<QWidget> At;
  };
  std::vector<TKeyOnItsWay> KeysOnTheirWay;
  int KeyDispatchDepth = 0;
};

// The locale's long time format without a time zone: what the clock shows.
QString LongTimeFormat(const QLocale& locale);

}  // namespace velt
