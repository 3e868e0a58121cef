// The simulated instrument at the pipe level: it takes 8-byte service
// requests and bulk chunks, answers with service messages (ready marks
// before every chunk it expects) and bulk blocks, and keeps a log of every
// transfer. Faults can be injected for tests. All of its state lives here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace conduit {

struct TSimulatorIdentity {
  std::uint8_t DeviceType = 1;  // 1..6
  std::uint8_t MajorVersion = 3;
  std::uint8_t MinorVersion = 26;
  std::uint8_t ConfigLocalVersion = 0;
};

// Faults a test can ask for. Counts are 1-based; 0 means "never".
struct TSimulatorFaults {
  // The instrument disappears after this many pipe transfers: it is no
  // longer enumerated and every later transfer fails.
  unsigned UnplugAfterTransfers = 0;
  // The k-th ready mark the instrument would send goes out as 0x00.
  unsigned MissingReadyMark = 0;
  // The k-th bulk-in read returns at most ShortReadBytes bytes.
  unsigned ShortBulkRead = 0;
  std::size_t ShortReadBytes = 0;
  // The k-th bulk-in read returns no bytes at all.
  unsigned EmptyBulkRead = 0;
  // Command code -> status byte to answer instead of "accepted".
  std::map<std::uint8_t, std::uint8_t> AnswerStatus;
};

enum class TTransferKind : std::uint8_t { ServiceOut, ServiceIn, BulkOut, BulkIn };

struct TTransferRecord {
  TTransferKind Kind;
  std::vector<std::uint8_t> Bytes;  // what moved (for a read: what the host got)
  bool Ok;
};

class TSimulatedInstrument {
 public:
  static constexpr std::uint8_t kAccepted = 2;

  TSimulatedInstrument(TSimulatorIdentity identity, TSimulatorFaults faults)
      : Identity(identity), Faults(std::move(faults)) {}

  const TSimulatorIdentity& GetIdentity() const { return Identity; }
  bool Present() const { return !Unplugged; }
  void Unplug() { Unplugged = true; }

  // The four pipes, seen from the host. `done` is the number of bytes moved.
  bool HostWritesService(const std::uint8_t* data, std::size_t n, std::size_t& done);
  bool HostReadsService(std::uint8_t* data, std::size_t n, std::size_t& done);
  bool HostWritesBulk(const std::uint8_t* data, std::size_t n, std::size_t& done);
  bool HostReadsBulk(std::uint8_t* data, std::size_t n, std::size_t& done);

  const std::vector<TTransferRecord>& Log() const { return TransferLog; }
  // Called with every transfer as it is logged (the library uses it to
  // mirror the log into a file that end-to-end tests read).
  std::function<void(const TTransferRecord&)> OnTransfer;

  // What the instrument still has queued for the host.
  std::size_t PendingServiceAnswers() const { return ServiceAnswers.size(); }
  std::size_t PendingBulkBytes() const { return BulkOutgoing.size(); }

  // Command handlers: a later command set adds its own here.
  using TCommandHandler = std::function<void(TSimulatedInstrument&, const std::uint8_t* request)>;
  void SetCommandHandler(std::uint8_t code, TCommandHandler handler);

  // Building blocks for command handlers.
  void QueueServiceAnswer(std::uint8_t status, std::uint8_t b1 = 0, std::uint8_t b2 = 0,
                          std::uint8_t b3 = 0);
  void QueueStatusAnswer(std::uint8_t command);  // "accepted", unless a fault says otherwise
  void QueueBulk(const std::vector<std::uint8_t>& block);
  // Expect a bulk block of `length` bytes from the host: a ready mark goes
  // out before each 256-byte chunk; `received` gets the whole block.
  void ExpectBulk(std::size_t length, std::function<void(std::vector<std::uint8_t>)> received);

 private:
  bool CountTransfer();
  void Record(TTransferKind kind, const std::uint8_t* data, std::size_t n, bool ok);
  void QueueReadyMark();
  void HandleRequest(const std::uint8_t* request);

  TSimulatorIdentity Identity;
  TSimulatorFaults Faults;
  bool Unplugged = false;
  unsigned Transfers = 0;
  unsigned ReadyMarksSent = 0;
  unsigned BulkReads = 0;

  std::deque<std::vector<std::uint8_t>> ServiceAnswers;
  std::deque<std::uint8_t> BulkOutgoing;

  std::size_t ExpectedBulk = 0;
  std::vector<std::uint8_t> IncomingBulk;
  std::function<void(std::vector<std::uint8_t>)> BulkReceived;

  std::map<std::uint8_t, TCommandHandler> Handlers;
  std::vector<TTransferRecord> TransferLog;
};

}  // namespace conduit
