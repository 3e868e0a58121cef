// Firmware 5.01: the column of the second cursor at image bytes 336..337
// and in one more text line; the two-cursor strobe algorithm measures the
// time between the cursors.
#include <config/ConfigObject5_01ver_Unit.h>

#include <config/DeviceImageCodec.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

constexpr std::size_t kSecondCursor = 336;
constexpr std::uint16_t kDefaultSecondCursor = 1;
// The strobe algorithm that measures between the two cursors.
constexpr std::uint8_t kTwoCursorAlgorythm = 3;

}  // namespace

// The exact cursor column belongs to the single-cursor algorithms; with
// any other the instrument's column is the one in force.
void T5_01ConfigCell::DropExactCursorForStrobeAlgorythm() {
  if (STROBE_ALGORYTHM > 1) {
    EXACT_SCREEN_CURS_POS_FLAG = 0;
  }
}

// ---- Device image ----------------------------------------------------------

void T5_01ConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  T5_00ConfigCell::DecodeImage(image, n);
  VCURSOR_2 = codec::ReadB16(image, kSecondCursor);
  DropExactCursorForStrobeAlgorythm();
}

void T5_01ConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t n) {
  T5_00ConfigCell::EncodeImage(image, n);
  codec::WriteB16(image, kSecondCursor, VCURSOR_2);
}

// ---- Text record -----------------------------------------------------------

void T5_01ConfigCell::WriteText(TTextWriter& out) {
  T5_00ConfigCell::WriteText(out);
  out.Keyed("VCURSOR 2:", VCURSOR_2);
  out.Check();
}

std::uint8_t T5_01ConfigCell::ReadText(TTextReader& in) {
  T5_00ConfigCell::ReadText(in);
  VCURSOR_2 = in.Word();
  DropExactCursorForStrobeAlgorythm();
  return 0;
}

// ---- Defaults and copying --------------------------------------------------

void T5_01ConfigCell::SetDefaults(std::uint16_t n) {
  T5_00ConfigCell::SetDefaults(n);
  VCURSOR_2 = kDefaultSecondCursor;
}

void T5_01ConfigCell::Assign(const TBaseConfigCell* other) {
  T5_00ConfigCell::Assign(other);
  if (const auto* o = dynamic_cast<const T5_01ConfigCell*>(other); o != nullptr) {
    VCURSOR_2 = o->VCURSOR_2;
  }
}

// ---- Cursors ---------------------------------------------------------------

std::uint16_t T5_01ConfigCell::CursorPixel(std::uint8_t cursor) const {
  return cursor != 0 ? VCURSOR_2 : CURSOR_POSITION;
}

double T5_01ConfigCell::CursorTime(std::uint8_t cursor) const {
  if (cursor == 0) {
    return T5_00ConfigCell::CursorTime(0);
  }
  // Without pixels per division there is no time axis; the cursor is at 0.
  if (PIXEL_GRID_LENGTH == 0) {
    return 0;
  }
  return TimePerDivision() * VCURSOR_2 / PIXEL_GRID_LENGTH;
}

double T5_01ConfigCell::MeasuredTime() const {
  if (STROBE_ALGORYTHM == kTwoCursorAlgorythm) {
    return CursorTime(1) - CursorTime(0);
  }
  return T5_00ConfigCell::MeasuredTime();
}

}  // namespace velt
