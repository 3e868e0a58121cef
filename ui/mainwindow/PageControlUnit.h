// The main window's page control: the four tabs, and the clock drawn on
// the control's own surface at the right of the tab row (the date in the
// locale's short format, 20 blanks, the time in its long format, with a
// small calendar and watch picture). Each tab shows a picture: the active
// one (image index 0) while the tab is shown, a quieter one (image index 1)
// while it is hidden.
#pragma once

#include <QIcon>
#include <QList>
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

  // The image index tab `tab` shows: 0 while it is the current tab, 1 while
  // it is hidden, -1 when there is no such tab.
  int TabImageIndex(int tab) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void tabInserted(int index) override;
  void tabRemoved(int index) override;

 private:
  QFont ClockFont() const;
  // Gives every tab the picture of its image index.
  void ShowTabImages();

  // The pictures of the tabs in their order, active and inactive.
  QList<QIcon> ActivePictures;
  QList<QIcon> InactivePictures;

  QString Clock;
  QPixmap Calendar;
  QPixmap Watches;
};

}  // namespace velt
