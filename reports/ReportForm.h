// What a report header reads and fills on the report tab: the header
// fields of the panel of each report type, and that type's report grid.
// The GUI implements it with the two header panels; tests with a fake.
// Texts are model strings (Windows-1251 bytes).
#pragma once

#include <string>

namespace velt {

// The report types: 1 = TSimpleReportHeader, 2 = TSimpleReport2Header.
inline constexpr int kReportType1 = 1;
inline constexpr int kReportType2 = 2;
inline constexpr int kReportHeaderFields = 36;

class IReportForm {
 public:
  virtual ~IReportForm() = default;

  // Whether this form is the program's main window (the headers add and
  // remove records only for it).
  virtual bool IsMainWindow() const = 0;

  // Header field 1..36 (in report file order) of the panel of `type`.
  virtual std::string HeaderFieldText(int type, int field) const = 0;
  virtual void SetHeaderFieldText(int type, int field, const std::string& text) = 0;

  // The report grid of `type`: row 0 holds the column titles.
  virtual int ReportGridRowCount(int type) const = 0;
  virtual void SetReportGridRowCount(int type, int rows) = 0;
  virtual std::string ReportGridCell(int type, int column, int row) const = 0;
  virtual void SetReportGridCell(int type, int column, int row, const std::string& text) = 0;
};

}  // namespace velt
