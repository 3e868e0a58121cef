// Fuzz target: any 512 bytes from an instrument must decode, validate,
// encode and feed the table-indexed conversions without undefined
// behaviour. Input bytes beyond 512 choose the configuration number.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include <config/BaseConfigObjectsUnit.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velt::TDeviceImage image{};
  const std::size_t used = std::min(size, velt::kImageSize);
  std::copy_n(data, used, image.begin());
  const auto n = static_cast<std::uint16_t>(size > velt::kImageSize ? data[velt::kImageSize] : 0);

  velt::TBaseConfigCell cell;
  cell.Initialise();
  cell.DecodeImage(image, n);
  cell.Validate();

  velt::TDeviceImage out{};
  cell.EncodeImage(out, n);

  cell.UpdateMillimetreGrid();
  cell.UpdateDepthGrid();
  std::size_t length = 0;
  for (std::uint8_t p = 0; p < velt::kParameterCount; ++p) {
    length += cell.ParameterText(p).size();
  }
  volatile double sink = cell.TimePerDivision() + cell.MmPerDivision() +
                         cell.ProbeFrequencyMHz() + cell.ProbePulse() + cell.LastTgvPoint() +
                         static_cast<double>(length);
  static_cast<void>(sink);

  // What the encoder wrote must decode again.
  velt::TBaseConfigCell again;
  again.Initialise();
  again.DecodeImage(out, n);
  return 0;
}
