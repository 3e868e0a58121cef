// The line reader and writer of our text records (configuration files,
// record files, the cell's own text record): Windows-1251 bytes, CR LF
// written, LF or CR LF read, "KEY:value" lines read by position with the
// first-colon rule, decimal numbers with range checks.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

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

class TTextReader {
 public:
  explicit TTextReader(std::istream& in) : In(in) {}

  // The next line without its line end; an empty text once the lines have
  // run out. Line() counts lines so errors can say where they happened.
  std::string Line();
  bool AtEnd();
  unsigned LineNumber() const { return Lines; }

  // The next line's value: everything after its first colon (the whole line
  // when it has none).
  std::string Value();
  // The next line's value as a decimal integer in min..max; EConvertError
  // otherwise (an empty value included), naming the line and its text.
  long long Integer(long long min, long long max);
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Integer(0, 255)); }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Integer(0, 65535)); }
  std::int32_t Signed32() {
    return static_cast<std::int32_t>(Integer(INT32_MIN, INT32_MAX));
  }
  // The next line's value as an integer / 100; `fallback` (already scaled
  // up: 100 means 1.0) when the text is not an integer. Never fails.
  double Scaled(long long fallback);

 private:
  // The next line without its line end, counted; a view into the stream's
  // buffer (or into Current when the line crosses the buffer's end), valid
  // until the next read. Empty once the lines have run out.
  std::string_view NextLine();
  // The same, cut after the first colon.
  std::string_view NextValue();
  // The next line, line end not included, into `text`, through the stream
  // buffer's refills; false, with the stream's fail and end flags set as
  // std::getline sets them, when no line is left.
  bool ReadLine(std::string& text);

  std::istream& In;
  unsigned Lines = 0;
  std::string Current;  // a line that crossed the buffer's end, its storage reused
};

// Parses a whole text as a decimal integer with an optional sign ("+" or
// "-") and at least one digit; false when anything else is in it, blanks
// around the number included, or when it does not fit a long long.
bool ParseDecimalInteger(const std::string& text, long long& value);

}  // namespace velt
