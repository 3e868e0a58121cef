#include <config/DisplayFormats.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

namespace velt {
namespace {

constexpr int kMaxDecimals = 30;

std::string Padded(const std::string& text, int digits, int width, char pad) {
  if (digits >= width) {
    return text;
  }
  return std::string(static_cast<std::size_t>(width - digits), pad) + text;
}

}  // namespace

int IntegerDigitCount(long long value) {
  if (value <= 9) {
    return 1;  // negative values count as one digit too
  }
  if (value < 100) {
    return 2;
  }
  if (value < 1000) {
    return 3;
  }
  if (value <= 9999) {
    return 4;
  }
  return 5;
}

int RealDigitCount(double value) {
  if (value < 10) {
    return 1;
  }
  if (value < 100) {
    return 2;
  }
  if (value < 1000) {
    return 3;
  }
  if (value < 10000) {
    return 4;
  }
  return 5;
}

std::string IntegerInWidth(long long value, int width) {
  return Padded(std::to_string(value), IntegerDigitCount(value), width, ' ');
}

std::string IntegerWithZeros(long long value, int width) {
  return Padded(std::to_string(value), IntegerDigitCount(value), width, '0');
}

std::string RealInWidth(double value, int decimals, int width, char decimalSeparator) {
  const int k = std::clamp(decimals, 0, kMaxDecimals);
  // The largest double has 309 integer digits; sign, point and decimals fit
  // in the rest.
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, k);
  std::string text = ec == std::errc() ? std::string(buffer.data(), end) : std::string();
  std::replace(text.begin(), text.end(), '.', decimalSeparator);
  return Padded(text, RealDigitCount(value), width, ' ');
}

}  // namespace velt
