// The simulated instrument's own writer of configuration images: it lays a
// plain set of setup values into the 512 bytes of one firmware layout, the
// way the instrument stores a configuration, from its own table of field
// offsets per layout. It shares nothing with the program's cells, so each
// checks the other. A small reader takes back the few fields the instrument
// itself acts on (gain, time scale, record count, signal type).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "SimulatorIdentity.h"

namespace conduit {

inline constexpr std::size_t kSimulatedImageSize = 512;
using TSimulatedImage = std::array<std::uint8_t, kSimulatedImageSize>;

// The byte layouts of the firmware generations, oldest first.
enum class TSimulatedLayout : std::uint8_t { Base, V3_17, V3_26, V4_03, V4_08, V5_00, V5_01 };

// The name of the program's configuration class that reads a layout.
const char* SimulatedLayoutClassName(TSimulatedLayout layout);

struct TSimulatedVariant {
  TSimulatedLayout Layout;
  bool Initialised;  // false only for the oldest firmware of device type 1
};

// Which layout an instrument of this identity stores, after the program's
// choice of configuration class by device type and firmware version.
// Nullopt when the program has no class for the identity.
std::optional<TSimulatedVariant> SimulatedVariantFor(const TSimulatorIdentity& identity);

// The layout the simulator writes for an identity: its variant's, or the
// base layout when the program knows no class for it.
TSimulatedLayout SimulatedLayoutFor(const TSimulatorIdentity& identity);

// One setup as the instrument holds it, in plain units. Every default lies
// inside the range the program's cells accept.
struct TSimulatedSetup {
  std::string Name = "DEFAULT";           // up to 13 of: A-Z 0-9 blank - . # , : + %
  std::uint16_t Velocity = 5920;          // m/s, 1000..15000
  std::uint8_t ProbeFrequencyIndex = 17;  // 0..37 (17 = 2.5 MHz)
  std::uint8_t ProbePulse = 1;            // 0..2
  double PulsePeriods = 1.0;              // 0.5..5.0 in steps of 0.5
  std::uint8_t RefreshRate = 25;          // 10, 25 or 50
  std::uint8_t FilterBand = 0;            // 0..1
  double ProbeDelay = 8.6;                // µs, 0..99.99
  double InsertionAngle = 0.0;            // degrees, 0..90
  double ProbeArrow = 12.0;               // mm, 0..49.9
  double Thickness = 20.0;                // mm, 0..499.9; 0 = switched off
  std::uint8_t Otsechka = 0;              // percent, 0..100
  std::uint8_t StrobeAlgorithm = 0;
  std::uint8_t Poisk = 0;              // dB, 0..140
  double ArdPlateDiameter = 12.0;      // mm, (0.5, 25]
  double ArdSignalAmplitude = 70.0;    // dB, (1, 200]
  double ArdPlateFloorDiameter = 3.0;  // (0.5, 25]
  double ArdAttenuation = 10.0;        // dB/m, 0..99.9
  std::uint8_t Cursor1Enabled = 0;
  std::uint8_t Cursor2Enabled = 0;
  std::uint8_t SignalType = 0;        // 0..3 (3 = radio frequency)
  std::uint16_t UserMode = 0;         // below 256
  std::uint8_t TvgEnabled = 0;        // 0..2
  std::uint8_t SoundEnabled = 0;      // 0 or 1
  std::uint8_t VCursorEnabled = 0;    // 0 or 2
  std::uint8_t ReferenceLevelOn = 4;  // 0 or 4 (OPORN LEVEL ON)
  std::uint8_t Language = 0;
  std::uint8_t ProbeType = 0;         // 0..1
  std::uint16_t LastMemCell = 0;      // the last used memory cell
  double BScanRate = 2.0;             // whole numbers
  std::uint8_t ScreenUnits = 0;       // 0..2
  std::uint8_t IndexMarkMks = 2;      // 0..6 into 1, 2, 5, 10, 25, 50, 100 µs
  std::uint8_t PixelGridLength = 25;  // 25..50 pixels per division
  std::uint8_t PreviousPixelGridLength = 25;
  std::uint8_t Contrast = 15;
  std::uint8_t Backlight = 1;          // PODSVETKA
  std::uint16_t CursorPosition = 160;  // column 0..319
  double Strobe1Begin = 5.0;           // µs; the base layout stores columns
  double Strobe1End = 10.0;
  double Strobe2Begin = 15.0;
  double Strobe2End = 20.0;
  std::uint8_t Strobe1LevelPercent = 30;  // 0..100
  std::uint8_t Strobe2LevelPercent = 20;
  std::uint16_t Attenuator = 40;    // ATTENUATOR1, 0..90
  std::uint16_t ArdCorrection = 0;  // 0..90
  std::uint8_t ScreenMode = 1;      // 1 or 3
  std::uint16_t UsedMode = 256;
  std::array<std::uint8_t, 32> TgvGain{};       // 0..30, entry 0 = 0
  std::array<std::uint16_t, 32> TgvPosition{};  // µs
  std::uint16_t TgvCursorPosition = 5;
  std::uint16_t TgvNumber = 17;                             // 0..31
  std::array<std::uint8_t, 6> Snap = {24, 1, 1, 12, 0, 0};  // year-2000, month, day, h, m, s
  std::uint16_t ConfigIndex = 0;
  std::uint16_t AmplitudeMarkerPosition = 0;  // column, from 3.17 on
  // From 3.26 on.
  double ExactCursorColumn = 0.0;
  std::uint8_t ExactCursorFlag = 0;  // 0..10
  double ExactLupaTime = 0.0;        // µs
  std::uint8_t CursorInLupa = 0;     // 0..10
  // From 4.03 on.
  std::uint16_t LupaCursorPosition = 100;
  // From 4.08 on.
  bool Freeze = true;
  // From 5.00 on.
  std::uint8_t CursorOn = 0;
  // From 5.01 on.
  std::uint16_t SecondCursor = 1;

  TSimulatedSetup();  // the default TGV curve and pictograms
};

// The millimetre grid the instrument derives from velocity and time scale:
// the finest step of 0.1 .. 2000 mm that gives fewer than 12 divisions over
// the 318 usable columns, and its length in pixels. `cosine` scales the
// distance for the depth grid (1 for the path grid).
struct TSimulatedMillimetreGrid {
  std::uint8_t Index;
  double Pixels;
};
TSimulatedMillimetreGrid SimulatedMillimetreGrid(const TSimulatedSetup& setup, double cosine);

// The image of `setup` in `layout`, stored as configuration `number` (0..99).
TSimulatedImage WriteSimulatedImage(TSimulatedLayout layout, const TSimulatedSetup& setup,
                                    std::uint16_t number);

// The fields the instrument acts on, read from an image of `layout`.
struct TSimulatedImageFields {
  std::uint16_t Attenuator;      // ATTENUATOR1
  std::uint8_t IndexMarkMks;     // INDEX_MARK_MKS
  std::uint8_t PixelGridLength;  // PIXEL_GRID_LENGTH
  std::uint16_t LastMemCell;     // LAST MEM CELL
  std::uint8_t SignalType;       // SIGNAL TYPE
};
TSimulatedImageFields ReadSimulatedImageFields(TSimulatedLayout layout,
                                               const TSimulatedImage& image);

// Changes the gain or the time scale inside an image of `layout`, as the
// instrument does to its working configuration on a gain or range command.
void SetSimulatedImageGain(TSimulatedLayout layout, TSimulatedImage& image,
                           std::uint16_t attenuator);
void SetSimulatedImageRange(TSimulatedLayout layout, TSimulatedImage& image,
                            std::uint8_t indexMarkMks, std::uint8_t pixelGridLength);

}  // namespace conduit
