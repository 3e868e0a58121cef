// End to end for every named simulator profile, through the program's own
// exchanges and the link algorithms: every configuration and every record
// the simulated instrument holds arrives with the values it wrote, and
// configurations pushed into it come back unchanged. Firmware whose images
// the program cannot read transfers nothing.
#include <gtest/gtest.h>

#include <sstream>

#include <config/TextRecordIO.h>

#include "SimulatedMemory.h"
#include "connection/ExchangeTestSupport.h"
#include "link/SimulatedSetupExpectations.h"

namespace velt {
namespace {

using testing::TExchangeFixture;

std::string TextOf(TBaseConfigCell& cell) {
  std::ostringstream out;
  TTextWriter writer(out);
  cell.WriteText(writer);
  return out.str();
}

std::vector<std::uint8_t> Block(const conduit::TSimulatedRecord& record, std::size_t k) {
  return std::vector<std::uint8_t>(record.begin() + static_cast<long>(512 * k),
                                   record.begin() + static_cast<long>(512 * k + 320));
}

std::vector<std::uint8_t> Samples(const std::vector<std::uint8_t>& envelope) {
  return std::vector<std::uint8_t>(envelope.begin(), envelope.begin() + 320);
}

class SimulatorRoundTripTest : public ::testing::TestWithParam<std::string> {};

TEST_P(SimulatorRoundTripTest, EveryConfigurationAndRecordArrivesAsTheInstrumentWroteIt) {
  TExchangeFixture f(GetParam());
  ASSERT_TRUE(f.Connection->State.Connected);
  const conduit::TSimulatedMemory& memory = f.Sim.Instrument().GetMemory();
  const conduit::TSimulatedLayout layout = conduit::SimulatedLayoutFor(memory.Identity);
  TUSBConfigsBlock configs;
  TFlawDataBlock records;
  if (layout == conduit::TSimulatedLayout::Base) {
    EXPECT_FALSE(f.Connection->DownloadAllConfigurations(configs));
    EXPECT_FALSE(f.Connection->DownloadAllRecords(records));
    return;
  }

  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(configs));
  for (std::uint16_t n = 0; n < 100; ++n) {
    SCOPED_TRACE("slot " + std::to_string(n));
    TBaseConfigCell& cell = *configs.Configurations[n];
    EXPECT_EQ(cell.CONFIGURATION_NO, n);
    if (memory.Slots[n]) {
      conduit::ExpectSetup(cell, conduit::DemoSlotSetup(n), layout);
      continue;
    }
    // An erased slot gives the defaults.
    auto expected = f.NewCell();
    expected->CONFIGURATION_NO = n;
    expected->SetDefaults(n);
    EXPECT_EQ(TextOf(cell), TextOf(*expected));
  }

  ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
  ASSERT_EQ(records.Count, memory.Records.size());
  for (std::uint16_t k = 1; k <= records.Count; ++k) {
    SCOPED_TRACE("record " + std::to_string(k));
    const TDataCell& record = *records.Records[k - 1u];
    conduit::ExpectSetup(*record.Configuration(), conduit::DemoRecordSetup(k), layout);
    const conduit::TSimulatedRecord& stored = memory.Records[k - 1u];
    EXPECT_EQ(Samples(record.FirstMaximums), Block(stored, 1));
    EXPECT_EQ(Samples(record.FirstMinimums), Block(stored, 2));
    EXPECT_EQ(Samples(record.SecondMaximums), Block(stored, 3));
    EXPECT_EQ(Samples(record.SecondMinimums), Block(stored, 4));
    EXPECT_EQ(record.FlawNumber, k);
  }
}

TEST_P(SimulatorRoundTripTest, PushedConfigurationsComeBackUnchanged) {
  TExchangeFixture f(GetParam());
  const conduit::TSimulatedLayout layout =
      conduit::SimulatedLayoutFor(f.Sim.Instrument().GetMemory().Identity);
  if (layout == conduit::TSimulatedLayout::Base) {
    GTEST_SKIP() << "nothing is pushed into firmware whose images cannot be read";
  }
  TUSBConfigsBlock configs;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(configs));
  for (std::uint16_t n : {1, 7, 50, 99}) {  // 7 and 99 are erased in the instrument
    TBaseConfigCell& cell = *configs.Configurations[n];
    cell.ATTENUATOR1 = static_cast<std::uint16_t>(10 + n % 60);
    cell.VELOCITY = static_cast<std::uint16_t>(3000 + n);
    cell.CONFIGURATION_NAME = "PUSHED " + std::to_string(n);
    configs.ChangedFlags[n] = true;
  }
  std::vector<std::string> before;
  for (auto& cell : configs.Configurations) {
    before.push_back(TextOf(*cell));
  }
  ASSERT_TRUE(f.Connection->UploadChangedConfigurations(configs));

  TUSBConfigsBlock back;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(back));
  for (std::uint16_t n = 0; n < 100; ++n) {
    SCOPED_TRACE("slot " + std::to_string(n));
    if (!configs.LoadedFlags[n] || (n != 1 && n != 7 && n != 50 && n != 99)) {
      EXPECT_EQ(TextOf(*back.Configurations[n]), before[n]);  // not written
      continue;
    }
    // What the instrument gives back is what the cell's image said.
    TDeviceImage image{};
    configs.Configurations[n]->EncodeImage(image, n);
    auto expected = f.NewCell();
    expected->DecodeImage(image, n);
    ASSERT_TRUE(expected->Validate());
    expected->CONFIGURATION_NO = n;
    expected->UpdateMillimetreGrid();
    expected->UpdateDepthGrid();
    EXPECT_EQ(TextOf(*back.Configurations[n]), TextOf(*expected));
  }
  EXPECT_EQ(back.Configurations[50]->VELOCITY, 3050);
  EXPECT_EQ(back.Configurations[7]->ATTENUATOR1, 17);
  EXPECT_EQ(back.Configurations[99]->CONFIGURATION_NAME.rfind("PUSHED 99", 0), 0u);
}

std::vector<std::string> NamedProfiles() {
  std::vector<std::string> names;
  for (const auto& named : conduit::SimulatorProfileNames()) {
    names.emplace_back(named.Name);
  }
  return names;
}

INSTANTIATE_TEST_SUITE_P(EveryProfile, SimulatorRoundTripTest, ::testing::ValuesIn(NamedProfiles()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = "Profile_" + param.param;
                           for (char& c : name) {
                             if (c == ':' || c == '.') {
                               c = '_';
                             }
                           }
                           return name;
                         });

}  // namespace
}  // namespace velt
