// The signal view, read back pixel by pixel: where each layer lands on the
// grid of 322 columns and 197 rows, in which colour, and what each setting
// switches on and off.
#include <gtest/gtest.h>

#include <functional>

#include <QClipboard>
#include <QGuiApplication>
#include <cmath>
#include <memory>

#include <config/ConfigObject5_01ver_Unit.h>
#include <signal/SignalViewUnit.h>
#include <strings/LocalStringsUnit.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

class TGuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application = new QGuiApplication(Argc, Argv);
  }
  void TearDown() override { delete Application; }

 private:
  int Argc = 1;
  char Name[16] = "SignalViewTest";
  char* Argv[2] = {Name, nullptr};
  QGuiApplication* Application = nullptr;
};

const auto* const kGuiEnvironment = ::testing::AddGlobalTestEnvironment(new TGuiEnvironment);

const TColourScheme kScreen = ScreenColourScheme();

// A 5.01 record with every layer switched off: no strobes, no cursor, no
// grid, no curve, empty envelopes, full view, filled trace.
std::unique_ptr<TDataCell> QuietRecord() {
  auto record = std::make_unique<TDataCell>();
  record->AttachOwned(std::make_unique<T5_01ConfigCell>());
  TBaseConfigCell& cell = *record->Configuration();
  cell.Initialise();
  cell.SetDefaults(1);
  cell.SCREEN_MODE = 1;
  cell.SIGNAL_TYPE = 0;
  cell.TVG_ENABLED = 0;
  cell.CURSOR_1_ENABLED = 1;
  cell.CURSOR_2_ENABLED = 1;
  cell.VCURSOR_ENABLED = 1;
  cell.USED_MODE = 0;
  cell.SCREEN_UNITS = 0;
  cell.PIXEL_GRID_LENGTH = 0;
  cell.AMPLITUDE_MARKER_POSITION = 0;
  cell.CURSOR_POSITION = 0;
  return record;
}

bool Is(const QImage& image, int x, int y, int role, const TColourScheme& scheme = kScreen) {
  return image.pixel(x, y) == scheme[role].rgb();
}

int Count(const QImage& image, int role, const QRect& area, const TColourScheme& scheme = kScreen) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      n += Is(image, x, y, role, scheme) ? 1 : 0;
    }
  }
  return n;
}

QRect Whole(const QImage& image) { return image.rect(); }

TEST(SignalViewLayoutTest, TheBitmapIs322ColumnsBy197RowsScaled) {
  EXPECT_EQ(SignalViewSize(1, 1.22), QSize(322, 240));  // 240.34
  EXPECT_EQ(SignalViewSize(2, 2.44), QSize(644, 481));  // 480.68
  auto record = QuietRecord();
  const QImage image = RenderSignalView(*record, 1.22, 1, kScreen);
  EXPECT_EQ(image.size(), QSize(322, 240));
}

TEST(SignalViewLayoutTest, FullViewFramesTheAreaAndTheScaleStrip) {
  auto record = QuietRecord();
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  // (Row 181 is the filled trace's base line from column 2 to 319.)
  for (const QPoint p : {QPoint(0, 0), QPoint(321, 0), QPoint(321, 100), QPoint(0, 181),
                         QPoint(320, 181), QPoint(160, 195), QPoint(321, 190)}) {
    EXPECT_TRUE(Is(image, p.x(), p.y(), kFrameColour)) << p.x() << "," << p.y();
  }
  EXPECT_TRUE(Is(image, 160, 100, kBackgroundColour));
  EXPECT_TRUE(Is(image, 160, 196, kBackgroundColour));  // below the strip
}

TEST(SignalViewLayoutTest, SplitViewHasThreeOutlines) {
  auto record = QuietRecord();
  record->Configuration()->SCREEN_MODE = 3;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  for (const int row : {0, 91, 105, 196}) {
    EXPECT_TRUE(Is(image, 320, row, kFrameColour)) << row;
  }
  EXPECT_FALSE(Is(image, 320, 181, kFrameColour));
}

TEST(SignalViewLayoutTest, AnUnknownScreenModeDrawsOnlyStrobesCursorMarkerAndCurves) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.SCREEN_MODE = 4;
  cell.PIXEL_GRID_LENGTH = 40;
  cell.CURSOR_1_ENABLED = 0;
  cell.VCURSOR_ENABLED = 0;
  cell.CURSOR_POSITION = 200;
  record->FirstMaximums.assign(record->FirstMaximums.size(), 120);
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(image, kFrameColour, Whole(image)), 0);
  EXPECT_EQ(Count(image, kGridColour, Whole(image)), 0);
  EXPECT_EQ(Count(image, kAmplitudeNumberColour, Whole(image)), 0);
  EXPECT_EQ(Count(image, kTraceColour, Whole(image)), 0);
  EXPECT_GT(Count(image, kStrobe1Colour, Whole(image)), 0);
  EXPECT_GT(Count(image, kCursorColour, Whole(image)), 0);
}

TEST(SignalViewTraceTest, TheFilledTraceRisesFromRow181) {
  auto record = QuietRecord();
  record->FirstMaximums[100] = 100;
  record->FirstMaximums[120] = 200;  // drawn as 180
  record->FirstMaximums[121] = 180;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  // Sample k at column k + 1, from row 181 up to row 181 - a(k).
  EXPECT_TRUE(Is(image, 101, 81, kTraceColour));
  EXPECT_TRUE(Is(image, 101, 150, kTraceColour));
  EXPECT_TRUE(Is(image, 101, 181, kTraceColour));
  EXPECT_FALSE(Is(image, 101, 80, kTraceColour));
  EXPECT_FALSE(Is(image, 100, 150, kTraceColour));
  EXPECT_FALSE(Is(image, 102, 150, kTraceColour));
  for (int y = 0; y < image.height(); ++y) {
    EXPECT_EQ(Is(image, 121, y, kTraceColour), Is(image, 122, y, kTraceColour)) << y;
  }
  EXPECT_TRUE(Is(image, 121, 2, kTraceColour));  // (row 1 carries a grid line)
  EXPECT_FALSE(Is(image, 121, 0, kTraceColour));
  // Sample 0 and the last two are not drawn.
  record->FirstMaximums.assign(record->FirstMaximums.size(), 50);
  const QImage all = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_FALSE(Is(all, 1, 150, kTraceColour));
  EXPECT_TRUE(Is(all, 2, 150, kTraceColour));
  EXPECT_TRUE(Is(all, 319, 150, kTraceColour));
  EXPECT_FALSE(Is(all, 320, 150, kTraceColour));
}

TEST(SignalViewTraceTest, WithTwoPixelsPerColumnEveryColumnLiesOnePixelRight) {
  auto record = QuietRecord();
  record->FirstMaximums[10] = 100;
  const QImage image = RenderSignalView(*record, 2.0, 2, kScreen);
  // Column 11 at 2 * 11 + 1 = 23, the stroke two pixels wide.
  EXPECT_TRUE(Is(image, 23, 300, kTraceColour));
  EXPECT_TRUE(Is(image, 22, 300, kTraceColour));
  EXPECT_FALSE(Is(image, 21, 300, kTraceColour));
  EXPECT_FALSE(Is(image, 24, 300, kTraceColour));
  EXPECT_TRUE(Is(image, 23, 2 * 81, kTraceColour));
  EXPECT_FALSE(Is(image, 23, 2 * 81 - 2, kTraceColour));
  EXPECT_EQ(image.width(), 644);
}

TEST(SignalViewTraceTest, TheLineTraceJoinsEachSampleToThePreviousOne) {
  auto record = QuietRecord();
  record->Configuration()->SIGNAL_TYPE = 1;
  record->FirstMaximums[30] = 50;
  record->FirstMaximums[31] = 50;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  // Column 31 climbs from row 180 to row 130; column 32 stays at row 130.
  EXPECT_TRUE(Is(image, 31, 180, kTraceColour));
  EXPECT_TRUE(Is(image, 31, 130, kTraceColour));
  EXPECT_TRUE(Is(image, 32, 130, kTraceColour));
  EXPECT_FALSE(Is(image, 32, 150, kTraceColour));
  // Column 33 falls back from row 130 to row 180.
  EXPECT_TRUE(Is(image, 33, 150, kTraceColour));
}

TEST(SignalViewTraceTest, TheRadioFrequencyBandSpansMaximumToMinimum) {
  auto record = QuietRecord();
  record->Configuration()->SIGNAL_TYPE = 3;
  record->FirstMaximums.assign(record->FirstMaximums.size(), 90);
  record->FirstMinimums.assign(record->FirstMinimums.size(), 90);
  record->FirstMaximums[49] = 150;
  record->FirstMinimums[49] = 30;
  record->FirstMaximums[99] = record->FirstMinimums[99] = 40;
  record->FirstMaximums[100] = record->FirstMinimums[100] = 140;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  // Samples k - 1 at column k: the band of sample 49 stands at column 50.
  EXPECT_TRUE(Is(image, 50, 180 - 150, kTraceColour));
  EXPECT_TRUE(Is(image, 50, 180 - 30, kTraceColour));
  EXPECT_FALSE(Is(image, 50, 180 - 151, kTraceColour));
  EXPECT_FALSE(Is(image, 51, 180 - 150, kTraceColour));  // inside the previous band
  // A jump is bridged from the previous column's end: column 100 (sample
  // 99 at 40) reaches up to the 90 before it, column 101 (sample 100 at
  // 140) down to that 90.
  EXPECT_TRUE(Is(image, 100, 180 - 90, kTraceColour));
  EXPECT_TRUE(Is(image, 100, 180 - 40, kTraceColour));
  EXPECT_FALSE(Is(image, 100, 180 - 91, kTraceColour));
  EXPECT_TRUE(Is(image, 101, 180 - 140, kTraceColour));
  EXPECT_TRUE(Is(image, 101, 180 - 90, kTraceColour));
  EXPECT_FALSE(Is(image, 101, 180 - 89, kTraceColour));
}

TEST(SignalViewTraceTest, SplitViewDrawsBothTracesAtHalfScaleButNoBand) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.SCREEN_MODE = 3;
  record->FirstMaximums[39] = 100;   // upper trace, column 40
  record->SecondMaximums[60] = 120;  // lower trace, column 60
  QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_TRUE(Is(image, 40, 91 - 50, kTraceColour));
  EXPECT_FALSE(Is(image, 40, 91 - 51, kTraceColour));
  EXPECT_TRUE(Is(image, 60, 195 - 60, kTraceColour));
  EXPECT_FALSE(Is(image, 60, 195 - 61, kTraceColour));

  cell.SIGNAL_TYPE = 2;
  record->FirstMaximums.assign(record->FirstMaximums.size(), 150);
  record->SecondMaximums.assign(record->SecondMaximums.size(), 150);
  image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(image, kTraceColour, Whole(image)), 0);
}

TEST(SignalViewGridTest, GridLinesStandEveryStepWithLabelsLeftOfColumn275) {
  auto record = QuietRecord();
  record->Configuration()->PIXEL_GRID_LENGTH = 60;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  for (const int column : {61, 121, 181, 241, 301}) {
    // Dashed from row 1: five drawn, two left out.
    EXPECT_TRUE(Is(image, column, 3, kGridColour)) << column;
    EXPECT_FALSE(Is(image, column, 7, kGridColour)) << column;
    EXPECT_TRUE(Is(image, column, 8, kGridColour)) << column;
  }
  EXPECT_FALSE(Is(image, 60, 3, kGridColour));
  EXPECT_FALSE(Is(image, 62, 3, kGridColour));
  // Numbers under the lines at 61..241, none under 301 (no unit text: the
  // string files are not installed here).
  const auto labelPixels = [&image](int column) {
    return Count(image, kGridColour, QRect(column - 12, 183, 25, 11));
  };
  for (const int column : {61, 121, 181, 241}) {
    EXPECT_GT(labelPixels(column), 0) << column;
  }
  EXPECT_EQ(labelPixels(301), 0);
  // Horizontal dashed lines at rows 1, 46, 91 and 136.
  for (const int row : {1, 46, 91, 136}) {
    EXPECT_TRUE(Is(image, 30, row, kGridColour)) << row;  // dashes from column 1: 1..5, 8..12
    EXPECT_FALSE(Is(image, 34, row, kGridColour)) << row;
  }
  EXPECT_GT(Count(image, kAmplitudeNumberColour, QRect(1, 1, 30, 12)), 0);  // "100"
}

TEST(SignalViewGridTest, AMillimetreScaleUsesTheMillimetreGridStep) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.SCREEN_UNITS = 1;
  cell.PIXEL_GRID_LENGTH = 50;
  cell.PIXEL_GRID_LENGTH_MM = 75.4;  // lines at 75, 151, 226, 302 -> columns + 1
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  for (const int column : {76, 152, 227, 303}) {
    EXPECT_TRUE(Is(image, column, 3, kGridColour)) << column;
  }
  EXPECT_FALSE(Is(image, 51, 3, kGridColour));
}

TEST(SignalViewStrobeTest, StrobesStandAtTheirLevelsBetweenTheirEnds) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.CURSOR_1_ENABLED = 0;
  cell.CURSOR_2_ENABLED = 0;
  cell.PIXEL_GRID_LENGTH = 32;  // the strobes' pixels follow the time scale
  cell.SetStrobeBeginPixel(0, 50);
  cell.SetStrobeEndPixel(0, 100);
  cell.SetStrobeBeginPixel(1, 150);
  cell.SetStrobeEndPixel(1, 200);
  cell.STROBE_1_LEVEL_PERCENT = 50;  // row 91
  cell.STROBE_2_LEVEL_PERCENT = 30;  // row 127
  const int b1 = cell.StrobeBeginPixel(0);
  const int e1 = cell.StrobeEndPixel(0);
  const int b2 = cell.StrobeBeginPixel(1);
  const int e2 = cell.StrobeEndPixel(1);
  ASSERT_TRUE(b1 > 40 && e1 > b1 + 40 && b2 > e1 && e2 > b2 + 40) << b1 << " " << e1 << " " << b2
                                                                  << " " << e2;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_TRUE(Is(image, b1 + 1, 91, kStrobe1Colour));
  EXPECT_TRUE(Is(image, e1 + 1, 91, kStrobe1Colour));
  EXPECT_FALSE(Is(image, e1 + 2, 91, kStrobe1Colour));
  EXPECT_TRUE(Is(image, b1 + 1, 89, kStrobe1Colour));  // the tick
  EXPECT_TRUE(Is(image, e1 + 1, 93, kStrobe1Colour));
  EXPECT_FALSE(Is(image, b1 + 2, 89, kStrobe1Colour));
  EXPECT_TRUE(Is(image, b2 + 3, 127, kStrobe2Colour));
  EXPECT_TRUE(Is(image, e2 - 1, 127, kStrobe2Colour));
  EXPECT_FALSE(Is(image, b2 + 2, 127, kStrobe2Colour));
  for (const int column : {b2 + 1, e2 + 1, b2 + 3, e2 - 1}) {
    EXPECT_TRUE(Is(image, column, 125, kStrobe2Colour)) << column;
  }

  cell.CURSOR_1_ENABLED = 1;
  cell.CURSOR_2_ENABLED = 1;
  const QImage hidden = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(hidden, kStrobe1Colour, Whole(hidden)), 0);
  EXPECT_EQ(Count(hidden, kStrobe2Colour, Whole(hidden)), 0);
}

TEST(SignalViewStrobeTest, TheMarkerSitsOnTheEchoAtTheMeasurementPosition) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.AMPLITUDE_MARKER_POSITION = 150;
  record->FirstMaximums.assign(record->FirstMaximums.size(), 60);
  ASSERT_EQ(cell.MeasurementPosition(), 150);
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  // A = 60, row 181 - 60 = 121: the stem up to 119, the bar 148..152.
  EXPECT_TRUE(Is(image, 150, 121, kMarkerColour));
  EXPECT_TRUE(Is(image, 150, 119, kMarkerColour));
  EXPECT_TRUE(Is(image, 148, 119, kMarkerColour));
  EXPECT_TRUE(Is(image, 152, 119, kMarkerColour));
  EXPECT_TRUE(Is(image, 149, 120, kMarkerColour));
  EXPECT_FALSE(Is(image, 148, 120, kMarkerColour));
  EXPECT_FALSE(Is(image, 150, 122, kMarkerColour));

  cell.SIGNAL_TYPE = 3;  // no marker on the radio-frequency picture
  const QImage rf = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(rf, kMarkerColour, Whole(rf)), 0);
}

TEST(SignalViewStrobeTest, TheCursorLineShowsWhenEnabledOrForcedByTheMode) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.CURSOR_POSITION = 222;
  QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(image, kCursorColour, Whole(image)), 0);

  cell.USED_MODE = 0x300;
  image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_GT(Count(image, kCursorColour, QRect(222, 1, 1, 181)), 100);  // dash-dot
  EXPECT_LT(Count(image, kCursorColour, QRect(222, 1, 1, 181)), 181);
  EXPECT_EQ(Count(image, kCursorColour, Whole(image)),
            Count(image, kCursorColour, QRect(222, 1, 1, 181)));

  cell.USED_MODE = 0x100;
  cell.VCURSOR_ENABLED = 0;
  image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_TRUE(Is(image, 222, 1, kCursorColour));
  EXPECT_FALSE(Is(image, 222, 183, kCursorColour));
}

TEST(SignalViewStrobeTest, TheSecondCursorOfTheTwoStrobeRuleIsDrawnToo) {
  auto record = QuietRecord();
  auto& cell = dynamic_cast<T5_01ConfigCell&>(*record->Configuration());
  cell.STROBE_ALGORYTHM = 3;
  cell.VCURSOR_2 = 99;
  QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_TRUE(Is(image, 99, 1, kCursorColour));
  cell.STROBE_ALGORYTHM = 1;
  image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(image, kCursorColour, Whole(image)), 0);
}

TEST(SignalViewCurveTest, TheTgvCurveJoinsItsPointsWithASquareOnEach) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  cell.TVG_ENABLED = 1;
  cell.TGV_NUMBER = 4;
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_GT(Count(image, kTgvLineColour, Whole(image)), 0);
  for (std::uint8_t i = 1; i < 4; ++i) {
    const int x = cell.TgvPointPixel(i) + 1;
    const int y = 181 - cell.TgvPointRow(i);
    if (x <= 321 && y >= 0 && y < image.height()) {
      EXPECT_TRUE(Is(image, x, y, kTgvPointColour)) << int(i);
      EXPECT_TRUE(Is(image, x + 1, y - 1, kTgvPointColour)) << int(i);  // the square's corner
    }
  }
  cell.TVG_ENABLED = 0;
  const QImage off = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(Count(off, kTgvLineColour, Whole(off)), 0);
}

// A DGS setup whose curve comes out (the same as the result tests use).
void SetUpDgs(TBaseConfigCell& cell) {
  cell.TVG_ENABLED = 2;
  cell.ATTENUATOR1 = 90;  // no attenuation: the curve runs through the picture
  cell.ARD_PLATE_DIAMETER = 12;
  cell.ARD_PLATE_FLOOR_DIAMETER = 3;
  cell.ARD_ATTENUATION = 0;
  cell.ARD_SIGNAL_AMPLITUDE = 40;
  cell.PIXEL_GRID_LENGTH = 32;
}

TEST(SignalViewCurveTest, TheDgsCurveIsStoredAndACorrectionDividesTheRecordsCurve) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  SetUpDgs(cell);
  cell.ARD_CORRECTION = 20;
  std::array<double, kRecordArraySize> times{};
  std::array<double, kRecordArraySize> raw{};
  std::array<double, kRecordArraySize> corrected{};
  ASSERT_TRUE(cell.DgsCurve(times, raw, corrected));
  const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(record->DgsCurve1, times);
  EXPECT_EQ(record->DgsCurve2, raw);
  for (std::size_t j = 0; j < corrected.size(); ++j) {
    EXPECT_DOUBLE_EQ(record->DgsCurve3[j], corrected[j] / 10) << j;
  }
  EXPECT_GT(Count(image, kDgsColour, Whole(image)), 0);
  EXPECT_GT(Count(image, kCorrectedDgsColour, Whole(image)), 0);

  cell.ARD_CORRECTION = 0;
  const QImage plain = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_EQ(record->DgsCurve3, corrected);
  EXPECT_EQ(Count(plain, kCorrectedDgsColour, Whole(plain)), 0);
}

TEST(SignalViewCurveTest, TheDgsCurveFollowsEveryValueItIsMadeFrom) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  SetUpDgs(cell);
  const std::pair<const char*, std::function<void(TBaseConfigCell&)>> changes[] = {
      {"velocity",
       [](TBaseConfigCell& c) { c.VELOCITY = static_cast<std::uint16_t>(c.VELOCITY + 300); }},
      {"frequency",
       [](TBaseConfigCell& c) { c.PROBE_FREQ = static_cast<std::uint8_t>(c.PROBE_FREQ + 1); }},
      {"angle", [](TBaseConfigCell& c) { c.SetInsertionAngle(c.InsertionAngle() + 20); }},
      {"plate", [](TBaseConfigCell& c) { c.ARD_PLATE_DIAMETER += 4; }},
      {"delay", [](TBaseConfigCell& c) { c.PROBE_DELAY += 3; }},
      {"attenuation", [](TBaseConfigCell& c) { c.ARD_ATTENUATION += 50; }},
      {"floor", [](TBaseConfigCell& c) { c.ARD_PLATE_FLOOR_DIAMETER += 2; }},
      {"time scale",
       [](TBaseConfigCell& c) {
         c.INDEX_MARK_MKS = static_cast<std::uint8_t>((c.INDEX_MARK_MKS + 1) % 7);
       }},
      {"grid",
       [](TBaseConfigCell& c) {
         c.PIXEL_GRID_LENGTH = static_cast<std::uint8_t>(c.PIXEL_GRID_LENGTH + 8);
       }},
      {"attenuator",
       [](TBaseConfigCell& c) { c.ATTENUATOR1 = static_cast<std::uint16_t>(c.ATTENUATOR1 - 6); }},
      // A straight probe's curve starts from the signal amplitude.
      {"straight", [](TBaseConfigCell& c) { c.SetInsertionAngle(0); }},
      {"amplitude", [](TBaseConfigCell& c) { c.ARD_SIGNAL_AMPLITUDE += 6; }},
  };
  std::array<double, kRecordArraySize> times{};
  std::array<double, kRecordArraySize> raw{};
  std::array<double, kRecordArraySize> corrected{};
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    RenderSignalView(*record, 1.0, 1, kScreen);
    const auto before = std::pair(record->DgsCurve2, record->DgsCurve3);
    change(cell);
    const QImage image = RenderSignalView(*record, 1.0, 1, kScreen);
    ASSERT_TRUE(cell.DgsCurve(times, raw, corrected));
    EXPECT_NE(std::pair(raw, corrected), before);  // the change moves the curves
    EXPECT_EQ(record->DgsCurve1, times);
    EXPECT_EQ(record->DgsCurve2, raw);
    EXPECT_EQ(record->DgsCurve3, corrected);
  }
}

// The curve's pixels are kept between pictures: a curve that moves, or a
// picture of another scale, is drawn anew, and the former one comes back.
TEST(SignalViewCurveTest, AMovedDgsCurveIsDrawnWhereItNowRuns) {
  auto record = QuietRecord();
  TBaseConfigCell& cell = *record->Configuration();
  SetUpDgs(cell);
  const struct {
    const char* name;
    double e;
    int v;
    double plate;
  } cases[] = {{"first", 1.0, 1, 12}, {"plate", 1.0, 1, 16}, {"scale", 2.44, 2, 16}};
  std::vector<QImage> drawn;
  for (const auto& c : cases) {
    cell.ARD_PLATE_DIAMETER = c.plate;
    drawn.push_back(RenderSignalView(*record, c.e, c.v, kScreen));
  }
  EXPECT_NE(drawn[0], drawn[1]);
  EXPECT_GT(Count(drawn[1], kDgsColour, Whole(drawn[1])), 0);
  EXPECT_GT(Count(drawn[2], kDgsColour, Whole(drawn[2])), 0);
  // Seen again in another order, each picture is the same as before.
  for (const std::size_t i : {2, 0, 1}) {
    cell.ARD_PLATE_DIAMETER = cases[i].plate;
    EXPECT_EQ(RenderSignalView(*record, cases[i].e, cases[i].v, kScreen), drawn[i])
        << cases[i].name;
  }
}

TEST(SignalViewCurveTest, IncompleteDgsDataIsSaidInTheMiddleOfThePicture) {
  testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  ASSERT_TRUE(strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
  SetProgramStrings(&strings);
  auto record = QuietRecord();
  SetUpDgs(*record->Configuration());
  record->Configuration()->ARD_SIGNAL_AMPLITUDE = 0;
  const QImage image = RenderSignalView(*record, 1.22, 1, kScreen);
  SetProgramStrings(nullptr);
  EXPECT_GT(Count(image, kGridColour, QRect(20, 60, 280, 60)), 20);
  EXPECT_EQ(Count(image, kDgsColour, Whole(image)), 0);
}

TEST(SignalViewOutputTest, TheReportFormIsBlackOnWhiteOverAll320Columns) {
  auto record = QuietRecord();
  record->Configuration()->PIXEL_GRID_LENGTH = 40;
  record->FirstMaximums.assign(record->FirstMaximums.size(), 100);
  QImage page(500, 400, QImage::Format_RGB32);
  page.fill(Qt::gray);
  DrawSignalViewIntoReport(*record, page, 1.0, 30, 20, 1);
  int other = 0;
  for (int y = 20; y < 20 + 197; ++y) {
    for (int x = 30; x < 30 + 322; ++x) {
      const QRgb c = page.pixel(x, y);
      other += (c != qRgb(0, 0, 0) && c != qRgb(255, 255, 255)) ? 1 : 0;
    }
  }
  EXPECT_EQ(other, 0);
  EXPECT_EQ(page.pixel(29, 20), QColor(Qt::gray).rgb());  // beside the picture
  // Sample 319 at column 320, which the screen picture leaves out.
  EXPECT_EQ(page.pixel(30 + 320, 20 + 150), qRgb(0, 0, 0));
  const QImage screen = RenderSignalView(*record, 1.0, 1, kScreen);
  EXPECT_FALSE(Is(screen, 320, 150, kTraceColour));
}

// The letters written are kept by font: a picture of twice the scale has
// letters twice as tall and wide, whichever scale came first.
TEST(SignalViewOutputTest, TheNumbersGrowWithThePictureScale) {
  auto record = QuietRecord();
  for (const bool smallFirst : {true, false}) {
    SCOPED_TRACE(smallFirst ? "small first" : "large first");
    QImage small;
    QImage large;
    if (smallFirst) {
      small = RenderSignalView(*record, 1.0, 1, kScreen);
      large = RenderSignalView(*record, 2.0, 2, kScreen);
    } else {
      large = RenderSignalView(*record, 2.0, 2, kScreen);
      small = RenderSignalView(*record, 1.0, 1, kScreen);
    }
    const int a = Count(small, kAmplitudeNumberColour, Whole(small));
    EXPECT_GT(a, 0);
    EXPECT_GE(Count(large, kAmplitudeNumberColour, Whole(large)), 3 * a);
  }
}

class TTestSurface : public TSignalSurface {
 public:
  QImage* Canvas() override { return Image.isNull() ? nullptr : &Image; }
  void Present() override { ++Presented; }
  QImage Image;
  int Presented = 0;
};

TEST(SignalViewOutputTest, ThePictureGoesOnTheSurfaceAtItsPositionOrOnTheClipboard) {
  auto record = QuietRecord();
  record->FirstMaximums[10] = 100;
  TTestSurface surface;
  surface.Image = QImage(649, 480, QImage::Format_RGB32);
  surface.Image.fill(Qt::blue);
  DrawSignalView(*record, surface, false, 2.44, 2, 2, 2, kScreen);
  EXPECT_EQ(surface.Presented, 1);
  EXPECT_EQ(surface.Image.pixel(1, 1), QColor(Qt::blue).rgb());
  EXPECT_EQ(surface.Image.pixel(2, 2), kScreen[kFrameColour].rgb());
  const QImage alone = RenderSignalView(*record, 2.44, 2, kScreen);
  EXPECT_EQ(surface.Image.copy(2, 2, alone.width(), alone.height()), alone);

  DrawSignalView(*record, surface, true, 1.22, 1, 1, 1, kScreen);
  EXPECT_EQ(surface.Presented, 1);  // the clipboard leaves the surface alone
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            RenderSignalView(*record, 1.22, 1, kScreen));

  ClearSignalView(surface);
  EXPECT_EQ(surface.Presented, 2);
  EXPECT_EQ(surface.Image.pixel(300, 300), qRgb(0, 0, 0));

  TTestSurface unusable;
  DrawSignalView(*record, unusable, false, 1.22, 1, 1, 1, kScreen);
  ClearSignalView(unusable);
  EXPECT_EQ(unusable.Presented, 0);
}

}  // namespace
}  // namespace velt
