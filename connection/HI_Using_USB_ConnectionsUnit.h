// The connection to the instrument: the one connection state of the
// program, the shared 8-byte service buffer, connect, identify, close, the
// check every link call's result passes through, and the state text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <connection/ConduitBinding.h>
#include <ports/UserFeedback.h>
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
};

// The status bar's device panel: caption string 46 and the state text, and
// the firmware version "major.minor" while connected.
std::string DevicePanelText(const TUSBDeviceState& state, const TLocalStrings& strings);

class TInstrumentConnection {
 public:
  static constexpr std::uint8_t kIdentifyCommand = 18;

  TInstrumentConnection(TConduitBinding& link, const TLocalStrings& strings,
                        IUserFeedback& feedback)
      : Link(link), Strings(strings), Feedback(feedback) {}

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

  TUSBDeviceState State;
  std::array<std::uint8_t, 8> ServiceBuffer{};

  TConduitBinding& Binding() { return Link; }

 private:
  TConduitBinding& Link;
  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
};

}  // namespace velt
