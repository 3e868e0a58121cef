// The real link algorithms over the simulated instrument, in process and
// bound as the program's seven entry points, so exchange tests see every
// byte the instrument received and answered.
#pragma once

#include <memory>
#include <string>

#include <connection/ConduitBinding.h>

#include "ConduitLibrary.h"
#include "SimulatedPlatform.h"
#include "SimulatorProfile.h"

namespace velt::testing {

class TQuietSink : public conduit::IMessageSink {
 public:
  void Show(const std::string& text, const std::string& caption) override {
    Shown.push_back(caption + ": " + text);
  }
  std::vector<std::string> Shown;
};

class TSimulatedLink {
 public:
  // `profile` as CONDUIT_SIMULATOR would hold it.
  explicit TSimulatedLink(const std::string& profile) {
    std::string error;
    auto parsed = conduit::ParseSimulatorProfile(profile, error);
    if (!parsed) {
      throw std::invalid_argument(error);
    }
    Platform = std::make_unique<conduit::TSimulatedPlatform>(*parsed);
    Library = std::make_unique<conduit::TConduitLibrary>(*Platform, Sink);
    Current = this;
  }
  ~TSimulatedLink() { Current = nullptr; }
  TSimulatedLink(const TSimulatedLink&) = delete;
  TSimulatedLink& operator=(const TSimulatedLink&) = delete;

  conduit::TSimulatedInstrument& Instrument() { return *Platform->Instrument(); }

  static TConduitEntryPoints EntryPoints() {
    TConduitEntryPoints e;
    e.InitUSB = [] { return Current->Library->InitUSB(); };
    e.CloseUSB = [] { return Current->Library->CloseUSB(); };
    e.USBStatus = [] { return Current->Library->USBStatus(); };
    e.SendServiceBuffer = [](const std::uint8_t* b) {
      return Current->Library->SendServiceBuffer(b);
    };
    e.CheckServiceBuffer = [](std::uint8_t* b) { return Current->Library->CheckServiceBuffer(b); };
    e.SendBulkBuffer = [](const std::uint8_t* d, std::uint16_t n) {
      return Current->Library->SendBulkBuffer(d, n);
    };
    e.CheckBulkBuffer = [](std::uint8_t* d, std::uint16_t n) {
      return Current->Library->CheckBulkBuffer(d, n);
    };
    e.USBStateDescription = [](char* b, std::uint16_t n) {
      return Current->Library->StateDescription(b, n);
    };
    return e;
  }

  TQuietSink Sink;

 private:
  std::unique_ptr<conduit::TSimulatedPlatform> Platform;
  std::unique_ptr<conduit::TConduitLibrary> Library;
  static inline TSimulatedLink* Current = nullptr;
};

}  // namespace velt::testing
