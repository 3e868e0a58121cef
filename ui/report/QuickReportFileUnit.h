// A rendered report: its pages as recorded pictures, and the ".qrp" file
// that keeps them so that a saved report reopens with exactly the pages
// that were shown.
//
// The file: the magic "VELTQRP\n", a format version, the page count, the
// page size (mm), the resolution the pages were recorded at and the job's
// title, then each
// page as its byte length and the QPicture's own data. Integers and reals
// are big-endian (QDataStream, Qt 6.0 layout).
#pragma once

#include <QPicture>
#include <QSizeF>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

class QPagedPaintDevice;

namespace velt {

struct TRenderedReport {
  QSizeF PageSizeMm{210.0, 297.0};
  // Dots per inch of the pictures' coordinates; the origin is the top-left
  // corner of the printable area.
  double Dpi = 1200.0;
  // The print job's title, kept for printing the pages again.
  QString Title;
  std::vector<QPicture> Pages;
};

inline constexpr quint32 kQrpVersion = 1;

struct TQrpResult {
  bool Ok = false;
  std::string Error;  // why the file could not be written or read
};

// Writes the report beside `path` and renames it over it when complete.
TQrpResult SaveQrp(const TRenderedReport& report, const std::filesystem::path& path);
// Reads a whole file; `report` is changed only when the file reads whole.
TQrpResult LoadQrp(const std::filesystem::path& path, TRenderedReport& report);

// Plays the pages onto a paged device (a printer, a PDF writer), each
// scaled from its recording resolution to the device's. The number of
// pages drawn, or -1 when the device could not be painted on.
int PlayPages(const TRenderedReport& report, QPagedPaintDevice& device);

}  // namespace velt
