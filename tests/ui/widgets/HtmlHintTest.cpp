// The formatted hints: where the component may live, the markup of a hint,
// the size and place of the hint window, its painting, and the tool tips of
// the application coming to it and going away again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QThread>
#include <QToolTip>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <ui/widgets/htmlhint.h>
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

const QString kShortcutHint = "<B>Ctrl + Up </B>Next configuration";

std::string CreationError(QObject* owner) {
  try {
    THTMLHint hint(owner);
  } catch (const EComponentError& error) {
    return error.what();
  }
  return "";
}

// The text runs of a document with their weight.
std::vector<std::pair<QString, bool>> BoldRuns(const QTextDocument& doc) {
  std::vector<std::pair<QString, bool>> runs;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      runs.emplace_back(fragment.text(), fragment.charFormat().fontWeight() >= QFont::Bold);
    }
  }
  return runs;
}

bool SendToolTip(QWidget* widget, const QPoint& globalPos) {
  QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), globalPos);
  QApplication::sendEvent(widget, &event);
  return event.isAccepted();
}

TEST(HtmlHintTest, LivesOnceOnAForm) {
  EXPECT_EQ(CreationError(nullptr), "Control parent must be a form!");
  QObject plain;
  EXPECT_EQ(CreationError(&plain), "Control parent must be a form!");
  QWidget form;
  QWidget panel(&form);
  EXPECT_EQ(CreationError(&panel), "Control parent must be a form!");

  auto first = std::make_unique<THTMLHint>(&form);
  EXPECT_EQ(THTMLHint::Of(&form), first.get());
  EXPECT_EQ(CreationError(&form), "Only one instance of THTMLHint allowed on form");
  QWidget other_form;
  EXPECT_EQ(CreationError(&other_form), "");
  first.reset();
  EXPECT_EQ(CreationError(&form), "");
}

TEST(HtmlHintTest, MarkupSetsBoldAndPlainRuns) {
  QWidget form;
  THTMLHint hint(&form);
  THTMLHintWindow& window = *hint.HintWindow();
  window.ActivateHint(QRect(10, 10, 0, 0), kShortcutHint);
  const std::vector<std::pair<QString, bool>> runs = {{"Ctrl + Up ", true},
                                                      {"Next configuration", false}};
  EXPECT_EQ(BoldRuns(window.Document()), runs);
  // Bold takes more room than the same text in the normal weight.
  EXPECT_GT(window.HintSize("<B>Ctrl + Up Next</B>").width(),
            window.HintSize("Ctrl + Up Next").width());

  const std::vector<std::pair<QString, QString>> texts = {
      {"a &lt;b&gt; &amp; c", "a <b> & c"},
      {"one<BR>two", "one\ntwo"},
      {"one\ntwo", "one\ntwo"},
      {"x&nbsp;y", "x y"},
  };
  for (const auto& [markup, plain] : texts) {
    window.ActivateHint(QRect(10, 10, 0, 0), markup);
    EXPECT_EQ(window.Document().toPlainText(), plain) << markup.toStdString();
  }
}

TEST(HtmlHintTest, WindowSizeFollowsTheTextAndMargins) {
  QWidget form;
  THTMLHint hint(&form);
  THTMLHintWindow& window = *hint.HintWindow();
  const QString text = "Next configuration";
  const QFontMetrics metrics(hint.HintFont);
  const QSize plain = window.HintSize(text);
  EXPECT_NEAR(plain.width() - 16, metrics.horizontalAdvance(text), 1);
  EXPECT_NEAR(plain.height() - 4, metrics.height(), 1);

  hint.XMargin = 7;
  hint.YMargin = 3;
  EXPECT_EQ(window.HintSize(text), plain + QSize(7, 6));
  window.ActivateHint(QRect(10, 10, 0, 0), text);
  EXPECT_EQ(window.size(), plain + QSize(7, 6));
  // The text sits right of the X margin, 4 pixels in from both sides, and
  // centred in the height.
  const QRect box = window.TextBox();
  EXPECT_EQ(box.left(), 7 + 4);
  EXPECT_EQ(box.x() + box.width(), window.width() - 4);
  EXPECT_EQ(box.top(), 3 + 2);
  EXPECT_EQ(box.height(), plain.height() - 4);

  hint.XMargin = 0;
  hint.YMargin = 0;
  const QString long_text = "Saves the working configuration of the instrument under a new name";
  const QSize unlimited = window.HintSize(long_text);
  EXPECT_GT(unlimited.width(), 150);
  hint.MaxWidth = 150;
  const QSize wrapped = window.HintSize(long_text);
  EXPECT_LE(wrapped.width(), 150);
  EXPECT_GE(wrapped.height() - 4, 2 * (unlimited.height() - 4));

  hint.Ellipsis = true;
  const QSize cut = window.HintSize(long_text);
  EXPECT_LE(cut.width(), 150);
  EXPECT_EQ(cut.height(), unlimited.height());
  window.ActivateHint(QRect(10, 10, 0, 0), long_text);
  EXPECT_TRUE(window.Document().toPlainText().endsWith(QChar(0x2026)));
}

TEST(HtmlHintTest, KeepsTheWindowOnTheScreen) {
  const QRect screen(0, 0, 1920, 1080);
  const QRect second(1920, 0, 1280, 1024);
  struct TCase {
    QRect Proposed;
    QRect Available;
    QPoint Placed;
  };
  const std::vector<TCase> cases = {
      {QRect(100, 100, 200, 30), screen, QPoint(100, 100)},
      {QRect(1800, 100, 200, 30), screen, QPoint(1718, 100)},  // ends 2 inside the right
      {QRect(1720, 100, 200, 30), screen, QPoint(1720, 100)},  // just fits
      {QRect(100, 1070, 200, 30), screen, QPoint(100, 1048)},  // ends 2 above the bottom
      {QRect(1900, 1060, 200, 30), screen, QPoint(1718, 1048)},
      {QRect(3100, 1000, 200, 30), second, QPoint(2998, 992)},
      {QRect(10, 10, 2000, 30), screen, QPoint(0, 10)},  // wider than the screen
  };
  for (const TCase& c : cases) {
    const QRect placed = THTMLHintWindow::KeepOnScreen(c.Proposed, c.Available);
    EXPECT_EQ(placed.topLeft(), c.Placed) << c.Proposed.x() << "," << c.Proposed.y();
    EXPECT_EQ(placed.size(), c.Proposed.size());
  }

  QWidget form;
  THTMLHint hint(&form);
  THTMLHintWindow& window = *hint.HintWindow();
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  window.ActivateHint(QRect(available.right() - 5, available.bottom() - 5, 0, 0), kShortcutHint);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.x() + window.width(), available.x() + available.width() - 2);
  EXPECT_EQ(window.y() + window.height(), available.y() + available.height() - 2);
}

TEST(HtmlHintTest, PaintsBackgroundFrameAndText) {
  QWidget form;
  THTMLHint hint(&form);
  hint.HintColor = QColor(255, 255, 225);
  hint.HintFontColor = QColor(0, 0, 0);
  hint.XMargin = 6;
  THTMLHintWindow& window = *hint.HintWindow();
  window.ActivateHint(QRect(10, 10, 0, 0), kShortcutHint);
  QImage image = window.grab().toImage();
  const int middle = image.height() / 2;
  EXPECT_EQ(image.pixel(0, middle), window.palette().color(QPalette::Light).rgb());
  EXPECT_EQ(image.pixel(image.width() - 1, middle), window.palette().color(QPalette::Dark).rgb());
  EXPECT_EQ(image.pixel(image.width() / 2, 0), window.palette().color(QPalette::Light).rgb());
  EXPECT_EQ(image.pixel(image.width() / 2, image.height() - 1),
            window.palette().color(QPalette::Dark).rgb());
  // Text only inside the text box: left of it the hint colour.
  const QRect box = window.TextBox();
  int inked = 0;
  for (int y = 1; y < image.height() - 1; ++y) {
    for (int x = 1; x < image.width() - 1; ++x) {
      const bool ink = image.pixelColor(x, y) != hint.HintColor;
      if (!box.contains(x, y)) {
        EXPECT_FALSE(ink) << "pixel " << x << "," << y;
      }
      inked += ink ? 1 : 0;
    }
  }
  EXPECT_GT(inked, 20);
  EXPECT_TRUE(window.mask().isEmpty());

  // A second colour: a gradient from the hint colour at the top to it.
  hint.HintColor2 = QColor(0, 0, 255);
  window.ActivateHint(QRect(10, 10, 0, 0), kShortcutHint);
  image = window.grab().toImage();
  const QColor top = image.pixelColor(2, 1);
  const QColor bottom = image.pixelColor(2, image.height() - 2);
  EXPECT_GT(top.red(), 200);
  EXPECT_LT(bottom.red(), 100);
  EXPECT_GT(bottom.blue(), 200);

  hint.HintStyle = THintStyle::Rounded;
  window.ActivateHint(QRect(10, 10, 0, 0), kShortcutHint);
  image = window.grab().toImage();
  EXPECT_EQ(image.pixelColor(image.width() / 2, 0), QColor(128, 128, 128));
  const QRegion mask = window.mask();
  EXPECT_FALSE(mask.contains(QPoint(0, 0)));
  EXPECT_FALSE(mask.contains(QPoint(window.width() - 1, window.height() - 1)));
  EXPECT_TRUE(mask.contains(QPoint(window.width() / 2, 0)));
  EXPECT_TRUE(mask.contains(QPoint(0, window.height() / 2)));
}

bool WaitUntil(const std::function<bool()>& condition) {
  QElapsedTimer clock;
  clock.start();
  while (!condition() && clock.elapsed() < 3000) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
  }
  return condition();
}

TEST(HtmlHintTest, ToolTipsOfTheApplicationComeToTheWindow) {
  QWidget form;
  form.resize(300, 200);
  auto* button = new QPushButton("Up", &form);
  button->setToolTip(kShortcutHint);
  auto* panel = new QWidget(&form);
  panel->setToolTip("Panel");
  auto* label = new QLabel("inside", panel);  // no hint of its own
  form.show();
  THTMLHint hint(&form);
  THTMLHintWindow& window = *hint.HintWindow();
  ASSERT_FALSE(window.isVisible());

  EXPECT_TRUE(SendToolTip(button, QPoint(100, 100)));
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(QToolTip::isVisible());
  EXPECT_EQ(window.Text(), kShortcutHint);
  EXPECT_EQ(window.pos(), QPoint(102, 116));
  EXPECT_EQ(hint.HintControl(), button);

  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QApplication::sendEvent(button, &key);
  EXPECT_FALSE(window.isVisible());

  SendToolTip(label, QPoint(50, 60));  // the panel's hint
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.Text(), "Panel");
  EXPECT_EQ(hint.HintControl(), panel);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);  // not the control of the hint
  EXPECT_TRUE(window.isVisible());
  QApplication::sendEvent(panel, &leave);
  EXPECT_FALSE(window.isVisible());

  // The user's handler may change the text or keep the hint back.
  hint.OnShowHint = [](QWidget*, QString& text, bool& canShow) {
    canShow = text != "Panel";
    text += " (F5)";
  };
  SendToolTip(button, QPoint(100, 100));
  EXPECT_EQ(window.Text(), kShortcutHint + " (F5)");
  hint.HideHint();
  EXPECT_TRUE(SendToolTip(panel, QPoint(100, 100)));
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(QToolTip::isVisible());
  hint.OnShowHint = nullptr;

  hint.HintHidePause = 20;
  SendToolTip(button, QPoint(100, 100));
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(WaitUntil([&window] { return !window.isVisible(); }));
}

}  // namespace
}  // namespace velt
