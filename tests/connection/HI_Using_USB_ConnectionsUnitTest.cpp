// Connect, identify, close, the result check and the state text, against a
// scripted link and the shipped string files.
#include <gtest/gtest.h>

#include <connection/HI_Using_USB_ConnectionsUnit.h>

#include "connection/ConnectionTestSupport.h"
#include "support/RecordingFeedback.h"

namespace velt {
namespace {

using testing::gScript;

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gScript = {};
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    Connection.State.StateText = Strings.Caption(47);
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TConduitBinding Link{testing::ScriptedLink()};
  TInstrumentConnection Connection{Link, Strings, Feedback};
};

TEST_F(ConnectionTest, AcceptedDeviceTypesConnectAndIdentify) {
  struct TCase {
    std::uint8_t Init;
    bool Connected;
    std::uint16_t ValueString;
  };
  for (const TCase& c : {TCase{1, true, 57}, TCase{2, true, 58}, TCase{0, false, 0},
                         TCase{3, false, 0}, TCase{6, false, 0}}) {
    gScript = {};
    gScript.InitResult = c.Init;
    gScript.Answer = {2, 5, 1, 3, 0, 0, 0, 0};
    Connection.Connect();
    EXPECT_EQ(Connection.State.Connected, c.Connected) << int(c.Init);
    EXPECT_FALSE(Connection.State.Busy);
    EXPECT_EQ(Connection.State.StateText,
              c.Connected ? Strings.Value(c.ValueString) : Strings.Caption(47));
    EXPECT_EQ(gScript.Sent.size(), c.Connected ? 1u : 0u) << int(c.Init);
    if (c.Connected) {
      EXPECT_EQ(Connection.State.DeviceType, c.Init);
      EXPECT_EQ(gScript.Sent[0][0], 18);
      EXPECT_EQ(Connection.State.MajorVersion, 5);
      EXPECT_EQ(Connection.State.MinorVersion, 1);
      EXPECT_EQ(Connection.State.ConfigLocalVersion, 3);
      EXPECT_EQ(DevicePanelText(Connection.State, Strings),
                Strings.Caption(46) + Strings.Value(c.ValueString) + " 5.1");
      Connection.Close();
      EXPECT_EQ(gScript.CloseCalls, 1);
    } else {
      EXPECT_EQ(Connection.State.DeviceType, 0);  // the close after a failed identify
      EXPECT_EQ(gScript.CloseCalls, 0);
      EXPECT_EQ(DevicePanelText(Connection.State, Strings),
                Strings.Caption(46) + Strings.Caption(47));
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(ConnectionTest, IdentifySetsOnlyTheCommandByteAndKeepsTheRest) {
  gScript.InitResult = 1;
  Connection.ServiceBuffer = {0, 9, 8, 7, 6, 5, 4, 3};
  Connection.Connect();
  ASSERT_EQ(gScript.Sent.size(), 1u);
  EXPECT_EQ(gScript.Sent[0], (std::vector<std::uint8_t>{18, 9, 8, 7, 6, 5, 4, 3}));
}

TEST_F(ConnectionTest, IdentifyRefusesWhileBusyOrClosed) {
  EXPECT_FALSE(Connection.Identify());
  gScript.InitResult = 1;
  gScript.Answer = {2, 3, 26, 0, 0, 0, 0, 0};
  Connection.Connect();
  ASSERT_TRUE(Connection.State.Connected);
  Connection.State.Busy = true;
  EXPECT_FALSE(Connection.Identify());
  EXPECT_EQ(gScript.Sent.size(), 1u);
  // Connect while an exchange runs: identify refuses, so connect closes.
  Connection.Connect();
  EXPECT_FALSE(Connection.State.Connected);
  EXPECT_EQ(Connection.State.StateText, Strings.Caption(47));
}

// A lost or wrong identification answer is no connection: the instrument
// is closed again and shows as none, and no made-up firmware is kept.
TEST_F(ConnectionTest, AFailedIdentifyLeavesNoConnection) {
  struct TCase {
    const char* What;
    std::uint8_t Send;
    std::uint8_t Check;
    std::uint8_t Status;
  };
  for (const TCase& c : {TCase{"request not sent", 0, 1, 2}, TCase{"answer lost", 1, 0, 2},
                         TCase{"answer refused", 1, 1, 3}, TCase{"ready mark", 1, 1, 0xFE},
                         TCase{"no status", 1, 1, 0}}) {
    gScript = {};
    gScript.InitResult = 2;
    gScript.SendResult = c.Send;
    gScript.CheckResult = c.Check;
    gScript.Answer = {c.Status, 0, 0, 0, 0, 0, 0, 0};
    Connection.State.MajorVersion = 5;
    Connection.State.MinorVersion = 4;
    Connection.Connect();
    EXPECT_FALSE(Connection.State.Connected) << c.What;
    EXPECT_TRUE(Connection.State.Unidentified) << c.What;
    EXPECT_FALSE(Connection.State.Busy) << c.What;
    EXPECT_EQ(Connection.State.DeviceType, 0) << c.What;
    EXPECT_EQ(gScript.CloseCalls, 1) << c.What;
    EXPECT_EQ(Connection.State.StateText, Strings.Caption(47)) << c.What;
    EXPECT_EQ(Connection.State.MajorVersion, 5) << c.What;
    EXPECT_EQ(Connection.State.MinorVersion, 4) << c.What;
  }
  // The next connect that is answered clears the mark.
  gScript = {};
  gScript.InitResult = 1;
  gScript.Answer = {2, 3, 26, 0, 0, 0, 0, 0};
  Connection.Connect();
  EXPECT_TRUE(Connection.State.Connected);
  EXPECT_FALSE(Connection.State.Unidentified);
}

TEST_F(ConnectionTest, FirmwareBytesSurviveAClose) {
  gScript.InitResult = 2;
  gScript.Answer = {2, 4, 8, 1, 0, 0, 0, 0};
  Connection.Connect();
  Connection.Close();
  EXPECT_EQ(Connection.State.MajorVersion, 4);
  EXPECT_EQ(Connection.State.MinorVersion, 8);
  EXPECT_EQ(Connection.State.ConfigLocalVersion, 1);
}

TEST_F(ConnectionTest, EveryConnectCallsInitAfresh) {
  gScript.InitResult = 1;
  Connection.Connect();
  Connection.Connect();
  EXPECT_EQ(gScript.InitCalls, 2);
}

TEST_F(ConnectionTest, ResultCheck) {
  for (std::uint8_t ok : {1, 5, 7, 8}) {
    Connection.State.Connected = true;
    Connection.State.Busy = true;
    EXPECT_TRUE(Connection.CheckResult(ok));
    EXPECT_TRUE(Connection.State.Connected);
    EXPECT_TRUE(Connection.State.Busy);
  }
  EXPECT_TRUE(Feedback.Messages.empty());
  for (std::uint8_t bad : {0, 2, 3, 4, 6, 9, 255}) {
    Feedback.Messages.clear();
    Connection.State.Connected = true;
    Connection.State.Busy = true;
    EXPECT_FALSE(Connection.CheckResult(bad));
    EXPECT_FALSE(Connection.State.Connected);
    EXPECT_FALSE(Connection.State.Busy);
    ASSERT_EQ(Feedback.Messages.size(), 1u);
    EXPECT_EQ(Feedback.Messages[0].Caption, Strings.Error(4));
    EXPECT_EQ(Feedback.Messages[0].Text, Strings.Error(5) + ":\xB9" + std::to_string(bad));
    EXPECT_EQ(Feedback.Messages[0].Icon, TMessageIcon::Error);
  }
  EXPECT_EQ(gScript.CloseCalls, 0);  // the failure path does not close the pipes
}

class MissingLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings")); }
  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TConduitBinding Link{{"/nonexistent/libConduit.so", "libConduitMissingForTests.so"}};
  TInstrumentConnection Connection{Link, Strings, Feedback};
};

TEST_F(MissingLibraryTest, EveryConnectReportsTheLoadFailureAndStaysClosed) {
  for (int attempt = 1; attempt <= 2; ++attempt) {
    Connection.Connect();
    ASSERT_EQ(Feedback.Messages.size(), static_cast<std::size_t>(attempt));
    EXPECT_EQ(Feedback.Messages.back().Caption, Strings.Error(7));
    EXPECT_EQ(Feedback.Messages.back().Text, Strings.Error(6));
    EXPECT_EQ(Feedback.Messages.back().Icon, TMessageIcon::Error);
    EXPECT_FALSE(Connection.State.Connected);
    EXPECT_EQ(Connection.State.DeviceType, 0);
    EXPECT_EQ(Connection.State.StateText, Strings.Caption(47));
  }
  EXPECT_FALSE(Connection.InstrumentPresent());
  Connection.Close();  // harmless while unbound
  EXPECT_FALSE(Link.Loaded());
}

}  // namespace
}  // namespace velt
