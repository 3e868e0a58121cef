// The state and the algorithms behind the eight exports of Conduit: finding
// the instrument, its four pipes, and the chunked bulk transfers with their
// ready marks. One instance per loaded library.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Platform.h"

namespace conduit {

enum TPipe : int { ServiceIn = 0, ServiceOut = 1, BulkIn = 2, BulkOut = 3 };

inline constexpr std::size_t kServiceSize = 8;
inline constexpr std::size_t kChunkSize = 256;
inline constexpr std::uint8_t kReadyMark = 0xFE;
// The device path is a fixed buffer of 256 bytes; longer paths are skipped.
inline constexpr std::size_t kDevicePathCapacity = 256;

class TConduitLibrary {
 public:
  TConduitLibrary(IPlatform& platform, IMessageSink& messages)
      : Platform(platform), Messages(messages) {
    Pipes.fill(kInvalidHandle);
  }
  ~TConduitLibrary();
  TConduitLibrary(const TConduitLibrary&) = delete;
  TConduitLibrary& operator=(const TConduitLibrary&) = delete;

  std::uint8_t InitUSB();
  std::uint8_t CloseUSB();
  std::uint8_t ConnectUSB();
  std::uint8_t USBStatus();
  std::uint8_t SendServiceBuffer(const std::uint8_t* buffer);
  std::uint8_t CheckServiceBuffer(std::uint8_t* buffer);
  std::uint8_t SendBulkBuffer(const std::uint8_t* data, std::uint16_t length);
  std::uint8_t CheckBulkBuffer(std::uint8_t* destination, std::uint16_t length);
  // The platform and the last search in a line, cut to `size` bytes with
  // its terminating zero; returns its kind (CONDUIT_STATE_*), 0 without a
  // buffer.
  std::uint8_t StateDescription(char* buffer, std::uint16_t size);

  std::uint8_t DeviceType() const { return LastDeviceType; }
  const std::string& DevicePath() const { return LastDevicePath; }
  bool PipeOpen(TPipe pipe) const { return Pipes[pipe] != kInvalidHandle; }
  const TSearchOutcome& LastSearch() const { return Search; }

 private:
  // One search walks the classes in order; Discover notes in Search what
  // it met, so the user can be told why nothing was found.
  void BeginSearch();
  bool Discover(std::size_t classIndex);
  THandle OpenPipe(const char* name);
  std::uint8_t SendChunk(const std::uint8_t* chunk, std::size_t size);
  bool BulkInRequest(std::uint8_t* destination, std::size_t size, std::size_t& received);

  IPlatform& Platform;
  IMessageSink& Messages;
  std::array<THandle, 4> Pipes;
  std::uint8_t LastDeviceType = 0;
  std::string LastDevicePath;
  TSearchOutcome Search;
};

}  // namespace conduit
