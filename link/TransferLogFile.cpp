#include "TransferLogFile.h"

#include <cstdio>

namespace conduit {

std::string TTransferLogFile::FormatLine(const TTransferRecord& record) {
  static constexpr const char* kKinds[] = {"service-out", "service-in", "bulk-out", "bulk-in"};
  std::string line = kKinds[static_cast<int>(record.Kind)];
  line += record.Ok ? " ok" : " failed";
  for (std::uint8_t byte : record.Bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", byte);
    line += hex;
  }
  return line;
}

void TTransferLogFile::Append(const TTransferRecord& record) {
  Out << FormatLine(record) << '\n';
  Out.flush();
}

}  // namespace conduit
