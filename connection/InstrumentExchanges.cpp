// The single exchanges with the instrument: requests, answers, blocks and
// the pauses the instrument needs between them.
#include <connection/HI_Using_USB_ConnectionsUnit.h>

#include <algorithm>
#include <optional>

#include <config/ConfigObject3_17ver_Unit.h>

namespace velt {
namespace {

constexpr std::uint8_t kErasedSlotMark = 0xFF;
constexpr unsigned kPauseAfterWrite = 1000;
constexpr unsigned kPauseBeforeSignalBlock = 10;
constexpr unsigned kPauseAfterClock = 50;

// Busy for the life of one exchange, cleared on every way out.
class TBusyScope {
 public:
  explicit TBusyScope(TUSBDeviceState& state) : State(state) { State.Busy = true; }
  ~TBusyScope() { State.Busy = false; }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  TUSBDeviceState& State;
};

void CopySamples(const TDeviceImage& block, std::vector<std::uint8_t>& samples) {
  const std::size_t n = std::min<std::size_t>(samples.size(), kRecordArraySize);
  std::copy_n(block.begin(), n, samples.begin());
}

bool NeedsWholeConfiguration(const TUSBDeviceState& state) {
  return state.MajorVersion < 4 || (state.MajorVersion == 4 && state.MinorVersion == 0);
}

// The bare base class cannot read or write the images of its firmware.
bool ReadsImages(const TBaseConfigCell& cell) {
  return dynamic_cast<const T3_17ConfigCell*>(&cell) != nullptr;
}

// Sets a field for the life of the scope and puts the old value back.
class TFieldPatch {
 public:
  TFieldPatch(std::uint16_t& field, std::uint16_t value) : Field(field), Saved(field) {
    Field = value;
  }
  ~TFieldPatch() { Field = Saved; }
  TFieldPatch(const TFieldPatch&) = delete;
  TFieldPatch& operator=(const TFieldPatch&) = delete;

 private:
  std::uint16_t& Field;
  std::uint16_t Saved;
};

constexpr int kErrorInvalidValueCaption = 12;
constexpr int kErrorInvalidValueText = 14;

}  // namespace

bool TInstrumentConnection::BeginExchange() const { return State.Connected && !State.Busy; }

bool TInstrumentConnection::SendRequest(const TInstrumentCommand& command) {
  command.ApplyTo(ServiceBuffer);
  return CheckResult(Link.Entry().SendServiceBuffer(ServiceBuffer.data()));
}

bool TInstrumentConnection::ReadAnswer() {
  return CheckResult(Link.Entry().CheckServiceBuffer(ServiceBuffer.data()));
}

bool TInstrumentConnection::ReceiveBlock(TDeviceImage& block) {
  block.fill(0);
  return CheckResult(Link.Entry().CheckBulkBuffer(block.data(), kBlockLength));
}

// ---- Configurations -------------------------------------------------------

bool TInstrumentConnection::ReceiveConfigurationImage(std::uint16_t n, TDeviceImage& image) {
  if (!BeginExchange()) {
    return false;
  }
  TBusyScope busy(State);
  return SendRequest(ReadConfigurationCommand(n)) && ReceiveBlock(image);
}

void TInstrumentConnection::ApplyConfigurationImage(TBaseConfigCell& cell, std::uint16_t n,
                                                    const TDeviceImage& image) {
  if (image[1] == kErasedSlotMark) {
    cell.CONFIGURATION_NO = n;
    cell.SetDefaults(n);
    return;
  }
  // A bare base cell cannot read the images of the firmware that has one.
  if (ReadsImages(cell)) {
    cell.DecodeImage(image, n);
    // The instrument's own record count, as it said it, before any repair.
    if (n == 0) {
      RecordCount = cell.LAST_MEM_CELL;
    }
    if (!cell.Validate()) {
      cell.SetDefaults(n);
    }
  }
  cell.CONFIGURATION_NO = n;
  cell.UpdateMillimetreGrid();
  cell.UpdateDepthGrid();
}

bool TInstrumentConnection::ReadConfiguration(TBaseConfigCell& cell, std::uint16_t n) {
  TDeviceImage image{};
  if (!ReceiveConfigurationImage(n, image)) {
    return false;
  }
  ApplyConfigurationImage(cell, n, image);
  return true;
}

bool TInstrumentConnection::AlignAndReadWorkingConfiguration(TUSBConfigsBlock& configs) {
  if (configs.Count == 0 || !BeginExchange()) {
    return false;
  }
  if (!OfInstrumentClass(configs)) {
    RebuildForInstrument(configs, kConfigurationSlots);
  }
  TBaseConfigCell* first = configs.Configurations.empty() ? nullptr
                                                          : configs.Configurations[0].get();
  return first != nullptr && ReadConfiguration(*first, 0);
}

std::string TInstrumentConnection::InstrumentConfigClass() const {
  const auto cell = CreateConfigCellForVersion(State.MajorVersion, State.MinorVersion,
                                               State.ConfigLocalVersion, State.DeviceType);
  return cell && ReadsImages(*cell) ? ConfigClassName(*cell) : std::string();
}

TExchangeOutcome TInstrumentConnection::SendConfiguration(TBaseConfigCell& cell,
                                                          std::uint16_t n) {
  if (!BeginExchange()) {
    return TExchangeOutcome::NotReady;
  }
  // Configuration 0 carries the instrument's record count: the program
  // must not be the one to change how many records the instrument reports.
  if (n == 0 && !RecordCount) {
    const auto working = CreateConfigCellForVersion(State.MajorVersion, State.MinorVersion,
                                                    State.ConfigLocalVersion, State.DeviceType);
    if (!working || !ReadsImages(*working) || !ReadConfiguration(*working, 0) ||
        !RecordCount) {
      return State.Connected ? TExchangeOutcome::NotReady : TExchangeOutcome::Failed;
    }
  }
  TBusyCursorScope cursor(*Progress);
  TBusyScope busy(State);
  TDeviceImage image{};
  const TInstrumentCommand command = WriteConfigurationCommand(n);
  {
    std::optional<TFieldPatch> count;
    if (n == 0) {
      count.emplace(cell.LAST_MEM_CELL, *RecordCount);
    }
    cell.EncodeImage(image, cell.CONFIGURATION_NO);
  }
  if (!SendRequest(command) || !ReadAnswer()) {
    return TExchangeOutcome::Failed;
  }
  // Any other answer means the instrument does not take the image.
  if (ServiceBuffer[0] != kStatusAccepted) {
    return TExchangeOutcome::Refused;
  }
  if (!CheckResult(Link.Entry().SendBulkBuffer(image.data(), command.BlockLength))) {
    return TExchangeOutcome::Failed;
  }
  Time->Sleep(kPauseAfterWrite);
  return TExchangeOutcome::Done;
}

bool TInstrumentConnection::WriteConfiguration(TBaseConfigCell& cell, std::uint16_t n) {
  if (!BeginExchange()) {
    return false;
  }
  // Out-of-range values are the user's to mend: sending defaults in their
  // place would replace the whole setup behind the user's back.
  if (!cell.Validate()) {
    Feedback.ShowMessage(Strings.Error(kErrorInvalidValueCaption),
                         Strings.Error(kErrorInvalidValueText), TMessageIcon::Error);
    return false;
  }
  return SendConfiguration(cell, n) == TExchangeOutcome::Done;
}

bool TInstrumentConnection::SendRange(TBaseConfigCell& cell) {
  if (NeedsWholeConfiguration(State)) {
    return WriteConfiguration(cell, 0);
  }
  if (!BeginExchange()) {
    return false;
  }
  TBusyScope busy(State);
  const TInstrumentCommand command = SendRangeCommand(cell.INDEX_MARK_MKS, cell.PIXEL_GRID_LENGTH);
  if (!SendRequest(command)) {
    return false;
  }
  Time->Sleep(command.AnswerDelay);
  return ReadAnswer() && ServiceBuffer[0] == kStatusAccepted;
}

bool TInstrumentConnection::SendGain(TBaseConfigCell& cell) {
  if (NeedsWholeConfiguration(State)) {
    return WriteConfiguration(cell, 0);
  }
  if (!BeginExchange()) {
    return false;
  }
  TBusyScope busy(State);
  const TInstrumentCommand command = SendGainCommand(cell.ATTENUATOR1);
  if (!SendRequest(command)) {
    return false;
  }
  Time->Sleep(command.AnswerDelay);
  return ReadAnswer() && ServiceBuffer[0] == kStatusAccepted;
}

TExchangeResult TInstrumentConnection::SetClock() {
  if (!BeginExchange() || State.DeviceType != 2) {
    return {TExchangeOutcome::NotReady};
  }
  TBusyCursorScope cursor(*Progress);
  const TLocalTime now = Time->LocalTime();
  TBusyScope busy(State);
  if (!SendRequest(SetClockCommand()) || !ReadAnswer()) {
    return {TExchangeOutcome::Failed};
  }
  if (ServiceBuffer[0] != kStatusAccepted) {
    return {TExchangeOutcome::Refused};
  }
  std::array<std::uint8_t, kClockBlockLength + 1> work{};
  const auto block = ClockBlock(now);
  std::copy(block.begin(), block.end(), work.begin());
  if (!CheckResult(Link.Entry().SendBulkBuffer(work.data(), kClockBlockLength))) {
    return {TExchangeOutcome::Failed};
  }
  Time->Sleep(kPauseAfterClock);
  return {TExchangeOutcome::Done};
}

// ---- Records and the live signal --------------------------------------------

bool TInstrumentConnection::ReceiveRecordBlocks(std::uint16_t n, TRecordBlocks& blocks) {
  if (!BeginExchange()) {
    return false;
  }
  TBusyScope busy(State);
  if (!SendRequest(ReadRecordCommand(n)) || !ReceiveBlock(blocks[0])) {
    return false;
  }
  for (std::size_t i = 1; i < blocks.size(); ++i) {
    Time->Sleep(kPauseBeforeSignalBlock);
    if (!ReceiveBlock(blocks[i])) {
      return false;
    }
  }
  return true;
}

void TInstrumentConnection::ApplyRecordBlocks(TDataCell& record, std::uint16_t n,
                                              const TRecordBlocks& blocks) {
  TBaseConfigCell& cell = *record.Configuration();
  cell.DEVICE_INDEX = State.DeviceType;
  cell.DecodeImage(blocks[0], n);
  // Settings that do not validate would mislead every measurement: the
  // record keeps its envelopes with the default settings, and says so.
  record.UnreadableSettings = !cell.Validate();
  if (record.UnreadableSettings) {
    cell.SetDefaults(n);
  }
  record.SamplesQuantity = kRecordArraySize;
  record.FlawNumber = n;
  cell.UpdateMillimetreGrid();
  cell.UpdateDepthGrid();
  CopySamples(blocks[1], record.FirstMaximums);
  CopySamples(blocks[2], record.FirstMinimums);
  CopySamples(blocks[3], record.SecondMaximums);
  CopySamples(blocks[4], record.SecondMinimums);
  record.DeviceIndex = State.DeviceType;
  record.MajorVersion = State.MajorVersion;
  record.MinorVersion = State.MinorVersion;
  record.ConfigLocalVersion = State.ConfigLocalVersion;
  record.PrintFlag = 0;
  record.ReportMark = 0;
  // A received record comes without comments, as one of a newly opened
  // file comes with its own: nothing of the record held before stays.
  record.Comments.clear();
}

bool TInstrumentConnection::ReadRecord(TDataCell& record, std::uint16_t n) {
  if (record.Configuration() == nullptr) {
    return false;
  }
  auto blocks = std::make_unique<TRecordBlocks>();
  if (!ReceiveRecordBlocks(n, *blocks)) {
    return false;
  }
  ApplyRecordBlocks(record, n, *blocks);
  return true;
}

bool TInstrumentConnection::ReadRecordForBatch(TDataCell& record, std::uint16_t n) {
  return State.Connected && ReadRecord(record, n);
}

TExchangeResult TInstrumentConnection::ReadOnlineFrame(TDataCell& record) {
  if (!BeginExchange()) {
    return {TExchangeOutcome::NotReady};
  }
  if (record.Configuration() != nullptr) {
    record.Configuration()->DEVICE_INDEX = State.DeviceType;
  }
  TBusyScope busy(State);
  TDeviceImage block{};
  if (!SendRequest(ReadOnlineFrameCommand())) {
    return {TExchangeOutcome::Failed};
  }
  record.SamplesQuantity = kRecordArraySize;
  record.FlawNumber = 0;
  std::vector<std::uint8_t>* arrays[4] = {&record.FirstMaximums, &record.FirstMinimums,
                                          &record.SecondMaximums, &record.SecondMinimums};
  for (std::size_t i = 0; i < 4; ++i) {
    if (i == 0) {
      Time->Sleep(kPauseBeforeSignalBlock);
    }
    if (!ReceiveBlock(block)) {
      return {TExchangeOutcome::Failed};
    }
    CopySamples(block, *arrays[i]);
  }
  return {TExchangeOutcome::Done};
}

}  // namespace velt
