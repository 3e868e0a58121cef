// A scriptable platform under the link library: the test says which
// interfaces are present, which open, what each read returns, and reads
// back every call the library made.
#pragma once

#include <algorithm>
#include <deque>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Platform.h"

namespace conduit::testing {

struct TScriptedRead {
  TScriptedRead(std::vector<std::uint8_t> bytes = {}, bool ok = true,
                std::optional<std::uint32_t> fault = std::nullopt)
      : Bytes(std::move(bytes)), Ok(ok), Fault(fault) {}
  std::vector<std::uint8_t> Bytes;
  bool Ok;
  std::optional<std::uint32_t> Fault;
};

struct TPlatformCall {
  std::string Op;  // "open", "close", "read", "write"
  std::string Path;
  std::size_t Size = 0;  // requested size (read) or given size (write)
  std::vector<std::uint8_t> Bytes;
};

class TFakePlatform : public IPlatform {
 public:
  static constexpr std::uint8_t kTypes[] = {1, 1, 2, 3, 4, 5, 6};
  // The seven interface classes and their device types.
  std::vector<std::uint8_t> Types = std::vector<std::uint8_t>(std::begin(kTypes), std::end(kTypes));
  std::map<std::size_t, std::vector<std::string>> Interfaces;
  std::set<std::string> Unopenable;
  std::string OpenErrorName = "LIBUSB_ERROR_ACCESS";  // what a refused open says
  std::map<std::string, std::deque<TScriptedRead>> Reads;  // by pipe name "PIPE00".."PIPE03"
  std::optional<std::uint32_t> WriteFault;
  std::optional<std::size_t> WriteCountLimit;
  std::vector<TPlatformCall> Calls;
  std::map<THandle, std::string> OpenHandles;

  std::vector<std::uint8_t> ClassDeviceTypes() override { return Types; }
  std::string LastOpenError() const override { return OpenErrorName; }

  std::vector<std::string> EnumerateInterfaces(std::size_t classIndex) override {
    const auto it = Interfaces.find(classIndex);
    return it == Interfaces.end() ? std::vector<std::string>{} : it->second;
  }

  THandle Open(const std::string& path) override {
    Calls.push_back({"open", path, 0, {}});
    const std::string device = path.substr(0, path.find('\\'));
    if (Unopenable.count(path) || Unopenable.count(device)) {
      return kInvalidHandle;
    }
    const THandle handle = Next++;
    OpenHandles[handle] = path;
    return handle;
  }

  bool Write(THandle handle, const std::uint8_t* data, std::size_t n, std::size_t& done) override {
    const std::string path = PathOf(handle);
    Calls.push_back({"write", path, n, std::vector<std::uint8_t>(data, data + n)});
    if (WriteFault) {
      throw TPlatformFault{*WriteFault};
    }
    done = WriteCountLimit ? std::min(n, *WriteCountLimit) : n;
    return !path.empty();
  }

  bool Read(THandle handle, std::uint8_t* data, std::size_t n, std::size_t& done) override {
    const std::string path = PathOf(handle);
    Calls.push_back({"read", path, n, {}});
    done = 0;
    auto& queue = Reads[PipeOf(path)];
    if (path.empty() || queue.empty()) {
      return false;
    }
    TScriptedRead read = queue.front();
    queue.pop_front();
    if (read.Fault) {
      throw TPlatformFault{*read.Fault};
    }
    done = std::min(n, read.Bytes.size());
    std::copy_n(read.Bytes.begin(), done, data);
    return read.Ok;
  }

  void Close(THandle handle) override {
    Calls.push_back({"close", PathOf(handle), 0, {}});
    OpenHandles.erase(handle);
  }

  std::vector<TPlatformCall> CallsOf(const std::string& op, const std::string& pipe = "") const {
    std::vector<TPlatformCall> result;
    for (const TPlatformCall& call : Calls) {
      if (call.Op == op && (pipe.empty() || PipeOf(call.Path) == pipe)) {
        result.push_back(call);
      }
    }
    return result;
  }

  static std::string PipeOf(const std::string& path) {
    const auto slash = path.find('\\');
    return slash == std::string::npos ? std::string() : path.substr(slash + 1);
  }

 private:
  std::string PathOf(THandle handle) const {
    const auto it = OpenHandles.find(handle);
    return it == OpenHandles.end() ? std::string() : it->second;
  }
  THandle Next = 100;
};

struct TRecordedMessage {
  std::string Text;
  std::string Caption;
};

class TRecordingMessages : public IMessageSink {
 public:
  void Show(const std::string& text, const std::string& caption) override {
    Shown.push_back({text, caption});
  }
  std::vector<TRecordedMessage> Shown;
};

}  // namespace conduit::testing
