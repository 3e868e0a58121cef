#include <ui/report/QuickReportFileUnit.h>

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSaveFile>

#include <reports/BandEngine.h>

namespace velt {

namespace {

constexpr char kMagic[8] = {'V', 'E', 'L', 'T', 'Q', 'R', 'P', '\n'};
// A report of the program has a few hundred pages; anything far beyond is
// not one of its files.
constexpr quint32 kMostPages = 100000;

QString PathText(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

}  // namespace

TQrpResult SaveQrp(const TRenderedReport& report, const std::filesystem::path& path) {
  QSaveFile file(PathText(path));
  if (!file.open(QIODevice::WriteOnly)) {
    return {false, file.errorString().toStdString()};
  }
  QDataStream out(&file);
  out.setVersion(QDataStream::Qt_6_0);
  out.writeRawData(kMagic, sizeof kMagic);
  out << kQrpVersion << quint32(report.Pages.size()) << report.PageSizeMm.width()
      << report.PageSizeMm.height() << report.Dpi << report.Title;
  for (const QPicture& page : report.Pages) {
    out.writeBytes(page.data(), page.size());
  }
  if (out.status() != QDataStream::Ok || !file.commit()) {
    return {false, file.errorString().toStdString()};
  }
  return {true, {}};
}

TQrpResult LoadQrp(const std::filesystem::path& path, TRenderedReport& report) {
  QFile file(PathText(path));
  if (!file.exists()) {
    return {false, "the file does not exist"};
  }
  if (!file.open(QIODevice::ReadOnly)) {
    return {false, file.errorString().toStdString()};
  }
  QDataStream in(&file);
  in.setVersion(QDataStream::Qt_6_0);
  char magic[sizeof kMagic] = {};
  if (in.readRawData(magic, sizeof magic) != sizeof magic ||
      !std::equal(magic, magic + sizeof magic, kMagic)) {
    return {false, "not a saved report"};
  }
  quint32 version = 0;
  quint32 count = 0;
  TRenderedReport read;
  double width = 0;
  double height = 0;
  in >> version;
  if (in.status() == QDataStream::Ok && version != kQrpVersion) {
    return {false, "a saved report of another version (" + std::to_string(version) + ")"};
  }
  in >> count >> width >> height >> read.Dpi >> read.Title;
  if (in.status() != QDataStream::Ok) {
    return {false, "the file ends inside its header"};
  }
  if (count == 0 || count > kMostPages || !(width > 0) || !(height > 0) || !(read.Dpi > 0)) {
    return {false, "the file's header is damaged"};
  }
  read.PageSizeMm = QSizeF(width, height);
  read.Pages.reserve(count);
  for (quint32 i = 0; i < count; ++i) {
    quint32 length = 0;
    in >> length;
    if (in.status() != QDataStream::Ok || length > file.size() - file.pos()) {
      return {false, "the file ends inside page " + std::to_string(i + 1)};
    }
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    if (in.readRawData(bytes.data(), int(length)) != int(length)) {
      return {false, "the file ends inside page " + std::to_string(i + 1)};
    }
    // A picture whose own header or checksum is wrong was damaged.
    QBuffer probe(&bytes);
    probe.open(QIODevice::ReadOnly);
    if (!read.Pages.emplace_back().load(&probe)) {
      return {false, "page " + std::to_string(i + 1) + " is damaged"};
    }
  }
  if (!in.atEnd()) {
    return {false, "the file goes on after its last page"};
  }
  report = std::move(read);
  return {true, {}};
}

int PlayPages(const TRenderedReport& report, QPagedPaintDevice& device) {
  device.setPageLayout(QPageLayout(QPageSize(report.PageSizeMm, QPageSize::Millimeter),
                                   QPageLayout::Portrait,
                                   QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm,
                                             kPageMarginMm),
                                   QPageLayout::Millimeter));
  QPainter painter;
  if (!painter.begin(&device)) {
    return -1;
  }
  int pages = 0;
  for (const QPicture& page : report.Pages) {
    if (pages > 0) {
      device.newPage();
    }
    painter.resetTransform();
    // A picture plays scaled from its own resolution to the device's by
    // itself: from the recording resolution to the picture's is left.
    painter.scale(page.logicalDpiX() / report.Dpi, page.logicalDpiY() / report.Dpi);
    painter.drawPicture(0, 0, page);
    ++pages;
  }
  return painter.end() ? pages : -1;
}

}  // namespace velt
