// VELTMaster: the composition root. Builds the program's objects, runs the
// message loop, and shuts them down in the reverse order of construction:
// main window (closes the connection, saves the default report), progress
// window, connection, link binding, strings, application.
//
// Options (none is required):
//   --print-state   run until the first showing has connected, print the
//                   device panel of the status bar, and exit; messages are
//                   printed instead of shown. For machines without a display.
//   FILE...         records (.dtf), configurations (.ctf), a report (.rct)
//                   or a saved protocol (.qrp) to open, each in its tab.
#include <QCommandLineParser>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <vector>
#include <cstdio>

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
  // A save interrupted by Ctrl-C, a hang-up or SIGTERM leaves no temporary
  // file beside its target; a size limit fails the save instead.
  velt::RemoveTemporaryFilesOnSignals();
  velt::TVeltApplication application(argc, argv);

  QCommandLineParser options;
  options.setApplicationDescription(
      QStringLiteral("Velt Studio 3: records, setups, live signal and protocols of the Velt "
                     "flaw detector."));
  options.addHelpOption();
  const QCommandLineOption printStateOption(
      QStringLiteral("print-state"),
      QStringLiteral("Run until the first showing has connected, print the device panel of "
                     "the status bar and exit; messages are printed instead of shown."));
  options.addOption(printStateOption);
  options.addPositionalArgument(
      QStringLiteral("files"),
      QStringLiteral("Files to open: records (.dtf), configurations (.ctf), a report (.rct), "
                     "a saved protocol (.qrp)."),
      QStringLiteral("[FILE...]"));
  options.process(application);
  const bool printState = options.isSet(printStateOption);
  std::vector<std::filesystem::path> files;
  for (const QString& file : options.positionalArguments()) {
    // As the desktop hands them over: a local path, or a file:// address.
    const QUrl url(file);
    files.emplace_back(
        (url.isLocalFile() ? url.toLocalFile() : file).toLocal8Bit().toStdString());
  }

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
    mainForm.FilesToOpen = files;
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
