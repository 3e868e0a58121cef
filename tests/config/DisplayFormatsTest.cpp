// The number formats of parameter texts: padding by the value's digit
// count (not by the text's length), zeros for dates and times, fixed reals
// with the locale's decimal separator.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include <config/DisplayFormats.h>

namespace velt {
namespace {

struct TIntegerCase {
  long long Value;
  int Width;
  const char* Blanks;
  const char* Zeros;
};

class IntegerFormatTest : public ::testing::TestWithParam<TIntegerCase> {};

TEST_P(IntegerFormatTest, PadsByTheDigitCountOfTheValue) {
  const TIntegerCase& c = GetParam();
  EXPECT_EQ(IntegerInWidth(c.Value, c.Width), c.Blanks);
  EXPECT_EQ(IntegerWithZeros(c.Value, c.Width), c.Zeros);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegerFormatTest,
    ::testing::Values(TIntegerCase{0, 4, "   0", "0000"}, TIntegerCase{9, 4, "   9", "0009"},
                      TIntegerCase{10, 4, "  10", "0010"}, TIntegerCase{99, 4, "  99", "0099"},
                      TIntegerCase{100, 4, " 100", "0100"}, TIntegerCase{999, 4, " 999", "0999"},
                      TIntegerCase{1000, 4, "1000", "1000"}, TIntegerCase{9999, 4, "9999", "9999"},
                      TIntegerCase{10000, 4, "10000", "10000"},
                      // More than five digits still count as five.
                      TIntegerCase{1234567, 6, " 1234567", "01234567"},
                      // A negative value counts as one digit.
                      TIntegerCase{-5, 4, "   -5", "000-5"},
                      TIntegerCase{-1234, 4, "   -1234", "000-1234"},
                      // Dates and times: two digits, the year in four.
                      TIntegerCase{7, 2, " 7", "07"}, TIntegerCase{31, 2, "31", "31"},
                      TIntegerCase{2024, 4, "2024", "2024"},
                      // No room for padding.
                      TIntegerCase{123, 2, "123", "123"}, TIntegerCase{5, 1, "5", "5"},
                      TIntegerCase{5, 0, "5", "5"}, TIntegerCase{5, -3, "5", "5"}));

struct TIntegerDigitCase {
  long long Value;
  int Digits;
};

class IntegerDigitCountTest : public ::testing::TestWithParam<TIntegerDigitCase> {};

TEST_P(IntegerDigitCountTest, UpToNineThousandNineHundredNinetyNineIsFour) {
  EXPECT_EQ(IntegerDigitCount(GetParam().Value), GetParam().Digits) << GetParam().Value;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, IntegerDigitCountTest,
    ::testing::Values(TIntegerDigitCase{std::numeric_limits<long long>::min(), 1},
                      TIntegerDigitCase{-1, 1}, TIntegerDigitCase{0, 1}, TIntegerDigitCase{9, 1},
                      TIntegerDigitCase{10, 2}, TIntegerDigitCase{99, 2}, TIntegerDigitCase{100, 3},
                      TIntegerDigitCase{999, 3}, TIntegerDigitCase{1000, 4},
                      TIntegerDigitCase{9999, 4}, TIntegerDigitCase{10000, 5},
                      TIntegerDigitCase{std::numeric_limits<long long>::max(), 5}));

struct TRealDigitCase {
  double Value;
  int Digits;
};

class RealDigitCountTest : public ::testing::TestWithParam<TRealDigitCase> {};

TEST_P(RealDigitCountTest, BelowTenThousandIsFour) {
  EXPECT_EQ(RealDigitCount(GetParam().Value), GetParam().Digits) << GetParam().Value;
}

INSTANTIATE_TEST_SUITE_P(Boundaries, RealDigitCountTest,
                         ::testing::Values(TRealDigitCase{-100000, 1}, TRealDigitCase{0, 1},
                                           TRealDigitCase{9.99, 1}, TRealDigitCase{10, 2},
                                           TRealDigitCase{99.99, 2}, TRealDigitCase{100, 3},
                                           TRealDigitCase{999.9, 3}, TRealDigitCase{1000, 4},
                                           TRealDigitCase{9999.9, 4}, TRealDigitCase{10000, 5},
                                           TRealDigitCase{1e300, 5}));

struct TRealCase {
  double Value;
  int Decimals;
  int Width;
  char Separator;
  const char* Text;
};

class RealFormatTest : public ::testing::TestWithParam<TRealCase> {};

TEST_P(RealFormatTest, FixedNotationPaddedByTheValue) {
  const TRealCase& c = GetParam();
  EXPECT_EQ(RealInWidth(c.Value, c.Decimals, c.Width, c.Separator), c.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RealFormatTest,
    ::testing::Values(
        TRealCase{2.5, 1, 4, '.', "   2.5"}, TRealCase{15.0, 1, 4, '.', "  15.0"},
        TRealCase{0.0, 1, 4, '.', "   0.0"}, TRealCase{8.6, 2, 4, '.', "   8.60"},
        TRealCase{99.99, 2, 4, '.', "  99.99"}, TRealCase{124.648, 1, 4, '.', " 124.6"},
        TRealCase{1234.56, 1, 4, '.', "1234.6"}, TRealCase{12345.6, 1, 4, '.', "12345.6"},
        // The padding follows the value, not the rounded text.
        TRealCase{9.96, 1, 4, '.', "   10.0"}, TRealCase{9999.96, 1, 4, '.', "10000.0"},
        // Negative values are below 10.
        TRealCase{-3.26, 1, 4, '.', "   -3.3"}, TRealCase{-250.0, 1, 4, '.', "   -250.0"},
        // The locale's decimal separator.
        TRealCase{2.5, 1, 4, ',', "   2,5"}, TRealCase{12.0, 2, 4, ',', "  12,00"},
        // No decimals, no separator.
        TRealCase{42.4, 0, 4, ',', "  42"}, TRealCase{42.6, -2, 4, '.', "  43"},
        TRealCase{1.5, 1, 0, '.', "1.5"}));

TEST(RealFormatTest, ValuesThatAreNotFiniteStillGiveAText) {
  EXPECT_EQ(RealInWidth(std::numeric_limits<double>::quiet_NaN(), 1, 4), "nan");
  EXPECT_EQ(RealInWidth(std::numeric_limits<double>::infinity(), 1, 4), "inf");
  EXPECT_EQ(RealInWidth(-std::numeric_limits<double>::infinity(), 1, 4), "   -inf");
}

TEST(RealFormatTest, HugeValuesAndManyDecimalsFit) {
  const std::string huge = RealInWidth(std::numeric_limits<double>::max(), 1, 4);
  EXPECT_EQ(huge.size(), 309u + 2u);
  EXPECT_EQ(huge.substr(0, 5), "17976");
  EXPECT_EQ(huge.substr(huge.size() - 2), ".0");

  // Decimals are limited to 30.
  const std::string many = RealInWidth(1.5, 200, 0);
  EXPECT_EQ(many, "1.5" + std::string(29, '0'));
}

}  // namespace
}  // namespace velt
