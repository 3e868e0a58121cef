// The instrument going and coming back as the main window sees it, over the
// simulated instrument in process: the unplug action, the presence poll and
// the reconnect; and what the device panel and its hint say of the link.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::ProcessEventsUntil;
using testing::TMainFormFixture;

std::string Text(const QString& text) { return text.toUtf8().toStdString(); }

// F3 closes the instrument; with replug-after it stays away a little longer
// than the poll's second and comes back. The presence poll sees it go and
// come, and the program connects to it again by itself.
TEST(InstrumentArrivalTest, AfterTheUnplugActionTheSimulatedInstrumentComesBackAndIsConnected) {
  TMainFormFixture f("1:3.26,replug-after=1300");
  TVELTMainForm& form = f.Start();
  ASSERT_TRUE(f.Connection->State.Connected);
  f.Feedback.Answers = {true};  // should the unplug question come
  form.Action("UnplugDeviceAction")->trigger();
  ASSERT_FALSE(f.Connection->State.Connected);
  EXPECT_FALSE(form.Action("UnplugDeviceAction")->isEnabled());
  EXPECT_FALSE(f.Connection->InstrumentPresent());

  ProcessEventsUntil([&f] { return f.Connection->State.Connected; }, 6000);
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(f.Connection->State.MinorVersion, 26);
  EXPECT_TRUE(form.Action("UnplugDeviceAction")->isEnabled());
  EXPECT_EQ(Text(form.StatusPanel0Text()),
            f.Utf8(f.Strings.Caption(46) + f.Strings.Value(57)) + " 3.26 (simulated)");
  EXPECT_TRUE(f.Feedback.Messages.empty());
}

// The panel ends in "(simulated)" while the simulated instrument is at work;
// its hint carries the link's line, and says when an instrument did not
// identify itself (which leaves the program without an instrument).
TEST(InstrumentArrivalTest, TheDevicePanelAndItsHintSayWhatTheLinkSees) {
  struct TCase {
    const char* Profile;
    bool Connected;
    const char* Suffix;  // after "Прибор: <state>" while connected
    std::vector<std::string> Hint;
  };
  const TCase cases[] = {
      {"2:5.4.4", true, " 5.4 (simulated)", {"simulated instrument 2:5.4.4"}},
      {"1:3.26,status=18:3",
       false,
       "",
       {"Прибор не сообщил версию прошивки", "<BR>simulated instrument 1:3.26"}},
      {"none", false, "", {"simulated, no instrument plugged in (CONDUIT_SIMULATOR=none)"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    TMainFormFixture f(c.Profile);
    TVELTMainForm& form = f.Start();
    EXPECT_EQ(f.Connection->State.Connected, c.Connected);
    EXPECT_EQ(form.Action("UnplugDeviceAction")->isEnabled(), c.Connected);
    EXPECT_EQ(Text(form.StatusPanel0Text()),
              c.Connected ? f.Utf8(f.Strings.Caption(46) + f.Connection->State.StateText) + c.Suffix
                          : f.Utf8(f.Strings.Caption(46) + f.Strings.Caption(47)));
    const auto* panel = form.findChild<QLabel*>("StatusPanel0");
    ASSERT_NE(panel, nullptr);
    for (const std::string& part : c.Hint) {
      EXPECT_NE(Text(panel->toolTip()).find(part), std::string::npos) << Text(panel->toolTip());
    }
  }
}

}  // namespace
}  // namespace velt
