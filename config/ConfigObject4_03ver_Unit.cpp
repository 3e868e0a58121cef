// Firmware 4.03: the magnifier cursor column at image bytes 331..332 and
// one more text line; the cursor time knows the magnifier.
#include <config/ConfigObject4_03ver_Unit.h>

#include <cmath>
#include <numbers>
#include <string>

#include <config/DeviceImageCodec.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

constexpr std::size_t kLupaPosition = 331;
constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::uint16_t kDefaultLupaPosition = 100;
// The magnifier shows strobe 1 over this many columns.
constexpr double kLupaColumns = 224.0;
// Bits 8 and 9 of USED MODE ??? both set: the picture is frozen.
constexpr std::uint16_t kFrozenBits = 0x0300;

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

// ---- Device image ----------------------------------------------------------

void T4_03ConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  T3_26ConfigCell::DecodeImage(image, n);
  if (!ImagePresent(image) || codec::ReadB8(image, kLupaPosition) == kErasedByte) {
    SetDefaults(n);
    return;
  }
  SCREEN_CURSOR_LUPA_POS = codec::ReadB16(image, kLupaPosition);
}

void T4_03ConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t n) {
  // The 4.03 instrument keeps the magnifier column to itself: bytes
  // 331..332 are not sent.
  T3_26ConfigCell::EncodeImage(image, n);
}

// ---- Text record -----------------------------------------------------------

void T4_03ConfigCell::WriteText(TTextWriter& out) {
  T3_26ConfigCell::WriteText(out);
  WriteTextLupaPosition(out);
  out.Check();
}

std::uint8_t T4_03ConfigCell::ReadText(TTextReader& in) {
  T3_26ConfigCell::ReadText(in);
  ReadTextLupaPosition(in);
  return 0;
}

void T4_03ConfigCell::WriteTextLupaPosition(TTextWriter& out) const {
  out.Keyed("SCREEN CURSOR LUPA POS:", SCREEN_CURSOR_LUPA_POS);
}

void T4_03ConfigCell::ReadTextLupaPosition(TTextReader& in) {
  SCREEN_CURSOR_LUPA_POS =
      static_cast<std::uint16_t>(ReadIntegerOr(in, kDefaultLupaPosition, 0, 65535));
}

long long T4_03ConfigCell::ReadIntegerOr(TTextReader& in, long long fallback, long long min,
                                         long long max) {
  const std::string text = in.Value();
  long long value = 0;
  if (!ParseFileInteger(text, value)) {
    return fallback;
  }
  if (value < min || value > max) {
    throw EConvertError("Line " + std::to_string(in.LineNumber()) + ": " + QuotedLine(text) +
                        " is not in the range " + std::to_string(min) + ".." +
                        std::to_string(max));
  }
  return value;
}

// ---- Defaults and copying --------------------------------------------------

void T4_03ConfigCell::SetDefaults(std::uint16_t n) {
  T3_26ConfigCell::SetDefaults(n);
  SCREEN_CURSOR_LUPA_POS = kDefaultLupaPosition;
}

void T4_03ConfigCell::Assign(const TBaseConfigCell* other) {
  T3_26ConfigCell::Assign(other);
  if (const auto* o = dynamic_cast<const T4_03ConfigCell*>(other); o != nullptr && o != this) {
    SCREEN_CURSOR_LUPA_POS = o->SCREEN_CURSOR_LUPA_POS;
  }
}

// ---- Cursor ----------------------------------------------------------------

double T4_03ConfigCell::CursorTime(std::uint8_t) const {
  const bool frozen = (USED_MODE & kFrozenBits) == kFrozenBits;

  if (!(SCREEN_MODE == 3 && CURSOR_IS_IN_LUPA == 1)) {
    // Without pixels per division there is no time axis; the cursor is at 0.
    if (PIXEL_GRID_LENGTH == 0) {
      return 0;
    }
    const double x = EXACT_SCREEN_CURS_POS_FLAG == 1 && TVG_ENABLED != 2 && frozen
                         ? EXACT_SCREEN_CURS_POSITION
                         : static_cast<double>(CURSOR_POSITION) - DisplayOffset;
    const double t = TimePerDivision() * x / PIXEL_GRID_LENGTH;
    return t < 0 ? 0 : t;
  }

  // Inside the magnifier.
  if (EXACT_SCREEN_CURS_POS_FLAG == 1 && frozen) {
    return EXACT_LUPA_MKS_CURS_POSITION;
  }
  const double k = std::cos(Radians(InsertionAngle()));
  // Without a velocity, or with a beam along the surface, there is no time
  // to tell; the cursor is at 0.
  if (VELOCITY == 0 || k == 0) {
    return 0;
  }
  const double b = StrobeBeginPath(0);
  const double e = StrobeEndPath(0);
  const double d = (SCREEN_CURSOR_LUPA_POS / kLupaColumns) * (e - b) / k + b / k;
  double t = d * 2000.0 / VELOCITY;
  if (SCREEN_UNITS == 2) {
    t /= k;
  }
  return t;
}

void T4_03ConfigCell::SetCursorTime(double us) {
  CURSOR_POSITION =
      RndTo<std::uint16_t>(DisplayOffset + PIXEL_GRID_LENGTH * us / TimePerDivision());
  EXACT_SCREEN_CURS_POS_FLAG = 0;
}

// ---- Peak ------------------------------------------------------------------

bool T4_03ConfigCell::PeakPositionAvailable() const {
  return SCREEN_MODE == 3 && CURSOR_IS_IN_LUPA == 1;
}

std::uint16_t T4_03ConfigCell::PeakPosition() const {
  return SCREEN_CURSOR_LUPA_POS > DisplayOffset
             ? static_cast<std::uint16_t>(SCREEN_CURSOR_LUPA_POS - DisplayOffset)
             : SCREEN_CURSOR_LUPA_POS;
}

}  // namespace velt
