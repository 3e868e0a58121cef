#include <reports/AppendixValuesUnit.h>

#include <algorithm>
#include <cstdio>

#include <signal/ResultParametersUnit.h>
#include <strings/LocalStringsUnit.h>

namespace velt {

namespace {

// The device type whose records carry their capture date and time.
constexpr std::uint8_t kDeviceWithClock = 2;

// Captions (value strings) of the first and second columns.
constexpr std::uint16_t kFirstResultCaption = 4;
constexpr std::uint16_t kFirstConditionCaption = 12;

// The four columns below the picture: parameter and its caption (value
// string; 0 = no caption).
struct TParameterLine {
  std::uint8_t Parameter;
  std::uint16_t Caption;
};
constexpr TParameterLine kColumn1[] = {{8, 20}, {9, 23}, {10, 24}, {11, 25}, {12, 26}};
constexpr TParameterLine kColumn2[] = {{13, 27}, {14, 28}, {15, 29}, {16, 30}};
constexpr TParameterLine kColumn3[] = {{18, 34}, {19, 35}, {20, 36}, {21, 37}, {22, 0}};
constexpr TParameterLine kColumn4[] = {{23, 44}, {24, 45}, {25, 46}, {26, 47}, {27, 48}};

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

bool Unavailable(double value) {
  return !(value < kResultNotAvailable);
}

}  // namespace

std::string AppendixReal(double value, int width, char decimalSeparator) {
  char buffer[400];
  const int n = std::snprintf(buffer, sizeof buffer, "%.1f", value);
  std::string text(buffer, static_cast<std::size_t>(std::clamp(n, 0, 399)));
  std::replace(text.begin(), text.end(), '.', decimalSeparator);
  const int digits = value < 10 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : value < 10000 ? 4 : 5;
  return std::string(static_cast<std::size_t>(std::max(0, width - digits)), ' ') + text;
}

TAppendixBlock AppendixBlockOf(TDataCell& record, std::uint8_t deviceType) {
  TAppendixBlock block;
  block.FlawNumber = std::to_string(record.FlawNumber);
  for (std::size_t i = 0; i < record.Comments.size(); ++i) {
    block.Comments += (i > 0 ? "\n" : "") + record.Comments[i];
  }
  for (int row = 0; row < 8; ++row) {
    block.Results[static_cast<std::size_t>(row)].Caption =
        ValueString(static_cast<std::uint16_t>(kFirstResultCaption + row));
  }
  for (int row = 0; row < 7; ++row) {
    block.Conditions[static_cast<std::size_t>(row)].Caption =
        ValueString(static_cast<std::uint16_t>(kFirstConditionCaption + row));
  }
  TBaseConfigCell* cell = record.Configuration();
  const auto fillColumn = [cell](std::vector<TCaptionedValue>& column, const auto& lines) {
    for (const TParameterLine& line : lines) {
      column.push_back({line.Caption != 0 ? ValueString(line.Caption) : std::string(),
                        cell != nullptr ? cell->ParameterText(line.Parameter) : std::string()});
    }
  };
  fillColumn(block.Parameters[0], kColumn1);
  fillColumn(block.Parameters[1], kColumn2);
  fillColumn(block.Parameters[2], kColumn3);
  fillColumn(block.Parameters[3], kColumn4);
  if (cell == nullptr) {
    return block;
  }
  block.ConfigIndex = std::to_string(cell->CONFIG_INDEX);
  block.ConfigName = cell->CONFIGURATION_NAME;
  if (deviceType == kDeviceWithClock) {
    block.CaptureTime = TwoDigits(cell->SNAP_HOUR) + ":" + TwoDigits(cell->SNAP_MINUTE) + ":" +
                        TwoDigits(cell->SNAP_SECOND);
    block.CaptureDate = TwoDigits(cell->SNAP_DAY) + "-" + TwoDigits(cell->SNAP_MONTH) + "-" +
                        std::to_string(2000 + cell->SNAP_YEAR);
  }

  const char separator = cell->NumberFormat().DecimalSeparator;
  const std::string no = ValueString(kNoValueString);
  auto& r = block.Results;
  // The threshold check is off: a stored record prints its level whatever
  // the threshold was.
  const double level = SignalLevel(record, false);
  r[0].Value = Unavailable(level) ? "--" : AppendixReal(level, 3, separator);
  const int increment = SearchIncrement(record);
  r[1].Value = increment == 0 ? no : std::to_string(increment);
  r[2].Value = std::to_string(AttenuatorDb(record));
  r[3].Value = AppendixReal(cell->BeamPath(), 0, separator);
  const double alpha = cell->InsertionAngle();
  r[4].Value = alpha < 0.01 ? no : AppendixReal(cell->HorizontalOffset(), 0, separator);
  r[5].Value = alpha > 89.9 ? no : AppendixReal(cell->Depth(), 0, separator);
  r[6].Value =
      cell->EffectiveThickness() > 0 && alpha > 0.01 ? std::to_string(cell->LegNumber()) : no;
  const double area = EquivalentArea(record);
  r[7].Value = Unavailable(area) || area <= 0 ? "--" : AppendixReal(area, 3, separator);

  for (std::size_t p = 0; p < block.Conditions.size(); ++p) {
    block.Conditions[p].Value = cell->ParameterText(static_cast<std::uint8_t>(p));
  }
  return block;
}

}  // namespace velt
