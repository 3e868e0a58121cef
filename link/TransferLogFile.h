// The simulated instrument's transfer log mirrored into a file, one line per
// transfer ("service-out ok 12 00 ..."), for end-to-end tests and for anyone
// curious what the program sent.
#pragma once

#include <fstream>
#include <string>

#include "SimulatedInstrument.h"

namespace conduit {

class TTransferLogFile {
 public:
  explicit TTransferLogFile(const std::string& path) : Out(path, std::ios::app) {}
  void Append(const TTransferRecord& record);

  static std::string FormatLine(const TTransferRecord& record);

 private:
  std::ofstream Out;
};

}  // namespace conduit
