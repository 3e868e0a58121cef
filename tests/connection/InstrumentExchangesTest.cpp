// The single exchanges, byte by byte, against the simulated instrument:
// requests, answers, chunks with their ready marks, pauses, and what each
// exchange leaves in the cell or record.
#include <gtest/gtest.h>

#include <sstream>

#include <config/TextRecordIO.h>

#include "SimulatedMemory.h"
#include "connection/ExchangeTestSupport.h"

namespace velt {
namespace {

using testing::TExchangeFixture;
using Bytes = std::vector<std::uint8_t>;

std::string TextOf(TBaseConfigCell& cell) {
  std::ostringstream out;
  TTextWriter writer(out);
  cell.WriteText(writer);
  return out.str();
}

Bytes Joined(const std::vector<conduit::TTransferRecord>& transfers) {
  Bytes all;
  for (const auto& t : transfers) {
    all.insert(all.end(), t.Bytes.begin(), t.Bytes.end());
  }
  return all;
}

// The 320 samples of an envelope (the arrays hold one entry more).
Bytes Samples(const Bytes& envelope) { return Bytes(envelope.begin(), envelope.begin() + 320); }

Bytes FirstBytes(const Bytes& request, std::size_t n) {
  return Bytes(request.begin(), request.begin() + static_cast<long>(n));
}

TEST(InstrumentExchangeTest, WriteConfigurationSendsTheImageInTwoReadyMarkedChunks) {
  TExchangeFixture f("1:3.26");
  ASSERT_TRUE(f.Connection->State.Connected);
  auto cell = f.NewCell();
  cell->SetDefaults(5);
  cell->VELOCITY = 3230;
  const std::size_t from = f.LogSize();

  ASSERT_TRUE(f.Connection->WriteConfiguration(*cell, 5));

  const auto requests = f.Requests(from);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(FirstBytes(requests[0], 3), (Bytes{1, 0, 5}));
  const auto answers = f.Transfers(conduit::TTransferKind::ServiceIn, from);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].Bytes[0], 2);
  EXPECT_EQ(answers[1].Bytes[0], 0xFE);
  EXPECT_EQ(answers[2].Bytes[0], 0xFE);
  const auto chunks = f.Transfers(conduit::TTransferKind::BulkOut, from);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].Bytes.size(), 256u);
  EXPECT_EQ(chunks[1].Bytes.size(), 256u);

  TDeviceImage expected{};
  cell->EncodeImage(expected, 5);  // encoding again gives the same image
  EXPECT_EQ(Joined(chunks), Bytes(expected.begin(), expected.begin() + 512));
  EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{1000}));
  EXPECT_EQ(f.Progress.Steps, (std::vector<std::string>{"cursor+", "cursor-"}));
  EXPECT_FALSE(f.Connection->State.Busy);

  // The instrument keeps the image as it came and serves it back.
  auto back = f.NewCell();
  const std::size_t readFrom = f.LogSize();
  ASSERT_TRUE(f.Connection->ReadConfiguration(*back, 5));
  EXPECT_EQ(Joined(f.Transfers(conduit::TTransferKind::BulkIn, readFrom)),
            Bytes(expected.begin(), expected.begin() + 512));
  EXPECT_EQ(back->VELOCITY, 3230);
  EXPECT_EQ(back->CONFIGURATION_NO, 5);
}

TEST(InstrumentExchangeTest, AWriteOrClockTheInstrumentRefusesSendsNothingAndFails) {
  for (const char* profile : {"2:5.4.4,status=1:3", "2:5.4.4,status=8:4"}) {
    SCOPED_TRACE(profile);
    TExchangeFixture f(profile);
    auto cell = f.NewCell();
    const bool clock = std::string(profile).find("8:") != std::string::npos;
    const std::size_t from = f.LogSize();
    const bool done = clock ? static_cast<bool>(f.Connection->SetClock())
                            : f.Connection->WriteConfiguration(*cell, 5);
    EXPECT_FALSE(done);
    if (clock) {
      EXPECT_TRUE(f.Connection->SetClock() == TExchangeOutcome::Refused);
    }
    EXPECT_TRUE(f.Transfers(conduit::TTransferKind::BulkOut, from).empty());
    EXPECT_TRUE(f.Time.Pauses.empty());
    EXPECT_TRUE(f.Connection->State.Connected);
    EXPECT_FALSE(f.Connection->State.Busy);
  }
}

// A setup out of range is the user's to mend: it is neither sent nor
// replaced by defaults.
TEST(InstrumentExchangeTest, WriteConfigurationOfAnInvalidCellSendsNothingAndKeepsTheCell) {
  TExchangeFixture f("1:3.26");
  auto cell = f.NewCell();
  cell->SetDefaults(9);
  cell->CONFIGURATION_NAME = "WELD 12";
  cell->VELOCITY = 60000;  // far outside what the instrument accepts
  ASSERT_FALSE(cell->Validate());
  const std::string before = TextOf(*cell);
  const std::size_t from = f.LogSize();
  EXPECT_FALSE(f.Connection->WriteConfiguration(*cell, 0));
  EXPECT_EQ(f.LogSize(), from);
  EXPECT_EQ(TextOf(*cell), before);
  ASSERT_EQ(f.Feedback.Messages.size(), 1u);
  EXPECT_EQ(f.Feedback.Messages[0].Caption, f.Strings.Error(12));
  EXPECT_EQ(f.Feedback.Messages[0].Text, f.Strings.Error(14));
  EXPECT_FALSE(f.Connection->State.Busy);
}

// Configuration 0 goes out with the record count the instrument gave, not
// the one of the cell (an erased slot's is 0), and the cell keeps its own.
TEST(InstrumentExchangeTest, TheWorkingConfigurationCarriesTheInstrumentsRecordCount) {
  struct TCase {
    std::uint16_t Slot;
    bool ReadBefore;            // configuration 0 read before the write
    std::size_t Requests;       // with the read that learns the count
    std::uint16_t SentCount;    // LAST MEM CELL in the image sent
  };
  const std::uint16_t held = conduit::kDemoRecordCount;
  for (const TCase& c : {TCase{0, true, 1, held}, TCase{0, false, 2, held}, TCase{5, false, 1, 0}}) {
    SCOPED_TRACE(std::to_string(c.Slot) + (c.ReadBefore ? " read" : ""));
    TExchangeFixture f("1:5.0.1");
    if (c.ReadBefore) {
      auto working = f.NewCell();
      ASSERT_TRUE(f.Connection->ReadConfiguration(*working, 0));
    }
    EXPECT_EQ(f.Connection->InstrumentRecordCount().has_value(), c.ReadBefore);
    auto cell = f.NewCell();
    cell->SetDefaults(c.Slot);
    cell->LAST_MEM_CELL = 0;
    const std::size_t from = f.LogSize();
    ASSERT_TRUE(f.Connection->WriteConfiguration(*cell, c.Slot));
    EXPECT_EQ(f.Requests(from).size(), c.Requests);
    EXPECT_EQ(cell->LAST_MEM_CELL, 0);
    auto sent = f.NewCell();
    ASSERT_TRUE(f.Connection->ReadConfiguration(*sent, c.Slot));
    EXPECT_EQ(sent->LAST_MEM_CELL, c.SentCount);
  }
}

TEST(InstrumentExchangeTest, ReadingAnErasedSlotLeavesTheDefaultsWithItsNumber) {
  TExchangeFixture f("1:4.0.3");
  f.Sim.Instrument().SetCommandHandler(3, [](conduit::TSimulatedInstrument& d, const std::uint8_t*) {
    d.QueueBulk(Bytes(512, 0xFF));
  });
  auto cell = f.NewCell();
  cell->VELOCITY = 4000;
  cell->ATTENUATOR1 = 70;
  const std::size_t from = f.LogSize();
  ASSERT_TRUE(f.Connection->ReadConfiguration(*cell, 258));
  EXPECT_EQ(FirstBytes(f.Requests(from).at(0), 3), (Bytes{3, 1, 2}));
  auto defaults = f.NewCell();
  defaults->SetDefaults(258);
  defaults->CONFIGURATION_NO = 258;
  EXPECT_EQ(cell->CONFIGURATION_NO, 258);
  EXPECT_EQ(TextOf(*cell), TextOf(*defaults));
}

TEST(InstrumentExchangeTest, ABareBaseCellKeepsItsSetupWhenReadingAnImage) {
  TExchangeFixture f("1:3.10");
  auto cell = f.NewCell();
  ASSERT_EQ(ConfigClassName(*cell), "TBaseConfigCell");
  cell->VELOCITY = 4321;
  ASSERT_TRUE(f.Connection->ReadConfiguration(*cell, 4));
  EXPECT_EQ(cell->VELOCITY, 4321);
  EXPECT_EQ(cell->CONFIGURATION_NO, 4);
}

TEST(InstrumentExchangeTest, GainAndRangeFollowTheFirmware) {
  struct TCase {
    const char* Profile;
    bool Gain;
    Bytes Request;  // the first bytes of the one request
    std::vector<unsigned> Pauses;
    std::size_t BulkOut;
  };
  const TCase cases[] = {
      {"1:4.0.3", true, {1, 0, 0}, {1000}, 2},  // 4.0: the whole working configuration
      {"1:3.26", false, {1, 0, 0}, {1000}, 2},
      {"1:4.1.3", true, {19, 40, 0, 0, 0}, {10}, 0},
      {"2:5.4.4", true, {19, 40, 0, 0, 0}, {10}, 0},
      {"1:4.1.3", false, {20, 3, 77}, {50}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Profile) + (c.Gain ? " gain" : " range"));
    TExchangeFixture f(c.Profile);
    auto cell = f.NewCell();
    cell->ATTENUATOR1 = 40;
    cell->INDEX_MARK_MKS = 3;
    cell->PIXEL_GRID_LENGTH = 77;
    // As after a connect: the working configuration has been read.
    auto working = f.NewCell();
    ASSERT_TRUE(f.Connection->ReadConfiguration(*working, 0));
    const std::size_t from = f.LogSize();
    EXPECT_TRUE(c.Gain ? f.Connection->SendGain(*cell) : f.Connection->SendRange(*cell));
    const auto requests = f.Requests(from);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(FirstBytes(requests[0], c.Request.size()), c.Request);
    EXPECT_EQ(f.Time.Pauses, c.Pauses);
    EXPECT_EQ(f.Transfers(conduit::TTransferKind::BulkOut, from).size(), c.BulkOut);
  }
}

TEST(InstrumentExchangeTest, GainAttenuatorTravelsLowByteFirst) {
  TExchangeFixture f("1:4.1.3");
  auto cell = f.NewCell();
  cell->ATTENUATOR1 = 0x1234;
  const std::size_t from = f.LogSize();
  f.Connection->SendGain(*cell);
  EXPECT_EQ(FirstBytes(f.Requests(from).at(0), 5), (Bytes{19, 0x34, 0x12, 0, 0}));
}

TEST(InstrumentExchangeTest, GainOrRangeRefusedByTheInstrumentFailsQuietly) {
  for (const char* profile : {"1:4.1.3,status=19:3", "1:4.1.3,status=20:0"}) {
    SCOPED_TRACE(profile);
    TExchangeFixture f(profile);
    auto cell = f.NewCell();
    const bool gain = std::string(profile).find("19:") != std::string::npos;
    EXPECT_FALSE(gain ? f.Connection->SendGain(*cell) : f.Connection->SendRange(*cell));
    EXPECT_TRUE(f.Feedback.Messages.empty());
    EXPECT_TRUE(f.Connection->State.Connected);
    EXPECT_FALSE(f.Connection->State.Busy);
  }
}

TEST(InstrumentExchangeTest, SetClockSendsTheLocalTimeToDeviceTypeTwoOnly) {
  {
    TExchangeFixture f("2:5.4.4");
    const std::size_t from = f.LogSize();
    ASSERT_TRUE(f.Connection->SetClock());
    EXPECT_EQ(FirstBytes(f.Requests(from).at(0), 1), (Bytes{8}));
    const Bytes block = Joined(f.Transfers(conduit::TTransferKind::BulkOut, from));
    ASSERT_EQ(block.size(), 256u);
    EXPECT_EQ(FirstBytes(block, 6), (Bytes{24, 3, 5, 14, 7, 9}));
    EXPECT_TRUE(std::all_of(block.begin() + 6, block.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{50}));
    EXPECT_EQ(f.Progress.Steps, (std::vector<std::string>{"cursor+", "cursor-"}));
  }
  {
    TExchangeFixture f("1:5.0.1");
    const std::size_t from = f.LogSize();
    EXPECT_FALSE(f.Connection->SetClock());
    EXPECT_EQ(f.LogSize(), from);
  }
}

TEST(InstrumentExchangeTest, EveryExchangeRefusesWhileBusyOrDisconnected) {
  TExchangeFixture f("2:5.4.4");
  auto cell = f.NewCell();
  TDataCell record;
  record.AttachOwned(f.NewCell());
  TUSBConfigsBlock configs;
  configs.Build(100, 5, 4, 4, 2);
  TFlawDataBlock records;
  TInstrumentConnection& c = *f.Connection;
  const std::vector<std::function<bool()>> exchanges = {
      [&] { return c.ReadConfiguration(*cell, 1); },
      [&] { return c.WriteConfiguration(*cell, 1); },
      [&] { return c.SendGain(*cell); },
      [&] { return c.SendRange(*cell); },
      [&] { return static_cast<bool>(c.SetClock()); },
      [&] { return c.ReadRecord(record, 1); },
      [&] { return static_cast<bool>(c.ReadOnlineFrame(record)); },
      [&] { return c.AlignAndReadWorkingConfiguration(configs); },
      [&] { return c.DownloadAllConfigurations(configs); },
      [&] { return c.UploadChangedConfigurations(configs); },
      [&] { return c.DownloadAllRecords(records); },
  };
  configs.ChangedFlags[3] = true;
  for (std::size_t i = 0; i < exchanges.size(); ++i) {
    SCOPED_TRACE("exchange " + std::to_string(i));
    const std::size_t from = f.LogSize();
    c.State.Busy = true;
    EXPECT_FALSE(exchanges[i]());
    EXPECT_TRUE(c.State.Busy);
    c.State.Busy = false;
    c.State.Connected = false;
    EXPECT_FALSE(exchanges[i]());
    c.State.Connected = true;
    EXPECT_EQ(f.LogSize(), from);
  }
  EXPECT_EQ(configs.Count, 100);
  EXPECT_TRUE(configs.ChangedFlags[3]);
  EXPECT_TRUE(f.Feedback.Messages.empty());
}

TEST(InstrumentExchangeTest, ReadRecordTakesTheImageAndFourSignalBlocksWithPauses) {
  TExchangeFixture f("1:5.0.1");
  TDataCell record;
  record.AttachOwned(f.NewCell());
  record.PrintFlag = 1;
  record.ReportMark = 1;
  const std::size_t from = f.LogSize();
  ASSERT_TRUE(f.Connection->ReadRecord(record, 2));
  EXPECT_EQ(FirstBytes(f.Requests(from).at(0), 3), (Bytes{5, 0, 2}));
  EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{10, 10, 10, 10}));
  const Bytes received = Joined(f.Transfers(conduit::TTransferKind::BulkIn, from));
  ASSERT_EQ(received.size(), 2560u);
  const auto samples = [&received](std::size_t block) {
    return Bytes(received.begin() + static_cast<long>(512 * block),
                 received.begin() + static_cast<long>(512 * block + 320));
  };
  EXPECT_EQ(Samples(record.FirstMaximums), samples(1));
  EXPECT_EQ(Samples(record.FirstMinimums), samples(2));
  EXPECT_EQ(Samples(record.SecondMaximums), samples(3));
  EXPECT_EQ(Samples(record.SecondMinimums), samples(4));
  EXPECT_EQ(record.FlawNumber, 2);
  EXPECT_EQ(record.SamplesQuantity, 320);
  EXPECT_EQ(record.PrintFlag, 0);
  EXPECT_EQ(record.ReportMark, 0);
  EXPECT_EQ(record.DeviceIndex, 1);
  EXPECT_EQ(record.MajorVersion, 5);
  EXPECT_EQ(record.MinorVersion, 0);
  EXPECT_EQ(record.ConfigLocalVersion, 1);
  EXPECT_EQ(record.Configuration()->DEVICE_INDEX, 1);
  EXPECT_EQ(record.Configuration()->CONFIGURATION_NO, 2);
  EXPECT_TRUE(record.Configuration()->Validate());
}

TEST(InstrumentExchangeTest, OnlineFrameIsFourSignalBlocksWithoutAnImage) {
  TExchangeFixture f("2:5.4.4");
  auto cell = f.NewCell();
  cell->VELOCITY = 2500;
  TDataCell drawing;
  drawing.Refer(cell.get());
  drawing.FlawNumber = 7;
  const std::size_t from = f.LogSize();
  ASSERT_TRUE(f.Connection->ReadOnlineFrame(drawing) == TExchangeOutcome::Done);
  EXPECT_EQ(FirstBytes(f.Requests(from).at(0), 3), (Bytes{5, 0xFF, 0xFF}));
  EXPECT_EQ(f.Time.Pauses, (std::vector<unsigned>{10}));
  const Bytes received = Joined(f.Transfers(conduit::TTransferKind::BulkIn, from));
  ASSERT_EQ(received.size(), 2048u);
  EXPECT_EQ(Samples(drawing.FirstMaximums), Bytes(received.begin(), received.begin() + 320));
  EXPECT_EQ(Samples(drawing.SecondMinimums),
            Bytes(received.begin() + 1536, received.begin() + 1856));
  EXPECT_EQ(drawing.FlawNumber, 0);
  EXPECT_EQ(cell->VELOCITY, 2500);  // the working configuration stays as written
  EXPECT_EQ(cell->DEVICE_INDEX, 2);
}

// The online tick tells a frame skipped because the connection is in use
// from one lost with the instrument.
TEST(InstrumentExchangeTest, AnOnlineFrameTellsBusyFromAFailedTransfer) {
  struct TCase {
    const char* Profile;
    bool Busy;
    TExchangeOutcome Outcome;
    std::size_t Messages;
  };
  for (const TCase& c : {TCase{"2:5.4.4", true, TExchangeOutcome::NotReady, 0},
                         TCase{"2:5.4.4,unplug-after=3", false, TExchangeOutcome::Failed, 1},
                         TCase{"2:5.4.4", false, TExchangeOutcome::Done, 0}}) {
    SCOPED_TRACE(c.Profile);
    TExchangeFixture f(c.Profile);
    auto cell = f.NewCell();
    TDataCell drawing;
    drawing.Refer(cell.get());
    f.Connection->State.Busy = c.Busy;
    EXPECT_TRUE(f.Connection->ReadOnlineFrame(drawing) == c.Outcome);
    EXPECT_EQ(f.Feedback.Messages.size(), c.Messages);
    EXPECT_EQ(f.Connection->State.Busy, c.Busy);
  }
}

TEST(InstrumentExchangeTest, AlignRebuildsTheCollectionForOtherFirmware) {
  TExchangeFixture f("2:5.4.4");
  TUSBConfigsBlock configs;
  EXPECT_FALSE(f.Connection->AlignAndReadWorkingConfiguration(configs));  // no cells
  configs.Build(100, 3, 18, 2, 1);
  configs.ChangedFlags[4] = true;
  const std::size_t from = f.LogSize();
  ASSERT_TRUE(f.Connection->AlignAndReadWorkingConfiguration(configs));
  EXPECT_EQ(FirstBytes(f.Requests(from).at(0), 3), (Bytes{3, 0, 0}));
  EXPECT_EQ(configs.MajorVersion, 5);
  EXPECT_EQ(configs.MinorVersion, 4);
  EXPECT_EQ(configs.ConfigLocalVersion, 4);
  EXPECT_EQ(configs.DeviceType, 2);
  EXPECT_FALSE(configs.ChangedFlags[4]);
  EXPECT_EQ(ConfigClassName(*configs.Configurations[0]), "T5_01ConfigCell");
}

TEST(InstrumentCommandTest, RequestsSetOnlyTheirOwnBytes) {
  struct TCase {
    TInstrumentCommand Command;
    std::array<std::uint8_t, 8> Expected;
  };
  const TCase cases[] = {
      {WriteConfigurationCommand(5), {1, 0, 5, 9, 9, 9, 9, 9}},
      {ReadConfigurationCommand(0x0102), {3, 1, 2, 9, 9, 9, 9, 9}},
      {ReadRecordCommand(300), {5, 1, 44, 9, 9, 9, 9, 9}},
      {ReadOnlineFrameCommand(), {5, 0xFF, 0xFF, 9, 9, 9, 9, 9}},
      {SetClockCommand(), {8, 9, 9, 9, 9, 9, 9, 9}},
      {IdentifyCommand(), {18, 9, 9, 9, 9, 9, 9, 9}},
      {SendGainCommand(40), {19, 40, 0, 0, 0, 9, 9, 9}},
      {SendRangeCommand(4, 120), {20, 4, 120, 9, 9, 9, 9, 9}},
  };
  for (const TCase& c : cases) {
    std::array<std::uint8_t, 8> buffer;
    buffer.fill(9);
    c.Command.ApplyTo(buffer);
    EXPECT_EQ(buffer, c.Expected) << "command " << static_cast<int>(c.Command.Code);
  }
}

TEST(InstrumentCommandTest, ClockBlockAndProgressRounding) {
  const auto block = ClockBlock({2024, 3, 5, 14, 7, 9});
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 7), (Bytes{24, 3, 5, 14, 7, 9, 0}));
  struct TCase {
    unsigned Part, Whole;
    int Percent;
  };
  for (const TCase& c : {TCase{1, 3, 33}, TCase{2, 3, 67}, TCase{1, 8, 12}, TCase{3, 8, 38},
                         TCase{99, 99, 100}, TCase{50, 99, 51}, TCase{1, 200, 0},
                         TCase{3, 200, 2}, TCase{5, 0, 0}}) {
    EXPECT_EQ(ProgressPercent(c.Part, c.Whole), c.Percent) << c.Part << "/" << c.Whole;
  }
}

}  // namespace
}  // namespace velt
