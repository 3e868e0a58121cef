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

// Records what stopped a batch, when the caller asked.
void Note(TBatchReport* report, TBatchStop stop) {
  if (report != nullptr) {
    report->Stop = stop;
  }
}

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

bool TInstrumentConnection::TransfersSupported(TBatchReport* report) const {
  if (!BeginExchange()) {
    Note(report, TBatchStop::NotReady);
    return false;
  }
  // Firmware whose images no class reads would give made-up setups and
  // records, and take made-up ones over the instrument's own.
  const std::string instrumentClass = InstrumentConfigClass();
  if (report != nullptr) {
    report->InstrumentClass = instrumentClass;
  }
  if (instrumentClass.empty()) {
    Note(report, TBatchStop::UnsupportedFirmware);
    return false;
  }
  return true;
}

bool TInstrumentConnection::DownloadAllConfigurations(TUSBConfigsBlock& configs,
                                                      TBatchReport* report) {
  if (!TransfersSupported(report)) {
    return false;
  }
  std::vector<TDeviceImage> images(kConfigurationSlots);
  {
    TBatchProgress window(*Progress, Strings.Caption(kCaptionDownloadConfigurations), false,
                          false);
    for (std::uint16_t n = 0; n < kConfigurationSlots; ++n) {
      if (!ReceiveConfigurationImage(n, images[n])) {
        Note(report, TBatchStop::TransferFailed);
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
    configs.Source = kSourceInstrument;
  }
  return true;
}

bool TInstrumentConnection::UploadChangedConfigurations(TUSBConfigsBlock& configs,
                                                        TBatchReport* report) {
  TBatchReport local;
  TBatchReport& out = report != nullptr ? *report : local;
  out = {};
  const auto slots = [&configs] {
    return std::min({std::size_t{kConfigurationSlots}, configs.Configurations.size(),
                     configs.ChangedFlags.size()});
  };
  // Every changed slot counts as not written until it is.
  const auto remaining = [&](std::size_t from) {
    for (std::size_t n = from; n < slots(); ++n) {
      if (configs.ChangedFlags[n]) {
        out.NotWritten.push_back(static_cast<std::uint16_t>(n));
      }
    }
  };
  if (configs.Count == 0) {
    out.Stop = TBatchStop::NoCells;
    return false;
  }
  if (!TransfersSupported(&out)) {
    remaining(0);
    return false;
  }
  const TBaseConfigCell* first = nullptr;
  for (const auto& cell : configs.Configurations) {
    if (cell) {
      first = cell.get();
      break;
    }
  }
  out.CellClass = first != nullptr ? ConfigClassName(*first) : std::string();
  // An image of another class lands in the instrument as garbage and the
  // slot reads back as defaults.
  if (out.CellClass != out.InstrumentClass) {
    out.Stop = TBatchStop::OtherFirmware;
  } else if (configs.ConfigLocalVersion != State.ConfigLocalVersion) {
    out.Stop = TBatchStop::OtherLocalVersion;
  } else if (configs.Source != kSourceInstrument && configs.Source != kSourceFile) {
    // Cells only built hold defaults, not anything the user has.
    out.Stop = TBatchStop::NotReadFromSource;
  }
  if (out.Stop != TBatchStop::None) {
    remaining(0);
    return false;
  }
  TBatchProgress window(*Progress, Strings.Caption(kCaptionUploadConfigurations), true, true);
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
    const auto slot = static_cast<std::uint16_t>(n);
    TBaseConfigCell& cell = *configs.Configurations[n];
    // A slot the collection never received (absent from the file it was
    // loaded from) has only the defaults it was built with; a cell out of
    // range would be sent as defaults or as garbage. Both stay marked.
    if (n >= configs.LoadedFlags.size() || !configs.LoadedFlags[n]) {
      out.NotWritten.push_back(slot);
      continue;
    }
    if (!cell.Validate()) {
      out.Invalid.push_back(slot);
      out.NotWritten.push_back(slot);
      continue;
    }
    const TExchangeOutcome outcome = SendConfiguration(cell, slot);
    if (outcome != TExchangeOutcome::Done) {
      out.Stop = outcome == TExchangeOutcome::Refused ? TBatchStop::InstrumentRefused
                 : outcome == TExchangeOutcome::Failed ? TBatchStop::TransferFailed
                                                       : TBatchStop::NotReady;
      remaining(n);
      std::sort(out.NotWritten.begin(), out.NotWritten.end());
      return false;
    }
    if (n < slots()) {
      configs.ChangedFlags[n] = false;
    }
    out.Written.push_back(slot);
    Progress->SetProgress(ProgressPercent(written, changed));
    ++written;
    Progress->ProcessPendingEvents();
  }
  return out.NotWritten.empty();
}

bool TInstrumentConnection::DownloadAllRecords(TFlawDataBlock& records, TBatchReport* report) {
  if (!TransfersSupported(report)) {
    return false;
  }
  std::unique_ptr<TBaseConfigCell> working = CreateConfigCellForVersion(
      State.MajorVersion, State.MinorVersion, State.ConfigLocalVersion, State.DeviceType);
  if (!working || !ReadConfiguration(*working, 0)) {
    Note(report, TBatchStop::TransferFailed);
    return false;
  }
  const std::uint16_t count = working->LAST_MEM_CELL;
  if (count == 0) {
    records.Clear();
    return true;
  }
  std::vector<TRecordBlocks> blocks(count);
  TBatchProgress window(*Progress, Strings.Caption(kCaptionDownloadRecords), true, false);
  for (std::uint16_t i = 0; i < count; ++i) {
    const auto n = static_cast<std::uint16_t>(i + 1);
    if (!State.Connected || !ReceiveRecordBlocks(n, blocks[i])) {
      Note(report, TBatchStop::TransferFailed);
      return false;
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
    // A record whose settings do not read keeps its envelopes; it is
    // marked and named to the user instead of failing the whole download.
    ApplyRecordBlocks(record, n, blocks[i]);
    if (record.UnreadableSettings && report != nullptr) {
      report->UnreadableSettings.push_back(n);
    }
    records.ReceivedFlags[i] = true;
    record.PrintFlag = 0;
    record.DeviceIndex = State.DeviceType;
  }
  records.NaturalOrder();
  return true;
}

}  // namespace velt
