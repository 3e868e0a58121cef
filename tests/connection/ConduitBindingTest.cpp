// The binding of the real libConduit.so with the simulated instrument. The
// library reads CONDUIT_SIMULATOR when it is loaded, so each test runs in a
// process of its own (ctest runs each case separately).
#include <gtest/gtest.h>

#include <cstdlib>

#include <connection/HI_Using_USB_ConnectionsUnit.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

class ConduitBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_STATE_HOME", ::testing::TempDir().c_str(), 1);
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
  }
  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  // A missing first candidate falls through to the next.
  TConduitBinding Link{{"/nonexistent/libConduit.so", VELT_RUNTIME_DIR "/libConduit.so"}};
  TInstrumentConnection Connection{Link, Strings, Feedback};
};

TEST_F(ConduitBindingTest, ConnectsToTheSimulatedInstrumentWithItsVersions) {
  setenv("CONDUIT_SIMULATOR", "2:5.4.4", 1);
  Connection.Connect();
  EXPECT_TRUE(Link.Loaded());
  EXPECT_EQ(Link.LoadedFrom(), VELT_RUNTIME_DIR "/libConduit.so");
  EXPECT_TRUE(Connection.State.Connected);
  EXPECT_EQ(Connection.State.DeviceType, 2);
  EXPECT_EQ(Connection.State.MajorVersion, 5);
  EXPECT_EQ(Connection.State.MinorVersion, 4);
  EXPECT_EQ(Connection.State.ConfigLocalVersion, 4);
  EXPECT_EQ(DevicePanelText(Connection.State, Strings),
            Strings.Caption(46) + Strings.Value(58) + " 5.4");
  EXPECT_TRUE(Connection.InstrumentPresent());
  Connection.Close();
  EXPECT_EQ(Connection.State.StateText, Strings.Caption(47));
  // Still present, and a reconnect reuses the loaded library.
  EXPECT_TRUE(Connection.InstrumentPresent());
  Connection.Connect();
  EXPECT_TRUE(Connection.State.Connected);
  EXPECT_EQ(Link.LoadCount(), 1);
  EXPECT_TRUE(Feedback.Messages.empty());
  // The library says the instrument is simulated.
  const TLinkState link = Link.LinkState();
  EXPECT_EQ(link.Kind, kLinkStateSimulated);
  EXPECT_EQ(link.Text, "simulated instrument 2:5.4.4");
}

// A library of the eight functions alone binds and connects as before; the
// program then knows nothing more of its state.
TEST_F(ConduitBindingTest, ALibraryWithoutTheStateDescriptionStillBinds) {
  TConduitBinding eightOnly{{VELT_EIGHT_ONLY_LIBRARY}};
  EXPECT_EQ(eightOnly.LinkState().Kind, kLinkStateUnknown);  // unbound
  TInstrumentConnection connection{eightOnly, Strings, Feedback};
  connection.Connect();
  ASSERT_TRUE(eightOnly.Loaded());
  EXPECT_EQ(eightOnly.Entry().USBStateDescription, nullptr);
  EXPECT_TRUE(connection.State.Connected);
  EXPECT_EQ(connection.State.MinorVersion, 26);
  const TLinkState link = eightOnly.LinkState();
  EXPECT_EQ(link.Kind, kLinkStateUnknown);
  EXPECT_TRUE(link.Text.empty());
}

TEST_F(ConduitBindingTest, DeviceTypeThreeOpensButStaysDisconnected) {
  setenv("CONDUIT_SIMULATOR", "3:1.0", 1);
  Connection.Connect();
  EXPECT_TRUE(Link.Loaded());
  EXPECT_FALSE(Connection.State.Connected);
  EXPECT_EQ(Connection.State.DeviceType, 0);
  EXPECT_EQ(Connection.State.StateText, Strings.Caption(47));
}

TEST_F(ConduitBindingTest, NoInstrumentLeavesTheStateClosedWithoutMessage) {
  setenv("CONDUIT_SIMULATOR", "none", 1);
  Connection.Connect();
  EXPECT_TRUE(Link.Loaded());
  EXPECT_FALSE(Connection.State.Connected);
  EXPECT_FALSE(Connection.InstrumentPresent());
  EXPECT_TRUE(Feedback.Messages.empty());
}

}  // namespace
}  // namespace velt
