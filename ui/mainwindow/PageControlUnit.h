// The main window's page control: the four tabs, and the clock drawn on
// the control's own surface at the right of the tab row (the date in the
// locale's short format, 20 blanks, the time in its long format, with a
// small calendar and watch picture).
#pragma once

#include <QPixmap>
#include <QTabWidget>

namespace velt {

class TPageControl : public QTabWidget {
  Q_OBJECT

 public:
  explicit TPageControl(QWidget* parent = nullptr);

  // The clock text drawn from now on, and where it is drawn.
  void SetClockText(const QString& text);
  const QString& ClockText() const { return Clock; }
  QPoint ClockPosition() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont ClockFont() const;

  QString Clock;
  QPixmap Calendar;
  QPixmap Watches;
};

}  // namespace velt
