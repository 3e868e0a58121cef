// The flaw collection and the configuration collection: building,
// clearing, the display order and its sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include <records/RecordCollectionsUnit.h>

#include "RecordsTestSupport.h"

namespace velt {
namespace {

using namespace testing_support;

// ---- Building ---------------------------------------------------------------------------

class CollectionBuild : public ::testing::TestWithParam<TVariant> {};

TEST_P(CollectionBuild, FlawCollectionGetsRecordsOfTheSelectedClass) {
  const TVariant& v = GetParam();
  TFlawDataBlock block;
  block.Build(4, v.Major, v.Minor, v.Local, v.Device);
  EXPECT_EQ(block.Count, 4);
  EXPECT_EQ(block.MajorVersion, v.Major);
  EXPECT_EQ(block.MinorVersion, v.Minor);
  EXPECT_EQ(block.ConfigLocalVersion, v.Local);
  EXPECT_EQ(block.DeviceType, v.Device);
  ASSERT_EQ(block.Records.size(), 4u);
  EXPECT_EQ(block.DisplayOrder, (std::vector<std::uint16_t>{0, 1, 2, 3}));
  EXPECT_EQ(block.ReceivedFlags, std::vector<bool>(4, false));
  for (const auto& record : block.Records) {
    ASSERT_NE(record->Configuration(), nullptr);
    EXPECT_TRUE(record->OwnsConfiguration());
    EXPECT_EQ(ConfigClassName(*record->Configuration()), v.Class);
    EXPECT_EQ(record->ArraySize, 320);
    EXPECT_EQ(record->FirstMaximums.size(), 321u);
  }
  // Every record has a cell of its own.
  EXPECT_NE(block.Records[0]->Configuration(), block.Records[1]->Configuration());
  EXPECT_EQ(block.CurrentRecord, block.Records[0].get());
}

TEST_P(CollectionBuild, ConfigurationCollectionGetsCellsAndADrawingRecord) {
  const TVariant& v = GetParam();
  TUSBConfigsBlock block;
  block.Build(100, v.Major, v.Minor, v.Local, v.Device);
  EXPECT_EQ(block.Count, 100);
  EXPECT_EQ(block.MajorVersion, v.Major);
  EXPECT_EQ(block.MinorVersion, v.Minor);
  EXPECT_EQ(block.ConfigLocalVersion, v.Local);
  EXPECT_EQ(block.DeviceType, v.Device);
  ASSERT_EQ(block.Configurations.size(), 100u);
  EXPECT_EQ(block.LoadedFlags, std::vector<bool>(100, false));
  EXPECT_EQ(block.ChangedFlags, std::vector<bool>(100, false));
  for (const auto& cell : block.Configurations) {
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(ConfigClassName(*cell), v.Class);
  }
  ASSERT_NE(block.DrawingRecord, nullptr);
  EXPECT_EQ(block.DrawingRecord->ArraySize, 320);
  EXPECT_EQ(block.DrawingRecord->Configuration(), block.Configurations[0].get());
  EXPECT_FALSE(block.DrawingRecord->OwnsConfiguration());
}

INSTANTIATE_TEST_SUITE_P(Classes, CollectionBuild, ::testing::ValuesIn(AllVariants()), VariantName);

TEST(CollectionBuild, VersionsWithoutAClassGiveRecordsWithoutCells) {
  TFlawDataBlock flaws;
  flaws.Build(2, 3, 35, 0, 1);
  ASSERT_EQ(flaws.Records.size(), 2u);
  EXPECT_EQ(flaws.Records[0]->Configuration(), nullptr);
  TUSBConfigsBlock configs;
  configs.Build(2, 3, 20, 0, 3);
  ASSERT_EQ(configs.Configurations.size(), 2u);
  EXPECT_EQ(configs.Configurations[1], nullptr);
  EXPECT_EQ(configs.DrawingRecord->Configuration(), nullptr);
}

TEST(CollectionBuild, RebuildingReplacesEverythingButTheDrawingRecord) {
  TFlawDataBlock flaws;
  flaws.Build(3, 3, 27, 0, 1);
  flaws.ReceivedFlags[1] = true;
  flaws.DisplayOrder = {2, 1, 0};
  flaws.Build(2, 5, 0, 1, 1);
  EXPECT_EQ(flaws.Records.size(), 2u);
  EXPECT_EQ(flaws.DisplayOrder, (std::vector<std::uint16_t>{0, 1}));
  EXPECT_EQ(flaws.ReceivedFlags, std::vector<bool>(2, false));
  EXPECT_EQ(ConfigClassName(*flaws.Records[1]->Configuration()), "T5_01ConfigCell");

  TUSBConfigsBlock configs;
  configs.Build(5, 3, 27, 0, 1);
  TDataCell* drawing = configs.DrawingRecord.get();
  configs.LoadedFlags[2] = configs.ChangedFlags[3] = true;
  configs.Build(3, 4, 0, 2, 2);
  EXPECT_EQ(configs.DrawingRecord.get(), drawing);  // created once
  EXPECT_EQ(configs.DrawingRecord->Configuration(), configs.Configurations[0].get());
  EXPECT_EQ(configs.LoadedFlags, std::vector<bool>(3, false));
  EXPECT_EQ(configs.ChangedFlags, std::vector<bool>(3, false));
  EXPECT_EQ(ConfigClassName(*configs.Configurations[2]), "T4_03ConfigCell");
}

// ---- Clearing ---------------------------------------------------------------------------

TEST(CollectionClear, FlawCollectionForgetsEverything) {
  TFlawDataBlock flaws;
  flaws.Build(3, 4, 5, 3, 2);
  flaws.FileName = "/data/rail.dtf";
  flaws.Source = kSourceFile;
  flaws.ReportSelection = {flaws.Records[1].get()};
  flaws.ReportSelectionCount = 1;
  flaws.CurrentReportRecord = flaws.Records[1].get();
  flaws.Clear();
  EXPECT_EQ(flaws.Count, 0);
  EXPECT_TRUE(flaws.Records.empty());
  EXPECT_TRUE(flaws.DisplayOrder.empty());
  EXPECT_TRUE(flaws.ReceivedFlags.empty());
  EXPECT_TRUE(flaws.FileName.empty());
  EXPECT_EQ(flaws.Source, kSourceNone);
  EXPECT_EQ(flaws.MajorVersion, 0);
  EXPECT_EQ(flaws.MinorVersion, 0);
  EXPECT_EQ(flaws.ConfigLocalVersion, 0);
  EXPECT_EQ(flaws.DeviceType, 255);
  EXPECT_EQ(flaws.CurrentRecord, nullptr);
}

TEST(CollectionClear, ConfigurationCollectionKeepsItsDrawingRecord) {
  TUSBConfigsBlock configs;
  configs.Build(4, 3, 27, 0, 1);
  configs.FileName = "/data/setups.ctf";
  configs.Source = kSourceInstrument;
  configs.LoadedFlags[0] = true;
  TDataCell* drawing = configs.DrawingRecord.get();
  drawing->FirstMaximums[10] = 150;
  drawing->BScan[1][1] = 3;
  drawing->Comments = {"kept"};
  configs.Clear();
  EXPECT_EQ(configs.Count, 0);
  EXPECT_TRUE(configs.Configurations.empty());
  EXPECT_TRUE(configs.LoadedFlags.empty());
  EXPECT_TRUE(configs.ChangedFlags.empty());
  EXPECT_TRUE(configs.FileName.empty());
  EXPECT_EQ(configs.Source, kSourceNone);
  EXPECT_EQ(configs.MajorVersion, 0);
  EXPECT_EQ(configs.MinorVersion, 0);
  EXPECT_EQ(configs.ConfigLocalVersion, 0);
  // The drawing record stays, released with its configuration kept: it
  // refers to no cell any more, and its contents are cleared.
  ASSERT_EQ(configs.DrawingRecord.get(), drawing);
  EXPECT_EQ(drawing->Configuration(), nullptr);
  EXPECT_EQ(drawing->FirstMaximums[10], 0);
  EXPECT_EQ(drawing->BScan[1][1], 0);
  EXPECT_EQ(drawing->Comments, std::vector<std::string>{"kept"});
}

TEST(CollectionClear, EmptyConfigurationCollectionIsLeftAlone) {
  TUSBConfigsBlock configs;
  configs.FileName = "status text";
  configs.Source = kSourceInstrument;
  configs.MajorVersion = 4;
  configs.Clear();
  EXPECT_EQ(configs.FileName, "status text");
  EXPECT_EQ(configs.Source, kSourceInstrument);
  EXPECT_EQ(configs.MajorVersion, 4);
}

// ---- Display order ----------------------------------------------------------------------

void SetKeys(TFlawDataBlock& block, const std::vector<std::uint16_t>& keys) {
  block.Build(static_cast<std::uint16_t>(keys.size()), 3, 27, 0, 1);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    block.Records[i]->Configuration()->CONFIG_INDEX = keys[i];
  }
}

// The instrument program's sort: a bubble sort over the display order that
// swaps only when the left key is greater.
std::vector<std::uint16_t> BubbleSorted(std::vector<std::uint16_t> order,
                                        const std::vector<std::uint16_t>& keys) {
  for (std::size_t n = order.size() - 1; n >= 1; --n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (keys[order[i]] > keys[order[i + 1]]) {
        std::swap(order[i], order[i + 1]);
      }
    }
  }
  return order;
}

TEST(DisplayOrder, SortByConfigIndexOrdersTheRowsByKey) {
  struct TCase {
    std::vector<std::uint16_t> Keys;
    std::vector<std::uint16_t> Order;
  };
  const std::vector<TCase> cases = {
      {{3, 2, 1}, {2, 1, 0}},
      {{2, 1}, {1, 0}},
      {{1, 2}, {0, 1}},
      {{7}, {0}},
      {{5, 1, 5, 1, 3, 5}, {1, 3, 4, 0, 2, 5}},  // equal keys keep their order
      {{4, 4, 4}, {0, 1, 2}},
      {{65535, 0, 65535, 1}, {1, 3, 0, 2}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Keys));
    TFlawDataBlock block;
    SetKeys(block, c.Keys);
    block.SortByConfigIndex();
    EXPECT_EQ(block.DisplayOrder, c.Order);
    // The records themselves stay in storage order.
    for (std::size_t i = 0; i < c.Keys.size(); ++i) {
      EXPECT_EQ(block.Records[i]->Configuration()->CONFIG_INDEX, c.Keys[i]);
    }
  }
}

TEST(DisplayOrder, SortAgreesWithTheBubbleSortFromAnyStartingOrder) {
  std::mt19937 random(99);
  for (int round = 0; round < 200; ++round) {
    const std::size_t count = static_cast<std::size_t>(Between(random, 1, 40));
    std::vector<std::uint16_t> keys(count);
    for (auto& k : keys) {
      k = static_cast<std::uint16_t>(Between(random, 0, 4));  // many equal keys
    }
    TFlawDataBlock block;
    SetKeys(block, keys);
    std::shuffle(block.DisplayOrder.begin(), block.DisplayOrder.end(), random);
    const std::vector<std::uint16_t> expected = BubbleSorted(block.DisplayOrder, keys);
    block.SortByConfigIndex();
    ASSERT_EQ(block.DisplayOrder, expected) << "round " << round;
  }
}

TEST(DisplayOrder, NaturalOrderUndoesASort) {
  TFlawDataBlock block;
  SetKeys(block, {9, 8, 7, 6, 5});
  block.SortByConfigIndex();
  ASSERT_EQ(block.DisplayOrder, (std::vector<std::uint16_t>{4, 3, 2, 1, 0}));
  block.NaturalOrder();
  EXPECT_EQ(block.DisplayOrder, (std::vector<std::uint16_t>{0, 1, 2, 3, 4}));
}

// The report tab's list: the records in the order shown, forgotten when
// the records are built anew.
TEST(DisplayOrder, TheReportListFollowsTheOrderAndGoesWithTheRecords) {
  TFlawDataBlock flaws;
  flaws.Build(3, 3, 26, 0, 1);
  const std::uint16_t keys[] = {30, 10, 20};
  for (std::size_t i = 0; i < 3; ++i) {
    flaws.Records[i]->Configuration()->CONFIG_INDEX = keys[i];
  }
  flaws.SortByConfigIndex();
  flaws.RebuildReportSelection();
  EXPECT_EQ(flaws.ReportSelection,
            (std::vector<TDataCell*>{flaws.Records[1].get(), flaws.Records[2].get(),
                                     flaws.Records[0].get()}));
  EXPECT_EQ(flaws.ReportSelectionCount, 3);
  flaws.CurrentReportRecord = flaws.Records[0].get();
  flaws.Build(2, 3, 26, 0, 1);
  EXPECT_TRUE(flaws.ReportSelection.empty());
  EXPECT_EQ(flaws.ReportSelectionCount, 0);
  EXPECT_EQ(flaws.CurrentReportRecord, nullptr);
}

}  // namespace
}  // namespace velt
