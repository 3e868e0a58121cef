// Firmware 3.17. The strobes are times in µs (the column fields of the base
// layout stay in the object but are no longer stored), the beam angle is a
// real, and a depth grid accompanies the millimetre grid.
//
// As everywhere in the cell, any field may hold what an image or a file put
// there: table indices go through the guarded lookups, and reals meet
// integer fields only through RndTo/TruncTo.
#include <config/ConfigObject3_17ver_Unit.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <system_error>

#include <config/DeviceImageCodec.h>
#include <config/DisplayFormats.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

using codec::ReadB16;
using codec::ReadB32;
using codec::ReadB8;
using codec::ReadC16Real;
using codec::ReadC32Real;
using codec::WriteB16;
using codec::WriteB8;
using codec::WriteC16Real;
using codec::WriteC32;
using codec::WriteC32Real;

// ---- Offsets of the 3.17 layout ------------------------------------------
constexpr std::size_t kNumberDigits = 0;  // tens, units
constexpr std::size_t kNumberDot = 2;
constexpr std::size_t kName = 3;            // 14 characters, "/" at 17
constexpr std::size_t kProbeFreqLow = 29;   // low word of the C32 at 27
constexpr std::size_t kProbePulseLow = 33;  // low word of the C32 at 31
constexpr std::size_t kBeamAngle = 51;
constexpr std::size_t kThickness = 59;
constexpr std::size_t kBScanRate = 135;
constexpr std::size_t kPixelGridLength = 143;
constexpr std::size_t kPreviousPixelGridLength = 144;
constexpr std::size_t kIndexMarkMks = 145;
constexpr std::size_t kContrast = 146;
constexpr std::size_t kPodsvetka = 147;
constexpr std::size_t kCursorPosition = 148;
constexpr std::size_t kStrobe1Begin = 150;  // T24 each
constexpr std::size_t kStrobe1End = 153;
constexpr std::size_t kStrobe2Begin = 156;
constexpr std::size_t kStrobe2End = 159;
constexpr std::size_t kStrobe1Level = 162;
constexpr std::size_t kStrobe2Level = 164;
constexpr std::size_t kAttenuator1 = 166;
constexpr std::size_t kArdCorrection = 168;
constexpr std::size_t kStrobe1LevelPercent = 170;
constexpr std::size_t kStrobe2LevelPercent = 171;
constexpr std::size_t kScreenMode = 172;  // the decoder uses the low byte, 173
constexpr std::size_t kUsedMode = 174;
constexpr std::size_t kPictogramArray = 176;
constexpr std::size_t kTgvGain = 201;
constexpr std::size_t kTgvPos = 233;
constexpr std::size_t kTgvCursorPosition = 297;
constexpr std::size_t kTgvNumber = 299;
constexpr std::size_t kPixelGridLengthMm = 303;
constexpr std::size_t kPrevPixelGridLengthMm = 305;
constexpr std::size_t kIndexMarkMm = 307;
constexpr std::size_t kSnapshot = 308;
constexpr std::size_t kAmplitudeMarkerPosition = 314;
constexpr std::size_t kPixelGridLengthMmDepth = 316;
constexpr std::size_t kPrevPixelGridLengthMmDepth = 318;
constexpr std::size_t kIndexMarkMmDepth = 320;
constexpr std::size_t kConfigIndex = 501;

// T24: three bytes holding rnd(time x 100).
constexpr std::uint32_t kT24Max = 0xFFFFFF;

double ReadT24(const TDeviceImage& image, std::size_t at) {
  // The top byte of the 32-bit word before the field is not part of it.
  return (ReadB32(image, at - 1) & kT24Max) / 100.0;
}

void WriteT24(TDeviceImage& image, std::size_t at, double time) {
  // Saturated: a time beyond the 24 bits (or negative) cannot wrap around.
  const std::uint32_t v = std::min(RndTo<std::uint32_t>(time * 100.0), kT24Max);
  WriteB8(image, at, static_cast<std::uint8_t>(v >> 16));
  WriteB16(image, at + 1, static_cast<std::uint16_t>(v));
}

// The refresh rates of parameter 15, which REFRESH_RATE now holds itself.
constexpr std::uint8_t kRefreshRates[] = {10, 25, 50, 100, 200};

// Parameter bounds of the 3.17 schemes.
constexpr double kStrobeBeginMax = 3120.0;
constexpr double kStrobeLengthMin = 1.0;
constexpr double kStrobeLengthMax = 1000.0;
constexpr double kAngleMax = 90.0;
// Above this angle the depth axis (SCREEN UNITS 2, or 2 with bit 7) has no
// meaning.
constexpr double kGrazingAngle = 89.75;
constexpr double kRefusedReal = 9999;
constexpr int kTextWidth = 4;

// Default strobe times, µs.
constexpr double kDefaultBeginTime[2] = {5.0, 15.0};
constexpr double kDefaultEndTime[2] = {10.0, 20.0};
constexpr double kDefaultDepthGrid = 40.0;

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

std::string Mask(int characters) {
  return std::string(static_cast<std::size_t>(characters), 'c');
}

// Pixels per division of a grid of the step `index` over a span of w mm;
// no grid (0) when the span gives no finite length (no velocity).
double GridPixels(std::uint8_t index, double w) {
  const double pixels = kMmPerDivision[index] * kUsableWidth / w;
  return std::isfinite(pixels) ? pixels : 0.0;
}

}  // namespace

T3_17ConfigCell::T3_17ConfigCell(TNumberFormat format) : TBaseConfigCell(format) {
  // The base constructor built the base schemes; these are the 3.17 ones.
  T3_17ConfigCell::BuildParameterSchemes();
}

// ---- Cosines ------------------------------------------------------------------

double T3_17ConfigCell::PathCosine317() const {
  return INSERTION_ANGLE < 90 ? std::cos(Radians(BeamAngle)) : 1.0;
}

bool T3_17ConfigCell::FoldsAtThickness317() const {
  return THICKNESS > 0 && BeamAngle > 0 && BeamAngle < 90;
}

double T3_17ConfigCell::DepthCosine317() const {
  return FoldsAtThickness317() ? std::cos(Radians(BeamAngle)) : 1.0;
}

// ---- Strobes --------------------------------------------------------------------

std::uint16_t T3_17ConfigCell::StrobeBeginPixel(std::uint8_t strobe) const {
  const std::size_t s = strobe == 0 ? 0 : 1;
  return RndTo<std::uint16_t>(StrobeBeginTime[s] / TimePerDivision() * PIXEL_GRID_LENGTH);
}

std::uint16_t T3_17ConfigCell::StrobeEndPixel(std::uint8_t strobe) const {
  const std::size_t s = strobe == 0 ? 0 : 1;
  return RndTo<std::uint16_t>(StrobeEndTime[s] / TimePerDivision() * PIXEL_GRID_LENGTH);
}

std::uint16_t T3_17ConfigCell::SetStrobeBeginPixel(std::uint8_t strobe, std::uint16_t x) {
  // Without pixels per division there is no time axis: every column is 0 µs.
  StrobeBeginTime[strobe == 0 ? 0 : 1] =
      PIXEL_GRID_LENGTH == 0 ? 0.0 : x * TimePerDivision() / PIXEL_GRID_LENGTH;
  return x;
}

std::uint16_t T3_17ConfigCell::SetStrobeEndPixel(std::uint8_t strobe, std::uint16_t x) {
  StrobeEndTime[strobe == 0 ? 0 : 1] =
      PIXEL_GRID_LENGTH == 0 ? 0.0 : x * TimePerDivision() / PIXEL_GRID_LENGTH;
  return x;
}

double T3_17ConfigCell::StrobeBeginPath(std::uint8_t strobe) const {
  return PathCosine317() * VELOCITY * StrobeBeginTime[strobe == 0 ? 0 : 1] / 2000.0;
}

double T3_17ConfigCell::StrobeEndPath(std::uint8_t strobe) const {
  return PathCosine317() * VELOCITY * StrobeEndTime[strobe == 0 ? 0 : 1] / 2000.0;
}

void T3_17ConfigCell::SetStrobeBeginPath(std::uint8_t strobe, double mm) {
  // Without a velocity no path corresponds to a time; the time stays.
  const double k = PathCosine317() * VELOCITY;
  if (k != 0) {
    StrobeBeginTime[strobe == 0 ? 0 : 1] = mm * 2000.0 / k;
  }
}

void T3_17ConfigCell::SetStrobeEndPath(std::uint8_t strobe, double mm) {
  const double k = PathCosine317() * VELOCITY;
  if (k != 0) {
    StrobeEndTime[strobe == 0 ? 0 : 1] = mm * 2000.0 / k;
  }
}

double T3_17ConfigCell::StrobeBeginDepth(std::uint8_t strobe) const {
  const double h = DepthCosine317() * VELOCITY * StrobeBeginTime[strobe == 0 ? 0 : 1] / 2000.0;
  return FoldsAtThickness317() ? FoldedDepth(h, THICKNESS) : h;
}

void T3_17ConfigCell::SetStrobeBeginDepth(std::uint8_t strobe, double mm) {
  const std::size_t s = strobe == 0 ? 0 : 1;
  const double k = DepthCosine317() * VELOCITY / 2000.0;
  if (k == 0) {
    return;  // no velocity: the time stays
  }
  double g = mm;
  if (FoldsAtThickness317()) {
    // The new depth stays in the leg of the current begin.
    g = PathInLegOf(k * StrobeBeginTime[s], mm, THICKNESS);
  }
  StrobeBeginTime[s] = g / k;
}

// ---- Cursor and measurement position ------------------------------------------

// The 3.17 cursor is the column CURSOR_POSITION on the time axis of
// INDEX_MARK_MKS and PIXEL_GRID_LENGTH, as in the base layout.
double T3_17ConfigCell::CursorTime(std::uint8_t cursor) const {
  return TBaseConfigCell::CursorTime(cursor);
}

void T3_17ConfigCell::SetCursorTime(double us) {
  TBaseConfigCell::SetCursorTime(us);
}

std::uint16_t T3_17ConfigCell::MeasurementPosition() const {
  constexpr std::uint16_t kFrozenBits = 0x0300;
  const bool frozen = (USED_MODE & kFrozenBits) == kFrozenBits && Frozen;
  if (AMPLITUDE_MARKER_POSITION == 0 || AMPLITUDE_MARKER_POSITION > kPictureWidth - 1 || frozen) {
    return CURSOR_POSITION;
  }
  return AMPLITUDE_MARKER_POSITION;
}

// ---- Angle ------------------------------------------------------------------------

double T3_17ConfigCell::InsertionAngle() const {
  return BeamAngle;
}

void T3_17ConfigCell::SetInsertionAngle(double degrees) {
  // Whole degrees; a value that is not a finite number is no angle.
  if (std::isfinite(degrees)) {
    BeamAngle = Rnd(degrees);
  }
}

// ---- Grids ------------------------------------------------------------------------

void T3_17ConfigCell::UpdateMillimetreGrid() {
  const double w = ScreenSpanMm();
  INDEX_MARK_MM = MmGridIndexFor(w);
  PIXEL_GRID_LENGTH_MM = GridPixels(INDEX_MARK_MM, w);
  PREV_PIXEL_GRID_LENGTH_MM = PIXEL_GRID_LENGTH_MM;
}

void T3_17ConfigCell::UpdateDepthGrid() {
  double w = ScreenSpanMm();
  if (BeamAngle < 90) {
    w *= std::cos(Radians(BeamAngle));
  }
  INDEX_MARK_MM_DEPTH = MmGridIndexFor(w);
  PIXEL_GRID_LENGTH_MM_DEPTH = GridPixels(INDEX_MARK_MM_DEPTH, w);
  PrevPixelGridLengthMmDepth = PIXEL_GRID_LENGTH_MM_DEPTH;
}

// ---- Defaults, validation, copying ---------------------------------------------

void T3_17ConfigCell::SetDefaults(std::uint16_t n) {
  TBaseConfigCell::SetDefaults(n);
  for (std::size_t s = 0; s < 2; ++s) {
    StrobeBeginTime[s] = kDefaultBeginTime[s];
    StrobeEndTime[s] = kDefaultEndTime[s];
  }
  BeamAngle = 65.0;
  INDEX_MARK_MM_DEPTH = 0;
  PIXEL_GRID_LENGTH_MM_DEPTH = kDefaultDepthGrid;
  PrevPixelGridLengthMmDepth = kDefaultDepthGrid;
}

bool T3_17ConfigCell::Validate() {
  TGV_GAIN[0] = 0;
  const bool base = TBaseConfigCell::Validate();
  const auto strobeOk = [this](std::size_t s, double max) {
    return StrobeBeginTime[s] >= 0 && StrobeBeginTime[s] <= StrobeEndTime[s] &&
           StrobeEndTime[s] <= max;
  };
  // The latest end: the largest begin plus the longest strobe.
  const double end1 = Schemes[0].RealMax + Schemes[1].RealMax;
  const double end2 = Schemes[3].RealMax + Schemes[4].RealMax;
  return base && VELOCITY >= Schemes[18].IntMin && VELOCITY <= Schemes[18].IntMax &&
         strobeOk(0, end1) && strobeOk(1, end2) && PIXEL_GRID_LENGTH != 0 && BeamAngle >= 0 &&
         BeamAngle <= kAngleMax && PIXEL_GRID_LENGTH_MM_DEPTH >= 10 &&
         PIXEL_GRID_LENGTH_MM_DEPTH <= 90 && INDEX_MARK_MM_DEPTH < 23 &&
         PrevPixelGridLengthMmDepth >= 10 && PrevPixelGridLengthMmDepth <= 90;
}

void T3_17ConfigCell::Assign(const TBaseConfigCell* other) {
  if (other == nullptr || other == this) {
    return;
  }
  TBaseConfigCell::Assign(other);
  if (const auto* o = dynamic_cast<const T3_17ConfigCell*>(other)) {
    StrobeBeginTime = o->StrobeBeginTime;
    StrobeEndTime = o->StrobeEndTime;
    BeamAngle = o->BeamAngle;
    INDEX_MARK_MM_DEPTH = o->INDEX_MARK_MM_DEPTH;
    PIXEL_GRID_LENGTH_MM_DEPTH = o->PIXEL_GRID_LENGTH_MM_DEPTH;
    PrevPixelGridLengthMmDepth = o->PrevPixelGridLengthMmDepth;
  }
}

// ---- Device image -------------------------------------------------------------------

void T3_17ConfigCell::DecodeImage317Head(const TDeviceImage& image) {
  DecodeImageName(image, kName);
  DecodeImageSettings(image);
  // The indices sit in the low words of their C32 fields.
  PROBE_FREQ = static_cast<std::uint8_t>(ReadB16(image, kProbeFreqLow) / 100);
  PROBE_PULSE = static_cast<std::uint8_t>(ReadB16(image, kProbePulseLow) / 100);
  BeamAngle = ReadC32Real(image, kBeamAngle);
  INSERTION_ANGLE = RndTo<std::uint8_t>(BeamAngle);
}

void T3_17ConfigCell::EncodeImage317Head(TDeviceImage& image, std::uint16_t n) {
  // Two decimal digits; a number above 99 keeps its last two.
  WriteB8(image, kNumberDigits, static_cast<std::uint8_t>('0' + n / 10 % 10));
  WriteB8(image, kNumberDigits + 1, static_cast<std::uint8_t>('0' + n % 10));
  WriteB8(image, kNumberDot, '.');
  if (CONFIGURATION_NAME.empty()) {
    CONFIGURATION_NAME = "default";
  }
  EncodeImageName(image, kName);
  EncodeImageSettings(image, n);
  WriteC32Real(image, kBeamAngle, BeamAngle);
  // The 3.17 instrument takes the thickness as it is, without an off-marker.
  WriteC32Real(image, kThickness, THICKNESS);
  WriteC32(image, kBScanRate, RndTo<std::uint32_t>(B_SCAN_RATE));
}

void T3_17ConfigCell::DecodeImage317Tail(const TDeviceImage& image) {
  PIXEL_GRID_LENGTH = ReadB8(image, kPixelGridLength);
  PREVIOUS_PIXEL_GRID_LENGTH = ReadB8(image, kPreviousPixelGridLength);
  INDEX_MARK_MKS = ReadB8(image, kIndexMarkMks);
  CONTRAST = ReadB8(image, kContrast);
  PODSVETKA = ReadB8(image, kPodsvetka);
  CURSOR_POSITION = ReadB16(image, kCursorPosition);
  StrobeBeginTime[0] = ReadT24(image, kStrobe1Begin);
  StrobeEndTime[0] = ReadT24(image, kStrobe1End);
  StrobeBeginTime[1] = ReadT24(image, kStrobe2Begin);
  StrobeEndTime[1] = ReadT24(image, kStrobe2End);
  // The level words hold a byte; the rows are recomputed after decoding.
  STROBE_1_LEVEL = static_cast<std::uint8_t>(ReadB16(image, kStrobe1Level));
  STROBE_2_LEVEL = static_cast<std::uint8_t>(ReadB16(image, kStrobe2Level));
  ATTENUATOR1 = ReadB16(image, kAttenuator1);
  ARD_CORRECTION = ReadB16(image, kArdCorrection);
  STROBE_1_LEVEL_PERCENT = ReadB8(image, kStrobe1LevelPercent);
  STROBE_2_LEVEL_PERCENT = ReadB8(image, kStrobe2LevelPercent);

  const std::uint8_t screenMode = ReadB8(image, kScreenMode + 1);
  SCREEN_MODE = screenMode == 1 || screenMode == 3 ? screenMode : 1;

  USED_MODE = ReadB16(image, kUsedMode);
  UsedModeCopy = static_cast<std::int16_t>(USED_MODE);

  for (std::size_t i = 0; i < PICTOGR_ARRAY.size(); ++i) {
    PICTOGR_ARRAY[i] = ReadB8(image, kPictogramArray + i);
  }
  for (std::size_t i = 0; i < TGV_GAIN.size(); ++i) {
    TGV_GAIN[i] = ReadB8(image, kTgvGain + i);
  }
  for (std::size_t i = 0; i < TGV_POS.size(); ++i) {
    TGV_POS[i] = ReadB16(image, kTgvPos + 2 * i);
  }
  TGV_CURSOR_POSITION = ReadB16(image, kTgvCursorPosition);
  TGV_NUMBER = ReadB16(image, kTgvNumber);
  // Offsets 301..302 hold a word the cell has no use for.
  PIXEL_GRID_LENGTH_MM = ReadC16Real(image, kPixelGridLengthMm);
  PREV_PIXEL_GRID_LENGTH_MM = ReadC16Real(image, kPrevPixelGridLengthMm);
  INDEX_MARK_MM = ReadB8(image, kIndexMarkMm);
  SNAP_YEAR = ReadB8(image, kSnapshot + 0);
  SNAP_MONTH = ReadB8(image, kSnapshot + 1);
  SNAP_DAY = ReadB8(image, kSnapshot + 2);
  SNAP_HOUR = ReadB8(image, kSnapshot + 3);
  SNAP_MINUTE = ReadB8(image, kSnapshot + 4);
  SNAP_SECOND = ReadB8(image, kSnapshot + 5);
  AMPLITUDE_MARKER_POSITION = ReadB16(image, kAmplitudeMarkerPosition);
  PIXEL_GRID_LENGTH_MM_DEPTH = ReadC16Real(image, kPixelGridLengthMmDepth);
  PrevPixelGridLengthMmDepth = PIXEL_GRID_LENGTH_MM_DEPTH;
  INDEX_MARK_MM_DEPTH = ReadB8(image, kIndexMarkMmDepth);
  CONFIG_INDEX = ReadB16(image, kConfigIndex);
}

void T3_17ConfigCell::EncodeImage317Tail(TDeviceImage& image, bool updatePictograms) {
  WriteB8(image, kPixelGridLength, PIXEL_GRID_LENGTH);
  WriteB8(image, kPreviousPixelGridLength, PREVIOUS_PIXEL_GRID_LENGTH);
  WriteB8(image, kIndexMarkMks, INDEX_MARK_MKS);
  WriteB8(image, kContrast, CONTRAST);
  WriteB8(image, kPodsvetka, PODSVETKA);
  WriteB16(image, kCursorPosition, CURSOR_POSITION);
  WriteT24(image, kStrobe1Begin, StrobeBeginTime[0]);
  WriteT24(image, kStrobe1End, StrobeEndTime[0]);
  WriteT24(image, kStrobe2Begin, StrobeBeginTime[1]);
  WriteT24(image, kStrobe2End, StrobeEndTime[1]);
  WriteB16(image, kStrobe1Level, STROBE_1_LEVEL);
  WriteB16(image, kStrobe2Level, STROBE_2_LEVEL);
  WriteB16(image, kAttenuator1, ATTENUATOR1);
  WriteB16(image, kArdCorrection, static_cast<std::uint16_t>(ARD_CORRECTION));
  WriteB8(image, kStrobe1LevelPercent, STROBE_1_LEVEL_PERCENT);
  WriteB8(image, kStrobe2LevelPercent, STROBE_2_LEVEL_PERCENT);
  WriteB16(image, kScreenMode, SCREEN_MODE);

  USED_MODE = static_cast<std::uint16_t>(UsedModeCopy);
  WriteB16(image, kUsedMode, USED_MODE);

  if (updatePictograms) {
    UpdatePictograms();
  }
  for (std::size_t i = 0; i < PICTOGR_ARRAY.size(); ++i) {
    WriteB8(image, kPictogramArray + i, PICTOGR_ARRAY[i]);
  }
  for (std::size_t i = 0; i < TGV_GAIN.size(); ++i) {
    WriteB8(image, kTgvGain + i, TGV_GAIN[i]);
  }
  for (std::size_t i = 0; i < TGV_POS.size(); ++i) {
    WriteB16(image, kTgvPos + 2 * i, TGV_POS[i]);
  }
  WriteB16(image, kTgvCursorPosition, 0);
  WriteB16(image, kTgvNumber, TGV_NUMBER);
  // Offsets 301..302 are left as they are.
  WriteC16Real(image, kPixelGridLengthMm, PIXEL_GRID_LENGTH_MM);
  WriteC16Real(image, kPrevPixelGridLengthMm, PREV_PIXEL_GRID_LENGTH_MM);
  WriteB8(image, kIndexMarkMm, INDEX_MARK_MM);
  WriteB8(image, kSnapshot + 0, SNAP_YEAR);
  WriteB8(image, kSnapshot + 1, SNAP_MONTH);
  WriteB8(image, kSnapshot + 2, SNAP_DAY);
  WriteB8(image, kSnapshot + 3, SNAP_HOUR);
  WriteB8(image, kSnapshot + 4, SNAP_MINUTE);
  WriteB8(image, kSnapshot + 5, SNAP_SECOND);
  WriteB16(image, kAmplitudeMarkerPosition, AMPLITUDE_MARKER_POSITION);
  WriteC16Real(image, kPixelGridLengthMmDepth, PIXEL_GRID_LENGTH_MM_DEPTH);
  WriteC16Real(image, kPrevPixelGridLengthMmDepth, PrevPixelGridLengthMmDepth);
  WriteB8(image, kIndexMarkMmDepth, INDEX_MARK_MM_DEPTH);
  WriteB16(image, kConfigIndex, CONFIG_INDEX);
}

void T3_17ConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  if (!ImagePresent(image)) {
    SetDefaults(n);
    return;
  }
  DecodeImage317Head(image);
  DecodeImage317Tail(image);
  CONFIGURATION_NO = n;
  // The percents are the authority; the level rows follow from them. The
  // parameter 29 value is left as it is.
  SetDecodedLevels();
  UpdateMillimetreGrid();
  UpdateDepthGrid();
}

void T3_17ConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t n) {
  SetEncodedLevels();
  EncodeImage317Head(image, n);
  EncodeImage317Tail(image, true);
}

// ---- Text record ------------------------------------------------------------------

std::string T3_17ConfigCell::TextReal(double value) const {
  // Saturating, as the scaled lines: a value that is not a finite number
  // still writes a number the reader takes (NaN as 0).
  if (std::isnan(value)) {
    value = 0;
  } else if (std::isinf(value)) {
    value = value > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
  }
  // The shortest digits that read back as the same double, in the general
  // form: plain decimals from 0.0001 up to 10^15, an exponent outside.
  char buffer[400];
  const double magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e15);
  const auto [end, ec] =
      plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
  std::replace(text.begin(), text.end(), '.', NumberFormat().DecimalSeparator);
  return text;
}

double T3_17ConfigCell::ReadTextReal(TTextReader& in) const {
  // Whatever the locale the file was written in: "." and "," both read as
  // the decimal separator, so files travel between inspectors' computers.
  return in.Real();
}

void T3_17ConfigCell::WriteText317Body(TTextWriter& out) {
  WriteTextTimeScale(out);
  out.Keyed("INDEX_MARK_MM_DEPTH:", INDEX_MARK_MM_DEPTH);
  out.Keyed("PIXEL_GRID_LENGTH_MM_DEPTH:", TextReal(PIXEL_GRID_LENGTH_MM_DEPTH));
  out.Keyed("STROBE_1_BEGIN:", TextReal(StrobeBeginTime[0]));
  out.Keyed("STROBE_1_END:", TextReal(StrobeEndTime[0]));
  out.Keyed("STROBE_2_BEGIN:", TextReal(StrobeBeginTime[1]));
  out.Keyed("STROBE_2_END:", TextReal(StrobeEndTime[1]));
  WriteTextSetup(out);
  out.KeyedScaled("INSERTION_ANGLE:", BeamAngle);
  WriteTextProbeAndScreen(out);
  out.Keyed("AMPLITUDE_MARKER_POSITION:", AMPLITUDE_MARKER_POSITION);
  WriteTextSnapshot(out);
  WriteTextComments(out);
}

void T3_17ConfigCell::ReadText317Body(TTextReader& in) {
  ReadTextTimeScale(in);
  INDEX_MARK_MM_DEPTH = in.Byte();
  PIXEL_GRID_LENGTH_MM_DEPTH = ReadTextReal(in);
  PrevPixelGridLengthMmDepth = PIXEL_GRID_LENGTH_MM_DEPTH;
  StrobeBeginTime[0] = ReadTextReal(in);
  StrobeEndTime[0] = ReadTextReal(in);
  StrobeBeginTime[1] = ReadTextReal(in);
  StrobeEndTime[1] = ReadTextReal(in);
  ReadTextSetup(in);
  BeamAngle = static_cast<double>(in.Integer(std::numeric_limits<long long>::min(),
                                             std::numeric_limits<long long>::max())) /
              100.0;
  ReadTextProbeAndScreen(in);
  AMPLITUDE_MARKER_POSITION = in.Word();
  ReadTextSnapshot(in);
  ReadTextComments(in);
  INSERTION_ANGLE = RndTo<std::uint8_t>(BeamAngle);
}

void T3_17ConfigCell::WriteText(TTextWriter& out) {
  WriteTextIdentity(out);
  WriteTextName(out);
  WriteText317Body(out);
  out.Check();
}

std::uint8_t T3_17ConfigCell::ReadText(TTextReader& in) {
  ReadTextIdentity(in);
  ReadTextName(in);
  ReadText317Body(in);
  return 0;
}

// ---- Parameter schemes and texts ------------------------------------------------

void T3_17ConfigCell::BuildParameterSchemes() {
  TBaseConfigCell::BuildParameterSchemes();

  SINGLE_PARAM_SCHEME& rate = Schemes[15];
  rate.Kind = kOwnListKind;
  rate.Entries.clear();
  for (std::uint8_t r : kRefreshRates) {
    rate.Entries.push_back(IntegerInWidth(r, kTextWidth));
  }
  rate.EntryCount = static_cast<std::uint8_t>(rate.Entries.size());
  rate.IntMin = 0;
  rate.IntMax = static_cast<std::int32_t>(rate.Entries.size()) - 1;
  rate.EditMask.clear();

  SINGLE_PARAM_SCHEME& angle = Schemes[10];
  angle.Kind = kRealKind;
  angle.RealMin = 0.0;
  angle.RealMax = kAngleMax;
  angle.EditMask = Mask(4);

  for (std::size_t s = 0; s < 2; ++s) {
    SINGLE_PARAM_SCHEME& begin = Schemes[3 * s + 0];
    begin.RealMin = 0.0;
    begin.RealMax = kStrobeBeginMax;
    begin.EditMask = Mask(6);
    SINGLE_PARAM_SCHEME& length = Schemes[3 * s + 1];
    length.RealMin = kStrobeLengthMin;
    length.RealMax = kStrobeLengthMax;
    length.EditMask = Mask(5);
  }
}

std::string T3_17ConfigCell::ParameterText(std::uint8_t p) const {
  if (p == 10) {
    return RealInWidth(BeamAngle, 1, kTextWidth, NumberFormat().DecimalSeparator);
  }
  return TBaseConfigCell::ParameterText(p);
}

std::uint8_t T3_17ConfigCell::SetParameterText(const std::string& text, std::uint8_t p) {
  const auto withinReal = [](const SINGLE_PARAM_SCHEME& scheme, double v) {
    return v >= scheme.RealMin && v <= scheme.RealMax;
  };
  const auto parse = [this, &text](double& value) {
    return ParseTypedReal(text, value) && value != kRefusedReal;
  };

  switch (p) {
    case 0:
    case 1:
    case 3:
    case 4: {
      const std::size_t s = p < 3 ? 0 : 1;
      const bool begin = p % 3 == 0;
      SINGLE_PARAM_SCHEME& scheme = Schemes[p];
      double& guarded = begin ? StrobeBeginTime[s] : StrobeEndTime[s];
      if (withinReal(scheme, guarded)) {
        scheme.LastAccepted = guarded;
      }
      double value = 0;
      if (!parse(value)) {
        guarded = Rnd(scheme.LastAccepted);  // whole µs
        return kNotANumber;
      }
      const auto strobe = static_cast<std::uint8_t>(s);
      if (begin) {
        SetStrobeBeginDepth(strobe, value);
      } else {
        SetStrobeEndPath(strobe, StrobeBeginPath(strobe) + value);
      }
      if (!withinReal(scheme, guarded)) {
        guarded = Rnd(scheme.LastAccepted);
        return kOutOfBounds;
      }
      return kAccepted;
    }

    case 10: {
      SINGLE_PARAM_SCHEME& scheme = Schemes[10];
      if (withinReal(scheme, BeamAngle)) {
        scheme.LastAccepted = BeamAngle;
      }
      std::uint8_t result = kAccepted;
      double value = 0;
      if (!parse(value)) {
        BeamAngle = scheme.LastAccepted;
        result = kNotANumber;
      } else if (!withinReal(scheme, value)) {
        BeamAngle = scheme.LastAccepted;
        result = kOutOfBounds;
      } else {
        BeamAngle = value;
      }
      // A grazing beam has no depth axis to show.
      if (BeamAngle > kGrazingAngle && (SCREEN_UNITS == 2 || SCREEN_UNITS == 130)) {
        BeamAngle = scheme.LastAccepted;
        result = kOutOfBounds;
      }
      UpdateDepthGrid();
      return result;
    }

    case 15: {
      SINGLE_PARAM_SCHEME& scheme = Schemes[15];
      if (REFRESH_RATE >= kRefreshRates[0] && REFRESH_RATE <= kRefreshRates[4]) {
        scheme.LastAccepted = REFRESH_RATE;
      }
      const std::size_t count = std::min(scheme.Entries.size(), std::size(kRefreshRates));
      for (std::size_t i = 0; i < count; ++i) {
        if (text == scheme.Entries[i]) {
          REFRESH_RATE = kRefreshRates[i];
          return kAccepted;
        }
      }
      REFRESH_RATE = RndTo<std::uint8_t>(scheme.LastAccepted);
      return kOutOfBounds;
    }

    default:
      return TBaseConfigCell::SetParameterText(text, p);
  }
}

}  // namespace velt
