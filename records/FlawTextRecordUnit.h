// The flaw text record: one flaw record in a record file, ending in the
// text record of its configuration, so that the file is self-contained.
#pragma once

#include <cstdint>

#include <records/UniversalDataObjectUnit.h>

namespace velt {

class TTextWriter;
class TTextReader;

inline constexpr std::uint8_t kMarkerMismatch = 2;

// Writes the record's lines, then its configuration's text record.
void WriteFlawTextRecord(const TDataCell& record, TTextWriter& out);

// Reads one record into a record whose configuration cell exists. Returns
// 2 when a marker line is wrong, otherwise the configuration reader's
// result. A value that is not a number or does not fit raises
// EConvertError.
std::uint8_t ReadFlawTextRecord(TDataCell& record, TTextReader& in);

// The least number of lines one flaw text record can have in a file (no
// comments, an empty configuration part): a lower bound used to refuse
// files that claim more records than they could hold.
inline constexpr std::uint64_t kMinimumFlawRecordLines = 21231;

}  // namespace velt
