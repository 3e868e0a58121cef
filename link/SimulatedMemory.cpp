#include "SimulatedMemory.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace conduit {
namespace {

constexpr double kTimePerDivision[7] = {1, 2, 5, 10, 25, 50, 100};

// The slots the demo records were stored with, record 1 first.
constexpr std::size_t kRecordSlots[kDemoRecordCount] = {1,  2,  5,  12, 12, 18,
                                                        30, 41, 41, 57, 63, 88};

constexpr const char* kObjects[] = {"WELD",    "PIPE",  "PLATE", "RAIL",   "FORGING",
                                    "CASTING", "SHAFT", "AXLE",  "FLANGE", "BOILER",
                                    "TANK",    "BEAM",  "BOLT",  "VESSEL"};
constexpr std::uint16_t kStraightVelocities[] = {5920, 6320, 5850, 2730, 4700, 5960};
constexpr std::uint16_t kShearVelocities[] = {3230, 3260, 3100, 3130};
constexpr double kAngles[] = {38, 45, 50, 60, 65, 70};
constexpr std::uint8_t kFrequencies[] = {7, 17, 2, 12, 22, 13};  // 5, 2.5, 10, 3.3, 2, 3 MHz
constexpr double kPulsePeriods[] = {0.5, 1.0, 1.5, 2.0, 2.5};
constexpr std::uint8_t kRefreshRates[] = {10, 25, 50};
constexpr double kProbeDelays[] = {8.6, 4.2, 2.5, 6.8, 10.2, 0.8, 12.4, 3.3};
constexpr std::uint8_t kPoisk[] = {0, 6, 10, 12};
constexpr double kPlateDiameters[] = {6, 8, 10, 12, 20};

template <typename T, std::size_t N>
T Pick(TSimulatedRandom& random, const T (&values)[N]) {
  return values[random.Below(N)];
}

double Tenths(double value) {
  return std::nearbyint(value * 10) / 10;
}
double Hundredths(double value) {
  return std::nearbyint(value * 100) / 100;
}
double Cosine(double degrees) {
  return std::cos(degrees * 3.14159265358979323846 / 180.0);
}

// Time from the initial pulse to the end of the first leg (the back wall
// of a straight probe, the lower corner of an angle probe), µs.
double LegTime(const TSimulatedSetup& s) {
  return 2000.0 * s.Thickness / (s.Velocity * Cosine(s.InsertionAngle));
}

TSimulatedSetup WorkingSetup() {
  TSimulatedSetup s;
  s.Name = "TEST BLOCK 25";
  s.Velocity = 5920;
  s.Thickness = 25.0;
  s.InsertionAngle = 0;
  s.ProbeArrow = 0;
  s.IndexMarkMks = 1;  // 2 µs per division
  s.PixelGridLength = 25;
  s.PreviousPixelGridLength = 25;
  s.Attenuator = kSimulatedReferenceAttenuator;
  s.Strobe1Begin = 2.5;
  s.Strobe1End = 6.5;
  s.Strobe2Begin = 7.6;
  s.Strobe2End = 9.4;
  s.Strobe1LevelPercent = 25;
  s.Strobe2LevelPercent = 50;
  s.CursorPosition = 106;
  s.AmplitudeMarkerPosition = 106;
  s.LastMemCell = kDemoRecordCount;
  s.ConfigIndex = 0;
  s.Snap = {24, 5, 14, 8, 30, 0};
  return s;
}

TSimulatedScene RecordScene(const TSimulatedSetup& s, std::uint16_t record) {
  TSimulatedRandom random(0xEC40'0000ull + record * 104729ull);
  TSimulatedScene scene;
  scene.InitialPulseHeight = random.Between(150, 168);
  scene.InitialPulseWidth = random.Between(0.6, 1.0);
  scene.Noise = random.Between(3, 6);
  scene.SecondTraceScale = random.Between(0.4, 0.7);
  const double leg = LegTime(s);
  const double wall = random.Between(110, 150);
  if (s.InsertionAngle == 0) {
    scene.Echoes.push_back({leg, wall, 0.5});
    scene.Echoes.push_back({2 * leg, wall * 0.45, 0.6});
    scene.Echoes.push_back({3 * leg, wall * 0.2, 0.7});
  } else {
    scene.Echoes.push_back({leg, wall * 0.8, 0.6});
  }
  const unsigned flaws = 1 + random.Below(2);
  for (unsigned i = 0; i < flaws; ++i) {
    const double at = leg * (i == 0 ? random.Between(0.25, 0.5) : random.Between(0.55, 0.85));
    // Flaws stay below the end of the leg (0.8 of the wall on an angle probe).
    scene.Echoes.push_back({at, random.Between(40, 0.7 * wall), random.Between(0.3, 0.6)});
  }
  return scene;
}

TSimulatedRecord DemoRecord(TSimulatedLayout layout, std::uint16_t k) {
  const TSimulatedSetup setup = DemoRecordSetup(k);
  TSimulatedRecord record{};
  const TSimulatedImage image =
      WriteSimulatedImage(layout, setup, static_cast<std::uint16_t>(kRecordSlots[k - 1]));
  std::copy(image.begin(), image.end(), record.begin());
  TSimulatedView view;
  view.TimePerDivision = kTimePerDivision[setup.IndexMarkMks];
  view.PixelGridLength = setup.PixelGridLength;
  view.RadioFrequency = setup.SignalType == 3;
  view.Ceiling = 180;
  const TSimulatedSignals signals =
      RenderSimulatedSignals(RecordScene(setup, k), view, 0xA5CA'0000ull + k);
  for (std::size_t b = 0; b < signals.size(); ++b) {
    std::copy(signals[b].begin(), signals[b].end(),
              record.begin() + static_cast<long>(kSimulatedImageSize + b * kSimulatedSignalBlock));
  }
  return record;
}

}  // namespace

TSimulatedImage TSimulatedMemory::SlotBlock(std::size_t n) const {
  if (n < Slots.size() && Slots[n]) {
    return *Slots[n];
  }
  TSimulatedImage erased;
  erased.fill(0xFF);
  return erased;
}

TSimulatedSetup DemoSlotSetup(std::size_t slot) {
  if (slot == 0) {
    return WorkingSetup();
  }
  TSimulatedRandom random(0x5107'0000ull + slot * 7919ull);
  TSimulatedSetup s;
  const std::string number = (slot < 10 ? "0" : "") + std::to_string(slot);
  s.Name = std::string(kObjects[slot % std::size(kObjects)]) + " " + number;
  const bool angled = slot % 3 != 0;
  s.InsertionAngle = angled ? Pick(random, kAngles) : 0.0;
  s.Velocity = angled ? Pick(random, kShearVelocities) : Pick(random, kStraightVelocities);
  s.ProbeArrow = angled ? Tenths(random.Between(5, 15)) : 0.0;
  s.ProbeFrequencyIndex = Pick(random, kFrequencies);
  s.ProbePulse = static_cast<std::uint8_t>(random.Below(3));
  s.PulsePeriods = Pick(random, kPulsePeriods);
  s.RefreshRate = Pick(random, kRefreshRates);
  s.FilterBand = static_cast<std::uint8_t>(random.Below(2));
  s.ProbeDelay = Pick(random, kProbeDelays);
  s.IndexMarkMks = static_cast<std::uint8_t>(1 + random.Below(3));  // 2, 5 or 10 µs
  s.PixelGridLength = static_cast<std::uint8_t>(25 + random.Below(26));
  s.PreviousPixelGridLength = static_cast<std::uint8_t>(25 + random.Below(26));
  const double columnTime = kTimePerDivision[s.IndexMarkMks] / s.PixelGridLength;
  // The thickness puts the end of the first leg between columns 140 and 260.
  s.Thickness = Tenths(random.Between(140, 260) * columnTime * s.Velocity *
                       Cosine(s.InsertionAngle) / 2000.0);
  const double leg = LegTime(s);
  s.Strobe1Begin = Hundredths(leg * random.Between(0.2, 0.35));
  s.Strobe1End = Hundredths(s.Strobe1Begin + leg * random.Between(0.1, 0.25));
  s.Strobe2Begin = Hundredths(leg * random.Between(0.85, 0.95));
  s.Strobe2End = Hundredths(s.Strobe2Begin + leg * random.Between(0.1, 0.2));
  if (slot % 13 == 5) {
    s.Thickness = 0;  // switched off on a few setups
  }
  s.Otsechka = static_cast<std::uint8_t>(random.Below(11));
  s.StrobeAlgorithm = static_cast<std::uint8_t>(random.Below(2));
  s.Poisk = Pick(random, kPoisk);
  s.ReferenceLevelOn = s.Poisk != 0 ? 4 : 0;
  s.ArdPlateDiameter = Pick(random, kPlateDiameters);
  s.ArdSignalAmplitude = std::nearbyint(random.Between(60, 90));
  s.ArdPlateFloorDiameter = Tenths(random.Between(1, 6));
  s.ArdAttenuation = Tenths(random.Between(0, 30));
  s.Cursor1Enabled = static_cast<std::uint8_t>(random.Below(2));
  s.Cursor2Enabled = static_cast<std::uint8_t>(random.Below(2));
  s.SignalType = static_cast<std::uint8_t>(random.Below(4));
  s.UserMode = static_cast<std::uint16_t>(random.Below(4));
  s.TvgEnabled = static_cast<std::uint8_t>(random.Below(3));
  s.SoundEnabled = static_cast<std::uint8_t>(random.Below(2));
  s.VCursorEnabled = random.Below(2) == 0 ? 0 : 2;
  s.Language = static_cast<std::uint8_t>(random.Below(2));
  s.ProbeType = static_cast<std::uint8_t>(random.Below(2));
  s.LastMemCell = kDemoRecordCount;
  s.BScanRate = 1 + random.Below(4);
  s.ScreenUnits = static_cast<std::uint8_t>(random.Below(3));
  s.Contrast = static_cast<std::uint8_t>(10 + random.Below(10));
  s.Backlight = static_cast<std::uint8_t>(random.Below(2));
  s.CursorPosition = static_cast<std::uint16_t>(20 + random.Below(281));
  s.Strobe1LevelPercent = static_cast<std::uint8_t>(20 + random.Below(41));
  s.Strobe2LevelPercent = static_cast<std::uint8_t>(15 + random.Below(36));
  s.Attenuator = static_cast<std::uint16_t>(20 + random.Below(41));
  s.ArdCorrection = static_cast<std::uint16_t>(random.Below(13));
  s.ScreenMode = random.Below(4) == 0 ? 3 : 1;
  s.TgvNumber = static_cast<std::uint16_t>(3 + random.Below(15));
  const unsigned step = 5 + random.Below(16);
  const unsigned rise = 1 + random.Below(3);
  for (std::size_t i = 0; i < s.TgvGain.size(); ++i) {
    s.TgvPosition[i] = static_cast<std::uint16_t>(i * step);
    s.TgvGain[i] = static_cast<std::uint8_t>(std::min<std::size_t>(30, i * rise));
  }
  s.TgvCursorPosition = static_cast<std::uint16_t>(random.Below(s.TgvNumber + 1u));
  s.Snap = {static_cast<std::uint8_t>(23 + random.Below(3)),
            static_cast<std::uint8_t>(1 + random.Below(12)),
            static_cast<std::uint8_t>(1 + random.Below(28)),
            static_cast<std::uint8_t>(random.Below(24)),
            static_cast<std::uint8_t>(random.Below(60)),
            static_cast<std::uint8_t>(random.Below(60))};
  s.ConfigIndex = static_cast<std::uint16_t>(slot);
  s.AmplitudeMarkerPosition = static_cast<std::uint16_t>(1 + random.Below(318));
  s.ExactCursorFlag = static_cast<std::uint8_t>(random.Below(2));
  s.ExactCursorColumn = s.ExactCursorFlag ? s.CursorPosition + random.Between(0.1, 0.9) : 0.0;
  s.ExactCursorColumn = Hundredths(s.ExactCursorColumn);
  s.CursorInLupa = static_cast<std::uint8_t>(random.Below(2));
  s.ExactLupaTime = s.ExactCursorFlag ? Hundredths(random.Between(1, 50)) : 0.0;
  s.LupaCursorPosition = static_cast<std::uint16_t>(10 + random.Below(200));
  s.Freeze = random.Below(2) == 1;
  s.CursorOn = static_cast<std::uint8_t>(random.Below(2));
  s.SecondCursor = static_cast<std::uint16_t>(1 + random.Below(300));
  return s;
}

TSimulatedSetup DemoRecordSetup(std::uint16_t record) {
  const std::size_t slot = kRecordSlots[std::clamp<std::uint16_t>(record, 1, kDemoRecordCount) - 1];
  TSimulatedSetup s = DemoSlotSetup(slot);
  if (s.Thickness == 0) {
    s.Thickness = 20;
  }
  s.LastMemCell = record;
  s.ConfigIndex = static_cast<std::uint16_t>(slot);
  // Stored in one inspection, seven minutes apart.
  const unsigned minutes = 9 * 60 + 7u * record;
  s.Snap = {24,
            5,
            14,
            static_cast<std::uint8_t>(minutes / 60),
            static_cast<std::uint8_t>(minutes % 60),
            static_cast<std::uint8_t>(record * 13 % 60)};
  return s;
}

TSimulatedScene SimulatedTestBlockScene() {
  const TSimulatedSetup block = WorkingSetup();
  const double leg = LegTime(block);  // 8.45 µs
  TSimulatedScene scene;
  scene.InitialPulseHeight = 160;
  scene.InitialPulseWidth = 0.8;
  scene.Noise = 4;
  scene.HeightJitter = 0.03;
  scene.SecondTraceScale = 0.5;
  scene.Echoes = {{leg, 120, 0.4},
                  {2 * leg, 55, 0.5},
                  {3 * leg, 25, 0.6},
                  {leg * 9.5 / 25, 54, 0.35},
                  {leg * 16.0 / 25, 36, 0.35}};
  return scene;
}

TSimulatedMemory BuildDemoMemory(const TSimulatorIdentity& identity) {
  TSimulatedMemory memory;
  memory.Identity = identity;
  const TSimulatedLayout layout = SimulatedLayoutFor(identity);
  for (std::size_t n = 0; n < kSimulatedSlots; ++n) {
    if (std::find(kDemoErasedSlots.begin(), kDemoErasedSlots.end(), n) == kDemoErasedSlots.end()) {
      memory.Slots[n] =
          WriteSimulatedImage(layout, DemoSlotSetup(n), static_cast<std::uint16_t>(n));
    }
  }
  for (std::uint16_t k = 1; k <= kDemoRecordCount; ++k) {
    memory.Records.push_back(DemoRecord(layout, k));
  }
  return memory;
}

}  // namespace conduit
