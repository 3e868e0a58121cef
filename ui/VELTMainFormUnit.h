// The main window: owns the connection for the program's lifetime, loads
// the string files and connects at its first showing, shows the connection
// in the status bar, and closes the connection when it closes.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTabWidget>
#include <functional>

#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <strings/LocalStringsUnit.h>
#include <strings/RunTimeFoldersUnit.h>

namespace velt {

class TVELTMainForm : public QMainWindow {
  Q_OBJECT

 public:
  TVELTMainForm(TLocalStrings& strings, TInstrumentConnection& connection,
                IUserFeedback& feedback, TRunTimeFolders folders);

  // Runs once the first showing has done its work (also when it failed and
  // the window is closing).
  std::function<void()> OnFirstShowingDone;

  void RefreshStatusPanel0();
  QString StatusPanel0Text() const;
  bool StringsLoaded() const { return Loaded; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FirstShowing();

  TLocalStrings& Strings;
  TInstrumentConnection& Connection;
  IUserFeedback& Feedback;
  TRunTimeFolders Folders;
  bool Shown = false;
  bool Loaded = false;

  QTabWidget* MainPageControl;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;
};

}  // namespace velt
