#include <ui/report/ReportFieldRulesUnit.h>

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <string>

#include <reports/ReportForm.h>
#include <reports/ReportHeaderFieldsUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/MemoTextLimiterUnit.h>

namespace velt {
namespace {

constexpr int kTooLongText = 29;     // ... followed by the limit
constexpr int kTooLongTextEnd = 30;  // ... after the limit
constexpr int kInputLimitTitle = 31;
constexpr int kDateCorrectedText = 35;

constexpr int kConclusionField = kReportHeaderFields;
constexpr int kDateLastCaret = 9;
constexpr int kCertificateLastCaret = 11;

// The caret of a field that keeps one character selected: where the
// selection starts, else where the cursor stands.
int Caret(const QLineEdit& edit) {
  return edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
}

// The caret at `position`, with the character there selected (none at the
// end of the text).
void SelectOne(QLineEdit& edit, int position) {
  edit.setCursorPosition(position);
  if (position < edit.displayText().size()) {
    edit.setSelection(position, 1);
  }
}

// A date's caret never stands on a separator ("dd.mm.yyyy": positions 2
// and 5) or past the year's last digit; off a separator it goes on in the
// direction it was moving.
int DatePosition(int position, int step) {
  position = std::clamp(position, 0, kDateLastCaret);
  if (position == 2 || position == 5) {
    position += step;
  }
  return position;
}

// A certificate number's caret stands on one of its twelve characters, or
// at the end of a shorter number.
int CertificatePosition(const QLineEdit& edit, int position) {
  const int last = std::min(kCertificateLastCaret, static_cast<int>(edit.text().size()));
  return std::clamp(position, 0, last);
}

// A digit of the main keyboard or of the numeric pad, without Ctrl or Alt.
QChar TypedDigit(const QKeyEvent& key) {
  const QString text = key.text();
  if (text.size() != 1 || text[0] < QLatin1Char('0') || text[0] > QLatin1Char('9') ||
      (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
    return {};
  }
  return text[0];
}

// A date or level field shown without its mask (its text read from a file
// did not fit) gets the mask back when the user starts changing it.
void GiveMaskBack(QLineEdit& edit, int field) {
  if (edit.inputMask().isEmpty()) {
    edit.setInputMask(HeaderFieldInputMask(field));
  }
}

}  // namespace

TReportFieldRules::TReportFieldRules(TReportHeaderPanel& panel, const TLocalStrings& strings,
                                     IUserFeedback& feedback)
    : Strings(strings), Feedback(feedback) {
  for (int field = 1; field <= kReportHeaderFields; ++field) {
    QWidget* control = panel.HeaderFieldControl(field);
    auto* combo = qobject_cast<QComboBox*>(control);
    QLineEdit* edit = combo != nullptr ? combo->lineEdit() : qobject_cast<QLineEdit*>(control);
    if (edit == nullptr) {
      continue;
    }
    if (const int limit = HeaderFieldLimit(field); limit > 0) {
      WatchLength(*edit, limit);
    }
    if (IsHeaderDateField(field)) {
      WatchCaret(TCaret::Date, field, *control, *edit);
      connect(edit, &QLineEdit::textEdited, this, [this, edit, field] {
        GiveMaskBack(*edit, field);
        CheckDate(*edit);
      });
    } else if (IsHeaderLevelField(field)) {
      WatchCaret(TCaret::Level, field, *control, *edit);
      // Typing is the only way in: 1, 2 or 3.
      edit->setContextMenuPolicy(Qt::NoContextMenu);
      edit->setAcceptDrops(false);
    } else if (IsInspectorCertificateField(field)) {
      WatchCaret(TCaret::Certificate, field, *control, *edit);
    }
  }
  if (auto* conclusion =
          qobject_cast<QPlainTextEdit*>(panel.HeaderFieldControl(kConclusionField))) {
    new TMemoTextLimiter(*conclusion, kConclusionLines, kConclusionDisplayLines, kConclusionChars,
                         feedback);
  }
}

void TReportFieldRules::Warn(const std::string& text) {
  Feedback.ShowMessage(Strings.Error(kInputLimitTitle), text, TMessageIcon::Warning);
}

// textEdited comes from the user's typing, pasting and dropping only, so a
// text the program puts in is never cut, and the cut below (setText) does
// not come back here: one message for one change.
void TReportFieldRules::WatchLength(QLineEdit& edit, int limit) {
  connect(&edit, &QLineEdit::textEdited, this, [this, &edit, limit](const QString& text) {
    if (text.size() <= limit) {
      return;
    }
    const int caret = std::min(edit.cursorPosition(), limit);
    edit.setText(text.left(limit));
    edit.setCursorPosition(caret);
    Warn(Strings.Error(kTooLongText) + std::to_string(limit) + Strings.Error(kTooLongTextEnd));
  });
}

void TReportFieldRules::CheckDate(QLineEdit& edit) {
  // The shown text keeps the mask's blanks, so the separator stays the
  // third character even while a part is incomplete.
  const TCheckedDate checked = velt::CheckDate(ToCp1251(edit.displayText()));
  if (!checked.Corrected) {
    return;
  }
  const int caret = Caret(edit);
  edit.setText(FromCp1251(checked.Text));
  SelectOne(edit, DatePosition(caret, 1));
  Warn(Strings.Error(kDateCorrectedText));
}

// Keys and focus reach an editable combo box, which hands them to its line
// edit itself; the mouse reaches the line edit.
void TReportFieldRules::WatchCaret(TCaret kind, int field, QWidget& keyTarget, QLineEdit& edit) {
  const TCaretField caret{kind, field, &keyTarget, &edit};
  CaretFields[&keyTarget] = caret;
  CaretFields[&edit] = caret;
  keyTarget.installEventFilter(this);
  if (&edit != &keyTarget) {
    edit.installEventFilter(this);
  }
}

bool TReportFieldRules::eventFilter(QObject* watched, QEvent* event) {
  const auto found = CaretFields.find(watched);
  if (found == CaretFields.end()) {
    return false;
  }
  const TCaretField& field = found->second;
  QLineEdit& edit = *field.Edit;
  auto keepCaret = [&] {
    switch (field.Kind) {
      case TCaret::Date:
        SelectOne(edit, DatePosition(Caret(edit), 1));
        break;
      case TCaret::Level:
        SelectOne(edit, 0);
        break;
      case TCaret::Certificate:
        SelectOne(edit, CertificatePosition(edit, Caret(edit)));
        break;
    }
  };
  switch (event->type()) {
    case QEvent::KeyPress:
      return watched == field.KeyTarget && Key(field, static_cast<QKeyEvent&>(*event));
    case QEvent::KeyRelease:
      // After whatever the key did in a certificate number.
      if (watched == field.KeyTarget && field.Kind == TCaret::Certificate) {
        keepCaret();
      }
      return false;
    case QEvent::FocusIn: {
      if (watched != field.KeyTarget) {
        return false;
      }
      // The control takes the focus its own way first (a tab selects all).
      static_cast<QObject*>(field.KeyTarget)->event(event);
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
          reason == Qt::ShortcutFocusReason) {
        SelectOne(edit, 0);
      } else {
        keepCaret();
      }
      return true;
    }
    case QEvent::MouseButtonRelease:
      // The press placed the cursor (a double click selected a word).
      keepCaret();
      return false;
    case QEvent::InputMethod:
      // Dates and levels take digits from the keys alone.
      return field.Kind != TCaret::Certificate;
    default:
      return false;
  }
}

// True when the key is done with (typed here or refused).
bool TReportFieldRules::Key(const TCaretField& field, QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return false;
    default:
      break;
  }
  QLineEdit& edit = *field.Edit;
  const QChar digit = TypedDigit(key);
  switch (field.Kind) {
    case TCaret::Date: {
      const int at = DatePosition(Caret(edit), 1);
      if (!digit.isNull()) {
        TypeDigit(field, key, at, DatePosition(at + 1, 1));
      } else if (key.key() == Qt::Key_Left) {
        SelectOne(edit, DatePosition(at - 1, -1));
      } else if (key.key() == Qt::Key_Right) {
        SelectOne(edit, DatePosition(at + 1, 1));
      } else {
        SelectOne(edit, at);  // every other key is refused
      }
      return true;
    }
    case TCaret::Level:
      if (digit >= QLatin1Char('1') && digit <= QLatin1Char('3')) {
        TypeDigit(field, key, 0, 0);
      } else {
        SelectOne(edit, 0);
      }
      return true;
    case TCaret::Certificate: {
      const int at = CertificatePosition(edit, Caret(edit));
      if (key.key() == Qt::Key_Left && key.modifiers() == Qt::NoModifier) {
        SelectOne(edit, CertificatePosition(edit, at - 1));
        return true;
      }
      if (key.key() == Qt::Key_Right && key.modifiers() == Qt::NoModifier) {
        SelectOne(edit, CertificatePosition(edit, at + 1));
        return true;
      }
      // A typed character replaces the selected one; the release puts the
      // caret back on one character.
      SelectOne(edit, at);
      return false;
    }
  }
  return false;
}

// The digit overwrites the character at `at` (the mask's own typing does
// that with the character selected); the date check runs on the change.
void TReportFieldRules::TypeDigit(const TCaretField& field, QKeyEvent& key, int at, int next) {
  QLineEdit& edit = *field.Edit;
  GiveMaskBack(edit, field.Field);
  SelectOne(edit, at);
  static_cast<QObject*>(field.KeyTarget)->event(&key);
  SelectOne(edit, next);
}

}  // namespace velt
