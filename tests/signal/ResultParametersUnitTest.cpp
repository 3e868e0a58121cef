// The result parameters of a record and the fills of the results and
// conditions grids: number formats, the rows by probe geometry, radio-
// frequency amplitudes, thresholds, averaging, the DGS values with the
// fields they change for the duration of a call, and hostile indices.
#include <signal/ResultParametersUnit.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <config/ConfigObject3_17ver_Unit.h>
#include <config/ConfigObject4_03ver_Unit.h>
#include <strings/LocalStringsUnit.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

// Value string 31 of the shipped files ("нет" in Windows-1251).
const std::string kNo = "\xED\xE5\xF2";

// The program-wide strings, loaded once for every test of this file.
class TStringsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    SetProgramStrings(&Strings);
  }
  void TearDown() override { SetProgramStrings(nullptr); }

 private:
  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TStringsEnvironment);

class TRecordingGrid : public IResultGrid {
 public:
  void SetCell(int column, int row, const std::string& text) override {
    Cells[{column, row}] = text;
    ++Writes;
  }
  std::string At(int row) const {
    const auto it = Cells.find({kValueColumn, row});
    return it == Cells.end() ? "<unset>" : it->second;
  }
  std::map<std::pair<int, int>, std::string> Cells;
  int Writes = 0;
};

// A record with an initialised cell of the given class: cursor at column
// 160 (32 µs at 5 µs per 25 pixels), 3250 m/s, so the beam path is 52 mm.
template <typename Cell = TBaseConfigCell>
std::unique_ptr<TDataCell> MakeRecord(std::uint16_t arraySize = kRecordArraySize) {
  auto record = std::make_unique<TDataCell>(arraySize);
  auto cell = std::make_unique<Cell>();
  cell->Initialise();
  record->AttachOwned(std::move(cell));
  return record;
}

TBaseConfigCell& CellOf(TDataCell& record) {
  return *record.Configuration();
}

// The amplitude at the cursor column c is read from entry c - 1.
void PutSample(TDataCell& record, std::uint8_t maximum, std::uint8_t minimum = 0) {
  const std::size_t p = CellOf(record).CURSOR_POSITION - 1;
  record.FirstMaximums[p] = maximum;
  record.FirstMinimums[p] = minimum;
}

// A straight probe, DGS mode, a reference reflector of 3 mm² and a
// reference echo chosen so that the curve level at the measured time is
// `level` (the model's levels move one to one with the reference echo).
void SetUpDgs(TBaseConfigCell& cell, double level) {
  cell.INSERTION_ANGLE = 0;
  cell.TVG_ENABLED = 2;
  cell.ARD_PLATE_DIAMETER = 12;
  cell.ARD_PLATE_FLOOR_DIAMETER = 3;
  cell.ARD_ATTENUATION = 0;
  cell.ARD_SIGNAL_AMPLITUDE = 10;
  const double at10 = cell.DgsPointLevel(cell.MeasuredTime());
  cell.ARD_SIGNAL_AMPLITUDE = 10 + level - at10;
  ASSERT_NEAR(cell.DgsPointLevel(cell.MeasuredTime()), level, 1e-9)
      << "the curve level does not follow the reference echo";
}

// Test names from the cases' own names.
struct TByName {
  template <typename P>
  std::string operator()(const ::testing::TestParamInfo<P>& p) const {
    return p.param.Name;
  }
};

// ---- Number formats --------------------------------------------------------

struct TIntegerCase {
  long long Value;
  const char* Text;
};

class GridIntegerTest : public ::testing::TestWithParam<TIntegerCase> {};

TEST_P(GridIntegerTest, PadsByDigitCount) {
  EXPECT_EQ(GridInteger(GetParam().Value), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(ResultParameters, GridIntegerTest,
                         ::testing::Values(TIntegerCase{0, "   0"}, TIntegerCase{9, "   9"},
                                           TIntegerCase{10, "  10"}, TIntegerCase{99, "  99"},
                                           TIntegerCase{100, " 100"}, TIntegerCase{999, " 999"},
                                           TIntegerCase{1000, "1000"}, TIntegerCase{9999, "9999"},
                                           TIntegerCase{10000, "10000"},
                                           TIntegerCase{123456, "123456"},
                                           // A negative value counts as one digit.
                                           TIntegerCase{-5, "   -5"}, TIntegerCase{-12, "   -12"},
                                           TIntegerCase{-1234, "   -1234"}));

struct TRealCase {
  double Value;
  char Separator;
  const char* Text;
};

class GridRealTest : public ::testing::TestWithParam<TRealCase> {};

TEST_P(GridRealTest, OneDecimalPaddedByIntegerDigits) {
  EXPECT_EQ(GridReal(GetParam().Value, GetParam().Separator), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    ResultParameters, GridRealTest,
    ::testing::Values(TRealCase{0, '.', "   0.0"}, TRealCase{4.04, '.', "   4.0"},
                      TRealCase{9.94, '.', "   9.9"},
                      // The count is taken from the value, not from its rounded text.
                      TRealCase{9.96, '.', "   10.0"}, TRealCase{10, '.', "  10.0"},
                      TRealCase{99.94, '.', "  99.9"}, TRealCase{123.44, '.', " 123.4"},
                      TRealCase{999.9, '.', " 999.9"}, TRealCase{1234.56, '.', "1234.6"},
                      TRealCase{9999.9, '.', "9999.9"}, TRealCase{10000, '.', "10000.0"},
                      TRealCase{123456.7, '.', "123456.7"}, TRealCase{-3.5, '.', "   -3.5"},
                      TRealCase{-250, '.', "   -250.0"}, TRealCase{4.5, ',', "   4,5"}));

// The largest doubles have over 300 integer digits; none may be cut.
TEST(ResultParametersLimitsTest, HugeValueKeepsEveryDigit) {
  const std::string text = GridReal(1e300);
  EXPECT_EQ(text.size(), 301u + 2u);
  EXPECT_EQ(text.substr(0, 2), "10");
  EXPECT_EQ(text.substr(text.size() - 2), ".0");
}

// ---- Rows 3..6 by probe geometry ---------------------------------------------

struct TGeometryCase {
  const char* Name;
  std::function<std::unique_ptr<TDataCell>()> Make;
  double Thickness;
  const char* Offset;  // rows 4, 5 and 6; kNo stands for value string 31
  const char* Depth;
  const char* Leg;
};

// A 3.17 cell keeps its angle as a real, so angles between whole degrees
// can be tried.
std::function<std::unique_ptr<TDataCell>()> Angle(double degrees) {
  return [degrees] {
    auto record = MakeRecord<T3_17ConfigCell>();
    CellOf(*record).SetInsertionAngle(degrees);
    static_cast<T3_17ConfigCell&>(CellOf(*record)).BeamAngle = degrees;
    return record;
  };
}

class ResultsGeometryTest : public ::testing::TestWithParam<TGeometryCase> {};

TEST_P(ResultsGeometryTest, RowsFollowTheAngle) {
  const TGeometryCase& c = GetParam();
  auto record = c.Make();
  TBaseConfigCell& cell = CellOf(*record);
  cell.THICKNESS = c.Thickness;
  ASSERT_DOUBLE_EQ(cell.BeamPath(), 52.0);
  TRecordingGrid grid;
  FillResultsGrid(*record, grid, false);
  const auto expect = [](const char* text) { return text == nullptr ? kNo : std::string(text); };
  EXPECT_EQ(grid.At(3), "  52.0");
  EXPECT_EQ(grid.At(4), expect(c.Offset));
  EXPECT_EQ(grid.At(5), expect(c.Depth));
  EXPECT_EQ(grid.At(6), expect(c.Leg));
}

// S = 52 mm, PROBE_ARROW 12 mm. At 65°: sin·S − 12 = 35.13, cos·S = 21.98,
// one thickness of 12 fits once (leg 1, odd: depth 12 − 9.98 = 2.02).
INSTANTIATE_TEST_SUITE_P(
    ResultParameters, ResultsGeometryTest,
    ::testing::Values(
        TGeometryCase{"Straight", Angle(0), 12, nullptr, "  52.0", nullptr},
        // Above 0° the depth folds: 52 mm are four thicknesses and 4 mm.
        TGeometryCase{"NearlyStraight", Angle(0.005), 12, nullptr, "   4.0", nullptr},
        TGeometryCase{"Angle65", Angle(65), 12, "  35.1", "   2.0", "   1"},
        TGeometryCase{"Angle65ThinWall", Angle(65), 4, "  35.1", "   2.0", "   5"},
        TGeometryCase{"Angle65NoThickness", Angle(65), 0, "  35.1", "  22.0", nullptr},
        TGeometryCase{"Angle65ThicknessAbove900", Angle(65), 900, "  35.1", "  22.0", nullptr},
        TGeometryCase{"Angle89_9", Angle(89.9), 12, "  40.0", "   0.1", "   0"},
        TGeometryCase{"Angle89_95", Angle(89.95), 12, "  40.0", nullptr, "   0"},
        // Along the surface the offset is S − PROBE_ARROW.
        TGeometryCase{"Angle90", Angle(90), 12, "  40.0", nullptr, "   0"},
        TGeometryCase{"BaseCellAngle90",
                      [] {
                        auto record = MakeRecord();
                        CellOf(*record).INSERTION_ANGLE = 90;
                        return record;
                      },
                      12, "  40.0", nullptr, "   0"}),
    TByName());

// ---- Rows 0..2: level, search increment, attenuator ------------------------

struct TLevelCase {
  const char* Name;
  std::uint8_t Poisk;
  std::uint8_t ReferenceLevel;  // OPORN LEVEL ON
  std::uint16_t Attenuator1;
  std::uint8_t Sample;
  const char* Level;
  const char* Increment;  // nullptr: value string 31
  const char* Attenuator;
};

class ResultsLevelTest : public ::testing::TestWithParam<TLevelCase> {};

TEST_P(ResultsLevelTest, LevelIncrementAndAttenuatorRows) {
  const TLevelCase& c = GetParam();
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  cell.POISK = c.Poisk;
  cell.OPORN_LEVEL_ON = c.ReferenceLevel;
  cell.ATTENUATOR1 = c.Attenuator1;
  PutSample(*record, c.Sample);
  TRecordingGrid grid;
  FillResultsGrid(*record, grid, false);
  EXPECT_EQ(grid.At(0), c.Level);
  EXPECT_EQ(grid.At(1), c.Increment == nullptr ? kNo : std::string(c.Increment));
  EXPECT_EQ(grid.At(2), c.Attenuator);
}

// Level = 20·log10(sample) + (90 − ATTENUATOR1) − search increment.
INSTANTIATE_TEST_SUITE_P(
    ResultParameters, ResultsLevelTest,
    ::testing::Values(
        TLevelCase{"NoIncrement", 0, 4, 0, 100, " 130.0", nullptr, "  90"},
        TLevelCase{"IncrementShownAndSubtracted", 6, 4, 0, 100, "+ 124.0", "   6", "  90"},
        // POISK decides the "+", the reference level decides the increment.
        TLevelCase{"ReferenceLevelOff", 6, 0, 0, 100, "+ 130.0", nullptr, "  90"},
        TLevelCase{"FourDbWithoutPoiskHasNoPlus", 0, 4, 86, 1, "   4.0", nullptr, "   4"},
        TLevelCase{"NegativeLevelHasNoPlus", 6, 4, 90, 1, "   -6.0", "   6", "   0"},
        TLevelCase{"ZeroSampleCountsAsOne", 0, 4, 0, 0, "  90.0", nullptr, "  90"},
        TLevelCase{"NegativeAttenuator", 12, 4, 100, 10, "   -2.0", "  12", "   -10"}),
    TByName());

// ---- Amplitudes: radio frequency, the peak branch, hostile indices ---------

struct TAmplitudeCase {
  const char* Name;
  std::uint8_t SignalType;
  std::uint8_t Maximum;
  std::uint8_t Minimum;
  double Amplitude;
  double Db;
};

class SampleAmplitudeTest : public ::testing::TestWithParam<TAmplitudeCase> {};

TEST_P(SampleAmplitudeTest, LargerDeviationFromTheZeroLineWins) {
  const TAmplitudeCase& c = GetParam();
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  cell.SIGNAL_TYPE = c.SignalType;
  PutSample(*record, c.Maximum, c.Minimum);
  // Decoys at the cursor column itself: the measurement reads one before.
  record->FirstMaximums[cell.CURSOR_POSITION] = 7;
  record->FirstMinimums[cell.CURSOR_POSITION] = 177;
  EXPECT_DOUBLE_EQ(SampleAmplitude(*record), c.Amplitude);
  EXPECT_NEAR(AmplitudeDb(*record), c.Db, 1e-12);
  // Without attenuator (ATTENUATOR1 = 90) the level is the amplitude's dB.
  cell.ATTENUATOR1 = 90;
  EXPECT_NEAR(SignalLevel(*record, false), c.Db, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    ResultParameters, SampleAmplitudeTest,
    ::testing::Values(
        TAmplitudeCase{"RfZeroLineIsAmplitudeOne", 3, 90, 90, 90, 0},
        TAmplitudeCase{"RfMaximumDeviatesMore", 3, 150, 60, 150, 20 * std::log10(60.0)},
        TAmplitudeCase{"RfMinimumDeviatesMore", 3, 100, 20, 20, 20 * std::log10(70.0)},
        TAmplitudeCase{"RfEqualDeviationsKeepTheMaximum", 3, 120, 60, 120, 20 * std::log10(30.0)},
        TAmplitudeCase{"RfBelowTheZeroLine", 3, 80, 85, 80, 20 * std::log10(10.0)},
        TAmplitudeCase{"BandSignalIgnoresTheMinimum", 2, 100, 20, 100, 40},
        TAmplitudeCase{"DetectedSignal", 0, 18, 0, 18, 20 * std::log10(18.0)}),
    TByName());

// The 4.03 magnifier: the peak amplitude is second maximums[p + 1], the
// radio-frequency minimum second minimums[p], p = lupa column − offset 2.
struct TPeakCase {
  const char* Name;
  std::uint16_t Lupa;
  std::uint8_t SignalType;
  std::uint16_t ArraySize;
  double Amplitude;
};

class PeakAmplitudeTest : public ::testing::TestWithParam<TPeakCase> {};

TEST_P(PeakAmplitudeTest, ReadsTheSecondTraceAfterThePeak) {
  const TPeakCase& c = GetParam();
  auto record = MakeRecord<T4_03ConfigCell>(c.ArraySize);
  auto& cell = static_cast<T4_03ConfigCell&>(CellOf(*record));
  cell.SCREEN_MODE = 3;
  cell.CURSOR_IS_IN_LUPA = 1;
  cell.SCREEN_CURSOR_LUPA_POS = c.Lupa;
  cell.SIGNAL_TYPE = c.SignalType;
  ASSERT_TRUE(cell.PeakPositionAvailable());
  // Every entry its own value: entry i of the second maximums holds
  // i / 2 + 1, of the second minimums 180 − i / 4; the first trace is
  // never read.
  for (std::size_t i = 0; i < record->SecondMaximums.size(); ++i) {
    record->SecondMaximums[i] = static_cast<std::uint8_t>(i / 2 + 1);
    record->SecondMinimums[i] = static_cast<std::uint8_t>(180 - i / 4);
    record->FirstMaximums[i] = 255;
  }
  EXPECT_DOUBLE_EQ(SampleAmplitude(*record), c.Amplitude);
}

INSTANTIATE_TEST_SUITE_P(
    ResultParameters, PeakAmplitudeTest,
    ::testing::Values(
        // p = 98: maximum entry 99 → 50.
        TPeakCase{"AfterThePeak", 100, 0, kRecordArraySize, 50},
        // RF: |50 − 90| = 40 against minimum entry 98 → 180 − 24 = 156, |66|.
        TPeakCase{"RfMinimumAtThePeak", 100, 3, kRecordArraySize, 156},
        // A column not beyond the offset is taken unchanged: p = 2, entry 3 → 2.
        TPeakCase{"ColumnAtTheOffset", 2, 0, kRecordArraySize, 2},
        TPeakCase{"ColumnZero", 0, 0, kRecordArraySize, 1},
        // p = 319: entry 320 is the spare entry of a 321-entry array.
        TPeakCase{"LastColumnReadsTheSpareEntry", 321, 0, kRecordArraySize, 161},
        TPeakCase{"BeyondTheArrays", 322, 3, kRecordArraySize, 0},
        TPeakCase{"FarBeyondTheArrays", 65535, 3, kRecordArraySize, 0},
        TPeakCase{"BeyondASmallRecord", 100, 3, 50, 0}),
    TByName());

struct TPositionCase {
  const char* Name;
  std::uint16_t Cursor;
  std::uint16_t ArraySize;
  double Amplitude;
};

class MeasurementPositionTest : public ::testing::TestWithParam<TPositionCase> {};

TEST_P(MeasurementPositionTest, ReadsTheColumnBeforeTheCursorInsideTheArrays) {
  const TPositionCase& c = GetParam();
  auto record = MakeRecord(c.ArraySize);
  TBaseConfigCell& cell = CellOf(*record);
  cell.CURSOR_POSITION = c.Cursor;
  cell.SIGNAL_TYPE = 3;
  for (std::size_t i = 0; i < record->FirstMaximums.size(); ++i) {
    record->FirstMaximums[i] = static_cast<std::uint8_t>(100 + i / 4);
    record->FirstMinimums[i] = 90;
  }
  EXPECT_DOUBLE_EQ(SampleAmplitude(*record), c.Amplitude);
}

INSTANTIATE_TEST_SUITE_P(
    ResultParameters, MeasurementPositionTest,
    ::testing::Values(TPositionCase{"ColumnZeroReadsEntryZero", 0, kRecordArraySize, 100},
                      TPositionCase{"ColumnOneReadsEntryZero", 1, kRecordArraySize, 100},
                      TPositionCase{"Column200ReadsEntry199", 200, kRecordArraySize, 149},
                      TPositionCase{"Column319ReadsEntry318", 319, kRecordArraySize, 179},
                      TPositionCase{"Column320GivesZero", 320, kRecordArraySize, 0},
                      TPositionCase{"Column65535GivesZero", 65535, kRecordArraySize, 0},
                      TPositionCase{"BeyondASmallRecordGivesZero", 200, 50, 0}),
    TByName());

// A position of 320 or more gives amplitude 0, which counts as 1 (0 dB);
// with the threshold check on it lies below the strobe and shows "--".
TEST(ResultParametersGridTest, PositionBeyondThePictureIsBelowThreshold) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  std::fill(record->FirstMaximums.begin(), record->FirstMaximums.end(), 170);
  cell.CURSOR_POSITION = 320;
  EXPECT_DOUBLE_EQ(AmplitudeDb(*record), 0);
  EXPECT_DOUBLE_EQ(SignalLevel(*record, false), 90);
  TRecordingGrid grid;
  FillResultsGrid(*record, grid, true);
  EXPECT_EQ(grid.At(0), "--");
  FillResultsGrid(*record, grid, false);
  EXPECT_EQ(grid.At(0), "  90.0");
}

// ---- Thresholds -------------------------------------------------------------

struct TThresholdCase {
  const char* Name;
  std::uint8_t Cursor1;
  std::uint8_t Cursor2;
  std::uint8_t Strobe1;  // percent
  std::uint8_t Strobe2;
  std::uint8_t Sample;
  std::uint16_t UsedMode;
  bool FreezeFlag;
  bool Check;
  bool Below;
};

class ThresholdTest : public ::testing::TestWithParam<TThresholdCase> {};

TEST_P(ThresholdTest, BelowTheThresholdShowsDashes) {
  const TThresholdCase& c = GetParam();
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  cell.CURSOR_1_ENABLED = c.Cursor1;
  cell.CURSOR_2_ENABLED = c.Cursor2;
  cell.STROBE_1_LEVEL_PERCENT = c.Strobe1;
  cell.STROBE_2_LEVEL_PERCENT = c.Strobe2;
  cell.USED_MODE = c.UsedMode;
  cell.Frozen = c.FreezeFlag;
  PutSample(*record, c.Sample);
  const double expected = c.Below ? kResultBelowThreshold : 20 * std::log10(c.Sample) + 90;
  EXPECT_NEAR(SignalLevel(*record, c.Check), expected, 1e-9);
  TRecordingGrid grid;
  FillResultsGrid(*record, grid, c.Check);
  EXPECT_EQ(grid.At(0) == "--", c.Below) << grid.At(0);
}

constexpr std::uint16_t kRunning = 0x0100;
constexpr std::uint16_t kFrozenMode = 0x0300;

// Thresholds in amplitude units: 30 % = 54, 20 % = 36, 10 % = 18, 25 % = 45.
INSTANTIATE_TEST_SUITE_P(
    ResultParameters, ThresholdTest,
    ::testing::Values(
        TThresholdCase{"NeitherCursorLowerStrobeBelow", 0, 0, 30, 20, 35, kRunning, true, true,
                       true},
        TThresholdCase{"NeitherCursorLowerStrobeAt", 0, 0, 30, 20, 36, kRunning, true, true, false},
        TThresholdCase{"NeitherCursorLowerIsStrobe1", 0, 0, 10, 30, 17, kRunning, true, true, true},
        TThresholdCase{"NeitherCursorLowerIsStrobe1At", 0, 0, 10, 30, 18, kRunning, true, true,
                       false},
        TThresholdCase{"EqualStrobes", 0, 0, 25, 25, 44, kRunning, true, true, true},
        TThresholdCase{"EqualStrobesAt", 0, 0, 25, 25, 45, kRunning, true, true, false},
        // Cursor 2 on: strobe 1's level counts.
        TThresholdCase{"Cursor2UsesStrobe1", 0, 1, 30, 10, 53, kRunning, true, true, true},
        TThresholdCase{"Cursor2UsesStrobe1At", 0, 1, 30, 10, 54, kRunning, true, true, false},
        // Cursor 1 on: strobe 2's level counts.
        TThresholdCase{"Cursor1UsesStrobe2", 1, 0, 10, 30, 53, kRunning, true, true, true},
        TThresholdCase{"Cursor1UsesStrobe2Above", 1, 0, 30, 10, 20, kRunning, true, true, false},
        // Both cursors on: no threshold at all.
        TThresholdCase{"BothCursorsSkip", 1, 1, 30, 30, 1, kRunning, true, true, false},
        TThresholdCase{"CheckOff", 0, 0, 30, 20, 1, kRunning, true, false, false},
        TThresholdCase{"FrozenSkips", 0, 0, 30, 20, 1, kFrozenMode, true, true, false},
        // Frozen needs both mode bits and the freeze flag.
        TThresholdCase{"FrozenBitsWithoutFlag", 0, 0, 30, 20, 1, kFrozenMode, false, true, true},
        TThresholdCase{"OneFrozenBit", 0, 0, 30, 20, 1, 0x0200, true, true, true}),
    TByName());

// ---- DGS excess and its averaging -------------------------------------------

// Averages over the last 32 entries, newest first.
double MeanOfLast(const std::vector<double>& values, std::size_t n) {
  const std::size_t from = values.size() > n ? values.size() - n : 0;
  double sum = 0;
  for (std::size_t i = from; i < values.size(); ++i) {
    sum += values[i];
  }
  return sum / static_cast<double>(values.size() - from);
}

TEST(ResultParametersDgsExcessTest, RunningMeanOfTheLast32Evaluations) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  SetUpDgs(cell, 10);
  std::vector<double> excesses;
  for (int i = 0; i < 33; ++i) {
    const auto sample = static_cast<std::uint8_t>(20 + 3 * i);
    PutSample(*record, sample);
    excesses.push_back(20 * std::log10(sample) - 10);
    EXPECT_NEAR(DgsExcess(*record), MeanOfLast(excesses, 32), 1e-9) << "evaluation " << i + 1;
    EXPECT_EQ(record->AveragingHistory1.Count, std::min(i + 1, 32));
    EXPECT_EQ(cell.TVG_ENABLED, 2);
  }
  // The excesses grow, so a mean that still held the first one would be
  // clearly lower than the one expected.
  EXPECT_GT(MeanOfLast(excesses, 32) - MeanOfLast(excesses, 33), 0.1);
  EXPECT_EQ(record->AveragingHistory2.Count, 0) << "the excess keeps history 1 only";
}

// Bits 8 and 9 alone decide here (the freeze flag is off): every
// evaluation starts the history anew.
TEST(ResultParametersDgsExcessTest, FrozenPictureRestartsBothHistories) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  SetUpDgs(cell, 10);
  cell.USED_MODE = kFrozenMode;
  cell.Frozen = false;
  for (const std::uint8_t sample : {30, 90, 60}) {
    PutSample(*record, sample);
    EXPECT_NEAR(DgsExcess(*record), 20 * std::log10(sample) - 10, 1e-9);
    EXPECT_EQ(record->AveragingHistory1.Count, 1);
    const double area = EquivalentArea(*record);
    EXPECT_EQ(record->AveragingHistory2.Count, 1);
    ASSERT_LT(area, kResultNotAvailable);
  }
}

TEST(ResultParametersDgsExcessTest, DgsLevelEntersTwoExcessesAndTheGridOneArea) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  SetUpDgs(cell, 10);
  PutSample(*record, 50);
  record->ResetAveraging();
  SignalLevel(*record, false);
  EXPECT_EQ(record->AveragingHistory1.Count, 2);
  EXPECT_EQ(record->AveragingHistory2.Count, 0);
  record->ResetAveraging();
  TRecordingGrid grid;
  FillResultsGrid(*record, grid, true);
  EXPECT_EQ(record->AveragingHistory1.Count, 2);
  EXPECT_EQ(record->AveragingHistory2.Count, 1);
}

// Capacity and count held by a damaged record stay inside the 32 entries.
TEST(ResultParametersDgsExcessTest, DamagedHistoryStaysInsideItsEntries) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  SetUpDgs(cell, 10);
  PutSample(*record, 100);
  for (const std::uint8_t capacity : {0, 1, 33, 255}) {
    record->AveragingHistory1.Capacity = capacity;
    record->AveragingHistory1.Count = 255;
    record->AveragingHistory1.Values.fill(30);
    const double excess = DgsExcess(*record);
    EXPECT_LE(record->AveragingHistory1.Count, kAveragingCapacity);
    EXPECT_GE(record->AveragingHistory1.Count, 1);
    EXPECT_TRUE(std::isfinite(excess));
    if (capacity == 1 || capacity == 0) {
      EXPECT_NEAR(excess, 30, 1e-9) << "a history of one entry holds the newest excess";
    }
  }
}

struct TDgsLevelCase {
  const char* Name;
  double Excess;  // of the echo over the curve, dB
  std::int32_t Correction;
  bool Check;
  const char* Level;
};

class DgsLevelTest : public ::testing::TestWithParam<TDgsLevelCase> {};

TEST_P(DgsLevelTest, ExcessAndItsThreshold) {
  const TDgsLevelCase& c = GetParam();
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  PutSample(*record, 100);  // 40 dB
  SetUpDgs(cell, 40 - c.Excess);
  cell.ARD_CORRECTION = c.Correction;
  TRecordingGrid grid;
  FillResultsGrid(*record, grid, c.Check);
  EXPECT_EQ(grid.At(0), c.Level);
  EXPECT_EQ(grid.At(1), kNo) << "no search increment in DGS mode";
}

INSTANTIATE_TEST_SUITE_P(
    ResultParameters, DgsLevelTest,
    ::testing::Values(TDgsLevelCase{"FourDbAboveShowsPlus", 4.0, 0, true, "+   4.0"},
                      TDgsLevelCase{"JustAboveHasNoPlus", 0.04, 0, true, "   0.0"},
                      TDgsLevelCase{"PlusFromATenth", 0.2, 0, true, "+   0.2"},
                      TDgsLevelCase{"ShortfallWithinCorrection", -3.0, 5, true, "   -3.0"},
                      TDgsLevelCase{"ShortfallBeyondCorrection", -3.0, 2, true, "--"},
                      TDgsLevelCase{"ShortfallWithoutCheck", -3.0, 0, false, "   -3.0"}),
    TByName());

// ---- Incomplete DGS data and DGS mode off ------------------------------------

struct TIncompleteCase {
  const char* Name;
  std::function<void(TBaseConfigCell&)> Spoil;
};

class IncompleteDgsTest : public ::testing::TestWithParam<TIncompleteCase> {};

TEST_P(IncompleteDgsTest, LevelAndAreaShowDashes) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  PutSample(*record, 100);
  SetUpDgs(cell, 10);
  GetParam().Spoil(cell);
  const std::uint8_t tvg = cell.TVG_ENABLED;
  const double area = cell.ARD_PLATE_FLOOR_DIAMETER;
  EXPECT_EQ(DgsExcess(*record), kResultNotAvailable);
  EXPECT_EQ(EquivalentArea(*record), kResultNotAvailable);
  for (const bool check : {false, true}) {
    TRecordingGrid grid;
    FillResultsGrid(*record, grid, check);
    EXPECT_EQ(grid.At(0), tvg == 2 ? "--" : " 130.0");
    EXPECT_EQ(grid.At(7), "--");
  }
  EXPECT_EQ(record->AveragingHistory1.Count, 0);
  EXPECT_EQ(record->AveragingHistory2.Count, 0);
  EXPECT_EQ(cell.TVG_ENABLED, tvg);
  EXPECT_EQ(cell.ARD_PLATE_FLOOR_DIAMETER, area);
}

INSTANTIATE_TEST_SUITE_P(
    ResultParameters, IncompleteDgsTest,
    ::testing::Values(
        TIncompleteCase{"NoReferenceEcho", [](TBaseConfigCell& c) { c.ARD_SIGNAL_AMPLITUDE = 0; }},
        TIncompleteCase{"NoPlateDiameter", [](TBaseConfigCell& c) { c.ARD_PLATE_DIAMETER = 0; }},
        TIncompleteCase{"NoReflector", [](TBaseConfigCell& c) { c.ARD_PLATE_FLOOR_DIAMETER = 0; }},
        // A curve level above 10000 allows no result either.
        TIncompleteCase{"CurveAboveTheLimit",
                        [](TBaseConfigCell& c) { c.ARD_SIGNAL_AMPLITUDE += 20000; }},
        TIncompleteCase{"DgsModeOff", [](TBaseConfigCell& c) { c.TVG_ENABLED = 1; }}),
    TByName());

// ---- The fields the DGS values change while they run -----------------------

// Sees the fields at the moments the computations ask the cell for the
// measuring point; optionally answers the measured time from a list, in
// turn.
class TSpyCell : public TBaseConfigCell {
 public:
  std::uint16_t MeasurementPosition() const override {
    SeenTvg.push_back(TVG_ENABLED);
    return TBaseConfigCell::MeasurementPosition();
  }
  double MeasuredTime() const override {
    SeenAreas.push_back(ARD_PLATE_FLOOR_DIAMETER);
    if (Times.empty()) {
      return TBaseConfigCell::MeasuredTime();
    }
    return Times[(SeenAreas.size() - 1) % Times.size()];
  }
  void Forget() const {
    SeenTvg.clear();
    SeenAreas.clear();
  }
  mutable std::vector<std::uint8_t> SeenTvg;
  mutable std::vector<double> SeenAreas;
  std::vector<double> Times;
};

TSpyCell& SpyOf(TDataCell& record) {
  return static_cast<TSpyCell&>(CellOf(record));
}

TEST(ResultParametersDgsRestoreTest, ExcessMeasuresOutsideDgsModeAndRestoresIt) {
  auto record = MakeRecord<TSpyCell>();
  TSpyCell& cell = SpyOf(*record);
  PutSample(*record, 100);
  SetUpDgs(cell, 10);
  cell.Forget();
  DgsExcess(*record);
  ASSERT_EQ(cell.SeenTvg.size(), 1u);
  EXPECT_EQ(cell.SeenTvg[0], 0);
  EXPECT_EQ(cell.TVG_ENABLED, 2);
  // The area measures the echo in DGS mode.
  cell.Forget();
  EquivalentArea(*record);
  ASSERT_EQ(cell.SeenTvg.size(), 1u);
  EXPECT_EQ(cell.SeenTvg[0], 2);
}

TEST(ResultParametersDgsRestoreTest, EchoOnTheReferenceCurveGivesTheReferenceArea) {
  auto record = MakeRecord<TSpyCell>();
  TSpyCell& cell = SpyOf(*record);
  PutSample(*record, 100);
  SetUpDgs(cell, 40);
  cell.Forget();
  EXPECT_NEAR(EquivalentArea(*record), 3.0, 1e-9);
  EXPECT_EQ(cell.SeenAreas.size(), 1u) << "no pass of the iteration was needed";
  TRecordingGrid grid;
  record->ResetAveraging();
  FillResultsGrid(*record, grid, false);
  EXPECT_EQ(grid.At(7), "   3.0");
}

// Each pass evaluates the curve for the reflector it assumes; the result
// scales the last one by the echo's distance from its curve, which is
// within 0.5 dB unless a bound stopped the iteration.
enum class TBound { None, Lower, Upper };

struct TAreaCase {
  const char* Name;
  std::uint8_t Sample;
  double Level;  // of the curve for the reference reflector of 3 mm²
  TBound Bound;
};

class EquivalentAreaTest : public ::testing::TestWithParam<TAreaCase> {};

TEST_P(EquivalentAreaTest, IteratesToTheEchoAndRestoresTheReflector) {
  const TAreaCase& c = GetParam();
  auto record = MakeRecord<TSpyCell>();
  TSpyCell& cell = SpyOf(*record);
  PutSample(*record, c.Sample);
  SetUpDgs(cell, c.Level);
  cell.Forget();
  const double area = EquivalentArea(*record);
  EXPECT_EQ(cell.ARD_PLATE_FLOOR_DIAMETER, 3.0);
  ASSERT_GE(cell.SeenAreas.size(), 2u);
  EXPECT_EQ(cell.SeenAreas.front(), 3.0);
  // One measured time for the reference reflector, one per pass.
  const std::size_t passes = cell.SeenAreas.size() - 1;
  EXPECT_LE(passes, static_cast<std::size_t>(kAreaPassLimit));
  const double last = cell.SeenAreas.back();
  cell.ARD_PLATE_FLOOR_DIAMETER = last;
  const double delta = 20 * std::log10(c.Sample) - cell.DgsPointLevel(cell.MeasuredTime());
  cell.ARD_PLATE_FLOOR_DIAMETER = 3.0;
  const double ap = 3.14159265358979323846 * cell.Dgs.De * cell.Dgs.De / 4;
  switch (c.Bound) {
    case TBound::None:
      EXPECT_LE(std::fabs(delta), 0.5);
      EXPECT_GT(last, 0.0081 * ap);
      EXPECT_LT(last, 0.36 * ap);
      break;
    case TBound::Lower:
      EXPECT_DOUBLE_EQ(last, 0.0081 * ap);
      EXPECT_EQ(passes, 1u) << "a bound ends the iteration";
      break;
    case TBound::Upper:
      EXPECT_DOUBLE_EQ(last, 0.36 * ap);
      EXPECT_EQ(passes, 1u) << "a bound ends the iteration";
      break;
  }
  // The value after the last pass is not clamped again.
  EXPECT_NEAR(area, std::pow(10.0, delta / 20) * last, 1e-9 * area);
}

// 12 mm plate: the bounds are 0.92 and 40.7 mm².
INSTANTIATE_TEST_SUITE_P(
    ResultParameters, EquivalentAreaTest,
    ::testing::Values(TAreaCase{"SmallEcho", 20, 30, TBound::None},
                      TAreaCase{"EchoBelowTheReference", 60, 38, TBound::None},
                      TAreaCase{"EchoAboveTheReference", 120, 38, TBound::None},
                      TAreaCase{"FullScaleEcho", 180, 30, TBound::None},
                      TAreaCase{"EchoBeyondTheLargestReflector", 180, 15, TBound::Upper},
                      TAreaCase{"EchoBelowTheSmallestReflector", 1, 40, TBound::Lower}),
    TByName());

// A reflector too small for the model (no valid curve) turns, at its upper
// bound, into one whose curve lies above the limit: the 9990 comes from
// inside the iteration and the reference reflector must be back.
TEST(ResultParametersDgsRestoreTest, NotAvailableInsideTheIterationRestoresTheReflector) {
  auto record = MakeRecord<TSpyCell>();
  TSpyCell& cell = SpyOf(*record);
  PutSample(*record, 100);
  SetUpDgs(cell, 10);
  cell.ARD_SIGNAL_AMPLITUDE = 20000;
  cell.ARD_PLATE_FLOOR_DIAMETER = 0.5;
  const double t = cell.MeasuredTime();
  ASSERT_LE(cell.DgsPointLevel(t), 10000);
  const double ap = 3.14159265358979323846 * cell.Dgs.De * cell.Dgs.De / 4;
  cell.ARD_PLATE_FLOOR_DIAMETER = 0.36 * ap;
  ASSERT_GT(cell.DgsPointLevel(t), 10000);
  cell.ARD_PLATE_FLOOR_DIAMETER = 0.5;
  cell.Forget();
  EXPECT_EQ(EquivalentArea(*record), kResultNotAvailable);
  EXPECT_EQ(cell.SeenAreas.size(), 2u);
  EXPECT_EQ(cell.ARD_PLATE_FLOOR_DIAMETER, 0.5);
  EXPECT_EQ(record->AveragingHistory2.Count, 0);
  EXPECT_EQ(cell.TVG_ENABLED, 2);
}

// A measured time that jumps between two points of the curve keeps the
// echo more than 0.5 dB off the curve of every reflector assumed: only the
// pass limit ends the iteration.
TEST(ResultParametersDgsRestoreTest, PassLimitEndsAnOscillatingIteration) {
  auto record = MakeRecord<TSpyCell>();
  TSpyCell& cell = SpyOf(*record);
  PutSample(*record, 100);
  SetUpDgs(cell, 38);
  const double t = cell.MeasuredTime();
  cell.Times = {t, t * 1.5};
  cell.Forget();
  const double area = EquivalentArea(*record);
  EXPECT_EQ(cell.SeenAreas.size(), 1u + kAreaPassLimit);
  EXPECT_EQ(cell.ARD_PLATE_FLOOR_DIAMETER, 3.0);
  EXPECT_TRUE(std::isfinite(area));
  EXPECT_EQ(record->AveragingHistory2.Count, 1);
}

// ---- Without a cell, and the conditions grid --------------------------------

TEST(ResultParametersGridTest, RecordWithoutCellClearsTheRows) {
  TDataCell record;
  TRecordingGrid results;
  TRecordingGrid conditions;
  FillResultsGrid(record, results, true);
  for (int row = 0; row < kResultRows; ++row) {
    EXPECT_EQ(results.At(row), "") << row;
  }
  EXPECT_EQ(results.Writes, kResultRows);
  results.Cells.clear();
  FillConditionsGrid(record, conditions, results);
  for (int row = 0; row < kResultRows; ++row) {
    EXPECT_EQ(conditions.At(row), "") << row;
  }
  EXPECT_EQ(results.At(2), "");
  EXPECT_EQ(results.Writes + conditions.Writes, kResultRows + kResultRows + 1);
  EXPECT_EQ(SignalLevel(record, true), kResultNotAvailable);
  EXPECT_EQ(DgsExcess(record), kResultNotAvailable);
  EXPECT_EQ(EquivalentArea(record), kResultNotAvailable);
  EXPECT_EQ(SampleAmplitude(record), 0);
}

struct TConditionsCase {
  std::uint16_t Attenuator1;
  const char* Text;
};

class ConditionsGridTest : public ::testing::TestWithParam<TConditionsCase> {};

TEST_P(ConditionsGridTest, ParameterTextsAndAttenuatorRightAligned) {
  auto record = MakeRecord();
  TBaseConfigCell& cell = CellOf(*record);
  cell.ATTENUATOR1 = GetParam().Attenuator1;
  TRecordingGrid conditions;
  TRecordingGrid results;
  FillConditionsGrid(*record, conditions, results);
  const std::uint8_t parameters[kResultRows] = {0, 1, 2, 3, 4, 5, 6, 17};
  for (int row = 0; row < kResultRows; ++row) {
    EXPECT_EQ(conditions.At(row), cell.ParameterText(parameters[row])) << row;
  }
  EXPECT_NE(conditions.At(7), cell.ParameterText(7));
  EXPECT_EQ(results.At(2), GetParam().Text);
  EXPECT_EQ(results.Cells.size(), 1u) << "only row 2 of the results grid";
  EXPECT_EQ(conditions.Cells.count({kCaptionColumn, 0}), 0u) << "captions are the tabs' own";
}

// Right-aligned in 4 characters: a negative value is not padded as in the
// integer format.
INSTANTIATE_TEST_SUITE_P(ResultParameters, ConditionsGridTest,
                         ::testing::Values(TConditionsCase{0, "  90"}, TConditionsCase{85, "   5"},
                                           TConditionsCase{100, " -10"},
                                           TConditionsCase{1000, "-910"},
                                           TConditionsCase{65535, "-65445"}));

}  // namespace
}  // namespace velt
