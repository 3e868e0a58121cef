// The report grid's cell rules: the text limits and the title hints of
// every column (the cells typed into, the moves and the rows kept in sight
// are tried through the editor's widget).
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

TEST(ReportGridCellsTest, TitleHintCaptions) {
  using V = std::vector<std::uint16_t>;
  const std::vector<V> type1 = {{71, 72}, {73, 74, 75}, {76}, {77}, {78, 79},
                                {80, 81}, {82, 83},     {84}, {85}};
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

}  // namespace
}  // namespace velt
