// The connection to the instrument: the one connection state of the
// program, the shared 8-byte service buffer, connect, identify, close, the
// check every link call's result passes through, the state text, and every
// exchange with the instrument, single and batch.
#pragma once

#include <array>
#include <cstdint>
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
  bool WriteConfiguration(TBaseConfigCell& cell, std::uint16_t n);
  // Firmware before 4.1 takes range and gain only as a whole working
  // configuration.
  bool SendRange(TBaseConfigCell& cell);
  bool SendGain(TBaseConfigCell& cell);
  // Sets the instrument's clock to the local time (device type 2 only).
  bool SetClock();
  bool ReadRecord(TDataCell& record, std::uint16_t n);
  // Read record, and a record whose configuration does not validate is
  // emptied and counts as a failure.
  bool ReadRecordForBatch(TDataCell& record, std::uint16_t n);
  // The live signal into the drawing record's four envelopes.
  bool ReadOnlineFrame(TDataCell& record);

  // ---- Batch operations, with the progress window -----------------------
  // The downloads change the collection only when every transfer has
  // succeeded: a failure leaves it as the user had it.
  bool DownloadAllConfigurations(TUSBConfigsBlock& configs);
  bool UploadChangedConfigurations(TUSBConfigsBlock& configs);
  bool DownloadAllRecords(TFlawDataBlock& records);

  TUSBDeviceState State;
  std::array<std::uint8_t, 8> ServiceBuffer{};

  TConduitBinding& Binding() { return Link; }

 private:
  using TRecordBlocks = std::array<TDeviceImage, 5>;

  // The common frame: true (and Busy set) when an exchange may start.
  bool BeginExchange();
  bool SendRequest(const TInstrumentCommand& command);
  bool ReadAnswer();
  bool ReceiveBlock(TDeviceImage& block);

  // The transfer halves of the reads and the model halves that cannot fail.
  bool ReceiveConfigurationImage(std::uint16_t n, TDeviceImage& image);
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
