// The report grid's cell rules, apart from any widget: which cells the user
// types into, how long each column's text may be, what a title cell's hint
// says and where the in-place editor's arrow keys lead.
//
// Row 0 of a report grid holds the column titles; row i + 1 the entry i of
// the report header. The entry number (column 0) and the record's flaw
// number are written by the header itself; the other columns are the row
// texts the user types.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velt {

// Column of the record's flaw number: 7 in type 1, 1 in type 2, -1 for
// any other type.
int ReportFlawNumberColumn(int type);

// Whether the user types into the cell: a data row (1 and below) and a
// column of the row texts. The entry number and the flaw number are not
// typed: the header writes them again each time it shows its rows, so
// anything typed there would silently go.
bool ReportCellEditable(int type, int column, int row);

// The most characters a cell of the column takes: type 1: 0 -> 4, 1..4 ->
// 7, 5 -> 25, 6..7 -> 8, 8 -> 45; type 2: 0 -> 4, 1 and 8 -> 7, 2 -> 11,
// 3..6 -> 6, 7 -> 30, 9 -> 36; 10 for any other type or column.
int ReportCellTextLimit(int type, int column);

// The caption strings that describe a title cell, in the order they are
// shown (one a line); empty for a column the type does not have.
std::vector<std::uint16_t> ReportTitleHintCaptions(int type, int column);

// Caption string of the hint of an empty data cell.
inline constexpr std::uint16_t kEmptyReportCellHint = 86;

struct TReportGridCell {
  int Column = 0;
  int Row = 0;
  friend bool operator==(const TReportGridCell&, const TReportGridCell&) = default;
};

enum class TReportEditorKey { Up, Down, Left, Right };

// The cell the editor moves to when `key` is pressed in it, or nothing when
// the key stays in the text. Up and Down move one row within the data rows
// (1 .. rowCount - 1); Right moves one column right with the caret at the
// text's end, Left one column left with the caret at 0, neither past the
// typed columns; type 1 steps over its flaw-number column.
std::optional<TReportGridCell> ReportEditorMove(int type, TReportEditorKey key,
                                                TReportGridCell from, int rowCount, int caret,
                                                int textLength);

// How many rows below the top row the row being edited may stand.
inline constexpr int kReportEditorRowsBelowTop = 7;

// The grid's top row after the editor moved to `row`: unchanged while the
// row stands at most 7 rows below the top row and not above it.
int ReportEditorTopRow(int row, int topRow);

}  // namespace velt
