// The application object and its default error handler: an error raised
// inside any operation started from the event loop is shown in a message
// box and that operation is abandoned; the program goes on. No exception
// ever crosses the Qt event loop.
#pragma once

#include <QApplication>
#include <QLocale>
#include <QTranslator>
#include <string>

#include <ports/UserFeedback.h>

namespace velt {

class TVeltApplication : public QApplication {
 public:
  TVeltApplication(int& argc, char** argv);

  // Where the error messages go (until set: stderr).
  void SetErrorFeedback(IUserFeedback* feedback) { Feedback = feedback; }

  bool notify(QObject* receiver, QEvent* event) override;

  // The message of an error as a model string: texts from the core are
  // Windows-1251 or plain ASCII, file paths UTF-8.
  static std::string ErrorText(const char* what);

  int ErrorsReported() const { return Reported; }

  // Qt's own texts (standard buttons, file dialogs, the print dialog) in
  // the language of `locale`, from Qt's translations; true when found.
  // A locale Qt has no translation for leaves them English.
  bool LoadQtTranslation(const QLocale& locale);

 private:
  void Report(const std::string& text);

  IUserFeedback* Feedback = nullptr;
  int Reported = 0;
  QTranslator* QtTexts = nullptr;
  QTranslator* QtGaps = nullptr;
};

}  // namespace velt
