// The simulated instrument's memory: the demo memory it starts with (slots,
// erased slots, the working configuration, records with plausible signals)
// and its folder form, saved and loaded, with malformed folders refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "SimulatedMemoryFolder.h"
#include "link/SimulatorTestSupport.h"

namespace conduit {
namespace {

using testing::ReadFile;
using testing::TBytes;
using testing::TScratchFolder;
using testing::WriteFile;
using testing::WriteText;

constexpr TSimulatorIdentity kIdentities[] = {{1, 2, 0, 0}, {1, 3, 26, 0}, {1, 4, 0, 2},
                                              {1, 5, 0, 0}, {2, 5, 4, 4},  {3, 1, 0, 0}};

std::string Describe(const TSimulatorIdentity& id) {
  return std::to_string(id.DeviceType) + ":" + std::to_string(id.MajorVersion) + "." +
         std::to_string(id.MinorVersion) + "." + std::to_string(id.ConfigLocalVersion);
}

TBytes Block(const TSimulatedRecord& record, std::size_t block) {
  const auto from = record.begin() + static_cast<long>(512 * block);
  return TBytes(from, from + 512);
}

TEST(SimulatedMemoryTest, DemoFillsAllButTheErasedSlotsWithSetupsOfTheirOwn) {
  for (const TSimulatorIdentity& identity : kIdentities) {
    SCOPED_TRACE(Describe(identity));
    const TSimulatedMemory memory = BuildDemoMemory(identity);
    EXPECT_EQ(memory.Identity, identity);
    ASSERT_EQ(memory.Slots.size(), 100u);
    std::set<TBytes> distinct;
    std::size_t filled = 0;
    for (std::size_t n = 0; n < 100; ++n) {
      const bool erased =
          std::find(kDemoErasedSlots.begin(), kDemoErasedSlots.end(), n) != kDemoErasedSlots.end();
      EXPECT_EQ(memory.Slots[n].has_value(), !erased) << "slot " << n;
      const TSimulatedImage block = memory.SlotBlock(n);
      if (erased) {
        EXPECT_TRUE(
            std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; }))
            << "slot " << n;
        continue;
      }
      ++filled;
      distinct.insert(testing::BytesOf(block));
      // Not taken for an erased slot: byte 1, nor any of 10, 20, 50, 110.
      for (std::size_t at : {1, 10, 20, 50, 110}) {
        EXPECT_NE(block[at], 0xFF) << "slot " << n << " byte " << at;
      }
    }
    EXPECT_EQ(filled, 90u);
    EXPECT_EQ(distinct.size(), filled);
    EXPECT_EQ(memory.SlotBlock(100), memory.SlotBlock(7));  // beyond the last slot: empty
    EXPECT_FALSE(memory.Clock.has_value());
  }
}

TEST(SimulatedMemoryTest, WorkingConfigurationCountsTheStoredRecords) {
  for (const TSimulatorIdentity& identity : kIdentities) {
    SCOPED_TRACE(Describe(identity));
    const TSimulatedMemory memory = BuildDemoMemory(identity);
    ASSERT_TRUE(memory.Slots[0].has_value());
    EXPECT_EQ(memory.Records.size(), kDemoRecordCount);
    const TSimulatedLayout layout = SimulatedLayoutFor(identity);
    EXPECT_EQ(ReadSimulatedImageFields(layout, *memory.Slots[0]).LastMemCell, kDemoRecordCount);
  }
  // Read at the layouts' own places: C32 at 127 before 5.00, B16 at 55 from 5.00 on.
  const TSimulatedImage old = *BuildDemoMemory({1, 3, 26, 0}).Slots[0];
  EXPECT_EQ(TBytes(old.begin() + 127, old.begin() + 131), (TBytes{0, 0, 0x04, 0xB0}));
  const TSimulatedImage compact = *BuildDemoMemory({1, 5, 0, 1}).Slots[0];
  EXPECT_EQ(TBytes(compact.begin() + 55, compact.begin() + 57), (TBytes{0, 12}));
}

TEST(SimulatedMemoryTest, SlotsDifferInNameVelocityStrobesGainAndRange) {
  std::set<std::string> names;
  std::set<unsigned> velocities, attenuators, ranges, strobes;
  for (std::size_t n = 0; n < 100; ++n) {
    const TSimulatedSetup s = DemoSlotSetup(n);
    names.insert(s.Name);
    velocities.insert(s.Velocity);
    attenuators.insert(s.Attenuator);
    ranges.insert(s.IndexMarkMks * 100u + s.PixelGridLength);
    strobes.insert(static_cast<unsigned>(s.Strobe1Begin * 100));
  }
  EXPECT_EQ(names.size(), 100u);
  EXPECT_GE(velocities.size(), 6u);
  EXPECT_GE(attenuators.size(), 20u);
  EXPECT_GE(ranges.size(), 30u);
  EXPECT_GE(strobes.size(), 50u);
}

TEST(SimulatedMemoryTest, DemoSetupsStayInsideTheRangesTheProgramAccepts) {
  for (std::size_t n = 0; n < 100; ++n) {
    SCOPED_TRACE("slot " + std::to_string(n));
    const TSimulatedSetup s = DemoSlotSetup(n);
    EXPECT_LE(s.Name.size(), 13u);
    EXPECT_GE(s.Velocity, 1000);
    EXPECT_LE(s.Velocity, 15000);
    EXPECT_LE(s.Attenuator, 90);
    EXPECT_LE(s.IndexMarkMks, 6);
    EXPECT_GE(s.PixelGridLength, 25);
    EXPECT_LE(s.PixelGridLength, 50);
    EXPECT_LE(s.Strobe1Begin, s.Strobe1End);
    EXPECT_LE(s.Strobe2Begin, s.Strobe2End);
    EXPECT_LE(s.Strobe2End, 4120);
    EXPECT_LE(s.Strobe1LevelPercent, 100);
    EXPECT_LE(s.InsertionAngle, 90);
    EXPECT_LE(s.Thickness, 499.9);
    EXPECT_LE(s.TgvNumber, 31);
    EXPECT_TRUE(s.ScreenMode == 1 || s.ScreenMode == 3);
    EXPECT_TRUE(s.RefreshRate == 10 || s.RefreshRate == 25 || s.RefreshRate == 50);
    EXPECT_LE(s.ExactCursorFlag, 10);
    EXPECT_LE(s.CursorInLupa, 10);
    for (double cosine : {1.0, std::cos(s.InsertionAngle * 3.14159265358979 / 180)}) {
      const TSimulatedMillimetreGrid grid = SimulatedMillimetreGrid(s, cosine);
      EXPECT_GE(grid.Pixels, 25.0);
      EXPECT_LE(grid.Pixels, 90.0);
    }
  }
}

TEST(SimulatedMemoryTest, RecordsCarryTheirSetupAndPlausibleSignals) {
  const TSimulatedMemory memory = BuildDemoMemory({1, 4, 0, 3});
  std::set<TBytes> traces;
  for (std::size_t k = 1; k <= memory.Records.size(); ++k) {
    SCOPED_TRACE("record " + std::to_string(k));
    const TSimulatedRecord& record = memory.Records[k - 1];
    const TSimulatedSetup setup = DemoRecordSetup(static_cast<std::uint16_t>(k));
    EXPECT_EQ(ReadSimulatedImageFields(TSimulatedLayout::V4_08,
                                       *reinterpret_cast<const TSimulatedImage*>(record.data()))
                  .LastMemCell,
              k);
    for (std::size_t b = 1; b <= 4; ++b) {
      const TBytes block = Block(record, b);
      EXPECT_TRUE(
          std::all_of(block.begin() + 320, block.end(), [](std::uint8_t v) { return v == 0; }))
          << "block " << b;
      EXPECT_LE(*std::max_element(block.begin(), block.begin() + 320), 180) << "block " << b;
    }
    const TBytes max1 = Block(record, 1), min1 = Block(record, 2);
    const TBytes max2 = Block(record, 3), min2 = Block(record, 4);
    for (std::size_t i = 0; i < 320; ++i) {
      EXPECT_GE(max1[i], min1[i]) << "column " << i;
      EXPECT_GE(max2[i], min2[i]) << "column " << i;
    }
    traces.insert(TBytes(max1.begin(), max1.begin() + 320));
    EXPECT_NE(max1, max2);  // a second trace of its own
    if (setup.SignalType == 3) {
      continue;  // a radio-frequency band around 90, drawn differently
    }
    // The initial pulse at the left, the end of the first leg as the highest
    // echo after it, and little noise beyond it.
    EXPECT_GE(*std::max_element(max1.begin(), max1.begin() + 3), 140);
    const double columnTime =
        std::array{1.0, 2.0, 5.0, 10.0, 25.0, 50.0, 100.0}[setup.IndexMarkMks] /
        setup.PixelGridLength;
    const double leg = 2000 * setup.Thickness /
                       (setup.Velocity * std::cos(setup.InsertionAngle * 3.14159265358979 / 180));
    const auto peak = std::max_element(max1.begin() + 30, max1.begin() + 320);
    EXPECT_NEAR(static_cast<double>(peak - max1.begin()), leg / columnTime, 2.0);
    EXPECT_GE(*peak, 80);
    const auto quiet = std::min<std::size_t>(319, static_cast<std::size_t>(1.4 * leg / columnTime));
    EXPECT_LE(max1[quiet], 12) << "column " << quiet;
  }
  EXPECT_EQ(traces.size(), memory.Records.size());
}

TEST(SimulatedMemoryTest, SameIdentityGivesTheSameMemoryEveryTime) {
  EXPECT_EQ(BuildDemoMemory({2, 5, 4, 4}), BuildDemoMemory({2, 5, 4, 4}));
  const TSimulatedMemory older = BuildDemoMemory({1, 3, 17, 0});
  const TSimulatedMemory newer = BuildDemoMemory({1, 5, 0, 1});
  EXPECT_NE(older.Slots[1], newer.Slots[1]);  // another layout, other bytes
}

TEST(SimulatedMemoryFolderTest, SaveAndLoadGiveTheSameMemory) {
  TScratchFolder scratch;
  TSimulatedMemory memory = BuildDemoMemory({2, 5, 4, 4});
  memory.Clock = TSimulatedClock{};
  (*memory.Clock)[0] = 24;
  std::string error;
  ASSERT_TRUE(SaveMemoryFolder(memory, scratch.Sub("mem"), error)) << error;
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "mem" / "config-07.bin"));
  EXPECT_EQ(ReadFile(scratch.Path / "mem" / "config-00.bin"), testing::BytesOf(*memory.Slots[0]));
  EXPECT_EQ(ReadFile(scratch.Path / "mem" / "record-0012.bin"),
            testing::BytesOf(memory.Records[11]));
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "mem" / "record-0013.bin"));
  std::ifstream identity(scratch.Path / "mem" / "identity");
  std::string text((std::istreambuf_iterator<char>(identity)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "DEVICE TYPE:2\nMAJOR:5\nMINOR:4\nLOCAL:4\n");

  const auto loaded = LoadMemoryFolder(scratch.Sub("mem"), error);
  ASSERT_TRUE(loaded.has_value()) << error;
  EXPECT_EQ(*loaded, memory);

  // Saving a smaller memory over it leaves no stale slot, record or clock.
  TSimulatedMemory smaller = memory;
  smaller.Slots[3].reset();
  smaller.Records.resize(2);
  smaller.Clock.reset();
  ASSERT_TRUE(SaveMemoryFolder(smaller, scratch.Sub("mem"), error)) << error;
  const auto again = LoadMemoryFolder(scratch.Sub("mem"), error);
  ASSERT_TRUE(again.has_value()) << error;
  EXPECT_EQ(*again, smaller);
  for (const auto& entry : std::filesystem::directory_iterator(scratch.Path / "mem")) {
    EXPECT_EQ(entry.path().extension() == ".tmp", false) << entry.path();
  }
}

TEST(SimulatedMemoryFolderTest, AMinimalFolderIsAnEmptyInstrument) {
  TScratchFolder scratch;
  WriteText(scratch.Path / "identity", "DEVICE TYPE:1\r\nMAJOR:3\r\nMINOR:17\r\nLOCAL:0\r\n");
  WriteFile(scratch.Path / "config-05.bin", TBytes(512, 0x41));
  WriteFile(scratch.Path / "record-0002.bin", TBytes(2560, 1));  // no 0001: no records
  std::string error;
  const auto memory = LoadMemoryFolder(scratch.Path.string(), error);
  ASSERT_TRUE(memory.has_value()) << error;
  EXPECT_EQ(memory->Identity, (TSimulatorIdentity{1, 3, 17, 0}));
  for (std::size_t n = 0; n < 100; ++n) {
    EXPECT_EQ(memory->Slots[n].has_value(), n == 5) << n;
  }
  EXPECT_EQ(memory->SlotBlock(5)[0], 0x41);
  EXPECT_TRUE(memory->Records.empty());
  EXPECT_FALSE(memory->Clock.has_value());
}

struct TMalformedCase {
  const char* What;
  std::vector<std::pair<const char*, TBytes>> Files;
  const char* Identity;  // nullptr: no identity file
  const char* Reason;    // a part of the reason given
};

TEST(SimulatedMemoryFolderTest, MalformedFoldersAreRefusedWithTheReason) {
  const char* good = "DEVICE TYPE:1\nMAJOR:3\nMINOR:26\nLOCAL:0\n";
  const TMalformedCase cases[] = {
      {"no identity", {}, nullptr, "identity"},
      {"identity too short", {}, "DEVICE TYPE:1\nMAJOR:3\nMINOR:26\n", "3 lines"},
      {"identity extra line", {}, "DEVICE TYPE:1\nMAJOR:3\nMINOR:26\nLOCAL:0\nX:1\n", "5 lines"},
      {"keys out of order", {}, "MAJOR:3\nDEVICE TYPE:1\nMINOR:26\nLOCAL:0\n", "line 1"},
      {"device type 0", {}, "DEVICE TYPE:0\nMAJOR:3\nMINOR:26\nLOCAL:0\n", "1..6"},
      {"device type 7", {}, "DEVICE TYPE:7\nMAJOR:3\nMINOR:26\nLOCAL:0\n", "1..6"},
      {"major 256", {}, "DEVICE TYPE:1\nMAJOR:256\nMINOR:26\nLOCAL:0\n", "line 2"},
      {"not a number", {}, "DEVICE TYPE:1\nMAJOR:3\nMINOR:2x\nLOCAL:0\n", "line 3"},
      {"empty value", {}, "DEVICE TYPE:1\nMAJOR:3\nMINOR:26\nLOCAL:\n", "line 4"},
      {"short configuration", {{"config-12.bin", TBytes(511, 0)}}, good, "config-12.bin has 511"},
      {"long configuration", {{"config-00.bin", TBytes(513, 0)}}, good, "config-00.bin has 513"},
      {"short record",
       {{"record-0001.bin", TBytes(2560, 0)}, {"record-0002.bin", TBytes(2559, 0)}},
       good,
       "record-0002.bin has 2559"},
      {"clock of another size", {{"clock.bin", TBytes(8, 0)}}, good, "clock.bin has 8"},
      {"a folder for a slot", {{"config-03.bin/", {}}}, good, "config-03.bin is not a file"},
  };
  for (const TMalformedCase& c : cases) {
    SCOPED_TRACE(c.What);
    TScratchFolder scratch;
    if (c.Identity != nullptr) {
      WriteText(scratch.Path / "identity", c.Identity);
    }
    for (const auto& [name, bytes] : c.Files) {
      const std::string file = name;
      if (file.back() == '/') {
        std::filesystem::create_directories(scratch.Path / file.substr(0, file.size() - 1));
      } else {
        WriteFile(scratch.Path / file, bytes);
      }
    }
    std::string error;
    EXPECT_FALSE(LoadMemoryFolder(scratch.Path.string(), error).has_value());
    EXPECT_NE(error.find(c.Reason), std::string::npos) << error;
  }
  std::string error;
  EXPECT_FALSE(LoadMemoryFolder("/nonexistent/velt-sim-memory", error).has_value());
  EXPECT_NE(error.find("no memory folder"), std::string::npos) << error;
}

TEST(SimulatedMemoryFolderTest, SavingWhereNoFolderCanBeMadeFailsWithTheReason) {
  TScratchFolder scratch;
  WriteFile(scratch.Path / "plain-file", TBytes(4, 0));
  std::string error;
  EXPECT_FALSE(
      SaveMemoryFolder(BuildDemoMemory({1, 3, 26, 0}), scratch.Sub("plain-file/mem"), error));
  EXPECT_NE(error.find("plain-file"), std::string::npos) << error;
}

}  // namespace
}  // namespace conduit
