// The JSON form of an opened file: the header values, then every record
// with its configuration, or every configuration, with all the values the
// program read, as the program holds them.
#pragma once

#include <string>

#include <records/RecordCollectionsUnit.h>
#include <nlohmann/json.hpp>

namespace veltctl {

using TJson = nlohmann::ordered_json;  // keys in file order

// The header lines 1..3, which the collections do not keep.
struct TProgramHeader {
  std::string Name;  // the text after line 1's colon
  long long Major = 0;
  long long Minor = 0;
};

TJson ConfigurationJson(const velt::TBaseConfigCell& cell);
TJson FlawRecordJson(const velt::TDataCell& record);
TJson RecordFileJson(const velt::TFlawDataBlock& records, const TProgramHeader& header);
TJson ConfigurationFileJson(const velt::TUSBConfigsBlock& configurations,
                            const TProgramHeader& header);

}  // namespace veltctl
