#include "DeviceCommands.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <connection/TransferMessages.h>
#include <records/RecordFilesUnit.h>

#include "TerminalPorts.h"
#include "TextEncoding.h"

namespace veltctl {
namespace {

constexpr std::uint16_t kSlots = 100;

// One connection to the instrument with the terminal's ports.
class TSession {
 public:
  explicit TSession(std::ostream& err)
      : Err(err),
        Feedback(err),
        Strings(Feedback),
        Progress(err, ::isatty(STDERR_FILENO) == 1),
        Link(velt::TConduitBinding::DefaultCandidates()),
        Connection(Link, Strings, Feedback, Progress, Time) {}

  // Loads the strings and connects; on failure says why and returns the
  // exit status, otherwise kExitOk.
  int Open(const TCommandLine& line) {
    if (line.SimulateGiven) {
      ::setenv("CONDUIT_SIMULATOR", line.Simulate.c_str(), 1);
    }
    if (!LoadStrings(Strings, Err)) {
      return kExitFileFailure;
    }
    Connection.Connect();
    if (!Connection.State.Connected) {
      Err << "veltctl: no instrument is connected ("
          << Utf8FromWindows1251(Connection.State.StateText) << ")\n";
      return kExitInstrumentFailure;
    }
    return kExitOk;
  }

  // A failure the program would show in a message box.
  int Fail(const std::string& caption, const std::string& text) {
    Feedback.ShowMessage(caption, text, velt::TMessageIcon::Error);
    return kExitInstrumentFailure;
  }
  int Fail(const velt::TTransferMessage& message) { return Fail(message.Caption, message.Text); }

  std::string StateText() const { return Utf8FromWindows1251(Connection.State.StateText); }

  std::ostream& Err;
  TTerminalFeedback Feedback;
  velt::TLocalStrings Strings;
  TTerminalProgress Progress;
  velt::TSystemTimeSource Time;
  velt::TConduitBinding Link;
  velt::TInstrumentConnection Connection;
};

std::string ClassFor(const velt::TUSBDeviceState& state) {
  const auto cell = velt::CreateConfigCellForVersion(state.MajorVersion, state.MinorVersion,
                                                     state.ConfigLocalVersion, state.DeviceType);
  return cell ? velt::ConfigClassName(*cell) : "none (this firmware is not supported)";
}

int SaveFailed(std::ostream& err, const std::string& file, const velt::TFileResult& result) {
  err << "veltctl: " << file << ": " << TerminalText(result.Error) << '\n';
  return kExitFileFailure;
}

bool ParseSlot(const std::string& text, std::uint16_t& slot) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value >= kSlots) {
    return false;
  }
  slot = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

// Besides the instrument, info says what the link library sees: whether the
// instrument is simulated, and without one, why (no instrument of the device
// table, one that cannot be opened, one that did not identify itself).
int RunInfo(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  TSession session(err);
  const int status = session.Open(line);
  const velt::TLinkState link = session.Link.LinkState();
  if (status != kExitOk) {
    if (session.Connection.State.Unidentified) {
      err << "veltctl: the instrument did not answer its identification\n";
    }
    if (!link.Text.empty()) {
      err << "veltctl: " << link.Text << '\n';
    }
    return status;
  }
  const velt::TUSBDeviceState& s = session.Connection.State;
  const bool simulated = link.Kind == velt::kLinkStateSimulated;
  out << "device type: " << int{s.DeviceType} << '\n'
      << "firmware: " << int{s.MajorVersion} << '.' << int{s.MinorVersion} << '\n'
      << "configuration local version: " << int{s.ConfigLocalVersion} << '\n'
      << "configuration class: " << ClassFor(s) << '\n'
      << "state: " << session.StateText() << (simulated ? " (simulated)" : "") << '\n'
      << "library: " << session.Link.LoadedFrom() << '\n';
  if (!link.Text.empty()) {
    out << "link: " << link.Text << '\n';
  }
  return kExitOk;
}

int RunRecordsPull(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  TSession session(err);
  if (const int status = session.Open(line); status != kExitOk) {
    return status;
  }
  velt::TFlawDataBlock records;
  // Reals are written with the user's decimal separator, as the program
  // writes them.
  records.NumberFormat = UserNumberFormat();
  velt::TBatchReport report;
  if (!session.Connection.DownloadAllRecords(records, &report)) {
    return session.Fail(velt::DownloadFailureMessage(report, velt::kRecordsDownloadFailedText));
  }
  if (records.Count == 0) {
    return session.Fail(velt::kTransferFailedCaption, velt::kNoRecordsInInstrumentText);
  }
  records.Source = velt::kSourceInstrument;
  records.FileName = session.Connection.State.StateText;
  if (const velt::TFileResult saved = velt::SaveRecordFile(records, line.File); !saved) {
    return SaveFailed(err, line.File, saved);
  }
  // Saved all the same: the envelopes are real, only the settings are not.
  for (std::uint16_t n : report.UnreadableSettings) {
    err << "veltctl: warning: record " << n
        << ": its settings could not be read; it holds the default settings\n";
  }
  out << line.File << ": " << records.Count << " records from " << session.StateText() << '\n';
  return kExitOk;
}

int RunConfigsPull(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  TSession session(err);
  if (const int status = session.Open(line); status != kExitOk) {
    return status;
  }
  velt::TUSBConfigsBlock configs;
  configs.NumberFormat = UserNumberFormat();
  velt::TBatchReport report;
  if (!session.Connection.DownloadAllConfigurations(configs, &report)) {
    return session.Fail(velt::DownloadFailureMessage(report, velt::kConfigsDownloadFailedText));
  }
  configs.Source = velt::kSourceInstrument;
  configs.FileName = session.Connection.State.StateText;
  if (const velt::TFileResult saved = velt::SaveConfigurationFile(configs, line.File); !saved) {
    return SaveFailed(err, line.File, saved);
  }
  out << line.File << ": " << configs.Count << " configurations from " << session.StateText()
      << '\n';
  return kExitOk;
}

int RunConfigsPush(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  velt::TUSBConfigsBlock configs;
  if (const velt::TFileResult loaded = velt::LoadConfigurationFile(configs, line.File); !loaded) {
    return SaveFailed(err, line.File, loaded);
  }
  std::vector<std::uint16_t> slots;
  for (const std::string& text : line.Slots) {
    std::uint16_t slot = 0;
    if (!ParseSlot(text, slot)) {
      err << "veltctl: slot '" << text << "' is not a number 0..99\n";
      return kExitUsage;
    }
    if (slot >= configs.LoadedFlags.size() || !configs.LoadedFlags[slot]) {
      err << "veltctl: " << line.File << " holds no configuration " << slot << '\n';
      return kExitUsage;
    }
    slots.push_back(slot);
  }
  if (slots.empty()) {
    for (std::uint16_t n = 0; n < configs.LoadedFlags.size() && n < kSlots; ++n) {
      if (configs.LoadedFlags[n]) {
        slots.push_back(n);
      }
    }
  }
  TSession session(err);
  if (const int status = session.Open(line); status != kExitOk) {
    return status;
  }
  const velt::TUSBDeviceState& s = session.Connection.State;
  if (configs.ConfigLocalVersion != s.ConfigLocalVersion) {
    err << "veltctl: " << line.File << " holds configurations of configuration local version "
        << int{configs.ConfigLocalVersion} << "; the instrument uses "
        << int{s.ConfigLocalVersion} << '\n';
    return kExitInstrumentFailure;
  }
  for (std::uint16_t slot : slots) {
    configs.ChangedFlags[slot] = true;
  }
  velt::TBatchReport report;
  if (!session.Connection.UploadChangedConfigurations(configs, &report)) {
    if (report.Stop == velt::TBatchStop::OtherFirmware) {
      err << "veltctl: " << line.File << " holds configurations of class " << report.CellClass
          << "; the instrument's firmware uses " << report.InstrumentClass
          << " (other firmware)\n";
    }
    if (!report.Written.empty()) {
      out << line.File << ": " << report.Written.size() << " configurations written to "
          << session.StateText() << " (slots " << velt::NumberList(report.Written) << ")\n";
    }
    session.Fail(velt::UploadFailureMessage(report, session.Strings));
    err << "veltctl: not written: slots " << velt::NumberList(report.NotWritten) << '\n';
    return kExitInstrumentFailure;
  }
  out << line.File << ": " << slots.size() << " configurations written to "
      << session.StateText() << '\n';
  return kExitOk;
}

int RunClockSet(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  TSession session(err);
  if (const int status = session.Open(line); status != kExitOk) {
    return status;
  }
  if (session.Connection.State.DeviceType != 2) {
    err << "veltctl: only instruments of device type 2 keep a clock; this one is of type "
        << int{session.Connection.State.DeviceType} << '\n';
    return kExitInstrumentFailure;
  }
  if (const velt::TExchangeResult set = session.Connection.SetClock(); !set) {
    if (set == velt::TExchangeOutcome::Refused) {
      session.Fail(velt::ClockRefusedMessage());
    }
    err << "veltctl: the instrument's clock was not set\n";
    return kExitInstrumentFailure;
  }
  out << "clock set on " << session.StateText() << '\n';
  return kExitOk;
}

}  // namespace veltctl
