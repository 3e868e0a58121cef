#include <signal/ProcessStrobesUnit.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include <config/ConfigObject5_01ver_Unit.h>

namespace velt {

namespace {

constexpr std::size_t kPictureColumns = 320;  // columns 0..319
constexpr int kZeroLine = 90;                 // of the radio-frequency display
constexpr std::uint8_t kRadioFrequency = 3;   // SIGNAL TYPE
constexpr std::uint8_t kDgsMode = 2;          // TVG_ENABLED

using TSamples = std::vector<std::uint8_t>;

// The cell's strobe selector for a strobe number of this unit.
std::uint8_t Selector(std::uint8_t strobe) {
  return strobe == 1 ? 0 : 1;
}

std::uint8_t LevelPercent(const TBaseConfigCell& cell, std::uint8_t strobe) {
  return strobe == 1 ? cell.STROBE_1_LEVEL_PERCENT : cell.STROBE_2_LEVEL_PERCENT;
}

std::uint8_t CursorSwitch(const TBaseConfigCell& cell, std::uint8_t strobe) {
  return strobe == 1 ? cell.CURSOR_1_ENABLED : cell.CURSOR_2_ENABLED;
}

// The threshold in screen units; not rounded.
double Threshold(std::uint8_t percent) {
  return percent / 100.0 * kFullScale;
}

// The columns of a strobe that can be read. `held` is the number of entries
// of the shortest array the search reads; the configuration may name any
// column at all, so the range is cut to the picture and to what is held.
struct TStrobeRange {
  bool Evaluated = false;  // false: the begin lies past the picture or the data
  std::size_t Begin = 0;
  std::size_t End = 0;  // inclusive; End < Begin is an empty range
  bool Empty() const { return End < Begin; }
};

TStrobeRange RangeOf(const TBaseConfigCell& cell, std::uint8_t strobe, std::size_t held) {
  const std::size_t columns = std::min(kPictureColumns, held);
  TStrobeRange range;
  range.Begin = cell.StrobeBeginPixel(Selector(strobe));
  if (range.Begin >= columns) {
    return range;
  }
  range.Evaluated = true;
  range.End = std::min<std::size_t>(cell.StrobeEndPixel(Selector(strobe)), columns - 1);
  return range;
}

// The four threshold tests of the crossing search, in the order they are
// chosen.
enum class TCrossingTest { kDgsCurve, kPositiveHalfWave, kNegativeHalfWave, kPlain };

TCrossingTest CrossingTestFor(const TBaseConfigCell& cell, double level) {
  if (cell.TVG_ENABLED == kDgsMode) {
    return TCrossingTest::kDgsCurve;
  }
  if (cell.SIGNAL_TYPE == kRadioFrequency) {
    return level > kZeroLine ? TCrossingTest::kPositiveHalfWave : TCrossingTest::kNegativeHalfWave;
  }
  return TCrossingTest::kPlain;
}

// The first hit column of one strobe, or false.
bool CrossingIn(const TDataCell& record, const TBaseConfigCell& cell, std::uint8_t strobe,
                std::size_t& hit) {
  const double level = Threshold(LevelPercent(cell, strobe));
  const TCrossingTest test = CrossingTestFor(cell, level);
  const TSamples& samples =
      test == TCrossingTest::kNegativeHalfWave ? record.FirstMinimums : record.FirstMaximums;
  std::size_t held = samples.size();
  if (test == TCrossingTest::kDgsCurve) {
    held = std::min(held, record.DgsCurve3.size());
  }
  const TStrobeRange range = RangeOf(cell, strobe, held);
  if (!range.Evaluated || range.Empty()) {
    return false;
  }
  for (std::size_t m = range.Begin; m <= range.End; ++m) {
    const int v = samples[m];
    bool passes = false;
    switch (test) {
      case TCrossingTest::kDgsCurve:
        passes = v > record.DgsCurve3[m];
        break;
      case TCrossingTest::kPositiveHalfWave:
        passes = v - kZeroLine > level - kZeroLine;
        break;
      case TCrossingTest::kNegativeHalfWave:
        // The negative half-wave must reach further below the zero line
        // than the threshold lies from it.
        passes = kZeroLine - v > std::abs(level - kZeroLine);
        break;
      case TCrossingTest::kPlain:
        passes = v > level;
        break;
    }
    if (passes) {
      hit = m;
      return true;
    }
  }
  return false;
}

// Rules 0 and 1: the crossing moves the cursor, the peak the marker (and,
// for rule 1, the cursor too).
std::uint8_t CrossingThenPeak(TDataCell& record, bool keepCursor) {
  const std::uint8_t strobe = FindCrossing(record, true);
  FindPeak(record, strobe, keepCursor);
  return strobe;
}

// Rule 3 with both strobes active: one pass of rule 1 per strobe. A 5.01
// cell keeps the strobe 1 echo in its first cursor and the strobe 2 echo in
// its second one, so that its measured time is the time between them.
std::uint8_t TwoStrobes(TDataCell& record, TBaseConfigCell& cell) {
  auto* twoCursors = dynamic_cast<T5_01ConfigCell*>(&cell);

  cell.CURSOR_1_ENABLED = 0;
  cell.CURSOR_2_ENABLED = 1;
  const std::uint8_t first = CrossingThenPeak(record, false);
  const bool keepBoth = twoCursors != nullptr && first != 0;
  const std::uint16_t firstCursor = cell.CURSOR_POSITION;

  cell.CURSOR_1_ENABLED = 1;
  cell.CURSOR_2_ENABLED = 0;
  const std::uint8_t second = CrossingThenPeak(record, false);
  if (keepBoth) {
    // When strobe 2 found nothing the cursor still is the strobe 1 echo.
    twoCursors->VCURSOR_2 = cell.CURSOR_POSITION;
    cell.CURSOR_POSITION = firstCursor;
  }
  cell.CURSOR_1_ENABLED = 0;
  return second;
}

}  // namespace

std::uint8_t FindCrossing(TDataCell& record, bool setCursor) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return 0;
  }
  for (const std::uint8_t strobe : {std::uint8_t{1}, std::uint8_t{2}}) {
    if (CursorSwitch(*cell, strobe) != 0) {
      continue;  // that strobe is a cursor now
    }
    std::size_t hit = 0;
    if (CrossingIn(record, *cell, strobe, hit)) {
      if (setCursor) {
        cell->SetCursorPixel(static_cast<std::uint16_t>(hit + 1));
      }
      return strobe;
    }
  }
  return 0;
}

std::uint8_t FindPeak(TDataCell& record, std::uint8_t strobe, bool keepCursor) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return 0;
  }
  if (strobe == 0) {
    cell->AMPLITUDE_MARKER_POSITION = 0;
    return 0;
  }
  // The value of a column: the first maximum, or in the radio-frequency
  // display the half-wave on the threshold's side of the zero line.
  const bool radioFrequency = cell->SIGNAL_TYPE == kRadioFrequency;
  const bool negative = radioFrequency && LevelPercent(*cell, strobe) <= 50;
  const TSamples& samples = negative ? record.FirstMinimums : record.FirstMaximums;
  const auto value = [&](std::size_t i) {
    const int v = samples[i];
    if (!radioFrequency) {
      return v;
    }
    return negative ? kZeroLine - v : v - kZeroLine;
  };

  const TStrobeRange range = RangeOf(*cell, strobe, samples.size());
  if (!range.Evaluated) {
    return 0;
  }
  // Only a strictly greater value moves k: of equal peaks the first wins.
  std::size_t k = range.Begin;
  int best = value(range.Begin);
  for (std::size_t i = range.Begin; i <= range.End; ++i) {
    if (value(i) > best) {
      best = value(i);
      k = i;
    }
  }
  const auto column = static_cast<std::uint16_t>(k + 1);
  cell->AMPLITUDE_MARKER_POSITION = column;
  if (!keepCursor && k > 0) {
    cell->SetCursorPixel(column);
  }
  return strobe;
}

std::uint8_t FindPulse(TDataCell& record, std::uint8_t strobe, std::uint8_t pulse) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return 0;
  }
  if (strobe == 0) {
    cell->AMPLITUDE_MARKER_POSITION = 0;
    return 0;
  }
  // The echoes are counted in the first maximums whatever the signal type,
  // from the strobe's begin (not from the crossing found before).
  const TSamples& samples = record.FirstMaximums;
  const double level = Threshold(LevelPercent(*cell, strobe));
  const TStrobeRange range = RangeOf(*cell, strobe, samples.size());
  if (!range.Evaluated) {
    return 0;
  }
  unsigned count = 0;
  std::size_t k = 0;
  int peak = samples[range.Begin];
  int previous = 0;  // so that a range starting above the level counts as a crossing
  for (std::size_t i = range.Begin; i <= range.End; ++i) {
    const int v = samples[i];
    if (v > level && previous <= level) {
      ++count;
      peak = v;
      if (count == pulse) {
        k = i;
      }
    }
    if (v > peak) {
      peak = v;
      if (count == pulse) {
        k = i;
      }
    }
    previous = v;
  }
  if (k > 0) {
    const auto column = static_cast<std::uint16_t>(k + 1);
    cell->AMPLITUDE_MARKER_POSITION = column;
    cell->SetCursorPixel(column);
  } else {
    cell->AMPLITUDE_MARKER_POSITION = 0;
  }
  return strobe;
}

std::uint8_t ProcessStrobes(TDataCell& record) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return 0;
  }
  switch (cell->STROBE_ALGORYTHM) {
    case 0:
      return CrossingThenPeak(record, true);
    case 1:
      return CrossingThenPeak(record, false);
    case 2: {
      const std::uint8_t strobe = FindCrossing(record, false);
      FindPulse(record, strobe, cell->Parameter29Value);
      return strobe;
    }
    case 3:
      if (cell->CURSOR_1_ENABLED == 0 && cell->CURSOR_2_ENABLED == 0) {
        return TwoStrobes(record, *cell);
      }
      return CrossingThenPeak(record, false);
    default:
      return 0;
  }
}

}  // namespace velt
