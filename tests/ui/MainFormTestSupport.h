// The main window over the simulated link in process, with the shipped
// strings, recorders on the feedback and time ports, and its data folder
// in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/mainwindow/ProgressFormUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>

#include "connection/SimulatedLinkSupport.h"
#include "ui/QtApplicationEnvironment.h"
#include "support/RecordingFeedback.h"
#include "support/RecordingPorts.h"

namespace velt::testing {

// File dialogs that answer with a prepared path, and remember the requests.
class TAnsweringDialogs : public IFileDialogs {
 public:
  std::optional<std::filesystem::path> ChooseOpen(const TFileDialogRequest& request) override {
    Requests.push_back(request);
    return Answer;
  }
  std::optional<std::filesystem::path> ChooseSave(const TFileDialogRequest& request) override {
    Requests.push_back(request);
    return Answer;
  }
  std::optional<std::filesystem::path> Answer;
  std::vector<TFileDialogRequest> Requests;
};

// A key as the window system delivers it: to the focused control, or to
// the window when nothing has the focus.
inline void SendKey(QWidget& window, QEvent::Type type, int key,
                    Qt::KeyboardModifiers modifiers = {}) {
  QWidget* focus = QApplication::focusWidget();
  QKeyEvent event(type, key, modifiers);
  QApplication::sendEvent(focus != nullptr ? focus : &window, &event);
}

inline void ProcessEventsUntil(const std::function<bool()>& done, int milliseconds = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

class TMainFormFixture {
 public:
  explicit TMainFormFixture(const std::string& profile, bool withStrings = true)
      : Sim(profile), Link(TSimulatedLink::EntryPoints()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "velt-ui-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("no temporary folder");
    }
    Data = pattern;
    Folders.Portable = true;
    Folders.ProgramFolder = Data;
    Folders.Data = Data;
    Folders.Strings = withStrings ? std::filesystem::path(VELT_SOURCE_DIR "/strings")
                                  : Data / "no-strings";
    Connection = std::make_unique<TInstrumentConnection>(Link, Strings, Feedback, Progress, Time);
    // As the program does: the lookups of code without the strings at hand.
    SetProgramStrings(&Strings);
  }
  ~TMainFormFixture() {
    Form.reset();
    SetProgramStrings(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(Data, ignored);
  }

  // Creates and shows the window and waits for its first showing.
  TVELTMainForm& Start(const std::vector<std::filesystem::path>& files = {}) {
    Form = std::make_unique<TVELTMainForm>(Strings, *Connection, Feedback, Progress, Time, Folders);
    Form->FilesToOpen = files;
    bool done = false;
    Form->OnFirstShowingDone = [&done] { done = true; };
    Form->show();
    ProcessEventsUntil([&done] { return done; });
    Form->OnFirstShowingDone = nullptr;
    EXPECT_TRUE(done);
    return *Form;
  }

  std::string Utf8(const std::string& cp1251) const {
    return FromCp1251(cp1251).toUtf8().toStdString();
  }

  TSimulatedLink Sim;
  TConduitBinding Link;
  TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TGuiProgress Progress;
  TRecordingTime Time;
  TRunTimeFolders Folders;
  std::filesystem::path Data;
  std::unique_ptr<TInstrumentConnection> Connection;
  std::unique_ptr<TVELTMainForm> Form;
};

}  // namespace velt::testing
