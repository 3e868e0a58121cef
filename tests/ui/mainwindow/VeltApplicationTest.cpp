// The application's default error handler: an error raised in an operation
// run from the event loop is shown once and that operation is abandoned;
// the loop, and the program, go on.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include <ports/Errors.h>
#include <ui/widgets/Cp1251.h>
#include <ui/mainwindow/VeltApplicationUnit.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

class TApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "application-test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application = std::make_unique<TVeltApplication>(argc, argv);
  }
  void TearDown() override { Application.reset(); }
  static inline std::unique_ptr<TVeltApplication> Application;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TApplicationEnvironment);

TEST(VeltApplicationTest, AnErrorInAnOperationIsShownAndTheLoopGoesOn) {
  TVeltApplication& application = *TApplicationEnvironment::Application;
  testing::TRecordingFeedback feedback;
  application.SetErrorFeedback(&feedback);
  bool after = false;
  QTimer::singleShot(0, [] { throw EInOutError("/tmp/missing/report.rct: cannot be created"); });
  QTimer::singleShot(0, [] { throw std::runtime_error("\xCE\xF8\xE8\xE1\xEA\xE0"); });  // "Ошибка"
  QTimer::singleShot(10, [&after] {
    after = true;
    QCoreApplication::quit();
  });
  TVeltApplication::exec();
  application.SetErrorFeedback(nullptr);

  EXPECT_TRUE(after);
  ASSERT_EQ(feedback.Messages.size(), 2u);
  EXPECT_EQ(feedback.Messages[0].Caption, "Velt Studio 3");
  EXPECT_EQ(feedback.Messages[0].Text, "/tmp/missing/report.rct: cannot be created");
  EXPECT_EQ(feedback.Messages[0].Icon, TMessageIcon::Error);
  EXPECT_EQ(FromCp1251(feedback.Messages[1].Text), QString::fromUtf8("Ошибка"));
  EXPECT_EQ(application.ErrorsReported(), 2);
}

TEST(VeltApplicationTest, ErrorTextsBecomeModelStrings) {
  EXPECT_EQ(TVeltApplication::ErrorText("plain ASCII"), "plain ASCII");
  // UTF-8 (a path with Cyrillic) is converted, Windows-1251 kept.
  EXPECT_EQ(TVeltApplication::ErrorText("/home/\xD0\xB8/r.rct"), "/home/\xE8/r.rct");
  EXPECT_EQ(TVeltApplication::ErrorText("\xE8\xEC\xFF"), "\xE8\xEC\xFF");
  EXPECT_EQ(TVeltApplication::ErrorText(nullptr), "");
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

// Qt's own buttons and dialogs speak the user's language where Qt has a
// translation; a locale without one leaves them English.
TEST(VeltApplicationTest, QtsOwnTextsFollowTheUsersLanguage) {
  TVeltApplication& application = *TApplicationEnvironment::Application;
  struct TCase {
    const char* Locale;
    bool Found;
    const char* Cancel;
    const char* LookIn;
    const char* Folder;
  };
  const TCase cases[] = {
      {"ru_RU", true, "Отмена", "Перейти к:", "Папка"},
      {"de_DE", true, "Abbrechen", "Suchen in:", "Verzeichnis"},
      {"eo", false, "Cancel", "Look in:", "Folder"},
      {"ru_RU", true, "Отмена", "Перейти к:", "Папка"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(application.LoadQtTranslation(QLocale(QString::fromLatin1(c.Locale))), c.Found)
        << c.Locale;
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8(c.Cancel))
        << c.Locale;
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QString::fromUtf8(c.LookIn))
        << c.Locale;
    // The type column of the file dialogs.
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms"),
              QString::fromUtf8(c.Folder))
        << c.Locale;
  }
}

// The window icon is the program's own SVG, as the desktop shows it.
TEST(ProgramIconTest, EveryWindowShowsTheProgramsIcon) {
  QWidget window;
  ASSERT_FALSE(window.windowIcon().isNull());
  QImage drawn(128, 128, QImage::Format_ARGB32_Premultiplied);
  drawn.fill(Qt::transparent);
  {
    QSvgRenderer renderer(QStringLiteral(VELT_SOURCE_DIR "/packaging/com.velt.VeltStudio3.svg"));
    ASSERT_TRUE(renderer.isValid());
    QPainter painter(&drawn);
    renderer.render(&painter);
  }
  EXPECT_EQ(window.windowIcon().pixmap(QSize(128, 128), 1.0).toImage().convertToFormat(
                QImage::Format_ARGB32_Premultiplied),
            drawn);
}

}  // namespace
}  // namespace velt
