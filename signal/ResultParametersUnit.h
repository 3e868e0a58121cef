// The measured values of one A-scan (signal level, attenuator, search
// increment, DGS excess, equivalent area) and the fills of the results and
// conditions grids that the data, setup and report tabs show.
#pragma once

#include <cstdint>
#include <string>

#include <records/UniversalDataObjectUnit.h>

namespace velt {

// Sentinels of the measured values; the grids show "--" for them.
inline constexpr double kResultNotAvailable = 9990;  // DGS mode off, DGS data incomplete
inline constexpr double kResultBelowThreshold = 9999;

// A DGS curve level above this means the DGS data do not allow a result.
inline constexpr double kDgsLevelLimit = 10000;

// The area iteration stops after this many passes even when it has neither
// converged nor reached a bound, so a model that oscillates cannot hold up
// the live view; the value after the last pass is the result.
inline constexpr int kAreaPassLimit = 100;

// Both grids have eight rows; column 0 holds the captions (set once by the
// tabs), column 1 the values the fills write.
inline constexpr int kResultRows = 8;
inline constexpr int kCaptionColumn = 0;
inline constexpr int kValueColumn = 1;

// Value string 31: the text of a value that does not apply ("no").
inline constexpr std::uint16_t kNoValueString = 31;

// A two-column grid the fills write to: a string grid or a value-list
// editor. Texts are model strings (Windows-1251).
class IResultGrid {
 public:
  virtual ~IResultGrid() = default;
  virtual void SetCell(int column, int row, const std::string& text) = 0;
};

// ---- Record-level values -----------------------------------------------
// A record without a configuration cell has no measurement: the amplitude
// is 0, the levels are kResultNotAvailable and the dB values 0.

// The amplitude at the measurement point, amplitude units. Indices outside
// the record's sample arrays give 0.
double SampleAmplitude(const TDataCell& record);

// 20·log10 of the amplitude (its distance from the zero line 90 for the
// radio-frequency signal; 0 counts as 1).
double AmplitudeDb(const TDataCell& record);

// The level shown as the first result, dB; kResultBelowThreshold when the
// threshold check is on and the signal lies below the threshold. In DGS
// mode it evaluates DgsExcess twice, so two entries enter its history.
double SignalLevel(TDataCell& record, bool thresholdCheck);

// 90 − ATTENUATOR1.
int AttenuatorDb(const TDataCell& record);

// POISK when the reference level is on (OPORN LEVEL ON = 4) outside DGS
// mode, else 0.
int SearchIncrement(const TDataCell& record);

// The echo's dB over the DGS curve, averaged in history 1;
// kResultNotAvailable outside DGS mode or without a usable curve level.
// TVG_ENABLED is 0 while it runs and 2 again when it returns.
double DgsExcess(TDataCell& record);

// The equivalent reflector area, mm², averaged in history 2;
// kResultNotAvailable outside DGS mode or without a usable curve level.
// ARD_PLATE_FLOOR_DIAMETER is changed while it runs and restored on return.
double EquivalentArea(TDataCell& record);

// True when the picture counts as frozen: bits 8 and 9 of USED MODE set and
// the cell's freeze flag on.
bool PictureFrozen(const TBaseConfigCell& cell);

// ---- Grid number formats -----------------------------------------------

// Decimal, preceded by spaces up to a width of 4; the digit count is 1 up
// to 9 (so a negative value counts as 1), 2 below 100, 3 below 1000, 4 up
// to 9999 and 5 above.
std::string GridInteger(long long value);

// Fixed notation with one decimal and the given separator, preceded by
// spaces up to an integer part of width 4; the integer-digit count is 1
// below 10, 2 below 100, 3 below 1000, 4 below 10000 and 5 above.
std::string GridReal(double value, char decimalSeparator = '.');

// ---- Grid fills --------------------------------------------------------

// Rows 0..7 of the results grid: signal level, search increment,
// attenuator, beam path, horizontal offset, depth, leg number, equivalent
// area. Without a cell the rows are emptied.
void FillResultsGrid(TDataCell& record, IResultGrid& results, bool thresholdCheck);

// Rows 0..6 of the conditions grid take the texts of parameters 0..6, row
// 7 that of parameter 17; row 2 of the results grid takes the attenuator
// value right-aligned in 4 characters. Without a cell those rows are
// emptied.
void FillConditionsGrid(const TDataCell& record, IResultGrid& conditions, IResultGrid& results);

}  // namespace velt
