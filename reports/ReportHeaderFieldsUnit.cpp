#include <reports/ReportHeaderFieldsUnit.h>

#include <optional>

namespace velt {
namespace {

constexpr int kFirstInspectorField = 14;
constexpr int kInspectorFields = 5;
constexpr int kInspectors = 4;

// The place of an inspector's field within its five (name, level,
// certificate number, expiry, issuing organisation), or -1.
int InspectorFieldOffset(int field) {
  if (field < kFirstInspectorField ||
      field >= kFirstInspectorField + kInspectors * kInspectorFields) {
    return -1;
  }
  return (field - kFirstInspectorField) % kInspectorFields;
}

// Digits only; anything else (blanks of the mask included) is no number.
// Long digit runs saturate: they are far beyond every limit anyway.
std::optional<long> ReadNumber(std::string_view part) {
  if (part.empty()) {
    return std::nullopt;
  }
  long value = 0;
  for (const char c : part) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value > 100000 ? value : value * 10 + (c - '0');
  }
  return value;
}

// Cuts the next part off `rest` at the separator; the last part is all
// that is left.
std::string_view NextPart(std::string_view& rest, char separator, bool last) {
  if (last) {
    const std::string_view part = rest;
    rest = {};
    return part;
  }
  const std::size_t at = rest.find(separator);
  const std::string_view part = rest.substr(0, at);
  rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
  return part;
}

}  // namespace

int HeaderFieldLimit(int field) {
  // Name, level, certificate number, expiry, issuing organisation.
  constexpr int kInspectorLimits[kInspectorFields] = {20, 0, 12, 0, 70};
  if (const int offset = InspectorFieldOffset(field); offset >= 0) {
    return kInspectorLimits[offset];
  }
  switch (field) {
    case 1:  // organisation
    case 4:  // control object
    case 5:  // reason and date of the inspection
    case 6:  // object description
    case 7:  // normative documentation
      return 50;
    case 3:   // protocol number
    case 8:   // device type
    case 12:  // probe serial number
      return 16;
    case 9:  // device serial number
      return 17;
    case 13:  // certificate number
      return 12;
    case 11:  // probe type
      return 20;
    case 34:  // control characteristics
    case 35:  // appendixes
      return 60;
    default:
      return 0;
  }
}

bool IsHeaderDateField(int field) {
  return field == 2 || field == 10 || InspectorFieldOffset(field) == 3;
}

bool IsHeaderLevelField(int field) {
  return InspectorFieldOffset(field) == 1;
}

bool IsInspectorCertificateField(int field) {
  return InspectorFieldOffset(field) == 2;
}

TCheckedDate CheckDate(std::string_view text) {
  const char separator = text.size() >= 3 ? text[2] : '.';
  std::string_view rest = text;
  bool corrected = false;
  // A part that is no number reads as 1, and that is a correction too.
  auto read = [&](bool last) {
    const std::optional<long> number = ReadNumber(NextPart(rest, separator, last));
    if (!number) {
      corrected = true;
      return 1L;
    }
    return *number;
  };
  auto replace = [&](long& value, bool when, long by) {
    if (when) {
      value = by;
      corrected = true;
    }
  };
  long day = read(false);
  long month = read(false);
  long year = read(true);
  replace(day, day == 0, 1);
  replace(day, day >= 32, 31);
  replace(month, month == 0, 1);
  replace(month, month > 12, 12);
  replace(year, year > 3000, 2007);
  replace(year, year < 2000, 2000);
  if (!corrected) {
    return {std::string(text), false};
  }
  auto twoDigits = [](long value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
  };
  // The corrections leave day 1..31, month 1..12 and year 2000..3000.
  return {twoDigits(day) + separator + twoDigits(month) + separator + std::to_string(year), true};
}

}  // namespace velt
