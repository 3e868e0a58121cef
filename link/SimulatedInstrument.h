// The simulated instrument at the pipe level: it takes 8-byte service
// requests and bulk chunks, answers with service messages (ready marks
// before every chunk it expects) and bulk blocks, and keeps a log of every
// transfer. It answers the instrument's commands from its memory (100
// configuration slots, stored records, the clock) and sends live frames
// that follow its working configuration. Faults can be injected for tests.
// All of its state lives here.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "SimulatedMemory.h"
#include "SimulatorIdentity.h"

namespace conduit {

// Faults a test can ask for. Counts are 1-based; 0 means "never".
struct TSimulatorFaults {
  // The instrument disappears after this many pipe transfers: it is no
  // longer enumerated and every later transfer fails.
  unsigned UnplugAfterTransfers = 0;
  // When the host has closed the instrument (all its pipes), or it vanished
  // after UnplugAfterTransfers, it stays away this long and then comes back
  // with nothing left queued, as if plugged in again; 0: it never does.
  unsigned ReplugAfterMs = 0;
  // The k-th ready mark the instrument would send goes out as 0x00.
  unsigned MissingReadyMark = 0;
  // The k-th bulk-in read returns at most ShortReadBytes bytes.
  unsigned ShortBulkRead = 0;
  std::size_t ShortReadBytes = 0;
  // The k-th bulk-in read returns no bytes at all.
  unsigned EmptyBulkRead = 0;
  // Command code -> status byte to answer instead of "accepted".
  std::map<std::uint8_t, std::uint8_t> AnswerStatus;
  // The instrument stops answering after this many pipe transfers: it is
  // still enumerated and its pipes open, writes go nowhere, and every read
  // waits ReadTimeoutMs and then fails.
  unsigned SilentAfterTransfers = 0;
  // How long a read from an instrument that does not answer waits before it
  // fails, as the real platform waits for its transfer time-out.
  unsigned ReadTimeoutMs = 5000;
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

  // An instrument with the demo memory of its identity.
  TSimulatedInstrument(TSimulatorIdentity identity, TSimulatorFaults faults);
  // An instrument with the given memory (for example one loaded from a folder).
  TSimulatedInstrument(TSimulatedMemory memory, TSimulatorFaults faults);

  const TSimulatorIdentity& GetIdentity() const { return Memory.Identity; }
  // The memory as the host left it: slots written with command 1, the clock
  // block of command 8, the gain and range of commands 19 and 20 in slot 0.
  const TSimulatedMemory& GetMemory() const { return Memory; }
  // The layout the instrument stores its configurations in.
  TSimulatedLayout Layout() const { return ImageLayout; }

  // After every accepted configuration write, clock set, gain or range the
  // memory is written to this folder (SimulatedMemoryFolder.h); empty: never.
  void SetSaveFolder(std::string folder) { SaveFolder = std::move(folder); }
  bool SaveMemoryFolder(const std::string& folder, std::string& error) const;
  // Told of what the instrument cannot do (a save that failed).
  std::function<void(const std::string&)> OnProblem;

  // Whether the instrument has stopped answering (silent-after).
  bool Silent() const;
  bool Present() const { return !Unplugged || ReturnDue(); }
  void Unplug() { Unplugged = true; }
  // Plugged in again (tests of arrival); the transfer count goes on.
  void Replug();
  // The host has closed its last pipe: with ReplugAfterMs the instrument
  // goes away for that long.
  void HostClosed();

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

  // Command handlers: a handler set here answers its command instead of the
  // instrument's own (1, 3, 5, 8, 18, 19, 20), so a test can make one misbehave.
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
  void StayAwayForAWhile();
  bool ReturnDue() const;
  void WaitForTimeOut() const;
  void AnswerCommand(const std::uint8_t* request);
  void WriteConfiguration(std::uint16_t n);
  void ReadConfiguration(std::uint16_t n);
  void ReadRecord(std::uint16_t n);
  void SetClock();
  void SetGain(std::uint16_t attenuator);
  void SetRange(std::uint8_t indexMarkMks, std::uint8_t pixelGridLength);
  void QueueLiveFrame();
  void FollowWorkingConfiguration();
  void Save(int slot);  // a slot number, or -1 for the clock
  void Record(TTransferKind kind, const std::uint8_t* data, std::size_t n, bool ok);
  void QueueReadyMark();
  void HandleRequest(const std::uint8_t* request);

  TSimulatedMemory Memory;
  TSimulatedLayout ImageLayout;
  TSimulatorFaults Faults;
  std::string SaveFolder;
  bool SavedOnce = false;

  // The working configuration as the live frames see it.
  TSimulatedImageFields Working{};
  std::uint64_t Frames = 0;
  bool Unplugged = false;
  bool UnplugFaultDone = false;
  // When an instrument that went away with ReplugAfterMs is back.
  std::optional<std::chrono::steady_clock::time_point> ReturnAt;
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
