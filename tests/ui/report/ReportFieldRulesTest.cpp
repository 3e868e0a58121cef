// The header panels' input rules as the user meets them: keys typed into
// the controls, texts pasted, and texts the program puts in.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <map>
#include <string>

#include <reports/ReportHeaderFieldsUnit.h>
#include <ui/report/ReportFieldRulesUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>

#include "support/RecordingFeedback.h"
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

class ReportFieldRulesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings")); }

  TReportHeaderPanel& Panel(int type) {
    return type == kReportType1 ? static_cast<TReportHeaderPanel&>(Panel1) : Panel2;
  }
  QLineEdit& Edit(int type, int field) {
    QWidget* control = Panel(type).HeaderFieldControl(field);
    auto* combo = qobject_cast<QComboBox*>(control);
    return *(combo != nullptr ? combo->lineEdit() : qobject_cast<QLineEdit*>(control));
  }
  int Caret(int type, int field) {
    const QLineEdit& edit = Edit(type, field);
    return edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
  }
  // Keys pressed and released: a digit, "L"/"R" the arrows, "B" Backspace,
  // "E" End, "n" makes the next digit the numeric pad's, a letter itself.
  void Press(int type, int field, const std::string& keys) {
    static const std::map<char, int> named = {
        {'L', Qt::Key_Left}, {'R', Qt::Key_Right}, {'B', Qt::Key_Backspace}, {'E', Qt::Key_End}};
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    for (const char c : keys) {
      if (c == 'n') {
        modifiers = Qt::KeypadModifier;
        continue;
      }
      const auto found = named.find(c);
      const bool digit = c >= '0' && c <= '9';
      const int key = found != named.end() ? found->second
                      : digit              ? Qt::Key_0 + (c - '0')
                                           : Qt::Key_A + (c - 'a');
      const QString text = found != named.end() ? QString() : QString(QLatin1Char(c));
      for (const QEvent::Type press : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(press, key, modifiers, text);
        QApplication::sendEvent(Panel(type).HeaderFieldControl(field), &event);
      }
      modifiers = Qt::NoModifier;
    }
  }
  // What a paste does: the whole text replaced by the user.
  void Paste(int type, int field, const QString& text) {
    Edit(type, field).selectAll();
    Edit(type, field).insert(text);
  }
  // The messages so far are this one, once; then they are forgotten.
  void ExpectOnlyMessage(const std::string& text) {
    ASSERT_EQ(Feedback.Messages.size(), 1u);
    EXPECT_EQ(Feedback.Messages[0].Caption, Strings.Error(31));
    EXPECT_EQ(Feedback.Messages[0].Text, text);
    EXPECT_EQ(Feedback.Messages[0].Icon, TMessageIcon::Warning);
    Feedback.Messages.clear();
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TSimpleReportMainReportPanel Panel1;
  TSimpleReport2MainReportPanel Panel2;
  TReportTabForm Form{Panel1, Panel2, true};
  TReportFieldRules Rules1{Panel1, Strings, Feedback};
  TReportFieldRules Rules2{Panel2, Strings, Feedback};
};

// The protocol number (field 3) gets 17 characters and keeps 16.
TEST_F(ReportFieldRulesTest, TextPastedBeyondItsLimitIsCutWithTheMessage) {
  for (int type : {kReportType1, kReportType2}) {
    for (int field = 1; field <= kReportHeaderFields; ++field) {
      if (const int limit = HeaderFieldLimit(field); limit > 0) {
        SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field));
        Paste(type, field, QString(limit, 'x'));
        EXPECT_TRUE(Feedback.Messages.empty());
        Paste(type, field, QString(limit + 1, 'y'));
        EXPECT_EQ(Form.HeaderFieldText(type, field), std::string(limit, 'y'));
        ExpectOnlyMessage(Strings.Error(29) + std::to_string(limit) + Strings.Error(30));
      }
    }
  }
}

TEST_F(ReportFieldRulesTest, TextsThePanelIsGivenStayWholeAndSilent) {
  const std::pair<int, std::string> rows[] = {
      {1, std::string(80, 'o')},               // beyond its 50
      {2, "1 \xFF\xED\xE2\xE0\xF0\xFF 2007"},  // "1 января 2007": no mask shows it
      {10, ""},
      {17, "31.12.2010"},
      {15, "II"},
      {36, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9"},  // beyond 7 lines
  };
  for (int type : {kReportType1, kReportType2}) {
    for (const auto& [field, text] : rows) {
      SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field));
      Form.SetHeaderFieldText(type, field, text);
      EXPECT_EQ(Form.HeaderFieldText(type, field), text);
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(ReportFieldRulesTest, DateFieldsTakeDigitsAndCorrectTheDate) {
  struct TRow {
    const char* Given;   // by the program
    const char* Pasted;  // then by the user
    const char* Keys;
    const char* Shown;
    bool Corrected;
    int Caret;
  } const rows[] = {
      {"01.01.2007", "35.13.1999", "", "31.12.2000", true, 9},
      {"01.01.2007", nullptr, "35", "31.01.2007", true, 3},  // day 35 on its second digit
      {"01.01.2007", nullptr, "R2R5", "02.05.2007", false, 6},
      {"01.01.2007", nullptr, "RRRRRRRRRRR8", "01.01.2008", false, 9},
      {"01.01.2007", nullptr, "RRRLL", "01.01.2007", false, 1},
      {"01.01.2007", nullptr, "n2", "21.01.2007", false, 1},
      {"01.01.2007", nullptr, "aBE", "01.01.2007", false, 0},
      {"", nullptr, "1", "01.01.2000", true, 1},  // the mask back; its blanks read as 1
  };
  for (int type : {kReportType1, kReportType2}) {
    for (int field : {2, 10, 17, 22, 27, 32}) {
      for (const TRow& row : rows) {
        SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field) + " " +
                     (row.Pasted ? row.Pasted : row.Keys));
        Form.SetHeaderFieldText(type, field, row.Given);
        if (row.Pasted != nullptr) {
          Paste(type, field, row.Pasted);
        }
        Press(type, field, row.Keys);
        EXPECT_EQ(Form.HeaderFieldText(type, field), row.Shown);
        if (row.Corrected) {
          ExpectOnlyMessage(Strings.Error(35));
        }
        EXPECT_TRUE(Feedback.Messages.empty());
        EXPECT_EQ(Caret(type, field), row.Caret);
        EXPECT_EQ(Edit(type, field).selectedText().size(), 1);
        EXPECT_EQ(Edit(type, field).inputMask(), HeaderFieldInputMask(field));
      }
    }
  }
}

// Levels take 1, 2 or 3 only, at their one place; certificate numbers are
// typed over one selected character, never past the twelfth.
TEST_F(ReportFieldRulesTest, LevelsAndCertificateNumbersKeepOneCharacterSelected) {
  struct TRow {
    int Place;  // among an inspector's five fields: 1 level, 2 certificate number
    const char* Keys;
    std::string Shown;
    int Caret;
  } const rows[] = {
      {1, "2", "2", 0},
      {1, "n3", "3", 0},
      {1, "4", "1", 0},
      {1, "0", "1", 0},
      {1, "aB", "1", 0},
      {1, "34", "3", 0},
      {2, "E456", "100232000236", 11},
      {2, "5", "50023200023", 1},
      {2, "RRL7", "17023200023", 2},
      {2, "EB", "1002320002", 10},
  };
  for (int type : {kReportType1, kReportType2}) {
    for (int inspector = 0; inspector < 4; ++inspector) {
      for (const TRow& row : rows) {
        const int field = 14 + 5 * inspector + row.Place;
        SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field) + " " +
                     row.Keys);
        Form.SetHeaderFieldText(type, field, row.Place == 1 ? "1" : "10023200023");
        Edit(type, field).setCursorPosition(0);
        Press(type, field, row.Keys);
        EXPECT_EQ(Form.HeaderFieldText(type, field), row.Shown);
        EXPECT_EQ(Caret(type, field), row.Caret);
        EXPECT_EQ(Edit(type, field).selectedText().size(),
                  row.Caret < static_cast<int>(row.Shown.size()) ? 1 : 0);
      }
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(ReportFieldRulesTest, ConclusionKeepsThreeShownLinesOfFiftyNineCharacters) {
  const std::tuple<QString, int, std::size_t> rows[] = {
      {"1\n2\n3", 3, 0},
      {"1\n2\n3\n4\n5", 3, 1},
      {QString(60, 'c'), 2, 0},  // the 60th character starts a line
  };
  for (int type : {kReportType1, kReportType2}) {
    auto* memo = qobject_cast<QPlainTextEdit*>(Panel(type).HeaderFieldControl(36));
    for (const auto& [typed, lines, messages] : rows) {
      Form.SetHeaderFieldText(type, 36, "");
      Feedback.Messages.clear();
      memo->insertPlainText(typed);
      EXPECT_EQ(memo->toPlainText().split('\n').size(), lines) << type;
      EXPECT_EQ(Feedback.Messages.size(), messages) << type;
    }
  }
}

}  // namespace
}  // namespace velt
