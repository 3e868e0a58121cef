// A small band layout engine for the printed sheets: a page is a stack of
// horizontal bands of fixed height (mm) holding text fields, multi-line text
// fields, rules and pictures at millimetre positions. Data bands repeat
// while their layout says more data follow; the engine breaks pages itself
// and draws each page as it goes, so no page is held once it is finished.
// Qt Gui only: it paints on any QPagedPaintDevice (QPdfWriter, QPrinter).
#pragma once

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace velt {

// The layouts are drawn at 96 dots per inch; positions are given in mm.
inline constexpr double kLayoutDpi = 96.0;
inline constexpr double kPageWidthMm = 210.0;
inline constexpr double kPageHeightMm = 297.0;
inline constexpr double kPageMarginMm = 10.0;
inline constexpr double kPrintableWidthMm = kPageWidthMm - 2 * kPageMarginMm;    // 190
inline constexpr double kPrintableHeightMm = kPageHeightMm - 2 * kPageMarginMm;  // 277

// The fonts of the sheets (Arial, or the metric-compatible Liberation Sans).
enum class TBandFont {
  Caption,       // bold, 13 dots
  Value,         // 13 dots
  Cell,          // 11 dots: table cells and appendix values
  CellCaption,   // bold, 11 dots: table column titles
  Organisation,  // bold, 16 dots
};

enum class TBandItemKind {
  Text,     // one line, clipped to its field unless Clip is off
  Memo,     // word-wrapped, clipped to its field
  Rule,     // a line from the field's top-left to its bottom-right corner
  Picture,  // an image scaled into the field
};

struct TBandItem {
  TBandItemKind Kind = TBandItemKind::Text;
  QRectF Mm;
  TBandFont Font = TBandFont::Value;
  int Align = 0;  // Qt::Alignment flags; 0 = left and top
  bool Clip = true;
  // Drawn only when its band opens a page (below the page headers): the
  // top rule of a table row that continues a table from the page before.
  bool OnlyAtPageTop = false;
  QString Text;
  QImage Picture;
};

class TBand {
 public:
  explicit TBand(double heightMm = 0) : HeightMm(heightMm) {}

  // Items keep their address for the band's life (a deque), so a layout
  // may hold on to the fields it fills.
  TBandItem& Text(double x, double y, double w, double h, TBandFont font, const QString& text = {},
                  int align = 0);
  TBandItem& Memo(double x, double y, double w, double h, TBandFont font, const QString& text = {},
                  int align = 0);
  TBandItem& Rule(double x1, double y1, double x2, double y2);
  TBandItem& Picture(double x, double y, double w, double h);

  double HeightMm;
  std::deque<TBandItem> Items;
  // Asked just before the band would print; empty means always.
  std::function<bool()> PrintWhen;
};

// One report: the bands in the engine's order.
struct TBandLayout {
  std::function<void()> Start;     // before its first page
  std::vector<TBand*> PageHeader;  // top of every page
  TBand* Title = nullptr;          // first page only
  TBand* ColumnHeader = nullptr;   // after the title and at the top of each page
  TBand* Detail = nullptr;         // once for each time NeedData answers true
  std::function<bool()> NeedData;  // fills the detail band for the next row
  std::vector<TBand*> Summary;     // after the last row
  // Following another layout, the first page starts with the first row:
  // without rows the layout prints nothing.
  bool PageOnFirstData = false;
};

// Draws layouts onto a paged device, each from a new page. The page layout
// (A4 portrait, 10 mm margins) is set on the device when printing begins.
class TBandPrinter {
 public:
  explicit TBandPrinter(QPagedPaintDevice& device);
  ~TBandPrinter();
  TBandPrinter(const TBandPrinter&) = delete;
  TBandPrinter& operator=(const TBandPrinter&) = delete;

  // False when the device cannot be painted on (an unwritable file, ...).
  bool Begin();
  void Print(TBandLayout& layout);
  // Ends the document; the number of pages drawn, or -1 when the device
  // failed.
  int End();

 private:
  void NewPage(TBandLayout& layout);
  void Place(TBand& band, TBandLayout& layout);
  void Draw(const TBand& band, bool atPageTop = false);
  double PageTop(const TBandLayout& layout) const;

  QPagedPaintDevice& Device;
  QPainter* Painter = nullptr;
  int Pages = 0;
  double Y = 0;  // mm from the top of the printable area
};

// The sheets' fonts, 96-dot sizes: family Arial, Liberation Sans in its place.
QFont BandFont(TBandFont font);

}  // namespace velt
