// The number encodings of the instrument's device images. The instrument
// stores every number most significant byte first; scaled quantities hold
// value x 100.
//
//   B8   one byte
//   B16  two bytes
//   C32  four bytes holding value x 100 (integer or real field)
//   C16  two bytes holding a real x 100
//
// The helpers work on any byte buffer (a TDeviceImage converts to the
// spans). An offset that does not leave room for the number inside the
// buffer throws std::out_of_range; offsets are constants of the layouts,
// so that only catches a mistake in a layout, never a value from the
// instrument. Values that do not fit an encoding are saturated (negative
// reals and NaN give 0), so no field value can make an encoder misbehave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>

#include <config/Rounding.h>

namespace velt::codec {

namespace detail {
inline void CheckRoom(std::size_t size, std::size_t at, std::size_t width) {
  if (at > size || width > size - at) {
    throw std::out_of_range("device image offset outside the buffer");
  }
}
}  // namespace detail

// ---- Raw big-endian numbers ---------------------------------------------

inline std::uint8_t ReadB8(std::span<const std::uint8_t> image, std::size_t at) {
  detail::CheckRoom(image.size(), at, 1);
  return image[at];
}

inline void WriteB8(std::span<std::uint8_t> image, std::size_t at, std::uint8_t value) {
  detail::CheckRoom(image.size(), at, 1);
  image[at] = value;
}

inline std::uint16_t ReadB16(std::span<const std::uint8_t> image, std::size_t at) {
  detail::CheckRoom(image.size(), at, 2);
  return static_cast<std::uint16_t>((image[at] << 8) | image[at + 1]);
}

inline void WriteB16(std::span<std::uint8_t> image, std::size_t at, std::uint16_t value) {
  detail::CheckRoom(image.size(), at, 2);
  image[at] = static_cast<std::uint8_t>(value >> 8);
  image[at + 1] = static_cast<std::uint8_t>(value);
}

inline std::uint32_t ReadB32(std::span<const std::uint8_t> image, std::size_t at) {
  detail::CheckRoom(image.size(), at, 4);
  return (std::uint32_t{image[at]} << 24) | (std::uint32_t{image[at + 1]} << 16) |
         (std::uint32_t{image[at + 2]} << 8) | std::uint32_t{image[at + 3]};
}

inline void WriteB32(std::span<std::uint8_t> image, std::size_t at, std::uint32_t value) {
  detail::CheckRoom(image.size(), at, 4);
  image[at] = static_cast<std::uint8_t>(value >> 24);
  image[at + 1] = static_cast<std::uint8_t>(value >> 16);
  image[at + 2] = static_cast<std::uint8_t>(value >> 8);
  image[at + 3] = static_cast<std::uint8_t>(value);
}

// ---- Scaled numbers -----------------------------------------------------

// C32 integer field: the stored number / 100, truncated. The caller keeps
// the result in its field's width (the low bits).
inline std::uint32_t ReadC32(std::span<const std::uint8_t> image, std::size_t at) {
  return ReadB32(image, at) / 100;
}

// C32 integer field: 100 x value (saturated above 42949672).
inline void WriteC32(std::span<std::uint8_t> image, std::size_t at, std::uint32_t value) {
  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  WriteB32(image, at, value > kMax / 100 ? kMax : value * 100);
}

// C32 real field: the stored number / 100.
inline double ReadC32Real(std::span<const std::uint8_t> image, std::size_t at) {
  return ReadB32(image, at) / 100.0;
}

// C32 real field: value x 100 rounded to nearest, ties to even.
inline void WriteC32Real(std::span<std::uint8_t> image, std::size_t at, double value) {
  WriteB32(image, at, RndTo<std::uint32_t>(value * 100.0));
}

// C16 real field: the stored number / 100.
inline double ReadC16Real(std::span<const std::uint8_t> image, std::size_t at) {
  return ReadB16(image, at) / 100.0;
}

// C16 real field: value x 100 truncated toward zero. A value decoded from
// hundredths may lie a hair below them in binary (0.29 x 100 is
// 28.999999999999996); the tolerance keeps such a value at its hundredth,
// so that a decode and encode cycle never loses 0.01.
inline void WriteC16Real(std::span<std::uint8_t> image, std::size_t at, double value) {
  WriteB16(image, at, TruncTo<std::uint16_t>(value * 100.0 + 1e-7));
}

}  // namespace velt::codec
