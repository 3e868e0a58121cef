// The device image of the oldest firmware: the 512-byte block in which the
// instrument stores one configuration, most significant byte first.
#include <config/BaseConfigObjectsUnit.h>

#include <algorithm>
#include <cstddef>

#include <config/DeviceImageCodec.h>
#include <config/Rounding.h>

namespace velt {
namespace {

using codec::ReadB16;
using codec::ReadB8;
using codec::ReadC16Real;
using codec::ReadC32;
using codec::ReadC32Real;
using codec::WriteB16;
using codec::WriteB8;
using codec::WriteC16Real;
using codec::WriteC32;
using codec::WriteC32Real;

// Offsets of the base layout.
constexpr std::size_t kName = 0;
constexpr std::size_t kNameTerminator = 14;
constexpr std::size_t kVelocity = 23;
constexpr std::size_t kProbeFreq = 27;
constexpr std::size_t kProbePulseIndex = 31;
constexpr std::size_t kZonderPulsePeriods = 35;
constexpr std::size_t kRefreshRate = 39;
constexpr std::size_t kFilterBand = 43;
constexpr std::size_t kProbeDelay = 47;
constexpr std::size_t kInsertionAngle = 51;
constexpr std::size_t kProbeArrow = 55;
constexpr std::size_t kThickness = 59;
constexpr std::size_t kOtsechka = 63;
constexpr std::size_t kStrobeAlgorythm = 67;
constexpr std::size_t kPoisk = 71;
constexpr std::size_t kArdPlateDiameter = 75;
constexpr std::size_t kArdSignalAmplitude = 79;
constexpr std::size_t kArdPlateFloorDiameter = 83;
constexpr std::size_t kCursor1Enabled = 87;
constexpr std::size_t kCursor2Enabled = 91;
constexpr std::size_t kSignalType = 95;
constexpr std::size_t kUserMode = 99;
constexpr std::size_t kTvgEnabled = 103;
constexpr std::size_t kSwitchBits = 107;
constexpr std::size_t kLanguage = 111;
constexpr std::size_t kArdAttenuation = 115;
constexpr std::size_t kProbeType = 119;
constexpr std::size_t kConfigurationNo = 123;
constexpr std::size_t kLastMemCell = 127;
constexpr std::size_t kEvenReminderFlag = 131;
constexpr std::size_t kBScanRate = 135;
constexpr std::size_t kScreenUnits = 139;
constexpr std::size_t kPixelGridLength = 143;
constexpr std::size_t kPreviousPixelGridLength = 144;
constexpr std::size_t kIndexMarkMks = 145;
constexpr std::size_t kContrast = 146;
constexpr std::size_t kPodsvetka = 147;
constexpr std::size_t kCursorPosition = 148;
constexpr std::size_t kStrobe1Begin = 150;
constexpr std::size_t kStrobe1End = 152;
constexpr std::size_t kStrobe2Begin = 154;
constexpr std::size_t kStrobe2End = 156;
constexpr std::size_t kReserved158 = 158;
constexpr std::size_t kStrobe1Level = 159;
constexpr std::size_t kReserved160 = 160;
constexpr std::size_t kStrobe2Level = 161;
constexpr std::size_t kAttenuator1 = 162;
constexpr std::size_t kArdCorrection = 164;
constexpr std::size_t kStrobe1LevelPercent = 166;
constexpr std::size_t kStrobe2LevelPercent = 167;
constexpr std::size_t kReserved168 = 168;
constexpr std::size_t kScreenMode = 169;
constexpr std::size_t kUsedMode = 170;
constexpr std::size_t kPictogramArray = 172;
constexpr std::size_t kTgvGain = 197;
constexpr std::size_t kTgvPos = 229;
constexpr std::size_t kTgvCursorPosition = 293;
constexpr std::size_t kTgvNumber = 295;
constexpr std::size_t kPixelGridLengthMm = 299;
constexpr std::size_t kPrevPixelGridLengthMm = 301;
constexpr std::size_t kIndexMarkMm = 303;
constexpr std::size_t kSnapshot = 304;
constexpr std::size_t kConfigIndex = 501;

// The bytes an erased memory slot shows as 0xFF.
constexpr std::size_t kPresenceProbes[] = {10, 20, 50, 110};

constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::uint8_t kBlank = 0x20;
constexpr std::uint8_t kSlash = '/';
// The instrument keeps the character 0xFF of a name as 0x7D ("}").
constexpr std::uint8_t kStoredFF = 0x7D;
constexpr std::uint8_t kNameFF = 0xFF;

// A stored thickness of this or more means the thickness is switched off;
// the encoder marks "off" by adding kThicknessOffMarker.
constexpr double kThicknessOff = 900.0;
constexpr double kThicknessOffMarker = 1000.0;
constexpr double kThicknessMarkedFrom = 600.0;

// Levels as picture rows from the percents. The instrument's formulas give
// 0..180 on decoding and 23..203 on encoding for percents 0..100; a percent
// above 100 leaves the byte range and is held at 0.
std::uint8_t DecodedLevel(std::uint8_t percent) {
  const int level = (100 - int{percent}) * kPictureHeight / 100;
  return static_cast<std::uint8_t>(std::clamp(level, 0, 255));
}

std::uint8_t EncodedLevel(std::uint8_t percent) {
  const int level = 203 - int{percent} * kPictureHeight / 100;
  return static_cast<std::uint8_t>(std::clamp(level, 0, 255));
}

}  // namespace

bool TBaseConfigCell::ImagePresent(const TDeviceImage& image) const {
  return std::none_of(std::begin(kPresenceProbes), std::end(kPresenceProbes),
                      [&image](std::size_t at) { return image[at] == kErasedByte; });
}

void TBaseConfigCell::SetDecodedLevels() {
  ScreenHeight = kPictureHeight;
  STROBE_1_LEVEL = DecodedLevel(STROBE_1_LEVEL_PERCENT);
  STROBE_2_LEVEL = DecodedLevel(STROBE_2_LEVEL_PERCENT);
}

void TBaseConfigCell::SetEncodedLevels() {
  ScreenHeight = kPictureHeight;
  STROBE_1_LEVEL = EncodedLevel(STROBE_1_LEVEL_PERCENT);
  STROBE_2_LEVEL = EncodedLevel(STROBE_2_LEVEL_PERCENT);
}

void TBaseConfigCell::DecodeImageName(const TDeviceImage& image, std::size_t at) {
  // "/" ends the name, 0x7D is the character 0xFF.
  bool ended = false;
  for (std::size_t i = 0; i < kNameLength; ++i) {
    std::uint8_t c = ReadB8(image, at + i);
    if (c == kStoredFF) {
      c = kNameFF;
    }
    if (c == kSlash) {
      ended = true;
    }
    NameChars[i] = ended ? kBlank : c;
  }
  CONFIGURATION_NAME.assign(NameChars.begin(), NameChars.begin() + kNameLength);
}

void TBaseConfigCell::DecodeImageSettings(const TDeviceImage& image) {
  // C32 integer fields keep the quotient in their own width.
  VELOCITY = static_cast<std::uint16_t>(ReadC32(image, kVelocity));
  PROBE_FREQ = static_cast<std::uint8_t>(ReadC32(image, kProbeFreq));
  PROBE_PULSE = static_cast<std::uint8_t>(ReadC32(image, kProbePulseIndex));
  ZONDER_PULSE_PERIODS = ReadC32Real(image, kZonderPulsePeriods);
  REFRESH_RATE = static_cast<std::uint8_t>(ReadC32(image, kRefreshRate));
  FILTER_BAND = static_cast<std::uint8_t>(ReadC32(image, kFilterBand));
  PROBE_DELAY = ReadC32Real(image, kProbeDelay);
  INSERTION_ANGLE = static_cast<std::uint8_t>(ReadC32(image, kInsertionAngle));
  PROBE_ARROW = ReadC32Real(image, kProbeArrow);

  const double thickness = ReadC32Real(image, kThickness);
  if (thickness >= kThicknessOff) {
    THICKNESS = 0;
    EVEN_REMINDER_FLAG = 0;
  } else {
    THICKNESS = thickness;
    EVEN_REMINDER_FLAG = 1;
  }

  OTSECHKA = static_cast<std::uint8_t>(ReadC32(image, kOtsechka));
  STROBE_ALGORYTHM = static_cast<std::uint8_t>(ReadC32(image, kStrobeAlgorythm));
  POISK = static_cast<std::uint8_t>(ReadC32(image, kPoisk));
  ARD_PLATE_DIAMETER = ReadC32Real(image, kArdPlateDiameter);
  ARD_SIGNAL_AMPLITUDE = ReadC32Real(image, kArdSignalAmplitude);
  ARD_PLATE_FLOOR_DIAMETER = ReadC32Real(image, kArdPlateFloorDiameter);
  CURSOR_1_ENABLED = static_cast<std::uint8_t>(ReadC32(image, kCursor1Enabled));
  CURSOR_2_ENABLED = static_cast<std::uint8_t>(ReadC32(image, kCursor2Enabled));
  SIGNAL_TYPE = static_cast<std::uint8_t>(ReadC32(image, kSignalType));
  USER_MODE = static_cast<std::uint16_t>(ReadC32(image, kUserMode));
  TVG_ENABLED = static_cast<std::uint8_t>(ReadC32(image, kTvgEnabled));

  const auto switches = static_cast<std::uint8_t>(ReadC32(image, kSwitchBits));
  SOUND_ENABLED = switches & 1;
  VCURSOR_ENABLED = switches & 2;
  OPORN_LEVEL_ON = switches & 4;

  LANGUAGE = static_cast<std::uint8_t>(ReadC32(image, kLanguage));
  ARD_ATTENUATION = ReadC32Real(image, kArdAttenuation);
  PROBE_TYPE = static_cast<std::uint8_t>(ReadC32(image, kProbeType));
  // Offset 123 holds the slot number; the caller's number is the one kept.
  LAST_MEM_CELL = static_cast<std::uint16_t>(ReadC32(image, kLastMemCell));
  // Offset 131 is not read: the flag follows the thickness (above).
  B_SCAN_RATE = static_cast<std::uint8_t>(ReadC32(image, kBScanRate));
  SCREEN_UNITS = static_cast<std::uint8_t>(ReadC32(image, kScreenUnits));
}

void TBaseConfigCell::EncodeImageName(TDeviceImage& image, std::size_t at) {
  // At most 13 characters reach the instrument and the "/" after the 14
  // positions ends the name. A "/" inside the name ends it too: it and what
  // follows go out as blanks. An empty name goes out as blanks.
  const std::size_t k = std::min<std::size_t>(CONFIGURATION_NAME.size(), kNameLength - 1);
  bool ended = false;
  for (std::size_t i = 0; i < kNameLength; ++i) {
    std::uint8_t c = kBlank;
    if (i < k) {
      c = static_cast<std::uint8_t>(CONFIGURATION_NAME[i]);
      if (c == kSlash) {
        ended = true;
      } else if (c == kNameFF) {
        c = kStoredFF;
      }
    }
    if (ended) {
      c = kBlank;
    }
    NameChars[i] = c;
    WriteB8(image, at + i, c);
  }
  NameChars[kNameTerminator] = kSlash;
  WriteB8(image, at + kNameLength, kSlash);
}

void TBaseConfigCell::EncodeImageSettings(TDeviceImage& image, std::uint16_t n) {
  WriteC32(image, kVelocity, VELOCITY);
  WriteC32(image, kProbeFreq, PROBE_FREQ);
  WriteC32(image, kProbePulseIndex, PROBE_PULSE);
  WriteC32Real(image, kZonderPulsePeriods, ZONDER_PULSE_PERIODS);
  WriteC32(image, kRefreshRate, REFRESH_RATE);
  WriteC32(image, kFilterBand, FILTER_BAND);
  WriteC32Real(image, kProbeDelay, PROBE_DELAY);
  WriteC32(image, kInsertionAngle, INSERTION_ANGLE);
  WriteC32Real(image, kProbeArrow, PROBE_ARROW);
  // The instrument takes a thickness of 1000 mm or more as switched off.
  // "Off" is told by the thickness itself: none set (0), or one too large
  // for the instrument. The flag is not consulted: the decoder sets it for
  // a thickness that is on, and a downloaded cell sent back unchanged must
  // arrive with its thickness.
  const bool thicknessOff = !(THICKNESS > 0 && THICKNESS < kThicknessMarkedFrom);
  WriteC32Real(image, kThickness, thicknessOff ? THICKNESS + kThicknessOffMarker : THICKNESS);
  WriteC32(image, kOtsechka, OTSECHKA);
  WriteC32(image, kStrobeAlgorythm, STROBE_ALGORYTHM);
  WriteC32(image, kPoisk, POISK);
  WriteC32Real(image, kArdPlateDiameter, ARD_PLATE_DIAMETER);
  WriteC32Real(image, kArdSignalAmplitude, ARD_SIGNAL_AMPLITUDE);
  WriteC32Real(image, kArdPlateFloorDiameter, ARD_PLATE_FLOOR_DIAMETER);
  WriteC32(image, kCursor1Enabled, CURSOR_1_ENABLED);
  WriteC32(image, kCursor2Enabled, CURSOR_2_ENABLED);
  WriteC32(image, kSignalType, SIGNAL_TYPE);
  WriteC32(image, kUserMode, USER_MODE);
  WriteC32(image, kTvgEnabled, TVG_ENABLED);
  // Only the values the decoder produces count as on.
  const std::uint32_t switches = (SOUND_ENABLED == 1 ? 1u : 0u) |
                                 (VCURSOR_ENABLED == 2 ? 2u : 0u) |
                                 (OPORN_LEVEL_ON == 4 ? 4u : 0u);
  WriteC32(image, kSwitchBits, switches);
  WriteC32(image, kLanguage, LANGUAGE);
  WriteC32Real(image, kArdAttenuation, ARD_ATTENUATION);
  WriteC32(image, kProbeType, PROBE_TYPE);
  WriteC32(image, kConfigurationNo, n);
  WriteC32(image, kLastMemCell, LAST_MEM_CELL);
  WriteC32(image, kEvenReminderFlag, EVEN_REMINDER_FLAG);
  WriteC32Real(image, kBScanRate, B_SCAN_RATE);
  WriteC32(image, kScreenUnits, SCREEN_UNITS);
}

void TBaseConfigCell::DecodeImage(const TDeviceImage& image, std::uint16_t n) {
  if (!ImagePresent(image)) {
    SetDefaults(n);
    return;
  }

  DecodeImageName(image, kName);
  DecodeImageSettings(image);

  PIXEL_GRID_LENGTH = ReadB8(image, kPixelGridLength);
  PREVIOUS_PIXEL_GRID_LENGTH = ReadB8(image, kPreviousPixelGridLength);
  INDEX_MARK_MKS = ReadB8(image, kIndexMarkMks);
  CONTRAST = ReadB8(image, kContrast);
  PODSVETKA = ReadB8(image, kPodsvetka);
  CURSOR_POSITION = ReadB16(image, kCursorPosition);
  STROBE_1_BEGIN = ReadB16(image, kStrobe1Begin);
  STROBE_1_END = ReadB16(image, kStrobe1End);
  STROBE_2_BEGIN = ReadB16(image, kStrobe2Begin);
  STROBE_2_END = ReadB16(image, kStrobe2End);
  STROBE_1_LEVEL = ReadB8(image, kStrobe1Level);  // replaced below
  STROBE_2_LEVEL = ReadB8(image, kStrobe2Level);  // replaced below
  ATTENUATOR1 = ReadB16(image, kAttenuator1);
  ARD_CORRECTION = ReadB16(image, kArdCorrection);
  STROBE_1_LEVEL_PERCENT = ReadB8(image, kStrobe1LevelPercent);
  STROBE_2_LEVEL_PERCENT = ReadB8(image, kStrobe2LevelPercent);

  const std::uint8_t screenMode = ReadB8(image, kScreenMode);
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
  // Offsets 297..298 hold a word the cell has no use for.
  PIXEL_GRID_LENGTH_MM = ReadC16Real(image, kPixelGridLengthMm);
  PREV_PIXEL_GRID_LENGTH_MM = ReadC16Real(image, kPrevPixelGridLengthMm);
  INDEX_MARK_MM = ReadB8(image, kIndexMarkMm);
  SNAP_YEAR = ReadB8(image, kSnapshot + 0);
  SNAP_MONTH = ReadB8(image, kSnapshot + 1);
  SNAP_DAY = ReadB8(image, kSnapshot + 2);
  SNAP_HOUR = ReadB8(image, kSnapshot + 3);
  SNAP_MINUTE = ReadB8(image, kSnapshot + 4);
  SNAP_SECOND = ReadB8(image, kSnapshot + 5);

  CONFIGURATION_NO = n;

  // The percents are the authority; the level rows follow from them.
  SetDecodedLevels();
  UpdateMillimetreGrid();
  RefreshParameter29();
}

void TBaseConfigCell::EncodeImage(TDeviceImage& image, std::uint16_t n) {
  SetEncodedLevels();

  EncodeImageName(image, kName);
  EncodeImageSettings(image, n);

  WriteB8(image, kPixelGridLength, PIXEL_GRID_LENGTH);
  WriteB8(image, kPreviousPixelGridLength, PREVIOUS_PIXEL_GRID_LENGTH);
  WriteB8(image, kIndexMarkMks, INDEX_MARK_MKS);
  WriteB8(image, kContrast, CONTRAST);
  WriteB8(image, kPodsvetka, PODSVETKA);
  WriteB16(image, kCursorPosition, CURSOR_POSITION);
  WriteB16(image, kStrobe1Begin, STROBE_1_BEGIN);
  WriteB16(image, kStrobe1End, STROBE_1_END);
  WriteB16(image, kStrobe2Begin, STROBE_2_BEGIN);
  WriteB16(image, kStrobe2End, STROBE_2_END);
  WriteB8(image, kReserved158, 0);
  WriteB8(image, kStrobe1Level, STROBE_1_LEVEL);
  WriteB8(image, kReserved160, 0);
  WriteB8(image, kStrobe2Level, STROBE_2_LEVEL);
  WriteB16(image, kAttenuator1, ATTENUATOR1);
  WriteB16(image, kArdCorrection, static_cast<std::uint16_t>(ARD_CORRECTION));
  WriteB8(image, kStrobe1LevelPercent, STROBE_1_LEVEL_PERCENT);
  WriteB8(image, kStrobe2LevelPercent, STROBE_2_LEVEL_PERCENT);
  WriteB8(image, kReserved168, 0);
  WriteB8(image, kScreenMode, static_cast<std::uint8_t>(SCREEN_MODE));

  USED_MODE = static_cast<std::uint16_t>(UsedModeCopy);
  WriteB16(image, kUsedMode, USED_MODE);

  UpdatePictograms();
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
  // Offsets 297..298 are left as they are.
  WriteC16Real(image, kPixelGridLengthMm, PIXEL_GRID_LENGTH_MM);
  WriteC16Real(image, kPrevPixelGridLengthMm, PREV_PIXEL_GRID_LENGTH_MM);
  WriteB8(image, kIndexMarkMm, INDEX_MARK_MM);
  WriteB8(image, kSnapshot + 0, SNAP_YEAR);
  WriteB8(image, kSnapshot + 1, SNAP_MONTH);
  WriteB8(image, kSnapshot + 2, SNAP_DAY);
  WriteB8(image, kSnapshot + 3, SNAP_HOUR);
  WriteB8(image, kSnapshot + 4, SNAP_MINUTE);
  WriteB8(image, kSnapshot + 5, SNAP_SECOND);
  WriteB16(image, kConfigIndex, CONFIG_INDEX);
}

}  // namespace velt
