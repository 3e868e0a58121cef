// Firmware 3.26: the 3.17 cell with the exact cursor column and the cursor
// inside the magnifier, kept in image bytes 321..330 and four text lines
// after the comments.
#include <config/ConfigObject3_26ver_Unit.h>

#include <cstddef>

#include <config/DeviceImageCodec.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

using codec::ReadB32;
using codec::ReadB8;
using codec::WriteB8;
using codec::WriteC32Real;

constexpr std::size_t kExactColumn = 321;  // C32 real; read from 322..324
constexpr std::size_t kExactFlag = 325;
constexpr std::size_t kLupaTime = 326;  // C32 real; read from 327..329
constexpr std::size_t kCursorInLupa = 330;

constexpr std::uint8_t kErasedByte = 0xFF;

// The low 24 bits of the C32 at `at`, / 100.
double ReadLow24(const TDeviceImage& image, std::size_t at) {
  return (ReadB32(image, at) & 0xFFFFFFu) / 100.0;
}

}  // namespace

// ---- Image ------------------------------------------------------------------

void T3_26ConfigCell::DecodeImageExactCursor(const TDeviceImage& image) {
  // Fields not read stay 0.
  EXACT_SCREEN_CURS_POSITION = 0;
  EXACT_LUPA_MKS_CURS_POSITION = 0;
  EXACT_SCREEN_CURS_POS_FLAG = ReadB8(image, kExactFlag);
  CURSOR_IS_IN_LUPA = ReadB8(image, kCursorInLupa);
  if (EXACT_SCREEN_CURS_POS_FLAG != 0) {
    EXACT_SCREEN_CURS_POSITION = ReadLow24(image, kExactColumn);
    if (CURSOR_IS_IN_LUPA != 0) {
      EXACT_LUPA_MKS_CURS_POSITION = ReadLow24(image, kLupaTime);
    }
  }
}

void T3_26ConfigCell::EncodeImageExactCursor(TDeviceImage& image) const {
  WriteC32Real(image, kExactColumn, EXACT_SCREEN_CURS_POSITION);
  WriteB8(image, kExactFlag, EXACT_SCREEN_CURS_POS_FLAG);
  WriteC32Real(image, kLupaTime, EXACT_LUPA_MKS_CURS_POSITION);
  WriteB8(image, kCursorInLupa, CURSOR_IS_IN_LUPA);
}

void T3_26ConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  T3_17ConfigCell::DecodeImage(image, n);
  EXACT_SCREEN_CURS_POSITION = 0;
  EXACT_SCREEN_CURS_POS_FLAG = 0;
  EXACT_LUPA_MKS_CURS_POSITION = 0;
  CURSOR_IS_IN_LUPA = 0;
  // An erased slot, or an image of an older firmware without the exact
  // cursor bytes, gives the default setup.
  if (!ImagePresent(image) || ReadB8(image, kExactColumn) == kErasedByte) {
    SetDefaults(n);
    return;
  }
  DecodeImageExactCursor(image);
}

void T3_26ConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t) {
  // The 3.26 instrument takes the cell's own number.
  T3_17ConfigCell::EncodeImage(image, CONFIGURATION_NO);
  EncodeImageExactCursor(image);
}

// ---- Text record ----------------------------------------------------------------

void T3_26ConfigCell::WriteTextExactCursor(TTextWriter& out) const {
  out.KeyedScaled("EXACT_SCREEN_CURS_POSITION:", EXACT_SCREEN_CURS_POSITION);
  out.Keyed("EXACT_SCREEN_CURS_POS_FLAG:", EXACT_SCREEN_CURS_POS_FLAG);
  out.KeyedScaled("EXACT_LUPA_MKS_CURS_POSITION:", EXACT_LUPA_MKS_CURS_POSITION);
  out.Keyed("CURSOR_IS_IN_LUPA:", CURSOR_IS_IN_LUPA);
}

void T3_26ConfigCell::ReadTextExactCursor(TTextReader& in) {
  EXACT_SCREEN_CURS_POSITION = in.Scaled(100);
  EXACT_SCREEN_CURS_POS_FLAG = in.Byte();
  EXACT_LUPA_MKS_CURS_POSITION = in.Scaled(100);
  CURSOR_IS_IN_LUPA = in.Byte();
}

void T3_26ConfigCell::WriteText(TTextWriter& out) {
  T3_17ConfigCell::WriteText(out);
  WriteTextExactCursor(out);
  out.Check();
}

std::uint8_t T3_26ConfigCell::ReadText(TTextReader& in) {
  T3_17ConfigCell::ReadText(in);
  ReadTextExactCursor(in);
  return 0;
}

// ---- Defaults, validation, copying ---------------------------------------------

void T3_26ConfigCell::SetDefaults(std::uint16_t n) {
  T3_17ConfigCell::SetDefaults(n);
  EXACT_SCREEN_CURS_POSITION = 0;
  EXACT_SCREEN_CURS_POS_FLAG = 0;
  EXACT_LUPA_MKS_CURS_POSITION = 0;
  CURSOR_IS_IN_LUPA = 0;
}

bool T3_26ConfigCell::Validate() {
  const bool ok = T3_17ConfigCell::Validate() && CURSOR_IS_IN_LUPA < 11 &&
                  EXACT_SCREEN_CURS_POS_FLAG < 11 && EXACT_SCREEN_CURS_POSITION >= 0;
  TGV_GAIN[0] = 0;
  return ok;
}

void T3_26ConfigCell::Assign(const TBaseConfigCell* other) {
  if (other == nullptr || other == this) {
    return;
  }
  T3_17ConfigCell::Assign(other);
  if (const auto* o = dynamic_cast<const T3_26ConfigCell*>(other)) {
    EXACT_SCREEN_CURS_POSITION = o->EXACT_SCREEN_CURS_POSITION;
    EXACT_SCREEN_CURS_POS_FLAG = o->EXACT_SCREEN_CURS_POS_FLAG;
    EXACT_LUPA_MKS_CURS_POSITION = o->EXACT_LUPA_MKS_CURS_POSITION;
    CURSOR_IS_IN_LUPA = o->CURSOR_IS_IN_LUPA;
  }
}

// ---- Cursor ------------------------------------------------------------------------

double T3_26ConfigCell::CursorTime(std::uint8_t) const {
  // Without pixels per division there is no time axis; the cursor is at 0.
  if (PIXEL_GRID_LENGTH == 0) {
    return 0;
  }
  const double x = EXACT_SCREEN_CURS_POS_FLAG == 1 && TVG_ENABLED != 2
                       ? EXACT_SCREEN_CURS_POSITION
                       : static_cast<double>(CURSOR_POSITION);
  const double t = x * TimePerDivision() / PIXEL_GRID_LENGTH;
  return t < 0 ? 0 : t;
}

void T3_26ConfigCell::SetCursorTime(double us) {
  CURSOR_POSITION = RndTo<std::uint16_t>(PIXEL_GRID_LENGTH * us / TimePerDivision());
  EXACT_SCREEN_CURS_POS_FLAG = 0;
}

}  // namespace velt
