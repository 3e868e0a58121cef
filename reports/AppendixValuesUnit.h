// The texts of one flaw appendix block: the record's identity, capture time,
// measured values, measurement conditions, settings and comments, in the
// formats the printed appendix uses. Plain C++ over the signal computations.
#pragma once

#include <cstdint>
#include <string>

#include <records/UniversalDataObjectUnit.h>
#include <reports/ReportSheetPorts.h>

namespace velt {

// Fixed notation with one decimal, preceded by blanks up to an integer part
// of `width` digits (0: not padded).
std::string AppendixReal(double value, int width, char decimalSeparator = '.');

// The block of a record. The capture time and date are filled only for
// device type 2, whose records carry them. The measured values are computed
// on the record as stored (which adds entries to its averaging histories).
// A record without a configuration gives only its flaw number and comments.
TAppendixBlock AppendixBlockOf(TDataCell& record, std::uint8_t deviceType);

}  // namespace velt
