#include <ui/widgets/Lcd99.h>

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstdlib>

namespace velt {

namespace {

// The segment font: top, upper left, upper right, middle, lower left, lower
// right, bottom, colon.
struct TGlyph {
  char Char;
  const char* Bits;
};

constexpr TGlyph kFont[] = {
    {'0', "11101110"}, {'1', "00100100"}, {'2', "10111010"}, {'3', "10110110"}, {'4', "01110100"},
    {'5', "11010110"}, {'6', "11011110"}, {'7', "10100100"}, {'8', "11111110"}, {'9', "11110110"},
    {'-', "00010000"}, {':', "00000001"}, {'A', "11111100"}, {'B', "01011110"}, {'C', "11001010"},
    {'D', "00111110"}, {'E', "11011010"}, {'F', "11011000"}, {'G', "11011110"}, {'H', "01011100"},
    {'I', "00100100"}, {'J', "00100110"}, {'K', "01111100"}, {'L', "01001010"}, {'M', "00011100"},
    {'N', "00011100"}, {'O', "00011110"}, {'P', "11111000"}, {'Q', "11110100"}, {'R', "00011000"},
    {'S', "11010110"}, {'T', "01011000"}, {'U', "01101110"}, {'V', "01101110"}, {'W', "01101110"},
    {'X', "01111100"}, {'Y', "01110100"}, {'Z', "10111010"},
};

bool Accepted(char16_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '-' || c == ' ' || c == '.' ||
         c == ':';
}

// num / den rounded to the nearest integer, halves to the even one (den > 0).
int Nearest(int num, int den) {
  int quotient = num / den;
  const int twice = 2 * std::abs(num % den);
  if (twice > den || (twice == den && quotient % 2 != 0)) {
    quotient += num < 0 ? -1 : 1;
  }
  return quotient;
}

template <typename T>
bool Store(T& field, const T& value) {
  if (field == value) {
    return false;
  }
  field = value;
  return true;
}

}  // namespace

// The measures of one digit position at the current size.
struct TLCD99::TCell {
  int X;   // left edge of the digit
  int W;   // digit width
  int H;   // usable height
  int P;   // cell pitch beyond the digit
  int S;   // segment thickness
  int Lh;  // horizontal segment length
  int Lv;  // vertical segment length
};

TLCD99::TLCD99(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted here: no background erasing before a paint.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  resize(92, 34);
}

void TLCD99::SetValue(const QString& value) {
  QString text;
  text.reserve(value.size());
  for (const QChar c : value) {
    char16_t u = c.unicode();
    // Only the Latin letters have patterns: a wider upper-casing would let
    // characters like "ß" through as "SS".
    if (u >= 'a' && u <= 'z') {
      u = static_cast<char16_t>(u - 'a' + 'A');
    }
    if (!Accepted(u)) {
      text.clear();
      break;
    }
    text += QChar(u);
  }
  // A point lights the digit after it; at the end there is none.
  while (text.endsWith(QLatin1Char('.'))) {
    text.chop(1);
  }
  if (text == FValue) {
    return;
  }
  FValue = text;
  emit ValueChanged(FValue);
  // The characters look the same: only the buffer is stale.
  Buffer = QImage();
  update();
}

void TLCD99::Changed() {
  Buffer = QImage();
  Glyphs.clear();
  update();
}

void TLCD99::SetDigitNum(int value) {
  if (Store(FDigitNum, std::max(1, value))) Changed();
}
void TLCD99::SetDigitSpacing(int value) {
  if (Store(FDigitSpacing, std::max(0, value))) Changed();
}
void TLCD99::SetSegmentSize(int value) {
  if (Store(FSegmentSize, std::max(1, value))) Changed();
}
void TLCD99::SetGapX(int value) {
  if (Store(FGapX, std::max(0, value))) Changed();
}
void TLCD99::SetGapY(int value) {
  if (Store(FGapY, std::max(0, value))) Changed();
}
void TLCD99::SetOnColor(const QColor& value) {
  if (Store(FOnColor, value)) Changed();
}
void TLCD99::SetOffColor(const QColor& value) {
  if (Store(FOffColor, value)) Changed();
}
void TLCD99::SetColor(const QColor& value) {
  if (Store(FColor, value)) Changed();
}
void TLCD99::SetDotSpacing(int value) {
  if (Store(FDotSpacing, value)) Changed();
}
void TLCD99::SetDoubleBuffer(bool value) {
  if (Store(FDoubleBuffer, value)) Changed();
}

TLCD99::TPattern TLCD99::Pattern(QChar c) {
  TPattern pattern{};
  for (const TGlyph& glyph : kFont) {
    if (c == QLatin1Char(glyph.Char)) {
      for (int i = 0; i < SegmentCount; ++i) {
        pattern[static_cast<size_t>(i)] = glyph.Bits[i] == '1';
      }
      break;
    }
  }
  return pattern;
}

TLCD99::TDigits TLCD99::SplitDigits(const QString& value, int digitNum) {
  TDigits digits;
  bool point = false;
  for (const QChar c : value) {
    if (c == QLatin1Char('.')) {
      // Two points in a row: an empty position between them carries the first.
      if (point) {
        digits.Chars += QLatin1Char(' ');
        digits.Points += QLatin1Char('.');
      }
      point = true;
    } else {
      digits.Chars += c;
      digits.Points += QLatin1Char(point ? '.' : ' ');
      point = false;
    }
  }
  // A text longer than the readout keeps its leading (most significant) part.
  const qsizetype count = std::max(0, digitNum);
  digits.Chars.truncate(count);
  digits.Points.truncate(count);
  digits.Chars = digits.Chars.rightJustified(count, QLatin1Char(' '));
  digits.Points = digits.Points.rightJustified(count, QLatin1Char(' '));
  return digits;
}

TLCD99::TCell TLCD99::Cell(int digit) const {
  TCell cell{};
  cell.P = FDigitSpacing + 1;
  cell.S = FSegmentSize;
  cell.H = height() - 1;
  cell.W = (width() - cell.P - 1 - FDigitNum * cell.P) / FDigitNum;
  cell.X = cell.P + digit * (cell.P + cell.W);
  cell.Lh = cell.W - 2 * FGapX;
  cell.Lv = cell.H / 2 - 2 * FGapY;
  return cell;
}

QPolygon TLCD99::SegmentPolygon(int digit, TSegment segment) const {
  const TCell c = Cell(digit);
  const int s = c.S;
  const auto horizontal = [&](int y, int t) {
    const int x = c.X + FGapX;
    const int slope = Nearest(t, 4);
    return QPolygon({QPoint(x, y + slope), QPoint(x + s / 2, y), QPoint(x + c.Lh - s / 2, y),
                     QPoint(x + c.Lh, y + slope), QPoint(x + c.Lh - s, y + t),
                     QPoint(x + s, y + t)});
  };
  const auto vertical = [&](int x, int y, int t) {
    const int slope = Nearest(t, 4);
    return QPolygon({QPoint(x + slope, y), QPoint(x, y + s / 2), QPoint(x, y + c.Lv - s / 2),
                     QPoint(x + slope, y + c.Lv), QPoint(x + t, y + c.Lv - s),
                     QPoint(x + t, y + s)});
  };
  switch (segment) {
    case Top:
      return horizontal(0, s);
    case Bottom:
      return horizontal(c.H, -s);
    case Middle: {
      const int x = c.X + FGapX;
      const int y = c.H / 2 - s / 2;
      const int half = Nearest(s, 2);
      return QPolygon({QPoint(x, y + half), QPoint(x + s, y), QPoint(x + c.Lh - s, y),
                       QPoint(x + c.Lh, y + half), QPoint(x + c.Lh - s, y + s),
                       QPoint(x + s, y + s)});
    }
    case UpperLeft:
      return vertical(c.X, FGapY, s);
    case LowerLeft:
      return vertical(c.X, c.H / 2 + FGapY, s);
    case UpperRight:
      return vertical(c.X + c.W, FGapY, -s);
    case LowerRight:
      return vertical(c.X + c.W, c.H / 2 + FGapY, -s);
    case Colon:
    case SegmentCount:
      break;
  }
  return QPolygon();
}

std::array<QRect, 2> TLCD99::ColonRects(int digit) const {
  const TCell c = Cell(digit);
  const int w = c.Lh / 3;
  const int h = c.Lv / 3;
  const int left = c.X + (c.W - w) / 2;
  const int middle = c.H / 2;
  return {QRect(left, middle - 2 * h, w, h), QRect(left, middle + h, w, h)};
}

QRect TLCD99::PointRect(int digit) const {
  const TCell c = Cell(digit);
  const int side = std::min(c.S, c.P - 2);
  // Rests on the bottom line, in the gap left of the digit.
  return QRect(c.X - (c.P + side) / 2, c.H - side + 1, side, side);
}

void TLCD99::Draw(QPainter& painter) const {
  painter.fillRect(QRect(0, 0, width(), height()), FColor);
  if (Cell(0).W <= 0) {
    return;  // too narrow for any digit
  }
  const TDigits digits = SplitDigits(FValue, FDigitNum);
  for (int j = 0; j < FDigitNum; ++j) {
    const QRect point = PointRect(j);
    if (!point.isEmpty()) {
      painter.fillRect(point, digits.Points[j] == QLatin1Char('.') ? FOnColor : FOffColor);
    }
  }
  // Opaque colours set whole pixels: a character's segments drawn once on
  // a layer of their own and laid over each position that shows it are the
  // pixels drawing them there gives.
  const bool layered = FOnColor.alpha() == 255 && FOffColor.alpha() == 255;
  if (layered && GlyphSize != size()) {
    Glyphs.clear();
    GlyphSize = size();
  }
  const int first = Cell(0).X;
  for (int j = 0; j < FDigitNum; ++j) {
    const QChar c = digits.Chars[j];
    if (!layered) {
      DrawDigit(painter, j, c);
      continue;
    }
    auto glyph = Glyphs.find(c.unicode());
    if (glyph == Glyphs.end()) {
      QImage layer(size(), QImage::Format_ARGB32_Premultiplied);
      layer.fill(Qt::transparent);
      QPainter layerPainter(&layer);
      DrawDigit(layerPainter, 0, c);
      layerPainter.end();
      glyph = Glyphs.emplace(c.unicode(), std::move(layer)).first;
    }
    painter.drawImage(Cell(j).X - first, 0, glyph->second);
  }
}

void TLCD99::DrawDigit(QPainter& painter, int digit, QChar c) const {
  const TPattern pattern = Pattern(c);
  for (int i = 0; i < SegmentCount; ++i) {
    const QColor color = pattern[static_cast<size_t>(i)] ? FOnColor : FOffColor;
    painter.setPen(QPen(color));
    painter.setBrush(color);
    const auto segment = static_cast<TSegment>(i);
    if (segment == Colon) {
      for (const QRect& dot : ColonRects(digit)) {
        painter.drawEllipse(dot);
      }
    } else {
      const QPolygon outline = SegmentPolygon(digit, segment);
      painter.drawPolygon(outline);
      // The rasteriser leaves out some line ends; the corners belong to
      // the segment all the same, on the right as on the left.
      painter.drawPoints(outline);
    }
  }
}

QImage TLCD99::RenderImage() const {
  if (width() <= 0 || height() <= 0) {
    return QImage();
  }
  QImage image(size(), QImage::Format_RGB32);
  if (image.isNull()) {
    return image;
  }
  QPainter painter(&image);
  Draw(painter);
  return image;
}

void TLCD99::paintEvent(QPaintEvent*) {
  if (Painting) {
    return;
  }
  Painting = true;
  QPainter painter(this);
  // The buffer is kept until the value, a property or the size changes: a
  // readout repainted with its old value is only copied.
  if (FDoubleBuffer && Buffer.size() != size()) {
    Buffer = RenderImage();
  }
  if (!FDoubleBuffer || Buffer.isNull()) {
    Draw(painter);  // unbuffered, or no memory for the buffer
  } else {
    painter.drawImage(0, 0, Buffer);
  }
  Painting = false;
}

}  // namespace velt
