// Firmware 4.08: the freeze flag travels in image byte 333 and in one more
// text line.
#include <config/ConfigObject4_08ver_Unit.h>

#include <config/DeviceImageCodec.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

constexpr std::size_t kFreezeFlag = 333;
// What a freeze line that is not a number stands for (any non-zero value
// means frozen).
constexpr long long kFreezeFallback = 100;

}  // namespace

// ---- Device image ----------------------------------------------------------

void T4_08ConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  // Read first: when the 4.03 decode falls back to the default setup, that
  // sets the flag again.
  Frozen = codec::ReadB8(image, kFreezeFlag) != 0;
  T4_03ConfigCell::DecodeImage(image, n);
}

void T4_08ConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t n) {
  T4_03ConfigCell::EncodeImage(image, n);
  codec::WriteB8(image, kFreezeFlag, Frozen ? 1 : 0);
}

// ---- Text record -----------------------------------------------------------

void T4_08ConfigCell::WriteText(TTextWriter& out) {
  T4_03ConfigCell::WriteText(out);
  WriteTextFreezeFlag(out);
  out.Check();
}

std::uint8_t T4_08ConfigCell::ReadText(TTextReader& in) {
  T4_03ConfigCell::ReadText(in);
  ReadTextFreezeFlag(in);
  return 0;
}

void T4_08ConfigCell::WriteTextFreezeFlag(TTextWriter& out) const {
  out.Keyed("PRINT_SIGNAL_LEVEL_IN_STOP:", Frozen ? 1 : 0);
}

void T4_08ConfigCell::ReadTextFreezeFlag(TTextReader& in) {
  Frozen = ReadIntegerOr(in, kFreezeFallback, 0, 255) != 0;
}

// ---- Defaults and copying --------------------------------------------------

void T4_08ConfigCell::SetDefaults(std::uint16_t n) {
  Frozen = true;
  T4_03ConfigCell::SetDefaults(n);
}

void T4_08ConfigCell::Assign(const TBaseConfigCell* other) {
  if (const auto* o = dynamic_cast<const T4_08ConfigCell*>(other); o != nullptr) {
    Frozen = o->Frozen;
  }
  T4_03ConfigCell::Assign(other);
}

}  // namespace velt
