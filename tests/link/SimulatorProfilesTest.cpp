// The named profiles of the simulated instrument and the newer profile
// options: every named profile is an instrument the program has a class
// for, with its records counted in its working configuration; folders and
// the silent, time-out and save options parse or are refused with a reason.
#include <gtest/gtest.h>

#include <set>

#include "SimulatedMemoryFolder.h"
#include "link/SimulatorTestSupport.h"

namespace conduit {
namespace {

using testing::ProfileOf;
using testing::TBytes;
using testing::TScratchFolder;
using testing::TSimulatorSession;

TEST(SimulatorProfilesTest, NamedProfilesCoverEveryConfigurationClassOfBothDeviceTypes) {
  std::set<std::string> names;
  std::set<std::string> classes;
  std::set<int> deviceTypes;
  for (const TNamedSimulatorProfile& named : SimulatorProfileNames()) {
    SCOPED_TRACE(named.Name);
    names.insert(named.Name);
    const TSimulatorProfile profile = ProfileOf(named.Name);
    ASSERT_TRUE(profile.Plugged);
    const auto variant = SimulatedVariantFor(profile.Identity);
    ASSERT_TRUE(variant.has_value()) << "listed, but the program has no class for it";
    const std::string className = SimulatedLayoutClassName(variant->Layout);
    EXPECT_NE(std::string(named.Description).find(className), std::string::npos)
        << named.Description;
    EXPECT_EQ(std::string(named.Description).find("not initialised") != std::string::npos,
              !variant->Initialised);
    classes.insert(className);
    deviceTypes.insert(profile.Identity.DeviceType);
  }
  EXPECT_EQ(names.size(), SimulatorProfileNames().size());
  EXPECT_EQ(classes, (std::set<std::string>{"TBaseConfigCell", "T3_17ConfigCell", "T3_26ConfigCell",
                                            "T4_03ConfigCell", "T4_08ConfigCell", "T5_00ConfigCell",
                                            "T5_01ConfigCell"}));
  EXPECT_EQ(deviceTypes, (std::set<int>{1, 2}));
  EXPECT_EQ(names.count("2:5.4.4"), 1u);
  EXPECT_EQ(names.count("2:4.0.2"), 1u);
}

TEST(SimulatorProfilesTest, EveryNamedProfileCountsItsRecordsInConfigurationZero) {
  for (const TNamedSimulatorProfile& named : SimulatorProfileNames()) {
    SCOPED_TRACE(named.Name);
    TSimulatorSession sim(named.Name);
    EXPECT_EQ(sim.Type, sim.Device().GetIdentity().DeviceType);
    ASSERT_TRUE(sim.Send({18}));
    const TBytes identify = sim.Answer().value_or(TBytes(8));
    EXPECT_EQ(identify[1], sim.Device().GetIdentity().MajorVersion);
    const TBytes working = sim.ReadConfiguration(0);
    TSimulatedImage image{};
    std::copy(working.begin(), working.end(), image.begin());
    const std::uint16_t count = ReadSimulatedImageFields(sim.Device().Layout(), image).LastMemCell;
    EXPECT_EQ(count, kDemoRecordCount);
    EXPECT_EQ(sim.ReadBlocks(count, 5)[0].size(), 512u);  // the last record is there
    EXPECT_NE(sim.ReadBlocks(count, 5)[1], TBytes(512, 0));
  }
}

TEST(SimulatorProfilesTest, ParsesTheSilentTimeOutAndSaveOptions) {
  const TSimulatorProfile p = ProfileOf("2:5.4.4,silent-after=7,timeout=50,save=/tmp/velt-sim");
  EXPECT_EQ(p.Faults.SilentAfterTransfers, 7u);
  EXPECT_EQ(p.Faults.ReadTimeoutMs, 50u);
  EXPECT_EQ(p.SavePath, "/tmp/velt-sim");
  EXPECT_EQ(p.Name, "2:5.4.4");  // a "/" among the options makes no folder
  EXPECT_FALSE(p.Memory.has_value());
  const TSimulatorProfile defaults = ProfileOf("1:3.26");
  EXPECT_EQ(defaults.Faults.SilentAfterTransfers, 0u);
  EXPECT_EQ(defaults.Faults.ReadTimeoutMs, 5000u);
  EXPECT_TRUE(defaults.SavePath.empty());
  for (const char* text : {"1:3.26,silent-after=0", "1:3.26,silent-after=x",
                           "1:3.26,timeout=", "1:3.26,timeout=-5", "1:3.26,save=",
                           "1:3.26,replug-after=0", "1:3.26,replug-after=soon"}) {
    std::string error;
    EXPECT_FALSE(ParseSimulatorProfile(text, error).has_value()) << text;
    EXPECT_NE(error.find("bad simulator option"), std::string::npos) << error;
  }
}

TEST(SimulatorProfilesTest, AFolderProfileTakesItsIdentityAndMemoryFromTheFolder) {
  TScratchFolder scratch;
  TSimulatedMemory memory = BuildDemoMemory({2, 4, 0, 2});
  memory.Records.resize(3);
  std::string error;
  ASSERT_TRUE(SaveMemoryFolder(memory, scratch.Sub("mem"), error)) << error;

  const TSimulatorProfile p = ProfileOf(scratch.Sub("mem") + ",unplug-after=40");
  EXPECT_EQ(p.Identity, (TSimulatorIdentity{2, 4, 0, 2}));
  EXPECT_EQ(p.ClassIndex, 2u);  // the class of device type 2
  EXPECT_EQ(p.Faults.UnplugAfterTransfers, 40u);
  ASSERT_TRUE(p.Memory.has_value());
  EXPECT_EQ(*p.Memory, memory);
  EXPECT_EQ(ProfileOf(scratch.Sub("mem") + ",class=4").ClassIndex, 3u);

  TSimulatorSession sim(scratch.Sub("mem"));
  EXPECT_EQ(sim.Type, 2);
  EXPECT_EQ(sim.Library->ConnectUSB(), 0);
  EXPECT_EQ(sim.ReadBlocks(4, 5)[0], TBytes(512, 0));  // only three records here

  // A relative folder works the same.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(scratch.Path);
  EXPECT_EQ(ProfileOf("./mem").Identity.DeviceType, 2);
  std::filesystem::current_path(cwd);
}

TEST(SimulatorProfilesTest, AMalformedFolderIsNoProfileAndSaysWhy) {
  TScratchFolder scratch;
  testing::WriteText(scratch.Path / "identity", "DEVICE TYPE:2\nMAJOR:5\nMINOR:4\nLOCAL:4\n");
  testing::WriteFile(scratch.Path / "config-04.bin", TBytes(100, 0));
  std::string error;
  EXPECT_FALSE(ParseSimulatorProfile(scratch.Path.string() + ",class=3", error).has_value());
  EXPECT_NE(error.find("config-04.bin has 100 bytes"), std::string::npos) << error;
  EXPECT_FALSE(ParseSimulatorProfile("/no/such/velt/folder", error).has_value());
  EXPECT_NE(error.find("no memory folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace conduit
