#include <ui/widgets/MemoTextLimiterUnit.h>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <strings/LocalStringsUnit.h>

namespace velt {
namespace {

constexpr int kTooManyLinesText = 34;
constexpr int kTooManyLinesTitle = 31;

void SetTextKeepingCaretAtEnd(QPlainTextEdit& memo, const QString& text) {
  memo.setPlainText(text);
  memo.moveCursor(QTextCursor::End);
}

}  // namespace

QString BreakLongLines(const QString& text, int chars) {
  QString out;
  out.reserve(text.size());
  int count = 0;
  for (const QChar c : text) {
    if (c == QLatin1Char('\n')) {
      count = 0;
    } else {
      if (count + 1 >= chars) {
        out += QLatin1Char('\n');
        count = 0;
      }
      ++count;
    }
    out += c;
  }
  return out;
}

TMemoTextLimiter::TMemoTextLimiter(QPlainTextEdit& memo, int lines, int displayLines, int chars,
                                   IUserFeedback& feedback)
    : QObject(&memo),
      Memo(memo),
      Lines(lines),
      DisplayLines(displayLines),
      Chars(chars),
      Feedback(feedback) {
  connect(&memo, &QPlainTextEdit::textChanged, this, &TMemoTextLimiter::Apply);
}

void TMemoTextLimiter::Tell() {
  Feedback.ShowMessage(ErrorString(kTooManyLinesTitle), ErrorString(kTooManyLinesText),
                       TMessageIcon::Warning);
}

void TMemoTextLimiter::CutDisplayLines() {
  int shown = 0;
  for (QTextBlock block = Memo.document()->begin(); block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    const int count = layout != nullptr && layout->lineCount() > 0 ? layout->lineCount() : 1;
    for (int i = 0; i < count; ++i) {
      if (++shown > DisplayLines) {
        // Everything from the end of the last line allowed goes.
        int cut = block.position();
        if (layout != nullptr && i < layout->lineCount()) {
          cut += layout->lineAt(i).textStart();
        }
        const QString text = Memo.toPlainText().left(std::max(0, cut - (i == 0 ? 1 : 0)));
        SetTextKeepingCaretAtEnd(Memo, text);
        Tell();
        return;
      }
    }
  }
}

void TMemoTextLimiter::Apply() {
  if (Busy) {
    return;
  }
  Busy = true;
  const bool lineLimits = Lines > 0 && Chars > 0;
  if (lineLimits) {
    const QString text = Memo.toPlainText();
    const QString broken = BreakLongLines(text, Chars);
    if (broken != text) {
      SetTextKeepingCaretAtEnd(Memo, broken);
    }
  }
  if (DisplayLines > 0) {
    CutDisplayLines();
  }
  if (lineLimits) {
    const QString text = Memo.toPlainText();
    qsizetype at = -1;
    for (int line = 0; line < Lines; ++line) {
      at = text.indexOf(QLatin1Char('\n'), at + 1);
      if (at < 0) {
        break;
      }
    }
    if (at >= 0) {
      SetTextKeepingCaretAtEnd(Memo, text.left(at));
      Tell();
    }
  }
  Busy = false;
}

}  // namespace velt
