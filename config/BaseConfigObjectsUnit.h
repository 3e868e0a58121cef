// The configuration cell: one complete setup of the instrument, in the
// layout of the oldest firmware. Later firmware generations derive from it
// and override slots of its virtual interface; users hold every cell as a
// TBaseConfigCell.
//
// Field names are the keys of the text record. Characters a C++ identifier
// cannot hold are mapped once, the same way everywhere: blanks and "-"
// become "_", "#" becomes "NO", "???" is dropped (with the blank before it).
//   "MAJOR VERSION #"   -> MAJOR_VERSION_NO     "CONFIGURATION #" -> CONFIGURATION_NO
//   "LAST MEM CELL ???" -> LAST_MEM_CELL        "B-SCAN RATE"     -> B_SCAN_RATE
//   "USED MODE ???"     -> USED_MODE            "SNAP YEAR"       -> SNAP_YEAR
// Fields that have no key (the name characters, the screen height, ...)
// carry ordinary names.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <config/DgsModelUnit.h>

namespace velt {

class TTextWriter;
class TTextReader;

// The device image travels as 512 bytes; the operations work on a buffer
// one byte longer, as the exchange hands it over.
inline constexpr std::size_t kImageSize = 512;
using TDeviceImage = std::array<std::uint8_t, kImageSize + 1>;

inline constexpr int kParameterCount = 30;
inline constexpr int kTgvPoints = 32;
inline constexpr int kPictograms = 25;
inline constexpr int kNameChars = 20;
inline constexpr int kNameLength = 14;

// The number format typed reals are parsed and shown with: the user's
// locale, handed to the cell at creation (the core knows no locale).
struct TNumberFormat {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
};

// How one of the 30 numbered parameters is edited.
struct SINGLE_PARAM_SCHEME {
  double RealMin = 0;
  double RealMax = 0;
  std::int32_t IntMin = 0;
  std::int32_t IntMax = 0;
  std::vector<std::string> Entries;  // own pick list (kind 3)
  double LastAccepted = 0;
  std::string EditMask;  // "c" repeated n times: up to n characters
  std::uint8_t Kind = 0;  // 0 integer, 1 real, 2 value-string list, 3 own list
  std::uint8_t EntryCount = 0;
  std::uint16_t FirstValueString = 0;
};

enum TParameterKind : std::uint8_t {
  kIntegerKind = 0,
  kRealKind = 1,
  kValueStringListKind = 2,
  kOwnListKind = 3,
};

// Results of Set parameter text.
enum TSetParameterResult : std::uint8_t {
  kAccepted = 0,
  kNotANumber = 1,
  kOutOfBounds = 2,
};

// The grid cell editor a parameter is edited in (Qt implements it later).
class IParameterEditor {
 public:
  virtual ~IParameterEditor() = default;
  // A typed value with this input mask.
  virtual void SetEditMask(const std::string& mask) = 0;
  // A read-only pick list of these entries.
  virtual void SetPickList(const std::vector<std::string>& entries) = 0;
};

// A drop-down list control filled with a parameter's pick list.
class IParameterList {
 public:
  virtual ~IParameterList() = default;
  virtual void Clear() = 0;
  virtual void Add(const std::string& entry) = 0;
  virtual void SelectFirst() = 0;
};

class TBaseConfigCell {
 public:
  explicit TBaseConfigCell(TNumberFormat format = {});
  virtual ~TBaseConfigCell() = default;
  TBaseConfigCell(const TBaseConfigCell&) = delete;
  TBaseConfigCell& operator=(const TBaseConfigCell&) = delete;

  // ---- The virtual operations, in slot order --------------------------
  /* 0 */ virtual void WriteText(TTextWriter& out);
  /* 1 */ virtual std::uint8_t ReadText(TTextReader& in);
  /* 2 */ virtual void DecodeImage(const TDeviceImage& image, std::uint16_t n);
  /* 3 */ virtual void EncodeImage(TDeviceImage& image, std::uint16_t n);
  /* 4 */ virtual void Assign(const TBaseConfigCell* other);
  /* 5 */ virtual bool Validate();
  /* 6 */ virtual bool ImagePresent(const TDeviceImage& image) const;
  /* 7 */ virtual void SetDefaults(std::uint16_t n);
  /* 8 */ virtual void UpdateDepthGrid();
  /* 9 */ virtual void Initialise();
  /* 10 */ virtual std::uint16_t StrobeBeginPixel(std::uint8_t strobe) const;
  /* 11 */ virtual std::uint16_t StrobeEndPixel(std::uint8_t strobe) const;
  /* 12 */ virtual std::uint16_t SetStrobeBeginPixel(std::uint8_t strobe, std::uint16_t x);
  /* 13 */ virtual std::uint16_t SetStrobeEndPixel(std::uint8_t strobe, std::uint16_t x);
  /* 14 */ virtual double StrobeLevelDb(std::uint8_t strobe) const;
  /* 15 */ virtual void SetStrobeLevelDb(std::uint8_t strobe, std::uint8_t mode, double db);
  /* 16 */ virtual double StrobeBeginPath(std::uint8_t strobe) const;
  /* 17 */ virtual double StrobeBeginDepth(std::uint8_t strobe) const;
  /* 18 */ virtual double StrobeEndPath(std::uint8_t strobe) const;
  /* 19 */ virtual void SetStrobeBeginDepth(std::uint8_t strobe, double mm);
  /* 20 */ virtual void SetStrobeBeginPath(std::uint8_t strobe, double mm);
  /* 21 */ virtual void SetStrobeEndPath(std::uint8_t strobe, double mm);
  // Cursor time and Cursor pixel take a cursor selector (0 = the first
  // cursor); only the 5.01 firmware has a second one, the others ignore it.
  /* 22 */ virtual double CursorTime(std::uint8_t cursor = 0) const;
  /* 23 */ virtual void SetCursorTime(double us);
  /* 24 */ virtual std::uint16_t CursorPixel(std::uint8_t cursor = 0) const;
  /* 25 */ virtual std::uint16_t MeasurementPosition() const;
  /* 26 */ virtual void SetCursorPixel(std::uint16_t x);
  /* 27 */ virtual double TimeToPixels(double us) const;
  /* 28 */ virtual std::uint16_t TgvPointPixel(std::uint8_t i) const;
  /* 29 */ virtual void SetTgvPointPixel(std::uint8_t i, std::uint16_t x);
  /* 30 */ virtual std::uint16_t TgvCurveRow(double us) const;
  /* 31 */ virtual void UpdatePictograms();
  /* 32 */ virtual std::uint16_t TgvPointRow(std::uint8_t i) const;
  /* 33 */ virtual void SetTgvPointRow(std::uint8_t i, std::uint16_t y);
  /* 34 */ virtual void StepAttenuator(int step);
  /* 35 */ virtual void SetAttenuator(int db);
  /* 36 */ virtual void StepTimeScale(int step);
  /* 37 */ virtual void UpdateMillimetreGrid();
  /* 38 */ virtual void BuildParameterSchemes();
  /* 39 */ virtual void SetUpParameterEditor(IParameterEditor& editor, std::uint8_t p) const;
  /* 40 */ virtual void FillParameterList(IParameterList& list, std::uint8_t p) const;
  /* 41 */ virtual std::uint8_t SetParameterText(const std::string& text, std::uint8_t p);
  /* 42 */ virtual std::string ParameterText(std::uint8_t p) const;
  /* 43 */ virtual double InsertionAngle() const;
  /* 44 */ virtual void SetInsertionAngle(double degrees);
  /* 45 */ virtual double MeasuredTime() const;
  /* 46 */ virtual double BeamPath() const;
  /* 47 */ virtual double Depth() const;
  /* 48 */ virtual double EffectiveThickness() const;
  /* 49 */ virtual std::uint8_t LegNumber() const;
  /* 50 */ virtual double HorizontalOffset() const;
  /* 51 */ virtual bool PeakPositionAvailable() const;
  /* 52 */ virtual std::uint16_t PeakPosition() const;
  // ---- end of the slot table ------------------------------------------

  // The DGS model of this cell (DgsModelUnit), set up anew from the settings
  // at every call; Dgs holds the working values of the last one. Settings
  // outside the model's domain (an angle above 90 degrees, a refraction past
  // the critical angle, NaN or infinite reals) can make either result NaN or
  // infinite: compare before use.
  // The corrected curve level in dB at `us` less the attenuator value
  // (90 - ATTENUATOR1); 99900 when the cell lacks DGS data.
  double DgsPointLevel(double us);
  // For columns 0..n-1 (n the smallest size): the times and the curve in
  // linear amplitude 10^((dB - attenuator value) / 20), without and with the
  // material attenuation. False, and nothing written, when the cell lacks
  // DGS data.
  bool DgsCurve(std::span<double> times, std::span<double> raw, std::span<double> corrected);

  // TGV point list editing (the signal view's companions).
  void InsertTgvPoint(std::uint16_t t);
  void AppendTgvPoint(std::uint16_t t);
  void DeleteTgvPoint(std::uint8_t i);

  // Guarded table lookups. Fields that index tables come from images and
  // files; out-of-range values are taken as the nearest valid index here,
  // where they are used, and stored unchanged.
  double TimePerDivision() const;       // by INDEX_MARK_MKS
  double MmPerDivision() const;         // by INDEX_MARK_MM
  double ProbeFrequencyMHz() const;     // by PROBE_FREQ
  std::uint8_t ProbePulse() const;      // by PROBE_PULSE
  std::uint16_t LastTgvPoint() const;   // TGV_NUMBER, at most 31

  const TNumberFormat& NumberFormat() const { return Format; }

  // ---- Fields --------------------------------------------------------
  std::uint8_t DisplayOffset = 0;
  std::uint8_t MAJOR_VERSION_NO = 0;
  std::uint8_t MINOR_VERSION_NO = 0;
  std::uint16_t CONFIGURATION_NO = 0;
  std::uint8_t INDEX_MARK_MKS = 0;
  std::uint8_t INDEX_MARK_MM = 0;
  std::uint8_t PIXEL_GRID_LENGTH = 0;
  std::uint8_t PREVIOUS_PIXEL_GRID_LENGTH = 0;
  std::uint16_t STROBE_1_BEGIN = 0;
  std::uint16_t STROBE_2_BEGIN = 0;
  std::uint16_t STROBE_1_END = 0;
  std::uint16_t STROBE_2_END = 0;
  std::uint8_t STROBE_1_LEVEL = 0;
  std::uint8_t STROBE_2_LEVEL = 0;
  std::uint8_t STROBE_1_LEVEL_PERCENT = 0;
  std::uint8_t STROBE_2_LEVEL_PERCENT = 0;
  std::uint16_t CURSOR_POSITION = 0;
  std::array<std::uint8_t, kPictograms> PICTOGR_ARRAY{};
  std::array<std::uint8_t, kTgvPoints> TGV_GAIN{};
  std::array<std::uint16_t, kTgvPoints> TGV_POS{};
  std::uint16_t TGV_CURSOR_POSITION = 0;
  std::uint16_t TGV_NUMBER = 0;
  std::uint16_t ATTENUATOR1 = 0;
  std::uint16_t VELOCITY = 0;
  std::uint8_t POISK = 0;
  double THICKNESS = 0;
  double ZONDER_PULSE_PERIODS = 0;
  std::uint8_t CURSOR_1_ENABLED = 0;
  std::uint8_t CURSOR_2_ENABLED = 0;
  std::uint16_t USED_MODE = 0;
  // The second copy of USED MODE ???, copied back into USED_MODE before
  // every text write and encode.
  std::int16_t UsedModeCopy = 0;
  std::uint8_t TVG_ENABLED = 0;
  // The name as the instrument stores it: 14 characters padded with blanks,
  // "/" at position 14.
  std::array<std::uint8_t, kNameChars> NameChars{};
  std::string CONFIGURATION_NAME;  // Windows-1251, the 14 characters
  std::uint16_t SCREEN_MODE = 0;
  std::uint8_t SIGNAL_TYPE = 0;
  std::uint16_t USER_MODE = 0;
  std::uint8_t REFRESH_RATE = 0;
  std::uint8_t FILTER_BAND = 0;
  std::uint8_t OTSECHKA = 0;
  double PROBE_ARROW = 0;
  std::uint8_t INSERTION_ANGLE = 0;
  std::uint8_t PROBE_FREQ = 0;
  double PROBE_DELAY = 0;
  std::uint8_t PROBE_TYPE = 0;
  std::uint8_t PROBE_PULSE = 0;
  std::uint8_t CONTRAST = 0;
  std::uint8_t PODSVETKA = 0;
  std::uint16_t B_SCAN_BEGIN = 0;
  std::uint16_t B_SCAN_END = 0;
  double B_SCAN_RATE = 0;
  std::uint8_t ScreenHeight = 0;
  std::uint8_t SCREEN_UNITS = 0;
  std::uint8_t MmGridPixels1 = 0;
  std::uint8_t MmGridPixels2 = 0;
  std::uint8_t SOUND_ENABLED = 0;
  std::uint8_t VCURSOR_ENABLED = 0;
  std::uint8_t OPORN_LEVEL_ON = 0;
  std::uint8_t LANGUAGE = 0;
  std::uint16_t LAST_MEM_CELL = 0;
  std::uint16_t EVEN_REMINDER_FLAG = 0;
  std::uint16_t CONFIG_INDEX = 0;
  std::uint8_t DEVICE_INDEX = 0;
  std::uint8_t SNAP_YEAR = 0;
  std::uint8_t SNAP_MONTH = 0;
  std::uint8_t SNAP_DAY = 0;
  std::uint8_t SNAP_HOUR = 0;
  std::uint8_t SNAP_MINUTE = 0;
  std::uint8_t SNAP_SECOND = 0;
  std::uint16_t AMPLITUDE_MARKER_POSITION = 0;
  std::vector<std::string> Comments;
  std::int32_t ARD_CORRECTION = 0;
  std::uint8_t STROBE_ALGORYTHM = 0;
  double PIXEL_GRID_LENGTH_MM = 0;
  double PREV_PIXEL_GRID_LENGTH_MM = 0;
  double ARD_PLATE_DIAMETER = 0;
  double ARD_SIGNAL_AMPLITUDE = 0;
  double ARD_PLATE_FLOOR_DIAMETER = 0;
  double ARD_ATTENUATION = 0;
  std::array<SINGLE_PARAM_SCHEME, kParameterCount> Schemes;
  // Written by the online tab's freeze button.
  bool Frozen = false;
  std::uint8_t Parameter29Value = 0;
  // The DGS model's working values: never stored, sent or copied by Assign.
  TDgsWorkingValues Dgs;

 protected:
  // Sets the name characters and CONFIGURATION_NAME from a text of at most
  // 14 characters, padded with blanks, "/" at position 14.
  void SetName(const std::string& name);
  // The rounded last accepted value of scheme 29 into Parameter29Value.
  void RefreshParameter29();
  // The strobe's fields by selector: 0 = strobe 1, anything else strobe 2.
  std::uint16_t& StrobeBegin(std::uint8_t strobe);
  std::uint16_t& StrobeEnd(std::uint8_t strobe);
  std::uint8_t& StrobeLevelPercent(std::uint8_t strobe);
  std::uint16_t StrobeBegin(std::uint8_t strobe) const;
  std::uint16_t StrobeEnd(std::uint8_t strobe) const;
  std::uint8_t StrobeLevelPercent(std::uint8_t strobe) const;

  // The steps of the base text record, in record order; Write text and
  // Read text run them one after the other, and a variant that inserts,
  // replaces or appends lines runs its own lines between them. The line
  // numbers are those of the base record.
  void WriteTextIdentity(TTextWriter& out) const;       // 1..4: device index, versions, number
  void WriteTextName(TTextWriter& out);                 // 5..20: key line, 15 character codes
  void WriteTextTimeScale(TTextWriter& out) const;      // 21..22: INDEX_MARK_MKS, PIXEL_GRID_LENGTH
  void WriteTextStrobeColumns(TTextWriter& out) const;  // 23..26: strobe begins and ends
  void WriteTextSetup(TTextWriter& out) const;          // 27..140: STROBE_1_LEVEL .. PROBE_ARROW
  void WriteTextInsertionAngle(TTextWriter& out) const; // 141
  void WriteTextProbeAndScreen(TTextWriter& out);       // 142..165: PROBE_FREQ .. PREV_PIXEL_GRID_LENGTH_MM
  void WriteTextSnapshot(TTextWriter& out) const;       // 166..172: INDEX_MARK_MM, snapshot time
  void WriteTextComments(TTextWriter& out) const;       // 173..174 + c: DEVICE_INDEX, comments
  void ReadTextIdentity(TTextReader& in);
  void ReadTextName(TTextReader& in);
  void ReadTextTimeScale(TTextReader& in);
  void ReadTextStrobeColumns(TTextReader& in);
  void ReadTextSetup(TTextReader& in);
  void ReadTextInsertionAngle(TTextReader& in);
  void ReadTextProbeAndScreen(TTextReader& in);
  void ReadTextSnapshot(TTextReader& in);
  void ReadTextComments(TTextReader& in);

  // Steps of the base device image that later layouts reuse.
  // The 14 name characters at `at` ("/" ends the name, 0x7D is 0xFF), and
  // CONFIGURATION_NAME from them.
  void DecodeImageName(const TDeviceImage& image, std::size_t at);
  // At most 13 name characters at `at`, blanks to 14 characters, "/" after
  // them; the same characters go back into the name characters.
  void EncodeImageName(TDeviceImage& image, std::size_t at);
  // The C32 block at offsets 23..142 in the base meaning (n goes to 123).
  void DecodeImageSettings(const TDeviceImage& image);
  void EncodeImageSettings(TDeviceImage& image, std::uint16_t n);
  // Screen height 180 and the level rows from the percents, by the
  // decoder's formula and by the encoder's.
  void SetDecodedLevels();
  void SetEncodedLevels();

  // Geometry shared by the layouts.
  // A path h folded at the thickness t (> 0): the beam reflects between the
  // two surfaces, odd legs run upward.
  static double FoldedDepth(double h, double t);
  // The path that reaches `depth` in the leg of `currentPath` (t > 0).
  static double PathInLegOf(double currentPath, double depth, double t);
  // The millimetre grid step for a screen span of w mm: the finest step
  // that gives fewer than 12 whole divisions across the usable width.
  static std::uint8_t MmGridIndexFor(double w);
  // The distance in mm the usable width spans (infinite without pixels per
  // division).
  double ScreenSpanMm() const;

  // A typed real in the cell's number format; false when it is not one.
  bool ParseTypedReal(const std::string& text, double& value) const;

 private:
  TNumberFormat Format;
};

// The constant tables.
inline constexpr double kTimePerDivision[7] = {1, 2, 5, 10, 25, 50, 100};
inline constexpr double kMmPerDivision[13] = {0.1, 0.5, 1,   2,   5,    10,  20,
                                              50,  100, 200, 500, 1000, 2000};
inline constexpr double kProbeFrequency[38] = {
    15.0, 12.5, 10.0, 8.0, 7.0, 6.0, 5.5, 5.0, 4.5, 4.0, 3.8, 3.6, 3.3, 3.0, 2.9, 2.8, 2.6, 2.5, 2.4,
    2.3,  2.2,  2.1,  2.0, 1.9, 1.8, 1.7, 1.6, 1.5, 1.4, 1.3, 1.2, 1.1, 1.0, 0.9, 0.8, 0.7, 0.6, 0.5};
inline constexpr std::uint8_t kProbePulse[3] = {20, 100, 200};
inline constexpr int kPictureWidth = 320;
inline constexpr int kPictureHeight = 180;
inline constexpr int kUsableWidth = 318;

}  // namespace velt
