#include <ui/mainwindow/PageControlUnit.h>

#include <QFontMetrics>
#include <QIconEngine>
#include <QPainter>
#include <QTabBar>

#include <utility>

#include <ui/widgets/PicturesUnit.h>

namespace velt {
namespace {

constexpr int kClockPointSize = 11;
constexpr int kClockTop = 4;

// The pictures of the tabs in the window's order: the downloaded records,
// the instrument's configurations, the live signal and the protocol.
const char* const kTabPictures[] = {":/pictures/tab-data.svg", ":/pictures/tab-setup.svg",
                                    ":/pictures/tab-online.svg", ":/pictures/tab-report.svg"};

enum : int { kActiveImage = 0, kInactiveImage = 1 };

// A hidden tab's picture: its own picture drawn the way the style draws a
// disabled one (greyed), whatever mode the tab bar asks for, so the tab
// stays clickable while its picture steps back.
class TInactiveIconEngine : public QIconEngine {
 public:
  explicit TInactiveIconEngine(QIcon source) : Source(std::move(source)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State state) override {
    Source.paint(painter, rect, Qt::AlignCenter, QIcon::Disabled, state);
  }

  // The size asked for is in device pixels already: no second scaling.
  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State state) override {
    return Source.pixmap(size, 1.0, QIcon::Disabled, state);
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State state) override {
    return Source.actualSize(size, QIcon::Disabled, state);
  }

  QIconEngine* clone() const override { return new TInactiveIconEngine(Source); }

  QString key() const override { return QStringLiteral("velt-inactive"); }

 private:
  QIcon Source;
};

}  // namespace

TPageControl::TPageControl(QWidget* parent)
    : QTabWidget(parent), Calendar(":/pictures/calendar.xpm"), Watches(":/pictures/watches.xpm") {
  setObjectName("MainPageControl");
  for (const char* resource : kTabPictures) {
    const QIcon active = PictureIcon(QLatin1String(resource));
    ActivePictures.append(active);
    InactivePictures.append(active.isNull() ? QIcon() : QIcon(new TInactiveIconEngine(active)));
  }
  connect(this, &QTabWidget::currentChanged, this, &TPageControl::ShowTabImages);
}

int TPageControl::TabImageIndex(int tab) const {
  if (tab < 0 || tab >= count()) {
    return -1;
  }
  return tab == currentIndex() ? kActiveImage : kInactiveImage;
}

void TPageControl::ShowTabImages() {
  for (int tab = 0; tab < count() && tab < ActivePictures.size(); ++tab) {
    setTabIcon(tab, TabImageIndex(tab) == kActiveImage ? ActivePictures[tab] : InactivePictures[tab]);
  }
}

// A tab added or removed after the first ones moves the others: all of them
// get their pictures again (the current tab may have changed too).
void TPageControl::tabInserted(int index) {
  QTabWidget::tabInserted(index);
  ShowTabImages();
}

void TPageControl::tabRemoved(int index) {
  QTabWidget::tabRemoved(index);
  ShowTabImages();
}

QFont TPageControl::ClockFont() const {
  QFont font = this->font();
  font.setPointSize(kClockPointSize);
  font.setBold(true);
  return font;
}

QPoint TPageControl::ClockPosition() const {
  const QFontMetrics metrics(ClockFont());
  return {width() - metrics.horizontalAdvance(Clock) - 2 * kClockPointSize, kClockTop};
}

void TPageControl::SetClockText(const QString& text) {
  if (text != Clock) {
    Clock = text;
    update(0, 0, width(), tabBar()->height() + kClockTop);
  }
}

void TPageControl::paintEvent(QPaintEvent* event) {
  QTabWidget::paintEvent(event);
  if (Clock.isEmpty()) {
    return;
  }
  QPainter painter(this);
  painter.setFont(ClockFont());
  const QPoint at = ClockPosition();
  const QFontMetrics metrics(painter.font());
  painter.drawText(QPoint(at.x(), at.y() + metrics.ascent()), Clock);
  painter.drawPixmap(at.x() - 23, at.y(), Calendar);
  painter.drawPixmap(at.x() + 129, at.y(), Watches);
}

}  // namespace velt
