// The flaw record and the variant factory.
#include <gtest/gtest.h>

#include <config/ConfigObject5_01ver_Unit.h>
#include <records/UniversalDataObjectUnit.h>

namespace velt {
namespace {

TEST(TDataCellTest, NewRecordHasItsDocumentedShape) {
  TDataCell record(320);
  EXPECT_EQ(record.ArraySize, 320);
  EXPECT_EQ(record.SamplesQuantity, 320);
  for (const auto* envelope : {&record.FirstMaximums, &record.SecondMaximums,
                               &record.FirstMinimums, &record.SecondMinimums}) {
    EXPECT_EQ(envelope->size(), 321u);
  }
  EXPECT_EQ(record.GrabbedObject, 255);
  EXPECT_EQ(record.HoverObject, 255);
  EXPECT_EQ(record.AveragingHistory1.Capacity, 32);
  EXPECT_EQ(record.AveragingHistory2.Count, 0);
  EXPECT_EQ(record.Configuration(), nullptr);
  EXPECT_TRUE(record.Comments.empty());
}

TEST(TDataCellTest, ClearContentsKeepsCommentsNumbersAndConfiguration) {
  TDataCell record;
  ASSERT_TRUE(CreateConfigCellForVersion(3, 26, 0, 1, record));
  record.Comments = {"weld 4"};
  record.FlawNumber = 12;
  record.MajorVersion = 3;
  record.PrintFlag = 1;
  record.ReportMark = 1;
  record.FirstMaximums[0] = 100;
  record.FirstMaximums[320] = 7;  // beyond the used entries
  record.SecondMinimums[319] = 5;
  record.BScan[223][87] = 9;
  record.DgsCurve1[5] = 1.5;
  record.ClearContents();
  EXPECT_EQ(record.Comments, std::vector<std::string>{"weld 4"});
  EXPECT_EQ(record.FlawNumber, 12);
  EXPECT_EQ(record.MajorVersion, 3);
  EXPECT_EQ(record.PrintFlag, 0);
  EXPECT_EQ(record.ReportMark, 0);
  EXPECT_EQ(record.FirstMaximums[0], 0);
  EXPECT_EQ(record.FirstMaximums[320], 7);
  EXPECT_EQ(record.SecondMinimums[319], 0);
  EXPECT_EQ(record.BScan[223][87], 0);
  EXPECT_DOUBLE_EQ(record.DgsCurve1[5], 1.5);
  EXPECT_NE(record.Configuration(), nullptr);

  record.Release(true);
  EXPECT_NE(record.Configuration(), nullptr);
  record.Release(false);
  EXPECT_EQ(record.Configuration(), nullptr);
}

TEST(TDataCellTest, DrawingRecordRefersWithoutOwning) {
  auto cell = CreateConfigCellForVersion(3, 18, 2, 1);
  TDataCell drawing;
  drawing.Refer(cell.get());
  EXPECT_EQ(drawing.Configuration(), cell.get());
  EXPECT_FALSE(drawing.OwnsConfiguration());
  drawing.Release(false);  // detaches; the cell lives on with its owner
  EXPECT_EQ(drawing.Configuration(), nullptr);
  EXPECT_EQ(cell->VELOCITY, 3250);
}

TEST(TDataCellTest, ClampAndAveraging) {
  EXPECT_EQ(TDataCell::ClampSample(0), 0);
  EXPECT_EQ(TDataCell::ClampSample(180), 180);
  EXPECT_EQ(TDataCell::ClampSample(181), 180);
  EXPECT_EQ(TDataCell::ClampSample(255), 180);
  TDataCell record;
  record.AveragingHistory1.Count = 5;
  record.AveragingHistory2.Count = 32;
  record.ResetAveraging();
  EXPECT_EQ(record.AveragingHistory1.Count, 0);
  EXPECT_EQ(record.AveragingHistory2.Count, 0);
}

TEST(TDataCellTest, AScanTextFollowsTheSignalType) {
  TDataCell record(3);
  ASSERT_TRUE(CreateConfigCellForVersion(3, 26, 0, 1, record));
  record.FirstMaximums = {60, 180, 0, 99};
  record.FirstMinimums = {120, 90, 0, 99};
  struct TCase {
    std::uint8_t Type;
    std::string Text;
  };
  for (const TCase& c : {TCase{0, "60\n180\n0\n"}, TCase{1, "60\n180\n0\n"},
                         TCase{2, "60\t120\n180\t90\n0\t0\n"},
                         TCase{3, "-30\t30\n90\t0\n-90\t-90\n"}, TCase{4, ""}, TCase{255, ""}}) {
    record.Configuration()->SIGNAL_TYPE = c.Type;
    EXPECT_EQ(record.AScanText(), c.Text) << int(c.Type);
  }
  TDataCell full;
  ASSERT_TRUE(CreateConfigCellForVersion(3, 26, 0, 1, full));
  std::fill(full.FirstMaximums.begin(), full.FirstMaximums.end(), 255);
  std::fill(full.FirstMinimums.begin(), full.FirstMinimums.end(), 0);
  full.Configuration()->SIGNAL_TYPE = 3;
  const std::string text = full.AScanText();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 320);
  EXPECT_EQ(text.substr(0, 8), "165\t-90\n");  // the longest line fits eight characters
}

struct TFactoryRow {
  std::uint8_t Device, Major, Minor, Local;
  const char* Class;  // nullptr: nothing is created
  bool Initialised;
};

class VariantFactoryTest : public ::testing::TestWithParam<TFactoryRow> {};

TEST_P(VariantFactoryTest, PicksTheClassOfTheFirmware) {
  const TFactoryRow& row = GetParam();
  auto cell = CreateConfigCellForVersion(row.Major, row.Minor, row.Local, row.Device);
  if (row.Class == nullptr) {
    EXPECT_EQ(cell, nullptr);
    return;
  }
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(ConfigClassName(*cell), row.Class);
  // Initialise gives the default setup; the oldest row stays all zero.
  EXPECT_EQ(cell->TGV_NUMBER, row.Initialised ? 17 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VariantFactoryTest,
    ::testing::Values(
        TFactoryRow{1, 0, 0, 0, "TBaseConfigCell", false},
        TFactoryRow{1, 2, 99, 9, "TBaseConfigCell", false},
        TFactoryRow{1, 3, 0, 0, "TBaseConfigCell", true},
        TFactoryRow{1, 3, 15, 0, "TBaseConfigCell", true},
        TFactoryRow{1, 3, 16, 0, "T3_17ConfigCell", true},
        TFactoryRow{1, 3, 25, 7, "T3_17ConfigCell", true},
        TFactoryRow{1, 3, 26, 0, "T3_26ConfigCell", true},
        TFactoryRow{1, 3, 29, 0, "T3_26ConfigCell", true},
        TFactoryRow{1, 3, 30, 0, "T4_08ConfigCell", true},
        TFactoryRow{1, 3, 34, 0, "T4_08ConfigCell", true},
        TFactoryRow{1, 3, 35, 0, nullptr, false},
        TFactoryRow{1, 3, 255, 0, nullptr, false},
        TFactoryRow{1, 4, 0, 0, nullptr, false},
        TFactoryRow{1, 4, 0, 1, "T3_26ConfigCell", true},
        TFactoryRow{1, 4, 9, 2, "T4_03ConfigCell", true},
        TFactoryRow{1, 4, 0, 3, "T4_08ConfigCell", true},
        TFactoryRow{1, 4, 0, 4, "T4_08ConfigCell", true},
        TFactoryRow{1, 4, 0, 5, nullptr, false},
        TFactoryRow{1, 5, 0, 0, "T5_00ConfigCell", true},
        TFactoryRow{1, 5, 4, 1, "T5_01ConfigCell", true},
        TFactoryRow{1, 5, 0, 200, "T5_01ConfigCell", true},
        TFactoryRow{1, 6, 0, 0, nullptr, false},
        TFactoryRow{2, 2, 0, 0, "TBaseConfigCell", true},
        TFactoryRow{2, 2, 6, 0, "TBaseConfigCell", true},
        TFactoryRow{2, 2, 7, 0, "T3_17ConfigCell", true},
        TFactoryRow{2, 2, 10, 0, "T3_17ConfigCell", true},
        TFactoryRow{2, 2, 11, 0, "T3_26ConfigCell", true},
        TFactoryRow{2, 2, 42, 0, "T3_26ConfigCell", true},
        TFactoryRow{2, 2, 43, 0, nullptr, false},
        TFactoryRow{2, 3, 6, 0, "TBaseConfigCell", true},
        TFactoryRow{2, 3, 7, 0, "T3_17ConfigCell", true},
        TFactoryRow{2, 3, 8, 0, "T3_17ConfigCell", true},
        TFactoryRow{2, 3, 9, 0, "T3_26ConfigCell", true},
        TFactoryRow{2, 3, 12, 3, "T3_26ConfigCell", true},
        TFactoryRow{2, 3, 13, 1, "T3_26ConfigCell", true},
        TFactoryRow{2, 3, 33, 2, "T4_03ConfigCell", true},
        TFactoryRow{2, 3, 20, 3, "T4_03ConfigCell", true},
        TFactoryRow{2, 3, 20, 0, nullptr, false},
        TFactoryRow{2, 3, 20, 4, nullptr, false},
        TFactoryRow{2, 3, 34, 1, nullptr, false},
        TFactoryRow{2, 4, 0, 1, "T3_26ConfigCell", true},
        TFactoryRow{2, 4, 0, 2, "T4_03ConfigCell", true},
        TFactoryRow{2, 4, 0, 4, "T4_08ConfigCell", true},
        TFactoryRow{2, 4, 0, 0, nullptr, false},
        TFactoryRow{2, 5, 0, 0, nullptr, false},
        TFactoryRow{2, 5, 0, 1, "T3_26ConfigCell", true},
        TFactoryRow{2, 5, 0, 2, "T4_03ConfigCell", true},
        TFactoryRow{2, 5, 0, 3, "T4_08ConfigCell", true},
        TFactoryRow{2, 5, 4, 4, "T5_01ConfigCell", true},
        TFactoryRow{2, 5, 4, 5, nullptr, false},
        TFactoryRow{2, 6, 0, 1, nullptr, false},
        TFactoryRow{0, 3, 26, 0, nullptr, false},
        TFactoryRow{3, 3, 26, 0, nullptr, false}));

TEST(VariantFactoryTest, HolderKeepsWhatItHadWhenNothingApplies) {
  TDataCell record;
  EXPECT_FALSE(CreateConfigCellForVersion(6, 0, 0, 1, record));
  EXPECT_EQ(record.Configuration(), nullptr);
  ASSERT_TRUE(CreateConfigCellForVersion(3, 26, 0, 1, record));
  TBaseConfigCell* first = record.Configuration();
  EXPECT_FALSE(CreateConfigCellForVersion(5, 0, 1, 1, record));  // the holder must be empty
  EXPECT_EQ(record.Configuration(), first);
  EXPECT_EQ(ConfigClassName(*record.Configuration()), "T3_26ConfigCell");
}

}  // namespace
}  // namespace velt
