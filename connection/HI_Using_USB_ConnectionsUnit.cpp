#include <connection/HI_Using_USB_ConnectionsUnit.h>

namespace velt {
namespace {

// "№" in Windows-1251.
constexpr const char* kNumeroSign = "\xB9";

// The results the result check takes as success.
bool LinkCallSucceeded(std::uint8_t result) {
  return result == 1 || result == 5 || result == 7 || result == 8;
}

}  // namespace

std::string DevicePanelText(const TUSBDeviceState& state, const TLocalStrings& strings) {
  std::string text = strings.Caption(46) + state.StateText;
  if (state.Connected) {
    text += " " + std::to_string(state.MajorVersion) + "." + std::to_string(state.MinorVersion);
  }
  return text;
}

void TInstrumentConnection::Connect() {
  if (!Link.Loaded() && !Link.Load()) {
    Feedback.ShowMessage(Strings.Error(7), Strings.Error(6), TMessageIcon::Error);
    State.DeviceType = 0;
    State.Connected = false;
    UpdateStateText();
    return;
  }
  State.DeviceType = Link.Entry().InitUSB();
  State.Connected = State.DeviceType == 1 || State.DeviceType == 2;
  // An instrument that does not say which firmware it runs is no usable
  // connection: closed, it shows as no instrument and its actions stay off.
  const bool asked = State.Connected && !State.Busy;
  const bool identified = Identify();
  State.Unidentified = asked && !identified;
  if (!identified) {
    Close();
  }
  UpdateStateText();
}

bool TInstrumentConnection::Identify() {
  if (State.Busy || !State.Connected) {
    return false;
  }
  State.Busy = true;
  ServiceBuffer[0] = kIdentifyCommand;
  const bool sent = LinkCallSucceeded(Link.Entry().SendServiceBuffer(ServiceBuffer.data()));
  const bool answered =
      sent && LinkCallSucceeded(Link.Entry().CheckServiceBuffer(ServiceBuffer.data()));
  State.Busy = false;
  // Without an accepted answer the buffer holds our own request or a stale
  // answer: taking its bytes as versions would pass off a made-up firmware
  // (0.0, the bare base class) as the instrument's, and every transfer
  // after it would work on the wrong layout.
  if (!answered || ServiceBuffer[0] != kStatusAccepted) {
    return false;
  }
  State.MajorVersion = ServiceBuffer[1];
  State.MinorVersion = ServiceBuffer[2];
  State.ConfigLocalVersion = ServiceBuffer[3];
  return true;
}

void TInstrumentConnection::Close() {
  if (State.Connected && Link.Loaded()) {
    Link.Entry().CloseUSB();
  }
  State.Connected = false;
  State.DeviceType = 0;
  // The next instrument tells its own record count.
  RecordCount.reset();
  UpdateStateText();
}

bool TInstrumentConnection::CheckResult(std::uint8_t result) {
  if (result == 1 || result == 5 || result == 7 || result == 8) {
    return true;
  }
  State.Connected = false;
  State.Busy = false;
  Feedback.ShowMessage(Strings.Error(4),
                       Strings.Error(5) + ":" + kNumeroSign + std::to_string(result),
                       TMessageIcon::Error);
  return false;
}

void TInstrumentConnection::UpdateStateText() {
  if (!State.Connected) {
    State.StateText = Strings.Caption(47);
  } else {
    State.StateText = Strings.Value(State.DeviceType == 2 ? 58 : 57);
  }
}

bool TInstrumentConnection::InstrumentPresent() {
  return Link.Loaded() && Link.Entry().USBStatus() != 0;
}

}  // namespace velt
