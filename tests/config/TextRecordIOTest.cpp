// The line reader and writer shared by our text files: line ends, the
// first-colon rule, integer parsing with ranges, scaled reals.
#include <config/TextRecordIO.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <ports/Errors.h>

namespace {

using velt::EConvertError;
using velt::EInOutError;
using velt::ParseDecimalInteger;
using velt::TTextReader;
using velt::TTextWriter;

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

// ---- Writer ------------------------------------------------------------------

TEST(TextWriter, EndsEveryLineWithCrLfAndAddsNoBlanks) {
  std::ostringstream s;
  TTextWriter out(s);
  out.Line("CONFIGURATION_NAME");
  out.Line("");
  out.Keyed("VELOCITY:", 3250);
  out.Keyed("ARD_CORRECTION:", -17);
  out.Keyed("COMMENTS[0]:", std::string("weld 3: root"));
  out.Keyed("X:", kMin);
  EXPECT_EQ(s.str(),
            "CONFIGURATION_NAME\r\n\r\nVELOCITY:3250\r\nARD_CORRECTION:-17\r\n"
            "COMMENTS[0]:weld 3: root\r\nX:-9223372036854775808\r\n");
}

TEST(TextWriter, ScaledRealsAreHundredthsRoundedToNearestTiesToEven) {
  const struct {
    double Value;
    const char* Written;
  } cases[] = {
      {12.0, "T:1200"},    {1.0, "T:100"},     {8.6, "T:860"},   {0.125, "T:12"},
      {0.375, "T:38"},     {-0.125, "T:-12"},  {-0.375, "T:-38"}, {0.0, "T:0"},
      {12.344, "T:1234"},  {12.346, "T:1235"},  {-8.6, "T:-860"},
      {std::nan(""), "T:0"},  // NaN cannot be a number of hundredths
      {1e300, "T:9223372036854775807"},
      {-1e300, "T:-9223372036854775808"},
      {std::numeric_limits<double>::infinity(), "T:9223372036854775807"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Written);
    std::ostringstream s;
    TTextWriter out(s);
    out.KeyedScaled("T:", c.Value);
    EXPECT_EQ(s.str(), std::string(c.Written) + "\r\n");
  }
}

TEST(TextWriter, FailedStreamRaisesInOutError) {
  std::ostringstream s;
  TTextWriter out(s);
  EXPECT_NO_THROW(out.Check());
  s.setstate(std::ios::badbit);
  EXPECT_THROW(out.Check(), EInOutError);
  EXPECT_THROW(out.Line("A"), EInOutError);
  EXPECT_THROW(out.Keyed("A:", 1), EInOutError);
  EXPECT_THROW(out.KeyedScaled("A:", 1.0), EInOutError);
}

// ---- Reader: lines -----------------------------------------------------------

TEST(TextReader, LinesDropLfAndOneCrBeforeIt) {
  std::istringstream s("a\r\nb\nc\r\r\nd\re\n\r\nlast");
  TTextReader in(s);
  const std::vector<std::string> expected = {"a", "b", "c\r", "d\re", "", "last"};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(in.AtEnd());
    EXPECT_EQ(in.Line(), expected[i]);
    EXPECT_EQ(in.LineNumber(), i + 1);
  }
  EXPECT_TRUE(in.AtEnd());
}

TEST(TextReader, LinesThatRunOutAreEmptyAndStillCounted) {
  std::istringstream s("only\r\n");
  TTextReader in(s);
  EXPECT_EQ(in.Line(), "only");
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(in.Line(), "");
  EXPECT_EQ(in.Line(), "");
  EXPECT_EQ(in.LineNumber(), 3u);
  EXPECT_TRUE(in.AtEnd());

  std::istringstream empty("");
  TTextReader none(empty);
  EXPECT_TRUE(none.AtEnd());
  EXPECT_EQ(none.Value(), "");
}

TEST(TextReader, ValueIsEverythingAfterTheFirstColon) {
  const struct {
    const char* Line;
    const char* Value;
  } cases[] = {
      {"VELOCITY:3250", "3250"},
      {"COMMENTS[2]:weld: root: pass", "weld: root: pass"},
      {"47", "47"},
      {"CONFIGURATION_NAME", "CONFIGURATION_NAME"},
      {"KEY:", ""},
      {":", ""},
      {"::", ":"},
      {"", ""},
      {"SOUND ENABLED ???:1", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    std::istringstream s(std::string(c.Line) + "\r\n");
    TTextReader in(s);
    EXPECT_EQ(in.Value(), c.Value);
  }
}

// ---- Reader: numbers ---------------------------------------------------------

TEST(TextReader, IntegerChecksTheValueAndItsRange) {
  const struct {
    const char* Line;
    long long Min;
    long long Max;
    bool Ok;
    long long Value;
  } cases[] = {
      {"K:0", 0, 255, true, 0},
      {"K:255", 0, 255, true, 255},
      {"K:256", 0, 255, false, 0},
      {"K:-1", 0, 255, false, 0},
      // Only the plain decimals our writers write.
      {"K:+7", 0, 255, false, 0},
      {"K:007", 0, 255, false, 0},
      {"K:-0", 0, 255, false, 0},
      {"K:-", -9, 9, false, 0},
      {"K:-07", -9, 9, false, 0},
      {"12", 0, 255, true, 12},  // no colon: the whole line
      {"K:", 0, 255, false, 0},
      {"K: 5", 0, 255, false, 0},
      {"K:5 ", 0, 255, false, 0},
      {"K:5\t", 0, 255, false, 0},
      {"K:0x10", 0, 255, false, 0},
      {"K:1e2", 0, 255, false, 0},
      {"K:2.0", 0, 255, false, 0},
      {"K:1,000", 0, 65535, false, 0},
      {"K:abc", 0, 255, false, 0},
      {"A:B:5", 0, 255, false, 0},  // only the first colon goes
      {"K:-40", -50, 50, true, -40},
      {"K:99999999999999999999", kMin, kMax, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    std::istringstream s(std::string(c.Line) + "\r\n");
    TTextReader in(s);
    if (c.Ok) {
      EXPECT_EQ(in.Integer(c.Min, c.Max), c.Value);
    } else {
      EXPECT_THROW(in.Integer(c.Min, c.Max), EConvertError);
    }
  }
}

TEST(TextReader, FieldWidthReaders) {
  const auto read = [](const std::string& value, auto reader) {
    std::istringstream s("K:" + value + "\n");
    TTextReader in(s);
    return static_cast<long long>(reader(in));
  };
  const auto byte = [](TTextReader& in) { return in.Byte(); };
  const auto word = [](TTextReader& in) { return in.Word(); };
  const auto signed32 = [](TTextReader& in) { return in.Signed32(); };

  EXPECT_EQ(read("255", byte), 255);
  EXPECT_THROW(read("256", byte), EConvertError);
  EXPECT_THROW(read("-1", byte), EConvertError);
  EXPECT_EQ(read("65535", word), 65535);
  EXPECT_THROW(read("65536", word), EConvertError);
  EXPECT_THROW(read("-1", word), EConvertError);
  EXPECT_EQ(read("-2147483648", signed32), -2147483648LL);
  EXPECT_EQ(read("2147483647", signed32), 2147483647LL);
  EXPECT_THROW(read("2147483648", signed32), EConvertError);
  EXPECT_THROW(read("-2147483649", signed32), EConvertError);
}

TEST(TextReader, ConversionErrorNamesTheLineAndItsText) {
  std::istringstream s("A:1\r\nB:2\r\nPIXEL_GRID_LENGTH:300\r\nD:x7\r\n");
  TTextReader in(s);
  EXPECT_EQ(in.Byte(), 1);
  EXPECT_EQ(in.Byte(), 2);
  try {
    in.Byte();
    FAIL() << "300 was taken as a byte";
  } catch (const EConvertError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("Line 3"), std::string::npos) << message;
    EXPECT_NE(message.find("\"300\""), std::string::npos) << message;
  }
  try {
    in.Word();
    FAIL() << "x7 was taken as a number";
  } catch (const EConvertError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("Line 4"), std::string::npos) << message;
    EXPECT_NE(message.find("\"x7\""), std::string::npos) << message;
  }
}

TEST(TextReader, ConversionErrorQuotesOnlyTheStartOfALongLine) {
  const std::string junk(100000, 'z');
  std::istringstream s("K:" + junk + "\n");
  TTextReader in(s);
  try {
    in.Byte();
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_LT(std::string(e.what()).size(), 200u);
    EXPECT_NE(std::string(e.what()).find("zzzz"), std::string::npos);
  }
}

TEST(TextReader, IntegerPastTheEndFails) {
  std::istringstream s("K:5\r\n");
  TTextReader in(s);
  EXPECT_EQ(in.Byte(), 5);
  EXPECT_THROW(in.Byte(), EConvertError);
  EXPECT_THROW(in.Signed32(), EConvertError);
}

TEST(TextReader, ScaledIsHundredthsWithAFallbackForNonNumbers) {
  const struct {
    const char* Line;
    long long Fallback;
    double Value;
  } cases[] = {
      {"THICKNESS:1200", 100, 12.0},
      {"THICKNESS:1234", 100, 12.34},
      {"THICKNESS:abc", 100, 1.0},
      {"THICKNESS:", 100, 1.0},
      {"THICKNESS:12.5", 100, 1.0},
      {"PROBE_DELAY:860", 0, 8.6},
      {"PROBE_DELAY:x", 0, 0.0},
      {"PROBE_DELAY: 860", 0, 0.0},
      {"ARD_SIGNAL_AMPLITUDE:-50", 0, -0.5},
      {"X:9223372036854775807", 0, 9223372036854775807.0 / 100},
      {"X:9223372036854775808", 0, 0.0},  // beyond any integer we write
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    std::istringstream s(std::string(c.Line) + "\r\n");
    TTextReader in(s);
    EXPECT_DOUBLE_EQ(in.Scaled(c.Fallback), c.Value);
  }
  std::istringstream empty("");
  TTextReader none(empty);
  EXPECT_DOUBLE_EQ(none.Scaled(100), 1.0);
}

TEST(ParseDecimalInteger, SignThenDigitsAndNothingElse) {
  const struct {
    const char* Text;
    bool Ok;
    long long Value;
  } cases[] = {
      {"0", true, 0},
      {"-0", true, 0},
      {"+0", true, 0},
      {"123", true, 123},
      {"-123", true, -123},
      {"+123", true, 123},
      {"000123", true, 123},
      {"9223372036854775807", true, kMax},
      {"-9223372036854775808", true, kMin},
      {"9223372036854775808", false, 0},
      {"-9223372036854775809", false, 0},
      {"18446744073709551616", false, 0},
      {"99999999999999999999999999999", false, 0},
      {"", false, 0},
      {"+", false, 0},
      {"-", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"1\r", false, 0},
      {"\t1", false, 0},
      {"1a", false, 0},
      {"a1", false, 0},
      {"--1", false, 0},
      {"+-1", false, 0},
      {"1-", false, 0},
      {"1.5", false, 0},
      {"1e3", false, 0},
      {"0x1F", false, 0},
      {"$1F", false, 0},
      {"1 000", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    long long value = 0;
    EXPECT_EQ(ParseDecimalInteger(c.Text, value), c.Ok);
    if (c.Ok) {
      EXPECT_EQ(value, c.Value);
    }
  }
  // A text with an embedded NUL is not a number either.
  long long value = 0;
  EXPECT_FALSE(ParseDecimalInteger(std::string("12\0" "3", 4), value));
}

TEST(ParseDecimalInteger, ReadsBackEveryIntegerWritten) {
  for (const long long v : {kMin, kMin + 1, -1000000007LL, -1LL, 0LL, 1LL, 65535LL,
                            2147483648LL, kMax - 1, kMax}) {
    SCOPED_TRACE(v);
    std::ostringstream s;
    TTextWriter out(s);
    out.Keyed("K:", v);
    std::istringstream back(s.str());
    TTextReader in(back);
    EXPECT_EQ(in.Integer(kMin, kMax), v);
  }
}

// ---- Reading and writing through the stream's buffer ------------------------

// A stream buffer that hands out its text `Chunk` characters per refill, or,
// with Chunk 0, has no get area at all and gives one character per read.
class TChunkedInput : public std::streambuf {
 public:
  TChunkedInput(std::string text, std::size_t chunk) : Text(std::move(text)), Chunk(chunk) {}
  // The bytes handed to the reader so far.
  std::size_t Consumed() const { return Pos - static_cast<std::size_t>(egptr() - gptr()); }

 protected:
  int_type underflow() override {
    if (Chunk == 0) {
      return Pos < Text.size() ? traits_type::to_int_type(Text[Pos]) : traits_type::eof();
    }
    if (Pos >= Text.size()) {
      return traits_type::eof();
    }
    const std::size_t n = std::min(Chunk, Text.size() - Pos);
    Window.assign(Text.begin() + static_cast<std::ptrdiff_t>(Pos),
                  Text.begin() + static_cast<std::ptrdiff_t>(Pos + n));
    Pos += n;
    setg(Window.data(), Window.data(), Window.data() + n);
    return traits_type::to_int_type(Window[0]);
  }
  int_type uflow() override {
    if (Chunk == 0) {
      return Pos < Text.size() ? traits_type::to_int_type(Text[Pos++]) : traits_type::eof();
    }
    return std::streambuf::uflow();
  }

 private:
  std::string Text;
  std::size_t Chunk;
  std::size_t Pos = 0;
  std::vector<char> Window;
};

TEST(TextReader, LinesReadTheSameWhereverTheStreamBufferIsRefilled) {
  const std::string longLine(5000, 'z');
  const std::string text = "a\r\nb\nc\r\r\nd\re\n\r\nK:12\r\nCOMMENTS[0]:x: y\r\nK:-7\n" + longLine +
                           "\r\nV:" + longLine + "\r\nlast";
  for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3},
                                  std::size_t{7}, std::size_t{4096}, std::size_t{100000}}) {
    SCOPED_TRACE("chunk " + std::to_string(chunk));
    TChunkedInput buffer(text, chunk);
    std::istream s(&buffer);
    TTextReader in(s);
    EXPECT_EQ(in.Line(), "a");
    EXPECT_EQ(in.Line(), "b");
    EXPECT_EQ(in.Line(), "c\r");  // one CR goes with the LF, not two
    EXPECT_EQ(in.Line(), "d\re");
    EXPECT_EQ(in.Line(), "");
    EXPECT_EQ(in.Byte(), 12);
    EXPECT_EQ(in.Value(), "x: y");
    EXPECT_EQ(in.Integer(-10, 10), -7);
    EXPECT_EQ(in.Line(), longLine);
    EXPECT_EQ(in.Value(), longLine);
    EXPECT_FALSE(in.AtEnd());
    EXPECT_EQ(in.Line(), "last");
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(in.Line(), "");
    EXPECT_THROW(in.Integer(0, 1), EConvertError);
    EXPECT_EQ(in.LineNumber(), 13u);
  }
}

// Lines are held up to the reader's limit and no further, wherever the
// buffer is refilled: a line of the limit passes (with or without its CR),
// one byte more does not, and whether the last line had its line end is told.
TEST(LineReader, StopsAtALineLongerThanItsLimitWhereverTheBufferIsRefilled) {
  using velt::TLineRead;
  struct TRead {
    TLineRead Result;
    std::string Line;
    bool Ended;
  };
  const struct {
    const char* Name;
    std::string Text;
    std::vector<TRead> Reads;
  } cases[] = {
      {"limit", "12345678\r\n12345678\n", {{TLineRead::Line, "12345678", true},
                                           {TLineRead::Line, "12345678", true}}},
      {"one more", "123456789\r\nx\n", {{TLineRead::TooLong, "12345678", true}}},
      {"one more, no CR", "ok\n123456789\n", {{TLineRead::Line, "ok", true},
                                              {TLineRead::TooLong, "12345678", true}}},
      {"no line end at all", std::string(100000, 'z'), {{TLineRead::TooLong, "zzzzzzzz", false}}},
      {"last line without its end", "a\r\nb", {{TLineRead::Line, "a", true},
                                              {TLineRead::Line, "b", false},
                                              {TLineRead::End, "", false}}},
      {"last line cut after its CR", "a\r\n12345678\r", {{TLineRead::Line, "a", true},
                                                         {TLineRead::Line, "12345678", false}}},
      {"NUL bytes are text", std::string("a\0b\n", 4), {{TLineRead::Line, std::string("a\0b", 3), true}}},
  };
  for (const auto& c : cases) {
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{3},
                                    std::size_t{9}, std::size_t{4096}}) {
      SCOPED_TRACE(std::string(c.Name) + ", chunk " + std::to_string(chunk));
      TChunkedInput buffer(c.Text, chunk);
      std::istream s(&buffer);
      velt::TLineReader in(s, 8);
      for (const TRead& expected : c.Reads) {
        std::string_view line;
        const std::size_t before = buffer.Consumed();
        const TLineRead result = in.Next(line);
        ASSERT_EQ(result, expected.Result);
        if (result == TLineRead::TooLong) {
          EXPECT_EQ(line.substr(0, expected.Line.size()), expected.Line);
          // The rest of the line is never taken in.
          EXPECT_LE(buffer.Consumed() - before, 8u + 3);
          break;
        }
        EXPECT_EQ(line, expected.Line);
        if (result == TLineRead::Line) {
          EXPECT_EQ(in.LastLineEnded(), expected.Ended);
        }
      }
    }
  }
}

TEST(TextReader, MessagesShowControlBytesEscapedAndAlwaysTheReason) {
  std::istringstream s(std::string("K:100\0\t\x7f\\\r\n", 11) + "K:" + std::string(100000, 'q') +
                       "\r\n");
  TTextReader in(s);
  try {
    in.Byte();
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "Line 1: \"100\\x00\\x09\\x7f\\\\\" is not a valid integer value");
  }
  try {
    in.Line();
    FAIL();
  } catch (const EConvertError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("Line 2 is too long: a line of this file holds at most 65536 bytes", 0), 0u)
        << message;
  }
}

// A stream buffer that keeps what is written through a put area of `Chunk`
// characters (none with Chunk 0) and refuses everything past `Limit`.
class TChunkedOutput : public std::streambuf {
 public:
  TChunkedOutput(std::size_t chunk, std::size_t limit) : Chunk(chunk), Limit(limit) {
    Window.resize(chunk);
    Reset();
  }
  std::string Text;

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) {
      return traits_type::eof();
    }
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    if (Text.size() >= Limit) {
      return traits_type::eof();
    }
    Text.push_back(traits_type::to_char_type(c));
    return c;
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
    if (Text.size() + n > Limit) {
      return false;
    }
    Text.append(pbase(), n);
    Reset();
    return true;
  }
  void Reset() {
    if (Chunk > 0) {
      setp(Window.data(), Window.data() + Chunk);
    }
  }
  std::size_t Chunk;
  std::size_t Limit;
  std::vector<char> Window;
};

TEST(TextWriter, WritesTheSameBytesThroughAnyStreamBuffer) {
  const std::string longKey(80, 'K');
  const std::string expected = "CONFIGURATION_NAME\r\n0\r\n-9223372036854775808\r\n255\r\n" +
                               longKey + ":-17\r\nVELOCITY:3250\r\nCOMMENTS[0]:a: b\r\nT:860\r\n";
  for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{64},
                                  std::size_t{8192}}) {
    SCOPED_TRACE("chunk " + std::to_string(chunk));
    TChunkedOutput buffer(chunk, std::string::npos);
    std::ostream s(&buffer);
    TTextWriter out(s);
    out.Line("CONFIGURATION_NAME");
    out.Number(0);
    out.Number(kMin);
    out.Number(255);
    out.Keyed(longKey + ":", -17);
    out.Keyed("VELOCITY:", 3250);
    out.Keyed("COMMENTS[0]:", std::string("a: b"));
    out.KeyedScaled("T:", 8.6);
    s.flush();
    EXPECT_EQ(buffer.Text, expected);
  }
}

TEST(TextWriter, StreamBufferThatRefusesBytesRaisesInOutError) {
  for (const std::size_t chunk : {std::size_t{0}, std::size_t{4}}) {
    SCOPED_TRACE("chunk " + std::to_string(chunk));
    TChunkedOutput buffer(chunk, 10);
    std::ostream s(&buffer);
    TTextWriter out(s);
    EXPECT_THROW(
        {
          for (int i = 0; i < 20; ++i) {
            out.Number(1000 + i);
          }
        },
        EInOutError);
    EXPECT_FALSE(s.good());
    EXPECT_LE(buffer.Text.size(), 10u);
    EXPECT_THROW(out.Number(1), EInOutError);
  }
}

}  // namespace
