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
  const QSize size(64, 150);  // painted in more than one strip
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
      painter.fillRect(40, 2, 10, 140, QColor(250, 250, 250));
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

// Only a label the canvas covers whole may leave the window's background
// unpainted under it; elsewhere that background shows.
TEST(LabelSurfaceTest, OnlyACoveredLabelIsOpaque) {
  const QSize canvas(64, 40);
  const struct {
    const char* name;
    QSize label;
    bool enabled;
    bool opaque;
  } cases[] = {
      {"covered", canvas, true, true},
      {"disabled", canvas, false, false},
      {"taller", QSize(64, 50), true, false},
      {"wider", QSize(70, 40), true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QLabel label;
    label.setFixedSize(c.label);
    TLabelSurface surface(label, canvas);
    label.setEnabled(c.enabled);
    surface.Present();
    EXPECT_EQ(label.testAttribute(Qt::WA_OpaquePaintEvent), c.opaque);
  }
}

}  // namespace
}  // namespace velt
