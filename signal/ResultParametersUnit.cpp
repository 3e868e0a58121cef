// The result parameters of a record and the grid fills. Every index into
// the sample arrays comes from the instrument or from a file, so each one
// is checked against the array it reads.
#include <signal/ResultParametersUnit.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include <strings/LocalStringsUnit.h>

namespace velt {
namespace {

constexpr std::uint16_t kFrozenBits = 0x0300;
constexpr std::uint8_t kDgsMode = 2;
constexpr std::uint8_t kRadioFrequency = 3;
constexpr std::uint8_t kReferenceLevelOn = 4;
constexpr double kZeroLine = 90;
// Both cursors on: the threshold is a fixed small amplitude.
constexpr double kTwoCursorThreshold = 3.0;
// The area iteration has converged when the echo lies this close to the
// curve of the assumed reflector.
constexpr double kAreaTolerance = 0.5;
// The assumed reflector stays within these fractions of the transducer's
// effective area.
constexpr double kSmallestAreaFraction = 0.0081;
constexpr double kLargestAreaFraction = 0.36;
constexpr std::uint16_t kConditionParameters[kResultRows] = {0, 1, 2, 3, 4, 5, 6, 17};

// Restores a field of the cell when it goes out of scope, whatever path
// the computation leaves by.
template <typename T>
class TRestore {
 public:
  TRestore(T& field, T value) : Field(field), Saved(value) {}
  ~TRestore() { Field = Saved; }
  TRestore(const TRestore&) = delete;
  TRestore& operator=(const TRestore&) = delete;

 private:
  T& Field;
  T Saved;
};

// Entry i of a sample array, or 0 when the array does not reach it.
double Sample(const std::vector<std::uint8_t>& samples, std::size_t i, bool& present) {
  present = i < samples.size();
  return present ? samples[i] : 0.0;
}

bool UsedModeFrozen(const TBaseConfigCell& cell) {
  return (cell.USED_MODE & kFrozenBits) == kFrozenBits;
}

// Enters a value into a history (newest first) and returns the mean of
// the entries it holds. A frozen picture restarts the history every time.
// Capacity and count are taken into 1..32 and 0..capacity first, so the
// entries used always lie inside the array.
double Average(TAveragingHistory& history, double value, bool frozen) {
  const int capacity = std::clamp<int>(history.Capacity, 1, kAveragingCapacity);
  int count = std::min<int>(history.Count, capacity);
  if (frozen) {
    count = 0;
  }
  auto& v = history.Values;
  if (count < capacity) {
    ++count;
  }
  // Entries 1..count-1 move one place older; the oldest drops out when the
  // history was full.
  for (int i = count; i > 1; --i) {
    v[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i - 1)];
  }
  v[1] = value;
  history.Count = static_cast<std::uint8_t>(count);
  double sum = 0;
  for (int i = 1; i <= count; ++i) {
    sum += v[static_cast<std::size_t>(i)];
  }
  return sum / count;
}

// The DGS curve level at the measured time, or false when it allows no
// result (incomplete data, above the limit, not a number).
bool CurveLevel(TBaseConfigCell& cell, double& g) {
  g = cell.DgsPointLevel(cell.MeasuredTime());
  return !std::isnan(g) && g <= kDgsLevelLimit;
}

// The cell of a record in DGS mode, with the curve level at its measured
// time; null when the record is not in DGS mode or the curve gives no level.
TBaseConfigCell* DgsModeCell(TDataCell& record, double& g) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr || cell->TVG_ENABLED != kDgsMode || !CurveLevel(*cell, g)) {
    return nullptr;
  }
  return cell;
}

// The signal level in dB of an amplitude (step 5 of the level).
double LevelDb(double v) {
  if (std::fabs(v) < 0.00001) {
    return 0;
  }
  if (v < -0.001) {
    return -20.0 * std::log10(std::fabs(v));
  }
  if (v > 0.001) {
    return 20.0 * std::log10(v);
  }
  return 0;
}

// The threshold in amplitude units from the strobe levels and cursors.
double Threshold(const TBaseConfigCell& cell) {
  const bool cursor1 = cell.CURSOR_1_ENABLED != 0;
  const bool cursor2 = cell.CURSOR_2_ENABLED != 0;
  if (cursor1 && cursor2) {
    return kTwoCursorThreshold;
  }
  // A cursor that is on takes over its strobe's threshold.
  const std::uint8_t percent =
      cursor2   ? cell.STROBE_1_LEVEL_PERCENT
      : cursor1 ? cell.STROBE_2_LEVEL_PERCENT
                : std::min(cell.STROBE_1_LEVEL_PERCENT, cell.STROBE_2_LEVEL_PERCENT);
  return percent * static_cast<double>(kFullScale) / 100.0;
}

// Reals of any magnitude: the longest double in %.1f has 310 digits.
std::string OneDecimal(double value) {
  char buffer[400];
  const int n = std::snprintf(buffer, sizeof buffer, "%.1f", value);
  return std::string(
      buffer, n > 0 ? std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1) : 0);
}

// An integer right-aligned in 4 characters (longer ones are not cut).
std::string RightAligned4(int value) {
  std::string text = std::to_string(value);
  return text.size() < 4 ? std::string(4 - text.size(), ' ') + text : text;
}

// "--" for a sentinel (or a value that is not a number), else the real
// format.
bool Unavailable(double value) {
  return !(value < kResultNotAvailable);
}

class TResultsFill {
 public:
  TResultsFill(TDataCell& record, TBaseConfigCell& cell, IResultGrid& grid)
      : Record(record), Cell(cell), Grid(grid), Separator(cell.NumberFormat().DecimalSeparator) {}

  void Run(bool thresholdCheck) {
    const bool dgs = Cell.TVG_ENABLED == kDgsMode;
    const double level = SignalLevel(Record, thresholdCheck);
    if (Unavailable(level)) {
      Set(0, "--");
    } else {
      const bool plus = level >= 0.1 && (dgs || Cell.POISK != 0);
      Set(0, (plus ? "+" : "") + GridReal(level, Separator));
    }

    const int increment = SearchIncrement(Record);
    Set(1, increment != 0 && !dgs ? GridInteger(increment) : NoValue());
    Set(2, GridInteger(AttenuatorDb(Record)));
    Set(3, GridReal(Cell.BeamPath(), Separator));

    const double alpha = Cell.InsertionAngle();
    Set(4, alpha < 0.01 ? NoValue() : GridReal(Cell.HorizontalOffset(), Separator));
    Set(5, alpha <= 89.9 ? GridReal(Cell.Depth(), Separator) : NoValue());
    Set(6,
        Cell.EffectiveThickness() > 0 && alpha > 0.01 ? GridInteger(Cell.LegNumber()) : NoValue());

    const double area = EquivalentArea(Record);
    Set(7, Unavailable(area) || area <= 0 ? "--" : GridReal(area, Separator));
  }

 private:
  void Set(int row, const std::string& text) { Grid.SetCell(kValueColumn, row, text); }

  // Looked up once per fill: the lookup reads the string file.
  const std::string& NoValue() {
    if (!NoValueLooked) {
      NoValueText = ValueString(kNoValueString);
      NoValueLooked = true;
    }
    return NoValueText;
  }

  TDataCell& Record;
  TBaseConfigCell& Cell;
  IResultGrid& Grid;
  char Separator;
  bool NoValueLooked = false;
  std::string NoValueText;
};

void ClearRows(IResultGrid& grid) {
  for (int row = 0; row < kResultRows; ++row) {
    grid.SetCell(kValueColumn, row, std::string());
  }
}

}  // namespace

bool PictureFrozen(const TBaseConfigCell& cell) {
  return UsedModeFrozen(cell) && cell.Frozen;
}

double SampleAmplitude(const TDataCell& record) {
  const TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return 0;
  }
  const bool rf = cell->SIGNAL_TYPE == kRadioFrequency;
  bool present = false;
  bool other = false;
  if (cell->PeakPositionAvailable()) {
    // The peak's amplitude lies one entry after the peak index in the
    // second maximums.
    const std::size_t p = cell->PeakPosition();
    double a = Sample(record.SecondMaximums, p + 1, present);
    const double minimum = Sample(record.SecondMinimums, p, other);
    if (rf && present && other && std::fabs(a - kZeroLine) < std::fabs(minimum - kZeroLine)) {
      a = minimum;
    }
    return a;
  }
  const std::uint16_t c = cell->MeasurementPosition();
  if (c >= kRecordArraySize) {
    return 0;
  }
  const std::size_t p = c == 0 ? 0 : static_cast<std::size_t>(c - 1);
  double a = Sample(record.FirstMaximums, p, present);
  const double minimum = Sample(record.FirstMinimums, p, other);
  if (rf && present && other && std::fabs(minimum - kZeroLine) > std::fabs(a - kZeroLine)) {
    a = minimum;
  }
  return a;
}

double AmplitudeDb(const TDataCell& record) {
  const TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return 0;
  }
  double a = SampleAmplitude(record);
  if (cell->SIGNAL_TYPE == kRadioFrequency) {
    a = std::fabs(a - kZeroLine);
  }
  if (a == 0) {
    a = 1;
  }
  return 20.0 * std::log10(a);
}

int AttenuatorDb(const TDataCell& record) {
  const TBaseConfigCell* cell = record.Configuration();
  return cell == nullptr ? 0 : 90 - static_cast<int>(cell->ATTENUATOR1);
}

int SearchIncrement(const TDataCell& record) {
  const TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr || cell->TVG_ENABLED == kDgsMode ||
      cell->OPORN_LEVEL_ON != kReferenceLevelOn) {
    return 0;
  }
  return cell->POISK;
}

double DgsExcess(TDataCell& record) {
  double g = 0;
  TBaseConfigCell* cell = DgsModeCell(record, g);
  if (cell == nullptr) {
    return kResultNotAvailable;
  }
  // The echo is measured as outside DGS mode: a variant's cursor time
  // depends on the mode.
  const TRestore<std::uint8_t> restore(cell->TVG_ENABLED, kDgsMode);
  cell->TVG_ENABLED = 0;
  const double delta = AmplitudeDb(record) - g;
  return Average(record.AveragingHistory1, delta, UsedModeFrozen(*cell));
}

double EquivalentArea(TDataCell& record) {
  double g = 0;
  TBaseConfigCell* cell = DgsModeCell(record, g);
  if (cell == nullptr) {
    return kResultNotAvailable;
  }
  const double m = AmplitudeDb(record);
  double delta = m - g;
  const double reference = cell->ARD_PLATE_FLOOR_DIAMETER;
  const TRestore<double> restore(cell->ARD_PLATE_FLOOR_DIAMETER, reference);
  double u = std::pow(10.0, delta / 20.0) * reference;

  // The assumed reflector is scaled by the echo's distance from its curve
  // until the echo lies on it or the reflector reaches a bound.
  bool limit = false;
  for (int pass = 0; std::fabs(delta) > kAreaTolerance && !limit && pass < kAreaPassLimit; ++pass) {
    const double de = cell->Dgs.De;
    const double ap = std::numbers::pi * (de / 2) * (de / 2);
    const double lowest = kSmallestAreaFraction * ap;
    const double highest = kLargestAreaFraction * ap;
    if (u < lowest) {
      u = lowest;
      limit = true;
    } else if (u > highest) {
      u = highest;
      limit = true;
    }
    cell->ARD_PLATE_FLOOR_DIAMETER = u;
    if (!CurveLevel(*cell, g)) {
      return kResultNotAvailable;
    }
    delta = m - g;
    u = std::pow(10.0, delta / 20.0) * u;
  }
  // An area that overflowed would spoil the mean for the next 32 frames.
  if (!std::isfinite(u)) {
    return kResultNotAvailable;
  }
  return Average(record.AveragingHistory2, u, UsedModeFrozen(*cell));
}

double SignalLevel(TDataCell& record, bool thresholdCheck) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return kResultNotAvailable;
  }
  const bool dgs = cell->TVG_ENABLED == kDgsMode;
  double v = SampleAmplitude(record);
  double b = Threshold(*cell);
  if (dgs) {
    v = DgsExcess(record);
    b = v >= 0 ? 0.0 : -static_cast<double>(cell->ARD_CORRECTION);
  }
  const bool bothCursors = cell->CURSOR_1_ENABLED != 0 && cell->CURSOR_2_ENABLED != 0;
  if (thresholdCheck && !PictureFrozen(*cell) && !bothCursors && v < b) {
    return kResultBelowThreshold;
  }
  if (cell->SIGNAL_TYPE == kRadioFrequency) {
    v = std::fabs(v - kZeroLine);
  }
  const double a = LevelDb(v);
  if (!dgs) {
    return a + AttenuatorDb(record) - SearchIncrement(record);
  }
  const double r = DgsExcess(record);
  return r < kResultBelowThreshold ? r : a + AttenuatorDb(record);
}

std::string GridInteger(long long value) {
  const int digits = value <= 9 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : value <= 9999 ? 4 : 5;
  return std::string(static_cast<std::size_t>(std::max(0, 4 - digits)), ' ') +
         std::to_string(value);
}

std::string GridReal(double value, char decimalSeparator) {
  const int digits = value < 10 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : value < 10000 ? 4 : 5;
  std::string text = OneDecimal(value);
  std::replace(text.begin(), text.end(), '.', decimalSeparator);
  return std::string(static_cast<std::size_t>(std::max(0, 4 - digits)), ' ') + text;
}

void FillResultsGrid(TDataCell& record, IResultGrid& results, bool thresholdCheck) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    ClearRows(results);
    return;
  }
  TResultsFill(record, *cell, results).Run(thresholdCheck);
}

void FillConditionsGrid(const TDataCell& record, IResultGrid& conditions, IResultGrid& results) {
  const TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    ClearRows(conditions);
    results.SetCell(kValueColumn, 2, std::string());
    return;
  }
  for (int row = 0; row < kResultRows; ++row) {
    conditions.SetCell(kValueColumn, row,
                       cell->ParameterText(static_cast<std::uint8_t>(kConditionParameters[row])));
  }
  results.SetCell(kValueColumn, 2, RightAligned4(AttenuatorDb(record)));
}

}  // namespace velt
