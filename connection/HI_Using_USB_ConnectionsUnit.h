// The connection to the instrument: the one connection state of the
// program, the shared 8-byte service buffer, connect, identify, close, the
// check every link call's result passes through, the state text, and every
// exchange with the instrument, single and batch.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <connection/ConduitBinding.h>
#include <connection/InstrumentCommands.h>
#include <ports/Progress.h>
#include <ports/TimeSource.h>
#include <ports/UserFeedback.h>
#include <records/RecordCollectionsUnit.h>
#include <strings/LocalStringsUnit.h>

namespace velt {

struct TUSBDeviceState {
  bool Connected = false;
  bool Busy = false;
  std::uint8_t DeviceType = 0;
  std::string StateText;  // Windows-1251
  std::uint8_t MajorVersion = 0;
  std::uint8_t MinorVersion = 0;
  std::uint8_t ConfigLocalVersion = 0;
  // The last connect found an instrument that did not answer its
  // identification (so it was closed again).
  bool Unidentified = false;
};

// The status bar's device panel: caption string 46 and the state text, and
// the firmware version "major.minor" while connected.
std::string DevicePanelText(const TUSBDeviceState& state, const TLocalStrings& strings);

// The instrument keeps this many setups; the setup list has as many slots.
inline constexpr std::uint16_t kConfigurationSlots = 100;

// How one exchange ended. Only Done means the instrument took or gave
// what was asked; the callers tell the other three apart because they call
// for different reactions (skip quietly, say the instrument refused, or
// treat the link as lost).
enum class TExchangeOutcome : std::uint8_t {
  Done,
  NotReady,  // not connected, or another exchange runs: nothing was sent
  Refused,   // the instrument answered a status other than ready: nothing followed
  Failed,    // a link call failed: reported by the result check, state closed
};

struct TExchangeResult {
  TExchangeOutcome Outcome = TExchangeOutcome::NotReady;
  explicit operator bool() const { return Outcome == TExchangeOutcome::Done; }
  bool operator==(TExchangeOutcome outcome) const { return Outcome == outcome; }
};

// Why a batch transfer did not run or stopped before its end.
enum class TBatchStop : std::uint8_t {
  None,
  NotReady,             // not connected, or another exchange runs
  NoCells,              // nothing to send
  UnsupportedFirmware,  // no configuration class reads this firmware's images
  OtherFirmware,        // the cells are of another class than the instrument's
  NotReadFromSource,    // the cells were neither read from an instrument nor loaded
  OtherLocalVersion,    // the cells are for another configuration local version
  InstrumentRefused,    // the instrument answered a status other than ready
  TransferFailed,       // a link call failed (already reported)
};

// What a batch transfer did, for the caller's message.
struct TBatchReport {
  TBatchStop Stop = TBatchStop::None;
  std::string InstrumentClass;  // the class the instrument's firmware uses
  std::string CellClass;        // the class of the cells offered for upload
  // Upload: the slots written, and the changed slots that were not (they
  // keep their mark), in slot order; among the latter those whose values
  // are out of range and were therefore not offered to the instrument.
  std::vector<std::uint16_t> Written;
  std::vector<std::uint16_t> NotWritten;
  std::vector<std::uint16_t> Invalid;
  // Record download: the numbers of the records whose settings did not
  // read back as valid (kept, with the default settings, and marked).
  std::vector<std::uint16_t> UnreadableSettings;
};

class TInstrumentConnection {
 public:
  static constexpr std::uint8_t kIdentifyCommand = 18;

  TInstrumentConnection(TConduitBinding& link, const TLocalStrings& strings,
                        IUserFeedback& feedback)
      : Link(link), Strings(strings), Feedback(feedback) {}
  TInstrumentConnection(TConduitBinding& link, const TLocalStrings& strings,
                        IUserFeedback& feedback, IProgressFeedback& progress, ITimeSource& time)
      : Link(link), Strings(strings), Feedback(feedback), Progress(&progress), Time(&time) {}
  TInstrumentConnection(const TInstrumentConnection&) = delete;
  TInstrumentConnection& operator=(const TInstrumentConnection&) = delete;

  // Loads the link library when needed, opens the instrument and identifies
  // it; a missing library is reported and leaves the state closed.
  void Connect();
  void Close();
  // Asks the instrument for its firmware versions; false when not connected
  // or an exchange is running.
  bool Identify();
  // 1, 5, 7 and 8 are success; anything else is reported and ends the
  // connection state without closing the pipes.
  bool CheckResult(std::uint8_t result);
  void UpdateStateText();
  // Whether an instrument interface is present (false while unbound).
  bool InstrumentPresent();

  // ---- Single exchanges -------------------------------------------------
  // Each runs only while connected and no other exchange runs, and returns
  // false without touching anything otherwise. A failed link call has been
  // reported by the result check by the time one returns false.

  // Configuration N into the cell; an erased slot leaves the cell at its
  // defaults with CONFIGURATION # = N.
  bool ReadConfiguration(TBaseConfigCell& cell, std::uint16_t n);
  // After a reconnect: rebuilds the collection when the instrument's
  // versions differ from the collection's, then reads configuration 0.
  bool AlignAndReadWorkingConfiguration(TUSBConfigsBlock& configs);
  // Sends the cell as configuration N. A cell whose values are out of
  // range is not sent and not touched: the invalid-value message is shown
  // and the result is false. So is an instrument that does not take the
  // image. As configuration 0 the image carries the instrument's own record
  // count, never the cell's (the cell itself stays as it is).
  bool WriteConfiguration(TBaseConfigCell& cell, std::uint16_t n);
  // Firmware before 4.1 takes range and gain only as a whole working
  // configuration.
  bool SendRange(TBaseConfigCell& cell);
  bool SendGain(TBaseConfigCell& cell);
  // Sets the instrument's clock to the local time (device type 2 only);
  // Refused when the instrument does not take the clock block.
  TExchangeResult SetClock();
  // A record whose settings do not validate keeps its envelopes, takes
  // the default settings and is marked (TDataCell::UnreadableSettings).
  bool ReadRecord(TDataCell& record, std::uint16_t n);
  bool ReadRecordForBatch(TDataCell& record, std::uint16_t n);
  // The live signal into the drawing record's four envelopes. NotReady
  // (busy or not connected) asks nothing of the instrument.
  TExchangeResult ReadOnlineFrame(TDataCell& record);

  // The number of stored records configuration 0 gave when last read
  // (unset before the first read after a connect).
  std::optional<std::uint16_t> InstrumentRecordCount() const { return RecordCount; }
  // The configuration class the connected firmware uses, empty when no
  // class can read its images (then no setup or record is transferred).
  std::string InstrumentConfigClass() const;

  // ---- Batch operations, with the progress window -----------------------
  // The downloads change the collection only when every transfer has
  // succeeded: a failure leaves it as the user had it. The report, when
  // given, says why one did not run or what it left undone.
  bool DownloadAllConfigurations(TUSBConfigsBlock& configs, TBatchReport* report = nullptr);
  // Writes the changed cells; those written lose their mark, the others
  // keep it. False unless every changed cell reached the instrument.
  bool UploadChangedConfigurations(TUSBConfigsBlock& configs, TBatchReport* report = nullptr);
  bool DownloadAllRecords(TFlawDataBlock& records, TBatchReport* report = nullptr);

  TUSBDeviceState State;
  std::array<std::uint8_t, 8> ServiceBuffer{};

  TConduitBinding& Binding() { return Link; }

 private:
  using TRecordBlocks = std::array<TDeviceImage, 5>;

  // The common frame: true (and Busy set) when an exchange may start.
  bool BeginExchange() const;
  bool SendRequest(const TInstrumentCommand& command);
  bool ReadAnswer();
  bool ReceiveBlock(TDeviceImage& block);

  // The transfer halves of the reads and the model halves that cannot fail.
  bool ReceiveConfigurationImage(std::uint16_t n, TDeviceImage& image);
  // Sends a valid cell as configuration N.
  TExchangeOutcome SendConfiguration(TBaseConfigCell& cell, std::uint16_t n);
  // Whether configuration and record transfers may run with this
  // instrument; says why not in the report.
  bool TransfersSupported(TBatchReport* report) const;
  void ApplyConfigurationImage(TBaseConfigCell& cell, std::uint16_t n, const TDeviceImage& image);
  bool ReceiveRecordBlocks(std::uint16_t n, TRecordBlocks& blocks);
  void ApplyRecordBlocks(TDataCell& record, std::uint16_t n, const TRecordBlocks& blocks);
  // Whether a collection (setups or records) holds cells of the connected
  // instrument's device type and versions.
  template <typename TCollection>
  bool OfInstrumentClass(const TCollection& collection) const {
    return collection.DeviceType == State.DeviceType &&
           collection.MajorVersion == State.MajorVersion &&
           collection.MinorVersion == State.MinorVersion &&
           collection.ConfigLocalVersion == State.ConfigLocalVersion;
  }
  // Empties a collection and builds it anew as `count` cells of that class.
  template <typename TCollection>
  void RebuildForInstrument(TCollection& collection, std::uint16_t count) const {
    collection.Clear();
    collection.Build(count, State.MajorVersion, State.MinorVersion, State.ConfigLocalVersion,
                     State.DeviceType);
  }

  std::optional<std::uint16_t> RecordCount;
  TConduitBinding& Link;
  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
  TSilentProgress NoProgress;
  TSystemTimeSource SystemTime;
  IProgressFeedback* Progress = &NoProgress;
  ITimeSource* Time = &SystemTime;
};

// The gauge of the batch operations: part x 100 / whole, to nearest with
// ties to even.
int ProgressPercent(unsigned part, unsigned whole);

}  // namespace velt
