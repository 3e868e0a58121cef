// The batch operations against the simulated instrument: the order of the
// requests, the progress window's texts and gauge values, the pauses, the
// flags they leave, and faults at every step of a record download and a
// configuration upload.
#include <gtest/gtest.h>

#include <chrono>

#include <connection/TransferMessages.h>

#include "SimulatedMemory.h"
#include "connection/ExchangeTestSupport.h"

namespace velt {
namespace {

using conduit::TTransferKind;
using testing::TExchangeFixture;
using Bytes = std::vector<std::uint8_t>;

Bytes Head(const Bytes& request, std::size_t n) {
  return Bytes(request.begin(), request.begin() + static_cast<long>(n));
}

// What a user could see of a record collection, to tell it is unchanged.
std::string Snapshot(const TFlawDataBlock& records) {
  std::string s = std::to_string(records.Count) + "/" + std::to_string(records.DeviceType) + "/" +
                  std::to_string(records.MajorVersion) + "." +
                  std::to_string(records.MinorVersion) + "." +
                  std::to_string(records.ConfigLocalVersion) + "\n";
  for (const auto& r : records.Records) {
    s += std::to_string(r->FlawNumber) + ":" + std::to_string(r->PrintFlag) + ":";
    s += std::string(r->FirstMaximums.begin(), r->FirstMaximums.end());
    s += std::string(r->SecondMinimums.begin(), r->SecondMinimums.end());
    if (r->Configuration()) {
      s += std::to_string(r->Configuration()->VELOCITY) + ":" +
           std::to_string(r->Configuration()->ATTENUATOR1) + r->Configuration()->CONFIGURATION_NAME;
    }
    s += "\n";
  }
  for (bool flag : records.ReceivedFlags) {
    s += flag ? '1' : '0';
  }
  return s;
}

TEST(BatchExchangeTest, DownloadAllConfigurationsReadsTheHundredSlotsInOrder) {
  TExchangeFixture f("1:4.0.2");
  TUSBConfigsBlock configs;
  const std::size_t from = f.LogSize();
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(configs));

  const auto requests = f.Requests(from);
  ASSERT_EQ(requests.size(), 100u);
  for (std::uint8_t n = 0; n < 100; ++n) {
    EXPECT_EQ(Head(requests[n], 3), (Bytes{3, 0, n}));
  }
  EXPECT_EQ(configs.Count, 100);
  EXPECT_EQ(configs.MajorVersion, 4);
  EXPECT_EQ(configs.ConfigLocalVersion, 2);
  EXPECT_EQ(ConfigClassName(*configs.Configurations[0]), "T4_03ConfigCell");
  for (std::size_t n = 0; n < 100; ++n) {
    EXPECT_TRUE(configs.LoadedFlags[n]);
    EXPECT_FALSE(configs.ChangedFlags[n]);
    EXPECT_EQ(configs.Configurations[n]->CONFIGURATION_NO, n);
  }
  // 0 when shown, then N x 100 / 99 after each slot.
  ASSERT_EQ(f.Progress.Gauges.size(), 101u);
  EXPECT_EQ(f.Progress.Gauges[0], 0);
  EXPECT_EQ(f.Progress.Gauges[1], 0);
  EXPECT_EQ(f.Progress.Gauges[2], 1);
  EXPECT_EQ(f.Progress.Gauges[51], 51);  // 50 x 100 / 99 = 50.5 -> 51
  EXPECT_EQ(f.Progress.Gauges[100], 100);
  EXPECT_EQ(f.Progress.Steps.front(), "show:" + f.Strings.Caption(51));
  EXPECT_EQ(f.Progress.Steps[1], "cursor+");
  EXPECT_EQ(f.Progress.Steps.back(), "hide");
  EXPECT_EQ(f.Progress.CursorDepth, 0);
  EXPECT_FALSE(f.Progress.Visible);
}

TEST(BatchExchangeTest, DownloadOfOtherFirmwareRebuildsTheCollection) {
  TExchangeFixture f("2:5.4.4");
  TUSBConfigsBlock configs;
  configs.Build(100, 3, 18, 2, 1);
  configs.ChangedFlags[7] = true;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(configs));
  EXPECT_EQ(configs.DeviceType, 2);
  EXPECT_EQ(configs.MajorVersion, 5);
  EXPECT_EQ(ConfigClassName(*configs.Configurations[99]), "T5_01ConfigCell");
  EXPECT_FALSE(configs.ChangedFlags[7]);
}

TEST(BatchExchangeTest, UploadWritesOnlyTheChangedCellsWithGaugeAndEvents) {
  TExchangeFixture f("1:5.0.0");
  TUSBConfigsBlock configs;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(configs));
  for (std::size_t n : {2u, 40u, 99u}) {
    configs.ChangedFlags[n] = true;
    configs.Configurations[n]->ATTENUATOR1 = static_cast<std::uint16_t>(n);
  }
  f.Progress = {};
  f.Time.Pauses.clear();
  std::vector<bool> busyDuringEvents;
  f.Progress.OnEvents = [&] { busyDuringEvents.push_back(f.Connection->State.Busy); };
  const std::size_t from = f.LogSize();

  ASSERT_TRUE(f.Connection->UploadChangedConfigurations(configs));

  const auto requests = f.Requests(from);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(Head(requests[0], 3), (Bytes{1, 0, 2}));
  EXPECT_EQ(Head(requests[1], 3), (Bytes{1, 0, 40}));
  EXPECT_EQ(Head(requests[2], 3), (Bytes{1, 0, 99}));
  EXPECT_EQ(f.Progress.Gauges, (std::vector<int>{0, 0, 33, 67}));
  EXPECT_EQ(busyDuringEvents, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{1000, 1000, 1000}));
  EXPECT_EQ(f.Progress.Steps.front(), "cursor+");
  EXPECT_EQ(f.Progress.Steps[1], "show+focus:" + f.Strings.Caption(50));
  EXPECT_EQ(f.Progress.CursorDepth, 0);
  EXPECT_FALSE(f.Progress.Visible);
  for (bool changed : configs.ChangedFlags) {
    EXPECT_FALSE(changed);
  }

  // Read back: the instrument holds what was written.
  TUSBConfigsBlock back;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(back));
  for (std::size_t n : {2u, 40u, 99u}) {
    EXPECT_EQ(back.Configurations[n]->ATTENUATOR1, n);
  }
}

// Cells go only to an instrument whose firmware uses their class, only
// when the program can read that firmware's images, and only when they
// came from an instrument or a file.
TEST(BatchExchangeTest, UploadRefusesCellsTheInstrumentCannotTake) {
  struct TCase {
    const char* Profile;
    std::uint8_t Device, Major, Minor, Local;  // the cells' firmware
    std::uint8_t Source;
    TBatchStop Stop;
  };
  const TCase cases[] = {
      {"1:5.0.0", 1, 3, 26, 0, kSourceFile, TBatchStop::OtherFirmware},
      {"2:2.8", 1, 3, 26, 0, kSourceFile, TBatchStop::OtherFirmware},
      {"1:5.0.1", 1, 5, 0, 0, kSourceFile, TBatchStop::OtherFirmware},
      {"1:3.10", 1, 3, 26, 0, kSourceFile, TBatchStop::UnsupportedFirmware},
      {"1:2.0", 1, 2, 0, 0, kSourceFile, TBatchStop::UnsupportedFirmware},
      {"1:5.0.1", 1, 5, 0, 1, kSourceNone, TBatchStop::NotReadFromSource},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    TExchangeFixture f(c.Profile);
    TUSBConfigsBlock configs;
    TBatchReport report;
    EXPECT_FALSE(f.Connection->UploadChangedConfigurations(configs, &report));
    EXPECT_EQ(report.Stop, TBatchStop::NoCells);
    configs.Build(100, c.Major, c.Minor, c.Local, c.Device);
    configs.Source = c.Source;
    configs.LoadedFlags.assign(100, true);
    configs.ChangedFlags[1] = configs.ChangedFlags[30] = true;
    const std::size_t from = f.LogSize();
    EXPECT_FALSE(f.Connection->UploadChangedConfigurations(configs, &report));
    EXPECT_EQ(report.Stop, c.Stop);
    EXPECT_EQ(report.NotWritten, (std::vector<std::uint16_t>{1, 30}));
    EXPECT_TRUE(configs.ChangedFlags[1] && configs.ChangedFlags[30]);
    EXPECT_EQ(f.LogSize(), from);
    EXPECT_TRUE(f.Progress.Steps.empty());
  }
}

// A changed cell out of range is held back and named; the others go out,
// slot 0 with the instrument's own record count.
TEST(BatchExchangeTest, UploadHoldsBackCellsOutOfRange) {
  TExchangeFixture f("1:5.0.0");
  TUSBConfigsBlock configs;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(configs));
  for (std::size_t n : {0u, 2u, 40u}) {
    configs.ChangedFlags[n] = true;
  }
  configs.Configurations[0]->LAST_MEM_CELL = 0;
  configs.Configurations[40]->VELOCITY = 60000;
  const std::size_t from = f.LogSize();
  TBatchReport report;
  EXPECT_FALSE(f.Connection->UploadChangedConfigurations(configs, &report));
  EXPECT_EQ(report.Stop, TBatchStop::None);
  EXPECT_EQ(report.Written, (std::vector<std::uint16_t>{0, 2}));
  EXPECT_EQ(report.NotWritten, (std::vector<std::uint16_t>{40}));
  EXPECT_EQ(report.Invalid, (std::vector<std::uint16_t>{40}));
  EXPECT_EQ(f.Requests(from).size(), 2u);
  EXPECT_EQ(configs.ChangedFlags[40], true);
  EXPECT_EQ(configs.ChangedFlags[2], false);
  EXPECT_EQ(configs.Configurations[40]->VELOCITY, 60000);
  EXPECT_EQ(configs.Configurations[0]->LAST_MEM_CELL, 0);
  TUSBConfigsBlock back;
  ASSERT_TRUE(f.Connection->DownloadAllConfigurations(back));
  EXPECT_EQ(back.Configurations[0]->LAST_MEM_CELL, conduit::kDemoRecordCount);
  EXPECT_NE(back.Configurations[40]->VELOCITY, 60000);
  const TTransferMessage message = UploadFailureMessage(report, f.Strings);
  EXPECT_NE(message.Text.find(" 40."), std::string::npos);
}

TEST(BatchExchangeTest, DownloadAllRecordsAsksForOneToTheLastUsedCell) {
  TExchangeFixture f("2:5.4.4");
  TFlawDataBlock records;
  const std::size_t from = f.LogSize();
  ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
  const auto requests = f.Requests(from);
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(Head(requests[0], 3), (Bytes{3, 0, 0}));
  const std::size_t m = requests.size() - 1;
  ASSERT_EQ(records.Count, m);
  for (std::size_t k = 1; k <= m; ++k) {
    EXPECT_EQ(Head(requests[k], 3), (Bytes{5, 0, static_cast<std::uint8_t>(k)}));
    const TDataCell& record = *records.Records[k - 1];
    EXPECT_EQ(record.FlawNumber, k);
    EXPECT_TRUE(records.ReceivedFlags[k - 1]);
    EXPECT_EQ(record.DeviceIndex, 2);
    EXPECT_EQ(records.DisplayOrder[k - 1], k - 1);
  }
  EXPECT_EQ(records.DeviceType, 2);
  EXPECT_EQ(f.Time.Pauses, std::vector<unsigned>(4 * m, 10));
  // 0 when shown, then i x 100 / M after record i (counted from 0).
  ASSERT_EQ(f.Progress.Gauges.size(), m + 1);
  for (std::size_t i = 0; i < m; ++i) {
    EXPECT_EQ(f.Progress.Gauges[i + 1], ProgressPercent(static_cast<unsigned>(i),
                                                        static_cast<unsigned>(m)));
  }
  EXPECT_EQ(f.Progress.Steps.front(), "show+focus:" + f.Strings.Caption(52));
  EXPECT_FALSE(f.Progress.Visible);
  EXPECT_EQ(f.Progress.CursorDepth, 0);
}

TEST(BatchExchangeTest, AnInstrumentWithoutRecordsEmptiesTheCollection) {
  TExchangeFixture f("1:3.26");
  // Configuration 0 says no memory cell is used.
  auto working = f.NewCell();
  working->SetDefaults(0);
  working->LAST_MEM_CELL = 0;
  TDeviceImage image{};
  working->EncodeImage(image, 0);
  f.Sim.Instrument().SetCommandHandler(
      3, [image](conduit::TSimulatedInstrument& d, const std::uint8_t*) {
        d.QueueBulk(Bytes(image.begin(), image.begin() + 512));
      });
  TFlawDataBlock records;
  records.Build(3, 3, 26, 0, 1);
  ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
  EXPECT_EQ(records.Count, 0);
  EXPECT_TRUE(records.Records.empty());
  EXPECT_EQ(f.Requests().back()[0], 3);  // no record was asked for
  EXPECT_TRUE(f.Progress.Steps.empty());
}

// Faults at every transfer of a record download: the result check speaks
// once, the state ends closed and idle, and the records held before stay.
TEST(BatchExchangeTest, FaultsAtEveryStepOfARecordDownloadKeepTheRecordsHeldBefore) {
  std::size_t transfers = 0;
  std::string before;
  {
    TExchangeFixture f("1:4.0.3");
    TFlawDataBlock records;
    const std::size_t from = f.LogSize();
    ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
    transfers = f.LogSize() - from;
  }
  ASSERT_GT(transfers, 20u);
  const std::size_t identify = 2;
  std::vector<std::string> faults;
  for (std::size_t k = identify + 1; k <= identify + transfers; ++k) {
    faults.push_back("unplug-after=" + std::to_string(k - 1));
  }
  for (std::size_t k = 1; k <= 11; ++k) {
    faults.push_back("empty-read=" + std::to_string(k));
  }
  for (const std::string& fault : faults) {
    SCOPED_TRACE(fault);
    TExchangeFixture f("1:4.0.3," + fault);
    ASSERT_TRUE(f.Connection->State.Connected);
    TFlawDataBlock records;
    records.Build(2, 4, 0, 3, 1);
    records.Records[0]->FirstMaximums[5] = 77;
    records.Records[1]->Configuration()->CONFIGURATION_NAME = "kept";
    records.ReceivedFlags[1] = true;
    const std::string held = Snapshot(records);

    EXPECT_FALSE(f.Connection->DownloadAllRecords(records));
    EXPECT_EQ(f.Feedback.Messages.size(), 1u);
    EXPECT_FALSE(f.Connection->State.Connected);
    EXPECT_FALSE(f.Connection->State.Busy);
    EXPECT_EQ(Snapshot(records), held);
    EXPECT_EQ(f.Progress.CursorDepth, 0);
    EXPECT_FALSE(f.Progress.Visible);
  }
}

TEST(BatchExchangeTest, ShortBulkReadsAreMadeUpByTheNextRequest) {
  TExchangeFixture good("2:5.4.4");
  TFlawDataBlock expected;
  ASSERT_TRUE(good.Connection->DownloadAllRecords(expected));
  for (const char* fault : {"short-read=3:100", "short-read=7:1", "short-read=12:255"}) {
    SCOPED_TRACE(fault);
    TExchangeFixture f(std::string("2:5.4.4,") + fault);
    TFlawDataBlock records;
    ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
    EXPECT_EQ(Snapshot(records), Snapshot(expected));
  }
}

TEST(BatchExchangeTest, ASilentInstrumentEndsTheDownloadAfterTheTimeOut) {
  TExchangeFixture f("1:5.0.1,silent-after=10,timeout=50");
  TFlawDataBlock records;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(f.Connection->DownloadAllRecords(records));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(f.Feedback.Messages.size(), 1u);
  EXPECT_FALSE(f.Connection->State.Connected);
  EXPECT_FALSE(f.Connection->State.Busy);
  EXPECT_EQ(records.Count, 0);
}

// Faults at every transfer of an upload: written cells lose their changed
// mark, the others keep it.
TEST(BatchExchangeTest, FaultsAtEveryStepOfAnUploadKeepTheUnwrittenCellsChanged) {
  const std::vector<std::size_t> changed = {3, 4, 60};
  const auto prepare = [&changed](TExchangeFixture& f, TUSBConfigsBlock& configs) {
    configs.Build(100, f.Connection->State.MajorVersion, f.Connection->State.MinorVersion,
                  f.Connection->State.ConfigLocalVersion, f.Connection->State.DeviceType);
    configs.Source = kSourceFile;
    configs.LoadedFlags.assign(100, true);
    for (std::size_t n : changed) {
      configs.ChangedFlags[n] = true;
    }
  };
  std::size_t transfers = 0;
  {
    TExchangeFixture f("2:4.1.3");
    TUSBConfigsBlock configs;
    prepare(f, configs);
    const std::size_t from = f.LogSize();
    ASSERT_TRUE(f.Connection->UploadChangedConfigurations(configs));
    transfers = f.LogSize() - from;
  }
  ASSERT_EQ(transfers, 3u * 6u);  // request, answer, then ready mark and chunk twice
  std::vector<std::string> faults;
  for (std::size_t k = 0; k < transfers; ++k) {
    faults.push_back("unplug-after=" + std::to_string(2 + k));
  }
  for (std::size_t k = 1; k <= 6; ++k) {
    faults.push_back("no-ready=" + std::to_string(k));
  }
  faults.push_back("silent-after=7,timeout=50");
  for (const std::string& fault : faults) {
    SCOPED_TRACE(fault);
    TExchangeFixture f("2:4.1.3," + fault);
    TUSBConfigsBlock configs;
    prepare(f, configs);
    TBatchReport report;
    EXPECT_FALSE(f.Connection->UploadChangedConfigurations(configs, &report));
    EXPECT_EQ(report.Stop, TBatchStop::TransferFailed);
    // The report names exactly the slots that kept their mark.
    std::vector<std::uint16_t> marked;
    for (std::size_t n : changed) {
      if (configs.ChangedFlags[n]) {
        marked.push_back(static_cast<std::uint16_t>(n));
      }
    }
    EXPECT_EQ(report.NotWritten, marked);
    EXPECT_EQ(report.Written.size() + marked.size(), changed.size());
    EXPECT_EQ(f.Feedback.Messages.size(), 1u);
    EXPECT_FALSE(f.Connection->State.Connected);
    EXPECT_FALSE(f.Connection->State.Busy);
    EXPECT_EQ(f.Progress.CursorDepth, 0);
    EXPECT_FALSE(f.Progress.Visible);
    // The cells written before the fault lost their mark (one gauge step
    // each); the failing one and those after it keep it.
    std::size_t stillChanged = 0;
    for (std::size_t n : changed) {
      stillChanged += configs.ChangedFlags[n] ? 1 : 0;
    }
    EXPECT_EQ(stillChanged, changed.size() - (f.Progress.Gauges.size() - 1));
    EXPECT_TRUE(configs.ChangedFlags[60]);
  }
}

TEST(BatchExchangeTest, AnUploadRefusedByTheInstrumentSendsNoImagesAndKeepsTheMarks) {
  TExchangeFixture f("1:4.1.4,status=1:3");
  TUSBConfigsBlock configs;
  configs.Build(100, 4, 1, 4, 1);
  configs.Source = kSourceFile;
  configs.LoadedFlags.assign(100, true);
  configs.ChangedFlags[8] = configs.ChangedFlags[9] = true;
  const std::size_t from = f.LogSize();
  TBatchReport report;
  EXPECT_FALSE(f.Connection->UploadChangedConfigurations(configs, &report));
  EXPECT_EQ(report.Stop, TBatchStop::InstrumentRefused);
  EXPECT_EQ(report.NotWritten, (std::vector<std::uint16_t>{8, 9}));
  EXPECT_TRUE(report.Written.empty());
  EXPECT_TRUE(f.Transfers(TTransferKind::BulkOut, from).empty());
  EXPECT_TRUE(configs.ChangedFlags[8] && configs.ChangedFlags[9]);
  EXPECT_TRUE(f.Connection->State.Connected);
}

// A download gives the records what they came with: no comments, even
// when the collection held before is reused.
TEST(BatchExchangeTest, ARecordDownloadBringsNoCommentsOfTheRecordsBefore) {
  TExchangeFixture f("2:5.4.4");
  TFlawDataBlock records;
  ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
  const TDataCell* kept = records.Records[0].get();
  records.Records[0]->Comments = {"crack near weld 3"};
  records.Records[5]->Comments = {"", "recheck"};
  ASSERT_TRUE(f.Connection->DownloadAllRecords(records));
  ASSERT_EQ(records.Records[0].get(), kept);
  for (const auto& record : records.Records) {
    EXPECT_TRUE(record->Comments.empty());
  }
}

// A record whose settings do not validate is kept with its envelopes,
// marked and named; the others are not.
TEST(BatchExchangeTest, ARecordWithUnreadableSettingsIsKeptMarkedAndNamed) {
  TExchangeFixture f("1:5.0.1");
  const std::uint16_t bad = 3;
  f.Sim.Instrument().SetCommandHandler(
      5, [&f, bad](conduit::TSimulatedInstrument& d, const std::uint8_t* request) {
        const std::uint16_t n = static_cast<std::uint16_t>(request[1] << 8 | request[2]);
        conduit::TSimulatedRecord record = d.GetMemory().Records.at(n - 1u);
        if (n == bad) {
          auto cell = f.NewCell();
          TDeviceImage image{};
          std::copy_n(record.begin(), 512, image.begin());
          cell->DecodeImage(image, n);
          cell->VELOCITY = 60000;
          cell->EncodeImage(image, n);
          std::copy_n(image.begin(), 512, record.begin());
        }
        d.QueueBulk(Bytes(record.begin(), record.end()));
      });
  TFlawDataBlock records;
  TBatchReport report;
  ASSERT_TRUE(f.Connection->DownloadAllRecords(records, &report));
  ASSERT_EQ(records.Count, conduit::kDemoRecordCount);
  EXPECT_EQ(report.UnreadableSettings, (std::vector<std::uint16_t>{bad}));
  for (std::uint16_t k = 1; k <= records.Count; ++k) {
    const TDataCell& record = *records.Records[k - 1u];
    EXPECT_EQ(record.UnreadableSettings, k == bad) << k;
    EXPECT_TRUE(record.Configuration()->Validate());
    EXPECT_TRUE(records.ReceivedFlags[k - 1u]);
  }
  const auto& stored = f.Sim.Instrument().GetMemory().Records[bad - 1u];
  EXPECT_EQ(records.Records[bad - 1u]->FirstMaximums[100], stored[512 + 100]);
}

}  // namespace
}  // namespace velt
