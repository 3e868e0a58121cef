#include <ui/mainwindow/PageControlUnit.h>

#include <QFontMetrics>
#include <QPainter>
#include <QTabBar>

namespace velt {
namespace {

constexpr int kClockPointSize = 11;
constexpr int kClockTop = 4;

}  // namespace

TPageControl::TPageControl(QWidget* parent)
    : QTabWidget(parent), Calendar(":/pictures/calendar.xpm"), Watches(":/pictures/watches.xpm") {
  setObjectName("MainPageControl");
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
