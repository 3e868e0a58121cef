// The report header's field rules: what each of the 36 header fields takes
// from the user (its length limit, whether it is a date or an inspector
// level) and the correction of a typed date.
#pragma once

#include <string>
#include <string_view>

namespace velt {

// The most characters the user may give header field 1..36; 0 for a field
// without a length limit (dates and levels are held by their masks, the
// conclusion by its line limits) and for any other number.
int HeaderFieldLimit(int field);

// Protocol date, certificate expiry and the four inspectors' expiries.
bool IsHeaderDateField(int field);
// The four inspectors' qualification levels (one digit, 1 to 3).
bool IsHeaderLevelField(int field);
// The four inspectors' certificate numbers.
bool IsInspectorCertificateField(int field);

// A typed date after its check: the text to show and whether the check
// had to change anything.
struct TCheckedDate {
  std::string Text;
  bool Corrected = false;
};

// Reads a date as day, month and year separated by the text's third
// character: day 0 becomes 1 and 32 or more 31, month 0 becomes 1 and
// above 12 becomes 12, a year above 3000 becomes 2007 and one below 2000
// becomes 2000; a part that is no number reads as 1. When anything was
// changed the date is written anew as two-digit day and month and the
// year, joined by the same separator; otherwise the text stays as it is.
TCheckedDate CheckDate(std::string_view text);

}  // namespace velt
