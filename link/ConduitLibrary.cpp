#include "ConduitLibrary.h"

#include <algorithm>
#include <cstring>

namespace conduit {
namespace {

constexpr const char* kPipeNames[4] = {"PIPE00", "PIPE01", "PIPE02", "PIPE03"};

}  // namespace

TConduitLibrary::~TConduitLibrary() { CloseUSB(); }

void TConduitLibrary::BeginSearch() {
  Search = TSearchOutcome{};
  Search.Searched = true;
}

bool TConduitLibrary::Discover(std::size_t classIndex) {
  for (const std::string& path : Platform.EnumerateInterfaces(classIndex)) {
    if (path.empty() || path.size() >= kDevicePathCapacity) {
      continue;
    }
    LastDevicePath = path;
    const THandle probe = Platform.Open(path);
    if (probe != kInvalidHandle) {
      Platform.Close(probe);
      Search.Found = true;
      Search.Opened = true;
      Search.Path = path;
      Search.OpenError.clear();
      return true;
    }
    // The first instrument that would not open is the one worth naming.
    if (!Search.Found) {
      Search.Found = true;
      Search.Path = path;
      Search.OpenError = Platform.LastOpenError();
    }
  }
  return false;
}

THandle TConduitLibrary::OpenPipe(const char* name) {
  LastDeviceType = 0;
  BeginSearch();
  const std::vector<std::uint8_t> types = Platform.ClassDeviceTypes();
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (Discover(i)) {
      LastDeviceType = types[i];
      const std::string pipePath = LastDevicePath + "\\" + name;
      if (pipePath.size() >= kDevicePathCapacity) {
        return kInvalidHandle;
      }
      return Platform.Open(pipePath);
    }
  }
  return kInvalidHandle;
}

std::uint8_t TConduitLibrary::InitUSB() {
  for (int pipe = ServiceIn; pipe <= BulkOut; ++pipe) {
    // A second InitUSB without CloseUSB reopens the pipes; the handles of
    // the first would otherwise stay open (and the interface claimed) for
    // the rest of the process.
    if (Pipes[pipe] != kInvalidHandle) {
      Platform.Close(Pipes[pipe]);
      Pipes[pipe] = kInvalidHandle;
    }
    Pipes[pipe] = OpenPipe(kPipeNames[pipe]);
    if (Pipes[pipe] == kInvalidHandle) {
      return 0;
    }
  }
  return LastDeviceType;
}

std::uint8_t TConduitLibrary::CloseUSB() {
  for (THandle& handle : Pipes) {
    if (handle != kInvalidHandle) {
      Platform.Close(handle);
      handle = kInvalidHandle;
    }
  }
  return 1;
}

std::uint8_t TConduitLibrary::ConnectUSB() {
  const std::uint8_t type = InitUSB();
  if (type == 2) {
    return 0;
  }
  if (type != 0) {
    CloseUSB();
  }
  return 1;
}

std::uint8_t TConduitLibrary::USBStatus() {
  const std::size_t count = Platform.ClassDeviceTypes().size();
  BeginSearch();
  for (std::size_t i = 0; i < count; ++i) {
    if (Discover(i)) {
      return 1;
    }
  }
  return 0;
}

std::uint8_t TConduitLibrary::SendServiceBuffer(const std::uint8_t* buffer) {
  if (buffer == nullptr) {
    return 0;
  }
  std::size_t written = 0;
  try {
    return Platform.Write(Pipes[ServiceOut], buffer, kServiceSize, written) ? 1 : 0;
  } catch (const TPlatformFault&) {
    return 0;
  }
}

std::uint8_t TConduitLibrary::CheckServiceBuffer(std::uint8_t* buffer) {
  if (buffer == nullptr) {
    return 0;
  }
  std::size_t read = 0;
  try {
    return Platform.Read(Pipes[ServiceIn], buffer, kServiceSize, read) ? 1 : 0;
  } catch (const TPlatformFault&) {
    return 0;
  }
}

std::uint8_t TConduitLibrary::SendChunk(const std::uint8_t* chunk, std::size_t size) {
  // The instrument announces that it can take the chunk with a ready mark.
  std::uint8_t answer[kServiceSize] = {};
  std::size_t read = 0;
  try {
    Platform.Read(Pipes[ServiceIn], answer, kServiceSize, read);
  } catch (const TPlatformFault&) {
    return 0;
  }
  if (answer[0] != kReadyMark) {
    return 0;
  }
  std::size_t written = 0;
  try {
    const bool ok = Platform.Write(Pipes[BulkOut], chunk, size, written);
    return ok && written == size ? 1 : 0;
  } catch (const TPlatformFault& fault) {
    Messages.Show(std::to_string(fault.Code), "Exception Error #1 occured");
    return 0;
  }
}

std::uint8_t TConduitLibrary::SendBulkBuffer(const std::uint8_t* data, std::uint16_t length) {
  if (data == nullptr) {
    return 0;
  }
  std::uint8_t work[kChunkSize];
  std::uint8_t result = 0;
  std::size_t offset = 0;
  std::size_t remaining = length;
  // A failed chunk does not stop the following ones; the last one decides.
  while (remaining > 0) {
    const std::size_t size = remaining >= kChunkSize ? kChunkSize : remaining;
    std::memcpy(work, data + offset, size);
    result = SendChunk(work, size);
    offset += size;
    remaining -= size;
  }
  return result;
}

bool TConduitLibrary::BulkInRequest(std::uint8_t* destination, std::size_t size,
                                    std::size_t& received) {
  received = 0;
  if (destination == nullptr) {
    Messages.Show("Null buffer", "Transmit Error #2");
    return false;
  }
  try {
    // Whatever the platform says, any data received counts as success.
    Platform.Read(Pipes[BulkIn], destination, size, received);
  } catch (const TPlatformFault& fault) {
    Messages.Show(std::to_string(fault.Code), "Exception Error #3 occured");
    return false;
  }
  if (received == 0) {
    Messages.Show("Wrong data amount received! Disconnect USB and restart application!",
                  "Sending Error");
    return false;
  }
  if (received > size) {
    received = size;
  }
  return true;
}

std::uint8_t TConduitLibrary::CheckBulkBuffer(std::uint8_t* destination, std::uint16_t length) {
  std::uint8_t work[kChunkSize];
  std::size_t remaining = length;
  std::size_t received = 0;
  while (remaining >= kChunkSize) {
    if (!BulkInRequest(destination ? work : nullptr, kChunkSize, received)) {
      return 0;
    }
    // A short read leaves the rest for the next request.
    std::memcpy(destination + (length - remaining), work, received);
    remaining -= received;
  }
  if (remaining > 0) {
    if (!BulkInRequest(destination ? work : nullptr, remaining, received)) {
      return 0;
    }
    std::memcpy(destination + (length - remaining), work, received);
  }
  return 1;
}

std::uint8_t TConduitLibrary::StateDescription(char* buffer, std::uint16_t size) {
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  const TStateDescription description = Platform.Describe(Search);
  const std::size_t length = std::min<std::size_t>(description.Text.size(), size - 1u);
  std::memcpy(buffer, description.Text.data(), length);
  buffer[length] = '\0';
  return description.Kind;
}

}  // namespace conduit
