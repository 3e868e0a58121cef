// Firmware 5.01: the 5.00 layout plus a second cursor; with the two-cursor
// strobe algorithm the measured time is the time between the cursors.
#pragma once

#include <config/ConfigObject5_00ver_Unit.h>

namespace velt {

class T5_01ConfigCell : public T5_00ConfigCell {
 public:
  using T5_00ConfigCell::T5_00ConfigCell;

  void WriteText(TTextWriter& out) override;
  std::uint8_t ReadText(TTextReader& in) override;
  void DecodeImage(const TDeviceImage& image, std::uint16_t n) override;
  void EncodeImage(TDeviceImage& image, std::uint16_t n) override;
  void Assign(const TBaseConfigCell* other) override;
  void SetDefaults(std::uint16_t n) override;
  double CursorTime(std::uint8_t cursor = 0) const override;
  std::uint16_t CursorPixel(std::uint8_t cursor = 0) const override;
  double MeasuredTime() const override;

  std::uint16_t VCURSOR_2 = 0;

 protected:
  // EXACT_SCREEN_CURS_POS_FLAG = 0 when STROBE_ALGORYTHM is above 1; after
  // every decode and text read.
  void DropExactCursorForStrobeAlgorythm();
};

}  // namespace velt
