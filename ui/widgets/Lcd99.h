// A small seven-segment readout like an instrument's LCD: a short text of
// digits, letters, "-", ":" and decimal points drawn as lit and unlit segments.
#pragma once

#include <QColor>
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <map>

class QPainter;

namespace velt {

class TLCD99 : public QWidget {
  Q_OBJECT

 public:
  // The segments of a digit position, in the order of the font patterns.
  enum TSegment {
    Top,
    UpperLeft,
    UpperRight,
    Middle,
    LowerLeft,
    LowerRight,
    Bottom,
    Colon,
    SegmentCount
  };
  using TPattern = std::array<bool, SegmentCount>;

  // A value split into digit positions: one character per position and a
  // parallel string with "." where the position's decimal point is lit
  // (blank elsewhere), both right-aligned to the number of positions.
  struct TDigits {
    QString Chars;
    QString Points;
  };

  explicit TLCD99(QWidget* parent = nullptr);

  QString Value() const { return FValue; }
  // Upper-cases the text; a text with any character outside the digits,
  // A..Z, "-", ":", "." and blank clears the readout; trailing points go.
  void SetValue(const QString& value);

  int DigitNum() const { return FDigitNum; }
  void SetDigitNum(int value);
  int DigitSpacing() const { return FDigitSpacing; }
  void SetDigitSpacing(int value);
  int SegmentSize() const { return FSegmentSize; }
  void SetSegmentSize(int value);
  int GapX() const { return FGapX; }
  void SetGapX(int value);
  int GapY() const { return FGapY; }
  void SetGapY(int value);
  QColor OnColor() const { return FOnColor; }
  void SetOnColor(const QColor& value);
  QColor OffColor() const { return FOffColor; }
  void SetOffColor(const QColor& value);
  QColor Color() const { return FColor; }
  void SetColor(const QColor& value);
  // Kept for the dot-matrix style, which this readout does not draw.
  int DotSpacing() const { return FDotSpacing; }
  void SetDotSpacing(int value);
  bool DoubleBuffer() const { return FDoubleBuffer; }
  void SetDoubleBuffer(bool value);

  // The segments a character lights; a character without a pattern (blank)
  // lights none.
  static TPattern Pattern(QChar c);
  static TDigits SplitDigits(const QString& value, int digitNum);

  // The readout as it is painted, at its current size.
  QImage RenderImage() const;

  // The outline of a segment of digit position `digit` (0 = leftmost), the
  // boxes of the colon's two dots and the decimal point square, at the
  // current size. The colon has no outline of its own.
  QPolygon SegmentPolygon(int digit, TSegment segment) const;
  std::array<QRect, 2> ColonRects(int digit) const;
  QRect PointRect(int digit) const;

  QSize sizeHint() const override { return QSize(92, 34); }

 signals:
  void ValueChanged(const QString& value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct TCell;
  TCell Cell(int digit) const;
  void Draw(QPainter& painter) const;
  void DrawDigit(QPainter& painter, int digit, QChar c) const;
  void Changed();  // a property changed: buffer and characters are stale

  QString FValue;
  int FDigitNum = 4;
  int FDigitSpacing = 5;
  int FSegmentSize = 2;
  int FGapX = 2;
  int FGapY = 2;
  QColor FOnColor = QColor(0, 255, 0);
  QColor FOffColor = QColor(0, 0, 0);
  QColor FColor = QColor(0, 0, 0);
  int FDotSpacing = 2;
  bool FDoubleBuffer = true;
  bool Painting = false;
  QImage Buffer;
  // Each character's segments at the first position, for the size they
  // were drawn for.
  mutable std::map<char16_t, QImage> Glyphs;
  mutable QSize GlyphSize;
};

}  // namespace velt
