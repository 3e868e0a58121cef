// The configuration name editor: what typing does to each kind of
// character, and what comes back when the dialog is confirmed or cancelled.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>

#include <config/CharMappingUnit.h>
#include <config/ConfigObject5_01ver_Unit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/setup/EditStringParameterUnit.h>

#include "support/RecordingFeedback.h"
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

class NameEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    Cell.Initialise();
    Cell.SetDefaults(7);
    Cell.CONFIGURATION_NAME = "PIPE 01";
  }
  // Types one character (given in Windows-1251) into the field.
  void Type(char c) {
    const QString text = FromCp1251(std::string(1, c));
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(&Dialog.Field(), &press);
  }
  std::string FieldText() const { return ToCp1251(Dialog.Field().text()); }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TEditStrParForm Dialog{Strings, Feedback};
  T5_01ConfigCell Cell;
};

// The buttons speak the user's language with Qt's own translation.
TEST(NameEditorButtons, FollowQtsTranslation) {
  QTranslator russian;
  ASSERT_TRUE(russian.load(QLocale(QLocale::Russian), "qtbase", "_",
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
  QApplication::installTranslator(&russian);
  testing::TRecordingFeedback feedback;
  TLocalStrings strings{feedback};
  TEditStrParForm dialog{strings, feedback};
  QApplication::removeTranslator(&russian);
  EXPECT_EQ(dialog.findChild<QPushButton*>("CancelButton")->text(), QString::fromUtf8("Отмена"));
  EXPECT_TRUE(dialog.findChild<QPushButton*>("OkButton")->isDefault());
}

TEST_F(NameEditor, PreparingShowsTheCellsNumberAndName) {
  Dialog.Prepare(Cell);
  EXPECT_EQ(ToCp1251(Dialog.windowTitle()), Strings.Caption(130));
  EXPECT_EQ(ToCp1251(Dialog.NameLabel().text()),
            Strings.Caption(131) + "7 " + Strings.Caption(132));
  EXPECT_EQ(FieldText(), "PIPE 01");
  EXPECT_EQ(Dialog.Field().maxLength(), 13);
}

TEST_F(NameEditor, TypedCharactersAreTakenReplacedOrDropped) {
  Dialog.Prepare(Cell);
  EXPECT_EQ(Dialog.Filter('a'), 'A');
  EXPECT_EQ(Dialog.Filter('d'), 'd');        // the instrument shows a lower-case d
  EXPECT_EQ(Dialog.Filter('\xB8'), '\xC5');  // ё becomes Е
  EXPECT_EQ(Dialog.Filter('\xE6'), '\xC6');  // ж becomes Ж
  EXPECT_EQ(Dialog.Filter('!'), '\0');
  EXPECT_EQ(Dialog.Filter('='), '\0');
  for (const TCharMapping& entry : InstrumentCharTable()) {
    EXPECT_EQ(Dialog.Filter(entry.Text), entry.Text);
  }
  EXPECT_EQ(NameEditorFromCharacters().size(), 54u);
  EXPECT_EQ(NameEditorToCharacters().size(), 54u);

  Dialog.Field().clear();
  for (const char c : std::string("ab!d=\xB8")) {
    Type(c);
  }
  EXPECT_EQ(FieldText(), "ABd\xC5");
  // No more than 13 characters.
  for (int i = 0; i < 20; ++i) {
    Type('1');
  }
  EXPECT_EQ(FieldText().size(), 13u);
}

TEST_F(NameEditor, WithoutAnAllowedSetEveryCharacterIsTaken) {
  EXPECT_EQ(Dialog.Filter('!'), '!');
  EXPECT_EQ(Dialog.Filter('a'), 'a');
}

TEST_F(NameEditor, TheResultIsPaddedAndABlankNameIsRefused) {
  Dialog.Prepare(Cell);
  Dialog.Field().setText("AB");
  EXPECT_EQ(Dialog.Result(true, Cell.CONFIGURATION_NAME), "AB" + std::string(11, ' '));
  EXPECT_EQ(Dialog.Result(false, Cell.CONFIGURATION_NAME), "PIPE 01");
  EXPECT_TRUE(Feedback.Messages.empty());

  Dialog.Field().setText(QString(13, QLatin1Char(' ')));
  EXPECT_EQ(Dialog.Result(true, Cell.CONFIGURATION_NAME), "PIPE 01");
  ASSERT_EQ(Feedback.Messages.size(), 1u);
  EXPECT_EQ(Feedback.Messages[0].Caption, Strings.Error(12));
  EXPECT_EQ(Feedback.Messages[0].Text, Strings.Error(17));
  EXPECT_EQ(Feedback.Messages[0].Icon, TMessageIcon::Error);
  Dialog.Field().clear();
  EXPECT_EQ(Dialog.Result(true, Cell.CONFIGURATION_NAME), "PIPE 01");
  EXPECT_EQ(Feedback.Messages.size(), 2u);
}

}  // namespace
}  // namespace velt
