// VELTMaster: the composition root. Builds the program's objects, runs the
// message loop, and shuts them down in the reverse order of construction:
// main window (closes the connection, saves the default report), progress
// window, connection, link binding, strings, application.
//
// Options (none is required):
//   --print-state   run until the first showing has connected, print the
//                   device panel of the status bar, and exit; messages are
//                   printed instead of shown. For machines without a display.
#include <QTimer>
#include <cstdio>
#include <cstring>

#include <connection/ConduitBinding.h>
#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <ports/TimeSource.h>
#include <strings/LocalStringsUnit.h>
#include <strings/RunTimeFoldersUnit.h>
#include <strings/SafeSaveUnit.h>
#include <ui/mainwindow/GuiTimeSourceUnit.h>
#include <reports/ReportSheetForms.h>
#include <ui/mainwindow/ProgressFormUnit.h>
#include <ui/report/QuickRepViewerUnit.h>
#include <ui/mainwindow/QtUserFeedback.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/mainwindow/VeltApplicationUnit.h>

int main(int argc, char** argv) {
  bool printState = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--print-state") == 0) {
      printState = true;
    }
  }

  // A save interrupted by Ctrl-C, a hang-up or SIGTERM leaves no temporary
  // file beside its target; a size limit fails the save instead.
  velt::RemoveTemporaryFilesOnSignals();
  velt::TVeltApplication application(argc, argv);
  velt::TQtUserFeedback feedback(printState);
  application.SetErrorFeedback(&feedback);
  velt::TLocalStrings strings(feedback);
  velt::SetProgramStrings(&strings);
  velt::TConduitBinding link(velt::TConduitBinding::DefaultCandidates());
  velt::TGuiProgress progress;
  velt::TSystemTimeSource time;
  // The instrument's pauses let the window go on; while a batch transfer
  // shows its progress, the user's input waits for the transfer's end.
  velt::TGuiTimeSource pauses([&progress] { return progress.Visible(); });
  velt::TInstrumentConnection connection(link, strings, feedback, progress, pauses);

  int result = 0;
  {
    velt::TVELTMainForm mainForm(strings, connection, feedback, progress, time,
                                 velt::ResolveRunTimeFolders());
    progress.Form();  // the progress window exists from the start, hidden
    // The printed sheets (type 2, type 1, flaw appendix, in that order) and
    // the preview window; the report headers print on them from now on.
    velt::TGuiReportJobSink jobs;
    velt::TReportSheets sheets(jobs, progress);
    velt::TQuickRepViewerForm viewer(strings, feedback);
    jobs.SetViewer(&viewer);
    mainForm.Viewer = &viewer;
    velt::SetReportPrinting(&sheets);
    if (printState) {
      mainForm.OnFirstShowingDone = [&mainForm, &strings]() {
        if (strings.LookupPath(velt::TStringFile::Captions).empty() || !mainForm.StringsLoaded()) {
          std::printf("state: string files not loaded\n");
        } else {
          std::printf("state: %s\n", mainForm.StatusPanel0Text().toUtf8().constData());
        }
        std::fflush(stdout);
        QTimer::singleShot(0, &mainForm, &QWidget::close);
      };
    }
    mainForm.show();
    result = velt::TVeltApplication::exec();
    velt::SetReportPrinting(nullptr);
    mainForm.Viewer = nullptr;
  }
  application.SetErrorFeedback(nullptr);
  velt::SetProgramStrings(nullptr);
  return result;
}
