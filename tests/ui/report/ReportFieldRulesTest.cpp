// The header panels' input rules as the user meets them: keys typed into
// the controls, texts pasted, and texts the program puts in.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>

#include <reports/ReportHeaderFieldsUnit.h>
#include <ui/report/ReportFieldRulesUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/widgets/Cp1251.h>

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
  // Keys as the user presses them: a digit, "L"/"R" the arrows, "B"
  // Backspace, "D" Delete, "E" End, "n" the next digit on the numeric pad,
  // any other letter itself.
  void Press(int type, int field, const std::string& keys) {
    QWidget* target = Panel(type).HeaderFieldControl(field);
    bool keypad = false;
    for (const char c : keys) {
      int key = 0;
      QString text;
      if (c == 'n') {
        keypad = true;
        continue;
      }
      switch (c) {
        case 'L': key = Qt::Key_Left; break;
        case 'R': key = Qt::Key_Right; break;
        case 'B': key = Qt::Key_Backspace; break;
        case 'D': key = Qt::Key_Delete; break;
        case 'E': key = Qt::Key_End; break;
        default:
          key = c >= '0' && c <= '9' ? Qt::Key_0 + (c - '0') : Qt::Key_A + (c - 'a');
          text = QString(QLatin1Char(c));
      }
      const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
      keypad = false;
      QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
      QApplication::sendEvent(target, &press);
      QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
      QApplication::sendEvent(target, &release);
    }
  }
  // What a paste does: the whole text replaced by the user.
  void Paste(int type, int field, const QString& text) {
    Edit(type, field).selectAll();
    Edit(type, field).insert(text);
  }
  std::string LengthMessage(int limit) const {
    return Strings.Error(29) + std::to_string(limit) + Strings.Error(30);
  }
  void ExpectOneMessage(const std::string& text) {
    ASSERT_EQ(Feedback.Messages.size(), 1u);
    EXPECT_EQ(Feedback.Messages[0].Caption, Strings.Error(31));
    EXPECT_EQ(Feedback.Messages[0].Text, text);
    EXPECT_EQ(Feedback.Messages[0].Icon, TMessageIcon::Warning);
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TSimpleReportMainReportPanel Panel1;
  TSimpleReport2MainReportPanel Panel2;
  TReportTabForm Form{Panel1, Panel2, true};
  TReportFieldRules Rules1{Panel1, Strings, Feedback};
  TReportFieldRules Rules2{Panel2, Strings, Feedback};
};

TEST_F(ReportFieldRulesTest, TextPastedBeyondItsLimitIsCutWithTheMessage) {
  for (int type : {kReportType1, kReportType2}) {
    for (int field = 1; field <= kReportHeaderFields; ++field) {
      const int limit = HeaderFieldLimit(field);
      if (limit == 0) {
        continue;
      }
      SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field));
      Feedback.Messages.clear();
      Paste(type, field, QString(limit, 'x'));
      EXPECT_TRUE(Feedback.Messages.empty());
      Paste(type, field, QString(limit + 3, 'y'));
      EXPECT_EQ(Form.HeaderFieldText(type, field), std::string(limit, 'y'));
      ExpectOneMessage(LengthMessage(limit));
    }
  }
}

TEST_F(ReportFieldRulesTest, SeventeenthDigitOfTheProtocolNumberIsCut) {
  // The type-2 panel starts with the 16 digits "1234567890123456".
  Edit(kReportType2, 3).end(false);
  Press(kReportType2, 3, "7");
  EXPECT_EQ(Form.HeaderFieldText(kReportType2, 3), "1234567890123456");
  ExpectOneMessage(LengthMessage(16));
}

TEST_F(ReportFieldRulesTest, TextsThePanelIsGivenStayWholeAndSilent) {
  const std::string conclusion = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9";
  struct TRow {
    int Field;
    std::string Text;
  } const rows[] = {
      {1, std::string(80, 'o')},     // beyond its 50
      {2, "1 \xFF\xED\xE2\xE0\xF0\xFF 2007"},  // "1 января 2007": no mask can show it
      {10, ""},
      {17, "31.12.2010"},
      {15, "II"},
      {36, conclusion},  // beyond 7 lines
  };
  for (int type : {kReportType1, kReportType2}) {
    for (const TRow& row : rows) {
      SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(row.Field));
      Form.SetHeaderFieldText(type, row.Field, row.Text);
      EXPECT_EQ(Form.HeaderFieldText(type, row.Field), row.Text);
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(ReportFieldRulesTest, DateFields) {
  struct TRow {
    const char* Given;  // by the program
    const char* Pasted;
    const char* Keys;
    const char* Shown;
    bool Message;
    int Caret;  // the selected character's place
  } const rows[] = {
      {"01.01.2007", "35.13.1999", "", "31.12.2000", true, 9},
      {"01.01.2007", nullptr, "3", "31.01.2007", false, 1},
      {"01.01.2007", nullptr, "35", "31.01.2007", true, 3},    // day 35 on the second digit
      {"01.01.2007", nullptr, "R2R5", "02.05.2007", false, 6},  // over the separator
      {"01.01.2007", nullptr, "RRRRRRRRRRRR", "01.01.2007", false, 9},
      {"01.01.2007", nullptr, "RRRRRRRRR8", "01.01.2008", false, 9},
      {"01.01.2007", nullptr, "RRRLL", "01.01.2007", false, 1},
      {"01.01.2007", nullptr, "n2", "21.01.2007", false, 1},  // numeric pad
      {"01.01.2007", nullptr, "aBDE", "01.01.2007", false, 0},
      {"01.01.2007", nullptr, "RRRR3", "01.01.2007", true, 7},  // year 3007: 2007
      {"", nullptr, "1", "01.01.2000", true, 1},  // the mask back, the blanks read as 1
  };
  for (int type : {kReportType1, kReportType2}) {
    for (int field : {2, 10, 17, 22, 27, 32}) {
      for (const TRow& row : rows) {
        SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field) + " " +
                     row.Given + (row.Pasted ? row.Pasted : "") + " " + row.Keys);
        Form.SetHeaderFieldText(type, field, row.Given);
        Feedback.Messages.clear();
        if (row.Pasted != nullptr) {
          Paste(type, field, row.Pasted);
        }
        Press(type, field, row.Keys);
        EXPECT_EQ(Form.HeaderFieldText(type, field), row.Shown);
        if (row.Message) {
          ExpectOneMessage(Strings.Error(35));
        } else {
          EXPECT_TRUE(Feedback.Messages.empty());
        }
        EXPECT_EQ(Edit(type, field).selectionStart(), row.Caret);
        EXPECT_EQ(Edit(type, field).selectedText().size(), 1);
      }
    }
  }
}

TEST_F(ReportFieldRulesTest, LevelTakesOneTwoOrThree) {
  const std::pair<const char*, const char*> rows[] = {
      {"2", "2"}, {"3", "3"}, {"n2", "2"}, {"4", "1"}, {"0", "1"}, {"aBD", "1"}, {"34", "3"},
  };
  for (int type : {kReportType1, kReportType2}) {
    for (int field : {15, 20, 25, 30}) {
      for (const auto& [keys, shown] : rows) {
        SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field) + " " +
                     keys);
        Form.SetHeaderFieldText(type, field, "1");
        Press(type, field, keys);
        EXPECT_EQ(Form.HeaderFieldText(type, field), shown);
        EXPECT_EQ(Edit(type, field).selectionStart(), 0);
        EXPECT_EQ(Edit(type, field).selectedText().size(), 1);
      }
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(ReportFieldRulesTest, CertificateNumberCaretStopsAtTheTwelfthCharacter) {
  struct TRow {
    const char* Keys;
    const char* Shown;
    int Caret;
  } const rows[] = {
      {"E456", "100232000236", 11},  // typed over the twelfth, never past it
      {"5", "50023200023", 1},       // one character replaced, the next selected
      {"RRL7", "17023200023", 2},
      {"EB", "1002320002", 10},      // End then Backspace: the last one goes
  };
  for (int type : {kReportType1, kReportType2}) {
    for (int field : {16, 21, 26, 31}) {
      for (const TRow& row : rows) {
        SCOPED_TRACE("type " + std::to_string(type) + " field " + std::to_string(field) + " " +
                     row.Keys);
        Form.SetHeaderFieldText(type, field, "10023200023");
        Edit(type, field).setCursorPosition(0);
        Press(type, field, row.Keys);
        EXPECT_EQ(Form.HeaderFieldText(type, field), row.Shown);
        EXPECT_EQ(Caret(type, field), row.Caret);
      }
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(ReportFieldRulesTest, ConclusionKeepsSevenLinesOfFiftyNineCharacters) {
  struct TRow {
    QString Typed;
    int Lines;
    bool Message;
  } const rows[] = {
      {"1\n2\n3\n4\n5\n6\n7", 7, false},
      {"1\n2\n3\n4\n5\n6\n7\n8\n9", 7, true},
      {QString(60, 'c'), 2, false},  // the 60th character starts a new line
  };
  for (int type : {kReportType1, kReportType2}) {
    auto* memo = qobject_cast<QPlainTextEdit*>(Panel(type).HeaderFieldControl(36));
    for (const TRow& row : rows) {
      SCOPED_TRACE("type " + std::to_string(type) + " " + row.Typed.toStdString());
      Form.SetHeaderFieldText(type, 36, "");
      Feedback.Messages.clear();
      memo->insertPlainText(row.Typed);
      EXPECT_EQ(memo->toPlainText().split('\n').size(), row.Lines);
      EXPECT_EQ(Feedback.Messages.size(), row.Message ? 1u : 0u);
    }
  }
}

}  // namespace
}  // namespace velt
