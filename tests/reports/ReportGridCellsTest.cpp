// The report grid's cell rules: text limits, the cells the user types into,
// the title hints and the rows the editor keeps in sight (its arrow moves
// are tried through the widget).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <reports/ReportGridCellsUnit.h>

namespace velt {
namespace {

TEST(ReportGridCellsTest, TextLimitPerTypeAndColumn) {
  struct TRow {
    int Type;
    std::vector<int> Limits;  // columns 0, 1, ...
  };
  const TRow rows[] = {
      {1, {4, 7, 7, 7, 7, 25, 8, 8, 45}},
      {2, {4, 7, 11, 6, 6, 6, 6, 30, 7, 36}},
  };
  for (const TRow& row : rows) {
    for (int column = 0; column < static_cast<int>(row.Limits.size()); ++column) {
      EXPECT_EQ(ReportCellTextLimit(row.Type, column), row.Limits[column])
          << "type " << row.Type << " column " << column;
    }
  }
  // Anything else takes 10.
  const int others[][2] = {{1, 9}, {2, 10}, {2, -1}, {3, 0}, {0, 2}};
  for (const auto& other : others) {
    EXPECT_EQ(ReportCellTextLimit(other[0], other[1]), 10) << other[0] << "/" << other[1];
  }
}

TEST(ReportGridCellsTest, OnlyTheRowTextCellsAreTyped) {
  struct TRow {
    int Type, Column, Row;
    bool Editable;
  };
  const TRow rows[] = {
      {1, 1, 1, true},   {1, 6, 3, true},   {1, 8, 1, true},   {2, 2, 1, true},
      {2, 9, 5, true},   {1, 7, 1, false},  {2, 1, 1, false},  // flaw numbers
      {1, 0, 1, false},  {2, 0, 2, false},                     // entry numbers
      {1, 3, 0, false},  {2, 3, 0, false},                     // titles
      {1, 9, 1, false},  {2, 10, 1, false}, {3, 2, 1, false},
  };
  for (const TRow& row : rows) {
    EXPECT_EQ(ReportCellEditable(row.Type, row.Column, row.Row), row.Editable)
        << "type " << row.Type << " column " << row.Column << " row " << row.Row;
  }
  EXPECT_EQ(ReportFlawNumberColumn(1), 7);
  EXPECT_EQ(ReportFlawNumberColumn(2), 1);
}

TEST(ReportGridCellsTest, TitleHintCaptions) {
  using V = std::vector<std::uint16_t>;
  const std::vector<V> type1 = {{71, 72}, {73, 74, 75}, {76},     {77}, {78, 79},
                                {80, 81}, {82, 83},     {84},     {85}};
  const std::vector<V> type2 = {{71, 72}, {84},  {164}, {165}, {166},
                                {167},    {168}, {169}, {170}, {171}};
  for (int column = 0; column < 10; ++column) {
    if (column < 9) {
      EXPECT_EQ(ReportTitleHintCaptions(1, column), type1[column]) << "type 1 column " << column;
    }
    EXPECT_EQ(ReportTitleHintCaptions(2, column), type2[column]) << "type 2 column " << column;
  }
  EXPECT_TRUE(ReportTitleHintCaptions(1, 9).empty());
  EXPECT_TRUE(ReportTitleHintCaptions(2, -1).empty());
}

TEST(ReportGridCellsTest, TopRowKeepsTheRowWithinSevenRows) {
  // row, top row before, top row after
  const int rows[][3] = {{8, 1, 1}, {9, 1, 2}, {20, 3, 13}, {4, 6, 4}, {6, 6, 6}};
  for (const auto& row : rows) {
    EXPECT_EQ(ReportEditorTopRow(row[0], row[1]), row[2]) << row[0] << " from " << row[1];
  }
}

}  // namespace
}  // namespace velt
