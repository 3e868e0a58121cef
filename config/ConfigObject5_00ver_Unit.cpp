// Firmware 5.00. Offsets 0..60 of the image are a compact block of their
// own, with the name in the instrument's character codes; from 143 on the
// 3.17 layout holds with the 3.26, 4.03 and 4.08 additions and a few
// changes of rounding and of what is written. The text record is the 3.17
// one with a name block of its own and four more lines at the end.
#include <config/ConfigObject5_00ver_Unit.h>

#include <algorithm>
#include <string>

#include <config/CharMappingUnit.h>
#include <config/DeviceImageCodec.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

using codec::ReadB16;
using codec::ReadB8;
using codec::WriteB16;
using codec::WriteB8;

// ---- Offsets of the compact block ---------------------------------------
constexpr std::size_t kNumberCodes = 0;  // tens, units, "."
constexpr std::size_t kName = 3;         // 15 codes, "/" written at 17
constexpr std::size_t kNameTerminator = 17;
constexpr std::size_t kVelocity = 23;
constexpr std::size_t kProbeFreqIndex = 25;
constexpr std::size_t kProbePulseIndex = 26;
constexpr std::size_t kZonderPulsePeriods = 27;  // periods x 2
constexpr std::size_t kRefreshRate = 28;
constexpr std::size_t kFilterBand = 29;
constexpr std::size_t kProbeDelay = 30;  // x 100
constexpr std::size_t kBeamAngle = 32;   // x 10
constexpr std::size_t kProbeArrow = 34;  // x 10
constexpr std::size_t kThickness = 36;   // x 10
constexpr std::size_t kOtsechka = 38;
constexpr std::size_t kStrobeAlgorythm = 39;
constexpr std::size_t kPoisk = 40;
constexpr std::size_t kArdPlateDiameter = 41;  // x 10
constexpr std::size_t kArdSignalAmplitude = 43;
constexpr std::size_t kArdPlateFloorDiameter = 44;  // x 10
constexpr std::size_t kCursor1Enabled = 46;
constexpr std::size_t kCursor2Enabled = 47;
constexpr std::size_t kSignalType = 48;
constexpr std::size_t kUserMode = 49;  // low byte
constexpr std::size_t kTvgEnabled = 50;
constexpr std::size_t kArdAttenuation = 51;  // x 10
constexpr std::size_t kProbeType = 53;
constexpr std::size_t kLastMemCell = 55;
constexpr std::size_t kBScanRate = 58;  // x 10
constexpr std::size_t kScreenUnits = 60;

// ---- What 5.00 changes from offset 143 on ---------------------------------
constexpr std::size_t kStrobe1LevelLow = 163;  // low bytes of the level words
constexpr std::size_t kStrobe2LevelLow = 165;
constexpr std::size_t kTgvCursorPosition = 297;
constexpr std::size_t kPixelGridLengthMm = 303;      // x 100, rounded
constexpr std::size_t kPrevPixelGridLengthMm = 305;  // x 100, rounded
constexpr std::size_t kAmplitudeMarkerPosition = 314;
constexpr std::size_t kPixelGridLengthMmDepth = 316;  // x 100, rounded
constexpr std::size_t kPixelGridLengthMmDepthAgain = 318;
constexpr std::size_t kLupaPosition = 331;
constexpr std::size_t kFreezeFlag = 333;
constexpr std::size_t kCursorOn = 334;
constexpr std::size_t kLevelOn = 335;
constexpr std::size_t kConfigIndex = 501;

constexpr std::size_t kNameCodes = 15;     // name characters 0..14
constexpr std::size_t kImageNameChars = 14;  // position 14 carries the "/"
constexpr std::uint8_t kSlash = '/';
constexpr std::uint8_t kBlankCode = 0x20;

// A stored thickness of this or more means the thickness is switched off.
constexpr double kThicknessOff = 900.0;

std::uint8_t CodeOf(char c) { return TextToInstrumentCode(std::string(1, c)); }

// Reals that the compact block keeps scaled in one word.
double ReadTenths(const TDeviceImage& image, std::size_t at) {
  return ReadB16(image, at) / 10.0;
}
void WriteTenths(TDeviceImage& image, std::size_t at, double value) {
  WriteB16(image, at, RndTo<std::uint16_t>(value * 10.0));
}
void WriteHundredths(TDeviceImage& image, std::size_t at, double value) {
  WriteB16(image, at, RndTo<std::uint16_t>(value * 100.0));
}

}  // namespace

T5_00ConfigCell::T5_00ConfigCell(TNumberFormat format) : T4_08ConfigCell(format) {
  // The 5.00 instrument draws its trace from column 0.
  DisplayOffset = 0;
}

// ---- Name and number -------------------------------------------------------

void T5_00ConfigCell::SetNameFromCodes() {
  CONFIGURATION_NAME.clear();
  bool ended = false;
  for (std::size_t i = 0; i < kNameCodes; ++i) {
    if (NameChars[i] == kSlash) {
      ended = true;
    }
    CONFIGURATION_NAME += ended ? std::string(" ") : InstrumentCodeToText(NameChars[i]);
  }
}

std::array<std::uint8_t, 3> T5_00ConfigCell::NumberCodes() const {
  // Numbers above 99 are not the instrument's; only their last two digits
  // are given.
  const int tens = CONFIGURATION_NO / 10 % 10;
  const int units = CONFIGURATION_NO % 10;
  return {CodeOf(static_cast<char>('0' + tens)), CodeOf(static_cast<char>('0' + units)),
          CodeOf('.')};
}

// ---- Device image ----------------------------------------------------------

void T5_00ConfigCell::DecodeImage500Head(const TDeviceImage& image) {
  for (std::size_t i = 0; i < kNameCodes; ++i) {
    NameChars[i] = ReadB8(image, kName + i);
  }
  NameChars[kNameCodes] = kSlash;
  SetNameFromCodes();

  VELOCITY = ReadB16(image, kVelocity);
  PROBE_FREQ = ReadB8(image, kProbeFreqIndex);
  PROBE_PULSE = ReadB8(image, kProbePulseIndex);
  ZONDER_PULSE_PERIODS = ReadB8(image, kZonderPulsePeriods) / 2.0;
  REFRESH_RATE = ReadB8(image, kRefreshRate);
  FILTER_BAND = ReadB8(image, kFilterBand);
  PROBE_DELAY = ReadB16(image, kProbeDelay) / 100.0;
  BeamAngle = ReadTenths(image, kBeamAngle);
  PROBE_ARROW = ReadTenths(image, kProbeArrow);
  const double thickness = ReadTenths(image, kThickness);
  if (thickness >= kThicknessOff) {
    THICKNESS = 0;
    EVEN_REMINDER_FLAG = 0;
  } else {
    THICKNESS = thickness;
    EVEN_REMINDER_FLAG = 1;
  }
  OTSECHKA = ReadB8(image, kOtsechka);
  STROBE_ALGORYTHM = ReadB8(image, kStrobeAlgorythm);
  POISK = ReadB8(image, kPoisk);
  ARD_PLATE_DIAMETER = ReadTenths(image, kArdPlateDiameter);
  ARD_SIGNAL_AMPLITUDE = ReadB8(image, kArdSignalAmplitude);
  ARD_PLATE_FLOOR_DIAMETER = ReadTenths(image, kArdPlateFloorDiameter);
  CURSOR_1_ENABLED = ReadB8(image, kCursor1Enabled);
  CURSOR_2_ENABLED = ReadB8(image, kCursor2Enabled);
  SIGNAL_TYPE = ReadB8(image, kSignalType);
  USER_MODE = ReadB8(image, kUserMode);
  TVG_ENABLED = ReadB8(image, kTvgEnabled);
  ARD_ATTENUATION = ReadTenths(image, kArdAttenuation);
  PROBE_TYPE = ReadB8(image, kProbeType);
  LAST_MEM_CELL = ReadB16(image, kLastMemCell);
  B_SCAN_RATE = ReadTenths(image, kBScanRate);
  SCREEN_UNITS = ReadB8(image, kScreenUnits);
}

void T5_00ConfigCell::EncodeImage500Head(TDeviceImage& image) {
  const auto number = NumberCodes();
  for (std::size_t i = 0; i < number.size(); ++i) {
    WriteB8(image, kNumberCodes + i, number[i]);
  }

  // At most 14 characters reach the instrument; the rest of the 15 places
  // are blanks, and the "/" goes over the last one. A character the
  // instrument cannot show ("/" included) goes out as a blank.
  const std::size_t k = std::min(CONFIGURATION_NAME.size(), kImageNameChars);
  for (std::size_t i = 0; i < kNameCodes; ++i) {
    std::uint8_t code = kBlankCode;
    if (i < k && static_cast<std::uint8_t>(CONFIGURATION_NAME[i]) != kSlash) {
      code = CodeOf(CONFIGURATION_NAME[i]);
    }
    NameChars[i] = code;
    WriteB8(image, kName + i, code);
  }
  NameChars[kNameCodes] = kSlash;
  WriteB8(image, kNameTerminator, kSlash);

  WriteB16(image, kVelocity, VELOCITY);
  WriteB8(image, kProbeFreqIndex, PROBE_FREQ);
  WriteB8(image, kProbePulseIndex, PROBE_PULSE);
  WriteB8(image, kZonderPulsePeriods, RndTo<std::uint8_t>(ZONDER_PULSE_PERIODS * 2.0));
  WriteB8(image, kRefreshRate, REFRESH_RATE);
  WriteB8(image, kFilterBand, FILTER_BAND);
  WriteHundredths(image, kProbeDelay, PROBE_DELAY);
  WriteTenths(image, kBeamAngle, BeamAngle);
  WriteTenths(image, kProbeArrow, PROBE_ARROW);
  WriteTenths(image, kThickness, THICKNESS);
  WriteB8(image, kOtsechka, OTSECHKA);
  WriteB8(image, kStrobeAlgorythm, STROBE_ALGORYTHM);
  WriteB8(image, kPoisk, POISK);
  WriteTenths(image, kArdPlateDiameter, ARD_PLATE_DIAMETER);
  WriteB8(image, kArdSignalAmplitude, RndTo<std::uint8_t>(ARD_SIGNAL_AMPLITUDE));
  WriteTenths(image, kArdPlateFloorDiameter, ARD_PLATE_FLOOR_DIAMETER);
  WriteB8(image, kCursor1Enabled, CURSOR_1_ENABLED);
  WriteB8(image, kCursor2Enabled, CURSOR_2_ENABLED);
  WriteB8(image, kSignalType, SIGNAL_TYPE);
  WriteB8(image, kUserMode, static_cast<std::uint8_t>(USER_MODE & 0xFF));
  WriteB8(image, kTvgEnabled, TVG_ENABLED);
  WriteTenths(image, kArdAttenuation, ARD_ATTENUATION);
  WriteB8(image, kProbeType, PROBE_TYPE);
  WriteB16(image, kLastMemCell, LAST_MEM_CELL);
  WriteTenths(image, kBScanRate, B_SCAN_RATE);
  WriteB8(image, kScreenUnits, SCREEN_UNITS);
}

void T5_00ConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  // The 5.00 image has no erased-slot fallback of its own: the download
  // tells an empty slot by its first bytes before it decodes, and every
  // byte of the compact block (a name code 0xFF included) is a value.
  DecodeImage500Head(image);
  INSERTION_ANGLE = RndTo<std::uint8_t>(BeamAngle);
  DecodeImage317Tail(image);
  // The level rows are read from the low bytes of their words only (and
  // recomputed from the percents below).
  STROBE_1_LEVEL = ReadB8(image, kStrobe1LevelLow);
  STROBE_2_LEVEL = ReadB8(image, kStrobe2LevelLow);
  DecodeImageExactCursor(image);
  SCREEN_CURSOR_LUPA_POS = ReadB16(image, kLupaPosition);
  Frozen = ReadB8(image, kFreezeFlag) != 0;
  CURSOR_ON = ReadB8(image, kCursorOn);
  LEVEL_ON = ReadB8(image, kLevelOn);
  if (LEVEL_ON == 0) {
    POISK = 0;
  }
  CONFIG_INDEX = ReadB16(image, kConfigIndex);
  CONFIGURATION_NO = n;

  RefreshParameter29();
  SetDecodedLevels();
}

void T5_00ConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t) {
  // The number in bytes 0..1 is the cell's own, as from 3.26 on.
  SetEncodedLevels();
  LEVEL_ON = POISK != 0 ? 1 : 0;
  if (EXACT_SCREEN_CURS_POS_FLAG == 0) {
    EXACT_SCREEN_CURS_POSITION = 0;
    EXACT_LUPA_MKS_CURS_POSITION = 0;
  }

  EncodeImage500Head(image);
  // The pictograms go out as the cell holds them.
  EncodeImage317Tail(image, false);
  WriteB16(image, kTgvCursorPosition, TGV_CURSOR_POSITION);
  WriteHundredths(image, kPixelGridLengthMm, PIXEL_GRID_LENGTH_MM);
  WriteHundredths(image, kPrevPixelGridLengthMm, PREV_PIXEL_GRID_LENGTH_MM);
  WriteB16(image, kAmplitudeMarkerPosition, AMPLITUDE_MARKER_POSITION);
  WriteHundredths(image, kPixelGridLengthMmDepth, PIXEL_GRID_LENGTH_MM_DEPTH);
  WriteHundredths(image, kPixelGridLengthMmDepthAgain, PIXEL_GRID_LENGTH_MM_DEPTH);
  EncodeImageExactCursor(image);
  WriteB16(image, kLupaPosition, SCREEN_CURSOR_LUPA_POS);
  WriteB8(image, kFreezeFlag, Frozen ? 1 : 0);
  WriteB8(image, kCursorOn, CURSOR_ON);
  WriteB8(image, kLevelOn, LEVEL_ON);
}

// ---- Text record -----------------------------------------------------------

void T5_00ConfigCell::WriteText(TTextWriter& out) {
  WriteTextIdentity(out);

  out.Line("CONFIGURATION_NAME");
  for (const std::uint8_t code : NumberCodes()) {
    out.Line(std::to_string(code));
  }
  // The name characters follow the name first, in instrument codes: as
  // many as it has (at most 15), blanks up to position 14, "/" at 15.
  const std::size_t k = std::min(CONFIGURATION_NAME.size(), kNameCodes);
  for (std::size_t i = 0; i < kNameCodes; ++i) {
    NameChars[i] = i < k ? CodeOf(CONFIGURATION_NAME[i]) : kBlankCode;
  }
  NameChars[kNameCodes] = kSlash;
  for (std::size_t i = 0; i <= kNameCodes; ++i) {
    out.Line(std::to_string(NameChars[i]));
  }

  WriteText317Body(out);
  WriteTextExactCursor(out);
  WriteTextLupaPosition(out);
  WriteTextFreezeFlag(out);
  out.Keyed("CURSOR_ON:", CURSOR_ON);
  out.Keyed("LEVEL_ON:", LEVEL_ON);
  out.Check();
}

std::uint8_t T5_00ConfigCell::ReadText(TTextReader& in) {
  ReadTextIdentity(in);

  in.Line();  // "CONFIGURATION_NAME"
  // The number lines repeat CONFIGURATION #, which the identity lines gave.
  for (int i = 0; i < 3; ++i) {
    in.Line();
  }
  for (std::size_t i = 0; i < kNameCodes; ++i) {
    NameChars[i] = in.Byte();
  }
  NameChars[kNameCodes] = in.Byte();
  SetNameFromCodes();

  ReadText317Body(in);
  ReadTextExactCursor(in);
  ReadTextLupaPosition(in);
  ReadTextFreezeFlag(in);
  CURSOR_ON = in.Byte();
  LEVEL_ON = in.Byte();
  RefreshParameter29();
  return 0;
}

// ---- Defaults and copying --------------------------------------------------

void T5_00ConfigCell::SetDefaults(std::uint16_t n) {
  T4_08ConfigCell::SetDefaults(n);
  CURSOR_ON = 0;
  LEVEL_ON = 0;
  // The default setup keeps the 5.00 display offset.
  DisplayOffset = 0;
}

void T5_00ConfigCell::Assign(const TBaseConfigCell* other) {
  T4_08ConfigCell::Assign(other);
  if (const auto* o = dynamic_cast<const T5_00ConfigCell*>(other); o != nullptr) {
    CURSOR_ON = o->CURSOR_ON;
    LEVEL_ON = o->LEVEL_ON;
  }
}

}  // namespace velt
