#include "MeasureCommand.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <config/TextRecordIO.h>
#include <records/RecordFilesUnit.h>
#include <signal/ResultParametersUnit.h>
#include <strings/LocalStringsUnit.h>

#include "JsonDump.h"
#include "TerminalPorts.h"
#include "TextEncoding.h"

namespace veltctl {
namespace {

// The row captions the tabs set: value strings 4..11 for the results grid,
// 12..18 and 33 for the conditions grid.
constexpr std::uint16_t kResultCaptions[velt::kResultRows] = {4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::uint16_t kConditionCaptions[velt::kResultRows] = {12, 13, 14, 15, 16, 17, 18, 33};

class TTextGrid : public velt::IResultGrid {
 public:
  void SetCell(int column, int row, const std::string& text) override {
    if (column == velt::kValueColumn && row >= 0 && row < velt::kResultRows) {
      Rows[static_cast<std::size_t>(row)] = text;
    }
  }
  std::array<std::string, velt::kResultRows> Rows;
};

// The texts of one record's two grids, filled as the data tab fills them:
// averaging reset, results without the threshold check, then conditions.
struct TRecordGrids {
  TTextGrid Results;
  TTextGrid Conditions;
};

TRecordGrids FillGrids(velt::TDataCell& record) {
  TRecordGrids grids;
  record.ResetAveraging();
  velt::FillResultsGrid(record, grids.Results, false);
  velt::FillConditionsGrid(record, grids.Conditions, grids.Results);
  return grids;
}

// The raw values; each averaged one is a single shot, as in the grid.
TJson RawValues(velt::TDataCell& record) {
  velt::TBaseConfigCell& cell = *record.Configuration();
  TJson values = TJson::object();
  record.ResetAveraging();
  values["SignalLevel"] = velt::SignalLevel(record, false);
  values["AttenuatorDb"] = velt::AttenuatorDb(record);
  values["SearchIncrement"] = velt::SearchIncrement(record);
  values["MeasuredTime"] = cell.MeasuredTime();
  values["BeamPath"] = cell.BeamPath();
  values["HorizontalOffset"] = cell.HorizontalOffset();
  values["Depth"] = cell.Depth();
  values["LegNumber"] = cell.LegNumber();
  record.ResetAveraging();
  values["EquivalentArea"] = velt::EquivalentArea(record);
  record.ResetAveraging();
  values["DgsExcess"] = velt::DgsExcess(record);
  values["DgsPointLevel"] = cell.DgsPointLevel(cell.MeasuredTime());
  record.ResetAveraging();
  return values;
}

TJson GridJson(const TTextGrid& grid, const std::uint16_t (&captions)[velt::kResultRows]) {
  TJson rows = TJson::array();
  for (int row = 0; row < velt::kResultRows; ++row) {
    rows.push_back({{"caption", Utf8FromWindows1251(velt::ValueString(captions[row]))},
                    {"text", Utf8FromWindows1251(grid.Rows[static_cast<std::size_t>(row)])}});
  }
  return rows;
}

void PrintGrid(std::ostream& out, const char* title, const TTextGrid& grid,
               const std::uint16_t (&captions)[velt::kResultRows]) {
  out << "  " << title << '\n';
  for (int row = 0; row < velt::kResultRows; ++row) {
    out << "    " << Utf8FromWindows1251(velt::ValueString(captions[row])) << '\t'
        << Utf8FromWindows1251(grid.Rows[static_cast<std::size_t>(row)]) << '\n';
  }
}

int UsageFailure(std::ostream& err, const std::string& message) {
  err << "veltctl: " << message << '\n' << UsageHint(TCommand::Measure) << '\n';
  return kExitUsage;
}

int FileFailure(std::ostream& err, const std::string& file, const std::string& message) {
  err << "veltctl: " << file << ": " << TerminalText(message) << '\n';
  return kExitFileFailure;
}

std::string Plural(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " record" : " records");
}

}  // namespace

int RunMeasure(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  long long n = 0;
  if (!line.RecordNumber.empty() && (!velt::ParseDecimalInteger(line.RecordNumber, n) || n < 1)) {
    return UsageFailure(
        err, "the record number must be a whole number from 1 on, not '" + line.RecordNumber + "'");
  }
  std::error_code ec;
  if (std::filesystem::is_directory(line.File, ec)) {
    return FileFailure(err, line.File, "is a folder, not a file");
  }
  if (!std::ifstream(line.File, std::ios::binary)) {
    return FileFailure(err, line.File, std::string("cannot open: ") + std::strerror(errno));
  }
  velt::TFlawDataBlock records;
  if (const velt::TFileResult result = velt::OpenRecordFile(records, line.File); !result) {
    return FileFailure(err, line.File, result.Error);
  }
  if (static_cast<unsigned long long>(n) > records.Records.size()) {
    return UsageFailure(err, "record " + std::to_string(n) + " does not exist: " + line.File +
                                 " holds " + Plural(records.Records.size()));
  }

  // The captions and value string 31 come from the string files.
  TTerminalFeedback feedback(err);
  velt::TLocalStrings strings(feedback);
  if (!LoadStrings(strings, err)) {
    return kExitFileFailure;
  }
  velt::SetProgramStrings(&strings);
  struct TUninstall {
    ~TUninstall() { velt::SetProgramStrings(nullptr); }
  } uninstall;

  const std::size_t first = n > 0 ? static_cast<std::size_t>(n - 1) : 0;
  const std::size_t last = n > 0 ? first + 1 : records.Records.size();
  TJson all = TJson::array();
  for (std::size_t i = first; i < last; ++i) {
    velt::TDataCell& record = *records.Records[i];
    const TRecordGrids grids = FillGrids(record);
    const bool hasCell = record.Configuration() != nullptr;
    if (line.Json) {
      TJson item = TJson::object();
      item["record"] = i + 1;
      item["FLAW #"] = record.FlawNumber;
      item["class"] = hasCell ? velt::ConfigClassName(*record.Configuration()) : "none";
      item["results"] = GridJson(grids.Results, kResultCaptions);
      item["conditions"] = GridJson(grids.Conditions, kConditionCaptions);
      item["values"] = hasCell ? RawValues(record) : TJson();
      all.push_back(std::move(item));
      continue;
    }
    out << "record " << i + 1 << " (flaw " << record.FlawNumber << ")";
    if (!hasCell) {
      out << ": no configuration\n";
      continue;
    }
    out << '\n';
    PrintGrid(out, "results", grids.Results, kResultCaptions);
    PrintGrid(out, "conditions", grids.Conditions, kConditionCaptions);
  }
  if (line.Json) {
    TJson document = TJson::object();
    document["file"] = line.File;
    document["records"] = std::move(all);
    out << document.dump(2, ' ', false, TJson::error_handler_t::replace) << '\n';
  }
  return kExitOk;
}

}  // namespace veltctl
