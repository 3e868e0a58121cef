// Fuzz target: any 512 bytes from an instrument, decoded by any of the
// seven configuration classes, must validate, encode and feed the
// table-indexed conversions without undefined behaviour, and measure a
// frame of samples that follow it. The first input byte chooses the class,
// the byte after the image the configuration number; the bytes after that
// choose the record and its samples (the image's own bytes when there are
// none).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "FuzzCells.h"
#include "FuzzMeasurements.h"

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

  const std::size_t used = velt::kImageSize + 1;
  if (size > used) {
    velt::fuzzing::Measure(std::move(cell), data + used, size - used);
  } else {
    velt::fuzzing::Measure(std::move(cell), data, size);
  }
  return 0;
}
