// Draws an SVG icon as a square PNG of the given size, for the icon theme's
// fixed-size folders: render-icon <picture.svg> <size> <out.png>. Run while
// building, so it needs no display: no application object, only the
// raster painter on an image (enough for a picture without text).
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: render-icon <picture.svg> <size> <out.png>\n");
    return 2;
  }
  const QString source = QString::fromLocal8Bit(argv[1]);
  const QString target = QString::fromLocal8Bit(argv[3]);
  bool number = false;
  const int size = QByteArray(argv[2]).toInt(&number);
  if (!number || size < 1 || size > 4096) {
    std::fprintf(stderr, "render-icon: bad size %s\n", argv[2]);
    return 2;
  }
  QSvgRenderer renderer(source);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render-icon: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  QDir().mkpath(QFileInfo(target).absolutePath());
  if (!image.convertToFormat(QImage::Format_ARGB32).save(target, "PNG")) {
    std::fprintf(stderr, "render-icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
