// Fuzz target: any 512 bytes from an instrument, decoded by any of the
// seven configuration classes, must validate, encode and feed the
// table-indexed conversions without undefined behaviour. The first input
// byte chooses the class, the byte after the image the configuration number.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzCells.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t selector = data[0];
  ++data;
  --size;
  velt::TDeviceImage image{};
  std::copy_n(data, std::min(size, velt::kImageSize), image.begin());
  const auto n = static_cast<std::uint16_t>(size > velt::kImageSize ? data[velt::kImageSize] : 0);

  auto cell = velt::fuzzing::MakeCell(selector);
  cell->DecodeImage(image, n);
  velt::fuzzing::Exercise(*cell);

  velt::TDeviceImage out{};
  cell->EncodeImage(out, n);

  // What the encoder wrote must decode again.
  auto again = velt::fuzzing::MakeCell(selector);
  again->DecodeImage(out, n);
  velt::fuzzing::Exercise(*again);
  return 0;
}
