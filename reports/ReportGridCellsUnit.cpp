#include <reports/ReportGridCellsUnit.h>

#include <iterator>

#include <reports/ReportForm.h>

namespace velt {
namespace {

constexpr int kEntryNumberColumn = 0;
constexpr int kOtherLimit = 10;

int ColumnCount(int type) {
  if (type == kReportType1) {
    return 9;
  }
  if (type == kReportType2) {
    return 10;
  }
  return 0;
}

// The first column the editor's Left key reaches: the typed columns start
// after the entry number, in type 2 also after the flaw number.
int FirstTypedColumn(int type) {
  return type == kReportType2 ? 2 : 1;
}

}  // namespace

int ReportFlawNumberColumn(int type) {
  if (type == kReportType1) {
    return 7;
  }
  if (type == kReportType2) {
    return 1;
  }
  return -1;
}

bool ReportCellEditable(int type, int column, int row) {
  return row >= 1 && column > kEntryNumberColumn && column < ColumnCount(type) &&
         column != ReportFlawNumberColumn(type);
}

int ReportCellTextLimit(int type, int column) {
  if (type == kReportType1) {
    static constexpr int kLimits[] = {4, 7, 7, 7, 7, 25, 8, 8, 45};
    if (column >= 0 && column < static_cast<int>(std::size(kLimits))) {
      return kLimits[column];
    }
  } else if (type == kReportType2) {
    static constexpr int kLimits[] = {4, 7, 11, 6, 6, 6, 6, 30, 7, 36};
    if (column >= 0 && column < static_cast<int>(std::size(kLimits))) {
      return kLimits[column];
    }
  }
  return kOtherLimit;
}

std::vector<std::uint16_t> ReportTitleHintCaptions(int type, int column) {
  if (column < 0 || column >= ColumnCount(type)) {
    return {};
  }
  if (type == kReportType1) {
    static const std::vector<std::uint16_t> kHints[] = {
        {71, 72}, {73, 74, 75}, {76}, {77}, {78, 79}, {80, 81}, {82, 83}, {84}, {85}};
    return kHints[column];
  }
  switch (column) {
    case 0:
      return {71, 72};
    case 1:
      return {84};
    default:
      return {static_cast<std::uint16_t>(164 + column - 2)};
  }
}

std::optional<TReportGridCell> ReportEditorMove(int type, TReportEditorKey key,
                                                TReportGridCell from, int rowCount, int caret,
                                                int textLength) {
  const int lastColumn = ColumnCount(type) - 1;
  const int skipped = type == kReportType1 ? ReportFlawNumberColumn(type) : -1;
  TReportGridCell to = from;
  switch (key) {
    case TReportEditorKey::Down:
      if (from.Row >= rowCount - 1) {
        return std::nullopt;
      }
      ++to.Row;
      break;
    case TReportEditorKey::Up:
      if (from.Row <= 1) {
        return std::nullopt;
      }
      --to.Row;
      break;
    case TReportEditorKey::Right:
      if (caret < textLength || from.Column >= lastColumn) {
        return std::nullopt;
      }
      ++to.Column;
      if (to.Column == skipped) {
        ++to.Column;
      }
      break;
    case TReportEditorKey::Left:
      if (caret > 0 || from.Column <= FirstTypedColumn(type)) {
        return std::nullopt;
      }
      --to.Column;
      if (to.Column == skipped) {
        --to.Column;
      }
      break;
  }
  return to;
}

int ReportEditorTopRow(int row, int topRow) {
  if (row < topRow) {
    return row;
  }
  if (row - topRow > kReportEditorRowsBelowTop) {
    return row - kReportEditorRowsBelowTop;
  }
  return topRow;
}

}  // namespace velt
