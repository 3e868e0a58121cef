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

// How much of an offending line an error message quotes.
constexpr std::size_t kQuotedLength = 60;

std::string Quoted(std::string_view text) {
  if (text.size() <= kQuotedLength) {
    return "\"" + std::string(text) + "\"";
  }
  return "\"" + std::string(text.substr(0, kQuotedLength)) + "...\"";
}

// A record file has some 21 million short lines, so the reader and the
// writer work on the stream's buffer directly: std::getline and operator<<
// cost more per line (a sentry, a string, several calls) than the line's
// few bytes do.
//
// The get area of any stream buffer, through the protected members every
// buffer has: a line is found by scanning the buffered bytes, and exactly
// its characters and line end are consumed, as std::getline would.
struct TGetArea : std::streambuf {
  static char* Next(std::streambuf& buffer) { return (buffer.*&TGetArea::gptr)(); }
  static char* End(std::streambuf& buffer) { return (buffer.*&TGetArea::egptr)(); }
  static void Advance(std::streambuf& buffer, int n) { (buffer.*&TGetArea::gbump)(n); }
};

// The put area likewise: a short line is copied into the buffer directly,
// and only a full buffer goes through sputn.
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

bool TTextReader::ReadLine(std::string& text) {
  using Traits = std::istream::traits_type;
  text.clear();
  std::streambuf* buffer = In.rdbuf();
  if (!In.good() || buffer == nullptr) {
    In.setstate(std::ios::failbit);
    return false;
  }
  bool taken = false;  // any character or the line end consumed
  for (;;) {
    char* next = TGetArea::Next(*buffer);
    char* end = TGetArea::End(*buffer);
    if (next == end) {
      const Traits::int_type c = buffer->sgetc();  // refills the get area
      if (Traits::eq_int_type(c, Traits::eof())) {
        In.setstate(taken ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
        return taken;
      }
      next = TGetArea::Next(*buffer);
      end = TGetArea::End(*buffer);
      if (next == end) {
        // A buffer without a get area: one character at a time.
        buffer->sbumpc();
        if (Traits::to_char_type(c) == '\n') {
          return true;
        }
        text.push_back(Traits::to_char_type(c));
        taken = true;
        continue;
      }
    }
    const auto available =
        static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - next, INT_MAX - 1));
    const auto* lineEnd = static_cast<const char*>(std::memchr(next, '\n', available));
    const std::size_t length =
        lineEnd != nullptr ? static_cast<std::size_t>(lineEnd - next) : available;
    text.append(next, length);
    TGetArea::Advance(*buffer, static_cast<int>(lineEnd != nullptr ? length + 1 : length));
    taken = true;
    if (lineEnd != nullptr) {
      return true;
    }
  }
}

std::string_view TTextReader::NextLine() {
  ++Lines;
  std::string_view line;
  std::streambuf* buffer = In.rdbuf();
  if (In.good() && buffer != nullptr) {
    // Lines are short: a plain scan finds the line end sooner than memchr.
    char* const next = TGetArea::Next(*buffer);
    const std::ptrdiff_t inBuffer =
        std::min<std::ptrdiff_t>(TGetArea::End(*buffer) - next, INT_MAX - 1);
    const char* const end = inBuffer > 0 ? next + inBuffer : next;
    const char* p = next;
    while (p != end && *p != '\n') {
      ++p;
    }
    if (p != end) {
      // The bytes stay in the buffer until its next refill.
      line = std::string_view(next, static_cast<std::size_t>(p - next));
      TGetArea::Advance(*buffer, static_cast<int>(p - next + 1));
    } else if (ReadLine(Current)) {
      line = Current;
    }
  } else {
    In.setstate(std::ios::failbit);
  }
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
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
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ':') {
      text.remove_prefix(i + 1);
      break;
    }
  }
  return text;
}

std::string TTextReader::Value() {
  return std::string(NextValue());
}

long long TTextReader::Integer(long long min, long long max) {
  const std::string_view text = NextValue();
  long long value = 0;
  if (!ParseDecimal(text, value)) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + Quoted(text) +
                        " is not a valid integer value");
  }
  if (value < min || value > max) {
    throw EConvertError("Line " + std::to_string(Lines) + ": " + Quoted(text) +
                        " is not in the range " + std::to_string(min) + ".." + std::to_string(max));
  }
  return value;
}

double TTextReader::Scaled(long long fallback) {
  long long value = 0;
  if (!ParseDecimal(NextValue(), value)) {
    value = fallback;
  }
  return static_cast<double>(value) / 100.0;
}

// ---- Numbers -------------------------------------------------------------

bool ParseDecimalInteger(const std::string& text, long long& value) {
  return ParseDecimal(text, value);
}

}  // namespace velt
