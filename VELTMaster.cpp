// VELTMaster: the composition root. Builds the program's objects, runs the
// message loop, and shuts them down in the reverse order of construction:
// main window (closes the connection), connection, link binding, strings.
//
// Options (none is required):
//   --print-state   run until the first showing has connected, print the
//                   device panel of the status bar, and exit; messages are
//                   printed instead of shown. For machines without a display.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include <connection/ConduitBinding.h>
#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <strings/LocalStringsUnit.h>
#include <strings/RunTimeFoldersUnit.h>
#include <ui/QtUserFeedback.h>
#include <ui/VELTMainFormUnit.h>

int main(int argc, char** argv) {
  bool printState = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--print-state") == 0) {
      printState = true;
    }
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName("Velt Studio 3");
  QApplication::setApplicationDisplayName("Velt Studio 3");

  velt::TQtUserFeedback feedback(printState);
  velt::TLocalStrings strings(feedback);
  velt::SetProgramStrings(&strings);
  velt::TConduitBinding link(velt::TConduitBinding::DefaultCandidates());
  velt::TInstrumentConnection connection(link, strings, feedback);

  int result = 0;
  {
    velt::TVELTMainForm mainForm(strings, connection, feedback, velt::ResolveRunTimeFolders());
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
    result = QApplication::exec();
  }
  velt::SetProgramStrings(nullptr);
  return result;
}
