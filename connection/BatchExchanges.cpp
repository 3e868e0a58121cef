// The three batch operations: all configurations down, the changed ones
// up, all stored records down, each with the progress window. The
// downloads first receive every block and only then write the collection,
// so a transfer that fails half-way leaves the user's data as it was.
#include <connection/HI_Using_USB_ConnectionsUnit.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace velt {
namespace {

constexpr int kCaptionUploadConfigurations = 50;
constexpr int kCaptionDownloadConfigurations = 51;
constexpr int kCaptionDownloadRecords = 52;

// The progress window and the busy cursor of one batch: shown at the start,
// and on every way out the cursor comes back and the window goes.
class TBatchProgress {
 public:
  TBatchProgress(IProgressFeedback& progress, std::string_view text, bool focus,
                 bool cursorFirst)
      : Progress(progress) {
    if (cursorFirst) {
      Cursor.emplace(Progress);
      Progress.ShowProgress(text, focus);
    } else {
      Progress.ShowProgress(text, focus);
      Cursor.emplace(Progress);
    }
  }
  ~TBatchProgress() {
    Cursor.reset();
    Progress.HideProgress();
  }
  TBatchProgress(const TBatchProgress&) = delete;
  TBatchProgress& operator=(const TBatchProgress&) = delete;

 private:
  IProgressFeedback& Progress;
  std::optional<TBusyCursorScope> Cursor;
};

}  // namespace

int ProgressPercent(unsigned part, unsigned whole) {
  if (whole == 0) {
    return 0;
  }
  const unsigned long long scaled = 100ULL * part;
  unsigned long long quotient = scaled / whole;
  const unsigned long long twiceRest = 2 * (scaled % whole);
  if (twiceRest > whole || (twiceRest == whole && quotient % 2 == 1)) {
    ++quotient;
  }
  return static_cast<int>(quotient);
}

bool TInstrumentConnection::DownloadAllConfigurations(TUSBConfigsBlock& configs) {
  if (!BeginExchange() || !CreateConfigCellForVersion(State.MajorVersion, State.MinorVersion,
                                                      State.ConfigLocalVersion,
                                                      State.DeviceType)) {
    return false;
  }
  std::vector<TDeviceImage> images(kConfigurationSlots);
  {
    TBatchProgress window(*Progress, Strings.Caption(kCaptionDownloadConfigurations), false,
                          false);
    for (std::uint16_t n = 0; n < kConfigurationSlots; ++n) {
      if (!ReceiveConfigurationImage(n, images[n])) {
        return false;
      }
      Progress->SetProgress(ProgressPercent(n, kConfigurationSlots - 1));
    }
    if (configs.Count == 0 || !OfInstrumentClass(configs)) {
      RebuildForInstrument(configs, kConfigurationSlots);
    }
    for (std::uint16_t n = 0; n < kConfigurationSlots && n < configs.Configurations.size(); ++n) {
      if (configs.Configurations[n]) {
        ApplyConfigurationImage(*configs.Configurations[n], n, images[n]);
      }
      configs.LoadedFlags[n] = true;
      configs.ChangedFlags[n] = false;
    }
  }
  return true;
}

bool TInstrumentConnection::UploadChangedConfigurations(TUSBConfigsBlock& configs) {
  if (configs.Count == 0 || configs.ConfigLocalVersion != State.ConfigLocalVersion) {
    return false;
  }
  TBatchProgress window(*Progress, Strings.Caption(kCaptionUploadConfigurations), true, true);
  const auto slots = [&configs] {
    return std::min({std::size_t{kConfigurationSlots}, configs.Configurations.size(),
                     configs.ChangedFlags.size()});
  };
  unsigned changed = 0;
  for (std::size_t n = 0; n < slots(); ++n) {
    changed += configs.ChangedFlags[n] ? 1 : 0;
  }
  unsigned written = 0;
  // The window handles pending events between two writes, and what runs
  // then may change the collection: every round looks at it afresh.
  for (std::size_t n = 0; n < slots(); ++n) {
    if (!configs.ChangedFlags[n] || !configs.Configurations[n]) {
      continue;
    }
    if (!WriteConfiguration(*configs.Configurations[n], static_cast<std::uint16_t>(n))) {
      return false;
    }
    if (n < slots()) {
      configs.ChangedFlags[n] = false;
    }
    Progress->SetProgress(ProgressPercent(written, changed));
    ++written;
    Progress->ProcessPendingEvents();
  }
  return true;
}

bool TInstrumentConnection::DownloadAllRecords(TFlawDataBlock& records) {
  std::unique_ptr<TBaseConfigCell> working = CreateConfigCellForVersion(
      State.MajorVersion, State.MinorVersion, State.ConfigLocalVersion, State.DeviceType);
  if (!working || !ReadConfiguration(*working, 0)) {
    return false;
  }
  const std::uint16_t count = working->LAST_MEM_CELL;
  if (count == 0) {
    records.Clear();
    return true;
  }
  // The working cell, a cell of the records' class, is reused to tell
  // before the collection is touched whether each record's configuration
  // will be usable.
  TBaseConfigCell& scratch = *working;
  std::vector<TRecordBlocks> blocks(count);
  TBatchProgress window(*Progress, Strings.Caption(kCaptionDownloadRecords), true, false);
  for (std::uint16_t i = 0; i < count; ++i) {
    const auto n = static_cast<std::uint16_t>(i + 1);
    if (!State.Connected || !ReceiveRecordBlocks(n, blocks[i])) {
      return false;
    }
    scratch.DecodeImage(blocks[i][0], n);
    if (!scratch.Validate()) {
      scratch.SetDefaults(n);
      if (!scratch.Validate()) {
        return false;
      }
    }
    Progress->SetProgress(ProgressPercent(i, count));
  }
  if (records.Count != count || !OfInstrumentClass(records)) {
    RebuildForInstrument(records, count);
  }
  records.DeviceType = State.DeviceType;
  for (std::uint16_t i = 0; i < count && i < records.Records.size(); ++i) {
    TDataCell& record = *records.Records[i];
    const auto n = static_cast<std::uint16_t>(i + 1);
    if (record.Configuration() == nullptr) {
      return false;
    }
    ApplyRecordBlocks(record, n, blocks[i]);
    if (!record.Configuration()->Validate()) {
      record.ClearContents();
      record.Configuration()->SetDefaults(n);
      return false;
    }
    records.ReceivedFlags[i] = true;
    record.PrintFlag = 0;
    record.DeviceIndex = State.DeviceType;
  }
  records.NaturalOrder();
  return true;
}

}  // namespace velt
