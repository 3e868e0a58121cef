// A link library of the eight functions alone, as libraries before the
// state description were: an instrument of device type 1, firmware 3.26.
#include <cstdint>

#define EIGHT_ONLY_EXPORT extern "C" __attribute__((visibility("default")))

EIGHT_ONLY_EXPORT std::uint8_t InitUSB() { return 1; }
EIGHT_ONLY_EXPORT std::uint8_t CloseUSB() { return 1; }
EIGHT_ONLY_EXPORT std::uint8_t ConnectUSB() { return 1; }
EIGHT_ONLY_EXPORT std::uint8_t USBStatus() { return 1; }
EIGHT_ONLY_EXPORT std::uint8_t SendServiceBuffer(const std::uint8_t*) { return 1; }
EIGHT_ONLY_EXPORT std::uint8_t CheckServiceBuffer(std::uint8_t* buffer) {
  buffer[0] = 2;
  buffer[1] = 3;
  buffer[2] = 26;
  buffer[3] = 0;
  return 1;
}
EIGHT_ONLY_EXPORT std::uint8_t SendBulkBuffer(const std::uint8_t*, std::uint16_t) { return 1; }
EIGHT_ONLY_EXPORT std::uint8_t CheckBulkBuffer(std::uint8_t*, std::uint16_t) { return 1; }
