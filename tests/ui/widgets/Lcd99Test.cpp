// The seven-segment readout: the value rules, the splitting into digit
// positions and, by the pixels of rendered images, the segment font, the
// layout of the segments and points, and the double-buffered paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <ui/widgets/Lcd99.h>
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

// The segment font: top, upper left, upper right, middle, lower left, lower
// right, bottom, colon. A blank lights nothing.
const std::map<char, std::string>& Font() {
  static const std::map<char, std::string> font = {
      {'0', "11101110"}, {'1', "00100100"}, {'2', "10111010"}, {'3', "10110110"}, {'4', "01110100"},
      {'5', "11010110"}, {'6', "11011110"}, {'7', "10100100"}, {'8', "11111110"}, {'9', "11110110"},
      {'-', "00010000"}, {':', "00000001"}, {'A', "11111100"}, {'B', "01011110"}, {'C', "11001010"},
      {'D', "00111110"}, {'E', "11011010"}, {'F', "11011000"}, {'G', "11011110"}, {'H', "01011100"},
      {'I', "00100100"}, {'J', "00100110"}, {'K', "01111100"}, {'L', "01001010"}, {'M', "00011100"},
      {'N', "00011100"}, {'O', "00011110"}, {'P', "11111000"}, {'Q', "11110100"}, {'R', "00011000"},
      {'S', "11010110"}, {'T', "01011000"}, {'U', "01101110"}, {'V', "01101110"}, {'W', "01101110"},
      {'X', "01111100"}, {'Y', "01110100"}, {'Z', "10111010"}, {' ', "00000000"},
  };
  return font;
}

const QColor kOn(255, 0, 0);
const QColor kOff(31, 31, 31);
const QColor kBack(0, 0, 0);

// A readout as the online tab sets it up, 120 x 48. Worked out by hand:
// pitch 6, digit width (120 - 6 - 1 - 4 * 6) div 4 = 22, digits at x = 6,
// 34, 62, 90; usable height 47, half 23; horizontal segments 20 long,
// vertical ones 23 - 2 = 21; colon dots 6 x 7; points 2 x 2 at x - 4, y 46.
void SetUpOnline(TLCD99& lcd) {
  lcd.resize(120, 48);
  lcd.SetDigitNum(4);
  lcd.SetDotSpacing(0);
  lcd.SetGapX(1);
  lcd.SetGapY(1);
  lcd.SetOffColor(kOff);
  lcd.SetOnColor(kOn);
  lcd.SetColor(kBack);
}

int DigitX(int digit) {
  return 6 + 28 * digit;
}

char Lit(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  return c == kOn ? '1' : c == kOff ? '0' : c == kBack ? 'b' : '?';
}

// One pixel well inside each segment of a digit of the online readout.
std::string Segments(const QImage& image, int digit) {
  const int x = DigitX(digit);
  const char upper_dot = Lit(image, x + 11, 12);
  const char lower_dot = Lit(image, x + 11, 34);
  return {Lit(image, x + 11, 1),  Lit(image, x + 1, 11),
          Lit(image, x + 21, 11), Lit(image, x + 11, 23),
          Lit(image, x + 1, 34),  Lit(image, x + 21, 34),
          Lit(image, x + 11, 46), upper_dot == lower_dot ? upper_dot : '?'};
}

// Both pixels of the point left of a digit, "1" lit, "0" unlit.
char Point(const QImage& image, int digit) {
  const char a = Lit(image, DigitX(digit) - 4, 47);
  const char b = Lit(image, DigitX(digit) - 3, 46);
  return a == b ? a : '?';
}

QImage Render(const QString& value) {
  TLCD99 lcd;
  SetUpOnline(lcd);
  lcd.SetValue(value);
  return lcd.RenderImage();
}

TEST(Lcd99Test, SetValueNormalisesTheText) {
  const std::vector<std::pair<QString, QString>> cases = {
      {"off", "OFF"},
      {"12:30", "12:30"},
      {"a b-z", "A B-Z"},
      {"-12.3", "-12.3"},
      {"5.", "5"},
      {"5..", "5"},
      {".", ""},
      {"1#2", ""},
      {"12,5", ""},
      {"+1", ""},
      {"\t1", ""},
      {QString::fromUtf8("straße"), ""},
      {QString::fromUtf8("ı"), ""},
  };
  for (const auto& [input, stored] : cases) {
    TLCD99 lcd;
    lcd.SetValue("88");
    lcd.SetValue(input);
    EXPECT_EQ(lcd.Value(), stored) << input.toStdString();
  }
}

TEST(Lcd99Test, ChangeIsNotifiedOnlyWhenTheValueChanges) {
  TLCD99 lcd;
  QStringList notified;
  QObject::connect(&lcd, &TLCD99::ValueChanged,
                   [&notified](const QString& value) { notified << value; });
  lcd.SetValue("12");
  lcd.SetValue("12");
  lcd.SetValue("12.");  // the same value once the point is dropped
  lcd.SetValue("off");
  lcd.SetValue("OFF");
  lcd.SetValue("#");
  lcd.SetValue("?");  // empty again
  EXPECT_EQ(notified, QStringList({"12", "OFF", ""}));
}

TEST(Lcd99Test, SplitsIntoRightAlignedPositionsWithPoints) {
  struct TCase {
    QString Value;
    int DigitNum;
    QString Chars;
    QString Points;
  };
  const std::vector<TCase> cases = {
      {"12.3", 4, " 123", "   ."},   {"-12.3", 4, "-123", "   ."},   {"1..2", 4, " 1 2", "  .."},
      {".5", 4, "   5", "   ."},     {"", 3, "   ", "   "},          {"12:30", 5, "12:30", "     "},
      {"123456", 4, "1234", "    "}, {"1.2.3.4", 4, "1234", " ..."},
  };
  for (const TCase& c : cases) {
    const TLCD99::TDigits digits = TLCD99::SplitDigits(c.Value, c.DigitNum);
    EXPECT_EQ(digits.Chars, c.Chars) << c.Value.toStdString();
    EXPECT_EQ(digits.Points, c.Points) << c.Value.toStdString();
  }
}

TEST(Lcd99Test, EveryCharacterLightsItsSegments) {
  for (const auto& [c, bits] : Font()) {
    const QImage image = Render(QString(QChar(c)));
    EXPECT_EQ(Segments(image, 3), bits) << "character '" << c << "'";
    for (int digit = 0; digit < 3; ++digit) {
      EXPECT_EQ(Segments(image, digit), "00000000") << "character '" << c << "'";
    }
    for (int digit = 0; digit < 4; ++digit) {
      EXPECT_EQ(Point(image, digit), '0') << "character '" << c << "'";
    }
  }
}

TEST(Lcd99Test, ValuesShowRightAlignedWithTheirPoints) {
  struct TCase {
    QString Value;
    std::string Shown;   // the character of each position
    std::string Points;  // "1" where the point left of the position is lit
  };
  const std::vector<TCase> cases = {
      {"off", " OFF", "0000"},    {"12.3", " 123", "0001"}, {"-12.3", "-123", "0001"},
      {"1#2", "    ", "0000"},    {"5.", "   5", "0000"},   {"1..2", " 1 2", "0011"},
      {"8.8.:8", "88:8", "0110"},
  };
  for (const TCase& c : cases) {
    const QImage image = Render(c.Value);
    std::string points;
    for (int digit = 0; digit < 4; ++digit) {
      EXPECT_EQ(Segments(image, digit), Font().at(c.Shown[static_cast<size_t>(digit)]))
          << c.Value.toStdString() << " position " << digit;
      points += Point(image, digit);
    }
    EXPECT_EQ(points, c.Points) << c.Value.toStdString();
  }
}

// Exact pixels at the ends of the outlines, where the rounding of the bevel
// (halves to even), the segment lengths and the point square show.
TEST(Lcd99Test, OutlinesEndWhereTheLayoutPutsThem) {
  struct TPixel {
    int X;
    int Y;
    char Expected;  // '1' lit, 'b' background
  };
  const QImage eights = Render("8.888");
  const std::vector<TPixel> online = {
      {7, 0, '1'},                                 // top starts on the top row: 2 / 4 rounds to 0
      {27, 0, '1'},  {28, 0, 'b'},  {26, 2, 'b'},  // top is 20 long, bevelled
      {6, 1, '1'},   {6, 22, '1'},  {6, 23, 'b'},  // upper left: y 1 .. 1 + 21
      {28, 1, '1'},  {29, 11, 'b'},                // upper right drawn leftward from x 28
      {7, 22, 'b'},  {7, 23, '1'},  {27, 23, '1'}, {28, 23, 'b'},  // middle: 22 + 2 / 2
      {6, 24, '1'},  {28, 45, '1'}, {28, 46, 'b'},                 // lower verticals: 24 .. 45
      {7, 47, '1'},  {27, 47, '1'}, {7, 46, 'b'},                  // bottom: -2 / 4 rounds to 0 too
      {30, 47, '1'}, {31, 46, '1'}, {29, 47, 'b'}, {32, 47, 'b'}, {30, 45, 'b'},  // point
      {17, 12, '0'}, {17, 8, 'b'},  {17, 17, 'b'}, {17, 29, 'b'},  // colon dots, unlit
      {17, 34, '0'}, {17, 38, 'b'},
  };
  for (const TPixel& p : online) {
    EXPECT_EQ(Lit(eights, p.X, p.Y), p.Expected) << "pixel " << p.X << "," << p.Y;
  }

  // The control's own measures at 92 x 34: digit width 15, first digit at
  // x 6, horizontal segments 11 long from x 8, verticals 12 long.
  TLCD99 lcd;
  lcd.SetOnColor(kOn);
  lcd.SetOffColor(kOff);
  lcd.SetValue("8");
  lcd.SetDigitNum(1);
  lcd.resize(28, 34);  // one digit of the same width: 28 - 13 = 15
  const QImage one = lcd.RenderImage();
  const std::vector<TPixel> defaults = {
      {8, 0, '1'},  {19, 0, '1'},  {20, 0, 'b'}, {7, 0, 'b'},  {6, 2, '1'},
      {6, 14, '1'}, {6, 15, 'b'},  {6, 18, '1'}, {21, 2, '1'}, {22, 2, 'b'},
      {8, 33, '1'}, {19, 33, '1'}, {8, 16, '1'}, {8, 15, 'b'},
  };
  for (const TPixel& p : defaults) {
    EXPECT_EQ(Lit(one, p.X, p.Y), p.Expected) << "pixel " << p.X << "," << p.Y;
  }
}

TEST(Lcd99Test, PaintCoversEveryPixelWithOrWithoutBuffer) {
  TLCD99 lcd;
  SetUpOnline(lcd);
  lcd.SetValue("-1:2.3");
  const QImage expected = lcd.RenderImage().convertToFormat(QImage::Format_RGB32);
  for (const bool buffered : {true, false}) {
    lcd.SetDoubleBuffer(buffered);
    const QImage painted = lcd.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(painted, expected) << "double buffer " << buffered;
  }
}

TEST(Lcd99Test, SettersTakeEffectAndOddSizesStayDrawable) {
  TLCD99 lcd;
  SetUpOnline(lcd);
  lcd.SetValue("8");
  lcd.SetOnColor(QColor(0, 0, 255));
  lcd.SetColor(QColor(10, 20, 30));
  const QImage image = lcd.RenderImage();
  EXPECT_EQ(image.pixelColor(DigitX(3) + 11, 1), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(10, 20, 30));

  lcd.SetDigitNum(0);
  EXPECT_EQ(lcd.DigitNum(), 1);
  lcd.resize(8, 5);  // no room for a digit: only the background
  const QImage tiny = lcd.RenderImage();
  ASSERT_EQ(tiny.size(), QSize(8, 5));
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(tiny.pixelColor(x, y), QColor(10, 20, 30));
    }
  }
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

// The buffer kept between paints: whatever changed after a paint shows on
// the next one.
TEST(Lcd99Test, APaintAfterAnyChangeShowsTheChange) {
  const std::vector<std::pair<const char*, std::function<void(TLCD99&)>>> changes = {
      {"value", [](TLCD99& l) { l.SetValue("8.8"); }},
      {"on colour", [](TLCD99& l) { l.SetOnColor(QColor(0, 0, 255)); }},
      {"off colour", [](TLCD99& l) { l.SetOffColor(QColor(60, 60, 60)); }},
      {"background", [](TLCD99& l) { l.SetColor(QColor(10, 20, 30)); }},
      {"digits", [](TLCD99& l) { l.SetDigitNum(3); }},
      {"segment size", [](TLCD99& l) { l.SetSegmentSize(3); }},
      {"size", [](TLCD99& l) { l.resize(l.width() - 9, l.height()); }},
  };
  for (const auto& [name, change] : changes) {
    TLCD99 lcd;
    SetUpOnline(lcd);
    lcd.SetValue("12");
    lcd.grab();
    change(lcd);
    // A readout that never showed the old state draws the new one afresh.
    TLCD99 fresh;
    SetUpOnline(fresh);
    fresh.SetValue("12");
    change(fresh);
    const QImage expected = fresh.RenderImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(lcd.grab().toImage().convertToFormat(QImage::Format_RGB32), expected) << name;
    EXPECT_EQ(lcd.RenderImage().convertToFormat(QImage::Format_RGB32), expected) << name;
  }
}

}  // namespace
}  // namespace velt
