// The main window and the instrument coming and going: the device
// notifications, the unplug action, and the discarding of the data
// received from an instrument that is gone.
#include <ui/mainwindow/VELTMainFormUnit.h>

#include <ui/widgets/Cp1251.h>
#include <ui/report/ReportTabUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>

namespace velt {
namespace {

constexpr int kUnplugQuestion = 160;
// "Предупреждение"
constexpr const char* kWarningCaption =
    "\xCF\xF0\xE5\xE4\xF3\xEF\xF0\xE5\xE6\xE4\xE5\xED\xE8\xE5";

}  // namespace

void TVELTMainForm::HandleDeviceChange(std::uint16_t code) {
  TUSBDeviceState& state = Connection.State;
  switch (code) {
    case 7: {
      if (state.Connected && !state.Busy) {
        if (Connection.InstrumentPresent()) {
          return;
        }
        Connection.Close();
        state.StateText.clear();
        RefreshEnabledStates();
        RefreshStatusBar();
        if (state.DeviceType == 0 && Configs.Source == kSourceInstrument) {
          DiscardConfigurations();
          DiscardRecords();
          RefreshStatusBar();
        }
        if (state.DeviceType == 0 && Flaws.Source == kSourceInstrument) {
          DiscardRecords();
        }
        RefreshEnabledStates();
        return;
      }
      Time.Sleep(1000);
      Connection.Connect();
      RefreshStatusBar();
      if (Configs.Count == 0) {
        BuildDefaultConfigurations();
      }
      if (!Connection.AlignAndReadWorkingConfiguration(Configs)) {
        return;
      }
      if (Configs.Source == kSourceInstrument) {
        OnlineBusy = false;
        SelectedConfiguration = 0;
        Configs.Clear();
        Configs.Build(100, state.MajorVersion, state.MinorVersion, state.ConfigLocalVersion,
                      state.DeviceType);
        if (ShowFirstCell) {
          ShowFirstCell();
        }
      } else if (Configs.DrawingRecord && Configs.DrawingRecord->Configuration() != nullptr &&
                 ShowFirstCell) {
        ShowFirstCell();
      }
      if (Flaws.Source == kSourceInstrument) {
        SelectedRecord = 0;
      }
      RefreshEnabledStates();
      return;
    }
    case 0x8000:
      if (state.Connected || !Connection.InstrumentPresent()) {
        return;
      }
      Time.Sleep(1000);
      Connection.Connect();
      RefreshEnabledStates();
      RefreshStatusBar();
      // An empty setup list fails the alignment: the arrival shows nothing.
      if (Connection.AlignAndReadWorkingConfiguration(Configs)) {
        OnlineBusy = false;
        if (Configs.Source == kSourceInstrument) {
          SelectedConfiguration = 0;
          Configs.Clear();
          Configs.Build(100, state.MajorVersion, state.MinorVersion, state.ConfigLocalVersion,
                        state.DeviceType);
        }
        if (Flaws.Source == kSourceInstrument) {
          SelectedRecord = 0;
        }
        if (ShowFirstCell) {
          ShowFirstCell();
        }
      }
      RefreshEnabledStates();
      return;
    case 0x8004:
      if (!state.Connected || Connection.InstrumentPresent()) {
        return;
      }
      Connection.Close();
      Connection.Connect();
      RefreshEnabledStates();
      RefreshStatusBar();
      return;
    default:
      return;
  }
}

void TVELTMainForm::UnplugDevice() {
  // F3 pressed during the pause after a configuration write closes nothing
  // under the running exchange: the unplug follows once it has ended.
  if (SetupTab != nullptr && SetupTab->WorkingWriter().Later([this] { UnplugDevice(); })) {
    return;
  }
  // Yes drops what came from the instrument: Enter must not say it.
  if ((Configs.Source == kSourceInstrument || Flaws.Source == kSourceInstrument) &&
      !Feedback.AskYesNo(kWarningCaption, Strings.Value(kUnplugQuestion), TMessageIcon::Warning,
                         TAnswer::No)) {
    return;
  }
  Connection.Close();
  DiscardConfigurations();
  DiscardRecords();
  RefreshStatusBar();
  RefreshEnabledStates();
}

// The setup list's configurations received from the instrument go.
void TVELTMainForm::DiscardConfigurations() {
  if (Connection.State.DeviceType != 0 || Configs.Source != kSourceInstrument) {
    return;
  }
  SelectedConfiguration = 0;
  if (Configs.DrawingRecord) {
    Configs.DrawingRecord->Refer(nullptr);
  }
  Configs.Clear();
  if (ClearConfigurationViews) {
    ClearConfigurationViews();
  }
}

// The record list's records received from the instrument go, and with
// them the report's list of records.
void TVELTMainForm::DiscardRecords() {
  if (Connection.State.DeviceType != 0 || Flaws.Source != kSourceInstrument) {
    return;
  }
  SelectedRecord = 0;
  if (ClearRecordViews) {
    ClearRecordViews();
  }
  Flaws.Clear();
  RecordsAvailable = false;
  if (ReportHeader) {
    ReportHeader->ClearFlaws();
  }
  ReportTab->Clear();
}

}  // namespace velt
