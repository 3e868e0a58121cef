// The single exchanges with the instrument: requests, answers, blocks and
// the pauses the instrument needs between them.
#include <connection/HI_Using_USB_ConnectionsUnit.h>

#include <algorithm>

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

}  // namespace

bool TInstrumentConnection::BeginExchange() { return State.Connected && !State.Busy; }

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
  if (dynamic_cast<T3_17ConfigCell*>(&cell) != nullptr) {
    cell.DecodeImage(image, n);
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

bool TInstrumentConnection::WriteConfiguration(TBaseConfigCell& cell, std::uint16_t n) {
  if (!BeginExchange()) {
    return false;
  }
  if (!cell.Validate()) {
    cell.SetDefaults(n);
  }
  TBusyCursorScope cursor(*Progress);
  TBusyScope busy(State);
  TDeviceImage image{};
  const TInstrumentCommand command = WriteConfigurationCommand(n);
  cell.EncodeImage(image, cell.CONFIGURATION_NO);
  if (!SendRequest(command) || !ReadAnswer()) {
    return false;
  }
  // Any other answer means the instrument does not take the image; the
  // write still counts as done.
  if (ServiceBuffer[0] == kStatusAccepted &&
      !CheckResult(Link.Entry().SendBulkBuffer(image.data(), command.BlockLength))) {
    return false;
  }
  Time->Sleep(kPauseAfterWrite);
  return true;
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

bool TInstrumentConnection::SetClock() {
  if (!BeginExchange() || State.DeviceType != 2) {
    return false;
  }
  TBusyCursorScope cursor(*Progress);
  const TLocalTime now = Time->LocalTime();
  TBusyScope busy(State);
  if (!SendRequest(SetClockCommand()) || !ReadAnswer()) {
    return false;
  }
  std::array<std::uint8_t, kClockBlockLength + 1> work{};
  const auto block = ClockBlock(now);
  std::copy(block.begin(), block.end(), work.begin());
  if (ServiceBuffer[0] == kStatusAccepted &&
      !CheckResult(Link.Entry().SendBulkBuffer(work.data(), kClockBlockLength))) {
    return false;
  }
  Time->Sleep(kPauseAfterClock);
  return true;
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
  if (!cell.Validate()) {
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
  bool ok = State.Connected && ReadRecord(record, n);
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return false;
  }
  if (!cell->Validate()) {
    record.ClearContents();
    cell->SetDefaults(n);
    ok = false;
  }
  return ok;
}

bool TInstrumentConnection::ReadOnlineFrame(TDataCell& record) {
  if (!BeginExchange()) {
    return false;
  }
  if (record.Configuration() != nullptr) {
    record.Configuration()->DEVICE_INDEX = State.DeviceType;
  }
  TBusyScope busy(State);
  TDeviceImage block{};
  if (!SendRequest(ReadOnlineFrameCommand())) {
    return false;
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
      return false;
    }
    CopySamples(block, *arrays[i]);
  }
  return true;
}

}  // namespace velt
