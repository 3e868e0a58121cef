// A connected instrument connection over the simulated link, with the
// shipped strings and recorders on every port, for the exchange tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <records/UniversalDataObjectUnit.h>

#include "connection/SimulatedLinkSupport.h"
#include "support/RecordingFeedback.h"
#include "support/RecordingPorts.h"

namespace velt::testing {

using conduit::TTransferKind;
using conduit::TTransferRecord;

class TExchangeFixture {
 public:
  explicit TExchangeFixture(const std::string& profile)
      : Sim(profile), Link(TSimulatedLink::EntryPoints()) {
    if (!Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings")) {
      throw std::runtime_error("the shipped string files do not load");
    }
    Connection = std::make_unique<TInstrumentConnection>(Link, Strings, Feedback, Progress, Time);
    Connection->Connect();
  }

  // The transfers of one kind since the log position `from`.
  std::vector<TTransferRecord> Transfers(TTransferKind kind, std::size_t from = 0) const {
    std::vector<TTransferRecord> out;
    const auto& log = Sim.Instrument().Log();
    for (std::size_t i = from; i < log.size(); ++i) {
      if (log[i].Kind == kind) {
        out.push_back(log[i]);
      }
    }
    return out;
  }
  std::size_t LogSize() const { return Sim.Instrument().Log().size(); }

  // The requests (first five bytes) sent since `from`.
  std::vector<std::vector<std::uint8_t>> Requests(std::size_t from = 0) const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& t : Transfers(TTransferKind::ServiceOut, from)) {
      out.emplace_back(t.Bytes.begin(), t.Bytes.begin() + std::min<std::size_t>(5, t.Bytes.size()));
    }
    return out;
  }

  std::unique_ptr<TBaseConfigCell> NewCell() const {
    const auto& s = Connection->State;
    return CreateConfigCellForVersion(s.MajorVersion, s.MinorVersion, s.ConfigLocalVersion,
                                      s.DeviceType);
  }

  mutable TSimulatedLink Sim;
  TConduitBinding Link;
  TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TRecordingProgress Progress;
  TRecordingTime Time;
  std::unique_ptr<TInstrumentConnection> Connection;
};

}  // namespace velt::testing
