// The online trace processing: where the strobe rules leave the cursor,
// the amplitude marker and the second cursor on hand-built frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <config/ConfigObject5_01ver_Unit.h>
#include <records/RecordCollectionsUnit.h>
#include <records/UniversalDataObjectUnit.h>
#include <signal/ProcessStrobesUnit.h>

namespace velt {
namespace {

// What every frame starts with, so that "unchanged" is visible.
constexpr std::uint16_t kStartCursor = 160;
constexpr std::uint16_t kStartMarker = 777;
constexpr std::uint16_t kStartSecondCursor = 5;

enum class TCellKind { kBase, k501 };

std::unique_ptr<TBaseConfigCell> MakeCell(TCellKind kind) {
  // Device 1: major 3 minor 0 is the oldest layout (strobes kept as
  // columns), major 5 local 1 the 5.01 layout (strobes kept as times).
  return kind == TCellKind::k501 ? CreateConfigCellForVersion(5, 0, 1, 1)
                                 : CreateConfigCellForVersion(3, 0, 0, 1);
}

// ---- Frame building ------------------------------------------------------

void Fill(std::vector<std::uint8_t>& samples, std::size_t from, std::size_t to,
          std::uint8_t value) {
  for (std::size_t i = from; i <= to; ++i) {
    samples.at(i) = value;
  }
}

// Strobe 1 or 2 of this unit's numbering, through the cell's own setters.
void SetStrobe(TBaseConfigCell& cell, int strobe, std::uint16_t begin, std::uint16_t end,
               std::uint8_t percent) {
  const std::uint8_t selector = strobe == 1 ? 0 : 1;
  cell.SetStrobeBeginPixel(selector, begin);
  cell.SetStrobeEndPixel(selector, end);
  (strobe == 1 ? cell.STROBE_1_LEVEL_PERCENT : cell.STROBE_2_LEVEL_PERCENT) = percent;
}

// A symmetric echo, its peak `height` at `centre`, 10 lower per column
// for three columns on each side.
void Echo(TDataCell& record, std::size_t centre, std::uint8_t height) {
  for (int d = -3; d <= 3; ++d) {
    record.FirstMaximums.at(centre + d) = static_cast<std::uint8_t>(height - 10 * std::abs(d));
  }
}

// Strobe 1 at 30 % (threshold 54): 50 at columns 25..39, 60 at 40, rising
// to 80 at 45 and falling after.
void ExampleEcho(TDataCell& record) {
  Fill(record.FirstMaximums, 25, 39, 50);
  const std::uint8_t rise[] = {60, 64, 68, 72, 76, 80, 70, 60, 50, 40};
  for (std::size_t i = 0; i < std::size(rise); ++i) {
    record.FirstMaximums.at(40 + i) = rise[i];
  }
}

using TFrame = std::function<void(TBaseConfigCell&, TDataCell&)>;
using TRun = std::function<std::uint8_t(TDataCell&)>;

struct TStrobeCase {
  const char* Name = "";
  TCellKind Kind = TCellKind::kBase;
  std::uint8_t Algorithm = 0;
  TFrame Frame = nullptr;
  TRun Run = nullptr;  // empty: Process strobes
  std::uint8_t Result = 0;
  std::uint16_t Cursor = kStartCursor;
  std::uint16_t Marker = kStartMarker;
  std::uint8_t Switch1 = 0;
  std::uint8_t Switch2 = 0;
  std::uint16_t SecondCursor = kStartSecondCursor;  // checked on 5.01 cells
};

void PrintTo(const TStrobeCase& c, std::ostream* os) {
  *os << c.Name;
}

// One record and its configuration, referred to as the drawing record
// refers to the selected configuration. Both strobes have their own range:
// strobe 1 columns 25..100 at 30 %, strobe 2 columns 120..200 at 20 %.
class StrobeFrameTest : public ::testing::Test {
 protected:
  void Build(TCellKind kind) {
    Cell = MakeCell(kind);
    ASSERT_NE(Cell, nullptr);
    ASSERT_EQ(ConfigClassName(*Cell),
              kind == TCellKind::k501 ? "T5_01ConfigCell" : "TBaseConfigCell");
    Record.Refer(Cell.get());
    SetStrobe(*Cell, 1, 25, 100, 30);
    SetStrobe(*Cell, 2, 120, 200, 20);
    ASSERT_EQ(Cell->StrobeBeginPixel(0), 25);
    ASSERT_EQ(Cell->StrobeEndPixel(1), 200);
    Cell->CURSOR_POSITION = kStartCursor;
    Cell->AMPLITUDE_MARKER_POSITION = kStartMarker;
    Cell->CURSOR_1_ENABLED = 0;
    Cell->CURSOR_2_ENABLED = 0;
    Cell->SIGNAL_TYPE = 0;
    Cell->TVG_ENABLED = 0;
    Cell->Parameter29Value = 1;
    if (auto* twoCursors = SecondCursorCell()) {
      twoCursors->VCURSOR_2 = kStartSecondCursor;
    }
    std::fill(Record.FirstMaximums.begin(), Record.FirstMaximums.end(), 0);
    std::fill(Record.FirstMinimums.begin(), Record.FirstMinimums.end(), 90);  // RF zero line
    Record.DgsCurve3.fill(0);
  }

  T5_01ConfigCell* SecondCursorCell() const { return dynamic_cast<T5_01ConfigCell*>(Cell.get()); }

  std::unique_ptr<TBaseConfigCell> Cell;
  TDataCell Record{kRecordArraySize};
};

class ProcessStrobesTest : public StrobeFrameTest,
                           public ::testing::WithParamInterface<TStrobeCase> {};

TEST_P(ProcessStrobesTest, PlacesCursorAndMarker) {
  const TStrobeCase& c = GetParam();
  Build(c.Kind);
  Cell->STROBE_ALGORYTHM = c.Algorithm;
  if (c.Frame) {
    c.Frame(*Cell, Record);
  }
  const std::uint8_t result = c.Run ? c.Run(Record) : ProcessStrobes(Record);
  EXPECT_EQ(result, c.Result);
  EXPECT_EQ(Cell->CURSOR_POSITION, c.Cursor);
  EXPECT_EQ(Cell->AMPLITUDE_MARKER_POSITION, c.Marker);
  EXPECT_EQ(Cell->CURSOR_1_ENABLED, c.Switch1);
  EXPECT_EQ(Cell->CURSOR_2_ENABLED, c.Switch2);
  if (const auto* twoCursors = SecondCursorCell()) {
    EXPECT_EQ(twoCursors->VCURSOR_2, c.SecondCursor);
  }
  EXPECT_EQ(Cell->STROBE_ALGORYTHM, c.Algorithm);
}

// Frames shared by several cases.
void ExampleWithStrobe2Echo(TBaseConfigCell&, TDataCell& r) {
  ExampleEcho(r);
  Echo(r, 150, 120);  // must not matter: strobe 1 already has a hit
}
void EchoesAt60And150(TBaseConfigCell&, TDataCell& r) {
  Echo(r, 60, 120);
  Echo(r, 150, 120);
}
void BothCursors(TBaseConfigCell& cell, TDataCell& r) {
  EchoesAt60And150(cell, r);
  cell.CURSOR_1_ENABLED = 1;
  cell.CURSOR_2_ENABLED = 1;
}
void SingleColumnNearEnd(TBaseConfigCell& cell, TDataCell& r, std::size_t column) {
  SetStrobe(cell, 1, 300, 319, 30);
  r.FirstMaximums.at(column) = 100;
}
// Two echoes above 54 in strobe 1 (columns 25..200) separated by a dip; the
// first is the higher, so the second's peak is found only when the peak is
// restarted at its crossing.
void TwoEchoes(TBaseConfigCell& cell, TDataCell& r) {
  SetStrobe(cell, 1, 25, 200, 30);
  Fill(r.FirstMaximums, 40, 45, 100);
  r.FirstMaximums.at(42) = 130;
  Fill(r.FirstMaximums, 46, 59, 30);
  Fill(r.FirstMaximums, 60, 70, 90);
  r.FirstMaximums.at(65) = 120;
}
void OneEcho(TBaseConfigCell& cell, TDataCell& r) {
  SetStrobe(cell, 1, 25, 200, 30);
  Fill(r.FirstMaximums, 40, 45, 100);
  r.FirstMaximums.at(42) = 130;
}

const TStrobeCase kCases[] = {
    // ---- Rules 0 and 1 ----
    {.Name = "Rule0CursorOnCrossingMarkerOnPeak",
     .Algorithm = 0,
     .Frame = ExampleWithStrobe2Echo,
     .Result = 1,
     .Cursor = 41,
     .Marker = 46},
    {.Name = "Rule1CursorAndMarkerOnPeak",
     .Algorithm = 1,
     .Frame = ExampleWithStrobe2Echo,
     .Result = 1,
     .Cursor = 46,
     .Marker = 46},
    {.Name = "SampleEqualToLevelIsNotAbove",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 25, 100, 25);  // threshold 45 exactly
           Fill(r.FirstMaximums, 25, 59, 45);
           r.FirstMaximums.at(60) = 46;
         },
     .Result = 1,
     .Cursor = 61,
     .Marker = 61},
    {.Name = "Strobe1AsCursorSearchesStrobe2",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           ExampleWithStrobe2Echo(cell, r);
           cell.CURSOR_1_ENABLED = 1;
         },
     .Result = 2,
     .Cursor = 148,
     .Marker = 151,
     .Switch1 = 1},
    {.Name = "Strobe2SearchedWhenStrobe1HasNoHit",
     .Algorithm = 0,
     .Frame = [](TBaseConfigCell&, TDataCell& r) { Echo(r, 150, 120); },
     .Result = 2,
     .Cursor = 148,
     .Marker = 151},
    {.Name = "Strobe2AsCursorIsNotSearched",
     .Algorithm = 1,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           Echo(r, 150, 120);
           cell.CURSOR_2_ENABLED = 1;
         },
     .Result = 0,
     .Cursor = kStartCursor,
     .Marker = 0,
     .Switch2 = 1},
    {.Name = "NoEchoClearsMarkerKeepsCursor", .Algorithm = 0, .Result = 0, .Marker = 0},
    {.Name = "BothCursorsRule0",
     .Algorithm = 0,
     .Frame = BothCursors,
     .Result = 0,
     .Marker = 0,
     .Switch1 = 1,
     .Switch2 = 1},
    {.Name = "BothCursorsRule1",
     .Algorithm = 1,
     .Frame = BothCursors,
     .Result = 0,
     .Marker = 0,
     .Switch1 = 1,
     .Switch2 = 1},
    {.Name = "BothCursorsRule2",
     .Algorithm = 2,
     .Frame = BothCursors,
     .Result = 0,
     .Marker = 0,
     .Switch1 = 1,
     .Switch2 = 1},

    // ---- Strobe ranges ----
    {.Name = "Strobe1BeginAt320IsSkipped",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 320, 400, 30);
           r.FirstMaximums.at(320) = 200;  // the spare entry past the picture
           Echo(r, 150, 120);
         },
     .Result = 2,
     .Cursor = 148,
     .Marker = 151},
    {.Name = "Strobe1Begin65535IsSkipped",
     .Algorithm = 1,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 65535, 65535, 30);
           Echo(r, 150, 120);
         },
     .Result = 2,
     .Cursor = 151,
     .Marker = 151},
    {.Name = "EndAbove319IsTakenAs319",
     .Algorithm = 1,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 300, 400, 30);
           r.FirstMaximums.at(319) = 100;
           r.FirstMaximums.at(320) = 170;  // past the end column: never the peak
         },
     .Result = 1,
     .Cursor = 319,
     .Marker = 320},
    {.Name = "EndBeforeBeginIsEmpty",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 60, 50, 30);
           Fill(r.FirstMaximums, 40, 70, 100);
         },
     .Result = 0,
     .Marker = 0},
    {.Name = "CursorColumn318Stays",
     .Algorithm = 1,
     .Frame = [](TBaseConfigCell& cell, TDataCell& r) { SingleColumnNearEnd(cell, r, 317); },
     .Result = 1,
     .Cursor = 318,
     .Marker = 318},
    {.Name = "CursorColumn319StoredAs319",
     .Algorithm = 1,
     .Frame = [](TBaseConfigCell& cell, TDataCell& r) { SingleColumnNearEnd(cell, r, 318); },
     .Result = 1,
     .Cursor = 319,
     .Marker = 319},
    {.Name = "CursorColumn320StoredAs319",
     .Algorithm = 0,
     .Frame = [](TBaseConfigCell& cell, TDataCell& r) { SingleColumnNearEnd(cell, r, 319); },
     .Result = 1,
     .Cursor = 319,
     .Marker = 320},

    // ---- Flat trace ----
    {.Name = "FlatTraceRule0",
     .Algorithm = 0,
     .Frame = [](TBaseConfigCell&, TDataCell& r) { Fill(r.FirstMaximums, 0, 319, 100); },
     .Result = 1,
     .Cursor = 26,
     .Marker = 26},
    {.Name = "FlatTraceRule1",
     .Algorithm = 1,
     .Frame = [](TBaseConfigCell&, TDataCell& r) { Fill(r.FirstMaximums, 0, 319, 100); },
     .Result = 1,
     .Cursor = 26,
     .Marker = 26},
    {.Name = "FlatTracePeakAtColumn0KeepsCursor",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 0, 100, 30);
           Fill(r.FirstMaximums, 0, 319, 100);
         },
     .Run = [](TDataCell& r) { return FindPeak(r, 1, false); },
     .Result = 1,
     .Cursor = kStartCursor,
     .Marker = 1},
    {.Name = "FlatTracePeakAtColumn5MovesCursor",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 5, 100, 30);
           Fill(r.FirstMaximums, 0, 319, 100);
         },
     .Run = [](TDataCell& r) { return FindPeak(r, 1, false); },
     .Result = 1,
     .Cursor = 6,
     .Marker = 6},

    // ---- Radio-frequency display ----
    {.Name = "RfAt50PercentRule0",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           SetStrobe(cell, 1, 25, 100, 50);  // threshold on the zero line
           r.FirstMaximums.at(30) = 170;     // the positive half-wave plays no part
           r.FirstMinimums.at(40) = 89;
           r.FirstMinimums.at(41) = 85;
           r.FirstMinimums.at(50) = 20;
           r.FirstMinimums.at(51) = 60;
         },
     .Result = 1,
     .Cursor = 41,
     .Marker = 51},
    {.Name = "RfAt50PercentRule1",
     .Algorithm = 1,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           SetStrobe(cell, 1, 25, 100, 50);
           r.FirstMaximums.at(30) = 170;
           r.FirstMinimums.at(40) = 89;
           r.FirstMinimums.at(50) = 20;
         },
     .Result = 1,
     .Cursor = 51,
     .Marker = 51},
    {.Name = "RfAbove50PercentUsesPositiveHalfWave",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           SetStrobe(cell, 1, 25, 100, 75);  // threshold 135
           r.FirstMinimums.at(30) = 5;       // a deep negative half-wave plays no part
           r.FirstMaximums.at(33) = 135;
           r.FirstMaximums.at(35) = 140;
           r.FirstMaximums.at(36) = 160;
         },
     .Result = 1,
     .Cursor = 36,
     .Marker = 37},
    {.Name = "RfBelow50PercentUsesNegativeHalfWave",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           SetStrobe(cell, 1, 25, 100, 25);  // threshold 45, 45 below the zero line
           r.FirstMaximums.at(28) = 170;
           r.FirstMinimums.at(30) = 50;
           r.FirstMinimums.at(31) = 45;  // exactly as far: not beyond
           r.FirstMinimums.at(32) = 44;
           r.FirstMinimums.at(35) = 10;
         },
     .Result = 1,
     .Cursor = 33,
     .Marker = 36},
    {.Name = "PeakOfStrobe2UsesItsOwnLevel",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           SetStrobe(cell, 1, 25, 100, 75);
           SetStrobe(cell, 2, 120, 200, 25);
           r.FirstMinimums.at(130) = 20;
           r.FirstMaximums.at(140) = 170;
         },
     .Run = [](TDataCell& r) { return FindPeak(r, 2, true); },
     .Result = 2,
     .Cursor = kStartCursor,
     .Marker = 131},

    // ---- DGS mode ----
    {.Name = "DgsModeCrossesDgsCurve3",
     .Algorithm = 0,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.TVG_ENABLED = 2;
           r.DgsCurve3.fill(100);
           Fill(r.FirstMaximums, 30, 35, 80);  // above the 30 % level, below the curve
           r.DgsCurve3.at(65) = 60;
           r.FirstMaximums.at(65) = 60;  // equal to the curve: not above
           r.DgsCurve3.at(70) = 59.5;
           r.FirstMaximums.at(70) = 60;
         },
     .Result = 1,
     .Cursor = 71,
     .Marker = 31},
    {.Name = "DgsModeBelowCurveFindsNothing",
     .Algorithm = 1,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.TVG_ENABLED = 2;
           r.DgsCurve3.fill(200);
           EchoesAt60And150(cell, r);
         },
     .Result = 0,
     .Marker = 0},

    // ---- Rule 2: the N-th echo ----
    {.Name = "Rule2SecondOfTwoEchoes",
     .Algorithm = 2,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           TwoEchoes(cell, r);
           cell.Parameter29Value = 2;
         },
     .Result = 1,
     .Cursor = 66,
     .Marker = 66},
    {.Name = "Rule2FirstOfTwoEchoes",
     .Algorithm = 2,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           TwoEchoes(cell, r);
           cell.Parameter29Value = 1;
         },
     .Result = 1,
     .Cursor = 43,
     .Marker = 43},
    {.Name = "Rule2SecondEchoMissing",
     .Algorithm = 2,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           OneEcho(cell, r);
           cell.Parameter29Value = 2;
         },
     .Result = 1,
     .Cursor = kStartCursor,
     .Marker = 0},
    {.Name = "Rule2AboveLevelAtBeginIsFirstEcho",
     .Algorithm = 2,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 25, 200, 30);
           Fill(r.FirstMaximums, 25, 30, 100);
           Fill(r.FirstMaximums, 60, 64, 90);
           r.FirstMaximums.at(62) = 120;
           cell.Parameter29Value = 2;
         },
     .Result = 1,
     .Cursor = 63,
     .Marker = 63},
    {.Name = "Rule2CountsFirstMaximumsInRf",
     .Algorithm = 2,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           SetStrobe(cell, 1, 25, 200, 25);  // the crossing reads the minimums
           r.FirstMinimums.at(30) = 10;
           Echo(r, 60, 100);
           Echo(r, 80, 100);
           cell.Parameter29Value = 2;
         },
     .Result = 1,
     .Cursor = 81,
     .Marker = 81},

    // ---- Rule 3: two strobes ----
    {.Name = "Rule3On501KeepsBothEchoes",
     .Kind = TCellKind::k501,
     .Algorithm = 3,
     .Frame = EchoesAt60And150,
     .Result = 2,
     .Cursor = 61,
     .Marker = 151,
     .SecondCursor = 151},
    {.Name = "Rule3On501Strobe1FindsNothing",
     .Kind = TCellKind::k501,
     .Algorithm = 3,
     .Frame = [](TBaseConfigCell&, TDataCell& r) { Echo(r, 150, 120); },
     .Result = 2,
     .Cursor = 151,
     .Marker = 151,
     .SecondCursor = kStartSecondCursor},
    {.Name = "Rule3On501Strobe2FindsNothing",
     .Kind = TCellKind::k501,
     .Algorithm = 3,
     .Frame = [](TBaseConfigCell&, TDataCell& r) { Echo(r, 60, 120); },
     .Result = 0,
     .Cursor = 61,
     .Marker = 0,
     .SecondCursor = 61},
    {.Name = "Rule3On501WithOneCursorIsRule1",
     .Kind = TCellKind::k501,
     .Algorithm = 3,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           EchoesAt60And150(cell, r);
           cell.CURSOR_2_ENABLED = 1;
         },
     .Result = 1,
     .Cursor = 61,
     .Marker = 61,
     .Switch2 = 1,
     .SecondCursor = kStartSecondCursor},
    {.Name = "Rule3OnOlderCellEndsOnStrobe2",
     .Algorithm = 3,
     .Frame = EchoesAt60And150,
     .Result = 2,
     .Cursor = 151,
     .Marker = 151},
    {.Name = "Rule3BothCursorsIsRule1",
     .Algorithm = 3,
     .Frame = BothCursors,
     .Result = 0,
     .Marker = 0,
     .Switch1 = 1,
     .Switch2 = 1},

    // ---- Other rules ----
    {.Name = "Rule4ChangesNothing",
     .Kind = TCellKind::k501,
     .Algorithm = 4,
     .Frame = EchoesAt60And150,
     .Result = 0},
    {.Name = "Rule255ChangesNothing", .Algorithm = 255, .Frame = EchoesAt60And150, .Result = 0},

    // ---- The searches on their own ----
    {.Name = "CrossingWithoutSettingCursor",
     .Frame = ExampleWithStrobe2Echo,
     .Run = [](TDataCell& r) { return FindCrossing(r, false); },
     .Result = 1},
    {.Name = "CrossingSettingCursor",
     .Frame = ExampleWithStrobe2Echo,
     .Run = [](TDataCell& r) { return FindCrossing(r, true); },
     .Result = 1,
     .Cursor = 41},
    {.Name = "PeakOfStrobe0ClearsMarker",
     .Frame = EchoesAt60And150,
     .Run = [](TDataCell& r) { return FindPeak(r, 0, false); },
     .Result = 0,
     .Marker = 0},
    {.Name = "PeakBeyondPictureKeepsMarker",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 320, 330, 30);
           Fill(r.FirstMaximums, 0, 320, 100);
         },
     .Run = [](TDataCell& r) { return FindPeak(r, 1, false); },
     .Result = 0},
    {.Name = "PeakFirstOfEqualPeaksWins",
     .Frame =
         [](TBaseConfigCell&, TDataCell& r) {
           r.FirstMaximums.at(40) = 100;
           r.FirstMaximums.at(60) = 100;
         },
     .Run = [](TDataCell& r) { return FindPeak(r, 1, false); },
     .Result = 1,
     .Cursor = 41,
     .Marker = 41},
    {.Name = "PeakOfEmptyRangeIsBegin",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 50, 40, 30);
           Fill(r.FirstMaximums, 30, 70, 100);
           r.FirstMaximums.at(60) = 150;
         },
     .Run = [](TDataCell& r) { return FindPeak(r, 1, true); },
     .Result = 1,
     .Cursor = kStartCursor,
     .Marker = 51},
    {.Name = "PulseOfStrobe0ClearsMarker",
     .Frame = EchoesAt60And150,
     .Run = [](TDataCell& r) { return FindPulse(r, 0, 1); },
     .Result = 0,
     .Marker = 0},
    {.Name = "PulseBeyondPictureKeepsMarker",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 2, 400, 500, 20);
           Fill(r.FirstMaximums, 0, 320, 100);
         },
     .Run = [](TDataCell& r) { return FindPulse(r, 2, 1); },
     .Result = 0},
    {.Name = "PulseInStrobe2",
     .Frame = EchoesAt60And150,
     .Run = [](TDataCell& r) { return FindPulse(r, 2, 1); },
     .Result = 2,
     .Cursor = 151,
     .Marker = 151},
    {.Name = "PulseThirdOfTwoEchoes",
     .Frame = TwoEchoes,
     .Run = [](TDataCell& r) { return FindPulse(r, 1, 3); },
     .Result = 1,
     .Marker = 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProcessStrobesTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.Name); });

// ---- Values no instrument should send ------------------------------------

struct TAbsurdCase {
  const char* Name = "";
  TCellKind Kind = TCellKind::kBase;
  TFrame Frame = nullptr;
  std::uint8_t Crossing = 0;  // FindCrossing
  std::uint8_t Peak1 = 0;     // FindPeak of strobe 1
  std::uint8_t Pulse1 = 0;    // FindPulse of strobe 1
  std::uint8_t Strobe2 = 0;   // FindPeak and FindPulse of strobe 2
};

// A fresh array of the first n entries: no spare capacity behind it, so the
// sanitizer sees any read past its end.
std::vector<std::uint8_t> Shortened(const std::vector<std::uint8_t>& samples, std::size_t n) {
  return {samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(n)};
}

void PrintTo(const TAbsurdCase& c, std::ostream* os) {
  *os << c.Name;
}

class ProcessStrobesAbsurdTest : public StrobeFrameTest,
                                 public ::testing::WithParamInterface<TAbsurdCase> {};

// Every search and every rule runs on the setup (the sanitizer build checks
// that nothing reads outside the arrays); the results are the documented
// ones and the positions stay within the picture.
TEST_P(ProcessStrobesAbsurdTest, StaysInsideTheRecord) {
  const TAbsurdCase& c = GetParam();
  Build(c.Kind);
  EchoesAt60And150(*Cell, Record);
  c.Frame(*Cell, Record);
  const std::uint8_t switch1 = Cell->CURSOR_1_ENABLED;
  const std::uint8_t switch2 = Cell->CURSOR_2_ENABLED;

  EXPECT_EQ(FindCrossing(Record, true), c.Crossing);
  EXPECT_EQ(FindPeak(Record, 1, false), c.Peak1);
  EXPECT_EQ(FindPeak(Record, 2, true), c.Strobe2);
  EXPECT_EQ(FindPulse(Record, 1, 255), c.Pulse1);
  EXPECT_EQ(FindPulse(Record, 1, 0), c.Pulse1);
  EXPECT_EQ(FindPulse(Record, 2, 1), c.Strobe2);
  for (const int algorithm : {0, 1, 2, 3, 4}) {
    SCOPED_TRACE(algorithm);
    Cell->STROBE_ALGORYTHM = static_cast<std::uint8_t>(algorithm);
    const std::uint8_t result = ProcessStrobes(Record);
    if (algorithm <= 2) {
      EXPECT_EQ(result, c.Crossing);
    }
    EXPECT_LE(Cell->CURSOR_POSITION, 319);
    EXPECT_LE(Cell->AMPLITUDE_MARKER_POSITION, 320);
    EXPECT_EQ(Cell->CURSOR_1_ENABLED, algorithm == 3 ? 0 : switch1);
    EXPECT_EQ(Cell->CURSOR_2_ENABLED, algorithm == 3 ? 0 : switch2);
  }
}

const TAbsurdCase kAbsurdCases[] = {
    {.Name = "Begins65535EndsZero",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell&) {
           SetStrobe(cell, 1, 65535, 0, 30);
           SetStrobe(cell, 2, 65535, 0, 20);
         }},
    {.Name = "EndsZero",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell&) {
           SetStrobe(cell, 1, 25, 0, 30);
           SetStrobe(cell, 2, 120, 0, 20);
         },
     .Peak1 = 1,
     .Pulse1 = 1,
     .Strobe2 = 2},
    {.Name = "LevelPercent255",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.STROBE_1_LEVEL_PERCENT = 255;
           cell.STROBE_2_LEVEL_PERCENT = 255;
           Fill(r.FirstMaximums, 0, 320, 255);
         },
     .Peak1 = 1,
     .Pulse1 = 1,
     .Strobe2 = 2},
    {.Name = "LevelPercent255InRf",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           cell.STROBE_1_LEVEL_PERCENT = 255;
           cell.STROBE_2_LEVEL_PERCENT = 255;
           Fill(r.FirstMaximums, 0, 320, 255);
           Fill(r.FirstMinimums, 0, 320, 0);
         },
     .Peak1 = 1,
     .Pulse1 = 1,
     .Strobe2 = 2},
    {.Name = "DgsCurveNotANumber",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.TVG_ENABLED = 2;
           r.DgsCurve3.fill(std::numeric_limits<double>::quiet_NaN());
         },
     .Peak1 = 1,
     .Pulse1 = 1,
     .Strobe2 = 2},
    {.Name = "IndexMarkMks200",
     .Kind = TCellKind::k501,
     .Frame =
         [](TBaseConfigCell& cell, TDataCell&) {
           auto& times = dynamic_cast<T5_01ConfigCell&>(cell);
           cell.INDEX_MARK_MKS = 200;  // taken as the last entry, 100 us
           cell.PIXEL_GRID_LENGTH = 50;
           times.StrobeBeginTime = {1e12, 200};  // strobe 1 past the picture, strobe 2 at 100
           times.StrobeEndTime = {std::numeric_limits<double>::quiet_NaN(), 1e12};
           ASSERT_EQ(cell.StrobeBeginPixel(0), 65535);
           ASSERT_EQ(cell.StrobeBeginPixel(1), 100);
         },
     .Crossing = 2,
     .Strobe2 = 2},
    {.Name = "ShortVectors",
     .Frame =
         [](TBaseConfigCell&, TDataCell& r) {
           r.FirstMaximums = Shortened(r.FirstMaximums, 50);  // strobe 1 partly held, strobe 2 not
           r.FirstMinimums = Shortened(r.FirstMinimums, 20);
           Echo(r, 40, 120);
         },
     .Crossing = 1,
     .Peak1 = 1,
     .Pulse1 = 1},
    {.Name = "ShortMinimumsInRf",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           cell.SIGNAL_TYPE = 3;
           cell.STROBE_1_LEVEL_PERCENT = 25;  // reads the minimums
           cell.STROBE_2_LEVEL_PERCENT = 75;  // reads the maximums
           r.FirstMinimums = Shortened(r.FirstMinimums, 20);
           Echo(r, 150, 170);  // 140..170: beyond the 135 of strobe 2
         },
     .Crossing = 2,
     .Pulse1 = 1,
     .Strobe2 = 2},
    {.Name = "EmptyVectors",
     .Frame =
         [](TBaseConfigCell&, TDataCell& r) {
           r.FirstMaximums = {};
           r.FirstMinimums = {};
           r.SecondMaximums = {};
           r.SecondMinimums = {};
         }},
    {.Name = "SmallRecord",
     .Frame =
         [](TBaseConfigCell& cell, TDataCell& r) {
           SetStrobe(cell, 1, 2, 400, 1);
           r.FirstMaximums = std::vector<std::uint8_t>(11, 100);
           r.FirstMinimums = std::vector<std::uint8_t>(11, 0);
         },
     .Crossing = 1,
     .Peak1 = 1,
     .Pulse1 = 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProcessStrobesAbsurdTest, ::testing::ValuesIn(kAbsurdCases),
                         [](const auto& param) { return std::string(param.param.Name); });

// ---- The record's surroundings -------------------------------------------

TEST(ProcessStrobesRecordTest, RecordWithoutConfigurationGivesZero) {
  TDataCell record;
  record.FirstMaximums.assign(record.FirstMaximums.size(), 200);
  EXPECT_EQ(ProcessStrobes(record), 0);
  EXPECT_EQ(FindCrossing(record, true), 0);
  EXPECT_EQ(FindPeak(record, 1, false), 0);
  EXPECT_EQ(FindPulse(record, 1, 1), 0);
  EXPECT_EQ(record.Configuration(), nullptr);
}

// The online tick processes the configuration collection's drawing record:
// the positions land in the selected configuration, the others and the
// collection's flags stay as they were.
TEST(ProcessStrobesRecordTest, DrawingRecordWritesIntoSelectedConfigurationOnly) {
  TUSBConfigsBlock block;
  block.Build(3, 5, 0, 1, 1);
  ASSERT_EQ(ConfigClassName(*block.Configurations[1]), "T5_01ConfigCell");
  block.LoadedFlags = {true, true, false};
  TBaseConfigCell& selected = *block.Configurations[1];
  block.DrawingRecord->Refer(&selected);
  selected.STROBE_ALGORYTHM = 3;
  SetStrobe(selected, 1, 25, 100, 30);
  SetStrobe(selected, 2, 120, 200, 20);
  Echo(*block.DrawingRecord, 60, 120);
  Echo(*block.DrawingRecord, 150, 120);
  const std::uint16_t otherCursor = block.Configurations[0]->CURSOR_POSITION;

  EXPECT_EQ(ProcessStrobes(*block.DrawingRecord), 2);
  EXPECT_EQ(selected.CURSOR_POSITION, 61);
  EXPECT_EQ(dynamic_cast<T5_01ConfigCell&>(selected).VCURSOR_2, 151);
  EXPECT_EQ(selected.AMPLITUDE_MARKER_POSITION, 151);
  EXPECT_EQ(block.Configurations[0]->CURSOR_POSITION, otherCursor);
  EXPECT_EQ(block.Configurations[0]->AMPLITUDE_MARKER_POSITION, 0);
  EXPECT_EQ(block.ChangedFlags, std::vector<bool>(3, false));
  EXPECT_EQ(block.LoadedFlags, (std::vector<bool>{true, true, false}));
}

}  // namespace
}  // namespace velt
