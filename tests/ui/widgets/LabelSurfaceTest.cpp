// A picture label shows its surface's canvas as the label would show the
// same picture set on it as a pixmap, enabled or not.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <ui/widgets/GridAdaptersUnit.h>
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

QImage Shown(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(LabelSurfaceTest, TheLabelShowsTheCanvasAsItsOwnPixmapWouldBe) {
  const QSize size(64, 40);
  for (const bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    QLabel label;
    label.setFixedSize(size);
    label.setEnabled(enabled);
    TLabelSurface surface(label, size);
    ASSERT_NE(surface.Canvas(), nullptr);
    {
      QPainter painter(surface.Canvas());
      painter.fillRect(5, 7, 30, 20, QColor(0, 200, 60));
      painter.fillRect(40, 2, 10, 30, QColor(250, 250, 250));
    }
    surface.Present();

    QLabel reference;
    reference.setFixedSize(size);
    reference.setEnabled(enabled);
    reference.setPixmap(QPixmap::fromImage(surface.Picture()));
    const QImage shown = Shown(label);
    EXPECT_EQ(shown, Shown(reference));
    if (enabled) {
      EXPECT_EQ(shown, surface.Picture());
    }
  }
}

}  // namespace
}  // namespace velt
