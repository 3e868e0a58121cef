// The instrument's commands as values: the code, the request bytes each one
// sets (the others keep what the previous exchange left in the service
// buffer), and what follows the request. Numbers of two bytes travel high
// byte first, except the attenuator of the gain command, low byte first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <ports/TimeSource.h>

namespace velt {

enum class TCommandCode : std::uint8_t {
  WriteConfiguration = 1,
  ReadConfiguration = 3,
  ReadRecord = 5,  // also the online frame
  SetClock = 8,
  Identify = 18,
  SendGain = 19,
  SendRange = 20,
};

enum class TFollowUp : std::uint8_t {
  Answer,                // read the answer (after AnswerDelay)
  AnswerThenSendBlock,   // read the answer; status 2: send one block
  ReceiveBlocks,         // receive BlockCount blocks of BlockLength bytes
};

inline constexpr std::uint8_t kStatusAccepted = 2;
inline constexpr std::uint16_t kOnlineFrameNumber = 0xFFFF;
inline constexpr std::uint16_t kBlockLength = 512;
inline constexpr std::uint16_t kClockBlockLength = 256;

struct TInstrumentCommand {
  TCommandCode Code;
  std::array<std::optional<std::uint8_t>, 4> Arguments{};  // bytes 1..4
  TFollowUp Then = TFollowUp::Answer;
  std::uint16_t BlockLength = 0;
  std::uint8_t BlockCount = 0;
  unsigned AnswerDelay = 0;  // milliseconds between request and answer

  // Writes byte 0 and the argument bytes; bytes without an argument keep
  // their value.
  void ApplyTo(std::array<std::uint8_t, 8>& buffer) const {
    buffer[0] = static_cast<std::uint8_t>(Code);
    for (std::size_t i = 0; i < Arguments.size(); ++i) {
      if (Arguments[i]) {
        buffer[i + 1] = *Arguments[i];
      }
    }
  }
};

inline std::uint8_t HighByte(std::uint16_t n) { return static_cast<std::uint8_t>(n >> 8); }
inline std::uint8_t LowByte(std::uint16_t n) { return static_cast<std::uint8_t>(n & 0xFF); }

inline TInstrumentCommand WriteConfigurationCommand(std::uint16_t n) {
  return {TCommandCode::WriteConfiguration, {HighByte(n), LowByte(n), {}, {}},
          TFollowUp::AnswerThenSendBlock, kBlockLength, 1, 0};
}
inline TInstrumentCommand ReadConfigurationCommand(std::uint16_t n) {
  return {TCommandCode::ReadConfiguration, {HighByte(n), LowByte(n), {}, {}},
          TFollowUp::ReceiveBlocks, kBlockLength, 1, 0};
}
// A stored record: its configuration image and its four signal blocks.
inline TInstrumentCommand ReadRecordCommand(std::uint16_t n) {
  return {TCommandCode::ReadRecord, {HighByte(n), LowByte(n), {}, {}},
          TFollowUp::ReceiveBlocks, kBlockLength, 5, 0};
}
// The live signal: the four signal blocks alone.
inline TInstrumentCommand ReadOnlineFrameCommand() {
  return {TCommandCode::ReadRecord, {0xFF, 0xFF, {}, {}}, TFollowUp::ReceiveBlocks,
          kBlockLength, 4, 0};
}
inline TInstrumentCommand SetClockCommand() {
  return {TCommandCode::SetClock, {}, TFollowUp::AnswerThenSendBlock, kClockBlockLength, 1, 0};
}
inline TInstrumentCommand IdentifyCommand() {
  return {TCommandCode::Identify, {}, TFollowUp::Answer, 0, 0, 0};
}
inline TInstrumentCommand SendGainCommand(std::uint16_t attenuator) {
  return {TCommandCode::SendGain, {LowByte(attenuator), HighByte(attenuator), 0, 0},
          TFollowUp::Answer, 0, 0, 10};
}
inline TInstrumentCommand SendRangeCommand(std::uint8_t indexMarkMks,
                                           std::uint8_t pixelGridLength) {
  return {TCommandCode::SendRange, {indexMarkMks, pixelGridLength, {}, {}}, TFollowUp::Answer,
          0, 0, 50};
}

// The clock block: year - 2000, month, day, hour, minute, second, then 0.
inline std::array<std::uint8_t, kClockBlockLength> ClockBlock(const TLocalTime& time) {
  std::array<std::uint8_t, kClockBlockLength> block{};
  const int year = time.Year - 2000;
  block[0] = static_cast<std::uint8_t>(year < 0 ? 0 : year > 255 ? 255 : year);
  block[1] = static_cast<std::uint8_t>(time.Month);
  block[2] = static_cast<std::uint8_t>(time.Day);
  block[3] = static_cast<std::uint8_t>(time.Hour);
  block[4] = static_cast<std::uint8_t>(time.Minute);
  block[5] = static_cast<std::uint8_t>(time.Second);
  return block;
}

}  // namespace velt
