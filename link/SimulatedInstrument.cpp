#include "SimulatedInstrument.h"

#include <algorithm>

namespace conduit {
namespace {

constexpr std::size_t kServiceSize = 8;
constexpr std::size_t kChunk = 256;
constexpr std::uint8_t kReady = 0xFE;
constexpr std::uint8_t kIdentify = 18;

}  // namespace

void TSimulatedInstrument::SetCommandHandler(std::uint8_t code, TCommandHandler handler) {
  Handlers[code] = std::move(handler);
}

bool TSimulatedInstrument::CountTransfer() {
  ++Transfers;
  if (Faults.UnplugAfterTransfers != 0 && Transfers > Faults.UnplugAfterTransfers) {
    Unplugged = true;
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
  if (code == kIdentify) {
    const auto fault = Faults.AnswerStatus.find(code);
    QueueServiceAnswer(fault == Faults.AnswerStatus.end() ? kAccepted : fault->second,
                       Identity.MajorVersion, Identity.MinorVersion, Identity.ConfigLocalVersion);
  }
  // Any other command goes unanswered, as on an instrument that does not
  // know it: the host's next read finds nothing.
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
  if (n >= kServiceSize) {
    HandleRequest(data);
  }
  return true;
}

bool TSimulatedInstrument::HostReadsService(std::uint8_t* data, std::size_t n,
                                            std::size_t& done) {
  done = 0;
  if (!CountTransfer() || ServiceAnswers.empty()) {
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
  if (ExpectedBulk == 0) {
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
