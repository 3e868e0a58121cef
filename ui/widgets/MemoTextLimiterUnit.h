// The limits of a multi-line text field (comments, conclusions): at most
// `lines` lines of at most `chars` - 1 characters (a line that would grow
// longer is broken), and at most `displayLines` lines as the field shows
// them with its wrapping. 0 switches a limit off; lines and chars act only
// together. Cutting lines off is told to the user.
#pragma once

#include <QObject>
#include <QString>

#include <ports/UserFeedback.h>

class QPlainTextEdit;

namespace velt {

class TMemoTextLimiter : public QObject {
 public:
  TMemoTextLimiter(QPlainTextEdit& memo, int lines, int displayLines, int chars,
                   IUserFeedback& feedback);
  // Runs on every change of the field's text.
  void Apply();

 private:
  void CutDisplayLines();
  void Tell();

  QPlainTextEdit& Memo;
  int Lines;
  int DisplayLines;
  int Chars;
  IUserFeedback& Feedback;
  bool Busy = false;
};

// The text with a line break put before every character that would be the
// chars-th of its line.
QString BreakLongLines(const QString& text, int chars);

}  // namespace velt
