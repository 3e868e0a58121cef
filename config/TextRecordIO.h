// The line reader and writer of our text records (configuration files,
// record files, the cell's own text record): Windows-1251 bytes, CR LF
// written, LF or CR LF read, "KEY:value" lines read by position with the
// first-colon rule, decimal numbers with range checks, every line bounded.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <strings/TextLines.h>

namespace velt {

// A value in a text record that is not a decimal integer or does not fit
// its field. The file reader abandons the file and reports it.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TTextWriter {
 public:
  explicit TTextWriter(std::ostream& out) : Out(out) {}

  // One line, ended by CR LF.
  void Line(const std::string& text);
  // "KEY:" immediately followed by the decimal value.
  void Keyed(const std::string& key, long long value);
  void Keyed(const std::string& key, const std::string& value);
  // "KEY:" and rnd(value × 100), the form of the scaled reals.
  void KeyedScaled(const std::string& key, double value);
  // A line holding only the decimal value (the samples of a flaw record).
  void Number(long long value);

  // Throws EInOutError when the stream has failed.
  void Check() const;

 private:
  std::ostream& Out;
};

// The longest line a record or configuration file can hold. Our writers'
// lines are numbers and keys of a few dozen bytes, save the comments: a
// comment line is one line of the data tab's comment memo (70 characters),
// or of the setup tab's, which shows 13 wrapped lines. 64 KiB leaves ample
// room for any of them, hand-edited ones included, while a damaged file
// without line breaks is refused after that many bytes instead of being
// held whole.
inline constexpr std::size_t kTextRecordLineBytes = 64 * 1024;

class TTextReader {
 public:
  explicit TTextReader(std::istream& in, std::size_t maxLineBytes = kTextRecordLineBytes)
      : Reader(in, maxLineBytes), In(in) {}

  // The next line without its line end; an empty text once the lines have
  // run out. Line() counts lines so errors can say where they happened. A
  // line longer than the reader's limit raises EConvertError.
  std::string Line();
  bool AtEnd();
  unsigned LineNumber() const { return Lines; }
  // Whether a line was asked for after the last one.
  bool RanOut() const { return Exhausted; }

  // The next line's value: everything after its first colon (the whole line
  // when it has none).
  std::string Value();
  // The next line's value as a decimal integer in min..max, written as our
  // writers write it (ParseFileInteger); EConvertError otherwise (an empty
  // value included), naming the line and its text.
  long long Integer(long long min, long long max);
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Integer(0, 255)); }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Integer(0, 65535)); }
  std::int32_t Signed32() {
    return static_cast<std::int32_t>(Integer(INT32_MIN, INT32_MAX));
  }
  // The next line's value as an integer / 100; `fallback` (already scaled
  // up: 100 means 1.0) when the text is not an integer. Never fails on the
  // text.
  double Scaled(long long fallback);
  // The next line's value as a real (ParseFileReal); EConvertError otherwise.
  double Real();

  // After the last entry: what is left of the file must be blank lines, and
  // the last line must have its line end (our writers end every line, so a
  // last line without one is a file cut inside it). EConvertError otherwise.
  void ExpectEnd();

 private:
  // The next line without its line end, counted; a view valid until the
  // next read. Empty once the lines have run out.
  std::string_view NextLine();
  // The same, cut after the first colon.
  std::string_view NextValue();
  [[noreturn]] void TooLong(std::string_view start) const;

  TLineReader Reader;
  std::istream& In;
  unsigned Lines = 0;
  bool Exhausted = false;
};

// Parses a whole text as a decimal integer with an optional sign ("+" or
// "-") and at least one digit; false when anything else is in it, blanks
// around the number included, or when it does not fit a long long. For
// numbers people type (veltctl's arguments).
bool ParseDecimalInteger(const std::string& text, long long& value);

// A number of a file, exactly as our writers write it: an optional "-",
// then digits without a leading zero ("0" itself excepted, "-0" refused).
// No "+", no blanks, no grouping; false when it does not fit a long long.
bool ParseFileInteger(std::string_view text, long long& value);

// A real of a file as our writers write it, in whichever locale: an
// optional "-", digits without a leading zero, optionally a decimal
// separator - "." or "," alike, neither is ever a thousands separator -
// and digits, optionally "e" or "E", a sign and digits. No "+" in front,
// no blanks, one separator at most; false for a value beyond a double.
bool ParseFileReal(std::string_view text, double& value);

}  // namespace velt
