#include "SimulatedImageWriter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace conduit {
namespace {

// The fields the writer knows, whatever layout holds them.
enum class TField : std::uint8_t {
  NumberDigits,  // the configuration number as two digits and "."
  Name,
  NameTerminator,
  Velocity,
  ProbeFrequency,
  ProbePulse,
  PulsePeriods,
  RefreshRate,
  FilterBand,
  ProbeDelay,
  InsertionAngle,  // whole degrees (base layout)
  BeamAngle,       // degrees with fraction (from 3.17 on)
  ProbeArrow,
  Thickness,
  Otsechka,
  StrobeAlgorithm,
  Poisk,
  ArdPlateDiameter,
  ArdSignalAmplitude,
  ArdPlateFloorDiameter,
  Cursor1Enabled,
  Cursor2Enabled,
  SignalType,
  UserMode,
  TvgEnabled,
  SwitchBits,
  Language,
  ArdAttenuation,
  ProbeType,
  ConfigurationNumber,
  LastMemCell,
  EvenReminderFlag,
  BScanRate,
  ScreenUnits,
  PixelGridLength,
  PreviousPixelGridLength,
  IndexMarkMks,
  Contrast,
  Backlight,
  CursorPosition,
  Strobe1BeginColumn,
  Strobe1EndColumn,
  Strobe2BeginColumn,
  Strobe2EndColumn,
  Strobe1BeginTime,
  Strobe1EndTime,
  Strobe2BeginTime,
  Strobe2EndTime,
  Strobe1Level,
  Strobe2Level,
  Attenuator,
  ArdCorrection,
  Strobe1LevelPercent,
  Strobe2LevelPercent,
  ScreenMode,
  UsedMode,
  Pictograms,
  TgvGain,
  TgvPosition,
  TgvCursorPosition,
  TgvNumber,
  PixelGridLengthMm,
  PreviousPixelGridLengthMm,
  IndexMarkMm,
  Snap,
  ConfigIndex,
  AmplitudeMarkerPosition,
  DepthGridLength,
  PreviousDepthGridLength,
  IndexMarkMmDepth,
  ExactCursorColumn,
  ExactCursorFlag,
  ExactLupaTime,
  CursorInLupa,
  LupaCursorPosition,
  Freeze,
  CursorOn,
  LevelOn,
  SecondCursor,
};

// How a value lies in the image. Every number is most significant byte first.
enum class TCoding : std::uint8_t {
  B8,         // one byte
  B16,        // two bytes
  C32,        // four bytes, whole value x 100
  C32Real,    // four bytes, rnd(value x 100)
  C16,        // two bytes, truncate(value x 100)
  T24,        // three bytes, rnd(value x 100)
  B16x10,     // two bytes, rnd(value x 10)
  B16x100,    // two bytes, rnd(value x 100)
  B8x2,       // one byte, rnd(value x 2)
  B8Round,    // one byte, rnd(value)
  Digits,     // three bytes: tens, units, "."
  NameText,   // fourteen characters of the name
  NameCodes,  // fourteen instrument character codes of the name
  Bytes,      // an array of bytes (pictograms, TGV gains, snapshot)
  Words,      // an array of B16 (TGV positions)
};

struct TPlace {
  TField Field;
  std::uint16_t Offset;
  TCoding Coding;
};

using F = TField;
using C = TCoding;

// The oldest layout.
constexpr TPlace kBasePlaces[] = {
    {F::Name, 0, C::NameText},
    {F::NameTerminator, 14, C::B8},
    {F::Velocity, 23, C::C32},
    {F::ProbeFrequency, 27, C::C32},
    {F::ProbePulse, 31, C::C32},
    {F::PulsePeriods, 35, C::C32Real},
    {F::RefreshRate, 39, C::C32},
    {F::FilterBand, 43, C::C32},
    {F::ProbeDelay, 47, C::C32Real},
    {F::InsertionAngle, 51, C::C32},
    {F::ProbeArrow, 55, C::C32Real},
    {F::Thickness, 59, C::C32Real},
    {F::Otsechka, 63, C::C32},
    {F::StrobeAlgorithm, 67, C::C32},
    {F::Poisk, 71, C::C32},
    {F::ArdPlateDiameter, 75, C::C32Real},
    {F::ArdSignalAmplitude, 79, C::C32Real},
    {F::ArdPlateFloorDiameter, 83, C::C32Real},
    {F::Cursor1Enabled, 87, C::C32},
    {F::Cursor2Enabled, 91, C::C32},
    {F::SignalType, 95, C::C32},
    {F::UserMode, 99, C::C32},
    {F::TvgEnabled, 103, C::C32},
    {F::SwitchBits, 107, C::C32},
    {F::Language, 111, C::C32},
    {F::ArdAttenuation, 115, C::C32Real},
    {F::ProbeType, 119, C::C32},
    {F::ConfigurationNumber, 123, C::C32},
    {F::LastMemCell, 127, C::C32},
    {F::EvenReminderFlag, 131, C::C32},
    {F::BScanRate, 135, C::C32Real},
    {F::ScreenUnits, 139, C::C32},
    {F::PixelGridLength, 143, C::B8},
    {F::PreviousPixelGridLength, 144, C::B8},
    {F::IndexMarkMks, 145, C::B8},
    {F::Contrast, 146, C::B8},
    {F::Backlight, 147, C::B8},
    {F::CursorPosition, 148, C::B16},
    {F::Strobe1BeginColumn, 150, C::B16},
    {F::Strobe1EndColumn, 152, C::B16},
    {F::Strobe2BeginColumn, 154, C::B16},
    {F::Strobe2EndColumn, 156, C::B16},
    {F::Strobe1Level, 159, C::B8},
    {F::Strobe2Level, 161, C::B8},
    {F::Attenuator, 162, C::B16},
    {F::ArdCorrection, 164, C::B16},
    {F::Strobe1LevelPercent, 166, C::B8},
    {F::Strobe2LevelPercent, 167, C::B8},
    {F::ScreenMode, 169, C::B8},
    {F::UsedMode, 170, C::B16},
    {F::Pictograms, 172, C::Bytes},
    {F::TgvGain, 197, C::Bytes},
    {F::TgvPosition, 229, C::Words},
    {F::TgvCursorPosition, 293, C::B16},
    {F::TgvNumber, 295, C::B16},
    {F::PixelGridLengthMm, 299, C::C16},
    {F::PreviousPixelGridLengthMm, 301, C::C16},
    {F::IndexMarkMm, 303, C::B8},
    {F::Snap, 304, C::Bytes},
    {F::ConfigIndex, 501, C::B16},
};

// 3.17: strobes as times, the angle as a real, the depth grid. The C32
// fields from 23 to 146 keep their base places.
constexpr TPlace k317Places[] = {
    {F::NumberDigits, 0, C::Digits},
    {F::Name, 3, C::NameText},
    {F::NameTerminator, 17, C::B8},
    {F::Velocity, 23, C::C32},
    {F::ProbeFrequency, 27, C::C32},
    {F::ProbePulse, 31, C::C32},
    {F::PulsePeriods, 35, C::C32Real},
    {F::RefreshRate, 39, C::C32},
    {F::FilterBand, 43, C::C32},
    {F::ProbeDelay, 47, C::C32Real},
    {F::BeamAngle, 51, C::C32Real},
    {F::ProbeArrow, 55, C::C32Real},
    {F::Thickness, 59, C::C32Real},
    {F::Otsechka, 63, C::C32},
    {F::StrobeAlgorithm, 67, C::C32},
    {F::Poisk, 71, C::C32},
    {F::ArdPlateDiameter, 75, C::C32Real},
    {F::ArdSignalAmplitude, 79, C::C32Real},
    {F::ArdPlateFloorDiameter, 83, C::C32Real},
    {F::Cursor1Enabled, 87, C::C32},
    {F::Cursor2Enabled, 91, C::C32},
    {F::SignalType, 95, C::C32},
    {F::UserMode, 99, C::C32},
    {F::TvgEnabled, 103, C::C32},
    {F::SwitchBits, 107, C::C32},
    {F::Language, 111, C::C32},
    {F::ArdAttenuation, 115, C::C32Real},
    {F::ProbeType, 119, C::C32},
    {F::ConfigurationNumber, 123, C::C32},
    {F::LastMemCell, 127, C::C32},
    {F::EvenReminderFlag, 131, C::C32},
    {F::BScanRate, 135, C::C32},
    {F::ScreenUnits, 139, C::C32},
    {F::PixelGridLength, 143, C::B8},
    {F::PreviousPixelGridLength, 144, C::B8},
    {F::IndexMarkMks, 145, C::B8},
    {F::Contrast, 146, C::B8},
    {F::Backlight, 147, C::B8},
    {F::CursorPosition, 148, C::B16},
    {F::Strobe1BeginTime, 150, C::T24},
    {F::Strobe1EndTime, 153, C::T24},
    {F::Strobe2BeginTime, 156, C::T24},
    {F::Strobe2EndTime, 159, C::T24},
    {F::Strobe1Level, 162, C::B16},
    {F::Strobe2Level, 164, C::B16},
    {F::Attenuator, 166, C::B16},
    {F::ArdCorrection, 168, C::B16},
    {F::Strobe1LevelPercent, 170, C::B8},
    {F::Strobe2LevelPercent, 171, C::B8},
    {F::ScreenMode, 172, C::B16},
    {F::UsedMode, 174, C::B16},
    {F::Pictograms, 176, C::Bytes},
    {F::TgvGain, 201, C::Bytes},
    {F::TgvPosition, 233, C::Words},
    {F::TgvCursorPosition, 297, C::B16},
    {F::TgvNumber, 299, C::B16},
    {F::PixelGridLengthMm, 303, C::C16},
    {F::PreviousPixelGridLengthMm, 305, C::C16},
    {F::IndexMarkMm, 307, C::B8},
    {F::Snap, 308, C::Bytes},
    {F::AmplitudeMarkerPosition, 314, C::B16},
    {F::DepthGridLength, 316, C::C16},
    {F::PreviousDepthGridLength, 318, C::C16},
    {F::IndexMarkMmDepth, 320, C::B8},
    {F::ConfigIndex, 501, C::B16},
};

// What 3.26 adds: the exact and the magnifier cursor.
constexpr TPlace k326Places[] = {
    {F::ExactCursorColumn, 321, C::C32Real},
    {F::ExactCursorFlag, 325, C::B8},
    {F::ExactLupaTime, 326, C::C32Real},
    {F::CursorInLupa, 330, C::B8},
};

constexpr TPlace k403Places[] = {{F::LupaCursorPosition, 331, C::B16}};
constexpr TPlace k408Places[] = {{F::Freeze, 333, C::B8}};

// 5.00: a compact block up to 60, then the 3.17 places from 143 on with
// the later extensions and a few changes.
constexpr TPlace k500Places[] = {
    {F::NumberDigits, 0, C::Digits},
    {F::Name, 3, C::NameCodes},
    {F::NameTerminator, 17, C::B8},
    {F::Velocity, 23, C::B16},
    {F::ProbeFrequency, 25, C::B8},
    {F::ProbePulse, 26, C::B8},
    {F::PulsePeriods, 27, C::B8x2},
    {F::RefreshRate, 28, C::B8},
    {F::FilterBand, 29, C::B8},
    {F::ProbeDelay, 30, C::B16x100},
    {F::BeamAngle, 32, C::B16x10},
    {F::ProbeArrow, 34, C::B16x10},
    {F::Thickness, 36, C::B16x10},
    {F::Otsechka, 38, C::B8},
    {F::StrobeAlgorithm, 39, C::B8},
    {F::Poisk, 40, C::B8},
    {F::ArdPlateDiameter, 41, C::B16x10},
    {F::ArdSignalAmplitude, 43, C::B8Round},
    {F::ArdPlateFloorDiameter, 44, C::B16x10},
    {F::Cursor1Enabled, 46, C::B8},
    {F::Cursor2Enabled, 47, C::B8},
    {F::SignalType, 48, C::B8},
    {F::UserMode, 49, C::B8},
    {F::TvgEnabled, 50, C::B8},
    {F::ArdAttenuation, 51, C::B16x10},
    {F::ProbeType, 53, C::B8},
    {F::LastMemCell, 55, C::B16},
    {F::BScanRate, 58, C::B16x10},
    {F::ScreenUnits, 60, C::B8},
    {F::PixelGridLength, 143, C::B8},
    {F::PreviousPixelGridLength, 144, C::B8},
    {F::IndexMarkMks, 145, C::B8},
    {F::Contrast, 146, C::B8},
    {F::Backlight, 147, C::B8},
    {F::CursorPosition, 148, C::B16},
    {F::Strobe1BeginTime, 150, C::T24},
    {F::Strobe1EndTime, 153, C::T24},
    {F::Strobe2BeginTime, 156, C::T24},
    {F::Strobe2EndTime, 159, C::T24},
    {F::Strobe1Level, 163, C::B8},
    {F::Strobe2Level, 165, C::B8},
    {F::Attenuator, 166, C::B16},
    {F::ArdCorrection, 168, C::B16},
    {F::Strobe1LevelPercent, 170, C::B8},
    {F::Strobe2LevelPercent, 171, C::B8},
    {F::ScreenMode, 172, C::B16},
    {F::UsedMode, 174, C::B16},
    {F::Pictograms, 176, C::Bytes},
    {F::TgvGain, 201, C::Bytes},
    {F::TgvPosition, 233, C::Words},
    {F::TgvCursorPosition, 297, C::B16},
    {F::TgvNumber, 299, C::B16},
    {F::PixelGridLengthMm, 303, C::B16x100},
    {F::PreviousPixelGridLengthMm, 305, C::B16x100},
    {F::IndexMarkMm, 307, C::B8},
    {F::Snap, 308, C::Bytes},
    {F::AmplitudeMarkerPosition, 314, C::B16},
    {F::DepthGridLength, 316, C::B16x100},
    {F::DepthGridLength, 318, C::B16x100},
    {F::IndexMarkMmDepth, 320, C::B8},
    {F::ExactCursorColumn, 321, C::C32Real},
    {F::ExactCursorFlag, 325, C::B8},
    {F::ExactLupaTime, 326, C::C32Real},
    {F::CursorInLupa, 330, C::B8},
    {F::LupaCursorPosition, 331, C::B16},
    {F::Freeze, 333, C::B8},
    {F::CursorOn, 334, C::B8},
    {F::LevelOn, 335, C::B8},
    {F::ConfigIndex, 501, C::B16},
};

constexpr TPlace k501Places[] = {{F::SecondCursor, 336, C::B16}};

template <std::size_t N>
void Add(std::vector<TPlace>& places, const TPlace (&more)[N]) {
  places.insert(places.end(), std::begin(more), std::end(more));
}

std::vector<TPlace> PlacesOf(TSimulatedLayout layout) {
  std::vector<TPlace> places;
  switch (layout) {
    case TSimulatedLayout::Base:
      Add(places, kBasePlaces);
      break;
    case TSimulatedLayout::V3_17:
    case TSimulatedLayout::V3_26:
    case TSimulatedLayout::V4_03:
    case TSimulatedLayout::V4_08:
      Add(places, k317Places);
      if (layout >= TSimulatedLayout::V3_26) Add(places, k326Places);
      if (layout >= TSimulatedLayout::V4_03) Add(places, k403Places);
      if (layout >= TSimulatedLayout::V4_08) Add(places, k408Places);
      break;
    case TSimulatedLayout::V5_00:
    case TSimulatedLayout::V5_01:
      Add(places, k500Places);
      if (layout == TSimulatedLayout::V5_01) Add(places, k501Places);
      break;
  }
  return places;
}

const TPlace* Find(const std::vector<TPlace>& places, TField field) {
  const auto it = std::find_if(places.begin(), places.end(),
                               [field](const TPlace& p) { return p.Field == field; });
  return it == places.end() ? nullptr : &*it;
}

// The instrument's own character codes for the name characters it offers.
// clang-format off
std::uint8_t InstrumentCode(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(0x61 + (c - 'A'));
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c);
  switch (c) {
    case '.': return 0x2E;
    case ',': return 0x2C;
    case '#': return 0x23;
    case '-': return 0x2D;
    case '+': return 0x2B;
    case '%': return 0x25;
    case ':': return 0x3A;
    default: return 0x20;
  }
}
// clang-format on

bool NameCharacter(char c) {
  return c == ' ' || InstrumentCode(c) != 0x20;
}

// The fourteen name positions: at most 13 characters, blanks after them.
std::string NamePositions(const std::string& name) {
  std::string positions(14, ' ');
  for (std::size_t i = 0; i < name.size() && i < 13; ++i) {
    positions[i] = NameCharacter(name[i]) ? name[i] : ' ';
  }
  return positions;
}

constexpr double kTimePerDivision[7] = {1, 2, 5, 10, 25, 50, 100};
constexpr double kMillimetresPerDivision[13] = {0.1, 0.5, 1,   2,   5,    10,  20,
                                                50,  100, 200, 500, 1000, 2000};
constexpr std::uint8_t kPictogramTail[25] = {0,  0, 0, 0, 0, 0, 20, 21, 22, 23, 24, 0, 17,
                                             18, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0,  17};

double Rnd(double value) {
  return std::nearbyint(value);
}

double TimePerDivision(std::uint8_t index) {
  return kTimePerDivision[std::min<int>(index, 6)];
}

std::uint16_t Column(double time, const TSimulatedSetup& s) {
  const double column = Rnd(time * s.PixelGridLength / TimePerDivision(s.IndexMarkMks));
  return static_cast<std::uint16_t>(std::clamp(column, 0.0, 319.0));
}

std::uint8_t LevelRow(std::uint8_t percent) {
  return static_cast<std::uint8_t>((100 - std::min<int>(percent, 100)) * 180 / 100);
}

double Cosine(double degrees) {
  return std::cos(degrees * 3.14159265358979323846 / 180.0);
}

struct TDerived {
  TSimulatedMillimetreGrid Path;
  TSimulatedMillimetreGrid Depth;
};

// clang-format off
double ValueOf(TField field, const TSimulatedSetup& s, const TDerived& d, std::uint16_t number) {
  switch (field) {
    case F::NameTerminator: return '/';
    case F::Velocity: return s.Velocity;
    case F::ProbeFrequency: return s.ProbeFrequencyIndex;
    case F::ProbePulse: return s.ProbePulse;
    case F::PulsePeriods: return s.PulsePeriods;
    case F::RefreshRate: return s.RefreshRate;
    case F::FilterBand: return s.FilterBand;
    case F::ProbeDelay: return s.ProbeDelay;
    case F::InsertionAngle: return Rnd(s.InsertionAngle);
    case F::BeamAngle: return s.InsertionAngle;
    case F::ProbeArrow: return s.ProbeArrow;
    // A thickness of 900 mm or more tells the instrument's reader that the
    // thickness is switched off.
    case F::Thickness: return s.Thickness > 0 ? s.Thickness : 1000.0;
    case F::Otsechka: return s.Otsechka;
    case F::StrobeAlgorithm: return s.StrobeAlgorithm;
    case F::Poisk: return s.Poisk;
    case F::ArdPlateDiameter: return s.ArdPlateDiameter;
    case F::ArdSignalAmplitude: return s.ArdSignalAmplitude;
    case F::ArdPlateFloorDiameter: return s.ArdPlateFloorDiameter;
    case F::Cursor1Enabled: return s.Cursor1Enabled;
    case F::Cursor2Enabled: return s.Cursor2Enabled;
    case F::SignalType: return s.SignalType;
    case F::UserMode: return s.UserMode;
    case F::TvgEnabled: return s.TvgEnabled;
    case F::SwitchBits:
      return (s.SoundEnabled == 1 ? 1 : 0) + (s.VCursorEnabled == 2 ? 2 : 0) +
             (s.ReferenceLevelOn == 4 ? 4 : 0);
    case F::Language: return s.Language;
    case F::ArdAttenuation: return s.ArdAttenuation;
    case F::ProbeType: return s.ProbeType;
    case F::ConfigurationNumber: return number;
    case F::LastMemCell: return s.LastMemCell;
    case F::EvenReminderFlag: return s.Thickness > 0 ? 1 : 0;
    case F::BScanRate: return Rnd(s.BScanRate);
    case F::ScreenUnits: return s.ScreenUnits;
    case F::PixelGridLength: return s.PixelGridLength;
    case F::PreviousPixelGridLength: return s.PreviousPixelGridLength;
    case F::IndexMarkMks: return s.IndexMarkMks;
    case F::Contrast: return s.Contrast;
    case F::Backlight: return s.Backlight;
    case F::CursorPosition: return s.CursorPosition;
    case F::Strobe1BeginColumn: return Column(s.Strobe1Begin, s);
    case F::Strobe1EndColumn: return Column(s.Strobe1End, s);
    case F::Strobe2BeginColumn: return Column(s.Strobe2Begin, s);
    case F::Strobe2EndColumn: return Column(s.Strobe2End, s);
    case F::Strobe1BeginTime: return s.Strobe1Begin;
    case F::Strobe1EndTime: return s.Strobe1End;
    case F::Strobe2BeginTime: return s.Strobe2Begin;
    case F::Strobe2EndTime: return s.Strobe2End;
    case F::Strobe1Level: return LevelRow(s.Strobe1LevelPercent);
    case F::Strobe2Level: return LevelRow(s.Strobe2LevelPercent);
    case F::Attenuator: return s.Attenuator;
    case F::ArdCorrection: return s.ArdCorrection;
    case F::Strobe1LevelPercent: return s.Strobe1LevelPercent;
    case F::Strobe2LevelPercent: return s.Strobe2LevelPercent;
    case F::ScreenMode: return s.ScreenMode;
    case F::UsedMode: return s.UsedMode;
    case F::TgvCursorPosition: return s.TgvCursorPosition;
    case F::TgvNumber: return s.TgvNumber;
    case F::PixelGridLengthMm:
    case F::PreviousPixelGridLengthMm: return d.Path.Pixels;
    case F::IndexMarkMm: return d.Path.Index;
    case F::ConfigIndex: return s.ConfigIndex;
    case F::AmplitudeMarkerPosition: return s.AmplitudeMarkerPosition;
    case F::DepthGridLength:
    case F::PreviousDepthGridLength: return d.Depth.Pixels;
    case F::IndexMarkMmDepth: return d.Depth.Index;
    case F::ExactCursorColumn: return s.ExactCursorFlag != 0 ? s.ExactCursorColumn : 0.0;
    case F::ExactCursorFlag: return s.ExactCursorFlag;
    case F::ExactLupaTime: return s.ExactCursorFlag != 0 ? s.ExactLupaTime : 0.0;
    case F::CursorInLupa: return s.CursorInLupa;
    case F::LupaCursorPosition: return s.LupaCursorPosition;
    case F::Freeze: return s.Freeze ? 1 : 0;
    case F::CursorOn: return s.CursorOn;
    case F::LevelOn: return s.Poisk != 0 ? 1 : 0;
    case F::SecondCursor: return s.SecondCursor;
    case F::NumberDigits:
    case F::Name:
    case F::Pictograms:
    case F::TgvGain:
    case F::TgvPosition:
    case F::Snap: break;  // written by WriteArray
  }
  return 0;
}
// clang-format on

void PutNumber(TSimulatedImage& image, std::size_t offset, std::size_t width, double value) {
  const double max = std::ldexp(1.0, static_cast<int>(8 * width)) - 1;
  auto number = static_cast<std::uint32_t>(std::clamp(value, 0.0, max));
  for (std::size_t i = width; i-- > 0;) {
    image[offset + i] = static_cast<std::uint8_t>(number & 0xFF);
    number >>= 8;
  }
}

std::uint32_t GetNumber(const TSimulatedImage& image, std::size_t offset, std::size_t width) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < width; ++i) {
    number = (number << 8) | image[offset + i];
  }
  return number;
}

// clang-format off
void PutValue(TSimulatedImage& image, const TPlace& place, double v) {
  const std::size_t at = place.Offset;
  switch (place.Coding) {
    case C::B8: PutNumber(image, at, 1, Rnd(v)); break;
    case C::B16: PutNumber(image, at, 2, Rnd(v)); break;
    case C::C32: PutNumber(image, at, 4, Rnd(v) * 100); break;
    case C::C32Real: PutNumber(image, at, 4, Rnd(v * 100)); break;
    case C::C16: PutNumber(image, at, 2, std::trunc(v * 100)); break;
    case C::T24: PutNumber(image, at, 3, Rnd(v * 100)); break;
    case C::B16x10: PutNumber(image, at, 2, Rnd(v * 10)); break;
    case C::B16x100: PutNumber(image, at, 2, Rnd(v * 100)); break;
    case C::B8x2: PutNumber(image, at, 1, Rnd(v * 2)); break;
    case C::B8Round: PutNumber(image, at, 1, Rnd(v)); break;
    default: break;
  }
}


// The value a number field holds, as the instrument reads it back.
double GetValue(const TSimulatedImage& image, const TPlace& place) {
  const std::size_t at = place.Offset;
  switch (place.Coding) {
    case C::B8:
    case C::B8Round: return image[at];
    case C::B16: return GetNumber(image, at, 2);
    case C::C32: return GetNumber(image, at, 4) / 100;
    case C::C32Real: return GetNumber(image, at, 4) / 100.0;
    case C::C16:
    case C::B16x100: return GetNumber(image, at, 2) / 100.0;
    case C::T24: return GetNumber(image, at, 3) / 100.0;
    case C::B16x10: return GetNumber(image, at, 2) / 10.0;
    case C::B8x2: return image[at] / 2.0;
    default: return 0;
  }
}
// clang-format on

void WriteArray(TSimulatedImage& image, const TPlace& place, const TSimulatedSetup& s,
                std::uint16_t number) {
  const std::size_t at = place.Offset;
  switch (place.Field) {
    case F::NumberDigits:
      image[at] = static_cast<std::uint8_t>('0' + number / 10 % 10);
      image[at + 1] = static_cast<std::uint8_t>('0' + number % 10);
      image[at + 2] = '.';
      break;
    case F::Name: {
      const std::string positions = NamePositions(s.Name);
      for (std::size_t i = 0; i < positions.size(); ++i) {
        image[at + i] = place.Coding == C::NameCodes ? InstrumentCode(positions[i])
                                                     : static_cast<std::uint8_t>(positions[i]);
      }
      break;
    }
    case F::Pictograms: {
      // Entries 0..5 follow the modes, as the instrument shows them.
      std::uint8_t pictograms[25];
      std::copy(std::begin(kPictogramTail), std::end(kPictogramTail), pictograms);
      pictograms[0] = static_cast<std::uint8_t>(s.Cursor1Enabled + 1);
      pictograms[1] = static_cast<std::uint8_t>(s.Cursor2Enabled + 3);
      pictograms[2] = static_cast<std::uint8_t>(s.StrobeAlgorithm + 34);
      pictograms[3] = static_cast<std::uint8_t>(s.SignalType + 7);
      pictograms[4] = static_cast<std::uint8_t>(s.ScreenMode + 10);
      pictograms[5] = static_cast<std::uint8_t>(s.TvgEnabled == 2 ? 38 : s.TvgEnabled + 5);
      std::copy(std::begin(pictograms), std::end(pictograms), image.begin() + at);
      break;
    }
    case F::TgvGain:
      std::copy(s.TgvGain.begin(), s.TgvGain.end(), image.begin() + at);
      image[at] = 0;  // point 0 has no gain of its own
      break;
    case F::TgvPosition:
      for (std::size_t i = 0; i < s.TgvPosition.size(); ++i) {
        PutNumber(image, at + 2 * i, 2, s.TgvPosition[i]);
      }
      break;
    case F::Snap:
      std::copy(s.Snap.begin(), s.Snap.end(), image.begin() + at);
      break;
    default:
      break;
  }
}

bool IsArray(TCoding coding) {
  return coding == C::Digits || coding == C::NameText || coding == C::NameCodes ||
         coding == C::Bytes || coding == C::Words;
}

}  // namespace

TSimulatedSetup::TSimulatedSetup() {
  TgvGain.fill(10);
  TgvGain[0] = 0;
  for (std::size_t i = 0; i < TgvPosition.size(); ++i) {
    TgvPosition[i] = static_cast<std::uint16_t>(20 * i);
  }
}

// clang-format off
const char* SimulatedLayoutClassName(TSimulatedLayout layout) {
  switch (layout) {
    case TSimulatedLayout::Base: return "TBaseConfigCell";
    case TSimulatedLayout::V3_17: return "T3_17ConfigCell";
    case TSimulatedLayout::V3_26: return "T3_26ConfigCell";
    case TSimulatedLayout::V4_03: return "T4_03ConfigCell";
    case TSimulatedLayout::V4_08: return "T4_08ConfigCell";
    case TSimulatedLayout::V5_00: return "T5_00ConfigCell";
    case TSimulatedLayout::V5_01: return "T5_01ConfigCell";
  }
  return "";
}
// clang-format on

namespace {

// The program's choice of configuration class by device type and firmware;
// false when it has none.
bool ChooseLayout(const TSimulatorIdentity& identity, TSimulatedLayout& layout) {
  using L = TSimulatedLayout;
  const unsigned major = identity.MajorVersion;
  const unsigned minor = identity.MinorVersion;
  const unsigned local = identity.ConfigLocalVersion;
  const auto pick = [&layout](L chosen) {
    layout = chosen;
    return true;
  };
  // By firmware local version, as both device types number them from major 4 on.
  const auto byLocal = [&pick](unsigned l) {
    if (l == 1) return pick(L::V3_26);
    if (l == 2) return pick(L::V4_03);
    if (l == 3 || l == 4) return pick(L::V4_08);
    return false;
  };
  if (identity.DeviceType == 1) {
    if (major < 3) return pick(L::Base);
    if (major == 3) {
      if (minor <= 15) return pick(L::Base);
      if (minor <= 25) return pick(L::V3_17);
      if (minor <= 29) return pick(L::V3_26);
      if (minor <= 34) return pick(L::V4_08);
      return false;
    }
    if (major == 4) return byLocal(local);
    if (major == 5) return pick(local == 0 ? L::V5_00 : L::V5_01);
    return false;
  }
  if (identity.DeviceType == 2) {
    if (major < 3) {
      if (minor <= 6) return pick(L::Base);
      if (minor <= 10) return pick(L::V3_17);
      if (minor <= 42) return pick(L::V3_26);
      return false;
    }
    if (major == 3) {
      if (minor <= 6) return pick(L::Base);
      if (minor <= 8) return pick(L::V3_17);
      if (minor <= 12) return pick(L::V3_26);
      if (minor <= 33) {
        if (local == 1) return pick(L::V3_26);
        if (local == 2 || local == 3) return pick(L::V4_03);
      }
      return false;
    }
    if (major == 4) return byLocal(local);
    if (major == 5) {
      if (local == 4) return pick(L::V5_01);
      return local >= 1 && local <= 3 && byLocal(local);
    }
  }
  return false;
}

}  // namespace

std::optional<TSimulatedVariant> SimulatedVariantFor(const TSimulatorIdentity& identity) {
  TSimulatedVariant variant{TSimulatedLayout::Base, true};
  if (!ChooseLayout(identity, variant.Layout)) {
    return std::nullopt;
  }
  // The oldest firmware of device type 1 leaves its cells as created.
  variant.Initialised = !(identity.DeviceType == 1 && identity.MajorVersion < 3);
  return variant;
}

TSimulatedLayout SimulatedLayoutFor(const TSimulatorIdentity& identity) {
  const auto variant = SimulatedVariantFor(identity);
  return variant ? variant->Layout : TSimulatedLayout::Base;
}

TSimulatedMillimetreGrid SimulatedMillimetreGrid(const TSimulatedSetup& setup, double cosine) {
  const double grid = std::max<int>(setup.PixelGridLength, 1);
  double span = setup.Velocity * (TimePerDivision(setup.IndexMarkMks) * 318 / grid) / 2000;
  span *= cosine;
  int chosen = 0;
  for (int index = 12; index >= 0; --index) {
    if (std::trunc(span / kMillimetresPerDivision[index]) >= 12) {
      chosen = std::min(index + 1, 12);
      break;
    }
  }
  return {static_cast<std::uint8_t>(chosen), kMillimetresPerDivision[chosen] * 318 / span};
}

TSimulatedImage WriteSimulatedImage(TSimulatedLayout layout, const TSimulatedSetup& setup,
                                    std::uint16_t number) {
  TSimulatedImage image{};
  const double angle = setup.InsertionAngle;
  const TDerived derived{SimulatedMillimetreGrid(setup, 1.0),
                         SimulatedMillimetreGrid(setup, angle < 90 ? Cosine(angle) : 1.0)};
  for (const TPlace& place : PlacesOf(layout)) {
    if (IsArray(place.Coding)) {
      WriteArray(image, place, setup, number);
    } else {
      PutValue(image, place, ValueOf(place.Field, setup, derived, number));
    }
  }
  return image;
}

TSimulatedImageFields ReadSimulatedImageFields(TSimulatedLayout layout,
                                               const TSimulatedImage& image) {
  const std::vector<TPlace> places = PlacesOf(layout);
  const auto read = [&](TField field) {
    const TPlace* place = Find(places, field);
    return place ? GetValue(image, *place) : 0.0;
  };
  TSimulatedImageFields fields{};
  fields.Attenuator = static_cast<std::uint16_t>(read(F::Attenuator));
  fields.IndexMarkMks = static_cast<std::uint8_t>(read(F::IndexMarkMks));
  fields.PixelGridLength = static_cast<std::uint8_t>(read(F::PixelGridLength));
  fields.LastMemCell = static_cast<std::uint16_t>(read(F::LastMemCell));
  fields.SignalType = static_cast<std::uint8_t>(read(F::SignalType));
  return fields;
}

void SetSimulatedImageGain(TSimulatedLayout layout, TSimulatedImage& image,
                           std::uint16_t attenuator) {
  const std::vector<TPlace> places = PlacesOf(layout);
  PutValue(image, *Find(places, F::Attenuator), attenuator);
}

void SetSimulatedImageRange(TSimulatedLayout layout, TSimulatedImage& image,
                            std::uint8_t indexMarkMks, std::uint8_t pixelGridLength) {
  const std::vector<TPlace> places = PlacesOf(layout);
  PutValue(image, *Find(places, F::IndexMarkMks), indexMarkMks);
  PutValue(image, *Find(places, F::PixelGridLength), pixelGridLength);
}

}  // namespace conduit
