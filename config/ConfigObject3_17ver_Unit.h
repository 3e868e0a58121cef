// Firmware 3.17: the strobes kept as times instead of columns, the beam
// angle as a real, and a second horizontal grid in millimetres of depth.
// The class of most instruments and of the collection built at start.
#pragma once

#include <string>

#include <config/BaseConfigObjectsUnit.h>

namespace velt {

class T3_17ConfigCell : public TBaseConfigCell {
 public:
  explicit T3_17ConfigCell(TNumberFormat format = {});

  void WriteText(TTextWriter& out) override;
  std::uint8_t ReadText(TTextReader& in) override;
  void DecodeImage(const TDeviceImage& image, std::uint16_t n) override;
  void EncodeImage(TDeviceImage& image, std::uint16_t n) override;
  void Assign(const TBaseConfigCell* other) override;
  bool Validate() override;
  void SetDefaults(std::uint16_t n) override;
  void UpdateDepthGrid() override;
  std::uint16_t StrobeBeginPixel(std::uint8_t strobe) const override;
  std::uint16_t StrobeEndPixel(std::uint8_t strobe) const override;
  std::uint16_t SetStrobeBeginPixel(std::uint8_t strobe, std::uint16_t x) override;
  std::uint16_t SetStrobeEndPixel(std::uint8_t strobe, std::uint16_t x) override;
  double StrobeBeginPath(std::uint8_t strobe) const override;
  double StrobeBeginDepth(std::uint8_t strobe) const override;
  double StrobeEndPath(std::uint8_t strobe) const override;
  void SetStrobeBeginDepth(std::uint8_t strobe, double mm) override;
  void SetStrobeBeginPath(std::uint8_t strobe, double mm) override;
  void SetStrobeEndPath(std::uint8_t strobe, double mm) override;
  double CursorTime(std::uint8_t cursor = 0) const override;
  void SetCursorTime(double us) override;
  std::uint16_t MeasurementPosition() const override;
  void UpdateMillimetreGrid() override;
  void BuildParameterSchemes() override;
  std::uint8_t SetParameterText(const std::string& text, std::uint8_t p) override;
  std::string ParameterText(std::uint8_t p) const override;
  double InsertionAngle() const override;
  void SetInsertionAngle(double degrees) override;

  // Strobe times in µs, by selector (0 = strobe 1, 1 = strobe 2).
  std::array<double, 2> StrobeBeginTime{};
  std::array<double, 2> StrobeEndTime{};
  double BeamAngle = 0;  // degrees, as typed or received
  std::uint8_t INDEX_MARK_MM_DEPTH = 0;
  double PIXEL_GRID_LENGTH_MM_DEPTH = 0;
  double PrevPixelGridLengthMmDepth = 0;

 protected:
  // ---- Steps of the 3.17 device image ------------------------------------
  // Decode image and Encode image run these in order; later layouts that
  // keep parts of the 3.17 image reuse them.
  //
  // Offsets 0..142: the number digits and "." (encoder only), the name at
  // 3..16 with "/" at 17, and the C32 block 23..142 with the 3.17 changes
  // (PROBE_FREQ and PROBE_PULSE read from their low words, the beam angle
  // at 51 as a real - the decoder also sets INSERTION_ANGLE = rnd(angle) -,
  // the thickness written unchanged, B-SCAN RATE written as a whole number).
  // The encoder writes `n` as the number (bytes 0..1 and offset 123) and
  // gives an empty name the text "default" first.
  void DecodeImage317Head(const TDeviceImage& image);
  void EncodeImage317Head(TDeviceImage& image, std::uint16_t n);
  // Offsets 143..502 of the 3.17 layout, everything the 3.17 image holds
  // from PIXEL_GRID_LENGTH on (143..147 base bytes, cursor, strobe times as
  // T24, level words, attenuator, ..., TGV points, grids, snapshot,
  // AMPLITUDE_MARKER_POSITION, depth grid 316..320, CONFIG INDEX at 501).
  // The decoder sets both copies of USED MODE ???, takes SCREEN_MODE from
  // byte 173 (1 or 3, else 1), and sets the previous depth grid length to
  // PIXEL_GRID_LENGTH_MM_DEPTH; it does NOT run the post-decode steps (level
  // rows from the percents, millimetre and depth grids, CONFIGURATION #).
  // The encoder copies the second copy of USED MODE ??? into the field,
  // calls Update pictograms first when `updatePictograms` is true, and
  // writes the level rows as the cell holds them: the caller computes them
  // first (SetEncodedLevels).
  void DecodeImage317Tail(const TDeviceImage& image);
  void EncodeImage317Tail(TDeviceImage& image, bool updatePictograms);

  // ---- Steps of the 3.17 text record -------------------------------------
  // The 3.17 record is the base record's identity lines (WriteTextIdentity),
  // its name block (WriteTextName) and then this body: lines 21..177 + c,
  // from "INDEX_MARK_MKS:" to the comments, with the depth grid lines after
  // "PIXEL_GRID_LENGTH:", the strobe times, the beam angle x 100 in
  // "INSERTION_ANGLE:" and "AMPLITUDE_MARKER_POSITION:" after
  // "PREV_PIXEL_GRID_LENGTH_MM:". A layout with its own name block writes
  // its identity and name lines and then this body.
  // The reader mirrors it: the previous depth grid length follows
  // PIXEL_GRID_LENGTH_MM_DEPTH, and after the last line INSERTION_ANGLE =
  // rnd(beam angle). It does not refresh the parameter 29 value.
  void WriteText317Body(TTextWriter& out);
  void ReadText317Body(TTextReader& in);

  // A real in the record's form: the shortest decimal text that reads back
  // as the same double (fixed or scientific notation, whichever is shorter),
  // with the cell's decimal separator; an infinite value is written as the
  // largest double of its sign and NaN as 0, so that every record reads
  // back. The reader throws EConvertError when the value is not a real.
  std::string TextReal(double value) const;
  double ReadTextReal(TTextReader& in) const;

  // The cosines of the 3.17 conversions: c1 for paths (the beam angle's
  // when INSERTION_ANGLE < 90, else 1), c2 for depths (the beam angle's when
  // THICKNESS > 0 and 0 < beam angle < 90, else 1).
  double PathCosine317() const;
  double DepthCosine317() const;
  bool FoldsAtThickness317() const;
};

}  // namespace velt
