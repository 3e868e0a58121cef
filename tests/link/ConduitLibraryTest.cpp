// The algorithms behind Conduit's exports, driven through a scripted
// platform: discovery and its class order, the pipes, the chunked bulk
// transfers with their ready marks, and every failure the user is told of.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

#include "ConduitLibrary.h"
#include "link/FakePlatform.h"

namespace conduit {
namespace {

using testing::TFakePlatform;
using testing::TRecordingMessages;
using testing::TScriptedRead;

const std::vector<std::uint8_t> kReady = {0xFE, 0, 0, 0, 0, 0, 0, 0};
const std::vector<std::uint8_t> kAcceptedAnswer = {0x02, 0, 0, 0, 0, 0, 0, 0};
const std::vector<std::uint8_t> kZeroAnswer(8, 0);

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t start = 0) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<std::uint8_t>(start + i * 7);
  }
  return bytes;
}

class ConduitLibraryTest : public ::testing::Test {
 protected:
  TFakePlatform Platform;
  TRecordingMessages Messages;
  TConduitLibrary Library{Platform, Messages};

  void PlugInClass(std::size_t classIndex, const std::string& path = "dev0") {
    Platform.Interfaces[classIndex].push_back(path);
  }
  void ConnectClass(std::size_t classIndex) {
    PlugInClass(classIndex);
    ASSERT_NE(Library.InitUSB(), 0);
  }
};

TEST_F(ConduitLibraryTest, NoInstrumentGivesZeroWithoutMessage) {
  EXPECT_EQ(Library.InitUSB(), 0);
  EXPECT_EQ(Library.USBStatus(), 0);
  EXPECT_EQ(Library.DeviceType(), 0);
  EXPECT_TRUE(Messages.Shown.empty());
}

struct TClassCase {
  std::vector<std::size_t> Present;
  std::uint8_t ExpectedType;
};

class ConduitClassOrderTest : public ConduitLibraryTest,
                              public ::testing::WithParamInterface<TClassCase> {};

TEST_P(ConduitClassOrderTest, EarliestPresentClassDecidesTheDeviceType) {
  for (std::size_t index : GetParam().Present) {
    PlugInClass(index, "dev" + std::to_string(index));
  }
  EXPECT_EQ(Library.InitUSB(), GetParam().ExpectedType);
  EXPECT_EQ(Library.USBStatus(), 1);
  const std::string expectedDevice = "dev" + std::to_string(GetParam().Present.front());
  for (const auto& call : Platform.CallsOf("open")) {
    if (!TFakePlatform::PipeOf(call.Path).empty()) {
      EXPECT_EQ(call.Path.substr(0, call.Path.find('\\')), expectedDevice);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Classes, ConduitClassOrderTest,
                         ::testing::Values(TClassCase{{0}, 1}, TClassCase{{1}, 1},
                                           TClassCase{{2}, 2}, TClassCase{{3}, 3},
                                           TClassCase{{6}, 6}, TClassCase{{1, 2}, 1},
                                           TClassCase{{2, 5}, 2}, TClassCase{{4, 6}, 4}));

TEST_F(ConduitLibraryTest, DiscoverySkipsUnreadableUnopenableAndOverlongInterfaces) {
  Platform.Interfaces[2] = {"", "locked", std::string(300, 'x'), "good"};
  Platform.Unopenable.insert("locked");
  EXPECT_EQ(Library.InitUSB(), 2);
  EXPECT_EQ(Library.DevicePath(), "good");
  // The overlong path is never even tried.
  for (const auto& call : Platform.Calls) {
    EXPECT_NE(call.Path, std::string(300, 'x'));
  }
}

// Each search, by InitUSB or USBStatus, notes what it met: so the user can
// be told "present but cannot be opened" apart from "nothing there".
TEST_F(ConduitLibraryTest, EachSearchNotesWhatItFound) {
  struct TCase {
    const char* What;
    std::vector<std::string> Present;  // in class 2
    std::set<std::string> Unopenable;
    bool Found;
    bool Opened;
    std::string Path;
    std::string Error;
  };
  const TCase cases[] = {
      {"nothing", {}, {}, false, false, "", ""},
      {"refused", {"a", "b"}, {"a", "b"}, true, false, "a", "LIBUSB_ERROR_ACCESS"},
      {"second opens", {"a", "b"}, {"a"}, true, true, "b", ""},
      {"opens", {"a"}, {}, true, true, "a", ""},
  };
  for (const TCase& c : cases) {
    for (bool byStatus : {false, true}) {
      TFakePlatform platform;
      TConduitLibrary library{platform, Messages};
      platform.Interfaces[2] = c.Present;
      platform.Unopenable = c.Unopenable;
      byStatus ? library.USBStatus() : library.InitUSB();
      const TSearchOutcome& s = library.LastSearch();
      EXPECT_TRUE(s.Searched) << c.What;
      EXPECT_EQ(s.Found, c.Found) << c.What;
      EXPECT_EQ(s.Opened, c.Opened) << c.What;
      EXPECT_EQ(s.Path, c.Path) << c.What;
      EXPECT_EQ(s.OpenError, c.Error) << c.What;
      // A later search that finds nothing forgets the earlier one.
      platform.Interfaces.clear();
      library.USBStatus();
      EXPECT_FALSE(library.LastSearch().Found) << c.What;
    }
  }
}

TEST_F(ConduitLibraryTest, StateDescriptionIsCutToTheBufferWithItsZero) {
  Platform.Interfaces[0] = {"usb:1-2"};
  Library.InitUSB();
  char line[64];
  std::fill(std::begin(line), std::end(line), 'x');
  EXPECT_EQ(Library.StateDescription(line, sizeof line), CONDUIT_STATE_USB);
  EXPECT_STREQ(line, "instrument at usb:1-2");
  char shortLine[6];
  EXPECT_EQ(Library.StateDescription(shortLine, sizeof shortLine), CONDUIT_STATE_USB);
  EXPECT_STREQ(shortLine, "instr");
  EXPECT_EQ(Library.StateDescription(nullptr, 64), 0);
  EXPECT_EQ(Library.StateDescription(line, 0), 0);
}

TEST_F(ConduitLibraryTest, DiscoveryClosesItsProbeAndStatusTouchesNoPipe) {
  PlugInClass(0);
  EXPECT_EQ(Library.USBStatus(), 1);
  EXPECT_TRUE(Platform.OpenHandles.empty());
  EXPECT_EQ(Library.DeviceType(), 0);
  for (int pipe = ServiceIn; pipe <= BulkOut; ++pipe) {
    EXPECT_FALSE(Library.PipeOpen(static_cast<TPipe>(pipe)));
  }
}

TEST_F(ConduitLibraryTest, InitOpensTheFourPipesInOrderWithFreshDiscoveryEach) {
  PlugInClass(2);
  EXPECT_EQ(Library.InitUSB(), 2);
  std::vector<std::string> pipes;
  int probes = 0;
  for (const auto& call : Platform.CallsOf("open")) {
    if (call.Path == "dev0") {
      ++probes;
    } else {
      pipes.push_back(call.Path);
    }
  }
  EXPECT_EQ(pipes, (std::vector<std::string>{"dev0\\PIPE00", "dev0\\PIPE01", "dev0\\PIPE02",
                                             "dev0\\PIPE03"}));
  EXPECT_EQ(probes, 4);
  EXPECT_EQ(Platform.OpenHandles.size(), 4u);
}

TEST_F(ConduitLibraryTest, FailingPipeFailsInitAndEarlierPipesStayOpenUntilClose) {
  PlugInClass(0);
  Platform.Unopenable.insert("dev0\\PIPE02");
  EXPECT_EQ(Library.InitUSB(), 0);
  EXPECT_TRUE(Library.PipeOpen(ServiceIn));
  EXPECT_TRUE(Library.PipeOpen(ServiceOut));
  EXPECT_FALSE(Library.PipeOpen(BulkIn));
  EXPECT_EQ(Platform.OpenHandles.size(), 2u);
  EXPECT_EQ(Library.CloseUSB(), 1);
  EXPECT_TRUE(Platform.OpenHandles.empty());
}

TEST_F(ConduitLibraryTest, CloseTwiceClosesEachHandleOnce) {
  ConnectClass(0);
  EXPECT_EQ(Library.CloseUSB(), 1);
  EXPECT_EQ(Library.CloseUSB(), 1);
  const auto closes = Platform.CallsOf("close");
  std::vector<std::string> pipes;
  for (const auto& call : closes) {
    if (!TFakePlatform::PipeOf(call.Path).empty()) {
      pipes.push_back(TFakePlatform::PipeOf(call.Path));
    }
  }
  EXPECT_EQ(pipes, (std::vector<std::string>{"PIPE00", "PIPE01", "PIPE02", "PIPE03"}));
}

TEST_F(ConduitLibraryTest, SecondInitReopensThePipesWithoutLeakingTheFirst) {
  ConnectClass(0);
  ASSERT_EQ(Library.InitUSB(), 1);
  EXPECT_EQ(Platform.OpenHandles.size(), 4u);
}

TEST_F(ConduitLibraryTest, ConnectKeepsDeviceTypeTwoOpenAndClosesOthers) {
  PlugInClass(2);
  EXPECT_EQ(Library.ConnectUSB(), 0);
  EXPECT_EQ(Platform.OpenHandles.size(), 4u);
  Library.CloseUSB();

  TFakePlatform other;
  TConduitLibrary library(other, Messages);
  other.Interfaces[0] = {"devA"};
  EXPECT_EQ(library.ConnectUSB(), 1);
  EXPECT_TRUE(other.OpenHandles.empty());

  TFakePlatform empty;
  TConduitLibrary none(empty, Messages);
  EXPECT_EQ(none.ConnectUSB(), 1);
}

TEST_F(ConduitLibraryTest, ServiceCallsMoveEightBytesAndRejectNull) {
  ConnectClass(0);
  const std::uint8_t request[8] = {18, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_NE(Library.SendServiceBuffer(request), 0);
  const auto writes = Platform.CallsOf("write", "PIPE01");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].Bytes, std::vector<std::uint8_t>(request, request + 8));

  Platform.Reads["PIPE00"].push_back({{2, 5, 1, 3}});
  std::uint8_t answer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_NE(Library.CheckServiceBuffer(answer), 0);
  EXPECT_EQ(answer[1], 5);
  EXPECT_EQ(answer[7], 9);  // a short answer leaves the rest as it was
  EXPECT_EQ(Platform.CallsOf("read", "PIPE00").back().Size, 8u);

  EXPECT_EQ(Library.CheckServiceBuffer(answer), 0);  // nothing to read
  const std::size_t before = Platform.Calls.size();
  EXPECT_EQ(Library.SendServiceBuffer(nullptr), 0);
  EXPECT_EQ(Library.CheckServiceBuffer(nullptr), 0);
  EXPECT_EQ(Platform.Calls.size(), before);
}

struct TChunkCase {
  std::uint16_t Length;
  std::vector<std::size_t> Chunks;
};

class ConduitSendBulkTest : public ConduitLibraryTest,
                            public ::testing::WithParamInterface<TChunkCase> {};

TEST_P(ConduitSendBulkTest, EveryChunkWaitsForItsReadyMark) {
  ConnectClass(0);
  const TChunkCase& c = GetParam();
  for (std::size_t i = 0; i < c.Chunks.size(); ++i) {
    Platform.Reads["PIPE00"].push_back({kReady});
  }
  const std::vector<std::uint8_t> data = Pattern(c.Length, 3);
  EXPECT_EQ(Library.SendBulkBuffer(data.data(), c.Length), 1);
  EXPECT_EQ(Platform.CallsOf("read", "PIPE00").size(), c.Chunks.size());
  const auto writes = Platform.CallsOf("write", "PIPE03");
  ASSERT_EQ(writes.size(), c.Chunks.size());
  std::vector<std::uint8_t> sent;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_EQ(writes[i].Size, c.Chunks[i]);
    sent.insert(sent.end(), writes[i].Bytes.begin(), writes[i].Bytes.end());
  }
  EXPECT_EQ(sent, data);
  // Each ready mark was read before its chunk went out.
  std::vector<std::string> order;
  for (const auto& call : Platform.Calls) {
    if (call.Op == "read" || call.Op == "write") {
      order.push_back(call.Op);
    }
  }
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(order[i], i % 2 == 0 ? "read" : "write");
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ConduitSendBulkTest,
                         ::testing::Values(TChunkCase{512, {256, 256}}, TChunkCase{300, {256, 44}},
                                           TChunkCase{256, {256}}, TChunkCase{1, {1}},
                                           TChunkCase{257, {256, 1}}));

TEST_F(ConduitLibraryTest, MissingReadyMarkSkipsThatChunkAndTheLastChunkDecides) {
  ConnectClass(0);
  const std::vector<std::uint8_t> data = Pattern(512);
  // Ready for the first chunk only.
  Platform.Reads["PIPE00"] = {{kReady}, {kAcceptedAnswer}};
  EXPECT_EQ(Library.SendBulkBuffer(data.data(), 512), 0);
  EXPECT_EQ(Platform.CallsOf("write", "PIPE03").size(), 1u);

  // Not ready for the first, ready for the second: the transfer reports success.
  Platform.Calls.clear();
  Platform.Reads["PIPE00"] = {{kZeroAnswer}, {kReady}};
  EXPECT_EQ(Library.SendBulkBuffer(data.data(), 512), 1);
  const auto writes = Platform.CallsOf("write", "PIPE03");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].Bytes, std::vector<std::uint8_t>(data.begin() + 256, data.end()));

  // No answer at all is no ready mark either, whatever a previous answer held.
  Platform.Calls.clear();
  EXPECT_EQ(Library.SendBulkBuffer(data.data(), 100), 0);
  EXPECT_TRUE(Platform.CallsOf("write", "PIPE03").empty());
  EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(ConduitLibraryTest, ShortBulkWriteFailsTheChunk) {
  ConnectClass(0);
  Platform.WriteCountLimit = 200;
  Platform.Reads["PIPE00"] = {{kReady}};
  const std::vector<std::uint8_t> data = Pattern(256);
  EXPECT_EQ(Library.SendBulkBuffer(data.data(), 256), 0);
}

TEST_F(ConduitLibraryTest, FaultDuringBulkWriteIsReportedWithItsCode) {
  ConnectClass(0);
  Platform.WriteFault = 3221225477u;
  Platform.Reads["PIPE00"] = {{kReady}};
  const std::vector<std::uint8_t> data = Pattern(10);
  EXPECT_EQ(Library.SendBulkBuffer(data.data(), 10), 0);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text, "3221225477");
  EXPECT_EQ(Messages.Shown[0].Caption, "Exception Error #1 occured");
}

TEST_F(ConduitLibraryTest, BulkReadAsksFor256AtATimeAndShortReadsLandInPlace) {
  ConnectClass(0);
  const std::vector<std::uint8_t> data = Pattern(512, 1);
  auto& reads = Platform.Reads["PIPE02"];
  reads.push_back({{data.begin(), data.begin() + 100}});
  reads.push_back({{data.begin() + 100, data.begin() + 356}});
  reads.push_back({{data.begin() + 356, data.end()}});
  std::vector<std::uint8_t> received(512, 0);
  EXPECT_EQ(Library.CheckBulkBuffer(received.data(), 512), 1);
  EXPECT_EQ(received, data);
  const auto calls = Platform.CallsOf("read", "PIPE02");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].Size, 256u);
  EXPECT_EQ(calls[1].Size, 256u);
  EXPECT_EQ(calls[2].Size, 156u);  // the remainder, asked for in one read
}

TEST_F(ConduitLibraryTest, BulkReadOfWholeChunksAndRemainder) {
  ConnectClass(0);
  const std::vector<std::uint8_t> data = Pattern(300, 9);
  Platform.Reads["PIPE02"] = {{{data.begin(), data.begin() + 256}},
                              {{data.begin() + 256, data.end()}}};
  std::vector<std::uint8_t> received(300, 0);
  EXPECT_EQ(Library.CheckBulkBuffer(received.data(), 300), 1);
  EXPECT_EQ(received, data);
  EXPECT_EQ(Platform.CallsOf("read", "PIPE02")[1].Size, 44u);
}

TEST_F(ConduitLibraryTest, BulkReadCountsDataAsSuccessWhateverThePlatformSays) {
  ConnectClass(0);
  Platform.Reads["PIPE02"] = {{Pattern(256), false}};
  std::vector<std::uint8_t> received(256);
  EXPECT_EQ(Library.CheckBulkBuffer(received.data(), 256), 1);
  EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(ConduitLibraryTest, BulkReadFailures) {
  ConnectClass(0);
  std::vector<std::uint8_t> received(512);

  Platform.Reads["PIPE02"] = {{Pattern(256)}, {{}, true}};
  EXPECT_EQ(Library.CheckBulkBuffer(received.data(), 512), 0);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text,
            "Wrong data amount received! Disconnect USB and restart application!");
  EXPECT_EQ(Messages.Shown[0].Caption, "Sending Error");

  Messages.Shown.clear();
  Platform.Reads["PIPE02"] = {{{}, false, 42u}};
  EXPECT_EQ(Library.CheckBulkBuffer(received.data(), 512), 0);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text, "42");
  EXPECT_EQ(Messages.Shown[0].Caption, "Exception Error #3 occured");

  Messages.Shown.clear();
  Platform.Calls.clear();
  EXPECT_EQ(Library.CheckBulkBuffer(nullptr, 512), 0);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text, "Null buffer");
  EXPECT_EQ(Messages.Shown[0].Caption, "Transmit Error #2");
  EXPECT_TRUE(Platform.CallsOf("read").empty());
}

TEST_F(ConduitLibraryTest, DataCallsWithClosedPipesFailInThePlatform) {
  std::uint8_t buffer[512] = {};
  EXPECT_EQ(Library.SendServiceBuffer(buffer), 0);
  EXPECT_EQ(Library.CheckServiceBuffer(buffer), 0);
  EXPECT_EQ(Library.SendBulkBuffer(buffer, 512), 0);
  EXPECT_EQ(Library.CheckBulkBuffer(buffer, 512), 0);
}

}  // namespace
}  // namespace conduit
