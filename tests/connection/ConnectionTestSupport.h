// A scripted link for the connection tests: plain functions with one shared
// script, bound as the seven entry points.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include <connection/ConduitBinding.h>

namespace velt::testing {

struct TLinkScript {
  std::uint8_t InitResult = 0;
  std::vector<std::uint8_t> Answer = std::vector<std::uint8_t>(8, 0);
  // What the service calls return; a failed read leaves the buffer alone.
  std::uint8_t SendResult = 1;
  std::uint8_t CheckResult = 1;
  int InitCalls = 0;
  int CloseCalls = 0;
  std::vector<std::vector<std::uint8_t>> Sent;
};

inline TLinkScript gScript;

inline TConduitEntryPoints ScriptedLink() {
  TConduitEntryPoints link;
  link.InitUSB = []() -> std::uint8_t {
    ++gScript.InitCalls;
    return gScript.InitResult;
  };
  link.CloseUSB = []() -> std::uint8_t {
    ++gScript.CloseCalls;
    return 1;
  };
  link.SendServiceBuffer = [](const std::uint8_t* buffer) -> std::uint8_t {
    gScript.Sent.emplace_back(buffer, buffer + 8);
    return gScript.SendResult;
  };
  link.CheckServiceBuffer = [](std::uint8_t* buffer) -> std::uint8_t {
    if (gScript.CheckResult != 1) {
      return gScript.CheckResult;
    }
    for (std::size_t i = 0; i < 8; ++i) {
      buffer[i] = gScript.Answer[i];
    }
    return 1;
  };
  link.CheckBulkBuffer = [](std::uint8_t*, std::uint16_t) -> std::uint8_t { return 0; };
  link.SendBulkBuffer = [](const std::uint8_t*, std::uint16_t) -> std::uint8_t { return 0; };
  link.USBStatus = []() -> std::uint8_t { return gScript.InitResult != 0; };
  return link;
}

}  // namespace velt::testing
