// The simulated instrument answering the program's commands, driven through
// the real library algorithms: configurations read and written, records,
// live frames that follow gain and range, the clock, injected status
// answers, an instrument that stops answering, and a session saved to a
// folder and replayed from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "SimulatedMemoryFolder.h"
#include "link/SimulatorTestSupport.h"

namespace conduit {
namespace {

using testing::ReadFile;
using testing::TBytes;
using testing::TScratchFolder;
using testing::TSimulatorSession;

// The live test block: 25 mm of steel at 5920 m/s, its back wall 8.45 µs
// after the initial pulse.
constexpr double kBackWallTime = 2000.0 * 25 / 5920;
constexpr double kTimePerDivision[7] = {1, 2, 5, 10, 25, 50, 100};

TBytes Pattern(std::size_t n, std::uint8_t seed) {
  TBytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  }
  bytes[1] = 0x30;  // not an erased slot
  return bytes;
}

TBytes Joined(const std::vector<TBytes>& blocks) {
  TBytes all;
  for (const TBytes& b : blocks) all.insert(all.end(), b.begin(), b.end());
  return all;
}

std::vector<TTransferRecord> Since(TSimulatedInstrument& device, std::size_t from,
                                   TTransferKind kind) {
  std::vector<TTransferRecord> picked;
  for (std::size_t i = from; i < device.Log().size(); ++i) {
    if (device.Log()[i].Kind == kind) picked.push_back(device.Log()[i]);
  }
  return picked;
}

// The column and height of the highest echo after the initial pulse.
std::pair<std::size_t, int> HighestEcho(const TBytes& maximums, std::size_t from) {
  const auto peak =
      std::max_element(maximums.begin() + static_cast<long>(from), maximums.begin() + 320);
  return {static_cast<std::size_t>(peak - maximums.begin()), *peak};
}

// Where that echo stands: the middle of the columns above half its height
// (its top is flat over several columns at a fine time scale, so noise
// moves the single highest column about).
double EchoCentre(const TBytes& maximums, std::size_t from) {
  const auto [peak, height] = HighestEcho(maximums, from);
  std::size_t left = peak, right = peak;
  while (left > from && maximums[left - 1] * 2 >= height) --left;
  while (right + 1 < 320 && maximums[right + 1] * 2 >= height) ++right;
  return (left + right) / 2.0;
}

TEST(SimulatedCommandsTest, ReadConfigurationAnswersTheSlotImage) {
  for (const char* profile : {"1:3.26", "2:5.4.4", "1:2.0"}) {
    SCOPED_TRACE(profile);
    TSimulatorSession sim(profile);
    ASSERT_NE(sim.Type, 0);
    std::vector<TBytes> seen;
    for (std::uint16_t n : {0, 1, 42, 98}) {
      const std::size_t from = sim.Device().Log().size();
      const TBytes image = sim.ReadConfiguration(n);
      EXPECT_EQ(image, testing::BytesOf(*sim.Device().GetMemory().Slots[n])) << n;
      EXPECT_NE(image[1], 0xFF) << n;
      EXPECT_EQ(Since(sim.Device(), from, TTransferKind::BulkIn).size(), 2u);  // two chunks
      seen.push_back(image);
    }
    EXPECT_EQ(std::set<TBytes>(seen.begin(), seen.end()).size(), seen.size());
    for (std::uint16_t n : {7, 91, 100, 0x1234}) {
      const TBytes image = sim.ReadConfiguration(n);
      EXPECT_EQ(image, TBytes(512, 0xFF)) << n;
    }
    EXPECT_EQ(sim.Device().PendingBulkBytes(), 0u);
  }
  // From 3.17 on an image begins with its slot number.
  TSimulatorSession sim("1:3.26");
  const TBytes image = sim.ReadConfiguration(42);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 3), "42.");
}

TEST(SimulatedCommandsTest, WriteConfigurationTakesTwoReadyMarkedChunksAndStoresThemVerbatim) {
  TSimulatorSession sim("1:4.0.3");
  const TBytes image = Pattern(512, 3);
  const std::size_t from = sim.Device().Log().size();
  ASSERT_EQ(sim.WriteConfiguration(33, image), 2);
  const auto answers = Since(sim.Device(), from, TTransferKind::ServiceIn);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].Bytes[0], 2);
  EXPECT_EQ(answers[1].Bytes[0], 0xFE);
  EXPECT_EQ(answers[2].Bytes[0], 0xFE);
  const auto chunks = Since(sim.Device(), from, TTransferKind::BulkOut);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].Bytes.size(), 256u);
  EXPECT_EQ(sim.Device().PendingServiceAnswers(), 0u);
  EXPECT_EQ(testing::BytesOf(*sim.Device().GetMemory().Slots[33]), image);
  EXPECT_EQ(sim.ReadConfiguration(33), image);

  // An erased slot takes an image too; the neighbours stay as they were.
  const TBytes before32 = sim.ReadConfiguration(32);
  ASSERT_EQ(sim.WriteConfiguration(7, Pattern(512, 99)), 2);
  EXPECT_EQ(sim.ReadConfiguration(7), Pattern(512, 99));
  EXPECT_EQ(sim.ReadConfiguration(32), before32);
}

TEST(SimulatedCommandsTest, WriteBeyondTheLastSlotOrRefusedStoresNothing) {
  {
    TSimulatorSession sim("1:3.26");
    const TSimulatedMemory before = sim.Device().GetMemory();
    const std::size_t from = sim.Device().Log().size();
    EXPECT_EQ(sim.WriteConfiguration(100, Pattern(512, 1)), 3);
    EXPECT_TRUE(Since(sim.Device(), from, TTransferKind::BulkOut).empty());
    EXPECT_EQ(sim.Device().PendingServiceAnswers(), 0u);  // no ready mark waits
    EXPECT_EQ(sim.Device().GetMemory(), before);
  }
  {
    TSimulatorSession sim("1:3.26,status=1:5");
    const TSimulatedMemory before = sim.Device().GetMemory();
    EXPECT_EQ(sim.WriteConfiguration(4, Pattern(512, 1)), 5);
    EXPECT_EQ(sim.Device().PendingServiceAnswers(), 0u);
    EXPECT_EQ(sim.Device().GetMemory(), before);
  }
}

TEST(SimulatedCommandsTest, ReadRecordSendsTheStoredFiveBlocksInOrder) {
  TSimulatorSession sim("2:5.4.4");
  const auto& records = sim.Device().GetMemory().Records;
  ASSERT_EQ(records.size(), kDemoRecordCount);
  for (std::uint16_t k : {1, 6, 12}) {
    SCOPED_TRACE("record " + std::to_string(k));
    const std::size_t from = sim.Device().Log().size();
    const TBytes received = Joined(sim.ReadBlocks(k, 5));
    EXPECT_EQ(received, testing::BytesOf(records[k - 1u]));
    const auto requests = Since(sim.Device(), from, TTransferKind::ServiceOut);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TBytes(requests[0].Bytes.begin(), requests[0].Bytes.begin() + 3),
              (TBytes{5, 0, static_cast<std::uint8_t>(k)}));
    EXPECT_EQ(Since(sim.Device(), from, TTransferKind::BulkIn).size(), 10u);
    EXPECT_EQ(sim.Device().PendingBulkBytes(), 0u);
  }
  EXPECT_NE(Joined(sim.ReadBlocks(1, 5)), Joined(sim.ReadBlocks(2, 5)));
  // Numbers without a record give five blocks of zeros.
  for (std::uint16_t n : {0, 13, 0x0100}) {
    EXPECT_EQ(Joined(sim.ReadBlocks(n, 5)), TBytes(2560, 0)) << n;
    EXPECT_EQ(sim.Device().PendingBulkBytes(), 0u) << n;
  }
}

TEST(SimulatedCommandsTest, ANewRequestDropsWhatTheHostLeftUnread) {
  TSimulatorSession sim("1:3.26");
  ASSERT_TRUE(sim.Send({5, 0, 3}));
  ASSERT_TRUE(sim.Receive(512).has_value());  // the host stops after block 1
  EXPECT_EQ(sim.ReadConfiguration(4), testing::BytesOf(*sim.Device().GetMemory().Slots[4]));
}

TEST(SimulatedCommandsTest, LiveFrameIsFourSignalBlocksThatVaryFromFrameToFrame) {
  TSimulatorSession sim("1:3.26");
  const std::vector<TBytes> first = sim.LiveFrame();
  const std::vector<TBytes> second = sim.LiveFrame();
  EXPECT_EQ(sim.Device().PendingBulkBytes(), 0u);
  ASSERT_EQ(first.size(), 4u);
  for (const TBytes& block : first) {
    ASSERT_EQ(block.size(), 512u);
    EXPECT_TRUE(
        std::all_of(block.begin() + 320, block.end(), [](std::uint8_t b) { return b == 0; }));
  }
  for (std::size_t i = 0; i < 320; ++i) {
    EXPECT_GE(first[0][i], first[1][i]) << i;
    EXPECT_GE(first[2][i], first[3][i]) << i;
  }
  EXPECT_NE(first[0], second[0]);
  EXPECT_NEAR(EchoCentre(first[0], 25), EchoCentre(second[0], 25), 1.0);
  EXPECT_GE(*std::max_element(first[0].begin(), first[0].begin() + 3), 150);  // the initial pulse
}

TEST(SimulatedCommandsTest, GainRaisesTheEchoesAndStaysInTheWorkingConfiguration) {
  TSimulatorSession sim("1:3.26");
  const auto heightAt = [&sim](std::uint16_t attenuator) {
    EXPECT_EQ(sim.SendGain(attenuator), 2);
    return HighestEcho(sim.LiveFrame()[0], 25).second;
  };
  const int low = heightAt(30);
  const int high = heightAt(36);  // +6 dB
  EXPECT_GT(low, 20);
  EXPECT_NEAR(static_cast<double>(high) / low, 2.0, 0.3);
  EXPECT_LT(heightAt(24), low);
  EXPECT_EQ(heightAt(90), 255);  // saturated, not wrapped
  // The working configuration now carries the last gain (3.26: ATTENUATOR1 at 166).
  const TBytes working = sim.ReadConfiguration(0);
  EXPECT_EQ(working[166], 0);
  EXPECT_EQ(working[167], 90);
}

TEST(SimulatedCommandsTest, RangeMovesAndStretchesTheEchoes) {
  struct TCase {
    std::uint8_t IndexMarkMks;
    std::uint8_t PixelGridLength;
  };
  TSimulatorSession sim("2:5.4.4");
  for (const TCase& c : {TCase{1, 25}, TCase{2, 25}, TCase{1, 50}, TCase{1, 30}, TCase{0, 25}}) {
    SCOPED_TRACE(std::to_string(c.IndexMarkMks) + "/" + std::to_string(c.PixelGridLength));
    EXPECT_EQ(sim.SendRange(c.IndexMarkMks, c.PixelGridLength), 2);
    const double expected = kBackWallTime * c.PixelGridLength / kTimePerDivision[c.IndexMarkMks];
    const std::size_t skip = static_cast<std::size_t>(0.3 * expected);  // past the initial pulse
    // Column c spans the times c .. c + 1 columns.
    EXPECT_NEAR(EchoCentre(sim.LiveFrame()[0], skip), expected - 0.5, 1.5);
    const TBytes working = sim.ReadConfiguration(0);
    EXPECT_EQ(working[145], c.IndexMarkMks);
    EXPECT_EQ(working[143], c.PixelGridLength);
  }
}

TEST(SimulatedCommandsTest, LiveFramesFollowAWorkingConfigurationWrittenByTheHost) {
  TSimulatorSession sim("1:5.0.1");
  const double before = EchoCentre(sim.LiveFrame()[0], 25);
  TSimulatedSetup setup;
  setup.IndexMarkMks = 3;  // 10 µs
  setup.PixelGridLength = 50;
  setup.Attenuator = 46;
  const TSimulatedImage image = WriteSimulatedImage(TSimulatedLayout::V5_01, setup, 0);
  ASSERT_EQ(sim.WriteConfiguration(5, testing::BytesOf(image)), 2);
  EXPECT_NEAR(EchoCentre(sim.LiveFrame()[0], 25), before, 1.0);  // another slot: no change
  ASSERT_EQ(sim.WriteConfiguration(0, testing::BytesOf(image)), 2);
  const TBytes frame = sim.LiveFrame()[0];
  EXPECT_NEAR(EchoCentre(frame, 15), kBackWallTime * 50 / 10 - 0.5, 1.5);
  EXPECT_GT(HighestEcho(frame, 15).second, 200);  // 6 dB above the reference gain
}

TEST(SimulatedCommandsTest, SetClockKeepsTheClockBlock) {
  TSimulatorSession sim("2:5.4.4");
  TBytes clock(256, 0);
  const TBytes time = {24, 3, 5, 14, 7, 9};
  std::copy(time.begin(), time.end(), clock.begin());
  ASSERT_TRUE(sim.Send({8}));
  EXPECT_EQ(sim.Answer().value_or(TBytes(8))[0], 2);
  EXPECT_TRUE(sim.Transmit(clock));
  ASSERT_TRUE(sim.Device().GetMemory().Clock.has_value());
  EXPECT_EQ(testing::BytesOf(*sim.Device().GetMemory().Clock), clock);
  EXPECT_EQ(sim.Device().PendingServiceAnswers(), 0u);  // one ready mark for one chunk

  TSimulatorSession refused("2:5.4.4,status=8:4");
  ASSERT_TRUE(refused.Send({8}));
  EXPECT_EQ(refused.Answer().value_or(TBytes(8))[0], 4);
  EXPECT_EQ(refused.Device().PendingServiceAnswers(), 0u);
  EXPECT_FALSE(refused.Device().GetMemory().Clock.has_value());
}

TEST(SimulatedCommandsTest, InjectedStatusAnswersEveryCommandAndBlocksItsEffect) {
  TSimulatorSession sim("1:4.1.3,status=19:3,status=20:0,status=18:7,status=1:9");
  const TBytes working = sim.ReadConfiguration(0);
  const int height = HighestEcho(sim.LiveFrame()[0], 25).second;
  EXPECT_EQ(sim.SendGain(80), 3);
  EXPECT_EQ(sim.SendRange(4, 50), 0);
  EXPECT_EQ(sim.WriteConfiguration(0, Pattern(512, 5)), 9);
  ASSERT_TRUE(sim.Send({18}));
  EXPECT_EQ(sim.Answer().value_or(TBytes(8))[0], 7);
  EXPECT_EQ(sim.ReadConfiguration(0), working);
  EXPECT_NEAR(HighestEcho(sim.LiveFrame()[0], 25).second, height, 0.15 * height);
}

TEST(SimulatedCommandsTest, SilentInstrumentStaysPresentButReadsTimeOut) {
  TSimulatorSession sim("1:3.26,silent-after=2,timeout=50");
  ASSERT_TRUE(sim.Send({18}));
  ASSERT_TRUE(sim.Answer().has_value());  // transfers 1 and 2 are answered
  EXPECT_TRUE(sim.Send({3, 0, 1}));       // the write itself goes out
  EXPECT_TRUE(sim.Device().Silent());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(sim.Receive(512).has_value());
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(45));
  EXPECT_LT(waited, std::chrono::milliseconds(4000));  // the option, not the 5 s default
  ASSERT_FALSE(sim.Messages.Shown.empty());
  EXPECT_EQ(sim.Messages.Shown.back().Caption, "Sending Error");
  EXPECT_FALSE(sim.Answer().has_value());
  EXPECT_EQ(sim.Library->USBStatus(), 1);  // still there
  EXPECT_FALSE(sim.Device().Log().back().Ok);
}

TEST(SimulatedCommandsTest, SavedSessionReplaysFromItsFolder) {
  TScratchFolder scratch;
  const std::string folder = scratch.Sub("session");
  TBytes image = Pattern(512, 11);
  TSimulatedMemory recorded;
  {
    TSimulatorSession sim("1:4.0.2,save=" + folder);
    EXPECT_FALSE(std::filesystem::exists(folder));  // nothing yet to keep
    ASSERT_EQ(sim.WriteConfiguration(12, image), 2);
    EXPECT_EQ(ReadFile(scratch.Path / "session" / "config-12.bin"), image);
    EXPECT_TRUE(std::filesystem::exists(scratch.Path / "session" / "record-0012.bin"));
    EXPECT_EQ(sim.SendGain(55), 2);
    ASSERT_TRUE(sim.Send({8}));
    ASSERT_TRUE(sim.Answer().has_value());
    ASSERT_TRUE(sim.Transmit(TBytes(256, 0x19)));
    EXPECT_EQ(ReadFile(scratch.Path / "session" / "clock.bin"), TBytes(256, 0x19));
    recorded = sim.Device().GetMemory();
  }
  std::string error;
  const auto loaded = LoadMemoryFolder(folder, error);
  ASSERT_TRUE(loaded.has_value()) << error;
  EXPECT_EQ(*loaded, recorded);

  TSimulatorSession replay(folder);
  ASSERT_EQ(replay.Type, 1);
  EXPECT_EQ(replay.Device().GetIdentity(), (TSimulatorIdentity{1, 4, 0, 2}));
  EXPECT_EQ(replay.ReadConfiguration(12), image);
  EXPECT_EQ(replay.ReadConfiguration(0)[167], 55);  // the gain as it was left
  EXPECT_EQ(Joined(replay.ReadBlocks(3, 5)), testing::BytesOf(recorded.Records[2]));
}

TEST(SimulatedCommandsTest, AFailedSaveIsReported) {
  TScratchFolder scratch;
  testing::WriteFile(scratch.Path / "file", TBytes(1, 0));
  TSimulatorSession sim("1:3.26,save=" + scratch.Sub("file/below"));
  std::vector<std::string> problems;
  sim.Device().OnProblem = [&problems](const std::string& p) { problems.push_back(p); };
  ASSERT_EQ(sim.WriteConfiguration(2, Pattern(512, 2)), 2);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("file/below"), std::string::npos) << problems[0];
  EXPECT_EQ(sim.ReadConfiguration(2), Pattern(512, 2));  // the instrument itself took it
}

}  // namespace
}  // namespace conduit
