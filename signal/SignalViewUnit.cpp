#include <signal/SignalViewUnit.h>

#include <QClipboard>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <string>

#include <config/ConfigObject3_17ver_Unit.h>
#include <config/ConfigObject4_03ver_Unit.h>
#include <config/ConfigObject5_01ver_Unit.h>
#include <config/Rounding.h>
#include <signal/ResultParametersUnit.h>
#include <signal/SignalViewInteractionUnit.h>
#include <strings/LocalStringsUnit.h>

namespace velt {
namespace {

constexpr int kColumns = 322;
constexpr int kRows = 197;
constexpr int kLastDrawnSample = 318;  // the report form draws two more
constexpr std::uint16_t kCursorModeBits = 0x300;
constexpr int kMicrosecondUnit = 60;
constexpr int kMillimetreUnit = 62;
constexpr int kMetreUnit = 63;
constexpr int kDecibelUnit = 65;
constexpr int kDgsDataMissing1 = 22;
constexpr int kDgsDataMissing2 = 23;
constexpr int kFirstMetreMark = 9;
// The magnifier's cursor stands in the lower trace, this many pixels down.
constexpr int kMagnifierCursorShift = 135;

QString Text(const std::string& cp1251) {
  QStringDecoder decoder("windows-1251");
  return decoder.decode(QByteArrayView(cp1251.data(), static_cast<qsizetype>(cp1251.size())));
}

// The screen layout a configuration's SCREEN_MODE selects.
struct TLayout {
  bool Drawn = true;   // frames, grid and trace
  bool Split = false;  // two traces, one above the other
  int H = 180;         // the signal area's height in rows
  int ScaleRow = 181;  // the top of the scale strip
};

TLayout LayoutOf(const TBaseConfigCell& cell) {
  switch (cell.SCREEN_MODE) {
    case 1:
    case 2:
    case 5:
      return {};
    case 3:
      return {true, true, 90, 91};
    default:
      return {false, false, 180, 181};
  }
}

// One envelope, clamped to full scale; columns outside the array read 0.
class TEnvelope {
 public:
  explicit TEnvelope(const std::vector<std::uint8_t>& samples) : Samples(samples) {}
  int operator()(int k) const {
    if (k < 0 || static_cast<std::size_t>(k) >= Samples.size()) {
      return 0;
    }
    return TDataCell::ClampSample(Samples[static_cast<std::size_t>(k)]);
  }

 private:
  const std::vector<std::uint8_t>& Samples;
};

// Drawing on the picture's grid of 322 columns and 197 rows.
class TPicture {
 public:
  // The picture of `size` pixels has its top-left corner at `origin` of the
  // target and nothing drawn leaves it.
  TPicture(QImage& target, QPoint origin, QSize size, int v, double e,
           const TColourScheme& scheme)
      : V(v), Painter(&target), E(e), S(v % 2 == 0 ? 1 : 0), Scheme(scheme),
        Height(size.height()) {
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setClipRect(QRect(origin, size));
    Painter.translate(origin);
    Painter.fillRect(QRect(QPoint(0, 0), size), scheme[kBackgroundColour]);
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(1, QFontInfo(font).pixelSize()) * v);
    font.setStyleStrategy(QFont::NoAntialias);
    Painter.setFont(font);
    FontKey = font.key();
    // The painter has the target to itself now; strokes of one colour are
    // written straight into it, a fill through the painter per dash and
    // column costing far more than the few pixels it sets.
    Clip = QRect(origin, size) & target.rect();
    Origin = origin;
    if (target.format() == QImage::Format_RGB32) {
      Bits = target.bits();
      Stride = target.bytesPerLine();
    }
  }

  int V;
  int X(int column) const { return V * column + S; }
  int Y(double row) const {
    // Far-off rows (a curve running away) are held just outside the picture.
    return std::clamp(RndTo<int>(E * row), -Height, 2 * Height);
  }
  int FontHeight() const { return Painter.fontMetrics().height(); }
  // Kept per font and text: measuring shapes the text anew each time.
  int TextWidth(const QString& text) const {
    thread_local std::map<std::pair<QString, QString>, int> kept;
    auto key = std::pair(FontKey, text);
    if (const auto it = kept.find(key); it != kept.end()) {
      return it->second;
    }
    if (kept.size() > 256) {
      kept.clear();
    }
    const int width = Painter.fontMetrics().horizontalAdvance(text);
    kept.emplace(std::move(key), width);
    return width;
  }
  int PixelHeight() const { return Height; }

  // A pixel-exact stroke of the given width across [x1, x2] × [y1, y2].
  void Block(int x1, int y1, int x2, int y2, int colour, int width) {
    const int lo = width / 2;
    const QRect r(QPoint(std::min(x1, x2) - lo, std::min(y1, y2) - lo),
                  QPoint(std::max(x1, x2) - lo + width - 1, std::max(y1, y2) - lo + width - 1));
    const QColor& c = Scheme[colour];
    if (Bits == nullptr || !c.rgba64().isOpaque()) {
      Painter.fillRect(r, c);
      return;
    }
    // The value the painter's own fill of an opaque colour writes.
    Fill(r, qPremultiply(c.rgba64()).toArgb32());
  }
  void VLine(int column, double row1, double row2, int colour) {
    Block(X(column), Y(row1), X(column), Y(row2), colour, V);
  }
  void HLine(int column1, int column2, double row, int colour) {
    Block(X(column1), Y(row), X(column2), Y(row), colour, V);
  }
  // A slanted line between two pixels.
  void Line(QPoint from, QPoint to, int colour) {
    Painter.setPen(QPen(Scheme[colour], V, Qt::SolidLine, Qt::SquareCap));
    Painter.drawLine(from, to);
  }
  QPoint At(int column, double row) const { return {X(column), Y(row)}; }
  // Lines joining the points one after another, each drawn as Line does.
  // In an opaque colour the pixels they cover are those they cover on a
  // layer of their own, kept while the points stay the same.
  void Lines(std::span<const QPoint> points, int colour) {
    const QColor& c = Scheme[colour];
    if (Bits == nullptr || !c.rgba64().isOpaque()) {
      Painter.setPen(QPen(c, V, Qt::SolidLine, Qt::SquareCap));
      for (std::size_t i = 1; i < points.size(); ++i) {
        Painter.drawLine(points[i - 1], points[i]);
      }
      return;
    }
    const quint32 value = qPremultiply(c.rgba64()).toArgb32();
    for (const QRect& run : CoveredRuns(points)) {
      Fill(run, value);
    }
  }

  // Dashed vertical lines: pattern[0] pixels drawn, pattern[1] left out,
  // and so on, from the top end.
  void DashedPixels(int x, int top, int bottom, int colour, std::span<const int> pattern,
                    int width) {
    std::size_t i = 0;
    for (int y = top; y <= bottom; y += pattern[i], i = (i + 1) % pattern.size()) {
      if (i % 2 == 0) {
        Block(x, y, x, std::min(y + pattern[i] - 1, bottom), colour, width);
      }
    }
  }
  void DashedV(int column, double row1, double row2, int colour) {
    static constexpr int kDash[] = {5, 2};
    DashedPixels(X(column), Y(row1), Y(row2), colour, kDash, 1);
  }
  void DashedH(int column1, int column2, double row, int colour) {
    static constexpr int kDash[] = {5, 2};
    const int y = Y(row);
    const int x2 = X(column2);
    std::size_t i = 0;
    for (int x = X(column1); x <= x2; x += kDash[i], i = (i + 1) % 2) {
      if (i == 0) {
        Block(x, y, std::min(x + kDash[0] - 1, x2), y, colour, 1);
      }
    }
  }

  // Text with its top-left corner at (x, top); a background colour of -1
  // leaves the background as it is.
  void Write(int x, int top, const QString& text, int colour, int background = -1) {
    const QFontMetrics metrics = Painter.fontMetrics();
    if (background >= 0) {
      Painter.fillRect(QRect(x, top, metrics.horizontalAdvance(text), metrics.height()),
                       Scheme[background]);
    }
    const QColor& c = Scheme[colour];
    if (Bits == nullptr || !c.rgba64().isOpaque() ||
        (Painter.font().styleStrategy() & QFont::NoAntialias) == 0) {
      Painter.setPen(c);
      Painter.drawText(QPoint(x, top + metrics.ascent()), text);
      return;
    }
    // Unsmoothed letters set whole pixels: those of each text are kept.
    const quint32 value = qPremultiply(c.rgba64()).toArgb32();
    for (const QRect& run : TextRuns(text, metrics)) {
      Fill(run.translated(x, top), value);
    }
  }

 private:
  QPainter Painter;
  QString FontKey;
  double E;
  int S;
  const TColourScheme& Scheme;
  int Height;
  QRect Clip;
  QPoint Origin;
  uchar* Bits = nullptr;
  qsizetype Stride = 0;

  // The pixels of a rectangle of the picture within its part of the target.
  void Fill(const QRect& r, quint32 value) {
    const QRect area = r.translated(Origin) & Clip;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      auto* line = reinterpret_cast<quint32*>(Bits + static_cast<qsizetype>(y) * Stride);
      std::fill(line + area.left(), line + area.right() + 1, value);
    }
  }

  // The runs of pixels the text written with its top-left corner at (0, 0)
  // sets, for the painter's font.
  const std::vector<QRect>& TextRuns(const QString& text, const QFontMetrics& metrics) {
    thread_local std::map<std::pair<QString, QString>, std::vector<QRect>> kept;
    const QFont& font = Painter.font();
    const auto key = std::pair(FontKey, text);
    if (const auto it = kept.find(key); it != kept.end()) {
      return it->second;
    }
    if (kept.size() > 256) {
      kept.clear();
    }
    std::vector<QRect>& runs = kept[key];
    // Room around the text for letters reaching past their advance.
    const int margin = metrics.height();
    QImage layer(metrics.horizontalAdvance(text) + 2 * margin, 3 * metrics.height(),
                 QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
      QPainter painter(&layer);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(QPoint(margin, margin + metrics.ascent()), text);
    }
    AddRuns(layer, QPoint(-margin, -margin), runs);
    return runs;
  }

  // The rows' runs of the layer's pixels that are not transparent, moved
  // by `shift`.
  static void AddRuns(const QImage& layer, QPoint shift, std::vector<QRect>& runs) {
    for (int y = 0; y < layer.height(); ++y) {
      const auto* line = reinterpret_cast<const quint32*>(layer.constScanLine(y));
      for (int x = 0; x < layer.width();) {
        if (qAlpha(line[x]) == 0) {
          ++x;
          continue;
        }
        const int from = x;
        while (x < layer.width() && qAlpha(line[x]) != 0) {
          ++x;
        }
        runs.emplace_back(QPoint(from, y) + shift, QPoint(x - 1, y) + shift);
      }
    }
  }

  // The runs of pixels of the picture the lines joining the points cover,
  // one row high each.
  struct TCoveredRuns {
    std::vector<QPoint> Points;
    int Width = 0;
    QSize Size;
    std::vector<QRect> Runs;
  };
  const std::vector<QRect>& CoveredRuns(std::span<const QPoint> points) {
    // Two slots: the DGS curve and its corrected copy are drawn each frame.
    thread_local std::array<TCoveredRuns, 2> kept;
    thread_local std::size_t next = 0;
    thread_local const std::vector<QRect> none;
    if (Clip.isEmpty()) {
      return none;
    }
    // The picture as far as its part on the target reaches.
    const QSize picture(Clip.right() - Origin.x() + 1, Clip.bottom() - Origin.y() + 1);
    for (TCoveredRuns& k : kept) {
      if (k.Width == V && k.Size == picture &&
          std::equal(points.begin(), points.end(), k.Points.begin(), k.Points.end())) {
        return k.Runs;
      }
    }
    TCoveredRuns& k = kept[next];
    next = (next + 1) % kept.size();
    k.Points.assign(points.begin(), points.end());
    k.Width = V;
    k.Size = picture;
    k.Runs.clear();
    QImage layer(picture, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
      QPainter painter(&layer);
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.setPen(QPen(Qt::black, V, Qt::SolidLine, Qt::SquareCap));
      for (std::size_t i = 1; i < points.size(); ++i) {
        painter.drawLine(points[i - 1], points[i]);
      }
    }
    AddRuns(layer, QPoint(0, 0), k.Runs);
    return k.Runs;
  }
};

// ---- Frames ----------------------------------------------------------------

void DrawOutline(TPicture& p, double top, double bottom) {
  p.HLine(0, 321, top, kFrameColour);
  p.HLine(0, 321, bottom, kFrameColour);
  p.VLine(0, top, bottom, kFrameColour);
  p.VLine(321, top, bottom, kFrameColour);
}

void DrawFrames(TPicture& p, const TLayout& layout) {
  if (layout.Split) {
    DrawOutline(p, 0, 91);
    DrawOutline(p, 91, 105);
    DrawOutline(p, 105, 196);
  } else {
    DrawOutline(p, 0, 181);
    DrawOutline(p, 181, 195);
  }
}

// ---- Traces ----------------------------------------------------------------

// Pulls a column's ends to the previous column's adjusted ends.
void Adjust(int& top, int& bottom, int& prevTop, int& prevBottom) {
  bottom = std::min(bottom, prevTop);
  top = std::max(top, prevBottom);
  prevTop = top;
  prevBottom = bottom;
}

void DrawFullTrace(TPicture& p, const TDataCell& record, std::uint8_t type, int last) {
  const TEnvelope a(record.FirstMaximums);
  const TEnvelope b(record.FirstMinimums);
  const TEnvelope c(record.SecondMaximums);
  switch (type) {
    case 0:
      for (int k = 1; k <= last; ++k) {
        p.VLine(k + 1, 181, 181 - a(k), kTraceColour);
      }
      break;
    case 1:
      for (int k = 0; k <= last - 1; ++k) {
        p.VLine(k + 1, 180 - a(k == 0 ? 0 : k - 1), 180 - a(k), kTraceColour);
      }
      break;
    case 2:
    case 3: {
      const TEnvelope& low = type == 2 ? c : b;
      const int shift = type == 2 ? 0 : 1;
      int prevTop = a(0);
      int prevBottom = low(0);
      for (int k = 1; k <= last; ++k) {
        int top = a(k - shift);
        int bottom = low(k - shift);
        Adjust(top, bottom, prevTop, prevBottom);
        p.VLine(k, 180 - bottom, 180 - top, kTraceColour);
      }
      break;
    }
    default:
      break;
  }
}

void DrawSplitTrace(TPicture& p, const TDataCell& record, std::uint8_t type, int last) {
  const TEnvelope a(record.FirstMaximums);
  const TEnvelope b(record.FirstMinimums);
  const TEnvelope c(record.SecondMaximums);
  const TEnvelope d(record.SecondMinimums);
  switch (type) {
    case 0:
      for (int k = 1; k <= last; ++k) {
        p.VLine(k, 91, 91 - a(k - 1) / 2, kTraceColour);
        p.VLine(k, 195, 195 - c(k) / 2, kTraceColour);
      }
      break;
    case 1: {
      // The previous value of the first column is its own; a flat step is
      // one row tall.
      const auto step = [&p](int column, int base, int previous, int value) {
        const int from = previous == value ? base - value - 1 : base - previous;
        p.VLine(column, from, base - value, kTraceColour);
      };
      for (int k = 1; k <= last; ++k) {
        const int before = k == 1 ? 0 : k - 2;
        step(k, 90, a(before) / 2, a(k - 1) / 2);
        step(k, 195, c(before) / 2, c(k - 1) / 2);
      }
      break;
    }
    case 3: {
      int prevTop1 = a(0);
      int prevBottom1 = b(0);
      int prevTop2 = c(0);
      int prevBottom2 = d(0);
      for (int k = 1; k <= last; ++k) {
        int top1 = a(k - 1);
        int bottom1 = b(k - 1);
        Adjust(top1, bottom1, prevTop1, prevBottom1);
        p.VLine(k, 90 - bottom1 / 2, 90 - top1 / 2, kTraceColour);
        int top2 = c(k - 1);
        int bottom2 = d(k - 1);
        Adjust(top2, bottom2, prevTop2, prevBottom2);
        p.VLine(k, 195 - bottom2 / 2, 195 - top2 / 2, kTraceColour);
      }
      break;
    }
    default:
      break;
  }
}

// ---- Grid and scale ----------------------------------------------------------

struct TScale {
  double GridStep = 0;  // columns
  double LabelStep = 0;
  int Unit = kMicrosecondUnit;
};

TScale ScaleOf(const TBaseConfigCell& cell) {
  TScale scale;
  if (cell.SCREEN_UNITS != 1 && cell.SCREEN_UNITS != 2) {
    scale.GridStep = cell.PIXEL_GRID_LENGTH;
    scale.LabelStep = cell.TimePerDivision();
    return scale;
  }
  static constexpr double kMarks[] = {0.1, 0.5, 1,   2,   5,    10,  20,
                                      50,  100, 200, 500, 1000, 2000};
  double step = cell.PIXEL_GRID_LENGTH_MM;
  unsigned index = cell.INDEX_MARK_MM;
  const auto* depthScale = dynamic_cast<const T3_17ConfigCell*>(&cell);
  if (cell.SCREEN_UNITS == 2 && depthScale != nullptr) {
    step = depthScale->PIXEL_GRID_LENGTH_MM_DEPTH;
    index = depthScale->INDEX_MARK_MM_DEPTH;
  }
  index = std::min(index, 12U);
  scale.GridStep = step;
  scale.LabelStep = kMarks[index];
  scale.Unit = kMillimetreUnit;
  if (index >= kFirstMetreMark) {
    scale.LabelStep /= 1000;
    scale.Unit = kMetreUnit;
  }
  return scale;
}

QString ScaleNumber(double value, double labelStep, char decimalSeparator) {
  if (labelStep >= 1) {
    return QString::number(Rnd(value), 'f', 0);
  }
  QString text = QString::number(value, 'f', 1);
  text.replace(QLatin1Char('.'), QLatin1Char(decimalSeparator));
  return text;
}

void DrawGrid(TPicture& p, const TBaseConfigCell& cell, const TLayout& layout) {
  const TScale scale = ScaleOf(cell);
  const int bottom = layout.ScaleRow;
  if (scale.GridStep > 0 && std::isfinite(scale.GridStep)) {
    for (int n = 1; n * scale.GridStep < 320; ++n) {
      const int column = RndTo<int>(n * scale.GridStep) + 1;
      p.DashedV(column, 1, bottom, kGridColour);
      if (column < 275) {
        const QString label =
            ScaleNumber(n * scale.LabelStep, scale.LabelStep, cell.NumberFormat().DecimalSeparator);
        p.Write(p.X(column) - p.TextWidth(label) / 2, p.Y(bottom) + 1, label, kGridColour);
      }
    }
  }
  const QString unit = Text(ValueString(static_cast<std::uint16_t>(scale.Unit)));
  p.Write(320 * p.V - 10 * p.V - p.TextWidth(unit), p.Y(bottom), unit, kGridColour);

  const std::array<int, 4> rows =
      layout.Split ? std::array<int, 4>{1, 46, 106, 151} : std::array<int, 4>{1, 46, 91, 136};
  for (const int row : rows) {
    p.DashedH(1, 320, row, kGridColour);
  }

  const auto at = [&p](int row, const char* text) {
    p.Write(p.X(1), p.Y(row), QString::fromLatin1(text), kAmplitudeNumberColour);
  };
  const auto endingAt = [&p](int row, const char* text) {
    p.Write(p.X(1), p.Y(row) - p.FontHeight(), QString::fromLatin1(text), kAmplitudeNumberColour);
  };
  const bool radioFrequency = cell.SIGNAL_TYPE == 3;
  if (!layout.Split && !radioFrequency) {
    at(1, "100");
    at(46, "75");
    at(91, "50");
    at(136, "25");
  } else if (!layout.Split) {
    at(91, "0");
    at(46, "50");
    at(1, "100");
    endingAt(134, "50");
    endingAt(179, "100");
  } else if (!radioFrequency) {
    at(1, "100");
    at(46, "50");
  } else {
    at(46, "0");
    at(1, "100");
    endingAt(89, "100");
  }
}

// ---- Strobes, cursor and marker --------------------------------------------------

double LevelRow(std::uint8_t percent, int h) { return (100.0 - percent) * h / 100.0 + 1; }

void DrawStrobes(TPicture& p, const TBaseConfigCell& cell, int h) {
  if (cell.CURSOR_1_ENABLED == 0) {
    const int begin = cell.StrobeBeginPixel(0);
    const int end = cell.StrobeEndPixel(0);
    const double row = LevelRow(cell.STROBE_1_LEVEL_PERCENT, h);
    p.HLine(begin + 1, end + 1, row, kStrobe1Colour);
    for (const int column : {begin + 1, end + 1}) {
      p.VLine(column, row - 2, row + 2, kStrobe1Colour);
    }
  }
  if (cell.CURSOR_2_ENABLED == 0) {
    const int begin = cell.StrobeBeginPixel(1);
    const int end = cell.StrobeEndPixel(1);
    const double row = LevelRow(cell.STROBE_2_LEVEL_PERCENT, h);
    p.HLine(begin + 3, end - 1, row, kStrobe2Colour);
    for (const int column : {begin + 1, end + 1, begin + 3, end - 1}) {
      p.VLine(column, row - 2, row + 2, kStrobe2Colour);
    }
  }
}

void DrawMarker(TPicture& p, const TDataCell& record, const TBaseConfigCell& cell,
                const TLayout& layout) {
  const int column = cell.MeasurementPosition();
  if (column == 0 || cell.SIGNAL_TYPE == 3) {
    return;
  }
  int amplitude = static_cast<int>(SampleAmplitude(record));
  if (layout.Split) {
    amplitude /= 2;
  }
  const int row = layout.H + 1 - amplitude;
  p.VLine(column, row, row - 2, kMarkerColour);
  p.HLine(column - 2, column + 2, row - 2, kMarkerColour);
  p.VLine(column - 1, row - 1, row - 2, kMarkerColour);
  p.VLine(column + 1, row - 1, row - 2, kMarkerColour);
}

// A dash-dot line from row 1 to row h + 1, `shift` pixels lower down.
void DrawCursorLine(TPicture& p, int column, int h, int shift = 0) {
  const int dashDot[] = {4 * p.V, 2 * p.V, p.V, 2 * p.V};
  p.DashedPixels(p.X(column), p.Y(1) + shift, p.Y(h + 1) + shift, kCursorColour, dashDot, p.V);
}

void DrawCursors(TPicture& p, const TBaseConfigCell& cell, const TLayout& layout) {
  if (cell.VCURSOR_ENABLED == 0 || (cell.USED_MODE & kCursorModeBits) == kCursorModeBits) {
    DrawCursorLine(p, cell.CURSOR_POSITION, layout.H);
  }
  const auto* magnifier = dynamic_cast<const T4_03ConfigCell*>(&cell);
  if (magnifier != nullptr && layout.Split && magnifier->CURSOR_IS_IN_LUPA != 0) {
    DrawCursorLine(p, magnifier->PeakPosition(), layout.H, kMagnifierCursorShift);
  }
  const auto* twoCursors = dynamic_cast<const T5_01ConfigCell*>(&cell);
  if (twoCursors != nullptr && twoCursors->STROBE_ALGORYTHM == 3 && twoCursors->VCURSOR_2 != 0) {
    DrawCursorLine(p, twoCursors->VCURSOR_2, layout.H);
  }
}

// ---- TGV curve ----------------------------------------------------------------

void DrawTgv(TPicture& p, const TDataCell& record, const TBaseConfigCell& cell, int h) {
  const int points = std::min<int>(cell.TGV_NUMBER, kTgvPoints);
  const auto point = [&](int i) {
    const auto n = static_cast<std::uint8_t>(i);
    return p.At(cell.TgvPointPixel(n) + 1, h + 1 - cell.TgvPointRow(n));
  };
  for (int i = 1; i < points && cell.TgvPointPixel(static_cast<std::uint8_t>(i - 1)) < 321; ++i) {
    const QPoint here = point(i);
    p.Line(here, point(i - 1), kTgvLineColour);
    p.Block(here.x() - p.V, here.y() - p.V, here.x() + p.V, here.y() + p.V, kTgvPointColour, 1);
  }

  const bool onPoint =
      record.GrabbedObject == kTgvPointObject || record.HoverObject == kTgvPointObject;
  const int i = record.TgvPointUnderMouse;
  if (onPoint && i < kTgvPoints) {
    const int gain = cell.TGV_GAIN[static_cast<std::size_t>(i)];
    const int next = i + 1 < kTgvPoints ? cell.TGV_GAIN[static_cast<std::size_t>(i + 1)] : gain;
    const QString label =
        QString::number(gain) + QLatin1Char(' ') + Text(ValueString(kDecibelUnit));
    const auto n = static_cast<std::uint8_t>(i);
    const int column = cell.TgvPointPixel(n) + 1;
    const int row = h + 1 - cell.TgvPointRow(n);
    const int top = gain >= next && gain < 28 ? p.Y(row - 3) - p.FontHeight() : p.Y(row + 2);
    p.Write(p.X(column), top, label, kTgvPointColour, kBackgroundColour);
  }

  const bool onCurve =
      record.GrabbedObject == kTgvCurveObject || record.HoverObject == kTgvCurveObject;
  if (onCurve) {
    const double position = record.TgvPositionUnderMouse;
    QString label;
    if (cell.SCREEN_UNITS == 1 || cell.SCREEN_UNITS == 2) {
      label = QString::number(position * cell.VELOCITY / 2000.0, 'f', 1);
      label.replace(QLatin1Char('.'), QLatin1Char(cell.NumberFormat().DecimalSeparator));
      label += QLatin1Char(' ') + Text(ValueString(kMillimetreUnit));
    } else {
      label = QString::number(record.TgvPositionUnderMouse) + QLatin1Char(' ') +
              Text(ValueString(kMicrosecondUnit));
    }
    const int column = RndTo<int>(cell.TimeToPixels(position)) + 1;
    const int row = h + 1 - cell.TgvCurveRow(position) - 11;
    p.Write(p.X(column), p.Y(row), label, kTgvPointColour, kBackgroundColour);
  }
}

// ---- DGS curves ------------------------------------------------------------------

void DrawDgsCurve(TPicture& p, const std::array<double, kRecordArraySize>& curve, int h,
                  int colour) {
  std::array<QPoint, kRecordArraySize> points;
  for (std::size_t j = 0; j < curve.size(); ++j) {
    points[j] = p.At(static_cast<int>(j) + 1, h + 1 - curve[j]);
  }
  p.Lines(points, colour);
}

// The DGS curves of the last configuration they were worked out for: they
// depend on nothing else, and working them out (a power and an exponential
// or two per column) costs more than the rest of a frame's picture.
class TDgsCurveCache {
 public:
  // Fills the record's curves as the cell's DgsCurve does, and false when
  // the cell lacks DGS data.
  bool Fill(TDataCell& record, TBaseConfigCell& cell) {
    const TKey key = KeyOf(cell);
    if (!(Valid && key == Key)) {
      Valid = false;
      Complete = cell.DgsCurve(Times, Raw, Corrected);
      Key = key;
      Valid = true;
    } else if (Complete) {
      // The cell keeps the model's working values of its last curve.
      cell.DgsPointLevel(0);
    }
    if (Complete) {
      record.DgsCurve1 = Times;
      record.DgsCurve2 = Raw;
      record.DgsCurve3 = Corrected;
    }
    return Complete;
  }

 private:
  // All the curves are made from: the model's inputs, the time axis and
  // the attenuator.
  using TKey = std::array<double, 11>;
  static TKey KeyOf(const TBaseConfigCell& cell) {
    return {static_cast<double>(cell.VELOCITY),
            cell.ProbeFrequencyMHz(),
            cell.InsertionAngle(),
            cell.ARD_PLATE_DIAMETER,
            cell.PROBE_DELAY,
            cell.ARD_ATTENUATION,
            cell.ARD_SIGNAL_AMPLITUDE,
            cell.ARD_PLATE_FLOOR_DIAMETER,
            cell.TimePerDivision(),
            static_cast<double>(cell.PIXEL_GRID_LENGTH),
            static_cast<double>(cell.ATTENUATOR1)};
  }

  bool Valid = false;
  TKey Key{};
  bool Complete = false;
  std::array<double, kRecordArraySize> Times{};
  std::array<double, kRecordArraySize> Raw{};
  std::array<double, kRecordArraySize> Corrected{};
};

void DrawDgs(TPicture& p, TDataCell& record, TBaseConfigCell& cell, int h) {
  thread_local TDgsCurveCache cache;
  if (!cache.Fill(record, cell)) {
    const int middle = p.PixelHeight() / 2;
    const int font = p.FontHeight();
    int line = 0;
    for (const int entry : {kDgsDataMissing1, kDgsDataMissing2}) {
      const QString text = Text(ErrorString(static_cast<std::uint16_t>(entry)));
      const int top = middle - (line == 0 ? 3 : 1) * font;
      p.Write((kColumns * p.V - p.TextWidth(text)) / 2, top, text, kGridColour, kBackgroundColour);
      ++line;
    }
    return;
  }
  DrawDgsCurve(p, record.DgsCurve3, h, kDgsColour);
  if (cell.ARD_CORRECTION != 0) {
    const double divisor = std::pow(10.0, cell.ARD_CORRECTION / 20.0);
    for (double& value : record.DgsCurve3) {
      value /= divisor;
    }
    DrawDgsCurve(p, record.DgsCurve3, h, kCorrectedDgsColour);
  }
}

}  // namespace

QSize SignalViewSize(int v, double e) { return {kColumns * v, RndTo<int>(kRows * e)}; }

namespace {

// The whole picture drawn onto the target with its top-left corner at
// `origin`; what falls outside the target is left out.
void PaintSignalView(TDataCell& record, QImage& target, QPoint origin, double e, int v,
                     const TColourScheme& scheme, bool reportForm) {
  const QSize size = SignalViewSize(v, e);
  TPicture picture(target, origin, QSize(std::max(1, size.width()), std::max(1, size.height())),
                   v, e, scheme);
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return;
  }
  const TLayout layout = LayoutOf(*cell);
  if (layout.Drawn) {
    DrawFrames(picture, layout);
    const int last = kLastDrawnSample + (reportForm ? 2 : 0);
    if (layout.Split) {
      DrawSplitTrace(picture, record, cell->SIGNAL_TYPE, last);
    } else {
      DrawFullTrace(picture, record, cell->SIGNAL_TYPE, last);
    }
    DrawGrid(picture, *cell, layout);
  }
  DrawStrobes(picture, *cell, layout.H);
  DrawMarker(picture, record, *cell, layout);
  DrawCursors(picture, *cell, layout);
  if (cell->TVG_ENABLED == 1) {
    DrawTgv(picture, record, *cell, layout.H);
  } else if (cell->TVG_ENABLED == 2) {
    DrawDgs(picture, record, *cell, layout.H);
  }
}

// Onto the target at `origin`: straight onto a target of the picture's own
// format, through a picture of its own onto any other.
void PaintSignalViewOnto(TDataCell& record, QImage& target, QPoint origin, double e, int v,
                         const TColourScheme& scheme, bool reportForm) {
  if (target.format() == QImage::Format_RGB32) {
    PaintSignalView(record, target, origin, e, v, scheme, reportForm);
    return;
  }
  const QImage picture = RenderSignalView(record, e, v, scheme, reportForm);
  QPainter painter(&target);
  painter.drawImage(origin, picture);
}

}  // namespace

QImage RenderSignalView(TDataCell& record, double e, int v, const TColourScheme& scheme,
                        bool reportForm) {
  const QSize size = SignalViewSize(v, e);
  QImage image(std::max(1, size.width()), std::max(1, size.height()), QImage::Format_RGB32);
  PaintSignalView(record, image, QPoint(0, 0), e, v, scheme, reportForm);
  return image;
}

void DrawSignalView(TDataCell& record, TSignalSurface& surface, bool toClipboard, double e, int y0,
                    int x0, int v, const TColourScheme& scheme) {
  if (toClipboard) {
    QGuiApplication::clipboard()->setImage(RenderSignalView(record, e, v, scheme));
    return;
  }
  QImage* canvas = surface.Canvas();
  if (canvas == nullptr || canvas->isNull()) {
    return;
  }
  // Straight onto the canvas: no picture of its own to make and copy.
  PaintSignalViewOnto(record, *canvas, QPoint(x0, y0), e, v, scheme, false);
  surface.Present();
}

void DrawSignalViewIntoReport(TDataCell& record, QImage& reportImage, double e, int x, int y,
                              int v) {
  if (reportImage.isNull()) {
    return;
  }
  PaintSignalViewOnto(record, reportImage, QPoint(x, y), e, v, PrintColourScheme(), true);
}

void ClearSignalView(TSignalSurface& surface) {
  QImage* canvas = surface.Canvas();
  if (canvas == nullptr || canvas->isNull()) {
    return;
  }
  canvas->fill(QColor::fromRgb(0, 0, 0));
  surface.Present();
}

}  // namespace velt
