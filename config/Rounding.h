// Conversions of reals to integers as the instrument does them: to nearest,
// ties to even, and saturating where a value meets a fixed-width field, so
// that an implausible setup can never turn into undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace velt {

// Nearest, ties to even (the default rounding mode of the FPU).
inline double Rnd(double x) { return std::nearbyint(x); }

// Rounded and clamped into the range of T; NaN gives 0.
template <typename T>
T RndTo(double x) {
  if (std::isnan(x)) {
    return 0;
  }
  const double r = Rnd(x);
  if (r <= static_cast<double>(std::numeric_limits<T>::min())) {
    return std::numeric_limits<T>::min();
  }
  if (r >= static_cast<double>(std::numeric_limits<T>::max())) {
    return std::numeric_limits<T>::max();
  }
  return static_cast<T>(r);
}

// Truncated toward zero and clamped into the range of T; NaN gives 0.
template <typename T>
T TruncTo(double x) {
  if (std::isnan(x)) {
    return 0;
  }
  const double r = std::trunc(x);
  if (r <= static_cast<double>(std::numeric_limits<T>::min())) {
    return std::numeric_limits<T>::min();
  }
  if (r >= static_cast<double>(std::numeric_limits<T>::max())) {
    return std::numeric_limits<T>::max();
  }
  return static_cast<T>(r);
}

}  // namespace velt
