// The simulator's images read by the program's own configuration cells,
// and the program's images read by the simulator: the two were written
// apart from each other from the same layouts, so each checks the other.
// For every named profile, every demo slot and record decodes in the cell
// class the program picks, validates, and gives back the setup the
// simulator wrote.
#include <gtest/gtest.h>

#include <records/UniversalDataObjectUnit.h>

#include <algorithm>
#include <cmath>

#include "SimulatedMemory.h"
#include "SimulatorProfile.h"
#include "link/SimulatedSetupExpectations.h"

namespace conduit {
namespace {

TEST(SimulatedImagesAgainstCellsTest, EveryDemoImageDecodesAndValidatesInTheProgramsCell) {
  for (const TNamedSimulatorProfile& named : SimulatorProfileNames()) {
    SCOPED_TRACE(named.Name);
    std::string error;
    const auto profile = ParseSimulatorProfile(named.Name, error);
    ASSERT_TRUE(profile.has_value()) << error;
    const TSimulatorIdentity& id = profile->Identity;
    const TSimulatedMemory memory = BuildDemoMemory(id);
    const auto probe = velt::CreateConfigCellForVersion(id.MajorVersion, id.MinorVersion,
                                                        id.ConfigLocalVersion, id.DeviceType);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(velt::ConfigClassName(*probe), SimulatedLayoutClassName(SimulatedLayoutFor(id)));
    const TSimulatedLayout layout = SimulatedLayoutFor(id);
    for (std::size_t n = 0; n < kSimulatedSlots; ++n) {
      SCOPED_TRACE("slot " + std::to_string(n));
      auto cell = velt::CreateConfigCellForVersion(id.MajorVersion, id.MinorVersion,
                                                   id.ConfigLocalVersion, id.DeviceType);
      const velt::TDeviceImage image = ToCellImage(memory.SlotBlock(n).data());
      if (!memory.Slots[n]) {
        EXPECT_FALSE(cell->ImagePresent(image));
        continue;
      }
      ASSERT_TRUE(cell->ImagePresent(image));
      cell->DecodeImage(image, static_cast<std::uint16_t>(n));
      ASSERT_TRUE(cell->Validate());
      ExpectSetup(*cell, DemoSlotSetup(n), layout);
    }
    for (std::uint16_t k = 1; k <= memory.Records.size(); ++k) {
      SCOPED_TRACE("record " + std::to_string(k));
      auto cell = velt::CreateConfigCellForVersion(id.MajorVersion, id.MinorVersion,
                                                   id.ConfigLocalVersion, id.DeviceType);
      cell->DecodeImage(ToCellImage(memory.Records[k - 1u].data()), k);
      ASSERT_TRUE(cell->Validate());
      ExpectSetup(*cell, DemoRecordSetup(k), layout);
    }
  }
}

TEST(SimulatedImagesAgainstCellsTest, TheSimulatorReadsTheProgramsImages) {
  for (const TNamedSimulatorProfile& named : SimulatorProfileNames()) {
    SCOPED_TRACE(named.Name);
    std::string error;
    const TSimulatorIdentity id = ParseSimulatorProfile(named.Name, error)->Identity;
    auto cell = velt::CreateConfigCellForVersion(id.MajorVersion, id.MinorVersion,
                                                 id.ConfigLocalVersion, id.DeviceType);
    ASSERT_NE(cell, nullptr);
    cell->SetDefaults(0);
    cell->ATTENUATOR1 = 57;
    cell->INDEX_MARK_MKS = 4;
    cell->PIXEL_GRID_LENGTH = 33;
    cell->LAST_MEM_CELL = 321;
    cell->SIGNAL_TYPE = 3;
    velt::TDeviceImage encoded{};
    cell->EncodeImage(encoded, 0);
    TSimulatedImage image{};
    std::copy_n(encoded.begin(), image.size(), image.begin());
    const TSimulatedImageFields fields = ReadSimulatedImageFields(SimulatedLayoutFor(id), image);
    EXPECT_EQ(fields.Attenuator, 57);
    EXPECT_EQ(fields.IndexMarkMks, 4);
    EXPECT_EQ(fields.PixelGridLength, 33);
    EXPECT_EQ(fields.LastMemCell, 321);
    EXPECT_EQ(fields.SignalType, 3);
  }
}

}  // namespace
}  // namespace conduit
