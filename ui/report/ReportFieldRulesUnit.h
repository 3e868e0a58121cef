// The input rules of a report header panel's controls: the length limit of
// each text field with its message, the date fields (digits typed over one
// selected character, the date checked and corrected after every change),
// the inspectors' levels (1, 2 or 3 only), the inspectors' certificate
// numbers (one character selected, never beyond the twelfth) and the
// conclusion's line limits. The rules act on what the user types or pastes;
// texts the program puts in (ShowHeader, a loaded report file) are left as
// they are, so nothing read from a file is cut or changed behind the
// inspector's back.
#pragma once

#include <QObject>
#include <map>

#include <ports/UserFeedback.h>
#include <strings/LocalStringsUnit.h>

class QEvent;
class QKeyEvent;
class QLineEdit;
class QWidget;

namespace velt {

class TReportHeaderPanel;

class TReportFieldRules : public QObject {
 public:
  // Owned by whoever makes it, not by the panel; it may outlive the panel
  // or go before it.
  TReportFieldRules(TReportHeaderPanel& panel, const TLocalStrings& strings,
                    IUserFeedback& feedback);

  // Lines, characters per line (one less is the most a line holds) and
  // displayed lines of the conclusion: the type-1 memo shows three lines
  // and has no scroll bar, so what is typed beyond them would be out of
  // sight; it is cut with the limiter's message instead.
  static constexpr int kConclusionLines = 7;
  static constexpr int kConclusionChars = 60;
  static constexpr int kConclusionDisplayLines = 3;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class TCaret { Date, Level, Certificate };

  // A control whose caret the rules keep on one selected character: the
  // widget that takes its keys and focus (the combo box itself for an
  // editable combo box) and the line edit that shows the text.
  struct TCaretField {
    TCaret Kind;
    int Field;
    QWidget* KeyTarget;
    QLineEdit* Edit;
  };

  void WatchLength(QLineEdit& edit, int limit);
  void WatchCaret(TCaret kind, int field, QWidget& keyTarget, QLineEdit& edit);
  bool Key(const TCaretField& field, QKeyEvent& key);
  void TypeDigit(const TCaretField& field, QKeyEvent& key, int at, int next);
  void CheckDate(QLineEdit& edit);
  void Warn(const std::string& text);

  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
  std::map<const QObject*, TCaretField> CaretFields;
};

}  // namespace velt
