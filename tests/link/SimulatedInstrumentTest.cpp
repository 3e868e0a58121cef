// The simulated instrument, driven through the real library algorithms:
// identity, ready marks before every chunk it takes, the bulk blocks it
// sends, its log, and every fault a test can inject.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ConduitLibrary.h"
#include "SimulatedPlatform.h"
#include "SimulatorProfile.h"
#include "link/FakePlatform.h"

namespace conduit {
namespace {

using testing::TRecordingMessages;

constexpr std::uint8_t kEcho = 77;  // a test command: answers, then takes or sends a block

TSimulatorProfile Profile(const std::string& text) {
  std::string error;
  auto profile = ParseSimulatorProfile(text, error);
  EXPECT_TRUE(profile.has_value()) << error;
  return profile.value_or(TSimulatorProfile{});
}

class SimulatedInstrumentTest : public ::testing::Test {
 protected:
  void Start(const std::string& profile) {
    Library.reset();  // it closes its pipes on the platform it was built on
    Platform = std::make_unique<TSimulatedPlatform>(Profile(profile));
    Library = std::make_unique<TConduitLibrary>(*Platform, Messages);
  }
  TSimulatedInstrument& Device() { return *Platform->Instrument(); }

  // Command kEcho: answer "accepted", then expect `length` bytes; they are
  // sent back on the bulk-in pipe once complete.
  void InstallEcho(std::size_t length) {
    Device().SetCommandHandler(kEcho, [this, length](TSimulatedInstrument& device,
                                                     const std::uint8_t*) {
      device.QueueStatusAnswer(kEcho);
      device.ExpectBulk(length, [this, &device](std::vector<std::uint8_t> block) {
        Received = block;
        device.QueueBulk(block);
      });
    });
  }

  std::vector<std::uint8_t> Identify() {
    std::uint8_t buffer[8] = {18, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_NE(Library->SendServiceBuffer(buffer), 0);
    EXPECT_NE(Library->CheckServiceBuffer(buffer), 0);
    return std::vector<std::uint8_t>(buffer, buffer + 8);
  }

  TRecordingMessages Messages;
  std::unique_ptr<TSimulatedPlatform> Platform;
  std::unique_ptr<TConduitLibrary> Library;
  std::vector<std::uint8_t> Received;
};

TEST_F(SimulatedInstrumentTest, PresentsItselfInTheClassOfItsDeviceType) {
  struct TCase {
    const char* Profile;
    std::uint8_t Type;
  };
  for (const TCase& c : {TCase{"1:3.17", 1}, TCase{"2:5.4.4", 2}, TCase{"3:1.0", 3},
                         TCase{"6:9.9", 6}, TCase{"1:3.26,class=2", 1}}) {
    Start(c.Profile);
    EXPECT_EQ(Library->InitUSB(), c.Type) << c.Profile;
    EXPECT_EQ(Library->USBStatus(), 1) << c.Profile;
    EXPECT_EQ(Library->ConnectUSB(), c.Type == 2 ? 0 : 1) << c.Profile;
  }
  Start("none");
  EXPECT_EQ(Library->InitUSB(), 0);
  EXPECT_EQ(Library->USBStatus(), 0);
}

TEST_F(SimulatedInstrumentTest, IdentifyAnswersTheFirmwareBytes) {
  Start("2:5.4.7");
  ASSERT_EQ(Library->InitUSB(), 2);
  const auto answer = Identify();
  EXPECT_EQ(answer[0], TSimulatedInstrument::kAccepted);
  EXPECT_EQ(answer[1], 5);
  EXPECT_EQ(answer[2], 4);
  EXPECT_EQ(answer[3], 7);
  const auto& log = Device().Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].Kind, TTransferKind::ServiceOut);
  EXPECT_EQ(log[0].Bytes[0], 18);
  EXPECT_EQ(log[1].Kind, TTransferKind::ServiceIn);
}

TEST_F(SimulatedInstrumentTest, TakesABlockChunkByChunkAfterReadyMarksAndSendsOneBack) {
  Start("1:3.26");
  ASSERT_EQ(Library->InitUSB(), 1);
  InstallEcho(512);
  std::uint8_t request[8] = {kEcho};
  ASSERT_NE(Library->SendServiceBuffer(request), 0);
  ASSERT_NE(Library->CheckServiceBuffer(request), 0);
  EXPECT_EQ(request[0], TSimulatedInstrument::kAccepted);

  std::vector<std::uint8_t> block(512);
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<std::uint8_t>(i * 13 + 1);
  }
  EXPECT_EQ(Library->SendBulkBuffer(block.data(), 512), 1);
  EXPECT_EQ(Received, block);
  EXPECT_EQ(Device().PendingServiceAnswers(), 0u);  // exactly one mark per chunk

  std::vector<std::uint8_t> back(512);
  EXPECT_EQ(Library->CheckBulkBuffer(back.data(), 512), 1);
  EXPECT_EQ(back, block);
  EXPECT_EQ(Device().PendingBulkBytes(), 0u);
}

TEST_F(SimulatedInstrumentTest, MissingReadyMarkLosesThatChunk) {
  Start("1:3.26,no-ready=2");
  ASSERT_EQ(Library->InitUSB(), 1);
  InstallEcho(512);
  std::uint8_t request[8] = {kEcho};
  Library->SendServiceBuffer(request);
  Library->CheckServiceBuffer(request);
  std::vector<std::uint8_t> block(512, 0x55);
  // The first chunk goes out; the second finds no ready mark and is not sent.
  EXPECT_EQ(Library->SendBulkBuffer(block.data(), 512), 0);
  EXPECT_TRUE(Received.empty());
  int bulkOut = 0;
  for (const auto& record : Device().Log()) {
    bulkOut += record.Kind == TTransferKind::BulkOut;
  }
  EXPECT_EQ(bulkOut, 1);
}

TEST_F(SimulatedInstrumentTest, ShortAndEmptyBulkReads) {
  Start("1:3.26,short-read=1:100");
  ASSERT_EQ(Library->InitUSB(), 1);
  std::vector<std::uint8_t> block(512);
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<std::uint8_t>(i);
  }
  Device().QueueBulk(block);
  std::vector<std::uint8_t> back(512);
  EXPECT_EQ(Library->CheckBulkBuffer(back.data(), 512), 1);
  EXPECT_EQ(back, block);  // the short first read is made up by the following ones

  Start("1:3.26,empty-read=2");
  ASSERT_EQ(Library->InitUSB(), 1);
  Device().QueueBulk(block);
  EXPECT_EQ(Library->CheckBulkBuffer(back.data(), 512), 0);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Caption, "Sending Error");
}

TEST_F(SimulatedInstrumentTest, AnswerStatusCanBeOverridden) {
  Start("1:3.26,status=18:7");
  ASSERT_EQ(Library->InitUSB(), 1);
  EXPECT_EQ(Identify()[0], 7);
}

TEST_F(SimulatedInstrumentTest, UnplugAfterTransfersMakesItVanish) {
  Start("2:5.1,unplug-after=2");
  ASSERT_EQ(Library->InitUSB(), 2);
  Identify();  // transfers 1 and 2
  std::uint8_t buffer[8] = {18};
  EXPECT_EQ(Library->SendServiceBuffer(buffer), 0);
  EXPECT_EQ(Library->USBStatus(), 0);
  EXPECT_FALSE(Device().Log().back().Ok);
  Library->CloseUSB();
  EXPECT_EQ(Library->InitUSB(), 0);
}

// With replug-after the instrument goes away when the host closes it, or
// when the unplug fault pulls it, and comes back after that many ms with
// nothing of the last exchange left queued.
TEST_F(SimulatedInstrumentTest, ReplugAfterBringsItBackAfterAClose) {
  struct TCase {
    const char* Profile;
    bool CloseFirst;  // the host closes it; otherwise the unplug fault pulls it
  };
  for (const TCase& c : {TCase{"1:3.26,replug-after=150", true},
                         TCase{"1:3.26,unplug-after=1,replug-after=150", false}}) {
    Start(c.Profile);
    ASSERT_EQ(Library->USBStatus(), 1) << c.Profile;  // the probe alone is no close
    ASSERT_EQ(Library->InitUSB(), 1) << c.Profile;
    std::uint8_t buffer[8] = {19, 40, 0, 0, 0, 0, 0, 0};  // a gain: its answer stays queued
    EXPECT_NE(Library->SendServiceBuffer(buffer), 0) << c.Profile;
    if (c.CloseFirst) {
      Library->CloseUSB();
    } else {
      EXPECT_EQ(Library->CheckServiceBuffer(buffer), 0) << c.Profile;
      Library->CloseUSB();
    }
    EXPECT_EQ(Library->USBStatus(), 0) << c.Profile;
    EXPECT_EQ(Library->InitUSB(), 0) << c.Profile;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Library->USBStatus(), 1) << c.Profile;
    ASSERT_EQ(Library->InitUSB(), 1) << c.Profile;
    // Not the gain's stale answer: the identification, and it stays.
    EXPECT_EQ(Identify()[1], 3) << c.Profile;
    EXPECT_EQ(Library->USBStatus(), 1) << c.Profile;
  }
  // Without the option a close leaves it where it is.
  Start("1:3.26");
  ASSERT_EQ(Library->InitUSB(), 1);
  Library->CloseUSB();
  EXPECT_EQ(Library->USBStatus(), 1);
}

TEST_F(SimulatedInstrumentTest, UnknownCommandGoesUnanswered) {
  Start("1:3.26");
  ASSERT_EQ(Library->InitUSB(), 1);
  std::uint8_t buffer[8] = {99};
  EXPECT_NE(Library->SendServiceBuffer(buffer), 0);
  EXPECT_EQ(Library->CheckServiceBuffer(buffer), 0);
}

TEST(SimulatorProfileTest, ParsesIdentityClassAndFaults) {
  const TSimulatorProfile p =
      Profile("2:5.4.4,class=3,unplug-after=9,no-ready=2,short-read=3:100,empty-read=4,"
              "status=1:0,log=/tmp/x.log");
  EXPECT_TRUE(p.Plugged);
  EXPECT_EQ(p.Name, "2:5.4.4");
  EXPECT_EQ(p.ClassIndex, 2u);
  EXPECT_EQ(p.Identity.DeviceType, 2);
  EXPECT_EQ(p.Identity.MajorVersion, 5);
  EXPECT_EQ(p.Identity.MinorVersion, 4);
  EXPECT_EQ(p.Identity.ConfigLocalVersion, 4);
  EXPECT_EQ(p.Faults.UnplugAfterTransfers, 9u);
  EXPECT_EQ(Profile("1:3.26,replug-after=2500").Faults.ReplugAfterMs, 2500u);
  EXPECT_EQ(p.Faults.MissingReadyMark, 2u);
  EXPECT_EQ(p.Faults.ShortBulkRead, 3u);
  EXPECT_EQ(p.Faults.ShortReadBytes, 100u);
  EXPECT_EQ(p.Faults.EmptyBulkRead, 4u);
  EXPECT_EQ(p.Faults.AnswerStatus.at(1), 0);
  EXPECT_EQ(p.LogPath, "/tmp/x.log");
  EXPECT_EQ(Profile("1:3.17").Identity.ConfigLocalVersion, 0);
  EXPECT_EQ(Profile("1:3.17").ClassIndex, 0u);
  EXPECT_EQ(Profile("5:1.0").ClassIndex, 5u);
}

TEST(SimulatorProfileTest, RejectsMalformedProfiles) {
  for (const char* text : {"", "1", "0:3.17", "7:3.17", "1:3", "1:3.17.2.1", "1:256.0", "1:3.x",
                           "1:3.17,class=0", "1:3.17,class=8", "1:3.17,bogus=1",
                           "1:3.17,short-read=5", "1:3.17,status=300:1", "1:3.17,log="}) {
    std::string error;
    EXPECT_FALSE(ParseSimulatorProfile(text, error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
}  // namespace conduit
