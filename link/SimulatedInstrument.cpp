#include "SimulatedInstrument.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "SimulatedMemoryFolder.h"

namespace conduit {
namespace {

constexpr std::size_t kServiceSize = 8;
constexpr std::size_t kChunk = 256;
constexpr std::uint8_t kReady = 0xFE;

// The instrument's commands (byte 0 of a service request).
constexpr std::uint8_t kWriteConfiguration = 1;
constexpr std::uint8_t kReadConfiguration = 3;
constexpr std::uint8_t kReadRecord = 5;
constexpr std::uint8_t kSetClock = 8;
constexpr std::uint8_t kIdentify = 18;
constexpr std::uint8_t kSendGain = 19;
constexpr std::uint8_t kSendRange = 20;

constexpr std::uint16_t kOnlineFrame = 0xFFFF;
// What the instrument answers to a configuration write beyond its last slot.
constexpr std::uint8_t kNoSuchSlot = 3;
constexpr double kTimePerDivision[7] = {1, 2, 5, 10, 25, 50, 100};

}  // namespace

TSimulatedInstrument::TSimulatedInstrument(TSimulatorIdentity identity, TSimulatorFaults faults)
    : TSimulatedInstrument(BuildDemoMemory(identity), std::move(faults)) {}

TSimulatedInstrument::TSimulatedInstrument(TSimulatedMemory memory, TSimulatorFaults faults)
    : Memory(std::move(memory)),
      ImageLayout(SimulatedLayoutFor(Memory.Identity)),
      Faults(std::move(faults)) {
  FollowWorkingConfiguration();
}

bool TSimulatedInstrument::Silent() const {
  return Faults.SilentAfterTransfers != 0 && Transfers > Faults.SilentAfterTransfers;
}

void TSimulatedInstrument::WaitForTimeOut() const {
  std::this_thread::sleep_for(std::chrono::milliseconds(Faults.ReadTimeoutMs));
}

bool TSimulatedInstrument::SaveMemoryFolder(const std::string& folder, std::string& error) const {
  return conduit::SaveMemoryFolder(Memory, folder, error);
}

void TSimulatedInstrument::Save(int slot) {
  if (SaveFolder.empty()) {
    return;
  }
  std::string error;
  bool ok = false;
  if (!SavedOnce) {
    ok = conduit::SaveMemoryFolder(Memory, SaveFolder, error);
  } else if (slot < 0) {
    ok = SaveMemoryClock(Memory, SaveFolder, error);
  } else {
    ok = SaveMemorySlot(Memory, static_cast<std::size_t>(slot), SaveFolder, error);
  }
  SavedOnce = SavedOnce || ok;
  if (!ok && OnProblem) {
    OnProblem("cannot save the memory: " + error);
  }
}

// The live frames follow the gain, the time scale and the signal type of
// configuration 0; without one they show the reference setup.
void TSimulatedInstrument::FollowWorkingConfiguration() {
  if (Memory.Slots[0]) {
    Working = ReadSimulatedImageFields(ImageLayout, *Memory.Slots[0]);
  } else {
    Working = {kSimulatedReferenceAttenuator, 2, 25, 0, 0};
  }
}

void TSimulatedInstrument::WriteConfiguration(std::uint16_t n) {
  const auto fault = Faults.AnswerStatus.find(kWriteConfiguration);
  std::uint8_t status = n < kSimulatedSlots ? kAccepted : kNoSuchSlot;
  if (fault != Faults.AnswerStatus.end()) {
    status = fault->second;
  }
  QueueServiceAnswer(status);
  if (status != kAccepted) {
    return;  // the host sends no image
  }
  ExpectBulk(kSimulatedImageSize, [this, n](std::vector<std::uint8_t> block) {
    if (n >= kSimulatedSlots) {
      return;  // taken, and dropped: there is no such slot
    }
    TSimulatedImage image{};
    std::copy_n(block.begin(), image.size(), image.begin());
    Memory.Slots[n] = image;
    if (n == 0) {
      FollowWorkingConfiguration();
    }
    Save(n);
  });
}

void TSimulatedInstrument::ReadConfiguration(std::uint16_t n) {
  const TSimulatedImage image = Memory.SlotBlock(n);
  QueueBulk(std::vector<std::uint8_t>(image.begin(), image.end()));
}

// Record k sends its five blocks; 0xFFFF a live frame of four. Any other
// number (0, or beyond the last record) sends five blocks of zeros: the
// host then holds a record whose configuration does not validate.
void TSimulatedInstrument::ReadRecord(std::uint16_t n) {
  if (n == kOnlineFrame) {
    QueueLiveFrame();
  } else if (n >= 1 && n <= Memory.Records.size()) {
    const TSimulatedRecord& record = Memory.Records[n - 1u];
    QueueBulk(std::vector<std::uint8_t>(record.begin(), record.end()));
  } else {
    QueueBulk(std::vector<std::uint8_t>(kSimulatedRecordSize, 0));
  }
}

void TSimulatedInstrument::SetClock() {
  QueueStatusAnswer(kSetClock);
  if (ServiceAnswers.back()[0] != kAccepted) {
    return;
  }
  ExpectBulk(kSimulatedClockSize, [this](std::vector<std::uint8_t> block) {
    TSimulatedClock clock{};
    std::copy_n(block.begin(), clock.size(), clock.begin());
    Memory.Clock = clock;
    Save(-1);
  });
}

// The gain and the time scale change the working configuration as the
// instrument's own keys would; values it cannot show are brought into its
// ranges (ATTENUATOR1 0..90, INDEX_MARK_MKS 0..6, PIXEL_GRID_LENGTH 1..90).
void TSimulatedInstrument::SetGain(std::uint16_t attenuator) {
  QueueStatusAnswer(kSendGain);
  if (ServiceAnswers.back()[0] != kAccepted) {
    return;
  }
  Working.Attenuator = std::min<std::uint16_t>(attenuator, 90);
  if (Memory.Slots[0]) {
    SetSimulatedImageGain(ImageLayout, *Memory.Slots[0], Working.Attenuator);
    Save(0);
  }
}

void TSimulatedInstrument::SetRange(std::uint8_t indexMarkMks, std::uint8_t pixelGridLength) {
  QueueStatusAnswer(kSendRange);
  if (ServiceAnswers.back()[0] != kAccepted) {
    return;
  }
  Working.IndexMarkMks = std::min<std::uint8_t>(indexMarkMks, 6);
  Working.PixelGridLength = std::clamp<std::uint8_t>(pixelGridLength, 1, 90);
  if (Memory.Slots[0]) {
    SetSimulatedImageRange(ImageLayout, *Memory.Slots[0], Working.IndexMarkMks,
                           Working.PixelGridLength);
    Save(0);
  }
}

void TSimulatedInstrument::QueueLiveFrame() {
  TSimulatedView view;
  view.TimePerDivision = kTimePerDivision[std::min<int>(Working.IndexMarkMks, 6)];
  view.PixelGridLength = std::max<int>(Working.PixelGridLength, 1);
  view.GainDb = static_cast<double>(Working.Attenuator) - kSimulatedReferenceAttenuator;
  view.RadioFrequency = Working.SignalType == 3;
  view.Ceiling = 255;
  ++Frames;
  const TSimulatedSignals frame =
      RenderSimulatedSignals(SimulatedTestBlockScene(), view, 0xF4A3'E000ull + Frames);
  for (const TSimulatedSignalBlock& block : frame) {
    QueueBulk(std::vector<std::uint8_t>(block.begin(), block.end()));
  }
}

void TSimulatedInstrument::AnswerCommand(const std::uint8_t* request) {
  const std::uint8_t code = request[0];
  // Numbers of two bytes come high byte first, the gain low byte first.
  const auto number = static_cast<std::uint16_t>(request[1] << 8 | request[2]);
  switch (code) {
    case kWriteConfiguration:
      WriteConfiguration(number);
      break;
    case kReadConfiguration:
      BulkOutgoing.clear();  // a new request replaces what the host left unread
      ReadConfiguration(number);
      break;
    case kReadRecord:
      BulkOutgoing.clear();
      ReadRecord(number);
      break;
    case kSetClock:
      SetClock();
      break;
    case kIdentify: {
      const auto fault = Faults.AnswerStatus.find(code);
      QueueServiceAnswer(fault == Faults.AnswerStatus.end() ? kAccepted : fault->second,
                         Memory.Identity.MajorVersion, Memory.Identity.MinorVersion,
                         Memory.Identity.ConfigLocalVersion);
      break;
    }
    case kSendGain:
      SetGain(static_cast<std::uint16_t>(request[1] | request[2] << 8));
      break;
    case kSendRange:
      SetRange(request[1], request[2]);
      break;
    default:
      // Any other command goes unanswered, as on an instrument that does
      // not know it: the host's next read finds nothing.
      break;
  }
}

void TSimulatedInstrument::SetCommandHandler(std::uint8_t code, TCommandHandler handler) {
  Handlers[code] = std::move(handler);
}

void TSimulatedInstrument::Replug() {
  Unplugged = false;
  ReturnAt.reset();
  // A device plugged in again starts afresh: nothing of the last exchange
  // is waiting for the host.
  ServiceAnswers.clear();
  BulkOutgoing.clear();
  ExpectedBulk = 0;
  IncomingBulk.clear();
  BulkReceived = nullptr;
}

void TSimulatedInstrument::StayAwayForAWhile() {
  Unplugged = true;
  if (Faults.ReplugAfterMs != 0) {
    ReturnAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(Faults.ReplugAfterMs);
  }
}

bool TSimulatedInstrument::ReturnDue() const {
  return ReturnAt && std::chrono::steady_clock::now() >= *ReturnAt;
}

void TSimulatedInstrument::HostClosed() {
  if (Faults.ReplugAfterMs != 0 && !Unplugged) {
    StayAwayForAWhile();
  }
}

bool TSimulatedInstrument::CountTransfer() {
  if (Unplugged && ReturnDue()) {
    Replug();
  }
  ++Transfers;
  // The fault pulls the cable once; an instrument plugged in again stays.
  if (Faults.UnplugAfterTransfers != 0 && !UnplugFaultDone &&
      Transfers > Faults.UnplugAfterTransfers) {
    UnplugFaultDone = true;
    StayAwayForAWhile();
  }
  return !Unplugged;
}

void TSimulatedInstrument::Record(TTransferKind kind, const std::uint8_t* data, std::size_t n,
                                  bool ok) {
  TTransferRecord record{kind, std::vector<std::uint8_t>(data, data + n), ok};
  TransferLog.push_back(record);
  if (OnTransfer) {
    OnTransfer(TransferLog.back());
  }
}

void TSimulatedInstrument::QueueServiceAnswer(std::uint8_t status, std::uint8_t b1,
                                              std::uint8_t b2, std::uint8_t b3) {
  ServiceAnswers.push_back({status, b1, b2, b3, 0, 0, 0, 0});
}

void TSimulatedInstrument::QueueStatusAnswer(std::uint8_t command) {
  const auto fault = Faults.AnswerStatus.find(command);
  QueueServiceAnswer(fault == Faults.AnswerStatus.end() ? kAccepted : fault->second);
}

void TSimulatedInstrument::QueueBulk(const std::vector<std::uint8_t>& block) {
  BulkOutgoing.insert(BulkOutgoing.end(), block.begin(), block.end());
}

void TSimulatedInstrument::QueueReadyMark() {
  ++ReadyMarksSent;
  const bool missing = Faults.MissingReadyMark != 0 && ReadyMarksSent == Faults.MissingReadyMark;
  QueueServiceAnswer(missing ? 0x00 : kReady);
}

void TSimulatedInstrument::ExpectBulk(std::size_t length,
                                      std::function<void(std::vector<std::uint8_t>)> received) {
  ExpectedBulk = length;
  IncomingBulk.clear();
  BulkReceived = std::move(received);
  if (length > 0) {
    QueueReadyMark();
  }
}

void TSimulatedInstrument::HandleRequest(const std::uint8_t* request) {
  const std::uint8_t code = request[0];
  const auto handler = Handlers.find(code);
  if (handler != Handlers.end()) {
    handler->second(*this, request);
    return;
  }
  AnswerCommand(request);
}

bool TSimulatedInstrument::HostWritesService(const std::uint8_t* data, std::size_t n,
                                             std::size_t& done) {
  done = 0;
  if (!CountTransfer()) {
    Record(TTransferKind::ServiceOut, data, n, false);
    return false;
  }
  done = n;
  Record(TTransferKind::ServiceOut, data, n, true);
  if (n >= kServiceSize && !Silent()) {
    HandleRequest(data);
  }
  return true;
}

bool TSimulatedInstrument::HostReadsService(std::uint8_t* data, std::size_t n,
                                            std::size_t& done) {
  done = 0;
  const bool present = CountTransfer();
  if (present && Silent()) {
    WaitForTimeOut();
  }
  if (!present || Silent() || ServiceAnswers.empty()) {
    Record(TTransferKind::ServiceIn, data, 0, false);
    return false;
  }
  const std::vector<std::uint8_t> answer = ServiceAnswers.front();
  ServiceAnswers.pop_front();
  done = std::min(n, answer.size());
  std::copy_n(answer.begin(), done, data);
  Record(TTransferKind::ServiceIn, data, done, true);
  return true;
}

bool TSimulatedInstrument::HostWritesBulk(const std::uint8_t* data, std::size_t n,
                                          std::size_t& done) {
  done = 0;
  if (!CountTransfer()) {
    Record(TTransferKind::BulkOut, data, n, false);
    return false;
  }
  done = n;
  Record(TTransferKind::BulkOut, data, n, true);
  if (ExpectedBulk == 0 || Silent()) {
    return true;  // nothing asked for it; the instrument drops it
  }
  const std::size_t take = std::min(n, ExpectedBulk - IncomingBulk.size());
  IncomingBulk.insert(IncomingBulk.end(), data, data + take);
  if (IncomingBulk.size() >= ExpectedBulk) {
    ExpectedBulk = 0;
    auto received = std::move(BulkReceived);
    BulkReceived = nullptr;
    if (received) {
      received(std::move(IncomingBulk));
    }
    IncomingBulk.clear();
  } else if (IncomingBulk.size() % kChunk == 0) {
    QueueReadyMark();
  }
  return true;
}

bool TSimulatedInstrument::HostReadsBulk(std::uint8_t* data, std::size_t n, std::size_t& done) {
  done = 0;
  if (!CountTransfer()) {
    Record(TTransferKind::BulkIn, data, 0, false);
    return false;
  }
  if (Silent()) {
    WaitForTimeOut();
    Record(TTransferKind::BulkIn, data, 0, false);
    return false;
  }
  ++BulkReads;
  std::size_t limit = n;
  if (Faults.EmptyBulkRead != 0 && BulkReads == Faults.EmptyBulkRead) {
    limit = 0;
  } else if (Faults.ShortBulkRead != 0 && BulkReads == Faults.ShortBulkRead) {
    limit = std::min(limit, Faults.ShortReadBytes);
  }
  done = std::min(limit, BulkOutgoing.size());
  std::copy_n(BulkOutgoing.begin(), done, data);
  BulkOutgoing.erase(BulkOutgoing.begin(), BulkOutgoing.begin() + static_cast<long>(done));
  const bool ok = done > 0;
  Record(TTransferKind::BulkIn, data, done, ok);
  return ok;
}

}  // namespace conduit
