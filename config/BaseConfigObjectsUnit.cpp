#include <config/BaseConfigObjectsUnit.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include <config/Rounding.h>

namespace velt {
namespace {

constexpr std::uint8_t kDefaultPictograms[kPictograms] = {1,  3,  5,  7, 11, 15, 20, 21, 22,
                                                          23, 24, 0,  17, 18, 0, 0,  0,  0,
                                                          0,  0,  0,  0,  0,  0, 17};

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

TBaseConfigCell::TBaseConfigCell(TNumberFormat format) : Format(format) {
  // A C++ constructor reaches only this class's scheme builder; a variant
  // that builds its own schemes does so in its own constructor.
  TBaseConfigCell::BuildParameterSchemes();
  Frozen = true;
  DisplayOffset = 2;
}

// ---- Guarded table lookups ---------------------------------------------

double TBaseConfigCell::TimePerDivision() const {
  return kTimePerDivision[std::min<std::size_t>(INDEX_MARK_MKS, 6)];
}

double TBaseConfigCell::MmPerDivision() const {
  return kMmPerDivision[std::min<std::size_t>(INDEX_MARK_MM, 12)];
}

double TBaseConfigCell::ProbeFrequencyMHz() const {
  return kProbeFrequency[std::min<std::size_t>(PROBE_FREQ, 37)];
}

std::uint8_t TBaseConfigCell::ProbePulse() const {
  return kProbePulse[std::min<std::size_t>(PROBE_PULSE, 2)];
}

std::uint16_t TBaseConfigCell::LastTgvPoint() const {
  return std::min<std::uint16_t>(TGV_NUMBER, kTgvPoints - 1);
}

// ---- Small helpers -----------------------------------------------------

void TBaseConfigCell::SetName(const std::string& name) {
  NameChars.fill(0x20);
  const std::size_t k = std::min<std::size_t>(name.size(), kNameLength);
  for (std::size_t i = 0; i < k; ++i) {
    NameChars[i] = static_cast<std::uint8_t>(name[i]);
  }
  NameChars[kNameLength] = '/';
  CONFIGURATION_NAME.assign(NameChars.begin(), NameChars.begin() + kNameLength);
}

void TBaseConfigCell::RefreshParameter29() {
  Parameter29Value = RndTo<std::uint8_t>(Schemes[29].LastAccepted);
}

std::uint16_t& TBaseConfigCell::StrobeBegin(std::uint8_t strobe) {
  return strobe == 0 ? STROBE_1_BEGIN : STROBE_2_BEGIN;
}
std::uint16_t& TBaseConfigCell::StrobeEnd(std::uint8_t strobe) {
  return strobe == 0 ? STROBE_1_END : STROBE_2_END;
}
std::uint8_t& TBaseConfigCell::StrobeLevelPercent(std::uint8_t strobe) {
  return strobe == 0 ? STROBE_1_LEVEL_PERCENT : STROBE_2_LEVEL_PERCENT;
}
std::uint16_t TBaseConfigCell::StrobeBegin(std::uint8_t strobe) const {
  return strobe == 0 ? STROBE_1_BEGIN : STROBE_2_BEGIN;
}
std::uint16_t TBaseConfigCell::StrobeEnd(std::uint8_t strobe) const {
  return strobe == 0 ? STROBE_1_END : STROBE_2_END;
}
std::uint8_t TBaseConfigCell::StrobeLevelPercent(std::uint8_t strobe) const {
  return strobe == 0 ? STROBE_1_LEVEL_PERCENT : STROBE_2_LEVEL_PERCENT;
}

// ---- Defaults, validation, copying ---------------------------------------

void TBaseConfigCell::Initialise() { SetDefaults(0); }

void TBaseConfigCell::SetDefaults(std::uint16_t n) {
  SetName("DEFAULT");
  AMPLITUDE_MARKER_POSITION = 0;
  CONFIGURATION_NO = n;
  EVEN_REMINDER_FLAG = 0;

  DisplayOffset = 2;
  MAJOR_VERSION_NO = 3;
  MINOR_VERSION_NO = 16;
  INDEX_MARK_MKS = 2;
  PIXEL_GRID_LENGTH = 25;
  PREVIOUS_PIXEL_GRID_LENGTH = 25;
  STROBE_1_BEGIN = 25;
  STROBE_2_BEGIN = 100;
  STROBE_1_END = 45;
  STROBE_2_END = 150;
  STROBE_1_LEVEL = 30;
  STROBE_2_LEVEL = 25;
  STROBE_1_LEVEL_PERCENT = 30;
  STROBE_2_LEVEL_PERCENT = 20;
  CURSOR_POSITION = 160;
  std::copy(std::begin(kDefaultPictograms), std::end(kDefaultPictograms), PICTOGR_ARRAY.begin());
  TGV_GAIN.fill(10);
  TGV_GAIN[0] = 0;
  for (int i = 0; i < kTgvPoints; ++i) {
    TGV_POS[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 20);
  }
  TGV_CURSOR_POSITION = 5;
  TGV_NUMBER = 17;
  ATTENUATOR1 = 0;
  VELOCITY = 3250;
  POISK = 0;
  THICKNESS = 12.0;
  ZONDER_PULSE_PERIODS = 1.0;
  CURSOR_1_ENABLED = 0;
  CURSOR_2_ENABLED = 0;
  USED_MODE = 256;
  UsedModeCopy = 256;
  TVG_ENABLED = 0;
  SCREEN_MODE = 1;
  SIGNAL_TYPE = 0;
  USER_MODE = 0;
  REFRESH_RATE = 50;
  FILTER_BAND = 0;
  OTSECHKA = 0;
  PROBE_ARROW = 12.0;
  INSERTION_ANGLE = 65;
  PROBE_FREQ = 17;
  PROBE_DELAY = 8.6;
  PROBE_TYPE = 0;
  PROBE_PULSE = 0;
  CONTRAST = 15;
  PODSVETKA = 1;
  B_SCAN_RATE = 2.0;
  SCREEN_UNITS = 0;
  SOUND_ENABLED = 0;
  VCURSOR_ENABLED = 0;
  OPORN_LEVEL_ON = 4;
  LANGUAGE = 0;
  CONFIG_INDEX = 0;
  DEVICE_INDEX = 0;
  ARD_CORRECTION = 0;
  STROBE_ALGORYTHM = 0;
  ARD_PLATE_DIAMETER = 12.0;
  ARD_SIGNAL_AMPLITUDE = 0;
  ARD_PLATE_FLOOR_DIAMETER = 0;
  ARD_ATTENUATION = 0;
  Frozen = true;

  UpdateMillimetreGrid();
  UpdateDepthGrid();
  RefreshParameter29();
}

bool TBaseConfigCell::Validate() {
  const bool ok = PIXEL_GRID_LENGTH_MM >= 25 && PIXEL_GRID_LENGTH_MM <= 90 &&
                  PREV_PIXEL_GRID_LENGTH_MM >= 25 && PREV_PIXEL_GRID_LENGTH_MM <= 90 &&
                  PIXEL_GRID_LENGTH >= 1 && PIXEL_GRID_LENGTH <= 90 &&
                  STROBE_1_LEVEL_PERCENT <= 100 && STROBE_2_LEVEL_PERCENT <= 100 &&
                  STROBE_1_BEGIN <= 320 && STROBE_2_BEGIN <= 320 && INSERTION_ANGLE <= 90 &&
                  VELOCITY >= Schemes[18].IntMin && VELOCITY <= Schemes[18].IntMax &&
                  PREVIOUS_PIXEL_GRID_LENGTH >= 1 && PREVIOUS_PIXEL_GRID_LENGTH <= 90;
  // The DGS values are repaired whatever the result.
  if (ARD_CORRECTION < 0 || ARD_CORRECTION > 90) {
    ARD_CORRECTION = 0;
  }
  if (!(ARD_PLATE_DIAMETER > 0.5 && ARD_PLATE_DIAMETER <= 25)) {
    ARD_PLATE_DIAMETER = 5.0;
  }
  if (!(ARD_SIGNAL_AMPLITUDE > 1 && ARD_SIGNAL_AMPLITUDE <= 200)) {
    ARD_SIGNAL_AMPLITUDE = 70.0;
  }
  if (!(ARD_PLATE_FLOOR_DIAMETER > 0.5 && ARD_PLATE_FLOOR_DIAMETER <= 25)) {
    ARD_PLATE_FLOOR_DIAMETER = 12.0;
  }
  if (!(ARD_ATTENUATION >= 0 && ARD_ATTENUATION <= 99.9)) {
    ARD_ATTENUATION = 10.0;
  }
  TGV_GAIN[0] = 0;
  return ok;
}

void TBaseConfigCell::Assign(const TBaseConfigCell* other) {
  if (other == nullptr || other == this) {
    return;
  }
  const TBaseConfigCell& o = *other;
  std::copy_n(o.NameChars.begin(), kNameLength, NameChars.begin());
  CONFIGURATION_NAME = o.CONFIGURATION_NAME;
  DEVICE_INDEX = o.DEVICE_INDEX;
  MAJOR_VERSION_NO = o.MAJOR_VERSION_NO;
  MINOR_VERSION_NO = o.MINOR_VERSION_NO;
  INDEX_MARK_MKS = o.INDEX_MARK_MKS;
  INDEX_MARK_MM = o.INDEX_MARK_MM;
  PIXEL_GRID_LENGTH = o.PIXEL_GRID_LENGTH;
  PREVIOUS_PIXEL_GRID_LENGTH = o.PREVIOUS_PIXEL_GRID_LENGTH;
  STROBE_1_BEGIN = o.STROBE_1_BEGIN;
  STROBE_2_BEGIN = o.STROBE_2_BEGIN;
  STROBE_1_END = o.STROBE_1_END;
  STROBE_2_END = o.STROBE_2_END;
  STROBE_1_LEVEL = o.STROBE_1_LEVEL;
  STROBE_2_LEVEL = o.STROBE_2_LEVEL;
  STROBE_1_LEVEL_PERCENT = o.STROBE_1_LEVEL_PERCENT;
  STROBE_2_LEVEL_PERCENT = o.STROBE_2_LEVEL_PERCENT;
  CURSOR_POSITION = o.CURSOR_POSITION;
  PICTOGR_ARRAY = o.PICTOGR_ARRAY;
  TGV_GAIN = o.TGV_GAIN;
  TGV_POS = o.TGV_POS;
  TGV_CURSOR_POSITION = o.TGV_CURSOR_POSITION;
  TGV_NUMBER = o.TGV_NUMBER;
  ATTENUATOR1 = o.ATTENUATOR1;
  VELOCITY = o.VELOCITY;
  POISK = o.POISK;
  THICKNESS = o.THICKNESS;
  ZONDER_PULSE_PERIODS = o.ZONDER_PULSE_PERIODS;
  CURSOR_1_ENABLED = o.CURSOR_1_ENABLED;
  CURSOR_2_ENABLED = o.CURSOR_2_ENABLED;
  USED_MODE = o.USED_MODE;
  UsedModeCopy = o.UsedModeCopy;
  TVG_ENABLED = o.TVG_ENABLED;
  SCREEN_MODE = o.SCREEN_MODE;
  SIGNAL_TYPE = o.SIGNAL_TYPE;
  USER_MODE = o.USER_MODE;
  REFRESH_RATE = o.REFRESH_RATE;
  FILTER_BAND = o.FILTER_BAND;
  OTSECHKA = o.OTSECHKA;
  PROBE_ARROW = o.PROBE_ARROW;
  INSERTION_ANGLE = o.INSERTION_ANGLE;
  PROBE_FREQ = o.PROBE_FREQ;
  PROBE_DELAY = o.PROBE_DELAY;
  PROBE_TYPE = o.PROBE_TYPE;
  PROBE_PULSE = o.PROBE_PULSE;
  CONTRAST = o.CONTRAST;
  PODSVETKA = o.PODSVETKA;
  B_SCAN_RATE = o.B_SCAN_RATE;
  ScreenHeight = o.ScreenHeight;
  SCREEN_UNITS = o.SCREEN_UNITS;
  SOUND_ENABLED = o.SOUND_ENABLED;
  VCURSOR_ENABLED = o.VCURSOR_ENABLED;
  OPORN_LEVEL_ON = o.OPORN_LEVEL_ON;
  LANGUAGE = o.LANGUAGE;
  LAST_MEM_CELL = o.LAST_MEM_CELL;
  EVEN_REMINDER_FLAG = o.EVEN_REMINDER_FLAG;
  CONFIG_INDEX = o.CONFIG_INDEX;
  SNAP_YEAR = o.SNAP_YEAR;
  SNAP_MONTH = o.SNAP_MONTH;
  SNAP_DAY = o.SNAP_DAY;
  SNAP_HOUR = o.SNAP_HOUR;
  SNAP_MINUTE = o.SNAP_MINUTE;
  SNAP_SECOND = o.SNAP_SECOND;
  ARD_CORRECTION = o.ARD_CORRECTION;
  STROBE_ALGORYTHM = o.STROBE_ALGORYTHM;
  PIXEL_GRID_LENGTH_MM = o.PIXEL_GRID_LENGTH_MM;
  PREV_PIXEL_GRID_LENGTH_MM = o.PREV_PIXEL_GRID_LENGTH_MM;
  ARD_PLATE_DIAMETER = o.ARD_PLATE_DIAMETER;
  ARD_SIGNAL_AMPLITUDE = o.ARD_SIGNAL_AMPLITUDE;
  ARD_PLATE_FLOOR_DIAMETER = o.ARD_PLATE_FLOOR_DIAMETER;
  ARD_ATTENUATION = o.ARD_ATTENUATION;
  Parameter29Value = o.Parameter29Value;
}

void TBaseConfigCell::UpdatePictograms() {
  // Byte arithmetic, as the instrument keeps them.
  PICTOGR_ARRAY[0] = static_cast<std::uint8_t>(CURSOR_1_ENABLED + 1);
  PICTOGR_ARRAY[1] = static_cast<std::uint8_t>(CURSOR_2_ENABLED + 3);
  PICTOGR_ARRAY[2] = static_cast<std::uint8_t>(STROBE_ALGORYTHM + 34);
  PICTOGR_ARRAY[3] = static_cast<std::uint8_t>(SIGNAL_TYPE + 7);
  PICTOGR_ARRAY[4] = static_cast<std::uint8_t>(SCREEN_MODE + 10);
  PICTOGR_ARRAY[5] = static_cast<std::uint8_t>(TVG_ENABLED == 2 ? 38 : TVG_ENABLED + 5);
}

void TBaseConfigCell::UpdateDepthGrid() {}

// ---- Cursor --------------------------------------------------------------

std::uint16_t TBaseConfigCell::CursorPixel(std::uint8_t) const { return CURSOR_POSITION; }

std::uint16_t TBaseConfigCell::MeasurementPosition() const { return CursorPixel(); }

void TBaseConfigCell::SetCursorPixel(std::uint16_t x) { CURSOR_POSITION = x > 318 ? 319 : x; }

// ---- Probe geometry ------------------------------------------------------

double TBaseConfigCell::InsertionAngle() const { return INSERTION_ANGLE; }

void TBaseConfigCell::SetInsertionAngle(double degrees) {
  if (degrees >= 0 && degrees <= 256) {
    INSERTION_ANGLE = RndTo<std::uint8_t>(degrees);
  }
}

double TBaseConfigCell::MeasuredTime() const { return CursorTime(0); }

double TBaseConfigCell::BeamPath() const { return MeasuredTime() * VELOCITY / 2000.0; }

double TBaseConfigCell::EffectiveThickness() const {
  return THICKNESS != 0 && THICKNESS < 900 ? THICKNESS : 0;
}

std::uint8_t TBaseConfigCell::LegNumber() const {
  const double t = EffectiveThickness();
  if (t <= 0.001) {
    return 0;
  }
  double v = std::cos(Radians(InsertionAngle())) * BeamPath();
  if (v <= 0.001) {
    return 0;
  }
  std::uint8_t legs = 0;
  while (v > t && legs < 100) {
    v -= t;
    ++legs;
  }
  return legs;
}

double TBaseConfigCell::Depth() const {
  double h = std::cos(Radians(InsertionAngle())) * std::fabs(BeamPath());
  const double t = THICKNESS;
  if (t > 0 && t < 900 && InsertionAngle() > 0) {
    // Subtracting one thickness at a time, as the instrument does; a path
    // of very many thicknesses is folded in one step instead of looping.
    // The loop leaves a whole number of thicknesses at t, not at 0, and so
    // does the step.
    if (h / t > 100000) {
      h = std::fmod(h, t);
      if (h == 0) {
        h = t;
      }
    }
    while (h > t) {
      h -= t;
    }
    if (LegNumber() % 2 == 1) {
      return t - h;
    }
  }
  return h;
}

double TBaseConfigCell::HorizontalOffset() const {
  const double l = std::sin(Radians(InsertionAngle())) * BeamPath() - PROBE_ARROW;
  return l > 0 ? l : 0;
}

bool TBaseConfigCell::PeakPositionAvailable() const { return false; }

std::uint16_t TBaseConfigCell::PeakPosition() const { return 0; }

}  // namespace velt
