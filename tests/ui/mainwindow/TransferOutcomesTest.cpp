// What the tabs and the online tick make of transfers that the instrument
// refuses, that stop half-way or that find the connection in use: the user
// is told, and nothing refused is shown as done.
#include <gtest/gtest.h>

#include <QTableWidget>
#include <QTimer>

#include <connection/TransferMessages.h>
#include <ui/data/DataTabUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/setup/SetupTabUnit.h>

#include "SimulatedMemory.h"
#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TMainFormFixture;
using Bytes = std::vector<std::uint8_t>;

std::string Mark(QTableWidget& selector, int slot) {
  const QTableWidgetItem* item = selector.item(slot - 1, 2);
  return item == nullptr ? std::string() : item->text().toStdString();
}

// A frame that finds another exchange running is skipped quietly and the
// timer goes on.
TEST(TransferOutcomes, TheOnlineTickSkipsABusyConnectionQuietly) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  form.PageControl().setCurrentIndex(kSetupTab);
  form.Action("ReceiveConfigsAction")->trigger();
  ASSERT_TRUE(f.Feedback.Messages.empty());
  const std::size_t sent = f.Sim.Instrument().Log().size();
  f.Connection->State.Busy = true;
  form.OnlineTick();
  EXPECT_TRUE(form.findChild<QTimer*>("OnlineReceiveTimer")->isActive());
  EXPECT_TRUE(f.Feedback.Questions.empty());
  EXPECT_TRUE(f.Connection->State.Connected);
  EXPECT_EQ(f.Sim.Instrument().Log().size(), sent);
}

// The instrument takes slot 4 and refuses slot 7: 4 loses its mark, 7 and
// 9 keep theirs and the message names them.
TEST(TransferOutcomes, APartialUploadNamesTheSlotsNotWritten) {
  TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  form.PageControl().setCurrentIndex(kSetupTab);
  form.Action("ReceiveConfigsAction")->trigger();
  TSetupTab& tab = form.SetupPage();
  for (int slot : {4, 7, 9}) {
    tab.DoubleClick(2, slot);
  }
  f.Sim.Instrument().SetCommandHandler(
      1, [](conduit::TSimulatedInstrument& d, const std::uint8_t* request) {
        if (request[2] == 7) {
          d.QueueServiceAnswer(3);
          return;
        }
        d.QueueServiceAnswer(2);
        d.ExpectBulk(512, [](Bytes) {});
      });
  f.Feedback.Answers = {true};
  form.Action("SetConfigsAction")->trigger();
  const TUSBConfigsBlock& configs = form.Configs;
  EXPECT_FALSE(configs.ChangedFlags[4]);
  EXPECT_TRUE(configs.ChangedFlags[7] && configs.ChangedFlags[9]);
  EXPECT_EQ(Mark(tab.Selector(), 4), "");
  EXPECT_EQ(Mark(tab.Selector(), 7), "*");
  ASSERT_EQ(f.Feedback.Messages.size(), 1u);
  EXPECT_NE(f.Utf8(f.Feedback.Messages[0].Text).find(": 7, 9."), std::string::npos)
      << f.Utf8(f.Feedback.Messages[0].Text);
}

// After the download: a clock the instrument refuses, and the records whose
// settings could not be read, each said once.
TEST(TransferOutcomes, TheRecordDownloadTellsWhatItCouldNotDo) {
  TMainFormFixture f("2:5.4.4,status=8:0");
  TVELTMainForm& form = f.Start();
  f.Sim.Instrument().SetCommandHandler(
      5, [](conduit::TSimulatedInstrument& d, const std::uint8_t* request) {
        const auto n = static_cast<std::uint16_t>(request[1] << 8 | request[2]);
        conduit::TSimulatedRecord record = d.GetMemory().Records.at(n - 1u);
        if (n == 5) {
          std::fill_n(record.begin(), 512, std::uint8_t{0x5A});
        }
        d.QueueBulk(Bytes(record.begin(), record.end()));
      });
  form.Action("ReceiveFlawsAction")->trigger();
  ASSERT_EQ(form.Flaws.Count, conduit::kDemoRecordCount);
  EXPECT_TRUE(form.Flaws.Records[4]->UnreadableSettings);
  ASSERT_EQ(f.Feedback.Messages.size(), 2u);
  EXPECT_EQ(f.Feedback.Messages[0].Text, ClockRefusedMessage().Text);
  EXPECT_EQ(f.Feedback.Messages[1].Text, UnreadableSettingsText({5}));
}

}  // namespace
}  // namespace velt
