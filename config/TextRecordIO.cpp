#include <config/TextRecordIO.h>

#include <limits>

#include <config/Rounding.h>
#include <ports/Errors.h>

namespace velt {
namespace {

// How much of an offending line an error message quotes.
constexpr std::size_t kQuotedLength = 60;

std::string Quoted(const std::string& text) {
  if (text.size() <= kQuotedLength) {
    return "\"" + text + "\"";
  }
  return "\"" + text.substr(0, kQuotedLength) + "...\"";
}

}  // namespace

// ---- Writer --------------------------------------------------------------

void TTextWriter::Line(const std::string& text) {
  Out << text << "\r\n";
  Check();
}

void TTextWriter::Keyed(const std::string& key, long long value) {
  Line(key + std::to_string(value));
}

void TTextWriter::Keyed(const std::string& key, const std::string& value) { Line(key + value); }

void TTextWriter::KeyedScaled(const std::string& key, double value) {
  // Saturating: a real too large for the line, or NaN, still writes a number.
  Keyed(key, RndTo<long long>(value * 100.0));
}

void TTextWriter::Check() const {
  if (!Out) {
    throw EInOutError("The file could not be written.");
  }
}

// ---- Reader --------------------------------------------------------------

std::string TTextReader::Line() {
  ++Lines;
  std::string text;
  if (!std::getline(In, text)) {
    return {};
  }
  if (!text.empty() && text.back() == '\r') {
    text.pop_back();
  }
  return text;
}

bool TTextReader::AtEnd() {
  if (!In) {
    return true;
  }
  return In.peek() == std::istream::traits_type::eof();
}

std::string TTextReader::Value() {
  std::string text = Line();
  const std::size_t colon = text.find(':');
  if (colon != std::string::npos) {
    text.erase(0, colon + 1);
  }
  return text;
}

long long TTextReader::Integer(long long min, long long max) {
  const std::string text = Value();
  long long value = 0;
  if (!ParseDecimalInteger(text, value)) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + Quoted(text) +
                        " is not a valid integer value");
  }
  if (value < min || value > max) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + Quoted(text) +
                        " is not in the range " + std::to_string(min) + ".." +
                        std::to_string(max));
  }
  return value;
}

double TTextReader::Scaled(long long fallback) {
  long long value = 0;
  if (!ParseDecimalInteger(Value(), value)) {
    value = fallback;
  }
  return static_cast<double>(value) / 100.0;
}

// ---- Numbers -------------------------------------------------------------

bool ParseDecimalInteger(const std::string& text, long long& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) {
    return false;  // empty, or a sign alone
  }
  // The magnitude is gathered unsigned: the most negative value has no
  // positive counterpart.
  const unsigned long long limit =
      negative ? static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1
               : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
  unsigned long long magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      return false;
    }
    const auto digit = static_cast<unsigned long long>(c - '0');
    if (magnitude > (limit - digit) / 10) {
      return false;  // does not fit
    }
    magnitude = magnitude * 10 + digit;
  }
  if (negative) {
    // 0 - magnitude in unsigned arithmetic, then back into range: for the
    // limit itself this is the most negative value.
    value = magnitude == 0 ? 0
                           : -static_cast<long long>(magnitude - 1) - 1;
  } else {
    value = static_cast<long long>(magnitude);
  }
  return true;
}

}  // namespace velt
