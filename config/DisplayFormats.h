// The display formats of numbers in parameter texts, grids and reports.
//
// The padding follows the instrument's digit count of the value, not the
// length of the text: a value counts as d digits (integers: 1 up to 9, 2
// below 100, 3 below 1000, 4 up to 9999, 5 above, negative values 1; reals:
// 1 below 10, 2 below 100, 3 below 1000, 4 below 10000, 5 otherwise), and
// w - d pad characters go in front when d < w.
#pragma once

#include <string>

namespace velt {

// Integer in width w: blanks in front up to w digits' worth.
std::string IntegerInWidth(long long value, int width);
// The same with "0" characters instead of blanks.
std::string IntegerWithZeros(long long value, int width);
// Fixed notation with `decimals` decimals, blanks in front; the decimal
// separator is the given one (the user's locale). The text does not depend
// on the C library's locale. Decimals are taken as 0..30.
std::string RealInWidth(double value, int decimals, int width, char decimalSeparator = '.');

// The digit counts behind the padding, for callers that pad other texts
// the same way.
int IntegerDigitCount(long long value);
int RealDigitCount(double value);

}  // namespace velt
