#include <config/TextRecordIO.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <limits>
#include <streambuf>

#include <config/Rounding.h>
#include <ports/Errors.h>

namespace velt {
namespace {

// A record file has some 21 million short lines, so the writer works on the
// stream's buffer directly: operator<< costs more per line (a sentry,
// several calls) than the line's few bytes do. The put area of any stream
// buffer, through the protected members every buffer has: a short line is
// copied into the buffer directly, and only a full buffer goes through
// sputn.
struct TPutArea : std::streambuf {
  static char* Next(std::streambuf& buffer) { return (buffer.*&TPutArea::pptr)(); }
  static char* End(std::streambuf& buffer) { return (buffer.*&TPutArea::epptr)(); }
  static void Advance(std::streambuf& buffer, int n) { (buffer.*&TPutArea::pbump)(n); }
};

// Appends bytes to the stream; false, with the stream failed as operator<<
// would leave it, when they could not all be written.
bool Put(std::ostream& out, const char* data, std::size_t n) {
  std::streambuf* buffer = out.rdbuf();
  if (!out || buffer == nullptr) {
    out.setstate(std::ios::badbit);
    return false;
  }
  if (n == 0) {
    return true;  // and no copy from or to a buffer that may not exist yet
  }
  char* const next = TPutArea::Next(*buffer);
  if (n < INT_MAX && TPutArea::End(*buffer) - next >= static_cast<std::ptrdiff_t>(n)) {
    std::memcpy(next, data, n);
    TPutArea::Advance(*buffer, static_cast<int>(n));
    return true;
  }
  if (buffer->sputn(data, static_cast<std::streamsize>(n)) != static_cast<std::streamsize>(n)) {
    out.setstate(std::ios::badbit);
    return false;
  }
  return true;
}

// Room for the digits of any long long, its sign and CR LF.
constexpr std::size_t kNumberLineRoom = 24;

// The decimal digits of value followed by CR LF, at `at`; returns the end.
char* NumberLine(char* at, long long value) {
  char* end = std::to_chars(at, at + kNumberLineRoom - 2, value).ptr;
  *end++ = '\r';
  *end++ = '\n';
  return end;
}

bool ParseDecimal(std::string_view text, long long& value) {
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
    value = magnitude == 0 ? 0 : -static_cast<long long>(magnitude - 1) - 1;
  } else {
    value = static_cast<long long>(magnitude);
  }
  return true;
}


// Digits as our writers write them: at least one, no leading zero unless
// the digits are "0" alone.
bool PlainDigits(std::string_view digits) {
  if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
    return false;
  }
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// ---- Writer --------------------------------------------------------------

// A write that finds the stream failed, or fails it, throws through Check.
void TTextWriter::Line(const std::string& text) {
  if (!Put(Out, text.data(), text.size()) || !Put(Out, "\r\n", 2)) {
    Check();
  }
}

void TTextWriter::Keyed(const std::string& key, long long value) {
  // Keys are short: key, value and line end go out in one piece.
  char line[64 + kNumberLineRoom];
  bool written = false;
  if (key.size() <= 64) {
    std::memcpy(line, key.data(), key.size());
    const char* end = NumberLine(line + key.size(), value);
    written = Put(Out, line, static_cast<std::size_t>(end - line));
  } else {
    written = Put(Out, key.data(), key.size()) &&
              Put(Out, line, static_cast<std::size_t>(NumberLine(line, value) - line));
  }
  if (!written) {
    Check();
  }
}

void TTextWriter::Keyed(const std::string& key, const std::string& value) {
  if (!Put(Out, key.data(), key.size())) {
    Check();
  }
  Line(value);
}

void TTextWriter::KeyedScaled(const std::string& key, double value) {
  // Saturating: a real too large for the line, or NaN, still writes a number.
  Keyed(key, RndTo<long long>(value * 100.0));
}

void TTextWriter::Number(long long value) {
  char line[kNumberLineRoom];
  if (!Put(Out, line, static_cast<std::size_t>(NumberLine(line, value) - line))) {
    Check();
  }
}

void TTextWriter::Check() const {
  if (!Out) {
    throw EInOutError("The file could not be written.");
  }
}

// ---- Reader --------------------------------------------------------------

void TTextReader::TooLong(std::string_view start) const {
  throw EConvertError("Line " + std::to_string(Lines) + " is too long: a line of this file holds at most " +
                      std::to_string(Reader.MaxBytes()) + " bytes (it begins " + QuotedLine(start) + ")");
}

std::string_view TTextReader::NextLine() {
  ++Lines;
  std::string_view line;
  switch (Reader.Next(line)) {
    case TLineRead::Line:
      break;
    case TLineRead::End:
      Exhausted = true;
      break;
    case TLineRead::TooLong:
      TooLong(line);
  }
  return line;
}

std::string TTextReader::Line() {
  return std::string(NextLine());
}

bool TTextReader::AtEnd() {
  if (!In) {
    return true;
  }
  return In.peek() == std::istream::traits_type::eof();
}

std::string_view TTextReader::NextValue() {
  std::string_view text = NextLine();
  const std::size_t colon = text.find(':');
  if (colon != std::string_view::npos) {
    text.remove_prefix(colon + 1);
  }
  return text;
}

std::string TTextReader::Value() {
  return std::string(NextValue());
}

long long TTextReader::Integer(long long min, long long max) {
  const std::string_view text = NextValue();
  long long value = 0;
  if (!ParseFileInteger(text, value)) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + QuotedLine(text) +
                        " is not a valid integer value");
  }
  if (value < min || value > max) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + QuotedLine(text) +
                        " is not in the range " + std::to_string(min) + ".." + std::to_string(max));
  }
  return value;
}

double TTextReader::Scaled(long long fallback) {
  long long value = 0;
  if (!ParseFileInteger(NextValue(), value)) {
    value = fallback;
  }
  return static_cast<double>(value) / 100.0;
}

double TTextReader::Real() {
  const std::string_view text = NextValue();
  double value = 0;
  if (!ParseFileReal(text, value)) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + QuotedLine(text) +
                        " is not a valid floating point value");
  }
  return value;
}

void TTextReader::ExpectEnd() {
  if (Exhausted) {
    return;  // the caller tells a file that ran out before its last entry
  }
  if (Lines > 0 && !Reader.LastLineEnded()) {
    throw EConvertError("Line " + std::to_string(Lines) +
                        " has no line end: the file was cut short inside it");
  }
  for (;;) {
    ++Lines;
    std::string_view line;
    switch (Reader.Next(line)) {
      case TLineRead::End:
        return;
      case TLineRead::TooLong:
        TooLong(line);
      case TLineRead::Line:
        if (!IsBlankLine(line)) {
          throw EConvertError("Line " + std::to_string(Lines) + ": " + QuotedLine(line) +
                              " follows the last entry the file's header counts");
        }
        break;
    }
  }
}

// ---- Numbers -------------------------------------------------------------

bool ParseDecimalInteger(const std::string& text, long long& value) {
  return ParseDecimal(text, value);
}

bool ParseFileInteger(std::string_view text, long long& value) {
  const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
  if (!PlainDigits(digits) || (digits.size() < text.size() && digits == "0")) {
    return false;  // "+7", "07", " 7", "-0"
  }
  return ParseDecimal(text, value);
}

bool ParseFileReal(std::string_view text, double& value) {
  // The number in the C form std::from_chars reads: "-", digits, ".",
  // digits, "e", sign, digits.
  std::string number;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') {
    number += '-';
    ++i;
  }
  const auto digitsFrom = [&text](std::size_t from) {
    std::size_t to = from;
    while (to < text.size() && text[to] >= '0' && text[to] <= '9') {
      ++to;
    }
    return to;
  };
  std::size_t to = digitsFrom(i);
  if (!PlainDigits(text.substr(i, to - i))) {
    return false;
  }
  number.append(text.substr(i, to - i));
  i = to;
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    to = digitsFrom(++i);
    if (to == i) {
      return false;
    }
    number += '.';
    number.append(text.substr(i, to - i));
    i = to;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    number += 'e';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      number += text[i++];
    }
    to = digitsFrom(i);
    if (to == i) {
      return false;
    }
    number.append(text.substr(i, to - i));
    i = to;
  }
  if (i != text.size()) {
    return false;
  }
  double parsed = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), parsed);
  if (ec != std::errc() || end != number.data() + number.size()) {
    return false;
  }
  value = parsed;
  return true;
}

}  // namespace velt
